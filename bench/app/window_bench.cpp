// The whole window as a user meets it (the frame with its tree, session and editor, started on a
// notes folder of a 1 MB and a 5 MB note with one of them selected) against a QTextEdit holding
// the same text and of the editor's size, in the same run. Every step ends with the posted events,
// among them the paint the window gets for the step (large edits add a full repaint), so the work
// a display would do is counted. The time
// shown is ours; "qtextedit_ms" is Qt's and "qtextedit/ours" how far ahead we are (above 1: ahead).
#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QTest>
#include <QTextEdit>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/JotwellApp.h"
#include "app/MainFrame.h"
#include "base/CommandIds.h"
#include "bench/app/LargeNotes.h"
#include "editor/NoteScrollView.h"
#include "model/NoteDocument.h"
#include "tests/support/FakeFolderPicker.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/TempFolder.h"
#include "tree/SearchPane.h"

namespace {

using NoteEditEngine::CNoteDocument;

void Paint(QAbstractScrollArea& area) {
    area.viewport()->repaint();
    QApplication::processEvents();
}

// The window's shortcuts work only while it is the active one.
void FocusIn(QWidget& window, QWidget& widget) {
    window.activateWindow();
    widget.setFocus();
    QApplication::processEvents();
}

// The program's window on a folder, the large note shown with the caret in its middle.
struct Ours {
    TestSupport::CFakeSettings settings;
    TestSupport::CFakePicker picker;
    std::unique_ptr<CJotwellApp> app;
    CNoteDocument* note = nullptr;

