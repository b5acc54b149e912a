#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <map>
#include <memory>
#include <vector>

#include "commands/CommandTarget.h"
#include "model/NoteDocument.h"

class CNoteScrollView;
namespace Commands {
struct Command;
}
class QAction;
class QMenu;
class QLabel;
class QSplitter;
class QToolBar;

// The program's main window: the splitter with the tree pane on the left (empty until the note
// tree exists) and the editor on the right, the Edit, View and Styles menus, the style toolbar,
// the accelerators and the status bar. Commands reach the editor whichever widget has the focus.
//
// Until the note tree exists the frame holds the notes itself: the files named on the command
// line, saved back when the window closes, or one new note kept in memory.
class CMainFrame final : public QMainWindow, public Commands::ICommandTarget {
    Q_OBJECT

public:
    explicit CMainFrame(QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Opens note files into the editor; false (with a message) for a file that cannot be read or
    // is no note. With no file at all, one new empty note is shown.
    bool OpenNotes(const std::vector<QString>& paths);
    // Writes every changed note back to its file; false, with a message and the text kept, when a
    // file cannot be written.
    bool SaveNotes();

    [[nodiscard]] CNoteScrollView& Editor() noexcept { return *m_editor; }
    [[nodiscard]] QAction* Action(int id) const;
    // Runs a command as the menus and toolbars do.
    void RouteCommand(int id);
    void UpdateCommandStates();

    // The frame's own commands: the bars it shows.
    bool OnCommand(int id) override;
    [[nodiscard]] Commands::CommandState QueryCommandState(int id) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* AddCommand(QMenu* menu, const Commands::Command& command);
    // Who is asked for a command, in turn, until one handles it.
    [[nodiscard]] std::array<Commands::ICommandTarget*, 2> CommandRoute();
    void BuildMenus();
    void BuildToolbar();
    void ScheduleStateUpdate();
    void ReportTooLarge(const QString& path);

    struct OpenNote {
        std::unique_ptr<NoteEditEngine::CNoteDocument> document;
        QString path;  // empty for the note kept in memory
        int32_t savedModified = 0;
        size_t savedSteps = 0;
        uint32_t savedDone = 0;
    };

    std::vector<OpenNote> m_notes;
    QSplitter* m_splitter = nullptr;
    CNoteScrollView* m_editor = nullptr;
    QToolBar* m_styleToolbar = nullptr;
    QLabel* m_statusPane = nullptr;
    std::map<int, QAction*> m_actions;
    bool m_stateUpdatePending = false;
};
