#include "app/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <filesystem>
#include <new>

#include "commands/CommandIds.h"
#include "commands/CommandTable.h"
#include "editor/CommandKeys.h"
#include "editor/MessageBox.h"
#include "editor/NoteScrollView.h"
#include "model/NoteUndoHistory.h"
#include "storage/NoteFile.h"
#include "storage/XmlPrimitives.h"

using namespace CommandIds;

namespace {

std::filesystem::path ToPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

}  // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Jotwell"));
    m_splitter = new QSplitter(Qt::Horizontal, this);
    // The tree pane arrives with the note tree; its place is kept.
    auto* treePlace = new QWidget(m_splitter);
    treePlace->setMinimumWidth(50);
    m_editor = new CNoteScrollView(m_splitter);
    m_editor->setMinimumWidth(50);
    m_splitter->addWidget(treePlace);
    m_splitter->addWidget(m_editor);
    m_splitter->setStretchFactor(0, 3);
    m_splitter->setStretchFactor(1, 7);
    setCentralWidget(m_splitter);
    resize(900, 640);
    m_splitter->setSizes({270, 630});

    m_statusPane = new QLabel(QString::fromLatin1(kIdlePrompt), this);
    statusBar()->addWidget(m_statusPane, 1);
    connect(m_editor, &CNoteScrollView::statusTextChanged, m_statusPane, &QLabel::setText);
    connect(m_editor, &CNoteScrollView::commandStatesChanged, this,
            &CMainFrame::ScheduleStateUpdate);
    BuildMenus();
    BuildToolbar();
    UpdateCommandStates();
    m_editor->setFocus();
}

CMainFrame::~CMainFrame() {
    // Closing the window moves the editor's focus while the frame is going; it is told no more.
    disconnect(m_editor, nullptr, this, nullptr);
    // The editor goes before the notes it shows.
    for (OpenNote& note : m_notes)
        m_editor->RemoveNote(note.document.get());
}

QAction* CMainFrame::Action(int id) const {
    const auto found = m_actions.find(id);
    return found == m_actions.end() ? nullptr : found->second;
}

QAction* CMainFrame::AddCommand(QMenu* menu, const Commands::Command& command) {
    const int id = command.id;
    QAction* action = Action(id);
    if (action == nullptr) {
        // Accelerators are bound here, window-wide; other keys belong to their pane and the
        // menu only names them.
        action = new QAction(command.accelerator ? QString::fromUtf8(command.label)
                                                 : NoteEditor::MenuTextOf(command),
                             this);
        if (command.accelerator) action->setShortcuts(NoteEditor::KeySequencesOf(command));
        action->setStatusTip(QString::fromUtf8(command.statusTip));
        action->setCheckable(command.checkable);
        connect(action, &QAction::triggered, this, [this, id] { RouteCommand(id); });
        m_actions[id] = action;
    }
    if (menu != nullptr) menu->addAction(action);
    return action;
}

void CMainFrame::BuildMenus() {
    std::vector<QMenu*> menus;
    for (const Commands::Menu& layout : Commands::MainMenus()) {
        const QString title = QString::fromUtf8(layout.title);
        QMenu* menu = layout.parent == Commands::kNoParent
                          ? menuBar()->addMenu(title)
                          : menus[size_t(layout.parent)]->addMenu(title);
        for (const int id : layout.items) {
            if (const Commands::Command* command = Commands::FindCommand(id)) {
                AddCommand(menu, *command);
            } else {
                menu->addSeparator();
            }
        }
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
        menus.push_back(menu);
    }
}

void CMainFrame::BuildToolbar() {
    m_styleToolbar = addToolBar(QStringLiteral("Styles"));
    m_styleToolbar->setObjectName(QStringLiteral("StyleToolbar"));
    for (const int id : Commands::StyleToolbar()) {
        const Commands::Command* command = Commands::FindCommand(id);
        if (command == nullptr) {
            m_styleToolbar->addSeparator();
            continue;
        }
        QAction* action = AddCommand(nullptr, *command);
        QAction* tool = m_styleToolbar->addAction(QString::fromUtf8(command->toolText));
        tool->setToolTip(NoteEditor::PlainLabelOf(*command));
        tool->setStatusTip(action->statusTip());
        tool->setCheckable(action->isCheckable());
        connect(tool, &QAction::triggered, this, [this, id] { RouteCommand(id); });
        // The button mirrors its menu command's state.
        connect(action, &QAction::changed, tool, [action, tool] {
            tool->setEnabled(action->isEnabled());
            tool->setChecked(action->isChecked());
        });
    }
}

bool CMainFrame::OnCommand(int id) {
    if (id == kStyleToolbar) {
        m_styleToolbar->setVisible(!m_styleToolbar->isVisible());
    } else if (id == kStatusBar) {
        statusBar()->setVisible(!statusBar()->isVisible());
    } else {
        return false;
    }
    return true;
}

