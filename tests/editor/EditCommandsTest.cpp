// The command logic on the test view: action names, undo groups, styles and their edge cases.
#include <gtest/gtest.h>

#include <cstdint>

#include "editor/ClipboardCommands.h"
#include "editor/FindReplace.h"
#include "editor/NavigationCommands.h"
#include "editor/StyleCommands.h"
#include "editor/TypingCommands.h"
#include "model/NoteText.h"
#include "model/NoteUndoHistory.h"
#include "tests/support/LayoutTestSupport.h"

namespace {

using NoteEditEngine::CharacterStyle;
using NoteEditEngine::TestSupport::Dump;
using NoteLayoutEngine::TestSupport::LayoutTest;
using namespace NoteEditor;

class EditCommandsTest : public LayoutTest {
protected:
    void SetUp() override {
        LayoutTest::SetUp();
        SetColumns(40);
    }
    // The caret after `index` elements of the first shown note.
    void CaretAt(uint32_t index, NoteEditEngine::CNoteDocument* note = nullptr) {
        if (note == nullptr) note = view.ShownNotes().front();
        view.SetCaret(note->FromIndex(index), false, true);
    }
    void Select(uint32_t from, uint32_t to) {
        NoteEditEngine::CNoteDocument* note = view.ShownNotes().front();
        view.SetSelection(note->FromIndex(from), note->FromIndex(to), true);
    }
    void Type(std::u16string_view text) {
        for (char16_t c : text)
            TypeCharacter(view, c);
    }
};

TEST_F(EditCommandsTest, TypingMergesUntilAMoveStartsANewStep) {
    auto* note = Show("¶ab");
    CaretAt(2);
    Type(u"xyz");
    EXPECT_EQ(Dump(*note), "¶abxyz");
    view.Undo();
    EXPECT_EQ(Dump(*note), "¶ab");

    Type(u"x");
    Navigate(view, NavigationKey::Left, false, false, 400);
    Type(u"y");
    EXPECT_EQ(Dump(*note), "¶abyx");
    view.Undo();
    EXPECT_EQ(Dump(*note), "¶abx");
    view.Undo();
    EXPECT_EQ(Dump(*note), "¶ab");
}

TEST_F(EditCommandsTest, TypingReplacesTheSelectionInOneStep) {
    auto* note = Show("¶hello world");
    Select(0, 5);
    Type(u"J");
    EXPECT_EQ(Dump(*note), "¶J world");
    EXPECT_FALSE(view.HasSelection());
    view.Undo();
    EXPECT_EQ(Dump(*note), "¶hello world");
}

TEST_F(EditCommandsTest, EnterWithASelectionIsOneStep) {
    auto* note = Show("¶abcdef");
    Select(2, 4);
    Enter(view);
    EXPECT_EQ(Dump(*note), "¶ab¶ef");
    view.Undo();
    EXPECT_EQ(Dump(*note), "¶abcdef");
}

TEST_F(EditCommandsTest, BackspacesMergeButDeletingASelectionStandsAlone) {
    auto* note = Show("¶abcdef");
    CaretAt(6);
    Backspace(view);
    Backspace(view);
    EXPECT_EQ(Dump(*note), "¶abcd");
    Select(0, 2);
    Backspace(view);
    EXPECT_EQ(Dump(*note), "¶cd");
    view.Undo();
    EXPECT_EQ(Dump(*note), "¶abcd");
    view.Undo();
    EXPECT_EQ(Dump(*note), "¶abcdef");
}

TEST_F(EditCommandsTest, DeletePressesMergeAndKeepTheCaret) {
    auto* note = Show("¶abcdef");
    CaretAt(0);
    DeleteKey(view);
    DeleteKey(view);
    EXPECT_EQ(Dump(*note), "¶cdef");
    EXPECT_EQ(view.Active().Index(), 0u);
    view.Undo();
    EXPECT_EQ(Dump(*note), "¶abcdef");
}

TEST_F(EditCommandsTest, DeletingASelectionKeepsTheTypingStyle) {
    auto* note = Show("¶a{1}bc{0}d");
    Select(1, 3);
    NoteEditEngine::CNotePosition caret = view.Active();
    caret.SetTypingStyle(CharacterStyle(4));
    view.SetSelection(view.Anchor(), caret, false);
    Backspace(view);
    EXPECT_EQ(view.Active().TypingStyle().Word(), 4u);
    Type(u"x");
    EXPECT_EQ(Dump(*note), "¶a{4}x{0}d");
}

TEST_F(EditCommandsTest, ParagraphTogglesAndCycles) {
    auto* note = Show("¶[2,0]Title¶body");
    CaretAt(2);
    ToggleParagraphStyle(view, 2);
    EXPECT_EQ(Dump(*note), "¶Title¶body");
    ToggleParagraphStyle(view, 2);
    EXPECT_EQ(Dump(*note), "¶[2,0]Title¶body");

    ToggleParagraphStyle(view, 0);  // Normal is always set
    const uint32_t forward[] = {1, 2, 3, 1};
    for (uint32_t expected : forward) {
        CycleHeader(view, true);
        EXPECT_EQ(CurrentParagraphStyle(view), expected);
    }
    ToggleParagraphStyle(view, 0);  // Normal is always set
    CycleHeader(view, false);
    EXPECT_EQ(CurrentParagraphStyle(view), 3u);

    ToggleParagraphStyle(view, 0);  // Normal is always set
    const uint32_t lists[] = {5, 6, 8, 7, 5};
    for (uint32_t expected : lists) {
        CycleList(view, true);
        EXPECT_EQ(CurrentParagraphStyle(view), expected);
    }
    const uint32_t backward[] = {7, 8, 6, 5};
    for (uint32_t expected : backward) {
        CycleList(view, false);
        EXPECT_EQ(CurrentParagraphStyle(view), expected);
    }
    // Every style command is an undo step of its own.
    view.Undo();
    EXPECT_EQ(CurrentParagraphStyle(view), 6u);
}

TEST_F(EditCommandsTest, ASelectionEndingAtAParagraphStartDoesNotTouchThatParagraph) {
    auto* note = Show("¶one¶[1,0]two");
    Select(0, 4);  // from the note's start to just after the Header 1 mark
    EXPECT_EQ(CurrentParagraphStyle(view), 0u);
    ToggleParagraphStyle(view, 1);
    EXPECT_EQ(Dump(*note), "¶[1,0]one¶[1,0]two");
    EXPECT_TRUE(view.HasSelection());
}

TEST_F(EditCommandsTest, IndentAndOutdentStayWithinTheirRangeAndRecordNothingThere) {
    auto* note = Show("¶a¶[0,14]b");
    CaretAt(1);
    Outdent(view);
    EXPECT_FALSE(view.CanUndo());
    Indent(view);
    EXPECT_EQ(Dump(*note), "¶[0,1]a¶[0,14]b");
    CaretAt(3);
    const size_t steps = note->UndoHistory().Steps().size();
    Indent(view);
    EXPECT_EQ(note->UndoHistory().Steps().size(), steps);
    Select(0, 3);
    Indent(view);
    EXPECT_EQ(Dump(*note), "¶[0,2]a¶[0,14]b");
}

TEST_F(EditCommandsTest, CharacterTogglesOnTypingStyleSelectionAndParagraph) {
    auto* note = Show("¶ab cd¶ef");
    CaretAt(2);
    ToggleCharacterStyle(view, CharacterStyle::kStrong);
    EXPECT_EQ(Dump(*note), "¶ab cd¶ef");
    Type(u"X");
    EXPECT_EQ(Dump(*note), "¶ab{1}X{0} cd¶ef");

    view.Undo();
    CaretAt(2);
    ToggleCharacterStyleOnParagraph(view, CharacterStyle::kComment);
    EXPECT_EQ(Dump(*note), "¶{4}ab cd{0}¶ef");
    EXPECT_FALSE(view.HasSelection());
    EXPECT_EQ(view.Active().Index(), 2u);

    Select(3, 7);
    ToggleCharacterStyle(view, CharacterStyle::kHighlight);
    EXPECT_EQ(Dump(*note), "¶{4}ab {6}cd{2}¶e{0}f");
    view.Undo();
    EXPECT_EQ(Dump(*note), "¶{4}ab cd{0}¶ef");
}

TEST_F(EditCommandsTest, CharacterToggleAcrossNotesLeavesTheLeadingMarkAlone) {
    auto* first = Show("¶ab");
    auto* second = Show("¶cd");
    view.SetSelection(first->FromIndex(1), second->FromIndex(2), true);
    ToggleCharacterStyle(view, CharacterStyle::kStrong);
    EXPECT_EQ(Dump(*first), "¶a{1}b");
    EXPECT_EQ(Dump(*second), "¶{1}cd");
    view.Undo();
    EXPECT_EQ(Dump(*first), "¶ab");
    EXPECT_EQ(Dump(*second), "¶cd");
}

TEST_F(EditCommandsTest, SelectionDeletedAcrossNotesNeverJoinsThem) {
    auto* first = Show("¶abc");
    auto* second = Show("¶def");
    view.SetSelection(first->FromIndex(2), second->FromIndex(1), true);
    DeleteKey(view);
    EXPECT_EQ(Dump(*first), "¶ab");
    EXPECT_EQ(Dump(*second), "¶ef");
    view.Undo();
    EXPECT_EQ(Dump(*first), "¶abc");
    EXPECT_EQ(Dump(*second), "¶def");
}

TEST_F(EditCommandsTest, AltArrowsMoveBetweenNotes) {
    auto* first = Show("¶abc");
    auto* second = Show("¶def");
    CaretAt(2, second);
    MoveToNoteStart(view, false);
    EXPECT_EQ(view.Active(), second->Start());
    MoveToNoteStart(view, false);
    EXPECT_EQ(view.Active(), first->Start());
    MoveToNextNote(view, true);
    EXPECT_EQ(view.Active(), second->Start());
    EXPECT_EQ(view.Anchor(), first->Start());
    MoveToNextNote(view, false);
    EXPECT_EQ(view.Active(), second->End());
}

TEST_F(EditCommandsTest, ArrowsCollapseASelectionFirst) {
    Show("¶abcdef");
    Select(2, 4);
    Navigate(view, NavigationKey::Left, false, false, 400);
    EXPECT_EQ(view.Active().Index(), 2u);
    EXPECT_FALSE(view.HasSelection());
    Select(2, 4);
    Navigate(view, NavigationKey::Right, false, true, 400);
    EXPECT_EQ(view.Active().Index(), 5u);
    EXPECT_EQ(view.Anchor().Index(), 2u);
}

TEST_F(EditCommandsTest, ClipboardRoundTripKeepsStylesAndIndents) {
    auto* source = Show("¶[6,2]{1}done{0}¶plain");
    view.SetSelection(source->Start(), source->End(), true);
    const auto content = CopySelection(view, false);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->plainText, u"done\r\nplain\r\n");
    EXPECT_NE(content->html.find(u"margin-left:4em;list-style-type:disc;"), std::u16string::npos);
    auto* target = Show("¶x");
    view.SetCaret(target->End(), false, true);
    Paste(view, {content->privateBytes, std::nullopt});
    // Pasted after text, the copied first paragraph starts a paragraph of its own.
    EXPECT_EQ(Dump(*target), "¶x¶[6,2]{1}done{0}¶plain");
    view.Undo();
    EXPECT_EQ(Dump(*target), "¶x");

