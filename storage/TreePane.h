#pragma once

#include <cstdint>
#include <vector>

#include "model/NoteDocument.h"
#include "storage/TreeItemRecord.h"

namespace NoteTreeEngine {

// An item of the tree pane, opaque to storage: the pane decides what the value stands for.
enum class TreeItem : std::uintptr_t { None = 0 };

// As a parent: the invisible root, whose children are the top-level items.
inline constexpr TreeItem kRootItem = static_cast<TreeItem>(~std::uintptr_t{0});
// As the item to insert after: before every sibling, or after every sibling.
inline constexpr TreeItem kFirstItem = static_cast<TreeItem>(~std::uintptr_t{0} - 1);
inline constexpr TreeItem kLastItem = static_cast<TreeItem>(~std::uintptr_t{0} - 2);

// What the tree file handler and the notes folder need of the note tree. The tree owns its items
// and one record per item; the item handles it gives stay valid until it deletes the items.
class CTreePane {
public:
    virtual ~CTreePane() = default;

    // Inserts an item labelled with the record's name, holding its own copy of the record, as a
    // child of `parent` (an item or kRootItem) directly after `after` (a child of `parent`,
    // kFirstItem or kLastItem). Returns the new item.
    virtual TreeItem InsertItem(TreeItem parent, TreeItem after, const CTreeItemRecord& record) = 0;
    // The record the item holds; it lives as long as the item.
    [[nodiscard]] virtual CTreeItemRecord& Record(TreeItem item) = 0;
    // Sets the item's label and icon from its record.
    virtual void UpdateItem(TreeItem item) = 0;
    // The parent of an item: an item, or kRootItem for a top-level one.
    [[nodiscard]] virtual TreeItem Parent(TreeItem item) const = 0;
    // Updates the record from its note's document (name unless fixed, size, times) and the item
    // from its record.
    virtual void RefreshItem(TreeItem item, NoteEditEngine::CNoteDocument& document) = 0;
    // The children of an item (or of kRootItem), first child first.
    [[nodiscard]] virtual std::vector<TreeItem> Children(TreeItem item) const = 0;

    virtual void Expand(TreeItem item) = 0;
    [[nodiscard]] virtual bool IsExpanded(TreeItem item) const = 0;
    // Adds the item to the tree's selection (a change the program makes, not the user).
    virtual void Select(TreeItem item) = 0;
    [[nodiscard]] virtual bool IsSelected(TreeItem item) const = 0;
    // Moves the keyboard caret to the item without changing the selection.
    virtual void SetCaret(TreeItem item) = 0;
};

}  // namespace NoteTreeEngine
