#pragma once

#include <filesystem>
#include <memory>

#include "NoteDocument.h"
#include "TreeItemRecord.h"
#include "TreePane.h"

namespace NoteTreeEngine {

// The note files of one notes folder: each note in "<id>.xml" beside "index.xml". A record whose
// identifier is not valid names no file here: loading and saving it fail, and creating a file for
// it gives it a fresh identifier first.
class CNotesFolderStore {
public:
    // `pane` shows the messages (it owns the message boxes); borrowed.
    CNotesFolderStore(std::filesystem::path folder, CTreePane& pane);
    CNotesFolderStore(const CNotesFolderStore&) = delete;
    CNotesFolderStore& operator=(const CNotesFolderStore&) = delete;

    [[nodiscard]] const std::filesystem::path& Folder() const noexcept { return m_folder; }
    [[nodiscard]] std::filesystem::path NoteFilePath(const CTreeItemRecord& record) const;
    // True when anything of that name exists, and when that cannot be told: a name in doubt is
    // never used for a new file.
    [[nodiscard]] static bool NoteFileExists(const std::filesystem::path& path);

    // Writes a new empty note for the record under an identifier whose file does not exist,
    // changing the record's identifier while it names an existing file. False when no free name
    // was found or the file could not be written; the identifier is then still one not found in
    // use (or a fresh one).
    bool CreateEmptyNoteFile(CTreeItemRecord& record);
    // The record's note, owned by the caller. A missing file is reported, the record's name
    // fixed and an empty file created; null when the file cannot be read.
    [[nodiscard]] std::unique_ptr<NoteEditEngine::CNoteDocument> LoadNoteDocument(
        CTreeItemRecord& record);
    // Replaces the record's note file with the document; false on failure, the old file intact.
    bool SaveNoteDocument(const CTreeItemRecord& record, NoteEditEngine::CNoteDocument& document);
    // Removes the record's note file; false when it could not be removed.
    bool DeleteNoteFile(const CTreeItemRecord& record);

private:
    std::filesystem::path m_folder;
    CTreePane& m_pane;
};

}  // namespace NoteTreeEngine
