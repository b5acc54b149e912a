#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "storage/NoteTextLoader.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/NotesFolderFixture.h"

namespace NoteStorage {
namespace {

using Texts = std::map<std::u16string, std::u16string>;

// The real file system; with the gate closed a read waits until the test opens it, so that work
// is queued behind it for sure. Counts the stamps taken.
class CGatedFileSystem final : public TestSupport::CForwardingFileSystem {
public:
    void SetOpen(bool open) {
        std::lock_guard lock(m_mutex);
        m_open = open;
        m_changed.notify_all();
    }
    void WaitForHeldRead() {
        std::unique_lock lock(m_mutex);
        ASSERT_TRUE(m_changed.wait_for(lock, std::chrono::seconds(30), [&] { return m_held; }));
    }
    int Stamps() {
        std::lock_guard lock(m_mutex);
        return m_stamps;
    }
    bool ReadWhole(const std::filesystem::path& path, std::string& bytes) override {
        {
            std::unique_lock lock(m_mutex);
            m_held = !m_open;
            m_changed.notify_all();
            m_changed.wait(lock, [&] { return m_open; });
            m_held = false;
        }
        return CForwardingFileSystem::ReadWhole(path, bytes);
    }
    std::optional<CFileStamp> Stamp(const std::filesystem::path& path) override {
        {
            std::lock_guard lock(m_mutex);
            ++m_stamps;
        }
        return CForwardingFileSystem::Stamp(path);
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = true;
    bool m_held = false;
    int m_stamps = 0;
};

class NoteTextLoaderTest : public NoteEditEngine::TestSupport::ModelTest {
protected:
    // Note `id` holding `text` as one paragraph.
    CNoteTextLoader::File WriteNote(const std::string& id, const std::string& text) {
        TestSupport::WriteBytes(folder / (id + ".jwf"), TestSupport::NoteFileBytes("¶" + text));
        return {NoteBase::Utf8ToUtf16(id), folder / (id + ".jwf")};
    }
    // Waits (on what `ready` signals, never on a clock) until the loader is idle, and takes what
    // it read: text by note, "-" for missing.
    Texts WaitAndTake() {
        {
            std::unique_lock lock(mutex);
            EXPECT_TRUE(readyCalled.wait_for(lock, std::chrono::seconds(60),
                                             [&] { return loader->IsIdle(); }));
        }
        Texts out;
        for (CNoteTextLoader::Result& result : loader->TakeResults())
            out[result.noteId] = result.missing ? u"-" : result.text;
        return out;
    }

    TestSupport::CTempFolder folder;
    CGatedFileSystem fs;
    std::mutex mutex;
    std::condition_variable readyCalled;
    int readyCalls = 0;
    std::unique_ptr<CNoteTextLoader> loader = std::make_unique<CNoteTextLoader>(fs, [this] {
        {
            std::lock_guard lock(mutex);
            ++readyCalls;
        }
        readyCalled.notify_all();
    });
};

TEST_F(NoteTextLoaderTest, LoadsInBatchesAndRescanReadsOnlyWhatChangedOnDisk) {
    std::vector<CNoteTextLoader::File> files;
    Texts expected;
    for (int i = 0; i < 300; ++i) {
        files.push_back(WriteNote(std::to_string(i), "note " + std::to_string(i)));
        expected[files.back().noteId] = u"note " + NoteBase::Utf8ToUtf16(std::to_string(i));
    }
    // Missing, no note, a folder.
    TestSupport::WriteBytes(folder / "other.jwf", "<notes>not a note</notes>");
    std::filesystem::create_directory(folder / "dir.jwf");
    for (const char* name : {"gone", "other", "dir"}) {
        files.push_back({NoteBase::Utf8ToUtf16(name), folder / (name + std::string(".jwf"))});
        expected[files.back().noteId] = u"-";
    }
    loader->Load(files);
    EXPECT_EQ(WaitAndTake(), expected);
    EXPECT_EQ(loader->Done(), files.size());
    EXPECT_EQ(loader->Queued(), files.size());
    {
        std::lock_guard lock(mutex);
        // Batches go by count and by time; a slow machine makes more, never one a note.
        EXPECT_GE(readyCalls, 1);
        EXPECT_LT(readyCalls, static_cast<int>(files.size()) / 2);
    }

    // Nothing changed: nothing read again.
    loader->Rescan(files);
    EXPECT_TRUE(WaitAndTake().empty());
    // Another size; the same size with only the time telling; deleted; appeared.
    WriteNote("3", "changed three");
    const auto time4 = std::filesystem::last_write_time(files[4].path);
    WriteNote("4", "new 4");
    std::filesystem::last_write_time(files[4].path, time4 + std::chrono::seconds(5));
    std::filesystem::remove(files[7].path);
    files.push_back(WriteNote("300", "appeared"));
    loader->Rescan(files);
    EXPECT_EQ(
        WaitAndTake(),
        (Texts{{u"3", u"changed three"}, {u"4", u"new 4"}, {u"7", u"-"}, {u"300", u"appeared"}}));
    EXPECT_EQ(loader->Queued(), files.size());
    // A vanished file is told once, and again when it comes back.
    loader->Rescan(files);
    EXPECT_TRUE(WaitAndTake().empty());
    WriteNote("7", "back");
    loader->Rescan(files);
    EXPECT_EQ(WaitAndTake(), (Texts{{u"7", u"back"}}));
}

TEST_F(NoteTextLoaderTest, DestroyingWithWorkQueuedReadsNoMore) {
    // So many queued that reading them all takes far longer than the destructor needs to drop
    // them, however the two threads are scheduled.
    const std::vector<CNoteTextLoader::File> files(20000, WriteNote("1", "text"));
    fs.SetOpen(false);
    loader->Load(files);
    fs.WaitForHeldRead();
    // The gate opens while the destructor waits for the worker to finish its one read.
    std::thread opener([&] { fs.SetOpen(true); });
    loader.reset();
    opener.join();
    EXPECT_LT(fs.Stamps(), 20000);
}

}  // namespace
}  // namespace NoteStorage
