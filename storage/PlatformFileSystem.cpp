// The platform file: the only place in storage that speaks to the operating system directly.

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include "storage/FileSystem.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace NoteStorage {

namespace {

// Per thread: the search index reads on a worker of its own.
thread_local std::error_code t_error;

bool Failed(std::error_code error) {
    t_error = error;
    return false;
}

bool FailedWithErrno() {
    return Failed({errno, std::generic_category()});
}

class CPlatformFileSystem final : public CFileSystem {
public:
    bool WriteNewFile(const std::filesystem::path& path, std::string_view bytes,
                      std::optional<std::filesystem::perms> perms) override {
#if defined(_WIN32)
        (void)perms;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        return out ? true : Failed(std::make_error_code(std::errc::io_error));
#else
        // Private until it has the mode it is to keep: no one else may read a 0600 note's text
        // through its temporary file.
        const int fd =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, perms ? 0600 : 0644);
        if (fd < 0) return FailedWithErrno();
        // Exactly the old mode, whatever the umask. Best effort: some mounted file systems keep
        // no modes and refuse, and that must not stop a save.
        if (perms) {
            (void)::fchmod(fd, static_cast<mode_t>(*perms & std::filesystem::perms::mask));
        }
        const char* data = bytes.data();
        size_t left = bytes.size();
        int error = 0;  // the first failure's
        while (left > 0) {
            const ssize_t written = ::write(fd, data, left);
            if (written < 0) {
                if (errno == EINTR) continue;
                error = errno;
                break;
            }
            data += written;
            left -= static_cast<size_t>(written);
        }
        if (error == 0 && ::fsync(fd) != 0) error = errno;
        if (::close(fd) != 0 && error == 0) error = errno;
        return error == 0 ? true : Failed({error, std::generic_category()});
#endif
    }

#if !defined(_WIN32)
    bool CreateEmptyFile(const std::filesystem::path& path) override {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0) return FailedWithErrno();
        return ::close(fd) == 0 ? true : FailedWithErrno();
    }
#endif

    std::optional<std::filesystem::perms> Permissions(const std::filesystem::path& path) override {
        std::error_code error;
        const std::filesystem::file_status status = std::filesystem::status(path, error);
        if (error || !std::filesystem::exists(status)) return std::nullopt;
        return status.permissions();
    }

    bool ResolveLinks(const std::filesystem::path& path, std::filesystem::path& target) override {
        // As many links as the kernel follows before it calls it a loop.
        constexpr int kMaxLinks = 40;
        std::filesystem::path current = path;
        for (int links = 0; links <= kMaxLinks; ++links) {
            std::error_code error;
            const std::filesystem::file_status status =
                std::filesystem::symlink_status(current, error);
            if (!std::filesystem::is_symlink(status)) {
                // Not a link, missing, or not to be examined: the write itself tells.
                target = current;
                return true;
            }
            const std::filesystem::path link = std::filesystem::read_symlink(current, error);
            if (error) return Failed(error);
            current = link.is_absolute() ? link : current.parent_path() / link;
        }
        return Failed(std::make_error_code(std::errc::too_many_symbolic_link_levels));
    }

    bool Replace(const std::filesystem::path& from, const std::filesystem::path& to) override {
        std::error_code error;
        std::filesystem::rename(from, to, error);
        return !error || Failed(error);
    }

    bool Remove(const std::filesystem::path& path) override {
        std::error_code error;
        std::filesystem::remove(path, error);
        return !error || Failed(error);
    }

    bool ReadWhole(const std::filesystem::path& path, std::string& bytes) override {
        std::string data;
#if defined(_WIN32)
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) return false;
        std::ifstream in(path, std::ios::binary);
        if (!in) return false;
        data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad()) return false;
#else
        // Only a regular file (or a link to one), opened without blocking: a FIFO would wait for
        // a writer forever, and a device or a socket holds nobody's notes.
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) return FailedWithErrno();
        if (!S_ISREG(info.st_mode))
            return Failed(std::make_error_code(std::errc::invalid_argument));
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) return FailedWithErrno();
        bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
        if (ok) data.reserve(static_cast<size_t>(info.st_size));
        char chunk[65536];
        while (ok) {
            const ssize_t got = ::read(fd, chunk, sizeof chunk);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) {
                ok = got == 0 || FailedWithErrno();
                break;
            }
            data.append(chunk, static_cast<size_t>(got));
        }
        ::close(fd);
        if (!ok) return false;
#endif
        bytes = std::move(data);
        return true;
    }

    std::optional<CFileStamp> Stamp(const std::filesystem::path& path) override {
#if !defined(_WIN32)
        // One call: SaveAll asks this of every loaded note.
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
        return CFileStamp{
            static_cast<uint64_t>(info.st_size),
            static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
#else
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
        const auto size = std::filesystem::file_size(path, error);
        if (error) return std::nullopt;
        const auto time = std::filesystem::last_write_time(path, error);
        if (error) return std::nullopt;
        return CFileStamp{
            size,
            std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count()};
#endif
    }

    bool Exists(const std::filesystem::path& path) override {
        std::error_code error;
        const std::filesystem::file_status status = std::filesystem::symlink_status(path, error);
        return status.type() != std::filesystem::file_type::not_found;
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

    std::vector<std::filesystem::path> ListFolder(const std::filesystem::path& folder) override {
        std::vector<std::filesystem::path> names;
        std::error_code error;
        for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            names.push_back(it->path().filename());
        }
        return names;
    }

    bool CreateFolders(const std::filesystem::path& folder) override {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) return Failed(error);
        return std::filesystem::is_directory(folder, error) ||
               Failed(error ? error : std::make_error_code(std::errc::not_a_directory));
    }

    std::error_code TakeError() override {
        return std::exchange(t_error, {});
    }

    std::string HostName() override {
#if defined(_WIN32)
        return {};
#else
        char name[256] = {};
        if (::gethostname(name, sizeof name - 1) != 0) return {};
        return name;
#endif
    }

    int64_t ProcessId() override {
#if defined(_WIN32)
        return 0;
#else
        return ::getpid();
#endif
    }

    bool IsProcessRunning(int64_t processId) override {
#if defined(_WIN32)
        (void)processId;
        return true;
#else
        // 0 and negative ids would signal process groups; ids beyond pid_t name nothing we can
        // check. Either way, assume it runs.
        if (processId <= 0 || processId > INT_MAX) return true;
        if (::kill(static_cast<pid_t>(processId), 0) == 0) return true;
        return errno != ESRCH;  // EPERM: it runs under another user
#endif
    }
};

}  // namespace

CFileSystem& PlatformFileSystem() {
    static CPlatformFileSystem fileSystem;
    return fileSystem;
}

}  // namespace NoteStorage
