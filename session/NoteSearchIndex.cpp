#include "session/NoteSearchIndex.h"

#include <algorithm>
#include <chrono>
#include <unordered_set>
#include <utility>

#include "model/NoteDocument.h"
#include "storage/NoteSearchText.h"
#include "storage/TreeItemRecord.h"

namespace NoteTreeEngine {

CNoteSearchIndex::CNoteSearchIndex(CNoteTree& tree, NoteStorage::CFileSystem& files)
    : m_tree(tree) {
    m_loader = std::make_unique<NoteStorage::CNoteTextLoader>(files, [this] { PostDrain(); });
    m_tree.AddObserver(this);
}

CNoteSearchIndex::~CNoteSearchIndex() {
    m_tree.RemoveObserver(this);
    // The worker first: its callback reaches this object.
    m_loader.reset();
}

size_t CNoteSearchIndex::Done() const {
    return m_loader->Done();
}

size_t CNoteSearchIndex::Queued() const {
    return m_loader->Queued();
}

bool CNoteSearchIndex::IsIdle() const {
    return m_loader->IsIdle() && m_pending.empty() && !m_drainPosted.load();
}

void CNoteSearchIndex::IndexChanged() {
    if (m_events != nullptr) m_events->IndexChanged();
}

void CNoteSearchIndex::ProgressChanged() {
    if (m_events != nullptr) m_events->ProgressChanged();
}

void CNoteSearchIndex::Start(const std::filesystem::path& folder, const CDocumentManager* manager) {
    m_tracking = true;
    m_folder = folder;
    m_manager = manager;
    if (m_events != nullptr) m_events->FolderChanged(m_folder);
    Rebuild();
}

void CNoteSearchIndex::Stop() {
    m_tracking = false;
    m_folder.clear();
    m_manager = nullptr;
    if (m_events != nullptr) m_events->FolderChanged(m_folder);
    m_loader->Reset();
    m_pending.clear();
    m_index.Clear();
    m_items.clear();
    m_order.clear();
    m_held.clear();
    m_walkStale = true;
    m_building = false;
    ProgressChanged();
    IndexChanged();
}

std::vector<std::u16string> CNoteSearchIndex::IndexedIds() const {
    std::vector<std::u16string> ids;
    ids.reserve(m_order.size());
    for (const auto& [id, order] : m_order)
        ids.push_back(id);
    return ids;
}

void CNoteSearchIndex::Rebuild() {
    m_loader->Reset();
    m_pending.clear();
    m_index.Clear();
    m_held.clear();
    if (!m_tracking) return;
    WalkTree();
    m_building = true;
    // Notes held in memory are taken from there before every query: reading their files as well
    // would parse the notes just opened, often the largest, a second time. An empty entry is
    // taken at the next query, or has its file read once the note leaves memory.
    std::vector<std::u16string> ids = IndexedIds();
    if (m_manager != nullptr) {
        for (const auto& [id, document] : m_manager->HeldNotes())
            if (std::u16string key(id); m_order.contains(key))
                m_held.emplace(std::move(key), CHeld{});
        std::erase_if(ids, [this](const std::u16string& id) { return m_held.contains(id); });
    }
    m_loader->Load(FilesOf(ids));
    UpdateBuilding();
    ProgressChanged();
    IndexChanged();
}

void CNoteSearchIndex::Rescan() {
    if (!m_tracking) return;
    if (m_walkStale) Reconcile();
    m_loader->Rescan(FilesOf(IndexedIds()));
}

void CNoteSearchIndex::SetEvents(CEvents* events) {
    const std::lock_guard<std::mutex> lock(m_eventsLock);
    m_events = events;
    // Results that came while no one was told wait for a drain.
    if (m_events != nullptr && m_drainPosted.load()) m_events->PostDrain();
}

void CNoteSearchIndex::PostDrain() {
    // Called on the worker as well: one drain waiting is enough.
    if (m_drainPosted.exchange(true)) return;
    const std::lock_guard<std::mutex> lock(m_eventsLock);
    if (m_events != nullptr) m_events->PostDrain();
}

void CNoteSearchIndex::Drain() {
    m_drainPosted = false;
    const auto started = std::chrono::steady_clock::now();
    for (NoteStorage::CNoteTextLoader::Result& result : m_loader->TakeResults())
        m_pending.push_back(std::move(result));
    if (m_pending.empty()) {
        UpdateBuilding();
        return;
    }
    if (m_walkStale) Reconcile();
    bool changed = false;
    while (!m_pending.empty()) {
        NoteStorage::CNoteTextLoader::Result result = std::move(m_pending.front());
        m_pending.pop_front();
        // A note no longer in the tree, or one whose text in memory is newer than its file.
        if (m_tracking && m_order.contains(result.noteId) && !m_held.contains(result.noteId)) {
            if (result.missing) {
                m_index.Remove(result.noteId);
            } else {
                m_index.Set(std::move(result.noteId), std::move(result.text));
            }
            changed = true;
        }
        // A text is lower-cased as it is set (tens of microseconds for a long note): the
        // clock is read after each one.
        if (std::chrono::steady_clock::now() - started >=
            std::chrono::milliseconds(kSliceMilliseconds))
            break;
    }
    if (!m_pending.empty()) PostDrain();
    m_longestSlice =
        std::max<int64_t>(m_longestSlice, std::chrono::duration_cast<std::chrono::nanoseconds>(
                                              std::chrono::steady_clock::now() - started)
                                              .count());
    if (changed) IndexChanged();
    UpdateBuilding();
    ProgressChanged();
}

void CNoteSearchIndex::UpdateBuilding() {
    if (m_building && IsIdle()) {
        m_building = false;
        ProgressChanged();
    }
}

void CNoteSearchIndex::OnItemInserted(TreeItem) {
    ScheduleReconcile();
}

void CNoteSearchIndex::OnItemRemoving(TreeItem) {
    ScheduleReconcile();
}

void CNoteSearchIndex::OnItemMoved(TreeItem) {
    ScheduleReconcile();
}

void CNoteSearchIndex::OnCleared() {
    ScheduleReconcile();
}

void CNoteSearchIndex::ScheduleReconcile() {
    if (!m_tracking) return;
    // Items about to go are still there: the walk waits until the operation is over.
    m_walkStale = true;
    if (m_reconcilePosted || m_events == nullptr) return;
    m_reconcilePosted = true;
    m_events->PostReconcile();
}

void CNoteSearchIndex::Reconcile() {
    m_reconcilePosted = false;
    if (!m_tracking || !m_walkStale) return;
    const std::unordered_map<std::u16string, size_t> before = std::move(m_order);
    WalkTree();
    bool changed = false;
    for (const auto& [id, order] : before) {
        if (m_order.contains(id)) continue;
        m_index.Remove(id);
        m_held.erase(id);
        changed = true;
    }
    std::vector<std::u16string> added;
    for (const auto& [id, order] : m_order)
        if (!before.contains(id)) added.push_back(id);
    if (!added.empty()) m_loader->Load(FilesOf(added));
    if (changed) IndexChanged();
    if (!added.empty()) ProgressChanged();
}

void CNoteSearchIndex::WalkTree() {
    m_items.clear();
    m_order.clear();
    for (const TreeItem item : m_tree.ItemsInOrder()) {
        // A second item with the same identifier shows the same note: the first one stands.
        if (m_order.emplace(m_tree.Record(item).id, m_items.size()).second) m_items.push_back(item);
    }
    m_walkStale = false;
}

std::vector<NoteStorage::CNoteTextLoader::File> CNoteSearchIndex::FilesOf(
    const std::vector<std::u16string>& ids) const {
    std::vector<NoteStorage::CNoteTextLoader::File> files;
    files.reserve(ids.size());
    CTreeItemRecord record;
    for (const std::u16string& id : ids) {
        record.id = id;
        // An identifier that names no file has no text but the one in memory.
        std::filesystem::path path = NoteFilePath(m_folder, record);
        if (!path.empty()) files.push_back({id, std::move(path)});
    }
    return files;
}

void CNoteSearchIndex::TakeHeldNotes() {
    std::unordered_set<std::u16string> seen;
    if (m_manager != nullptr) {
        for (const auto& [id, document] : m_manager->HeldNotes()) {
            std::u16string key(id);
            if (!m_order.contains(key)) continue;
            CHeld& held = m_held[key];
            seen.insert(key);
            if (held.document == document && held.stamp == document->ChangeStamp()) continue;
            held = {document, document->ChangeStamp()};
            std::u16string text;
            NoteStorage::AppendSearchText(*document, text);
            m_index.Set(std::move(key), std::move(text));
        }
    }
    // A note that left memory was saved, or is to be read again: its file has the last word.
    std::vector<std::u16string> released;
    for (auto it = m_held.begin(); it != m_held.end();) {
        if (seen.contains(it->first)) {
            ++it;
            continue;
        }
        released.push_back(it->first);
        it = m_held.erase(it);
    }
    if (!released.empty()) m_loader->Load(FilesOf(released));
}

TreeItem CNoteSearchIndex::ItemOf(const std::u16string& noteId) {
    if (!m_tracking) return TreeItem::None;
    if (m_walkStale) Reconcile();
    const auto found = m_order.find(noteId);
    return found == m_order.end() ? TreeItem::None : m_items[found->second];
}

std::vector<CNoteSearchIndex::Result> CNoteSearchIndex::Search(const std::u16string& pattern,
                                                               NoteStorage::SearchOptions options) {
    std::vector<Result> results;
    if (!m_tracking) return results;
    if (m_walkStale) Reconcile();
    TakeHeldNotes();
    for (NoteStorage::SearchHit& hit : m_index.Search(pattern, options)) {
        const auto found = m_order.find(hit.noteId);
        if (found == m_order.end()) continue;
        results.push_back({m_items[found->second], std::move(hit), found->second});
    }
    std::sort(results.begin(), results.end(),
              [](const Result& a, const Result& b) { return a.order < b.order; });
    return results;
}

}  // namespace NoteTreeEngine
