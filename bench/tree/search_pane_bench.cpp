// The search over all notes on a folder of 10,000 notes, 50 MB of text, under the offscreen
// platform: a keystroke in the editor while the index is built and drained on the same thread,
// and the first build from the tree's load to the last text in the index.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "editor/NoteScrollView.h"
#include "storage/NotesFolderSettings.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/FakeStatusLine.h"
#include "tests/support/SessionPanes.h"
#include "tests/support/TempFolder.h"
#include "tree/IndexView.h"
#include "tree/NoteSearch.h"

namespace {

constexpr int kNotes = 10000;
constexpr size_t kNoteBytes = 5000;

class CNoPicker final : public NoteTreeEngine::CFolderPicker {
public:
    std::u16string PickFolder(std::u16string_view, std::u16string_view) override { return {}; }
};

// Notes of about kNoteBytes of words in paragraphs, all at the root level of the index.
void WriteFolder(const std::filesystem::path& folder) {
    static const char* const kWords[] = {"garden", "Tomato", "invoice", "meeting", "naïve",
                                         "Straße", "kettle", "river",   "ORBIT",   "lantern",
                                         "pencil", "σοφία",  "harbor",  "quiet",   "window"};
    std::mt19937 random(42);
    std::string index =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n<tree version=\"1.0\">\n";
    for (int i = 1; i <= kNotes; ++i) {
        const std::string id = std::to_string(1000000 + i);
        index += "<item id=\"" + id + "\" username=\"Note " + id +
                 "\" isfixed=\"false\" isselected=\"false\" isactive=\"false\" "
                 "isexpanded=\"false\" size=\"5000\" created=\"1700000000\" "
                 "modified=\"1700000000\"></item>\n";
        std::string note =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<note version=\"1.0\" "
            "created=\"1700000000\" modified=\"1700000000\"><paragraph>";
        size_t text = 0;
        while (text < kNoteBytes) {
            const std::string word = kWords[random() % std::size(kWords)];
            note += word;
            text += word.size() + 1;
            note += random() % 12 == 0 ? "</paragraph><paragraph>" : " ";
        }
        note += "</paragraph></note>\n";
        TestSupport::WriteBytes(folder / (id + ".xml"), note);
    }
    TestSupport::WriteBytes(folder / "index.xml", index + "</tree>\n");
}

struct Folder {
    TestSupport::CTempFolder folder;
    Folder() { WriteFolder(folder.Path()); }
};

Folder& SharedFolder() {
    static Folder folder;
    return folder;
}

// The tree, the editor and the search on the folder, the first note shown.
struct Panes {
    TestSupport::CFakeSettings settings;
    CNoPicker picker;
    TestSupport::CFakeStatusLine status;
    QWidget window;
    TestSupport::CSessionPanes panes{window, settings, picker, status};
    CIndexView* view = panes.view;
    CNoteScrollView* editor = panes.editor;
    std::unique_ptr<CNoteSearch> driver;
    NoteTreeEngine::CNoteSearchIndex* search = &panes.session.Search();

    Panes() {
        auto* layout = new QHBoxLayout(&window);
        layout->addWidget(view);
        layout->addWidget(editor);
        driver = std::make_unique<CNoteSearch>(*search);
        window.resize(900, 700);
        window.show();
        QApplication::processEvents();
        NoteTreeEngine::SetNotesFolder(settings, SharedFolder().folder.Path().u16string());
    }
    ~Panes() { driver.reset(); }
};

// Arg 1: while the first build runs (restarted whenever it ends); arg 0: the index idle, for
// comparison. Timed: the key event, the edit, the layout and the paint of what changed.
void BM_Keystroke(benchmark::State& state) {
    const bool indexing = state.range(0) != 0;
    Panes panes;
    panes.view->LoadTree();
    if (!indexing) {
        while (panes.search->IsBuilding())
            QApplication::processEvents();
    }
    CNoteScrollView& editor = *panes.editor;
    panes.view->SelectOnly(panes.view->topLevelItem(0), SelectCause::Mouse);
    editor.window()->activateWindow();
    editor.setFocus();
    editor.View().SetCaret(editor.View().ShownNotes().front()->End(), false, true);
    QApplication::processEvents();
    int rebuilds = 0;
    for (auto _ : state) {
        if (indexing && !panes.search->IsBuilding()) {
            panes.search->Rebuild();
            ++rebuilds;
        }
        const auto start = std::chrono::steady_clock::now();
        QTest::keyClick(&editor, Qt::Key_X);
        // The paint the keystroke asked for, and nothing else that waits.
        QCoreApplication::sendPostedEvents(editor.window(), QEvent::UpdateRequest);
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        // The drain slices run between keystrokes, as in the program.
        QApplication::processEvents();
    }
    state.counters["longest_slice_ms"] =
        double(panes.search->LongestSliceNanoseconds()) / 1'000'000.0;
    state.counters["builds_started"] = rebuilds;
    state.counters["indexed_at_end"] = double(panes.search->IndexedCount());
}

void BM_FirstBuild(benchmark::State& state) {
    Panes panes;
    panes.view->LoadTree();
    for (auto _ : state) {
        state.PauseTiming();
        // Not timed: the reading the load started.
        while (panes.search->IsBuilding())
            QApplication::processEvents();
        state.ResumeTiming();
        panes.search->Rebuild();
        while (panes.search->IsBuilding())
            QApplication::processEvents();
    }
    state.counters["indexed"] = double(panes.search->IndexedCount());
    state.counters["longest_slice_ms"] =
        double(panes.search->LongestSliceNanoseconds()) / 1'000'000.0;
}

}  // namespace

BENCHMARK(BM_Keystroke)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FirstBuild)->Unit(benchmark::kMillisecond)->Iterations(3);
