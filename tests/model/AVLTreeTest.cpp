#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "model/AVLTree.h"

namespace NoteEditEngine {
namespace {

// Values are never dereferenced by the tree; small integers cast to pointers name them.
using Value = int*;

intptr_t Id(Value v) {
    return reinterpret_cast<intptr_t>(v);
}
Value V(intptr_t id) {
    return reinterpret_cast<Value>(id);
}
// Every third id is a mark, as paragraph marks are among a note's characters.
bool IsMarkId(intptr_t id) {
    return id % 3 == 1;
}
struct EveryThird {
    static bool IsMark(Value v) noexcept { return IsMarkId(Id(v)); }
};

using List = index_list<Value, EveryThird>;
using Node = List::Node;

// Checks every structural invariant of the subtree and returns its height.
int CheckSubtree(const Node* node, const Node* parent, ::testing::AssertionResult& ok) {
    if (node == nullptr) return 0;
    if (node->parent != parent) ok = ::testing::AssertionFailure() << "bad parent link";
    const int left = CheckSubtree(node->left, node, ok);
    const int right = CheckSubtree(node->right, node, ok);
    const uint32_t count = 1 + List::Count(node->left) + List::Count(node->right);
    if (node->count != count) {
        ok = ::testing::AssertionFailure() << "count " << node->count << " should be " << count;
    }
    const uint32_t marks = (IsMarkId(Id(node->value)) ? 1 : 0) + List::MarkCount(node->left) +
                           List::MarkCount(node->right);
    if (node->marks != marks) {
        ok = ::testing::AssertionFailure() << "marks " << node->marks << " should be " << marks;
    }
    if (node->balance != right - left || node->balance < -1 || node->balance > 1) {
        ok = ::testing::AssertionFailure()
             << "balance " << node->balance << " with heights " << left << "/" << right;
    }
    return 1 + std::max(left, right);
}

::testing::AssertionResult Matches(const List& list, const std::vector<intptr_t>& expected) {
    ::testing::AssertionResult ok = ::testing::AssertionSuccess();
    CheckSubtree(list.Root(), nullptr, ok);
    if (!ok) return ok;
    if (list.size() != expected.size()) {
        return ::testing::AssertionFailure() << "size " << list.size() << " vs " << expected.size();
    }
    size_t i = 0;
    for (auto it = list.begin(); it != list.end(); ++it, ++i) {
        if (Id(*it) != expected[i]) return ::testing::AssertionFailure() << "value at " << i;
        if (list.index(it) != i) return ::testing::AssertionFailure() << "index at " << i;
        if (list.select(static_cast<uint32_t>(i)) != it) {
            return ::testing::AssertionFailure() << "select at " << i;
        }
    }
    // Walking backwards from the end visits the same sequence.
    auto it = list.end();
    for (size_t j = expected.size(); j-- > 0;) {
        --it;
        if (Id(*it) != expected[j]) return ::testing::AssertionFailure() << "backward at " << j;
    }
    if (list.index(list.end()) != expected.size()) return ::testing::AssertionFailure() << "end";
    // The nearest marks around every node, against a walk over the expected sequence.
    intptr_t markBefore = -1;
    for (size_t i = 0; i < expected.size(); ++i) {
        if (IsMarkId(expected[i])) markBefore = expected[i];
        Node* node = list.select(static_cast<uint32_t>(i)).node();
        const Node* atOrBefore = list.MarkAtOrBefore(node);
        if ((atOrBefore == nullptr ? -1 : Id(atOrBefore->value)) != markBefore) {
            return ::testing::AssertionFailure() << "mark at or before " << i;
        }
        auto next = std::find_if(expected.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                 expected.end(), IsMarkId);
        const Node* after = list.MarkAfter(node);
        if ((after == nullptr ? -1 : Id(after->value)) != (next == expected.end() ? -1 : *next)) {
            return ::testing::AssertionFailure() << "mark after " << i;
        }
    }
    return ::testing::AssertionSuccess();
}

TEST(AVLTreeTest, EmptyTree) {
    List list;
    EXPECT_EQ(list.begin(), list.end());
    EXPECT_EQ(list.index(list.end()), 0u);
    EXPECT_EQ(list.select(0), list.end());
    bool leftFree = false;
    EXPECT_EQ(list.ShorterSideLeaf(leftFree), nullptr);
}

TEST(AVLTreeTest, InsertBeforeBeginShiftsEveryIndex) {
    List list;
    std::vector<List::iterator> its;
    for (int i = 1; i <= 5; ++i)
        its.push_back(list.push_back(V(i)));
    list.insert(list.begin(), V(0));
    EXPECT_TRUE(Matches(list, {0, 1, 2, 3, 4, 5}));
    for (size_t i = 0; i < its.size(); ++i)
        EXPECT_EQ(list.index(its[i]), i + 1);
}

TEST(AVLTreeTest, EndAndLastAreNeighbours) {
    List list;
    for (int i = 0; i < 10; ++i)
        list.push_back(V(i));
    auto last = list.end();
    --last;
    EXPECT_EQ(Id(*last), 9);
    EXPECT_TRUE(list.is_last(last));
    auto after = last;
    ++after;
    EXPECT_EQ(after, list.end());
    EXPECT_FALSE(list.is_last(list.end()));
}

TEST(AVLTreeTest, EraseNodeWithTwoChildrenReturnsFollower) {
    List list;
    for (int i = 0; i < 15; ++i)
        list.push_back(V(i));
    // The root of a tree of 15 appended nodes has two children.
    Node* root = list.Root();
    ASSERT_NE(root->left, nullptr);
    ASSERT_NE(root->right, nullptr);
    const intptr_t rootId = Id(root->value);
    auto following = list.erase(List::iterator(root, &list));
    EXPECT_EQ(Id(*following), rootId + 1);
    std::vector<intptr_t> expected;
    for (int i = 0; i < 15; ++i) {
        if (i != rootId) expected.push_back(i);
    }
    EXPECT_TRUE(Matches(list, expected));
    // Erasing the last node returns the end.
    auto last = list.end();
    --last;
    EXPECT_EQ(list.erase(last), list.end());
}

TEST(AVLTreeTest, InsertAfterLandsRightBehind) {
    List list;
    auto a = list.push_back(V(1));
    auto c = list.push_back(V(3));
    list.insert_after(a, V(2));
    list.insert_after(c, V(4));
    list.insert_after(list.end(), V(5));  // after the end appends
    EXPECT_TRUE(Matches(list, {1, 2, 3, 4, 5}));
}

TEST(AVLTreeTest, ClearFromBackReleasesEveryValueLastFirst) {
    List list;
    std::mt19937 rng(5);
    std::vector<intptr_t> expected;
    for (intptr_t id = 0; id < 500; ++id) {
        const size_t at = rng() % (expected.size() + 1);
        list.insert(list.select(static_cast<uint32_t>(at)), V(id));
        expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(at), id);
    }
    std::vector<intptr_t> released;
    list.ClearFromBack([&](Value v) { released.push_back(Id(v)); });
    std::reverse(expected.begin(), expected.end());
    EXPECT_EQ(released, expected);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.begin(), list.end());
}

