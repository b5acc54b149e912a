#pragma once

#include <cstdint>
#include <iterator>
#include <optional>
#include <string_view>

#include "base/CommandIds.h"
#include "base/Translatable.h"

// The paragraph and character styles, one row each: how the program offers a style (command,
// menu text, key, toolbar icon), how it looks on screen, how note files and the styled clipboard
// name it, and what it becomes in the clipboard's HTML and in the HTML and Markdown exports. The
// command table, the editor's style commands, the layout's looks, the note file, the clipboard
// and the exports all read these rows.
//
// Adding a style:
// - a row at the end of kParagraphStyles (the row's index is the code that note files store, so
//   rows never move) or of kCharacterStyles (the row's index is its bit);
// - its command id in base/CommandIds.h and its icon as data/icons/toolbar/<icon>.svg;
// - its keys and command in the help pages, whose tests name what is missing;
// - a name in ParagraphStyle (model/Styles.h) only where code singles the style out;
// - a rule in the HTML export's style sheet (storage/NoteExport.cpp) for its export class.

namespace NoteEditEngine {

struct StyleColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend constexpr bool operator==(const StyleColor&, const StyleColor&) noexcept = default;
};

// How a style is offered. A place orders the Styles menu (which the editor's context menu
// repeats) or the style toolbar: commands stand in the order of their places, and a separator
// stands wherever the numbers skip one; 0 is no place.
struct StyleCommand {
    int id = 0;                // 0: no command sets the style
    std::string_view label{};  // with its & mnemonic
    std::string_view statusTip{};
    std::string_view key{};  // portable key string
    int menuPlace = 0;
    int toolbarPlace = 0;
    std::string_view icon{};       // data/icons/toolbar/<icon>.svg
    std::string_view themeIcon{};  // the desktop theme's icon that may stand for it, or ""
};

// What a list paragraph's first row shows left of its text; a list style is one with a marker.
enum class ListMarker : uint8_t { kNone, kEmptyBox, kFilledBox, kPlus, kMinus };

struct ParagraphStyleDescriptor {
    std::u16string_view storedName{};  // its element in note files and the styled clipboard
    StyleCommand command{};
    // On screen at the normal text size, in pixels before scaling. Printing keeps text black.
    int32_t cellHeight = 16;
    bool bold = false;
    bool fixedWidth = false;
    int32_t spaceAbove = 0;
    int32_t spaceBelow = 0;
    StyleColor text{};
    ListMarker marker = ListMarker::kNone;
    int32_t headerLevel = 0;  // 1..3 for a header, which the exports rank below the note's title
    // The clipboard's HTML: the element and the text of its style attribute.
    std::u16string_view clipTag = u"p";
    std::u16string_view clipStyle{};
    // The exports: the HTML class of a header or a list item, what starts a list item's text in
    // HTML, and a Markdown list item's start with text after it and with none.
    std::u16string_view exportClass{};
    std::u16string_view htmlItemStart{};
    std::u16string_view markdownItem{};
    std::u16string_view markdownEmptyItem{};
};

struct CharacterStyleDescriptor {
    std::u16string_view storedName{};
    StyleCommand command{};
    // On top of the paragraph style's look, on screen and on paper.
    bool bold = false;
    bool italic = false;
    std::optional<StyleColor> text{};
    std::optional<StyleColor> background{};
    std::u16string_view clipTag{};
    std::u16string_view clipStyle{};
    // The HTML export's element, which Markdown also writes where its delimiters cannot stand;
    // Markdown's delimiter ("" for none: the element always).
    std::u16string_view exportTag{};
    std::u16string_view markdownDelimiter{};
};

inline constexpr StyleColor kHeaderColor{80, 80, 150};