    const auto textOnly = CopySelection(view, true);
    EXPECT_FALSE(textOnly);  // the selection went with the paste
}

TEST_F(EditCommandsTest, PastingPlainTextWithLineEndsAndTabs) {
    auto* note = Show("¶[0,1]abcd");
    CaretAt(2);
    Paste(view, {std::nullopt, std::u16string(u"X\r\n\tY")});
    EXPECT_EQ(Dump(*note), "¶[0,1]abX¶[0,2]Ycd");
    EXPECT_EQ(view.Active().Index(), 5u);
    // A 0 ends the text as a terminated clipboard block would.
    Paste(view, {std::nullopt, std::u16string(u"Q\0R", 3)});
    EXPECT_EQ(Dump(*note), "¶[0,1]abX¶[0,2]YQcd");
}

TEST_F(EditCommandsTest, CutIsOneStepAndDoesNothingWithoutASelection) {
    auto* note = Show("¶abcdef");
    CaretAt(3);
    EXPECT_FALSE(CutSelection(view));
    EXPECT_EQ(Dump(*note), "¶abcdef");
    Select(0, 2);
    const auto content = CutSelection(view);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->plainText, u"ab");
    EXPECT_EQ(Dump(*note), "¶cdef");
    view.Undo();
    EXPECT_EQ(Dump(*note), "¶abcdef");
}

