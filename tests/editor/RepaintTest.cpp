// The pane's pixels: incremental painting against a full repaint, and rows put together.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTextBoundaryFinder>
#include <QWheelEvent>
#include <random>
#include <string>
#include <vector>

#include "base/Graphemes.h"
#include "editor/NoteScrollView.h"
#include "tests/editor/PaneTest.h"
#include "tests/support/ModelTestSupport.h"

namespace {

using NoteEditEngine::CNoteDocument;

// The pane focused in an active window, on one long note; no two clicks make a double click.
class RepaintTest : public PaneTest {
protected:
    // The caret does not blink between what was painted and the repaint it is compared with.
    static void SetUpTestSuite() { QApplication::setCursorFlashTime(100000000); }

    void SetUp() override {
        PaneTest::SetUp();
        view.SetClickClock([this] { return now += 1000; });
        std::string text;
        for (int i = 0; i < 60; ++i)
            text += "¶line " + std::to_string(i) + " of the long note";
        Show(text);
        view.activateWindow();
        view.setFocus(Qt::OtherFocusReason);
        QApplication::processEvents();
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
};

// Random scrolls, clicks, caret moves and shown notes leave on screen what a full repaint paints;
// a row typed into or selected is drawn anew, also scrolled away and back, and its undo restores
// it.
TEST_F(RepaintTest, RandomStepsLeaveWhatAFullRepaintPaints) {
    ASSERT_TRUE(view.hasFocus());
    std::mt19937 random(20261208);
    const Qt::Key keys[] = {Qt::Key_Home,     Qt::Key_End,  Qt::Key_PageUp,
                            Qt::Key_PageDown, Qt::Key_Down, Qt::Key_Up};
    const Qt::KeyboardModifiers modifiers[] = {{}, Qt::ShiftModifier, Qt::ControlModifier};
    for (int step = 0; step < 60; ++step) {
        const int kind = int(random() % 6);
        if (kind == 0) {
            Wheel(int(random() % 9) - 4);
        } else if (kind == 1) {
            now += 1000;
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                              {int(random() % 400), int(random() % 300)});
        } else if (kind == 2) {
            QTest::keyClick(&view, keys[random() % 6], modifiers[random() % 3]);
        } else if (kind == 3) {
            if (random() % 2 == 0 && view.View().ShownNotes().size() > 1)
                view.View().RemoveNote(view.View().ShownNotes()[random() % 2]);
            else
                Show("¶a new note¶two lines", random() % 2 == 0);
        } else {
            // Typing, or a row selected; scrolled away and back; undone.
            QTest::keyClick(&view, Qt::Key_Home);
            const bool typing = kind == 4;
            const QImage before = Shown();
            const int top = view.ScrollTop();
            QTest::keyClick(&view, typing ? Qt::Key_X : Qt::Key_Down,
                            typing ? Qt::NoModifier : Qt::ShiftModifier);
            Wheel(2);
            Wheel(-2);
            const QImage changed = Shown();
            // More changed than the caret's old and new bars.
            int differing = 0;
            for (int y = 0; y < before.height(); ++y)
                for (int x = 0; x < before.width(); ++x)
                    differing += before.pixel(x, y) != changed.pixel(x, y);
            EXPECT_GT(differing, 4 * view.CaretRect().height()) << step;
            EXPECT_EQ(changed, Repainted()) << step;
            QTest::keyClick(&view, typing ? Qt::Key_Backspace : Qt::Key_Up,
                            typing ? Qt::NoModifier : Qt::ShiftModifier);
            view.verticalScrollBar()->setValue(top);  // the wheel stops at the ends
            EXPECT_EQ(Shown(), before) << step;
        }
        EXPECT_EQ(Shown(), Repainted()) << "step " << step << " of kind " << kind;
        EXPECT_TRUE(view.CaretBlinkOn()) << step;
    }
}

// A row is drawn from the images of its words where no glyph's ink crosses between them, and
// joined into one image when drawn again: both must look as the same row drawn whole (words
// joined by no-break spaces, which are never split), whether its words are plain or overhang.
TEST_F(RepaintTest, RowsPutTogetherFromWordsLookAsDrawnWhole) {
    view.View().RemoveNote(notes[0].get());
    Show(
        "¶the note tree keeps a caret¶the\u00A0note\u00A0tree\u00A0keeps\u00A0a\u00A0caret"
        "¶fjord jazz, of jelly¶fjord\u00A0jazz,\u00A0of\u00A0jelly¶");
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

// The editor's own cluster boundaries against Qt's, over random strings.
TEST(ClusterBoundaryTest, BoundariesAreQtsOnRandomText) {
    // Qt also breaks where the script changes and splits a flag after an emoji, so each text
    // keeps to one script, and flags keep to letters.
    const std::vector<std::u16string_view> scripts[] = {
        {u"a", u" ", u"\u0301", u"\u200D", u"\uFE0F", u"👩", u"👧", u"🏽", u"❤"},
        {u"a", u" ", u"\u0301", u"🇫🇷"},
        {u"\u1100", u"\u1161", u"\u11A8", u"가", u"각", u" ", u"\u200D"},
        {u"क", u"ष", u"कि", u"क्", u"कँ", u"क्ष", u" "},
        {u"ก", u"กำ", u"กิ", u"กิ่", u"ก่", u" "},
    };
    std::mt19937 random(2026);
    for (int round = 0; round < 2000; ++round) {
        const std::vector<std::u16string_view>& pieces = scripts[round % std::size(scripts)];
        // Starting on a letter: Qt splits a lone run of marks its own way.
        std::u16string text(pieces.front());
        const size_t length = 1 + random() % 8;
        for (size_t k = 0; k < length; ++k)
            text += pieces[random() % pieces.size()];
        const QString qtext = QString::fromStdU16String(text);
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, qtext);
        std::vector<qsizetype> theirs;
        while (finder.toNextBoundary() != -1)
            theirs.push_back(finder.position());
        std::vector<qsizetype> ours;
        for (size_t at = 0; at < text.size();) {
            at = NoteBase::ClusterEnd(text, at);
            ours.push_back(static_cast<qsizetype>(at));
        }
        ASSERT_EQ(ours, theirs) << qtext.toStdString();
    }
}

}  // namespace
