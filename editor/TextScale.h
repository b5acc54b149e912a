#pragma once

#include <cstdint>

namespace NoteEditor {

// One of the five text sizes: the scale factor in hundredths, the list marker unit and the line
// thickness on screen. Integer hundredths keep every scaled value an exact truncation.
struct TextScale {
    int32_t percent = 100;
    int32_t markerUnit = 6;
    int32_t lineThickness = 2;
};

inline constexpr int kFirstTextSizeCommand = 32853;
inline constexpr int kMediumTextSizeCommand = 32855;
inline constexpr int kLastTextSizeCommand = 32857;

// The scale of a text size command; anything else is Medium. While printing the factor is 10 and
// the marker unit and line thickness are ten times the screen values.
[[nodiscard]] constexpr TextScale TextScaleOf(int command, bool printing) noexcept {
    TextScale scale;
    switch (command) {
        case 32853:
            scale = {120, 8, 2};
            break;
        case 32854:
            scale = {110, 6, 2};
            break;
        case 32856:
            scale = {93, 6, 2};
            break;
        case 32857:
            scale = {85, 5, 1};
            break;
        default:
            scale = {100, 6, 2};
            break;
    }
    if (printing) scale = {1000, scale.markerUnit * 10, scale.lineThickness * 10};
    return scale;
}

// value × s, truncated toward zero.
[[nodiscard]] constexpr int32_t Scaled(int32_t value, const TextScale& scale) noexcept {
    return value * scale.percent / 100;
}

}  // namespace NoteEditor
