#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage/TreeItemRecord.h"
#include "storage/TreeTranslator.h"

namespace NoteTreeEngine {

// The items of a tree text as a list in tree order (each item before its children), with their
// depths, for readers that need the tree without a tree pane. Writes nothing.
class CTreeListing final : public CTreeTranslator {
public:
    struct Entry {
        CTreeItemRecord record;
        int32_t depth = 0;  // 0 for an item at the root level
    };

    [[nodiscard]] const std::vector<Entry>& Entries() const noexcept { return m_entries; }

    void BeginItem(const CTreeItemRecord& record) override;
    void NoteContent(NoteEditEngine::CNoteDocument& document) override;
    void EndItem() override;
    void WriteItems(bool withNotes, std::u16string& out) override;

private:
    std::vector<Entry> m_entries;
    int32_t m_depth = 0;
};

}  // namespace NoteTreeEngine
