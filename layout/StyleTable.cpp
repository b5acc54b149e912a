#include "layout/StyleTable.h"

#include <array>

using NoteEditEngine::CharacterStyle;

namespace NoteLayoutEngine {

namespace {

// Sizes before scaling, in screen pixels at Medium.
constexpr int32_t kBodyCell = 16;
constexpr int32_t kHeader1Cell = 24;
constexpr int32_t kHeader2Cell = 20;
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

// The font and spacing a paragraph style adds to the body text's, before scaling.
struct ParagraphLook {
    int32_t cell = kBodyCell;
    bool fixedWidth = false;
    bool bold = false;
    int32_t above = 0;
    int32_t below = 0;
};

ParagraphLook ParagraphLookOf(uint32_t paragraph) noexcept {
    using namespace NoteEditEngine;
    ParagraphLook look;
    switch (paragraph) {
        case kNormal:
            look.above = look.below = 3;
            break;
        case kHeader1:
            look.cell = kHeader1Cell, look.bold = true, look.above = 20, look.below = 3;
            break;
        case kHeader2:
            look.cell = kHeader2Cell, look.bold = true, look.above = 15, look.below = 2;
            break;
        case kHeader3:
            look.bold = true, look.above = 10, look.below = 1;
            break;
        case kFixedWidth:
            look.fixedWidth = true;
            break;
        default:
            break;
    }
    return look;
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
    if (paragraph >= kParagraphStyleCount) paragraph = kNormal;
    const ParagraphLook base = ParagraphLookOf(paragraph);
    StyleLook look;
    look.font = {base.fixedWidth, Scaled(base.cell, scale),
                 base.bold || character.Test(CharacterStyle::kStrong),
                 character.Test(CharacterStyle::kComment)};
    // Headers print black; a comment keeps its grey on paper too.
    if (IsHeaderStyle(paragraph) && !printing) look.text = kHeaderText;
    if (character.Test(CharacterStyle::kHighlight)) look.background = kHighlightBackground;
    if (look.font.italic) look.text = kCommentText;
    if (selected && !printing) {
        look.text = look.text.Inverted();
        look.background = look.background.Inverted();
    }
    const FontMeasures font = measure(look.font);
    const FontMeasures indentFont = measure({true, Scaled(kBodyCell, scale), false, false});
    LayoutMetrics& metrics = look.metrics;
    metrics.lineHeight = font.ascent + font.descent;
    metrics.ascent = font.ascent;
    metrics.descent = font.descent;
    metrics.indentUnit = kIndentColumns * indentFont.averageWidth;
    metrics.viewMargins = ScaledMargins(kViewMargins, scale);
    metrics.noteMargins = ScaledMargins(kNoteMargins, scale);
    metrics.paragraphSpacing = {Scaled(base.above, scale), Scaled(base.below, scale), 0, 0};
    metrics.rowMargins = {0, font.externalLeading,
                          IsListStyle(paragraph) ? kListMarginUnits * scale.markerUnit : 0, 0};
    metrics.markerUnit = scale.markerUnit;
    metrics.lineThickness = scale.lineThickness;
    return look;
}

}  // namespace NoteLayoutEngine
