#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace NoteTreeEngine {

// The program's profile (the user's settings) as storage needs it.
class CProfileSettings {
public:
    virtual ~CProfileSettings() = default;

    // The stored notes folder, "" when none is stored.
    [[nodiscard]] virtual std::u16string ReadNotesFolder() = 0;
    virtual void WriteNotesFolder(std::u16string_view path) = 0;
    // A folder of the user's own data area for notes that could not be written to their files
    // when the program had to end; it need not exist yet.
    [[nodiscard]] virtual std::filesystem::path RecoveryFolder() = 0;
    // How many notes went to recovery files when the program last had to end without asking
    // anyone; 0 when none did, or once the user was told.
    [[nodiscard]] virtual int ReadRecoveredAtEnd() = 0;
    virtual void WriteRecoveredAtEnd(int count) = 0;
};

}  // namespace NoteTreeEngine
