#include "session/IndexMerge.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <unordered_map>

namespace NoteTreeEngine {

namespace {

struct CNode {
    CTreeItemRecord record;
    size_t parent = 0;
    std::vector<size_t> children;
};

// Node 0 is the root; the others are items.
constexpr size_t kRoot = 0;

bool SameName(const CTreeItemRecord& a, const CTreeItemRecord& b) {
    return a.username == b.username && a.isfixed == b.isfixed;
}

// The depth of an entry as the outline allows it: at most one below the entry before.
size_t ClampedDepth(const CIndexEntry& entry, size_t openLevels) {
    return std::min(entry.depth, openLevels);
}

}  // namespace

bool SameStructure(const IndexOutline& a, const IndexOutline& b) {
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(), [](const CIndexEntry& x, const CIndexEntry& y) {
            return x.depth == y.depth && x.record.id == y.record.id && SameName(x.record, y.record);
        });
}

IndexOutline MergeIndex(const IndexOutline& base, const IndexOutline& ours,
                        const IndexOutline& theirs) {
    std::unordered_map<std::u16string, const CTreeItemRecord*> inBase;
    for (const CIndexEntry& entry : base)
        inBase.emplace(entry.record.id, &entry.record);

    std::vector<CNode> nodes(1);
    std::unordered_map<std::u16string, size_t> merged;
    const auto add = [&](const CTreeItemRecord& record, size_t parent, size_t at) {
        nodes.push_back({record, parent, {}});
        std::vector<size_t>& siblings = nodes[parent].children;
        siblings.insert(siblings.begin() + std::ptrdiff_t(std::min(at, siblings.size())),
                        nodes.size() - 1);
        merged.emplace(record.id, nodes.size() - 1);
    };

    std::vector<size_t> open;  // by depth, the node each entry of the next depth goes under
    for (const CIndexEntry& entry : ours) {
        if (merged.contains(entry.record.id)) continue;
        open.resize(ClampedDepth(entry, open.size()));
        add(entry.record, open.empty() ? kRoot : open.back(), SIZE_MAX);
        open.push_back(nodes.size() - 1);
    }

    // Walks theirs keeping, by depth, its path of identifiers and the siblings seen so far.
    std::vector<const std::u16string*> path;
    std::vector<std::vector<const std::u16string*>> earlier(1);
    for (const CIndexEntry& entry : theirs) {
        const CTreeItemRecord& record = entry.record;
        const size_t depth = ClampedDepth(entry, path.size());
        path.resize(depth);
        earlier.resize(depth + 1);
        const auto ourNode = merged.find(record.id);
        const auto baseRecord = inBase.find(record.id);
        if (ourNode != merged.end()) {
            CTreeItemRecord& our = nodes[ourNode->second].record;
            if (baseRecord != inBase.end() && SameName(our, *baseRecord->second) &&
                !SameName(record, *baseRecord->second)) {
                our.username = record.username;
                our.isfixed = record.isfixed;
            }
        } else if (baseRecord == inBase.end()) {
            const auto parent = path.empty() ? merged.end() : merged.find(*path.back());
            CTreeItemRecord fresh = record;
            fresh.isselected = false;
            fresh.isactive = false;
            if (!path.empty() && parent == merged.end()) {
                add(fresh, kRoot, SIZE_MAX);
            } else {
                const size_t under = path.empty() ? kRoot : parent->second;
                size_t at = 0;
                for (auto sibling = earlier[depth].rbegin(); sibling != earlier[depth].rend();
                     ++sibling) {
                    const auto found = merged.find(**sibling);
                    if (found == merged.end() || nodes[found->second].parent != under) continue;
                    const std::vector<size_t>& children = nodes[under].children;
                    at = size_t(std::find(children.begin(), children.end(), found->second) -
                                children.begin()) +
                         1;
                    break;
                }
                add(fresh, under, at);
            }
        }
        earlier[depth].push_back(&record.id);
        path.push_back(&record.id);
    }

    IndexOutline out;
    out.reserve(nodes.size() - 1);
    std::vector<std::pair<size_t, size_t>> stack;  // node, depth; children pushed last first
    for (auto child = nodes[kRoot].children.rbegin(); child != nodes[kRoot].children.rend();
         ++child)
        stack.emplace_back(*child, 0);
    while (!stack.empty()) {
        const auto [node, depth] = stack.back();
        stack.pop_back();
        out.push_back({nodes[node].record, depth});
        for (auto child = nodes[node].children.rbegin(); child != nodes[node].children.rend();
             ++child)
            stack.emplace_back(*child, depth + 1);
    }
    return out;
}

}  // namespace NoteTreeEngine
