#include "tree/NoteSearch.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <unordered_set>

#include "model/NoteDocument.h"
#include "storage/DocumentManager.h"
#include "storage/NoteSearchText.h"
#include "storage/TreeItemRecord.h"
#include "tree/IndexView.h"

CNoteSearch::CNoteSearch(CIndexView& tree, NoteStorage::CFileSystem& files, QObject* parent)
    : QObject(parent), m_tree(tree) {
    m_loader = std::make_unique<NoteStorage::CNoteTextLoader>(files, [this] { PostDrain(); });
    m_rescanTimer.setSingleShot(true);
    m_rescanTimer.setInterval(kRescanDelayMilliseconds);
    connect(&m_rescanTimer, &QTimer::timeout, this, &CNoteSearch::OnRescanTimer);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
            [this] { m_rescanTimer.start(); });
    // Another program may have changed the notes while this one was in the background.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive) Rescan();
            });
    connect(&m_tree, &CIndexView::treeLoaded, this, &CNoteSearch::OnTreeLoaded);
    connect(&m_tree, &CIndexView::treeUnloaded, this, &CNoteSearch::OnTreeUnloaded);
    // Items come and go by New Note, a delete, an import, a drop, a move: one look at the whole
    // tree once the operation is over tells notes created from notes moved.
    connect(m_tree.model(), &QAbstractItemModel::rowsInserted, this,
            &CNoteSearch::ScheduleReconcile);
    connect(m_tree.model(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
            &CNoteSearch::ScheduleReconcile);
    if (m_tree.IsLoaded()) OnTreeLoaded();
}

CNoteSearch::~CNoteSearch() {
    // The worker first: its callback reaches this object.
    m_loader.reset();
}

size_t CNoteSearch::Done() const {
    return m_loader->Done();
}

size_t CNoteSearch::Queued() const {
    return m_loader->Queued();
}

bool CNoteSearch::IsIdle() const {
    return m_loader->IsIdle() && m_pending.empty() && !m_drainPosted.load();
}

void CNoteSearch::OnTreeLoaded() {
    m_tracking = true;
    const QString folder = QString::fromStdU16String(m_tree.NotesFolder().u16string());
    if (!m_watcher.directories().isEmpty()) m_watcher.removePaths(m_watcher.directories());
    if (!folder.isEmpty()) m_watcher.addPath(folder);
    Rebuild();
}

void CNoteSearch::OnTreeUnloaded() {
    m_tracking = false;
    if (!m_watcher.directories().isEmpty()) m_watcher.removePaths(m_watcher.directories());
    m_rescanTimer.stop();
    m_loader->Reset();
    m_pending.clear();
    m_index.Clear();
    m_items.clear();
    m_order.clear();
    m_held.clear();
    m_walkStale = true;
    m_building = false;
    emit progressChanged();
    emit indexChanged();
}

void CNoteSearch::Rebuild() {
    m_loader->Reset();
    m_pending.clear();
    m_index.Clear();
    m_held.clear();
    if (!m_tracking) return;
    WalkTree();
    std::vector<std::u16string> ids;
    ids.reserve(m_order.size());
    for (const auto& [id, order] : m_order)
        ids.push_back(id);
    m_building = true;
    m_loader->Load(FilesOf(ids));
    UpdateBuilding();
    emit progressChanged();
    emit indexChanged();
}

void CNoteSearch::Rescan() {
    if (!m_tracking) return;
    if (m_walkStale) Reconcile();
    std::vector<std::u16string> ids;
    ids.reserve(m_order.size());
    for (const auto& [id, order] : m_order)
        ids.push_back(id);
    m_loader->Rescan(FilesOf(ids));
}

void CNoteSearch::PostDrain() {
    // Called on the worker as well: one drain waiting in the queue is enough.
    if (!m_drainPosted.exchange(true))
        QMetaObject::invokeMethod(this, &CNoteSearch::Drain, Qt::QueuedConnection);
}

void CNoteSearch::Drain() {
    m_drainPosted = false;
    QElapsedTimer clock;
    clock.start();
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
        if (clock.elapsed() >= kSliceMilliseconds) break;
    }
    if (!m_pending.empty()) PostDrain();
    m_longestSlice = std::max(m_longestSlice, int64_t(clock.nsecsElapsed()));
    if (changed) emit indexChanged();
    UpdateBuilding();
    emit progressChanged();
}

void CNoteSearch::UpdateBuilding() {
    if (m_building && IsIdle()) {
        m_building = false;
        emit progressChanged();
    }
}

void CNoteSearch::ScheduleReconcile() {
    if (!m_tracking) return;
    // Items about to go are still there: the walk waits until the operation is over.
    m_walkStale = true;
    if (m_reconcilePosted) return;
    m_reconcilePosted = true;
    QMetaObject::invokeMethod(this, &CNoteSearch::Reconcile, Qt::QueuedConnection);
}

void CNoteSearch::Reconcile() {
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
    if (changed) emit indexChanged();
    if (!added.empty()) emit progressChanged();
}

void CNoteSearch::WalkTree() {
    m_items.clear();
    m_order.clear();
    for (QTreeWidgetItemIterator it(&m_tree); *it != nullptr; ++it) {
        // A second item with the same identifier shows the same note: the first one stands.
        if (m_order.emplace(m_tree.RecordOf(*it).id, m_items.size()).second) m_items.push_back(*it);
    }
    m_walkStale = false;
}

std::vector<NoteStorage::CNoteTextLoader::File> CNoteSearch::FilesOf(
    const std::vector<std::u16string>& ids) const {
    const std::filesystem::path folder = m_tree.NotesFolder();
    std::vector<NoteStorage::CNoteTextLoader::File> files;
    files.reserve(ids.size());
    NoteTreeEngine::CTreeItemRecord record;
    for (const std::u16string& id : ids) {
        record.id = id;
        // An identifier that names no file has no text but the one in memory.
        std::filesystem::path path = NoteTreeEngine::NoteFilePath(folder, record);
        if (!path.empty()) files.push_back({id, std::move(path)});
    }
    return files;
}

void CNoteSearch::TakeHeldNotes() {
    NoteTreeEngine::CDocumentManager* manager = m_tree.Manager();
    std::unordered_set<std::u16string> seen;
    if (manager != nullptr) {
        for (const auto& [id, document] : manager->HeldNotes()) {
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

QTreeWidgetItem* CNoteSearch::ItemOf(const std::u16string& noteId) {
    if (!m_tracking) return nullptr;
    if (m_walkStale) Reconcile();
    const auto found = m_order.find(noteId);
    return found == m_order.end() ? nullptr : m_items[found->second];
}

std::vector<CNoteSearch::Result> CNoteSearch::Search(const QString& pattern,
                                                     NoteStorage::SearchOptions options) {
    std::vector<Result> results;
    if (!m_tracking) return results;
    if (m_walkStale) Reconcile();
    TakeHeldNotes();
    const std::u16string text = pattern.toStdU16String();
    for (NoteStorage::SearchHit& hit : m_index.Search(text, options)) {
        const auto found = m_order.find(hit.noteId);
        if (found == m_order.end()) continue;
        results.push_back({m_items[found->second], std::move(hit), found->second});
    }
    std::sort(results.begin(), results.end(),
              [](const Result& a, const Result& b) { return a.order < b.order; });
    return results;
}
