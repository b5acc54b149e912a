#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "storage/FileHandler.h"
#include "tests/support/FakeNoteStore.h"
#include "tests/support/NotesFolderFixture.h"

namespace NoteTreeEngine {
namespace {

using TestSupport::Add;
using TestSupport::CFakeNoteStore;
using TestSupport::CFakePrompts;
using TestSupport::CFaultyFileSystem;
using TestSupport::Dump;
using TestSupport::ReadBytes;
using TestSupport::WriteBytes;
using Fault = CFaultyFileSystem::Fault;

const std::filesystem::path kGoldenFolderFile =
    std::filesystem::path(JOTWELL_TEST_DATA) / "tree" / "folder.jwf";

CTreeItemRecord Named(std::u16string name) {
    CTreeItemRecord record;
    record.username = std::move(name);
    return record;
}

std::string Read(CNoteTree& pane, CMessages& prompts, CFakeNoteStore& store,
                 std::u16string_view text, bool withNotes = false, TreeItem parent = kRootItem,
                 TreeItem after = kFirstItem) {
    CFileHandler handler(pane, store, prompts);
    handler.SetInsertionPoint(parent, after);
    handler.ReadTreeText(withNotes, text);
    return Dump(pane);
}

// A notes folder on disk with the fake pane and the handler's store over it.
struct CNotesFolder : TestSupport::CNotesFolderFixture {
    CFakeNoteStore notes{store};

