#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <array>
#include <map>
#include <span>

#include "commands/CommandTarget.h"
#include "storage/FolderPicker.h"
#include "storage/ProfileSettings.h"
#include "storage/StatusLine.h"

class CIndexView;
class CNoteScrollView;
namespace Commands {
struct Command;
}
class QAction;
class QMenu;
class QLabel;
class QSplitter;
class QToolBar;

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

    // Loads the tree of the stored notes folder, asking for one when none is stored or it is
    // gone, then imports the tree files named; the editor gets the focus. False when the user
    // chose no folder: the program ends.
    bool StartUp(const QStringList& treeFiles);

    [[nodiscard]] CNoteScrollView& Editor() noexcept { return *m_editor; }
    [[nodiscard]] CIndexView& Tree() noexcept { return *m_tree; }
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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* AddCommand(QMenu* menu, const Commands::Command& command);
    // Who is asked for a command, in turn, until one handles it: the print commands go to the
    // editor alone; the others to the active pane, the frame, then the other pane.
    [[nodiscard]] std::array<Commands::ICommandTarget*, 3> CommandRoute(int id);
    void BuildMenus();
    QToolBar* BuildToolbar(const QString& name, std::span<const int> items);
    void ScheduleStateUpdate();

    NoteTreeEngine::CProfileSettings& m_settings;
    NoteTreeEngine::CFolderPicker& m_picker;
    QSplitter* m_splitter = nullptr;
    CIndexView* m_tree = nullptr;
    CNoteScrollView* m_editor = nullptr;
    QToolBar* m_standardToolbar = nullptr;
    QToolBar* m_styleToolbar = nullptr;
    QLabel* m_statusPane = nullptr;
    QLabel* m_unsavedPane = nullptr;
    std::map<int, QAction*> m_actions;
    std::map<int, QAction*> m_toolButtons;
    bool m_stateUpdatePending = false;
};