TEST(AVLTreeTest, ShorterSideLeafLacksAChildOnTheReportedSide) {
    List list;
    for (int i = 0; i < 100; ++i)
        list.push_back(V(i));
    bool leftFree = false;
    Node* leaf = list.ShorterSideLeaf(leftFree);
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(leftFree ? leaf->left : leaf->right, nullptr);
}

// Many thousands of random inserts and erases at random places, checked against a vector after
// every step, with every surviving iterator checked to still name its value.
TEST(AVLTreeTest, RandomizedAgainstVector) {
    std::mt19937 rng(20261206);
    List list;
    std::vector<intptr_t> expected;
    std::vector<List::iterator> handles;  // by id
    intptr_t nextId = 0;
    auto handleOf = [&](intptr_t id) -> List::iterator& {
        return handles[static_cast<size_t>(id)];
    };

    for (int step = 0; step < 12000; ++step) {
        const size_t n = expected.size();
        // Grow towards a few hundred elements, then hover, so that every shape of erase happens.
        const int op = static_cast<int>(rng() % 100);
        const bool grow = n < 20 || (n < 600 && op < 55) || (n >= 600 && op < 45);
        if (grow) {
            const size_t at = n == 0 ? 0 : rng() % (n + 1);
            const intptr_t id = nextId++;
            List::iterator made;
            switch (rng() % 3) {
                case 0:
                    made = list.insert(at == n ? list.end() : handleOf(expected[at]), V(id));
                    break;
                case 1:
                    made = at == 0 ? list.insert(list.begin(), V(id))
                                   : list.insert_after(handleOf(expected[at - 1]), V(id));
                    break;
                default:
                    made = at == n ? list.push_back(V(id))
                                   : list.insert(list.select(static_cast<uint32_t>(at)), V(id));
                    break;
            }
            handles.push_back(made);
            expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(at), id);
        } else {
            const size_t at = rng() % n;
            auto following = list.erase(handleOf(expected[at]));
            expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(at));
            if (at < expected.size()) {
                ASSERT_EQ(Id(*following), expected[at]);
            } else {
                ASSERT_EQ(following, list.end());
            }
        }
        ASSERT_TRUE(Matches(list, expected)) << "after step " << step;
        for (size_t i = 0; i < expected.size(); i += 7) {
            ASSERT_EQ(list.index(handleOf(expected[i])), i) << "handle of " << expected[i];
        }
    }
    // Drain everything from the front, the way a document is emptied.
    while (!expected.empty()) {
        list.erase(list.begin());
        expected.erase(expected.begin());
        ASSERT_TRUE(Matches(list, expected));
    }
}

}  // namespace
}  // namespace NoteEditEngine
