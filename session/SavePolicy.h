#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "session/DocumentManager.h"
#include "session/IndexMerge.h"
#include "session/NoteTree.h"
#include "session/SaveTimer.h"
#include "storage/FileSystem.h"
#include "storage/Messages.h"
#include "storage/NotesFolderStore.h"

namespace NoteTreeEngine {

// When the tree and the notes reach the disk, driven by the session's events:
//   an item leaves the selection       its note, if changed
//   the save timer fires               index.xml, then every changed note
//   the tree changed (new, rename...)  index.xml
//   the tree is unloaded               index.xml, then every loaded or unsaved note
// The timer fires five minutes after the last caret move, or 30 s after the first change not
// saved yet, whichever comes first: caret moves and further typing do not put a due change off.
// index.xml is guarded like a note. A damaged one is renamed aside (never over an earlier one)
// and its notes come back as orphans, which are adopted after every load. One someone else
// changed since we read it is read into the tree instead of writing ours, when ours kept its
// structure since (items, places, names); when both changed, theirs is renamed aside and merged
// into ours (MergeIndex), and the user is told.
class CSavePolicy {
public:
    static constexpr int32_t kSaveDelayMs = 300000;
    static constexpr int32_t kChangeSaveDelayMs = 30000;

    // All borrowed.
    CSavePolicy(CNoteTree& pane, CDocumentManager& manager, CNotesFolderStore& store,
                CMessages& messages, CSaveTimer& timer);
    CSavePolicy(const CSavePolicy&) = delete;
    CSavePolicy& operator=(const CSavePolicy&) = delete;

    // Reads index.xml into the empty tree and adopts the orphan notes. An unreadable or cut-short
    // index is renamed aside (the items read before the cut keep their places) and a new one
    // written. False when the index could not be read whole.
    bool LoadTree();
    // Writes index.xml (once a tree was loaded). False, after the message, when that failed.
    bool SaveTree();

    // Called after every caret move, which follows every edit: cheap, it only (re)starts the
    // timer; the save runs when the timer fires.
    void OnCaretMoved();
    void OnSaveTimer();
    void OnItemDeselected(TreeItem item);
    void OnTreeChanged();
    // The tree is unloaded: saves everything. False when a note could not
    // be written anywhere and the user kept it.
    bool Close();
    // True when index.xml holds other bytes than were last read or written here.
    [[nodiscard]] bool IndexChangedOnDisk();
    // Merges into the tree every sync tool's conflict file of index.xml (IsIndexSyncConflict)
    // that reads whole: its new items, and its typed names where ours follow the text; renames
    // each aside (index.xml.sync-conflict-<time>) and tells the user once per file.
    // Returns how many were merged; the caller saves the tree.
    size_t MergeIndexConflicts();

    [[nodiscard]] std::filesystem::path IndexPath() const;

private:
    enum class Theirs { Read, ToWrite, Failed };

    // Renames `from` (index.xml by default) to index.xml.<reason>-<time>, never over an existing
    // file; the new path, empty when that failed.
    std::filesystem::path SetIndexAside(const char* reason, const std::filesystem::path& from = {});
    // index.xml changed on disk: Read when the tree now holds theirs and ours need not be
    // written; ToWrite when ours, theirs merged in and theirs set aside, is to be written;
    // Failed when theirs could not be set aside.
    Theirs TakeTheirs();
    // Makes the tree the outline: items kept by identifier (with their selection and expansion,
    // their notes still shown), moved and renamed where it says, new ones inserted, the rest
    // unloaded and removed. Their note files stay.
    void ApplyOutline(const IndexOutline& target);

    CNoteTree& m_pane;
    CDocumentManager& m_manager;
    CNotesFolderStore& m_store;
    CMessages& m_messages;
    CSaveTimer& m_timer;
    bool m_loaded = false;
    bool m_changeDue = false;             // the timer runs for a change not saved yet
    bool m_applying = false;              // the tree is being made theirs
    std::optional<uint64_t> m_indexHash;  // of index.xml as last read or written here
    IndexOutline m_base;                  // the tree of index.xml as last read or written here
};

}  // namespace NoteTreeEngine
