#include "storage/NoteTextIndex.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <cwctype>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "model/NotePosition.h"
#include "storage/XmlPrimitives.h"

namespace NoteStorage {

namespace {

// As the find dialog lowers a code unit: surrogate halves are left be.
char16_t Lower(char16_t c) noexcept {
    if (c >= 0xD800 && c <= 0xDFFF) return c;
    return static_cast<char16_t>(std::towlower(static_cast<wint_t>(c)));
}

std::u16string Lowered(std::u16string_view text) {
    std::u16string lower(text.size(), u'\0');
    if (text.size() < 256) {
        std::transform(text.begin(), text.end(), lower.begin(), Lower);
        return lower;
    }
    // ASCII through a table taken from the locale now (a Turkish one lowers "I" to dotless i).
    char16_t ascii[128];
    for (char16_t c = 0; c < 128; ++c)
        ascii[c] = Lower(c);
    std::transform(text.begin(), text.end(), lower.begin(),
                   [&](char16_t c) { return c < 128 ? ascii[c] : Lower(c); });
    return lower;
}

bool IsWordAt(std::u16string_view text, size_t i) noexcept {
    return i < text.size() && NoteEditEngine::IsWordCharacter(text[i]);
}

// Whether the pattern, whose first unit is known to match, lies at h.
bool RestMatches(const char16_t* h, std::u16string_view pattern) noexcept {
    return std::memcmp(h + 1, pattern.data() + 1, (pattern.size() - 1) * sizeof(char16_t)) == 0;
}

// The first place at or after `from` where the pattern lies in the haystack, or npos. Candidates
// are the places where both the pattern's first and last units match, eight at a time where the
// processor allows: a full scan of a large folder must stay well inside a keystroke's patience.
size_t FindUnits(std::u16string_view haystack, std::u16string_view pattern, size_t from) noexcept {
    const size_t m = pattern.size();
    const size_t n = haystack.size();
    if (m == 0 || m > n || from > n - m) return std::u16string_view::npos;
    const char16_t* h = haystack.data();
    const char16_t first = pattern.front();
    const char16_t last = pattern.back();
    size_t i = from;
#if defined(__SSE2__)
    const __m128i firsts = _mm_set1_epi16(static_cast<short>(first));
    const __m128i lasts = _mm_set1_epi16(static_cast<short>(last));
    for (; i + m - 1 + 8 <= n; i += 8) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i + m - 1));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi16(a, firsts), _mm_cmpeq_epi16(b, lasts))));
        while (mask != 0) {
            const int bit = std::countr_zero(mask);
            if (RestMatches(h + i + bit / 2, pattern)) return i + static_cast<size_t>(bit / 2);
            mask &= ~(3u << bit);
        }
    }
#endif
    for (; i + m <= n; ++i) {
        if (h[i] == first && h[i + m - 1] == last && RestMatches(h + i, pattern)) return i;
    }
    return std::u16string_view::npos;
}

// The first match in `haystack` (the text or its lower-cased copy), or npos.
size_t FindFirst(std::u16string_view haystack, std::u16string_view original,
                 std::u16string_view pattern, bool wholeWord) {
    size_t at = FindUnits(haystack, pattern, 0);
    while (at != std::u16string_view::npos && wholeWord) {
        const bool wordBefore = at > 0 && IsWordAt(original, at - 1);
        if (!wordBefore && !IsWordAt(original, at + pattern.size())) break;
        at = FindUnits(haystack, pattern, at + 1);
    }
    return at;
}

void FillLine(std::u16string_view text, SearchHit& hit) {
    const size_t matchEnd = hit.offset + hit.length;
    const size_t before =
        hit.offset == 0 ? std::u16string_view::npos : text.rfind(u'\n', hit.offset - 1);
    const size_t paragraphStart = before == std::u16string_view::npos ? 0 : before + 1;
    const size_t after = text.find(u'\n', matchEnd);
    const size_t paragraphEnd = after == std::u16string_view::npos ? text.size() : after;
    size_t start = paragraphStart;
    size_t end = paragraphEnd;
    if (end - start > kLineLength) {
        start = std::max(paragraphStart, hit.offset > kLineLead ? hit.offset - kLineLead : 0);
        end = std::max(matchEnd, std::min(paragraphEnd, start + kLineLength));
        // Near the paragraph's end the line takes more of the text in front instead.
        if (end - start < kLineLength) start = std::max(paragraphStart, end - kLineLength);
        if (start > paragraphStart && IsLowSurrogate(text[start]) &&
            IsHighSurrogate(text[start - 1])) {
            ++start;
            if (start > hit.offset) start = hit.offset;
        }
        if (end < paragraphEnd && IsLowSurrogate(text[end]) && IsHighSurrogate(text[end - 1])) {
            ++end;
        }
    }
    hit.line.assign(text.substr(start, end - start));
    hit.lineOffset = hit.offset - start;
    hit.cutBefore = start > paragraphStart;
    hit.cutAfter = end < paragraphEnd;
}

}  // namespace

void CNoteTextIndex::Set(std::u16string noteId, std::u16string text) {
    std::u16string lower = Lowered(text);
    const auto [slot, added] = m_slots.try_emplace(noteId, m_entries.size());
    if (added) {
        m_entries.push_back(Entry{std::move(noteId), std::move(text), std::move(lower)});
    } else {
        Entry& entry = m_entries[slot->second];
        entry.text = std::move(text);
        entry.lower = std::move(lower);
    }
}

void CNoteTextIndex::Remove(std::u16string_view noteId) {
    const auto slot = m_slots.find(std::u16string(noteId));
    if (slot == m_slots.end()) return;
    const size_t place = slot->second;
    m_slots.erase(slot);
    if (place + 1 != m_entries.size()) {
        m_entries[place] = std::move(m_entries.back());
        m_slots[m_entries[place].noteId] = place;
    }
    m_entries.pop_back();
}

void CNoteTextIndex::Clear() {
    m_entries.clear();
    m_slots.clear();
}

bool CNoteTextIndex::Contains(std::u16string_view noteId) const {
    return m_slots.count(std::u16string(noteId)) != 0;
}

size_t CNoteTextIndex::Size() const noexcept {
    return m_entries.size();
}

std::vector<SearchHit> CNoteTextIndex::Search(std::u16string_view pattern,
                                              SearchOptions options) const {
    std::vector<SearchHit> hits;
    if (pattern.empty() || pattern.find_first_of(u"\n\r") != std::u16string_view::npos) {
        return hits;
    }
    const std::u16string lowerPattern = options.matchCase ? std::u16string() : Lowered(pattern);
    const std::u16string_view wanted = options.matchCase ? pattern : lowerPattern;
    for (const Entry& entry : m_entries) {
        const std::u16string_view haystack = options.matchCase ? entry.text : entry.lower;
        const size_t at = FindFirst(haystack, entry.text, wanted, options.wholeWord);
        if (at == std::u16string_view::npos) continue;
        SearchHit hit;
        hit.noteId = entry.noteId;
        hit.offset = at;
        hit.length = pattern.size();
        FillLine(entry.text, hit);
        hits.push_back(std::move(hit));
    }
    return hits;
}

}  // namespace NoteStorage
