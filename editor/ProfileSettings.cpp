#include "editor/ProfileSettings.h"

#include <QSettings>

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
