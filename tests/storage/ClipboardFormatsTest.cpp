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

using NoteEditEngine::CNoteDocument;
using NoteEditEngine::CNotePosition;
using NoteEditEngine::TestSupport::Dump;
using NoteEditEngine::TestSupport::MakeDocument;

// Renderings as UTF-8, so that failures print readably.
std::string Plain(const CNotePosition& start, const CNotePosition& end) {
    std::u16string out;
    WritePlainText(out, start, end);
    return NoteBase::Utf16ToUtf8(out);
}
std::string Html(const CNotePosition& start, const CNotePosition& end) {
    std::u16string out;
    WriteHtml(out, start, end);
    return NoteBase::Utf16ToUtf8(out);
}
std::u16string Xml(const CNotePosition& start, const CNotePosition& end) {
    std::u16string out;
    WriteContentXml(out, start, end);
    return out;
}
std::string Selection(std::u16string_view rendering, const std::vector<SelectionPart>& parts) {
    std::u16string out;
    EXPECT_TRUE(WriteSelectionText(rendering, parts, out));
    return NoteBase::Utf16ToUtf8(out);
}

class ClipboardFormatsTest : public ::testing::Test {
protected:
    void SetUp() override {
        NoteEditEngine::TestSupport::UseUtf8Locale();
        NoteEditEngine::NotificationsEnabled = true;
    }
};

// --- Writers over one note ---

TEST_F(ClipboardFormatsTest, PieceOfOneParagraphHasNoParagraphElement) {
    auto doc = MakeDocument("¶a{1}b{0}c¶def");
    // From inside the paragraph, and from its mark: both stay bare text.
    EXPECT_EQ(Html(doc->FromIndex(1), doc->FromIndex(3)), "<strong style=\"\">b</strong>c");
    EXPECT_EQ(Html(doc->FromIndex(0), doc->FromIndex(2)), "a<strong style=\"\">b</strong>");
    EXPECT_EQ(Xml(doc->FromIndex(0), doc->FromIndex(2)), u"a<strong>b</strong>");
    EXPECT_EQ(Plain(doc->FromIndex(0), doc->FromIndex(2)), "ab");

    // Styles of bare text close before the first paragraph element opens.
    EXPECT_EQ(Html(doc->FromIndex(1), doc->End()),
              "<strong style=\"\">b</strong>c<p style=\"\">def</p>");
    // The ends may come in either order.
    EXPECT_EQ(Html(doc->FromIndex(2), doc->FromIndex(0)), "a<strong style=\"\">b</strong>");
}

TEST_F(ClipboardFormatsTest, PastingAPieceIntoAHeaderKeepsTheHeader) {
    auto source = MakeDocument("¶one {1}two{0}¶more");
    const std::u16string xml = Xml(source->FromIndex(0), source->FromIndex(7));
    ASSERT_EQ(xml.find(u"<paragraph"), std::u16string::npos);

    for (uint32_t at : {0u, 2u, 5u}) {
        auto target = MakeDocument("¶[1,0]Title");
        CNotePosition caret = target->FromIndex(at);
        ASSERT_TRUE(InsertClipboardText(caret, xml, kRenderingXml));
        const std::string title = "Title";
        const std::string rest = title.substr(at);
        EXPECT_EQ(Dump(*target), "¶[1,0]" + title.substr(0, at) + "one {1}two" +
                                     (rest.empty() ? "" : "{0}" + rest))
            << "caret at " << at;
        EXPECT_EQ(caret.Index(), at + 7);
    }
}

TEST_F(ClipboardFormatsTest, HtmlParagraphAndCharacterTables) {
    auto doc = MakeDocument("¶[0,0]n¶[1,0]a¶[2,0]b¶[3,0]c¶[4,0]d¶[5,0]e¶[6,2]f¶[7,0]g¶[8,14]h");
    EXPECT_EQ(Html(doc->Start(), doc->End()),
              "<p style=\"\">n</p>"
              "<h1 style=\"color:rgb(80,80,150);\">a</h1>"
              "<h2 style=\"color:rgb(80,80,150);\">b</h2>"
              "<h3 style=\"color:rgb(80,80,150);\">c</h3>"
              "<li style=\"\">d</li>"
              "<li style=\"list-style-type:circle;\">e</li>"
              "<li style=\"margin-left:4em;list-style-type:disc;\">f</li>"
              "<li style=\"list-style-type:square;\">g</li>"
              "<li style=\"margin-left:28em;list-style-type:square;\">h</li>");

    // Strong outermost, comment innermost; flags below the first difference stay open.
    auto styled = MakeDocument("¶x{1}a{5}b{4}c{2}<&\"'>{0}");
    EXPECT_EQ(Html(styled->FromIndex(1), styled->End()),
              "<strong style=\"\">a<em style=\"\">b</em></strong><em style=\"\">c</em>"
              "<u style=\"background:rgb(250,250,160);text-decoration:none;\">"
              "&lt;&amp;&quot;&apos;&gt;</u>");
}

