#include "ui/ProfileSettings.h"

#include <QSettings>
#include <QStandardPaths>

namespace ProfileSettings {

namespace {

QString StoredName(QSettings& settings, const QString& name) {
    for (const QString& key : settings.childKeys())
        if (key.compare(name, Qt::CaseInsensitive) == 0) return key;
    return name;
}

}  // namespace

int ReadInt(const QString& section, const QString& name, int defaultValue) {
    QSettings settings(QStringLiteral("OrvaneInc"), QStringLiteral("Jotwell"));
    settings.beginGroup(section);
    bool ok = false;
    const int value = settings.value(StoredName(settings, name)).toInt(&ok);
    return ok ? value : defaultValue;
}

void WriteInt(const QString& section, const QString& name, int value) {
    QSettings settings(QStringLiteral("OrvaneInc"), QStringLiteral("Jotwell"));
    settings.beginGroup(section);
    settings.setValue(StoredName(settings, name), value);
}

}  // namespace ProfileSettings

namespace {

QString ToQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

}  // namespace

std::u16string CQtProfileSettings::GetProfileString(std::u16string_view section,
                                                    std::u16string_view entry) {
    QSettings settings(QStringLiteral("OrvaneInc"), QStringLiteral("Jotwell"));
    settings.beginGroup(ToQString(section));
    return settings.value(ProfileSettings::StoredName(settings, ToQString(entry)))
        .toString()
        .toStdU16String();
}

void CQtProfileSettings::WriteProfileString(std::u16string_view section, std::u16string_view entry,
                                            std::u16string_view value) {
    QSettings settings(QStringLiteral("OrvaneInc"), QStringLiteral("Jotwell"));
    settings.beginGroup(ToQString(section));
    settings.setValue(ProfileSettings::StoredName(settings, ToQString(entry)), ToQString(value));
}

std::filesystem::path CQtProfileSettings::RecoveryFolder() {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (data.isEmpty()) return {};
    return std::filesystem::path(data.toStdU16String()) / "Recovered notes";
}
