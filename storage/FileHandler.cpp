#include "storage/FileHandler.h"

#include <memory>
#include <utility>

#include "storage/NoteFile.h"
#include "storage/XmlPrimitives.h"

namespace NoteTreeEngine {

namespace {

// Redraws for an identifier already given in the same read. Only a file with about a million
// items lacking identifiers, read within one second, could need more; the note store's check
// against existing files still holds then.
constexpr int kMaxIdRedraws = 1000;

// Reads a tree file's text: empty when it was read, else why not, as a line for the user.
std::u16string_view ReadTreeFileText(NoteStorage::CFileSystem& fs,
                                     const std::filesystem::path& path, std::u16string& text) {
    if (NoteStorage::ReadUtf8File(fs, path, text)) return {};
    if (!fs.Exists(path)) return u"The file does not exist.";
    if (!fs.Stamp(path)) return u"It is not a regular file.";
    return u"It cannot be read.";
}

// Why a tree text that was read is refused; empty when it is whole.
std::u16string_view Problem(TreeRead read) {
    if (read == TreeRead::Whole) return {};
    return read == TreeRead::NotATree ? u"It holds no tree of notes."
                                      : u"It is cut short or damaged: its tree does not end.";
}

}  // namespace

CFileHandler::CFileHandler(CTreePane& pane, CNoteStore& store, CMessages& messages)
    : m_pane(pane), m_store(store), m_messages(messages) {}

CFileHandler::CFileHandler(CTreePane& pane, CNoteStore& store, CMessages& messages,
                           std::vector<TreeItem> itemsToWrite)
    : m_pane(pane), m_store(store), m_messages(messages), m_itemsToWrite(std::move(itemsToWrite)) {}

void CFileHandler::SetInsertionPoint(TreeItem parent, TreeItem after) noexcept {
    m_parent = parent;
    m_insertAfter = after;
}

void CFileHandler::BeginItem(const CTreeItemRecord& record) {
    CTreeItemRecord copy = record;
    // Two items naming the same file would load the same note twice and overwrite each other's
    // changes; the later one gets an identifier of its own (and so, at first showing, an empty
    // note) while the file stays with the first.
    for (int redraws = 0; m_idsRead.contains(copy.id) && redraws < kMaxIdRedraws; ++redraws)
        NewNoteId(copy);
    m_idsRead.insert(copy.id);

    const TreeItem parent = m_open.empty() ? m_parent : m_open.back().item;
    const TreeItem item = m_pane.InsertItem(parent, m_insertAfter, copy);
    m_pane.UpdateItem(item);
    m_open.push_back({item, false});
    m_insertAfter = kFirstItem;
}

void CFileHandler::NoteContent(NoteEditEngine::CNoteDocument& document) {
    // A note outside every item of the file would otherwise land in the item the file is read
    // under and take its identity; a second note of an item would leave the first one's new
    // file behind unnamed. Only the first note of an item of the file is stored.
    if (m_open.empty() || m_open.back().noteStored) return;
    m_open.back().noteStored = true;
    StoreNote(m_open.back().item, document);
}

void CFileHandler::EndItem() {
    if (m_open.empty()) return;
    const COpenItem open = m_open.back();
    m_open.pop_back();
    // An item of a folder file without a note gets an empty one of its own: kept under the
    // identifier the file gives, it would show (and overwrite) whatever note of the notes folder
    // happens to have that identifier.
    if (ReadingWithNotes() && !open.noteStored) {
        NoteEditEngine::CNoteDocument empty;
        StoreNote(open.item, empty);
    }
    m_insertAfter = open.item;

    const CTreeItemRecord& record = m_pane.Record(open.item);
    const bool expanded = record.isexpanded;
    const bool selected = record.isselected;
    const bool active = record.isactive;
    if (expanded) m_pane.Expand(open.item);
    if (selected) {
        m_pane.Select(open.item);
        if (active) {
            m_store.ShowItem(open.item);
            m_pane.SetCaret(open.item);
        }
    }
}

void CFileHandler::StoreNote(TreeItem item, NoteEditEngine::CNoteDocument& document) {
    CTreeItemRecord& record = m_pane.Record(item);
    if (!m_store.CreateEmptyNoteFile(record)) {
        m_messages.ShowMessageBox(kNoteNotCreatedMessage, MessageIcon::Warning, kMessageCaption);
    } else if (!m_store.SaveNoteDocument(record, document)) {
        m_messages.ShowMessageBox(kNoteNotSavedMessage, MessageIcon::Warning, kMessageCaption);
    }
    m_idsRead.insert(record.id);
}

void CFileHandler::WriteItems(bool withNotes, std::u16string& out) {
    // Depth first with an explicit stack, so that no depth of nesting can exhaust the call stack.
    struct CFrame {
        std::vector<TreeItem> children;
        size_t next;
    };
    std::vector<CFrame> stack;
    stack.push_back({m_itemsToWrite, 0});
    while (!stack.empty()) {
        CFrame& frame = stack.back();
        if (frame.next == frame.children.size()) {
            stack.pop_back();
            // Every frame but the list of top-level items belongs to an item being written.
            if (!stack.empty()) out += u"</item>\n";
            continue;
        }
        const TreeItem item = frame.children[frame.next++];
        WriteItemStart(item, withNotes, out);
        stack.push_back({m_pane.Children(item), 0});  // invalidates `frame`
    }
}

void CFileHandler::WriteItemStart(TreeItem item, bool withNotes, std::u16string& out) {
    CTreeItemRecord& record = m_pane.Record(item);
    record.isexpanded = m_pane.IsExpanded(item);
    record.isselected = m_pane.IsSelected(item);
    CTreeItemRecord copy = record;
    if (withNotes) {
        // A folder file is an export: whoever imports it starts with nothing selected.
        copy.isselected = false;
        copy.isactive = false;
    }
    out += u"<item";
    AppendItemAttributes(copy, out);
    out += u">\n";
    if (withNotes) WriteNote(record, out);
}

void CFileHandler::WriteNote(CTreeItemRecord& record, std::u16string& out) {
    // The loaded document carries the changes not saved yet.
    if (NoteEditEngine::CNoteDocument* loaded = m_store.FindDocument(record)) {
        NoteStorage::WriteNoteXml(*loaded, out);
        return;
    }
    std::unique_ptr<NoteEditEngine::CNoteDocument> document = m_store.LoadNoteDocument(record);
    if (!document) {
        m_messages.ShowMessageBox(kNoteNotReadMessage, MessageIcon::Warning, kMessageCaption);
        document = std::make_unique<NoteEditEngine::CNoteDocument>();
    }
    NoteStorage::WriteNoteXml(*document, out);
}

bool LoadIndexFile(NoteStorage::CFileSystem& fs, CTreePane& pane, CNoteStore& store,
                   CMessages& messages, const std::filesystem::path& indexPath) {
    std::u16string text;
    std::u16string_view problem = ReadTreeFileText(fs, indexPath, text);
    if (problem.empty()) {
        CFileHandler handler(pane, store, messages);
        handler.SetInsertionPoint(kRootItem, kFirstItem);
        // A file that holds no tree (empty, or garbled) counts as unreadable: read as an empty
        // tree, it would be written back empty and every note would drop out of the tree for
        // good, while the caller's new tree adopts the notes of the folder. One cut short
        // keeps the items read before the cut in their places, and the rest come as orphans.
        problem = Problem(handler.ReadTreeText(false, text));
        if (problem.empty()) return true;
    }
    // A folder with no index yet simply gets one; the message is for a file that is there.
    if (fs.Exists(indexPath)) {
        messages.ShowMessageBox(
            std::u16string(kTreeFileNotReadMessage) + u"\n" + std::u16string(problem),
            MessageIcon::Warning, kMessageCaption);
    }
    return false;
}

bool SaveIndexFile(NoteStorage::CFileSystem& fs, CTreePane& pane, CNoteStore& store,
                   CMessages& messages, const std::filesystem::path& indexPath,
                   std::optional<uint64_t>* onDisk) {
    CFileHandler handler(pane, store, messages, pane.Children(kRootItem));
    std::u16string text;
    handler.WriteTreeText(false, text);
    const std::string bytes = NoteBase::Utf16ToUtf8(text);
    const uint64_t hash = NoteStorage::ContentHash(bytes);
    // The same bytes again would only wake every sync tool and backup watching the folder.
    if (onDisk != nullptr && *onDisk == hash) return true;
    if (NoteStorage::ReplaceFileContents(fs, indexPath, bytes)) {
        if (onDisk != nullptr) *onDisk = hash;
        return true;
    }
    messages.ShowMessageBox(kTreeFileNotWrittenMessage, MessageIcon::Warning, kMessageCaption);
    return false;
}

bool OpenFolderFile(NoteStorage::CFileSystem& fs, CTreePane& pane, CNoteStore& store,
                    CMessages& messages, const std::filesystem::path& path, TreeItem parent,
                    TreeItem after) {
    if (!IsFolderFileName(path)) {
        messages.ShowMessageBox(PathText(path) + std::u16string(kNotAFolderFileMessage),
                                MessageIcon::Warning, kMessageCaption);
        return false;
    }
    std::u16string text;
    std::u16string_view problem = ReadTreeFileText(fs, path, text);
    // Checked whole before anything goes into the tree or the notes folder: a file that is cut
    // short is refused, not imported in part.
    if (problem.empty()) problem = Problem(CTreeTranslator::CheckTreeText(text));
    if (problem.empty()) {
        CFileHandler handler(pane, store, messages);
        handler.SetInsertionPoint(parent, after);
        (void)handler.ReadTreeText(true, text);
        return true;
    }
    messages.ShowMessageBox(
        std::u16string(kFolderFileNotReadMessage) + u"\n" + std::u16string(problem),
        MessageIcon::Warning, kMessageCaption);
    return false;
}

}  // namespace NoteTreeEngine
