// Search over the shown notes, find and replace, and pagination.
#include <gtest/gtest.h>

#include "base/Utf8.h"
#include "layout/Pagination.h"
#include "model/NoteUndoHistory.h"
#include "tests/support/LayoutTestSupport.h"

namespace NoteLayoutEngine::TestSupport {
namespace {

using NoteEditEngine::CNoteDocument;
using NoteEditEngine::CNotePosition;

class SearchTest : public LayoutTest {
protected:
    void SetUp() override {
        LayoutTest::SetUp();
        view.recording = false;
        SetColumns(20);
        a = Show("¶Note one¶notes");
        b = Show("¶the NOTE");
    }
    // "A9-13": the note and the indexes of the occurrence found from `from`, or "none".
    std::string Find(std::u16string_view text, const CNotePosition& from, bool matchCase,
                     bool wholeWord) {
        CNotePosition start;
        CNotePosition end;
        if (!view.Search(text, from, matchCase, wholeWord, start, end)) return "none";
        return std::string(start.Document() == a ? "A" : "B") + std::to_string(start.Index()) +
               "-" + std::to_string(end.Index());
    }

    CNoteDocument* a = nullptr;
    CNoteDocument* b = nullptr;
};

// From the position, wrapping once over the shown notes (the note of the start searched again
// from its start); with case and whole words; a paragraph mark never matches, not even a space.
TEST_F(SearchTest, FindsFromThePositionWithCaseAndWholeWords) {
    const struct {
        std::u16string_view text;
        bool fromB;
        uint32_t from;
        bool matchCase, wholeWord;
        const char* found;
    } cases[] = {
        {u"note", false, 0, false, false, "A0-4"},      {u"note", false, 4, false, false, "A9-13"},
        {u"note", false, 13, false, false, "B4-8"},     {u"note", true, 8, false, false, "A0-4"},
        {u"the", true, 1, false, false, "B0-3"},        {u"zzz", true, 3, false, false, "none"},
        {u"", false, 5, false, false, "A5-5"},          {u"note", false, 0, true, false, "A9-13"},
        {u"note", false, 13, true, false, "A9-13"},     {u"NOTE", false, 0, true, false, "B4-8"},
        {u"note", false, 4, false, true, "B4-8"},       {u"ote", false, 0, false, true, "none"},
        {u"one notes", false, 0, false, false, "none"}, {u"e ", false, 0, false, false, "A3-5"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Find(c.text, (c.fromB ? b : a)->FromIndex(c.from), c.matchCase, c.wholeWord),
                  c.found)
            << NoteBase::Utf16ToUtf8(c.text) << " from " << c.from;
    }
}

TEST_F(SearchTest, FindSelectsAndReplaceOnlyTheUntouchedSelection) {
    CNotePosition start;
    CNotePosition end;
    view.SetCaret(a->FromIndex(2), false, true);
    ASSERT_TRUE(view.FindInView(u"note", start, end, false, false));
    EXPECT_EQ(view.Anchor(), a->FromIndex(9));
    EXPECT_EQ(view.Active(), a->FromIndex(13));
    EXPECT_TRUE(view.ReplaceInView(start, end, u"memo"));
    EXPECT_EQ(NoteEditEngine::TestSupport::Dump(*a), "¶Note one¶memos");
    EXPECT_EQ(view.Active(), a->FromIndex(13));
    EXPECT_FALSE(view.HasSelection());
    // The next one is found after the replacement; a changed selection is not replaced.
    ASSERT_TRUE(view.FindInView(u"note", start, end, false, false));
    EXPECT_EQ(start, b->FromIndex(4));
    view.MoveCharacterLeft(true);
    EXPECT_FALSE(view.ReplaceInView(start, end, u"x"));
    EXPECT_EQ(NoteEditEngine::TestSupport::Dump(*b), "¶the NOTE");
    view.Undo();
    EXPECT_EQ(NoteEditEngine::TestSupport::Dump(*a), "¶Note one¶notes");
    EXPECT_EQ(view.Dump(), "{[Note one§]}{[notes]}|{[the NOTE]}");
}

// Pages follow each other row by row from the first note's start to the last one's end; on pages
// lower than a row every row gets a page of its own, and pagination still ends.
TEST_F(SearchTest, PagesFollowRowByRowAndEnd) {
    std::string text;
    for (int i = 0; i < 12; ++i)
        text += "¶line number " + std::to_string(i) + " wraps here";
    Show(text);
    for (const int32_t height : {100, 10, 0}) {
        const std::vector<PageRange> pages = Paginate(view, height);
        ASSERT_FALSE(pages.empty());
        EXPECT_EQ(pages.front().start, a->Start());
        EXPECT_EQ(pages.back().end, view.ShownNotes().back()->End());
        for (size_t i = 0; i < pages.size(); ++i) {
            // Whole rows that fit; a row taller than the page alone.
            const int32_t top = view.PointOf(pages[i].start).y;
            EXPECT_LE(view.PointOf(pages[i].end).y + view.TextHeight(pages[i].end) - top,
                      std::max(height, 16))
                << height << " " << i;
            if (i + 1 == pages.size()) break;
            CNotePosition next = pages[i].end;
            view.StepForward(next);
            EXPECT_EQ(next, pages[i + 1].start) << height << " " << i;
        }
    }
}

}  // namespace
}  // namespace NoteLayoutEngine::TestSupport
