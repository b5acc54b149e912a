#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

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
    for (const std::string bytes :
         {"", "<note created=\"5\"><paragraph>cut", "<html/>", "<tree><note></note></tree>"}) {
        const TreeItem item = f.AddNote("\u00B6x");
        WriteBytes(f.PathOf(item), bytes);
        f.manager.LoadItem(item, TreeItem::None);
        EXPECT_EQ(f.prompts.Messages().back().text, u"Document file could not be opened");
        EXPECT_EQ(f.manager.FindDocument(item), nullptr);
        f.manager.UnloadItem(item);
        f.manager.SaveAll();
        EXPECT_EQ(ReadBytes(f.PathOf(item)), bytes);
    }
    // A file that cannot be read is not a missing one: nothing is made in its place.
    const TreeItem unreadable = f.AddNote("\u00B6kept");
    f.fs.SetFault(Fault::ReadFails);
    f.manager.LoadItem(unreadable, TreeItem::None);
    EXPECT_EQ(f.manager.FindDocument(unreadable), nullptr);
    f.fs.SetFault(Fault::None);
    EXPECT_EQ(f.OnDisk(unreadable), "\u00B6kept");
}

// Changed here and its file cut short elsewhere: the timer's copy keeps ours. Should that copy
// be cut short or removed elsewhere, ours becomes a copy again before it leaves the editor,
// whether unloaded or replaced by a whole version of theirs.
TEST(DocumentManagerTest, OursBesideACutFileIsKeptInACopyWhileTheCopyLasts) {
    CManagerFixture f;
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
            WriteBytes(f.PathOf(item), TestSupport::NoteFileBytes("\u00B6theirs whole"));
            f.manager.SaveAll();
            EXPECT_EQ(Dump(*f.manager.FindDocument(item)), "\u00B6theirs whole");
        } else {
            cutShort(after(item));
            f.manager.UnloadItem(item);
        }
        EXPECT_EQ(f.OnDisk(after(item)), reload ? "\u00B6second typed" : "\u00B6first typed");
    }
}

