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

#include "base/Utf8.h"
#include "model/NoteDocument.h"
#include "model/NoteUndoHistory.h"
#include "storage/NoteFile.h"
#include "storage/NoteTextLoader.h"
#include "tests/support/ForwardingFileSystem.h"
#include "tests/support/ModelTestSupport.h"
#include "tests/support/TempFolder.h"

namespace NoteStorage {
namespace {

using NoteEditEngine::CNoteDocument;
using TestSupport::CTempFolder;
using Clock = std::chrono::steady_clock;

// Passes everything to the real file system; with the gate closed, a read waits until the test
// opens it, so that work is queued behind it for sure. Counts the stamps taken.
class CGatedFileSystem final : public TestSupport::CForwardingFileSystem {
public:
    void Close() {
        std::lock_guard lock(m_mutex);
        m_open = false;
    }
    void Open() {
        {
            std::lock_guard lock(m_mutex);
            m_open = true;
        }
        m_changed.notify_all();
    }
    // Waits until a read is held at the closed gate.
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
        return m_real.ReadWhole(path, bytes);
    }
    std::optional<CFileStamp> Stamp(const std::filesystem::path& path) override {
        {
            std::lock_guard lock(m_mutex);
            ++m_stamps;
        }
        return m_real.Stamp(path);
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
    void SetUp() override {
        ModelTest::SetUp();
        loader = std::make_unique<CNoteTextLoader>(fs, [this] {
            {
                std::lock_guard lock(mutex);
                ++readyCalls;
            }
            readyCalled.notify_all();
        });
    }

    // Writes note `id` holding `text` as one paragraph.
    CNoteTextLoader::File WriteNote(const std::string& id, std::u16string_view text) {
        CNoteDocument doc;
        {
            NoteEditEngine::CSuspendRecording suspend(doc.UndoHistory());
            NoteEditEngine::CNotePosition p = doc.Start();
            for (const char16_t c : text)
                doc.InsertCharacter(p, c);
        }
        std::u16string file;
        WriteNoteFileText(doc, file);
        const std::filesystem::path path = folder / (id + ".jwf");
        TestSupport::WriteBytes(path, NoteBase::Utf16ToUtf8(file));
        return {Utf16(id), path};
    }

    static std::u16string Utf16(const std::string& ascii) {
        return std::u16string(ascii.begin(), ascii.end());
    }

    // Waits (on what `ready` signals, never on a clock) until the loader is idle, and takes what
    // it read: text by note, "-" for missing.
    std::map<std::u16string, std::u16string> WaitAndTake() {
        {
            std::unique_lock lock(mutex);
            EXPECT_TRUE(readyCalled.wait_for(lock, std::chrono::seconds(60),
                                             [&] { return loader->IsIdle(); }));
        }
        std::map<std::u16string, std::u16string> out;
        for (CNoteTextLoader::Result& result : loader->TakeResults()) {
            out[result.noteId] = result.missing ? u"-" : result.text;
        }
        return out;
    }

    CTempFolder folder;
    CGatedFileSystem fs;
    std::mutex mutex;
    std::condition_variable readyCalled;
    int readyCalls = 0;
    std::unique_ptr<CNoteTextLoader> loader;
};

TEST_F(NoteTextLoaderTest, LoadsManyFilesInBatchesAndMarksMissingOnes) {
    std::vector<CNoteTextLoader::File> files;
    std::map<std::u16string, std::u16string> expected;
    for (int i = 0; i < 300; ++i) {
        const std::u16string text = u"note " + Utf16(std::to_string(i));
        files.push_back(WriteNote(std::to_string(i), text));
        expected[files.back().noteId] = text;
    }
    files.push_back({u"gone", folder / "gone.jwf"});
    expected[u"gone"] = u"-";
    TestSupport::WriteBytes(folder / "other.jwf", "<notes>not a note</notes>");
    files.push_back({u"other", folder / "other.jwf"});
    expected[u"other"] = u"-";
    std::filesystem::create_directory(folder / "dir.jwf");
    files.push_back({u"dir", folder / "dir.jwf"});
    expected[u"dir"] = u"-";

    loader->Load(files);
    EXPECT_EQ(WaitAndTake(), expected);
    EXPECT_EQ(loader->Done(), files.size());
    EXPECT_EQ(loader->Queued(), files.size());
    std::lock_guard lock(mutex);
    EXPECT_GE(readyCalls, 1);
    // Batches go by count and by time; a slow machine makes more of them, never one a note.
    EXPECT_LT(readyCalls, static_cast<int>(files.size()) / 2)
        << "the owner was woken for every note";
}

TEST_F(NoteTextLoaderTest, RescanReadsOnlyWhatChangedOnDisk) {
    std::vector<CNoteTextLoader::File> files;
    for (int i = 0; i < 20; ++i)
        files.push_back(WriteNote(std::to_string(i), u"old " + Utf16(std::to_string(i))));
    loader->Load(files);
    ASSERT_EQ(WaitAndTake().size(), 20u);

    // Nothing changed: nothing read again.
    loader->Rescan(files);
    EXPECT_TRUE(WaitAndTake().empty());
    EXPECT_EQ(loader->Done(), 20u);

    // Other bytes of another size; other bytes of the same size with only the time telling;
    // a file deleted; a file that appeared.
    WriteNote("3", u"changed three");
    const auto time4 = std::filesystem::last_write_time(files[4].path);
    WriteNote("4", u"new 4");
    std::filesystem::last_write_time(files[4].path, time4 + std::chrono::seconds(5));
    std::filesystem::remove(files[7].path);
    files.push_back(WriteNote("20", u"appeared"));
    loader->Rescan(files);
    const std::map<std::u16string, std::u16string> expected = {
        {u"3", u"changed three"}, {u"4", u"new 4"}, {u"7", u"-"}, {u"20", u"appeared"}};
    EXPECT_EQ(WaitAndTake(), expected);
    EXPECT_EQ(loader->Queued(), files.size());

    // A vanished file is told once; it is told again when it comes back.
    loader->Rescan(files);
    EXPECT_TRUE(WaitAndTake().empty());
    WriteNote("7", u"back");
    loader->Rescan(files);
    EXPECT_EQ(WaitAndTake(), (std::map<std::u16string, std::u16string>{{u"7", u"back"}}));
}

TEST_F(NoteTextLoaderTest, ResetDropsQueuedWorkAndWhatWasRead) {
    std::vector<CNoteTextLoader::File> files;
    for (int i = 0; i < 50; ++i)
        files.push_back(WriteNote(std::to_string(i), u"text"));
    fs.Close();
    loader->Load(files);
    fs.WaitForHeldRead();
    EXPECT_FALSE(loader->IsIdle());
    loader->Reset();
    const int stampsAtReset = fs.Stamps();
    fs.Open();
    // The read in progress is dropped and nothing queued is read.
    EXPECT_TRUE(WaitAndTake().empty());
    EXPECT_EQ(fs.Stamps(), stampsAtReset);
    EXPECT_EQ(loader->Done(), 0u);
    EXPECT_EQ(loader->Queued(), 0u);

    // Every file's last read was forgotten: a rescan reads them all.
    loader->Rescan(files);
    EXPECT_EQ(WaitAndTake().size(), files.size());
}

TEST_F(NoteTextLoaderTest, DestroyingWithWorkQueuedReadsNoMore) {
    // So many files queued that reading them all takes far longer than the destructor needs
    // to drop them, however the two threads are scheduled.
    const CNoteTextLoader::File file = WriteNote("1", u"text");
    const std::vector<CNoteTextLoader::File> files(20000, file);
    fs.Close();
    loader->Load(files);
    fs.WaitForHeldRead();
    // The gate opens while the destructor waits for the worker to finish its one read.
    std::thread opener([&] { fs.Open(); });
    loader.reset();
    opener.join();
    EXPECT_LT(fs.Stamps(), 20000);
}

}  // namespace
}  // namespace NoteStorage
