#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/FileSystem.h"

namespace TestSupport {

// A file system whose every file holds the same bytes, so that a reader can be driven through
// its real entry point (LoadNoteFile) without touching the disk. Writes fail.
class CBytesFileSystem final : public NoteStorage::CFileSystem {
public:
    explicit CBytesFileSystem(std::string_view bytes) : m_bytes(bytes) {}

    bool WriteNewFile(const std::filesystem::path&, std::string_view,
                      std::optional<std::filesystem::perms>) override {
        return false;
    }
    std::optional<std::filesystem::perms> Permissions(const std::filesystem::path&) override {
        return std::nullopt;
    }
    bool ResolveLinks(const std::filesystem::path& path, std::filesystem::path& target) override {
        target = path;
        return true;
    }
    bool Replace(const std::filesystem::path&, const std::filesystem::path&) override {
        return false;
    }
    bool Remove(const std::filesystem::path&) override { return false; }
    bool ReadWhole(const std::filesystem::path&, std::string& bytes) override {
        bytes = m_bytes;
        return true;
    }
    std::optional<NoteStorage::CFileStamp> Stamp(const std::filesystem::path&) override {
        return NoteStorage::CFileStamp{m_bytes.size(), 0};
    }
    bool Exists(const std::filesystem::path&) override { return true; }
    void SyncFolder(const std::filesystem::path&) override {}
    std::vector<std::filesystem::path> ListFolder(const std::filesystem::path&) override {
        return {};
    }
    bool CreateFolders(const std::filesystem::path&) override { return false; }
    std::string HostName() override { return {}; }
    int64_t ProcessId() override { return 1; }
    bool IsProcessRunning(int64_t) override { return false; }

private:
    std::string m_bytes;
};

}  // namespace TestSupport
