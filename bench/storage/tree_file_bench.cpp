// Reading and writing an index file of 10,000 items through the file handler and the in-memory
// tree pane: as text (parse and build only) and as a file (with UTF-8 conversion and the atomic,
// synced replacement).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "base/Utf8.h"
#include "storage/FileHandler.h"
#include "storage/XmlPrimitives.h"
#include "tests/support/FakeNoteStore.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/NoteTreeSupport.h"
#include "tests/support/TempFolder.h"

namespace {

using NoteTreeEngine::CFileHandler;
using NoteTreeEngine::CNoteTree;
using NoteTreeEngine::CTreeItemRecord;
using NoteTreeEngine::kRootItem;
using NoteTreeEngine::TreeItem;
using TestSupport::Add;
using TestSupport::CFakeNoteStore;
using TestSupport::CFakePrompts;

constexpr int kItems = 10000;

// 1,000 top-level notes of 10 items each: the top note, eight children, and one grandchild
// under the last child. Names and times of ordinary length.
void BuildTree(CNoteTree& pane) {
    TreeItem top = TreeItem::None;
    TreeItem child = TreeItem::None;
    for (int i = 0; i < kItems; ++i) {
        CTreeItemRecord record;
        record.username = u"Meeting notes & follow-ups #";
        NoteStorage::AppendDecimal(i, record.username);
        record.isfixed = i % 7 == 0;
        record.size = i * 13 % 5000;
        record.created = 1700000000 + i;
        record.modified = 1700100000 + i;
        switch (i % 10) {
            case 0:
                top = Add(pane, kRootItem, record);
                if (i % 20 == 0) pane.Expand(top);
                break;
            case 9:
                Add(pane, child, record);
                break;
            default:
                child = Add(pane, top, record);
                break;
        }
    }
}

std::u16string IndexText() {
    CFakePrompts prompts;
    CNoteTree pane;
    CFakeNoteStore store;
    BuildTree(pane);
    std::u16string text;
    CFileHandler(pane, store, prompts, pane.Children(kRootItem)).WriteTreeText(false, text);
    return text;
}

void BM_ReadIndexText(benchmark::State& state) {
    const std::u16string text = IndexText();
    for (auto _ : state) {
        CFakePrompts prompts;
        CNoteTree pane;
        CFakeNoteStore store;
        CFileHandler(pane, store, prompts).ReadTreeText(false, text);
        benchmark::DoNotOptimize(pane.Size());
    }
    state.SetItemsProcessed(state.iterations() * kItems);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size() * 2));
}
BENCHMARK(BM_ReadIndexText)->Unit(benchmark::kMillisecond);

void BM_WriteIndexText(benchmark::State& state) {
    CFakePrompts prompts;
    CNoteTree pane;
    CFakeNoteStore store;
    BuildTree(pane);
    size_t size = 0;
    for (auto _ : state) {
        std::u16string text;
        CFileHandler(pane, store, prompts, pane.Children(kRootItem)).WriteTreeText(false, text);
        size = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetItemsProcessed(state.iterations() * kItems);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size * 2));
}
BENCHMARK(BM_WriteIndexText)->Unit(benchmark::kMillisecond);

void BM_ReadIndexFile(benchmark::State& state) {
    const TestSupport::CTempFolder folder;
    const std::u16string text = IndexText();
    NoteStorage::WriteUtf8File(folder / "index.xml", text);
    for (auto _ : state) {
        CFakePrompts prompts;
        CNoteTree pane;
        CFakeNoteStore store;
        if (!NoteTreeEngine::LoadIndexFile(NoteStorage::FileSystem(), pane, store, prompts,
                                           folder / "index.xml")) {
            state.SkipWithError("index file not read");
        }
        benchmark::DoNotOptimize(pane.Size());
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}
BENCHMARK(BM_ReadIndexFile)->Unit(benchmark::kMillisecond);

void BM_WriteIndexFile(benchmark::State& state) {
    const TestSupport::CTempFolder folder;
    CFakePrompts prompts;
    CNoteTree pane;
    CFakeNoteStore store;
    BuildTree(pane);
    for (auto _ : state) {
        if (!NoteTreeEngine::SaveIndexFile(NoteStorage::FileSystem(), pane, store, prompts,
                                           folder / "index.xml")) {
            state.SkipWithError("index file not written");
        }
    }
    state.SetItemsProcessed(state.iterations() * kItems);
}
BENCHMARK(BM_WriteIndexFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
