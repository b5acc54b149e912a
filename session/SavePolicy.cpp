#include "session/SavePolicy.h"

#include <ctime>
#include <string>

#include "storage/FileHandler.h"

namespace NoteTreeEngine {

CSavePolicy::CSavePolicy(CTreePane& pane, CDocumentManager& manager, CNotesFolderStore& store,
                         CMessages& messages, CSaveTimer& timer)
    : m_pane(pane), m_manager(manager), m_store(store), m_messages(messages), m_timer(timer) {}

std::filesystem::path CSavePolicy::IndexPath() const {
    return m_store.Folder() / "index.xml";
}

void CSavePolicy::RememberIndex() {
    std::string bytes;
    m_indexHash.reset();
    if (m_store.Files().ReadWhole(IndexPath(), bytes))
        m_indexHash = NoteStorage::ContentHash(bytes);
}

bool CSavePolicy::IndexChangedOnDisk() {
    NoteStorage::CFileSystem& fs = m_store.Files();
    if (!fs.Stamp(IndexPath())) return false;  // gone: nothing to lose by writing ours
    if (!m_indexHash) return true;             // one appeared that we never read
    // By the bytes: a copy can keep the size and the time.
    std::string bytes;
    return !fs.ReadWhole(IndexPath(), bytes) || NoteStorage::ContentHash(bytes) != *m_indexHash;
}

bool CSavePolicy::SetIndexAside(const char* reason) {
    NoteStorage::CFileSystem& fs = m_store.Files();
    const std::string stem = "index.xml." + std::string(reason) + "-" +
                             std::to_string(static_cast<long long>(std::time(nullptr)));
    std::filesystem::path aside = m_store.Folder() / stem;
    for (int serial = 2; fs.Exists(aside) && serial < 1000; ++serial)
        aside = m_store.Folder() / (stem + "-" + std::to_string(serial));
    if (fs.Exists(aside) || !fs.Replace(IndexPath(), aside)) return false;
    fs.SyncFolder(m_store.Folder());
    m_indexHash.reset();
    return true;
}

bool CSavePolicy::LoadTree() {
    NoteStorage::CFileSystem& fs = m_store.Files();
    std::string bytes;
    const bool present = fs.ReadWhole(IndexPath(), bytes);
    const bool read = LoadIndexFile(fs, m_pane, m_manager, m_messages, IndexPath());
    m_loaded = true;
    if (read && present) {
        m_indexHash = NoteStorage::ContentHash(bytes);
    } else if (fs.Exists(IndexPath()) && !SetIndexAside("unreadable")) {
        // Kept where it is rather than written over; the tree is not saved this run.
        m_loaded = false;
    }
    // Notes the index does not name (another machine's index, an older backup, a damage) show
    // up rather than stay hidden for good.
    const size_t adopted = m_store.AdoptOrphanNotes(m_pane);
    if ((!read || adopted > 0) && m_loaded) SaveTree();
    return read;
}

bool CSavePolicy::SaveTree() {
    if (!m_loaded) return true;
    if (IndexChangedOnDisk()) {
        // Theirs is kept aside; its notes join ours before ours is written.
        if (!SetIndexAside("changed")) return false;
        m_store.AdoptOrphanNotes(m_pane);
    }
    if (!SaveIndexFile(m_store.Files(), m_pane, m_manager, m_messages, IndexPath())) return false;
    RememberIndex();
    return true;
}

void CSavePolicy::OnCaretMoved() {
    if (m_changeDue) return;
    m_changeDue = m_manager.TakeEdited();
    m_timer.Start(m_changeDue ? kChangeSaveDelayMs : kSaveDelayMs);
}

void CSavePolicy::OnSaveTimer() {
    m_timer.Stop();
    m_changeDue = false;
    (void)m_manager.TakeEdited();  // what this saves
    SaveTree();
    m_manager.SaveAll();
    // Conflicting copies added items.
    if (m_manager.TakeTreeChanged()) SaveTree();
}

void CSavePolicy::OnItemDeselected(TreeItem item) {
    m_manager.UnloadItem(item);
    if (m_manager.TakeTreeChanged()) SaveTree();
}

void CSavePolicy::OnTreeChanged() {
    SaveTree();
}

bool CSavePolicy::Close() {
    m_timer.Stop();
    m_changeDue = false;
    SaveTree();
    const bool kept = m_manager.Close();
    if (m_manager.TakeTreeChanged()) SaveTree();
    return kept;
}

}  // namespace NoteTreeEngine
