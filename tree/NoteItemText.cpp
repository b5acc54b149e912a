#include "tree/NoteItemText.h"

#include "ui/StatusText.h"

namespace NoteItemText {

std::string InfoText(const NoteTreeEngine::CTreeItemRecord& record) {
    return "Size: " + std::to_string(record.size) +
           " characters - Created: " + NoteEditor::FormatNoteTime(record.created) +
           " - Modified: " + NoteEditor::FormatNoteTime(record.modified);
}

}  // namespace NoteItemText
