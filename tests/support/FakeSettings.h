#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "storage/ProfileSettings.h"

namespace TestSupport {

// Profile settings in memory, and a recovery folder of the test's choosing.
class CFakeSettings final : public NoteTreeEngine::CProfileSettings {
public:
    explicit CFakeSettings(std::filesystem::path recoveryFolder = {})
        : m_recoveryFolder(std::move(recoveryFolder)) {}

    std::u16string ReadNotesFolder() override { return notesFolder; }
    void WriteNotesFolder(std::u16string_view path) override { notesFolder = path; }
    std::filesystem::path RecoveryFolder() override { return m_recoveryFolder; }
    int ReadRecoveredAtEnd() override { return recoveredAtEnd; }
    void WriteRecoveredAtEnd(int count) override { recoveredAtEnd = count; }

    std::u16string notesFolder;
    int recoveredAtEnd = 0;

private:
    std::filesystem::path m_recoveryFolder;
};

}  // namespace TestSupport
