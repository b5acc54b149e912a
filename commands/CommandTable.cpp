#include "commands/CommandTable.h"

#include <algorithm>

#include "commands/CommandIds.h"

namespace Commands {

namespace {

using namespace CommandIds;
using enum Target;

constexpr int kCheckable = 1;
constexpr int kAccelerator = 2;

constexpr Command Row(int id, std::string_view label, std::string_view statusTip,
                      std::array<std::string_view, kMaxShortcuts> shortcuts, Target target,
                      int flags = 0, std::string_view toolText = {}) {
    return Command{id,
                   label,
                   statusTip,
                   shortcuts,
                   target,
                   (flags & kCheckable) != 0,
                   (flags & kAccelerator) != 0,
                   toolText};
}

// Insert, Delete and F3 act with Ctrl held or not, so their rows list both forms.
constexpr Command kCommands[] = {
    // Notes. Del belongs to the tree pane's own keys: in the editor it deletes text.
    Row(kNewNote, "&New Note", "Add a note after the current one", {"Ctrl+N"}, Tree, kAccelerator,
        "New"),
    Row(kNewSubnote, "New &Subnote", "Add a note under the current one", {"Ctrl+Shift+N"}, Tree,
        kAccelerator, "Sub"),
    Row(kRename, "&Rename", "Rename the current note", {"F2"}, Tree, kAccelerator),
    Row(kDeleteNote, "&Delete", "Delete the selected notes", {"Del"}, Tree, 0, "Del"),
    Row(kSetNotesFolder, "Set Notes &Folder...", "Choose the folder that holds the notes", {},
        Tree),
    // Ctrl+Shift+F is Find and Replace's, so the search over all notes takes Ctrl+Alt+F.
    Row(kFindInAllNotes, "F&ind in All Notes...", "Search the text of every note", {"Ctrl+Alt+F"},
        Frame, kAccelerator),
    Row(kExport, "&Export...", "Save the selected notes as HTML, Markdown or PDF", {}, Frame),
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
        "Undo"),
    Row(kRedo, "&Redo", "Redo the change last undone", {"Ctrl+Y"}, Editor, kAccelerator, "Redo"),
    Row(kCut, "Cu&t", "Cut the selection to the clipboard",
        {"Ctrl+X", "Shift+Del", "Ctrl+Shift+Del"}, Editor, 0, "Cut"),
    Row(kCopy, "&Copy", "Copy the selection to the clipboard", {"Ctrl+C", "Ctrl+Ins"}, Editor, 0,
        "Copy"),
    Row(kCopyTextOnly, "Copy Te&xt Only", "Copy the selection to the clipboard as plain text",
        {"Ctrl+Shift+C"}, Editor),
    Row(kPaste, "&Paste", "Insert the clipboard's content",
        {"Ctrl+V", "Shift+Ins", "Ctrl+Shift+Ins"}, Editor, 0, "Paste"),
    Row(kSelectAll, "Select &All", "Select all the notes shown", {"Ctrl+A"}, Editor, kAccelerator),
    Row(kFind, "&Find...", "Find text in the notes shown", {"Ctrl+F"}, Editor),
    Row(kFindNext, "Find &Next", "Find the next place of the text searched for",
        {"F3", "Shift+F3", "Ctrl+F3", "Ctrl+Shift+F3"}, Editor),
    Row(kFindReplace, "Find and R&eplace...", "Find text and replace it", {"Ctrl+Shift+F"}, Editor),
    Row(kPrint, "&Print...", "Print the notes shown", {"Ctrl+P", "Ctrl+Shift+F12"}, Editor,
        kAccelerator),
    Row(kPrintDirect, "Print &Directly", "Print the notes shown without asking", {}, Editor, 0,
        "Print"),
    Row(kPrintPreview, "Print Pre&view", "Show the pages as they will be printed",
        {"Ctrl+Shift+P", "Ctrl+F2"}, Editor, kAccelerator, "Preview"),

    // View.
    Row(kStandardToolbar, "S&tandard Toolbar", "Show or hide the standard toolbar", {}, Frame,
        kCheckable),
    Row(kStyleToolbar, "St&yle Toolbar", "Show or hide the style toolbar", {}, Frame, kCheckable),
    Row(kStatusBar, "&Status Bar", "Show or hide the status bar", {}, Frame, kCheckable),
    Row(kTextSizeLargest, "Lar&gest", "Show the text at its largest size", {}, Editor, kCheckable),
    Row(kTextSizeLarger, "&Larger", "Show the text larger", {}, Editor, kCheckable),
    Row(kTextSizeMedium, "&Medium", "Show the text at its usual size", {}, Editor, kCheckable),
    Row(kTextSizeSmaller, "&Smaller", "Show the text smaller", {}, Editor, kCheckable),
    Row(kTextSizeSmallest, "Sm&allest", "Show the text at its smallest size", {}, Editor,
        kCheckable),

