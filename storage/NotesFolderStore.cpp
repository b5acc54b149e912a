#include "storage/NotesFolderStore.h"

#include <algorithm>
#include <ctime>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/Utf8.h"
#include "storage/NoteFile.h"
#include "storage/SyncConflicts.h"
#include "storage/XmlPrimitives.h"

namespace NoteTreeEngine {

namespace {

// Fresh identifiers tried before creating a note file gives up: each is taken only in the rare
// case that its file exists, so running out means the folder cannot be examined at all.
constexpr int kMaxCreateAttempts = 100;

NoteStorage::NoteFileRead ReadAsNote(NoteStorage::CFileSystem& fs,
                                     const std::filesystem::path& path) {
    NoteEditEngine::CNoteDocument scratch;
    return NoteStorage::LoadNoteFile(fs, path, scratch);
}

// A file of the folder that may become a note of the tree: a regular file (or, with
// `linkAllowed`, a link to one in the same folder) that reads as a note.
bool IsAdoptable(NoteStorage::CFileSystem& fs, const std::filesystem::path& path,
                 bool linkAllowed) {
    if (!fs.Stamp(path)) return false;  // no regular file, or a dangling link
    // A link out of the folder would make a note of whatever file it names, and saving would
    // write there; a link to another note file of the folder would give that note two items.
    std::filesystem::path target;
    if (!fs.ResolveLinks(path, target) ||
        target.lexically_normal().parent_path() != path.lexically_normal().parent_path() ||
        (target != path && (!linkAllowed || (target.extension() == ".xml" &&
                                             IsValidNoteId(target.stem().u16string()))))) {
        return false;
    }
    return ReadAsNote(fs, path) == NoteStorage::NoteFileRead::Read;
}

}  // namespace

CNotesFolderStore::CNotesFolderStore(std::filesystem::path folder, CMessages& messages,
                                     NoteStorage::CFileSystem& fs)
    : m_folder(std::move(folder)), m_messages(messages), m_fs(fs) {}

std::filesystem::path CNotesFolderStore::NoteFilePath(const CTreeItemRecord& record) const {
    return NoteTreeEngine::NoteFilePath(m_folder, record);
}

bool CNotesFolderStore::NoteFileExists(const std::filesystem::path& path) const {
    return m_fs.Exists(path);
}

void CNotesFolderStore::Remember(const CTreeItemRecord& record, std::string_view bytes) {
    m_seen[record.id] = {NoteStorage::ContentHash(bytes), NoteFilePath(record)};
}

bool CNotesFolderStore::CreateEmptyNoteFile(CTreeItemRecord& record) {
    NoteEditEngine::CNoteDocument document;
    std::u16string text;
    NoteStorage::WriteNoteFileText(document, text);
    for (int attempt = 0; attempt < kMaxCreateAttempts; ++attempt) {
        if (IsValidNoteId(record.id) && !NoteFileExists(NoteFilePath(record))) {
            const std::string bytes = NoteBase::Utf16ToUtf8(text);
            if (!NoteStorage::ReplaceFileContents(m_fs, NoteFilePath(record), bytes)) return false;
            Remember(record, bytes);
            return true;
        }
        NewNoteId(record);
    }
    return false;
}

std::unique_ptr<NoteEditEngine::CNoteDocument> CNotesFolderStore::LoadNoteDocument(
    CTreeItemRecord& record) {
    if (!IsValidNoteId(record.id)) return nullptr;
    auto document = std::make_unique<NoteEditEngine::CNoteDocument>();
    std::string bytes;
    NoteStorage::NoteFileRead read =
        NoteStorage::LoadNoteFile(m_fs, NoteFilePath(record), *document, &bytes);
    if (read == NoteStorage::NoteFileRead::Missing) {
        m_messages.ShowMessageBox(u"The contents of the note was not found (file " +
                                      PathText(NoteFilePath(record)) +
                                      u" is not available).\nA new empty file will be created",
                                  MessageIcon::Warning, kNoteNotFoundCaption);
        // The empty content must not rename the note.
        record.isfixed = true;
        if (!CreateEmptyNoteFile(record)) return nullptr;
        read = NoteStorage::LoadNoteFile(m_fs, NoteFilePath(record), *document, &bytes);
    }
    if (read != NoteStorage::NoteFileRead::Read) {
        // Never written over: what it holds may be someone's only copy.
        m_seen.erase(record.id);
        return nullptr;
    }
    Remember(record, bytes);
    return document;
}

bool CNotesFolderStore::SaveNoteDocument(const CTreeItemRecord& record,
                                         NoteEditEngine::CNoteDocument& document) {
    return SaveNote(record, document) == NoteSave::Saved;
}

bool CNotesFolderStore::ChangedOnDisk(const CTreeItemRecord& record) {
    const auto seen = m_seen.find(record.id);
    // A file there that was never read here, or could not be read last time, is not ours.
    if (seen == m_seen.end()) return m_fs.Exists(NoteFilePath(record));
    if (!m_fs.Stamp(seen->second.path)) return true;  // removed or replaced by no file
    // The bytes alone decide: a copy can keep the size and the time (cp -p, rsync -t), and a
    // file merely touched is no change.
    std::string bytes;
    return !m_fs.ReadWhole(seen->second.path, bytes) ||
           NoteStorage::ContentHash(bytes) != seen->second.hash;
}

NoteSave CNotesFolderStore::SaveNote(const CTreeItemRecord& record,
                                     NoteEditEngine::CNoteDocument& document) {
    if (!IsValidNoteId(record.id)) return NoteSave::Failed;
    const std::filesystem::path path = NoteFilePath(record);
    if (NoteFileExists(path)) {
        // A file we never read as a note (not a note at all, or one that appeared since) stays;
        // so does one changed since we read it. A file removed meanwhile loses nothing.
        if (!m_seen.contains(record.id)) return NoteSave::NotOurs;
        if (ChangedOnDisk(record)) return NoteSave::ChangedOnDisk;
    }
    std::u16string text;
    text.reserve(size_t{2} * document.size());
    NoteStorage::WriteNoteFileText(document, text);
    const std::string bytes = NoteBase::Utf16ToUtf8(text);
    if (!NoteStorage::ReplaceFileContents(m_fs, path, bytes)) return NoteSave::Failed;
    Remember(record, bytes);
    return NoteSave::Saved;
}

bool CNotesFolderStore::MayRemoveNoteFile(const CTreeItemRecord& record) {
    if (!IsValidNoteId(record.id)) return false;
    const NoteStorage::NoteFileRead read = ReadAsNote(m_fs, NoteFilePath(record));
    return read == NoteStorage::NoteFileRead::Read || read == NoteStorage::NoteFileRead::Missing;
}

bool CNotesFolderStore::DeleteNoteFile(const CTreeItemRecord& record) {
    if (!MayRemoveNoteFile(record)) return false;
    m_seen.erase(record.id);
    return m_fs.Remove(NoteFilePath(record));
}

size_t CNotesFolderStore::AdoptOrphanNotes(CTreePane& pane) {
    std::unordered_map<std::u16string, TreeItem> named;
    std::vector<TreeItem> stack = pane.Children(kRootItem);
    while (!stack.empty()) {
        const TreeItem item = stack.back();
        stack.pop_back();
        named.emplace(pane.Record(item).id, item);
        for (TreeItem child : pane.Children(item))
            stack.push_back(child);
    }
    std::vector<std::u16string> orphans;
    // A sync tool's copy of a note, by file name, with the identifier of that note.
    std::vector<std::pair<std::filesystem::path, std::u16string>> conflicts;
    for (const std::filesystem::path& name : m_fs.ListFolder(m_folder)) {
        const std::string file = name.filename().string();
        const std::optional<std::u16string> owner = SyncConflictNoteId(file);
        std::u16string id;
        if (!owner) {
            if (file.size() <= 4 || !file.ends_with(".xml")) continue;
            id = NoteBase::Utf8ToUtf16(file.substr(0, file.size() - 4));
            if (!IsValidNoteId(id) || named.contains(id)) continue;
        }
        // A conflict file becomes a note of its own: a link would share another note's file.
        if (!IsAdoptable(m_fs, m_folder / name, !owner)) continue;
        if (owner) {
            conflicts.emplace_back(name.filename(), *owner);
        } else {
            orphans.push_back(id);
        }
    }
    std::sort(orphans.begin(), orphans.end());
    for (const std::u16string& id : orphans) {
        CTreeItemRecord record(id);
        record.username = u"Orphan note";
        const TreeItem item = pane.InsertItem(kRootItem, kLastItem, record);
        pane.UpdateItem(item);
        named.emplace(id, item);
    }
    std::sort(conflicts.begin(), conflicts.end());
    size_t adopted = orphans.size();
    for (const auto& [file, ownerId] : conflicts) {
        // Each after the one before of the same note, so that they keep the order of their names.
        const auto owner = named.find(ownerId);
        const TreeItem item = AdoptConflictFile(
            pane, m_folder / file, owner == named.end() ? TreeItem::None : owner->second);
        if (item == TreeItem::None) continue;
        if (owner != named.end()) owner->second = item;
        ++adopted;
    }
    return adopted;
}

TreeItem CNotesFolderStore::AdoptConflictFile(CTreePane& pane, const std::filesystem::path& file,
                                              TreeItem after) {
    // Under a name of ours the sync tool sees an ordinary note, and the next adoption does not
    // find it again.
    CTreeItemRecord record;
    for (int attempt = 0; attempt < kMaxCreateAttempts && NoteFileExists(NoteFilePath(record));
         ++attempt) {
        NewNoteId(record);
    }
    const std::filesystem::path path = NoteFilePath(record);
    if (NoteFileExists(path) || !m_fs.Replace(file, path)) return TreeItem::None;
    m_fs.SyncFolder(m_folder);
    const TreeItem item = after == TreeItem::None
                              ? pane.InsertItem(kRootItem, kLastItem, record)
                              : pane.InsertItem(pane.Parent(after), after, record);
    NoteEditEngine::CNoteDocument document;
    if (NoteStorage::LoadNoteFile(m_fs, path, document) == NoteStorage::NoteFileRead::Read)
        pane.RefreshItem(item, document);  // its title, size and times
    CTreeItemRecord& adopted = pane.Record(item);
    adopted.username += ConflictLabel(std::time(nullptr));
    adopted.isfixed = true;
    pane.UpdateItem(item);
    return item;
}

}  // namespace NoteTreeEngine
