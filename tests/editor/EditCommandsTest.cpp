// The command logic on the test view, as scripts of steps over one or more notes: action names,
// undo groups, styles, the clipboard, find and replace, and their edge cases.
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
#include "editor/ViewClipboard.h"
#include "model/NoteText.h"
#include "model/NoteUndoHistory.h"
#include "tests/support/LayoutTestSupport.h"

namespace {

using NoteEditEngine::CharacterStyle;
using NoteEditEngine::CNotePosition;
using NoteEditEngine::TestSupport::Dump;
using NoteEditEngine::TestSupport::Utf16;
using NoteLayoutEngine::TestSupport::LayoutTest;
using namespace NoteEditor;
using namespace std::string_view_literals;

class EditCommandsTest : public LayoutTest {
protected:
    void SetUp() override {
        LayoutTest::SetUp();
        SetColumns(40);
    }
    void Type(std::u16string_view text) {
        for (char16_t c : text)
            TypeCharacter(view, c);
    }
    // Shows the notes of `texts` (split at '§') in place of those shown, the caret at the start.
    void ShowOnly(std::string_view texts) {
        for (auto& note : m_notes)
            view.RemoveNote(note.get());
        m_notes.clear();
        for (size_t at = 0; at <= texts.size();) {
            const size_t end = std::min(texts.find("§", at), texts.size());
            Show(texts.substr(at, end - at));
            at = end + "§"sv.size();
        }
        view.SetCaret(m_notes.front()->Start(), false, true);
    }
    // "N": after N elements of the first note; "k.N": of note k.
    CNotePosition At(std::string_view place) {
        const size_t dot = place.find('.');
        const size_t note = dot == std::string_view::npos ? 0 : std::stoul(std::string(place));
        const std::string index(dot == std::string_view::npos ? place : place.substr(dot + 1));
        return view.ShownNotes()[note]->FromIndex(uint32_t(std::stoul(index)));
    }
    std::string Name(const CNotePosition& p) {
        const int note = view.NoteIndex(p.Document());
        return (note > 0 ? std::to_string(note) + "." : "") + std::to_string(p.Index());
    }
    std::string Notes() {
        std::string out;
        for (const NoteEditEngine::CNoteDocument* note : view.ShownNotes())
            out += (out.empty() ? "" : "§") + Dump(*note);
        return out;
    }
    void RunScript(std::string_view script);
    void PasteShortOfMemory(const ClipboardOffer& offer);

