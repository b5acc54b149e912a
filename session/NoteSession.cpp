#include "session/NoteSession.h"

#include <algorithm>
#include <string>
#include <utility>

#include "base/Utf8.h"
#include "storage/FileHandler.h"
#include "storage/NoteFile.h"
#include "storage/NoteStore.h"
#include "storage/NotesFolderSettings.h"

namespace NoteTreeEngine {

namespace {

// Reading an index names no note file: nothing is loaded, stored or shown.
class CNoNotes final : public CNoteStore {
public:
    NoteEditEngine::CNoteDocument* FindDocument(const CTreeItemRecord&) override { return nullptr; }
    std::unique_ptr<NoteEditEngine::CNoteDocument> LoadNoteDocument(CTreeItemRecord&) override {
        return nullptr;
    }
    bool CreateEmptyNoteFile(CTreeItemRecord&) override { return false; }
    bool SaveNoteDocument(const CTreeItemRecord&, NoteEditEngine::CNoteDocument&) override {
        return false;
    }
    void ShowItem(TreeItem) override {}
};

// Hidden, and no note's name: nothing that lists the folder takes it for a note.
constexpr const char* kWriteProbeName = ".jotwell-write-check";

std::u16string FolderText(const std::filesystem::path& folder) {
    return u"The notes folder " + PathText(folder);
}

// What the recovery folder holds besides notes (a write's temporary file) is none of ours.
bool IsRecoveryFileName(const std::filesystem::path& name) {
    const std::string file = name.filename().string();
    return file.size() > 4 && file.ends_with(".xml") && !file.starts_with(".");
}

std::u16string Number(size_t n) {
    return NoteBase::Utf8ToUtf16(std::to_string(n));
}

}  // namespace

CNoteSession::CNoteSession(CPrompts& prompts, CProfileSettings& settings, CStatusLine& status,
                           CSaveTimer& timer, NoteStorage::CFileSystem& files)
    : m_prompts(prompts),
      m_settings(settings),
      m_status(status),
      m_timer(timer),
      m_files(files),
      m_search(m_tree, files) {
    m_tree.AddObserver(this);
}

CNoteSession::~CNoteSession() {
    Close();
    m_tree.RemoveObserver(this);
}

bool CNoteSession::ReadTree(const std::filesystem::path& folder, CNoteTree& tree,
                            CMessages& messages, NoteStorage::CFileSystem& files,
                            const std::filesystem::path& indexName) {
    CNoNotes notes;
    return LoadIndexFile(files, tree, notes, messages, folder / indexName.filename());
}

std::filesystem::path CNoteSession::NotesFolder() const {
    return m_store ? m_store->Folder() : std::filesystem::path();
}

bool CNoteSession::LoadTree() {
    if (m_shown == nullptr) return false;
    const std::u16string folder = GetNotesFolder(m_settings);
    if (folder.empty()) return false;
    if (m_policy && !UnloadTree()) return false;
    m_store =
        std::make_unique<CNotesFolderStore>(std::filesystem::path(folder), m_prompts, m_files);
    m_manager = std::make_unique<CDocumentManager>(m_tree, *m_shown, *m_store, m_prompts,
                                                   m_settings, m_status);
    m_policy = std::make_unique<CSavePolicy>(m_tree, *m_manager, *m_store, m_prompts, m_timer);
    // A message shown from here on runs the window's events, its activation among them; until
    // the tree is read a look at the folder would find every note missing from it.
    m_readingTree = true;
    CheckWritable();
    m_goneFolderTold = false;
    const bool read = m_policy->LoadTree();
    m_readingTree = false;
    WatchFolder(true);
    if (m_tree.Active() != TreeItem::None) m_manager->ShowItem(m_tree.Active());
    m_search.Start(m_store->Folder(), m_manager.get());
    std::u16string told;
    if (const int recovered = m_settings.ReadRecoveredAtEnd(); recovered > 0) {
        m_settings.WriteRecoveredAtEnd(0);
        told = Number(size_t(recovered)) +
               (recovered == 1 ? u" note could not be saved last time; it is in "
                               : u" notes could not be saved last time; they are in ") +
               PathText(m_settings.RecoveryFolder());
    }
    if (!std::exchange(m_toldRecovered, true)) {
        const std::vector<CRecoveredNote> notes = RecoveredNotes();
        const auto waiting = size_t(std::count_if(notes.begin(), notes.end(),
                                                  [](const auto& note) { return note.readable; }));
        if (waiting > 0)
            told += (told.empty() ? u"" : u"\n") + Number(waiting) +
                    (waiting == 1 ? u" recovered note is waiting: Note > Recovered Notes... "
                                    u"brings it back."
                                  : u" recovered notes are waiting: Note > Recovered Notes... "
                                    u"brings them back.");
    }
    if (!told.empty()) m_prompts.ShowMessageBox(told, MessageIcon::Warning, kMessageCaption);
    return read;
}

bool CNoteSession::SaveTree() {
    return !m_policy || m_policy->SaveTree();
}

bool CNoteSession::UnloadTree() {
    if (!m_policy) return true;
    if (!m_policy->Close()) {
        // The notes left the editor; the one kept unsaved stays with the manager, which tries it
        // again at every save. The others come back, in tree order.
        for (const TreeItem item : m_tree.ItemsInOrder())
            if (m_tree.IsSelected(item)) ShowNoteOf(item);
        return false;
    }
    Reset();
    return true;
}

void CNoteSession::Close() {
    if (!m_policy) return;
    // Nothing more can be done for a note kept unsaved: the program ends.
    (void)m_policy->Close();
    Reset();
}

void CNoteSession::EndUnattended(std::ostream& log) {
    if (!m_policy) return;
    m_prompts.LogTo(&log);
    (void)m_policy->Close();
    if (const size_t recovered = m_manager->RecoveredCount(); recovered > 0) {
        m_settings.WriteRecoveredAtEnd(m_settings.ReadRecoveredAtEnd() +
                                       static_cast<int>(recovered));
    }
    Reset();
    m_prompts.LogTo(nullptr);
}

void CNoteSession::Reset() {
    DeselectAll();
    WatchFolder(false);
    m_tree.SetActive(TreeItem::None);
    m_timer.Stop();
    m_policy.reset();
    m_manager.reset();
    m_store.reset();
    m_tree.Clear();
    m_search.Stop();
}

void CNoteSession::DeselectAll() {
    while (!m_tree.Selection().empty())
        m_tree.Deselect(m_tree.Selection().front());
}

bool CNoteSession::OpenTreeFile(const std::filesystem::path& path, TreeItem parent,
                                TreeItem after) {
    if (!m_manager) return false;
    if (!OpenFolderFile(m_files, m_tree, *m_manager, m_prompts, path, parent, after)) return false;
    SaveTree();
    if (m_tree.Active() != TreeItem::None) m_manager->ShowItem(m_tree.Active());
    return true;
}

bool CNoteSession::WriteTreeFile(const std::vector<TreeItem>& items,
                                 const std::filesystem::path& path) {
    if (!m_manager) return false;
    CFileHandler handler(m_tree, *m_manager, m_prompts, items);
    return handler.WriteTreeFile(m_files, true, path);
}

std::u16string CNoteSession::ChooseOtherNotesFolder() {
    return NoteTreeEngine::ChooseOtherNotesFolder(m_settings, m_prompts);
}

bool CNoteSession::SwitchNotesFolder(std::u16string_view folder) {
    if (!UnloadTree()) return false;
    SetNotesFolder(m_settings, folder);
    LoadTree();
    return true;
}

TreeItem CNoteSession::NewNote(TreeItem parent, TreeItem after, bool alone) {
    if (!m_manager) return TreeItem::None;
    CTreeItemRecord record;
    if (!m_store->CreateEmptyNoteFile(record)) {
        // No item without its file: the note could never be saved.
        m_prompts.ShowMessageBox(kNoteNotCreatedMessage, MessageIcon::Warning, kMessageCaption);
        return TreeItem::None;
    }
    if (alone) DeselectAll();
    const TreeItem item = m_tree.InsertItem(parent, after, record);
    if (parent != kRootItem) m_tree.Expand(parent);
    m_tree.Select(item);
    m_tree.SetCaret(item);
    m_manager->ShowItem(item);
    SaveTree();
    return item;
}

void CNoteSession::Rename(TreeItem item, std::u16string_view name) {
    CTreeItemRecord& record = m_tree.Record(item);
    record.username = name;
    record.isfixed = true;
    m_tree.UpdateItem(item);
    SaveTree();
}

void CNoteSession::FollowTitle(TreeItem item) {
    CTreeItemRecord& record = m_tree.Record(item);
    record.isfixed = false;
    if (NoteEditEngine::CNoteDocument* document =
            m_manager ? m_manager->FindDocument(item) : nullptr)
        record.username = NoteTitle(*document);
    m_tree.UpdateItem(item);
    SaveTree();
}

std::vector<TreeItem> CNoteSession::SelectedSubtreeItems() const {
    std::vector<TreeItem> items;
    for (const TreeItem top : m_tree.TopMostSelected()) {
        std::vector<TreeItem> pending{top};
        while (!pending.empty()) {
            const TreeItem item = pending.back();
            pending.pop_back();
            items.push_back(item);
            for (const TreeItem child : m_tree.Children(item))
                pending.push_back(child);
        }
    }
    return items;
}

bool CNoteSession::DeleteSelected() {
    if (m_tree.Selection().empty() || !m_manager) return false;
    const std::vector<TreeItem> items = SelectedSubtreeItems();
    const size_t kept =
        static_cast<size_t>(std::count_if(items.begin(), items.end(), [&](TreeItem item) {
            return !m_store->MayRemoveNoteFile(m_tree.Record(item));
        }));
    const auto number = [](size_t n) { return NoteBase::Utf8ToUtf16(std::to_string(n)); };
    std::u16string question =
        items.size() == 1
            ? std::u16string(u"Are you sure you want to delete this note?")
            : u"Are you sure you want to delete these " + number(items.size()) + u" notes?";
    if (kept > 0) {
        question += items.size() == 1
                        ? std::u16string(
                              u"\nIts file could not be read as a note and stays in the notes "
                              u"folder.")
                        : u"\nThe files of " + number(kept) +
                              u" of them could not be read as notes and stay in the notes folder.";
    }
    if (!m_prompts.AskYesNo(question, kDeleteCaption)) return false;
    while (!m_tree.Selection().empty())
        DeleteSubtree(m_tree.Selection().front());
    SaveTree();
    return true;
}

void CNoteSession::DeleteSubtree(TreeItem top) {
    // Post-order with an explicit stack: children before their parent, at any depth.
    struct CFrame {
        TreeItem item;
        std::vector<TreeItem> children;
        size_t next;
    };
    std::vector<CFrame> stack{{top, m_tree.Children(top), 0}};
    while (!stack.empty()) {
        CFrame& frame = stack.back();
        if (frame.next < frame.children.size()) {
            const TreeItem child = frame.children[frame.next++];
            stack.push_back({child, m_tree.Children(child), 0});  // invalidates `frame`
            continue;
        }
        const TreeItem done = frame.item;
        stack.pop_back();
        if (m_tree.Active() == done) m_tree.SetActive(TreeItem::None);
        m_tree.Deselect(done);
        // A file that cannot be removed, or holds no note, is left; the item goes all the same.
        (void)m_store->DeleteNoteFile(m_tree.Record(done));
    }
    m_tree.Remove(top);
}

void CNoteSession::MoveItems(const std::vector<TreeItem>& items, TreeItem parent, TreeItem after) {
    m_tree.Move(items, parent, after);
}

void CNoteSession::ShowItem(TreeItem item) {
    if (m_manager) m_manager->ShowItem(item);
}

std::vector<CRecoveredNote> CNoteSession::RecoveredNotes() {
    std::vector<CRecoveredNote> notes;
    const std::filesystem::path folder = m_settings.RecoveryFolder();
    if (folder.empty()) return notes;
    for (const std::filesystem::path& name : m_files.ListFolder(folder)) {
        if (!IsRecoveryFileName(name)) continue;
        CRecoveredNote note{folder / name, PathText(name)};
        NoteEditEngine::CNoteDocument document;
        if (NoteStorage::LoadNoteFile(m_files, note.path, document) ==
            NoteStorage::NoteFileRead::Read) {
            note.readable = true;
            note.title = NoteTitle(document);
            note.modified = document.Modified();
        }
        notes.push_back(std::move(note));
    }
    std::sort(notes.begin(), notes.end(), [](const CRecoveredNote& a, const CRecoveredNote& b) {
        return a.modified != b.modified ? a.modified > b.modified : a.path < b.path;
    });
    return notes;
}

bool CNoteSession::HasRecoveredNotes() {
    const std::filesystem::path folder = m_settings.RecoveryFolder();
    if (folder.empty()) return false;
    const std::vector<std::filesystem::path> names = m_files.ListFolder(folder);
    return std::any_of(names.begin(), names.end(), IsRecoveryFileName);
}

size_t CNoteSession::ImportRecoveredNotes(const std::vector<std::filesystem::path>& paths) {
    if (!m_manager) return 0;
    const std::filesystem::path folder = m_settings.RecoveryFolder();
    const TreeItem active = m_tree.Active();
    const TreeItem parent = active == TreeItem::None ? kRootItem : m_tree.Parent(active);
    TreeItem after = active == TreeItem::None ? kLastItem : active;
    std::vector<TreeItem> added;
    std::u16string left;
    for (const std::filesystem::path& path : paths) {
        // Nothing outside the recovery folder is ever read as a recovered note, or removed.
        NoteEditEngine::CNoteDocument document;
        CTreeItemRecord record;
        const bool read =
            !folder.empty() && path.parent_path() == folder && IsRecoveryFileName(path) &&
            NoteStorage::LoadNoteFile(m_files, path, document) == NoteStorage::NoteFileRead::Read;
        if (!read || !m_store->CreateEmptyNoteFile(record)) {
            left += (left.empty() ? u"" : u", ") + PathText(path.filename());
            continue;
        }
        if (!m_store->SaveNoteDocument(record, document)) {
            (void)m_store->DeleteNoteFile(record);
            left += (left.empty() ? u"" : u", ") + PathText(path.filename());
            continue;
        }
        after = m_tree.InsertItem(parent, after, record);
        m_tree.RefreshItem(after, document);
        added.push_back(after);
        // Safe in the notes folder now: the recovery copy may go.
        (void)m_files.Remove(path);
    }
    if (!added.empty()) {
        DeselectAll();
        if (parent != kRootItem) m_tree.Expand(parent);
        for (const TreeItem item : added)
            m_tree.Select(item);
        m_tree.SetCaret(added.front());
        // The editor shows only these now: its caret is in one of them.
        m_tree.SetActive(added.front());
        m_manager->ShowItem(added.front());
        SaveTree();
    }
    if (!left.empty())
        m_prompts.ShowMessageBox(u"These recovered notes could not be brought back and stay in " +
                                     PathText(folder) + u": " + left,
                                 MessageIcon::Warning, kMessageCaption);
    return added.size();
}

void CNoteSession::NoteBecameCurrent(NoteEditEngine::CNoteDocument* document) {
    if (!m_manager) return;
    if (document != nullptr) {
        const TreeItem item = m_manager->FindItem(document);
        if (item != TreeItem::None) m_tree.SetActive(item);
    }
    m_policy->OnCaretMoved();
}

void CNoteSession::OnSaveTimer() {
    if (!m_policy) return;
    if (!m_askingAboutFolder && !FolderIsThere()) AskAboutGoneFolder();
    if (!m_policy) return;
    if (m_askingAboutFolder || !FolderIsThere()) {
        // Put off, not dropped: the user decides where the notes go.
        m_timer.Start(CSavePolicy::kChangeSaveDelayMs);
        return;
    }
    m_policy->OnSaveTimer();
}

std::filesystem::path CNoteSession::NotePath(TreeItem item) const {
    return m_store->NoteFilePath(m_tree.Record(item));
}

std::filesystem::path CNoteSession::WatchedFolder() const {
    std::filesystem::path folder = m_store->Folder().lexically_normal();
    if (!folder.has_filename()) folder = folder.parent_path();  // a trailing separator
    return folder;
}

void CNoteSession::WatchFolder(bool on) {
    if (m_watch == nullptr || !m_store) return;
    const std::filesystem::path folder = WatchedFolder();
    for (const std::filesystem::path& path : {folder, folder.parent_path()}) {
        if (on) {
            m_watch->Watch(path);
        } else {
            m_watch->Unwatch(path);
        }
    }
}

bool CNoteSession::FolderIsThere() {
    // "." resolves only inside a folder: a file put in the folder's place counts as gone, a
    // folder that cannot be examined as there.
    return m_files.Exists(m_store->Folder() / ".");
}

void CNoteSession::CheckWritable() {
    const std::filesystem::path probe = m_store->Folder() / kWriteProbeName;
    (void)m_files.TakeError();
    // Every start passes here: a flushed write would wait for the disk to learn nothing more. A
    // probe a crash left behind goes first.
    if (m_files.Remove(probe) && m_files.CreateEmptyFile(probe)) {
        (void)m_files.Remove(probe);
        return;
    }
    m_prompts.ShowMessageBox(FolderText(m_store->Folder()) + u" cannot be written: " +
                                 ReasonText(m_files.TakeError()) +
                                 u".\nChanges will not be saved until it can be written, or "
                                 u"another notes folder is set (Note > Set Notes Folder).",
                             MessageIcon::Warning, kMessageCaption);
}

void CNoteSession::OnDiskChanged(const std::filesystem::path& changed) {
    if (!m_policy || m_askingAboutFolder || m_readingTree) return;
    if (!FolderIsThere()) {
        AskAboutGoneFolder();
        return;
    }
    m_goneFolderTold = false;
    // The parent holds other programs' files (a home or a temporary folder is busy): their
    // changes are no reason to read every shown note again.
    if (!changed.empty() && changed == WatchedFolder().parent_path()) return;
    m_manager->ReloadChangedNotes();
    // Their index first, so that a note it names is not adopted as an orphan of ours; then the
    // notes and sync tools' conflict files that arrived on their own. Nothing is written when
    // nothing changed: our own write is an event too.
    if (m_policy->IndexChangedOnDisk()) SaveTree();
    const size_t merged = m_policy->MergeIndexConflicts();
    if (merged + m_store->AdoptOrphanNotes(m_tree) > 0 || m_manager->TakeTreeChanged()) SaveTree();
}

void CNoteSession::OnActivated() {
    if (!m_askingAboutFolder) m_goneFolderTold = false;
    OnDiskChanged();
}

void CNoteSession::AskAboutGoneFolder() {
    if (m_goneFolderTold) return;
    m_goneFolderTold = true;
    m_askingAboutFolder = true;
    const bool create = m_prompts.AskYesNo(
        FolderText(m_store->Folder()) +
            u" is gone: another program removed or moved it.\nThe notes shown and those not "
            u"saved yet are still held here.\n\nCreate the folder again and write the notes to "
            u"it? No chooses another notes folder.",
        kMessageCaption);
    // The program may have ended while the question was open.
    if (m_policy && create) {
        RecreateFolder();
    } else if (m_policy) {
        if (const std::u16string other = ChooseOtherNotesFolder(); !other.empty())
            (void)SwitchNotesFolder(other);
    }
    m_askingAboutFolder = false;
}

void CNoteSession::RecreateFolder() {
    (void)m_files.TakeError();
    if (!m_files.CreateFolders(m_store->Folder())) {
        m_prompts.ShowMessageBox(FolderText(m_store->Folder()) + u" could not be created: " +
                                     ReasonText(m_files.TakeError()) + u".",
                                 MessageIcon::Warning, kMessageCaption);
        return;
    }
    // A folder without files: the tree and every note held are written as the timer writes
    // them, each missing file anew.
    m_policy->OnSaveTimer();
    WatchFolder(true);
    if (m_watch != nullptr)
        for (const TreeItem item : m_tree.Selection())
            m_watch->Watch(NotePath(item));
}

void CNoteSession::ShowNoteOf(TreeItem item) {
    m_manager->LoadItem(item, m_tree.PreviousSelected(item));
    if (NoteEditEngine::CNoteDocument* document = m_manager->FindDocument(item))
        m_tree.RefreshItem(item, *document);
}

void CNoteSession::OnSelectionChanged(TreeItem item, bool selected) {
    if (selected) {
        if (!m_manager) return;
        ShowNoteOf(item);
        if (m_watch != nullptr && m_manager->FindDocument(item) != nullptr)
            m_watch->Watch(NotePath(item));
    } else if (m_policy) {
        m_policy->OnItemDeselected(item);
        if (m_watch != nullptr) m_watch->Unwatch(NotePath(item));
    }
}

}  // namespace NoteTreeEngine
