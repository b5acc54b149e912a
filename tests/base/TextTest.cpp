// UTF-8 and UTF-16 conversions, surrogate pairs and lowering, at the edges of their ranges.
#include <gtest/gtest.h>

#include <clocale>
#include <initializer_list>
#include <random>
#include <string>

#include "base/CaseFolding.h"
#include "base/Utf8.h"

namespace NoteBase {
namespace {

std::u16string Units(std::initializer_list<char16_t> units) {
    return std::u16string(units);
}

TEST(Utf8Test, AppendUtf8WritesEachLengthAtItsBounds) {
    const struct {
        char32_t value;
        std::string bytes;
    } cases[] = {
        {0x00, std::string(1, '\0')},
        {0x7F, "\x7F"},
        {0x80, "\xC2\x80"},
        {0x7FF, "\xDF\xBF"},
        {0x800, "\xE0\xA0\x80"},
        {0xD800, "\xED\xA0\x80"},  // a lone half, as code-unit dumps write it
        {0xFFFF, "\xEF\xBF\xBF"},
        {0x10000, "\xF0\x90\x80\x80"},
        {0x10FFFF, "\xF4\x8F\xBF\xBF"},
    };
    for (const auto& c : cases) {
        std::string out = "x";
        AppendUtf8(out, c.value);
        EXPECT_EQ(out, "x" + c.bytes) << std::hex << static_cast<uint32_t>(c.value);
    }
}

TEST(Utf8Test, WellFormedTextGoesBothWays) {
    const struct {
        std::u16string text;
        std::string bytes;
    } cases[] = {
        {u"", ""},
        {u"a\u00A7\u20AC", "a\xC2\xA7\xE2\x82\xAC"},
        {u"a\u00e9\u20ac\U0001F600z", "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80z"},
        {u"\U0010FFFF\uFEFF", "\xF4\x8F\xBF\xBF\xEF\xBB\xBF"},  // a byte-order mark is kept
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf16ToUtf8(c.text), c.bytes);
        EXPECT_EQ(Utf8ToUtf16(c.bytes), c.text) << c.bytes;
    }
}

TEST(Utf8Test, LoneHalvesAndIllFormedBytesBecomeReplacementCharacters) {
    const struct {
        std::u16string text;
        std::string bytes;
    } encoded[] = {
        {Units({0xD83D, u'x'}), "\xEF\xBF\xBDx"},
        {Units({0xDE00, 0xD83D}), "\xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& c : encoded)
        EXPECT_EQ(Utf16ToUtf8(c.text), c.bytes);
    // Stray continuation, overlong, encoded surrogate, above U+10FFFF, truncated at the end; a
    // broken sequence does not swallow the byte that broke it.
    const struct {
        std::string bytes;
        std::u16string text;
    } decoded[] = {
        {"a\x80"
         "b",
         u"a\uFFFDb"},
        {"\xC0\xAF", u"\uFFFD\uFFFD"},
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"x\xE2\x82", u"x\uFFFD"},
        {"\xE2\x82<", u"\uFFFD<"},
    };
    for (const auto& c : decoded)
        EXPECT_EQ(Utf8ToUtf16(c.bytes), c.text) << c.bytes;
}

TEST(Utf8Test, LongAsciiRunsDecodeAsByteByByte) {
    // Split before every ASCII byte, no piece holds a run of ASCII: each is decoded a byte at a
    // time, and since an ASCII byte always starts afresh the pieces must join to the whole.
    std::mt19937 rng(99);
    const std::string_view pieces[] = {"abcdefgh",         "xyz",  "<p>",  "\xC3\xA9", "\xE2\x82",
                                       "\xF0\x9F\x98\x80", "\x80", "\xFF", "\xED\xA0"};
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        const int count = static_cast<int>(rng() % 12);
        for (int i = 0; i < count; ++i)
            bytes += pieces[rng() % std::size(pieces)];
        std::u16string joined;
        size_t start = 0;
        for (size_t i = 1; i <= bytes.size(); ++i) {
            if (i == bytes.size() || static_cast<unsigned char>(bytes[i]) < 0x80) {
                joined += Utf8ToUtf16(std::string_view(bytes).substr(start, i - start));
                start = i;
            }
        }
        ASSERT_EQ(Utf8ToUtf16(bytes), joined) << bytes;
    }
}

TEST(CaseFoldingTest, LowersByTheLocaleAndLeavesHalvesAlone) {
    ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
    const std::vector<char16_t> table = LowerCaseTable();
    ASSERT_EQ(table.size(), 0x10000u);
    const char16_t cases[][2] = {
        {u'A', u'a'}, {u'z', u'z'},     {u'\u00C4', u'\u00E4'}, {u'\u0416', u'\u0436'},
        {u'1', u'1'}, {0xD801, 0xD801}, {0xDC00, 0xDC00},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LowerCodeUnit(c[0]), c[1]) << int(c[0]);
        EXPECT_EQ(table[c[0]], c[1]) << int(c[0]);
    }
    // ASCII names ignore the locale: only A-Z change.
    EXPECT_EQ(LowerAscii(u'Q'), u'q');
    EXPECT_EQ(LowerAscii(u'\u00C4'), u'\u00C4');
    EXPECT_EQ(LowerAscii(u'['), u'[');
}

}  // namespace
}  // namespace NoteBase
