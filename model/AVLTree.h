#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "model/BlockPool.h"

namespace NoteEditEngine {

// Says which values are marks; the tree counts them per subtree. The default marks nothing.
struct NoMarks {
    template <typename T>
    [[nodiscard]] static constexpr bool IsMark(const T& /*value*/) noexcept {
        return false;
    }
};

// An order-statistic AVL tree: the in-order traversal is the sequence, and every node knows the
// size of its subtree, so that the index of a node and the node at an index are found in
// logarithmic time. Nodes never move in memory; erasure relinks nodes instead of copying values,
// so iterators stay valid across insertions and across erasure of other nodes.
//
// Every node also knows how many of its subtree's values are marks (Marks::IsMark), so that the
// nearest mark before or after a node is found in logarithmic time too: a document finds the
// paragraph that holds a place without walking the paragraph.
template <typename T, typename Marks = NoMarks>
class AVLTree {
public:
    struct Node {
        T value{};
        Node* parent = nullptr;
        Node* left = nullptr;
        Node* right = nullptr;
        uint32_t count = 1;  // nodes in the subtree rooted here, itself included
        // Marks in the subtree, itself included. Shares a word with the balance so that a node
        // stays five words: a note would need 2^29 paragraphs (some 30 GB) to overflow it.
        uint32_t marks : 29 = 0;
        // height(right) - height(left): -1..1 between operations, -2..2 while rebalancing.
        int32_t balance : 3 = 0;
    };

    AVLTree() : m_end(NewNode(T{})) {}
    AVLTree(const AVLTree&) = delete;
    AVLTree& operator=(const AVLTree&) = delete;

    // The leaf found by descending from the root towards the shorter side (right when the balance
    // leans left, else left) until a node lacks a child. leftFree tells which side is free. Null
    // for an empty tree.
    virtual Node* ShorterSideLeaf(bool& leftFree) const noexcept {
        Node* node = m_root;
        while (node != nullptr) {
            if (node->left == nullptr) {
                leftFree = true;
                return node;
            }
            if (node->right == nullptr) {
                leftFree = false;
                return node;
            }
            node = node->balance == -1 ? node->right : node->left;
        }
        return nullptr;
    }

    // Frees every node and the end node; values are the owner's to destroy beforehand.
    virtual ~AVLTree() {
        FreeSubtree(m_root);
        FreeNode(m_end);
    }

    [[nodiscard]] Node* Root() const noexcept { return m_root; }
    [[nodiscard]] Node* EndNode() const noexcept { return m_end; }
    [[nodiscard]] uint32_t Size() const noexcept { return m_root != nullptr ? m_root->count : 0; }
    [[nodiscard]] bool Empty() const noexcept { return m_root == nullptr; }

    [[nodiscard]] static uint32_t Count(const Node* node) noexcept {
        return node != nullptr ? node->count : 0;
    }
    [[nodiscard]] static uint32_t MarkCount(const Node* node) noexcept {
        return node != nullptr ? node->marks : 0;
    }
    // 1 when the node's own value is a mark, else 0; told by the subtree counts alone.
    [[nodiscard]] static uint32_t OwnMark(const Node* node) noexcept {
        return node->marks - MarkCount(node->left) - MarkCount(node->right);
    }

    // The nearest mark at or before the node, or null when there is none. Not for the end node.
    [[nodiscard]] Node* MarkAtOrBefore(Node* node) const noexcept {
        if (OwnMark(node) != 0) return node;
        if (MarkCount(node->left) != 0) return LastMarkIn(node->left);
        for (Node* child = node; child->parent != nullptr; child = child->parent) {
            Node* parent = child->parent;
            if (parent->right != child) continue;
            if (OwnMark(parent) != 0) return parent;
            if (MarkCount(parent->left) != 0) return LastMarkIn(parent->left);
        }
        return nullptr;
    }
    // The nearest mark after the node, or null when there is none. Not for the end node.
    [[nodiscard]] Node* MarkAfter(Node* node) const noexcept {
        if (MarkCount(node->right) != 0) return FirstMarkIn(node->right);
        for (Node* child = node; child->parent != nullptr; child = child->parent) {
            Node* parent = child->parent;
            if (parent->left != child) continue;
            if (OwnMark(parent) != 0) return parent;
            if (MarkCount(parent->right) != 0) return FirstMarkIn(parent->right);
        }
        return nullptr;
    }

