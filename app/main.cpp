#include <QApplication>
#include <clocale>
#include <vector>

#include "app/MainFrame.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("OrvaneInc"));
    QApplication::setApplicationName(QStringLiteral("Jotwell"));
    // White space and lower-casing follow the user's locale.
    std::setlocale(LC_ALL, "");
    std::vector<QString> paths;
    const QStringList arguments = QApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        paths.push_back(arguments[i]);
    CMainFrame frame;
    frame.OpenNotes(paths);
    frame.show();
    return QApplication::exec();
}