// Memory running out at any block allocation of a paste leaves the notes, their undo and the
// selection as they were; given enough, the same paste goes through.
TEST_F(EditCommandsTest, PasteThatRunsOutOfMemoryChangesNothing) {
    // Every attempt runs at a later second, so a note stamped by the attempt shows.
    NoteEditEngine::TestSupport::PinnedClock clock(1'000'000);
    int32_t second = 1'000'000;
    auto* source = Show("¶[6,2]{1}done{0}¶plain");
    view.SetSelection(source->Start(), source->End(), true);
    const auto styled = CopySelection(view, false);
    ASSERT_TRUE(styled);
    auto* note = Show("¶[5,1]keep {1}this{0} text");
    CaretAt(1, note);
    Type(u"!");  // an undo step that must survive
    const struct {
        ClipboardOffer offer;
        uint32_t from, to;  // the selection in `note`
    } pastes[] = {{{std::nullopt, std::u16string(u"a\n\tb c\nd")}, 7, 11},
                  {{styled->privateBytes, std::nullopt}, 7, 11},
                  {{std::nullopt, std::u16string(u"x\ny")}, 3, 3}};
    struct LiftLimit {
        ~LiftLimit() { NoteEditEngine::CNoteText::SetAllocationLimit(SIZE_MAX); }
    } lift;
    for (const auto& paste : pastes) {
        for (size_t spare = 0;; ++spare) {
            ASSERT_LT(spare, 1000u);
            view.SetSelection(note->FromIndex(paste.from), note->FromIndex(paste.to), true);
            const std::string text = Dump(*note);
            const std::string sourceText = Dump(*source);
            const auto& history = note->UndoHistory();
            const std::vector<NoteEditEngine::UndoStep> steps = history.Steps();
            const uint32_t done = history.Done();
            const size_t runs = history.TextRunCount();
            const int32_t modified = note->Modified();
            NoteEditEngine::CNoteText::SetAllocationLimit(
                NoteEditEngine::CNoteText::AllocationsInUse() + spare);
            clock.Set(++second);
            const bool pasted = Paste(view, paste.offer);
            NoteEditEngine::CNoteText::SetAllocationLimit(SIZE_MAX);
            if (pasted) {
                EXPECT_NE(Dump(*note), text);
                view.Undo();
                EXPECT_EQ(Dump(*note), text);
                // A failed paste drops redo steps as any edit does; the next starts with none.
                NoteEditEngine::DiscardRedoEverywhere();
                break;
            }
            EXPECT_EQ(Dump(*note), text) << spare;
            EXPECT_EQ(Dump(*source), sourceText);
            EXPECT_EQ(history.Steps(), steps) << spare;
            EXPECT_EQ(history.Done(), done);
            EXPECT_EQ(history.TextRunCount(), runs);
            EXPECT_EQ(note->Modified(), modified);
            EXPECT_EQ(view.Anchor(), note->FromIndex(paste.from));
            EXPECT_EQ(view.Active(), note->FromIndex(paste.to));
            EXPECT_FALSE(view.CanRedo());
        }
    }
    view.Undo();
    EXPECT_EQ(Dump(*note), "¶[5,1]keep {1}this{0} text");
}

