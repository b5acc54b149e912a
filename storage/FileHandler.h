#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "model/NoteDocument.h"
#include "storage/Messages.h"
#include "storage/NoteStore.h"
#include "storage/TreeItemRecord.h"
#include "storage/TreePane.h"
#include "storage/TreeTranslator.h"

namespace NoteTreeEngine {

// The messages of the tree file operations, exactly as the user sees them.
inline constexpr std::u16string_view kTreeFileNotReadMessage =
    u"The tree (index) file could not be read.\nA new tree file will be created";
inline constexpr std::u16string_view kTreeFileNotWrittenMessage = u"Tree file could not be written";
// Follows the path.
inline constexpr std::u16string_view kNotAFolderFileMessage = u" is not a Jotwell tree file";
inline constexpr std::u16string_view kFolderFileNotReadMessage = u"JWF file could not be read";
inline constexpr std::u16string_view kNoteNotCreatedMessage = u"Document file could not be created";
inline constexpr std::u16string_view kNoteNotSavedMessage = u"Document file could not be saved";
inline constexpr std::u16string_view kNoteNotReadMessage =
    u"Document file could not be read.\nAn empty document will be written";

// The tree translator on the tree pane and the note store. One handler serves one read or one
// write: reading inserts the file's items into the pane (and, from a folder file, stores their
// notes as new note files); writing writes the listed items with their subtrees.
class CFileHandler final : public CTreeTranslator {
public:
    // For reading; the file's top-level items go first under the root until told otherwise. All
    // borrowed; `messages` tells of notes that could not be stored or read.
    CFileHandler(CTreePane& pane, CNoteStore& store, CMessages& messages);
    // For writing the given top-level items, in order, each with its whole subtree.
    CFileHandler(CTreePane& pane, CNoteStore& store, CMessages& messages,
                 std::vector<TreeItem> itemsToWrite);

    // Where the file's top-level items go: under `parent` (an item or kRootItem), the first of
    // them directly after `after` (a child of it, kFirstItem or kLastItem), the rest after it.
    void SetInsertionPoint(TreeItem parent, TreeItem after) noexcept;

    void BeginItem(const CTreeItemRecord& record) override;
    void NoteContent(NoteEditEngine::CNoteDocument& document) override;
    void EndItem() override;
    void WriteItems(bool withNotes, std::u16string& out) override;

private:
    struct COpenItem {
        TreeItem item;
        bool noteStored;
    };

    // Stores the note of a folder file's item as a new note file under a free identifier.
    void StoreNote(TreeItem item, NoteEditEngine::CNoteDocument& document);
    // Appends "<item", the attributes and ">\n" (and the note, with notes) of one item.
    void WriteItemStart(TreeItem item, bool withNotes, std::u16string& out);
    void WriteNote(CTreeItemRecord& record, std::u16string& out);

    CTreePane& m_pane;
    CNoteStore& m_store;
    CMessages& m_messages;
    std::vector<TreeItem> m_itemsToWrite;
    TreeItem m_parent = kRootItem;
    TreeItem m_insertAfter = kFirstItem;
    // The items of this read begun and not yet ended, outermost first; the innermost is the
    // current parent.
    std::vector<COpenItem> m_open;
    // Identifiers given to the items of this read, so that no two of them share a note file.
    std::unordered_set<std::u16string> m_idsRead;
};

// Reads the index file of the notes folder into the root level, first. False when there is none,
// and, after the message kTreeFileNotReadMessage with a line telling why, when it cannot be read,
// holds no tree, or is cut short (the items read before the cut are then in the tree): the caller
// then sets it aside and writes a new one.
bool LoadIndexFile(NoteStorage::CFileSystem& fs, CTreePane& pane, CNoteStore& store,
                   CMessages& messages, const std::filesystem::path& indexPath);
// Writes all top-level items and their subtrees to the index file. False, after the warning
// kTreeFileNotWrittenMessage, when it cannot be written; the old file is then intact. `onDisk`,
// when given, is the content hash of what the file holds now: the same bytes are not written
// again, and after a write it holds the new bytes' hash.
bool SaveIndexFile(NoteStorage::CFileSystem& fs, CTreePane& pane, CNoteStore& store,
                   CMessages& messages, const std::filesystem::path& indexPath,
                   std::optional<uint64_t>* onDisk = nullptr);
// Imports a folder file under `parent` after `after`. False, after a warning, when the path does
// not end in ".jwf" (in any case), or the file cannot be read or holds no whole tree (the
// warning kFolderFileNotReadMessage then tells why on a line of its own); nothing is read then.
bool OpenFolderFile(NoteStorage::CFileSystem& fs, CTreePane& pane, CNoteStore& store,
                    CMessages& messages, const std::filesystem::path& path, TreeItem parent,
                    TreeItem after);

}  // namespace NoteTreeEngine
