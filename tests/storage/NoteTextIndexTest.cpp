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

using NoteEditEngine::CNoteDocument;
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

TEST_F(NoteTextIndexTest, PatternsThatMatchNothing) {
    CNoteTextIndex index;
    index.Set(u"1", u"a\nb\rc");
    index.Set(u"2", u"");
    for (const std::u16string_view pattern : {u"", u"a\nb", u"\n", u"\r", u"b\r"}) {
        EXPECT_TRUE(index.Search(pattern, {}).empty());
    }
    EXPECT_EQ(index.Search(u"A", {}).size(), 1u);
    index.Clear();
    EXPECT_EQ(index.Size(), 0u);
    EXPECT_TRUE(index.Search(u"a", {}).empty());
}

// Long paragraphs are cut around the match; short ones come whole.
TEST_F(NoteTextIndexTest, TheLineIsTheParagraphCutAroundTheMatch) {
    const std::u16string dots(300, u'.');
    const std::u16string head = u"head\n";
    struct Case {
        const char* name;
        std::u16string text;
        std::u16string pattern;
        std::u16string line;
        bool cutBefore;
        bool cutAfter;
    };
    const Case cases[] = {
        {"short paragraph", head + u"a match here\ntail", u"match", u"a match here", false, false},
        {"at the start", u"match" + dots, u"match", u"match" + dots.substr(0, 115), false, true},
        {"in the middle", dots + u"match" + dots, u"match",
         dots.substr(0, 40) + u"match" + dots.substr(0, 75), true, true},
        {"near the end", head + dots + u"match..", u"match", dots.substr(0, 113) + u"match..", true,
         false},
        {"longer than a line", u"xx" + dots + u"yy", u"x" + dots + u"y", u"xx" + dots + u"y", false,
         true},
        // Neither end of the line splits a surrogate pair.
        {"a pair at the front cut",
         dots.substr(0, 10) + u"\U0001F600" + dots.substr(0, 39) + u"match" + dots, u"match",
         dots.substr(0, 39) + u"match" + dots.substr(0, 75), true, true},
        {"a pair at the back cut", u"match" + dots.substr(0, 114) + u"\U0001F600" + dots, u"match",
         u"match" + dots.substr(0, 114) + u"\U0001F600", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CNoteTextIndex index;
        index.Set(u"id", c.text);
        const std::vector<SearchHit> hits = index.Search(c.pattern, {true, false});
        ASSERT_EQ(hits.size(), 1u);
        const SearchHit& hit = hits[0];
        EXPECT_EQ(hit.line, c.line);
        EXPECT_EQ(hit.line.substr(hit.lineOffset, hit.length), c.pattern);
        EXPECT_EQ(hit.cutBefore, c.cutBefore);
        EXPECT_EQ(hit.cutAfter, c.cutAfter);
    }
}

}  // namespace
}  // namespace NoteStorage
