#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "app/AppStyle.h"
#include "app/CommandLine.h"
#include "app/JotwellApp.h"
#include "app/MainFrame.h"
#include "app/SingleInstance.h"
#include "app/Translations.h"
#include "editor/NoteScrollView.h"
#include "ui/QtProfileSettings.h"
#include "ui/Settings.h"

namespace {

// Opening a large note is mostly fresh memory (the bytes read, their text, the note, its layout:
// tens of MB for a 5 MB note), and every 4 KiB page of it is a fault, which on a virtual machine
// costs about 10 us. The heap grows once by 64 MiB, which the kernel is asked to back with 2 MiB
// pages where it can (as the C library's own opt-in to them does); blocks up to 32 MiB come from
// the heap and stay in it when freed, so that a note opened later reuses what one touched before.
// A start under a sanitizer's allocator leaves the heap as it is.
void PrepareHeap() {
#if defined(__GLIBC__) && defined(MADV_HUGEPAGE)
    constexpr size_t kGrowth = size_t{64} << 20;
    constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
    if (mallopt(M_MMAP_THRESHOLD, 32 << 20) == 0 || mallopt(M_TRIM_THRESHOLD, kGrowth) == 0 ||
        mallopt(M_TOP_PAD, kGrowth) == 0)
        return;
    const auto before = reinterpret_cast<uintptr_t>(sbrk(0));
    // Larger than what is left of the heap's top: the heap grows, by the pad beside it.
    void* volatile block = std::malloc(size_t{1} << 20);  // volatile: kept though unused
    std::free(block);
    const auto after = reinterpret_cast<uintptr_t>(sbrk(0));
    const uintptr_t begin = (before + kHugePage - 1) & ~(kHugePage - 1);
    if (after > begin) (void)madvise(reinterpret_cast<void*>(begin), after - begin, MADV_HUGEPAGE);
#endif
}

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
    PrepareHeap();
    // Help, version, usage errors and the export end here: no window, no other instance asked.
    const CommandLine::Options options =
        CommandLine::Parse(std::vector<std::string>(argv, argv + argc));
    if (const int code = CommandLine::RunOptions(options, argc, argv, stdout, stderr); code >= 0)
        return code;
    // Set before the lock is taken, which records the program's name.
    QCoreApplication::setOrganizationName(QLatin1String(Settings::kOrganization));
    QCoreApplication::setApplicationName(QLatin1String(Settings::kApplication));
    // A later start hands over and ends before the window system and the fonts are loaded, which
    // are most of a start.
    auto instance = std::make_unique<CSingleInstance>();
    if (!instance->IsFirst()) {
        QCoreApplication core(argc, argv);
        // The running instance has a working folder of its own.
        const QString path = QString::fromLocal8Bit(options.path);
        (void)instance->HandOver(path.isEmpty() ? path : QFileInfo(path).absoluteFilePath());
        return 0;
    }
    QApplication application(argc, argv);
    // Over a style of the same name as the one the user chose (-style, QT_STYLE_OVERRIDE) or
    // the platform's; owned by the application.
    QApplication::setStyle(new CAppStyle(QStyleFactory::create(QApplication::style()->name())));
    // The frame lives on in the tray with no window shown.
    QApplication::setQuitOnLastWindowClosed(false);
    // White space and lower-casing follow the user's locale.
    std::setlocale(LC_ALL, "");
    // The texts too, where there is a catalogue for the language.
    Translations::Install();
    CQtProfileSettings settings;
    CJotwellApp::COptions appOptions;
    appOptions.handleTerminationSignals = true;
    CJotwellApp app(settings, std::move(appOptions), std::move(instance));
    if (app.Start(QApplication::arguments()) != CJotwellApp::Result::Running) return 0;
    const bool exit = qEnvironmentVariableIntValue("JOTWELL_EXIT_AFTER_SHOWN") == 1;
    CAnnounceShown announce(*app.Frame(), exit);
    if (exit || qEnvironmentVariableIntValue("JOTWELL_ANNOUNCE_SHOWN") == 1)
        application.installEventFilter(&announce);
    return QApplication::exec();
}
