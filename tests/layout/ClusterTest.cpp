// Characters of several elements: a surrogate pair, a letter with combining marks, a joined emoji
// or a flag is one character on screen, measured, drawn, hit and stepped over whole.
#include <gtest/gtest.h>

#include "tests/support/LayoutTestSupport.h"

namespace NoteLayoutEngine::TestSupport {
namespace {

using NoteEditEngine::CNoteDocument;
using NoteEditEngine::TestSupport::Utf16;
using Calls = std::vector<std::string>;

// The view's dumps and records write every code unit on its own.
std::string Units(std::string_view utf8) {
    return Narrow(Utf16(utf8));
}

class ClusterTest : public LayoutTest {};

// "¶a😀b 😀😀¶x": a 1, the first pair 2-3, b 4, the space 5, the pairs 6-7 and 8-9, x 11.
TEST_F(ClusterTest, CaretMovesAndSelectionsStepOverThePairWhole) {
    view.recording = false;
    SetColumns(20);
    CNoteDocument* note = Show("¶a😀b 😀😀¶x");
    using Move = void (CNoteView::*)(bool);
    struct Case {
        uint32_t from;
        Move move;
        uint32_t to;
    };
    const Case cases[] = {
        {0, &CNoteView::MoveWordRight, 5}, {5, &CNoteView::MoveWordRight, 9},
        {9, &CNoteView::MoveWordLeft, 5},  {0, &CNoteView::MoveRowEnd, 9},
        {11, &CNoteView::MoveRowUp, 1},
    };
    for (const Case& c : cases) {
        view.SetCaret(note->FromIndex(c.from), false, true);
        (view.*c.move)(true);
        EXPECT_EQ(view.Active().Index(), c.to) << c.from;
        EXPECT_EQ(view.Anchor().Index(), c.from) << c.from;
    }
    // Back to the remembered x after the pair, across a row down and up.
    view.SetCaret(note->FromIndex(3), false, true);
    view.MoveRowDown(false);
    view.MoveRowUp(false);
    EXPECT_EQ(view.Active().Index(), 3u);
    view.SetCaret(note->FromIndex(8), false, true);
    view.SelectWord();
    EXPECT_EQ(view.Anchor().Index(), 5u);
    EXPECT_EQ(view.Active().Index(), 9u);
}

// A pair (2-3), e with two marks (4-6), a woman and a girl joined (8-12) and two flags (13-16,
// 17-20); the surface gives a mark no width and a joiner one.
constexpr const char* kClusters =
    "¶a😀e\xCC\x81\xCC\x82"
    "b👩\xE2\x80\x8D👧🇫🇷🇫🇷x";

TEST_F(ClusterTest, ClustersAreMeasuredDrawnHitAndSteppedOverWhole) {
    const struct {
        int32_t columns;
        const char* rows;
    } breaks[] = {
        {20,
         "{[a😀e\xCC\x81\xCC\x82"
         "b👩\xE2\x80\x8D👧🇫🇷🇫🇷x]}"},
        {3,
         "{[a😀e\xCC\x81\xCC\x82"
         "][b][👩\xE2\x80\x8D👧][🇫🇷][🇫🇷x]}"},
    };
    for (const auto& b : breaks) {
        SetColumns(b.columns);
        CNoteDocument* note = Show(kClusters);
        EXPECT_EQ(view.Dump(), Units(b.rows)) << b.columns;
        view.RemoveNote(note);
    }
    SetColumns(20);
    CNoteDocument* note = Show(kClusters);
    const uint32_t stops[] = {0, 1, 3, 6, 7, 12, 16, 20, 21};
    const int32_t xs[] = {15, 23, 31, 39, 47, 71, 87, 103, 111};
    view.recording = false;
    for (size_t k = 1; k < std::size(stops); ++k) {
        view.SetCaret(note->FromIndex(stops[k - 1]), false, true);
        view.MoveCharacterRight(false);
        EXPECT_EQ(view.Active().Index(), stops[k]);
        view.MoveCharacterLeft(false);
        EXPECT_EQ(view.Active().Index(), stops[k - 1]);
        EXPECT_EQ(view.PointOf(note->FromIndex(stops[k])).x, xs[k]);
        // A place inside a cluster stands after it; a click never lands inside one.
        if (stops[k] - stops[k - 1] > 1) {
            EXPECT_EQ(view.PointOf(note->FromIndex(stops[k] - 1)).x, xs[k]);
        }
        EXPECT_EQ(view.HitTest(xs[k - 1] + (xs[k] - xs[k - 1]) / 2 - 1, 20).Index(), stops[k - 1]);
        EXPECT_EQ(view.HitTest(xs[k - 1] + (xs[k] - xs[k - 1]) / 2 + 1, 20).Index(), stops[k]);
    }
    view.recording = true;
    view.Take();
    view.RedrawAll();
    EXPECT_EQ(view.TakeOnly("R"),
              (Calls{Units(std::string("R(15,20)\"") + (kClusters + 2) + "\"")}));
}

}  // namespace
}  // namespace NoteLayoutEngine::TestSupport