    std::string NoteText(TreeItem item) {
        auto document = store.LoadNoteDocument(pane.Record(item));
        return document ? NoteEditEngine::TestSupport::Dump(*document) : "(unreadable)";
    }
};

TEST(FileHandlerReadTest, TwoItemsOfOneIndexNeverShareANoteFile) {
    CFakePrompts prompts;
    CNoteTree pane;
    CFakeNoteStore store;
    Read(pane, prompts, store,
         u"<tree><item id=\"17\" username=\"a\"></item><item id=\"17\" username=\"b\">"
         u"<item id=\"17\" username=\"c\"></item></item></tree>");
    std::set<std::u16string> ids;
    for (const TreeItem item : pane.ItemsInOrder())
        EXPECT_TRUE(IsValidNoteId(*ids.insert(pane.Record(item).id).first));
    EXPECT_EQ(ids.size(), 3u);
    EXPECT_EQ(pane.Record(pane.ItemsInOrder()[0]).id, u"17");
}

TEST(FileHandlerWriteTest, FolderFileTakesLoadedChangesAndReportsUnreadableNotes) {
    CNotesFolder f;
    CTreeItemRecord record = Named(u"loaded");
    ASSERT_TRUE(f.notes.CreateEmptyNoteFile(record));
    const TreeItem loaded = Add(f.pane, kRootItem, record);
    f.notes.SetLoaded(f.pane.Record(loaded),
                      NoteEditEngine::TestSupport::MakeDocument("\u00B6unsaved"));
    record = Named(u"unreadable");
    ASSERT_TRUE(f.notes.CreateEmptyNoteFile(record));
    Add(f.pane, kRootItem, record);

    std::u16string out;
    f.fs.SetFault(Fault::ReadFails);
    CFileHandler(f.pane, f.notes, f.prompts, f.pane.Children(kRootItem)).WriteTreeText(true, out);
    f.fs.SetFault(Fault::None);
    EXPECT_NE(out.find(u"<paragraph>unsaved</paragraph></note>\n"), std::u16string::npos);
    EXPECT_EQ(f.prompts.Messages().size(), 1u);
    // The unreadable note goes out empty.
    EXPECT_NE(out.find(u"\"><paragraph></paragraph></note>\n</item>\n</tree>"),
              std::u16string::npos);
}

TEST(FolderFileTest, GoldenFolderFileImportsAndExportsByteForByte) {
    CNotesFolder f;
    ASSERT_TRUE(
        OpenFolderFile(f.fs, f.pane, f.notes, f.prompts, kGoldenFolderFile, kRootItem, kLastItem));
    EXPECT_TRUE(f.prompts.Messages().empty());
    EXPECT_EQ(Dump(f.pane), "Trip & plans+(Day 1) unnamed");
    EXPECT_EQ(f.Files(), (std::set<std::string>{"1700000010000001.xml", "1700000011000002.xml",
                                                "1700000012000003.xml"}));
    const std::vector<TreeItem> all = f.pane.ItemsInOrder();
    EXPECT_EQ(f.NoteText(all[0]),
              "\u00B6[1,0]Trip\u00B6Pack {1}boots{0} & {2}map{0}\u00B6[6,2]tickets");
    EXPECT_EQ(f.pane.Record(all[0]).created, 1700000010);

    // Written back: the same bytes.
    ASSERT_TRUE(CFileHandler(f.pane, f.notes, f.prompts, f.pane.Children(kRootItem))
                    .WriteTreeFile(f.fs, true, f.folder / "out.jwf"));
    const std::string golden = ReadBytes(kGoldenFolderFile);
    EXPECT_EQ(ReadBytes(f.folder / "out.jwf"), golden);
}

TEST(FolderFileTest, EveryImportedItemGetsANoteOfItsOwn) {
    CNotesFolder f;
    const TreeItem target = Add(f.pane, kRootItem, Named(u"target"));
    const std::u16string targetId = f.pane.Record(target).id;
    ASSERT_TRUE(f.notes.CreateEmptyNoteFile(f.pane.Record(target)));
    const std::filesystem::path targetFile = f.store.NoteFilePath(f.pane.Record(target));
    const std::string targetBytes = ReadBytes(targetFile);

    // A note outside any item, an item naming the target's note without content of its own,
    // and an item with two notes.
    const std::u16string text =
        u"<tree><note><paragraph>stray</paragraph></note>"
        u"<item id=\"" +
        targetId +
        u"\" username=\"alias\"></item>"
        u"<item username=\"two\"><note><paragraph>one</paragraph></note>"
        u"<note><paragraph>second</paragraph></note></item></tree>";
    EXPECT_EQ(Read(f.pane, f.prompts, f.notes, text, true, target, kFirstItem),
              "target(alias two)");
    EXPECT_EQ(f.pane.Record(target).id, targetId);
    EXPECT_EQ(ReadBytes(targetFile), targetBytes);
    const std::vector<TreeItem> imported = f.pane.Children(target);
    EXPECT_NE(f.pane.Record(imported[0]).id, targetId);
    EXPECT_EQ(f.NoteText(imported[0]), "\u00B6");
    EXPECT_EQ(f.NoteText(imported[1]), "\u00B6one");
    EXPECT_EQ(f.Files().size(), 3u);
}

TEST(FolderFileTest, NotesThatCannotBeStoredAreReportedAndReadingGoesOn) {
    CNotesFolder f;
    f.fs.SetFault(Fault::CreateFails);
    ASSERT_TRUE(
        OpenFolderFile(f.fs, f.pane, f.notes, f.prompts, kGoldenFolderFile, kRootItem, kFirstItem));
    EXPECT_EQ(f.pane.Size(), 3u);
    EXPECT_EQ(f.prompts.Messages().size(), 3u);
    EXPECT_TRUE(f.Files().empty());
}

TEST(NotesFolderStoreTest, NoteFilesStayInsideTheFolderUnderFreeNames) {
    CNotesFolder f;
    CTreeItemRecord taken(u"1700000000000001");
    WriteBytes(f.store.NoteFilePath(taken), "keep");
    ASSERT_TRUE(f.store.CreateEmptyNoteFile(taken));
    EXPECT_NE(taken.id, u"1700000000000001");
    EXPECT_EQ(ReadBytes(f.folder / "1700000000000001.xml"), "keep");

    CTreeItemRecord unsafe(u"../escape");
    NoteEditEngine::CNoteDocument document;
    EXPECT_FALSE(f.store.SaveNoteDocument(unsafe, document));
    EXPECT_EQ(f.store.LoadNoteDocument(unsafe), nullptr);
    EXPECT_FALSE(f.store.DeleteNoteFile(unsafe));
    ASSERT_TRUE(f.store.CreateEmptyNoteFile(unsafe));
    EXPECT_TRUE(IsValidNoteId(unsafe.id));
    EXPECT_FALSE(std::filesystem::exists(f.folder.Path().parent_path() / "escape.xml"));
    EXPECT_EQ(f.Files().size(), 3u);
    EXPECT_TRUE(f.store.DeleteNoteFile(unsafe));
    EXPECT_EQ(f.Files().size(), 2u);
}

TEST(FolderFileTest, AFileCutShortIsRefusedWholeAndChangesNothing) {
    const std::string whole = ReadBytes(kGoldenFolderFile);
    const size_t end = whole.rfind("</tree>");
    for (const size_t cut : {end + 7, end + 6, end, whole.find("</item>\n<item"),
                             whole.find(">Day 1<") + 3, whole.find("\" isfixed")}) {
        CNotesFolder f;
        Add(f.pane, kRootItem, Named(u"kept"));
        // A capitalised extension is a folder file too.
        WriteBytes(f.folder / "Cut.JWF", whole.substr(0, cut));
        const bool read = OpenFolderFile(f.fs, f.pane, f.notes, f.prompts, f.folder / "Cut.JWF",
                                         kRootItem, kLastItem);
        EXPECT_EQ(read, cut == end + 7) << cut;
        EXPECT_EQ(f.pane.Size(), read ? 4u : 1u) << cut;
        EXPECT_EQ(f.Files().size(), read ? 4u : 1u) << cut;  // the file and its three notes
        EXPECT_EQ(f.prompts.Messages().size(), read ? 0u : 1u) << cut;
    }
}

}  // namespace
}  // namespace NoteTreeEngine
