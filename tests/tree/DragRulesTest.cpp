// The drag rules over a tree described by hand: rows 16 high, indentation 20, root labels at 44,
// a client area of 200 by 160.
#include "tree/DragRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <sstream>
#include <string>

namespace {

using namespace TreeDragRules;

constexpr int kRow = 16;
constexpr int kIndent = 20;
constexpr int kRootLeft = 44;
constexpr int kWidth = 200;
constexpr int kHeight = 160;

struct Node {
    std::string name;
    Node* parent = nullptr;
    std::vector<Node*> children;
    bool expanded = true;
};

// A tree from an outline: two spaces per level, a trailing '+' marks a collapsed item.
class CFakeTree : public ITreeShape {
public:
    explicit CFakeTree(const std::string& outline) {
        std::istringstream lines(outline);
        std::vector<Node*> path;
        for (std::string line; std::getline(lines, line);) {
            const size_t level = line.find_first_not_of(' ') / 2;
            Node& node = *m_nodes.emplace_back(std::make_unique<Node>());
            node.expanded = line.back() != '+';
            node.name = line.substr(2 * level, line.size() - 2 * level - (node.expanded ? 0 : 1));
            path.resize(level);
            node.parent = level > 0 ? path.back() : nullptr;
            Children(node.parent).push_back(&node);
            path.push_back(&node);
            bool visible = true;
            for (const Node* up = node.parent; up != nullptr; up = up->parent)
                visible = visible && up->expanded;
            if (visible) m_rows.push_back(&node);
        }
    }
    Handle operator[](const std::string& name) const {
        for (const auto& node : m_nodes)
            if (node->name == name) return node.get();
        return nullptr;
    }
    static std::string Name(Handle item) { return item ? N(item)->name : ""; }

    Handle Parent(Handle item) const override { return N(item)->parent; }
    int ChildCount(Handle parent) const override { return int(Children(parent).size()); }
    Handle Child(Handle parent, int index) const override { return Children(parent)[index]; }
    int IndexOf(Handle item) const override {
        const auto& siblings = Children(N(item)->parent);
        return int(std::find(siblings.begin(), siblings.end(), item) - siblings.begin());
    }
    bool IsExpanded(Handle item) const override { return N(item)->expanded; }
    Box RowRect(Handle item) const override {
        const int row = int(std::find(m_rows.begin(), m_rows.end(), item) - m_rows.begin());
        return {0, row * kRow, kWidth, (row + 1) * kRow};
    }
    int LabelLeft(Handle item) const override {
        return kRootLeft + (item ? Depth(*this, item) - 1 : 0) * kIndent;
    }
    int Indentation() const override { return kIndent; }
    int ClientWidth() const override { return kWidth; }
    int ClientHeight() const override { return kHeight; }
    Handle ItemAt(int x, int y) const override {
        const bool inside = x >= 0 && y >= 0 && x < kWidth && y < kHeight;
        return inside && y / kRow < int(m_rows.size()) ? m_rows[size_t(y / kRow)] : nullptr;
    }

private:
    static Node* N(Handle item) { return static_cast<Node*>(item); }
    std::vector<Node*>& Children(Node* parent) { return parent ? parent->children : m_roots; }
    const std::vector<Node*>& Children(Handle parent) const {
        return parent ? N(parent)->children : m_roots;
    }

