#include "storage/NoteTextIndex.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "base/CaseFolding.h"
#include "base/Utf16.h"
#include "model/NotePosition.h"

namespace NoteStorage {

namespace {

std::u16string Lowered(std::u16string_view text, const std::vector<char16_t>& lower) {
    std::u16string out(text.size(), u'\0');
    std::transform(text.begin(), text.end(), out.begin(), [&](char16_t c) { return lower[c]; });
    return out;
}

// A code unit of either form as UTF-16: a byte stands for the unit of the same value.
constexpr char16_t Unit(char c) noexcept {
    return static_cast<unsigned char>(c);
}
constexpr char16_t Unit(char16_t c) noexcept {
    return c;
}

template <typename Char>
bool IsWordAt(std::basic_string_view<Char> text, size_t i) noexcept {
    return i < text.size() && NoteEditEngine::IsWordCharacter(Unit(text[i]));
}

// Whether the pattern, whose first unit is known to match, lies at h.
template <typename Char>
bool RestMatches(const Char* h, std::basic_string_view<Char> pattern) noexcept {
    return std::memcmp(h + 1, pattern.data() + 1, (pattern.size() - 1) * sizeof(Char)) == 0;
}

// The first place at or after `from` where the pattern lies in the haystack, or npos. Candidates
// are the places where both the pattern's first and last units match, 16 bytes at a time where
// the processor allows: a full scan of a large folder must stay well inside a keystroke.
template <typename Char>
size_t FindUnits(std::basic_string_view<Char> haystack, std::basic_string_view<Char> pattern,
                 size_t from) noexcept {
    constexpr size_t npos = std::u16string_view::npos;
    const size_t m = pattern.size();
    const size_t n = haystack.size();
    if (m == 0 || m > n || from > n - m) return npos;
    const Char* h = haystack.data();
    const Char first = pattern.front();
    const Char last = pattern.back();
    size_t i = from;
#if defined(__SSE2__)
    constexpr size_t kStep = 16 / sizeof(Char);
    const __m128i firsts = sizeof(Char) == 1 ? _mm_set1_epi8(static_cast<char>(first))
                                             : _mm_set1_epi16(static_cast<short>(first));
    const __m128i lasts = sizeof(Char) == 1 ? _mm_set1_epi8(static_cast<char>(last))
                                            : _mm_set1_epi16(static_cast<short>(last));
    for (; i + m - 1 + kStep <= n; i += kStep) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + i + m - 1));
        const __m128i both =
            sizeof(Char) == 1
                ? _mm_and_si128(_mm_cmpeq_epi8(a, firsts), _mm_cmpeq_epi8(b, lasts))
                : _mm_and_si128(_mm_cmpeq_epi16(a, firsts), _mm_cmpeq_epi16(b, lasts));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(both));
        while (mask != 0) {
            const auto unit = static_cast<size_t>(std::countr_zero(mask)) / sizeof(Char);
            if (RestMatches(h + i + unit, pattern)) return i + unit;
            // Both mask bits of a two-byte unit.
            mask &= ~((sizeof(Char) == 1 ? 1u : 3u) << (unit * sizeof(Char)));
        }
    }
#endif
    for (; i + m <= n; ++i) {
        if (h[i] == first && h[i + m - 1] == last && RestMatches(h + i, pattern)) return i;
    }
    return npos;
}

// The first match in `haystack` (the text or its lower-cased copy), or npos.
template <typename Char, typename OriginalChar>
size_t FindFirst(std::basic_string_view<Char> haystack,
                 std::basic_string_view<OriginalChar> original,
                 std::basic_string_view<Char> pattern, bool wholeWord) {
    size_t at = FindUnits(haystack, pattern, 0);
    while (at != std::u16string_view::npos && wholeWord) {
        const bool wordBefore = at > 0 && IsWordAt(original, at - 1);
        if (!wordBefore && !IsWordAt(original, at + pattern.size())) break;
        at = FindUnits(haystack, pattern, at + 1);
    }
    return at;
}

