#include "ui/QtProfileSettings.h"

#include <QStandardPaths>

#include "ui/Settings.h"

std::u16string CQtProfileSettings::ReadNotesFolder() {
    return Settings::Read(Settings::kNotesFolder);
}

void CQtProfileSettings::WriteNotesFolder(std::u16string_view path) {
    Settings::Write(Settings::kNotesFolder, path);
}

std::filesystem::path CQtProfileSettings::RecoveryFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (data.isEmpty()) return {};
    return std::filesystem::path(data.toStdU16String()) / "Recovered notes";
}

int CQtProfileSettings::ReadRecoveredAtEnd() {
    return Settings::Read(Settings::kRecoveredAtEnd);
}

void CQtProfileSettings::WriteRecoveredAtEnd(int count) {
    Settings::Write(Settings::kRecoveredAtEnd, count);
}
