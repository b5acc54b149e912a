#pragma once

// Checklist when changing this header: the UTF-8 encoder and decoder (base/Utf8.cpp) build on
// these; tests/base/TextTest.cpp checks the edges of each range; fuzz/fuzz_utf8.cpp uses them as
// its measure of well-formed UTF-16.

#include <cstddef>
#include <string>
#include <string_view>

// UTF-16 surrogate pairs: the one home of their ranges and arithmetic. Standard library only.
namespace NoteBase {

// The halves of a pair: high (lead) U+D800..U+DBFF, low (trail) U+DC00..U+DFFF. Either alone is
// not a character.
[[nodiscard]] constexpr bool IsHighSurrogate(char32_t c) noexcept {
    return c >= 0xD800 && c <= 0xDBFF;
}
[[nodiscard]] constexpr bool IsLowSurrogate(char32_t c) noexcept {
    return c >= 0xDC00 && c <= 0xDFFF;
}
[[nodiscard]] constexpr bool IsSurrogate(char32_t c) noexcept {
    return c >= 0xD800 && c <= 0xDFFF;
}

// The code point of a pair; `high` and `low` must be a high and a low half.
[[nodiscard]] constexpr char32_t CombineSurrogates(char16_t high, char16_t low) noexcept {
    return 0x10000 + ((char32_t{high} - 0xD800) << 10) + (char32_t{low} - 0xDC00);
}

struct SurrogatePair {
    char16_t high;
    char16_t low;
};

// The pair of a value from U+10000 to U+10FFFF.
[[nodiscard]] constexpr SurrogatePair SplitSurrogates(char32_t codePoint) noexcept {
    codePoint -= 0x10000;
    return {static_cast<char16_t>(0xD800 + (codePoint >> 10)),
            static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF))};
}

// Appends a value up to U+10FFFF: one code unit below U+10000, else its pair.
inline void AppendUtf16(std::u16string& out, char32_t codePoint) {
    if (codePoint < 0x10000) {
        out.push_back(static_cast<char16_t>(codePoint));
        return;
    }
    const SurrogatePair pair = SplitSurrogates(codePoint);
    out.push_back(pair.high);
    out.push_back(pair.low);
}

// How many code units the character at `i` (< text.size()) takes: 2 where a pair starts there,
// else 1 (a lone half counts as one).
[[nodiscard]] constexpr size_t CodePointLength(std::u16string_view text, size_t i) noexcept {
    return IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]) ? 2 : 1;
}

}  // namespace NoteBase