    [[nodiscard]] Node* First() const noexcept { return m_root ? Leftmost(m_root) : m_end; }
    [[nodiscard]] Node* Last() const noexcept { return m_root ? Rightmost(m_root) : m_end; }

    // In-order successor, or the end node after the last node. Not for the end node.
    [[nodiscard]] Node* Next(const Node* node) const noexcept {
        if (node->right != nullptr) return Leftmost(node->right);
        const Node* child = node;
        Node* parent = node->parent;
        while (parent != nullptr && parent->right == child) {
            child = parent;
            parent = parent->parent;
        }
        return parent != nullptr ? parent : m_end;
    }

    // In-order predecessor; the last node for the end node; null before the first node.
    [[nodiscard]] Node* Previous(const Node* node) const noexcept {
        if (node == m_end) return m_root ? Rightmost(m_root) : nullptr;
        if (node->left != nullptr) return Rightmost(node->left);
        const Node* child = node;
        Node* parent = node->parent;
        while (parent != nullptr && parent->left == child) {
            child = parent;
            parent = parent->parent;
        }
        return parent;
    }

    // The k-th node (0-based) of the subtree's order, or null when k is not below its count.
    [[nodiscard]] static Node* Select(Node* subtree, uint32_t k) noexcept {
        Node* node = subtree;
        while (node != nullptr) {
            const uint32_t leftCount = Count(node->left);
            if (k == leftCount) return node;
            if (k < leftCount) {
                node = node->left;
            } else {
                k -= leftCount + 1;
                node = node->right;
            }
        }
        return nullptr;
    }
    [[nodiscard]] Node* Select(uint32_t k) const noexcept { return Select(m_root, k); }

    // Nodes before this one in order; the size for the end node.
    [[nodiscard]] uint32_t Index(const Node* node) const noexcept {
        if (node == m_end) return Size();
        uint32_t index = Count(node->left);
        for (const Node* child = node; child->parent != nullptr; child = child->parent) {
            // The parent and its left subtree come before a right child; their number is the
            // parent's count less the child's, which spares a read of the sibling's node.
            const Node* parent = child->parent;
            if (parent->right == child) index += parent->count - child->count;
        }
        return index;
    }

    // Inserts value immediately before `before` (the end node appends) and returns the new node.
    Node* InsertBefore(Node* before, T value) {
        Node* node = NewNode(value);
        if (m_root == nullptr) {
            m_root = node;
        } else if (before == m_end) {
            Attach(Rightmost(m_root), node, /*asLeft=*/false);
        } else if (before->left != nullptr) {
            Attach(Rightmost(before->left), node, false);
        } else {
            Attach(before, node, true);
        }
        return node;
    }

    // Inserts value immediately after `after` and returns the new node; after the end node (or
    // into an empty tree) it appends.
    Node* InsertAfter(Node* after, T value) {
        if (after == m_end || m_root == nullptr) return InsertBefore(m_end, value);
        Node* node = NewNode(value);
        if (after->right == nullptr) {
            Attach(after, node, false);
        } else {
            Attach(Leftmost(after->right), node, true);
        }
        return node;
    }

    // Unlinks and frees the node (its value is left alone); returns the node that followed it.
    Node* Erase(Node* node) noexcept {
        Node* following = Next(node);
        Unlink(node);
        FreeNode(node);
        return following;
    }

    // Unlinks every node at once; values are the caller's.
    void Clear() noexcept {
        FreeSubtree(m_root);
        m_root = nullptr;
    }