TEST_F(ClipboardFormatsTest, HtmlEmptyParagraphsHoldANonBreakingSpace) {
    // The marks' own styles are not opened around "&nbsp;".
    auto doc = MakeDocument("¶a¶{1}¶[2,1]{0}¶b¶");
    EXPECT_EQ(Html(doc->Start(), doc->End()),
              "<p style=\"\">a</p><p style=\"\">&nbsp;</p>"
              "<h2 style=\"margin-left:2em;color:rgb(80,80,150);\">&nbsp;</h2>"
              "<p style=\"\">b</p><p style=\"\">&nbsp;</p>");
    // A range ending at a mark does not open that paragraph.
    EXPECT_EQ(Html(doc->Start(), doc->FromIndex(2)), "<p style=\"\">a</p>");
}

TEST_F(ClipboardFormatsTest, HtmlFixedWidthLinesShareOnePreElement) {
    auto doc = MakeDocument("¶[9,0]a{1}b¶[9,1]c¶[9,2]¶[9,0]d{0}¶e¶[9,1]f");
    EXPECT_EQ(Html(doc->Start(), doc->End()),
              "<pre style=\"\">a<strong style=\"\">b\r\n    c\r\n        \r\nd</strong></pre>"
              "<p style=\"\">e</p>"
              "<pre style=\"margin-left:2em;\">    f</pre>");
}

TEST_F(ClipboardFormatsTest, PlainTextTabsForFixedWidthAndFinalLineBreak) {
    auto doc = MakeDocument("¶[9,2]ab¶[5,3]c¶[9,1]de");
    EXPECT_EQ(Plain(doc->Start(), doc->End()), "\t\tab\r\nc\r\n\tde\r\n");
    // Not to the end: no final break. Starting inside a line: no tabs for it.
    EXPECT_EQ(Plain(doc->Start(), doc->FromIndex(4)), "\t\tab\r\nc");
    EXPECT_EQ(Plain(doc->FromIndex(1), doc->FromIndex(6)), "b\r\nc\r\n\td");
    // An empty range at the end of a note still ends its line; elsewhere it gives nothing.
    EXPECT_EQ(Plain(doc->End(), doc->End()), "\r\n");
    EXPECT_EQ(Plain(doc->Start(), doc->Start()), "");

    auto empty = MakeDocument("¶");
    EXPECT_EQ(Plain(empty->Start(), empty->End()), "\r\n");
}

TEST_F(ClipboardFormatsTest, ZeroCodeUnitDoesNotCutPlainTextOrHtml) {
    // A file with a raw 0 leaves a 0 code unit in the note.
    auto doc = MakeDocument(std::string_view("¶a\0xb", 6));
    const std::u16string plain = [&] {
        std::u16string out;
        WritePlainText(out, doc->Start(), doc->End());
        return out;
    }();
    EXPECT_EQ(plain.find(u'\0'), std::u16string::npos);
    EXPECT_EQ(plain, u"a\uFFFDxb\r\n");
    EXPECT_EQ(Html(doc->Start(), doc->End()), "<p style=\"\">a\uFFFDxb</p>");
}

// --- Selections over several notes ---

