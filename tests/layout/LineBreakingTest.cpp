// Row breaking, paragraph and note geometry, points and hit tests.
#include <gtest/gtest.h>

#include "layout/NoteRowGlyph.h"
#include "tests/support/LayoutTestSupport.h"

namespace NoteLayoutEngine::TestSupport {
namespace {

using NoteEditEngine::CNotePosition;

class LineBreakingTest : public LayoutTest {};

// Spaces stay on the upper row, even three overflowing a row of four; words wrap whole, or split
// at the character when longer than a row; narrower than one character (or than the margins),
// every row still takes one element; an empty note or last paragraph is one empty row.
TEST_F(LineBreakingTest, RowsBreakAfterSpacesAndWithinLongWords) {
    const struct {
        int32_t width;
        const char *text, *rows;
    } cases[] = {
        {WidthForColumns(8), "¶hello world¶ab   cd", "{[hello ][world§]}{[ab   cd]}"},
        {WidthForColumns(4), "¶hello world¶ab   cd", "{[hell][o ][worl][d§]}{[ab   ][cd]}"},
        {WidthForColumns(4), "¶abcdefghij xy", "{[abcd][efgh][ij ][xy]}"},
        {WidthForColumns(0) + 3, "¶ab x", "{[a][b][ ][x]}"},
        {5, "¶ab x", "{[a][b][ ][x]}"},
        {WidthForColumns(2), "¶a\u200Bb", "{[a\u200B][b]}"},
        {WidthForColumns(10), "¶", "{[]}"},
        {WidthForColumns(10), "¶ab¶", "{[ab§]}{[]}"},
    };
    for (const auto& c : cases) {
        view.SetWidth(c.width, false);
        NoteEditEngine::CNoteDocument* note = Show(c.text);
        EXPECT_EQ(view.Dump(), c.rows) << c.width;
        view.RemoveNote(note);
    }
}

TEST_F(LineBreakingTest, HitTestsNeverPlaceTheCaretAfterAWrappingSpace) {
    SetColumns(8);
    NoteEditEngine::CNoteDocument* note = Show("¶hello world¶x");
    // Far right on the first row: before the space at which the row wrapped.
    EXPECT_EQ(view.HitTest(kFarRight, 20).Index(), 5u);
    // Far right on the last row of a paragraph: before its mark.
    EXPECT_EQ(view.HitTest(kFarRight, 36).Index(), 11u);
    // Far right on the note's last row: after its last character.
    EXPECT_EQ(view.HitTest(kFarRight, 60), note->End());
    // Left half of a character lands before it, the right half after it.
    EXPECT_EQ(view.HitTest(15 + 8 + 3, 20).Index(), 1u);
    EXPECT_EQ(view.HitTest(15 + 8 + 4, 20).Index(), 2u);
    // Points are where hit tests come from.
    for (uint32_t i = 0; i < note->size(); ++i) {
        const CNotePosition p = note->FromIndex(i);
        const Point point = view.PointOf(p);
        if (i == 6) continue;  // after the wrapping space: shown at the next row's start
        EXPECT_EQ(view.HitTest(point.x, point.y).Index(), i == 11 ? 11u : i) << i;
    }
}

TEST_F(LineBreakingTest, CaretGeometryGivesPointHeightAndSpaceFromOneWalk) {
    SetColumns(6);
    NoteEditEngine::CNoteDocument* first = Show("¶[1,0]Title¶body text¶[9,0]fixed");
    NoteEditEngine::CNoteDocument* second = Show("¶[5,0]item");
    // A note's first row: its paragraph's spacing below; above, the note's top margin only.
    EXPECT_EQ(view.CaretGeometryOf(first->Start()), (CaretGeometry{{15, 20}, 24, 20, 3}));
    // The second row of "body text": nothing above, the paragraph's spacing below.
    EXPECT_EQ(view.CaretGeometryOf(first->FromIndex(13)), (CaretGeometry{{31, 66}, 16, 0, 3}));
    // The fixed face's leading and the note's bottom margin below the note's last row.
    EXPECT_EQ(view.CaretGeometryOf(first->End()), (CaretGeometry{{55, 85}, 16, 0, 22}));
    // After the list marker's margin; the view's bottom margin below the last note.
    EXPECT_EQ(view.CaretGeometryOf(second->End()), (CaretGeometry{{59, 143}, 16, 20, 30}));
    // Everywhere the same as the single queries.
    for (NoteEditEngine::CNoteDocument* note : {first, second})
        for (uint32_t i = 0; i < note->size(); ++i) {
            const CNotePosition p = note->FromIndex(i);
            EXPECT_EQ(view.CaretGeometryOf(p),
                      (CaretGeometry{view.PointOf(p), view.TextHeight(p), view.SpaceAbove(p),
                                     view.SpaceBelow(p)}))
                << i;
        }
}

}  // namespace
}  // namespace NoteLayoutEngine::TestSupport
