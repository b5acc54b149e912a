#pragma once

#include "storage/TreePane.h"

namespace NoteTreeEngine {

// What a view of the note tree hears, so that it stays in step with the model. Each call comes
// after the change, except OnItemRemoving, which comes while the subtree is still there. The
// default of every call is to do nothing.
class CNoteTreeObserver {
public:
    virtual ~CNoteTreeObserver() = default;

    // A new item, without children yet, at its place.
    virtual void OnItemInserted(TreeItem /*item*/) {}
    // The item and its subtree are about to be deleted; they are deselected already.
    virtual void OnItemRemoving(TreeItem /*item*/) {}
    // The item, with its subtree, is at its new place; the items and their handles are the same.
    virtual void OnItemMoved(TreeItem /*item*/) {}
    // The item's title or icon index changed.
    virtual void OnItemChanged(TreeItem /*item*/) {}
    virtual void OnSelectionChanged(TreeItem /*item*/, bool /*selected*/) {}
    virtual void OnExpandedChanged(TreeItem /*item*/) {}
    // The active item (the note holding the editor's caret) changed; either may be None.
    virtual void OnActiveChanged(TreeItem /*previous*/, TreeItem /*active*/) {}
    // The program asks for the keyboard caret on the item.
    virtual void OnCaretSet(TreeItem /*item*/) {}
    // Every item is gone, without OnItemRemoving for each.
    virtual void OnCleared() {}
};

}  // namespace NoteTreeEngine
