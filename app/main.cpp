#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/DataFolder.h"
#include "app/JotwellApp.h"
#include "app/MainFrame.h"
#include "editor/NoteScrollView.h"
#include "ui/QtProfileSettings.h"
#include "ui/Settings.h"

namespace {

// Once the editor pane was first painted: says "shown" on the standard output
// (JOTWELL_ANNOUNCE_SHOWN=1) and also exits as Exit does (JOTWELL_EXIT_AFTER_SHOWN=1). For
// measuring the start and for tests that drive the program from outside.
class CAnnounceShown final : public QObject {
public:
    CAnnounceShown(CMainFrame& frame, bool exit) : m_frame(frame), m_exit(exit) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_done && event->type() == QEvent::Paint && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            QWidget* editor = &m_frame.Editor();
            if (widget == editor || editor->isAncestorOf(widget)) {
                m_done = true;
                std::fputs("shown\n", stdout);
                std::fflush(stdout);
                if (m_exit) QTimer::singleShot(0, &m_frame, &CMainFrame::Exit);
            }
        }
        return false;
    }

private:
    CMainFrame& m_frame;
    bool m_exit;
    bool m_done = false;
};

}  // namespace

int main(int argc, char** argv) {
    // Help, version, usage errors and the export end here: no window, no other instance asked.
    const CommandLine::Options options =
        CommandLine::Parse(std::vector<std::string>(argv, argv + argc));
    if (const int code = CommandLine::RunOptions(options, argc, argv, stdout, stderr); code >= 0)
        return code;
    QApplication application(argc, argv);
    if (DataFolder::HandlePrintOption(QApplication::arguments())) return 0;
    QApplication::setOrganizationName(QLatin1String(Settings::kOrganization));
    QApplication::setApplicationName(QLatin1String(Settings::kApplication));
    // The frame lives on in the tray with no window shown.
    QApplication::setQuitOnLastWindowClosed(false);
    // White space and lower-casing follow the user's locale.
    std::setlocale(LC_ALL, "");
    CQtProfileSettings settings;
    CJotwellApp::COptions appOptions;
    appOptions.handleTerminationSignals = true;
    CJotwellApp app(settings, std::move(appOptions));
    if (app.Start(QApplication::arguments()) != CJotwellApp::Result::Running) return 0;
    const bool exit = qEnvironmentVariableIntValue("JOTWELL_EXIT_AFTER_SHOWN") == 1;
    CAnnounceShown announce(*app.Frame(), exit);
    if (exit || qEnvironmentVariableIntValue("JOTWELL_ANNOUNCE_SHOWN") == 1)
        application.installEventFilter(&announce);
    return QApplication::exec();
}
