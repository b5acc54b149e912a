#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Utf8.h"
#include "storage/DocumentManager.h"
#include "storage/TreeItemRecord.h"
#include "storage/TreePane.h"

namespace TestSupport {

// A tree pane in memory for storage tests, fuzzing and benchmarks. Items are numbered in
// insertion order; a handle the pane never gave (or kFirstItem/kLastItem where an item is meant)
// throws std::logic_error, so that a caller's mistake cannot pass unseen. Nothing here recurses,
// so trees of any depth are built, dumped and destroyed safely.
class CFakeTreePane final : public NoteTreeEngine::CTreePane {
public:
    using TreeItem = NoteTreeEngine::TreeItem;
    using CTreeItemRecord = NoteTreeEngine::CTreeItemRecord;

    struct CMessage {
        std::u16string text;
        NoteTreeEngine::MessageIcon icon;
        std::u16string caption;
    };

    CFakeTreePane() { m_nodes.emplace_back(); }

    TreeItem InsertItem(TreeItem parent, TreeItem after, const CTreeItemRecord& record) override {
        const size_t parentIndex = Index(parent, true);
        const size_t index = m_nodes.size();
        std::vector<size_t>& siblings = m_nodes[parentIndex].children;
        if (after == NoteTreeEngine::kFirstItem) {
            siblings.insert(siblings.begin(), index);
        } else if (after == NoteTreeEngine::kLastItem) {
            siblings.push_back(index);
        } else {
            const size_t afterIndex = Index(after, false);
            // Inserting after the last child is the common case and must stay cheap.
            auto at = !siblings.empty() && siblings.back() == afterIndex
                          ? siblings.end() - 1
                          : std::find(siblings.begin(), siblings.end(), afterIndex);
            if (at == siblings.end()) throw std::logic_error("insert after a non-sibling");
            siblings.insert(at + 1, index);
        }
        CNode node;
        node.parent = parentIndex;
        node.record = std::make_unique<CTreeItemRecord>(record);
        node.label = record.username;
        m_nodes.push_back(std::move(node));
        return Handle(index);
    }
    CTreeItemRecord& Record(TreeItem item) override { return *m_nodes[Index(item, false)].record; }
    void UpdateItem(TreeItem item) override {
        CNode& node = m_nodes[Index(item, false)];
        node.label = node.record->username;
    }
    TreeItem Parent(TreeItem item) const override {
        const size_t parent = m_nodes[Index(item, false)].parent;
        return parent == 0 ? NoteTreeEngine::kRootItem : Handle(parent);
    }
    void RefreshItem(TreeItem item, NoteEditEngine::CNoteDocument& document) override {
        CTreeItemRecord& record = Record(item);
        if (!record.isfixed) record.username = NoteTreeEngine::NoteTitle(document);
        record.size = static_cast<int32_t>(document.size()) - 1;
        record.created = document.Created();
        record.modified = document.Modified();
        UpdateItem(item);
        ++refreshes;
    }
    std::vector<TreeItem> Children(TreeItem item) const override {
        std::vector<TreeItem> children;
        for (size_t child : m_nodes[Index(item, true)].children)
            children.push_back(Handle(child));
        return children;
    }
    void Expand(TreeItem item) override { m_nodes[Index(item, false)].expanded = true; }
    bool IsExpanded(TreeItem item) const override { return m_nodes[Index(item, false)].expanded; }
    void Select(TreeItem item) override {
        CNode& node = m_nodes[Index(item, false)];
        if (node.selected) return;
        node.selected = true;
        m_selection.push_back(item);
    }
    bool IsSelected(TreeItem item) const override { return m_nodes[Index(item, false)].selected; }
    void SetCaret(TreeItem item) override {
        (void)Index(item, false);
        m_caret = item;
    }
    void ShowMessageBox(std::u16string_view text, NoteTreeEngine::MessageIcon icon,
                        std::u16string_view caption) override {
        m_messages.push_back({std::u16string(text), icon, std::u16string(caption)});
    }
    // Recorded as a message without icon; answered with `answerYes`.
    bool AskYesNo(std::u16string_view text, std::u16string_view caption) override {
        m_messages.push_back(
            {std::u16string(text), NoteTreeEngine::MessageIcon::None, std::u16string(caption)});
        return answerYes;
    }

