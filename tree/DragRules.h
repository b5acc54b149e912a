#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The rules of drag and drop over the note tree that need no widget: where a drop at a point
// puts the items, the insertion mark drawn for it, which selected items a move or a drag takes,
// where a keyboard move sends an item, and the name of the dragged tree file. The tree widget
// describes itself through ITreeShape; the tests describe a tree of their own.
namespace TreeDragRules {

// An item of the tree; null stands for the root level (the parent of the root items).
using Handle = void*;

// A rectangle in client coordinates; right and bottom are exclusive.
struct Box {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    [[nodiscard]] bool IsEmpty() const noexcept { return right <= left || bottom <= top; }
    friend bool operator==(const Box&, const Box&) = default;
};

// The visible tree as the rules see it. Geometry is asked only of visible items.
class ITreeShape {
public:
    virtual ~ITreeShape() = default;
    [[nodiscard]] virtual Handle Parent(Handle item) const = 0;  // null for a root item
    [[nodiscard]] virtual int ChildCount(Handle parent) const = 0;
    [[nodiscard]] virtual Handle Child(Handle parent, int index) const = 0;
    [[nodiscard]] virtual int IndexOf(Handle item) const = 0;  // among its parent's children
    [[nodiscard]] virtual bool IsExpanded(Handle item) const = 0;
    // The item's whole row.
    [[nodiscard]] virtual Box RowRect(Handle item) const = 0;
    // Where the item's label starts; null: where a root item's label starts (also in an empty
    // tree).
    [[nodiscard]] virtual int LabelLeft(Handle item) const = 0;
    [[nodiscard]] virtual int Indentation() const = 0;
    [[nodiscard]] virtual int ClientWidth() const = 0;
    [[nodiscard]] virtual int ClientHeight() const = 0;
    // The visible item whose row holds the point; null elsewhere.
    [[nodiscard]] virtual Handle ItemAt(int x, int y) const = 0;
};

// Where items go: under `parent`, after `after` (one of its children), or first or last.
enum class Place { None, After, First, Last };
struct Insertion {
    Place place = Place::None;
    Handle parent = nullptr;
    Handle after = nullptr;  // only with Place::After
    friend bool operator==(const Insertion&, const Insertion&) = default;
};

inline constexpr int kMarkLead = 10;  // the bar starts this far left of the parent's label

// 1 for a root item, one more per level below.
[[nodiscard]] int Depth(const ITreeShape& tree, Handle item);
// The depth that a horizontal position indicates; 0 left of the root level.
[[nodiscard]] int DepthAtX(const ITreeShape& tree, int x);
// The item just above in visible order; null above the first root item.
[[nodiscard]] Handle ItemAbove(const ITreeShape& tree, Handle item);
// The last visible item of the item's subtree (the item itself when collapsed or childless);
// null gives the last visible item of the tree (null when the tree is empty).
[[nodiscard]] Handle LastVisibleIn(const ITreeShape& tree, Handle item);

// The insertion point for a point: the row's upper quarter, middle half and lower quarter, and
// the depth that x indicates, choose before, into or after the item under the point.
[[nodiscard]] Insertion InsertionAt(const ITreeShape& tree, int x, int y);
// The bar and the tick of the mark drawn for an insertion point; both empty without one.
[[nodiscard]] std::array<Box, 2> MarkFor(const ITreeShape& tree, const Insertion& point);

using IsSelectedFn = std::function<bool(Handle)>;
// True when `parent` is a selected item or lies inside the subtree of one: a move of the
// selection there would put items inside themselves.
[[nodiscard]] bool IsInsideSelection(const ITreeShape& tree, Handle parent,
                                     const IsSelectedFn& isSelected);
// The selected items that have no selected ancestor, in tree order.
[[nodiscard]] std::vector<Handle> TopMostSelected(const ITreeShape& tree,
                                                  const IsSelectedFn& isSelected);

// Where a keyboard move (an arrow with Tab held) sends the item; None when it cannot go there.
enum class MoveKey { Up, Down, Left, Right };
[[nodiscard]] Insertion KeyboardMoveTarget(const ITreeShape& tree, Handle item, MoveKey key);

// The dragged tree file's name (without extension) from the first dragged note's label: the
// characters a file name cannot hold are dropped, then leading blanks; "notes" when nothing is
// left.
[[nodiscard]] std::u16string DragFileName(std::u16string_view label);

}  // namespace TreeDragRules
