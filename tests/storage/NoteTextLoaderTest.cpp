#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
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

// One small note on the real file system, read through the gate.
class NoteTextLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        NoteEditEngine::TestSupport::UseUtf8Locale();
        TestSupport::WriteBytes(folder / "1.jwf", TestSupport::NoteFileBytes("\u00B6text"));
    }
    std::vector<CNoteTextLoader::File> Files(size_t count) const {
        return std::vector<CNoteTextLoader::File>(count, {u"1", folder / "1.jwf"});
    }

    const TestSupport::CTempFolder folder;
    CGatedFileSystem fs;
};

// A loader destroyed with 20000 reads queued behind one held read: the destructor drops them
// rather than waiting for them all. So many that reading them takes far longer than dropping
// them, however the two threads are scheduled.
TEST_F(NoteTextLoaderTest, DestroyingWithWorkQueuedReadsNoMore) {
    auto loader = std::make_unique<CNoteTextLoader>(fs, [] {});
    fs.SetOpen(false);
    loader->Load(Files(20000));
    fs.WaitForHeldRead();
    // The gate opens while the destructor waits for the worker to finish its one read.
    std::thread opener([&] { fs.SetOpen(true); });
    loader.reset();
    opener.join();
    EXPECT_LT(fs.Stamps(), 20000);
}

// A held loader reads nothing: with 20000 files queued it has stamped none while another loader,
// held and then released, read the one file queued while it was held.
TEST_F(NoteTextLoaderTest, AHeldLoaderReadsOnlyOnceReleased) {
    auto held = std::make_unique<CNoteTextLoader>(fs, [] {});
    held->Hold(true);
    held->Load(Files(20000));

    std::mutex mutex;
    std::condition_variable told;
    bool ready = false;
    CNoteTextLoader loader(fs, [&] {
        std::lock_guard lock(mutex);
        ready = true;
        told.notify_all();
    });
    loader.Hold(true);
    loader.Load(Files(1));
    loader.Hold(false);
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(told.wait_for(lock, std::chrono::seconds(30), [&] { return ready; }));
    }
    const std::vector<CNoteTextLoader::Result> results = loader.TakeResults();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].text, u"text");
    held.reset();
    EXPECT_EQ(fs.Stamps(), 1);
}

}  // namespace
}  // namespace NoteStorage