    // Hands every value to `release`, last first, freeing each node right after. Freeing in
    // reverse order leaves the pools' free lists in forward order, so the next document built
    // lies in memory in document order again. Needs no recursion: the stack holds one path.
    template <typename Release>
    void ClearFromBack(Release release) noexcept {
        Node* stack[128];  // an AVL tree of 2^32 nodes is less than 64 levels deep
        int depth = 0;
        Node* node = m_root;
        while (node != nullptr || depth > 0) {
            while (node != nullptr) {
                stack[depth++] = node;
                node = node->right;
            }
            node = stack[--depth];
            Node* left = node->left;
            release(node->value);
            FreeNode(node);
            node = left;
        }
        m_root = nullptr;
    }

    class iterator {
    public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = T*;
        using reference = T&;

        iterator() noexcept = default;
        iterator(Node* node, const AVLTree* list) noexcept : m_node(node), m_list(list) {}

        [[nodiscard]] T& operator*() const noexcept { return m_node->value; }
        [[nodiscard]] T* operator->() const noexcept { return &m_node->value; }
        iterator& operator++() noexcept {
            m_node = m_list->Next(m_node);
            return *this;
        }
        iterator operator++(int) noexcept {
            iterator old = *this;
            ++*this;
            return old;
        }
        iterator& operator--() noexcept {
            m_node = m_list->Previous(m_node);
            return *this;
        }
        iterator operator--(int) noexcept {
            iterator old = *this;
            --*this;
            return old;
        }
        [[nodiscard]] Node* node() const noexcept { return m_node; }
        [[nodiscard]] const AVLTree* list() const noexcept { return m_list; }
        friend bool operator==(const iterator&, const iterator&) noexcept = default;

    private:
        Node* m_node = nullptr;
        const AVLTree* m_list = nullptr;
    };

protected:
    [[nodiscard]] static Node* Leftmost(Node* node) noexcept {
        while (node->left != nullptr)
            node = node->left;
        return node;
    }
    [[nodiscard]] static Node* Rightmost(Node* node) noexcept {
        while (node->right != nullptr)
            node = node->right;
        return node;
    }
    // The first and the last mark of a subtree that holds at least one.
    [[nodiscard]] static Node* FirstMarkIn(Node* node) noexcept {
        for (;;) {
            if (MarkCount(node->left) != 0) {
                node = node->left;
            } else if (OwnMark(node) != 0) {
                return node;
            } else {
                node = node->right;
            }
        }
    }
    [[nodiscard]] static Node* LastMarkIn(Node* node) noexcept {
        for (;;) {
            if (MarkCount(node->right) != 0) {
                node = node->right;
            } else if (OwnMark(node) != 0) {
                return node;
            } else {
                node = node->left;
            }
        }
    }

private:
    static CBlockPool& NodePool() {
        // Never destroyed: a tree may be freed during static destruction at exit.
        static CBlockPool& pool = *new CBlockPool(sizeof(Node));
        return pool;
    }
    static Node* NewNode(T value) {
        static_assert(alignof(Node) <= alignof(void*));
        Node* node = new (NodePool().Allocate()) Node{value};
        node->marks = Marks::IsMark(value) ? 1 : 0;
        return node;
    }
    static void FreeNode(Node* node) noexcept {
        node->~Node();
        NodePool().Free(node);
    }

    // Frees a subtree without recursion, so that no tree shape can exhaust the stack.
    static void FreeSubtree(Node* node) noexcept {
        while (node != nullptr) {
            if (node->left != nullptr) {
                node = node->left;
            } else if (node->right != nullptr) {
                node = node->right;
            } else {
                Node* parent = node->parent;
                if (parent != nullptr)
                    (parent->left == node ? parent->left : parent->right) = nullptr;
                FreeNode(node);
                node = parent;
            }
        }
    }

    void ReplaceChild(Node* parent, Node* oldChild, Node* newChild) noexcept {
        if (parent == nullptr) {
            m_root = newChild;
        } else if (parent->left == oldChild) {
            parent->left = newChild;
        } else {
            parent->right = newChild;
        }
        if (newChild != nullptr) newChild->parent = parent;
    }

