// The index view on real notes folders under the offscreen platform: showing a large tree, a
// Shift+click that shows a thousand notes in the editor, and a keystroke with them shown.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>

#include "editor/NoteScrollView.h"
#include "storage/NoteFile.h"
#include "storage/NotesFolderSettings.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/FakeStatusLine.h"
#include "tests/support/SessionPanes.h"
#include "tests/support/TempFolder.h"
#include "tree/IndexView.h"

namespace {

class CNoPicker final : public NoteTreeEngine::CFolderPicker {
public:
    std::u16string PickFolder(std::u16string_view, std::u16string_view) override { return {}; }
};

std::string Item(int id) {
    return "<item id=\"" + std::to_string(id) + "\" username=\"Note number " + std::to_string(id) +
           "\" isfixed=\"false\" isselected=\"false\" isactive=\"false\" isexpanded=\"true\" "
           "size=\"1000\" created=\"1700000000\" modified=\"1700000000\">\n";
}

// `count` items: groups of ten under each root item (1 + 9 children) when `nested`, else all at
// the root level; with `withNotes`, a note of about 1 KB for each.
void WriteFolder(const std::filesystem::path& folder, int count, bool nested, bool withNotes) {
    std::string index =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n"
        "<tree version=\"1.0\">\n";
    for (int i = 1; i <= count; ++i) {
        index += Item(i);
        if (!nested || i % 10 != 1) index += "</item>\n";
        if (nested && (i % 10 == 0 || i == count)) index += "</item>\n";
        if (withNotes) {
            const std::string text =
                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                "<note version=\"1.0\" created=\"1700000000\" "
                "modified=\"1700000000\"><paragraph>Note " +
                std::to_string(i) + " " + std::string(1000, 'w') + "</paragraph></note>\n";
            TestSupport::WriteBytes(folder / (std::to_string(i) + ".xml"), text);
        }
    }
    index += "</tree>\n";
    TestSupport::WriteBytes(folder / "index.xml", index);
}

// A window with the tree and the editor, on a notes folder.
struct Panes {
    TestSupport::CFakeSettings settings;
    CNoPicker picker;
    TestSupport::CFakeStatusLine status;
    QWidget window;
    TestSupport::CSessionPanes panes{window, settings, picker, status};
    CIndexView* view = panes.view;
    CNoteScrollView* editor = panes.editor;

    explicit Panes(const std::filesystem::path& folder) {
        auto* layout = new QHBoxLayout(&window);
        layout->addWidget(view);
        layout->addWidget(editor);
        window.resize(900, 700);
        window.show();
        QApplication::processEvents();
        NoteTreeEngine::SetNotesFolder(settings, folder.u16string());
    }
};

void BM_ShowTenThousandItems(benchmark::State& state) {
    TestSupport::CTempFolder folder;
    WriteFolder(folder.Path(), 10000, true, false);
    for (auto _ : state) {
        state.PauseTiming();
        auto panes = std::make_unique<Panes>(folder.Path());
        state.ResumeTiming();
        panes->view->LoadTree();
        panes->view->viewport()->repaint();
        state.PauseTiming();
        panes.reset();
        state.ResumeTiming();
    }
}

struct ThousandNotes {
    TestSupport::CTempFolder folder;
    std::unique_ptr<Panes> panes;
    ThousandNotes() {
        WriteFolder(folder.Path(), 1000, false, true);
        panes = std::make_unique<Panes>(folder.Path());
        panes->view->LoadTree();
    }
    void ClickFirst() {
        CIndexView& view = *panes->view;
        view.scrollToItem(view.topLevelItem(0));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier,
                          view.LabelRect(view.topLevelItem(0)).center());
        view.scrollToItem(view.topLevelItem(999));
        QApplication::processEvents();
    }
    void ShiftClickLast() {
        CIndexView& view = *panes->view;
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          view.LabelRect(view.topLevelItem(999)).center());
        panes->editor->viewport()->repaint();
    }
};

void BM_ShiftClickThousandNotes(benchmark::State& state) {
    ThousandNotes notes;
    for (auto _ : state) {
        state.PauseTiming();
        notes.ClickFirst();
        state.ResumeTiming();
        notes.ShiftClickLast();
    }
    state.counters["shown"] = double(notes.panes->editor->View().ShownNotes().size());
}

void BM_KeystrokeWithThousandNotesShown(benchmark::State& state) {
    ThousandNotes notes;
    notes.ClickFirst();
    notes.ShiftClickLast();
    CNoteScrollView& editor = *notes.panes->editor;
    editor.window()->activateWindow();
    editor.setFocus();
    NoteEditEngine::CNoteDocument* middle = editor.View().ShownNotes()[500];
    editor.View().SetCaret(middle->End(), false, true);
    QApplication::processEvents();
    for (auto _ : state) {
        QTest::keyClick(&editor, Qt::Key_X);
        QApplication::processEvents();
    }
    state.counters["shown"] = double(editor.View().ShownNotes().size());
}

}  // namespace

BENCHMARK(BM_ShowTenThousandItems)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ShiftClickThousandNotes)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_KeystrokeWithThousandNotesShown)->Unit(benchmark::kMicrosecond);
