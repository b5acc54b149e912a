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

StyleLook Look(uint32_t paragraph, uint32_t character = 0, bool selected = false,
               TextSize size = TextSize::kMedium, bool printing = false) {
    return LookOf(paragraph, CharacterStyle(character), selected, TextScaleOf(size, printing),
                  printing, Measure);
}

constexpr TextSize kSmallToLarge[] = {TextSize::kSmallest, TextSize::kSmaller, TextSize::kMedium,
                                      TextSize::kLarger, TextSize::kLargest};

// Every style has a font, which grows with the text size as its spacing and margins do; printing
// is ten times Medium with the chosen size's markers; an unknown size is Medium.
TEST(StyleTableTest, EveryStyleGrowsWithTheTextSize) {
    for (uint32_t paragraph = 0; paragraph < kParagraphStyleCount; ++paragraph) {
        SCOPED_TRACE(paragraph);
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
        const StyleLook medium = Look(paragraph);
        EXPECT_EQ(Look(paragraph, 0, false, static_cast<TextSize>(7)).font, medium.font);
        const StyleLook printed = Look(paragraph, 0, false, TextSize::kLargest, true);
        EXPECT_EQ(printed.font.cellHeight, 10 * medium.font.cellHeight);
        EXPECT_EQ(printed.metrics.paragraphSpacing.top, 10 * medium.metrics.paragraphSpacing.top);
        EXPECT_EQ(printed.metrics.markerUnit,
                  10 * TextScaleOf(TextSize::kLargest, false).markerUnit);
    }
}

// The metrics come from the measured font; lists leave room for their marker; the indent unit
// is four widths of the fixed-width face whatever the style's font; an unknown code is Normal.
TEST(StyleTableTest, MetricsComeFromTheMeasuredFont) {
    for (uint32_t paragraph = 0; paragraph <= kParagraphStyleCount; ++paragraph) {
        SCOPED_TRACE(paragraph);
        const StyleLook look = Look(paragraph);
        const FontMeasures measured = Measure(look.font);
        EXPECT_EQ(look.metrics.ascent, measured.ascent);
        EXPECT_EQ(look.metrics.lineHeight, measured.ascent + measured.descent);
        EXPECT_EQ(look.metrics.rowMargins.bottom, measured.externalLeading);
        EXPECT_EQ(look.metrics.rowMargins.left,
                  NoteEditEngine::IsListStyle(paragraph) ? 2 * look.metrics.markerUnit : 0);
        EXPECT_EQ(look.metrics.indentUnit, 4 * 9);
    }
    EXPECT_EQ(Look(kParagraphStyleCount).font, Look(NoteEditEngine::kNormal).font);
    EXPECT_EQ(Look(kParagraphStyleCount).metrics.paragraphSpacing,
              Look(NoteEditEngine::kNormal).metrics.paragraphSpacing);
}

// Character styles add to any paragraph's look; selection inverts the colours on screen only;
// paper keeps the character styles' colours but prints every paragraph's text black.
TEST(StyleTableTest, CharacterStylesSelectionAndPrinting) {
    const uint32_t all = CharacterStyle::kMask;
    for (uint32_t paragraph = 0; paragraph < kParagraphStyleCount; ++paragraph) {
        SCOPED_TRACE(paragraph);
        const StyleLook plain = Look(paragraph);
        const StyleLook styled = Look(paragraph, all);
        EXPECT_TRUE(styled.font.bold && styled.font.italic);
        EXPECT_EQ(styled.font.cellHeight, plain.font.cellHeight);
        const StyleLook selected = Look(paragraph, all, true);
        EXPECT_EQ(selected.text, styled.text.Inverted());
        EXPECT_EQ(selected.background, styled.background.Inverted());
        EXPECT_EQ(Look(paragraph, 0, true, TextSize::kMedium, true).text, kBlack);
        const StyleLook printed = Look(paragraph, all, true, TextSize::kMedium, true);
        EXPECT_EQ(printed.text, styled.text);
        EXPECT_EQ(printed.background, styled.background);
    }
    EXPECT_EQ(Look(NoteEditEngine::kNormal).background, kWhite);
    EXPECT_NE(Look(NoteEditEngine::kNormal, 1u << CharacterStyle::kHighlight).background, kWhite);
    EXPECT_NE(Look(NoteEditEngine::kHeader1).text, kBlack);
}

TEST(StyleTableTest, AsksForTheStyleFontAndTheIndentFontOnly) {
    std::vector<FontRequest> asked;
    const StyleLook look =
        LookOf(NoteEditEngine::kHeader1, CharacterStyle(1u << CharacterStyle::kComment), false,
               TextScaleOf(TextSize::kLargest, false), false, [&](const FontRequest& font) {
                   asked.push_back(font);
                   return Measure(font);
               });
    EXPECT_EQ(asked, (std::vector<FontRequest>{{false, 28, true, true}, {true, 19, false, false}}));
    EXPECT_EQ(look.metrics.lineHeight, 28 - 4 + 5);
}

}  // namespace
}  // namespace NoteLayoutEngine
