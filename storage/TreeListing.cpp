#include "storage/TreeListing.h"

namespace NoteTreeEngine {

void CTreeListing::BeginItem(const CTreeItemRecord& record) {
    m_entries.push_back({record, m_depth});
    ++m_depth;
}

void CTreeListing::NoteContent(NoteEditEngine::CNoteDocument&) {}

void CTreeListing::EndItem() {
    // The translator ends only the items it began.
    if (m_depth > 0) --m_depth;
}

void CTreeListing::WriteItems(bool, std::u16string&) {}

}  // namespace NoteTreeEngine
