// The editor pane against Qt's QTextEdit holding the same text, in the same run, under the
// offscreen platform: a keystroke in the middle (key event, edit, relayout, repaint of the rows
// that changed; also with spelling checked), a page scroll, opening the note (layout included) and
// select all + Strong + undo. Run with QT_QPA_PLATFORM=offscreen; the ratios are printed as
// counters ("ours/qt" in the Qt rows compare with the row of the same operation above).
#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>
#include <map>
#include <memory>
#include <string>

#include "base/CommandIds.h"
#include "editor/NoteScrollView.h"
#include "model/NoteDocument.h"
#include "model/NoteUndoHistory.h"
#include "ui/HunspellChecker.h"

namespace {

std::u16string MakeText(size_t bytes) {
    static const char16_t* const kWords[] = {u"note",      u"organiser", u"tree",  u"caret", u"a",
                                             u"selection", u"paragraph", u"style", u"undo",  u"of"};
    std::u16string text;
    size_t word = 0;
    while (text.size() < bytes) {
        for (int i = 0; i < 12; ++i) {
            text += kWords[(word * 7 + 3) % 10];
            text += u' ';
            ++word;
        }
        text += u'\n';
    }
    return text;
}

std::unique_ptr<NoteEditEngine::CNoteDocument> MakeNote(const std::u16string& text) {
    auto note = std::make_unique<NoteEditEngine::CNoteDocument>();
    NoteEditEngine::CSuspendRecording quiet(note->UndoHistory());
    NoteEditEngine::CNotePosition p = note->Start();
    note->InsertPlainText(p, text);
    return note;
}

struct Ours {
    std::unique_ptr<NoteEditEngine::CNoteDocument> note;
    CNoteScrollView view;
    explicit Ours(const std::u16string& text) : note(MakeNote(text)) {
        view.resize(800, 600);
        view.show();
        QFocusEvent focus(QEvent::FocusIn, Qt::OtherFocusReason);
        QApplication::sendEvent(&view, &focus);
        view.View().AddNote(note.get(), nullptr);
        QApplication::processEvents();
    }
    ~Ours() { view.View().RemoveNote(note.get()); }
};

struct Theirs {
    QTextEdit edit;
    explicit Theirs(const std::u16string& text) {
        edit.resize(800, 600);
        edit.show();
        edit.setPlainText(QString::fromStdU16String(text));
        QApplication::processEvents();
    }
};

const std::u16string& Text(int64_t megabytes) {
    static std::map<int64_t, std::u16string> texts;
    auto& text = texts[megabytes];
    if (text.empty()) text = MakeText(size_t(megabytes) * 1000 * 1000);
    return text;
}

void PutCaretInTheMiddle(Ours& ours) {
    ours.view.View().SetCaret(ours.note->FromIndex(ours.note->size() / 2), false, true);
    QApplication::processEvents();
}

void BM_OursKeystroke(benchmark::State& state) {
    Ours ours(Text(state.range(0)));
    PutCaretInTheMiddle(ours);
    for (auto _ : state) {
        QTest::keyClick(&ours.view, Qt::Key_X);
        QApplication::processEvents();
    }
}

// The same keystroke with spelling checked in the installed American English dictionary: the
// rows on screen are checked when they are first painted, then a keystroke costs the verdicts of
// the words of its row, kept from before, and the dictionary's answer for the word being typed.
void BM_OursKeystrokeSpelling(benchmark::State& state) {
    Ours ours(Text(state.range(0)));
    ours.view.Spelling().UseDictionaries({QStringLiteral("en_US")}, &CHunspellChecker::Open, {});
    ours.view.Spelling().SetOn(true);
    if (ours.view.View().Marks().Checker() == nullptr) {
        state.SkipWithError("no en_US dictionary (hunspell-en-us) is installed");
        return;
    }
    PutCaretInTheMiddle(ours);
    for (auto _ : state) {
        QTest::keyClick(&ours.view, Qt::Key_X);
        QApplication::processEvents();
    }
}

void BM_QtKeystroke(benchmark::State& state) {
    Theirs theirs(Text(state.range(0)));
    QTextCursor cursor = theirs.edit.textCursor();
    cursor.setPosition(theirs.edit.document()->characterCount() / 2);
    theirs.edit.setTextCursor(cursor);
    QApplication::processEvents();
    for (auto _ : state) {
        QTest::keyClick(&theirs.edit, Qt::Key_X);
        QApplication::processEvents();
    }
}

void BM_OursPageScroll(benchmark::State& state) {
    Ours ours(Text(state.range(0)));
    PutCaretInTheMiddle(ours);
    bool down = true;
    for (auto _ : state) {
        QTest::keyClick(&ours.view, down ? Qt::Key_PageDown : Qt::Key_PageUp);
        QApplication::processEvents();
        down = !down;
    }
}

void BM_QtPageScroll(benchmark::State& state) {
    Theirs theirs(Text(state.range(0)));
    QTextCursor cursor = theirs.edit.textCursor();
    cursor.setPosition(theirs.edit.document()->characterCount() / 2);
    theirs.edit.setTextCursor(cursor);
    bool down = true;
    for (auto _ : state) {
        QTest::keyClick(&theirs.edit, down ? Qt::Key_PageDown : Qt::Key_PageUp);
        QApplication::processEvents();
        down = !down;
    }
}

void BM_OursOpen(benchmark::State& state) {
    auto note = MakeNote(Text(state.range(0)));
    CNoteScrollView view;
    view.resize(800, 600);
    view.show();
    QApplication::processEvents();
    for (auto _ : state) {
        view.View().AddNote(note.get(), nullptr);
        QApplication::processEvents();
        state.PauseTiming();
        view.View().RemoveNote(note.get());
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_QtOpen(benchmark::State& state) {
    const QString text = QString::fromStdU16String(Text(state.range(0)));
    QTextEdit edit;
    edit.resize(800, 600);
    edit.show();
    for (auto _ : state) {
        edit.setPlainText(text);
        benchmark::DoNotOptimize(edit.document()->documentLayout()->documentSize());
        QApplication::processEvents();
        state.PauseTiming();
        edit.clear();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_OursSelectAllStrongUndo(benchmark::State& state) {
    Ours ours(Text(state.range(0)));
    for (auto _ : state) {
        ours.view.OnCommand(CommandIds::kSelectAll);
        ours.view.OnCommand(CommandIds::kStrong);
        ours.view.OnCommand(CommandIds::kUndo);
        QApplication::processEvents();
    }
}

void BM_QtSelectAllStrongUndo(benchmark::State& state) {
    Theirs theirs(Text(state.range(0)));
    for (auto _ : state) {
        theirs.edit.selectAll();
        theirs.edit.setFontWeight(QFont::Bold);
        theirs.edit.undo();
        QApplication::processEvents();
    }
}

BENCHMARK(BM_OursKeystroke)->Arg(1)->Arg(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OursKeystrokeSpelling)->Arg(1)->Arg(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QtKeystroke)->Arg(1)->Arg(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OursPageScroll)->Arg(1)->Arg(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QtPageScroll)->Arg(1)->Arg(5)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OursOpen)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_QtOpen)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OursSelectAllStrongUndo)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_QtSelectAllStrongUndo)->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
