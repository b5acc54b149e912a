#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "base/Utf16.h"
#include "base/Utf8.h"
#include "model/NoteDocument.h"
#include "storage/ExportParagraphs.h"
#include "storage/NoteExport.h"
#include "tests/support/ModelTestSupport.h"
#include "tests/support/QpdfOutline.h"
#include "tests/support/TempFolder.h"

namespace NoteStorage {
namespace {

using NoteEditEngine::CharacterStyle;
using NoteEditEngine::CNoteDocument;
using NoteEditEngine::TestSupport::MakeDocument;
using NoteEditEngine::TestSupport::Utf16;

std::string Markdown(const std::vector<ExportNote>& notes) {
    std::u16string out;
    WriteMarkdownExport(notes, out);
    return NoteBase::Utf16ToUtf8(out);
}
// What the HTML holds between <body> and </body>.
std::string HtmlBody(const std::vector<ExportNote>& notes) {
    std::u16string out;
    WriteHtmlExport(notes, out);
    const std::string html = NoteBase::Utf16ToUtf8(out);
    const size_t begin = html.find("<body>\n");
    const size_t end = html.find("</body>");
    if (begin == std::string::npos || end == std::string::npos) return "no body in: " + html;
    return html.substr(begin + 7, end - begin - 7);
}

class NoteExportTest : public ::testing::Test {
protected:
    void SetUp() override { NoteEditEngine::TestSupport::UseUtf8Locale(); }
};

// --- The markup the readers below do not see: blank lines, margins, <br>, nested styles ---

TEST_F(NoteExportTest, BlocksMarginsAndNestedStylesAgainstExactOutput) {
    const struct {
        const char* document;  // compact text of tests/support/ModelTestSupport.h
        const char* markdown;  // after "# T\n\n"
        const char* html;      // inside the note's section, after its heading
    } cases[] = {
        {"¶a¶[1,1]H¶¶[2,0]¶b", "a\n\n## H\n\n\n###\n\nb\n",
         "<p>a</p>\n<h2 class=\"header1\" style=\"margin-left: 2em\">H</h2>\n<p><br></p>\n"
         "<h3 class=\"header2\"><br></h3>\n<p>b</p>\n"},
        {"¶{1}s{2}h{4}c{3}sh{5}sc{6}hc{7}shc",
         // "*c***" would close and open at once: that Strong goes out as HTML.
         "**s**<mark>h</mark>*c*<strong><mark>sh</mark>*sc*</strong><mark>*hc*</mark>"
         "**<mark>*shc*</mark>**\n",
         "<p><strong>s</strong><mark>h</mark><em>c</em><strong><mark>sh</mark><em>sc</em></strong>"
         "<mark><em>hc</em></mark><strong><mark><em>shc</em></mark></strong></p>\n"},
    };
    for (const auto& c : cases) {
        auto document = MakeDocument(c.document);
        const std::vector<ExportNote> notes = {{u"T", 0, document.get()}};
        EXPECT_EQ(Markdown(notes), std::string("# T\n\n") + c.markdown);
        EXPECT_EQ(HtmlBody(notes),
                  std::string("<section>\n<h1 class=\"title\">T</h1>\n") + c.html + "</section>\n");
    }
}

// --- Read back by independent parsers ---

// A paragraph as the tests build it, and what it must read back as.
struct TestParagraph {
    uint32_t style = 0;
    int32_t indent = 0;
    std::u16string text;
    std::vector<CharacterStyle> styles;
};
struct TestNote {
    std::u16string title;
    int32_t depth = 0;
    std::vector<TestParagraph> paragraphs;
    std::unique_ptr<CNoteDocument> document;
};

std::unique_ptr<CNoteDocument> BuildDocument(const std::vector<TestParagraph>& paragraphs) {
    auto document = std::make_unique<CNoteDocument>();
    for (size_t p = 0; p < paragraphs.size(); ++p) {
        const TestParagraph& paragraph = paragraphs[p];
        const NoteEditEngine::ParagraphFormat format(paragraph.style, paragraph.indent);
        if (p == 0) {
            document->SetLoadedFormat(document->Start(), format);
        } else {
            document->AppendLoadedMark({}, format);
        }
        for (size_t i = 0; i < paragraph.text.size(); ++i)
            document->AppendLoadedText({&paragraph.text[i], 1}, paragraph.styles[i]);
    }
    return document;
}

// The text as a reader must see it: what no HTML or XML reader takes is U+FFFD.
std::u16string Readable(std::u16string_view text) {
    std::u16string out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        const char16_t c = out[i];
        if (NoteBase::CodePointLength(out, i) == 2) {
            ++i;
        } else if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || NoteBase::IsSurrogate(c) ||
                   c == 0xFFFE || c == 0xFFFF) {
            out[i] = 0xFFFD;
        }
    }
    return out;
}

