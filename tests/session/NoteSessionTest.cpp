// The session on a real notes folder: the tree read without a window, and the operations the
// panes forward to it, with the editor's part played by the test view.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "session/NoteSession.h"
#include "tests/support/NotesFolderFixture.h"

namespace NoteTreeEngine {
namespace {

using TestSupport::Dump;

using Items = std::initializer_list<std::pair<const char*, std::string_view>>;

// A tree file of root items; a name ending in "*" is selected and active, in "!" fixed.
std::string IndexText(Items items) {
    std::string text = "<?xml version=\"1.0\"?>\n<tree version=\"1.0\">\n";
    for (const auto& [id, name] : items) {
        const std::string flag = name.ends_with('*') ? "true" : "false";
        text += std::string("<item id=\"") + id + "\" username=\"" +
                std::string(name.substr(0, name.find_first_of("*!"))) + "\" isfixed=\"" +
                (name.ends_with('!') ? "true" : "false") + "\" isselected=\"" + flag +
                "\" isactive=\"" + flag + "\"></item>";
    }
    return text + "</tree>";
}

// A session on a real notes folder, the editor played by the test view, the watch on disk by a
// set of paths.
struct CSessionFolder : TestSupport::CNotesFolderFixture {
    CSessionFolder() {
        settings.notesFolder = folder.Path().u16string();
        session.SetShownNotes(&shown);
        session.SetFolderWatch(&watch);
    }
    void WriteIndex(Items items) {
        TestSupport::WriteBytes(folder / "index.xml", IndexText(items));
    }
    // Note "one" shown, with " typed" added to it and not saved.
    void TypeIntoOneNote() {
        WriteNote("1", "\u00B6one");
        WriteIndex({{"1", "one*"}});
        ASSERT_TRUE(session.LoadTree());
        ASSERT_EQ(view.ShownNotes().size(), 1u);
        NoteEditEngine::CNotePosition end = view.ShownNotes()[0]->End();
        view.ShownNotes()[0]->InsertPlainText(end, u" typed");
    }
    TestSupport::CFakeTimer timer;
    struct CPathWatch final : CFolderWatch {
        void Watch(const std::filesystem::path& path) override { paths.insert(path); }
        void Unwatch(const std::filesystem::path& path) override { paths.erase(path); }
        std::set<std::filesystem::path> paths;
    } watch;
    CNoteSession session{prompts, settings, status, timer, fs};
};

// A termination signal or the desktop session's end with the notes folder unwritable: nobody is
// asked, the note goes to a recovery file, the log says where, and the next start tells, once.
TEST(NoteSessionTest, AnUnattendedEndRecoversWhatItCannotSaveAndTellsAtTheNextStart) {
    using Fault = TestSupport::CFaultyFileSystem::Fault;
    CSessionFolder f;
    f.TypeIntoOneNote();
    std::ostringstream log;
    f.fs.SetFault(Fault::ReplaceFails, f.folder.Path());
    f.session.EndUnattended(log);
    EXPECT_FALSE(f.session.IsLoaded());
    EXPECT_TRUE(f.prompts.Messages().empty());
    const std::filesystem::path recovery = f.settings.RecoveryFolder();
    ASSERT_EQ(std::distance(std::filesystem::directory_iterator(recovery), {}), 1);
    const std::filesystem::path recovered = std::filesystem::directory_iterator(recovery)->path();
    EXPECT_EQ(f.NoteIn(recovered), "\u00B6one typed");
    EXPECT_NE(log.str().find("Its text was written to " + recovered.string()), std::string::npos)
        << log.str();
    EXPECT_EQ(f.settings.recoveredAtEnd, 1);

    f.fs.SetFault(Fault::None);
    for (int start = 0; start < 2; ++start) {
        CNoteSession session(f.prompts, f.settings, f.status, f.timer, f.fs);
        session.SetShownNotes(&f.shown);
        EXPECT_TRUE(session.LoadTree());
    }
    const std::u16string waiting =
        u"1 recovered note is waiting: Note > Recovered Notes... brings it back.";
    EXPECT_EQ(f.prompts.Texts(),
              (std::vector<std::u16string>{u"1 note could not be saved last time; it is in " +
                                               PathText(recovery) + u"\n" + waiting,
                                           waiting}));
}

// The start tries a new file in the folder: a try a crash left there is no reason to warn, a
// folder that takes no new file is told, and no try stays behind. The window's activation as the
// box closes finds no note missing from the tree still being read.
TEST(NoteSessionTest, TheStartWarnsOnlyOfAFolderThatTakesNoNewFile) {
    for (const bool takesFiles : {true, false}) {
        CSessionFolder f;
        f.WriteNote("1", "\u00B6one");
        f.WriteIndex({{"1", "one*"}});
        TestSupport::WriteBytes(f.folder / ".jotwell-write-check", "");
        if (!takesFiles)
            f.fs.SetFault(TestSupport::CFaultyFileSystem::Fault::CreateFails, f.folder.Path());
        f.prompts.whileShown = [&f] { f.session.OnActivated(); };
        EXPECT_TRUE(f.session.LoadTree());
        EXPECT_EQ(f.prompts.Messages().size(), takesFiles ? 0u : 1u) << takesFiles;
        EXPECT_EQ(f.session.Tree().Size(), 1u);
        EXPECT_FALSE(std::filesystem::exists(f.folder / ".jotwell-write-check"));
    }
}

const std::string kNote = "<note created=\"1\" modified=\"1\"><paragraph>x</paragraph></note>";

// Items move as told; deleting takes the active item's part away only from the active item; a
// file that is no note is neither adopted nor deleted.
TEST(NoteSessionTest, MovedAndDeletedItemsAndAFileThatIsNoNote) {
    const std::string svg = "<?xml version=\"1.0\"?>\n<svg><g></g></svg>";
    for (const size_t notesDeleted : {0, 1}) {
        CSessionFolder f;
        TestSupport::WriteBytes(f.folder / "11.xml", kNote);
        TestSupport::WriteBytes(f.folder / "22.xml", kNote);
        TestSupport::WriteBytes(f.folder / "20240101.xml", svg);
        f.session.LoadTree();
        CNoteTree& tree = f.session.Tree();
        ASSERT_EQ(tree.Size(), 2u);  // 11 and 22
        f.session.MoveItems({tree.ItemsInOrder()[1]}, kRootItem, kFirstItem);
        const std::vector<TreeItem> items = tree.ItemsInOrder();
        ASSERT_EQ(tree.Record(items[0]).id, u"22");
        // Another program puts its file in the place of a note while the session runs.
        TestSupport::WriteBytes(f.folder / "22.xml", svg);
        tree.SetActive(items[1]);
        for (size_t i = 0; i < 1 + notesDeleted; ++i)
            tree.Select(items[i]);
        ASSERT_TRUE(f.session.DeleteSelected());
        EXPECT_EQ(tree.Active(), notesDeleted == 0 ? items[1] : TreeItem::None);
        const std::u16string question = f.prompts.Messages().back().text;
        EXPECT_NE(question.find(u'\n'), std::u16string::npos) << "says that a file stays";
        EXPECT_EQ(tree.Size(), 1 - notesDeleted);
        EXPECT_EQ(std::filesystem::exists(f.folder / "11.xml"), notesDeleted == 0);
        EXPECT_EQ(TestSupport::ReadBytes(f.folder / "22.xml"), svg);
        EXPECT_EQ(TestSupport::ReadBytes(f.folder / "20240101.xml"), svg);
    }
}

TEST(NoteSessionTest, WhatIsNoRegularFileOfTheFolderIsRefusedWithoutWaiting) {
    const TestSupport::CTempFolder outside;
    TestSupport::WriteBytes(outside / "1.xml", kNote);
    for (const bool indexIsFifo : {false, true}) {
        CSessionFolder f;
        const auto fifo = [&](const char* name) {
            return ::mkfifo((f.folder / name).c_str(), 0600);
        };
        if (indexIsFifo) {
            ASSERT_EQ(fifo("index.xml"), 0);
        } else {
            f.WriteIndex({{"11", "A*"}});
        }
        ASSERT_EQ(fifo("11.xml") | fifo("22.xml"), 0);
        TestSupport::WriteBytes(f.folder / "55.xml", kNote);
        std::filesystem::create_symlink(outside / "1.xml", f.folder / "33.xml");
        std::filesystem::create_symlink("/dev/null", f.folder / "44.xml");
        // A link to another note would give it two items; one to a file of another name is the
        // note of that file.
        std::filesystem::create_symlink("55.xml", f.folder / "66.xml");
        TestSupport::WriteBytes(f.folder / "mine.xml", kNote);
        std::filesystem::create_symlink("mine.xml", f.folder / "77.xml");
        EXPECT_EQ(f.session.LoadTree(), !indexIsFifo);
        std::u16string ids;
        for (const TreeItem item : f.session.Tree().ItemsInOrder())
            ids += f.session.Tree().Record(item).id + u" ";
        EXPECT_EQ(ids, indexIsFifo ? u"55 77 " : u"11 55 77 ");
        // The index, or the note, that could not be read.
        EXPECT_EQ(f.prompts.Messages().size(), 1u);
    }
}

// Shown notes follow their files, read again with the caret kept (or at its end when shorter);
// nothing changed, nothing is written. The document manager's random session has the rest.
TEST(NoteSessionTest, ShownNotesFollowChangesOnDisk) {
    CSessionFolder f;
    f.WriteNote("1", "\u00B6first");
    f.WriteNote("2", "\u00B6second");
    f.WriteIndex({{"1", "first*"}, {"2", "second*"}});
    ASSERT_TRUE(f.session.LoadTree());
    ASSERT_EQ(f.view.ShownNotes().size(), 2u);
    // Nothing changed, nothing written: a sync tool watching the folder sees no write.
    f.session.OnSaveTimer();
    const int replaced = f.fs.replaced;
    const std::set<std::string> files = f.Files();
    f.session.OnSaveTimer();
    f.session.OnDiskChanged();
    EXPECT_EQ(f.fs.replaced, replaced);
    EXPECT_EQ(f.Files(), files);
    EXPECT_EQ(f.watch.paths,
              (std::set<std::filesystem::path>{f.folder.Path().parent_path(), f.folder.Path(),
                                               f.folder / "1.xml", f.folder / "2.xml"}));
    const struct {
        const char* theirs;
        uint32_t caret;
        bool atEnd;
    } reloads[] = {{"\u00B6first, longer", 4, false}, {"\u00B6f", 5, true}};
    for (const auto& reload : reloads) {
        NoteEditEngine::CNoteDocument* shown = f.view.ShownNotes()[0];
        f.view.SetCaret(shown->FromIndex(reload.caret), false, true);
        f.WriteNote("1", reload.theirs);
        // Other programs' files beside the folder are no reason to read the notes again.
        f.session.OnDiskChanged(f.folder.Path().parent_path());
        EXPECT_EQ(f.view.ShownNotes()[0], shown);
        f.session.OnDiskChanged(f.folder / "1.xml");
        shown = f.view.ShownNotes()[0];
        EXPECT_EQ(NoteEditEngine::TestSupport::Dump(*shown), reload.theirs);
        EXPECT_EQ(f.view.Active(), reload.atEnd ? shown->End() : shown->FromIndex(reload.caret));
    }
    // A sync tool's version of note 1 and a note of another machine arrive while it runs.
    f.WriteNote("1.sync-conflict-20261207-143908-ABCDEFG", "\u00B6first, elsewhere");
    f.WriteNote("3", "\u00B6third");
    f.session.OnDiskChanged();
    const std::vector<TreeItem> now = f.session.Tree().ItemsInOrder();
    ASSERT_EQ(now.size(), 4u);
    EXPECT_EQ(f.session.Tree().IconIndex(now[1]), CNoteTree::kConflictIcon);
    EXPECT_EQ(f.session.Tree().Record(now[3]).id, u"3");
    EXPECT_FALSE(std::filesystem::exists(f.folder / "1.sync-conflict-20261207-143908-ABCDEFG.xml"));
    f.session.OnDiskChanged();
    EXPECT_EQ(f.session.Tree().Size(), 4u);
}

// The notes folder removed while the program runs: the user is asked once and nothing is
// written until they agree to have it made again, then it holds the tree and the typed text.
TEST(NoteSessionTest, AGoneNotesFolderIsMadeAgainWithEverythingHeldWhenTheUserAgrees) {
    CSessionFolder f;
    f.TypeIntoOneNote();
    std::filesystem::remove_all(f.folder.Path());
    f.prompts.answerYes = false;  // and the picker is cancelled
    f.session.OnDiskChanged(f.folder.Path().parent_path());
    f.session.OnSaveTimer();
    f.session.OnDiskChanged();
    ASSERT_EQ(f.prompts.Texts().size(), 1u);
    EXPECT_NE(f.prompts.Texts()[0].find(PathText(f.folder.Path())), std::u16string::npos);
    EXPECT_FALSE(std::filesystem::exists(f.folder.Path()));
    EXPECT_EQ(f.prompts.asked.size(), 1u) << "another folder was offered";

    f.prompts.answerYes = true;
    f.session.OnActivated();
    EXPECT_EQ(f.prompts.Texts().size(), 2u);
    EXPECT_EQ(f.NoteIn(f.folder / "1.xml"), "\u00B6one typed");
    CNoteTree tree;
    EXPECT_TRUE(CNoteSession::ReadTree(f.folder.Path(), tree, f.prompts, f.fs));
    EXPECT_EQ(tree.Size(), 1u);
    EXPECT_EQ(f.prompts.Texts().size(), 2u);
}

// A sync tool's copy of the tree from another machine, found at the start or while running: its
// new notes and names come in, nothing of ours goes, and it is merged once.
TEST(NoteSessionTest, ASyncToolsCopyOfTheTreeIsMergedOnce) {
    CSessionFolder f;
    for (const char* id : {"1", "2"})
        TestSupport::WriteBytes(f.folder / (std::string(id) + ".xml"), kNote);
    f.WriteIndex({{"1", "one"}});
    TestSupport::WriteBytes(f.folder / "index.sync-conflict-20261207-162302-ABCDEFG.xml",
                            IndexText({{"1", "one on B!"}, {"2", "two"}}));
    ASSERT_TRUE(f.session.LoadTree());
    EXPECT_EQ(Dump(f.session.Tree()), "one on B two");
    TestSupport::WriteBytes(f.folder / "3.xml", kNote);
    TestSupport::WriteBytes(f.folder / "index (Ann's conflicted copy 2026-12-07).xml",
                            IndexText({{"1", "one"}, {"2", "two"}, {"3", "three"}}));
    f.session.OnDiskChanged();
    f.session.OnDiskChanged();
    EXPECT_EQ(Dump(f.session.Tree()), "one on B two three");
    EXPECT_EQ(f.prompts.Messages().size(), 2u);
    size_t aside = 0;
    for (const std::string& name : f.Files()) {
        EXPECT_FALSE(name.starts_with("index ") || name.starts_with("index.sync")) << name;
        aside += name.starts_with("index.xml.sync-conflict-");
    }
    EXPECT_EQ(aside, 2u);
}

// Recovered notes come back after the active item, selected, and leave the recovery folder once
// written; a file that is no note, one outside the folder and one that cannot be written stay.
TEST(NoteSessionTest, RecoveredNotesComeBackAfterTheActiveItemAndLeaveTheRecoveryFolder) {
    CSessionFolder f;
    const std::filesystem::path recovery = f.settings.RecoveryFolder();
    std::filesystem::create_directories(recovery);
    f.WriteIndex({{"11", "A"}, {"22", "B"}});
    TestSupport::WriteBytes(f.folder / "11.xml", kNote);
    TestSupport::WriteBytes(f.folder / "22.xml", kNote);
    TestSupport::WriteBytes(recovery / "5-1.xml",
                            "<note modified=\"9\"><paragraph>Older</paragraph></note>");
    TestSupport::WriteBytes(recovery / "6-1.xml",
                            "<note modified=\"99\"><paragraph>New</paragraph></note>");
    TestSupport::WriteBytes(recovery / "7-1.xml", "<svg/>");
    TestSupport::WriteBytes(recovery / ".7-1.xml.jwtmp-host-1", "half");
    ASSERT_TRUE(f.session.LoadTree());
    ASSERT_TRUE(f.session.LoadTree());
    EXPECT_EQ(f.prompts.Texts(),
              std::vector<std::u16string>{u"2 recovered notes are waiting: Note > Recovered "
                                          u"Notes... brings them back."});
    std::string listed;
    for (const CRecoveredNote& note : f.session.RecoveredNotes())
        listed += note.path.filename().string() + ":" + NoteBase::Utf16ToUtf8(note.title) + ":" +
                  std::to_string(note.modified) + (note.readable ? " " : "! ");
    EXPECT_EQ(listed, "6-1.xml:New:99 5-1.xml:Older:9 7-1.xml:7-1.xml:0! ");

    f.session.Tree().SetActive(f.session.Tree().Children(kRootItem)[0]);
    f.fs.SetFault(TestSupport::CFaultyFileSystem::Fault::CreateFails, f.folder.Path());
    EXPECT_EQ(f.session.ImportRecoveredNotes({recovery / "5-1.xml"}), 0u);
    f.fs.SetFault(TestSupport::CFaultyFileSystem::Fault::None);
    EXPECT_EQ(f.session.ImportRecoveredNotes({recovery / "6-1.xml", recovery / "7-1.xml",
                                              f.folder / "22.xml", recovery / "5-1.xml"}),
              2u);
    EXPECT_EQ(Dump(f.session.Tree()), "A New* Older* B");
    EXPECT_EQ(f.prompts.Messages().size(), 3u);
    EXPECT_NE(f.prompts.Texts().back().find(u": 7-1.xml, 22.xml"), std::u16string::npos);
    for (const char* name : {"5-1.xml", "6-1.xml", "7-1.xml"})
        EXPECT_EQ(std::filesystem::exists(recovery / name), name[0] == '7') << name;
    EXPECT_TRUE(std::filesystem::exists(f.folder / "22.xml"));
    const TreeItem older = f.session.Tree().Children(kRootItem)[2];
    const std::filesystem::path file =
        NoteFilePath(f.folder.Path(), f.session.Tree().Record(older));
    EXPECT_NE(TestSupport::ReadBytes(file).find("Older"), std::string::npos);
}

}  // namespace
}  // namespace NoteTreeEngine
