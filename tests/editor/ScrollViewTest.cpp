// The editor pane itself, driven by key, mouse and input-method events under the offscreen
// platform.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QScrollBar>
#include <QTest>
#include <climits>
#include <functional>
#include <future>
#include <string>

#include "base/CommandIds.h"
#include "editor/NoteScrollView.h"
#include "editor/TextScale.h"
#include "tests/editor/PaneTest.h"
#include "tests/support/FakeSpellChecker.h"
#include "tests/support/ModelTestSupport.h"
#include "tests/support/TempFolder.h"
#include "ui/Settings.h"

namespace {

using NoteEditEngine::CNoteDocument;
using NoteEditEngine::TestSupport::Dump;
using NoteLayoutEngine::TestSupport::CFakeSpellChecker;

const std::set<std::u16string> kWords = {u"see", u"the", u"cat", u"was", u"here", u"wax"};

std::unique_ptr<NoteLayoutEngine::ISpellChecker> OpenFake(const QString&) {
    return std::make_unique<CFakeSpellChecker>(kWords);
}

class ScrollViewTest : public PaneTest {
protected:
    void SetUp() override {
        PaneTest::SetUp();
        // The window active and the pane focused, as a click on the window would leave them.
        view.activateWindow();
        QApplication::processEvents();
        view.setFocus(Qt::MouseFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), &view);
    }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(&view, key, modifiers);
    }
    void Press(QPoint point, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mousePress(view.viewport(), Qt::LeftButton, modifiers, point);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, modifiers, point);
        now += 100;
    }
    // One press and release handed to the window as the display server delivers them: the
    // window system, not the test, decides which press is a double click.
    void Click(QPoint point) {
        QWindow* window = view.windowHandle();
        const QPointF local = view.viewport()->mapTo(&view, point);
        const QPointF global = view.viewport()->mapToGlobal(point);
        qt_handleMouseEvent(window, local, global, Qt::LeftButton, Qt::LeftButton,
                            QEvent::MouseButtonPress, Qt::NoModifier, int(now));
        qt_handleMouseEvent(window, local, global, Qt::NoButton, Qt::LeftButton,
                            QEvent::MouseButtonRelease, Qt::NoModifier, int(now + 5));
        now += 40;
    }
    void InputMethod(const QString& preedit, const QString& commit) {
        QList<QInputMethodEvent::Attribute> attributes;
        attributes.append({QInputMethodEvent::Cursor, int(preedit.size()), 1, QVariant()});
        QInputMethodEvent event(preedit, attributes);
        if (!commit.isEmpty()) event.setCommitString(commit);
        QApplication::sendEvent(QApplication::focusWidget(), &event);
    }
    // What the input method learns from the widget with the focus.
    static QVariant Query(Qt::InputMethodQuery query) {
        return QGuiApplication::inputMethod()->queryFocusObject(query, {});
    }
    // Spelling on with kWords and a word list in `folder`; links open into `opened`.
    void UseFakeDictionary() {
        view.Spelling().UseDictionaries({QStringLiteral("en_US")}, OpenFake, folder / "words.txt");
        view.Spelling().SetOn(true);
        view.SetLinkOpener([this](const QUrl& url) { opened.push_back(url.toString()); });
    }
    // The menu's entries by text, separators as "-".
    static QStringList Entries(QMenu& menu) {
        QStringList out;
        for (QAction* action : menu.actions())
            out << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return out;
    }
    static void Trigger(QMenu& menu, const QString& text) {
        for (QAction* action : menu.actions())
            if (action->text() == text) return action->trigger();
        ADD_FAILURE() << "no " << text.toStdString();
    }

    TestSupport::CTempFolder folder;
    QStringList opened;
};

