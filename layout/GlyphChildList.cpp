#include "layout/GlyphChildList.h"

#include <initializer_list>

#include "layout/NoteGlyph.h"

namespace NoteLayoutEngine {

namespace {

uint32_t NextPriority() noexcept {
    // A fixed xorshift sequence: layouts, and so tests and benchmarks, are reproducible.
    static uint32_t state = 2463534242u;
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

}  // namespace

CGlyphChildList::~CGlyphChildList() {
    // Iterative, so no tree shape can exhaust the stack.
    CNoteGlyph* node = m_root;
    while (node != nullptr) {
        if (node->m_treeLeft != nullptr) {
            node = node->m_treeLeft;
        } else if (node->m_treeRight != nullptr) {
            node = node->m_treeRight;
        } else {
            CNoteGlyph* parent = node->m_treeParent;
            if (parent != nullptr)
                (parent->m_treeLeft == node ? parent->m_treeLeft : parent->m_treeRight) = nullptr;
            delete node;
            node = parent;
        }
    }
}

CNoteGlyph* CGlyphChildList::First() const noexcept {
    CNoteGlyph* node = m_root;
    if (node == nullptr) return nullptr;
    while (node->m_treeLeft != nullptr)
        node = node->m_treeLeft;
    return node;
}

CNoteGlyph* CGlyphChildList::Last() const noexcept {
    CNoteGlyph* node = m_root;
    if (node == nullptr) return nullptr;
    while (node->m_treeRight != nullptr)
        node = node->m_treeRight;
    return node;
}

CNoteGlyph* CGlyphChildList::Next(const CNoteGlyph* child) noexcept {
    if (child->m_treeRight != nullptr) {
        CNoteGlyph* node = child->m_treeRight;
        while (node->m_treeLeft != nullptr)
            node = node->m_treeLeft;
        return node;
    }
    const CNoteGlyph* node = child;
    CNoteGlyph* parent = node->m_treeParent;
    while (parent != nullptr && parent->m_treeRight == node) {
        node = parent;
        parent = parent->m_treeParent;
    }
    return parent;
}

CNoteGlyph* CGlyphChildList::Previous(const CNoteGlyph* child) noexcept {
    if (child->m_treeLeft != nullptr) {
        CNoteGlyph* node = child->m_treeLeft;
        while (node->m_treeRight != nullptr)
            node = node->m_treeRight;
        return node;
    }
    const CNoteGlyph* node = child;
    CNoteGlyph* parent = node->m_treeParent;
    while (parent != nullptr && parent->m_treeLeft == node) {
        node = parent;
        parent = parent->m_treeParent;
    }
    return parent;
}

void CGlyphChildList::Recompute(CNoteGlyph* node) noexcept {
    node->m_sumCount = 1;
    node->m_sumLength = node->m_length;
    node->m_sumHeight = node->m_height;
    for (const CNoteGlyph* side : {node->m_treeLeft, node->m_treeRight}) {
        if (side == nullptr) continue;
        node->m_sumCount += side->m_sumCount;
        node->m_sumLength += side->m_sumLength;
        node->m_sumHeight += side->m_sumHeight;
    }
}

void CGlyphChildList::Refresh(CNoteGlyph* child) noexcept {
    for (CNoteGlyph* node = child; node != nullptr; node = node->m_treeParent)
        Recompute(node);
}

// Rotates node above its parent, keeping the in-order sequence.
void CGlyphChildList::RotateUp(CNoteGlyph* node) noexcept {
    CNoteGlyph* parent = node->m_treeParent;
    CNoteGlyph* grand = parent->m_treeParent;
    if (parent->m_treeLeft == node) {
        parent->m_treeLeft = node->m_treeRight;
        if (node->m_treeRight != nullptr) node->m_treeRight->m_treeParent = parent;
        node->m_treeRight = parent;
    } else {
        parent->m_treeRight = node->m_treeLeft;
        if (node->m_treeLeft != nullptr) node->m_treeLeft->m_treeParent = parent;
        node->m_treeLeft = parent;
    }
    parent->m_treeParent = node;
    node->m_treeParent = grand;
    if (grand == nullptr) {
        m_root = node;
    } else if (grand->m_treeLeft == parent) {
        grand->m_treeLeft = node;
    } else {
        grand->m_treeRight = node;
    }
    Recompute(parent);
    Recompute(node);
}

CNoteGlyph* CGlyphChildList::InsertBefore(CNoteGlyph* before, std::unique_ptr<CNoteGlyph> child) {
    CNoteGlyph* node = child.release();
    node->m_treeLeft = node->m_treeRight = node->m_treeParent = nullptr;
    node->m_priority = NextPriority();
    Recompute(node);
    ++m_size;
    if (m_root == nullptr) {
        m_root = node;
        return node;
    }
    CNoteGlyph* parent;
    bool asLeft;
    if (before == nullptr) {
        parent = Last();
        asLeft = false;
    } else if (before->m_treeLeft == nullptr) {
        parent = before;
        asLeft = true;
    } else {
        parent = before->m_treeLeft;
        while (parent->m_treeRight != nullptr)
            parent = parent->m_treeRight;
        asLeft = false;
    }
    (asLeft ? parent->m_treeLeft : parent->m_treeRight) = node;
    node->m_treeParent = parent;
    Refresh(parent);
    while (node->m_treeParent != nullptr && node->m_treeParent->m_priority < node->m_priority)
        RotateUp(node);
    return node;
}

std::unique_ptr<CNoteGlyph> CGlyphChildList::Remove(CNoteGlyph* child) noexcept {
    // Rotate the child down until it is a leaf; the subtree above keeps its contents.
    while (child->m_treeLeft != nullptr || child->m_treeRight != nullptr) {
        CNoteGlyph* up;
        if (child->m_treeLeft == nullptr) {
            up = child->m_treeRight;
        } else if (child->m_treeRight == nullptr) {
            up = child->m_treeLeft;
        } else {
            up = child->m_treeLeft->m_priority > child->m_treeRight->m_priority
                     ? child->m_treeLeft
                     : child->m_treeRight;
        }
        RotateUp(up);
    }
    CNoteGlyph* parent = child->m_treeParent;
    if (parent == nullptr) {
        m_root = nullptr;
    } else {
        (parent->m_treeLeft == child ? parent->m_treeLeft : parent->m_treeRight) = nullptr;
        Refresh(parent);
    }
    child->m_treeParent = nullptr;
    --m_size;
    return std::unique_ptr<CNoteGlyph>(child);
}

CNoteGlyph* CGlyphChildList::FindByOffset(int64_t offset) const noexcept {
    CNoteGlyph* node = m_root;
    while (node != nullptr) {
        const int64_t left = node->m_treeLeft != nullptr ? node->m_treeLeft->m_sumLength : 0;
        if (offset < left) {
            node = node->m_treeLeft;
            continue;
        }
        offset -= left;
        if (offset < node->m_length) return node;
        offset -= node->m_length;
        if (node->m_treeRight == nullptr) return Last();
        node = node->m_treeRight;
    }
    return nullptr;
}

CNoteGlyph* CGlyphChildList::FindByY(int64_t y) const noexcept {
    CNoteGlyph* node = m_root;
    while (node != nullptr) {
        const int64_t above = node->m_treeLeft != nullptr ? node->m_treeLeft->m_sumHeight : 0;
        if (y < above) {
            node = node->m_treeLeft;
            continue;
        }
        y -= above;
        if (y < node->m_height) return node;
        y -= node->m_height;
        if (node->m_treeRight == nullptr) return Last();
        node = node->m_treeRight;
    }
    return nullptr;
}

CGlyphChildList::Prefix CGlyphChildList::Before(const CNoteGlyph* child) noexcept {
    Prefix prefix;
    const auto addSubtree = [&prefix](const CNoteGlyph* node) {
        if (node == nullptr) return;
        prefix.count += node->m_sumCount;
        prefix.length += node->m_sumLength;
        prefix.height += node->m_sumHeight;
    };
    addSubtree(child->m_treeLeft);
    for (const CNoteGlyph* node = child; node->m_treeParent != nullptr; node = node->m_treeParent) {
        const CNoteGlyph* parent = node->m_treeParent;
        if (parent->m_treeRight != node) continue;
        addSubtree(parent->m_treeLeft);
        ++prefix.count;
        prefix.length += parent->m_length;
        prefix.height += parent->m_height;
    }
    return prefix;
}

int64_t CGlyphChildList::TotalLength() const noexcept {
    return m_root != nullptr ? m_root->m_sumLength : 0;
}

}  // namespace NoteLayoutEngine
