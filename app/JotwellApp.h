#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "app/SingleInstance.h"
#include "storage/FolderPicker.h"
#include "storage/ProfileSettings.h"

class CMainFrame;

// The program's start: one instance per user, the desktop's knowledge of the program, the main
// frame, a valid notes folder (asked for on the first run, with the start-up notes copied into a
// new one), the tree, and a tree file named on the command line. The tests run it with their own
// settings, instance key, picker and message sinks.
class CJotwellApp final : public QObject {
    Q_OBJECT

public:
    static constexpr const char* kWelcome = QT_TRANSLATE_NOOP(
        "CJotwellApp",
        "Welcome to Jotwell!\nBefore you can start using the program you have to select a folder "
        "for your notes.\nAn empty folder in \"Documents\" or equivalent is recommended.");
    static constexpr const char* kNoFolderChosen = QT_TRANSLATE_NOOP(
        "CJotwellApp",
        "You have not chosen a folder for your notes.\nJust restart the program if you want to "
        "do it at a later time.");

    struct COptions {
        QString instanceKey = CSingleInstance::DefaultKey();
        // Where the start-up notes come from; by default the data folder's startup/.
        QString startUpNotes;
        // The folder picker; null for the folder dialog over the frame.
        NoteTreeEngine::CFolderPicker* picker = nullptr;
        // Tells the desktop about the program; by default InstallDesktopIntegration.
        std::function<void()> integrateDesktop;
        // SIGTERM and SIGINT end the program as Exit does, once the tree is loaded.
        bool handleTerminationSignals = false;
    };

    enum class Result {
        Running,     // the frame runs: enter the event loop
        HandedOver,  // another instance runs and was handed the command line: end
        NoFolder,    // the user chose no notes folder: end
    };

    // `instance`: the lock this process took already, in which case options.instanceKey is
    // not used; null for Start to take it.
    CJotwellApp(NoteTreeEngine::CProfileSettings& settings, COptions options,
                std::unique_ptr<CSingleInstance> instance = nullptr);
    ~CJotwellApp() override;

    // The whole start-up sequence on the program's arguments (the first is the program).
    Result Start(const QStringList& arguments);

    [[nodiscard]] CMainFrame* Frame() const noexcept { return m_frame.get(); }
    [[nodiscard]] CSingleInstance* Instance() const noexcept { return m_instance.get(); }

    // The path named on a command line: its first argument after the program's name that is no
    // option; "" when there is none.
    [[nodiscard]] static QString PathArgument(const QStringList& arguments);
    // The first run's suggestion: "Notes" in the user's documents folder.
    [[nodiscard]] static QString SuggestedFolder();

private:
    class CDialogPicker;

    bool ChooseFirstFolder();
    bool CheckFolder();
    void OpenHandedPath(const QString& path);
    // A save asked for from outside (an export): the tree and every changed note. True when
    // everything was written.
    bool SaveEverything();

    NoteTreeEngine::CProfileSettings& m_settings;
    COptions m_options;
    std::unique_ptr<CDialogPicker> m_dialogPicker;
    std::unique_ptr<CSingleInstance> m_instance;
    std::unique_ptr<CMainFrame> m_frame;
};
