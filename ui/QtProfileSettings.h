#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "storage/ProfileSettings.h"

// The profile as storage reads it, in the program's settings store.
class CQtProfileSettings final : public NoteTreeEngine::CProfileSettings {
public:
    [[nodiscard]] std::u16string ReadNotesFolder() override;
    void WriteNotesFolder(std::u16string_view path) override;
    // "Recovered notes" in the user's data folder of the program.
    [[nodiscard]] std::filesystem::path RecoveryFolder() override;
    [[nodiscard]] int ReadRecoveredAtEnd() override;
    void WriteRecoveredAtEnd(int count) override;
};
