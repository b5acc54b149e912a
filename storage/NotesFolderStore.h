#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "model/NoteDocument.h"
#include "storage/FileSystem.h"
#include "storage/Messages.h"
#include "storage/TreeItemRecord.h"
#include "storage/TreePane.h"

namespace NoteTreeEngine {

inline constexpr std::u16string_view kNoteNotFoundCaption = u"Document file not available";

// How a save of a note went.
enum class NoteSave {
    Saved,
    Failed,         // nothing written; the old file intact
    ChangedOnDisk,  // someone else changed the file since we last read or wrote it; not written
    NotOurs         // the file exists but was never read as a note here; not written
};

// The note files of one notes folder: each note in "<id>.xml" beside "index.xml". A record whose
// identifier is not valid names no file here: loading and saving it fail, and creating a file for
// it gives it a fresh identifier first. The store remembers each note file as it last read or
// wrote it, so that a file is only ever replaced by a note read from it or created for it, and
// never over a version someone else wrote since.
class CNotesFolderStore {
public:
    // `messages` tells the user about a missing note file; `fs` does every file operation. Both
    // borrowed.
    CNotesFolderStore(std::filesystem::path folder, CMessages& messages,
                      NoteStorage::CFileSystem& fs);
    CNotesFolderStore(const CNotesFolderStore&) = delete;
    CNotesFolderStore& operator=(const CNotesFolderStore&) = delete;

    [[nodiscard]] const std::filesystem::path& Folder() const noexcept { return m_folder; }
    [[nodiscard]] NoteStorage::CFileSystem& Files() const noexcept { return m_fs; }
    [[nodiscard]] std::filesystem::path NoteFilePath(const CTreeItemRecord& record) const;
    // True when anything of that name exists, and when that cannot be told: a name in doubt is
    // never used for a new file.
    [[nodiscard]] bool NoteFileExists(const std::filesystem::path& path) const;

    // Writes a new empty note for the record under an identifier whose file does not exist,
    // changing the record's identifier while it names an existing file. False when no free name
    // was found or the file could not be written; the identifier is then still one not found in
    // use (or a fresh one).
    bool CreateEmptyNoteFile(CTreeItemRecord& record);
    // The record's note, owned by the caller. A missing file is reported, the record's name
    // fixed and an empty file created; null when the file cannot be read or holds no note.
    [[nodiscard]] std::unique_ptr<NoteEditEngine::CNoteDocument> LoadNoteDocument(
        CTreeItemRecord& record);
    // Replaces the record's note file with the document; false on failure, the old file intact.
    bool SaveNoteDocument(const CTreeItemRecord& record, NoteEditEngine::CNoteDocument& document);
    // The same, telling why nothing was written.
    NoteSave SaveNote(const CTreeItemRecord& record, NoteEditEngine::CNoteDocument& document);
    // True when the record's note file holds other bytes than were last read or written here, is
    // gone, or exists though none was read here (unreadable when last loaded, or new); false when
    // it holds the same, or neither was seen nor exists. Its time and size do not count.
    [[nodiscard]] bool ChangedOnDisk(const CTreeItemRecord& record);
    // True when the record's note file reads as a note, or there is none. Anything else there
    // (another program's file, one cut short or unreadable) may be someone's only copy of it.
    [[nodiscard]] bool MayRemoveNoteFile(const CTreeItemRecord& record);
    // Removes the record's note file; false when it could not be removed or may not be
    // (MayRemoveNoteFile), the file then left as it is.
    bool DeleteNoteFile(const CTreeItemRecord& record);
    // Adds a root-level item "Orphan note" for every note file of the folder whose identifier no
    // item of the tree has. Only names of digits + ".xml" that read as notes count, so index.xml
    // and anything else is never adopted, nor a link out of the folder. A sync tool's conflict
    // file (SyncConflictNoteId) that reads as a note is renamed to a note file of its own and
    // gets an item, named by its title and the conflict label, right after its note's item (at
    // the end of the root level when the tree has none). Returns how many were adopted.
    size_t AdoptOrphanNotes(CTreePane& pane);

private:
    struct CSeen {
        uint64_t hash = 0;
        std::filesystem::path path;  // kept: SaveAll checks every loaded note's file
    };
    void Remember(const CTreeItemRecord& record, std::string_view bytes);
    // Renames a sync tool's conflict file to a free note file name and inserts its item after
    // `after` (None: last at the root level). None when it could not be renamed.
    TreeItem AdoptConflictFile(CTreePane& pane, const std::filesystem::path& file, TreeItem after);

    std::filesystem::path m_folder;
    CMessages& m_messages;
    NoteStorage::CFileSystem& m_fs;
    // By identifier: each note file as last read or written here.
    std::map<std::u16string, CSeen> m_seen;
};

}  // namespace NoteTreeEngine
