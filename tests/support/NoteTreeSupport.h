#pragma once

#include <string>
#include <utility>
#include <vector>

#include "base/Utf8.h"
#include "session/NoteTree.h"

namespace TestSupport {

// Appends an item at the end of the parent's children.
inline NoteTreeEngine::TreeItem Add(NoteTreeEngine::CNoteTree& tree,
                                    NoteTreeEngine::TreeItem parent,
                                    const NoteTreeEngine::CTreeItemRecord& record) {
    return tree.InsertItem(parent, NoteTreeEngine::kLastItem, record);
}

// The tree as one line: titles in tree order, separated by blanks, children in parentheses;
// "*" marks a selected item and "+" an expanded one. "a+(b* c) d".
inline std::string Dump(NoteTreeEngine::CNoteTree& tree) {
    using NoteTreeEngine::TreeItem;
    std::string out;
    std::vector<std::pair<std::vector<TreeItem>, size_t>> stack;
    stack.emplace_back(tree.Children(NoteTreeEngine::kRootItem), 0);
    while (!stack.empty()) {
        auto& [items, next] = stack.back();
        if (next == items.size()) {
            stack.pop_back();
            if (!stack.empty()) out += ')';
            continue;
        }
        const TreeItem item = items[next++];
        if (!out.empty() && out.back() != '(') out += ' ';
        out += NoteBase::Utf16ToUtf8(tree.Title(item));
        if (tree.IsSelected(item)) out += '*';
        if (tree.IsExpanded(item)) out += '+';
        if (tree.ChildCount(item) == 0) continue;
        out += '(';
        stack.emplace_back(tree.Children(item), 0);  // invalidates `items` and `next`
    }
    return out;
}

}  // namespace TestSupport
