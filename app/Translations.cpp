#include "app/Translations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/DataFolder.h"

namespace Translations {

namespace {

bool InstallOne(const QLocale& locale, const QString& name, const QString& folder) {
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(locale, name, QStringLiteral("_"), folder) &&
        QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    return false;
}

}  // namespace

QString Folder() {
    const QString installed = DataFolder::Path() + QStringLiteral("/translations");
#ifdef JOTWELL_BUILD_TRANSLATIONS
    // Run from the build tree, the data folder is the sources', which hold no built catalogue.
    if (!QFileInfo(installed).isDir()) return QStringLiteral(JOTWELL_BUILD_TRANSLATIONS);
#endif
    return installed;
}

bool Install(const QLocale& locale, const QString& folder) {
    (void)InstallOne(locale, QStringLiteral("qtbase"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    return InstallOne(locale, QStringLiteral("jotwell"), folder);
}

}  // namespace Translations
