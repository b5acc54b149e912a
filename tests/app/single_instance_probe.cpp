// A start of the program reduced to its single-instance part, used the way the program uses it:
// a later start hands over and ends without a window; the first shows its window, listens once
// it is ready and prints what it is handed, one line each.
//   single_instance_probe KEY [--wait] [PATH]
// --wait: the first instance listens only after a line arrives on its standard input.
#include <unistd.h>
#include <QApplication>
#include <QByteArrayView>
#include <QCoreApplication>
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
    if (argc < 2) {
        // The bare start of a first instance, for comparison.
        QApplication application(argc, argv);
        return 2;
    }
    const QString key = QString::fromLocal8Bit(argv[1]);
    const bool wait = argc > 2 && QByteArrayView(argv[2]) == "--wait";
    const QString path = QString::fromLocal8Bit(argc > (wait ? 3 : 2) ? argv[wait ? 3 : 2] : "");

    // As the program does: the lock first, the window system only for the first instance.
    CSingleInstance instance(key);
    if (!instance.IsFirst()) {
        QCoreApplication core(argc, argv);
        // In the order of CSingleInstance::HandOverResult.
        const char* const said[] = {"delivered", "first-starting", "failed"};
        Say(QString::fromLatin1(said[static_cast<int>(instance.HandOver(path))]));
        return 0;
    }
    QApplication application(argc, argv);
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