inline constexpr ParagraphStyleDescriptor kParagraphStyles[] = {
    {.storedName = u"paragraph",
     .command = {CommandIds::kNormal, JW_TRANSLATE_NOOP("Commands", "&Normal"),
                 JW_TRANSLATE_NOOP("Commands", "Make the paragraphs normal text"), "Ctrl+Space", 1},
     .spaceAbove = 3,
     .spaceBelow = 3},
    {.storedName = u"header1",
     .command = {CommandIds::kHeader1, JW_TRANSLATE_NOOP("Commands", "Header &1"),
                 JW_TRANSLATE_NOOP("Commands", "Toggle Header 1"), "Ctrl+1", 2, 1, "header-1"},
     .cellHeight = 24,
     .bold = true,
     .spaceAbove = 20,
     .spaceBelow = 3,
     .text = kHeaderColor,
     .headerLevel = 1,
     .clipTag = u"h1",
     .clipStyle = u"color:rgb(80,80,150);",
     .exportClass = u"header1"},
    {.storedName = u"header2",
     .command = {CommandIds::kHeader2, JW_TRANSLATE_NOOP("Commands", "Header &2"),
                 JW_TRANSLATE_NOOP("Commands", "Toggle Header 2"), "Ctrl+2", 3, 2, "header-2"},
     .cellHeight = 20,
     .bold = true,
     .spaceAbove = 15,
     .spaceBelow = 2,
     .text = kHeaderColor,
     .headerLevel = 2,
     .clipTag = u"h2",
     .clipStyle = u"color:rgb(80,80,150);",
     .exportClass = u"header2"},
    {.storedName = u"header3",
     .command = {CommandIds::kHeader3, JW_TRANSLATE_NOOP("Commands", "Header &3"),
                 JW_TRANSLATE_NOOP("Commands", "Toggle Header 3"), "Ctrl+3", 4, 3, "header-3"},
     .bold = true,
     .spaceAbove = 10,
     .spaceBelow = 1,
     .text = kHeaderColor,
     .headerLevel = 3,
     .clipTag = u"h3",
     .clipStyle = u"color:rgb(80,80,150);",
     .exportClass = u"header3"},
    // No command sets it and no file yields it ("listordered" reads as the Negative List); it
    // shows and exports as the Positive List.
    {.storedName = u"listordered",
     .marker = ListMarker::kPlus,
     .clipTag = u"li",
     .exportClass = u"positive",
     .markdownItem = u"\\+ ",
     .markdownEmptyItem = u"\\+"},
    {.storedName = u"listunchecked",
     .command = {CommandIds::kUncheckedList, JW_TRANSLATE_NOOP("Commands", "&Unchecked List"),
                 JW_TRANSLATE_NOOP("Commands", "Toggle the unchecked list"), "Ctrl+4", 6, 5,
                 "unchecked-list"},
     .marker = ListMarker::kEmptyBox,
     .clipTag = u"li",
     .clipStyle = u"list-style-type:circle;",
     .exportClass = u"unchecked",
     .htmlItemStart = u"\u2610 ",
     .markdownItem = u"[ ] ",
     // "[ ]" with nothing after it is no task; an empty comment keeps it one.
     .markdownEmptyItem = u"[ ] <!-- -->"},
    {.storedName = u"listchecked",
     .command = {CommandIds::kCheckedList, JW_TRANSLATE_NOOP("Commands", "&Checked List"),
                 JW_TRANSLATE_NOOP("Commands", "Toggle the checked list"), "Ctrl+5", 7, 6,
                 "checked-list"},
     .marker = ListMarker::kFilledBox,
     .clipTag = u"li",
     .clipStyle = u"list-style-type:disc;",
     .exportClass = u"checked",
     .htmlItemStart = u"\u2611 ",
     .markdownItem = u"[x] ",
     .markdownEmptyItem = u"[x] <!-- -->"},
    {.storedName = u"listpositive",
     .command = {CommandIds::kPositiveList, JW_TRANSLATE_NOOP("Commands", "&Positive List"),
                 JW_TRANSLATE_NOOP("Commands", "Toggle the positive list"), "Ctrl+7", 9, 8,
                 "positive-list"},
     .marker = ListMarker::kPlus,
     .clipTag = u"li",
     .clipStyle = u"list-style-type:square;",
     .exportClass = u"positive",
     .markdownItem = u"\\+ ",
     .markdownEmptyItem = u"\\+"},
    {.storedName = u"listnegative",
     .command = {CommandIds::kNegativeList, JW_TRANSLATE_NOOP("Commands", "Ne&gative List"),
                 JW_TRANSLATE_NOOP("Commands", "Toggle the negative list"), "Ctrl+6", 8, 7,
                 "negative-list"},
     .marker = ListMarker::kMinus,
     .clipTag = u"li",
     .clipStyle = u"list-style-type:square;",
     .exportClass = u"negative",
     .markdownItem = u"\\- ",
     .markdownEmptyItem = u"\\-"},
    {.storedName = u"fixwidth",
     .command = {CommandIds::kFixedWidth, JW_TRANSLATE_NOOP("Commands", "&Fixed Width"),
                 JW_TRANSLATE_NOOP("Commands", "Toggle fixed-width text"), "Ctrl+0", 10, 10,
                 "fixed-width"},
     .fixedWidth = true,
     .clipTag = u"pre"},
};

