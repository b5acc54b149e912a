// The style table: fonts, colours and metrics by paragraph style, character style, selection and
// text size, built from the styles' rows and whatever the window measured of the fonts.
#include <gtest/gtest.h>

#include <span>
#include <vector>

#include "layout/StyleTable.h"

namespace NoteLayoutEngine {
namespace {

using NoteEditEngine::CharacterStyle;
using NoteEditEngine::kParagraphStyleCount;

// Measures that tell the fonts apart: ascent and descent from the cell, leading and width from
// the face, so that a metric built from the wrong font shows.
FontMeasures Measure(const FontRequest& font) {
    return {font.cellHeight - 4, font.bold ? 5 : 4, font.fixedWidth ? 3 : 1,
            font.fixedWidth ? 9 : 7};
}

bool SameLook(const StyleLook& a, const StyleLook& b) {
    return a.font == b.font && a.text == b.text && a.background == b.background;
}

StyleLook Look(uint32_t paragraph, uint32_t character = 0, bool selected = false,
               TextSize size = TextSize::kMedium, bool printing = false) {
    return LookOf(paragraph, CharacterStyle(character), selected, TextScaleOf(size, printing),
                  printing, Measure);
}

constexpr TextSize kSmallToLarge[] = {TextSize::kSmallest, TextSize::kSmaller, TextSize::kMedium,
                                      TextSize::kLarger, TextSize::kLargest};

// Every style's metrics come from its measured font, which grows with the text size as its
// spacing and margins do; lists leave room for their marker; the indent unit is four widths of
// the fixed-width face whatever the style's font; printing is ten times Medium with the chosen
// size's markers; an unknown size is Medium, an unknown style Normal.
TEST(StyleTableTest, MetricsComeFromTheMeasuredFontAndGrowWithTheTextSize) {
    for (uint32_t paragraph = 0; paragraph <= kParagraphStyleCount; ++paragraph) {
        SCOPED_TRACE(paragraph);
        const StyleLook medium = Look(paragraph);
        const FontMeasures measured = Measure(medium.font);
        EXPECT_EQ(medium.metrics.ascent, measured.ascent);
        EXPECT_EQ(medium.metrics.lineHeight, measured.ascent + measured.descent);
        EXPECT_EQ(medium.metrics.rowMargins.bottom, measured.externalLeading);
        EXPECT_EQ(medium.metrics.rowMargins.left,
                  NoteEditEngine::IsListStyle(paragraph) ? 2 * medium.metrics.markerUnit : 0);
        EXPECT_EQ(medium.metrics.indentUnit, 4 * 9);
        StyleLook smaller = Look(paragraph, 0, false, kSmallToLarge[0]);
        EXPECT_GT(smaller.font.cellHeight, 0);
        for (const TextSize size : std::span(kSmallToLarge).subspan(1)) {
            const StyleLook look = Look(paragraph, 0, false, size);
            EXPECT_GT(look.font.cellHeight, smaller.font.cellHeight);
            EXPECT_GE(look.metrics.paragraphSpacing.top, smaller.metrics.paragraphSpacing.top);
            EXPECT_GT(look.metrics.viewMargins.left, smaller.metrics.viewMargins.left);
            EXPECT_GE(look.metrics.markerUnit, smaller.metrics.markerUnit);
            smaller = look;
        }
        EXPECT_EQ(Look(paragraph, 0, false, static_cast<TextSize>(7)).font, medium.font);
        const StyleLook printed = Look(paragraph, 0, false, TextSize::kLargest, true);
        EXPECT_EQ(printed.font.cellHeight, 10 * medium.font.cellHeight);
        EXPECT_EQ(printed.metrics.paragraphSpacing.top, 10 * medium.metrics.paragraphSpacing.top);
        EXPECT_EQ(printed.metrics.markerUnit,
                  10 * TextScaleOf(TextSize::kLargest, false).markerUnit);
    }
    EXPECT_EQ(Look(kParagraphStyleCount).font, Look(NoteEditEngine::kNormal).font);
    EXPECT_EQ(Look(kParagraphStyleCount).metrics.paragraphSpacing,
              Look(NoteEditEngine::kNormal).metrics.paragraphSpacing);
}

constexpr Palette kDark{{230, 230, 230}, {35, 35, 35}, {90, 120, 200}, {255, 255, 255}};

// Character styles add to any paragraph's look; on a light and on a dark palette every style's
// text reads on its background, and the light one keeps the styles' own colours; selection is
// the palette's highlight on screen only; paper keeps the character styles' colours on the
// default palette but prints every paragraph's text black.
TEST(StyleTableTest, CharacterStylesSelectionAndPrinting) {
    const uint32_t all = CharacterStyle::kMask;
    for (const Palette& palette : {Palette{}, kDark}) {
        SCOPED_TRACE(palette.base.red);
        auto look = [&](uint32_t paragraph, uint32_t character, bool selected, bool printing) {
            return LookOf(paragraph, CharacterStyle(character), selected,
                          TextScaleOf(TextSize::kMedium, printing), printing, Measure, palette);
        };
        for (uint32_t paragraph = 0; paragraph < kParagraphStyleCount; ++paragraph) {
            SCOPED_TRACE(paragraph);
            for (uint32_t character = 0; character <= all; ++character) {
                const StyleLook styled = look(paragraph, character, false, false);
                EXPECT_GE(ContrastRatio(styled.text, styled.background), kReadableContrast)
                    << character;
                const StyleLook selected = look(paragraph, character, true, false);
                EXPECT_EQ(selected.text, palette.highlightedText);
                EXPECT_EQ(selected.background, palette.highlight);
                const StyleLook printed = look(paragraph, character, true, true);
                EXPECT_TRUE(
                    SameLook(printed, Look(paragraph, character, false, TextSize::kMedium, true)));
            }
            const StyleLook styled = look(paragraph, all, false, false);
            EXPECT_TRUE(styled.font.bold && styled.font.italic);
            EXPECT_EQ(styled.font.cellHeight, look(paragraph, 0, false, false).font.cellHeight);
            EXPECT_EQ(look(paragraph, 0, false, true).text, kBlack);
        }
        EXPECT_EQ(look(NoteEditEngine::kNormal, 0, false, false).background, palette.base);
    }
    const auto stored = NoteEditEngine::kHeaderColor;
    EXPECT_EQ(Look(NoteEditEngine::kHeader1).text, (Color{stored.red, stored.green, stored.blue}));
    EXPECT_DOUBLE_EQ(ContrastRatio(kBlack, kWhite), 21);
    EXPECT_DOUBLE_EQ(ContrastRatio(kDark.base, kDark.base), 1);
}

}  // namespace
}  // namespace NoteLayoutEngine
