#pragma once

#include <memory>

#include "model/NoteDocument.h"
#include "storage/TreeItemRecord.h"
#include "storage/TreePane.h"

namespace NoteTreeEngine {

// What the tree file handler needs of the document manager: the loaded notes and the note files
// of the notes folder. Records are the tree pane's; the store keys loaded notes by record.
class CNoteStore {
public:
    virtual ~CNoteStore() = default;

    // The document of the record's note while it is loaded (it may hold unsaved changes), else
    // null. Owned by the store.
    [[nodiscard]] virtual NoteEditEngine::CNoteDocument* FindDocument(
        const CTreeItemRecord& record) = 0;
    // A new document read from the record's note file, owned by the caller. A missing file is
    // reported by the store, which creates an empty one (fixing the record's name); null when the
    // file cannot be read, which the caller reports.
    [[nodiscard]] virtual std::unique_ptr<NoteEditEngine::CNoteDocument> LoadNoteDocument(
        CTreeItemRecord& record) = 0;
    // Gives the record an identifier whose note file does not exist yet (a fresh one for as long
    // as a file of its identifier exists, or when it is not valid), then writes an empty note
    // there. False when the file could not be written; the record's identifier is then still
    // one not found in use (or a fresh one), so that it never shares another note's file.
    virtual bool CreateEmptyNoteFile(CTreeItemRecord& record) = 0;
    // Writes the document to the record's note file. False when it could not be written.
    virtual bool SaveNoteDocument(const CTreeItemRecord& record,
                                  NoteEditEngine::CNoteDocument& document) = 0;
    // Scrolls the editor to the item's loaded note and puts the caret at its start.
    virtual void ShowItem(TreeItem item) = 0;
};

}  // namespace NoteTreeEngine