inline constexpr CharacterStyleDescriptor kCharacterStyles[] = {
    {.storedName = u"strong",
     .command = {CommandIds::kStrong, JW_TRANSLATE_NOOP("Commands", "&Strong"),
                 JW_TRANSLATE_NOOP("Commands", "Toggle strong text"), "Ctrl+B", 1, 1, "strong",
                 "format-text-bold"},
     .bold = true,
     .clipTag = u"strong",
     .exportTag = u"strong",
     .markdownDelimiter = u"**"},
    {.storedName = u"highlight",
     .command = {CommandIds::kHighlight, JW_TRANSLATE_NOOP("Commands", "&Highlight"),
                 JW_TRANSLATE_NOOP("Commands", "Toggle highlighted text"), "Ctrl+J", 2, 3,
                 "highlight"},
     .background = StyleColor{250, 250, 160},
     .clipTag = u"u",
     .clipStyle = u"background:rgb(250,250,160);text-decoration:none;",
     .exportTag = u"mark"},
    // Stored as "link": no stored name spells out the word comment.
    {.storedName = u"link",
     .command = {CommandIds::kComment, JW_TRANSLATE_NOOP("Commands", "Co&mment"),
                 JW_TRANSLATE_NOOP("Commands", "Toggle comment text"), "Ctrl+I", 3, 2, "comment"},
     .italic = true,
     .text = StyleColor{90, 90, 90},
     .clipTag = u"em",
     .exportTag = u"em",
     .markdownDelimiter = u"*"},
};

// The row of a paragraph style code. An unknown code, which the model never holds, reads as
// Normal everywhere.
[[nodiscard]] constexpr const ParagraphStyleDescriptor& ParagraphStyleOf(uint32_t code) noexcept {
    return code < std::size(kParagraphStyles) ? kParagraphStyles[code] : kParagraphStyles[0];
}

// The code of the paragraph style that command `id` sets, or -1.
[[nodiscard]] constexpr int ParagraphStyleOfCommand(int id) noexcept {
    for (size_t code = 0; code < std::size(kParagraphStyles); ++code) {
        if (id != 0 && kParagraphStyles[code].command.id == id) return static_cast<int>(code);
    }
    return -1;
}

// The bit of the character style that command `id` toggles, or -1.
[[nodiscard]] constexpr int CharacterStyleOfCommand(int id) noexcept {
    for (size_t bit = 0; bit < std::size(kCharacterStyles); ++bit) {
        if (id != 0 && kCharacterStyles[bit].command.id == id) return static_cast<int>(bit);
    }
    return -1;
}

}  // namespace NoteEditEngine
