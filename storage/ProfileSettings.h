#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace NoteTreeEngine {

// The program's profile (the user's settings) as storage needs it.
class CProfileSettings {
public:
    virtual ~CProfileSettings() = default;

    // The stored string, "" when the entry is missing.
    [[nodiscard]] virtual std::u16string GetProfileString(std::u16string_view section,
                                                          std::u16string_view entry) = 0;
    virtual void WriteProfileString(std::u16string_view section, std::u16string_view entry,
                                    std::u16string_view value) = 0;
    // A folder of the user's own data area for notes that could not be written to their files
    // when the program had to end; it need not exist yet.
    [[nodiscard]] virtual std::filesystem::path RecoveryFolder() = 0;
};

}  // namespace NoteTreeEngine
