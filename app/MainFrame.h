#pragma once

#include <QMainWindow>
#include <QString>
#include <map>
#include <memory>
#include <vector>

#include "NoteDocument.h"

class CNoteScrollView;
class QAction;
class QLabel;
class QSplitter;
class QToolBar;

// The program's main window: the splitter with the tree pane on the left (empty until the note
// tree exists) and the editor on the right, the Edit, View and Styles menus, the style toolbar,
// the accelerators and the status bar. Commands reach the editor whichever widget has the focus.
//
// Until the note tree exists the frame holds the notes itself: the files named on the command
// line, saved back when the window closes, or one new note kept in memory.
class CMainFrame final : public QMainWindow {
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

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* AddCommand(QMenu* menu, int id, const QString& text, bool checkable = false);
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