    // Single rotations keep the counts without a recount; balances are the caller's.
    Node* RotateLeft(Node* x) noexcept {
        Node* y = x->right;
        const uint32_t xMark = OwnMark(x);
        ReplaceChild(x->parent, x, y);
        x->right = y->left;
        if (y->left != nullptr) y->left->parent = x;
        y->left = x;
        x->parent = y;
        y->count = x->count;
        x->count = 1 + Count(x->left) + Count(x->right);
        y->marks = x->marks;
        x->marks = xMark + MarkCount(x->left) + MarkCount(x->right);
        return y;
    }
    Node* RotateRight(Node* x) noexcept {
        Node* y = x->left;
        const uint32_t xMark = OwnMark(x);
        ReplaceChild(x->parent, x, y);
        x->left = y->right;
        if (y->right != nullptr) y->right->parent = x;
        y->right = x;
        x->parent = y;
        y->count = x->count;
        x->count = 1 + Count(x->left) + Count(x->right);
        y->marks = x->marks;
        x->marks = xMark + MarkCount(x->left) + MarkCount(x->right);
        return y;
    }

    // Double rotation at x whose child y leans towards the inside; z, y's inner child, comes up.
    Node* RotateRightLeft(Node* x) noexcept {
        Node* y = x->right;
        Node* z = y->left;
        RotateRight(y);
        RotateLeft(x);
        x->balance = z->balance == 1 ? -1 : 0;
        y->balance = z->balance == -1 ? 1 : 0;
        z->balance = 0;
        return z;
    }
    Node* RotateLeftRight(Node* x) noexcept {
        Node* y = x->left;
        Node* z = y->right;
        RotateLeft(y);
        RotateRight(x);
        x->balance = z->balance == -1 ? 1 : 0;
        y->balance = z->balance == 1 ? -1 : 0;
        z->balance = 0;
        return z;
    }

    void Attach(Node* parent, Node* node, bool asLeft) noexcept {
        node->parent = parent;
        (asLeft ? parent->left : parent->right) = node;
        for (Node* up = parent; up != nullptr; up = up->parent)
            ++up->count;
        // Most values are no marks: their insertion leaves the counts of marks alone.
        if (node->marks != 0) {
            for (Node* up = parent; up != nullptr; up = up->parent)
                ++up->marks;
        }
        FixAfterInsert(node);
    }

    void FixAfterInsert(Node* node) noexcept {
        for (Node* parent = node->parent; parent != nullptr; node = parent, parent = node->parent) {
            const bool fromLeft = parent->left == node;
            if (parent->balance == 0) {
                parent->balance = fromLeft ? -1 : 1;
                continue;
            }
            if ((parent->balance == 1 && fromLeft) || (parent->balance == -1 && !fromLeft)) {
                parent->balance = 0;
                return;
            }
            if (parent->balance == 1) {
                if (node->balance != -1) {
                    RotateLeft(parent);
                    parent->balance = 0;
                    node->balance = 0;
                } else {
                    RotateRightLeft(parent);
                }
            } else {
                if (node->balance != 1) {
                    RotateRight(parent);
                    parent->balance = 0;
                    node->balance = 0;
                } else {
                    RotateLeftRight(parent);
                }
            }
            return;
        }
    }

