#include <QApplication>
#include <clocale>

#include "app/DirectoryPicker.h"
#include "app/MainFrame.h"
#include "editor/ProfileSettings.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("OrvaneInc"));
    QApplication::setApplicationName(QStringLiteral("Jotwell"));
    // White space and lower-casing follow the user's locale.
    std::setlocale(LC_ALL, "");
    // Tree files named on the command line are imported into the tree.
    QStringList treeFiles = QApplication::arguments();
    treeFiles.removeFirst();
    CQtProfileSettings settings;
    CDirectoryPicker picker;
    CMainFrame frame(settings, picker);
    if (!frame.StartUp(treeFiles)) return 0;
    frame.show();
    return QApplication::exec();
}
