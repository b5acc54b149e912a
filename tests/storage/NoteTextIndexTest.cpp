#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "base/Utf8.h"
#include "model/NoteDocument.h"
#include "model/NoteUndoHistory.h"
#include "storage/NoteSearchText.h"
#include "storage/NoteTextIndex.h"
#include "tests/support/LayoutTestSupport.h"
#include "tests/support/ModelTestSupport.h"

namespace NoteStorage {
namespace {

using NoteEditEngine::CNotePosition;

// The find dialog over one shown note is the reference: the first match from the note's start.
class NoteTextIndexTest : public NoteLayoutEngine::TestSupport::LayoutTest {
protected:
    // Offset of the first match by the find dialog, or -1.
    long long FindDialogOffset(std::u16string_view text, std::u16string_view pattern,
                               SearchOptions options) {
        std::u16string compact = u"\u00B6" + std::u16string(text);
        std::replace(compact.begin(), compact.end(), u'\n', u'\u00B6');
        auto doc = NoteEditEngine::TestSupport::MakeDocument(NoteBase::Utf16ToUtf8(compact));
        view.AddNote(doc.get(), nullptr);
        CNotePosition start;
        CNotePosition end;
        const bool found =
            view.Search(pattern, doc->Start(), options.matchCase, options.wholeWord, start, end);
        view.RemoveNote(doc.get());
        // The match's first element is the one after `start`: text offset start.Index().
        return found ? static_cast<long long>(start.Index()) : -1;
    }

    static std::map<std::u16string, long long> Offsets(const std::vector<SearchHit>& hits) {
        std::map<std::u16string, long long> out;
        for (const SearchHit& hit : hits) {
            EXPECT_TRUE(out.emplace(hit.noteId, static_cast<long long>(hit.offset)).second)
                << "two rows for one note";
        }
        return out;
    }
};

// Random notes of mixed case, letters whose lower case is another letter (U+0130, Greek sigma),
// a surrogate pair, word and non-word characters and paragraph marks, searched with random
// patterns under all four options; then notes are changed and removed and the search repeated.
TEST_F(NoteTextIndexTest, AgreesWithTheFindDialogOnRandomNotes) {
    std::mt19937 rng(77);
    // Half the texts keep to the first 256 code points, which the index stores as bytes.
    const std::u16string_view alphabets[] = {
        u"aAbBiI\u00e9\u00c9\u00ff' -.\n\n",
        u"aAbBiI\u0130\u0131\u03a3\u03c3\u03c2\u00e9\u00c9' -.\n\n"};
    const std::u16string pair = u"\U0001F600";
    auto randomText = [&](size_t maxLength) {
        const bool wide = rng() % 2 == 0;
        const std::u16string_view alphabet = alphabets[wide ? 1 : 0];
        std::u16string text;
        const size_t length = rng() % (maxLength + 1);
        while (text.size() < length) {
            if (wide && rng() % 12 == 0) {
                text += pair;
            } else {
                text.push_back(alphabet[rng() % alphabet.size()]);
            }
        }
        return text;
    };
    std::map<std::u16string, std::u16string> notes;
    CNoteTextIndex index;
    auto setNote = [&](const std::u16string& id, const std::u16string& text) {
        notes[id] = text;
        index.Set(id, text);
    };
    for (int i = 0; i < 24; ++i)
        setNote(u"n" + std::u16string(1, static_cast<char16_t>(u'A' + i)), randomText(60));

    size_t matched = 0;
    for (int phase = 0; phase < 3; ++phase) {
        ASSERT_EQ(index.Size(), notes.size());
        for (int q = 0; q < 24; ++q) {
            std::u16string pattern;
            if (q % 2 == 0) {
                // A piece of a note with its case flipped here and there: likely to match.
                auto it = notes.begin();
                std::advance(it, static_cast<long>(rng() % notes.size()));
                const std::u16string& text = it->second;
                if (text.empty()) continue;
                const size_t at = rng() % text.size();
                pattern = text.substr(at, 1 + rng() % 4);
                for (char16_t& c : pattern)
                    if (rng() % 3 == 0 && c < 0x80) c = static_cast<char16_t>(c ^ 0x20);
            } else {
                pattern = randomText(3);
            }
            if (pattern.empty() || pattern.find(u'\n') != std::u16string::npos) continue;
            for (const SearchOptions options :
                 {SearchOptions{false, false}, SearchOptions{true, false},
                  SearchOptions{false, true}, SearchOptions{true, true}}) {
                std::map<std::u16string, long long> expected;
                for (const auto& [id, text] : notes) {
                    const long long offset = FindDialogOffset(text, pattern, options);
                    if (offset >= 0) expected.emplace(id, offset);
                }
                const std::vector<SearchHit> hits = index.Search(pattern, options);
                ASSERT_EQ(Offsets(hits), expected)
                    << "pattern of " << pattern.size() << " units, case " << options.matchCase
                    << ", word " << options.wholeWord;
                matched += hits.size();
                for (const SearchHit& hit : hits) {
                    const std::u16string& text = notes[hit.noteId];
                    EXPECT_EQ(hit.length, pattern.size());
                    EXPECT_EQ(hit.line.substr(hit.lineOffset, hit.length),
                              text.substr(hit.offset, hit.length));
                    EXPECT_EQ(hit.line.find(u'\n'), std::u16string::npos);
                }
            }
        }
        // Edits: some notes change, some go, some come.
        for (int e = 0; e < 10; ++e) {
            auto it = notes.begin();
            std::advance(it, static_cast<long>(rng() % notes.size()));
            if (e % 3 == 0) {
                index.Remove(it->first);
                EXPECT_FALSE(index.Contains(it->first));
                notes.erase(it);
            } else {
                setNote(it->first, randomText(60));
            }
        }
        setNote(u"new" + std::u16string(1, static_cast<char16_t>(u'0' + phase)), randomText(60));
    }
    EXPECT_GT(matched, 200u);
}

}  // namespace
}  // namespace NoteStorage
