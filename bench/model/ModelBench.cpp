// Costs of the note text model at the middle of large documents: editing, index look-ups,
// undo and redo of a large deletion, a style over everything and its undo, and memory per
// character.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "model/NoteDocument.h"
#include "model/NoteUndoHistory.h"

using namespace NoteEditEngine;

namespace {

// Text of realistic shape: paragraphs of 40 to 400 characters, words of 2 to 9 letters, now and
// then a header, a checklist item or a bold run.
std::unique_ptr<CNoteDocument> MakeDocument(uint32_t elements) {
    auto doc = std::make_unique<CNoteDocument>();
    std::mt19937 rng(12345);
    CSuspendRecording quietHistory(doc->UndoHistory());
    CNotificationsOff quiet;
    CNotePosition p = doc->Start();
    uint32_t paragraphLeft = 40 + rng() % 361;
    while (doc->size() < elements) {
        if (paragraphLeft == 0) {
            doc->InsertParagraphBreak(p);
            const uint32_t roll = rng() % 20;
            doc->SetParagraphFormat(p,
                                    roll == 0  ? kHeader2
                                    : roll < 3 ? kUncheckedList
                                               : kNormal,
                                    0);
            paragraphLeft = 40 + rng() % 361;
            continue;
        }
        const uint32_t word = 2 + rng() % 8;
        CharacterStyle style(rng() % 16 == 0 ? 1u : 0u);
        p.SetTypingStyle(style);
        for (uint32_t i = 0; i < word && paragraphLeft > 0; ++i, --paragraphLeft) {
            doc->InsertCharacter(p, static_cast<char16_t>(u'a' + rng() % 26));
        }
        if (paragraphLeft > 0) {
            doc->InsertCharacter(p, u' ');
            --paragraphLeft;
        }
    }
    return doc;
}

constexpr int kBatch = 1024;

void BM_InsertCharacter(benchmark::State& state) {
    auto doc = MakeDocument(static_cast<uint32_t>(state.range(0)));
    CActionScope action(u"enter_text");
    CNotePosition p = doc->FromIndex(doc->size() / 2);
    int typed = 0;
    for (auto _ : state) {
        doc->InsertCharacter(p, u'x');
        if (++typed == kBatch) {
            // Take the typed run away again so the document keeps its size.
            state.PauseTiming();
            doc->UndoHistory().Undo();
            StartNewUndoGroup();
            p = doc->FromIndex(doc->size() / 2);
            typed = 0;
            state.ResumeTiming();
        }
    }
}

void BM_EraseCharacter(benchmark::State& state) {
    auto doc = MakeDocument(static_cast<uint32_t>(state.range(0)));
    CActionScope action(u"delete_key");
    CNotePosition p = doc->FromIndex(doc->size() / 2);
    int erased = 0;
    for (auto _ : state) {
        doc->DeleteForward(p);
        if (++erased == kBatch) {
            state.PauseTiming();
            doc->UndoHistory().Undo();
            StartNewUndoGroup();
            p = doc->FromIndex(doc->size() / 2);
            erased = 0;
            state.ResumeTiming();
        }
    }
}

// Places at the middle of the document: a neighbourhood of 256 elements around it, the way the
// view asks for positions near the caret.
std::vector<uint32_t> MiddlePlaces(uint32_t n) {
    std::vector<uint32_t> places;
    for (uint32_t i = 0; i < 256; ++i)
        places.push_back(n / 2 - 128 + (i * 97) % 256);
    return places;
}

// Places spread over the whole middle half: every look-up walks a cold path, so at 1 million
// elements this measures cache misses more than the tree.
std::vector<uint32_t> ScatteredPlaces(uint32_t n) {
    std::vector<uint32_t> places;
    std::mt19937 rng(7);
    for (int i = 0; i < 256; ++i)
        places.push_back(n / 4 + rng() % (n / 2));
    return places;
}

template <std::vector<uint32_t> (*Places)(uint32_t)>
void BM_Index(benchmark::State& state) {
    auto doc = MakeDocument(static_cast<uint32_t>(state.range(0)));
    std::vector<ElementIterator> nodes;
    for (uint32_t index : Places(doc->size()))
        nodes.push_back(doc->select(index));
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(doc->index(nodes[i++ & 255]));
    }
}

