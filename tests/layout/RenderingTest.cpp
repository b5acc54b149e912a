// Paint order, runs, selection painting, list markers, separators and the empty view.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "tests/support/LayoutTestSupport.h"

namespace NoteLayoutEngine::TestSupport {
namespace {

using NoteEditEngine::CNoteDocument;
using Calls = std::vector<std::string>;
using NoteEditEngine::CNotePosition;

class RenderingTest : public LayoutTest {
protected:
    void SetUp() override {
        LayoutTest::SetUp();
        SetColumns(10);  // view width 110, note width 80
    }
};

// Only the runs differ: the note's last character and the next note's first are selected.
TEST_F(RenderingTest, SelectionAcrossNotesLeavesMarginsAndSeparatorsAlone) {
    CNoteDocument* first = Show("¶ab");
    CNoteDocument* second = Show("¶cd");
    const auto paint = [this] {
        view.Take();
        view.RedrawAll();
        std::pair<Calls, Calls> othersAndRuns;
        for (const std::string& call : view.Take())
            (call[0] == 'R' ? othersAndRuns.second : othersAndRuns.first).push_back(call);
        return othersAndRuns;
    };
    const auto plain = paint();
    EXPECT_EQ(plain.second, (Calls{"R(15,20)\"ab\"", "R(15,79)\"cd\""}));
    view.SetSelection(first->FromIndex(1), second->FromIndex(1), false);
    const auto selected = paint();
    EXPECT_EQ(selected.first, plain.first);
    EXPECT_EQ(selected.second,
              (Calls{"R(15,20)\"a\"", "R(23,20)\"b\"*", "R(15,79)\"c\"*", "R(23,79)\"d\""}));
}

TEST_F(RenderingTest, ListMarkersOnFirstRowsAndZeroWidthCharactersAsSubstitutes) {
    SetColumns(8);
    Show("¶[4,0]abcdef¶[8,1]x\u200By");
    view.Take();
    view.RedrawAll();
    const Calls calls = view.Take();
    Calls markers;
    Calls runs;
    for (const std::string& call : calls) {
        if (call[0] == 'M') markers.push_back(call);
        if (call[0] == 'R') runs.push_back(call);
    }
    // Ordered lists show the plus like positive lists; one marker per paragraph.
    EXPECT_EQ(markers, (Calls{"M(27,20,12,16)4", "M(59,36,12,16)8"}));
    EXPECT_EQ(runs, (Calls{"R(27,20)\"abcdef \"", "R(59,36)\"x?\"", "R(59,52)\"y\""}));
}

TEST_F(RenderingTest, AnEditRepaintsOnlyTheChangedRowsInTheVisibleBand) {
    CNoteDocument* note = Show("¶first¶second¶third");
    view.Take();
    CNotePosition p = note->FromIndex(8);  // in "second"
    note->InsertCharacter(p, u'X');
    // The row ends with the next paragraph's mark, painted as a space. Only its band is painted:
    // margins beside it, never a note's header, separator or the full height of the margins (out
    // of painting each drawn rectangle is an area the window repaints).
    const Calls calls = view.Take();
    EXPECT_EQ(std::ranges::count_if(calls, [](const std::string& call) { return call[0] == 'R'; }),
              1);
    for (const std::string& call : calls) {
        int32_t x = 0, y = 0, w = 0, h = 0;
        if (call[0] == 'R') {
            EXPECT_EQ(call, "R(15,42)\"seXcond \"");
        } else if (std::sscanf(call.c_str(), "E(%d,%d,%d,%d)", &x, &y, &w, &h) == 4) {
            EXPECT_TRUE(y >= 42 - 8 && y + h <= 42 + 24) << call;
        }
        EXPECT_TRUE(call[0] != 'H' && call[0] != 'S') << call;
    }
    // Below the visible band nothing is drawn.
    view.scrollTop = 0;
    view.clientHeight = 30;
    CNotePosition q = note->FromIndex(17);  // in "third"
    note->InsertCharacter(q, u'Y');
    EXPECT_EQ(view.TakeOnly("R"), Calls{});
    // A change of height repaints to the end of the band.
    view.clientHeight = 400;
    CNotePosition r = note->FromIndex(2);
    note->InsertParagraphBreak(r);
    EXPECT_EQ(view.TakeOnly("R"), (Calls{"R(15,20)\"fi \"", "R(15,42)\"rst \"",
                                         "R(15,64)\"seXcond \"", "R(15,86)\"thiYrd\""}));
}

}  // namespace
}  // namespace NoteLayoutEngine::TestSupport
