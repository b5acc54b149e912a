#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "storage/XmlPrimitives.h"
#include "tests/support/NotesFolderFixture.h"

namespace NoteStorage {
namespace {

namespace fs = std::filesystem;
using TestSupport::CFaultyFileSystem;
using TestSupport::CTempFolder;
using TestSupport::ReadBytes;

std::set<std::string> Names(const fs::path& folder) {
    return TestSupport::FileNames(folder);
}

fs::perms Mode(const fs::path& path) {
    return fs::status(path).permissions() & fs::perms::mask;
}

TEST(SaveTest, ALinkStaysAndItsTargetIsReplacedWhereItLies) {
    CTempFolder notes;
    CTempFolder elsewhere;
    const fs::path target = elsewhere / "real.xml";
    ASSERT_TRUE(WriteUtf8File(target, u"old"));
    // A chain: an absolute link, and a relative one to it.
    fs::create_symlink(target, notes / "1.xml");
    fs::create_symlink("1.xml", notes / "2.xml");
    // A link whose target does not exist yet.
    fs::create_symlink(elsewhere / "later.xml", notes / "3.xml");

    // The file replaced keeps its mode, even one that forbids writing.
    for (const fs::perms mode : {fs::perms(0600), fs::perms(0666), fs::perms(0444)}) {
        fs::permissions(target, mode);
        ASSERT_TRUE(WriteUtf8File(notes / "2.xml", u"through two links"));
        EXPECT_EQ(Mode(target), mode) << std::oct << static_cast<int>(mode);
    }
    EXPECT_EQ(ReadBytes(target), "through two links");
    ASSERT_TRUE(WriteUtf8File(notes / "3.xml", u"created at the target"));
    EXPECT_EQ(ReadBytes(elsewhere / "later.xml"), "created at the target");

    for (const char* link : {"1.xml", "2.xml", "3.xml"})
        EXPECT_TRUE(fs::is_symlink(notes / link)) << link;
    EXPECT_EQ(Names(notes.Path()), (std::set<std::string>{"1.xml", "2.xml", "3.xml"}));
    EXPECT_EQ(Names(elsewhere.Path()), (std::set<std::string>{"later.xml", "real.xml"}));

    // Links that loop name no file to write: the save fails and the links stay.
    fs::create_symlink("b.xml", notes / "a.xml");
    fs::create_symlink("a.xml", notes / "b.xml");
    EXPECT_FALSE(WriteUtf8File(notes / "a.xml", u"x"));
    EXPECT_TRUE(fs::is_symlink(notes / "a.xml"));
    EXPECT_TRUE(fs::is_symlink(notes / "b.xml"));
}

// Saves `path` in a child process that dies halfway through writing; returns the child's id.
pid_t SaveAndDie(const fs::path& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        CFaultyFileSystem killed(CFaultyFileSystem::Fault::KilledMidWrite);
        (void)WriteUtf8File(killed, path, u"a new text that never lands whole");
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));
    return child;
}

TEST(SaveTest, TheNextWriteToAFolderRemovesWhatCrashedSavesLeft) {
    CTempFolder folder;
    // The crashes come before this process first writes to the folder, as when the program is
    // started again after them.
    const fs::path note = folder / "1.xml";
    TestSupport::WriteBytes(note, "old");
    SaveAndDie(note);
    std::set<std::string> litter = Names(folder.Path());
    litter.erase("1.xml");
    ASSERT_EQ(litter.size(), 1u);
    EXPECT_EQ(ReadBytes(note), "old");

    // A temporary name is "." name ".jwtmp-" host "-" process "-" stamp "-" serial. Names that
    // a live process (this one, its parent) or another machine may still be writing, and files
    // that only look alike, are never touched.
    const std::string left = *litter.begin();
    const size_t hostAt = left.rfind(".jwtmp-") + 7;
    const size_t processAt = left.find('-', hostAt) + 1;
    const size_t stampAt = left.find('-', processAt) + 1;
    const std::string prefix = left.substr(0, processAt);  // up to the process id
    const std::string dead = left.substr(processAt, stampAt - 1 - processAt);
    const std::string tail = left.substr(stampAt - 1);
    const std::vector<std::string> kept = {
        prefix + std::to_string(::getpid()) + tail,
        prefix + std::to_string(::getppid()) + tail,
        ".1.xml.jwtmp-elsewhere-" + dead + tail,
        prefix + "x" + dead + tail,
        prefix + dead + "-1",
        prefix.substr(1) + dead + tail,
        ".1.xml.tmp123-0",
        "2.xml",
    };
    for (const std::string& name : kept)
        TestSupport::WriteBytes(folder / name, "kept");

    // Another note in the same folder is saved.
    ASSERT_TRUE(WriteUtf8File(folder / "3.xml", u"x"));
    std::set<std::string> expected(kept.begin(), kept.end());
    expected.insert({"1.xml", "3.xml"});
    EXPECT_EQ(Names(folder.Path()), expected);
}

}  // namespace
}  // namespace NoteStorage
