// The main of the benchmark programs that drive widgets: the offscreen platform, settings and
// folders of Qt's test mode (a benchmark never touches the user's), the C.UTF-8 locale of the
// tests, and message boxes answered without a window, so a failing save cannot stop a run.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStandardPaths>
#include <clocale>

#include "ui/MessageBox.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication application(argc, argv);
    std::setlocale(LC_ALL, "C.UTF-8");
    MessageBox::SetSink([](const QString&) {});
    MessageBox::SetQuestionSink([](const QString&, const QString&) { return true; });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
