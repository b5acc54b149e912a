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

// The notes in the order given (tree order) as one self-contained HTML5 document (UTF-8 is for
// the caller): each note a section whose heading level follows its depth, paragraph and character
// styles mapped to elements and an embedded style sheet, lists as lists, checklists as check marks.
void WriteHtmlExport(const std::vector<ExportNote>& notes, std::u16string& out);

// The same as CommonMark with the task-list extension: headings, emphasis, links, indented lists,
// checklists as "- [ ]" / "- [x]", Fixed Width as code, and every character that Markdown would
// read as markup escaped.
void WriteMarkdownExport(const std::vector<ExportNote>& notes, std::u16string& out);

}  // namespace NoteStorage
