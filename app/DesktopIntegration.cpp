#include "app/DesktopIntegration.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include "app/DataFolder.h"

namespace DesktopIntegration {

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes `bytes` unless the file already holds them; true when it was written.
bool WriteIfChanged(const QString& path, const QByteArray& bytes) {
    if (QFile::exists(path) && ReadAll(path) == bytes) return false;
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    QFile file(path + QStringLiteral(".new"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    if (!written) {
        file.remove();
        return false;
    }
    QFile::remove(path);
    return file.rename(path);
}

bool StartHelper(const QString& program, const QString& folder) {
    const QString found = QStandardPaths::findExecutable(program);
    return !found.isEmpty() && QProcess::startDetached(found, {folder});
}

}  // namespace

QString QuoteExec(const QString& programPath) {
    // Inside the quotes of an Exec value these four take a backslash; then the key file's own
    // escaping doubles every backslash, and a percent sign is doubled to stay literal.
    QString quoted;
    for (const QChar c : programPath) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString DesktopEntry(const QString& templateText, const QString& programPath) {
    QString entry = templateText;
    entry.replace(QStringLiteral("@JOTWELL_EXEC@"), QuoteExec(programPath));
    return entry;
}

CResult Install(const QString& programPath, const QString& dataFolder) {
    CResult result;
    const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (home.isEmpty()) return result;
    const QString templateText =
        QString::fromUtf8(ReadAll(dataFolder + QStringLiteral("/jotwell.desktop.in")));
    const QByteArray mime = ReadAll(dataFolder + QStringLiteral("/jotwell-mime.xml"));
    const QByteArray icon = ReadAll(dataFolder + QStringLiteral("/icons/jotwell.svg"));

    const QString entryPath = home + QStringLiteral("/applications/jotwell.desktop");
    const QString mimePath = home + QStringLiteral("/mime/packages/jotwell-mime.xml");
    const QString iconPath = home + QStringLiteral("/icons/hicolor/scalable/apps/jotwell.svg");
    // Without its template or package nothing sensible can be written.
    if (!templateText.isEmpty() &&
        WriteIfChanged(entryPath, DesktopEntry(templateText, programPath).toUtf8()))
        result.written << entryPath;
    if (!mime.isEmpty() && WriteIfChanged(mimePath, mime)) result.written << mimePath;
    if (!icon.isEmpty() && WriteIfChanged(iconPath, icon)) result.written << iconPath;

    if (result.written.contains(mimePath) &&
        StartHelper(QStringLiteral("update-mime-database"), home + QStringLiteral("/mime")))
        result.helpersStarted << QStringLiteral("update-mime-database");
    if (result.written.contains(entryPath) && StartHelper(QStringLiteral("update-desktop-database"),
                                                          home + QStringLiteral("/applications")))
        result.helpersStarted << QStringLiteral("update-desktop-database");
    return result;
}

}  // namespace DesktopIntegration

void InstallDesktopIntegration() {
    DesktopIntegration::Install(QCoreApplication::applicationFilePath(), DataFolder::Path());
}
