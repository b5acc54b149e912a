#include "commands/CommandTable.h"

#include <algorithm>
#include <array>

#include "base/CommandIds.h"
#include "base/Translatable.h"
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
    Row(kNewNote, JW_TRANSLATE_NOOP("Commands", "&New Note"),
        JW_TRANSLATE_NOOP("Commands", "Add a note after the current one"), {"Ctrl+N"}, Tree,
        kAccelerator, "new-note", "document-new"),
    Row(kNewSubnote, JW_TRANSLATE_NOOP("Commands", "New &Subnote"),
        JW_TRANSLATE_NOOP("Commands", "Add a note under the current one"), {"Ctrl+Shift+N"}, Tree,
        kAccelerator, "new-subnote"),
    Row(kRename, JW_TRANSLATE_NOOP("Commands", "&Rename"),
        JW_TRANSLATE_NOOP("Commands", "Rename the current note"), {"F2"}, Tree, kAccelerator),
    Row(kDeleteNote, JW_TRANSLATE_NOOP("Commands", "&Delete"),
        JW_TRANSLATE_NOOP("Commands", "Delete the selected notes"), {"Del"}, Tree, 0, "delete",
        "edit-delete"),
    Row(kSetNotesFolder, JW_TRANSLATE_NOOP("Commands", "Set Notes &Folder..."),
        JW_TRANSLATE_NOOP("Commands", "Choose the folder that holds the notes"), {}, Tree),
    // Ctrl+Shift+F is Find and Replace's, so the search over all notes takes Ctrl+Alt+F.
    Row(kFindInAllNotes, JW_TRANSLATE_NOOP("Commands", "F&ind in All Notes..."),
        JW_TRANSLATE_NOOP("Commands", "Search the text of every note"), {"Ctrl+Alt+F"}, Frame,
        kAccelerator),
    Row(kExport, JW_TRANSLATE_NOOP("Commands", "&Export..."),
        JW_TRANSLATE_NOOP("Commands", "Save the selected notes as HTML, Markdown or PDF"), {},
        Frame),
    Row(kRecoveredNotes, JW_TRANSLATE_NOOP("Commands", "Rec&overed Notes..."),
        JW_TRANSLATE_NOOP("Commands",
                          "Bring back notes that could not be saved when Jotwell last ended"),
        {}, Frame),
    Row(kCloseToTray, JW_TRANSLATE_NOOP("Commands", "&Close"),
        JW_TRANSLATE_NOOP("Commands", "Hide the window in the tray; Jotwell keeps running"),
        {"Ctrl+W"}, Frame, kAccelerator),
    Row(kExit, JW_TRANSLATE_NOOP("Commands", "E&xit"),
        JW_TRANSLATE_NOOP("Commands", "Save everything and end Jotwell"), {"Ctrl+Shift+W"}, Frame,
        kAccelerator),
    Row(kOpen, JW_TRANSLATE_NOOP("Commands", "&Open"),
        JW_TRANSLATE_NOOP("Commands", "Bring the window back from the tray"), {}, Frame),
    Row(kNewNoteFromTray, JW_TRANSLATE_NOOP("Commands", "&New Note"),
        JW_TRANSLATE_NOOP("Commands", "Bring the window back and add a note"), {}, Frame),
    Row(kNextPane, JW_TRANSLATE_NOOP("Commands", "Ne&xt Pane"),
        JW_TRANSLATE_NOOP("Commands", "Move the keyboard focus to the next pane"),
        {"F6", "Ctrl+Tab"}, Frame, kAccelerator),
    Row(kPreviousPane, JW_TRANSLATE_NOOP("Commands", "Pre&vious Pane"),
        JW_TRANSLATE_NOOP("Commands", "Move the keyboard focus to the previous pane"), {"Shift+F6"},
        Frame, kAccelerator),

    // Edit.
    Row(kUndo, JW_TRANSLATE_NOOP("Commands", "&Undo"),
        JW_TRANSLATE_NOOP("Commands", "Undo the last change"), {"Ctrl+Z", "Alt+Backspace"}, Editor,
        kAccelerator, "undo", "edit-undo"),
    Row(kRedo, JW_TRANSLATE_NOOP("Commands", "&Redo"),
        JW_TRANSLATE_NOOP("Commands", "Redo the change last undone"), {"Ctrl+Y"}, Editor,
        kAccelerator, "redo", "edit-redo"),
    Row(kCut, JW_TRANSLATE_NOOP("Commands", "Cu&t"),
        JW_TRANSLATE_NOOP("Commands", "Cut the selection to the clipboard"),
        {"Ctrl+X", "Shift+Del", "Ctrl+Shift+Del"}, Editor, 0, "cut", "edit-cut"),
    Row(kCopy, JW_TRANSLATE_NOOP("Commands", "&Copy"),
        JW_TRANSLATE_NOOP("Commands", "Copy the selection to the clipboard"),
        {"Ctrl+C", "Ctrl+Ins"}, Editor, 0, "copy", "edit-copy"),
    Row(kCopyTextOnly, JW_TRANSLATE_NOOP("Commands", "Copy Te&xt Only"),
        JW_TRANSLATE_NOOP("Commands", "Copy the selection to the clipboard as plain text"),
        {"Ctrl+Shift+C"}, Editor),
    Row(kPaste, JW_TRANSLATE_NOOP("Commands", "&Paste"),
        JW_TRANSLATE_NOOP("Commands", "Insert the clipboard's content"),
        {"Ctrl+V", "Shift+Ins", "Ctrl+Shift+Ins"}, Editor, 0, "paste", "edit-paste"),
    Row(kSelectAll, JW_TRANSLATE_NOOP("Commands", "Select &All"),
        JW_TRANSLATE_NOOP("Commands", "Select all the notes shown"), {"Ctrl+A"}, Editor,
        kAccelerator),
    Row(kFind, JW_TRANSLATE_NOOP("Commands", "&Find..."),
        JW_TRANSLATE_NOOP("Commands", "Find text in the notes shown"), {"Ctrl+F"}, Editor),
    Row(kFindNext, JW_TRANSLATE_NOOP("Commands", "Find &Next"),
        JW_TRANSLATE_NOOP("Commands", "Find the next place of the text searched for"),
        {"F3", "Shift+F3", "Ctrl+F3", "Ctrl+Shift+F3"}, Editor),
    Row(kFindReplace, JW_TRANSLATE_NOOP("Commands", "Find and R&eplace..."),
        JW_TRANSLATE_NOOP("Commands", "Find text and replace it"), {"Ctrl+Shift+F"}, Editor),
    Row(kPrint, JW_TRANSLATE_NOOP("Commands", "&Print..."),
        JW_TRANSLATE_NOOP("Commands", "Print the notes shown"), {"Ctrl+P", "Ctrl+Shift+F12"},
        Editor, kAccelerator),
    Row(kPrintDirect, JW_TRANSLATE_NOOP("Commands", "Print &Directly"),
        JW_TRANSLATE_NOOP("Commands", "Print the notes shown without asking"), {}, Editor, 0,
        "print", "document-print"),
    Row(kPrintPreview, JW_TRANSLATE_NOOP("Commands", "Print Pre&view"),
        JW_TRANSLATE_NOOP("Commands", "Show the pages as they will be printed"),
        {"Ctrl+Shift+P", "Ctrl+F2"}, Editor, kAccelerator, "print-preview",
        "document-print-preview"),

    // View.
    Row(kStandardToolbar, JW_TRANSLATE_NOOP("Commands", "S&tandard Toolbar"),
        JW_TRANSLATE_NOOP("Commands", "Show or hide the standard toolbar"), {}, Frame, kCheckable),
    Row(kStyleToolbar, JW_TRANSLATE_NOOP("Commands", "St&yle Toolbar"),
        JW_TRANSLATE_NOOP("Commands", "Show or hide the style toolbar"), {}, Frame, kCheckable),
    Row(kStatusBar, JW_TRANSLATE_NOOP("Commands", "&Status Bar"),
        JW_TRANSLATE_NOOP("Commands", "Show or hide the status bar"), {}, Frame, kCheckable),
    Row(kCheckSpelling, JW_TRANSLATE_NOOP("Commands", "Check S&pelling"),
        JW_TRANSLATE_NOOP("Commands", "Underline misspelt words"), {}, Editor, kCheckable),
    Row(kSpellingLanguage, JW_TRANSLATE_NOOP("Commands", "Spelling &Language"),
        JW_TRANSLATE_NOOP("Commands", "Choose the language whose spelling is checked"), {}, Editor),
    Row(kTextSizeLargest, JW_TRANSLATE_NOOP("Commands", "Lar&gest"),
        JW_TRANSLATE_NOOP("Commands", "Show the text at its largest size"), {}, Editor, kCheckable),
    Row(kTextSizeLarger, JW_TRANSLATE_NOOP("Commands", "&Larger"),
        JW_TRANSLATE_NOOP("Commands", "Show the text larger"), {}, Editor, kCheckable),
    Row(kTextSizeMedium, JW_TRANSLATE_NOOP("Commands", "&Medium"),
        JW_TRANSLATE_NOOP("Commands", "Show the text at its usual size"), {}, Editor, kCheckable),
    Row(kTextSizeSmaller, JW_TRANSLATE_NOOP("Commands", "&Smaller"),
        JW_TRANSLATE_NOOP("Commands", "Show the text smaller"), {}, Editor, kCheckable),
    Row(kTextSizeSmallest, JW_TRANSLATE_NOOP("Commands", "Sm&allest"),
        JW_TRANSLATE_NOOP("Commands", "Show the text at its smallest size"), {}, Editor,
        kCheckable),

    // Styles: indenting; the styles' own commands are their rows'.
    Row(kIndent, JW_TRANSLATE_NOOP("Commands", "&Indent"),
        JW_TRANSLATE_NOOP("Commands", "Indent the paragraphs one level"), {"Ctrl+M", "Tab"}, Editor,
        0, "indent", "format-indent-more"),
    Row(kOutdent, JW_TRANSLATE_NOOP("Commands", "&Outdent"),
        JW_TRANSLATE_NOOP("Commands", "Outdent the paragraphs one level"),
        {"Ctrl+Shift+M", "Shift+Tab"}, Editor, 0, "outdent", "format-indent-less"),

    // Help.
    Row(kHelpContents, JW_TRANSLATE_NOOP("Commands", "&Help Contents"),
        JW_TRANSLATE_NOOP("Commands", "Open the help at its contents"), {"F1"}, Frame,
        kAccelerator),
    Row(kHelpIndex, JW_TRANSLATE_NOOP("Commands", "Help &Index"),
        JW_TRANSLATE_NOOP("Commands", "Open the help at its index"), {}, Frame),
    Row(kHelpSearch, JW_TRANSLATE_NOOP("Commands", "Help &Search"),
        JW_TRANSLATE_NOOP("Commands", "Search the help"), {}, Frame),
    Row(kAbout, JW_TRANSLATE_NOOP("Commands", "&About Jotwell"),
        JW_TRANSLATE_NOOP("Commands", "Show the program's version"), {}, Frame),
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

constexpr Menu kMainMenus[] = {
    {JW_TRANSLATE_NOOP("Commands", "&Note"), kNoParent, kNoteMenu},
    {JW_TRANSLATE_NOOP("Commands", "&Edit"), kNoParent, kEditMenu},
    {JW_TRANSLATE_NOOP("Commands", "&View"), kNoParent, kViewMenu},
    {JW_TRANSLATE_NOOP("Commands", "&Text Size"), 2, kTextSizeMenu},
    {JW_TRANSLATE_NOOP("Commands", "&Styles"), kNoParent, kStyleItems.Items()},
    {JW_TRANSLATE_NOOP("Commands", "&Help"), kNoParent, kHelpMenu}};

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