template <std::vector<uint32_t> (*Places)(uint32_t)>
void BM_PositionFromIndex(benchmark::State& state) {
    auto doc = MakeDocument(static_cast<uint32_t>(state.range(0)));
    const std::vector<uint32_t> indices = Places(doc->size());
    size_t i = 0;
    for (auto _ : state) {
        CNotePosition p = doc->FromIndex(indices[i++ & 255]);
        benchmark::DoNotOptimize(p);
    }
}

constexpr uint32_t kRange = 100000;

void BM_UndoDeleteRange100k(benchmark::State& state) {
    auto doc = MakeDocument(3 * kRange);
    CActionScope action(u"delete_selection");
    CNotePosition p = doc->FromIndex(kRange);
    doc->DeleteRange(p, kRange);
    for (auto _ : state) {
        doc->UndoHistory().Undo();
        state.PauseTiming();
        doc->UndoHistory().Redo();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRange);
}

void BM_RedoDeleteRange100k(benchmark::State& state) {
    auto doc = MakeDocument(3 * kRange);
    CActionScope action(u"delete_selection");
    CNotePosition p = doc->FromIndex(kRange);
    doc->DeleteRange(p, kRange);
    for (auto _ : state) {
        state.PauseTiming();
        doc->UndoHistory().Undo();
        state.ResumeTiming();
        doc->UndoHistory().Redo();
    }
    state.SetItemsProcessed(state.iterations() * kRange);
}

// The recorded deletion itself: clones the range, then unlinks it.
void BM_DeleteRange100k(benchmark::State& state) {
    auto doc = MakeDocument(3 * kRange);
    CActionScope action(u"delete_selection");
    for (auto _ : state) {
        CNotePosition p = doc->FromIndex(kRange);
        doc->DeleteRange(p, kRange);
        state.PauseTiming();
        doc->UndoHistory().Undo();
        StartNewUndoGroup();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRange);
}

// Select all + Strong + undo on the document alone, as the style command drives it: one range
// restyled in place and recorded as the old styles' runs, then undone. 1 MB and 5 MB of text.
void BM_StrongOnAllAndUndo(benchmark::State& state) {
    auto doc = MakeDocument(static_cast<uint32_t>(state.range(0)));
    CharacterStyle strong;
    strong.Set(CharacterStyle::kStrong);
    for (auto _ : state) {
        {
            CActionScope action(u"style_change");
            doc->SetCharacterStyles(doc->Start(), doc->size(), strong, strong);
        }
        StartNewUndoGroup();
        doc->UndoHistory().Undo();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

size_t HeapInUse() {
#if defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#else
    return 0;
#endif
}

// Heap bytes per element (units, pieces and directory), for documents of 1 and 5 million.
void BM_MemoryPerCharacter(benchmark::State& state) {
    const auto elements = static_cast<uint32_t>(state.range(0));
    double perElement = 0;
    for (auto _ : state) {
        const size_t before = HeapInUse();
        auto doc = MakeDocument(elements);
        const size_t after = HeapInUse();
        perElement = static_cast<double>(after - before) / doc->size();
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.counters["bytes_per_element"] = perElement;
}

}  // namespace

// First, before other benchmarks leave freed memory behind.
BENCHMARK(BM_MemoryPerCharacter)
    ->Arg(1000000)
    ->Arg(5000000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InsertCharacter)->Arg(10000)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_EraseCharacter)->Arg(10000)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_Index<MiddlePlaces>)->Arg(10000)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_PositionFromIndex<MiddlePlaces>)->Arg(10000)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_Index<ScatteredPlaces>)->Arg(10000)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_PositionFromIndex<ScatteredPlaces>)->Arg(10000)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_DeleteRange100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UndoDeleteRange100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedoDeleteRange100k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrongOnAllAndUndo)->Arg(1000000)->Arg(5000000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
