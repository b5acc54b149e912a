#include "tree/DragRules.h"

#include <cwctype>

namespace TreeDragRules {

namespace {

Handle NextSibling(const ITreeShape& tree, Handle item) {
    const Handle parent = tree.Parent(item);
    const int index = tree.IndexOf(item) + 1;
    return index < tree.ChildCount(parent) ? tree.Child(parent, index) : nullptr;
}

Handle PreviousSibling(const ITreeShape& tree, Handle item) {
    const int index = tree.IndexOf(item);
    return index > 0 ? tree.Child(tree.Parent(item), index - 1) : nullptr;
}

bool ShowsChildren(const ITreeShape& tree, Handle item) {
    return tree.ChildCount(item) > 0 && tree.IsExpanded(item);
}

// After the item, or last when nothing follows it: the same place, named the way a drop names
// it.
Insertion AfterOrLast(const ITreeShape& tree, Handle item) {
    const Handle parent = tree.Parent(item);
    if (NextSibling(tree, item) == nullptr) return {Place::Last, parent, nullptr};
    return {Place::After, parent, item};
}

// The bottom of the label: the rows are as high as the labels, so the row's bottom.
int BottomOf(const ITreeShape& tree, Handle item) {
    return tree.RowRect(item).bottom;
}

}  // namespace

int Depth(const ITreeShape& tree, Handle item) {
    int depth = 0;
    for (; item != nullptr; item = tree.Parent(item))
        ++depth;
    return depth;
}

int DepthAtX(const ITreeShape& tree, int x) {
    const int indent = tree.Indentation() > 0 ? tree.Indentation() : 1;
    const int offset = x - tree.LabelLeft(nullptr) + indent;
    return offset < 0 ? 0 : offset / indent + 1;
}

Handle LastVisibleIn(const ITreeShape& tree, Handle item) {
    if (item == nullptr) {
        const int roots = tree.ChildCount(nullptr);
        if (roots == 0) return nullptr;
        item = tree.Child(nullptr, roots - 1);
    }
    while (ShowsChildren(tree, item))
        item = tree.Child(item, tree.ChildCount(item) - 1);
    return item;
}

Handle ItemAbove(const ITreeShape& tree, Handle item) {
    if (const Handle previous = PreviousSibling(tree, item)) return LastVisibleIn(tree, previous);
    return tree.Parent(item);
}

Insertion InsertionAt(const ITreeShape& tree, int x, int y) {
    const int depthAtX = DepthAtX(tree, x);
    const Handle item = tree.ItemAt(x, y);
    if (item == nullptr) {
        if (x < 0 || y < 0 || x >= tree.ClientWidth() || y >= tree.ClientHeight()) return {};
        const int roots = tree.ChildCount(nullptr);
        if (depthAtX < 2 || roots == 0) return {Place::Last, nullptr, nullptr};
        Handle reached = tree.Child(nullptr, roots - 1);
        while (Depth(tree, reached) < depthAtX && ShowsChildren(tree, reached)) {
            reached = tree.Child(reached, tree.ChildCount(reached) - 1);
        }
        return {Place::Last, tree.Parent(reached), nullptr};
    }

    const int depth = Depth(tree, item);
    if (depthAtX < depth) {
        // Left of the item's own level: after the ancestor at the level x points to.
        Handle ancestor = item;
        while (Depth(tree, ancestor) > depthAtX && tree.Parent(ancestor) != nullptr) {
            ancestor = tree.Parent(ancestor);
        }
        return AfterOrLast(tree, ancestor);
    }

    const Box row = tree.RowRect(item);
    const int height = row.bottom - row.top;
    const int offset = y - row.top;
    const bool upper = offset < height / 4;
    // A point on the lower quarter's border still belongs to the middle.
    const bool lower = offset > height - height / 4;
    if (!upper && !lower) return {Place::First, item, nullptr};

    if (upper) {
        Handle above = ItemAbove(tree, item);
        if (above == nullptr) return {Place::First, nullptr, nullptr};
        if (Depth(tree, above) > depth) {
            while (Depth(tree, above) > depthAtX)
                above = tree.Parent(above);
            return AfterOrLast(tree, above);
        }
        const Handle previous = PreviousSibling(tree, item);
        if (previous == nullptr) return {Place::First, tree.Parent(item), nullptr};
        return {Place::After, tree.Parent(item), previous};
    }

    if (ShowsChildren(tree, item) && depthAtX > depth) return {Place::First, item, nullptr};
    return AfterOrLast(tree, item);
}

std::array<Box, 2> MarkFor(const ITreeShape& tree, const Insertion& point) {
    if (point.place == Place::None) return {};
    const int x = point.parent != nullptr ? tree.LabelLeft(point.parent)
                                          : tree.LabelLeft(nullptr) - tree.Indentation();
    int y = 0;
    const bool rootFirst = point.place == Place::First && point.parent == nullptr;
    if (point.place == Place::After) {
        y = BottomOf(tree, LastVisibleIn(tree, point.after));
    } else if (point.place == Place::First && point.parent != nullptr &&
               tree.ChildCount(point.parent) > 0) {
        y = BottomOf(tree, point.parent);
    } else if (!rootFirst) {
        const Handle last = LastVisibleIn(tree, point.parent);
        y = last != nullptr ? BottomOf(tree, last) : 0;
    }
    const Box bar{x - kMarkLead, y - 1, tree.ClientWidth(), y + 1};
    Box tick{x - 1, y - 4, x + 1, y + 4};
    if (rootFirst) tick.top = y + 1;
    if (point.place == Place::Last) tick.bottom = y - 1;
    return {bar, tick};
}

bool IsInsideSelection(const ITreeShape& tree, Handle parent, const IsSelectedFn& isSelected) {
    for (; parent != nullptr; parent = tree.Parent(parent)) {
        if (isSelected(parent)) return true;
    }
    return false;
}

namespace {

void CollectTopMost(const ITreeShape& tree, Handle parent, const IsSelectedFn& isSelected,
                    std::vector<Handle>& found) {
    const int count = tree.ChildCount(parent);
    for (int i = 0; i < count; ++i) {
        const Handle child = tree.Child(parent, i);
        if (isSelected(child)) {
            found.push_back(child);
        } else {
            CollectTopMost(tree, child, isSelected, found);
        }
    }
}

}  // namespace

std::vector<Handle> TopMostSelected(const ITreeShape& tree, const IsSelectedFn& isSelected) {
    // Every item is walked, not only the visible ones: a selected item inside a collapsed parent
    // is still moved with the rest rather than left behind (in visible order it is the same).
    std::vector<Handle> found;
    CollectTopMost(tree, nullptr, isSelected, found);
    return found;
}

Insertion KeyboardMoveTarget(const ITreeShape& tree, Handle item, MoveKey key) {
    if (item == nullptr) return {};
    const Handle parent = tree.Parent(item);
    switch (key) {
        case MoveKey::Up: {
            const Handle previous = PreviousSibling(tree, item);
            if (previous == nullptr) return {};
            const Handle beforePrevious = PreviousSibling(tree, previous);
            if (beforePrevious == nullptr) return {Place::First, parent, nullptr};
            return {Place::After, parent, beforePrevious};
        }
        case MoveKey::Down: {
            const Handle next = NextSibling(tree, item);
            if (next == nullptr) return {};
            return {Place::After, parent, next};
        }
        case MoveKey::Left:
            if (parent == nullptr) return {};
            return {Place::After, tree.Parent(parent), parent};
        case MoveKey::Right: {
            const Handle previous = PreviousSibling(tree, item);
            if (previous == nullptr) return {};
            return {Place::Last, previous, nullptr};
        }
    }
    return {};
}

std::u16string DragFileName(std::u16string_view label) {
    static constexpr std::u16string_view kRemoved = u"\\/\"*?:|<>";
    std::u16string name;
    for (const char16_t c : label) {
        if (kRemoved.find(c) != std::u16string_view::npos) continue;
        if (name.empty() && std::iswspace(static_cast<wint_t>(c))) continue;
        name.push_back(c);
    }
    return name.empty() ? std::u16string(u"notes") : name;
}

}  // namespace TreeDragRules
