#include "app/ExportSet.h"

#include <utility>

void CExportSet::AddBorrowed(std::u16string title, int32_t depth,
                             NoteEditEngine::CNoteDocument& document) {
    m_notes.push_back({std::move(title), depth, &document});
    m_documents.push_back(&document);
}

void CExportSet::AddOwned(std::u16string title, int32_t depth,
                          std::unique_ptr<NoteEditEngine::CNoteDocument> document) {
    AddBorrowed(std::move(title), depth, *document);
    m_owned.push_back(std::move(document));
}
