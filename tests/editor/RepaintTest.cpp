// What the pane's incremental painting leaves in the window (the backing store, with the pixels
// that scrolling moved) must be what a full repaint paints, caret included, after every scroll,
// caret move and change of the notes shown.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <QWheelEvent>
#include <functional>
#include <string>

#include "editor/NoteScrollView.h"
#include "tests/support/ModelTestSupport.h"

namespace {

using NoteEditEngine::CNoteDocument;
using NoteEditEngine::TestSupport::MakeDocument;

class RepaintTest : public ::testing::Test {
protected:
    // The caret does not blink between what was painted and the repaint it is compared with.
    static void SetUpTestSuite() { QApplication::setCursorFlashTime(100000000); }

    void SetUp() override {
        view.resize(480, 320);
        view.SetClickClock([this] { return now += 1000; });
        std::string text;
        for (int i = 0; i < 60; ++i)
            text += "¶line " + std::to_string(i) + " of the long note";
        Add(text, nullptr);
        view.show();
        view.activateWindow();
        view.setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
    }
    void TearDown() override {
        for (auto& note : notes)
            if (view.View().NoteIndex(note.get()) >= 0) view.View().RemoveNote(note.get());
    }
    CNoteDocument* Add(const std::string& text, CNoteDocument* after) {
        notes.push_back(MakeDocument(text));
        view.View().AddNote(notes.back().get(), after);
        return notes.back().get();
    }
    void Wheel(int steps) {
        const QPointF at(100, 100);
        QWheelEvent wheel(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120 * steps),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &wheel);
    }
    // The viewport as the window shows it, and as a full repaint paints it.
    QImage Shown() {
        QApplication::processEvents();
        const QRect port(view.viewport()->mapTo(&view, QPoint()), view.viewport()->size());
        return view.screen()
            ->grabWindow(view.winId())
            .toImage()
            .copy(port)
            .convertToFormat(QImage::Format_RGB32);
    }
    QImage Repainted() {
        return view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    std::vector<std::unique_ptr<CNoteDocument>> notes;
    int64_t now = 100000;
    CNoteScrollView view;
};

TEST_F(RepaintTest, ScrollsAndCaretMovesLeaveWhatAFullRepaintPaints) {
    ASSERT_TRUE(view.hasFocus());
    const auto key = [this](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        return [this, key, modifiers] { QTest::keyClick(&view, key, modifiers); };
    };
    const auto click = [this](int y) {
        return [this, y] { QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, {60, y}); };
    };
    const struct {
        const char* what;
        std::function<void()> act;
    } steps[] = {
        {"wheel down", [this] { Wheel(3); }},
        {"click", click(60)},
        {"Ctrl+Home", key(Qt::Key_Home, Qt::ControlModifier)},
        {"Ctrl+End", key(Qt::Key_End, Qt::ControlModifier)},
        {"wheel up", [this] { Wheel(-4); }},
        {"click", click(40)},
        {"Page Up", key(Qt::Key_PageUp)},
        {"Page Down", key(Qt::Key_PageDown)},
        {"Page Down", key(Qt::Key_PageDown)},
        {"Down", key(Qt::Key_Down)},
        {"note added in front", [this] { Add("¶a new note¶two lines", nullptr); }},
        {"Ctrl+End", key(Qt::Key_End, Qt::ControlModifier)},
        {"wheel up", [this] { Wheel(-2); }},
        {"note added at the end", [this] { Add("¶the last note", notes[0].get()); }},
        {"first note removed", [this] { view.View().RemoveNote(notes[1].get()); }},
        {"Page Up", key(Qt::Key_PageUp)},
        {"wheel down", [this] { Wheel(2); }},
        {"click", click(250)},
        {"Ctrl+Home", key(Qt::Key_Home, Qt::ControlModifier)},
        {"Shift+Page Down", key(Qt::Key_PageDown, Qt::ShiftModifier)},
        {"wheel down over the selection", [this] { Wheel(1); }},
        {"Page Up", key(Qt::Key_PageUp)},
        {"Shift+Down", key(Qt::Key_Down, Qt::ShiftModifier)},
        {"wheel up", [this] { Wheel(-1); }},
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_EQ(Shown(), Repainted()) << step.what << " at step " << &step - steps;
        EXPECT_TRUE(view.CaretBlinkOn()) << step.what;
    }
}

// A row drawn before is drawn anew once its text or selection changes, also when scrolled away
// and back, and looks as it did once the change is undone.
TEST_F(RepaintTest, RowsDrawnAgainFollowTheirChanges) {
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, {60, 60});
    QTest::keyClick(&view, Qt::Key_Home);
    const struct {
        const char* what;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        Qt::Key undo;
    } changes[] = {
        {"typing", Qt::Key_X, {}, Qt::Key_Backspace},
        {"selecting a whole row", Qt::Key_Down, Qt::ShiftModifier, Qt::Key_Up},
    };
    for (const auto& change : changes) {
        const QImage before = Shown();
        QTest::keyClick(&view, change.key, change.modifiers);
        Wheel(2);
        Wheel(-2);
        const QImage changed = Shown();
        // More changed than the caret's old and new bars.
        int differing = 0;
        for (int y = 0; y < before.height(); ++y)
            for (int x = 0; x < before.width(); ++x)
                differing += before.pixel(x, y) != changed.pixel(x, y);
        EXPECT_GT(differing, 4 * view.CaretRect().height()) << change.what;
        EXPECT_EQ(changed, Repainted()) << change.what;
        QTest::keyClick(&view, change.undo, change.modifiers);
        EXPECT_EQ(Shown(), before) << change.what;
    }
}

}  // namespace

// A row is drawn from the images of its words where no glyph's ink crosses between them, and
// joined into one image when drawn again: both must look as the same row drawn whole (words
// joined by no-break spaces, which are never split), whether its words are plain or overhang.
TEST_F(RepaintTest, RowsPutTogetherFromWordsLookAsDrawnWhole) {
    view.View().RemoveNote(notes[0].get());
    Add("¶the note tree keeps a caret¶the\u00A0note\u00A0tree\u00A0keeps\u00A0a\u00A0caret"
        "¶fjord jazz, of jelly¶fjord\u00A0jazz,\u00A0of\u00A0jelly¶",
        nullptr);
    QTest::keyClick(&view, Qt::Key_End, Qt::ControlModifier);
    const QImage shown = Repainted();
    EXPECT_EQ(Repainted(), shown);
    QTest::keyClick(&view, Qt::Key_Home, Qt::ControlModifier);
    const QRect first = view.CaretRect();
    QTest::keyClick(&view, Qt::Key_Down);
    const int row = view.CaretRect().top() - first.top();
    ASSERT_GT(row, 0);
    for (const int pair : {0, 2}) {
        const QRect whole(0, first.top() + (pair + 1) * row, shown.width(), row);
        EXPECT_EQ(shown.copy(whole.translated(0, -row)), shown.copy(whole)) << "pair " << pair;
    }
}
