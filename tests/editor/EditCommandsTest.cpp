// The command logic on the test view: action names, undo groups, styles and their edge cases.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

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
using NoteLayoutEngine::CNoteView;
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
    // Shows these notes in place of those shown, the caret at the first one's start.
    void ShowOnly(const std::vector<const char*>& texts) {
        for (auto& note : m_notes)
            view.RemoveNote(note.get());
        m_notes.clear();
        for (const char* text : texts)
            Show(text);
        view.SetCaret(m_notes.front()->Start(), false, true);
    }
};

// Runs a script on one note: steps split by '|'. "@N" puts the caret after N elements, "[a,b]"
// selects, "'text" types, a word presses a command, "=dump" checks the note, "^N" the caret and
// "~N" the caret's paragraph style.
void RunScript(CNoteView& view, std::string_view script) {
    NoteEditEngine::CNoteDocument* note = view.ShownNotes().front();
    const auto number = [](std::string_view s) { return uint32_t(std::stoul(std::string(s))); };
    NoteEditEngine::TestSupport::ForEachStep(script, [&](std::string_view step) {
        const std::string_view rest = step.substr(1);
        const std::map<std::string_view, std::function<void()>> commands = {
            {"bs", [&] { Backspace(view); }},
            {"del", [&] { DeleteKey(view); }},
            {"enter", [&] { Enter(view); }},
            {"esc", [&] { Escape(view); }},
            {"undo", [&] { view.Undo(); }},
            {"left", [&] { Navigate(view, NavigationKey::Left, false, false, 400); }},
            {"shift+right", [&] { Navigate(view, NavigationKey::Right, false, true, 400); }},
            {"indent", [&] { Indent(view); }},
            {"outdent", [&] { Outdent(view); }},
            {"h+", [&] { CycleHeader(view, true); }},
            {"h-", [&] { CycleHeader(view, false); }},
            {"l+", [&] { CycleList(view, true); }},
            {"l-", [&] { CycleList(view, false); }},
            {"strong", [&] { ToggleCharacterStyle(view, CharacterStyle::kStrong); }},
            {"highlight", [&] { ToggleCharacterStyle(view, CharacterStyle::kHighlight); }},
            {"comment-paragraph",
             [&] { ToggleCharacterStyleOnParagraph(view, CharacterStyle::kComment); }},
            {"none-undoable", [&] { EXPECT_FALSE(view.CanUndo()); }},
            {"no-selection", [&] { EXPECT_FALSE(view.HasSelection()); }},
        };
        if (const auto command = commands.find(step); command != commands.end()) {
            command->second();
        } else if (step[0] == '@') {
            view.SetCaret(note->FromIndex(number(rest)), false, true);
        } else if (step[0] == '[') {
            const size_t comma = step.find(',');
            view.SetSelection(note->FromIndex(number(step.substr(1, comma - 1))),
                              note->FromIndex(number(step.substr(comma + 1))), true);
        } else if (step[0] == '\'') {
            for (char16_t c : NoteEditEngine::TestSupport::Utf16(rest))
                TypeCharacter(view, c);
        } else if (step[0] == 'p') {
            ToggleParagraphStyle(view, number(rest));
        } else if (step[0] == '=') {
            EXPECT_EQ(Dump(*note), rest);
        } else if (step[0] == '^') {
            EXPECT_EQ(view.Active().Index(), number(rest));
        } else if (step[0] == '~') {
            EXPECT_EQ(CurrentParagraphStyle(view), number(rest));
        } else {
            ADD_FAILURE() << "no such step";
        }
    });
}

// Which edits merge into one undo step, what commands do to the text, and their limits.
TEST_F(EditCommandsTest, ScriptedEdits) {
    const struct {
        const char* note;
        const char* script;
    } cases[] = {
        // Typing merges until a move starts a new step.
        {"¶ab", "@2|'xyz|=¶abxyz|undo|=¶ab|'x|left|'y|=¶abyx|undo|=¶abx|undo|=¶ab"},
        // Typing, Enter or Backspace over a selection is one step.
        {"¶hello world", "[0,5]|'J|=¶J world|no-selection|undo|=¶hello world"},
        {"¶abcdef", "[2,4]|enter|=¶ab¶ef|undo|=¶abcdef"},
        {"¶abcdef", "@6|bs|bs|=¶abcd|[0,2]|bs|=¶cd|undo|=¶abcd|undo|=¶abcdef"},
        {"¶abcdef", "@0|del|del|=¶cdef|^0|undo|=¶abcdef"},
        // Paragraph styles toggle; headers and lists cycle both ways; each is a step.
        {"¶[2,0]Title¶body", "@2|p2|=¶Title¶body|p2|=¶[2,0]Title¶body|p0|=¶Title¶body"},
        {"¶x",
         "h+|~1|h+|~2|h+|~3|h+|~1|p0|h-|~3|p0|l+|~5|l+|~6|l+|~8|l+|~7|l+|~5|l-|~7|l-|~8|"
         "l-|~6|l-|~5|undo|~6"},
        // A selection ending at a paragraph start leaves that paragraph alone.
        {"¶one¶[1,0]two", "[0,4]|~0|p1|=¶[1,0]one¶[1,0]two"},
        // Indents stay within 0..14 and record nothing at a limit.
        {"¶a¶[0,14]b",
         "@1|outdent|none-undoable|indent|=¶[0,1]a¶[0,14]b|@3|indent|undo|"
         "=¶a¶[0,14]b|[0,3]|indent|=¶[0,1]a¶[0,14]b"},
        // Character toggles: the typing style, the caret's paragraph, a selection.
        {"¶ab cd¶ef",
         "@2|strong|=¶ab cd¶ef|'X|=¶ab{1}X{0} cd¶ef|undo|@2|comment-paragraph|"
         "=¶{4}ab cd{0}¶ef|no-selection|^2|[3,7]|highlight|=¶{4}ab {6}cd{2}¶e{0}f|"
         "undo|=¶{4}ab cd{0}¶ef"},
        // Arrows collapse a selection first; Escape collapses it where its active end is.
        {"¶abcdef", "[2,4]|left|^2|no-selection|[2,4]|shift+right|^5|esc|no-selection|^5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        ShowOnly({c.note});
        RunScript(view, c.script);
    }
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

// Replace All counts what it replaced, never replaces its own replacements, and each
// replacement undoes alone.
TEST_F(FindReplaceTest, ReplaceAll) {
    const struct {
        const char *note, *find, *by;
        uint32_t caret;
        int count;
        const char* after;
    } cases[] = {{"¶a x a¶a", "a", "bb", 0, 3, "¶bb x bb¶bb"},
                 {"¶note, note", "note", "notes", 7, 2, "¶notes, notes"},
                 {"¶a a a", "a", "ba", 0, 3, "¶ba ba ba"},
                 {"¶ccc", "c", "", 0, 3, "¶"},
                 {"¶ccc", "zzz", "y", 0, 0, "¶ccc"},
                 {"¶ccc", "", "y", 0, -1, "¶ccc"}};
    for (const auto& c : cases) {
        ShowOnly({c.note});
        auto* note = m_notes.front().get();
        CaretAt(c.caret, note);
        EXPECT_EQ(finder.ReplaceAll(NoteEditEngine::TestSupport::Utf16(c.find),
                                    NoteEditEngine::TestSupport::Utf16(c.by), false, false),
                  c.count)
            << c.note << " " << c.find;
        EXPECT_EQ(Dump(*note), c.after);
        for (int i = 0; i < c.count; ++i)
            view.Undo();
        EXPECT_EQ(Dump(*note), c.note);
    }
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
        ShowOnly(c.notes);
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