    std::vector<std::unique_ptr<Node>> m_nodes;
    std::vector<Node*> m_roots;
    std::vector<Node*> m_rows;  // the visible items, top down
};

// Rows: 0 A, 1 A1, 2 A2, 3 A2a, 4 A2b, 5 B (collapsed, B1 hidden), 6 C, 7 C1; 8.. empty.
const char* const kOutline =
    "A\n"
    "  A1\n"
    "  A2\n"
    "    A2a\n"
    "    A2b\n"
    "B+\n"
    "  B1\n"
    "C\n"
    "  C1\n";

// An x whose indicated depth is `depth`.
int XForDepth(int depth) {
    return kRootLeft + (depth - 2) * kIndent + kIndent / 2;
}

// Offsets into a row of 16: the upper quarter is 0..3, the middle half 4..12 (12 is the lower
// quarter's border), the lower quarter 13..15.
constexpr int kUpper = 1;
constexpr int kMiddle = 8;
constexpr int kLower = 15;

struct Expected {
    Place place;
    std::string parent;
    std::string after;
};

void ExpectInsertion(const Insertion& got, const Expected& want, const std::string& what) {
    EXPECT_EQ(got.place, want.place) << what;
    EXPECT_EQ(CFakeTree::Name(got.parent), want.parent) << what;
    EXPECT_EQ(CFakeTree::Name(got.after), want.after) << what;
}

TEST(DragRules, InsertionPointForEveryZoneAndDepth) {
    const CFakeTree tree(kOutline);
    struct Case {
        int row;
        int offset;
        int depth;
        Expected want;
    };
    using enum Place;
    const Case cases[] = {
        // Into an item from the middle half.
        {0, kMiddle, 2, {First, "A", ""}},
        {5, kMiddle, 2, {First, "B", ""}},
        // Left of the item's level: after the ancestor at that level, or last when it is last.
        {4, kLower, 3, {Last, "A2", ""}},
        {4, kLower, 2, {Last, "A", ""}},
        {4, kLower, 1, {After, "", "A"}},
        {4, kMiddle, 0, {After, "", "A"}},
        {7, kUpper, 1, {Last, "", ""}},
        // Upper quarter: the first root item; under a parent; below a deeper subtree the depth of
        // x picks the level.
        {0, kUpper, 1, {First, "", ""}},
        {1, kUpper, 2, {First, "A", ""}},
        {2, kUpper, 2, {After, "A", "A1"}},
        {5, kUpper, 3, {Last, "A2", ""}},
        {5, kUpper, 2, {Last, "A", ""}},
        {5, kUpper, 1, {After, "", "A"}},
        {6, kUpper, 2, {After, "", "B"}},
        // Lower quarter: an expanded parent with x further right takes the items as first
        // children, further left after it; a collapsed one only after it.
        {0, kLower, 2, {First, "A", ""}},
        {0, kLower, 1, {After, "", "A"}},
        {2, kLower, 3, {First, "A2", ""}},
        {2, kLower, 2, {Last, "A", ""}},
        {5, kLower, 2, {After, "", "B"}},
        {7, kLower, 2, {Last, "C", ""}},
        // Below the last item: the depth of x walks down the last expanded items.
        {9, kMiddle, 0, {Last, "", ""}},
        {9, kMiddle, 1, {Last, "", ""}},
        {9, kMiddle, 2, {Last, "C", ""}},
        {9, kMiddle, 4, {Last, "C", ""}},
        // The zones' borders.
        {2, 3, 2, {After, "A", "A1"}},
        {2, 4, 2, {First, "A2", ""}},
        {2, 12, 2, {First, "A2", ""}},
        {2, 13, 2, {Last, "A", ""}},
    };
    for (const Case& c : cases) {
        const Insertion got = InsertionAt(tree, XForDepth(c.depth), c.row * kRow + c.offset);
        ExpectInsertion(got, c.want,
                        "row " + std::to_string(c.row) + "+" + std::to_string(c.offset) +
                            " depth " + std::to_string(c.depth));
    }
}

TEST(DragRules, PointsOutsideAndAnEmptyTree) {
    const CFakeTree tree(kOutline);
    for (const auto& [x, y] : {std::pair{30, -1}, {30, kHeight}, {-1, 150}, {kWidth, 150}}) {
        EXPECT_EQ(InsertionAt(tree, x, y).place, Place::None) << x << "," << y;
    }
    ExpectInsertion(InsertionAt(CFakeTree(""), XForDepth(3), 40), {Place::Last, "", ""}, "empty");
}

TEST(DragRules, MarkRectangles) {
    const CFakeTree tree(kOutline);
    struct Case {
        Place place;
        std::string parent;
        std::string after;
        Box bar;
        Box tick;
    };
    using enum Place;
    const Case cases[] = {
        // The top of the client area; the tick hangs below the bar.
        {First, "", "", {14, -1, 200, 1}, {23, 1, 25, 4}},
        // Below the parent's own label.
        {First, "A", "", {34, 15, 200, 17}, {43, 12, 45, 20}},
        // Below the last visible item of the subtree; the tick stands on the bar.
        {Last, "A2", "", {54, 79, 200, 81}, {63, 76, 65, 79}},
        {Last, "", "", {14, 127, 200, 129}, {23, 124, 25, 127}},
        // After an item: below its last visible descendant, or below itself when collapsed.
        {After, "", "A", {14, 79, 200, 81}, {23, 76, 25, 84}},
        {After, "", "B", {14, 95, 200, 97}, {23, 92, 25, 100}},
        // First under a childless item is the same place as last: below the item itself.
        {First, "C1", "", {54, 127, 200, 129}, {63, 124, 65, 132}},
    };
    for (const Case& c : cases) {
        const auto boxes = MarkFor(tree, {c.place, tree[c.parent], tree[c.after]});
        EXPECT_EQ(boxes[0], c.bar) << c.parent << "/" << c.after;
        EXPECT_EQ(boxes[1], c.tick) << c.parent << "/" << c.after;
    }
    const auto none = MarkFor(tree, {});
    EXPECT_TRUE(none[0].IsEmpty() && none[1].IsEmpty());
}

TEST(DragRules, SelectionSubtreesAndTopMostItems) {
    const CFakeTree tree(kOutline);
    std::set<Handle> selected{tree["A2"], tree["A2a"], tree["B1"], tree["C"]};
    const auto isSelected = [&selected](Handle item) { return selected.count(item) > 0; };

    std::vector<std::string> names;
    for (const Handle item : TopMostSelected(tree, isSelected))
        names.push_back(CFakeTree::Name(item));
    // B1 lies inside a collapsed parent and still goes with the rest.
    EXPECT_EQ(names, (std::vector<std::string>{"A2", "B1", "C"}));

    const std::pair<const char*, bool> parents[] = {{"", false},  {"A", false},  {"A1", false},
                                                    {"A2", true}, {"A2b", true}, {"C1", true}};
    for (const auto& [parent, inside] : parents) {
        EXPECT_EQ(IsInsideSelection(tree, tree[parent], isSelected), inside) << parent;
    }
}

TEST(DragRules, DraggedFileName) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"Shopping list", u"Shopping list"},
        {u"a\\b/c\"d*e?f:g|h<i>j", u"abcdefghij"},
        {u"  \t lead", u"lead"},
        {u" : spaced ", u"spaced "},
        {u"", u"notes"},
        {u" */ ", u"notes"},
        {u"Zürich ☃", u"Zürich ☃"},
    };
    for (const auto& [label, name] : cases)
        EXPECT_TRUE(DragFileName(label) == name);
}

}  // namespace
