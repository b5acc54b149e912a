#include "commands/CommandTable.h"

#include <algorithm>
#include <array>

#include "base/CommandIds.h"
#include "model/StyleDescriptors.h"

namespace Commands {

namespace {

using namespace CommandIds;
using enum Target;

constexpr int kCheckable = 1;
constexpr int kAccelerator = 2;

constexpr Command Row(int id, std::string_view label, std::string_view statusTip,
                      std::array<std::string_view, kMaxShortcuts> shortcuts, Target target,
                      int flags = 0, std::string_view icon = {}, std::string_view themeIcon = {}) {
    return Command{id,
                   label,
                   statusTip,
                   shortcuts,
                   target,
                   (flags & kCheckable) != 0,
                   (flags & kAccelerator) != 0,
                   icon,
                   themeIcon};
}

// Insert, Delete and F3 act with Ctrl held or not, so their rows list both forms.
constexpr Command kOtherCommands[] = {
    // Notes. Del belongs to the tree pane's own keys: in the editor it deletes text.
    Row(kNewNote, "&New Note", "Add a note after the current one", {"Ctrl+N"}, Tree, kAccelerator,
        "new-note", "document-new"),
    Row(kNewSubnote, "New &Subnote", "Add a note under the current one", {"Ctrl+Shift+N"}, Tree,
        kAccelerator, "new-subnote"),
    Row(kRename, "&Rename", "Rename the current note", {"F2"}, Tree, kAccelerator),
    Row(kDeleteNote, "&Delete", "Delete the selected notes", {"Del"}, Tree, 0, "delete",
        "edit-delete"),
    Row(kSetNotesFolder, "Set Notes &Folder...", "Choose the folder that holds the notes", {},
        Tree),
    // Ctrl+Shift+F is Find and Replace's, so the search over all notes takes Ctrl+Alt+F.
    Row(kFindInAllNotes, "F&ind in All Notes...", "Search the text of every note", {"Ctrl+Alt+F"},
        Frame, kAccelerator),
    Row(kExport, "&Export...", "Save the selected notes as HTML, Markdown or PDF", {}, Frame),
    Row(kRecoveredNotes, "Rec&overed Notes...",
        "Bring back notes that could not be saved when Jotwell last ended", {}, Frame),
    Row(kCloseToTray, "&Close", "Hide the window in the tray; Jotwell keeps running", {"Ctrl+W"},
        Frame, kAccelerator),
    Row(kExit, "E&xit", "Save everything and end Jotwell", {"Ctrl+Shift+W"}, Frame, kAccelerator),
    Row(kOpen, "&Open", "Bring the window back from the tray", {}, Frame),
    Row(kNewNoteFromTray, "&New Note", "Bring the window back and add a note", {}, Frame),
    Row(kNextPane, "Ne&xt Pane", "Move the keyboard focus to the next pane", {"F6", "Ctrl+Tab"},
        Frame, kAccelerator),
    Row(kPreviousPane, "Pre&vious Pane", "Move the keyboard focus to the previous pane",
        {"Shift+F6"}, Frame, kAccelerator),

    // Edit.
    Row(kUndo, "&Undo", "Undo the last change", {"Ctrl+Z", "Alt+Backspace"}, Editor, kAccelerator,
        "undo", "edit-undo"),
    Row(kRedo, "&Redo", "Redo the change last undone", {"Ctrl+Y"}, Editor, kAccelerator, "redo",
        "edit-redo"),
    Row(kCut, "Cu&t", "Cut the selection to the clipboard",
        {"Ctrl+X", "Shift+Del", "Ctrl+Shift+Del"}, Editor, 0, "cut", "edit-cut"),
    Row(kCopy, "&Copy", "Copy the selection to the clipboard", {"Ctrl+C", "Ctrl+Ins"}, Editor, 0,
        "copy", "edit-copy"),
    Row(kCopyTextOnly, "Copy Te&xt Only", "Copy the selection to the clipboard as plain text",
        {"Ctrl+Shift+C"}, Editor),
    Row(kPaste, "&Paste", "Insert the clipboard's content",
        {"Ctrl+V", "Shift+Ins", "Ctrl+Shift+Ins"}, Editor, 0, "paste", "edit-paste"),
    Row(kSelectAll, "Select &All", "Select all the notes shown", {"Ctrl+A"}, Editor, kAccelerator),
    Row(kFind, "&Find...", "Find text in the notes shown", {"Ctrl+F"}, Editor),
    Row(kFindNext, "Find &Next", "Find the next place of the text searched for",
        {"F3", "Shift+F3", "Ctrl+F3", "Ctrl+Shift+F3"}, Editor),
    Row(kFindReplace, "Find and R&eplace...", "Find text and replace it", {"Ctrl+Shift+F"}, Editor),
    Row(kPrint, "&Print...", "Print the notes shown", {"Ctrl+P", "Ctrl+Shift+F12"}, Editor,
        kAccelerator),
    Row(kPrintDirect, "Print &Directly", "Print the notes shown without asking", {}, Editor, 0,
        "print", "document-print"),
    Row(kPrintPreview, "Print Pre&view", "Show the pages as they will be printed",
        {"Ctrl+Shift+P", "Ctrl+F2"}, Editor, kAccelerator, "print-preview",
        "document-print-preview"),

    // View.
    Row(kStandardToolbar, "S&tandard Toolbar", "Show or hide the standard toolbar", {}, Frame,
        kCheckable),
    Row(kStyleToolbar, "St&yle Toolbar", "Show or hide the style toolbar", {}, Frame, kCheckable),
    Row(kStatusBar, "&Status Bar", "Show or hide the status bar", {}, Frame, kCheckable),
    Row(kCheckSpelling, "Check S&pelling", "Underline misspelt words", {}, Editor, kCheckable),
    Row(kSpellingLanguage, "Spelling &Language", "Choose the language whose spelling is checked",
        {}, Editor),
    Row(kTextSizeLargest, "Lar&gest", "Show the text at its largest size", {}, Editor, kCheckable),
    Row(kTextSizeLarger, "&Larger", "Show the text larger", {}, Editor, kCheckable),
    Row(kTextSizeMedium, "&Medium", "Show the text at its usual size", {}, Editor, kCheckable),
    Row(kTextSizeSmaller, "&Smaller", "Show the text smaller", {}, Editor, kCheckable),
    Row(kTextSizeSmallest, "Sm&allest", "Show the text at its smallest size", {}, Editor,
        kCheckable),

    // Styles: indenting; the styles' own commands are their rows'.
    Row(kIndent, "&Indent", "Indent the paragraphs one level", {"Ctrl+M", "Tab"}, Editor, 0,
        "indent", "format-indent-more"),
    Row(kOutdent, "&Outdent", "Outdent the paragraphs one level", {"Ctrl+Shift+M", "Shift+Tab"},
        Editor, 0, "outdent", "format-indent-less"),

    // Help.
    Row(kHelpContents, "&Help Contents", "Open the help at its contents", {"F1"}, Frame,
        kAccelerator),
    Row(kHelpIndex, "Help &Index", "Open the help at its index", {}, Frame),
    Row(kHelpSearch, "Help &Search", "Search the help", {}, Frame),
    Row(kAbout, "&About Jotwell", "Show the program's version", {}, Frame),
};

constexpr int kNoteMenu[] = {kNewNote,        kNewSubnote,     kRename,       kDeleteNote,
                             kSeparator,      kFindInAllNotes, kExport,       kRecoveredNotes,
                             kSeparator,      kPrint,          kPrintPreview, kSeparator,
                             kSetNotesFolder, kSeparator,      kCloseToTray,  kExit};
// Its Print button prints without asking, as a button has always done.
constexpr int kStandardToolbarItems[] = {
    kNewNote, kNewSubnote, kDeleteNote, kSeparator, kPrintDirect, kPrintPreview, kSeparator,
    kCut,     kCopy,       kPaste,      kSeparator, kUndo,        kRedo};
constexpr int kTreeContextItems[] = {kNewNote, kNewSubnote, kSeparator, kRename, kDeleteNote};
constexpr int kEditMenu[] = {kUndo,         kRedo,     kSeparator,  kCut,       kCopy,
                             kCopyTextOnly, kPaste,    kSeparator,  kSelectAll, kSeparator,
                             kFind,         kFindNext, kFindReplace};
constexpr int kViewMenu[] = {kStandardToolbar, kStyleToolbar,  kStatusBar,
                             kSeparator,       kCheckSpelling, kSpellingLanguage};
constexpr int kTextSizeMenu[] = {kTextSizeLargest, kTextSizeLarger, kTextSizeMedium,
                                 kTextSizeSmaller, kTextSizeSmallest};
constexpr Command StyleRow(const NoteEditEngine::StyleCommand& style) {
    return Row(style.id, style.label, style.statusTip, {style.key}, Editor, kCheckable, style.icon,
               style.themeIcon);
}

// Every style that has a command: the paragraph styles, then the character styles.
template <typename Visit>
constexpr void ForEachStyleCommand(Visit visit) {
    for (const auto& style : NoteEditEngine::kParagraphStyles)
        if (style.command.id != 0) visit(style.command);
    for (const auto& style : NoteEditEngine::kCharacterStyles)
        if (style.command.id != 0) visit(style.command);
}

constexpr size_t kStyleCommandCount = [] {
    size_t count = 0;
    ForEachStyleCommand([&](const NoteEditEngine::StyleCommand&) { ++count; });
    return count;
}();

constexpr auto kCommands = [] {
    std::array<Command, std::size(kOtherCommands) + kStyleCommandCount> all{};
    auto next = std::copy(std::begin(kOtherCommands), std::end(kOtherCommands), all.begin());
    ForEachStyleCommand(
        [&](const NoteEditEngine::StyleCommand& style) { *next++ = StyleRow(style); });
    return all;
}();

// A menu's or toolbar's items, put together at compile time.
struct ItemList {
    std::array<int, 64> items{};
    size_t size = 0;
    constexpr void Add(int id) { items[size++] = id; }
    [[nodiscard]] constexpr std::span<const int> Items() const { return {items.data(), size}; }
};

// Adds the commands of the styles that have a place (StyleCommand::menuPlace or toolbarPlace),
// in the order of their places, with a separator wherever the places skip a number.
template <typename Styles>
constexpr void AddPlaced(ItemList& list, const Styles& styles,
                         int NoteEditEngine::StyleCommand::*place) {
    for (int last = 0;;) {
        const NoteEditEngine::StyleCommand* next = nullptr;
        for (const auto& style : styles) {
            const int at = style.command.*place;
            if (at > last && (next == nullptr || at < next->*place)) next = &style.command;
        }
        if (next == nullptr) return;
        if (last != 0 && next->*place > last + 1) list.Add(kSeparator);
        list.Add(next->id);
        last = next->*place;
    }
}

// The paragraph styles, indenting and the character styles.
constexpr ItemList StyleItems(int NoteEditEngine::StyleCommand::*place,
                              std::array<int, 2> indenting) {
    ItemList list;
    AddPlaced(list, NoteEditEngine::kParagraphStyles, place);
    for (const int id : {kSeparator, indenting[0], indenting[1], kSeparator})
        list.Add(id);
    AddPlaced(list, NoteEditEngine::kCharacterStyles, place);
    return list;
}

// The Styles menu, which the context menu repeats, and the style toolbar.
constexpr ItemList kStyleItems =
    StyleItems(&NoteEditEngine::StyleCommand::menuPlace, {kIndent, kOutdent});
constexpr ItemList kStyleToolbarItems =
    StyleItems(&NoteEditEngine::StyleCommand::toolbarPlace, {kOutdent, kIndent});

constexpr int kHelpMenu[] = {kHelpContents, kHelpIndex, kHelpSearch, kSeparator, kAbout};

constexpr Menu kMainMenus[] = {{"&Note", kNoParent, kNoteMenu},
                               {"&Edit", kNoParent, kEditMenu},
                               {"&View", kNoParent, kViewMenu},
                               {"&Text Size", 2, kTextSizeMenu},
                               {"&Styles", kNoParent, kStyleItems.Items()},
                               {"&Help", kNoParent, kHelpMenu}};

}  // namespace

std::span<const Command> AllCommands() noexcept {
    return kCommands;
}

const Command* FindCommand(int id) noexcept {
    const auto found = std::find_if(kCommands.begin(), kCommands.end(),
                                    [id](const Command& command) { return command.id == id; });
    return found == kCommands.end() ? nullptr : &*found;
}

std::span<const Menu> MainMenus() noexcept {
    return kMainMenus;
}
std::span<const int> StyleToolbar() noexcept {
    return kStyleToolbarItems.Items();
}
std::span<const int> EditorContextMenu() noexcept {
    return kStyleItems.Items();
}
std::span<const int> StandardToolbar() noexcept {
    return kStandardToolbarItems;
}
std::span<const int> TreeContextMenu() noexcept {
    return kTreeContextItems;
}

std::string MenuText(const Command& command) {
    std::string text(command.label);
    if (!command.shortcuts[0].empty()) {
        text += '\t';
        text += command.shortcuts[0];
    }
    return text;
}

std::string PlainLabel(const Command& command) {
    std::string text;
    for (const char c : command.label)
        if (c != '&') text += c;
    return text;
}

}  // namespace Commands
