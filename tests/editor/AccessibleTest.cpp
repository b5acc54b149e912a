// What a screen reader reads of the editor pane, and what it is told of changes.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <functional>
#include <tuple>
#include <vector>

#include "base/CommandIds.h"
#include "editor/NoteAccessible.h"
#include "editor/NoteScrollView.h"
#include "tests/editor/PaneTest.h"

namespace {

// One event the pane sent: its kind, the offset it names, and the text inserted or removed (for a
// selection, where it ends).
using Told = std::tuple<QAccessible::Event, int, QString>;
std::vector<Told>* told = nullptr;

void Record(QAccessibleEvent* event) {
    QAccessibleInterface* target = event->accessibleInterface();
    if (told == nullptr || target == nullptr || !qobject_cast<CNoteScrollView*>(target->object()))
        return;
    const QAccessible::Event type = event->type();
    if (type == QAccessible::TextInserted) {
        const auto* inserted = static_cast<QAccessibleTextInsertEvent*>(event);
        told->emplace_back(type, inserted->changePosition(), inserted->textInserted());
    } else if (type == QAccessible::TextRemoved) {
        const auto* removed = static_cast<QAccessibleTextRemoveEvent*>(event);
        told->emplace_back(type, removed->changePosition(), removed->textRemoved());
    } else if (type == QAccessible::TextCaretMoved) {
        told->emplace_back(type, static_cast<QAccessibleTextCursorEvent*>(event)->cursorPosition(),
                           QString());
    } else if (type == QAccessible::TextSelectionChanged) {
        const auto* selected = static_cast<QAccessibleTextSelectionEvent*>(event);
        told->emplace_back(type, selected->selectionStart(),
                           QString::number(selected->selectionEnd()));
    }
}

class AccessibleTest : public PaneTest {
protected:
    void SetUp() override {
        PaneTest::SetUp();
        CNoteAccessible::SetEventSink(Record);
        told = &events;
    }
    void TearDown() override {
        told = nullptr;
        CNoteAccessible::SetEventSink(nullptr);
        PaneTest::TearDown();
    }
    QAccessibleInterface* Pane() { return QAccessible::queryAccessibleInterface(&view); }
    QAccessibleTextInterface* Text() { return Pane()->textInterface(); }
    // The viewport point just inside the left edge of the character at offset.
    QPoint PointAt(int offset) {
        const QRect box = Text()->characterRect(offset);
        return view.viewport()->mapFromGlobal(QPoint(box.left() + 1, box.center().y()));
    }