    CFindReplace finder{view};
    std::optional<ClipboardContent> clip;
    std::u16string got;  // the last selection text rendered
};

// Steps split by '|'. Places are "N" (the first note) or "k.N" (note k). "@P" puts the caret at P,
// "[P,Q]" selects, "'text" types, "paste'text" pastes plain text, a word presses a command;
// "short-paste" and "short-paste'text" paste under every allocation limit that fails, then with
// enough memory, and undo. "=dump" checks the notes (joined by '§'), "^P" the caret, "^P,Q"
// anchor and caret, "~N" the caret's paragraph style, "clip=text" and "html~text" what the last
// cut or copy gave. "?cw/text=outcome" finds (c: match case, w: whole words), ">c/text/by=outcome"
// replaces once, "*c/text/by=count" replaces all; "init=text" checks the text Find starts with.
// "text:NAME" renders the selection as NAME; "got=text" checks it, "got~a~b" finds a, then b in
// it; "insert:NAME" inserts it as NAME, "insert:NAME'text" that text; "refuse:" expects refusal.
void EditCommandsTest::RunScript(std::string_view script) {
    const auto number = [](std::string_view s) { return uint32_t(std::stoul(std::string(s))); };
    NoteEditEngine::TestSupport::ForEachStep(script, [&](std::string_view step) {
        const std::string_view rest = step.substr(1);
        const std::map<std::string_view, std::function<void()>> commands = {
            {"bs", [&] { Backspace(view); }},
            {"del", [&] { DeleteKey(view); }},
            {"enter", [&] { Enter(view); }},
            {"esc", [&] { Escape(view); }},
            {"undo", [&] { view.Undo(); }},
            {"all", [&] { SelectAll(view); }},
            {"left", [&] { Navigate(view, NavigationKey::Left, false, false, 400); }},
            {"shift+right", [&] { Navigate(view, NavigationKey::Right, false, true, 400); }},
            {"note-start", [&] { MoveToNoteStart(view, false); }},
            {"next-note", [&] { MoveToNextNote(view, false); }},
            {"shift+next-note", [&] { MoveToNextNote(view, true); }},
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
            // The caret's typing style becomes Comment, the selection staying.
            {"comment-typing",
             [&] {
                 CNotePosition caret = view.Active();
                 caret.SetTypingStyle(CharacterStyle(4));
                 view.SetSelection(view.Anchor(), caret, false);
             }},
            {"cut", [&] { clip = CutSelection(view); }},
            {"copy", [&] { clip = CopySelection(view, false); }},
            {"copy-text", [&] { clip = CopySelection(view, true); }},
            {"paste",
             [&] {
                 ASSERT_TRUE(clip && Paste(view, {clip->privateBytes, {}}));
             }},
            {"no-clip", [&] { EXPECT_FALSE(clip); }},
            {"remove-last",
             [&] {
                 view.RemoveNote(m_notes.back().get());
                 m_notes.pop_back();
             }},
            {"none-undoable", [&] { EXPECT_FALSE(view.CanUndo()); }},
            {"no-selection", [&] { EXPECT_FALSE(view.HasSelection()); }},
        };
        const size_t comma = step.find(',');
        const size_t equals = step.rfind('=');
        if (const auto command = commands.find(step); command != commands.end()) {
            command->second();
        } else if (step[0] == '@') {
            view.SetCaret(At(rest), false, true);
        } else if (step[0] == '[') {
            view.SetSelection(At(step.substr(1, comma - 1)),
                              At(step.substr(comma + 1, step.size() - comma - 2)), true);
        } else if (step[0] == '\'') {
            Type(Utf16(rest));
        } else if (step.starts_with("short-paste")) {
            ASSERT_TRUE(clip || step.size() > 11);
            PasteShortOfMemory(step.size() > 11 ? ClipboardOffer{{}, Utf16(step.substr(12))}
                                                : ClipboardOffer{clip->privateBytes, {}});
        } else if (step.starts_with("paste'")) {
            Paste(view, {std::nullopt, Utf16(step.substr(6))});
        } else if (step[0] == 'p') {
            ToggleParagraphStyle(view, number(rest));
        } else if (step[0] == '=') {
            EXPECT_EQ(Notes(), rest);
        } else if (step[0] == '^') {
            EXPECT_EQ((comma == std::string_view::npos ? "" : Name(view.Anchor()) + ",") +
                          Name(view.Active()),
                      rest);
        } else if (step[0] == '~') {
            EXPECT_EQ(CurrentParagraphStyle(view), number(rest));
        } else if (step.starts_with("clip=")) {
            ASSERT_TRUE(clip);
            EXPECT_EQ(clip->plainText, Utf16(step.substr(5)));
        } else if (step.starts_with("html~")) {
            ASSERT_TRUE(clip);
            EXPECT_NE(clip->html.find(Utf16(step.substr(5))), std::u16string::npos);
        } else if (step.starts_with("text:")) {
            got.clear();
            GetSelectionText(view, Utf16(step.substr(5)), got);
        } else if (step.starts_with("got=")) {
            EXPECT_EQ(got, Utf16(step.substr(4)));
        } else if (step.starts_with("got~")) {
            size_t from = 0;
            for (size_t at = 4; at < step.size();) {
                const size_t end = std::min(step.find('~', at), step.size());
                from = got.find(Utf16(step.substr(at, end - at)), from);
                EXPECT_NE(from, std::u16string::npos) << step.substr(at, end - at);
                at = end + 1;
            }
        } else if (step.starts_with("insert:") || step.starts_with("refuse:")) {
            const size_t quote = std::min(step.find('\''), step.size());
            NoteEditEngine::CActionScope paste(u"paste");
            EXPECT_EQ(InsertText(view, quote < step.size() ? Utf16(step.substr(quote + 1)) : got,
                                 Utf16(step.substr(7, quote - 7))),
                      step[0] == 'i');
        } else if (step.starts_with("init=")) {
            EXPECT_EQ(finder.InitialSearchText(), Utf16(step.substr(5)));
        } else if (step[0] == '?' || step[0] == '>' || step[0] == '*') {
            const size_t slash = step.find('/');
            const std::string_view flags = step.substr(1, slash - 1);
            const bool matchCase = flags.find('c') != std::string_view::npos;
            const bool wholeWord = flags.find('w') != std::string_view::npos;
            const std::string_view args = step.substr(slash + 1, equals - slash - 1);
            const std::u16string text = Utf16(args.substr(0, args.find('/')));
            const std::u16string by = Utf16(
                args.find('/') == std::string_view::npos ? "" : args.substr(args.find('/') + 1));
            static const char* const kOutcomes[] = {"found", "not-found", "no-text"};
            const std::string got =
                step[0] == '*'
                    ? std::to_string(finder.ReplaceAll(text, by, matchCase, wholeWord))
                    : kOutcomes[int(step[0] == '?'
                                        ? finder.FindNext(text, matchCase, wholeWord)
                                        : finder.ReplaceOne(text, by, matchCase, wholeWord))];
            EXPECT_EQ(got, step.substr(equals + 1));
        } else {
            ADD_FAILURE() << "no such step";
        }
    });
}

// Memory running out at any block allocation of a paste leaves the notes, their undo and the
// selection as they were; given enough, the same paste goes through (and is undone here).
void EditCommandsTest::PasteShortOfMemory(const ClipboardOffer& offer) {
    // Every attempt runs at a later second, so a note stamped by the attempt shows.
    NoteEditEngine::TestSupport::PinnedClock clock(1'000'000);
    struct LiftLimit {
        ~LiftLimit() { NoteEditEngine::CNoteText::SetAllocationLimit(SIZE_MAX); }
    } lift;
    const auto state = [this] {
        std::string out = Notes() + " " + Name(view.Anchor()) + "," + Name(view.Active());
        for (const NoteEditEngine::CNoteDocument* note : view.ShownNotes()) {
            const auto& history = note->UndoHistory();
            out += " " + std::to_string(history.Steps().size()) + "/" +
                   std::to_string(history.Done()) + "/" + std::to_string(history.TextRunCount()) +
                   "/" + std::to_string(note->Modified());
        }
        return out;
    };
    for (size_t spare = 0; spare < 1000; ++spare) {
        const std::string notes = Notes();
        const std::string before = state();
        const std::vector<NoteEditEngine::UndoStep> steps =
            view.Active().Document()->UndoHistory().Steps();
        NoteEditEngine::CNoteText::SetAllocationLimit(
            NoteEditEngine::CNoteText::AllocationsInUse() + spare);
        clock.Set(1'000'001 + int32_t(spare));
        const bool pasted = Paste(view, offer);
        NoteEditEngine::CNoteText::SetAllocationLimit(SIZE_MAX);
        if (pasted) {
            EXPECT_NE(Notes(), notes);
            view.Undo();
            // A failed paste drops redo steps as any edit does; the next starts with none.
            NoteEditEngine::DiscardRedoEverywhere();
            return;
        }
        EXPECT_EQ(state(), before) << spare;
        EXPECT_EQ(view.Active().Document()->UndoHistory().Steps(), steps) << spare;
        EXPECT_FALSE(view.CanRedo());
    }
    ADD_FAILURE() << "no paste went through";
}

// Which edits merge into one undo step, what commands, the clipboard and find and replace do to
// the text, and their limits.
TEST_F(EditCommandsTest, ScriptedEdits) {
    const struct {
        std::string_view notes;
        std::string_view script;
    } cases[] = {
        // Typing merges until a move starts a new step.
        {"¶ab", "@2|'xyz|=¶abxyz|undo|=¶ab|'x|left|'y|=¶abyx|undo|=¶abx|undo|=¶ab"},
        // Typing, Enter or Backspace over a selection is one step.
        {"¶hello world", "[0,5]|'J|=¶J world|no-selection|undo|=¶hello world"},
        {"¶abcdef", "[2,4]|enter|=¶ab¶ef|undo|=¶abcdef"},
        {"¶abcdef", "@6|bs|bs|=¶abcd|[0,2]|bs|=¶cd|undo|=¶abcd|undo|=¶abcdef"},
        {"¶abcdef", "@0|del|del|=¶cdef|^0|undo|=¶abcdef"},
        // Deleting a selection keeps the typing style the caret has.
        {"¶a{1}bc{0}d", "[1,3]|comment-typing|bs|'x|=¶a{4}x{0}d"},
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
        // Across notes: a toggle leaves the leading mark alone, a deletion never joins them.
        {"¶ab§¶cd", "[1,1.2]|strong|=¶a{1}b§¶{1}cd|undo|=¶ab§¶cd"},
        {"¶abc§¶def", "[2,1.1]|del|=¶ab§¶ef|undo|=¶abc§¶def"},
        // Alt+arrows: to the note's start, then the previous note's; to the next note.
        {"¶abc§¶def", "@1.2|note-start|^1.0|note-start|^0|shift+next-note|^0,1.0|next-note|^1.3"},
        // Copy keeps styles and indents and pastes after text as a paragraph of its own; Cut is
        // one step and gives nothing without a selection.
        {"¶[6,2]{1}done{0}¶plain§¶x",
         "[0,10]|copy|clip=done\r\nplain\r\n|html~margin-left:4em;list-style-type:disc;|"
         "@1.1|paste|=¶[6,2]{1}done{0}¶plain§¶x¶[6,2]{1}done{0}¶plain|undo|=¶[6,2]{1}done{0}"
         "¶plain§¶x|"
         "copy-text|no-clip"},
        {"¶abcdef", "@3|cut|no-clip|=¶abcdef|[0,2]|cut|clip=ab|=¶cdef|undo|=¶abcdef"},
        // The renderings: each note's part of a selection across notes; the XML of a note pastes
        // with its styles, as one step; names not known, and an empty view, are refused.
        {"¶[1,0]Title¶one§¶two¶three",
         "[2,1.6]|text:HTML|got~tle~\r\n<hr>\r\n~th|text:UNICODE|got=tle\r\none\r\ntwo\r\nth|@2|"
         "text:UNICODE|got="},
        {"¶[6,2]ch{1}eck{0}¶plain§¶x",
         "[0,11]|text:XML|@1.1|insert:XML|=¶[6,2]ch{1}eck{0}¶plain§¶x¶[6,2]ch{1}eck{0}¶plain|"
         "^1.13|no-selection|undo|=¶[6,2]ch{1}eck{0}¶plain§¶x"},
        {"¶ab", "@1|refuse:HTML'x|insert:UNICODE'1\t2|=¶a1 2b|^4|remove-last|refuse:UNICODE'x"},
        // Short of memory a paste changes nothing: plain text and styled, over a selection.
        {"¶[6,2]{1}done{0}¶plain§¶[5,1]keep {1}this{0} text",
         "[0,10]|copy|@1.1|'!|[1.7,1.11]|short-paste'a\n\tb c\nd|[1.7,1.11]|short-paste|@1.3|"
         "short-paste'x\ny|=¶[6,2]{1}done{0}¶plain§¶[5,1]k!eep {1}this{0} text|undo|"
         "=¶[6,2]{1}done{0}¶plain§¶[5,1]keep {1}this{0} text"},
        // Plain text: line ends split paragraphs, tabs indent, a 0 ends the text.
        {"¶[0,1]abcd",
         "@2|paste'X\r\n\tY|=¶[0,1]abX¶[0,2]Ycd|^5|paste'Q\0R|=¶[0,1]abX¶[0,2]YQcd"sv},
        // Find wraps over notes and honours case and whole words.
        {"¶Note notes§¶a NOTE",
         "@2|?/note=found|^5,9|?/note=found|^1.2,1.6|?/note=found|^0,4|?c/note=found|^5,9|"
         "?cw/note=not-found|?cw/=no-text|?/te¶=not-found"},
        // Replace first finds, then replaces and finds the next.
        {"¶cat cat", "@0|>/cat/dog=found|=¶cat cat|>/cat/dog=found|=¶dog cat|^4,7"},
        // Replace All counts, never replaces its own replacements, and each undoes alone.
        {"¶a x a¶a", "*/a/bb=3|=¶bb x bb¶bb|undo|undo|undo|=¶a x a¶a"},
        {"¶note, note", "@7|*/note/notes=2|=¶notes, notes|undo|undo|=¶note, note"},
        {"¶a a a", "*/a/ba=3|=¶ba ba ba|undo|undo|undo|=¶a a a"},
        {"¶ccc", "*/c/=3|=¶|undo|undo|undo|=¶ccc|*/zzz/y=0|*//y=-1|=¶ccc"},
        // After an edit or the matched note leaving, Replace All searches afresh.
        {"¶xcat cat", "?c/cat=found|all|del|*c/cat/dog=0|=¶"},
        {"¶cat cat", "?c/cat=found|@2|'x|[0,4]|*c/cat/dog=1|=¶caxt dog"},
        {"¶cat§¶a cat", "@1.0|?c/cat=found|remove-last|*c/cat/dog=1|=¶dog"},
        // Find starts with the word at the caret (put at its start) or a one-paragraph
        // selection; marks and an indent's tabs are no text to search for.
        {"¶hello world¶next¶[9,2]fixed",
         "@8|init=world|no-selection|^6|[2,4]|init=ll|[2,14]|init=|[17,22]|init=fixed|"
         "[18,22]|init=ixed|[12,16]|init=next|@20|init=fixed|^17|?/fixed=found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        ShowOnly(c.notes);
        finder.ForgetLastMatch();
        clip.reset();
        RunScript(c.script);
    }
}

}  // namespace
