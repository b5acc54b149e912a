#include <gtest/gtest.h>

#include "model/NoteDocument.h"
#include "model/Styles.h"

namespace NoteEditEngine {
namespace {

TEST(ParagraphFormatTest, IndentIsClampedByEverySetter) {
    ParagraphFormat format;
    format.SetIndent(15);
    EXPECT_EQ(format.Indent(), 14);
    format.SetIndent(100);
    EXPECT_EQ(format.Indent(), 14);
    format.IncrementIndent();
    EXPECT_EQ(format.Indent(), 14);
    format.SetIndent(-1);
    EXPECT_EQ(format.Indent(), 0);
    format.DecrementIndent();
    EXPECT_EQ(format.Indent(), 0);
    EXPECT_EQ(ParagraphFormat(kNormal, -2).Indent(), 0);
    EXPECT_EQ(ParagraphFormat(kNormal, 20).Indent(), 14);
}

TEST(StyleNamesTest, StoredNamesAndLegacyNames) {
    EXPECT_EQ(ParagraphStyleFromName(u"listbullet"), kUncheckedList);
    EXPECT_EQ(ParagraphStyleFromName(u"listordered"), kNegativeList);
    EXPECT_EQ(ParagraphStyleFromName(u"Paragraph"), std::nullopt);  // names are exact
    EXPECT_EQ(ParagraphStyleFromName(u""), std::nullopt);
    EXPECT_EQ(CharacterStyleFromName(u"comment"), std::nullopt);  // Comment is stored as "link"
    // An unknown code is written as Normal; every other stored name reads back as its own code.
    EXPECT_EQ(&ParagraphStyleOf(kParagraphStyleCount), &ParagraphStyleOf(kNormal));
    for (uint32_t code = 0; code < kParagraphStyleCount; ++code) {
        if (code == kOrderedList) continue;
        EXPECT_EQ(ParagraphStyleFromName(ParagraphStyleOf(code).storedName), code);
    }
    for (int bit = 0; bit < CharacterStyle::kFlagCount; ++bit)
        EXPECT_EQ(CharacterStyleFromName(kCharacterStyles[bit].storedName), bit);
}

}  // namespace
}  // namespace NoteEditEngine
