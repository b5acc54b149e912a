#pragma once

#include <QString>
#include <QStringList>

// Where the program's data lies (start-up notes in startup/, help pages in help/, icons in
// icons/): the install's share/jotwell beside the program's bin folder, or the source tree's
// data/ when the program runs from its build tree.
namespace DataFolder {

// The data folder of this program. Needs the application object.
[[nodiscard]] QString Path();

// The rule itself: `programFolder`/../share/jotwell when it exists, else `sourceData` when that
// exists, else the installed location (which then does not exist).
[[nodiscard]] QString Resolve(const QString& programFolder, const QString& sourceData);

// The option "--print-data-folder": prints the data folder and a line feed on the standard
// output and returns true, and the program ends; false without the option.
bool HandlePrintOption(const QStringList& arguments);

}  // namespace DataFolder
