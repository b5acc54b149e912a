#include "app/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace DataFolder {

QString Resolve(const QString& programFolder, const QString& sourceData) {
    const QString installed = QDir::cleanPath(programFolder + QStringLiteral("/../share/jotwell"));
    if (QFileInfo(installed).isDir()) return installed;
    if (!sourceData.isEmpty() && QFileInfo(sourceData).isDir()) return QDir::cleanPath(sourceData);
    return installed;
}

QString Path() {
#ifdef JOTWELL_SOURCE_DATA
    const QString sourceData = QStringLiteral(JOTWELL_SOURCE_DATA);
#else
    const QString sourceData;
#endif
    return Resolve(QCoreApplication::applicationDirPath(), sourceData);
}

bool HandlePrintOption(const QStringList& arguments) {
    if (!arguments.contains(QStringLiteral("--print-data-folder"))) return false;
    std::fputs((Path() + QLatin1Char('\n')).toUtf8().constData(), stdout);
    std::fflush(stdout);
    return true;
}

}  // namespace DataFolder