    // --- For tests ---

    bool answerYes = true;
    int refreshes = 0;

    // Appends an item at the end of the parent's children.
    TreeItem Add(TreeItem parent, const CTreeItemRecord& record) {
        const TreeItem item = InsertItem(parent, NoteTreeEngine::kLastItem, record);
        UpdateItem(item);
        return item;
    }
    void Collapse(TreeItem item) { m_nodes[Index(item, false)].expanded = false; }
    void Deselect(TreeItem item) {
        m_nodes[Index(item, false)].selected = false;
        std::erase(m_selection, item);
    }
    [[nodiscard]] const std::u16string& Label(TreeItem item) const {
        return m_nodes[Index(item, false)].label;
    }
    // Items in the order they were selected.
    [[nodiscard]] const std::vector<TreeItem>& Selection() const { return m_selection; }
    [[nodiscard]] TreeItem Caret() const { return m_caret; }
    [[nodiscard]] const std::vector<CMessage>& Messages() const { return m_messages; }
    [[nodiscard]] size_t ItemCount() const { return m_nodes.size() - 1; }
    // Every item in tree order (depth first, parents before children).
    [[nodiscard]] std::vector<TreeItem> AllItems() const {
        std::vector<TreeItem> items;
        Walk([&](size_t index, bool entering) {
            if (entering) items.push_back(Handle(index));
        });
        return items;
    }

    // The tree as one line: labels in tree order, separated by blanks, children in parentheses;
    // "*" marks a selected item and "+" an expanded one. "a+(b* c) d".
    [[nodiscard]] std::string Dump() const {
        std::string out;
        bool first = true;
        Walk([&](size_t index, bool entering) {
            const CNode& node = m_nodes[index];
            if (!entering) {
                if (!node.children.empty()) out += ')';
                return;
            }
            if (!first && out.back() != '(') out += ' ';
            first = false;
            out += NoteBase::Utf16ToUtf8(node.label);
            if (node.selected) out += '*';
            if (node.expanded) out += '+';
            if (!node.children.empty()) out += '(';
        });
        return out;
    }

private:
    struct CNode {
        size_t parent = 0;
        std::vector<size_t> children;
        std::unique_ptr<CTreeItemRecord> record;
        std::u16string label;
        bool expanded = false;
        bool selected = false;
    };

    static TreeItem Handle(size_t index) { return static_cast<TreeItem>(index); }
    size_t Index(TreeItem item, bool rootAllowed) const {
        if (item == NoteTreeEngine::kRootItem && rootAllowed) return 0;
        const auto index = static_cast<size_t>(item);
        if (index == 0 || index >= m_nodes.size()) throw std::logic_error("not an item handle");
        return index;
    }
    // Calls visit(index, true) on entering and visit(index, false) on leaving every item.
    template <typename Visit>
    void Walk(Visit visit) const {
        std::vector<std::pair<size_t, size_t>> stack{{0, 0}};
        while (!stack.empty()) {
            auto& [index, next] = stack.back();
            if (next == m_nodes[index].children.size()) {
                if (index != 0) visit(index, false);
                stack.pop_back();
                continue;
            }
            const size_t child = m_nodes[index].children[next++];
            visit(child, true);
            stack.emplace_back(child, 0);
        }
    }

    std::vector<CNode> m_nodes;  // [0] is the root
    std::vector<TreeItem> m_selection;
    TreeItem m_caret = TreeItem::None;
    std::vector<CMessage> m_messages;
};

}  // namespace TestSupport
