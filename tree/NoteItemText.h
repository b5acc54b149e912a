#pragma once

#include <string>

#include "storage/TreeItemRecord.h"

// What the tree shows of a note under the mouse, without any widget: its information line.
namespace NoteItemText {

// "Size: %d characters - Created: %s - Modified: %s" for the item's record, with the times as
// the editor's status line writes them.
[[nodiscard]] std::string InfoText(const NoteTreeEngine::CTreeItemRecord& record);

}  // namespace NoteItemText