    std::vector<Told> events;
};

const QString kTwoNotesText = QStringLiteral("one two. Three\nsecond note\n");

// The notes read as one text with a named child each; edits through the interface undo as typing.
TEST_F(AccessibleTest, ReadsTheShownNotesAsOneTextAndEditsThemLikeTyping) {
    Show("¶one two. Three");
    Show("¶second note");
    ASSERT_NE(Text(), nullptr);
    EXPECT_EQ(Pane()->role(), QAccessible::EditableText);
    EXPECT_TRUE(Pane()->state().editable && Pane()->state().multiLine);
    EXPECT_EQ(Text()->text(0, -1), kTwoNotesText);
    EXPECT_EQ(Text()->characterCount(), kTwoNotesText.size());
    ASSERT_EQ(Pane()->childCount(), 2);
    EXPECT_EQ(Pane()->child(0)->text(QAccessible::Name), "one two. Three");
    EXPECT_EQ(Pane()->child(1)->text(QAccessible::Name), "second note");
    EXPECT_EQ(Pane()->indexOfChild(Pane()->child(1)), 1);
    EXPECT_EQ(Pane()->childAt(Text()->characterRect(20).center().x(),
                              Text()->characterRect(20).center().y()),
              Pane()->child(1));

    // Offset, unit, and the units at, before and after it.
    const struct {
        int offset;
        QAccessible::TextBoundaryType unit;
        const char* at;
        const char* before;
        const char* after;
    } cases[] = {
        {1, QAccessible::CharBoundary, "n", "o", "e"},
        {5, QAccessible::WordBoundary, "two", " ", "."},
        {14, QAccessible::WordBoundary, "\n", "Three", "second"},
        {3, QAccessible::SentenceBoundary, "one two. ", "", "Three"},
        {20, QAccessible::ParagraphBoundary, "second note\n", "one two. Three\n", ""},
        {0, QAccessible::LineBoundary, "one two. Three\n", "", "second note\n"},
    };
    for (const auto& c : cases) {
        int start = -1;
        int end = -1;
        EXPECT_EQ(Text()->textAtOffset(c.offset, c.unit, &start, &end), c.at) << c.offset;
        EXPECT_EQ(Text()->text(start, end), c.at);
        EXPECT_EQ(Text()->textBeforeOffset(c.offset, c.unit, &start, &end), c.before) << c.offset;
        EXPECT_EQ(Text()->textAfterOffset(c.offset, c.unit, &start, &end), c.after) << c.offset;
    }

    QAccessibleEditableTextInterface* edit = Pane()->editableTextInterface();
    ASSERT_NE(edit, nullptr);
    const struct {
        std::function<void()> act;
        const char* text;
    } edits[] = {
        {[&] { edit->insertText(4, "X"); }, "one Xtwo. Three\nsecond note\n"},
        {[&] { edit->deleteText(0, 4); }, "two. Three\nsecond note\n"},
        {[&] { edit->replaceText(9, 14, "Four"); }, "one two. Four\nsecond note\n"},
        // Notes never merge: across them only their characters go.
        {[&] { edit->deleteText(13, 16); }, "one two. Thre\necond note\n"},
    };
    for (const auto& c : edits) {
        c.act();
        EXPECT_EQ(Text()->text(0, -1), c.text);
        view.OnCommand(CommandIds::kUndo);
        EXPECT_EQ(Text()->text(0, -1), kTwoNotesText) << c.text;
    }
    // A selection made through the interface, backwards, is the pane's.
    Text()->setSelection(0, 17, 4);
    EXPECT_EQ(view.View().Anchor(), notes[1]->FromIndex(2));
    EXPECT_EQ(view.View().Active(), notes[0]->FromIndex(4));
}

TEST_F(AccessibleTest, LinesAreTheRowsOfAWrappedParagraph) {
    std::string words = "¶";
    for (int i = 0; i < 80; ++i)
        words += "word ";
    Show(words);
    const QString all = Text()->text(0, -1);
    QString joined;
    int lines = 0;
    int start = 0;
    int end = 0;
    int top = INT_MIN;
    for (QString line = Text()->textAtOffset(0, QAccessible::LineBoundary, &start, &end);
         !line.isEmpty();
         line = Text()->textAfterOffset(start, QAccessible::LineBoundary, &start, &end)) {
        ASSERT_EQ(start, joined.size());
        joined += line;
        ++lines;
        EXPECT_GT(Text()->characterRect(start).top(), top) << lines;
        top = Text()->characterRect(start).top();
    }
    EXPECT_EQ(joined, all);
    EXPECT_GT(lines, 3);
}

TEST_F(AccessibleTest, TypingClicksAndShiftMovesAreTold) {
    Show("¶ab¶cd");
    ASSERT_NE(Text(), nullptr);
    using QAccessible::TextInserted, QAccessible::TextRemoved;
    constexpr auto kMoved = QAccessible::TextCaretMoved;
    const auto key = [this](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        return [this, key, modifiers] { QTest::keyClick(&view, key, modifiers); };
    };
    // An action, where the caret ends, and what the pane tells of it, in order.
    const struct {
        std::function<void()> act;
        int caret;
        std::vector<Told> told;
    } steps[] = {
        {[&] { QTest::keyClicks(&view, "x"); }, 1, {{TextInserted, 0, "x"}, {kMoved, 1, ""}}},
        {key(Qt::Key_End), 3, {{kMoved, 3, ""}}},
        {key(Qt::Key_Backspace), 2, {{TextRemoved, 2, "b"}, {kMoved, 2, ""}}},
        {[&] { QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, PointAt(4)); },
         4,
         {{kMoved, 4, ""}}},
        {key(Qt::Key_Right, Qt::ShiftModifier),
         5,
         {{kMoved, 5, ""}, {QAccessible::TextSelectionChanged, 4, "5"}}},
    };
    // The pane tells of a change once the event that made it is handled.
    QApplication::processEvents();
    for (size_t i = 0; i < std::size(steps); ++i) {
        events.clear();
        steps[i].act();
        QApplication::processEvents();
        EXPECT_EQ(Text()->cursorPosition(), steps[i].caret) << i;
        EXPECT_EQ(events, steps[i].told) << i;
        now += 1000;
    }
    EXPECT_EQ(Text()->text(0, -1), "xa\ncd\n");
    int start = 0;
    int end = 0;
    Text()->selection(0, &start, &end);
    EXPECT_EQ(std::pair(start, end), std::pair(4, 5));
    const QRect caret = Text()->characterRect(Text()->cursorPosition());
    EXPECT_TRUE(QRect(view.mapToGlobal(QPoint(0, 0)), view.size()).contains(caret)) << caret.x();
    EXPECT_EQ(Text()->offsetAtPoint(caret.center()), Text()->cursorPosition());
}

}  // namespace
