#include "storage/NoteTextLoader.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <utility>

#include "storage/NoteSearchText.h"

namespace NoteStorage {

namespace {

// Results are announced in batches: the owner wakes once per batch, not once per note.
constexpr size_t kBatchNotes = 64;
constexpr auto kBatchTime = std::chrono::milliseconds(20);

}  // namespace

// The worker calls only CFileSystem::Stamp and ReadWhole. On the real file system both use
// nothing but their arguments and locals (stat, a local descriptor, std::filesystem queries), so
// they may run beside the user-interface thread's own file operations.
struct CNoteTextLoader::CState {
    struct Job {
        File file;
        bool onlyIfChanged = false;
    };
    struct LastRead {
        std::filesystem::path path;
        std::optional<CFileStamp> stamp;
    };

    CState(CFileSystem& fileSystem, std::function<void()> readyCall)
        : fs(fileSystem), ready(std::move(readyCall)) {}

    void Enqueue(std::vector<File> files, bool onlyIfChanged) {
        {
            std::lock_guard lock(mutex);
            if (queue.empty() && !working) {
                done = 0;
                queued = 0;
            }
            queued += files.size();
            for (File& file : files)
                queue.push_back(Job{std::move(file), onlyIfChanged});
        }
        wake.notify_one();
    }

    void Run() {
        std::unique_lock lock(mutex);
        size_t unannounced = 0;
        auto lastAnnounced = std::chrono::steady_clock::now();
        while (true) {
            wake.wait(lock, [&] { return stop || (!held && !queue.empty()); });
            if (stop) return;
            Job job = std::move(queue.front());
            queue.pop_front();
            working = true;
            const uint64_t jobGeneration = generation;
            std::optional<LastRead> previous;
            if (const auto it = lastRead.find(job.file.noteId); it != lastRead.end()) {
                previous = it->second;
            }
            lock.unlock();

            std::optional<Result> result;
            const std::optional<CFileStamp> stamp = fs.Stamp(job.file.path);
            const bool unchanged =
                previous && previous->path == job.file.path && previous->stamp == stamp;
            if (!job.onlyIfChanged || !unchanged) {
                result.emplace();
                result->noteId = job.file.noteId;
                std::string bytes;
                // Whole reads of large notes are long: the owner's end is looked at between them.
                result->missing = !stamp || quitting || !fs.ReadWhole(job.file.path, bytes) ||
                                  quitting || !ExtractSearchText(bytes, result->text, &quitting);
                if (result->missing) result->text.clear();
            }

            lock.lock();
            if (jobGeneration != generation) continue;  // Reset meanwhile: the read is stale
            ++done;
            if (result) {
                lastRead[job.file.noteId] = LastRead{job.file.path, stamp};
                results.push_back(std::move(*result));
                ++unannounced;
            }
            const bool idle = queue.empty();
            const auto now = std::chrono::steady_clock::now();
            if (idle || unannounced >= kBatchNotes ||
                (unannounced > 0 && now - lastAnnounced >= kBatchTime)) {
                working = !idle;
                unannounced = 0;
                lastAnnounced = now;
                lock.unlock();
                // Outside the lock: the owner may ask for progress while it is told.
                if (ready) ready();
                lock.lock();
            }
        }
    }

    CFileSystem& fs;
    std::function<void()> ready;
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::deque<Job> queue;
    std::vector<Result> results;
    std::unordered_map<std::u16string, LastRead> lastRead;
    size_t done = 0;
    size_t queued = 0;
    uint64_t generation = 0;
    bool working = false;  // a job taken off the queue and its batch not announced yet
    bool stop = false;
    bool held = false;
    // Set without the lock, so that a note being read gives up at once when the owner goes.
    std::atomic<bool> quitting{false};
    std::thread worker;
};

CNoteTextLoader::CNoteTextLoader(CFileSystem& fs, std::function<void()> ready)
    : m_state(std::make_unique<CState>(fs, std::move(ready))) {
    m_state->worker = std::thread([state = m_state.get()] { state->Run(); });
}

CNoteTextLoader::~CNoteTextLoader() {
    m_state->quitting = true;
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stop = true;
        m_state->queue.clear();
    }
    m_state->wake.notify_one();
    m_state->worker.join();
}

void CNoteTextLoader::Load(std::vector<File> files) {
    m_state->Enqueue(std::move(files), false);
}

void CNoteTextLoader::Rescan(std::vector<File> files) {
    m_state->Enqueue(std::move(files), true);
}

void CNoteTextLoader::Reset() {
    std::lock_guard lock(m_state->mutex);
    m_state->queue.clear();
    m_state->results.clear();
    m_state->lastRead.clear();
    m_state->done = 0;
    m_state->queued = 0;
    ++m_state->generation;
    m_state->working = false;
}

void CNoteTextLoader::Hold(bool held) {
    {
        std::lock_guard lock(m_state->mutex);
        m_state->held = held;
    }
    m_state->wake.notify_one();
}

std::vector<CNoteTextLoader::Result> CNoteTextLoader::TakeResults() {
    std::lock_guard lock(m_state->mutex);
    std::vector<Result> taken;
    taken.swap(m_state->results);
    return taken;
}

size_t CNoteTextLoader::Done() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->done;
}

size_t CNoteTextLoader::Queued() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->queued;
}

bool CNoteTextLoader::IsIdle() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->queue.empty() && !m_state->working;
}

}  // namespace NoteStorage
