#pragma once

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "storage/FileSystem.h"

namespace TestSupport {

// Passes every call to the real file system except the one step told to fail, so that each
// failure path of a save runs for real against a temporary folder. Handed to what writes, as
// any file system is; the fault can change between steps of a test.
class CFaultyFileSystem final : public NoteStorage::CFileSystem {
public:
    // KilledMidWrite: half the bytes reach the disk, then the process dies as a crash or a
    // kill would end it (for a forked child).
    enum class Fault {
        None,
        CreateFails,
        DiskFullMidWrite,
        SyncFails,  // every byte written, then flushing them to the disk fails
        KilledMidWrite,
        ReplaceFails,
        RemoveFails,
        ReadFails
    };
    // Every step of a write that can fail, for tests that fail each in turn.
    static constexpr Fault kWriteFaults[] = {Fault::CreateFails, Fault::DiskFullMidWrite,
                                             Fault::SyncFails, Fault::ReplaceFails};

    explicit CFaultyFileSystem(Fault fault = Fault::None)
        : m_fault(fault), m_real(NoteStorage::FileSystem()) {}
    CFaultyFileSystem(const CFaultyFileSystem&) = delete;
    CFaultyFileSystem& operator=(const CFaultyFileSystem&) = delete;

    // With `only`, the fault hits only files directly inside that folder.
    void SetFault(Fault fault, std::filesystem::path only = {}) {
        m_fault = fault;
        m_only = std::move(only);
    }
    [[nodiscard]] Fault CurrentFault() const noexcept { return m_fault; }

    bool WriteNewFile(const std::filesystem::path& path, std::string_view bytes,
                      std::optional<std::filesystem::perms> perms) override {
        const Fault fault = FaultFor(path);
        if (fault == Fault::CreateFails) return false;
        if (fault == Fault::DiskFullMidWrite || fault == Fault::KilledMidWrite) {
            // Half the bytes reach the disk, then the write fails.
            m_real.WriteNewFile(path, bytes.substr(0, bytes.size() / 2), perms);
            if (fault == Fault::KilledMidWrite) std::raise(SIGKILL);
            return false;
        }
        const bool written = m_real.WriteNewFile(path, bytes, perms);
        return written && fault != Fault::SyncFails;
    }
    std::optional<std::filesystem::perms> Permissions(const std::filesystem::path& path) override {
        return m_real.Permissions(path);
    }
    bool ResolveLinks(const std::filesystem::path& path, std::filesystem::path& target) override {
        return m_real.ResolveLinks(path, target);
    }
    bool Replace(const std::filesystem::path& from, const std::filesystem::path& to) override {
        if (FaultFor(to) == Fault::ReplaceFails) return false;
        if (!m_real.Replace(from, to)) return false;
        ++replaced;
        return true;
    }
    bool Remove(const std::filesystem::path& path) override {
        if (FaultFor(path) == Fault::RemoveFails) return false;
        return m_real.Remove(path);
    }
    bool ReadWhole(const std::filesystem::path& path, std::string& bytes) override {
        if (FaultFor(path) == Fault::ReadFails) return false;
        return m_real.ReadWhole(path, bytes);
    }
    std::optional<NoteStorage::CFileStamp> Stamp(const std::filesystem::path& path) override {
        return m_real.Stamp(path);
    }
    bool Exists(const std::filesystem::path& path) override { return m_real.Exists(path); }
    void SyncFolder(const std::filesystem::path& folder) override { m_real.SyncFolder(folder); }
    std::vector<std::filesystem::path> ListFolder(const std::filesystem::path& folder) override {
        return m_real.ListFolder(folder);
    }
    std::string HostName() override { return m_real.HostName(); }
    int64_t ProcessId() override { return m_real.ProcessId(); }
    bool IsProcessRunning(int64_t processId) override { return m_real.IsProcessRunning(processId); }

    int replaced = 0;  // files written whole

private:
    Fault FaultFor(const std::filesystem::path& path) const {
        if (!m_only.empty() && path.parent_path() != m_only) return Fault::None;
        return m_fault;
    }

    Fault m_fault;
    std::filesystem::path m_only;
    NoteStorage::CFileSystem& m_real;
};

}  // namespace TestSupport
