#pragma once

// Adding an operation to the session:
//  - put the work here, on handles of Tree(); a widget forwards to it and shows nothing itself
//    but what CNoteTreeObserver tells it;
//  - ask and tell the user only through m_prompts (a fake answers in tests);
//  - change the tree through CNoteTree so that the views and the search index hear of it;
//  - save through m_policy (SaveTree, or the deselection and timer paths), never directly;
//  - test it in tests/session on the real tree, and drive it from the Qt side in tests/tree.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "model/NoteDocument.h"
#include "session/DocumentManager.h"
#include "session/FolderWatch.h"
#include "session/NoteSearchIndex.h"
#include "session/NoteTree.h"
#include "session/NoteTreeObserver.h"
#include "session/Prompts.h"
#include "session/SavePolicy.h"
#include "session/SaveTimer.h"
#include "session/SessionPrompts.h"
#include "session/ShownNotes.h"
#include "storage/FileSystem.h"
#include "storage/NotesFolderStore.h"
#include "storage/ProfileSettings.h"
#include "storage/StatusLine.h"

namespace NoteTreeEngine {

inline constexpr std::u16string_view kDeleteCaption = u"Warning";

// A file of the recovery folder: a note that could not be saved when the program last had to end.
struct CRecoveredNote {
    std::filesystem::path path;
    std::u16string title;   // the note's title; the file's name when it is no note
    int32_t modified = 0;   // the note's last change, seconds since 1970; 0 when it is no note
    bool readable = false;  // it reads as a note and can be brought back
};

// The notes of one notes folder at work: the note tree, the note files, the notes loaded for the
// editor, when everything is saved, and the search index. The tree's selection drives the
// editor: a note is loaded and shown when its item is selected (in tree order among the notes
// shown) and saved and unloaded when it leaves the selection. Panes are views of it.
class CNoteSession final : public CNoteTreeObserver {
public:
    // All borrowed; they outlive the session.
    CNoteSession(CPrompts& prompts, CProfileSettings& settings, CStatusLine& status,
                 CSaveTimer& timer, NoteStorage::CFileSystem& files);
    // Saves everything (Close) first.
    ~CNoteSession() override;
    CNoteSession(const CNoteSession&) = delete;
    CNoteSession& operator=(const CNoteSession&) = delete;

    // Reads the index of `folder` into `tree` and writes nothing, whatever it holds: no note
    // file is read, created or adopted. False, after the message, when it is no whole tree file.
    // `indexName` names another tree file of the folder to read instead.
    static bool ReadTree(const std::filesystem::path& folder, CNoteTree& tree, CMessages& messages,
                         NoteStorage::CFileSystem& files,
                         const std::filesystem::path& indexName = "index.xml");

    // The editor that shows the selected notes; borrowed, set before LoadTree.
    void SetShownNotes(CShownNotes* shown) noexcept { m_shown = shown; }
    // What watches the notes folder, its parent and the shown notes' files for other programs'
    // changes; borrowed, set before LoadTree. Without one, only OnActivated looks at the disk.
    void SetFolderWatch(CFolderWatch* watch) noexcept { m_watch = watch; }

    [[nodiscard]] CNoteTree& Tree() noexcept { return m_tree; }
    [[nodiscard]] CNoteSearchIndex& Search() noexcept { return m_search; }
    // Null while no tree is loaded.
    [[nodiscard]] CDocumentManager* Manager() noexcept { return m_manager.get(); }
    [[nodiscard]] const CNotesFolderStore* Store() const noexcept { return m_store.get(); }
    [[nodiscard]] bool IsLoaded() const noexcept { return m_policy != nullptr; }
    // The folder of the loaded tree; empty while none is loaded.
    [[nodiscard]] std::filesystem::path NotesFolder() const;

    // --- The tree of the notes folder
    // Loads the tree of the stored notes folder (a shown-notes editor must be set), then tells
    // of the notes that went to recovery files when the program last ended unattended, whether
    // the folder cannot be written (a probe file is created and removed) and, at the first load
    // of a run, of the recovered notes waiting to be brought back. False
    // when no folder is stored or its index could not be read (a new tree of its notes is then
    // written).
    bool LoadTree();
    // Writes index.xml (once a tree was loaded); false, after the message, when that failed.
    bool SaveTree();
    // Saves the tree and every note and empties the tree. False, with the tree kept and its
    // selected notes shown again, when a note could not be written anywhere and the user keeps
    // it.
    bool UnloadTree();
    // Saves what can be saved and empties the tree, whatever the user's answers.
    void Close();
    // The program ends now and waits for nobody (a termination signal, the desktop session
    // ending): saves what can be saved, writes every note that cannot be to a recovery file,
    // tells `log` what the user would have been told, keeps for the next LoadTree how many notes
    // went to recovery files, and empties the tree.
    void EndUnattended(std::ostream& log);
    // Imports a tree file under `parent` after `after`. False, after a message, when it is no
    // tree file or cannot be read.
    bool OpenTreeFile(const std::filesystem::path& path, TreeItem parent, TreeItem after);
    // The tree file of a drag: the items with their subtrees and notes.
    bool WriteTreeFile(const std::vector<TreeItem>& items, const std::filesystem::path& path);
    // The first half of changing the notes folder: the folder the user chose, "" to change
    // nothing.
    [[nodiscard]] std::u16string ChooseOtherNotesFolder();
    // The second half: saves and unloads the tree, stores the folder and loads its tree. False
    // when the old tree stays.
    bool SwitchNotesFolder(std::u16string_view folder);

