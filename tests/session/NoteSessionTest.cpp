// The session on a real notes folder: the tree read without a window, and the operations the
// panes forward to it, with the editor's part played by the test view.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/Utf8.h"
#include "session/NoteSession.h"
#include "session/ViewShownNotes.h"
#include "storage/NotesFolderSettings.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/FakeStatusLine.h"
#include "tests/support/ModelTestSupport.h"
#include "tests/support/NoteTreeSupport.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestNoteView.h"

namespace NoteTreeEngine {
namespace {

using TestSupport::Dump;

std::string Item(const char* id, const char* name) {
    return std::string("<item id=\"") + id + "\" username=\"" + name +
           "\" isfixed=\"false\" isselected=\"true\" isactive=\"true\" isexpanded=\"true\" "
           "size=\"0\" created=\"0\" modified=\"0\">";
}

const std::string kHead = "<?xml version=\"1.0\"?>\n<tree version=\"1.0\">\n";

// Every file of the folder with its bytes and time, to tell that nothing was written.
std::vector<std::string> Snapshot(const std::filesystem::path& folder) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        files.push_back(entry.path().filename().string() + ":" +
                        TestSupport::ReadBytes(entry.path()) + ":" +
                        std::to_string(entry.last_write_time().time_since_epoch().count()));
    std::sort(files.begin(), files.end());
    return files;
}

TEST(NoteSessionTest, ReadingATreeWritesNothingAndKeepsTheShape) {
    struct Case {
        const char* what;
        std::string text;
        const char* expected;  // the tree's dump; "-" when it is no tree
    };
    const std::vector<Case> cases = {
        {"nested",
         kHead + Item("1", "A") + Item("2", "B") + Item("3", "C") + "</item></item>" +
             Item("4", "D") + "</item></item>" + Item("5", "E") + "</item></tree>",
         "A*+(B*+(C*) D*) E*"},
        {"left open at the end", kHead + Item("1", "A") + Item("2", "B"), "A*+(B*)"},
        {"a stray end tag",
         kHead + "</item>" + Item("1", "A") + "</item></item>" + Item("2", "B") + "</item></tree>",
         "A* B*"},
        {"no items", kHead + "</tree>", ""},
        {"no tree", "<note version=\"1.0\"></note>", "-"},
    };
    for (const Case& c : cases) {
        // The items name notes whose files are missing: a session loading them would create them.
        const TestSupport::CTempFolder folder;
        TestSupport::WriteBytes(folder / "index.xml", c.text);
        const std::vector<std::string> before = Snapshot(folder.Path());
        TestSupport::CFakePrompts prompts;
        CNoteTree tree;
        const bool read =
            CNoteSession::ReadTree(folder.Path(), tree, prompts, NoteStorage::FileSystem());
        EXPECT_EQ(read ? Dump(tree) : "-", c.expected) << c.what;
        EXPECT_EQ(Snapshot(folder.Path()), before) << c.what;
    }
}

}  // namespace
}  // namespace NoteTreeEngine
