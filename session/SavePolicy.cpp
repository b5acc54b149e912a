#include "session/SavePolicy.h"

#include <algorithm>
#include <ctime>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "session/NoteSession.h"
#include "storage/FileHandler.h"
#include "storage/SyncConflicts.h"

namespace NoteTreeEngine {

namespace {

// Reading theirs tells nobody: what could not be read is set aside, and the user told so once.
class CQuietMessages final : public CMessages {
public:
    void ShowMessageBox(std::u16string_view, MessageIcon, std::u16string_view) override {}
};

IndexOutline OutlineOf(const CNoteTree& tree) {
    IndexOutline outline;
    std::unordered_map<TreeItem, size_t> depths;
    for (const TreeItem item : tree.ItemsInOrder()) {
        const TreeItem parent = tree.Parent(item);
        const size_t depth = parent == kRootItem ? 0 : depths[parent] + 1;
        depths[item] = depth;
        outline.push_back({tree.Record(item), depth});
    }
    return outline;
}

}  // namespace

CSavePolicy::CSavePolicy(CNoteTree& pane, CDocumentManager& manager, CNotesFolderStore& store,
                         CMessages& messages, CSaveTimer& timer)
    : m_pane(pane), m_manager(manager), m_store(store), m_messages(messages), m_timer(timer) {}

std::filesystem::path CSavePolicy::IndexPath() const {
    return m_store.Folder() / "index.xml";
}

bool CSavePolicy::IndexChangedOnDisk() {
    NoteStorage::CFileSystem& fs = m_store.Files();
    if (!fs.Stamp(IndexPath())) return false;  // gone: nothing to lose by writing ours
    if (!m_indexHash) return true;             // one appeared that we never read
    // By the bytes: a copy can keep the size and the time.
    std::string bytes;
    return !fs.ReadWhole(IndexPath(), bytes) || NoteStorage::ContentHash(bytes) != *m_indexHash;
}

std::filesystem::path CSavePolicy::SetIndexAside(const char* reason,
                                                 const std::filesystem::path& from) {
    NoteStorage::CFileSystem& fs = m_store.Files();
    const std::string stem = "index.xml." + std::string(reason) + "-" +
                             std::to_string(static_cast<long long>(std::time(nullptr)));
    std::filesystem::path aside = m_store.Folder() / stem;
    for (int serial = 2; fs.Exists(aside) && serial < 1000; ++serial)
        aside = m_store.Folder() / (stem + "-" + std::to_string(serial));
    if (fs.Exists(aside) || !fs.Replace(from.empty() ? IndexPath() : from, aside)) return {};
    fs.SyncFolder(m_store.Folder());
    if (from.empty()) m_indexHash.reset();
    return aside;
}

size_t CSavePolicy::MergeIndexConflicts() {
    if (!m_loaded) return 0;
    NoteStorage::CFileSystem& fs = m_store.Files();
    size_t merged = 0;
    for (const std::filesystem::path& entry : fs.ListFolder(m_store.Folder())) {
        const std::filesystem::path name = entry.filename();
        if (!IsIndexSyncConflict(name.string())) continue;
        CNoteTree read;
        CQuietMessages quiet;
        // One cut short is left for the sync tool to finish.
        if (!CNoteSession::ReadTree(m_store.Folder(), read, quiet, fs, name)) continue;
        const std::filesystem::path aside = SetIndexAside("sync-conflict", m_store.Folder() / name);
        if (aside.empty()) continue;
        // Another machine's tree from before the two met, older or newer than ours: its new
        // notes come in, and a name typed there where ours still follows the text; nothing of
        // ours goes.
        const IndexOutline ours = OutlineOf(m_pane);
        IndexOutline other = OutlineOf(read);
        std::unordered_map<std::u16string, const CTreeItemRecord*> ourRecords;
        for (const CIndexEntry& entry : ours)
            ourRecords.emplace(entry.record.id, &entry.record);
        for (CIndexEntry& entry : other) {
            const auto found = ourRecords.find(entry.record.id);
            if (found == ourRecords.end() || (entry.record.isfixed && !found->second->isfixed))
                continue;
            entry.record.username = found->second->username;
            entry.record.isfixed = found->second->isfixed;
        }
        ApplyOutline(MergeIndex(ours, ours, other));
        ++merged;
        m_messages.ShowMessageBox(
            u"A sync tool kept another machine's version of the notes "
            u"tree in " +
                PathText(m_store.Folder()) +
                u"; its new notes and names were merged into this one, "
                u"and the file was kept as " +
                PathText(aside.filename()) + u".",
            MessageIcon::Warning, kMessageCaption);
    }
    return merged;
}

CSavePolicy::Theirs CSavePolicy::TakeTheirs() {
    NoteStorage::CFileSystem& fs = m_store.Files();
    std::string bytes;
    const bool present = fs.ReadWhole(IndexPath(), bytes);
    CNoteTree read;
    CQuietMessages quiet;
    const bool whole = present && CNoteSession::ReadTree(m_store.Folder(), read, quiet, fs);
    const IndexOutline theirs = OutlineOf(read);
    const IndexOutline ours = OutlineOf(m_pane);
    if (whole && SameStructure(ours, m_base)) {
        ApplyOutline(theirs);
        m_base = theirs;
        m_indexHash = NoteStorage::ContentHash(bytes);
        return Theirs::Read;
    }
    // Theirs changed only what is selected or expanded, or made the changes ours made.
    if (whole && (SameStructure(theirs, m_base) || SameStructure(theirs, ours)))
        return Theirs::ToWrite;
    const std::filesystem::path aside = SetIndexAside("changed");
    if (aside.empty()) return Theirs::Failed;
    if (whole) {
        ApplyOutline(MergeIndex(m_base, ours, theirs));
    } else {
        m_store.AdoptOrphanNotes(m_pane);  // the notes only theirs named still show up
    }
    const std::u16string folder = PathText(m_store.Folder());
    const std::u16string kept = PathText(aside.filename());
    m_messages.ShowMessageBox(
        whole ? u"Another program changed the notes tree in " + folder +
                    u" while you changed it here; both were merged, and the other program's "
                    u"version was kept as " +
                    kept + u"."
              : u"Another program changed the notes tree in " + folder +
                    u" and it could not be read; it was kept as " + kept + u".",
        MessageIcon::Warning, kMessageCaption);
    return Theirs::ToWrite;
}

void CSavePolicy::ApplyOutline(const IndexOutline& target) {
    m_applying = true;
    std::unordered_map<std::u16string, TreeItem> byId;
    for (const TreeItem item : m_pane.ItemsInOrder())
        byId.emplace(m_pane.Record(item).id, item);
    std::unordered_set<TreeItem> placed;
    std::vector<TreeItem> last;  // by depth, the item placed last on the path to the current one
    for (const CIndexEntry& entry : target) {
        const size_t depth = std::min(entry.depth, last.size());
        const TreeItem parent = depth == 0 ? kRootItem : last[depth - 1];
        const TreeItem after = last.size() > depth ? last[depth] : kFirstItem;
        const auto found = byId.find(entry.record.id);
        TreeItem item = found == byId.end() ? TreeItem::None : found->second;
        if (placed.contains(item)) continue;  // a second item of one note
        if (item != TreeItem::None) {
            CTreeItemRecord& record = m_pane.Record(item);
            record.username = entry.record.username;
            record.isfixed = entry.record.isfixed;
            const bool inPlace =
                m_pane.Parent(item) == parent &&
                m_pane.IndexOf(item) == (after == kFirstItem ? 0 : m_pane.IndexOf(after) + 1);
            if (!inPlace) m_pane.Move({item}, parent, after);
        } else {
            CTreeItemRecord record = entry.record;
            record.isselected = false;
            record.isactive = false;
            item = m_pane.InsertItem(parent, after, record);
            m_pane.SetExpanded(item, record.isexpanded);
        }
        m_pane.UpdateItem(item);
        placed.insert(item);
        last.resize(depth);
        last.push_back(item);
    }
    std::vector<TreeItem> gone;
    for (const TreeItem item : m_pane.ItemsInOrder()) {
        if (placed.contains(item)) continue;
        gone.push_back(item);
        if (m_pane.Active() == item) m_pane.SetActive(TreeItem::None);
        m_pane.Deselect(item);
    }
    for (const TreeItem item : gone)
        m_manager.UnloadItem(item);  // saved, even when its file went with theirs
    // Children first; an item added meanwhile (a conflicting copy of a note unloaded) stays.
    for (auto item = gone.rbegin(); item != gone.rend(); ++item) {
        const std::vector<TreeItem> kept = m_pane.Children(*item);
        if (!kept.empty()) m_pane.Move(kept, m_pane.Parent(*item), *item);
        m_pane.Remove(*item);
    }
    m_applying = false;
}

bool CSavePolicy::LoadTree() {
    NoteStorage::CFileSystem& fs = m_store.Files();
    std::string bytes;
    const bool present = fs.ReadWhole(IndexPath(), bytes);
    const bool read = LoadIndexFile(fs, m_pane, m_manager, m_messages, IndexPath());
    m_loaded = true;
    if (read && present) {
        m_indexHash = NoteStorage::ContentHash(bytes);
        m_base = OutlineOf(m_pane);
    } else if (fs.Exists(IndexPath()) && SetIndexAside("unreadable").empty()) {
        // Kept where it is rather than written over; the tree is not saved this run.
        m_loaded = false;
    }
    // Notes the index does not name (another machine's index, an older backup, a damage) show
    // up rather than stay hidden for good.
    const size_t merged = MergeIndexConflicts();
    const size_t adopted = m_store.AdoptOrphanNotes(m_pane);
    if ((!read || merged + adopted > 0) && m_loaded) SaveTree();
    return read;
}

bool CSavePolicy::SaveTree() {
    if (!m_loaded) return true;
    // What the file holds, when known: m_indexHash unless another program wrote it since.
    bool known = m_store.Files().Exists(IndexPath());
    if (IndexChangedOnDisk()) {
        switch (TakeTheirs()) {
            case Theirs::Read:
                // Unless unloading a note it removed made a conflicting copy.
                if (!m_manager.TakeTreeChanged()) return true;
                break;
            case Theirs::Failed:
                return false;
            case Theirs::ToWrite:
                known = false;
                break;
        }
    }
    std::optional<uint64_t> onDisk = known ? m_indexHash : std::nullopt;
    if (!SaveIndexFile(m_store.Files(), m_pane, m_manager, m_messages, IndexPath(), &onDisk))
        return false;
    m_indexHash = onDisk;
    m_base = OutlineOf(m_pane);
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
    // While theirs is being read in, the save that reads it writes what this added.
    if (!m_applying && m_manager.TakeTreeChanged()) SaveTree();
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
