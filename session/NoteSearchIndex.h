#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "session/DocumentManager.h"
#include "session/NoteTree.h"
#include "session/NoteTreeObserver.h"
#include "storage/FileSystem.h"
#include "storage/NoteTextIndex.h"
#include "storage/NoteTextLoader.h"

namespace NoteTreeEngine {

// The plain-text index of every note of the loaded tree, kept up to date: the note files are
// read on the loader's worker thread once the tree loads, and their texts handed to the index on
// the session's thread in short slices (Drain), so that typing is never held up by a large batch.
// The index follows the tree (notes created, imported, deleted, moved), the disk (Rescan) and,
// before every query, the notes held in memory, whose unsaved text wins over their files.
class CNoteSearchIndex final : public CNoteTreeObserver {
public:
    // What the index needs of the event loop it runs in, and whom it tells of changes.
    class CEvents {
    public:
        virtual ~CEvents() = default;
        // Any thread: Drain is to run soon on the session's thread.
        virtual void PostDrain() = 0;
        // Reconcile is to run once the operation changing the tree is over.
        virtual void PostReconcile() = 0;
        // The index changed: a query shown is out of date.
        virtual void IndexChanged() = 0;
        // Done, Queued or IsBuilding changed.
        virtual void ProgressChanged() = 0;
        // The folder whose notes are indexed now; empty when none.
        virtual void FolderChanged(const std::filesystem::path& folder) = 0;
    };

    // How long one drain slice may run before it hands the thread back.
    static constexpr int kSliceMilliseconds = 4;

    // One matching note: its item, the match, and the item's place in tree order.
    struct Result {
        TreeItem item = TreeItem::None;
        NoteStorage::SearchHit hit;
        size_t order = 0;
    };

    // All borrowed; they outlive the index. It observes the tree.
    CNoteSearchIndex(CNoteTree& tree, NoteStorage::CFileSystem& files);
    ~CNoteSearchIndex() override;
    CNoteSearchIndex(const CNoteSearchIndex&) = delete;
    CNoteSearchIndex& operator=(const CNoteSearchIndex&) = delete;

    // Borrowed, or null; set before Start. Waits for a call of the worker's to the old one.
    void SetEvents(CEvents* events);
    // A tree of `folder` was loaded, its notes held by `manager`: indexes every note of it.
    void Start(const std::filesystem::path& folder, const CDocumentManager* manager);
    // The tree was unloaded: forgets everything.
    void Stop();
    // The folder whose notes are indexed; empty while none.
    [[nodiscard]] const std::filesystem::path& Folder() const noexcept { return m_folder; }

    // Every note of the tree holding the pattern, in tree order, each with its first match.
    [[nodiscard]] std::vector<Result> Search(const std::u16string& pattern,
                                             NoteStorage::SearchOptions options);
    // The item of a note of the tree, or None.
    [[nodiscard]] TreeItem ItemOf(const std::u16string& noteId);

    // Progress of the reading queued since the loader was last idle.
    [[nodiscard]] size_t Done() const;
    [[nodiscard]] size_t Queued() const;
    // True while the first reading of the folder's notes has not reached the index.
    [[nodiscard]] bool IsBuilding() const noexcept { return m_building; }
    // Nothing queued or read that the index does not have yet.
    [[nodiscard]] bool IsIdle() const;
    [[nodiscard]] size_t IndexedCount() const noexcept { return m_index.Size(); }

    // While held no note file is read; what is to be read waits for the release. The index is
    // still kept in step with the tree and with the notes in memory.
    void HoldReading(bool held) { m_loader->Hold(held); }
    // Forgets everything and reads every note of the tree again.
    void Rebuild();
    // Reads again what changed on disk since it was last read.
    void Rescan();
    // Hands waiting texts to the index for at most one slice; posts itself again while some are
    // left.
    void Drain();
    // Brings the index in step with the tree's items.
    void Reconcile();
    // The longest drain slice so far, in nanoseconds, for the benchmark.
    [[nodiscard]] int64_t LongestSliceNanoseconds() const noexcept { return m_longestSlice; }

    // --- CNoteTreeObserver: items come and go; one walk once the operation is over.
    void OnItemInserted(TreeItem item) override;
    void OnItemRemoving(TreeItem item) override;
    void OnItemMoved(TreeItem item) override;
    void OnCleared() override;

private:
    struct CHeld {
        const NoteEditEngine::CNoteDocument* document = nullptr;
        uint64_t stamp = 0;
    };

    void PostDrain();
    void ScheduleReconcile();
    // Walks the tree: the items in order and their note files.
    void WalkTree();
    [[nodiscard]] std::vector<NoteStorage::CNoteTextLoader::File> FilesOf(
        const std::vector<std::u16string>& ids) const;
    [[nodiscard]] std::vector<std::u16string> IndexedIds() const;
    // Sets the text of every note held in memory whose document changed since it was last taken.
    void TakeHeldNotes();
    void UpdateBuilding();
    void IndexChanged();
    void ProgressChanged();

    CNoteTree& m_tree;
    // The worker calls PostDrain under the lock, so that SetEvents never lets it reach events
    // that are gone.
    std::mutex m_eventsLock;
    CEvents* m_events = nullptr;
    const CDocumentManager* m_manager = nullptr;
    std::filesystem::path m_folder;
    NoteStorage::CNoteTextIndex m_index;
    std::unique_ptr<NoteStorage::CNoteTextLoader> m_loader;
    // Results taken from the loader and not yet in the index.
    std::deque<NoteStorage::CNoteTextLoader::Result> m_pending;
    std::atomic<bool> m_drainPosted{false};
    // The tree's items in order, and each note's place in it, as of the last walk.
    std::vector<TreeItem> m_items;
    std::unordered_map<std::u16string, size_t> m_order;
    bool m_walkStale = true;
    bool m_reconcilePosted = false;
    bool m_tracking = false;  // a tree is loaded and followed
    bool m_building = false;
    // Notes held in memory, by identifier, as last taken into the index.
    std::unordered_map<std::u16string, CHeld> m_held;
    int64_t m_longestSlice = 0;
};

}  // namespace NoteTreeEngine
