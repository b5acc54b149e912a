// Loading and saving note files of 100 KB, 1 MB and 5 MB of realistic text. Load is what opening
// a note costs: read the file, decode UTF-8, parse and build the document. Save is what writing
// one costs: build the file text and replace the file atomically.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "base/Utf8.h"
#include "model/NoteDocument.h"
#include "model/NoteUndoHistory.h"
#include "storage/FileSystem.h"
#include "storage/NoteFile.h"
#include "storage/XmlPrimitives.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestNoteView.h"

using namespace NoteEditEngine;
using namespace NoteStorage;

namespace {

// Text of realistic shape until the note file reaches about `bytes`: paragraphs of 40 to 400
// characters, words of 2 to 9 letters with now and then an accented letter or punctuation, some
// headers, checklist items at indents and bold runs.
std::unique_ptr<CNoteDocument> MakeNote(size_t bytes) {
    auto doc = std::make_unique<CNoteDocument>();
    std::mt19937 rng(20240607);
    CSuspendRecording quietHistory(doc->UndoHistory());
    CNotificationsOff quiet;
    CNotePosition p = doc->Start();
    size_t fileBytes = 200;  // header and note tag
    uint32_t paragraphLeft = 40 + rng() % 361;
    while (fileBytes < bytes) {
        if (paragraphLeft == 0) {
            doc->InsertParagraphBreak(p);
            const uint32_t roll = rng() % 20;
            const uint32_t style = roll == 0  ? kHeader2
                                   : roll < 3 ? kUncheckedList
                                   : roll < 4 ? kCheckedList
                                              : kNormal;
            const int32_t indent = IsListStyle(style) ? static_cast<int32_t>(rng() % 3) : 0;
            doc->SetParagraphFormat(p, style, indent);
            fileBytes += 30;
            paragraphLeft = style == kHeader2 ? 20 + rng() % 30 : 40 + rng() % 361;
            continue;
        }
        const uint32_t word = 2 + rng() % 8;
        const bool bold = rng() % 16 == 0;
        p.SetTypingStyle(CharacterStyle(bold ? 1u : 0u));
        if (bold) fileBytes += 17;
        for (uint32_t i = 0; i < word && paragraphLeft > 0; ++i, --paragraphLeft) {
            const uint32_t roll = rng() % 100;
            const char16_t c = roll == 0   ? u'\u00e9'
                               : roll == 1 ? u'\u00fc'
                                           : static_cast<char16_t>(u'a' + rng() % 26);
            doc->InsertCharacter(p, c);
            fileBytes += c < 0x80 ? 1 : 2;
        }
        if (paragraphLeft > 0) {
            const uint32_t roll = rng() % 12;
            if (roll == 0 && paragraphLeft > 1) {
                doc->InsertCharacter(p, u',');
                --paragraphLeft;
                ++fileBytes;
            }
            p.SetTypingStyle(CharacterStyle{});
            doc->InsertCharacter(p, u' ');
            --paragraphLeft;
            ++fileBytes;
        }
    }
    return doc;
}

std::u16string FileText(CNoteDocument& doc) {
    std::u16string text;
    text.reserve(2 * size_t{doc.size()});
    WriteNoteFileText(doc, text);
    return text;
}

// Reads the note file the way the program does; a file that does not read back whole stops the
// benchmark.
std::unique_ptr<CNoteDocument> LoadOrSkip(benchmark::State& state,
                                          const std::filesystem::path& path, uint32_t elements) {
    auto doc = std::make_unique<CNoteDocument>();
    if (LoadNoteFile(FileSystem(), path, *doc) != NoteFileRead::Read)
        state.SkipWithError("cannot read the note file");
    if (doc->size() != elements) state.SkipWithError("the note read back differs");
    return doc;
}

void BM_LoadNote(benchmark::State& state) {
    const TestSupport::CTempFolder folder;
    const auto path = folder / "1717000000123456.xml";
    size_t fileBytes = 0;
    uint32_t elements = 0;
    {
        auto doc = MakeNote(static_cast<size_t>(state.range(0)));
        elements = doc->size();
        const std::u16string text = FileText(*doc);
        fileBytes = NoteBase::Utf16ToUtf8(text).size();
        if (!WriteUtf8File(path, text)) state.SkipWithError("cannot write the note file");
    }
    for (auto _ : state) {
        auto doc = LoadOrSkip(state, path, elements);
        benchmark::DoNotOptimize(doc.get());
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fileBytes));
    state.counters["file_bytes"] = static_cast<double>(fileBytes);
    state.counters["elements"] = elements;
}

void BM_SaveNote(benchmark::State& state) {
    const TestSupport::CTempFolder folder;
    const auto path = folder / "1717000000123456.xml";
    auto doc = MakeNote(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        // The buffer is reserved at twice the note's size, as the document manager does.
        std::u16string text;
        text.reserve(2 * size_t{doc->size()});
        WriteNoteFileText(*doc, text);
        if (!WriteUtf8File(path, text)) state.SkipWithError("cannot write the note file");
    }
    const size_t fileBytes = NoteBase::Utf16ToUtf8(FileText(*doc)).size();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fileBytes));
    state.counters["file_bytes"] = static_cast<double>(fileBytes);
}

// The parts of a load, to see where the time goes: decoding and parsing alone.
void BM_DecodeNote(benchmark::State& state) {
    auto doc = MakeNote(static_cast<size_t>(state.range(0)));
    const std::string bytes = NoteBase::Utf16ToUtf8(FileText(*doc));
    for (auto _ : state) {
        std::u16string text = NoteBase::Utf8ToUtf16(bytes);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

// Opening a note that is one paragraph of about `range(0)` bytes of words and showing it: read,
// parse, then lay it out in an editor. Neither the reader nor the line breaking may cost more than
// linear time in the paragraph's length.
void BM_OpenOneParagraphNote(benchmark::State& state) {
    const TestSupport::CTempFolder folder;
    const auto path = folder / "1717000000123456.xml";
    uint32_t elements = 0;
    {
        auto doc = std::make_unique<CNoteDocument>();
        std::mt19937 rng(11);
        std::u16string text;
        for (int64_t i = 0; i < state.range(0); ++i) {
            const bool space = i % 8 == 7;
            text.push_back(space ? u' ' : static_cast<char16_t>(u'a' + rng() % 26));
        }
        doc->AppendLoadedText(text, CharacterStyle{});
        elements = doc->size();
        if (!WriteUtf8File(path, FileText(*doc))) state.SkipWithError("cannot write the note file");
    }
    for (auto _ : state) {
        auto doc = LoadOrSkip(state, path, elements);
        NoteLayoutEngine::TestSupport::CTestNoteView view;
        view.recording = false;
        view.SetWidth(30 + 100 * 8, false);
        view.AddNote(doc.get(), nullptr);
        benchmark::DoNotOptimize(view.TreeHeight());
        state.PauseTiming();
        view.RemoveNote(doc.get());
        doc.reset();
        state.ResumeTiming();
    }
    state.counters["elements"] = elements;
}

constexpr int64_t k100KB = 100 * 1024;
constexpr int64_t k1MB = 1024 * 1024;
constexpr int64_t k5MB = 5 * 1024 * 1024;

BENCHMARK(BM_LoadNote)->Arg(k100KB)->Arg(k1MB)->Arg(k5MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveNote)->Arg(k100KB)->Arg(k1MB)->Arg(k5MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeNote)->Arg(k1MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenOneParagraphNote)->Arg(20 * k1MB)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
