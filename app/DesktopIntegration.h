#pragma once

#include <QString>
#include <QStringList>

#include "storage/FileSystem.h"

// Makes the desktop know the program for this user: a desktop entry that starts the program as
// it is installed now, the MIME type of folder files (*.jwf) and the program's icon, in the
// user's data folder (XDG_DATA_HOME). Runs at every start and never stops it: every failure is
// ignored.
namespace DesktopIntegration {

// What one run did, for the caller's log and for tests.
struct CResult {
    QStringList written;         // files whose content changed
    QStringList helpersStarted;  // database update programs started (detached)
};

// Writes what differs from what is there, each file replaced whole through `fs`, and starts the
// desktop's database updates for the folders that changed, when those programs exist.
CResult Install(NoteStorage::CFileSystem& fs, const QString& programPath,
                const QString& dataFolder);

// The Exec line's program: quoted and escaped so that any path survives the desktop entry's
// own escaping.
[[nodiscard]] QString QuoteExec(const QString& programPath);

// The desktop entry for `programPath`, built from the template's text.
[[nodiscard]] QString DesktopEntry(const QString& templateText, const QString& programPath);

}  // namespace DesktopIntegration

// The program's call at start-up: this program's path and data folder.
void InstallDesktopIntegration();
