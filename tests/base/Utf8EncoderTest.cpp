#include <gtest/gtest.h>

#include <string>

#include "base/Utf8Encoder.h"

namespace NoteBase {
namespace {

TEST(Utf8EncoderTest, EachLengthAtItsBounds) {
    struct Case {
        char32_t value;
        std::string bytes;
    };
    const Case cases[] = {
        {0x00, std::string(1, '\0')},
        {0x7F, "\x7F"},
        {0x80, "\xC2\x80"},
        {0xA7, "\xC2\xA7"},
        {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"},
        {0xD800, "\xED\xA0\x80"},  // a lone half, as code-unit dumps write it
        {0xFFFD, "\xEF\xBF\xBD"},
        {0xFFFF, "\xEF\xBF\xBF"},
        {0x10000, "\xF0\x90\x80\x80"},
        {0x1F600, "\xF0\x9F\x98\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
    };
    for (const Case& c : cases) {
        std::string out = "x";
        AppendUtf8(out, c.value);
        EXPECT_EQ(out, "x" + c.bytes) << std::hex << static_cast<uint32_t>(c.value);
    }
}

TEST(Utf8EncoderTest, TextJoinsPairsAndReplacesLoneHalves) {
    struct Case {
        std::u16string text;
        std::string bytes;
    };
    const Case cases[] = {
        {u"", ""},
        {u"a\u00A7\u20AC", "a\xC2\xA7\xE2\x82\xAC"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},
        {std::u16string(1, char16_t{0xD83D}) + u"x", "\xEF\xBF\xBDx"},
        {std::u16string(1, char16_t{0xDE00}) + std::u16string(1, char16_t{0xD83D}),
         "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Utf16ToUtf8(c.text), c.bytes);
}

}  // namespace
}  // namespace NoteBase
