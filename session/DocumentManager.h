#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/NoteDocument.h"
#include "model/NoteDocumentObserver.h"
#include "session/Prompts.h"
#include "session/ShownNotes.h"
#include "storage/NoteStore.h"
#include "storage/NotesFolderStore.h"
#include "storage/ProfileSettings.h"
#include "storage/StatusLine.h"
#include "storage/TreeItemRecord.h"
#include "storage/TreePane.h"

namespace NoteTreeEngine {

// The messages of the document manager, exactly as the user sees them (caption "Jotwell").
inline constexpr std::u16string_view kNoteNotOpenedMessage = u"Document file could not be opened";
// A failed save is told as NoteNotSavedText(name, reason) followed by one of these.
inline constexpr std::u16string_view kNoteKeptUnsavedMessage =
    u"\nThe changes are kept and will be saved again.";
// Followed by the recovery file's path.
inline constexpr std::u16string_view kNoteRecoveredMessage = u"\nIts text was written to ";
inline constexpr std::u16string_view kNoteDiscardQuestion =
    u"\nNo copy of it could be written anywhere. Discard its changes?";
// Why a note is not saved over a file that was never read as a note here.
inline constexpr std::u16string_view kNotOursReason =
    u"the file in its place is not a note this program read";
// Followed by the names of the notes, separated by ", ".
inline constexpr std::u16string_view kUnsavedStatusPrefix = u"Not saved: ";

// "The note "<name>" could not be saved: <reason>."
[[nodiscard]] std::u16string NoteNotSavedText(std::u16string_view name, std::u16string_view reason);

// The note's title: its first paragraph's text, at most 50 characters with "..." when longer,
// blanks, tabs and line feeds removed at both ends; "unnamed" when that leaves nothing.
[[nodiscard]] std::u16string NoteTitle(NoteEditEngine::CNoteDocument& document);

// Owns the documents of the notes whose tree items are selected, shows them in the editor's note
// view and saves them. Nothing typed is dropped: a note that cannot be written stays in memory
// (in the editor while its item is selected, else in a list of unsaved notes that every SaveAll
// retries) and, when the program must end, goes to a recovery file.
class CDocumentManager final : public NoteEditEngine::CNoteDocumentObserver, public CNoteStore {
public:
    // All borrowed; they outlive the manager.
    CDocumentManager(CTreePane& pane, CShownNotes& shown, CNotesFolderStore& store,
                     CPrompts& prompts, CProfileSettings& settings, CStatusLine& status);
    // Drops the entries; call Close first to save them.
    ~CDocumentManager();
    CDocumentManager(const CDocumentManager&) = delete;
    CDocumentManager& operator=(const CDocumentManager&) = delete;

    // Loads the item's note and shows it right after the note of `after` (when that is loaded),
    // else at the front. A note loaded already is only bound to this item.
    void LoadItem(TreeItem item, TreeItem after);
    // Takes the item's note out of the editor and saves it when changed; a note that cannot be
    // saved is kept among the unsaved notes.
    void UnloadItem(TreeItem item);
    // Saves every changed note, loaded or kept unsaved; takes the disk's version of every
    // unchanged loaded note that someone else changed. False when a note stays unsaved.
    bool SaveAll();
    // Follows changes other programs made to the files of the loaded notes: a note without
    // changes of ours is read again in place, one with changes gets its conflicting copy at once
    // and the user is told of both. Files that are gone, or do not read as a note (yet), wait for
    // the next save.
    void ReloadChangedNotes();
    // Unloads every loaded note, then writes each note still unsaved to its file, else to a
    // recovery file, else asks whether to discard it. False when the user keeps a note that
    // could not be written anywhere (the program should not end then).
    bool Close();

    [[nodiscard]] NoteEditEngine::CNoteDocument* FindDocument(TreeItem item);
    [[nodiscard]] TreeItem FindItem(const NoteEditEngine::CNoteDocument* document) const;
    // Notes not saved: loaded ones whose last save failed, and unloaded ones kept in memory.
    [[nodiscard]] std::vector<std::u16string> UnsavedNoteNames() const;
    // How many notes the last Close wrote to recovery files.
    [[nodiscard]] size_t RecoveredCount() const noexcept { return m_recovered; }
    // Every note held in memory, shown or kept unsaved, with its identifier: their text is newer
    // than (or equal to) their files'. Borrowed; valid until the manager changes.
    [[nodiscard]] std::vector<std::pair<std::u16string_view, const NoteEditEngine::CNoteDocument*>>
    HeldNotes() const;
    // True once when items were added (conflicting copies) since the last call: the index is
    // to be saved again.
    [[nodiscard]] bool TakeTreeChanged() noexcept { return std::exchange(m_treeChanged, false); }
    // True once when a loaded note was edited since the last call.
    [[nodiscard]] bool TakeEdited() noexcept { return std::exchange(m_edited, false); }

