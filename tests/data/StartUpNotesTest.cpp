#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "base/Utf8.h"
#include "model/NoteDocument.h"
#include "session/DocumentManager.h"
#include "storage/FileHandler.h"
#include "storage/NoteFile.h"
#include "storage/NotesFolderSettings.h"
#include "tests/support/FakeNoteStore.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/NoteTreeSupport.h"
#include "tests/support/TempFolder.h"

namespace {

using NoteEditEngine::CNoteDocument;
using NoteTreeEngine::TreeItem;

const std::filesystem::path kStartUp = JOTWELL_STARTUP_NOTES;

// The first start copies the folder and loads it: the tree reads without a message, every item
// names a note file that reads, records agree with their notes, and no file is an orphan.
TEST(StartUpNotesTest, ACopiedFolderLoadsWithEveryNoteAndNoOrphan) {
    TestSupport::CTempFolder folder;
    NoteStorage::CFileSystem& fs = NoteStorage::FileSystem();
    const size_t copied = NoteTreeEngine::CopyStartUpNotes(fs, kStartUp, folder.Path());

    TestSupport::CFakePrompts prompts;

    NoteTreeEngine::CNoteTree pane;
    TestSupport::CFakeNoteStore store;
    ASSERT_TRUE(NoteTreeEngine::LoadIndexFile(fs, pane, store, prompts, folder / "index.xml"));
    EXPECT_TRUE(prompts.Messages().empty());
    const std::vector<TreeItem> items = pane.ItemsInOrder();
    ASSERT_GE(items.size(), 5u);
    EXPECT_EQ(copied, items.size() + 1);

    std::set<std::string> named;
    for (const TreeItem item : items) {
        const NoteTreeEngine::CTreeItemRecord& record = pane.Record(item);
        const std::string id = NoteBase::Utf16ToUtf8(record.id);
        EXPECT_TRUE(NoteTreeEngine::IsValidNoteId(record.id)) << id;
        EXPECT_TRUE(named.insert(id + ".xml").second) << "two items name " << id;
        CNoteDocument document;
        ASSERT_EQ(NoteStorage::LoadNoteFile(fs, NoteTreeEngine::NoteFilePath(folder.Path(), record),
                                            document),
                  NoteStorage::NoteFileRead::Read)
            << id;
        EXPECT_EQ(record.username, NoteTreeEngine::NoteTitle(document)) << id;
        EXPECT_FALSE(record.isfixed) << id;
        EXPECT_EQ(record.size, static_cast<int32_t>(document.size()) - 1) << id;
        EXPECT_EQ(record.created, document.Created()) << id;
        EXPECT_EQ(record.modified, document.Modified()) << id;
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "index.xml" || named.contains(name)) << name << " is an orphan";
    }

    // The welcome note opens the tour: the first item, shown, with its sub-notes in view.
    const std::vector<TreeItem> roots = pane.Children(NoteTreeEngine::kRootItem);
    ASSERT_FALSE(roots.empty());
    EXPECT_EQ(pane.Title(roots[0]), u"Welcome to Jotwell");
    EXPECT_EQ(pane.Selection(), std::vector<TreeItem>{roots[0]});
    EXPECT_TRUE(pane.Record(roots[0]).isactive);
    EXPECT_TRUE(pane.IsExpanded(roots[0]));
    EXPECT_FALSE(pane.Children(roots[0]).empty());
}

}  // namespace