template <typename Char>
void FillLine(std::basic_string_view<Char> text, SearchHit& hit) {
    constexpr size_t npos = std::u16string_view::npos;
    const size_t matchEnd = hit.offset + hit.length;
    const size_t before = hit.offset == 0 ? npos : text.rfind(Char('\n'), hit.offset - 1);
    const size_t paragraphStart = before == npos ? 0 : before + 1;
    const size_t after = text.find(Char('\n'), matchEnd);
    const size_t paragraphEnd = after == npos ? text.size() : after;
    size_t start = paragraphStart;
    size_t end = paragraphEnd;
    if (end - start > kLineLength) {
        start = std::max(paragraphStart, hit.offset > kLineLead ? hit.offset - kLineLead : 0);
        end = std::max(matchEnd, std::min(paragraphEnd, start + kLineLength));
        // Near the paragraph's end the line takes more of the text in front instead.
        if (end - start < kLineLength) start = std::max(paragraphStart, end - kLineLength);
        if (start > paragraphStart && NoteBase::IsLowSurrogate(Unit(text[start])) &&
            NoteBase::IsHighSurrogate(Unit(text[start - 1]))) {
            ++start;
            if (start > hit.offset) start = hit.offset;
        }
        if (end < paragraphEnd && NoteBase::IsLowSurrogate(Unit(text[end])) &&
            NoteBase::IsHighSurrogate(Unit(text[end - 1]))) {
            ++end;
        }
    }
    hit.line.resize(end - start);
    std::transform(text.begin() + static_cast<std::ptrdiff_t>(start),
                   text.begin() + static_cast<std::ptrdiff_t>(end), hit.line.begin(),
                   [](Char c) { return Unit(c); });
    hit.lineOffset = hit.offset - start;
    hit.cutBefore = start > paragraphStart;
    hit.cutAfter = end < paragraphEnd;
}

// Whether every unit is below 256. No early exit, so that the loop runs many units at a time.
bool IsNarrow(std::u16string_view text) noexcept {
    char16_t high = 0;
    for (const char16_t c : text)
        high |= c;
    return high <= 0xFF;
}

std::string Narrowed(std::u16string_view text) {
    std::string narrow(text.size(), '\0');
    std::transform(text.begin(), text.end(), narrow.begin(),
                   [](char16_t c) { return static_cast<char>(static_cast<unsigned char>(c)); });
    return narrow;
}

}  // namespace

CNoteTextIndex::CNoteTextIndex() : m_lower(NoteBase::LowerCaseTable()) {}

void CNoteTextIndex::Set(std::u16string noteId, std::u16string text) {
    // One pass makes both byte forms; most notes are all below 256 and keep them. A form that
    // does not fit in bytes (and its room) is dropped again.
    Entry entry;
    const size_t n = text.size();
    entry.text8.resize(n);
    entry.lower8.resize(n);
    const char16_t* lower = m_lower.data();
    char* text8 = entry.text8.data();
    char* lower8 = entry.lower8.data();
    char16_t high = 0;
    char16_t lowerHigh = 0;
    for (size_t i = 0; i < n; ++i) {
        const char16_t c = text[i];
        const char16_t l = lower[c];
        high |= c;
        lowerHigh |= l;
        text8[i] = static_cast<char>(static_cast<unsigned char>(c));
        lower8[i] = static_cast<char>(static_cast<unsigned char>(l));
    }
    entry.narrowText = high <= 0xFF;
    entry.narrowLower = lowerHigh <= 0xFF;
    if (!entry.narrowLower) {
        entry.lower8 = std::string();
        entry.lower16 = Lowered(text, m_lower);
    }
    if (!entry.narrowText) {
        entry.text8 = std::string();
        entry.text16 = std::move(text);
    }
    const auto [slot, added] = m_slots.try_emplace(noteId, m_entries.size());
    if (added) {
        entry.noteId = std::move(noteId);
        m_entries.push_back(std::move(entry));
    } else {
        entry.noteId = m_entries[slot->second].noteId;
        m_entries[slot->second] = std::move(entry);
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
    const std::u16string lowerPattern =
        options.matchCase ? std::u16string() : Lowered(pattern, m_lower);
    const std::u16string_view wanted16 = options.matchCase ? pattern : lowerPattern;
    const bool narrowPattern = IsNarrow(wanted16);
    const std::string wanted8 = narrowPattern ? Narrowed(wanted16) : std::string();
    const std::string_view wanted8View = wanted8;
    for (const Entry& entry : m_entries) {
        const std::string_view text8 = entry.text8;
        const std::u16string_view text16 = entry.text16;
        size_t at = std::u16string_view::npos;
        if (options.matchCase ? entry.narrowText : entry.narrowLower) {
            // No unit above 255 in there.
            if (!narrowPattern) continue;
            const std::string_view haystack = options.matchCase ? text8 : entry.lower8;
            at = entry.narrowText ? FindFirst(haystack, text8, wanted8View, options.wholeWord)
                                  : FindFirst(haystack, text16, wanted8View, options.wholeWord);
        } else {
            const std::u16string_view haystack = options.matchCase ? text16 : entry.lower16;
            at = entry.narrowText ? FindFirst(haystack, text8, wanted16, options.wholeWord)
                                  : FindFirst(haystack, text16, wanted16, options.wholeWord);
        }
        if (at == std::u16string_view::npos) continue;
        SearchHit hit;
        hit.noteId = entry.noteId;
        hit.offset = at;
        hit.length = pattern.size();
        if (entry.narrowText) {
            FillLine(text8, hit);
        } else {
            FillLine(text16, hit);
        }
        hits.push_back(std::move(hit));
    }
    return hits;
}

}  // namespace NoteStorage
