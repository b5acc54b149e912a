#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Grapheme clusters: what a reader takes for one character, such as a letter with its combining
// marks, a flag of two regional indicators or an emoji joined from several. The editor measures,
// draws and steps over a cluster whole. The extended clusters of Unicode's text segmentation
// rules, with the classes of the Unicode version in GraphemeTable.inc. Standard library only.
namespace NoteBase {

enum class GraphemeClass : uint8_t {
    kOther,
    kCR,
    kLF,
    kControl,
    kExtend,
    kZWJ,
    kRegionalIndicator,
    kPrepend,
    kSpacingMark,
    kL,
    kV,
    kT,
    kLV,
    kLVT,
    kPictographic,
};

// The class of a code point; a lone surrogate is a control.
[[nodiscard]] GraphemeClass GraphemeClassOf(char32_t c) noexcept;

// Finds the boundaries of a run of code points fed in order from a boundary (the start of a text
// or of a paragraph). Emoji sequences and regional indicator pairs need what came before, so the
// breaker keeps that much.
class CGraphemeBreaker {
public:
    // Feeds the next code point: is there a boundary before it? Always before the first.
    bool BreakBefore(char32_t c) noexcept;

private:
    bool m_started = false;
    GraphemeClass m_previous = GraphemeClass::kOther;
    // After a pictographic and any extenders: 1; and then a joiner: 2.
    uint8_t m_emoji = 0;
    // The regional indicators just before are odd in number: the next one pairs with them.
    bool m_oddIndicators = false;
    // After an Indic consonant and any marks: 1; and then a virama: 2.
    uint8_t m_conjunct = 0;
};

// Whether two adjacent code points are split by a boundary whatever came before them; false where
// they join or where it depends (an emoji sequence, a regional indicator pair, a conjunct). A point
// with such a boundary before it is a safe place to start a breaker.
[[nodiscard]] bool IsBoundaryWhateverBefore(char32_t before, char32_t after) noexcept;

// A boundary between two code units told without the rules: below the combining marks nothing
// joins the unit before it, and only a carriage return joins the one after it (a line feed).
[[nodiscard]] constexpr bool IsPlainBoundary(char16_t before, char16_t after) noexcept {
    return before < 0x300 && before != u'\r' && after < 0x300;
}

// The end of the cluster that starts at `from` (a boundary, below text.size()), in code units.
// A surrogate pair is one code point; a lone half is a cluster of its own.
[[nodiscard]] size_t ClusterEnd(std::u16string_view text, size_t from) noexcept;

}  // namespace NoteBase
