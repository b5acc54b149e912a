#include "FileSystem.h"

#include <atomic>
#include <chrono>

namespace NoteStorage {

// Implemented in the platform file.
CFileSystem& PlatformFileSystem();

namespace {
CFileSystem* g_override = nullptr;

std::filesystem::path TemporaryBeside(const std::filesystem::path& path) {
    // Hidden, and not ending in ".xml", so that nothing that lists notes takes it for one.
    static std::atomic<unsigned> serial{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path temp = path;
    temp.replace_filename("." + path.filename().string() + ".tmp" + std::to_string(stamp) + "-" +
                          std::to_string(serial++));
    return temp;
}
}  // namespace

CFileSystem& FileSystem() {
    return g_override != nullptr ? *g_override : PlatformFileSystem();
}

void SetFileSystem(CFileSystem* fileSystem) noexcept {
    g_override = fileSystem;
}

bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes) {
    CFileSystem& fs = FileSystem();
    const std::filesystem::path temp = TemporaryBeside(path);
    if (!fs.WriteNewFile(temp, bytes) || !fs.Replace(temp, path)) {
        fs.Remove(temp);
        return false;
    }
    fs.SyncFolder(path.has_parent_path() ? path.parent_path() : std::filesystem::path("."));
    return true;
}

}  // namespace NoteStorage
