#include "tree/NoteItemText.h"

#include "ui/StatusText.h"

namespace NoteItemText {

std::string InfoText(const NoteTreeEngine::CTreeItemRecord& record) {
    return NoteEditor::NoteInfoText(record.size, record.created, record.modified);
}

}  // namespace NoteItemText
