#include "tree/NoteItemText.h"

#include "ui/StatusText.h"

namespace NoteItemText {

int IconIndexForSize(int32_t size) noexcept {
    if (size <= 0) return 0;
    if (size <= 350) return 1;
    if (size <= 1225) return 2;
    if (size <= 4287) return 3;
    return 4;
}

std::string InfoText(const NoteTreeEngine::CTreeItemRecord& record) {
    return "Size: " + std::to_string(record.size) +
           " characters - Created: " + NoteEditor::FormatNoteTime(record.created) +
           " - Modified: " + NoteEditor::FormatNoteTime(record.modified);
}

}  // namespace NoteItemText