// The runs notation of export_structure.py.
std::string Runs(const std::u16string& text, const std::vector<CharacterStyle>& styles) {
    const std::u16string readable = Readable(text);
    std::u16string out;
    std::u16string current;
    for (size_t i = 0; i < readable.size(); ++i) {
        const char16_t c = readable[i];
        const bool space = c == u' ' || c == 0xA0;
        std::u16string style;
        if (styles[i].Test(CharacterStyle::kStrong) && !space) style += u'S';
        if (styles[i].Test(CharacterStyle::kHighlight)) style += u'H';
        if (styles[i].Test(CharacterStyle::kComment) && !space) style += u'C';
        if (style != current) {
            out += u"{" + style + u"}";
            current = style;
        }
        if (std::u16string_view(u"\\{}[]").find(c) != std::u16string_view::npos) out += u'\\';
        out += c;
    }
    if (!current.empty()) out += u"{}";
    return NoteBase::Utf16ToUtf8(out);
}

std::string Heading(int32_t level, const std::string& runs) {
    return "H" + std::to_string(std::min(level, 6)) + "|" + runs + "\n";
}

// What the notes must read back as, built from what they say.
std::u16string Trimmed(const std::u16string& text) {
    const size_t from = text.find_first_not_of(u' ');
    return from == std::u16string::npos ? u""
                                        : text.substr(from, text.find_last_not_of(u' ') + 1 - from);
}

std::string ExpectedStructure(const std::vector<TestNote>& notes) {
    std::string out;
    for (const TestNote& note : notes) {
        out += Heading(note.depth + 1,
                       Runs(note.title, std::vector<CharacterStyle>(note.title.size())));
        // A first Normal or Header line that only repeats the title is not written twice.
        std::vector<TestParagraph> paragraphs = note.paragraphs;
        if (!paragraphs.empty() && paragraphs.front().style <= 3 && !note.title.empty() &&
            Trimmed(ExportableText(paragraphs.front().text)) == ExportableText(note.title))
            paragraphs.erase(paragraphs.begin());
        std::vector<int32_t> depths(paragraphs.size(), 0);
        for (size_t p = 0; p < paragraphs.size(); ++p) {
            const TestParagraph& paragraph = paragraphs[p];
            const uint32_t style = paragraph.style;
            const bool list = style >= 4 && style <= 8;
            if (list) {
                const bool first =
                    p == 0 || !(paragraphs[p - 1].style >= 4 && paragraphs[p - 1].style <= 8);
                if (first) out += "list\n";
                // Under the nearest item above with a lower indent, in the same list.
                for (size_t q = p; !first && q-- > 0;) {
                    if (!(paragraphs[q].style >= 4 && paragraphs[q].style <= 8)) break;
                    if (paragraphs[q].indent < paragraph.indent) {
                        depths[p] = depths[q] + 1;
                        break;
                    }
                }
                static const char* const kMarkers[] = {"+", "[ ]", "[x]", "+", "-"};
                out += "L" + std::to_string(depths[p]) + " " + kMarkers[style - 4] + "|" +
                       Runs(paragraph.text, paragraph.styles) + "\n";
            } else if (style == 9) {
                if (p == 0 || paragraphs[p - 1].style != 9) out += "C\n";
                out += ">" + std::string(static_cast<size_t>(paragraph.indent) * 4, ' ') +
                       NoteBase::Utf16ToUtf8(Readable(paragraph.text)) + "\n";
            } else if (style >= 1 && style <= 3) {
                out += Heading(note.depth + 1 + static_cast<int32_t>(style),
                               Runs(paragraph.text, paragraph.styles));
            } else if (!paragraph.text.empty()) {
                out += "P|" + Runs(paragraph.text, paragraph.styles) + "\n";
            }
        }
    }
    return out;
}

