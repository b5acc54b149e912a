#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "storage/FileSystem.h"

namespace TestSupport {

// Passes every call to the real file system: test file systems derive from it and override only
// the calls they change.
class CForwardingFileSystem : public NoteStorage::CFileSystem {
public:
    bool WriteNewFile(const std::filesystem::path& path, std::string_view bytes,
                      std::optional<std::filesystem::perms> perms) override {
        return m_real.WriteNewFile(path, bytes, perms);
    }
    std::optional<std::filesystem::perms> Permissions(const std::filesystem::path& path) override {
        return m_real.Permissions(path);
    }
    bool ResolveLinks(const std::filesystem::path& path, std::filesystem::path& target) override {
        return m_real.ResolveLinks(path, target);
    }
    bool Replace(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return m_real.Replace(from, to);
    }
    bool Remove(const std::filesystem::path& path) override { return m_real.Remove(path); }
    bool ReadWhole(const std::filesystem::path& path, std::string& bytes) override {
        return m_real.ReadWhole(path, bytes);
    }
    std::optional<NoteStorage::CFileStamp> Stamp(const std::filesystem::path& path) override {
        return m_real.Stamp(path);
    }
    bool Exists(const std::filesystem::path& path) override { return m_real.Exists(path); }
    bool CreateFolders(const std::filesystem::path& folder) override {
        return m_real.CreateFolders(folder);
    }
    void SyncFolder(const std::filesystem::path& folder) override { m_real.SyncFolder(folder); }
    std::vector<std::filesystem::path> ListFolder(const std::filesystem::path& folder) override {
        return m_real.ListFolder(folder);
    }
    std::string HostName() override { return m_real.HostName(); }
    int64_t ProcessId() override { return m_real.ProcessId(); }
    bool IsProcessRunning(int64_t processId) override { return m_real.IsProcessRunning(processId); }
    std::error_code TakeError() override { return m_real.TakeError(); }

protected:
    NoteStorage::CFileSystem& m_real = NoteStorage::FileSystem();
};

// Every file holds the same bytes: a reader runs through its real entry point, off the disk.
struct CBytesFileSystem final : CForwardingFileSystem {
    explicit CBytesFileSystem(std::string_view bytes) : bytes(bytes) {}
    bool ReadWhole(const std::filesystem::path&, std::string& out) override {
        out = bytes;
        return true;
    }
    std::string bytes;
};

}  // namespace TestSupport