// Mouse steps and the selection they leave, "anchor-active" with places "N" in the first note and
// "1.N" in the second, then the first note when changed. "click", "shift" and "ctrl" press apart
// from other clicks; "quick" clicks as the window system sends them, so that quick ones make double
// and triple clicks; "drag P Q"; "box N" presses the check box of the paragraph at N, "beside N"
// just below it. A click on a box toggles it as one undo step; Ctrl+click on a link opens it and
// leaves the caret, elsewhere it is a click.
TEST_F(ScrollViewTest, MouseStepsGiveExactlyThisSelectionAndText) {
    UseFakeDictionary();
    CNoteDocument* notes[] = {Show("¶[5,0]open¶[6,0]done¶one two three"),
                              Show("¶see www.x.org/a, or (https://y.z/b_(c)).")};
    const std::string original = Dump(*notes[0]);
    const auto at = [&](std::string_view place) {
        const bool second = place.starts_with("1.");
        return notes[second]->FromIndex(
            uint32_t(std::stoul(std::string(place.substr(second * 2)))));
    };
    const auto point = [&](std::string_view place) {
        const NoteLayoutEngine::Point p = view.View().PointOf(at(place));
        return QPoint(p.x + 1, p.y + 4 - view.ScrollTop());
    };
    const auto box = [&](std::string_view place) {
        const NoteLayoutEngine::Point p = view.View().PointOf(at(place));
        const NoteLayoutEngine::Rect box = NoteLayoutEngine::CheckBoxOf(
            p.x, p.y, view.View().TextHeight(at(place)), view.View().Metrics());
        return QPoint(box.x + box.width / 2, box.y + box.height / 2 - view.ScrollTop());
    };
    const auto name = [&](const NoteEditEngine::CNotePosition& p) {
        return (p.Document() == notes[1] ? "1." : "") + std::to_string(p.Index());
    };
    const struct {
        const char* action;
        const char* state;
    } steps[] = {
        {"click 19", "19-19"},
        {"shift 12", "19-12"},
        {"drag 13 1.4", "13-1.4"},
        {"quick 15", "15-15"},
        {"quick 15", "14-17"},
        {"quick 15", "10-23"},
        {"quick 15", "15-15"},  // a fourth click starts over
        {"box 0", "0-0 ¶[6,0]open¶[6,0]done¶one two three"},
        {"undo", "0-0"},
        {"box 5", "5-5 ¶[5,0]open¶[5,0]done¶one two three"},
        {"undo", "5-5"},
        {"beside 5", "11-11"},
        {"click 1", "1-1"},
        {"box 10", "10-10"},
        {"click 1.7", "1.7-1.7"},
        {"ctrl 1.7", "1.7-1.7"},
        {"ctrl 1.30", "1.7-1.7"},
        {"ctrl 1.2", "1.2-1.2"},
        {"ctrl 1.39", "1.39-1.39"},
    };
    for (const auto& step : steps) {
        const std::string_view action = step.action;
        const std::string_view verb = action.substr(0, action.find(' '));
        const std::string_view arg = action.substr(std::min(action.size(), verb.size() + 1));
        if (verb == "quick") {
            Click(point(arg));
            continue;
        }
        now += 1000;
        if (verb == "click" || verb == "shift" || verb == "ctrl") {
            Press(point(arg), verb == "click"   ? Qt::NoModifier
                              : verb == "shift" ? Qt::ShiftModifier
                                                : Qt::ControlModifier);
        } else if (verb == "box" || verb == "beside") {
            Press(box(arg) + QPoint(0, verb == "box" ? 0 : 2 * view.View().Metrics().markerUnit));
        } else if (verb == "undo") {
            view.OnCommand(CommandIds::kUndo);
        } else {
            const QPoint from = point(arg.substr(0, arg.find(' ')));
            const QPoint to = point(arg.substr(arg.find(' ') + 1));
            QTest::mousePress(view.viewport(), Qt::LeftButton, {}, from);
            QMouseEvent move(QEvent::MouseMove, to, view.viewport()->mapToGlobal(to), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(view.viewport(), &move);
            QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, to);
        }
        const std::string text = Dump(*notes[0]);
        EXPECT_EQ(name(view.View().Anchor()) + "-" + name(view.View().Active()) +
                      (text == original ? "" : " " + text),
                  step.state)
            << action;
    }
    EXPECT_EQ(opened, (QStringList{"http://www.x.org/a", "https://y.z/b_(c)"}));
}

TEST_F(ScrollViewTest, InputMethodsComposeAtTheCaretAndCommitAsTyping) {
    CNoteDocument* note = Show("¶caf");
    view.View().SetCaret(note->End(), false, true);
    // Input methods (and the compose table behind dead keys) serve only widgets that ask.
    EXPECT_TRUE(Query(Qt::ImEnabled).toBool());
    const QRect caret = view.CaretRect();
    const QRect reported = Query(Qt::ImCursorRectangle).toRect();
    EXPECT_EQ(reported, caret.translated(view.viewport()->pos()));
    EXPECT_EQ(Query(Qt::ImSurroundingText).toString(), QStringLiteral("caf"));
    EXPECT_EQ(Query(Qt::ImCursorPosition).toInt(), 3);

    const QImage before = Grab();
    const QRect after(caret.right() + 2, caret.top(), 30, caret.height());
    InputMethod(QStringLiteral("\u00B4e"), QString());
    EXPECT_EQ(Dump(*note), "¶caf");
    EXPECT_NE(Grab().copy(after), before.copy(after));
    EXPECT_GT(Query(Qt::ImCursorRectangle).toRect().left(),
              caret.translated(view.viewport()->pos()).left());

    InputMethod(QString(), QStringLiteral("\u00E9"));
    QTest::keyClicks(&view, "s");
    InputMethod(QString(), QStringLiteral("\u4E2D\u6587"));
    EXPECT_EQ(Dump(*note), "¶caf\u00E9s\u4E2D\u6587");
    view.OnCommand(CommandIds::kUndo);
    EXPECT_EQ(Dump(*note), "¶caf");
    // Some input methods correct the word before the caret by replacing it.
    QInputMethodEvent correction;
    correction.setCommitString(QStringLiteral("cafe"), -3, 3);
    QApplication::sendEvent(&view, &correction);
    EXPECT_EQ(Dump(*note), "¶cafe");
    view.OnCommand(CommandIds::kUndo);

    // A composition in progress when the focus leaves is dropped from the screen.
    InputMethod(QStringLiteral("\u00B4"), QString());
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(&view, &out);
    EXPECT_EQ(Grab().copy(after), before.copy(after));
    EXPECT_EQ(Dump(*note), "¶caf");
}