// Exports each set of notes into a file of its own, reads them all back with the script and
// compares each with the structure its notes must have; skips without the readers.
void CheckReadBack(const std::string& mode, const std::vector<std::vector<TestNote>>& sets) {
    if (std::system("/usr/bin/python3 -c 'import html5lib' 2>/dev/null") != 0 ||
        (mode == "markdown" && !std::filesystem::exists("/usr/bin/cmark-gfm")))
        GTEST_SKIP() << "needs /usr/bin/python3 with html5lib and /usr/bin/cmark-gfm";
    TestSupport::CTempFolder folder;
    std::string command =
        "/usr/bin/python3 " JOTWELL_TEST_SOURCE_DIR "/export_structure.py " + mode;
    std::vector<std::string> exported;
    for (size_t k = 0; k < sets.size(); ++k) {
        std::vector<ExportNote> notes;
        for (const TestNote& note : sets[k])
            notes.push_back({note.title, note.depth, note.document.get()});
        std::u16string text;
        (mode == "markdown" ? WriteMarkdownExport : WriteHtmlExport)(notes, text);
        exported.push_back(NoteBase::Utf16ToUtf8(text));
        TestSupport::WriteBytes(folder / std::to_string(k), exported.back());
        command += " " + (folder / std::to_string(k)).string();
    }
    int status = 0;
    const std::string output = TestSupport::RunCommand(command, status);
    ASSERT_EQ(status, 0) << "the reader failed on what was exported";
    size_t at = 0;
    for (size_t k = 0; k < sets.size(); ++k) {
        const size_t end = output.find("=====\n", at);
        ASSERT_NE(end, std::string::npos);
        ASSERT_EQ(output.substr(at, end - at), ExpectedStructure(sets[k])) << "exported:\n"
                                                                           << exported[k];
        at = end + 6;
    }
}

// Random text full of markup characters, random styles and indents.
std::vector<TestNote> RandomNotes(std::mt19937& random) {
    // clang-format off
    static const std::u16string_view kPieces[] = {
        u"a", u"b", u"x", u"yz", u"0", u"12", u" ", u" ", u"  ", u"#", u"*", u"**", u"_", u"`",
        u"```", u"[", u"]", u"<", u">", u"&", u"&amp;", u"&#32;", u"\\", u"|", u"~", u"!", u"-",
        u"+", u".", u"1.", u"=", u"(", u")", u":", u"'", u"\"", u"\u00e9", u"\u00a0", u"\u2122",
        u"\u00bf", u"\x01", u"\u0085", u"\U0001F600", u"\xD800", u"<b>", u"<!--", u"-->",
        u"http://x.y/", u"www.a.b", u"mailto:q@r.s", u"HTTPS://z.z/a_(b)"};
    // clang-format on
    auto pick = [&random](size_t n) {
        return std::uniform_int_distribution<size_t>(0, n - 1)(random);
    };
    auto text = [&](TestParagraph& paragraph, size_t pieces, bool styled) {
        CharacterStyle style;
        for (size_t k = 0; k < pieces; ++k) {
            if (styled && pick(3) == 0) style = CharacterStyle(static_cast<uint32_t>(pick(8)));
            for (const char16_t c : kPieces[pick(std::size(kPieces))]) {
                paragraph.text += c;
                paragraph.styles.push_back(style);
            }
        }
    };
    std::vector<TestNote> notes;
    const size_t count = 1 + pick(3);
    for (size_t n = 0; n < count; ++n) {
        TestNote note;
        note.depth =
            n == 0 ? 0 : static_cast<int32_t>(pick(static_cast<size_t>(notes.back().depth) + 2));
        TestParagraph title;
        text(title, pick(5), false);
        note.title = title.text;
        const size_t paragraphs = 1 + pick(10);
        for (size_t p = 0; p < paragraphs; ++p) {
            TestParagraph paragraph;
            paragraph.style = static_cast<uint32_t>(pick(10));
            paragraph.indent =
                pick(8) == 0 ? static_cast<int32_t>(pick(15)) : static_cast<int32_t>(pick(4));
            text(paragraph, pick(4) == 0 ? 0 : 1 + pick(8), true);
            note.paragraphs.push_back(std::move(paragraph));
        }
        // Most titles follow the note's first line, as the tree names notes.
        if (pick(3) == 0) note.title = note.paragraphs.front().text;
        note.document = BuildDocument(note.paragraphs);
        notes.push_back(std::move(note));
    }
    return notes;
}

TEST_F(NoteExportTest, RandomNotesReadBackWithTheirStructure) {
    // JOTWELL_EXPORT_SEED=n runs another set of notes.
    const char* seed = std::getenv("JOTWELL_EXPORT_SEED");
    std::mt19937 random(seed != nullptr ? static_cast<unsigned>(std::atoi(seed)) : 20261207u);
    std::vector<std::vector<TestNote>> sets;
    for (int k = 0; k < 300; ++k)
        sets.push_back(RandomNotes(random));
    for (const std::string mode : {"markdown", "html"}) {
        SCOPED_TRACE(mode);
        CheckReadBack(mode, sets);
    }
}

}  // namespace
}  // namespace NoteStorage
