#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "storage/FileSystem.h"
#include "storage/NoteTextIndex.h"
#include "storage/NoteTextLoader.h"

class CIndexView;
class QTreeWidgetItem;
namespace NoteEditEngine {
class CNoteDocument;
}

// The search over every note of the loaded notes folder. It keeps a plain-text index of the notes
// in the tree: the note files are read on the loader's worker thread after the tree loads, and
// their texts handed to the index on this thread in short slices, so that typing is never held
// up by a large batch. The index follows the tree (notes created, imported, deleted), the disk
// (the folder watched, and looked at again whenever the program becomes active) and, before
// every query, the notes held in memory, whose unsaved text wins over their files.
class CNoteSearch final : public QObject {
    Q_OBJECT

public:
    // How long one drain slice may run before it hands the thread back.
    static constexpr int kSliceMilliseconds = 4;
    // Changes on disk often come in bursts (a save is a write and a rename): one rescan after.
    static constexpr int kRescanDelayMilliseconds = 500;

    // One matching note: its item (valid until the tree changes), the match, and the item's
    // place in tree order.
    struct Result {
        QTreeWidgetItem* item = nullptr;
        NoteStorage::SearchHit hit;
        size_t order = 0;
    };

    // The tree is borrowed and outlives this; a tree already loaded is indexed at once.
    explicit CNoteSearch(CIndexView& tree,
                         NoteStorage::CFileSystem& files = NoteStorage::FileSystem(),
                         QObject* parent = nullptr);
    ~CNoteSearch() override;

    // Every note of the tree holding the pattern, in tree order, each with its first match.
    [[nodiscard]] std::vector<Result> Search(const QString& pattern,
                                             NoteStorage::SearchOptions options);

    // The item of a note of the tree, or null.
    [[nodiscard]] QTreeWidgetItem* ItemOf(const std::u16string& noteId);

    // Progress of the reading queued since the loader was last idle.
    [[nodiscard]] size_t Done() const;
    [[nodiscard]] size_t Queued() const;
    // True while the first reading of the folder's notes has not reached the index.
    [[nodiscard]] bool IsBuilding() const noexcept { return m_building; }
    // Nothing queued or read that the index does not have yet.
    [[nodiscard]] bool IsIdle() const;
    [[nodiscard]] size_t IndexedCount() const noexcept { return m_index.Size(); }

    // Forgets everything and reads every note of the tree again.
    void Rebuild();
    // Reads again what changed on disk since it was last read.
    void Rescan();
    // Hands waiting texts to the index for at most one slice; posts itself again while some are
    // left. Called through the event loop; tests call it directly.
    void Drain();
    // Brings the index in step with the tree's items (posted after items come and go).
    void Reconcile();
    // The debounce timer of changes on disk, and its handler.
    [[nodiscard]] QTimer& RescanTimer() noexcept { return m_rescanTimer; }
    void OnRescanTimer() { Rescan(); }
    // The longest drain slice so far, in nanoseconds, for the benchmark.
    [[nodiscard]] int64_t LongestSliceNanoseconds() const noexcept { return m_longestSlice; }

signals:
    // The index changed: a query shown is out of date.
    void indexChanged();
    // Done, Queued or IsBuilding changed.
    void progressChanged();

private:
    struct CHeld {
        const NoteEditEngine::CNoteDocument* document = nullptr;
        uint64_t stamp = 0;
    };

    void OnTreeLoaded();
    void OnTreeUnloaded();
    void PostDrain();
    void ScheduleReconcile();
    // Walks the tree: the items in order and their note files.
    void WalkTree();
    [[nodiscard]] std::vector<NoteStorage::CNoteTextLoader::File> FilesOf(
        const std::vector<std::u16string>& ids) const;
    // Sets the text of every note held in memory whose document changed since it was last taken.
    void TakeHeldNotes();
    void UpdateBuilding();

    CIndexView& m_tree;
    NoteStorage::CNoteTextIndex m_index;
    std::unique_ptr<NoteStorage::CNoteTextLoader> m_loader;
    // Results taken from the loader and not yet in the index.
    std::deque<NoteStorage::CNoteTextLoader::Result> m_pending;
    std::atomic<bool> m_drainPosted{false};
    // The tree's items in order, and each note's place in it, as of the last walk.
    std::vector<QTreeWidgetItem*> m_items;
    std::unordered_map<std::u16string, size_t> m_order;
    bool m_walkStale = true;
    bool m_reconcilePosted = false;
    bool m_tracking = false;  // a tree is loaded and followed
    bool m_building = false;
    // Notes held in memory, by identifier, as last taken into the index.
    std::unordered_map<std::u16string, CHeld> m_held;
    QFileSystemWatcher m_watcher;
    QTimer m_rescanTimer;
    int64_t m_longestSlice = 0;
};
