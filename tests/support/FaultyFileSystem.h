#pragma once

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "tests/support/ForwardingFileSystem.h"

namespace TestSupport {

// Passes every call to the real file system except the one step told to fail, so that each
// failure path of a save runs for real against a temporary folder. Handed to what writes, as
// any file system is; the fault can change between steps of a test.
class CFaultyFileSystem final : public CForwardingFileSystem {
public:
    // KilledMidWrite: half the bytes reach the disk, then the process dies as a crash or a
    // kill would end it (for a forked child).
    enum class Fault {
        None,
        CreateFails,  // of a file or a folder
        DiskFullMidWrite,
        SyncFails,  // every byte written, then flushing them to the disk fails
        KilledMidWrite,
        ReplaceFails,
        ReadFails
    };
    // Every step of a write that can fail, for tests that fail each in turn.
    static constexpr Fault kWriteFaults[] = {Fault::CreateFails, Fault::DiskFullMidWrite,
                                             Fault::SyncFails, Fault::ReplaceFails};

    explicit CFaultyFileSystem(Fault fault = Fault::None) : m_fault(fault) {}
    CFaultyFileSystem(const CFaultyFileSystem&) = delete;
    CFaultyFileSystem& operator=(const CFaultyFileSystem&) = delete;

    // With `only`, the fault hits only files directly inside that folder.
    void SetFault(Fault fault, std::filesystem::path only = {}) {
        m_fault = fault;
        m_only = std::move(only);
    }

    bool WriteNewFile(const std::filesystem::path& path, std::string_view bytes,
                      std::optional<std::filesystem::perms> perms) override {
        const Fault fault = FaultFor(path);
        if (fault == Fault::CreateFails) return Failed(std::errc::permission_denied);
        if (fault == Fault::DiskFullMidWrite || fault == Fault::KilledMidWrite) {
            // Half the bytes reach the disk, then the write fails.
            m_real.WriteNewFile(path, bytes.substr(0, bytes.size() / 2), perms);
            if (fault == Fault::KilledMidWrite) std::raise(SIGKILL);
            return Failed(std::errc::no_space_on_device);
        }
        const bool written = m_real.WriteNewFile(path, bytes, perms);
        return written && (fault != Fault::SyncFails || Failed(std::errc::io_error));
    }
    bool CreateFolders(const std::filesystem::path& folder) override {
        if (FaultFor(folder) == Fault::CreateFails) return Failed(std::errc::permission_denied);
        return m_real.CreateFolders(folder);
    }
    bool Replace(const std::filesystem::path& from, const std::filesystem::path& to) override {
        if (FaultFor(to) == Fault::ReplaceFails) return Failed(std::errc::permission_denied);
        if (!m_real.Replace(from, to)) return false;
        ++replaced;
        return true;
    }
    bool ReadWhole(const std::filesystem::path& path, std::string& bytes) override {
        if (FaultFor(path) == Fault::ReadFails) return Failed(std::errc::io_error);
        return m_real.ReadWhole(path, bytes);
    }
    // The injected fault's reason as the system would give it, else the real one.
    std::error_code TakeError() override {
        const std::error_code real = m_real.TakeError();
        const std::error_code injected = std::exchange(t_injected, {});
        return injected ? injected : real;
    }

    int replaced = 0;  // files written whole

private:
    bool Failed(std::errc error) {
        (void)m_real.TakeError();  // an older real failure is not this one's reason
        t_injected = std::make_error_code(error);
        return false;
    }
    Fault FaultFor(const std::filesystem::path& path) const {
        if (!m_only.empty() && path.parent_path() != m_only) return Fault::None;
        return m_fault;
    }

    Fault m_fault;
    std::filesystem::path m_only;
    // Per thread, as the platform keeps it.
    static inline thread_local std::error_code t_injected;
};

}  // namespace TestSupport
