#pragma once

#include <cstdint>
#include <iterator>
#include <optional>
#include <string_view>

#include "model/StyleDescriptors.h"

namespace NoteEditEngine {

// The character styles, as flags in the low bits of one word, by their rows in kCharacterStyles.
// Every other bit stays 0.
class CharacterStyle {
public:
    static constexpr int kStrong = 0;
    static constexpr int kHighlight = 1;
    static constexpr int kComment = 2;
    static constexpr int kFlagCount = static_cast<int>(std::size(kCharacterStyles));
    static constexpr uint32_t kMask = (1u << kFlagCount) - 1;

    constexpr CharacterStyle() noexcept = default;
    constexpr explicit CharacterStyle(uint32_t word) noexcept : m_word(word & kMask) {}

    [[nodiscard]] constexpr uint32_t Word() const noexcept { return m_word; }
    [[nodiscard]] constexpr bool Test(int bit) const noexcept {
        return InRange(bit) && (m_word & (1u << bit)) != 0;
    }
    constexpr void Set(int bit) noexcept {
        if (InRange(bit)) m_word |= 1u << bit;
    }
    constexpr void Clear(int bit) noexcept {
        if (InRange(bit)) m_word &= ~(1u << bit);
    }

    friend constexpr bool operator==(CharacterStyle, CharacterStyle) noexcept = default;

private:
    static constexpr bool InRange(int bit) noexcept { return bit >= 0 && bit < kFlagCount; }
    uint32_t m_word = 0;
};

// Paragraph style codes: the rows of kParagraphStyles. 4 is a list style that no command sets and
// no file produces; it is kept so that every code keeps its meaning.
enum ParagraphStyle : uint32_t {
    kNormal = 0,
    kHeader1 = 1,
    kHeader2 = 2,
    kHeader3 = 3,
    kOrderedList = 4,
    kUncheckedList = 5,
    kCheckedList = 6,
    kPositiveList = 7,
    kNegativeList = 8,
    kFixedWidth = 9,
};
inline constexpr uint32_t kParagraphStyleCount = std::size(kParagraphStyles);

[[nodiscard]] constexpr bool IsHeaderStyle(uint32_t style) noexcept {
    return ParagraphStyleOf(style).headerLevel > 0;
}
[[nodiscard]] constexpr bool IsListStyle(uint32_t style) noexcept {
    return ParagraphStyleOf(style).marker != ListMarker::kNone;
}

// Indent levels run from 0 to 14: fourteen levels above the base level.
inline constexpr int32_t kMaxIndent = 14;
[[nodiscard]] constexpr int32_t ClampIndent(int64_t indent) noexcept {
    return indent < 0 ? 0 : indent > kMaxIndent ? kMaxIndent : static_cast<int32_t>(indent);
}

// Style and indent of a paragraph. Equality compares exactly these two.
class ParagraphFormat {
public:
    constexpr ParagraphFormat() noexcept = default;
    // The indent is clamped; use SetIndentUnclamped to store a value as given.
    constexpr ParagraphFormat(uint32_t style, int64_t indent) noexcept
        : m_style(style), m_indent(ClampIndent(indent)) {}

    [[nodiscard]] constexpr uint32_t Style() const noexcept { return m_style; }
    [[nodiscard]] constexpr int32_t Indent() const noexcept { return m_indent; }
    constexpr void SetStyle(uint32_t style) noexcept { m_style = style; }
    constexpr void SetIndent(int64_t indent) noexcept { m_indent = ClampIndent(indent); }
    constexpr void IncrementIndent() noexcept { SetIndent(int64_t{m_indent} + 1); }
    constexpr void DecrementIndent() noexcept { SetIndent(int64_t{m_indent} - 1); }

    friend constexpr bool operator==(const ParagraphFormat&,
                                     const ParagraphFormat&) noexcept = default;

private:
    uint32_t m_style = kNormal;
    int32_t m_indent = 0;
};

// The code for a name stored in note files and the styled clipboard, including the legacy names
// "listbullet" (5) and "listordered" (8). Names are exact.
[[nodiscard]] std::optional<uint32_t> ParagraphStyleFromName(std::u16string_view name) noexcept;
// The bit for a stored character style name, or none.
[[nodiscard]] std::optional<int> CharacterStyleFromName(std::u16string_view name) noexcept;

}  // namespace NoteEditEngine
