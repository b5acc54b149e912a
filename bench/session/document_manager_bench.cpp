// The notes folder at scale: loading a tree of 10,000 items with the orphan scan over 10,000 note
// files, SaveAll over 1,000 loaded notes of which one changed, and selecting 1,000 notes of 1 KB
// (read, shown in the note view, laid out).

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "base/Utf8.h"
#include "session/DocumentManager.h"
#include "session/SavePolicy.h"
#include "session/ViewShownNotes.h"
#include "storage/NoteFile.h"
#include "storage/NotesFolderStore.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/FakeStatusLine.h"
#include "tests/support/FaultyFileSystem.h"
#include "tests/support/NoteTreeSupport.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestNoteView.h"

namespace {

using NoteTreeEngine::TreeItem;

class CNoTimer final : public NoteTreeEngine::CSaveTimer {
public:
    void Start(int32_t) override {}
    void Stop() override {}
};

// A notes folder of `notes` note files of about `bytes` bytes each and an index naming them all.
void WriteFolder(const std::filesystem::path& folder, int notes, size_t bytes) {
    NoteEditEngine::CNoteDocument document;
    NoteEditEngine::CNotePosition end = document.End();
    std::u16string line(bytes / 20, u'w');
    for (size_t i = 0; i + 1 < 20; ++i)
        line += i % 2 == 0 ? u" words and more " : u"\n";
    document.InsertPlainText(end, line.substr(0, bytes));
    std::u16string text;
    NoteStorage::WriteNoteFileText(document, text);
    const std::string note = NoteBase::Utf16ToUtf8(text);
    std::string index = "<?xml version=\"1.0\"?>\n<tree version=\"1.0\">\n";
    for (int i = 0; i < notes; ++i) {
        const std::string id = std::to_string(1700000000000000LL + i);
        TestSupport::WriteBytes(folder / (id + ".xml"), note);
        index += "<item id=\"" + id + "\" username=\"Note " + std::to_string(i) +
                 "\" size=\"100\" created=\"1700000000\" modified=\"1700000000\"></item>\n";
    }
    TestSupport::WriteBytes(folder / "index.xml", index + "</tree>");
}

// Everything the session owns for one notes folder.
struct CSession {
    explicit CSession(const std::filesystem::path& folder, NoteStorage::CFileSystem& fs)
        : store(folder, prompts, fs) {}
    TestSupport::CFakePrompts prompts;
    NoteTreeEngine::CNoteTree pane;
    NoteTreeEngine::CNotesFolderStore store;
    NoteLayoutEngine::TestSupport::CTestNoteView view;
    TestSupport::CFakeSettings settings;
    TestSupport::CFakeStatusLine status;
    NoteTreeEngine::CViewShownNotes shown{view};
    NoteTreeEngine::CDocumentManager manager{pane, shown, store, prompts, settings, status};
    CNoTimer timer;
    NoteTreeEngine::CSavePolicy policy{pane, manager, store, prompts, timer};
};

void BM_LoadTreeOf10000WithOrphanScan(benchmark::State& state) {
    const TestSupport::CTempFolder folder;
    WriteFolder(folder.Path(), 10000, 100);
    for (auto _ : state) {
        state.PauseTiming();
        auto session = std::make_unique<CSession>(folder.Path(), NoteStorage::FileSystem());
        state.ResumeTiming();
        if (!session->policy.LoadTree() || session->pane.Size() != 10000) {
            state.SkipWithError("the tree did not load whole");
        }
        state.PauseTiming();  // tearing the pane down is not part of loading
        session.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadTreeOf10000WithOrphanScan)->Unit(benchmark::kMillisecond);

void BM_SaveAllWith1000LoadedOneChanged(benchmark::State& state) {
    const TestSupport::CTempFolder folder;
    WriteFolder(folder.Path(), 1000, 1000);
    TestSupport::CFaultyFileSystem fs;
    CSession session(folder.Path(), fs);
    session.policy.LoadTree();
    const std::vector<TreeItem> items = session.pane.ItemsInOrder();
    for (TreeItem item : items)
        session.manager.LoadItem(item, TreeItem::None);
    size_t next = 0;
    for (auto _ : state) {
        state.PauseTiming();
        NoteEditEngine::CNoteDocument* document =
            session.manager.FindDocument(items[next++ % items.size()]);
        NoteEditEngine::CNotePosition end = document->End();
        document->InsertPlainText(end, u"x");
        const int before = fs.replaced;
        state.ResumeTiming();
        session.manager.SaveAll();
        if (fs.replaced != before + 1) state.SkipWithError("not exactly one file written");
    }
}
BENCHMARK(BM_SaveAllWith1000LoadedOneChanged)->Unit(benchmark::kMillisecond);

void BM_Select1000NotesOf1KB(benchmark::State& state) {
    const TestSupport::CTempFolder folder;
    WriteFolder(folder.Path(), 1000, 1000);
    for (auto _ : state) {
        state.PauseTiming();
        auto session = std::make_unique<CSession>(folder.Path(), NoteStorage::FileSystem());
        session->policy.LoadTree();
        session->view.SetWidth(800, false);
        const std::vector<TreeItem> items = session->pane.ItemsInOrder();
        state.ResumeTiming();
        TreeItem after = TreeItem::None;
        for (TreeItem item : items) {
            session->manager.LoadItem(item, after);
            after = item;
        }
        state.PauseTiming();
        if (session->view.ShownNotes().size() != items.size()) state.SkipWithError("not all shown");
        session.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Select1000NotesOf1KB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
