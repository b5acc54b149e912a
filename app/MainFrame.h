#pragma once

#include <QIcon>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <array>
#include <map>
#include <memory>
#include <span>

#include "app/TrayIcon.h"
#include "commands/CommandTarget.h"
#include "session/NoteSession.h"
#include "session/ViewShownNotes.h"
#include "storage/FolderPicker.h"
#include "storage/ProfileSettings.h"
#include "storage/StatusLine.h"

class CExportCommand;
class CHelpWindow;
class CQtPrompts;
class CQtFolderWatch;
class CQtSaveTimer;
class CIndexView;
class CNoteScrollView;
class CSearchPane;
class CStatusPane;
namespace Commands {
struct Command;
}
class QAction;
class QDialog;
class QMenu;
class QLabel;
class QSplitter;
class QToolBar;

// The program's icon, from the data folder.
[[nodiscard]] QIcon ProgramIcon();

// The program's main window: the splitter with the note tree on the left and the editor showing
// the selected notes on the right, the menus, the toolbars, the accelerators and the status bar.
// Commands reach both panes whichever of them has the focus.
class CMainFrame final : public QMainWindow,
                         public Commands::ICommandTarget,
                         public NoteTreeEngine::CStatusLine {
    Q_OBJECT

public:
    // Both borrowed; they outlive the frame.
    CMainFrame(NoteTreeEngine::CProfileSettings& settings, NoteTreeEngine::CFolderPicker& picker,
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Once the notes folder is valid: the tree loads it and the editor gets the focus.
    void LoadTree();
    // A tree file handed over by a later start or named on the command line: imported at the end
    // of the root level.
    void OpenTreeFile(const QString& path);

    // Saves the window, splitter and bar state and everything typed, then ends the program (the
    // signal Ended). Nothing happens when a note that could not be written is kept by the user.
    void Exit();
    // The end of the desktop session or a termination signal: as Exit, but the program ends
    // regardless and asks nothing (messages go to stderr, unsaved notes to recovery files).
    void EndSession();
    void SaveState();
    // Close: hides the window in the tray, or minimises it where the desktop has no tray.
    void CloseToTray();
    [[nodiscard]] CTrayIcon& Tray() noexcept { return m_tray; }
    // Whether Close hides to the tray: the tray as found at creation; tests pretend one.
    [[nodiscard]] bool HasTray() const noexcept { return m_hasTray; }
    void SetHasTray(bool hasTray) { m_hasTray = hasTray; }

    // The Caps Lock and Num Lock panes: their text while on, empty while off.
    [[nodiscard]] QString CapsLockText() const;
    [[nodiscard]] QString NumLockText() const;
    void ShowLockStates(bool capsLock, bool numLock);
    // Asks the window system, where it can be asked.
    void UpdateLockStates();
    // The help window, once a help command made it.
    [[nodiscard]] CHelpWindow* Help() const noexcept { return m_help; }

    // The Export command, reachable so that tests give it their own file picker.
    [[nodiscard]] CExportCommand& Export() noexcept { return *m_export; }
    [[nodiscard]] CNoteScrollView& Editor() noexcept { return *m_editor; }
    [[nodiscard]] CIndexView& Tree() noexcept { return *m_tree; }
    [[nodiscard]] NoteTreeEngine::CNoteSession& Session() noexcept { return *m_session; }
    // The save timer, reachable so that tests see it run and fire it themselves.
    [[nodiscard]] CQtSaveTimer& SaveTimer() noexcept { return *m_saveTimer; }
    // The watch on the notes folder and the shown notes, reachable so that tests await it.
    [[nodiscard]] CQtFolderWatch& FolderWatch() noexcept { return *m_folderWatch; }
    [[nodiscard]] CSearchPane& SearchPane() noexcept { return *m_searchPane; }
    [[nodiscard]] QAction* Action(int id) const;
    // The button of a toolbar for a command, or null.
    [[nodiscard]] QAction* ToolButton(int id) const;
    [[nodiscard]] QString StatusText() const;
    [[nodiscard]] QString UnsavedText() const;
    // Runs a command as the menus and toolbars do.
    void RouteCommand(int id);
    void UpdateCommandStates();

    // The frame's own commands: the bars it shows.
    bool OnCommand(int id) override;
    [[nodiscard]] Commands::CommandState QueryCommandState(int id) override;

    void ShowUnsavedNotes(std::u16string_view text) override;

signals:
    // Everything is saved and unloaded: the program may end.
    void Ended();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAction* AddCommand(QMenu* menu, const Commands::Command& command);
    // Who is asked for a command, in turn, until one handles it: the print commands go to the
    // editor alone; the others to the active pane, the frame, then the other pane.
    [[nodiscard]] std::array<Commands::ICommandTarget*, 3> CommandRoute(int id);
    void BuildMenus();
    // `name` names the toolbar in the stored window state; `title` is what the user reads.
    QToolBar* BuildToolbar(const QString& name, const QString& title, std::span<const int> items);
    void ScheduleStateUpdate();
    // Sets every command's enabled and checked state. Without `readDisk` a command whose state
    // is read from the disk (are there recovered notes?) keeps its own: it shows only in a menu,
    // which reads it on opening, so that a keystroke lists no folder.
    void UpdateStates(bool readDisk);
    void CreateTray();
    void ShowHelp(int id);
    void FocusOtherPane();

    // The notes session and what it talks to; the session goes first.
    std::unique_ptr<CQtPrompts> m_prompts;
    std::unique_ptr<CQtSaveTimer> m_saveTimer;
    std::unique_ptr<CQtFolderWatch> m_folderWatch;
    std::unique_ptr<NoteTreeEngine::CViewShownNotes> m_shownNotes;
    std::unique_ptr<NoteTreeEngine::CNoteSession> m_session;
    QSplitter* m_splitter = nullptr;
    CIndexView* m_tree = nullptr;
    CNoteScrollView* m_editor = nullptr;
    // The search over all notes, docked beside the tree; hidden until first used.
    CSearchPane* m_searchPane = nullptr;
    QToolBar* m_standardToolbar = nullptr;
    QToolBar* m_styleToolbar = nullptr;
    CStatusPane* m_statusPane = nullptr;
    QLabel* m_unsavedPane = nullptr;
    QLabel* m_capsPane = nullptr;
    QLabel* m_numPane = nullptr;
    CTrayIcon m_tray;
    bool m_hasTray = false;
    CHelpWindow* m_help = nullptr;
    std::unique_ptr<CExportCommand> m_export;
    bool m_ended = false;
    bool m_sessionEnding = false;
    std::map<int, QAction*> m_actions;
    std::map<int, QAction*> m_toolButtons;
    bool m_stateUpdatePending = false;
};