TEST_F(ClipboardFormatsTest, SelectionOverTwoNotes) {
    auto a = MakeDocument("¶a1¶a2");
    auto b = MakeDocument("¶[1,0]b1¶b2");
    const std::vector<SelectionPart> parts = {{a->FromIndex(3), a->End()},
                                              {b->Start(), b->FromIndex(2)}};

    EXPECT_EQ(Selection(kRenderingUnicode, parts), "a2\r\nb1");
    EXPECT_EQ(Selection(kRenderingHtml, parts),
              "<p style=\"\">a2</p>\r\n<hr>\r\n<h1 style=\"color:rgb(80,80,150);\">b1</h1>");
    // The second note's piece keeps its paragraph element, so a paste keeps the notes apart.
    const std::string xml = Selection(kRenderingXml, parts);
    EXPECT_EQ(xml, "<paragraph>a2</paragraph><header1>b1</header1>");

    CNoteDocument target;
    CNotePosition caret = target.Start();
    ASSERT_TRUE(InsertClipboardText(caret, NoteBase::Utf8ToUtf16(xml), kRenderingXml));
    EXPECT_EQ(Dump(target), "¶a2¶[1,0]b1");

    // A whole later note, and the first note's part reversed.
    const std::vector<SelectionPart> whole = {{a->End(), a->FromIndex(4)}, {b->Start(), b->End()}};
    EXPECT_EQ(Selection(kRenderingXml, whole), "2<header1>b1</header1><paragraph>b2</paragraph>");
    EXPECT_EQ(Selection(kRenderingUnicode, whole), "2\r\nb1\r\nb2\r\n");

    std::u16string out = u"kept";
    EXPECT_FALSE(WriteSelectionText(u"RTF", parts, out));
    EXPECT_EQ(out, u"kept");
}

// --- The "HTML Format" block ---

struct HtmlFormatOffsets {
    long startHtml;
    long endHtml;
    long startFragment;
    long endFragment;
};

HtmlFormatOffsets ParseOffsets(const std::string& block) {
    auto number = [&block](std::string_view key) {
        const size_t at = block.find(key);
        EXPECT_NE(at, std::string::npos) << key;
        if (at == std::string::npos) return -1L;
        const std::string digits = block.substr(at + key.size(), 8);
        EXPECT_EQ(digits.find_first_not_of("0123456789"), std::string::npos) << digits;
        EXPECT_EQ(block.substr(at + key.size() + 8, 2), "\r\n");
        return std::stol(digits);
    };
    return {number("StartHTML:"), number("EndHTML:"), number("StartFragment:"),
            number("EndFragment:")};
}

TEST_F(ClipboardFormatsTest, HtmlFormatOffsetsCountUtf8Bytes) {
    for (const std::u16string_view fragment :
         {std::u16string_view(u"<p style=\"\">plain ascii</p>"),
          std::u16string_view(u"<p style=\"\">caf\u00e9 \u20ac \U0001F600</p>"),
          std::u16string_view(u"")}) {
        const std::string utf8 = NoteBase::Utf16ToUtf8(fragment);
        const std::string block = HtmlFormatBlock(fragment);
        const HtmlFormatOffsets offsets = ParseOffsets(block);
        EXPECT_EQ(offsets.startHtml, 97);
        EXPECT_EQ(offsets.startFragment, 149);
        EXPECT_EQ(offsets.endFragment - offsets.startFragment, static_cast<long>(utf8.size()));
        EXPECT_EQ(offsets.endHtml, offsets.endFragment + 36);
        EXPECT_EQ(static_cast<long>(block.size()), offsets.endHtml);

        EXPECT_EQ(block.substr(97, 6), "<html>");
        EXPECT_EQ(block.substr(126, 23), "<!--StartFragment -->\r\n");
        EXPECT_EQ(block.substr(149, utf8.size()), utf8);
        EXPECT_EQ(block.substr(static_cast<size_t>(offsets.endFragment)),
                  "<!--EndFragment-->\r\n</body>\r\n</html>");
        EXPECT_EQ(block.find('\0'), std::string::npos);
    }
}

// --- Insertion ---

