// Caret moves, the caret across edits and shown notes, undo placement.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/NoteUndoHistory.h"
#include "tests/support/LayoutTestSupport.h"

namespace NoteLayoutEngine::TestSupport {
namespace {

using NoteEditEngine::CNoteDocument;
using NoteEditEngine::CNotePosition;

// Note A: rows "hello " and "world§" (y 20 and 36), then "ab" (y 58); note B: "xyz" (y 117).
class CaretMoveTest : public LayoutTest {
protected:
    void SetUp() override {
        LayoutTest::SetUp();
        view.recording = false;
        SetColumns(8);
        a = Show("¶hello world¶ab");
        b = Show("¶xyz");
        ASSERT_EQ(view.Dump(), "{[hello ][world§]}{[ab]}|{[xyz]}");
    }
    void Put(CNoteDocument* note, uint32_t index) {
        view.SetCaret(note->FromIndex(index), false, true);
    }
    // "A3" or "B0": the note and index of a place, of the caret, of the selection's ends.
    std::string Name(const CNotePosition& p) const {
        return (p.Document() == a ? "A" : "B") + std::to_string(p.Index());
    }
    std::string Caret() const { return Name(view.Active()); }
    std::string Span() const {
        return Name(view.SelectionStart()) + "-" + Name(view.SelectionEnd());
    }

