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
    [[nodiscard]] constexpr Color Inverted() const noexcept {
        return {static_cast<uint8_t>(255 - red), static_cast<uint8_t>(255 - green),
                static_cast<uint8_t>(255 - blue)};
    }
    friend constexpr bool operator==(const Color&, const Color&) noexcept = default;
};

// The colours of the rendering rules besides the styles' own (model/StyleDescriptors.h); the
// window picks them when it applies a style.
inline constexpr Color kBlack{0, 0, 0};
inline constexpr Color kWhite{255, 255, 255};
inline constexpr Color kEmptyViewBackground{230, 230, 230};

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
