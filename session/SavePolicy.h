#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "session/DocumentManager.h"
#include "session/SaveTimer.h"
#include "storage/FileSystem.h"
#include "storage/Messages.h"
#include "storage/NotesFolderStore.h"
#include "storage/TreePane.h"

namespace NoteTreeEngine {

// When the tree and the notes reach the disk, driven by the session's events:
//   an item leaves the selection       its note, if changed
//   the save timer fires               index.xml, then every changed note
//   the tree changed (new, rename...)  index.xml
//   the tree is unloaded               index.xml, then every loaded or unsaved note
// The timer restarts at every caret move and stops when it fires. index.xml is guarded like a
// note: a damaged one, or one someone else changed since we read it, is renamed aside (never
// over an earlier one) and its notes come back as orphans; they are adopted after every load.
class CSavePolicy {
public:
    static constexpr int32_t kSaveDelayMs = 300000;

    // All borrowed.
    CSavePolicy(CTreePane& pane, CDocumentManager& manager, CNotesFolderStore& store,
                CMessages& messages, CSaveTimer& timer);
    CSavePolicy(const CSavePolicy&) = delete;
    CSavePolicy& operator=(const CSavePolicy&) = delete;

    // Reads index.xml into the empty tree and adopts the orphan notes. An unreadable or cut-short
    // index is renamed aside (the items read before the cut keep their places) and a new one
    // written. False when the index could not be read whole.
    bool LoadTree();
    // Writes index.xml (once a tree was loaded). False, after the message, when that failed.
    bool SaveTree();

    void OnCaretMoved();
    void OnSaveTimer();
    void OnItemDeselected(TreeItem item);
    void OnTreeChanged();
    // The tree is unloaded: saves everything. False when a note could not
    // be written anywhere and the user kept it.
    bool Close();

    [[nodiscard]] std::filesystem::path IndexPath() const;

private:
    struct CSeen {
        NoteStorage::CFileStamp stamp;
        uint64_t hash = 0;
    };
    // Renames index.xml to index.xml.<reason>-<time>, never over an existing file.
    bool SetIndexAside(const char* reason);
    [[nodiscard]] bool IndexChangedOnDisk();
    void RememberIndex();

    CTreePane& m_pane;
    CDocumentManager& m_manager;
    CNotesFolderStore& m_store;
    CMessages& m_messages;
    CSaveTimer& m_timer;
    bool m_loaded = false;
    std::optional<CSeen> m_indexSeen;
};

}  // namespace NoteTreeEngine
