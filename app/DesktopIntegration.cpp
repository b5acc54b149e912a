#include "app/DesktopIntegration.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <filesystem>
#include <string>

#include "app/DataFolder.h"

namespace DesktopIntegration {

namespace {

std::filesystem::path ToPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

// The file's bytes; empty when it cannot be read.
std::string ReadAll(NoteStorage::CFileSystem& fs, const QString& path) {
    std::string bytes;
    return fs.ReadWhole(ToPath(path), bytes) ? bytes : std::string();
}

// Replaces the file with `bytes` unless it already holds them; true when it was written.
bool WriteIfChanged(NoteStorage::CFileSystem& fs, const QString& path, const std::string& bytes) {
    const std::filesystem::path file = ToPath(path);
    std::string old;
    if (fs.ReadWhole(file, old) && old == bytes) return false;
    return fs.CreateFolders(file.parent_path()) &&
           NoteStorage::ReplaceFileContents(fs, file, bytes);
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

CResult Install(NoteStorage::CFileSystem& fs, const QString& programPath,
                const QString& dataFolder) {
    CResult result;
    const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (home.isEmpty()) return result;
    const QString templateText =
        QString::fromStdString(ReadAll(fs, dataFolder + QStringLiteral("/jotwell.desktop.in")));
    const std::string mime = ReadAll(fs, dataFolder + QStringLiteral("/jotwell-mime.xml"));
    const std::string icon = ReadAll(fs, dataFolder + QStringLiteral("/icons/jotwell.svg"));

    const QString entryPath = home + QStringLiteral("/applications/jotwell.desktop");
    const QString mimePath = home + QStringLiteral("/mime/packages/jotwell-mime.xml");
    const QString iconPath = home + QStringLiteral("/icons/hicolor/scalable/apps/jotwell.svg");
    // Without its template or package nothing sensible can be written.
    if (!templateText.isEmpty() &&
        WriteIfChanged(fs, entryPath, DesktopEntry(templateText, programPath).toStdString()))
        result.written << entryPath;
    if (!mime.empty() && WriteIfChanged(fs, mimePath, mime)) result.written << mimePath;
    if (!icon.empty() && WriteIfChanged(fs, iconPath, icon)) result.written << iconPath;

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
    DesktopIntegration::Install(NoteStorage::FileSystem(), QCoreApplication::applicationFilePath(),
                                DataFolder::Path());
}
