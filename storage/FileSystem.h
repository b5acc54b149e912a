#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace NoteStorage {

// What tells whether a file changed since it was last read or written: its size and its
// modification time in nanoseconds.
struct CFileStamp {
    uint64_t size = 0;
    int64_t modified = 0;
    friend bool operator==(const CFileStamp&, const CFileStamp&) = default;
};

// A hash of a file's bytes, to tell whether a file whose time changed holds other bytes. Kept in
// memory only, so it may change between versions. Bytes of one length that differ in a single
// byte always hash differently.
[[nodiscard]] uint64_t ContentHash(std::string_view bytes) noexcept;

// The few file operations storage needs, behind one seam so that tests can fail any step of a
// save (disk full, read-only folder, a rename that fails) and check what is left on disk.
class CFileSystem {
public:
    virtual ~CFileSystem() = default;

    // Creates `path`, which must not exist, writes all bytes, flushes them to the disk and closes
    // it. False on any failure; a partly written file may remain and is the caller's to remove.
    // The file gets exactly `perms` when given (where the file system keeps permissions), else
    // what a new file gets by default.
    virtual bool WriteNewFile(const std::filesystem::path& path, std::string_view bytes,
                              std::optional<std::filesystem::perms> perms) = 0;
    // Creates `path` empty, which must not exist, and closes it without flushing it to the disk:
    // a test that the folder takes new files, removed at once, which no crash needs to find.
    // False on any failure.
    virtual bool CreateEmptyFile(const std::filesystem::path& path) {
        return WriteNewFile(path, {}, std::nullopt);
    }
    // The permissions of an existing file; none when there is no such file.
    virtual std::optional<std::filesystem::perms> Permissions(
        const std::filesystem::path& path) = 0;
    // The file that a write to `path` replaces: where `path` is a symbolic link, the file at the
    // end of its chain of links (a relative link counts from its own folder, and that file need
    // not exist yet); else `path` itself. False when a link cannot be read or the links loop.
    virtual bool ResolveLinks(const std::filesystem::path& path, std::filesystem::path& target) = 0;
    // Renames `from` over `to` in one step, replacing `to` if it exists.
    virtual bool Replace(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Removes a file; false when it could not be removed (a missing file counts as removed).
    virtual bool Remove(const std::filesystem::path& path) = 0;
    // Reads a whole regular file (or the one a link leads to), never waiting for a writer. False
    // when it is anything else (a FIFO, a device, a socket) or cannot be opened or read.
    virtual bool ReadWhole(const std::filesystem::path& path, std::string& bytes) = 0;
    // The size and modification time of a regular file; none when there is no such file.
    virtual std::optional<CFileStamp> Stamp(const std::filesystem::path& path) = 0;
    // True when anything of that name exists, and when that cannot be told.
    virtual bool Exists(const std::filesystem::path& path) = 0;
    // Creates the folder and any missing parents; true when it exists as a folder afterwards.
    virtual bool CreateFolders(const std::filesystem::path& folder) = 0;
    // Makes a rename inside the folder durable. Best effort.
    virtual void SyncFolder(const std::filesystem::path& folder) = 0;
    // The names of the entries of a folder; empty when it cannot be listed.
    virtual std::vector<std::filesystem::path> ListFolder(const std::filesystem::path& folder) = 0;

    // What tells a temporary file that a crash left from one still being written: this
    // machine's name (empty when unknown), this process's id, and whether a process of this
    // machine with that id runs (true whenever that cannot be ruled out).
    virtual std::string HostName() = 0;
    virtual int64_t ProcessId() = 0;
    virtual bool IsProcessRunning(int64_t processId) = 0;

    // Why the latest call of this thread that failed did fail ("Permission denied", "No space left
    // on device"), and forgets it; empty when none failed since the last call, or the file system
    // cannot tell.
    [[nodiscard]] virtual std::error_code TakeError() { return {}; }
};

// The real file system, for callers that are handed none (the store, the document manager and
// the file handler are always handed theirs).
[[nodiscard]] CFileSystem& FileSystem();

// Replaces the file with `bytes` so that a failure or a crash at any moment leaves either the old
// or the new file, never a truncated one: the bytes go to a temporary file in the same folder,
// which is synced and then renamed over the target. False on failure, the old file intact and no
// temporary file left behind. A symbolic link stays and its target is replaced, in the target's
// folder; the file replaced keeps its permissions. The first write to a folder in a process
// also removes the temporary files that earlier, crashed writes of this machine left there.
bool ReplaceFileContents(CFileSystem& fs, const std::filesystem::path& path,
                         std::string_view bytes);
// The same on the real file system.
bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes);

}  // namespace NoteStorage
