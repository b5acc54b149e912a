// The pane's pixels against its layout: every run's ink lies where the layout put its characters,
// at every text size, with mixed styles and a selection; and a cluster of several code units (an
// emoji, a flag, a letter with marks) is measured and drawn as one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "base/CommandIds.h"
#include "base/Graphemes.h"
#include "editor/NoteScrollView.h"
#include "editor/TextScale.h"
#include "model/NoteUndoHistory.h"
#include "tests/support/ModelTestSupport.h"

namespace {

using NoteEditEngine::CharacterStyle;
using NoteEditEngine::CNoteDocument;
using NoteEditEngine::CNotePosition;
using NoteEditEngine::TestSupport::MakeDocument;

class TextPlacementTest : public ::testing::Test {
protected:
    void SetUp() override {
        // No focus, so no caret among the ink.
        view.resize(1000, 400);
        view.show();
    }
    void TearDown() override {
        if (note) view.View().RemoveNote(note.get());
        view.OnCommand(NoteEditor::kMediumTextSizeCommand);
    }
    CNoteDocument* Show(std::string_view text) {
        note = MakeDocument(text);
        view.View().AddNote(note.get(), nullptr);
        return note.get();
    }

    std::unique_ptr<CNoteDocument> note;
    CNoteScrollView view;
};

// Summed over the channels.
int ColourDistance(QRgb pixel, const QColor& colour) {
    return std::abs(qRed(pixel) - colour.red()) + std::abs(qGreen(pixel) - colour.green()) +
           std::abs(qBlue(pixel) - colour.blue());
}

// Far from the background: ink of a glyph (faint anti-aliased edges aside).
bool IsInk(QRgb pixel, const QColor& background) {
    return ColourDistance(pixel, background) > 150;
}

QColor BackgroundOf(const QWidget& view, CharacterStyle style, bool selected) {
    if (selected) return view.palette().color(QPalette::Highlight);
    return style.Test(CharacterStyle::kHighlight) ? QColor(250, 250, 160) : Qt::white;
}

// Where a run's characters stand by the layout: the first and last of them that leave ink.
struct RunInk {
    int32_t first = -1;
    int32_t last = -1;
};

// Each paragraph is one row whose runs change at every style and at both selection ends; most
// runs end in narrow letters, so a run drawn too wide or too narrow moves their ink visibly.
TEST_F(TextPlacementTest, EveryRunsInkIsWhereTheLayoutPutsItAtEveryTextSize) {
    CNoteDocument* shown = Show(
        "¶[9,0]fixed width line ending il{1}strong fixed il{0}plain fixed text to the end il"
        "¶Arial minimum {1}strong milli{0} then {4}comment lilt{0} and {2}highlight fill{0} end.l");
    for (int command = NoteEditor::kFirstTextSizeCommand;
         command <= NoteEditor::kLastTextSizeCommand; ++command) {
        SCOPED_TRACE(command);
        view.OnCommand(command);
        // From inside the first Strong run to inside " and ".
        view.View().SetSelection(shown->FromIndex(35), shown->FromIndex(120), false);
        const QImage image = view.viewport()->grab().toImage();
        auto selectedAfter = [&](const CNotePosition& place) {
            return view.View().SelectionStart() <= place && place < view.View().SelectionEnd();
        };
        int runs = 0;
        CNotePosition p = shown->Start();
        while (!p.IsAtEnd()) {
            // One run: from p up to the next change of style or selection, or the row's end.
            const CNotePosition runStart = p;
            CNotePosition next = p;
            next.StepRight();
            const CharacterStyle style = next.StyleAt();
            const bool selected = selectedAfter(p);
            const QFontMetrics metrics(view.FontFor(p.ParagraphFormatOf().Style(), style));
            RunInk expected;
            do {
                // p is the place before the character that `next` holds.
                const QChar c(next.CodeUnitAt());
                if (c != u' ') {
                    const int32_t x = view.View().PointOf(p).x;
                    if (expected.first < 0) expected.first = x + metrics.boundingRect(c).left();
                    expected.last = x + metrics.boundingRect(c).right();
                }
                p = next;
                next.StepRight();
            } while (!p.IsAtParagraphEnd() && next.StyleAt() == style &&
                     selectedAfter(p) == selected);
            const bool endsRow = p.IsAtParagraphEnd();
            const int32_t left = view.View().PointOf(runStart).x;
            const int32_t right = view.View().PointOf(p).x;
            // The next run paints over what passes its start; past the row's end nothing does.
            const int32_t scanEnd = endsRow ? image.width() : right;
            if (expected.first >= 0) {
                expected.first = std::max(expected.first, left);
                expected.last = std::min(expected.last, scanEnd - 1);
            }
            const QColor background = BackgroundOf(view, style, selected);
            const int32_t top = view.View().PointOf(runStart).y - view.ScrollTop();
            RunInk measured;
            for (int32_t x = left; x < scanEnd; ++x) {
                for (int32_t y = top; y < top + metrics.height(); ++y) {
                    // Past the run: on white, or on the cell of the mark that ends the row.
                    const QRgb pixel = image.pixel(x, y);
                    if (IsInk(pixel, background) && (x < right || IsInk(pixel, Qt::white))) {
                        if (measured.first < 0) measured.first = x;
                        measured.last = x;
                        break;
                    }
                }
            }

            if (expected.first < 0) {
                EXPECT_EQ(measured.first, -1) << "a run of spaces at " << runStart.Index();
            } else {
                EXPECT_NEAR(measured.first, expected.first, 1) << "run from " << runStart.Index();
                EXPECT_NEAR(measured.last, expected.last, 1) << "run to " << p.Index();
            }
            ++runs;
            if (endsRow && !p.IsAtEnd()) p.StepRight();
        }
        EXPECT_EQ(runs, 12);
    }
}

// U+1F600 comes from a fallback face: measured as one character with that face's advance, and
// drawn as that face draws it alone at the place the layout gives it.
// A character outside the basic plane, a family joined from three emoji, a flag and a letter with
// two combining marks: each is one caret step, as wide as the font shapes it, and drawn as
// QTextLayout draws it.
TEST_F(TextPlacementTest, AClusterIsOneStepMeasuredAndDrawnAsTheFontShapesIt) {
    const char* const clusters[] = {"😀", "👩\u200D👩\u200D👧", "🇫🇷", "e\u0301\u0302"};
    for (const char* cluster : clusters) {
        const QString face = QString::fromUtf8(cluster);
        CNoteDocument* shown = Show(std::string("¶a") + cluster + "b");
        const QFont font = view.FontFor(NoteEditEngine::kNormal, CharacterStyle());
        const QFontMetrics metrics(font);
        view.View().SetCaret(shown->FromIndex(1), false, true);
        view.View().MoveCharacterRight(false);
        ASSERT_EQ(view.View().Active().Index(), 1 + face.size()) << cluster;
        const NoteLayoutEngine::Point at = view.View().PointOf(shown->FromIndex(1));
        const int32_t width = view.View().PointOf(view.View().Active()).x - at.x;
        ASSERT_GT(width, 0) << cluster;
        EXPECT_EQ(width, metrics.horizontalAdvance(face)) << cluster;

        view.View().SetCaret(shown->Start(), false, true);
        const QImage shot = view.viewport()
                                ->grab()
                                .toImage()
                                .copy(at.x, at.y - view.ScrollTop(), width, metrics.height())
                                .convertToFormat(QImage::Format_RGB32);
        QImage alone(width, metrics.height(), QImage::Format_RGB32);
        alone.fill(Qt::white);
        {
            QTextLayout layout(face, font);
            layout.beginLayout();
            const QTextLine line = layout.createLine();
            layout.endLayout();
            QPainter painter(&alone);
            painter.setPen(Qt::black);
            // The editor's baselines stand on whole pixels.
            layout.draw(&painter, QPointF(0, metrics.ascent() - line.ascent()));
        }
        int differing = 0;
        int ink = 0;
        for (int y = 0; y < alone.height(); ++y)
            for (int x = 0; x < alone.width(); ++x) {
                if (ColourDistance(shot.pixel(x, y), QColor(alone.pixel(x, y))) >= 24) ++differing;
                if (ColourDistance(QColor(Qt::white).rgb(), QColor(alone.pixel(x, y))) >= 24) ++ink;
            }
        // Antialiasing may round an edge pixel differently; "?", a glyph per code point or a
        // shifted glyph differs in far more than the few pixels allowed here.
        ASSERT_GT(ink, 20) << cluster;
        EXPECT_LE(differing, ink / 20) << cluster << ": " << differing << " of " << ink;
        view.View().RemoveNote(shown);
        note.reset();
    }
}

// The editor's own cluster boundaries against Qt's, over random strings of what joins and what
// does not.
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
