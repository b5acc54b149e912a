#include "storage/FileSystem.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <set>

namespace NoteStorage {

// Implemented in the platform file.
CFileSystem& PlatformFileSystem();

namespace {

// A temporary file is named "." + the target's name + kTemporaryMarker + host "-" process id
// "-" stamp "-" serial: hidden, not ending in ".xml" so that nothing that lists notes takes it
// for one, and telling which process on which machine wrote it.
constexpr std::string_view kTemporaryMarker = ".jwtmp-";

// The host name in the one shape a temporary name can carry: no "-", which separates the parts.
std::string HostPart(const std::string& hostName) {
    std::string part;
    for (char c : hostName) {
        const bool plain =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.';
        part.push_back(plain ? c : '_');
    }
    return part;
}

std::filesystem::path TemporaryBeside(const std::filesystem::path& path, CFileSystem& fs) {
    static std::atomic<unsigned> serial{0};
    std::string host = HostPart(fs.HostName());
    if (host.empty()) host = "_";  // matches no machine, so no other process ever removes it
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path temp = path;
    temp.replace_filename("." + path.filename().string() + std::string(kTemporaryMarker) + host +
                          "-" + std::to_string(fs.ProcessId()) + "-" + std::to_string(stamp) + "-" +
                          std::to_string(serial++));
    return temp;
}

bool AllDigits(std::string_view text) noexcept {
    if (text.empty() || text.size() > 18) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// True when `name` is a temporary file of ours that a process of this machine wrote and that
// process is gone, so nothing can still be writing it.
bool IsStaleTemporary(const std::string& name, const std::string& host, CFileSystem& fs) {
    if (name.empty() || name[0] != '.') return false;
    const size_t marker = name.rfind(kTemporaryMarker);
    if (marker == std::string::npos || marker < 2) return false;
    // host-pid-stamp-serial, the host free of "-".
    std::string_view rest = std::string_view(name).substr(marker + kTemporaryMarker.size());
    std::string_view parts[4];
    for (size_t i = 0; i < 4; ++i) {
        const size_t dash = i < 3 ? rest.find('-') : rest.size();
        if (dash == std::string_view::npos) return false;
        parts[i] = rest.substr(0, dash);
        rest.remove_prefix(i < 3 ? dash + 1 : dash);
    }
    if (parts[0] != host || !AllDigits(parts[1]) || !AllDigits(parts[2]) || !AllDigits(parts[3])) {
        return false;
    }
    const int64_t processId = std::stoll(std::string(parts[1]));
    return processId != fs.ProcessId() && !fs.IsProcessRunning(processId);
}

// Once per folder and process run, so that saving stays one write and one rename.
void RemoveStaleTemporaries(CFileSystem& fs, const std::filesystem::path& folder) {
    static std::mutex mutex;
    static std::set<std::filesystem::path> cleared;
    {
        const std::lock_guard lock(mutex);
        if (!cleared.insert(folder.lexically_normal()).second) return;
    }
    const std::string host = HostPart(fs.HostName());
    if (host.empty()) return;  // another machine's files could not be told from ours
    for (const std::filesystem::path& name : fs.ListFolder(folder)) {
        if (IsStaleTemporary(name.filename().string(), host, fs)) fs.Remove(folder / name);
    }
}
}  // namespace

uint64_t ContentHash(std::string_view bytes) noexcept {
    // Eight bytes a step, each step mixed by a multiply and a shift: a byte at a time cost tens
    // of milliseconds on every open and save check of a note of a few megabytes.
    constexpr uint64_t kOdd = 0x9E3779B97F4A7C15ull;
    uint64_t hash = 14695981039346656037ull ^ (bytes.size() * kOdd);
    const auto mix = [&hash](uint64_t word) {
        hash = (hash ^ word) * kOdd;
        hash ^= hash >> 29;
    };
    size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        uint64_t word = 0;
        std::memcpy(&word, bytes.data() + at, 8);
        mix(word);
    }
    uint64_t tail = 0;
    if (at < bytes.size()) std::memcpy(&tail, bytes.data() + at, bytes.size() - at);
    mix(tail);
    return hash;
}

CFileSystem& FileSystem() {
    return PlatformFileSystem();
}

bool ReplaceFileContents(const std::filesystem::path& path, std::string_view bytes) {
    return ReplaceFileContents(FileSystem(), path, bytes);
}

bool ReplaceFileContents(CFileSystem& fs, const std::filesystem::path& path,
                         std::string_view bytes) {
    // Through a link, the link stays and its target is replaced where it lies.
    std::filesystem::path target;
    if (!fs.ResolveLinks(path, target)) return false;
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    RemoveStaleTemporaries(fs, folder);
    const std::filesystem::path temp = TemporaryBeside(target, fs);
    if (!fs.WriteNewFile(temp, bytes, fs.Permissions(target)) || !fs.Replace(temp, target)) {
        fs.Remove(temp);
        return false;
    }
    fs.SyncFolder(folder);
    return true;
}

}  // namespace NoteStorage
