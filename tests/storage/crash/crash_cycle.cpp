// A child saves the notes and index.xml of a 200-note folder in a loop and is killed (SIGKILL)
// at a random moment; then every file must parse, every note hold its old or its new text, and
// no file be left that a later start would take for a note. Usage: crash_cycle [cycles] (200).

#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "session/SavePolicy.h"
#include "storage/FileHandler.h"
#include "tests/support/FakeNoteStore.h"
#include "tests/support/NotesFolderFixture.h"

namespace {

using NoteTreeEngine::TreeItem;

constexpr int kNotes = 200;
constexpr int kFirstId = 1000;

// Shared with the child: per note, the version whose save finished and the one being saved.
struct CProgress {
    std::atomic<bool> ready;  // the child has loaded the folder and starts saving
    std::atomic<int> done[kNotes];
    std::atomic<int> writing[kNotes];
};

std::string NoteText(int note, int version) {
    return "\u00B6" + std::to_string(kFirstId + note) + " " + std::to_string(version);
}

bool SaveNote(NoteTreeEngine::CNotesFolderStore& store,
              const NoteTreeEngine::CTreeItemRecord& record, int note, int version) {
    auto document = NoteEditEngine::TestSupport::MakeDocument(NoteText(note, version));
    return store.SaveNote(record, *document) == NoteTreeEngine::NoteSave::Saved;
}

[[noreturn]] void RunChild(const std::filesystem::path& folder, CProgress& progress,
                           unsigned seed) {
    TestSupport::CFakePrompts prompts;
    NoteTreeEngine::CNoteTree pane;
    NoteTreeEngine::CNotesFolderStore store(folder, prompts, NoteStorage::FileSystem());
    NoteLayoutEngine::TestSupport::CTestNoteView view;
    TestSupport::CFakeSettings settings;
    TestSupport::CFakeStatusLine status;
    NoteTreeEngine::CViewShownNotes shown(view);
    NoteTreeEngine::CDocumentManager manager(pane, shown, store, prompts, settings, status);
    TestSupport::CFakeTimer timer;
    NoteTreeEngine::CSavePolicy policy(pane, manager, store, prompts, timer);
    if (!policy.LoadTree()) _exit(3);
    const std::vector<TreeItem> items = pane.ItemsInOrder();
    if (items.size() != kNotes) _exit(4);
    // The store saves only notes it has read.
    for (TreeItem item : items) {
        if (!store.LoadNoteDocument(pane.Record(item))) _exit(5);
    }
    std::mt19937 random(seed);
    progress.ready = true;
    for (int step = 0;; ++step) {
        const int note = static_cast<int>(random() % kNotes);
        const int next = progress.done[note] + 1;
        progress.writing[note] = next;
        if (!SaveNote(store, pane.Record(items[note]), note, next)) _exit(6);
        progress.done[note] = next;
        if (step % 5 == 0) {
            pane.Record(items[note]).username = NoteBase::Utf8ToUtf16("n" + std::to_string(step));
            pane.UpdateItem(items[note]);
            if (!policy.SaveTree()) _exit(7);
        }
    }
}

// What the folder holds after a kill; "" when it is sound, else what is wrong.
std::string Check(const std::filesystem::path& folder, CProgress& progress) {
    NoteStorage::CFileSystem& fs = NoteStorage::FileSystem();
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name == "index.xml") continue;
        if (name.starts_with(".") && name.find(".jwtmp-") != std::string::npos &&
            !name.ends_with(".xml"))
            continue;
        const int id = std::atoi(name.c_str());
        if (name != std::to_string(id) + ".xml" || id < kFirstId || id >= kFirstId + kNotes)
            return "stray file " + name;
    }
    for (int note = 0; note < kNotes; ++note) {
        NoteEditEngine::CNoteDocument document;
        const std::filesystem::path path = folder / (std::to_string(kFirstId + note) + ".xml");
        if (NoteStorage::LoadNoteFile(fs, path, document) != NoteStorage::NoteFileRead::Read)
            return "unreadable note " + path.filename().string();
        const std::string text = NoteEditEngine::TestSupport::Dump(document);
        const int done = progress.done[note];
        const int writing = progress.writing[note];
        if (text == NoteText(note, writing)) {
            progress.done[note] = writing;  // the rename landed before the kill
        } else if (text != NoteText(note, done)) {
            return "note " + std::to_string(kFirstId + note) + " holds \"" + text +
                   "\", not version " + std::to_string(done) + " or " + std::to_string(writing);
        }
        progress.writing[note] = progress.done[note].load();
    }
    TestSupport::CFakePrompts prompts;
    NoteTreeEngine::CNoteTree pane;
    NoteTreeEngine::CNotesFolderStore store(folder, prompts, fs);
    TestSupport::CFakeNoteStore notes(store);
    if (!NoteTreeEngine::LoadIndexFile(fs, pane, notes, prompts, folder / "index.xml"))
        return "unreadable index.xml";
    if (pane.Size() != kNotes) return "index.xml holds " + std::to_string(pane.Size());
    if (store.AdoptOrphanNotes(pane) != 0) return "a note dropped out of index.xml";
    return {};
}

void WriteFolder(const std::filesystem::path& folder) {
    std::string index = "<?xml version=\"1.0\"?>\n<tree version=\"1.0\">\n";
    for (int note = 0; note < kNotes; ++note) {
        const std::string id = std::to_string(kFirstId + note);
        // Not through the atomic write: its once-per-process clean-up of crashed writes' files
        // would be inherited by every forked child and never run there.
        TestSupport::WriteBytes(folder / (id + ".xml"),
                                TestSupport::NoteFileBytes(NoteText(note, 0)));
        index += "<item id=\"" + id + "\" username=\"n\"></item>\n";
    }
    TestSupport::WriteBytes(folder / "index.xml", index + "</tree>");
}

}  // namespace

int main(int argc, char** argv) {
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 200;
    const TestSupport::CTempFolder folder;
    WriteFolder(folder.Path());
    void* shared =
        mmap(nullptr, sizeof(CProgress), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) return 2;
    auto* progress = new (shared) CProgress();  // every count 0
    std::mt19937 random(std::random_device{}());
    long long saves = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        const unsigned seed = static_cast<unsigned>(random());
        progress->ready = false;
        const pid_t child = fork();
        if (child < 0) return 2;
        if (child == 0) RunChild(folder.Path(), *progress, seed);
        // Killed while saving, not while loading: wait until it has loaded.
        int status = 0;
        while (!progress->ready) {
            if (waitpid(child, &status, WNOHANG) != 0) {
                std::fprintf(stderr, "cycle %d: the child ended while loading\n", cycle);
                return 1;
            }
            usleep(100);
        }
        usleep(static_cast<useconds_t>(random() % 20000));
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        if (!WIFSIGNALED(status)) {
            std::fprintf(stderr, "cycle %d: the child ended by itself (status %d)\n", cycle,
                         WIFEXITED(status) ? WEXITSTATUS(status) : -1);
            return 1;
        }
        if (const std::string fault = Check(folder.Path(), *progress); !fault.empty()) {
            std::fprintf(stderr, "cycle %d: %s\n", cycle, fault.c_str());
            return 1;
        }
    }
    for (int note = 0; note < kNotes; ++note)
        saves += progress->done[note];
    std::printf("%d cycles passed; %lld note saves landed\n", cycles, saves);
    return 0;
}