    CNoteDocument* a = nullptr;
    CNoteDocument* b = nullptr;
};

// From a place, moves one after another and where each leaves the caret. Character and word
// moves cross notes and stop at the ends of all; word moves stop at paragraph ends; row moves
// keep the preferred x across rows, paragraphs and notes and end at the first or last row's
// end; row end stops before the wrapping space.
TEST_F(CaretMoveTest, MovesFromPlaceToPlace) {
    using V = CNoteView;
    const auto right = &V::MoveCharacterRight, left = &V::MoveCharacterLeft;
    const auto wordRight = &V::MoveWordRight, wordLeft = &V::MoveWordLeft;
    const auto down = &V::MoveRowDown, up = &V::MoveRowUp;
    const auto paragraphDown = &V::MoveParagraphDown, paragraphUp = &V::MoveParagraphUp;
    const struct {
        const char* from;
        std::vector<std::pair<void (V::*)(bool), const char*>> moves;
    } cases[] = {
        {"A14", {{right, "B0"}, {left, "A14"}}},
        {"A0", {{left, "A0"}}},
        {"B3", {{right, "B3"}, {&V::MoveRowEnd, "B3"}}},
        {"A0",
         {{wordRight, "A6"},
          {wordRight, "A11"},
          {wordRight, "A12"},
          {wordLeft, "A11"},
          {wordLeft, "A6"},
          {wordLeft, "A0"}}},
        {"A14", {{wordRight, "B0"}}},
        {"A3", {{down, "A9"}, {down, "A14"}, {down, "B3"}, {up, "A14"}, {up, "A9"}}},
        {"B1", {{down, "B3"}}},
        {"A2", {{up, "A0"}}},
        {"A9", {{&V::MoveRowStart, "A6"}, {up, "A0"}}},
        {"A2", {{&V::MoveRowEnd, "A5"}}},
        {"A7", {{&V::MoveRowEnd, "A11"}}},
        {"A14",
         {{paragraphUp, "A12"},
          {paragraphUp, "A0"},
          {paragraphDown, "A12"},
          {paragraphDown, "B0"},
          {paragraphUp, "A12"},
          {&V::MoveEndOfAll, "B3"}}},
    };
    for (const auto& c : cases) {
        Put(c.from[0] == 'A' ? a : b, uint32_t(std::stoul(c.from + 1)));
        for (const auto& [move, caret] : c.moves) {
            (view.*move)(false);
            EXPECT_EQ(Caret(), caret) << c.from;
        }
    }
    // The goal: the x where the caret was put, and 0 after a move to the row's start.
    Put(a, 3);
    view.MoveRowDown(false);
    view.MoveRowUp(false);
    EXPECT_EQ(view.PreferredX(), 15 + 24);
    view.MoveRowStart(false);
    EXPECT_EQ(view.PreferredX(), 0);
    Put(b, 2);
    view.MoveStartOfAll(true);
    EXPECT_EQ(Caret(), "A0");
    EXPECT_EQ(view.Anchor(), b->FromIndex(2));
}

// The paragraph's next mark stays unselected; extending keeps the anchor; a backward selection
// orders its ends.
TEST_F(CaretMoveTest, SelectionsExtendCollapseAndSelectWholeUnits) {
    Put(a, 8);
    view.SelectWord();
    EXPECT_EQ(Span(), "A6-A11");
    view.CollapseToStart();
    EXPECT_EQ(Span(), "A6-A6");
    Put(a, 3);
    view.SelectParagraph();
    EXPECT_EQ(Name(view.Anchor()) + "-" + Caret(), "A0-A11");
    view.SelectAll();
    EXPECT_EQ(Name(view.Anchor()) + "-" + Caret(), "A0-B3");
    const std::vector<SelectionPart> parts = view.SelectionParts();
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(Name(parts[0].start) + "-" + Name(parts[0].end) + " " + Name(parts[1].start) + "-" +
                  Name(parts[1].end),
              "A0-A14 B0-B3");
    view.CollapseToEnd();
    EXPECT_EQ(Span(), "B3-B3");
    view.MoveCharacterLeft(true);
    view.MoveCharacterLeft(true);
    EXPECT_EQ(Name(view.Anchor()) + " " + Span(), "B3 B1-B3");
}

TEST_F(CaretMoveTest, PageMovesScrollByTheirStepAndEndAtTheNote) {
    view.RemoveNote(b);
    std::string text = "¶";
    for (int i = 0; i < 40; ++i)
        text += "line" + std::to_string(i % 10) + "¶";
    CNoteDocument* note = Show(text);
    view.RemoveNote(a);
    Put(note, 0);
    const Point before = view.PointOf(view.Active());
    // 12/15 of 100 is 80: four rows of 16 and their paragraph spacing of 6 each, and a bit.
    const int32_t scroll = view.MovePageDown(100, false);
    const Point after = view.PointOf(view.Active());
    EXPECT_EQ(after.y - before.y, scroll);
    EXPECT_GT(scroll, 60);
    EXPECT_LE(scroll, 80 + 8);
    view.MovePageUp(100, true);
    EXPECT_EQ(view.Active(), note->Start());
    EXPECT_EQ(view.Anchor(), view.HitTest(view.PreferredX(), after.y));
    // On the last screen page down reaches the end of the note, page up from the top its start.
    view.MoveEndOfAll(false);
    view.MoveRowUp(false);
    view.MovePageDown(100, false);
    EXPECT_EQ(view.Active(), note->End());
    Put(note, 3);
    view.MovePageUp(100, false);
    EXPECT_EQ(view.Active(), note->Start());
}

TEST_F(CaretMoveTest, TheCaretFollowsDeletionsAndShownNotes) {
    Put(a, 9);
    CNotePosition p = a->FromIndex(6);
    a->DeleteRange(p, 5);  // "world", which holds the caret
    EXPECT_EQ(Caret(), "A6");
    Put(a, 8);  // after "a" of "ab": elements 7 (mark) and 8
    CNotePosition q = a->FromIndex(2);
    a->DeleteRange(q, 2);  // "ll", before the caret
    EXPECT_EQ(Caret(), "A6");
    EXPECT_EQ(view.Active().CodeUnitAt(), u'a');

    // Showing a note while others are shown keeps the caret; removing the caret's note moves it
    // to the next note's start, or the previous note's end when it was the last.
    auto c = NoteEditEngine::TestSupport::MakeDocument("¶new");
    view.AddNote(c.get(), a);
    EXPECT_EQ(Caret(), "A6");
    EXPECT_EQ(view.Dump(), "{[heo §]}{[ab]}|{[new]}|{[xyz]}");
    view.SetCaret(c->FromIndex(2), false, true);
    view.RemoveNote(c.get());
    EXPECT_EQ(Caret(), "B0");
    view.RemoveNote(b);
    EXPECT_EQ(view.Active(), a->End());
    view.RemoveNote(a);
    EXPECT_FALSE(view.HasNotes());
    view.MoveCharacterRight(false);  // nothing to move in
    EXPECT_EQ(view.TreeHeight(), 0);
    // The first note shown puts the caret at its start.
    view.AddNote(b, nullptr);
    EXPECT_EQ(Caret(), "B0");
}

TEST_F(CaretMoveTest, UndoAndRedoPlaceTheCaretAtTheChange) {
    Put(a, 14);
    {
        NoteEditEngine::CActionScope action(u"enter_text");
        view.EditAtCaret([](CNotePosition& p) {
            p.Document()->InsertCharacter(p, u'c');
            p.Document()->InsertCharacter(p, u'd');
        });
    }
    NoteEditEngine::StartNewUndoGroup();
    EXPECT_EQ(Caret(), "A16");
    EXPECT_TRUE(view.CanUndo());
    Put(b, 0);
    view.Undo();
    EXPECT_EQ(Caret(), "A14");
    EXPECT_EQ(view.Dump(), "{[hello ][world§]}{[ab]}|{[xyz]}");
    EXPECT_TRUE(view.CanRedo());
    view.Redo();
    EXPECT_EQ(Caret(), "A16");
    // A format change alone gives no place: the caret stays where it was.
    Put(b, 2);
    {
        NoteEditEngine::CActionScope action(u"style_change");
        CNotePosition p = a->Start();
        a->SetParagraphFormat(p, NoteEditEngine::kHeader1, 0);
    }
    NoteEditEngine::StartNewUndoGroup();
    view.Undo();
    EXPECT_EQ(Caret(), "B2");
    EXPECT_EQ(view.CaretParagraphFormat(), NoteEditEngine::ParagraphFormat());
}

}  // namespace
}  // namespace NoteLayoutEngine::TestSupport
