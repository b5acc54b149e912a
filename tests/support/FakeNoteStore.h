#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/NoteDocument.h"
#include "storage/NoteFile.h"
#include "storage/NoteStore.h"
#include "storage/NotesFolderStore.h"
#include "storage/TreeItemRecord.h"

namespace TestSupport {

// The document manager's part that the tree file handler uses. Note files live either in a real
// notes folder (through CNotesFolderStore) or, with no folder, in memory as identifier -> file
// text, so that fuzzing and benchmarks write nothing to disk. Loaded documents are whatever the
// test hands over with SetLoaded; ShowItem calls are recorded.
class CFakeNoteStore final : public NoteTreeEngine::CNoteStore {
public:
    using CNoteDocument = NoteEditEngine::CNoteDocument;
    using CTreeItemRecord = NoteTreeEngine::CTreeItemRecord;

    CFakeNoteStore() = default;
    explicit CFakeNoteStore(NoteTreeEngine::CNotesFolderStore& folder) : m_folder(&folder) {}

    CNoteDocument* FindDocument(const CTreeItemRecord& record) override {
        const auto it = m_loaded.find(&record);
        return it == m_loaded.end() ? nullptr : it->second.get();
    }
    std::unique_ptr<CNoteDocument> LoadNoteDocument(CTreeItemRecord& record) override {
        if (m_folder != nullptr) return m_folder->LoadNoteDocument(record);
        auto document = std::make_unique<CNoteDocument>();
        const auto it = m_files.find(record.id);
        if (it == m_files.end()) {
            record.isfixed = true;
            CreateEmptyNoteFile(record);
        } else {
            NoteStorage::Cursor cursor = 0;
            (void)NoteStorage::ReadNoteXml(*document, it->second, cursor);
        }
        return document;
    }
    bool CreateEmptyNoteFile(CTreeItemRecord& record) override {
        if (m_folder != nullptr) return m_folder->CreateEmptyNoteFile(record);
        while (!NoteTreeEngine::IsValidNoteId(record.id) || m_files.contains(record.id))
            NoteTreeEngine::NewNoteId(record);
        CNoteDocument empty;
        NoteStorage::WriteNoteFileText(empty, m_files[record.id]);
        return true;
    }
    bool SaveNoteDocument(const CTreeItemRecord& record, CNoteDocument& document) override {
        if (m_folder != nullptr) return m_folder->SaveNoteDocument(record, document);
        std::u16string text;
        NoteStorage::WriteNoteFileText(document, text);
        m_files[record.id] = std::move(text);
        return true;
    }
    void ShowItem(NoteTreeEngine::TreeItem item) override { shown.push_back(item); }

    // The record's note counts as loaded with this document (which may differ from its file).
    void SetLoaded(const CTreeItemRecord& record, std::unique_ptr<CNoteDocument> document) {
        m_loaded[&record] = std::move(document);
    }

    std::vector<NoteTreeEngine::TreeItem> shown;

private:
    NoteTreeEngine::CNotesFolderStore* m_folder = nullptr;
    std::map<std::u16string, std::u16string> m_files;
    std::map<const CTreeItemRecord*, std::unique_ptr<CNoteDocument>> m_loaded;
};

}  // namespace TestSupport
