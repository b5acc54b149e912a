#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/Utf8.h"
#include "model/NoteDocument.h"
#include "model/NoteUndoHistory.h"
#include "storage/ClipboardFormats.h"
#include "storage/NoteFile.h"
#include "tests/support/ModelTestSupport.h"

namespace NoteStorage {
namespace {

using namespace std::literals;
using NoteEditEngine::CNoteDocument;
using NoteEditEngine::CNotePosition;
using NoteEditEngine::TestSupport::Dump;
using NoteEditEngine::TestSupport::MakeDocument;

class ClipboardFormatsTest : public ::testing::Test {
protected:
    void SetUp() override {
        NoteEditEngine::TestSupport::UseUtf8Locale();
        NoteEditEngine::NotificationsEnabled = true;
    }
};

// Plain text and HTML of a range of one note (-1: its end), either way round.
TEST_F(ClipboardFormatsTest, PlainTextAndHtmlOfARange) {
    const struct {
        std::string_view document;
        int from;
        int to;
        const char* plain;  // null: not checked
        const char* html;
    } cases[] = {
        // A piece of one paragraph is bare text; its styles close before a paragraph opens.
        {"¶a{1}b{0}c¶def", 1, 3, nullptr, "<strong style=\"\">b</strong>c"},
        {"¶a{1}b{0}c¶def", 2, 0, "ab", "a<strong style=\"\">b</strong>"},
        {"¶a{1}b{0}c¶def", 1, -1, nullptr, "<strong style=\"\">b</strong>c<p style=\"\">def</p>"},
        // Strong outermost, comment innermost; flags below the first difference stay open.
        {"¶x{1}a{5}b{4}c{2}<&\"'>{0}", 1, -1, nullptr,
         "<strong style=\"\">a<em style=\"\">b</em></strong><em style=\"\">c</em>"
         "<u style=\"background:rgb(250,250,160);text-decoration:none;\">"
         "&lt;&amp;&quot;&apos;&gt;</u>"},
        // A range that ends where a paragraph starts leaves that paragraph out.
        {"¶a¶{1}¶[2,1]{0}¶b¶", 0, 2, nullptr, "<p style=\"\">a</p>"},
        // Fixed-width lines share one element; plain text indents them with tabs.
        {"¶[9,0]a{1}b¶[9,1]c¶[9,2]¶[9,0]d{0}¶e¶[9,1]f", 0, -1, nullptr,
         "<pre style=\"\">a<strong style=\"\">b\r\n    c\r\n        \r\nd</strong></pre>"
         "<p style=\"\">e</p><pre style=\"margin-left:2em;\">    f</pre>"},
        {"¶[9,2]ab¶[5,3]c¶[9,1]de", 0, -1, "\t\tab\r\nc\r\n\tde\r\n", nullptr},
        {"¶[9,2]ab¶[5,3]c¶[9,1]de", 0, 4, "\t\tab\r\nc", nullptr},
        {"¶[9,2]ab¶[5,3]c¶[9,1]de", 1, 6, "b\r\nc\r\n\td", nullptr},
        // An empty range at the end of a note still ends its line.
        {"¶[9,2]ab¶[5,3]c¶[9,1]de", -1, -1, "\r\n", nullptr},
        {"¶[9,2]ab¶[5,3]c¶[9,1]de", 0, 0, "", nullptr},
        {"¶", 0, -1, "\r\n", nullptr},
        // A raw 0 from a file cuts neither.
        {"¶a\0xb"sv, 0, -1, "a\uFFFDxb\r\n", "<p style=\"\">a\uFFFDxb</p>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.document) + " " + std::to_string(c.from));
        auto doc = MakeDocument(c.document);
        const auto at = [&](int i) { return i < 0 ? doc->End() : doc->FromIndex(uint32_t(i)); };
        std::u16string out;
        if (c.plain != nullptr) {
            WritePlainText(out, at(c.from), at(c.to));
            EXPECT_EQ(NoteBase::Utf16ToUtf8(out), c.plain);
        }
        if (c.html != nullptr) {
            out.clear();
            WriteHtml(out, at(c.from), at(c.to));
            EXPECT_EQ(NoteBase::Utf16ToUtf8(out), c.html);
        }
    }
}

// Each paragraph style (but the one no file yields) and each character style alone reads back
// through the private format's bytes, as a copy and a paste in the program travel.
TEST_F(ClipboardFormatsTest, EveryStyleRoundTripsThroughThePrivateFormat) {
    std::string text;
    for (uint32_t code = 0; code < NoteEditEngine::kParagraphStyleCount; ++code) {
        if (code == NoteEditEngine::kOrderedList) continue;
        text += "¶[" + std::to_string(code) + ",1]p";
        for (int bit = 0; bit < NoteEditEngine::CharacterStyle::kFlagCount; ++bit)
            text += "{" + std::to_string(1 << bit) + "}c{0}";
    }
    auto source = MakeDocument(text);
    std::u16string xml;
    ASSERT_TRUE(WriteSelectionText(kRenderingXml, {{{source->Start(), source->End()}}}, xml));
    CNoteDocument target;
    CNotePosition caret = target.Start();
    ASSERT_TRUE(InsertClipboardText(caret, PrivateClipText(PrivateClipBytes(xml)), kRenderingXml));
    EXPECT_EQ(Dump(target), Dump(*source));
    EXPECT_EQ(caret, target.End());
}

TEST_F(ClipboardFormatsTest, PrivateFormatBytes) {
    // The last two bytes are the terminator, whatever they hold; a stray odd byte is ignored;
    // little-endian, with zero padding after the terminator dropped.
    const std::pair<std::string_view, std::u16string_view> cases[] = {
        {""sv, u""sv},
        {"a"sv, u""sv},
        {"\0\0"sv, u""sv},
        {"ab"sv, u""sv},
        {"a\0b\0\0\0X"sv, u"ab"},
        {"a\0\0"sv, u""sv},
        {"\x01\x02\0\0\0\0\0\0"sv, u"\u0201"sv},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(PrivateClipText(bytes), text) << bytes.size();
    const std::u16string text = u"<header1>x &amp; \u00e9\U0001F600</header1>";
    EXPECT_EQ(PrivateClipBytes(text).size(), 2 * text.size() + 2);
    EXPECT_EQ(PrivateClipText(PrivateClipBytes(text)), text);
}

}  // namespace
}  // namespace NoteStorage