    // Styles.
    Row(kNormal, "&Normal", "Make the paragraphs normal text", {"Ctrl+Space"}, Editor, kCheckable),
    Row(kHeader1, "Header &1", "Toggle Header 1", {"Ctrl+1"}, Editor, kCheckable, "H1"),
    Row(kHeader2, "Header &2", "Toggle Header 2", {"Ctrl+2"}, Editor, kCheckable, "H2"),
    Row(kHeader3, "Header &3", "Toggle Header 3", {"Ctrl+3"}, Editor, kCheckable, "H3"),
    Row(kUncheckedList, "&Unchecked List", "Toggle the unchecked list", {"Ctrl+4"}, Editor,
        kCheckable, "\u2610"),
    Row(kCheckedList, "&Checked List", "Toggle the checked list", {"Ctrl+5"}, Editor, kCheckable,
        "\u2611"),
    Row(kNegativeList, "Ne&gative List", "Toggle the negative list", {"Ctrl+6"}, Editor, kCheckable,
        "\u2212"),
    Row(kPositiveList, "&Positive List", "Toggle the positive list", {"Ctrl+7"}, Editor, kCheckable,
        "+"),
    Row(kFixedWidth, "&Fixed Width", "Toggle fixed-width text", {"Ctrl+0"}, Editor, kCheckable,
        "Fx"),
    Row(kIndent, "&Indent", "Indent the paragraphs one level", {"Ctrl+M", "Tab"}, Editor, 0,
        "\u21E5"),
    Row(kOutdent, "&Outdent", "Outdent the paragraphs one level", {"Ctrl+Shift+M", "Shift+Tab"},
        Editor, 0, "\u21E4"),
    Row(kStrong, "&Strong", "Toggle strong text", {"Ctrl+B"}, Editor, kCheckable, "B"),
    Row(kHighlight, "&Highlight", "Toggle highlighted text", {"Ctrl+J"}, Editor, kCheckable, "Hi"),
    Row(kComment, "Co&mment", "Toggle comment text", {"Ctrl+I"}, Editor, kCheckable, "I"),

    // Help.
    Row(kHelpContents, "&Help Contents", "Open the help at its contents", {"F1"}, Frame,
        kAccelerator),
    Row(kHelpIndex, "Help &Index", "Open the help at its index", {}, Frame),
    Row(kHelpSearch, "Help &Search", "Search the help", {}, Frame),
    Row(kAbout, "&About Jotwell", "Show the program's version", {}, Frame),
};

constexpr int kNoteMenu[] = {kNewNote,   kNewSubnote,     kRename,    kDeleteNote,
                             kSeparator, kFindInAllNotes, kExport,    kSeparator,
                             kPrint,     kPrintPreview,   kSeparator, kSetNotesFolder,
                             kSeparator, kCloseToTray,    kExit};
// Its Print button prints without asking, as a button has always done.
constexpr int kStandardToolbarItems[] = {
    kNewNote, kNewSubnote, kDeleteNote, kSeparator, kPrintDirect, kPrintPreview, kSeparator,
    kCut,     kCopy,       kPaste,      kSeparator, kUndo,        kRedo};
constexpr int kTreeContextItems[] = {kNewNote, kNewSubnote, kSeparator, kRename, kDeleteNote};
constexpr int kEditMenu[] = {kUndo,         kRedo,     kSeparator,  kCut,       kCopy,
                             kCopyTextOnly, kPaste,    kSeparator,  kSelectAll, kSeparator,
                             kFind,         kFindNext, kFindReplace};
constexpr int kViewMenu[] = {kStandardToolbar, kStyleToolbar, kStatusBar};
constexpr int kTextSizeMenu[] = {kTextSizeLargest, kTextSizeLarger, kTextSizeMedium,
                                 kTextSizeSmaller, kTextSizeSmallest};
// The paragraph styles, indenting and character styles: the Styles menu and the context menu.
constexpr int kStyleItems[] = {
    kNormal,      kHeader1,      kHeader2,      kHeader3,    kSeparator, kUncheckedList,
    kCheckedList, kNegativeList, kPositiveList, kFixedWidth, kSeparator, kIndent,
    kOutdent,     kSeparator,    kStrong,       kHighlight,  kComment};
constexpr int kStyleToolbarItems[] = {
    kHeader1,      kHeader2,      kHeader3,   kSeparator,  kUncheckedList, kCheckedList,
    kNegativeList, kPositiveList, kSeparator, kFixedWidth, kSeparator,     kOutdent,
    kIndent,       kSeparator,    kStrong,    kComment,    kHighlight};

constexpr int kHelpMenu[] = {kHelpContents, kHelpIndex, kHelpSearch, kSeparator, kAbout};

constexpr Menu kMainMenus[] = {
    {"&Note", kNoParent, kNoteMenu},     {"&Edit", kNoParent, kEditMenu},
    {"&View", kNoParent, kViewMenu},     {"&Text Size", 2, kTextSizeMenu},
    {"&Styles", kNoParent, kStyleItems}, {"&Help", kNoParent, kHelpMenu}};

}  // namespace

std::span<const Command> AllCommands() noexcept {
    return kCommands;
}

const Command* FindCommand(int id) noexcept {
    const auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [id](const Command& command) { return command.id == id; });
    return found == std::end(kCommands) ? nullptr : &*found;
}

std::span<const Menu> MainMenus() noexcept {
    return kMainMenus;
}
std::span<const int> StyleToolbar() noexcept {
    return kStyleToolbarItems;
}
std::span<const int> EditorContextMenu() noexcept {
    return kStyleItems;
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
