// The platform file: the only place in storage that speaks to the operating system directly.

#include <cstdio>
#include <fstream>
#include <system_error>

#include "FileSystem.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace NoteStorage {

namespace {

class CPlatformFileSystem final : public CFileSystem {
public:
    bool WriteNewFile(const std::filesystem::path& path, std::string_view bytes) override {
#if defined(_WIN32)
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        return static_cast<bool>(out);
#else
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) return false;
        const char* data = bytes.data();
        size_t left = bytes.size();
        bool ok = true;
        while (left > 0) {
            const ssize_t written = ::write(fd, data, left);
            if (written < 0) {
                if (errno == EINTR) continue;
                ok = false;
                break;
            }
            data += written;
            left -= static_cast<size_t>(written);
        }
        if (ok && ::fsync(fd) != 0) ok = false;
        if (::close(fd) != 0) ok = false;
        return ok;
#endif
    }

    bool Replace(const std::filesystem::path& from, const std::filesystem::path& to) override {
        std::error_code error;
        std::filesystem::rename(from, to, error);
        return !error;
    }

    bool Remove(const std::filesystem::path& path) override {
        std::error_code error;
        std::filesystem::remove(path, error);
        return !error;
    }

    bool ReadWhole(const std::filesystem::path& path, std::string& bytes) override {
        std::ifstream in(path, std::ios::binary);
        if (!in) return false;
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) return false;
        std::string data;
        const auto size = std::filesystem::file_size(path, error);
        if (!error) data.reserve(static_cast<size_t>(size));
        char chunk[65536];
        while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
            data.append(chunk, static_cast<size_t>(in.gcount()));
        }
        if (in.bad()) return false;
        bytes = std::move(data);
        return true;
    }

    void SyncFolder(const std::filesystem::path& folder) override {
#if !defined(_WIN32)
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return;
        ::fsync(fd);
        ::close(fd);
#else
        (void)folder;
#endif
    }
};

}  // namespace

CFileSystem& PlatformFileSystem() {
    static CPlatformFileSystem fileSystem;
    return fileSystem;
}

}  // namespace NoteStorage
