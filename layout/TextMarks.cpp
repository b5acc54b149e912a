#include "layout/TextMarks.h"

#include <algorithm>
#include <cwctype>

#include "base/WordFinder.h"
#include "model/NoteDocument.h"

namespace NoteLayoutEngine {

using NoteEditEngine::CNotePosition;
using NoteEditEngine::ElementIterator;

namespace {

// How far around a row words and addresses are followed; a longer one is judged in pieces.
constexpr int32_t kReach = 2048;
// The verdicts kept before they are all dropped: a bound on memory over a long session.
constexpr size_t kMaxVerdicts = 200000;
// The rows whose marks are kept: a few screens of them; past that all are dropped.
constexpr size_t kMaxRowMarks = 4096;

// Is the element a character that words and addresses can run through (no space, no mark)?
bool RunsThrough(const ElementIterator& element) {
    return !element.IsParagraph() && std::iswspace(static_cast<wint_t>(element.CodeUnit())) == 0;
}

char16_t TextOf(const ElementIterator& element) {
    return element.IsParagraph() ? u' ' : element.CodeUnit();
}

}  // namespace

size_t CTextMarks::HashOf(const RowKeyView& key) noexcept {
    size_t hash = std::hash<std::u16string_view>()(key.text);
    for (const size_t part : {key.rowAt, key.rowEnd, key.caretAt, size_t{key.checkSpelling}})
        hash = hash * 1099511628211u ^ part;
    return hash;
}

void CTextMarks::ForgetVerdicts() {
    m_verdicts.clear();
    m_rowMarks.clear();
}

void CTextMarks::SetChecker(ISpellChecker* checker) {
    m_checker = checker;
    ForgetVerdicts();
}

void CTextMarks::Accept(std::u16string_view word) {
    m_accepted.emplace(word);
    m_verdicts.erase(std::u16string(word));
    m_rowMarks.clear();
}

bool CTextMarks::IsMisspelt(std::u16string_view word) {
    if (m_checker == nullptr) return false;
    if (const auto found = m_verdicts.find(word); found != m_verdicts.end()) return found->second;
    const bool misspelt = !m_accepted.contains(word) && !m_checker->IsCorrect(word);
    if (m_verdicts.size() >= kMaxVerdicts) ForgetVerdicts();
    m_verdicts.emplace(std::u16string(word), misspelt);
    return misspelt;
}

size_t CTextMarks::Gather(const CNotePosition& start, int32_t length, const CNotePosition& caret,
                          size_t& caretAt, ElementIterator& beforeText) {
    const NoteEditEngine::CNoteDocument& document = *start.Document();
    const ElementIterator first = document.begin();
    const ElementIterator last = document.end();
    // Back to the start of the word that holds the row's first place; a document begins with a
    // mark, which no word runs through.
    beforeText = start.Iterator();
    size_t rowAt = 0;
    while (rowAt < kReach && beforeText != first && RunsThrough(beforeText)) {
        --beforeText;
        ++rowAt;
    }
    const ElementIterator caretElement =
        caret.Document() == start.Document() ? caret.Iterator() : last;
    caretAt = caret.Document() == start.Document() && caretElement == beforeText ? 0 : SIZE_MAX;
    m_text.clear();
    ElementIterator it = beforeText;
    const size_t rowEnd = rowAt + static_cast<size_t>(std::max(length, 0));
    for (++it; it != last; ++it) {
        const size_t index = m_text.size();
        if (index >= rowEnd && (index >= rowEnd + kReach || !RunsThrough(it))) break;
        m_text.push_back(TextOf(it));
        if (it == caretElement) caretAt = index + 1;
        // A paragraph ends the text, and with it the row.
        if (it.IsParagraph()) break;
    }
    return rowAt;
}

const std::vector<RowMark>& CTextMarks::MarksOf(const CNotePosition& start, int32_t length,
                                                bool checkSpelling, const CNotePosition& caret) {
    m_marks.clear();
    if (start.IsNull() || length <= 0) return m_marks;
    size_t caretAt = SIZE_MAX;
    ElementIterator beforeText;
    const size_t rowAt = Gather(start, length, caret, caretAt, beforeText);
    const size_t rowEnd = rowAt + static_cast<size_t>(length);
    checkSpelling = checkSpelling && m_checker != nullptr;
    // Only the spelling looks at the caret.
    RowKeyView key{m_text, rowAt, rowEnd, checkSpelling ? caretAt : SIZE_MAX, checkSpelling};
    key.hash = HashOf(key);
    if (const auto kept = m_rowMarks.find(key); kept != m_rowMarks.end()) {
        m_marks = kept->second;
        return m_marks;
    }
    const auto add = [&](const NoteBase::TextSpan& span, TextMark mark, std::u16string target) {
        const size_t begin = std::max(span.begin, rowAt);
        const size_t end = std::min(span.end, rowEnd);
        if (begin >= end) return;
        m_marks.push_back({static_cast<int32_t>(begin - rowAt), static_cast<int32_t>(end - rowAt),
                           mark, std::move(target)});
    };
    m_links = NoteBase::FindLinks(m_text);
    for (const NoteBase::TextSpan& link : m_links)
        add(link, TextMark::kLink, NoteBase::LinkTarget(m_text, link));
    if (checkSpelling) {
        const size_t links = m_marks.size();
        NoteBase::FindWords(m_text, m_links, m_words);
        for (const NoteBase::TextSpan& word : m_words) {
            if (word.end <= rowAt || word.begin >= rowEnd) continue;
            // The word being typed is judged once the caret has left it.
            if (caretAt >= word.begin && caretAt <= word.end) continue;
            if (IsMisspelt(std::u16string_view(m_text).substr(word.begin, word.end - word.begin)))
                add(word, TextMark::kMisspelt, {});
        }
        if (links != 0 && links != m_marks.size())
            std::sort(m_marks.begin(), m_marks.end(),
                      [](const RowMark& a, const RowMark& b) { return a.begin < b.begin; });
    }
    if (m_rowsSeen.Note(key.hash) == 0) return m_marks;
    // The verdicts asked above may have dropped the kept marks: the key is stored after them.
    if (m_rowMarks.size() >= kMaxRowMarks) m_rowMarks.clear();
    m_rowMarks.emplace(
        StoredRowKey{m_text, key.rowAt, key.rowEnd, key.caretAt, checkSpelling, key.hash}, m_marks);
    return m_marks;
}

std::optional<MarkedSpan> CTextMarks::SpanAt(const CNotePosition& position) {
    if (position.IsNull()) return std::nullopt;
    size_t caretAt = SIZE_MAX;
    ElementIterator beforeText;
    const size_t at = Gather(position, 0, {}, caretAt, beforeText);
    const std::u16string_view text = m_text;
    MarkedSpan found;
    NoteBase::TextSpan span;
    m_links = NoteBase::FindLinks(text);
    for (const NoteBase::TextSpan& link : m_links) {
        if (link.begin <= at && at <= link.end) {
            found.mark = TextMark::kLink;
            found.target = NoteBase::LinkTarget(text, link);
            span = link;
        }
    }
    if (found.mark == TextMark::kNone && m_checker != nullptr) {
        NoteBase::FindWords(text, m_links, m_words);
        for (const NoteBase::TextSpan& word : m_words) {
            if (word.begin <= at && at <= word.end &&
                IsMisspelt(text.substr(word.begin, word.end - word.begin))) {
                found.mark = TextMark::kMisspelt;
                span = word;
            }
        }
    }
    if (found.mark == TextMark::kNone) return std::nullopt;
    found.text = text.substr(span.begin, span.end - span.begin);
    found.length = static_cast<int32_t>(span.end - span.begin);
    ElementIterator it = beforeText;
    for (size_t i = 0; i < span.begin; ++i)
        ++it;
    found.start = CNotePosition(position.Document(), it, it.Style());
    return found;
}

}  // namespace NoteLayoutEngine
