#pragma once

#include <cstdint>
#include <string>

#include "storage/TreeItemRecord.h"

// What the tree shows of a note, without any widget: its icon and its information line.
namespace NoteItemText {

// The icon of an item without children by its note's size in characters: empty, small, medium,
// large, huge (0..4). An item with children shows the same plus kChildrenIcon.
[[nodiscard]] int IconIndexForSize(int32_t size) noexcept;
inline constexpr int kChildrenIcon = 8;

// "Size: %d characters - Created: %s - Modified: %s" for the item's record, with the times as
// the editor's status line writes them.
[[nodiscard]] std::string InfoText(const NoteTreeEngine::CTreeItemRecord& record);

}  // namespace NoteItemText
