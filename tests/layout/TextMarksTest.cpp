// Links, misspelt words and the selection as the rows draw them.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/support/FakeSpellChecker.h"
#include "tests/support/LayoutTestSupport.h"

namespace NoteLayoutEngine::TestSupport {
namespace {

using Calls = std::vector<std::string>;

class TextMarksTest : public LayoutTest {
protected:
    void SetUp() override {
        LayoutTest::SetUp();
        SetColumns(40);
        view.Marks().SetChecker(&checker);
    }
    Calls Runs() {
        view.Take();
        view.RedrawAll();
        return view.TakeOnly("R");
    }

    CFakeSpellChecker checker{{u"the", u"cat", u"was", u"here", u"see", u"now", u"code", u"or"}};
};

TEST_F(TextMarksTest, MisspeltWordsAndLinksAreMarkedWhereTheyStand) {
    NoteEditEngine::CNoteDocument* note =
        Show("¶the caat wsa here¶[9,0]teh code¶see http://wrng.example/x, now");
    view.SetCaret(note->FromIndex(0), false, false);  // before "the": touches no wrong word
    EXPECT_EQ(Runs(), (Calls{
                          "R(15,20)\"the \"",
                          "R(47,20)\"caat\"~",
                          "R(79,20)\" \"",
                          "R(87,20)\"wsa\"~",
                          "R(111,20)\" here \"",
                          // Fixed Width: code, never checked.
                          "R(15,39)\"teh code \"",
                          "R(15,60)\"see \"",
                          "R(47,60)\"http://wrng.example/x\"@http://wrng.example/x",
                          "R(215,60)\", now\"",
                      }));
    // Verdicts are kept: drawing again asks the dictionary nothing.
    const int asked = checker.questions;
    Runs();
    EXPECT_EQ(checker.questions, asked);
    // Gathering where an edit lands looks for no marks: they change no place.
    view.paints = false;
    NoteEditEngine::CNotePosition p = note->FromIndex(6);
    note->InsertCharacter(p, u'a');
    EXPECT_EQ(view.TakeOnly("R"), (Calls{"R(15,20)\"the caaat wsa here \""}));
    EXPECT_EQ(checker.questions, asked);
}

TEST_F(TextMarksTest, TheWordAtTheCaretWaitsUntilTheCaretLeavesIt) {
    NoteEditEngine::CNoteDocument* note = Show("¶cat wsa");
    view.SetCaret(note->FromIndex(7), false, false);  // just typed "wsa"
    EXPECT_EQ(Runs(), (Calls{"R(15,20)\"cat wsa\""}));
    view.SetCaret(note->FromIndex(4), false, false);  // before it: still in it
    EXPECT_EQ(Runs(), (Calls{"R(15,20)\"cat wsa\""}));
    view.SetCaret(note->FromIndex(3), false, false);
    EXPECT_EQ(Runs(), (Calls{"R(15,20)\"cat \"", "R(47,20)\"wsa\"~"}));
    view.Marks().Accept(u"wsa");
    EXPECT_EQ(Runs(), (Calls{"R(15,20)\"cat wsa\""}));
}

// A selection across notes, either way round, paints only its own characters as selected.
TEST_F(TextMarksTest, ASelectionAcrossNotesPaintsOnlyItsCharacters) {
    NoteEditEngine::CNoteDocument* first = Show("¶the");
    NoteEditEngine::CNoteDocument* second = Show("¶cat");
    for (const bool backward : {false, true}) {
        const auto from = first->FromIndex(2), to = second->FromIndex(1);
        view.SetSelection(backward ? to : from, backward ? from : to, false);
        EXPECT_EQ(Runs(),
                  (Calls{"R(15,20)\"th\"", "R(31,20)\"e\"*", "R(15,79)\"c\"*", "R(23,79)\"at\""}))
            << backward;
    }
}

// Marks are kept per row read: after random edits, caret moves and accepted words, every row's
// marks are those that marks keeping nothing yet find.
TEST_F(TextMarksTest, KeptMarksAreThoseFoundAfresh) {
    NoteEditEngine::CNoteDocument* note = Show("¶the caat wsa¶see http://a.b/c now");
    std::mt19937 random(2026);
    auto pick = [&](uint32_t n) { return static_cast<uint32_t>(random() % n); };
    std::vector<std::u16string> accepted;
    for (int step = 0; step < 300; ++step) {
        NoteEditEngine::CNotePosition p = note->FromIndex(pick(note->size()));
        if (pick(8) == 0) view.Marks().Accept(accepted.emplace_back(pick(2) ? u"caat" : u"tsa"));
        if (const uint32_t c = pick(11); c == 10) {
            note->InsertParagraphBreak(p);
        } else {
            note->InsertCharacter(p, u"acst. /:hw"[c]);
        }
        if (note->size() > 40) note->DeleteRange(p = note->Start(), 10);
        const NoteEditEngine::CNotePosition caret = note->FromIndex(pick(note->size()));
        const bool spelling = pick(4) != 0;
        for (int64_t at = 0; at + 1 < note->size(); ++at) {
            const NoteEditEngine::CNotePosition start = note->FromIndex(at);
            const int32_t most = 1 + static_cast<int32_t>(pick(6));
            int32_t length = 0;
            for (auto q = start; length < most && !q.IsAtEnd();) {
                q.StepRight();
                if (++length, q.ElementIsParagraph()) break;
            }
            CTextMarks fresh;
            fresh.SetChecker(&checker);
            for (const std::u16string& word : accepted)
                fresh.Accept(word);
            ASSERT_EQ(view.Marks().MarksOf(start, length, spelling, caret),
                      fresh.MarksOf(start, length, spelling, caret))
                << "step " << step << " at " << at;
        }
    }
}

}  // namespace
}  // namespace NoteLayoutEngine::TestSupport
