#pragma once

#include <cstdint>
#include <functional>

#include "layout/LayoutTypes.h"
#include "model/Styles.h"

namespace NoteLayoutEngine {

// The five text sizes of the View menu, largest first; the number is what the settings store.
enum class TextSize : int32_t { kLargest, kLarger, kMedium, kSmaller, kSmallest };
inline constexpr int32_t kTextSizeCount = 5;

// One text size on one surface: the scale factor in hundredths, the list marker unit and the line
// thickness. Integer hundredths keep every scaled value an exact truncation.
struct TextScale {
    int32_t percent = 100;
    int32_t markerUnit = 6;
    int32_t lineThickness = 2;
    friend constexpr bool operator==(const TextScale&, const TextScale&) noexcept = default;
};

// A printed unit is a tenth of a screen pixel's worth: printing scales by 10 whatever the size,
// and the marker unit and line thickness of the chosen size by the same factor.
inline constexpr int32_t kPrintingFactor = 10;

// The scale of a text size on screen or while printing; an out-of-range size is Medium.
[[nodiscard]] TextScale TextScaleOf(TextSize size, bool printing) noexcept;

// value × s, truncated toward zero.
[[nodiscard]] constexpr int32_t Scaled(int32_t value, const TextScale& scale) noexcept {
    return value * scale.percent / 100;
}

// The font a style asks the window for: proportional or fixed-width face, cell height (ascent +
// descent) in units of the surface, weight and slant.
struct FontRequest {
    bool fixedWidth = false;
    int32_t cellHeight = 0;
    bool bold = false;
    bool italic = false;
    friend constexpr bool operator==(const FontRequest&, const FontRequest&) noexcept = default;
};

// What the window measured of the font it made for a request.
struct FontMeasures {
    int32_t ascent = 0;
    int32_t descent = 0;
    int32_t externalLeading = 0;
    int32_t averageWidth = 0;
};

using MeasureFont = std::function<FontMeasures(const FontRequest&)>;

// Everything one combination of styles gives: the font to draw with, the colours and the
// metrics the glyphs lay out with.
struct StyleLook {
    FontRequest font;
    Color text = kBlack;
    Color background = kWhite;
    LayoutMetrics metrics;
};

// The check box of a checklist paragraph whose first row's text starts at (x, y) and is `height`
// tall: a square in the row's left margin, a third of a marker unit clear of the text and
// centred on the line.
[[nodiscard]] Rect CheckBoxOf(int32_t x, int32_t y, int32_t height,
                              const LayoutMetrics& metrics) noexcept;

// The contrast ratio of two colours by their relative luminance: 1 (the same) to 21 (black and
// white).
[[nodiscard]] double ContrastRatio(Color a, Color b) noexcept;
// The ratio below which text counts as hard to read.
inline constexpr double kReadableContrast = 4.5;

// The look of text in `paragraph` style (an unknown style is Normal) with the character style,
// selected or not, at the scale, on the palette; measure is asked for the style's font and for
// the fixed-width font whose average width gives the indent unit. A style's colour that would not
// read on the palette moves toward the palette's text (a background toward its base) until it
// does. Selected text is the palette's highlighted text on its highlight. Printing uses the
// default palette, keeps text black (comments grey) and shows no selection.
[[nodiscard]] StyleLook LookOf(uint32_t paragraph, NoteEditEngine::CharacterStyle character,
                               bool selected, const TextScale& scale, bool printing,
                               const MeasureFont& measure, const Palette& palette = {});

}  // namespace NoteLayoutEngine
