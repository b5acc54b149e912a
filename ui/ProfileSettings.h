#pragma once

#include <QString>

#include "storage/ProfileSettings.h"

// The user's settings, in the program's settings store; value names are matched without regard to
// case, as the stored names have always been.
namespace ProfileSettings {

[[nodiscard]] int ReadInt(const QString& section, const QString& name, int defaultValue);
void WriteInt(const QString& section, const QString& name, int value);

}  // namespace ProfileSettings

// The profile as storage reads it, on the same settings store and with the same name matching.
class CQtProfileSettings final : public NoteTreeEngine::CProfileSettings {
public:
    [[nodiscard]] std::u16string GetProfileString(std::u16string_view section,
                                                  std::u16string_view entry) override;
    void WriteProfileString(std::u16string_view section, std::u16string_view entry,
                            std::u16string_view value) override;
    // "Recovered notes" in the user's data folder of the program.
    [[nodiscard]] std::filesystem::path RecoveryFolder() override;
};
