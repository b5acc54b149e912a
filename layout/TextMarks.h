#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/Sightings.h"
#include "base/WordFinder.h"
#include "layout/SpellChecker.h"
#include "layout/Surface.h"
#include "model/NotePosition.h"

namespace NoteLayoutEngine {

// A marked piece of a row: elements [begin, end) counted from the row's first element.
struct RowMark {
    int32_t begin = 0;
    int32_t end = 0;
    TextMark mark = TextMark::kNone;
    std::u16string target;  // a link's address
    friend bool operator==(const RowMark&, const RowMark&) = default;
};

// A link or a misspelt word around a place: its first place, its length in elements, its text
// and, for a link, its address.
struct MarkedSpan {
    TextMark mark = TextMark::kNone;
    NoteEditEngine::CNotePosition start;
    int32_t length = 0;
    std::u16string text;
    std::u16string target;
};

// What a view marks in the text it draws: the web and mail addresses always, and the misspelt
// words while it has a spell checker. Words are found in the whole stretch of text around a
// row, so a word or an address broken over rows is judged whole. The checker's verdicts are kept
// per word, and the marks per stretch of text read once it is drawn a second time, so a row
// redrawn unchanged costs reading its text and one lookup, not a search for words and addresses.
class CTextMarks {
public:
    CTextMarks() = default;
    CTextMarks(const CTextMarks&) = delete;
    CTextMarks& operator=(const CTextMarks&) = delete;

    // Checks spelling with `checker` (borrowed; null: no word is marked) and forgets earlier
    // verdicts.
    void SetChecker(ISpellChecker* checker);
    [[nodiscard]] ISpellChecker* Checker() const noexcept { return m_checker; }
    // The word is never marked again, whatever the checker says.
    void Accept(std::u16string_view word);
    // Is the word marked as misspelt? False without a checker.
    [[nodiscard]] bool IsMisspelt(std::u16string_view word);
    // The marks of the `length` elements after `start` (a row; a paragraph mark ends it), in
    // order; misspelt words only when `checkSpelling`, and never the word that `caret` is in or
    // touches. Valid until the next call.
    const std::vector<RowMark>& MarksOf(const NoteEditEngine::CNotePosition& start, int32_t length,
                                        bool checkSpelling,
                                        const NoteEditEngine::CNotePosition& caret);
    // The link, else the misspelt word, that holds the place or ends at it; none elsewhere.
    [[nodiscard]] std::optional<MarkedSpan> SpanAt(const NoteEditEngine::CNotePosition& position);

private:
    // Reads the text around `length` elements after `start` into m_text, from where the word
    // holding start begins to where the one holding the last element ends (at most kReach
    // elements either way); returns the index in m_text of the first element after start.
    size_t Gather(const NoteEditEngine::CNotePosition& start, int32_t length,
                  const NoteEditEngine::CNotePosition& caret, size_t& caretAt,
                  NoteEditEngine::ElementIterator& beforeText);

    // What the marks of a row follow from: the text read around it, where the row lies in it,
    // where the caret is in it (SIZE_MAX: elsewhere, or spelling not checked).
    // The hash is taken once, when the key is made.
    template <typename Text>
    struct RowKey {
        Text text;
        size_t rowAt = 0;
        size_t rowEnd = 0;
        size_t caretAt = SIZE_MAX;
        bool checkSpelling = false;
        size_t hash = 0;
    };
    using StoredRowKey = RowKey<std::u16string>;
    using RowKeyView = RowKey<std::u16string_view>;
    [[nodiscard]] static size_t HashOf(const RowKeyView& key) noexcept;
    struct RowKeyHash {
        using is_transparent = void;
        template <typename Text>
        size_t operator()(const RowKey<Text>& key) const noexcept {
            return key.hash;
        }
    };
    struct RowKeyEqual {
        using is_transparent = void;
        template <typename A, typename B>
        bool operator()(const RowKey<A>& a, const RowKey<B>& b) const noexcept {
            return a.rowAt == b.rowAt && a.rowEnd == b.rowEnd && a.caretAt == b.caretAt &&
                   a.checkSpelling == b.checkSpelling &&
                   std::u16string_view(a.text) == std::u16string_view(b.text);
        }
    };
    // Words are looked up by view, without a string made for each.
    struct WordHash {
        using is_transparent = void;
        size_t operator()(std::u16string_view word) const noexcept {
            return std::hash<std::u16string_view>()(word);
        }
    };
    using WordEqual = std::equal_to<>;
    // Drops the verdicts and the marks that follow from them.
    void ForgetVerdicts();

    ISpellChecker* m_checker = nullptr;
    std::unordered_set<std::u16string, WordHash, WordEqual> m_accepted;
    std::unordered_map<std::u16string, bool, WordHash, WordEqual> m_verdicts;
    std::unordered_map<StoredRowKey, std::vector<RowMark>, RowKeyHash, RowKeyEqual> m_rowMarks;
    // The rows whose marks were found before: only a row drawn again has its marks kept (a page
    // step shows rows once).
    NoteBase::CSightings m_rowsSeen{8192};
    std::u16string m_text;
    std::vector<RowMark> m_marks;
    std::vector<NoteBase::TextSpan> m_links;
    std::vector<NoteBase::TextSpan> m_words;
};

}  // namespace NoteLayoutEngine
