#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/NoteDocument.h"

namespace NoteStorage {

// One note to export: its title as the tree shows it, its depth below the top of the export (0
// for a note exported as a top, 1 for its children, ...) and its document (borrowed, read only).
struct ExportNote {
    std::u16string title;
    int32_t depth = 0;
    const NoteEditEngine::CNoteDocument* document = nullptr;
};

// Both writers append to `out` and take a note's title as plain text. A note at depth d is headed
// at level d + 1 and its Header 1..3 paragraphs at levels d + 2..d + 4 (at most 6), so a
// header ranks below its note's title until both reach 6. Web and mail addresses in the text
// ("http://", "https://", "mailto:", "www."; FindLinks in ExportParagraphs.h) become links. A code
// unit that XML or HTML forbids, or half a surrogate pair, goes out as U+FFFD.

// The notes in the order given (tree order) as one self-contained HTML5 document (UTF-8 is for
// the caller): each note a section whose heading level follows its depth, paragraph and character
// styles mapped to elements and an embedded style sheet, lists as lists, checklists as check marks.
// Title: the first note's title, or "Jotwell notes". Normal is p, Header k an h element of class
// "headerk"; a run of list paragraphs is one ul whose items nest by indent (an item goes under the
// nearest item above it with a lower indent), each li of class "unchecked" or "checked" (with
// U+2610 / U+2611 before its text), "positive" (Ordered List too) or "negative" (a "+" / "-"
// marker); a run of Fixed Width paragraphs is one pre, four spaces per indent level; other
// indents are a left margin of 2em per level; an empty paragraph holds a br. Strong, Highlight
// and Comment are strong, mark and em, nested in that order, coloured as in the editor.
void WriteHtmlExport(const std::vector<ExportNote>& notes, std::u16string& out);

// The same as CommonMark with the task-list extension: headings, emphasis, links, indented lists,
// checklists as "- [ ]" / "- [x]", Fixed Width as code, and every character that Markdown would
// read as markup escaped.
// Headings are ATX ("#" ... "######"); blocks are separated by a blank line and an empty paragraph
// adds one more. Lists nest as in the HTML, two spaces per level; Positive / Negative items start
// with an escaped "+" / "-"; a list that follows another with only empty paragraphs between takes
// "*" for its bullet, so it stays a list of its own. Fixed Width runs are fenced with more
// backticks than any run inside, four spaces per indent level. Strong is "**", Comment "*" where
// CommonMark reads them back as written, raw <strong> / <em> where it would not; Highlight is
// <mark> (Markdown has no highlight, and raw HTML is CommonMark). Since emphasis cannot start or
// end on a space, spaces are Strong (Comment) exactly when the characters around them are; it does
// not show. Addresses are autolinks "<...>", or inline links where the address has no scheme,
// holds "&" or changes style. Other indents are not kept: Markdown has no margin.
void WriteMarkdownExport(const std::vector<ExportNote>& notes, std::u16string& out);

}  // namespace NoteStorage