// Random selects, edits, deselects, timer saves, failing writes and other programs' rewrites,
// removals and cuts over 50 notes, against a model: a file holds the last text of its note that a
// save could have written, or theirs; the editor the text typed and the item its title. Only
// changed notes are written, once; a note that cannot be saved is told once until a save of it
// succeeds, and shown as unsaved until then. Ours changed on both sides becomes a conflicting copy
// right after its note, theirs stays; nothing typed is ever lost.
TEST(DocumentManagerTest, RandomSessionsAgainstAModel) {
    constexpr int kNotes = 50;
    const std::string kNoNote = "(no note)";
    CManagerFixture f;
    std::vector<TreeItem> items;
    std::vector<std::string> typed;           // what the user has, per note
    std::vector<std::string> saved;           // what its file held when last read or written here
    std::vector<std::string> theirs(kNotes);  // another program's version, not yet seen here
    std::vector<bool> cut(kNotes, false);     // its file cut short elsewhere while shown
    std::vector<bool> told(kNotes, false);
    std::multiset<std::string> copies;               // ours kept beside theirs
    std::vector<std::pair<int, std::string>> fresh;  // copies made by this step
    for (int i = 0; i < kNotes; ++i) {
        typed.push_back("\u00B6n" + std::to_string(i));
        saved.push_back(typed.back());
        items.push_back(f.AddNote(typed.back().c_str()));
        // A record's time other than its file's is no edit.
        if (i % 2 == 1) f.pane.Record(items.back()).modified = 999;
    }
    const auto onDisk = [&](int i) {
        return cut[i] ? kNoNote : theirs[i].empty() ? saved[i] : theirs[i];
    };
    std::vector<bool> selected(kNotes, false);
    std::mt19937 random(20261206);
    bool failing = false;
    int writes = 0;
    size_t messages = 0;
    // A save of note i by the timer, or as it leaves the editor.
    const auto save = [&](int i, bool leaving) {
        // Ours, the only whole copy, stays in the editor until it leaves.
        if (cut[i] && (typed[i] == kNoNote || (selected[i] && !leaving))) return;
        if (!theirs[i].empty() && typed[i] == saved[i]) {
            typed[i] = saved[i] = theirs[i];  // read again, nothing written
            theirs[i].clear();
            return;
        }
        if (typed[i] == saved[i] && !cut[i]) return;
        // Ours unchanged beside a spoilt file is kept untold, for the end's recovery file.
        messages += failing && !told[i] && !cut[i];
        told[i] = failing;
        if (failing) return;
        ++writes;
        if (theirs[i].empty() && !cut[i]) {
            saved[i] = typed[i];
            return;
        }
        ++writes;  // a copy's file is made empty first
        // A note no longer shown has its copy put last.
        if (selected[i]) fresh.emplace_back(i, typed[i]);
        copies.insert(typed[i]);
        typed[i] = saved[i] = cut[i] ? kNoNote : theirs[i];
        theirs[i].clear();
    };
    // The watch saw a change: ours changed on both sides is kept and told at once. (Its failed
    // saves reach the status line only with the next save.)
    const auto reload = [&] {
        f.manager.ReloadChangedNotes();
        for (int n = 0; n < kNotes; ++n) {
            if (!selected[n] || theirs[n].empty()) continue;
            const size_t before = copies.size();
            save(n, false);
            if (copies.size() == before) continue;
            ++messages;
            ASSERT_NE(f.prompts.Texts().back().find(u"changed by another program"),
                      std::u16string::npos);
        }
    };
    for (int step = 0; step < 3000; ++step) {
        const int i = static_cast<int>(random() % kNotes);
        switch (random() % 9) {
            case 0:
                if (!selected[i] && !cut[i]) {
                    f.manager.LoadItem(items[i], TreeItem::None);
                    selected[i] = true;
                }
                break;
            case 1:
                if (selected[i] && !cut[i]) {
                    f.Type(items[i], u"x");
                    typed[i] += "x";
                    ASSERT_EQ(f.pane.Title(items[i]), NoteBase::Utf8ToUtf16(typed[i].substr(2)));
                }
                break;
            case 2:
                if (selected[i]) {
                    f.manager.UnloadItem(items[i]);
                    save(i, true);
                }
                selected[i] = false;
                break;
            case 3:
                f.manager.SaveAll();
                for (int n = 0; n < kNotes; ++n)
                    save(n, false);
                break;
            case 4: {
                failing = random() % 3 == 0;
                const Fault fault =
                    CFaultyFileSystem::kWriteFaults[random() %
                                                    std::size(CFaultyFileSystem::kWriteFaults)];
                f.fs.SetFault(failing ? fault : Fault::None);
                break;
            }
            case 5:  // rewritten whole, or in place keeping its size and time (cp -p, rsync -t)
                if (!cut[i] && saved[i] != kNoNote) {
                    if (selected[i] && random() % 2) {  // typed here just before
                        f.Type(items[i], u"x");
                        typed[i] += "x";
                    }
                    const std::filesystem::path path = f.PathOf(items[i]);
                    const std::string old = onDisk(i).substr(2);
                    std::string text = "o" + std::to_string(step);
                    if (random() % 2) {
                        text.resize(old.size(), 'o');
                        if (text == old) text[0] = 'p';
                        const auto time = std::filesystem::last_write_time(path);
                        std::string bytes = ReadBytes(path);
                        WriteBytes(
                            path, bytes.replace(bytes.find(">" + old + "<") + 1, old.size(), text));
                        std::filesystem::last_write_time(path, time);
                    } else {
                        WriteBytes(path, TestSupport::NoteFileBytes("\u00B6" + text));
                    }
                    theirs[i] = "\u00B6" + text;
                    if (!selected[i] && typed[i] == saved[i]) save(i, false);
                    if (!failing && random() % 2) reload();
                }
                break;
            case 6:  // a shown note removed is written back, never made empty
                if (selected[i] && !cut[i]) {
                    std::filesystem::remove(f.PathOf(items[i]));
                    theirs[i].clear();
                    saved[i] = kNoNote;
                }
                break;
            case 7:
                if (selected[i] && !cut[i] && typed[i] == saved[i] && theirs[i].empty()) {
                    WriteBytes(f.PathOf(items[i]), ReadBytes(f.PathOf(items[i])).substr(0, 60));
                    cut[i] = true;
                }
                break;
            default:
                if (!failing) reload();
                break;
        }
        ASSERT_EQ(f.OnDisk(items[i]), onDisk(i)) << "step " << step;
        if (selected[i]) {
            ASSERT_EQ(Dump(*f.manager.FindDocument(items[i])), typed[i]) << "step " << step;
        }
        ASSERT_EQ(f.fs.replaced, writes) << "step " << step;
        ASSERT_EQ(f.prompts.Messages().size(), messages) << "step " << step;
        ASSERT_EQ(f.status.text.empty(), std::find(told.begin(), told.end(), true) == told.end())
            << "step " << step;
        for (const auto& [n, copy] : fresh) {
            const std::vector<TreeItem> roots = f.pane.Children(kRootItem);
            const TreeItem next = *(std::find(roots.begin(), roots.end(), items[n]) + 1);
            ASSERT_EQ(f.OnDisk(next), copy) << "step " << step;
        }
        fresh.clear();
        if (step % 100 == 0) {
            std::multiset<std::string> model(copies), notes;
            for (int n = 0; n < kNotes; ++n)
                if (onDisk(n) != kNoNote) model.insert(onDisk(n));
            for (const std::string& name : f.Files())
                if (f.NoteIn(f.folder / name) != kNoNote) notes.insert(f.NoteIn(f.folder / name));
            ASSERT_EQ(notes, model) << "step " << step;
        }
    }
    // The end with the notes folder unwritable and the data area not: every unsaved note goes to a
    // recovery file, and the files keep what they held.
    for (int n = 0; n < kNotes; ++n) {
        if (!selected[n] || cut[n]) continue;
        f.Type(items[n], u"y");
        typed[n] += "y";
    }
    // With nowhere to write them the user is asked, and a note kept stops the end.
    f.fs.SetFault(Fault::CreateFails);
    f.prompts.answerYes = false;
    EXPECT_FALSE(f.manager.Close());
    EXPECT_NE(f.prompts.Texts().back().find(u"could be written anywhere. Discard its changes?"),
              std::u16string::npos);
    f.fs.SetFault(Fault::ReplaceFails, f.folder.Path());
    EXPECT_TRUE(f.manager.Close());
    std::multiset<std::string> unsaved;
    for (int n = 0; n < kNotes; ++n) {
        EXPECT_EQ(f.OnDisk(items[n]), onDisk(n));
        if (typed[n] != saved[n] || (cut[n] && typed[n] != kNoNote)) unsaved.insert(typed[n]);
    }
    std::multiset<std::string> recovered;
    for (const std::string& name : TestSupport::FileNames(f.settings.RecoveryFolder()))
        recovered.insert(f.NoteIn(f.settings.RecoveryFolder() / name));
    EXPECT_FALSE(unsaved.empty());
    EXPECT_EQ(recovered, unsaved);
    EXPECT_EQ(f.Files().size(), kNotes + copies.size());
}

}  // namespace
}  // namespace NoteTreeEngine