TEST_F(ClipboardFormatsTest, PlainTextPaste) {
    // Letter, line feed, tab, letter into the middle of an indent-1 paragraph.
    auto doc = MakeDocument("¶[0,1]xy¶z");
    CNotePosition caret = doc->FromIndex(1);
    ASSERT_TRUE(InsertClipboardText(caret, u"a\n\tb", kRenderingUnicode));
    EXPECT_EQ(Dump(*doc), "¶[0,1]xa¶[0,2]by¶z");
    EXPECT_EQ(caret.Index(), 4u);

    // Carriage return and line feed pairs make one break each.
    CNoteDocument pairs;
    caret = pairs.Start();
    ASSERT_TRUE(InsertClipboardText(caret, u"p\r\nq\r\n\r\nr", kRenderingUnicode));
    EXPECT_EQ(Dump(pairs), "¶p¶q¶¶r");

    // Empty text and unknown names insert nothing and record nothing.
    CNoteDocument untouched;
    caret = untouched.Start();
    EXPECT_TRUE(InsertClipboardText(caret, u"", kRenderingUnicode));
    EXPECT_TRUE(InsertClipboardText(caret, u"", kRenderingXml));
    EXPECT_FALSE(InsertClipboardText(caret, u"text", kRenderingHtml));
    EXPECT_EQ(Dump(untouched), "¶");
    EXPECT_TRUE(untouched.UndoHistory().Steps().empty());
    CNotePosition null;
    EXPECT_FALSE(InsertClipboardText(null, u"text", kRenderingUnicode));
}

TEST_F(ClipboardFormatsTest, XmlCopyAndPasteRoundTrip) {
    const char* const text =
        "¶[1,0]Title¶plain {1}strong{3}both{6}hl+comment{0}¶[6,2]done¶[9,1]co{4}de{0}¶¶[8,14]last";
    auto source = MakeDocument(text);
    std::u16string xml;
    ASSERT_TRUE(WriteSelectionText(kRenderingXml, {{{source->Start(), source->End()}}}, xml));

    // Through the private format's bytes, as a copy and a paste in the program travel.
    CNoteDocument target;
    CNotePosition caret = target.Start();
    ASSERT_TRUE(InsertClipboardText(caret, PrivateClipText(PrivateClipBytes(xml)), kRenderingXml));
    EXPECT_EQ(Dump(target), text);
    EXPECT_EQ(caret, target.End());
}

// Every style's row reads back through the clipboard's own format: each paragraph style (but the
// one no file yields) and each character style alone.
TEST_F(ClipboardFormatsTest, EveryStyleRoundTripsThroughTheXmlFormat) {
    std::string text;
    for (uint32_t code = 0; code < NoteEditEngine::kParagraphStyleCount; ++code) {
        if (code == NoteEditEngine::kOrderedList) continue;
        text += "¶[" + std::to_string(code) + ",1]p";
        for (int bit = 0; bit < NoteEditEngine::CharacterStyle::kFlagCount; ++bit)
            text += "{" + std::to_string(1 << bit) + "}c{0}";
    }
    auto source = MakeDocument(text.c_str());
    std::u16string xml;
    ASSERT_TRUE(WriteSelectionText(kRenderingXml, {{{source->Start(), source->End()}}}, xml));
    CNoteDocument target;
    CNotePosition caret = target.Start();
    ASSERT_TRUE(InsertClipboardText(caret, xml, kRenderingXml));
    EXPECT_EQ(Dump(target), Dump(*source));
}

TEST_F(ClipboardFormatsTest, PrivateFormatBytes) {
    EXPECT_EQ(PrivateClipText(std::string_view()), u"");
    EXPECT_EQ(PrivateClipText(std::string_view("a", 1)), u"");
    // The last two bytes are the terminator, whatever they hold.
    EXPECT_EQ(PrivateClipText(std::string_view("\0\0", 2)), u"");
    EXPECT_EQ(PrivateClipText(std::string_view("ab", 2)), u"");
    // Odd lengths: the stray last byte is ignored.
    EXPECT_EQ(PrivateClipText(std::string_view("a\0b\0\0\0X", 7)), u"ab");
    EXPECT_EQ(PrivateClipText(std::string_view("a\0\0", 3)), u"");
    // Little-endian, with zero padding after the terminator dropped.
    EXPECT_EQ(PrivateClipText(std::string_view("\x01\x02\0\0\0\0\0\0", 8)), u"\u0201");

    const std::u16string text = u"<header1>x &amp; \u00e9\U0001F600</header1>";
    const std::string bytes = PrivateClipBytes(text);
    EXPECT_EQ(bytes.size(), 2 * text.size() + 2);
    EXPECT_EQ(PrivateClipText(bytes), text);

    // A block too short for text pastes nothing.
    CNoteDocument doc;
    CNotePosition caret = doc.Start();
    EXPECT_TRUE(
        InsertClipboardText(caret, PrivateClipText(std::string_view("<", 1)), kRenderingXml));
    EXPECT_EQ(Dump(doc), "¶");
}

}  // namespace
}  // namespace NoteStorage