    void Unlink(Node* x) noexcept {
        const uint32_t xMark = OwnMark(x);
        Node* fixFrom;    // lowest node whose subtree lost a node
        Node* markFrom;   // lowest node whose subtree lost x's mark
        bool shrankLeft;  // which of its sides lost height (if any)
        if (x->left != nullptr && x->right != nullptr) {
            // The in-order predecessor takes x's place, with x's links, count and balance.
            Node* y = Rightmost(x->left);
            const uint32_t yMark = OwnMark(y);
            if (y->parent == x) {
                fixFrom = y;
                shrankLeft = true;
            } else {
                fixFrom = y->parent;
                shrankLeft = false;
                y->parent->right = y->left;
                if (y->left != nullptr) y->left->parent = y->parent;
                y->left = x->left;
                y->left->parent = y;
            }
            y->right = x->right;
            y->right->parent = y;
            ReplaceChild(x->parent, x, y);
            y->count = x->count;
            y->balance = x->balance;
            y->marks = x->marks;
            // Between its old place and x's, the nodes lost y itself.
            if (yMark != 0) {
                for (Node* up = fixFrom; up != y; up = up->parent)
                    --up->marks;
            }
            markFrom = y;
        } else {
            Node* child = x->left != nullptr ? x->left : x->right;
            fixFrom = x->parent;
            markFrom = fixFrom;
            shrankLeft = fixFrom != nullptr && fixFrom->left == x;
            ReplaceChild(x->parent, x, child);
        }
        for (Node* up = fixFrom; up != nullptr; up = up->parent)
            --up->count;
        if (xMark != 0) {
            for (Node* up = markFrom; up != nullptr; up = up->parent)
                --up->marks;
        }
        FixAfterErase(fixFrom, shrankLeft);
    }

    void FixAfterErase(Node* node, bool shrankLeft) noexcept {
        while (node != nullptr) {
            node->balance += shrankLeft ? 1 : -1;
            Node* top = node;
            if (node->balance == 1 || node->balance == -1) return;  // height unchanged
            if (node->balance == 2) {
                Node* taller = node->right;
                if (taller->balance == -1) {
                    top = RotateRightLeft(node);
                } else {
                    const bool keptHeight = taller->balance == 0;
                    top = RotateLeft(node);
                    node->balance = keptHeight ? 1 : 0;
                    taller->balance = keptHeight ? -1 : 0;
                    if (keptHeight) return;
                }
            } else if (node->balance == -2) {
                Node* taller = node->left;
                if (taller->balance == 1) {
                    top = RotateLeftRight(node);
                } else {
                    const bool keptHeight = taller->balance == 0;
                    top = RotateRight(node);
                    node->balance = keptHeight ? -1 : 0;
                    taller->balance = keptHeight ? 1 : 0;
                    if (keptHeight) return;
                }
            }
            // The subtree under `top` is one shorter: pass the loss on.
            Node* parent = top->parent;
            if (parent == nullptr) return;
            shrankLeft = parent->left == top;
            node = parent;
        }
    }

    Node* m_root = nullptr;
    Node* m_end;
};

// The list interface over the tree that the document uses.
template <typename T, typename Marks = NoMarks>
class index_list : public AVLTree<T, Marks> {
    using Base = AVLTree<T, Marks>;

public:
    using Node = typename Base::Node;
    using iterator = typename Base::iterator;

    index_list() = default;
    ~index_list() override = default;

    [[nodiscard]] iterator begin() const noexcept { return {this->First(), this}; }
    [[nodiscard]] iterator end() const noexcept { return {this->EndNode(), this}; }
    [[nodiscard]] uint32_t size() const noexcept { return this->Size(); }
    [[nodiscard]] bool empty() const noexcept { return this->Empty(); }

    [[nodiscard]] uint32_t index(const iterator& it) const noexcept {
        return this->Index(it.node());
    }
    [[nodiscard]] int64_t distance(const iterator& a, const iterator& b) const noexcept {
        return int64_t{index(b)} - int64_t{index(a)};
    }
    // The element at index i through the order statistics; end() when i is not below the size.
    [[nodiscard]] iterator select(uint32_t i) const noexcept {
        Node* node = this->Select(i);
        return {node != nullptr ? node : this->EndNode(), this};
    }
    [[nodiscard]] bool is_last(const iterator& it) const noexcept {
        return it.node() != this->EndNode() && it.node() == this->Last();
    }

    iterator push_back(T value) { return {this->InsertBefore(this->EndNode(), value), this}; }
    iterator insert(const iterator& before, T value) {
        return {this->InsertBefore(before.node(), value), this};
    }
    iterator insert_after(const iterator& after, T value) {
        return {this->InsertAfter(after.node(), value), this};
    }
    iterator erase(const iterator& it) noexcept { return {this->Erase(it.node()), this}; }
};

}  // namespace NoteEditEngine
