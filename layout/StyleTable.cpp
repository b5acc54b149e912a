#include "layout/StyleTable.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

using NoteEditEngine::CharacterStyle;

namespace NoteLayoutEngine {

namespace {

// Sizes before scaling, in screen pixels at Medium.
constexpr int32_t kIndentColumns = 4;
constexpr Margins kViewMargins{0, 10, 15, 15};
constexpr Margins kNoteMargins{20, 20, 0, 0};
// The row's left margin of a list paragraph, in marker units: the marker fills its left half.
constexpr int32_t kListMarginUnits = 2;

// Screen scale of each size, largest first.
constexpr std::array<TextScale, kTextSizeCount> kScreenScales{{
    {120, 8, 2},
    {110, 6, 2},
    {100, 6, 2},
    {93, 6, 2},
    {85, 5, 1},
}};

constexpr Color ColorOf(NoteEditEngine::StyleColor color) noexcept {
    return {color.red, color.green, color.blue};
}

double Luminance(Color colour) noexcept {
    auto linear = [](uint8_t channel) {
        const double c = channel / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) +
           0.0722 * linear(colour.blue);
}

// The first of `from`, moved toward `to` a tenth at a time, that `reads` accepts; `to` at last.
template <typename Reads>
Color FirstReadable(Color from, Color to, Reads reads) {
    for (int32_t percent = 0; percent < 100; percent += 10) {
        const Color mixed = from.MixedWith(to, percent);
        if (reads(mixed)) return mixed;
    }
    return to;
}

Margins ScaledMargins(const Margins& margins, const TextScale& scale) noexcept {
    return {Scaled(margins.top, scale), Scaled(margins.bottom, scale), Scaled(margins.left, scale),
            Scaled(margins.right, scale)};
}

}  // namespace

TextScale TextScaleOf(TextSize size, bool printing) noexcept {
    auto index = static_cast<int32_t>(size);
    if (index < 0 || index >= kTextSizeCount) index = static_cast<int32_t>(TextSize::kMedium);
    TextScale scale = kScreenScales[static_cast<size_t>(index)];
    if (printing)
        scale = {100 * kPrintingFactor, scale.markerUnit * kPrintingFactor,
                 scale.lineThickness * kPrintingFactor};
    return scale;
}

Rect CheckBoxOf(int32_t x, int32_t y, int32_t height, const LayoutMetrics& metrics) noexcept {
    const int32_t u = metrics.markerUnit;
    const int32_t side = u * 3 / 2 + 1;
    return {x - u / 3 - side, y + (height - side) / 2, side, side};
}

double ContrastRatio(Color a, Color b) noexcept {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

StyleLook LookOf(uint32_t paragraph, CharacterStyle character, bool selected,
                 const TextScale& scale, bool printing, const MeasureFont& measure,
                 const Palette& screen) {
    using namespace NoteEditEngine;
    const Palette& palette = printing ? Palette{} : screen;
    const ParagraphStyleDescriptor& style = ParagraphStyleOf(paragraph);
    StyleLook look;
    look.font = {style.fixedWidth, Scaled(style.cellHeight, scale), style.bold, false};
    look.text = palette.text;
    look.background = palette.base;
    // Headers print black; the character styles' colours go on paper too. Normal text has the
    // palette's own colour.
    std::optional<Color> text;
    if (!printing && style.text != StyleColor{}) text = ColorOf(style.text);
    for (int bit = 0; bit < CharacterStyle::kFlagCount; ++bit) {
        if (!character.Test(bit)) continue;
        const CharacterStyleDescriptor& flag = kCharacterStyles[bit];
        look.font.bold = look.font.bold || flag.bold;
        look.font.italic = look.font.italic || flag.italic;
        if (flag.text) text = ColorOf(*flag.text);
        if (flag.background) {
            look.background =
                FirstReadable(ColorOf(*flag.background), palette.base, [&](Color background) {
                    return ContrastRatio(palette.text, background) >= kReadableContrast;
                });
        }
    }
    if (text) {
        look.text = FirstReadable(*text, palette.text, [&](Color colour) {
            return ContrastRatio(colour, look.background) >= kReadableContrast;
        });
    }
    if (selected && !printing) {
        look.text = palette.highlightedText;
        look.background = palette.highlight;
    }
    const FontMeasures font = measure(look.font);
    // The indent unit is four widths of the fixed-width body font, whatever the style's font.
    const FontMeasures indentFont =
        measure({true, Scaled(ParagraphStyleOf(kFixedWidth).cellHeight, scale), false, false});
    LayoutMetrics& metrics = look.metrics;
    metrics.lineHeight = font.ascent + font.descent;
    metrics.ascent = font.ascent;
    metrics.descent = font.descent;
    metrics.indentUnit = kIndentColumns * indentFont.averageWidth;
    metrics.viewMargins = ScaledMargins(kViewMargins, scale);
    metrics.noteMargins = ScaledMargins(kNoteMargins, scale);
    metrics.paragraphSpacing = {Scaled(style.spaceAbove, scale), Scaled(style.spaceBelow, scale), 0,
                                0};
    metrics.rowMargins = {0, font.externalLeading,
                          IsListStyle(paragraph) ? kListMarginUnits * scale.markerUnit : 0, 0};
    metrics.markerUnit = scale.markerUnit;
    metrics.lineThickness = scale.lineThickness;
    return look;
}

}  // namespace NoteLayoutEngine
