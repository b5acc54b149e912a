// The shell's tests drive real widgets under the offscreen platform, so one application object
// lives for the whole run.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <clocale>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    std::setlocale(LC_ALL, "C.UTF-8");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