Commands::CommandState CMainFrame::QueryCommandState(int id) {
    Commands::CommandState state;
    if (id == kStyleToolbar) {
        state.checked = m_styleToolbar != nullptr && !m_styleToolbar->isHidden();
    } else if (id == kStatusBar) {
        state.checked = !statusBar()->isHidden();
    } else {
        return state;
    }
    state.handled = true;
    state.enabled = true;
    return state;
}

std::array<Commands::ICommandTarget*, 2> CMainFrame::CommandRoute() {
    // The active view, then the frame; the index view follows once the tree exists. The editor
    // is the only view so far, so the print commands reach it as they must.
    return {m_editor, this};
}

void CMainFrame::RouteCommand(int id) {
    for (Commands::ICommandTarget* target : CommandRoute())
        if (target->OnCommand(id)) break;
    UpdateCommandStates();
}

void CMainFrame::ScheduleStateUpdate() {
    if (m_stateUpdatePending) return;
    m_stateUpdatePending = true;
    QTimer::singleShot(0, this, [this] {
        m_stateUpdatePending = false;
        UpdateCommandStates();
    });
}

void CMainFrame::UpdateCommandStates() {
    for (auto& [id, action] : m_actions) {
        Commands::CommandState state;
        for (Commands::ICommandTarget* target : CommandRoute()) {
            state = target->QueryCommandState(id);
            if (state.handled) break;
        }
        action->setEnabled(state.handled && state.enabled);
        if (action->isCheckable()) action->setChecked(state.checked);
    }
}

bool CMainFrame::OpenNotes(const std::vector<QString>& paths) {
    bool allRead = true;
    NoteEditEngine::CNoteDocument* after = nullptr;
    for (const QString& path : paths) {
        std::unique_ptr<NoteEditEngine::CNoteDocument> document;
        bool read = false;
        try {
            document = std::make_unique<NoteEditEngine::CNoteDocument>();
            read = NoteStorage::LoadNoteFile(NoteStorage::FileSystem(), ToPath(path), *document) ==
                   NoteStorage::NoteFileRead::Read;
        } catch (const std::bad_alloc&) {
            // The half-read note goes; the notes already open stay as they are.
            document.reset();
            ReportTooLarge(path);
            allRead = false;
            continue;
        }
        if (!read) {
            // A file that is no note is left alone: saving over it would destroy it.
            MessageBox::Show(this, QStringLiteral("The note \"%1\" could not be read.").arg(path),
                             QMessageBox::Warning);
            allRead = false;
            continue;
        }
        m_notes.push_back({std::move(document), QFileInfo(path).absoluteFilePath(), 0, 0, 0});
        m_notes.back().savedModified = m_notes.back().document->Modified();
        try {
            m_editor->AddNote(m_notes.back().document.get(), after);
        } catch (const std::bad_alloc&) {
            // Laying it out ran out of memory: the note is not shown, and not saved over.
            m_editor->RemoveNote(m_notes.back().document.get());
            m_notes.pop_back();
            ReportTooLarge(path);
            allRead = false;
            continue;
        }
        after = m_notes.back().document.get();
    }
    if (m_notes.empty()) {
        m_notes.push_back({std::make_unique<NoteEditEngine::CNoteDocument>(), QString(), 0, 0, 0});
        m_editor->AddNote(m_notes.back().document.get(), nullptr);
        setWindowTitle(QStringLiteral("Jotwell - new note (not saved)"));
    } else {
        QStringList names;
        for (const OpenNote& note : m_notes)
            names << QFileInfo(note.path).fileName();
        setWindowTitle(QStringLiteral("Jotwell - %1").arg(names.join(QStringLiteral(", "))));
    }
    return allRead;
}

void CMainFrame::ReportTooLarge(const QString& path) {
    MessageBox::Show(this,
                     QStringLiteral("The note \"%1\" is too large to be opened. The other notes "
                                    "are not affected.")
                         .arg(path),
                     QMessageBox::Warning);
}

bool CMainFrame::SaveNotes() {
    bool saved = true;
    for (OpenNote& note : m_notes) {
        if (note.path.isEmpty()) continue;
        const auto& history = note.document->UndoHistory();
        const bool changed = history.Steps().size() != note.savedSteps ||
                             history.Done() != note.savedDone ||
                             note.document->Modified() != note.savedModified;
        if (!changed) continue;
        std::u16string text;
        NoteStorage::WriteNoteFileText(*note.document, text);
        if (!NoteStorage::WriteUtf8File(ToPath(note.path), text)) {
            MessageBox::Show(this,
                             QStringLiteral("The note could not be saved to \"%1\". Its text is "
                                            "still open in the editor.")
                                 .arg(note.path),
                             QMessageBox::Warning);
            saved = false;
            continue;
        }
        note.savedModified = note.document->Modified();
        note.savedSteps = history.Steps().size();
        note.savedDone = history.Done();
    }
    return saved;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Nothing typed may go silently: a failed save keeps the window and its text.
    if (!SaveNotes()) {
        event->ignore();
        return;
    }
    event->accept();
}
