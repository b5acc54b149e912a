// Qt's own editor as a whole program, the yardstick of open_bench: opens the plain text file named
// on its command line in a QTextEdit, shows it, says "shown" on its standard output after the
// first paint and ends, or stays until terminated when QTEXTEDIT_OPEN_STAY=1.
#include <QApplication>
#include <QFile>
#include <QTextEdit>
#include <QTimer>
#include <cstdio>

namespace {

class CAnnounceShown final : public QObject {
public:
    explicit CAnnounceShown(bool stay) : m_stay(stay) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (!m_done && event->type() == QEvent::Paint) {
            m_done = true;
            std::fputs("shown\n", stdout);
            std::fflush(stdout);
            if (!m_stay) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }

private:
    bool m_stay;
    bool m_done = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) return 2;
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) return 1;
    QTextEdit edit;
    edit.setPlainText(QString::fromUtf8(file.readAll()));
    edit.resize(1200, 800);
    CAnnounceShown announce(qEnvironmentVariableIntValue("QTEXTEDIT_OPEN_STAY") == 1);
    edit.viewport()->installEventFilter(&announce);
    edit.show();
    return QApplication::exec();
}
