#include "session/DocumentManager.h"

#include <algorithm>
#include <ctime>
#include <string>
#include <utility>

#include "base/Utf8.h"
#include "storage/ClipboardFormats.h"
#include "storage/NoteFile.h"
#include "storage/SyncConflicts.h"

namespace NoteTreeEngine {

namespace {

constexpr size_t kTitleLength = 50;

bool IsBlank(char16_t c) noexcept {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// The note as the tree names it.
std::u16string NameOf(const CTreeItemRecord& record, NoteEditEngine::CNoteDocument& document) {
    return record.username.empty() ? NoteTitle(document) : record.username;
}

}  // namespace

std::u16string NoteNotSavedText(std::u16string_view name, std::u16string_view reason) {
    return u"The note \"" + std::u16string(name) + u"\" could not be saved: " +
           std::u16string(reason) + u".";
}

std::u16string NoteTitle(NoteEditEngine::CNoteDocument& document) {
    // Only the start of the first line matters: one character past the cut tells whether the
    // line is longer, so a keystroke in a long note costs a few dozen elements, not the note.
    constexpr uint32_t kEnough = kTitleLength + 1;
    std::u16string text;
    NoteStorage::WritePlainText(
        text, document.Start(),
        document.size() > kEnough ? document.FromIndex(kEnough) : document.End());
    std::u16string_view line = text;
    line = line.substr(0, line.find(u"\r\n"));
    const bool longer = line.size() > kTitleLength;
    line = line.substr(0, kTitleLength);
    while (!line.empty() && IsBlank(line.front()))
        line.remove_prefix(1);
    while (!line.empty() && IsBlank(line.back()))
        line.remove_suffix(1);
    if (line.empty() && !longer) return u"unnamed";
    return std::u16string(line) + (longer ? u"..." : u"");
}

CDocumentManager::CDocumentManager(CTreePane& pane, CShownNotes& shown, CNotesFolderStore& store,
                                   CPrompts& prompts, CProfileSettings& settings,
                                   CStatusLine& status)
    : m_pane(pane),
      m_shown(shown),
      m_store(store),
      m_prompts(prompts),
      m_settings(settings),
      m_status(status) {}

CDocumentManager::~CDocumentManager() {
    for (auto& [id, entry] : m_entries) {
        entry.document->RemoveObserver(this);
        m_shown.HideNote(entry.document.get());
    }
}

bool CDocumentManager::IsRemovedOnDisk(const CTreeItemRecord& record) const {
    // Removed elsewhere while shown here: written back rather than lost.
    return !m_store.NoteFileExists(m_store.NoteFilePath(record));
}

bool CDocumentManager::TheirsReadable(const CTreeItemRecord& record) {
    if (!m_store.ChangedOnDisk(record)) return false;
    NoteEditEngine::CNoteDocument scratch;
    return NoteStorage::LoadNoteFile(m_store.Files(), m_store.NoteFilePath(record), scratch) ==
           NoteStorage::NoteFileRead::Read;
}

bool CDocumentManager::IsSpoiltOnDisk(const CTreeItemRecord& record) {
    if (IsRemovedOnDisk(record) || !m_store.ChangedOnDisk(record)) return false;
    NoteEditEngine::CNoteDocument scratch;
    return NoteStorage::LoadNoteFile(m_store.Files(), m_store.NoteFilePath(record), scratch) !=
           NoteStorage::NoteFileRead::Read;
}

bool CDocumentManager::IsChanged(const CEntry& entry) noexcept {
    // The flag catches an edit in the same second as the last save, which the time cannot.
    return entry.edited || entry.document->Modified() != entry.savedStamp;
}

void CDocumentManager::LoadItem(TreeItem item, TreeItem after) {
    CTreeItemRecord& record = m_pane.Record(item);
    if (const auto found = m_entries.find(record.id); found != m_entries.end()) {
        found->second.item = item;
        return;
    }
    CEntry entry;
    entry.item = item;
    // A note kept unsaved comes back with its changes, not as its older file.
    for (auto unsaved = m_unsaved.begin(); unsaved != m_unsaved.end(); ++unsaved) {
        if (unsaved->record.id != record.id) continue;
        entry.document = std::move(unsaved->document);
        entry.savedStamp = entry.document->Modified();
        entry.edited = true;
        entry.failed = true;
        m_unsaved.erase(unsaved);
        break;
    }
    if (!entry.document) {
        entry.document = m_store.LoadNoteDocument(record);
        if (!entry.document) {
            m_prompts.ShowMessageBox(kNoteNotOpenedMessage, MessageIcon::Warning, kMessageCaption);
            return;
        }
        entry.savedStamp = entry.document->Modified();
    }
    NoteEditEngine::CNoteDocument* document = entry.document.get();
    NoteEditEngine::CNoteDocument* afterDocument =
        after == TreeItem::None ? nullptr : FindDocument(after);
    m_byDocument[document] = record.id;
    m_entries.emplace(record.id, std::move(entry));
    document->AddObserver(this);
    m_shown.ShowNote(document, afterDocument);
}

void CDocumentManager::UnloadItem(TreeItem item) {
    const auto found = m_entries.find(m_pane.Record(item).id);
    if (found != m_entries.end()) UnloadEntry(found);
}

void CDocumentManager::UnloadEntry(std::map<std::u16string, CEntry>::iterator found) {
    CEntry& entry = found->second;
    m_shown.HideNote(entry.document.get());
    entry.document->RemoveObserver(this);
    m_byDocument.erase(entry.document.get());
    const CTreeItemRecord& record = m_pane.Record(entry.item);
    if (IsChanged(entry) || IsRemovedOnDisk(record)) {
        if (SaveEntry(record, entry, false) == SaveResult::Failed) {
            ReportFailedSave(record, entry);
            m_unsaved.push_back({record, std::move(entry.document), m_failure});
        }
    } else if (entry.keptIn ? !KeepOnlyCopy(entry, record)
                            : IsSpoiltOnDisk(record) &&
                                  !SaveConflictingCopy(entry.item, record, *entry.document)) {
        // Their file stays as it is; ours is kept for the next save, or a recovery file.
        m_unsaved.push_back({record, std::move(entry.document), std::u16string(kNotOursReason)});
    }
    m_entries.erase(found);
    ReportUnsaved();
}

CDocumentManager::SaveResult CDocumentManager::SaveEntry(const CTreeItemRecord& record,
                                                         CEntry& entry, bool takeTheirs) {
    NoteEditEngine::CNoteDocument& document = *entry.document;
    (void)m_store.Files().TakeError();  // this save's reason, not an older one's
    switch (m_store.SaveNote(record, document)) {
        case NoteSave::Saved:
            // Only now: a stamp set before the write would hide a failed save from every
            // later one.
            entry.savedStamp = document.Modified();
            entry.edited = false;
            entry.failed = false;
            entry.keptIn.reset();
            return SaveResult::Saved;
        case NoteSave::ChangedOnDisk:
            break;
        case NoteSave::Failed:
            m_failure = ReasonText(m_store.Files().TakeError());
            return SaveResult::Failed;
        case NoteSave::NotOurs:
            m_failure = kNotOursReason;
            return SaveResult::Failed;
    }
    // Both changed: ours becomes a note of its own, theirs stays under the identifier.
    CTreeItemRecord copy;
    if (!SaveConflictingCopy(entry.item, record, document, &copy)) {
        m_failure = ReasonText(m_store.Files().TakeError());
        return SaveResult::Failed;
    }
    std::unique_ptr<NoteEditEngine::CNoteDocument> theirs;
    if (takeTheirs) theirs = m_store.LoadNoteDocument(m_pane.Record(entry.item));
    if (theirs) {
        SwapDocument(entry, std::move(theirs));
    } else {
        // Theirs is no note we can show; ours is safe in the copy, while the copy lasts.
        entry.savedStamp = document.Modified();
        entry.edited = false;
        entry.keptIn = copy;
    }
    return SaveResult::Conflict;
}

bool CDocumentManager::KeepOnlyCopy(CEntry& entry, const CTreeItemRecord& record) {
    if (!entry.keptIn || !m_store.ChangedOnDisk(*entry.keptIn)) return true;
    CTreeItemRecord copy;
    if (!SaveConflictingCopy(entry.item, record, *entry.document, &copy)) return false;
    entry.keptIn = copy;
    return true;
}

bool CDocumentManager::SaveConflictingCopy(TreeItem item, const CTreeItemRecord& record,
                                           NoteEditEngine::CNoteDocument& document,
                                           CTreeItemRecord* saved) {
    CTreeItemRecord copy = record;
    NewNoteId(copy);
    copy.username = NoteTitle(document) + ConflictLabel(std::time(nullptr));
    copy.isfixed = true;
    copy.isselected = false;
    copy.isactive = false;
    if (!m_store.CreateEmptyNoteFile(copy)) return false;
    if (m_store.SaveNote(copy, document) != NoteSave::Saved) {
        m_store.DeleteNoteFile(copy);
        return false;
    }
    const bool placed = item != TreeItem::None && m_entries.contains(record.id);
    const TreeItem added = placed ? m_pane.InsertItem(m_pane.Parent(item), item, copy)
                                  : m_pane.InsertItem(kRootItem, kLastItem, copy);
    m_pane.UpdateItem(added);
    m_treeChanged = true;
    if (saved != nullptr) *saved = copy;
    return true;
}

void CDocumentManager::SwapDocument(CEntry& entry,
                                    std::unique_ptr<NoteEditEngine::CNoteDocument> fresh) {
    NoteEditEngine::CNoteDocument* old = entry.document.get();
    const std::u16string id = m_byDocument[old];
    fresh->AddObserver(this);
    // The same place in the editor, the caret at the same place in the note.
    m_shown.ReplaceNote(old, fresh.get());
    old->RemoveObserver(this);
    m_byDocument.erase(old);
    m_byDocument[fresh.get()] = id;
    entry.document = std::move(fresh);
    entry.savedStamp = entry.document->Modified();
    entry.edited = false;
    entry.failed = false;
    entry.keptIn.reset();
    m_pane.RefreshItem(entry.item, *entry.document);
}

bool CDocumentManager::SaveAll() {
    for (auto& [id, entry] : m_entries) {
        CTreeItemRecord& record = m_pane.Record(entry.item);
        if (IsChanged(entry) || IsRemovedOnDisk(record)) {
            if (SaveEntry(record, entry, true) == SaveResult::Failed)
                ReportFailedSave(record, entry);
        } else if (TheirsReadable(record) && KeepOnlyCopy(entry, record)) {
            if (auto theirs = m_store.LoadNoteDocument(record))
                SwapDocument(entry, std::move(theirs));
        }
    }
    for (auto unsaved = m_unsaved.begin(); unsaved != m_unsaved.end();) {
        (void)m_store.Files().TakeError();
        const NoteSave saved = m_store.SaveNote(unsaved->record, *unsaved->document);
        const bool kept =
            saved == NoteSave::Saved ||
            (saved == NoteSave::ChangedOnDisk &&
             SaveConflictingCopy(TreeItem::None, unsaved->record, *unsaved->document));
        if (!kept) {
            unsaved->reason = saved == NoteSave::NotOurs ? std::u16string(kNotOursReason)
                                                         : ReasonText(m_store.Files().TakeError());
        }
        unsaved = kept ? m_unsaved.erase(unsaved) : unsaved + 1;
    }
    ReportUnsaved();
    return UnsavedNoteNames().empty();
}

void CDocumentManager::ReportFailedSave(const CTreeItemRecord& record, CEntry& entry) {
    // Once: a timer save that keeps failing must not interrupt the user every time.
    if (entry.failed) return;
    entry.failed = true;
    m_prompts.ShowMessageBox(NoteNotSavedText(NameOf(record, *entry.document), m_failure) +
                                 std::u16string(kNoteKeptUnsavedMessage),
                             MessageIcon::Warning, kMessageCaption);
}

void CDocumentManager::ReloadChangedNotes() {
    for (auto& [id, entry] : m_entries) {
        CTreeItemRecord& record = m_pane.Record(entry.item);
        // A removed or spoilt file is dealt with by the next save.
        if (!TheirsReadable(record)) continue;
        if (!IsChanged(entry)) {
            if (!KeepOnlyCopy(entry, record)) continue;
            if (auto theirs = m_store.LoadNoteDocument(record))
                SwapDocument(entry, std::move(theirs));
            continue;
        }
        const SaveResult saved = SaveEntry(record, entry, true);
        if (saved == SaveResult::Failed) {
            ReportFailedSave(record, entry);
            continue;
        }
        if (saved != SaveResult::Conflict) continue;
        // The copy went right after the note.
        const std::vector<TreeItem> siblings = m_pane.Children(m_pane.Parent(entry.item));
        const auto note = std::find(siblings.begin(), siblings.end(), entry.item);
        if (note == siblings.end() || note + 1 == siblings.end()) continue;
        m_prompts.ShowMessageBox(
            u"The note \"" + m_pane.Record(entry.item).username +
                u"\" was changed by another program while it held changes not saved here.\nIt "
                u"now shows the other program's version; your changes are in the new note \"" +
                m_pane.Record(*(note + 1)).username + u"\".",
            MessageIcon::Warning, kMessageCaption);
    }
}

bool CDocumentManager::Close() {
    while (!m_entries.empty())
        UnloadEntry(m_entries.begin());
    SaveAll();
    m_recovered = 0;
    bool allKept = true;
    for (auto unsaved = m_unsaved.begin(); unsaved != m_unsaved.end();) {
        std::filesystem::path path;
        const std::u16string notSaved =
            NoteNotSavedText(NameOf(unsaved->record, *unsaved->document), unsaved->reason);
        if (WriteRecoveryFile(*unsaved, path)) {
            ++m_recovered;
            m_prompts.ShowMessageBox(
                notSaved + std::u16string(kNoteRecoveredMessage) + PathText(path),
                MessageIcon::Warning, kMessageCaption);
        } else if (!m_prompts.AskYesNo(notSaved + std::u16string(kNoteDiscardQuestion),
                                       kMessageCaption)) {
            allKept = false;
            ++unsaved;
            continue;
        }
        unsaved = m_unsaved.erase(unsaved);
    }
    ReportUnsaved();
    return allKept;
}

bool CDocumentManager::WriteRecoveryFile(const CUnsaved& unsaved, std::filesystem::path& path) {
    const std::filesystem::path folder = m_settings.RecoveryFolder();
    if (folder.empty()) return false;
    NoteStorage::CFileSystem& fs = m_store.Files();
    if (!fs.CreateFolders(folder)) return false;
    const std::string stem = NoteBase::Utf16ToUtf8(unsaved.record.id) + "-" +
                             std::to_string(static_cast<long long>(std::time(nullptr)));
    path = folder / (stem + ".xml");
    for (int serial = 2; fs.Exists(path) && serial < 1000; ++serial)
        path = folder / (stem + "-" + std::to_string(serial) + ".xml");
    if (fs.Exists(path)) return false;
    std::u16string text;
    NoteStorage::WriteNoteFileText(*unsaved.document, text);
    return NoteStorage::ReplaceFileContents(fs, path, NoteBase::Utf16ToUtf8(text));
}

std::vector<std::pair<std::u16string_view, const NoteEditEngine::CNoteDocument*>>
CDocumentManager::HeldNotes() const {
    std::vector<std::pair<std::u16string_view, const NoteEditEngine::CNoteDocument*>> notes;
    notes.reserve(m_entries.size() + m_unsaved.size());
    for (const auto& [id, entry] : m_entries)
        if (entry.document) notes.emplace_back(id, entry.document.get());
    for (const CUnsaved& unsaved : m_unsaved)
        notes.emplace_back(unsaved.record.id, unsaved.document.get());
    return notes;
}

std::vector<std::u16string> CDocumentManager::UnsavedNoteNames() const {
    std::vector<std::u16string> names;
    for (const auto& [id, entry] : m_entries) {
        if (entry.failed) names.push_back(m_pane.Record(entry.item).username);
    }
    for (const CUnsaved& unsaved : m_unsaved)
        names.push_back(unsaved.record.username);
    return names;
}

void CDocumentManager::ReportUnsaved() {
    std::u16string text;
    for (const std::u16string& name : UnsavedNoteNames()) {
        text += text.empty() ? std::u16string(kUnsavedStatusPrefix) : u", ";
        text += name;
    }
    m_status.ShowUnsavedNotes(text);
}

NoteEditEngine::CNoteDocument* CDocumentManager::FindDocument(TreeItem item) {
    return FindDocument(m_pane.Record(item));
}

NoteEditEngine::CNoteDocument* CDocumentManager::FindDocument(const CTreeItemRecord& record) {
    const auto found = m_entries.find(record.id);
    return found == m_entries.end() ? nullptr : found->second.document.get();
}

TreeItem CDocumentManager::FindItem(const NoteEditEngine::CNoteDocument* document) const {
    const auto id = m_byDocument.find(document);
    if (id == m_byDocument.end()) return TreeItem::None;
    return m_entries.at(id->second).item;
}

void CDocumentManager::ShowItem(TreeItem item) {
    m_shown.ScrollToNote(FindDocument(item));
}

void CDocumentManager::OnElementsRemoving(const NoteEditEngine::CNotePosition&, uint32_t) {}

void CDocumentManager::OnElementsChanged(const NoteEditEngine::CNotePosition& position, uint32_t) {
    const auto id = m_byDocument.find(position.Document());
    if (id == m_byDocument.end()) return;
    CEntry& entry = m_entries.at(id->second);
    entry.edited = true;
    m_edited = true;
    m_pane.RefreshItem(entry.item, *entry.document);
}

std::unique_ptr<NoteEditEngine::CNoteDocument> CDocumentManager::LoadNoteDocument(
    CTreeItemRecord& record) {
    return m_store.LoadNoteDocument(record);
}

bool CDocumentManager::CreateEmptyNoteFile(CTreeItemRecord& record) {
    return m_store.CreateEmptyNoteFile(record);
}

bool CDocumentManager::SaveNoteDocument(const CTreeItemRecord& record,
                                        NoteEditEngine::CNoteDocument& document) {
    return m_store.SaveNoteDocument(record, document);
}

}  // namespace NoteTreeEngine
