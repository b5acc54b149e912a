#include "NotesFolderStore.h"

#include <string>
#include <system_error>
#include <utility>

#include "FileSystem.h"
#include "NoteFile.h"
#include "XmlPrimitives.h"

namespace NoteTreeEngine {

namespace {

// Fresh identifiers tried before creating a note file gives up: each is taken only in the rare
// case that its file exists, so running out means the folder cannot be examined at all.
constexpr int kMaxCreateAttempts = 100;

}  // namespace

CNotesFolderStore::CNotesFolderStore(std::filesystem::path folder, CTreePane& pane)
    : m_folder(std::move(folder)), m_pane(pane) {}

std::filesystem::path CNotesFolderStore::NoteFilePath(const CTreeItemRecord& record) const {
    return NoteTreeEngine::NoteFilePath(m_folder, record);
}

bool CNotesFolderStore::NoteFileExists(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) return false;
    return true;
}

bool CNotesFolderStore::CreateEmptyNoteFile(CTreeItemRecord& record) {
    NoteEditEngine::CNoteDocument document;
    std::u16string text;
    NoteStorage::WriteNoteFileText(document, text);
    for (int attempt = 0; attempt < kMaxCreateAttempts; ++attempt) {
        if (IsValidNoteId(record.id) && !NoteFileExists(NoteFilePath(record))) {
            return NoteStorage::WriteUtf8File(NoteFilePath(record), text);
        }
        NewNoteId(record);
    }
    return false;
}

std::unique_ptr<NoteEditEngine::CNoteDocument> CNotesFolderStore::LoadNoteDocument(
    CTreeItemRecord& record) {
    if (!IsValidNoteId(record.id)) return nullptr;
    const std::filesystem::path path = NoteFilePath(record);
    if (!NoteFileExists(path)) {
        m_pane.ShowMessageBox(u"The contents of the note was not found (file " + PathText(path) +
                                  u" is not available).\nA new empty file will be created",
                              MessageIcon::Warning, u"Document file not available");
        // The empty content must not rename the note.
        record.isfixed = true;
        CreateEmptyNoteFile(record);
    }
    std::u16string text;
    if (!NoteStorage::ReadUtf8File(NoteFilePath(record), text)) return nullptr;
    auto document = std::make_unique<NoteEditEngine::CNoteDocument>();
    NoteStorage::Cursor cursor = 0;
    (void)NoteStorage::ReadNoteXml(*document, text, cursor);
    return document;
}

bool CNotesFolderStore::SaveNoteDocument(const CTreeItemRecord& record,
                                         NoteEditEngine::CNoteDocument& document) {
    if (!IsValidNoteId(record.id)) return false;
    std::u16string text;
    text.reserve(size_t{2} * document.size());
    NoteStorage::WriteNoteFileText(document, text);
    return NoteStorage::WriteUtf8File(NoteFilePath(record), text);
}

bool CNotesFolderStore::DeleteNoteFile(const CTreeItemRecord& record) {
    if (!IsValidNoteId(record.id)) return false;
    return NoteStorage::FileSystem().Remove(NoteFilePath(record));
}

}  // namespace NoteTreeEngine