// --- Find and replace ---

class FindReplaceTest : public EditCommandsTest {
protected:
    CFindReplace finder{view};
};

TEST_F(FindReplaceTest, FindWrapsOverNotesAndHonoursCaseAndWords) {
    auto* first = Show("¶Note notes");
    auto* second = Show("¶a NOTE");
    CaretAt(2, first);
    EXPECT_EQ(finder.FindNext(u"note", false, false), CFindReplace::Outcome::Found);
    EXPECT_EQ(view.Anchor(), first->FromIndex(5));
    EXPECT_EQ(finder.FindNext(u"note", false, false), CFindReplace::Outcome::Found);
    EXPECT_EQ(view.Anchor(), second->FromIndex(2));
    EXPECT_EQ(finder.FindNext(u"note", false, false), CFindReplace::Outcome::Found);
    EXPECT_EQ(view.Anchor(), first->FromIndex(0));
    EXPECT_EQ(finder.FindNext(u"note", true, false), CFindReplace::Outcome::Found);
    EXPECT_EQ(view.Anchor(), first->FromIndex(5));
    EXPECT_EQ(finder.FindNext(u"note", true, true), CFindReplace::Outcome::NotFound);
    EXPECT_EQ(finder.FindNext(u"", true, true), CFindReplace::Outcome::NoSearchText);
    EXPECT_EQ(finder.FindNext(u"te¶", false, false), CFindReplace::Outcome::NotFound);
}

TEST_F(FindReplaceTest, ReplaceFirstFindsThenReplacesAndFindsTheNext) {
    auto* note = Show("¶cat cat");
    CaretAt(0);
    EXPECT_EQ(finder.ReplaceOne(u"cat", u"dog", false, false), CFindReplace::Outcome::Found);
    EXPECT_EQ(Dump(*note), "¶cat cat");
    finder.ReplaceOne(u"cat", u"dog", false, false);
    EXPECT_EQ(Dump(*note), "¶dog cat");
    EXPECT_EQ(view.Anchor().Index(), 4u);
}