// The settings file may hold any number: out of range is Medium; a new pane starts at the size
// kept.
TEST(TextSizeSettingTest, IsReadWithinItsRange) {
    using NoteLayoutEngine::TextSize;
    const struct {
        int stored;
        TextSize read;
    } cases[] = {{0, TextSize::kLargest},      {4, TextSize::kSmallest},
                 {-1, TextSize::kMedium},      {5, TextSize::kMedium},
                 {INT_MAX, TextSize::kMedium}, {INT_MIN, TextSize::kMedium}};
    for (const auto& c : cases) {
        Settings::Write(Settings::kTextScale, c.stored);
        EXPECT_EQ(NoteEditor::StoredTextSize(), c.read) << c.stored;
        EXPECT_EQ(NoteEditor::TextSizeOf(CNoteScrollView().TextScaleCommand()), c.read);
    }
    NoteEditor::StoreTextSize(TextSize::kMedium);
    EXPECT_EQ(NoteEditor::StoredTextSize(), TextSize::kMedium);
    // The menu ticks the size chosen, and only that one.
    CNoteScrollView pane;
    for (int chosen = NoteEditor::kFirstTextSizeCommand; chosen <= NoteEditor::kLastTextSizeCommand;
         ++chosen) {
        pane.OnCommand(chosen);
        for (int id = NoteEditor::kFirstTextSizeCommand - 1;
             id <= NoteEditor::kLastTextSizeCommand + 1; ++id)
            EXPECT_EQ(pane.QueryCommandState(id).checked, id == chosen) << chosen << " " << id;
    }
    pane.OnCommand(NoteEditor::kMediumTextSizeCommand);
}

// Every page of a long note comes out; printing leaves the screen's layout as it was.
TEST_F(ScrollViewTest, PrintsEveryPage) {
    std::string text = "¶";
    for (int i = 0; i < 200; ++i)
        text += "line " + std::to_string(i) + " of a note long enough for several pages¶";
    Show(text);
    const std::string before = view.View().Dump();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString((folder / "out.pdf").string()));
    ASSERT_TRUE(view.PrintTo(printer));
    const int pages = view.PageCount(printer);
    EXPECT_GE(pages, 4);
    QFile pdf(printer.outputFileName());
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    const QByteArray data = pdf.readAll();
    EXPECT_EQ(data.count("/Type /Page") - data.count("/Type /Pages"), pages);
    EXPECT_EQ(view.View().Dump(), before);
}

// A large paste lays out what is shown and leaves the rest to slices, which end in a full layout.
TEST_F(ScrollViewTest, ALargePasteReturnsBeforeItIsLaidOutAndItsSlicesEndInAFullLayout) {
    CNoteDocument* note = Show("¶first¶last");
    view.View().SetCaret(note->FromIndex(6), false, true);
    QString text;
    // Paragraphs of one to several rows, so that a guess from their mean length errs.
    for (int k = 0; k < 3000; ++k)
        text += QStringLiteral("paragraph %1 of words that wrap on a narrow pane%2\n")
                    .arg(k)
                    .arg(QStringLiteral(" and more").repeated(k % 17));
    QGuiApplication::clipboard()->setText(text);
    view.OnCommand(CommandIds::kPaste);
    ASSERT_TRUE(view.View().HasPendingLayout());
    const int32_t estimated = view.View().TreeHeight();
    const auto caretY = [this] {
        return view.View().PointOf(view.View().Active()).y - view.ScrollTop();
    };
    const int32_t shownAt = caretY();
    EXPECT_TRUE(shownAt >= 0 && shownAt < view.viewport()->height());
    int slices = 0;
    for (; view.View().HasPendingLayout() && slices < 1000; ++slices) {
        view.OnLayoutTimer();
        ASSERT_EQ(caretY(), shownAt) << "after slice " << slices;
    }
    EXPECT_GT(slices, 1);
    // The same width: the pane's scroll bar took its share.
    CNoteScrollView fresh;
    fresh.View().SetWidth(view.View().ViewWidth(), false);
    fresh.View().AddNote(note, nullptr);
    fresh.View().FinishLayout();
    EXPECT_EQ(view.View().Dump(), fresh.View().Dump());
    EXPECT_EQ(view.View().TreeHeight(), fresh.View().TreeHeight());
    // The height guessed before the slices ran was near: the scroll bar moves little under the
    // hand.
    EXPECT_NEAR(estimated, fresh.View().TreeHeight(), fresh.View().TreeHeight() / 5);
    EXPECT_EQ(view.verticalScrollBar()->maximum(),
              view.View().TreeHeight() - view.viewport()->height());
}

