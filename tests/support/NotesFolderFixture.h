#pragma once

#include <filesystem>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/Utf8.h"
#include "model/NoteDocument.h"
#include "session/DocumentManager.h"
#include "session/SaveTimer.h"
#include "session/ViewShownNotes.h"
#include "storage/NoteFile.h"
#include "storage/NotesFolderStore.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/FakeStatusLine.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/ModelTestSupport.h"
#include "tests/support/NoteTreeSupport.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestNoteView.h"

namespace TestSupport {

// The bytes of a note file holding `content` (model notation), as another program would write.
inline std::string NoteFileBytes(std::string_view content, int32_t modified = 0) {
    auto document = NoteEditEngine::TestSupport::MakeDocument(content);
    if (modified != 0) document->SetModified(modified);
    std::u16string text;
    NoteStorage::WriteNoteFileText(*document, text);
    return NoteBase::Utf16ToUtf8(text);
}

inline std::set<std::string> FileNames(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// A save timer on a clock the test moves.
struct CFakeTimer final : NoteTreeEngine::CSaveTimer {
    void Start(int32_t milliseconds) override {
        running = true;
        due = now + milliseconds;
    }
    void Stop() override { running = false; }
    bool running = false;
    int64_t now = 0;
    int64_t due = 0;
};

// A notes folder on disk with its tree pane, its store, a failing-on-demand file system, and the
// document manager showing notes in the test view; the recovery folder lies beside it.
struct CNotesFolderFixture {
    using TreeItem = NoteTreeEngine::TreeItem;

    CTempFolder folder;
    CTempFolder data;
    CFakePrompts prompts;
    NoteTreeEngine::CNoteTree pane;
    CFaultyFileSystem fs;
    NoteTreeEngine::CNotesFolderStore store{folder.Path(), prompts, fs};
    NoteLayoutEngine::TestSupport::CTestNoteView view;
    CFakeSettings settings{data / "Recovered"};
    CFakeStatusLine status;
    NoteTreeEngine::CViewShownNotes shown{view};
    NoteTreeEngine::CDocumentManager manager{pane, shown, store, prompts, settings, status};

    void WriteNote(const std::string& id, std::string_view content) {
        WriteBytes(folder / (id + ".xml"), NoteFileBytes(content));
    }
    // A note file and its root-level item, the record's modified time the file's.
    TreeItem AddNote(std::string_view content, int32_t modified = 1000) {
        NoteTreeEngine::CTreeItemRecord record;
        record.username = NoteBase::Utf8ToUtf16(content).substr(1);
        record.modified = modified;
        WriteBytes(store.NoteFilePath(record), NoteFileBytes(content, modified));
        return Add(pane, NoteTreeEngine::kRootItem, record);
    }
    std::filesystem::path PathOf(TreeItem item) { return store.NoteFilePath(pane.Record(item)); }
    // The note as the file holds it.
    std::string NoteIn(const std::filesystem::path& path) {
        NoteEditEngine::CNoteDocument document;
        if (NoteStorage::LoadNoteFile(fs, path, document) != NoteStorage::NoteFileRead::Read)
            return "(no note)";
        return NoteEditEngine::TestSupport::Dump(document);
    }
    std::string OnDisk(TreeItem item) { return NoteIn(PathOf(item)); }
    void Type(TreeItem item, std::u16string_view text) {
        NoteEditEngine::CNoteDocument* document = manager.FindDocument(item);
        if (document == nullptr) throw std::logic_error("typing into a note not shown");
        NoteEditEngine::CNotePosition end = document->End();
        document->InsertPlainText(end, text);
    }
    std::set<std::string> Files() const { return FileNames(folder.Path()); }
};

}  // namespace TestSupport
