#pragma once

#include <cstddef>
#include <vector>

#include "storage/TreeItemRecord.h"

namespace NoteTreeEngine {

// One item of a tree written out in tree order, parents before their children: its record and
// its depth, 0 for a top-level item. Each item is at most one level deeper than the one before.
struct CIndexEntry {
    CTreeItemRecord record;
    size_t depth = 0;
};
using IndexOutline = std::vector<CIndexEntry>;

// True when both hold the same items (by identifier) in the same places under the same names,
// fixed or not: what the user made of the tree. Selection, expansion, sizes and times do not
// count.
[[nodiscard]] bool SameStructure(const IndexOutline& a, const IndexOutline& b);

// The tree when ours and theirs both changed since `base`, the version both started from. Ours
// is kept, with these of theirs:
//  - an item new in theirs (in neither base nor ours) comes in after the nearest item before it
//    among its siblings in theirs that ours has under the same parent, else first under that
//    parent; when ours lacks the parent, last at the top level. Its flags of selection and of
//    the active note are cleared.
//  - a name (username and isfixed) theirs changed comes in where ours kept base's name.
// Items theirs removed or moved stay as ours has them; items ours removed stay removed. Each
// identifier appears once in the result.
[[nodiscard]] IndexOutline MergeIndex(const IndexOutline& base, const IndexOutline& ours,
                                      const IndexOutline& theirs);

}  // namespace NoteTreeEngine