// A suggestion replaces the word in one undo step, unless the word changed since the menu opened;
// an added word goes to the word list for later runs, an ignored one lasts this run.
TEST_F(ScrollViewTest, SuggestionsAndAddedAndIgnoredWords) {
    UseFakeDictionary();
    CNoteDocument* note = Show("¶the cat wsa teh");
    view.View().SetCaret(note->FromIndex(1), false, false);
    std::unique_ptr<QMenu> menu = view.ContextMenuAt(PointBefore(note, 10));
    EXPECT_EQ(Entries(*menu).mid(0, 5),
              (QStringList{"was", "wax", "Add to Dictionary", "Ignore", "-"}));
    Trigger(*menu, "was");
    EXPECT_EQ(Dump(*note), "¶the cat was teh");
    view.View().Undo();
    EXPECT_EQ(Dump(*note), "¶the cat wsa teh");
    menu = view.ContextMenuAt(PointBefore(note, 10));
    view.View().SetCaret(note->FromIndex(1), false, false);
    view.View().InsertTextAtCaret(u"x");
    Trigger(*menu, "was");
    EXPECT_EQ(Dump(*note), "¶txhe cat wsa teh");

    Trigger(*view.ContextMenuAt(PointBefore(note, 11)), "Add to Dictionary");
    Trigger(*view.ContextMenuAt(PointBefore(note, 15)), "Ignore");
    EXPECT_FALSE(Entries(*view.ContextMenuAt(PointBefore(note, 15))).contains("Ignore"));
    EXPECT_EQ(TestSupport::ReadBytes(folder / "words.txt"), "wsa\n");
    NoteLayoutEngine::CTextMarks marks;
    CSpelling later(marks);
    later.UseDictionaries({QStringLiteral("en_US")}, OpenFake, folder / "words.txt");
    EXPECT_FALSE(marks.IsMisspelt(u"wsa"));
    EXPECT_TRUE(marks.IsMisspelt(u"teh"));
    // Checking off: nothing is misspelt.
    later.SetOn(false);
    EXPECT_FALSE(marks.IsMisspelt(u"teh"));
    EXPECT_TRUE(view.QueryCommandState(CommandIds::kCheckSpelling).checked);
    view.OnCommand(CommandIds::kCheckSpelling);
    EXPECT_FALSE(view.QueryCommandState(CommandIds::kCheckSpelling).checked);
    EXPECT_FALSE(view.View().Marks().IsMisspelt(u"teh"));
}

// A dictionary is read in the background: nobody waits for it (a reader that held its caller up
// would fail here rather than hang), and it arrives later.
TEST(SpellingTest, NobodyWaitsForADictionary) {
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    NoteLayoutEngine::CTextMarks marks;
    CSpelling spelling(marks);
    spelling.SetOn(false);  // whatever an earlier run left in the settings
    spelling.UseDictionaries(
        {QStringLiteral("en_US")},
        [released](const QString&) {
            released.wait_for(std::chrono::seconds(10));
            return std::make_unique<CFakeSpellChecker>(kWords);
        },
        {}, CSpelling::Opening::kInBackground);
    spelling.SetOn(true);
    EXPECT_EQ(marks.Checker(), nullptr);
    release.set_value();
    EXPECT_TRUE(QTest::qWaitFor([&] { return marks.Checker() != nullptr; }, 10000));
}

// A screen reader's view of the pane.
class AccessibleTest : public PaneTest {
protected:
    QAccessibleInterface* Pane() { return QAccessible::queryAccessibleInterface(&view); }
    QAccessibleTextInterface* Text() { return Pane()->textInterface(); }
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

}  // namespace
