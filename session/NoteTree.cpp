#include "session/NoteTree.h"

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "session/DocumentManager.h"
#include "storage/SyncConflicts.h"

namespace NoteTreeEngine {

struct CNoteTree::CNode {
    CTreeItemRecord record;
    CNode* parent = nullptr;
    std::vector<std::unique_ptr<CNode>> children;
    // Where the node last stood among its siblings: right unless siblings came or went since.
    size_t indexHint = 0;
    std::u16string title;
    int iconIndex = -1;
    bool expanded = false;
    bool selected = false;
};

namespace {

// Frees a subtree without recursion: a chain of unique_ptrs a million deep would exhaust the
// stack on its way down.
template <typename Node>
void Destroy(std::vector<std::unique_ptr<Node>> nodes) {
    while (!nodes.empty()) {
        std::unique_ptr<Node> node = std::move(nodes.back());
        nodes.pop_back();
        for (auto& child : node->children)
            nodes.push_back(std::move(child));
    }
}

}  // namespace

int CNoteTree::IconIndexForSize(int32_t size) noexcept {
    if (size <= 0) return 0;
    if (size <= 350) return 1;
    if (size <= 1225) return 2;
    if (size <= 4287) return 3;
    return 4;
}

CNoteTree::CNoteTree() : m_root(std::make_unique<CNode>()) {}

CNoteTree::~CNoteTree() {
    Destroy(std::move(m_root->children));
}

void CNoteTree::AddObserver(CNoteTreeObserver* observer) {
    m_observers.push_back(observer);
}

void CNoteTree::RemoveObserver(CNoteTreeObserver* observer) {
    std::erase(m_observers, observer);
}

template <typename Call>
void CNoteTree::Tell(Call call) {
    for (size_t i = 0; i < m_observers.size(); ++i)
        call(*m_observers[i]);
}

template <typename Visit>
void CNoteTree::WalkInOrder(Visit visit) const {
    // With a stack of its own: a tree file may nest deeper than the call stack would go.
    std::vector<std::pair<const CNode*, size_t>> stack{{m_root.get(), 0}};
    while (!stack.empty()) {
        auto& [node, next] = stack.back();
        if (next == node->children.size()) {
            stack.pop_back();
            continue;
        }
        const CNode* child = node->children[next++].get();
        if (visit(*child)) stack.emplace_back(child, 0);  // invalidates `node` and `next`
    }
}

CNoteTree::CNode& CNoteTree::Node(TreeItem item) const {
    return *reinterpret_cast<CNode*>(static_cast<std::uintptr_t>(item));
}

CNoteTree::CNode& CNoteTree::NodeOrRoot(TreeItem item) const {
    return item == kRootItem ? *m_root : Node(item);
}

TreeItem CNoteTree::Handle(const CNode* node) noexcept {
    return static_cast<TreeItem>(reinterpret_cast<std::uintptr_t>(node));
}

size_t CNoteTree::IndexOf(TreeItem item) const {
    CNode& node = Node(item);
    auto& siblings = node.parent->children;
    if (node.indexHint >= siblings.size() || siblings[node.indexHint].get() != &node) {
        const auto found = std::find_if(siblings.begin(), siblings.end(),
                                        [&](const auto& child) { return child.get() == &node; });
        node.indexHint = size_t(found - siblings.begin());
    }
    return node.indexHint;
}

size_t CNoteTree::InsertionIndex(const CNode& parent, TreeItem after) const {
    if (after == kFirstItem) return 0;
    if (after == kLastItem) return parent.children.size();
    // Reading a file inserts each item after the last one: that case costs nothing.
    if (!parent.children.empty() && parent.children.back().get() == &Node(after))
        return parent.children.size();
    return IndexOf(after) + 1;
}

TreeItem CNoteTree::InsertItem(TreeItem parent, TreeItem after, const CTreeItemRecord& record) {
    CNode& parentNode = NodeOrRoot(parent);
    const size_t index = InsertionIndex(parentNode, after);
    auto node = std::make_unique<CNode>();
    node->record = record;
    node->parent = &parentNode;
    node->indexHint = index;
    node->title = record.username;
    node->iconIndex = IconOf(*node);
    CNode* added = node.get();
    parentNode.children.insert(parentNode.children.begin() + std::ptrdiff_t(index),
                               std::move(node));
    ++m_size;
    Tell([&](CNoteTreeObserver& observer) { observer.OnItemInserted(Handle(added)); });
    if (&parentNode != m_root.get() && parentNode.children.size() == 1) UpdateIcon(parentNode);
    return Handle(added);
}

CTreeItemRecord& CNoteTree::Record(TreeItem item) {
    return Node(item).record;
}

const CTreeItemRecord& CNoteTree::Record(TreeItem item) const {
    return Node(item).record;
}

int CNoteTree::IconOf(const CNode& node) {
    if (IsConflictCopyName(node.record.username)) return kConflictIcon;
    return IconIndexForSize(node.record.size) + (node.children.empty() ? 0 : kChildrenIcon);
}

void CNoteTree::UpdateItem(TreeItem item) {
    CNode& node = Node(item);
    const int icon = IconOf(node);
    if (node.title == node.record.username && node.iconIndex == icon) return;
    node.title = node.record.username;
    node.iconIndex = icon;
    Tell([&](CNoteTreeObserver& observer) { observer.OnItemChanged(item); });
}

void CNoteTree::UpdateIcon(CNode& node) {
    const int icon = IconOf(node);
    if (icon == node.iconIndex) return;
    node.iconIndex = icon;
    Tell([&](CNoteTreeObserver& observer) { observer.OnItemChanged(Handle(&node)); });
}

TreeItem CNoteTree::Parent(TreeItem item) const {
    const CNode* parent = Node(item).parent;
    return parent == m_root.get() ? kRootItem : Handle(parent);
}

void CNoteTree::RefreshItem(TreeItem item, NoteEditEngine::CNoteDocument& document) {
    CTreeItemRecord& record = Record(item);
    if (!record.isfixed) record.username = NoteTitle(document);
    record.size = static_cast<int32_t>(document.size()) - 1;
    record.created = document.Created();
    record.modified = document.Modified();
    UpdateItem(item);
}

std::vector<TreeItem> CNoteTree::Children(TreeItem item) const {
    const CNode& node = NodeOrRoot(item);
    std::vector<TreeItem> children;
    children.reserve(node.children.size());
    for (const auto& child : node.children)
        children.push_back(Handle(child.get()));
    return children;
}

size_t CNoteTree::ChildCount(TreeItem item) const {
    return NodeOrRoot(item).children.size();
}

bool CNoteTree::IsExpanded(TreeItem item) const {
    // As a tree view shows it: an item without children shows no expansion.
    const CNode& node = Node(item);
    return node.expanded && !node.children.empty();
}

void CNoteTree::SetExpanded(TreeItem item, bool expanded) {
    CNode& node = Node(item);
    if (node.expanded == expanded) return;
    node.expanded = expanded;
    Tell([&](CNoteTreeObserver& observer) { observer.OnExpandedChanged(item); });
}

const std::u16string& CNoteTree::Title(TreeItem item) const {
    return Node(item).title;
}

int CNoteTree::IconIndex(TreeItem item) const {
    return Node(item).iconIndex;
}

void CNoteTree::Select(TreeItem item) {
    CNode& node = Node(item);
    if (node.selected) return;
    node.selected = true;
    m_selection.push_back(item);
    Tell([&](CNoteTreeObserver& observer) { observer.OnSelectionChanged(item, true); });
}

void CNoteTree::Deselect(TreeItem item) {
    CNode& node = Node(item);
    if (!node.selected) return;
    node.selected = false;
    std::erase(m_selection, item);
    Tell([&](CNoteTreeObserver& observer) { observer.OnSelectionChanged(item, false); });
}

bool CNoteTree::IsSelected(TreeItem item) const {
    return Node(item).selected;
}

void CNoteTree::SetCaret(TreeItem item) {
    m_caret = item;
    Tell([&](CNoteTreeObserver& observer) { observer.OnCaretSet(item); });
}

void CNoteTree::SetActive(TreeItem item) {
    if (item == m_active) return;
    const TreeItem previous = m_active;
    if (previous != TreeItem::None) Record(previous).isactive = false;
    m_active = item;
    if (item != TreeItem::None) Record(item).isactive = true;
    Tell([&](CNoteTreeObserver& observer) { observer.OnActiveChanged(previous, item); });
}

std::vector<TreeItem> CNoteTree::ItemsInOrder() const {
    std::vector<TreeItem> items;
    items.reserve(m_size);
    WalkInOrder([&](const CNode& node) {
        items.push_back(Handle(&node));
        return true;
    });
    return items;
}

bool CNoteTree::IsAncestor(TreeItem item, TreeItem candidate) const {
    if (candidate == kRootItem) return true;
    for (const CNode* node = Node(item).parent; node != nullptr; node = node->parent)
        if (node == &Node(candidate)) return true;
    return false;
}

TreeItem CNoteTree::PreviousSelected(TreeItem item) const {
    const CNode* node = &Node(item);
    for (;;) {
        const CNode* parent = node->parent;
        const size_t index = IndexOf(Handle(node));
        if (index > 0) {
            node = parent->children[index - 1].get();
            while (!node->children.empty())
                node = node->children.back().get();
        } else if (parent != m_root.get()) {
            node = parent;
        } else {
            return TreeItem::None;
        }
        if (node->selected) return Handle(node);
    }
}

std::vector<TreeItem> CNoteTree::TopMostSelected() const {
    std::vector<TreeItem> top;
    if (m_selection.empty()) return top;
    WalkInOrder([&](const CNode& node) {
        // A selected item's subtree goes with it.
        if (node.selected) top.push_back(Handle(&node));
        return !node.selected;
    });
    return top;
}

void CNoteTree::Move(const std::vector<TreeItem>& items, TreeItem parent, TreeItem after) {
    const std::unordered_set<TreeItem> moving(items.begin(), items.end());
    const auto insideMoved = [&](TreeItem item) {
        for (const CNode* node = &Node(item); node != m_root.get(); node = node->parent)
            if (moving.contains(Handle(node))) return true;
        return false;
    };
    if (parent != kRootItem && insideMoved(parent)) return;
    CNode& to = NodeOrRoot(parent);
    // A moved item cannot be where the others go: its nearest sibling before it that stays is.
    while (after != kFirstItem && after != kLastItem && moving.contains(after)) {
        const size_t index = IndexOf(after);
        after = index == 0 ? kFirstItem : Handle(to.children[index - 1].get());
    }
    for (const TreeItem item : items) {
        CNode& node = Node(item);
        if (node.parent != m_root.get() && insideMoved(Handle(node.parent))) continue;
        CNode& from = *node.parent;
        const size_t was = IndexOf(item);
        std::unique_ptr<CNode> taken = std::move(from.children[was]);
        from.children.erase(from.children.begin() + std::ptrdiff_t(was));
        const size_t index = InsertionIndex(to, after);
        taken->parent = &to;
        taken->indexHint = index;
        to.children.insert(to.children.begin() + std::ptrdiff_t(index), std::move(taken));
        if (&from != m_root.get()) UpdateIcon(from);
        Tell([&](CNoteTreeObserver& observer) { observer.OnItemMoved(item); });
        after = item;
    }
    if (&to != m_root.get()) UpdateIcon(to);
}

void CNoteTree::Forget(CNode& node) {
    const TreeItem item = Handle(&node);
    if (node.selected) std::erase(m_selection, item);
    if (m_active == item) m_active = TreeItem::None;
    if (m_caret == item) m_caret = TreeItem::None;
    --m_size;
}

void CNoteTree::Remove(TreeItem item) {
    Tell([&](CNoteTreeObserver& observer) { observer.OnItemRemoving(item); });
    std::vector<CNode*> pending{&Node(item)};
    while (!pending.empty()) {
        CNode* node = pending.back();
        pending.pop_back();
        Forget(*node);
        for (const auto& child : node->children)
            pending.push_back(child.get());
    }
    CNode& parent = *Node(item).parent;
    const size_t index = IndexOf(item);
    std::vector<std::unique_ptr<CNode>> gone;
    gone.push_back(std::move(parent.children[index]));
    parent.children.erase(parent.children.begin() + std::ptrdiff_t(index));
    Destroy(std::move(gone));
    if (&parent != m_root.get()) UpdateIcon(parent);
}

void CNoteTree::Clear() {
    Destroy(std::move(m_root->children));
    m_root->children.clear();
    m_size = 0;
    m_selection.clear();
    m_active = TreeItem::None;
    m_caret = TreeItem::None;
    Tell([](CNoteTreeObserver& observer) { observer.OnCleared(); });
}

}  // namespace NoteTreeEngine
