#include "base/Graphemes.h"

#include <algorithm>
#include <iterator>

#include "base/Utf16.h"

namespace NoteBase {

namespace {

using enum GraphemeClass;

struct ClassRange {
    char32_t first;
    GraphemeClass value;
};

// Every Hangul syllable is LV or LVT, told apart by its number.
constexpr GraphemeClass kHangulSyllable = kLV;

// Sorted by first code point; each class holds up to the next range. Hangul syllables are one
// range here: which of LV and LVT a syllable is follows from its number.
constexpr ClassRange kRanges[] = {
#include "base/GraphemeTable.inc"
    {0x110000, kOther},
};

// The conjuncts of six Indic scripts: a consonant, a virama (the linker) and the next consonant
// are one cluster, as Unicode 15.1 joins them.
constexpr char32_t kLinkers[] = {0x094D, 0x09CD, 0x0ACD, 0x0B4D, 0x0C4D, 0x0D4D};
constexpr struct {
    char32_t first;
    char32_t last;
} kConsonants[] = {
    {0x0915, 0x0939}, {0x0958, 0x095F}, {0x0978, 0x097F}, {0x0995, 0x09A8}, {0x09AA, 0x09B0},
    {0x09B2, 0x09B2}, {0x09B6, 0x09B9}, {0x09DC, 0x09DD}, {0x09DF, 0x09DF}, {0x09F0, 0x09F1},
    {0x0A95, 0x0AA8}, {0x0AAA, 0x0AB0}, {0x0AB2, 0x0AB3}, {0x0AB5, 0x0AB9}, {0x0AF9, 0x0AF9},
    {0x0B15, 0x0B28}, {0x0B2A, 0x0B30}, {0x0B32, 0x0B33}, {0x0B35, 0x0B39}, {0x0B5C, 0x0B5D},
    {0x0B5F, 0x0B5F}, {0x0B71, 0x0B71}, {0x0C15, 0x0C28}, {0x0C2A, 0x0C39}, {0x0C58, 0x0C5A},
    {0x0D15, 0x0D3A},
};

bool IsConsonant(char32_t c) noexcept {
    if (c < 0x0915 || c > 0x0D3A) return false;
    for (const auto& range : kConsonants)
        if (c >= range.first && c <= range.last) return true;
    return false;
}

bool IsLinker(char32_t c) noexcept {
    return std::find(std::begin(kLinkers), std::end(kLinkers), c) != std::end(kLinkers);
}

}  // namespace

GraphemeClass GraphemeClassOf(char32_t c) noexcept {
    if (c >= 0x20 && c < 0x7F) return kOther;
    const auto* after =
        std::upper_bound(std::begin(kRanges), std::end(kRanges), c,
                         [](char32_t v, const ClassRange& r) { return v < r.first; });
    const GraphemeClass value = std::prev(after)->value;
    if (value == kHangulSyllable) return (c - 0xAC00) % 28 == 0 ? kLV : kLVT;
    return value;
}

bool CGraphemeBreaker::BreakBefore(char32_t c) noexcept {
    const GraphemeClass next = GraphemeClassOf(c);
    const GraphemeClass previous = m_previous;
    bool boundary = true;
    if (!m_started) {
        m_started = true;
    } else if (previous == kCR && next == kLF) {
        boundary = false;
    } else if (previous == kControl || previous == kCR || previous == kLF || next == kControl ||
               next == kCR || next == kLF) {
        boundary = true;
    } else if (previous == kL && (next == kL || next == kV || next == kLV || next == kLVT)) {
        boundary = false;
    } else if ((previous == kLV || previous == kV) && (next == kV || next == kT)) {
        boundary = false;
    } else if ((previous == kLVT || previous == kT) && next == kT) {
        boundary = false;
    } else if (next == kExtend || next == kZWJ || next == kSpacingMark || previous == kPrepend) {
        boundary = false;
    } else if (m_conjunct == 2 && IsConsonant(c)) {
        boundary = false;
    } else if (previous == kZWJ && next == kPictographic && m_emoji == 2) {
        boundary = false;
    } else if (previous == kRegionalIndicator && next == kRegionalIndicator && m_oddIndicators) {
        boundary = false;
    }
    if (next == kPictographic) {
        m_emoji = 1;
    } else if (m_emoji == 1 && next == kZWJ) {
        m_emoji = 2;
    } else if (!(m_emoji == 1 && next == kExtend)) {
        m_emoji = 0;
    }
    if (IsConsonant(c)) {
        m_conjunct = 1;
    } else if (m_conjunct != 0 && IsLinker(c)) {
        m_conjunct = 2;
    } else if (!(m_conjunct != 0 && (next == kExtend || next == kZWJ))) {
        m_conjunct = 0;
    }
    m_oddIndicators =
        next == kRegionalIndicator && !(previous == kRegionalIndicator && m_oddIndicators);
    m_previous = next;
    return boundary;
}

bool IsBoundaryWhateverBefore(char32_t before, char32_t after) noexcept {
    const GraphemeClass a = GraphemeClassOf(before);
    const GraphemeClass b = GraphemeClassOf(after);
    if ((a == kZWJ && b == kPictographic) || (a == kRegionalIndicator && b == kRegionalIndicator) ||
        IsConsonant(after))
        return false;
    CGraphemeBreaker breaker;
    breaker.BreakBefore(before);
    return breaker.BreakBefore(after);
}

size_t ClusterEnd(std::u16string_view text, size_t from) noexcept {
    CGraphemeBreaker breaker;
    size_t at = from;
    while (at < text.size()) {
        char32_t c = text[at];
        size_t units = 1;
        if (IsHighSurrogate(c) && at + 1 < text.size() && IsLowSurrogate(text[at + 1])) {
            c = CombineSurrogates(text[at], text[at + 1]);
            units = 2;
        }
        if (breaker.BreakBefore(c) && at != from) break;
        at += units;
    }
    return at;
}

}  // namespace NoteBase
