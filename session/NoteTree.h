#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/NoteDocument.h"
#include "session/NoteTreeObserver.h"
#include "storage/TreeItemRecord.h"
#include "storage/TreePane.h"

namespace NoteTreeEngine {

// The tree of the notes of one notes folder, without any widget: items with their records, in
// order under their parents, the selection (in the order items were selected), the active item,
// the caret the program asks for, whether each item is expanded, and what each item shows (its
// title and icon). Views follow it through CNoteTreeObserver.
//
// A handle stays valid, and names the same item, until that item is removed: a move keeps it.
// Nothing here recurses, so trees of any depth are built, walked and destroyed safely.
class CNoteTree final : public CTreePane {
public:
    // The icon of an item without children by its note's size in characters: empty, small,
    // medium, large, huge (0..4). An item with children shows the same plus kChildrenIcon. A
    // conflicting copy (IsConflictCopyName) shows kConflictIcon, with children or without.
    [[nodiscard]] static int IconIndexForSize(int32_t size) noexcept;
    static constexpr int kChildrenIcon = 8;
    static constexpr int kConflictIcon = 5;

    CNoteTree();
    ~CNoteTree() override;
    CNoteTree(const CNoteTree&) = delete;
    CNoteTree& operator=(const CNoteTree&) = delete;

    // Borrowed; told of every change until removed. Observers are told in the order added.
    void AddObserver(CNoteTreeObserver* observer);
    void RemoveObserver(CNoteTreeObserver* observer);

    // --- CTreePane. Handles must be items of this tree (kRootItem where a parent is meant).
    TreeItem InsertItem(TreeItem parent, TreeItem after, const CTreeItemRecord& record) override;
    [[nodiscard]] CTreeItemRecord& Record(TreeItem item) override;
    // Takes the title from the record and the icon from its size and children; tells the
    // observers when either changed.
    void UpdateItem(TreeItem item) override;
    [[nodiscard]] TreeItem Parent(TreeItem item) const override;
    void RefreshItem(TreeItem item, NoteEditEngine::CNoteDocument& document) override;
    [[nodiscard]] std::vector<TreeItem> Children(TreeItem item) const override;
    void Expand(TreeItem item) override { SetExpanded(item, true); }
    // True when the item is expanded and has children.
    [[nodiscard]] bool IsExpanded(TreeItem item) const override;
    void Select(TreeItem item) override;
    [[nodiscard]] bool IsSelected(TreeItem item) const override;
    void SetCaret(TreeItem item) override;

    // --- Structure
    [[nodiscard]] const CTreeItemRecord& Record(TreeItem item) const;
    [[nodiscard]] size_t ChildCount(TreeItem item) const;
    // The item's place among its siblings, from 0.
    [[nodiscard]] size_t IndexOf(TreeItem item) const;
    [[nodiscard]] size_t Size() const noexcept { return m_size; }
    [[nodiscard]] bool Empty() const noexcept { return m_size == 0; }
    // Every item in tree order: parents before their children, hidden ones included.
    [[nodiscard]] std::vector<TreeItem> ItemsInOrder() const;
    // True when `candidate` is a parent, grandparent, ... of `item`.
    [[nodiscard]] bool IsAncestor(TreeItem item, TreeItem candidate) const;
    // The items with their subtrees go, in order, under `parent` directly after `after` (a child
    // of `parent` that is not moved, kFirstItem or kLastItem). Items inside another moved item's
    // subtree, and moves into a moved subtree, are left out. Selection, expansion, the active item
    // and the handles stay; OnItemMoved for each moved item.
    void Move(const std::vector<TreeItem>& items, TreeItem parent, TreeItem after);
    // Deletes the item and its subtree (OnItemRemoving first); it leaves the selection, the
    // active item and the caret without notifications.
    void Remove(TreeItem item);
    // Deletes every item (OnCleared).
    void Clear();

    // --- What a view shows
    [[nodiscard]] const std::u16string& Title(TreeItem item) const;
    [[nodiscard]] int IconIndex(TreeItem item) const;
    // Whether the item shows its children once it has some.
    void SetExpanded(TreeItem item, bool expanded);

    // --- Selection, active item, caret
    void Deselect(TreeItem item);
    // The selected items in the order they were selected.
    [[nodiscard]] const std::vector<TreeItem>& Selection() const noexcept { return m_selection; }
    // The nearest selected item before `item` in tree order (hidden ones included), or None.
    [[nodiscard]] TreeItem PreviousSelected(TreeItem item) const;
    // The selected items that have no selected ancestor, in tree order.
    [[nodiscard]] std::vector<TreeItem> TopMostSelected() const;
    // Marks the item (or None) as the active one, in the records too.
    void SetActive(TreeItem item);
    [[nodiscard]] TreeItem Active() const noexcept { return m_active; }
    // The caret last asked for; None when none, or when it was removed.
    [[nodiscard]] TreeItem Caret() const noexcept { return m_caret; }

private:
    struct CNode;

    [[nodiscard]] CNode& Node(TreeItem item) const;
    [[nodiscard]] CNode& NodeOrRoot(TreeItem item) const;
    [[nodiscard]] static TreeItem Handle(const CNode* node) noexcept;
    // Where `after` says among the parent's children.
    [[nodiscard]] size_t InsertionIndex(const CNode& parent, TreeItem after) const;
    [[nodiscard]] static int IconOf(const CNode& node);
    void UpdateIcon(CNode& node);
    void Forget(CNode& node);
    template <typename Call>
    void Tell(Call call);
    // Every item in tree order; `visit(node)` returns whether to go into its children.
    template <typename Visit>
    void WalkInOrder(Visit visit) const;

    std::unique_ptr<CNode> m_root;
    size_t m_size = 0;
    std::vector<TreeItem> m_selection;
    TreeItem m_active = TreeItem::None;
    TreeItem m_caret = TreeItem::None;
    std::vector<CNoteTreeObserver*> m_observers;
};

}  // namespace NoteTreeEngine