    // --- Notes
    // A new note under `parent` after `after`, selected (alone when `alone`), the caret's item
    // and shown. None, after a message, when its file could not be created.
    TreeItem NewNote(TreeItem parent, TreeItem after, bool alone);
    // A name typed for the item; it no longer follows the note's first line.
    void Rename(TreeItem item, std::u16string_view name);
    // The item's name follows its note's first line again.
    void FollowTitle(TreeItem item);
    // Asks, then deletes the selected subtrees and their note files; a file that is no note
    // stays, and the question says so. False when nothing was selected or the user said no.
    bool DeleteSelected();
    // The items with their subtrees go under `parent` after `after` (see CNoteTree::Move).
    void MoveItems(const std::vector<TreeItem>& items, TreeItem parent, TreeItem after);
    // Scrolls the editor to the item's note, when it is shown.
    void ShowItem(TreeItem item);

    // --- Recovered notes, kept in the recovery folder until they are brought back
    // The recovery folder's note files, readable or not, the latest changed first.
    [[nodiscard]] std::vector<CRecoveredNote> RecoveredNotes();
    // True when the recovery folder holds a note file; reads none of them.
    [[nodiscard]] bool HasRecoveredNotes();
    // Brings the recovered notes of `paths` (files of RecoveredNotes()) back as new notes after
    // the active item (at the end without one), in the order given, and selects them alone. Each
    // file is removed once its note is written in the notes folder; one that is no note, or
    // whose note could not be written, stays where it is and the user is told. Returns how many
    // came back.
    size_t ImportRecoveredNotes(const std::vector<std::filesystem::path>& paths);

    // --- The editor and the clock
    // The editor's caret is in `document` (or none): its item becomes the active item and the
    // save timer restarts.
    void NoteBecameCurrent(NoteEditEngine::CNoteDocument* document);
    // Writes nothing while the notes folder is gone: the user is asked first.
    void OnSaveTimer();

    // --- Other programs' changes
    // Something watched changed on disk: `changed`, or anything when empty. Shown notes changed
    // elsewhere follow (see CDocumentManager::ReloadChangedNotes). A notes folder that is gone is
    // told once, with the choice of creating it again, with the tree and every note held here,
    // or of choosing another folder; nothing is written before the user answers, and nothing
    // held is dropped. A change of the folder's parent only tells whether the folder is there.
    void OnDiskChanged(const std::filesystem::path& changed = {});
    // The program became active: the same, and a folder still gone is told again.
    void OnActivated();

    // --- CNoteTreeObserver: the selection loads and unloads the notes.
    void OnSelectionChanged(TreeItem item, bool selected) override;

private:
    // Loads and shows the item's note in tree order among the notes shown, and refreshes it.
    void ShowNoteOf(TreeItem item);
    void DeselectAll();
    // The items of the subtrees of the top-most selected items.
    [[nodiscard]] std::vector<TreeItem> SelectedSubtreeItems() const;
    // Deselects and deletes the subtree, removing the note files.
    void DeleteSubtree(TreeItem top);
    void Reset();
    // The notes folder, its parent (which tells when the folder goes) and the shown notes' files.
    void WatchFolder(bool on);
    // The notes folder as watched (no trailing separator); its parent_path() is watched too.
    [[nodiscard]] std::filesystem::path WatchedFolder() const;
    [[nodiscard]] std::filesystem::path NotePath(TreeItem item) const;
    [[nodiscard]] bool FolderIsThere();
    // Says once, before the user types, when the notes folder cannot be written.
    void CheckWritable();
    void AskAboutGoneFolder();
    void RecreateFolder();

    CSessionPrompts m_prompts;
    CProfileSettings& m_settings;
    CStatusLine& m_status;
    CSaveTimer& m_timer;
    NoteStorage::CFileSystem& m_files;
    CShownNotes* m_shown = nullptr;
    CFolderWatch* m_watch = nullptr;
    bool m_goneFolderTold = false;  // the user was asked about the folder since it went
    bool m_askingAboutFolder = false;
    bool m_readingTree = false;  // LoadTree is at work: a half-read tree is nothing to compare with
    CNoteTree m_tree;
    CNoteSearchIndex m_search;
    // One set per notes folder, in this order of creation (and the reverse of destruction).
    std::unique_ptr<CNotesFolderStore> m_store;
    std::unique_ptr<CDocumentManager> m_manager;
    std::unique_ptr<CSavePolicy> m_policy;
    // The recovered notes waiting were told of: once per run, not at every LoadTree.
    bool m_toldRecovered = false;
};

}  // namespace NoteTreeEngine
