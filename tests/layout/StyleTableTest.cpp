// The style table: fonts, colours and metrics by paragraph style, character style, selection and
// text size, built from whatever the window measured of the fonts.
#include <gtest/gtest.h>

#include <vector>

#include "layout/StyleTable.h"

namespace NoteLayoutEngine {
namespace {

using NoteEditEngine::CharacterStyle;

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

TEST(StyleTableTest, TextSizesScaleFontsMarginsAndMarkers) {
    struct Case {
        TextSize size;
        TextScale scale;
        int32_t bodyCell;
        int32_t header1Cell;
        Margins viewMargins;
        Margins noteMargins;
    };
    const Case cases[] = {
        {TextSize::kLargest, {120, 8, 2}, 19, 28, {0, 12, 18, 18}, {24, 24, 0, 0}},
        {TextSize::kLarger, {110, 6, 2}, 17, 26, {0, 11, 16, 16}, {22, 22, 0, 0}},
        {TextSize::kMedium, {100, 6, 2}, 16, 24, {0, 10, 15, 15}, {20, 20, 0, 0}},
        {TextSize::kSmaller, {93, 6, 2}, 14, 22, {0, 9, 13, 13}, {18, 18, 0, 0}},
        {TextSize::kSmallest, {85, 5, 1}, 13, 20, {0, 8, 12, 12}, {17, 17, 0, 0}},
        // Out of range: Medium.
        {static_cast<TextSize>(7), {100, 6, 2}, 16, 24, {0, 10, 15, 15}, {20, 20, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.size));
        EXPECT_EQ(TextScaleOf(c.size, false), c.scale);
        const TextScale printed{1000, c.scale.markerUnit * 10, c.scale.lineThickness * 10};
        EXPECT_EQ(TextScaleOf(c.size, true), printed);
        const StyleLook body = Look(NoteEditEngine::kNormal, 0, false, c.size);
        EXPECT_EQ(body.font.cellHeight, c.bodyCell);
        EXPECT_EQ(Look(NoteEditEngine::kHeader1, 0, false, c.size).font.cellHeight, c.header1Cell);
        EXPECT_EQ(body.metrics.viewMargins, c.viewMargins);
        EXPECT_EQ(body.metrics.noteMargins, c.noteMargins);
        EXPECT_EQ(body.metrics.markerUnit, c.scale.markerUnit);
        EXPECT_EQ(body.metrics.lineThickness, c.scale.lineThickness);
        const StyleLook list = Look(NoteEditEngine::kCheckedList, 0, false, c.size);
        EXPECT_EQ(list.metrics.rowMargins.left, 2 * c.scale.markerUnit);
    }
    // While printing everything is ten times Medium's, the marker of the chosen size.
    const StyleLook printed = Look(NoteEditEngine::kHeader2, 0, false, TextSize::kLargest, true);
    EXPECT_EQ(printed.font.cellHeight, 200);
    EXPECT_EQ(printed.metrics.paragraphSpacing, (Margins{150, 20, 0, 0}));
    EXPECT_EQ(printed.metrics.markerUnit, 80);
}

TEST(StyleTableTest, ParagraphStylesPickFontAndSpacing) {
    using namespace NoteEditEngine;
    struct Case {
        uint32_t paragraph;
        FontRequest font;
        Margins spacing;
        int32_t rowLeft;
    };
    const Case cases[] = {
        {kNormal, {false, 16, false, false}, {3, 3, 0, 0}, 0},
        {kHeader1, {false, 24, true, false}, {20, 3, 0, 0}, 0},
        {kHeader2, {false, 20, true, false}, {15, 2, 0, 0}, 0},
        {kHeader3, {false, 16, true, false}, {10, 1, 0, 0}, 0},
        {kOrderedList, {false, 16, false, false}, {0, 0, 0, 0}, 12},
        {kUncheckedList, {false, 16, false, false}, {0, 0, 0, 0}, 12},
        {kNegativeList, {false, 16, false, false}, {0, 0, 0, 0}, 12},
        {kFixedWidth, {true, 16, false, false}, {0, 0, 0, 0}, 0},
        // An unknown style code is Normal.
        {kParagraphStyleCount + 3, {false, 16, false, false}, {3, 3, 0, 0}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.paragraph);
        const StyleLook look = Look(c.paragraph);
        EXPECT_EQ(look.font, c.font);
        EXPECT_EQ(look.metrics.paragraphSpacing, c.spacing);
        const FontMeasures measured = Measure(c.font);
        EXPECT_EQ(look.metrics.rowMargins, (Margins{0, measured.externalLeading, c.rowLeft, 0}));
        EXPECT_EQ(look.metrics.ascent, measured.ascent);
        EXPECT_EQ(look.metrics.descent, measured.descent);
        EXPECT_EQ(look.metrics.lineHeight, measured.ascent + measured.descent);
        // The indent unit is four widths of the fixed-width face, whatever the style's font.
        EXPECT_EQ(look.metrics.indentUnit, 4 * 9);
    }
}

TEST(StyleTableTest, CharacterStylesAndSelectionPickFontAndColours) {
    using namespace NoteEditEngine;
    constexpr uint32_t kStrong = 1u << CharacterStyle::kStrong;
    constexpr uint32_t kHighlight = 1u << CharacterStyle::kHighlight;
    constexpr uint32_t kComment = 1u << CharacterStyle::kComment;
    struct Case {
        uint32_t paragraph;
        uint32_t character;
        bool selected;
        bool printing;
        bool bold;
        bool italic;
        Color text;
        Color background;
    };
    const Case cases[] = {
        {kNormal, 0, false, false, false, false, kBlack, kWhite},
        {kNormal, kStrong, false, false, true, false, kBlack, kWhite},
        {kNormal, kHighlight, false, false, false, false, kBlack, kHighlightBackground},
        {kNormal, kComment, false, false, false, true, kCommentText, kWhite},
        {kHeader1, 0, false, false, true, false, kHeaderText, kWhite},
        // Selected text is inverted on screen: white on black, highlight dark blue.
        {kNormal, 0, true, false, false, false, kWhite, kBlack},
        {kNormal, kHighlight, true, false, false, false, kWhite, {5, 5, 95}},
        {kHeader2, 0, true, false, true, false, {175, 175, 105}, kBlack},
        // Printing: headers black, comments still grey, never inverted.
        {kHeader1, 0, true, true, true, false, kBlack, kWhite},
        {kHeader3, kComment | kStrong, false, true, true, true, kCommentText, kWhite},
        {kNormal, kHighlight, true, true, false, false, kBlack, kHighlightBackground},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.paragraph) + "/" + std::to_string(c.character) +
                     (c.selected ? " selected" : "") + (c.printing ? " printing" : ""));
        const StyleLook look =
            Look(c.paragraph, c.character, c.selected, TextSize::kMedium, c.printing);
        EXPECT_EQ(look.font.bold, c.bold);
        EXPECT_EQ(look.font.italic, c.italic);
        EXPECT_EQ(look.text, c.text);
        EXPECT_EQ(look.background, c.background);
    }
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
