#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "model/NoteDocument.h"
#include "storage/FileSystem.h"
#include "storage/TreeItemRecord.h"

namespace NoteTreeEngine {

// How far a tree text could be read.
enum class TreeRead {
    Whole,     // to its "</tree>", every item and note in it closed
    CutShort,  // a tree file, but not well-formed to its end: what came before the fault was read
    NotATree   // its root element is no "tree" (or it is too long to walk): nothing was read
};

// The reading and writing engine of the tree file ("index.xml") and of the folder file (".jwf",
// the same with each note embedded). Reading turns the file into calls of the slots; writing asks
// WriteItems for the item blocks between the tree tags.
class CTreeTranslator {
public:
    CTreeTranslator() = default;
    CTreeTranslator(const CTreeTranslator&) = delete;
    CTreeTranslator& operator=(const CTreeTranslator&) = delete;

    // Reads a tree text, calling the slots for its items (and, with notes, for their notes).
    // Reads nothing unless the root element is "tree"; stops at the first element that is none
    // of "item", "/item" and "note", and before an item tag that the text cuts. Every item begun
    // is ended, even when the text leaves it open, and a "/item" with no item of this text open
    // is ignored (and makes the text not Whole).
    TreeRead ReadTreeText(bool withNotes, std::u16string_view text);
    // What ReadTreeText would give for the text, calling no slot.
    [[nodiscard]] static TreeRead CheckTreeText(std::u16string_view text);
    // Appends the whole file text: header, tree start tag, WriteItems, tree end tag.
    void WriteTreeText(bool withNotes, std::u16string& out);
    // Writes the file in one atomic replacement; false on failure, the old file intact.
    bool WriteTreeFile(NoteStorage::CFileSystem& fs, bool withNotes,
                       const std::filesystem::path& path);

    // --- Slots ---

    // An "item" start tag with the record read from it: the next child of the current parent,
    // and the current parent from now on.
    virtual void BeginItem(const CTreeItemRecord& record) = 0;
    // A "note" element inside an item, when reading with notes. The document lives only for the
    // call: whatever is kept is copied.
    virtual void NoteContent(NoteEditEngine::CNoteDocument& document) = 0;
    // An "/item" tag: the current item is complete; its parent is the current parent again.
    virtual void EndItem() = 0;
    // Appends the item blocks of the items to be written.
    virtual void WriteItems(bool withNotes, std::u16string& out) = 0;
    virtual ~CTreeTranslator() = default;

protected:
    // Whether the read in progress is one with notes.
    [[nodiscard]] bool ReadingWithNotes() const noexcept { return m_readingWithNotes; }

private:
    // The one walk over a tree text; calls the slots of `slots` unless it is null.
    static TreeRead Walk(CTreeTranslator* slots, std::u16string_view text);

    bool m_readingWithNotes = false;
};

}  // namespace NoteTreeEngine