TEST_F(FindReplaceTest, ReplaceAllCountsAndEachReplacementUndoesAlone) {
    auto* note = Show("¶a x a¶a");
    EXPECT_EQ(finder.ReplaceAll(u"a", u"bb", false, false), 3);
    EXPECT_EQ(Dump(*note), "¶bb x bb¶bb");
    view.Undo();
    EXPECT_EQ(Dump(*note), "¶bb x bb¶a");
    view.Undo();
    view.Undo();
    EXPECT_EQ(Dump(*note), "¶a x a¶a");
    EXPECT_EQ(finder.ReplaceAll(u"zzz", u"y", false, false), 0);
    EXPECT_EQ(finder.ReplaceAll(u"", u"y", false, false), -1);
}

TEST_F(FindReplaceTest, ReplaceAllNeverReplacesItsOwnReplacements) {
    auto* note = Show("¶note, note");
    CaretAt(7);
    EXPECT_EQ(finder.ReplaceAll(u"note", u"notes", false, false), 2);
    EXPECT_EQ(Dump(*note), "¶notes, notes");
    // The search text inside the replacement, not at its start.
    auto* other = Show("¶a a a");
    CaretAt(0, other);
    EXPECT_EQ(finder.ReplaceAll(u"a", u"ba", false, false), 3);
    EXPECT_EQ(Dump(*other), "¶ba ba ba");
    // An empty replacement of adjacent occurrences removes them all.
    auto* third = Show("¶ccc");
    CaretAt(0, third);
    EXPECT_EQ(finder.ReplaceAll(u"c", u"", false, false), 3);
    EXPECT_EQ(Dump(*third), "¶");
}

TEST_F(FindReplaceTest, InitialSearchTextIsTheWordAtTheCaretOrAOneParagraphSelection) {
    Show("¶hello world¶next¶[9,2]fixed");
    CaretAt(8);
    EXPECT_EQ(finder.InitialSearchText(), u"world");
    EXPECT_FALSE(view.HasSelection());
    EXPECT_EQ(view.Active().Index(), 6u);
    // Paragraph marks and the tabs of an indent are no text to search for: the plain-text
    // rendering adds them at the end of a note and before an indented fixed-width paragraph.
    const struct {
        uint32_t from, to;
        std::u16string_view expected;
    } selections[] = {
        {2, 4, u"ll"}, {2, 14, u""}, {17, 22, u"fixed"}, {18, 22, u"ixed"}, {12, 16, u"next"}};
    for (const auto& selection : selections) {
        Select(selection.from, selection.to);
        EXPECT_EQ(finder.InitialSearchText(), selection.expected) << selection.from;
    }
    // The word at the caret as the last word of the note.
    CaretAt(20);
    EXPECT_EQ(finder.InitialSearchText(), u"fixed");
    EXPECT_EQ(view.Active().Index(), 17u);
    EXPECT_EQ(finder.FindNext(u"fixed", false, false), CFindReplace::Outcome::Found);
}

// Find Next remembers the match; an edit or the note leaving the view before Replace All must not
// leave it pointing at changed or destroyed text.
TEST_F(FindReplaceTest, ReplaceAllAfterTheTextChangedSearchesAfresh) {
    enum class Change { DeleteAll, EditInsideAndReselect, RemoveMatchedNote };
    const struct {
        Change change;
        std::vector<const char*> notes;  // the match is found in the last one
        int replaced;
        const char* first;  // the first note afterwards
    } cases[] = {{Change::DeleteAll, {"¶xcat cat"}, 0, "¶"},
                 {Change::EditInsideAndReselect, {"¶cat cat"}, 1, "¶caxt dog"},
                 {Change::RemoveMatchedNote, {"¶cat", "¶a cat"}, 1, "¶dog"}};
    for (const auto& c : cases) {
        for (auto& note : m_notes)
            view.RemoveNote(note.get());
        m_notes.clear();
        for (const char* text : c.notes)
            Show(text);
        CaretAt(0, m_notes.back().get());
        ASSERT_EQ(finder.FindNext(u"cat", true, false), CFindReplace::Outcome::Found);
        switch (c.change) {
            case Change::DeleteAll:
                view.SelectAll();
                DeleteKey(view);
                break;
            case Change::EditInsideAndReselect:
                // The selection's ends are the matched elements again; the text between is not.
                CaretAt(2);
                Type(u"x");
                Select(0, 4);
                break;
            case Change::RemoveMatchedNote:
                view.RemoveNote(m_notes.back().get());
                m_notes.pop_back();
                break;
        }
        EXPECT_EQ(finder.ReplaceAll(u"cat", u"dog", true, false), c.replaced);
        EXPECT_EQ(Dump(*m_notes.front()), c.first);
    }
}

}  // namespace
