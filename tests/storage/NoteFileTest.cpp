#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "base/Utf16.h"
#include "base/Utf8.h"
#include "model/NoteDocument.h"
#include "model/NoteUndoHistory.h"
#include "storage/NoteFile.h"
#include "storage/XmlPrimitives.h"
#include "tests/support/ModelTestSupport.h"
#include "tests/support/TempFolder.h"

namespace NoteStorage {
namespace {

using NoteEditEngine::CNoteDocument;
using NoteEditEngine::CNotePosition;
using NoteEditEngine::TestSupport::Dump;
using NoteEditEngine::TestSupport::MakeDocument;
using NoteEditEngine::TestSupport::PinnedClock;
using NoteEditEngine::TestSupport::RecordingObserver;
using NoteEditEngine::TestSupport::Utf16;
using TestSupport::CTempFolder;

constexpr int32_t kCreated = 1717000000;

const std::filesystem::path kNotes = std::filesystem::path(JOTWELL_TEST_DATA) / "notes";

std::string Utf8(std::u16string_view text) {
    return NoteBase::Utf16ToUtf8(text);
}

std::u16string FileText(CNoteDocument& doc) {
    std::u16string out;
    WriteNoteFileText(doc, out);
    return out;
}

// The content markup of a whole document.
std::u16string Content(CNoteDocument& doc) {
    std::u16string out;
    WriteContentXml(out, doc.Start(), doc.End());
    return out;
}

// A fresh document read from the text; expects the text to hold a note.
std::unique_ptr<CNoteDocument> ReadNote(std::u16string_view text) {
    auto doc = std::make_unique<CNoteDocument>();
    Cursor cursor = 0;
    EXPECT_TRUE(ReadNoteXml(*doc, text, cursor));
    return doc;
}

// Compares with a golden file; JOTWELL_UPDATE_GOLDEN=1 rewrites the file instead.
void ExpectGolden(const std::string& name, const std::string& bytes) {
    const auto path = kNotes / name;
    if (std::getenv("JOTWELL_UPDATE_GOLDEN") != nullptr) TestSupport::WriteBytes(path, bytes);
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    EXPECT_EQ(bytes, TestSupport::ReadBytes(path)) << name;
}

class NoteFileTest : public ::testing::Test {
protected:
    void SetUp() override { NoteEditEngine::TestSupport::UseUtf8Locale(); }
    PinnedClock m_clock{kCreated};
};

// Every paragraph style from 0 to 9 with indents, the strong/link nesting example, the five
// escaped characters, text beyond the Basic Multilingual Plane and a trailing empty paragraph.
constexpr std::string_view kEveryStyle =
    "¶Plain ¶[1,0]Header one¶[2,0]Header two¶[3,0]Header three¶[4,1]Ordered"
    "¶[5,2]Unchecked¶[6,3]Checked¶[7,4]Positive¶[8,14]Negative¶[9,5]int x = 1;"
    "¶a{1}b{5}c{4}d{0} <&\"'>¶{2}caf\u00e9 {3}\u20ac\U0001F600{0}¶";

// --- Writing ---

// Written as the golden files hold them; read back with the files' times, not the clock's.
TEST_F(NoteFileTest, GoldenFilesWriteAndReadBack) {
    for (const auto& [name, content] : {std::pair<std::string, std::string_view>{"empty.xml", "¶"},
                                        {"every_style.xml", kEveryStyle}}) {
        SCOPED_TRACE(name);
        const int32_t modified = content == "¶" ? kCreated : kCreated + 3600;
        m_clock.Set(kCreated);
        auto doc = MakeDocument(content);
        doc->SetModified(modified);
        std::string bytes = Utf8(FileText(*doc));
        ExpectGolden(name, bytes);

        m_clock.Set(kCreated + 500);
        auto read = ReadNote(NoteBase::Utf8ToUtf16(TestSupport::ReadBytes(kNotes / name)));
        // Code 4 has no name of its own: "listordered" is the legacy Negative List.
        std::string expected(content);
        if (const size_t at = expected.find("[4,1]"); at != std::string::npos)
            expected.replace(at, 5, "[8,1]");
        EXPECT_EQ(Dump(*read), Dump(*MakeDocument(expected)));
        EXPECT_EQ(read->Created(), kCreated);
        EXPECT_EQ(read->Modified(), modified);
        if (const size_t at = bytes.find("<listordered indent='1'>"); at != std::string::npos) {
            bytes.replace(at, 24, "<listnegative indent='1'>");
            bytes.replace(bytes.find("</listordered>"), 14, "</listnegative>");
        }
        EXPECT_EQ(Utf8(FileText(*read)), bytes);
    }
}

TEST_F(NoteFileTest, EveryNoteWrittenIsWellFormedXml) {
    if (std::system("xmllint --version >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "xmllint is not installed";
    }
    const CTempFolder folder;
    std::vector<std::string> paths;
    auto save = [&](CNoteDocument& doc, const std::string& name) {
        const auto path = folder / name;
        ASSERT_TRUE(WriteUtf8File(path, FileText(doc)));
        paths.push_back(path.string());
    };
    // What XML forbids is written as U+FFFD: control characters, U+FFFE, U+FFFF and a half of a
    // surrogate pair alone. A pair whose halves differ in style is still one character.
    CNoteDocument foreign;
    {
        NoteEditEngine::CSuspendRecording quiet(foreign.UndoHistory());
        CNotePosition p = foreign.Start();
        for (char16_t c : {u'a', u'\0', u'\x01', u'\x1f', u'\ufffe', u'\uffff', char16_t{0xD83D},
                           u'b', char16_t{0xDE00}, char16_t{0xD83D}}) {
            foreign.InsertCharacter(p, c);
        }
        p.SetTypingStyle(NoteEditEngine::CharacterStyle(1));
        foreign.InsertCharacter(p, 0xD83D);
        p.SetTypingStyle(NoteEditEngine::CharacterStyle(4));
        foreign.InsertCharacter(p, 0xDE00);
    }
    EXPECT_EQ(Content(foreign),
              u"<paragraph>a\ufffd\ufffd\ufffd\ufffd\ufffd\ufffdb\ufffd\ufffd"
              u"<strong>\U0001F600</strong></paragraph>");
    save(foreign, "foreign.xml");

    // Random notes: every style, indent and character style set, marks in any style, and text
    // from ASCII punctuation (the five specials included), Latin-1, the BMP and beyond.
    std::mt19937 rng(4242);
    const std::u16string alphabet = u"ab z<>&\"';=/!?-#\u00e9\u00a0\u4e2d\u20ac\U0001F600";
    for (int n = 0; n < 40; ++n) {
        CNoteDocument doc;
        NoteEditEngine::CSuspendRecording quiet(doc.UndoHistory());
        CNotePosition p = doc.Start();
        const int length = static_cast<int>(rng() % 300);
        for (int i = 0; i < length; ++i) {
            p.SetTypingStyle(NoteEditEngine::CharacterStyle(rng() % 8));
            if (rng() % 12 == 0) {
                // Marks in plain style: a mark's own style is written but not read back.
                p.SetTypingStyle(NoteEditEngine::CharacterStyle{});
                doc.InsertParagraphBreak(p);
                // Code 4 is left out: it reads back as 8.
                const uint32_t style = rng() % 9;
                doc.SetParagraphFormat(p, style < 4 ? style : style + 1,
                                       static_cast<int32_t>(rng() % 15));
            } else {
                size_t k = rng() % alphabet.size();
                if (k > 0 && NoteBase::IsLowSurrogate(alphabet[k])) --k;
                doc.InsertCharacter(p, alphabet[k]);
                if (NoteBase::IsHighSurrogate(alphabet[k])) {
                    doc.InsertCharacter(p, alphabet[k + 1]);
                }
            }
        }
        save(doc, "random" + std::to_string(n) + ".xml");
        // And it reads back to the same text, formats and character styles.
        std::u16string text;
        ASSERT_TRUE(ReadUtf8File(paths.back(), text));
        auto read = ReadNote(text);
        EXPECT_EQ(Dump(*read), Dump(doc));
        EXPECT_EQ(FileText(*read), FileText(doc));
    }
    std::string command = "xmllint --noout";
    for (const std::string& path : paths)
        command += " '" + path + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

// --- Reading ---

TEST_F(NoteFileTest, LoadingInOneGoGivesWhatReadingElementByElementGives) {
    // Into a document that holds only its first mark the reader builds the content in one go;
    // element by element gives the same elements, position, modified time and undo history.
    const std::string golden = TestSupport::ReadBytes(kNotes / "every_style.xml");
    const std::u16string note = NoteBase::Utf8ToUtf16(golden.substr(golden.find("<note")));
    const std::u16string content = note.substr(note.find(u'>') + 1);
    const std::u16string samples[] = {
        content,
        u"",
        u"<paragraph></paragraph>",
        u"<strong>x<header1>y</header1>",
        u"lead <link>text</link><listchecked indent='3'>a\tb</listchecked>tail",
        u"<fixwidth>a</fixwidth><paragraph></paragraph><paragraph></paragraph>",
        u"a & b",
        // Foreign markup: entities, either quote, clamped indents, unknown elements, comments.
        u"<paragraph>&amp;&#x20ac;&#1;&nbsp;</paragraph><header2 indent=\"20\" x='1'>c</header2>",
        u"<listbullet indent='-2'>a<foo a='1'>x</foo><!-- <header1> -->b<?pi x?></listbullet>b<",
    };
    for (const std::u16string& text : samples) {
        for (const bool recording : {false, true}) {
            std::string results[2];
            for (int byElement = 0; byElement < 2; ++byElement) {
                m_clock.Set(kCreated);
                CNoteDocument doc;
                m_clock.Set(kCreated + 60);
                CNotePosition p = doc.Start();
                p.SetTypingStyle(NoteEditEngine::CharacterStyle(2));
                NoteEditEngine::CActionScope action(u"paste");
                doc.UndoHistory().SuspendRecording();
                if (recording) doc.UndoHistory().ResumeRecording();
                Cursor cursor = 0;
                if (byElement != 0) {
                    ReadContentXmlByElement(p, text, cursor);
                } else {
                    ReadContentXml(p, text, cursor);
                }
                results[byElement] = Dump(doc) + " at " + std::to_string(p.Index()) + " typing " +
                                     std::to_string(p.TypingStyle().Word()) + " modified " +
                                     std::to_string(doc.Modified()) + " cursor " +
                                     std::to_string(cursor) + " " +
                                     NoteEditEngine::TestSupport::DescribeSteps(doc.UndoHistory()) +
                                     " runs " + std::to_string(doc.UndoHistory().TextRunCount());
            }
            EXPECT_EQ(results[0], results[1]) << Utf8(text) << (recording ? " recording" : "");
        }
    }
}

// --- The content reader as Paste uses it ---

class PasteTest : public NoteFileTest {
protected:
    // Reads `markup` at index `at` under the action "paste" and returns the position after it.
    CNotePosition Paste(CNoteDocument& doc, uint32_t at, std::string_view markup) {
        CNotePosition p = doc.FromIndex(at);
        const std::u16string text = Utf16(markup);
        NoteEditEngine::CActionScope action(u"paste");
        Cursor cursor = 0;
        ReadContentXml(p, text, cursor);
        EXPECT_EQ(cursor, text.size());
        NoteEditEngine::StartNewUndoGroup();
        return p;
    }

    // One undo brings `before` back, one redo `after`.
    static void ExpectOneUndoChange(CNoteDocument& doc, const std::string& before) {
        const std::string after = Dump(doc);
        const auto& steps = doc.UndoHistory().Steps();
        ASSERT_FALSE(steps.empty());
        for (const auto& step : steps)
            EXPECT_EQ(step.group, steps.front().group);
        doc.UndoHistory().Undo();
        EXPECT_EQ(Dump(doc), before);
        EXPECT_FALSE(doc.UndoHistory().CanUndo());
        doc.UndoHistory().Redo();
        EXPECT_EQ(Dump(doc), after);
    }
};

// Each paste is one undo change; the rest of a split paragraph follows the last inserted one.
TEST_F(PasteTest, PastesSplitAtElementsAndAreOneUndoChange) {
    const struct {
        const char* before;
        uint32_t at;
        const char* markup;
        const char* after;
        uint32_t end;
    } cases[] = {
        {"¶[5,1]abcd¶[1,0]next", 2, "x<strong>y</strong><header2 indent='3'>z</header2>",
         "¶[5,1]abx{1}y{0}¶[2,3]zcd¶[1,0]next", 6},
        // At a paragraph start the former format stays behind the trailing break.
        {"¶[1,0]Title¶[6,2]item¶last", 6, "<paragraph>a</paragraph><header3>b</header3>",
         "¶[1,0]Title¶a¶[3,0]b¶[6,2]item¶last", 10},
        // At the document's end there is no trailing break.
        {"¶ab¶", 3, "<listchecked>x</listchecked>", "¶ab¶[6,0]x", 4},
        {"¶[1,0]ab", 1, "x<link>y</link>", "¶[1,0]ax{4}y{0}b", 3},
        // What the content writer writes for whole lines pastes back the same.
        {"¶[1,0]Head¶[6,2]a{1}b{0}¶tail", 8,
         "<header1>Head</header1><listchecked indent='2'>a<strong>b</strong></listchecked>",
         "¶[1,0]Head¶[6,2]a{1}b{0}¶[1,0]Head¶[6,2]a{1}b{0}¶tail", 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.markup);
        auto doc = MakeDocument(c.before);
        RecordingObserver observer;
        doc->AddObserver(&observer);
        EXPECT_EQ(Paste(*doc, c.at, c.markup).Index(), c.end);
        EXPECT_EQ(Dump(*doc), c.after);
        if (c.at == 2) {
            EXPECT_EQ(observer.Take(), "changed(2,4)");
            EXPECT_EQ(NoteEditEngine::TestSupport::DescribeSteps(doc->UndoHistory()),
                      "par(0,2) ins(3,4)");
        }
        doc->RemoveObserver(&observer);
        ExpectOneUndoChange(*doc, c.before);
    }
    // Nothing to insert records nothing and tells nobody; suspended recording records nothing.
    auto quiet = MakeDocument("¶ab");
    RecordingObserver observer;
    quiet->AddObserver(&observer);
    Paste(*quiet, 1, "<strong></strong>");
    EXPECT_FALSE(quiet->UndoHistory().CanUndo());
    EXPECT_EQ(observer.Take(), "");
    quiet->RemoveObserver(&observer);
    NoteEditEngine::CSuspendRecording suspend(quiet->UndoHistory());
    Paste(*quiet, 1, "<header1>x</header1>");
    EXPECT_EQ(Dump(*quiet), "¶a¶[1,0]xb");
    EXPECT_TRUE(quiet->UndoHistory().Steps().empty());
}

}  // namespace
}  // namespace NoteStorage
