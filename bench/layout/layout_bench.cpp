// Layout and view costs with the test view's fixed metrics: full layout of large notes, one
// keystroke in the middle of them, and applying Strong to everything followed by undo.
#include <benchmark/benchmark.h>

#include <clocale>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "layout/NoteView.h"
#include "model/NoteDocument.h"
#include "model/NoteUndoHistory.h"
#include "tests/support/TestNoteView.h"

namespace {

using NoteEditEngine::CharacterStyle;
using NoteEditEngine::CNoteDocument;
using NoteEditEngine::CNotePosition;
using NoteEditEngine::ParagraphFormat;
using NoteLayoutEngine::TestSupport::CTestNoteView;

constexpr int32_t kViewWidth = 30 + 100 * 8;  // rows of about 100 characters

// Appends as the note reader does when it loads a file.
void Append(CNoteDocument& note, char16_t c, CharacterStyle style = {}) {
    note.AppendLoadedText({&c, 1}, style);
}

// Paragraphs of 40 to 400 characters of words, with a header every so often, checklist items and
// bold runs; about `bytes` characters in all.
std::unique_ptr<CNoteDocument> MakeRealisticNote(int64_t bytes) {
    auto note = std::make_unique<CNoteDocument>();
    std::mt19937 random(20261206);
    auto pick = [&](int lo, int hi) { return lo + static_cast<int>(random() % (hi - lo + 1)); };
    int64_t written = 0;
    bool first = true;
    while (written < bytes) {
        ParagraphFormat format;
        const int kind = pick(0, 19);
        int length = pick(40, 400);
        if (kind == 0) {
            format.SetStyle(NoteEditEngine::kHeader2);
            length = pick(10, 40);
        } else if (kind <= 3) {
            format.SetStyle(kind == 1 ? NoteEditEngine::kCheckedList
                                      : NoteEditEngine::kUncheckedList);
            format.SetIndent(pick(0, 1));
            length = pick(20, 120);
        }
        if (first) {
            note->SetLoadedFormat(note->Start(), format);
            first = false;
        } else {
            note->AppendLoadedMark(CharacterStyle{}, format);
        }
        ++written;
        int inWord = 0;
        bool bold = false;
        for (int i = 0; i < length; ++i) {
            char16_t c;
            if (inWord == 0) {
                inWord = pick(2, 10);
                if (pick(0, 30) == 0) bold = !bold;
                c = i == 0 ? static_cast<char16_t>(u'A' + pick(0, 25)) : u' ';
                if (i > 0) {
                    Append(*note, c);
                    ++written;
                    continue;
                }
            } else {
                c = static_cast<char16_t>(u'a' + pick(0, 25));
                --inWord;
            }
            Append(*note, c, CharacterStyle(bold ? 1u : 0u));
            ++written;
        }
    }
    return note;
}

// One note of each size, made once.
CNoteDocument& Note(int64_t bytes) {
    static std::map<int64_t, std::unique_ptr<CNoteDocument>> notes;
    auto& note = notes[bytes];
    if (!note) note = MakeRealisticNote(bytes);
    return *note;
}

void UseLocale() {
    std::setlocale(LC_ALL, "C.UTF-8");
}

void BM_FullLayout(benchmark::State& state) {
    UseLocale();
    CNoteDocument& note = Note(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto view = std::make_unique<CTestNoteView>();
        view->recording = false;
        view->SetWidth(kViewWidth, false);
        state.ResumeTiming();
        view->AddNote(&note, nullptr);
        benchmark::DoNotOptimize(view->TreeHeight());
        state.PauseTiming();
        view.reset();
        state.ResumeTiming();
    }
    state.SetLabel(std::to_string(note.size()) + " elements");
}
BENCHMARK(BM_FullLayout)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Arg(5'000'000)
    ->Unit(benchmark::kMillisecond);

// Relayout of every row for a new width, reusing the glyphs.
void BM_RelayoutForWidth(benchmark::State& state) {
    UseLocale();
    CNoteDocument& note = Note(state.range(0));
    CTestNoteView view;
    view.recording = false;
    view.SetWidth(kViewWidth, false);
    view.AddNote(&note, nullptr);
    bool narrow = false;
    for (auto _ : state) {
        narrow = !narrow;
        view.SetWidth(narrow ? kViewWidth - 80 : kViewWidth, false);
    }
    view.RemoveNote(&note);
}
BENCHMARK(BM_RelayoutForWidth)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

// Types in the middle of `note`, shown in `view`: 32 characters in, 32 out, each a keystroke.
void TypeInTheMiddle(benchmark::State& state, CTestNoteView& view, CNoteDocument& note) {
    CNotePosition middle = note.FromIndex(note.size() / 2);
    while (middle.ElementIsParagraph())
        middle.StepRight();
    view.SetCaret(middle, false, true);
    int64_t k = 0;
    for (auto _ : state) {
        CNotePosition p = view.Active();
        if ((k++ / 32) % 2 == 0) {
            NoteEditEngine::CActionScope action(u"enter_text");
            note.InsertCharacter(p, u'x');
        } else {
            NoteEditEngine::CActionScope action(u"delete_key");
            note.Backspace(p);
        }
        view.SetCaret(p, false, true);
    }
}

// Typing in the middle of the note: insert, undo record, relayout, repaint of the changed rows and
// the caret. Every 32 characters typed are taken back by 32 Backspaces, so the paragraph stays
// as long as it was; both count as keystrokes.
void BM_Keystroke(benchmark::State& state) {
    UseLocale();
    CNoteDocument& note = Note(state.range(0));
    CTestNoteView view;
    view.recording = false;
    view.clientHeight = 800;
    view.SetWidth(kViewWidth, false);
    view.AddNote(&note, nullptr);
    TypeInTheMiddle(state, view, note);
    view.RemoveNote(&note);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Keystroke)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Arg(5'000'000)
    ->Unit(benchmark::kMicrosecond);

// The same typing in the middle of the 5 MB note with `range(0)` small notes shown around it
// (half above, half below): a keystroke must not cost a walk over the shown notes.
void BM_KeystrokeWithNotesShown(benchmark::State& state) {
    UseLocale();
    CNoteDocument& big = Note(5'000'000);
    const auto count = static_cast<size_t>(state.range(0));
    std::vector<std::unique_ptr<CNoteDocument>> small;
    for (size_t i = 0; i < count; ++i)
        small.push_back(MakeRealisticNote(200));
    CTestNoteView view;
    view.recording = false;
    view.clientHeight = 800;
    view.SetWidth(kViewWidth, false);
    CNoteDocument* last = nullptr;
    for (size_t i = 0; i <= count; ++i) {
        CNoteDocument* note = i == count / 2 ? &big : small[i < count / 2 ? i : i - 1].get();
        view.AddNote(note, last);
        last = note;
    }
    TypeInTheMiddle(state, view, big);
    for (const auto& note : small)
        view.RemoveNote(note.get());
    view.RemoveNote(&big);
    state.counters["shown"] = double(count + 1);
}
BENCHMARK(BM_KeystrokeWithNotesShown)->Arg(0)->Arg(300)->Arg(3'000)->Unit(benchmark::kMicrosecond);

// One paragraph of `length` characters of words, so that rows break at spaces.
std::unique_ptr<CNoteDocument> MakeOneParagraph(int64_t length) {
    auto note = std::make_unique<CNoteDocument>();
    std::mt19937 random(7);
    for (int64_t i = 0; i < length; ++i) {
        const bool space = i % 8 == 7;
        Append(*note, space ? u' ' : static_cast<char16_t>(u'a' + random() % 26));
    }
    return note;
}

// Typing at the end of one long paragraph: finding the caret's paragraph must not cost a walk
// over it. Type 32 characters, then take them back with 32 Backspaces.
void BM_KeystrokeAtParagraphEnd(benchmark::State& state) {
    UseLocale();
    auto note = MakeOneParagraph(state.range(0));
    CTestNoteView view;
    view.recording = false;
    view.clientHeight = 800;
    view.SetWidth(kViewWidth, false);
    view.AddNote(note.get(), nullptr);
    view.SetCaret(note->End(), false, true);
    int64_t k = 0;
    for (auto _ : state) {
        CNotePosition p = view.Active();
        if ((k++ / 32) % 2 == 0) {
            NoteEditEngine::CActionScope action(u"enter_text");
            note->InsertCharacter(p, u'x');
        } else {
            NoteEditEngine::CActionScope action(u"delete_key");
            note->Backspace(p);
        }
        view.SetCaret(p, false, true);
    }
    view.RemoveNote(note.get());
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_KeystrokeAtParagraphEnd)->Arg(100)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

// Select all, Strong on every element with one summary notification, as the style command does.
void ApplyStrongToAll(CTestNoteView& view, CNoteDocument& note) {
    view.SelectAll();
    {
        NoteEditEngine::CActionScope action(u"style_change");
        {
            NoteEditEngine::CNotificationsOff quiet;
            CNotePosition p = note.Start();
            while (!p.IsAtEnd()) {
                p.StepRight();
                CharacterStyle style = p.StyleAt();
                style.Set(CharacterStyle::kStrong);
                note.SetCharacterStyle(p, style);
            }
        }
        note.NotifyChanged(note.Start(), note.size() - 1);
        view.SetSelection(view.Anchor(), view.Active(), false);
    }
    NoteEditEngine::StartNewUndoGroup();
}

void BM_StrongOnAll(benchmark::State& state) {
    UseLocale();
    CNoteDocument& note = Note(state.range(0));
    CTestNoteView view;
    view.recording = false;
    view.SetWidth(kViewWidth, false);
    view.AddNote(&note, nullptr);
    for (auto _ : state) {
        ApplyStrongToAll(view, note);
        state.PauseTiming();
        view.Undo();
        NoteEditEngine::StartNewUndoGroup();
        state.ResumeTiming();
    }
    view.RemoveNote(&note);
}
BENCHMARK(BM_StrongOnAll)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Arg(5'000'000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

void BM_UndoStrongOnAll(benchmark::State& state) {
    UseLocale();
    CNoteDocument& note = Note(state.range(0));
    CTestNoteView view;
    view.recording = false;
    view.SetWidth(kViewWidth, false);
    view.AddNote(&note, nullptr);
    for (auto _ : state) {
        state.PauseTiming();
        ApplyStrongToAll(view, note);
        state.ResumeTiming();
        view.Undo();
        NoteEditEngine::StartNewUndoGroup();
    }
    view.RemoveNote(&note);
}
BENCHMARK(BM_UndoStrongOnAll)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Arg(5'000'000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
