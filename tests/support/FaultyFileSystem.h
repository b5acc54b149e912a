#pragma once

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "FileSystem.h"

namespace TestSupport {

// Passes every call to the real file system except the one step told to fail, so that each
// failure path of a save runs for real against a temporary folder. Installs itself for its
// lifetime.
class CFaultyFileSystem final : public NoteStorage::CFileSystem {
public:
    // KilledMidWrite: half the bytes reach the disk, then the process dies as a crash or a
    // kill would end it (for a forked child).
    enum class Fault {
        None,
        CreateFails,
        DiskFullMidWrite,
        KilledMidWrite,
        ReplaceFails,
        ReadFails
    };

    explicit CFaultyFileSystem(Fault fault) : m_fault(fault), m_real(NoteStorage::FileSystem()) {
        NoteStorage::SetFileSystem(this);
    }
    ~CFaultyFileSystem() override { NoteStorage::SetFileSystem(nullptr); }
    CFaultyFileSystem(const CFaultyFileSystem&) = delete;
    CFaultyFileSystem& operator=(const CFaultyFileSystem&) = delete;

    bool WriteNewFile(const std::filesystem::path& path, std::string_view bytes,
                      std::optional<std::filesystem::perms> perms) override {
        if (m_fault == Fault::CreateFails) return false;
        if (m_fault == Fault::DiskFullMidWrite || m_fault == Fault::KilledMidWrite) {
            // Half the bytes reach the disk, then the write fails.
            m_real.WriteNewFile(path, bytes.substr(0, bytes.size() / 2), perms);
            if (m_fault == Fault::KilledMidWrite) std::raise(SIGKILL);
            return false;
        }
        return m_real.WriteNewFile(path, bytes, perms);
    }
    std::optional<std::filesystem::perms> Permissions(const std::filesystem::path& path) override {
        return m_real.Permissions(path);
    }
    bool ResolveLinks(const std::filesystem::path& path, std::filesystem::path& target) override {
        return m_real.ResolveLinks(path, target);
    }
    bool Replace(const std::filesystem::path& from, const std::filesystem::path& to) override {
        if (m_fault == Fault::ReplaceFails) return false;
        return m_real.Replace(from, to);
    }
    bool Remove(const std::filesystem::path& path) override { return m_real.Remove(path); }
    bool ReadWhole(const std::filesystem::path& path, std::string& bytes) override {
        if (m_fault == Fault::ReadFails) return false;
        return m_real.ReadWhole(path, bytes);
    }
    void SyncFolder(const std::filesystem::path& folder) override { m_real.SyncFolder(folder); }
    std::vector<std::filesystem::path> ListFolder(const std::filesystem::path& folder) override {
        return m_real.ListFolder(folder);
    }
    std::string HostName() override { return m_real.HostName(); }
    int64_t ProcessId() override { return m_real.ProcessId(); }
    bool IsProcessRunning(int64_t processId) override { return m_real.IsProcessRunning(processId); }

private:
    Fault m_fault;
    NoteStorage::CFileSystem& m_real;
};

}  // namespace TestSupport
