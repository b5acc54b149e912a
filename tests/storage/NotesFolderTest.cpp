#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "session/NoteSession.h"
#include "session/SavePolicy.h"
#include "storage/SyncConflicts.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/NotesFolderFixture.h"

namespace NoteTreeEngine {
namespace {

using TestSupport::CFakePrompts;
using TestSupport::CFaultyFileSystem;
using TestSupport::CTempFolder;
using TestSupport::Dump;
using TestSupport::NoteFileBytes;
using TestSupport::ReadBytes;
using TestSupport::WriteBytes;
using Fault = CFaultyFileSystem::Fault;

// A notes folder with its tree pane, manager and save policy.
struct CFolderFixture : TestSupport::CNotesFolderFixture {
    TestSupport::CFakeTimer timer;
    CSavePolicy policy{pane, manager, store, prompts, timer};

    void WriteIndex(std::initializer_list<const char*> ids) {
        std::string text = "<?xml version=\"1.0\"?>\n<tree version=\"1.0\">\n";
        for (const char* id : ids)
            text += "<item id=\"" + std::string(id) + "\" username=\"n" + id + "\"></item>\n";
        WriteBytes(folder / "index.xml", text + "</tree>");
    }
    std::vector<std::u16string> Ids() {
        std::vector<std::u16string> ids;
        for (TreeItem item : pane.ItemsInOrder())
            ids.push_back(pane.Record(item).id);
        return ids;
    }
};

// Files of the folder whose names start so.
std::vector<std::string> Named(const CFolderFixture& f, std::string_view prefix) {
    std::vector<std::string> names;
    for (const std::string& name : f.Files())
        if (name.starts_with(prefix)) names.push_back(name);
    return names;
}

// No index is no fault. A damaged one, or one cut short, is set aside, never overwritten, its
// items keep their places and the notes it does not name come after them.
TEST(SavePolicyTest, AMissingOrDamagedIndexIsSetAsideAndMadeAgain) {
    const std::string index =
        "<tree>\n<item id=\"11\" username=\"One\"><item id=\"22\" "
        "username=\"Two\"></item></item><item id=\"33\" username=\"Three\">"
        "</item></tree>";
    const std::pair<std::string, const char*> cases[] = {
        {"", "Orphan note Orphan note Orphan note"},
        {"<tre damaged", "Orphan note Orphan note Orphan note"},
        {index.substr(0, index.find("33") + 1), "One(Two) Orphan note"},
        {index.substr(0, index.find("<item id=\"33") + 1), "One(Two) Orphan note"},
        {index.substr(0, index.find("</tree>") + 1), "One(Two) Three"}};
    for (const auto& [bytes, expected] : cases) {
        SCOPED_TRACE(bytes);
        CFolderFixture f;
        for (const char* id : {"11", "22", "33"})
            f.WriteNote(id, "\u00B6x");
        if (!bytes.empty()) WriteBytes(f.folder / "index.xml", bytes);
        EXPECT_FALSE(f.policy.LoadTree());
        EXPECT_EQ(Dump(f.pane), expected);
        EXPECT_EQ(f.Ids(), (std::vector<std::u16string>{u"11", u"22", u"33"}));
        EXPECT_EQ(f.prompts.Messages().size(), bytes.empty() ? 0u : 1u);
        EXPECT_NE(ReadBytes(f.folder / "index.xml").find("id=\"33\""), std::string::npos);
        const std::vector<std::string> aside = Named(f, "index.xml.unreadable-");
        ASSERT_EQ(aside.size(), bytes.empty() ? 0u : 1u);
        if (bytes.empty()) continue;
        EXPECT_EQ(ReadBytes(f.folder / aside[0]), bytes);
        // A second damaged index in the same second keeps the first one aside too.
        CFolderFixture g;
        WriteBytes(g.folder / "index.xml", "second");
        WriteBytes(g.folder / aside[0], "first");
        EXPECT_FALSE(g.policy.LoadTree());
        EXPECT_EQ(ReadBytes(g.folder / aside[0]), "first");
        EXPECT_EQ(g.Files().size(), 3u);
    }
}

TEST(SavePolicyTest, AnIndexChangedByOthersIsReadOrMergedNeverReverted) {
    CFolderFixture f;
    for (const char* id : {"11", "22", "33", "44"})
        f.WriteNote(id, "\u00B6x");
    f.WriteIndex({"11", "22", "33", "44"});
    ASSERT_TRUE(f.policy.LoadTree());
    const TreeItem shown = f.pane.ItemsInOrder()[0];
    const TreeItem gone = f.pane.ItemsInOrder()[2];
    const auto written = [&] {
        CNoteTree tree;
        EXPECT_TRUE(CNoteSession::ReadTree(f.folder.Path(), tree, f.prompts, f.fs));
        return Dump(tree);
    };
    for (const TreeItem item : {shown, gone}) {
        f.manager.LoadItem(item, TreeItem::None);
        f.pane.Select(item);
    }

    // Ours kept its structure: theirs is read, even the same size at the same time (cp -p).
    const auto time = std::filesystem::last_write_time(f.folder / "index.xml");
    std::string theirs = ReadBytes(f.folder / "index.xml");
    const std::string from = "\"22\" username=\"n22";
    theirs.replace(theirs.find(from), from.size(), "\"55\" username=\"n55");
    WriteBytes(f.folder / "index.xml", theirs);
    std::filesystem::last_write_time(f.folder / "index.xml", time);
    EXPECT_TRUE(f.policy.SaveTree());
    EXPECT_EQ(Dump(f.pane), "n11* n55 n33* n44");
    EXPECT_EQ(ReadBytes(f.folder / "index.xml"), theirs);
    EXPECT_NE(f.manager.FindDocument(shown), nullptr);
    // A shown note whose item theirs removed leaves the editor; its file stays.
    f.WriteIndex({"44", "11"});
    EXPECT_TRUE(f.policy.SaveTree());
    EXPECT_EQ(f.manager.HeldNotes().size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(f.folder / "33.xml"));
    EXPECT_TRUE(f.policy.Close());
    EXPECT_EQ(written(), "n44 n11*");
    EXPECT_TRUE(Named(f, "index.xml.changed-").empty());
    EXPECT_TRUE(f.prompts.Messages().empty());

    // Both changed: merged, theirs set aside, the user told once.
    f.pane.Record(shown).username = u"mine";
    f.pane.Record(shown).isfixed = true;
    WriteBytes(f.folder / "index.xml",
               "<tree><item id=\"66\" username=\"new\"><item id=\"77\" username=\"sub\">"
               "</item></item><item id=\"44\" username=\"renamed\"></item></tree>");
    theirs = ReadBytes(f.folder / "index.xml");
    EXPECT_TRUE(f.policy.SaveTree());
    EXPECT_EQ(written(), "new(sub) renamed mine*");
    ASSERT_EQ(Named(f, "index.xml.changed-").size(), 1u);
    EXPECT_EQ(ReadBytes(f.folder / Named(f, "index.xml.changed-")[0]), theirs);
    ASSERT_EQ(f.prompts.Messages().size(), 1u);
    const std::string told = NoteBase::Utf16ToUtf8(f.prompts.Messages()[0].text);
    EXPECT_NE(told.find(f.folder.Path().string()), std::string::npos) << told;
    EXPECT_NE(told.find(Named(f, "index.xml.changed-")[0]), std::string::npos) << told;

    // When theirs cannot be set aside, ours is not written over it; when ours cannot be
    // written, theirs is safe aside and ours is written at the next save.
    f.pane.Record(shown).username = u"mine again";
    f.WriteIndex({"44"});
    const std::string later = ReadBytes(f.folder / "index.xml");
    f.fs.SetFault(Fault::ReplaceFails);
    EXPECT_FALSE(f.policy.SaveTree());
    EXPECT_EQ(ReadBytes(f.folder / "index.xml"), later);
    f.fs.SetFault(Fault::CreateFails);
    EXPECT_FALSE(f.policy.SaveTree());
    f.fs.SetFault(Fault::None);
    EXPECT_TRUE(f.policy.SaveTree());
    EXPECT_EQ(Named(f, "index.xml.changed-").size(), 2u);
    EXPECT_EQ(written(), "new(sub) n44 mine again*");  // their rename of 44 back
}

TEST(SavePolicyTest, ASyncToolsConflictFileBecomesACopyRightAfterItsNoteOnce) {
    CFolderFixture f;
    f.WriteNote("11", "\u00B6one");
    f.WriteNote("22", "\u00B6two");
    f.WriteIndex({"11", "22"});
    const std::string conflict = "11.sync-conflict-20240229-134501-ABC2DEF.xml";
    const std::string other = NoteFileBytes("\u00B6one elsewhere");
    WriteBytes(f.folder / conflict, other);
    WriteBytes(f.folder / "22 (conflicted copy 2024-02-29 134501).xml", "not a note");
    ASSERT_TRUE(f.policy.LoadTree());
    const std::vector<TreeItem> items = f.pane.ItemsInOrder();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(f.pane.Title(items[1]), u"one elsewhere" + ConflictLabel(std::time(nullptr)));
    EXPECT_EQ(f.pane.IconIndex(items[1]), CNoteTree::kConflictIcon);
    EXPECT_FALSE(std::filesystem::exists(f.folder / conflict));
    EXPECT_EQ(ReadBytes(f.store.NoteFilePath(f.pane.Record(items[1]))), other);
    EXPECT_EQ(f.Files().size(), 5u);  // the file that is no note stays
    // Adopted items reach the index at once.
    EXPECT_NE(ReadBytes(f.folder / "index.xml").find(NoteBase::Utf16ToUtf8(f.Ids()[1])),
              std::string::npos);

    const std::vector<std::u16string> ids = f.Ids();
    EXPECT_TRUE(f.policy.Close());
    f.pane.Clear();
    CSavePolicy again{f.pane, f.manager, f.store, f.prompts, f.timer};
    ASSERT_TRUE(again.LoadTree());
    EXPECT_EQ(f.Ids(), ids);
}

// The name first drawn for a conflict file is taken: another is drawn.
TEST(NotesFolderStoreTest, AConflictFileIsAdoptedUnderAFreeName) {
    struct CFirstNameTaken final : TestSupport::CForwardingFileSystem {
        bool Exists(const std::filesystem::path& path) override {
            if (taken.empty() && path.stem().native().size() == 16) taken = path;
            return path == taken || CForwardingFileSystem::Exists(path);
        }
        std::filesystem::path taken;
    } fs;
    const CTempFolder folder;
    CFakePrompts prompts;
    CNotesFolderStore store(folder.Path(), prompts, fs);
    WriteBytes(folder / "11.xml", NoteFileBytes("\u00B6one"));
    WriteBytes(folder / "11.sync-conflict-20240229-134501-ABC2DEF.xml", NoteFileBytes("\u00B6x"));
    CNoteTree pane;
    EXPECT_EQ(store.AdoptOrphanNotes(pane), 2u);
    EXPECT_FALSE(fs.taken.empty());
    EXPECT_EQ(pane.Size(), 2u);
}

// Steady typing reaches the disk at most 30 s after its first unsaved change, however long it
// goes on; caret moves alone save the tree five minutes after the last of them.
TEST(SavePolicyTest, TheTimerSavesChangesWithin30SecondsAndTheTreeFiveMinutesAfterTheCaret) {
    CFolderFixture f;
    f.WriteNote("11", "\u00B6one");
    f.WriteIndex({"11"});
    ASSERT_TRUE(f.policy.LoadTree());
    const TreeItem item = f.pane.ItemsInOrder()[0];
    f.manager.LoadItem(item, TreeItem::None);
    const auto runUntil = [&](int64_t ms) {
        f.timer.now = ms;
        if (f.timer.running && f.timer.due <= ms) f.policy.OnSaveTimer();
    };
    const auto typedOnDisk = [&] {
        const std::string bytes = ReadBytes(f.folder / "11.xml");
        const size_t from = bytes.find(">one") + 4;
        return static_cast<int>(bytes.find_first_not_of('x', from) - from);
    };
    // A key a second for two minutes; a crash at any moment loses at most the last 30 s.
    for (int second = 0; second < 120; ++second) {
        runUntil(second * 1000);
        ASSERT_GE(typedOnDisk(), second - 30) << second;
        f.Type(item, u"x");
        f.policy.OnCaretMoved();
    }
    runUntil(150000);
    EXPECT_EQ(typedOnDisk(), 120);
    EXPECT_FALSE(f.timer.running);

    // Ten minutes of caret moves without an edit, then none: only then is the tree saved, and
    // only what changed is written.
    f.pane.Record(item).username = u"renamed";
    const int written = f.fs.replaced;
    for (int second = 0; second < 600; ++second) {
        runUntil(200000 + second * 1000);
        f.policy.OnCaretMoved();
    }
    EXPECT_EQ(f.fs.replaced, written);
    runUntil(200000 + 599000 + CSavePolicy::kSaveDelayMs);
    EXPECT_EQ(f.fs.replaced, written + 1);  // index.xml; the note is saved already
    f.policy.OnItemDeselected(item);
    f.policy.OnTreeChanged();
    EXPECT_EQ(f.fs.replaced, written + 1);
    f.pane.Record(item).username = u"renamed again";
    EXPECT_TRUE(f.policy.Close());
    EXPECT_EQ(f.fs.replaced, written + 2);
}

}  // namespace
}  // namespace NoteTreeEngine
