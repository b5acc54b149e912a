#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/NoteDocument.h"
#include "storage/NoteExport.h"

// The notes of one export, in order: the documents of notes shown in the editor are borrowed (so
// their unsaved state goes out), those read from their files for the export are owned here.
class CExportSet {
public:
    CExportSet() = default;
    CExportSet(const CExportSet&) = delete;
    CExportSet& operator=(const CExportSet&) = delete;

    // `document` must outlive the set.
    void AddBorrowed(std::u16string title, int32_t depth, NoteEditEngine::CNoteDocument& document);
    void AddOwned(std::u16string title, int32_t depth,
                  std::unique_ptr<NoteEditEngine::CNoteDocument> document);

    [[nodiscard]] const std::vector<NoteStorage::ExportNote>& Notes() const noexcept {
        return m_notes;
    }
    // The same documents, writable, for a view that shows them while the export prints them.
    [[nodiscard]] const std::vector<NoteEditEngine::CNoteDocument*>& Documents() const noexcept {
        return m_documents;
    }
    [[nodiscard]] bool Empty() const noexcept { return m_notes.empty(); }

private:
    std::vector<NoteStorage::ExportNote> m_notes;
    std::vector<NoteEditEngine::CNoteDocument*> m_documents;
    std::vector<std::unique_ptr<NoteEditEngine::CNoteDocument>> m_owned;
};
