#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "storage/FileSystem.h"

namespace NoteStorage {

// Reads note files into searchable text on a worker thread of its own, so that the
// user-interface thread never waits on the disk or the parsing. The owner (on the user-interface
// thread) hands it lists of files and takes the texts back in batches; nothing else is shared.
class CNoteTextLoader {
public:
    struct File {
        std::u16string noteId;
        std::filesystem::path path;
    };
    // One note read: its text, or `missing` when the file is gone, cannot be read or holds no
    // note (the owner then drops the note from its index).
    struct Result {
        std::u16string noteId;
        std::u16string text;
        bool missing = false;
    };

    // `ready` is called on the worker thread whenever results are waiting (not once per note);
    // the owner posts itself a call that runs TakeResults. It must not block. It is also called
    // when the loader becomes idle (so that progress can be shown complete), and it may still
    // run until the destructor returns.
    CNoteTextLoader(CFileSystem& fs, std::function<void()> ready);
    // Stops the worker, dropping what is not read yet.
    ~CNoteTextLoader();
    CNoteTextLoader(const CNoteTextLoader&) = delete;
    CNoteTextLoader& operator=(const CNoteTextLoader&) = delete;

    // Reads every file given (the first build, or notes created or imported).
    void Load(std::vector<File> files);
    // Compares each file's size and modified time with those of its last read and reads again
    // only the files that changed, appeared or vanished since: changes made on disk by others.
    void Rescan(std::vector<File> files);
    // Forgets everything queued and every file's last-read state (another notes folder).
    void Reset();
    // While held the worker takes no file: what is queued waits (Reset and the destructor drop it
    // as ever). For a start, whose first paint should not share the machine with reading every
    // note.
    void Hold(bool held);

    // The results read since the last call, in the order read.
    [[nodiscard]] std::vector<Result> TakeResults();
    // Progress of the work queued since the loader was last idle: files done and files queued.
    [[nodiscard]] size_t Done() const;
    [[nodiscard]] size_t Queued() const;
    [[nodiscard]] bool IsIdle() const;

private:
    struct CState;
    std::unique_ptr<CState> m_state;
};

}  // namespace NoteStorage
