#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace NoteStorage {

// The few file operations storage needs, behind one seam so that tests can fail any step of a
// save (disk full, read-only folder, a rename that fails) and check what is left on disk.
class CFileSystem {
public:
    virtual ~CFileSystem() = default;

    // Creates `path`, which must not exist, writes all bytes, flushes them to the disk and closes
    // it. False on any failure; a partly written file may remain and is the caller's to remove.
    virtual bool WriteNewFile(const std::filesystem::path& path, std::string_view bytes) = 0;
    // Renames `from` over `to` in one step, replacing `to` if it exists.
    virtual bool Replace(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Removes a file; false when it could not be removed (a missing file counts as removed).
    virtual bool Remove(const std::filesystem::path& path) = 0;
    // Reads a whole file. False when it cannot be opened or read.
    virtual bool ReadWhole(const std::filesystem::path& path, std::string& bytes) = 0;
    // Makes a rename inside the folder durable. Best effort.
    virtual void SyncFolder(const std::filesystem::path& folder) = 0;
};

// The file system storage uses: the real one unless a test installed another.
[[nodiscard]] CFileSystem& FileSystem();
// Installs a file system for tests; null restores the real one. Not owned.
void SetFileSystem(CFileSystem* fileSystem) noexcept;

// Replaces the file with `bytes` so that a failure or a crash at any moment leaves either the old
// or the new file, never a truncated one: the bytes go to a temporary file in the same folder,
// which is synced and then renamed over the target. False on failure, the old file intact and no
// temporary file left behind.
bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes);

}  // namespace NoteStorage