    // --- Observer slots ---
    void OnElementsRemoving(const NoteEditEngine::CNotePosition& position, uint32_t count) override;
    void OnElementsChanged(const NoteEditEngine::CNotePosition& position, uint32_t count) override;

    // --- CNoteStore, for the tree file handler ---
    NoteEditEngine::CNoteDocument* FindDocument(const CTreeItemRecord& record) override;
    std::unique_ptr<NoteEditEngine::CNoteDocument> LoadNoteDocument(
        CTreeItemRecord& record) override;
    bool CreateEmptyNoteFile(CTreeItemRecord& record) override;
    bool SaveNoteDocument(const CTreeItemRecord& record,
                          NoteEditEngine::CNoteDocument& document) override;
    void ShowItem(TreeItem item) override;

private:
    struct CEntry {
        TreeItem item = TreeItem::None;
        std::unique_ptr<NoteEditEngine::CNoteDocument> document;
        int32_t savedStamp = 0;  // the document's modified time when it last matched its file
        bool edited = false;     // changed since it last matched its file
        bool failed = false;     // its last save failed and the user was told
        // Set while the document, unchanged since, is kept only in a conflicting copy (theirs
        // held no note to show): safe while that copy's file stays as written.
        std::optional<CTreeItemRecord> keptIn;
    };
    struct CUnsaved {
        CTreeItemRecord record;  // a copy: the item may be gone
        std::unique_ptr<NoteEditEngine::CNoteDocument> document;
        std::u16string reason;  // why its latest save failed
    };
    enum class SaveResult { Saved, Failed, Conflict };

    [[nodiscard]] static bool IsChanged(const CEntry& entry) noexcept;
    // True when the note's file is gone: a shown note is then written as if changed.
    [[nodiscard]] bool IsRemovedOnDisk(const CTreeItemRecord& record) const;
    // True when someone else changed the note's file and it reads as a whole note. A file gone,
    // still being written or holding no note is not taken: the store keeps knowing the file as
    // it was, so that ours is never written over it.
    [[nodiscard]] bool TheirsReadable(const CTreeItemRecord& record);
    // True when someone else turned the note's file into something that reads as no note (cut
    // short, overwritten): the text held here is then the only whole copy of the note.
    [[nodiscard]] bool IsSpoiltOnDisk(const CTreeItemRecord& record);
    // Saves an entry's changed document; on failure m_failure says why. On a conflict ours goes to
    // a new note after the item and, with takeTheirs (the note stays shown), the entry takes the
    // disk's version.
    SaveResult SaveEntry(const CTreeItemRecord& record, CEntry& entry, bool takeTheirs);
    // Puts `fresh` in the editor where the entry's document is, and makes it the entry's.
    void SwapDocument(CEntry& entry, std::unique_ptr<NoteEditEngine::CNoteDocument> fresh);
    // Writes ours as a new note placed right after `item`; false when that failed. `copy`, when
    // given, receives the new note's record.
    bool SaveConflictingCopy(TreeItem item, const CTreeItemRecord& record,
                             NoteEditEngine::CNoteDocument& document,
                             CTreeItemRecord* copy = nullptr);
    // Before the entry's document leaves: when it was kept only in a conflicting copy that has
    // since been changed or removed elsewhere, it becomes a copy again. False when that failed.
    [[nodiscard]] bool KeepOnlyCopy(CEntry& entry, const CTreeItemRecord& record);
    [[nodiscard]] bool WriteRecoveryFile(const CUnsaved& unsaved, std::filesystem::path& path);
    void UnloadEntry(std::map<std::u16string, CEntry>::iterator entry);
    // Tells, once until a save succeeds again, that the entry's note is kept unsaved.
    void ReportFailedSave(const CTreeItemRecord& record, CEntry& entry);
    void ReportUnsaved();

    CTreePane& m_pane;
    CShownNotes& m_shown;
    CNotesFolderStore& m_store;
    CPrompts& m_prompts;
    CProfileSettings& m_settings;
    CStatusLine& m_status;
    // By note identifier.
    std::map<std::u16string, CEntry> m_entries;
    std::unordered_map<const NoteEditEngine::CNoteDocument*, std::u16string> m_byDocument;
    std::vector<CUnsaved> m_unsaved;
    bool m_treeChanged = false;
    bool m_edited = false;
    size_t m_recovered = 0;
    std::u16string m_failure;  // why the latest SaveEntry failed
};

}  // namespace NoteTreeEngine
