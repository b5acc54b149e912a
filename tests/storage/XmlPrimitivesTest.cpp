#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "base/Utf16.h"
#include "base/Utf8.h"
#include "storage/XmlPrimitives.h"

namespace NoteStorage {
namespace {

// Reads the text as character data up to its end or a "<".
std::u16string ReadText(std::u16string_view text) {
    Cursor cursor = 0;
    std::u16string read;
    while (IsTextAt(text, cursor))
        NoteBase::AppendUtf16(read, ReadCharacter(text, cursor));
    return read;
}

TEST(XmlReadingTest, EntitiesNamedNumericAndBare) {
    const struct {
        std::u16string_view text;
        std::u16string_view read;
    } cases[] = {
        {u"&amp;&lt;&gt;&apos;&quot;", u"&<>'\""},
        {u"&#65;&#x42;&#x6a;&#0000067;&#x20AC;|", u"ABjC\u20ac|"},
        {u"&#x1F600;&#128512;", u"\U0001F600\U0001F600"},  // beyond U+FFFF: a surrogate pair
        // Numbers that name no XML character.
        {u"&#0;&#1;&#xD800;&#xDFFF;&#xFFFE;&#x110000;&#99999999999999999999;|",
         u"\ufffd\ufffd\ufffd\ufffd\ufffd\ufffd\ufffd|"},
        // An "&" that starts no known entity is itself, and the text goes on.
        {u"a & b", u"a & b"},
        {u"ab&cd<e>", u"ab&cd"},
        {u"&AMP;&nbsp;&;&#;&#x;&#12&#x4g;&#X41;", u"&AMP;&nbsp;&;&#;&#x;&#12&#x4g;&#X41;"},
        {u"&amp&lt", u"&amp&lt"},
        {u"x&", u"x&"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadText(c.text), c.read) << NoteBase::Utf16ToUtf8(c.text);
    }

    // A bare "&" inside an attribute value no longer ends the tag's reading.
    const std::u16string_view text = u"<a v='R&D' w=\"&#x1F600;\">";
    Cursor cursor = 3;
    ReadAttributeName(text, cursor);
    EXPECT_EQ(ReadAttributeValue(text, cursor), u"R&D");
    ASSERT_TRUE(HasMoreAttributes(text, cursor));
    ReadAttributeName(text, cursor);
    EXPECT_EQ(ReadAttributeValue(text, cursor), u"\U0001F600");
}

TEST(XmlReadingTest, EveryReaderStopsAtTheEndAndAtNpos) {
    const std::u16string_view texts[] = {u"",       u"<", u"<a", u"<a b", u"<a b=",
                                         u"<a b='", u"&", u"<!", u"<?"};
    for (std::u16string_view text : texts) {
        for (Cursor start : {Cursor{0}, static_cast<Cursor>(text.size()), npos}) {
            Cursor cursor = start;
            SkipToElement(text, cursor);
            cursor = start;
            ReadElementName(text, cursor);
            HasMoreAttributes(text, cursor);
            ReadAttributeName(text, cursor);
            ReadAttributeValue(text, cursor);
            ReadAttributeInt(text, cursor);
            SkipPastTagEnd(text, cursor);
            EXPECT_FALSE(IsTextAt(text, npos));
            EXPECT_FALSE(IsTagAt(text, npos));
            EXPECT_TRUE(cursor == npos || cursor <= text.size());
        }
    }
    Cursor cursor = 0;
    EXPECT_FALSE(SkipToElement(u"abc<", cursor));  // "<" as the last code unit starts nothing
    EXPECT_EQ(cursor, 4u);
}

}  // namespace
}  // namespace NoteStorage
