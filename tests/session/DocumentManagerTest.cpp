#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "storage/SyncConflicts.h"
#include "tests/support/NotesFolderFixture.h"

namespace NoteTreeEngine {
namespace {

using NoteEditEngine::TestSupport::Dump;
using TestSupport::CFaultyFileSystem;
using TestSupport::ReadBytes;
using TestSupport::WriteBytes;
using Fault = CFaultyFileSystem::Fault;

using CManagerFixture = TestSupport::CNotesFolderFixture;

TEST(DocumentManagerTest, MissingAndUnreadableNoteFiles) {
    CManagerFixture f;
    const TreeItem missing = f.AddNote("\u00B6kept name");
    std::filesystem::remove(f.PathOf(missing));
    f.manager.LoadItem(missing, TreeItem::None);
    ASSERT_EQ(f.prompts.Messages().size(), 1u);
    EXPECT_NE(f.prompts.Texts()[0].find(PathText(f.PathOf(missing))), std::u16string::npos);
    EXPECT_TRUE(f.pane.Record(missing).isfixed);
    EXPECT_EQ(f.OnDisk(missing), "\u00B6");
    f.Type(missing, u"x");
    EXPECT_EQ(f.pane.Title(missing), u"kept name");

    // A file that holds no note is reported and never written over, edited or not.
    for (const std::string bytes : {"", "<note created=\"5\"><paragraph>cut", "<html/>"}) {
        const TreeItem item = f.AddNote("\u00B6x");
        WriteBytes(f.PathOf(item), bytes);
        f.manager.LoadItem(item, TreeItem::None);
        EXPECT_EQ(f.prompts.Messages().back().text, u"Document file could not be opened");
        EXPECT_EQ(f.manager.FindDocument(item), nullptr);
        f.manager.UnloadItem(item);
        f.manager.SaveAll();
        EXPECT_EQ(ReadBytes(f.PathOf(item)), bytes);
    }
}

// A note changed here and on disk whose copy fails at each step of the write in turn: the note
// stays in memory, the user is told which note is kept and why, both files stay, no file is left
// that could pass for a note, and the next save writes the copy. The random session below fails
// the other save paths.
TEST(DocumentManagerTest, ANoteWhoseCopyCannotBeSavedIsKept) {
    const std::pair<Fault, std::u16string> faults[] = {
        {Fault::CreateFails, u"Permission denied"},
        {Fault::DiskFullMidWrite, u"No space left on device"},
        {Fault::SyncFails, u"Input/output error"},
        {Fault::ReplaceFails, u"Permission denied"}};
    for (const auto& [fault, reason] : faults) {
        SCOPED_TRACE(static_cast<int>(fault));
        CManagerFixture f;
        const TreeItem item = f.AddNote("\u00B6old");
        f.manager.LoadItem(item, TreeItem::None);
        f.Type(item, u" typed");
        WriteBytes(f.PathOf(item), ReadBytes(f.PathOf(item)) + " ");
        const std::string oldBytes = ReadBytes(f.PathOf(item));
        f.fs.SetFault(fault);
        EXPECT_FALSE(f.manager.SaveAll());
        EXPECT_FALSE(f.manager.SaveAll());
        EXPECT_EQ(ReadBytes(f.PathOf(item)), oldBytes);
        EXPECT_EQ(f.prompts.Texts(), std::vector<std::u16string>{
                                         u"The note \"old typed\" could not be saved: " + reason +
                                         u".\nThe changes are kept and will be saved again."});
        EXPECT_EQ(f.status.text, u"Not saved: old typed");
        for (const std::string& name : f.Files())
            EXPECT_TRUE(name == f.PathOf(item).filename().string() || !name.ends_with(".xml"))
                << name;

        f.fs.SetFault(Fault::None);
        EXPECT_TRUE(f.manager.SaveAll());
        EXPECT_EQ(f.status.text, u"");
        EXPECT_EQ(ReadBytes(f.PathOf(item)), oldBytes);
        EXPECT_EQ(f.OnDisk(f.pane.Children(kRootItem).back()), "\u00B6old typed");
    }
}

// At the end with nowhere to write a note, the user is asked, and a note kept stops the end (the
// random session below ends with its notes in recovery files).
TEST(DocumentManagerTest, AtTheEndWithNowhereToWriteTheUserDecides) {
    CManagerFixture f;
    const TreeItem other = f.AddNote("\u00B6other");
    f.manager.LoadItem(other, TreeItem::None);
    f.Type(other, u"!");
    f.fs.SetFault(Fault::CreateFails);
    f.prompts.answerYes = false;
    EXPECT_FALSE(f.manager.Close());
    EXPECT_EQ(f.prompts.Messages().back().text,
              u"The note \"other!\" could not be saved: Permission denied.\nNo copy of it could be "
              u"written anywhere. Discard its changes?");
    EXPECT_EQ(f.status.text, u"Not saved: other!");
    f.prompts.answerYes = true;
    EXPECT_TRUE(f.manager.Close());
    EXPECT_EQ(f.status.text, u"");
}

TEST(DocumentManagerTest, ChangesMadeOnDiskByOthersAreNeverOverwritten) {
    CManagerFixture f;
    const TreeItem quiet = f.AddNote("\u00B6quiet");
    const TreeItem busy = f.AddNote("\u00B6busy");
    const TreeItem last = f.AddNote("\u00B6last");
    f.manager.LoadItem(quiet, TreeItem::None);
    f.manager.LoadItem(busy, quiet);
    const auto writeElsewhere = [&](TreeItem item, const char* content) {
        WriteBytes(f.PathOf(item), TestSupport::NoteFileBytes(content) + "\n");
    };
    // Rewritten keeping the size and the time (cp -p, rsync -t, touch -r): still a change.
    const auto rewriteInPlace = [&](TreeItem item, const std::string& from, const char* to) {
        const auto time = std::filesystem::last_write_time(f.PathOf(item));
        std::string bytes = ReadBytes(f.PathOf(item));
        WriteBytes(f.PathOf(item), bytes.replace(bytes.find(">" + from) + 1, from.size(), to));
        std::filesystem::last_write_time(f.PathOf(item), time);
    };
    rewriteInPlace(quiet, "quiet", "QUIET");
    rewriteInPlace(busy, "busy", "BUSY");
    f.Type(busy, u" ours");

    f.manager.SaveAll();
    // No change here: the disk's version is taken, in the same place in the editor.
    EXPECT_EQ(Dump(*f.view.ShownNotes()[0]), "\u00B6QUIET");
    EXPECT_EQ(f.OnDisk(quiet), "\u00B6QUIET");
    // Both changed: theirs stays under the identifier, ours is a new note right after it.
    EXPECT_EQ(f.OnDisk(busy), "\u00B6BUSY");
    EXPECT_EQ(Dump(*f.view.ShownNotes()[1]), "\u00B6BUSY");
    const std::vector<TreeItem> roots = f.pane.Children(kRootItem);
    ASSERT_EQ(roots.size(), 4u);
    EXPECT_EQ(roots[3], last);
    // Dated, with an icon of its own; the day of the save is today's.
    EXPECT_EQ(f.pane.Title(roots[2]), u"busy ours" + ConflictLabel(std::time(nullptr)));
    EXPECT_EQ(f.pane.IconIndex(roots[2]), CNoteTree::kConflictIcon);
    EXPECT_EQ(f.OnDisk(roots[2]), "\u00B6busy ours");
    EXPECT_TRUE(f.manager.TakeTreeChanged());

    // The same at unload: ours becomes the copy, nothing of it stays in the editor.
    f.Type(busy, u" again");
    writeElsewhere(busy, "\u00B6theirs, later");
    f.manager.UnloadItem(busy);
    EXPECT_TRUE(f.prompts.Texts().empty());
    EXPECT_EQ(f.view.ShownNotes().size(), 1u);
    EXPECT_EQ(f.OnDisk(busy), "\u00B6theirs, later");
    EXPECT_EQ(f.OnDisk(f.pane.Children(kRootItem)[2]), "\u00B6BUSY again");  // ours
    EXPECT_EQ(f.pane.Children(kRootItem).size(), 5u);

    // A shown note removed elsewhere is written back, not recreated empty: by the timer, and
    // at the end (Exit, a termination signal, the desktop session's end).
    for (const bool atTheEnd : {false, true}) {
        std::filesystem::remove(f.PathOf(quiet));
        EXPECT_TRUE(atTheEnd ? f.manager.Close() : f.manager.SaveAll());
        EXPECT_EQ(f.OnDisk(quiet), "\u00B6QUIET") << atTheEnd;
    }
    EXPECT_TRUE(f.prompts.Texts().empty());

    // Cut short elsewhere while shown and unchanged here: the timer leaves both as they are,
    // and ours, the only whole copy left, becomes a conflicting copy when it leaves the editor.
    f.manager.LoadItem(quiet, TreeItem::None);
    const std::string cut = ReadBytes(f.PathOf(quiet)).substr(0, 60);
    WriteBytes(f.PathOf(quiet), cut);
    f.manager.SaveAll();
    EXPECT_EQ(Dump(*f.view.ShownNotes()[0]), "\u00B6QUIET");
    const size_t items = f.pane.Children(kRootItem).size();
    f.manager.UnloadItem(quiet);
    EXPECT_EQ(ReadBytes(f.PathOf(quiet)), cut);
    ASSERT_EQ(f.pane.Children(kRootItem).size(), items + 1);
    EXPECT_EQ(f.OnDisk(f.pane.Children(kRootItem)[1]), "\u00B6QUIET");

    // Changed here too, and theirs no note: the timer's copy keeps ours. Should that copy be cut
    // short or removed elsewhere, ours becomes a copy again before it leaves the editor, whether
    // unloaded or replaced by a whole version of theirs.
    const auto cutShort = [&](TreeItem item) {
        WriteBytes(f.PathOf(item), ReadBytes(f.PathOf(item)).substr(0, 60));
    };
    const auto after = [&](TreeItem item) {
        const std::vector<TreeItem> roots = f.pane.Children(kRootItem);
        return *(std::find(roots.begin(), roots.end(), item) + 1);
    };
    for (const bool reload : {false, true}) {
        const TreeItem item = f.AddNote(reload ? "\u00B6second" : "\u00B6first");
        f.manager.LoadItem(item, TreeItem::None);
        f.Type(item, u" typed");
        cutShort(item);
        f.manager.SaveAll();
        if (reload) {
            std::filesystem::remove(f.PathOf(after(item)));
            writeElsewhere(item, "\u00B6theirs whole");
            f.manager.SaveAll();
            EXPECT_EQ(Dump(*f.manager.FindDocument(item)), "\u00B6theirs whole");
        } else {
            cutShort(after(item));
            f.manager.UnloadItem(item);
        }
        EXPECT_EQ(f.OnDisk(after(item)), reload ? "\u00B6second typed" : "\u00B6first typed");
    }
}

// Random selects, edits, deselects, timer saves and failing writes over 50 notes, against a
// model: a file always holds the last text of its note that a save could have written, the
// editor the text typed and the item its title. Only changed notes are written, once; a note that
// cannot be saved is told once until a save of it succeeds, and shown as unsaved until then.
TEST(DocumentManagerTest, RandomSessionsAgainstAModel) {
    constexpr int kNotes = 50;
    CManagerFixture f;
    std::vector<TreeItem> items;
    std::vector<std::string> typed;  // what the user has, per note
    std::vector<std::string> saved;  // what its file must hold
    std::vector<bool> told(kNotes, false);
    for (int i = 0; i < kNotes; ++i) {
        typed.push_back("\u00B6n" + std::to_string(i));
        saved.push_back(typed.back());
        items.push_back(f.AddNote(typed.back().c_str()));
        // A record's time other than its file's is no edit.
        if (i % 2 == 1) f.pane.Record(items.back()).modified = 999;
    }
    std::vector<bool> selected(kNotes, false);
    std::mt19937 random(20261206);
    bool failing = false;
    int writes = 0;
    size_t messages = 0;
    const auto save = [&](int i) {
        if (typed[i] == saved[i]) return;
        messages += failing && !told[i];
        told[i] = failing;
        if (failing) return;
        saved[i] = typed[i];
        ++writes;
    };
    for (int step = 0; step < 3000; ++step) {
        const int i = static_cast<int>(random() % kNotes);
        switch (random() % 6) {
            case 0:
                if (!selected[i]) f.manager.LoadItem(items[i], TreeItem::None);
                selected[i] = true;
                break;
            case 1:
                if (selected[i]) {
                    f.Type(items[i], u"x");
                    typed[i] += "x";
                    ASSERT_EQ(f.pane.Title(items[i]), NoteBase::Utf8ToUtf16(typed[i].substr(2)));
                }
                break;
            case 2:
                if (selected[i]) {
                    f.manager.UnloadItem(items[i]);
                    save(i);
                }
                selected[i] = false;
                break;
            case 3:
                f.manager.SaveAll();
                for (int n = 0; n < kNotes; ++n)
                    save(n);
                break;
            case 4: {
                failing = random() % 3 == 0;
                const Fault fault =
                    CFaultyFileSystem::kWriteFaults[random() %
                                                    std::size(CFaultyFileSystem::kWriteFaults)];
                f.fs.SetFault(failing ? fault : Fault::None);
                break;
            }
            default:
                break;
        }
        ASSERT_EQ(f.OnDisk(items[i]), saved[i]) << "step " << step;
        if (selected[i]) {
            ASSERT_EQ(Dump(*f.manager.FindDocument(items[i])), typed[i]);
        }
        ASSERT_EQ(f.fs.replaced, writes) << "step " << step;
        ASSERT_EQ(f.prompts.Messages().size(), messages) << "step " << step;
        ASSERT_EQ(f.status.text.empty(), std::find(told.begin(), told.end(), true) == told.end())
            << "step " << step;
        if (step % 100 == 0) {
            for (int n = 0; n < kNotes; ++n)
                ASSERT_EQ(f.OnDisk(items[n]), saved[n]) << "step " << step << " note " << n;
        }
    }
    // The end with the notes folder unwritable and the data area not: every unsaved note goes to a
    // recovery file, and the files keep what they held.
    for (int n = 0; n < kNotes; ++n) {
        if (!selected[n]) continue;
        f.Type(items[n], u"y");
        typed[n] += "y";
    }
    f.fs.SetFault(Fault::ReplaceFails, f.folder.Path());
    EXPECT_TRUE(f.manager.Close());
    std::multiset<std::string> unsaved;
    for (int n = 0; n < kNotes; ++n) {
        EXPECT_EQ(f.OnDisk(items[n]), saved[n]);
        if (typed[n] != saved[n]) unsaved.insert(typed[n]);
    }
    std::multiset<std::string> recovered;
    for (const std::string& name : TestSupport::FileNames(f.settings.RecoveryFolder()))
        recovered.insert(f.NoteIn(f.settings.RecoveryFolder() / name));
    EXPECT_FALSE(unsaved.empty());
    EXPECT_EQ(recovered, unsaved);
    EXPECT_EQ(f.Files().size(), size_t{kNotes});
}

}  // namespace
}  // namespace NoteTreeEngine