    explicit Ours(const std::filesystem::path& folder) {
        static int instances = 0;
        settings.notesFolder = folder.u16string();
        CJotwellApp::COptions options;
        options.instanceKey = QStringLiteral("jotwell-window-bench-%1-%2")
                                  .arg(QCoreApplication::applicationPid())
                                  .arg(++instances);
        options.picker = &picker;
        options.integrateDesktop = [] {};
        app = std::make_unique<CJotwellApp>(settings, options);
        if (app->Start({QStringLiteral("jotwell")}) != CJotwellApp::Result::Running) return;
        Frame().resize(1200, 800);
        Focus();
        for (CNoteDocument* shown : Editor().View().ShownNotes())
            if (note == nullptr || shown->size() > note->size()) note = shown;
        if (note != nullptr)
            Editor().View().SetCaret(note->FromIndex(note->size() / 2), false, true);
        // The rest of the note is laid out in slices after the first paint, as Qt's is: finished
        // here, so that the steps measure typing and not what follows the opening.
        while (Editor().View().HasPendingLayout())
            Editor().OnLayoutTimer();
        Paint(Editor());
        // The search reads the folder's notes once the editor was first painted: finished here
        // too, as it is a moment after the window shows.
        NoteTreeEngine::CNoteSearchIndex& search = Frame().SearchPane().Search().Index();
        const QDeadlineTimer deadline(60000);
        while (!search.IsIdle() && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    CMainFrame& Frame() { return *app->Frame(); }
    CNoteScrollView& Editor() { return Frame().Editor(); }
    void Focus() { FocusIn(Frame(), Editor()); }
};

struct Theirs {
    QTextEdit edit;
    Theirs(const std::string& text, QSize size) {
        edit.resize(size);
        edit.show();
        edit.setPlainText(QString::fromStdString(text));
        // Qt lays a large text out in slices on a timer: finished here, or the slices would run
        // in the event processing of our steps and be counted as ours.
        (void)edit.document()->documentLayout()->documentSize();
        QTextCursor cursor = edit.textCursor();
        cursor.setPosition(edit.document()->characterCount() / 2);
        edit.setTextCursor(cursor);
        Focus();
        Paint(edit);
    }
    void Focus() { FocusIn(edit, edit); }
};

struct Window {
    TestSupport::CTempFolder folder;
    std::string text;
    std::unique_ptr<Ours> ours;
    std::unique_ptr<Theirs> theirs;
    explicit Window(const benchmark::State& state) {
        text = LargeNotes::WriteFolder(folder.Path(), int(state.range(0)),
                                       state.range(1) > 0 ? int(state.range(1)) : 0);
        ours = std::make_unique<Ours>(folder.Path());
        theirs = std::make_unique<Theirs>(text, ours->Editor().size());
    }
};

double Seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs ours for the benchmark's iterations, then Qt's as many times, each side in its own
// focused window: switching windows between steps would add the repaint of a whole window.
void Compare(benchmark::State& state, Window& window, const std::function<void()>& ours,
             const std::function<void()>& theirs) {
    double oursTotal = 0;
    window.ours->Focus();
    for (auto _ : state) {
        const double seconds = Seconds(ours);
        oursTotal += seconds;
        state.SetIterationTime(seconds);
    }
    double theirsTotal = 0;
    window.theirs->Focus();
    for (int64_t i = 0; i < int64_t(state.iterations()); ++i)
        theirsTotal += Seconds(theirs);
    const double iterations = double(state.iterations());
    state.counters["qtextedit_ms"] = iterations > 0 ? 1000 * theirsTotal / iterations : 0;
    state.counters["qtextedit/ours"] = oursTotal > 0 ? theirsTotal / oursTotal : 0;
}

bool Ready(benchmark::State& state, const Window& window) {
    if (window.ours->note != nullptr) return true;
    state.SkipWithError("the window did not show the note");
    return false;
}

// Each key ends with the paint the window gets for it (the changed row), as a display asks for
// it; the forced full repaint of every step is the Repaint row.
void Keystroke(benchmark::State& state) {
    Window window(state);
    if (!Ready(state, window)) return;
    Ours& ours = *window.ours;
    QTextEdit& edit = window.theirs->edit;
    const auto before = ours.note->size();
    Compare(
        state, window,
        [&] {
            QTest::keyClick(&ours.Editor(), Qt::Key_X);
            QApplication::processEvents();
        },
        [&] {
            if (getenv("SKIP_THEIRS")) return;
            QTest::keyClick(&edit, Qt::Key_X);
            QApplication::processEvents();
        });
    if (ours.note->size() != before + uint32_t(state.iterations()))
        state.SkipWithError("the keys did not reach the note");
}

// A full repaint of the window's editor, as after a change of window or text size.
void Repaint(benchmark::State& state) {
    Window window(state);
    if (!Ready(state, window)) return;
    Compare(
        state, window, [&] { Paint(window.ours->Editor()); }, [&] { Paint(window.theirs->edit); });
}

void PageScroll(benchmark::State& state) {
    Window window(state);
    if (!Ready(state, window)) return;
    CNoteScrollView& editor = window.ours->Editor();
    QTextEdit& edit = window.theirs->edit;
    const int top = editor.ScrollTop();
    // Each key ends with the one paint the window gets for it (the rows scrolled into view), as
    // a user paging through meets it; a forced full repaint on top would draw every row twice.
    Compare(
        state, window,
        [&] {
            QTest::keyClick(&editor, Qt::Key_PageDown);
            QApplication::processEvents();
        },
        [&] {
            QTest::keyClick(&edit, Qt::Key_PageDown);
            QApplication::processEvents();
        });
    if (editor.ScrollTop() <= top) state.SkipWithError("the editor did not scroll");
}

// 5 MB of plain text pasted in the middle of the note through the clipboard command, then undone.
void PasteUndo(benchmark::State& state) {
    Window window(state);
    if (!Ready(state, window)) return;
    Ours& ours = *window.ours;
    QTextEdit& edit = window.theirs->edit;
    QApplication::clipboard()->setText(
        QString::fromStdString(LargeNotes::PlainText(LargeNotes::MakeParagraphs(5000000, 9))));
    const auto before = ours.note->size();
    bool pasted = true;
    Compare(
        state, window,
        [&] {
            ours.Frame().RouteCommand(CommandIds::kPaste);
            Paint(ours.Editor());
            pasted = pasted && ours.note->size() > before + 4000000;
            ours.Frame().RouteCommand(CommandIds::kUndo);
            Paint(ours.Editor());
        },
        [&] {
            edit.paste();
            Paint(edit);
            edit.undo();
            Paint(edit);
        });
    if (!pasted || ours.note->size() != before) state.SkipWithError("paste or undo went amiss");
}

void SelectAllStrongUndo(benchmark::State& state) {
    Window window(state);
    if (!Ready(state, window)) return;
    CNoteScrollView& editor = window.ours->Editor();
    QTextEdit& edit = window.theirs->edit;
    // The note was not edited yet: Undo is enabled only while Strong is applied.
    bool strong = !editor.QueryCommandState(CommandIds::kUndo).enabled;
    Compare(
        state, window,
        [&] {
            QTest::keyClick(&editor, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(&editor, Qt::Key_B, Qt::ControlModifier);
            Paint(editor);
            strong = strong && editor.QueryCommandState(CommandIds::kUndo).enabled;
            QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
            Paint(editor);
        },
        [&] {
            QTest::keyClick(&edit, Qt::Key_A, Qt::ControlModifier);
            edit.setFontWeight(QFont::Bold);
            Paint(edit);
            QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
            Paint(edit);
        });
    if (!strong || editor.QueryCommandState(CommandIds::kUndo).enabled)
        state.SkipWithError("Strong was not applied and undone");
}

// Arguments: the selected note's megabytes, further 1 KB notes shown before it.
BENCHMARK(Keystroke)
    ->Args({1, 0})
    ->Args({5, 0})
    ->Args({5, 3000})
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(getenv("ITERS") ? atoi(getenv("ITERS")) : 100);
BENCHMARK(Repaint)
    ->Args({5, 0})
    ->Args({5, 3000})
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(100);
BENCHMARK(PageScroll)
    ->Args({1, 0})
    ->Args({5, 0})
    ->Unit(benchmark::kMicrosecond)
    ->UseManualTime()
    ->Iterations(40);
BENCHMARK(PasteUndo)
    ->Args({1, 0})
    ->Args({5, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(2);
BENCHMARK(SelectAllStrongUndo)
    ->Args({1, 0})
    ->Args({5, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

}  // namespace
