#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "FakeTreePane.h"
#include "FaultyFileSystem.h"
#include "ModelTestSupport.h"
#include "NoteFile.h"
#include "NotesFolderStore.h"
#include "TempFolder.h"
#include "XmlPrimitives.h"

namespace NoteTreeEngine {
namespace {

using NoteStorage::NoteFileRead;
using TestSupport::CFakeTreePane;
using TestSupport::CFaultyFileSystem;
using TestSupport::CTempFolder;
using TestSupport::ReadBytes;
using TestSupport::WriteBytes;

std::string NoteFileBytes(const char* content) {
    std::u16string text;
    NoteStorage::WriteNoteFileText(*NoteEditEngine::TestSupport::MakeDocument(content), text);
    return NoteStorage::Utf16ToUtf8(text);
}

TEST(LoadNoteFileTest, TellsEachCaseAndChangesTheDocumentOnlyOnRead) {
    const CTempFolder folder;
    const std::string note = NoteFileBytes("\u00B6hello");
    std::filesystem::create_directory(folder / "dir.xml");
    struct Case {
        const char* name;
        std::string bytes;
        NoteFileRead expected;
    };
    const std::vector<Case> cases = {
        {"note.xml", note, NoteFileRead::Read},
        {"empty.xml", "", NoteFileRead::NotANote},
        {"cut.xml", note.substr(0, note.size() - 12), NoteFileRead::NotANote},
        {"foreign.xml", "<?xml version=\"1.0\"?><tree><note></note></tree>",
         NoteFileRead::NotANote},
        {"text.xml", "just words", NoteFileRead::NotANote},
    };
    for (const Case& c : cases) {
        WriteBytes(folder / c.name, c.bytes);
        auto document = NoteEditEngine::TestSupport::MakeDocument("\u00B6before");
        EXPECT_EQ(LoadNoteFile(NoteStorage::FileSystem(), folder / c.name, *document), c.expected)
            << c.name;
        EXPECT_EQ(NoteEditEngine::TestSupport::Dump(*document),
                  c.expected == NoteFileRead::Read ? "\u00B6hello" : "\u00B6before")
            << c.name;
    }
    NoteEditEngine::CNoteDocument document;
    EXPECT_EQ(LoadNoteFile(NoteStorage::FileSystem(), folder / "missing.xml", document),
              NoteFileRead::Missing);
    EXPECT_EQ(LoadNoteFile(NoteStorage::FileSystem(), folder / "dir.xml", document),
              NoteFileRead::Unreadable);
    CFaultyFileSystem failing(CFaultyFileSystem::Fault::ReadFails);
    EXPECT_EQ(LoadNoteFile(failing, folder / "note.xml", document), NoteFileRead::Unreadable);
}

TEST(NotesFolderStoreTest, AFileThatIsNoNoteIsNeverWrittenOver) {
    const CTempFolder folder;
    CFakeTreePane pane;
    CNotesFolderStore store(folder.Path(), pane, NoteStorage::FileSystem());
    CTreeItemRecord record(u"1700000000000001");
    for (const std::string& bytes : {std::string(), std::string("<note created=\"1\""),
                                     std::string("<html>not ours</html>")}) {
        WriteBytes(store.NoteFilePath(record), bytes);
        EXPECT_EQ(store.LoadNoteDocument(record), nullptr);
        NoteEditEngine::CNoteDocument empty;
        EXPECT_EQ(store.SaveNote(record, empty), NoteSave::NotOurs);
        EXPECT_EQ(ReadBytes(store.NoteFilePath(record)), bytes);
    }
    EXPECT_TRUE(pane.Messages().empty());
}

}  // namespace
}  // namespace NoteTreeEngine
