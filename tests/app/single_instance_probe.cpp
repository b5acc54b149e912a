// A start of the program reduced to its single-instance part, used the way the program uses it:
// a later start hands over and ends without a window; the first shows its window, listens once
// it is ready and prints what it is handed, one line each.
//   single_instance_probe KEY [--wait] [PATH]
// --wait: the first instance listens only after a line arrives on its standard input.
#include <unistd.h>
#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <cstdio>

#include "app/SingleInstance.h"

namespace {

void Say(const QString& line) {
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2) return 2;
    const QString key = arguments[1];
    const bool wait = arguments.size() > 2 && arguments[2] == QLatin1String("--wait");
    const QString path = arguments.value(wait ? 3 : 2);

    CSingleInstance instance(key);
    if (!instance.IsFirst()) {
        switch (instance.HandOver(path)) {
            case CSingleInstance::HandOverResult::Delivered:
                Say(QStringLiteral("delivered"));
                break;
            case CSingleInstance::HandOverResult::FirstStarting:
                Say(QStringLiteral("first-starting"));
                break;
            case CSingleInstance::HandOverResult::Failed:
                Say(QStringLiteral("failed"));
                break;
        }
        return 0;
    }
    QObject::connect(&instance, &CSingleInstance::BringForwardRequested,
                     [] { Say(QStringLiteral("forward")); });
    QObject::connect(&instance, &CSingleInstance::OpenPathRequested,
                     [](const QString& handed) { Say(QStringLiteral("open:") + handed); });
    QWidget window;
    window.show();
    Say(QStringLiteral("window"));
    auto listen = [&instance] {
        Say(instance.Listen() ? QStringLiteral("listening") : QStringLiteral("listen-failed"));
    };
    QSocketNotifier ready(STDIN_FILENO, QSocketNotifier::Read);
    if (wait)
        QObject::connect(&ready, &QSocketNotifier::activated, [&] {
            ready.setEnabled(false);
            listen();
        });
    else {
        ready.setEnabled(false);
        listen();
    }
    return QApplication::exec();
}
