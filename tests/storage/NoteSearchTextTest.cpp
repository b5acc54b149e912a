#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "base/Utf8.h"
#include "model/NoteDocument.h"
#include "model/NoteUndoHistory.h"
#include "storage/NoteFile.h"
#include "storage/NoteSearchText.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/ModelTestSupport.h"

namespace NoteStorage {
namespace {

using NoteEditEngine::CharacterStyle;
using NoteEditEngine::CNoteDocument;
using NoteEditEngine::CNotePosition;

// The searchable text as the note reader and AppendSearchText give it; none for NotANote.
std::optional<std::u16string> Reference(std::string_view bytes) {
    TestSupport::CBytesFileSystem fs(bytes);
    CNoteDocument doc;
    if (LoadNoteFile(fs, "note.jwf", doc) != NoteFileRead::Read) return std::nullopt;
    std::u16string out;
    AppendSearchText(doc, out);
    return out;
}

std::optional<std::u16string> Extracted(std::string_view bytes) {
    const std::u16string before = u"kept";
    std::u16string out = before;
    if (!ExtractSearchText(bytes, out)) {
        EXPECT_EQ(out, before) << "a file that is no note changed the output";
        return std::nullopt;
    }
    EXPECT_EQ(out.substr(0, before.size()), before) << "the text was not appended";
    return out.substr(before.size());
}

std::string Printable(std::string_view bytes) {
    return testing::PrintToString(std::string(bytes));
}

class NoteSearchTextTest : public NoteEditEngine::TestSupport::ModelTest {};

// Random documents of every style and awkward characters, written as note files and then
// damaged: bytes cut, flipped or inserted, and pieces of markup spliced in.
TEST_F(NoteSearchTextTest, DamagedRandomNotesGiveWhatTheNoteReaderGives) {
    std::mt19937 rng(1234);
    const std::u16string alphabet =
        u"abcXYZ  \t<>&'\"\u00e9\u0130\u03a3\u2028\u3000\uFFFE\x01\U0001F600\xD800";
    const std::string_view splices[] = {
        "<",   ">", "&",  "&#x41;",     "</note>",  "<note>", "<header2>", "</paragraph>", "<!--",
        "-->", "'", "\"", "<paragraph", " indent=", "\xff",   "\xe2\x80",  "<?",           "&amp"};
    size_t notes = 0;
    for (int round = 0; round < 400; ++round) {
        CNoteDocument doc;
        {
            NoteEditEngine::CSuspendRecording suspend(doc.UndoHistory());
            CNotePosition p = doc.Start();
            const int length = static_cast<int>(rng() % 60);
            for (int i = 0; i < length; ++i) {
                const uint32_t roll = rng() % 10;
                if (roll == 0) {
                    doc.InsertParagraphBreak(p);
                    doc.SetParagraphFormat(p, rng() % NoteEditEngine::kParagraphStyleCount,
                                           static_cast<int32_t>(rng() % 3));
                } else {
                    p.SetTypingStyle(CharacterStyle(rng() % 8));
                    doc.InsertCharacter(p, alphabet[rng() % alphabet.size()]);
                }
            }
        }
        std::u16string written;
        WriteNoteFileText(doc, written);
        const std::string whole = NoteBase::Utf16ToUtf8(written);
        // The undamaged file first.
        const std::optional<std::u16string> undamaged = Reference(whole);
        ASSERT_TRUE(undamaged.has_value());
        EXPECT_EQ(Extracted(whole), undamaged);
        for (int damage = 0; damage < 8; ++damage) {
            std::string bytes = whole;
            const int edits = 1 + static_cast<int>(rng() % 3);
            for (int e = 0; e < edits && !bytes.empty(); ++e) {
                const size_t at = rng() % (bytes.size() + 1);
                switch (rng() % 4) {
                    case 0:
                        bytes.erase(at, rng() % 8);
                        break;
                    case 1:
                        if (at < bytes.size()) bytes[at] = static_cast<char>(rng() % 256);
                        break;
                    case 2:
                        bytes.insert(at, 1, static_cast<char>(rng() % 256));
                        break;
                    default:
                        bytes.insert(at, splices[rng() % std::size(splices)]);
                        break;
                }
            }
            SCOPED_TRACE(Printable(bytes));
            const std::optional<std::u16string> reference = Reference(bytes);
            if (reference) ++notes;
            ASSERT_EQ(Extracted(bytes), reference);
        }
    }
    // The damage must leave most files readable, or the comparison says little.
    EXPECT_GT(notes, 1600u);
}

// Told to stop, a read of a long note gives up with nothing appended; not told, it reads it.
TEST_F(NoteSearchTextTest, AStoppedReadAppendsNothing) {
    std::string bytes = "<note version=\"1.0\">";
    for (int i = 0; i < 5000; ++i)
        bytes += "<paragraph>line</paragraph>";
    bytes += "</note>";
    for (const bool stop : {true, false}) {
        const std::atomic<bool> stopped{stop};
        std::u16string out = u"kept";
        EXPECT_EQ(ExtractSearchText(bytes, out, &stopped), !stop);
        EXPECT_EQ(out.size(), stop ? 4u : 4u + 5000 * 5 - 1);
    }
}

}  // namespace
}  // namespace NoteStorage
