#pragma once

#include <QLocale>
#include <QString>

// The program's texts in the user's language: the catalogues lrelease builds from
// translations/*.ts, and Qt's own for its dialogs. A language without a catalogue shows the
// English texts the sources hold.
namespace Translations {

// Where the program's catalogues lie: the data folder's translations/ when installed, else the
// build tree's.
[[nodiscard]] QString Folder();

// Installs the program's catalogue for `locale` from `folder` and Qt's own, each when there is
// one; true when the program's own was found. Needs the application object, which owns them.
bool Install(const QLocale& locale = QLocale(), const QString& folder = Folder());

}  // namespace Translations
