#pragma once

#include <cstdint>

namespace NoteLayoutEngine {

// Geometry and colours cross the window boundary as plain values; the window converts them to its
// own types.
struct Point {
    int32_t x = 0;
    int32_t y = 0;
    friend constexpr bool operator==(const Point&, const Point&) noexcept = default;
};

struct Rect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    friend constexpr bool operator==(const Rect&, const Rect&) noexcept = default;
};

struct Color {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    // `percent` of the way from this colour to `other`, each channel rounded.
    [[nodiscard]] constexpr Color MixedWith(Color other, int32_t percent) const noexcept {
        auto mix = [percent](uint8_t a, uint8_t b) {
            return static_cast<uint8_t>((a * (100 - percent) + b * percent + 50) / 100);
        };
        return {mix(red, other.red), mix(green, other.green), mix(blue, other.blue)};
    }
    friend constexpr bool operator==(const Color&, const Color&) noexcept = default;
};

inline constexpr Color kBlack{0, 0, 0};
inline constexpr Color kWhite{255, 255, 255};

// The desktop's colours for text, which the styles' own (model/StyleDescriptors.h) are fitted to:
// the text and its background, and the selection's. Paper is always the default.
struct Palette {
    Color text = kBlack;
    Color base = kWhite;
    Color highlight{48, 140, 198};
    Color highlightedText = kWhite;
    // The bar between notes and the ground of an empty view lie between base and text.
    [[nodiscard]] constexpr Color Separator() const noexcept { return base.MixedWith(text, 25); }
    [[nodiscard]] constexpr Color EmptyView() const noexcept { return base.MixedWith(text, 10); }
    friend constexpr bool operator==(const Palette&, const Palette&) noexcept = default;
};

struct Margins {
    int32_t top = 0;
    int32_t bottom = 0;
    int32_t left = 0;
    int32_t right = 0;
    friend constexpr bool operator==(const Margins&, const Margins&) noexcept = default;
};

// The values the window writes each time it applies a style and the glyphs read right after.
struct LayoutMetrics {
    int32_t lineHeight = 0;
    int32_t ascent = 0;
    int32_t descent = 0;
    int32_t indentUnit = 0;
    Margins viewMargins;
    Margins noteMargins;
    Margins paragraphSpacing;
    Margins rowMargins;
    int32_t markerUnit = 0;
    int32_t lineThickness = 0;
};

// The count that stands for "everything from here on".
inline constexpr int64_t kWholeRange = 2147483647;
inline constexpr int32_t kFarRight = 2147483647;

}  // namespace NoteLayoutEngine
