#include "app/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <filesystem>
#include <system_error>

#include "commands/CommandIds.h"
#include "commands/CommandTable.h"
#include "editor/CommandKeys.h"
#include "editor/MessageBox.h"
#include "editor/NoteScrollView.h"
#include "storage/NotesFolderSettings.h"
#include "tree/IndexView.h"

using namespace CommandIds;

CMainFrame::CMainFrame(NoteTreeEngine::CProfileSettings& settings,
                       NoteTreeEngine::CFolderPicker& picker, QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_picker(picker) {
    setWindowTitle(QStringLiteral("Jotwell"));
    m_statusPane = new QLabel(QString::fromLatin1(kIdlePrompt), this);
    m_unsavedPane = new QLabel(this);
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_tree = new CIndexView(settings, picker, *this, m_splitter);
    m_tree->setMinimumWidth(50);
    m_editor = new CNoteScrollView(m_splitter);
    m_editor->setMinimumWidth(50);
    m_splitter->addWidget(m_tree);
    m_splitter->addWidget(m_editor);
    m_splitter->setStretchFactor(0, 3);
    m_splitter->setStretchFactor(1, 7);
    setCentralWidget(m_splitter);
    resize(900, 640);
    m_splitter->setSizes({270, 630});
    m_tree->SetEditor(*m_editor);
    m_tree->SetCommandRouter([this](int id) { RouteCommand(id); });

    statusBar()->addWidget(m_statusPane, 1);
    statusBar()->addPermanentWidget(m_unsavedPane);
    connect(m_editor, &CNoteScrollView::statusTextChanged, m_statusPane, &QLabel::setText);
    connect(m_tree, &CIndexView::statusTextChanged, m_statusPane, &QLabel::setText);
    connect(m_editor, &CNoteScrollView::commandStatesChanged, this,
            &CMainFrame::ScheduleStateUpdate);
    connect(qApp, &QApplication::focusChanged, this, &CMainFrame::ScheduleStateUpdate);
    BuildMenus();
    m_standardToolbar = BuildToolbar(QStringLiteral("Standard"), Commands::StandardToolbar());
    m_styleToolbar = BuildToolbar(QStringLiteral("Styles"), Commands::StyleToolbar());
    UpdateCommandStates();
    m_editor->setFocus();
}

CMainFrame::~CMainFrame() {
    // Closing the window moves the editor's focus while the frame is going; it is told no more.
    disconnect(m_editor, nullptr, this, nullptr);
    disconnect(qApp, nullptr, this, nullptr);
    // The tree saves and unloads its notes while the editor that shows them still exists.
    delete m_tree;
    m_tree = nullptr;
}

bool CMainFrame::StartUp(const QStringList& treeFiles) {
    std::u16string folder = NoteTreeEngine::GetNotesFolder(m_settings);
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(std::filesystem::path(folder), error)) {
        folder = NoteTreeEngine::ChooseNotesFolder(m_picker);
        if (folder.empty()) return false;
        NoteTreeEngine::SetNotesFolder(m_settings, folder);
    }
    m_tree->LoadTree();
    for (const QString& path : treeFiles)
        m_tree->OpenTreeFile(path);
    m_editor->setFocus();
    UpdateCommandStates();
    return true;
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

QToolBar* CMainFrame::BuildToolbar(const QString& name, std::span<const int> items) {
    QToolBar* toolbar = addToolBar(name);
    toolbar->setObjectName(name + QStringLiteral("Toolbar"));
    for (const int id : items) {
        const Commands::Command* command = Commands::FindCommand(id);
        if (command == nullptr) {
            toolbar->addSeparator();
            continue;
        }
        QAction* action = AddCommand(nullptr, *command);
        QAction* tool = toolbar->addAction(QString::fromUtf8(command->toolText));
        tool->setToolTip(NoteEditor::PlainLabelOf(*command));
        tool->setStatusTip(action->statusTip());
        tool->setCheckable(action->isCheckable());
        connect(tool, &QAction::triggered, this, [this, id] { RouteCommand(id); });
        // The button mirrors its menu command's state.
        connect(action, &QAction::changed, tool, [action, tool] {
            tool->setEnabled(action->isEnabled());
            tool->setChecked(action->isChecked());
        });
        m_toolButtons[id] = tool;
    }
    return toolbar;
}

QAction* CMainFrame::ToolButton(int id) const {
    const auto found = m_toolButtons.find(id);
    return found == m_toolButtons.end() ? nullptr : found->second;
}

QString CMainFrame::StatusText() const {
    return m_statusPane->text();
}

QString CMainFrame::UnsavedText() const {
    return m_unsavedPane->text();
}

void CMainFrame::ShowUnsavedNotes(std::u16string_view text) {
    m_unsavedPane->setText(
        QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size())));
}

bool CMainFrame::OnCommand(int id) {
    if (id == kStyleToolbar) {
        m_styleToolbar->setVisible(!m_styleToolbar->isVisible());
    } else if (id == kStandardToolbar) {
        m_standardToolbar->setVisible(!m_standardToolbar->isVisible());
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
    } else if (id == kStandardToolbar) {
        state.checked = m_standardToolbar != nullptr && !m_standardToolbar->isHidden();
    } else if (id == kStatusBar) {
        state.checked = !statusBar()->isHidden();
    } else {
        return state;
    }
    state.handled = true;
    state.enabled = true;
    return state;
}

std::array<Commands::ICommandTarget*, 3> CMainFrame::CommandRoute(int id) {
    if (id == kPrint || id == kPrintDirect || id == kPrintPreview)
        return {m_editor, nullptr, nullptr};
    if (m_tree->IsTreeActive()) return {m_tree, this, m_editor};
    return {m_editor, this, m_tree};
}

void CMainFrame::RouteCommand(int id) {
    for (Commands::ICommandTarget* target : CommandRoute(id))
        if (target != nullptr && target->OnCommand(id)) break;
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
        for (Commands::ICommandTarget* target : CommandRoute(id)) {
            if (target == nullptr) break;
            state = target->QueryCommandState(id);
            if (state.handled) break;
        }
        action->setEnabled(state.handled && state.enabled);
        if (action->isCheckable()) action->setChecked(state.checked);
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Nothing typed may go silently: a note that could not be written anywhere and that the user
    // keeps keeps the window.
    if (!m_tree->UnloadTree()) {
        event->ignore();
        return;
    }
    event->accept();
}
