// The program's start reduced to its data folder option, linked like the program; the install
// test copies it beside the installed program and runs it there.
#include <QApplication>

#include "app/DataFolder.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    return DataFolder::HandlePrintOption(QApplication::arguments()) ? 0 : 1;
}
