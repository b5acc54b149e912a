#include "layout/StyleTable.h"

#include <array>

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

StyleLook LookOf(uint32_t paragraph, CharacterStyle character, bool selected,
                 const TextScale& scale, bool printing, const MeasureFont& measure) {
    using namespace NoteEditEngine;
    const ParagraphStyleDescriptor& style = ParagraphStyleOf(paragraph);
    StyleLook look;
    look.font = {style.fixedWidth, Scaled(style.cellHeight, scale), style.bold, false};
    // Headers print black; the character styles' colours go on paper too.
    if (!printing) look.text = ColorOf(style.text);
    for (int bit = 0; bit < CharacterStyle::kFlagCount; ++bit) {
        if (!character.Test(bit)) continue;
        const CharacterStyleDescriptor& flag = kCharacterStyles[bit];
        look.font.bold = look.font.bold || flag.bold;
        look.font.italic = look.font.italic || flag.italic;
        if (flag.text) look.text = ColorOf(*flag.text);
        if (flag.background) look.background = ColorOf(*flag.background);
    }
    if (selected && !printing) {
        look.text = look.text.Inverted();
        look.background = look.background.Inverted();
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
