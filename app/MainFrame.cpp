#include "app/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <iostream>

#include "app/AboutBox.h"
#include "app/DataFolder.h"
#include "app/ExportCommand.h"
#include "app/HelpWindow.h"
#include "app/KeyboardLocks.h"
#include "app/RecoveredNotesDialog.h"
#include "app/WindowState.h"
#include "base/CommandIds.h"
#include "commands/CommandTable.h"
#include "editor/NoteScrollView.h"
#include "storage/NotesFolderSettings.h"
#include "tree/IndexView.h"
#include "tree/SearchPane.h"
#include "ui/CommandKeys.h"
#include "ui/MessageBox.h"
#include "ui/QtFolderWatch.h"
#include "ui/QtPrompts.h"
#include "ui/QtSaveTimer.h"
#include "ui/Settings.h"
#include "ui/StatusPane.h"
#include "ui/SvgIconEngine.h"
#include "ui/WaitCursor.h"

using namespace CommandIds;

namespace {

QIcon ToolbarIcon(const Commands::Command& command) {
    const QIcon own = CSvgIconEngine::Icon(
        DataFolder::Path() + QStringLiteral("/icons/toolbar/") +
        QString::fromUtf8(command.icon.data(), qsizetype(command.icon.size())) +
        QStringLiteral(".svg"));
    if (command.themeIcon.empty()) return own;
    return QIcon::fromTheme(
        QString::fromUtf8(command.themeIcon.data(), qsizetype(command.themeIcon.size())), own);
}

}  // namespace

QIcon ProgramIcon() {
    return CSvgIconEngine::Icon(DataFolder::Path() + QStringLiteral("/icons/jotwell.svg"));
}

CMainFrame::CMainFrame(NoteTreeEngine::CProfileSettings& settings,
                       NoteTreeEngine::CFolderPicker& picker, QWidget* parent)
    : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Jotwell"));
    m_statusPane = new CStatusPane(QCoreApplication::translate("Status", kIdlePrompt), this);
    m_unsavedPane = new QLabel(this);
    m_capsPane = new QLabel(this);
    m_numPane = new QLabel(this);
    for (QLabel* pane : {m_capsPane, m_numPane}) {
        // Room for the text while off, so the bar does not jump, whatever the language's words.
        const QFontMetrics metrics = pane->fontMetrics();
        pane->setMinimumWidth(
            std::max({metrics.horizontalAdvance(QStringLiteral(" CAPS ")),
                      metrics.horizontalAdvance(tr("CAP") + QStringLiteral("  ")),
                      metrics.horizontalAdvance(tr("NUM") + QStringLiteral("  "))}));
        pane->setAlignment(Qt::AlignCenter);
    }
    m_prompts = std::make_unique<CQtPrompts>(this, picker);
    m_saveTimer = std::make_unique<CQtSaveTimer>([this] {
        CWaitCursor wait;
        m_session->OnSaveTimer();
    });
    m_session = std::make_unique<NoteTreeEngine::CNoteSession>(
        *m_prompts, settings, *this, *m_saveTimer, NoteStorage::FileSystem());
    m_folderWatch = std::make_unique<CQtFolderWatch>(
        [this](const std::filesystem::path& changed) { m_session->OnDiskChanged(changed); });
    m_session->SetFolderWatch(m_folderWatch.get());
    // Another program may have changed the notes, or removed their folder, while this one was in
    // the background; the search index looks again on the same signal.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive) m_session->OnActivated();
            });
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_tree = new CIndexView(*m_session, m_splitter);
    m_tree->setMinimumWidth(50);
    m_editor = new CNoteScrollView(m_splitter);
    m_editor->setMinimumWidth(50);
    NoteLayoutEngine::CNoteView& editorView = m_editor->View();
    m_shownNotes = std::make_unique<NoteTreeEngine::CViewShownNotes>(editorView);
    m_session->SetShownNotes(m_shownNotes.get());
    m_splitter->addWidget(m_tree);
    m_splitter->addWidget(m_editor);
    m_splitter->setStretchFactor(0, 3);
    m_splitter->setStretchFactor(1, 7);
    setCentralWidget(m_splitter);
    setWindowIcon(ProgramIcon());
    resize(900, 640);
    m_tree->SetEditor(*m_editor);
    connect(m_editor, &CNoteScrollView::caretNoteChanged, m_tree, &CIndexView::NoteBecameCurrent);
    m_tree->SetCommandRouter([this](int id) { RouteCommand(id); });
    m_searchPane = new CSearchPane(*m_session, *m_tree, *m_editor, editorView, this);
    // Typing in the editor changes the notes searched as well.
    connect(m_editor, &CNoteScrollView::commandStatesChanged, m_searchPane,
            &CSearchPane::NotesEdited);
    addDockWidget(Qt::LeftDockWidgetArea, m_searchPane);
    WindowState::RestoreDock(*m_searchPane, Settings::kSearchPaneVisible);
    m_export = std::make_unique<CExportCommand>(*this, *m_session);

    statusBar()->addWidget(m_statusPane, 1);
    statusBar()->addPermanentWidget(m_unsavedPane);
    statusBar()->addPermanentWidget(m_capsPane);
    statusBar()->addPermanentWidget(m_numPane);
    ShowLockStates(false, false);
    UpdateLockStates();
    connect(m_editor, &CNoteScrollView::statusTextChanged, m_statusPane, &CStatusPane::SetText);
    connect(m_tree, &CIndexView::statusTextChanged, m_statusPane, &CStatusPane::SetText);
    connect(m_editor, &CNoteScrollView::commandStatesChanged, this,
            &CMainFrame::ScheduleStateUpdate);
    connect(qApp, &QApplication::focusChanged, this, &CMainFrame::ScheduleStateUpdate);
    // The lock keys may have changed while another program had the keyboard.
    connect(qApp, &QApplication::focusChanged, this, &CMainFrame::UpdateLockStates);
    BuildMenus();
    m_editor->Spelling().UseInstalledDictionaries(m_editor->viewport());
    m_searchPane->Search().ReadAfterFirstPaintOf(*m_editor->viewport());
    // An ending program reads no dictionary: the exit would wait for it.
    connect(this, &CMainFrame::Ended, &m_editor->Spelling(), &CSpelling::Stop);
    m_editor->Spelling().AttachMenu(Action(kCheckSpelling), Action(kSpellingLanguage));
    m_standardToolbar =
        BuildToolbar(QStringLiteral("Standard"), tr("Standard"), Commands::StandardToolbar());
    m_styleToolbar = BuildToolbar(QStringLiteral("Styles"), tr("Styles"), Commands::StyleToolbar());
    WindowState::RestoreBars(*m_standardToolbar, *m_styleToolbar, *statusBar());
    WindowState::RestoreSplitter(*m_splitter, width());
    CreateTray();
    // The lock keys are read from every key event the program gets.
    qApp->installEventFilter(this);
    // The desktop session ending: the state and the notes are saved while the session manager
    // waits, asking nobody; the program then ends as on Exit.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] {
        SaveState();
        m_session->EndUnattended(std::cerr);
        // The session's quit closes every window first; the frame must then let go. Should the
        // session go on after all, a later close box ends the program.
        m_sessionEnding = true;
    });
    connect(qApp, &QCoreApplication::aboutToQuit, this, &CMainFrame::EndSession);
    UpdateCommandStates();
    m_editor->setFocus();
}

void CMainFrame::CreateTray() {
    m_hasTray = m_tray.Create(ProgramIcon());
    connect(&m_tray, &CTrayIcon::OpenRequested, this, [this] { RouteCommand(kOpen); });
    connect(&m_tray, &CTrayIcon::NewNoteRequested, this,
            [this] { RouteCommand(kNewNoteFromTray); });
    connect(&m_tray, &CTrayIcon::ExitRequested, this, [this] { RouteCommand(kExit); });
}

CMainFrame::~CMainFrame() {
    // Closing the window moves the editor's focus while the frame is going; it is told no more.
    disconnect(m_editor, nullptr, this, nullptr);
    disconnect(qApp, nullptr, this, nullptr);
    qApp->removeEventFilter(this);
    // The notes are saved and unloaded while the editor that shows them still exists, and the
    // panes that view the session go before it.
    m_session->Close();
    delete m_searchPane;
    m_searchPane = nullptr;
    delete m_tree;
    m_tree = nullptr;
}

void CMainFrame::LoadTree() {
    m_tree->LoadTree();
    m_editor->setFocus();
    UpdateCommandStates();
}

void CMainFrame::OpenTreeFile(const QString& path) {
    m_tree->OpenTreeFile(path);
    UpdateCommandStates();
}

void CMainFrame::SaveState() {
    Settings::CBatch batch;
    WindowState::SaveWindow(*this);
    WindowState::SaveSplitter(*m_splitter);
    WindowState::SaveBars(*m_standardToolbar, *m_styleToolbar, *statusBar());
    WindowState::SaveDock(*m_searchPane, Settings::kSearchPaneVisible);
}

void CMainFrame::Exit() {
    if (m_ended) return;
    SaveState();
    if (!m_tree->UnloadTree()) return;
    m_ended = true;
    emit Ended();
}

void CMainFrame::EndSession() {
    if (m_ended) return;
    SaveState();
    // What cannot be saved goes to recovery files before the kill that follows a termination
    // signal; nothing waits for an answer.
    m_session->EndUnattended(std::cerr);
    m_ended = true;
    emit Ended();
}

void CMainFrame::CloseToTray() {
    // Without a tray a hidden window could not be brought back.
    if (m_hasTray) {
        CTrayIcon::HideToTray(this);
    } else {
        showMinimized();
    }
}

QString CMainFrame::CapsLockText() const {
    return m_capsPane->text();
}

QString CMainFrame::NumLockText() const {
    return m_numPane->text();
}

void CMainFrame::ShowLockStates(bool capsLock, bool numLock) {
    m_capsPane->setText(capsLock ? tr("CAP") : QString());
    m_numPane->setText(numLock ? tr("NUM") : QString());
}

void CMainFrame::UpdateLockStates() {
    if (const auto state = KeyboardLocks::Query()) ShowLockStates(state->capsLock, state->numLock);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // The event's mask holds the locks before the key, which only a lock key changes: the
        // window system is asked after those alone, not with a round trip at every keystroke.
        const bool lockKey = key->key() == Qt::Key_CapsLock || key->key() == Qt::Key_NumLock;
        const auto state =
            (lockKey ? KeyboardLocks::Query() : std::nullopt)
                .value_or(KeyboardLocks::FromNativeModifiers(key->nativeModifiers()));
        ShowLockStates(state.capsLock, state.numLock);
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::ShowHelp(int id) {
    if (m_help == nullptr)
        m_help = new CHelpWindow(DataFolder::Path() + QStringLiteral("/help"), this);
    if (id == kHelpIndex) {
        m_help->ShowIndex();
    } else if (id == kHelpSearch) {
        m_help->ShowSearch();
    } else {
        m_help->ShowContents();
    }
}

void CMainFrame::FocusOtherPane() {
    // Two panes: the next and the previous are the same one.
    if (m_tree->hasFocus()) {
        m_editor->setFocus(Qt::TabFocusReason);
    } else {
        m_tree->setFocus(Qt::TabFocusReason);
    }
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
        action = new QAction(
            command.accelerator ? NoteEditor::LabelOf(command) : NoteEditor::MenuTextOf(command),
            this);
        if (command.accelerator) action->setShortcuts(NoteEditor::KeySequencesOf(command));
        action->setStatusTip(NoteEditor::StatusTipOf(command));
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
        const QString title = NoteEditor::TitleOf(layout);
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
    // Accelerators without a menu item (next and previous pane) are bound to the window itself.
    for (const Commands::Command& command : Commands::AllCommands())
        if (command.accelerator && Action(command.id) == nullptr)
            addAction(AddCommand(nullptr, command));
}

QToolBar* CMainFrame::BuildToolbar(const QString& name, const QString& title,
                                   std::span<const int> items) {
    QToolBar* toolbar = addToolBar(title);
    toolbar->setObjectName(name + QStringLiteral("Toolbar"));
    toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar->setIconSize(QSize(16, 16));
    // The button that shows the tools a narrow window leaves out has an arrow and no text.
    for (QToolButton* more : toolbar->findChildren<QToolButton*>())
        more->setAccessibleName(tr("More Tools"));
    for (const int id : items) {
        const Commands::Command* command = Commands::FindCommand(id);
        if (command == nullptr) {
            toolbar->addSeparator();
            continue;
        }
        QAction* action = AddCommand(nullptr, *command);
        QAction* tool =
            toolbar->addAction(ToolbarIcon(*command), NoteEditor::PlainLabelOf(*command));
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
    return m_statusPane->Text();
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
    } else if (id == kCloseToTray) {
        CloseToTray();
    } else if (id == kExit) {
        Exit();
    } else if (id == kOpen) {
        CTrayIcon::ShowFromTray(this);
    } else if (id == kNewNoteFromTray) {
        CTrayIcon::ShowFromTray(this);
        RouteCommand(kNewNote);
    } else if (id == kHelpContents || id == kHelpIndex || id == kHelpSearch) {
        ShowHelp(id);
    } else if (id == kAbout) {
        CAboutBox about(ProgramIcon(), this);
        about.exec();
    } else if (id == kNextPane || id == kPreviousPane) {
        FocusOtherPane();
    } else if (id == kFindInAllNotes) {
        m_searchPane->ShowAndFocus();
    } else if (id == kExport) {
        m_export->Run();
    } else if (id == kRecoveredNotes) {
        CRecoveredNotesDialog dialog(m_session->RecoveredNotes(), this);
        if (dialog.exec() == QDialog::Accepted) {
            CWaitCursor wait;
            m_session->ImportRecoveredNotes(dialog.Chosen());
        }
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
    } else if (id == kExport) {
        state.handled = true;
        state.enabled = m_export->IsEnabled();
        return state;
    } else if (id == kRecoveredNotes) {
        state.handled = true;
        state.enabled = m_session->IsLoaded() && m_session->HasRecoveredNotes();
        return state;
    } else if (id != kCloseToTray && id != kExit && id != kOpen && id != kNewNoteFromTray &&
               id != kHelpContents && id != kHelpIndex && id != kHelpSearch && id != kAbout &&
               id != kNextPane && id != kPreviousPane && id != kFindInAllNotes) {
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
        UpdateStates(false);
    });
}

void CMainFrame::UpdateCommandStates() {
    UpdateStates(true);
}

void CMainFrame::UpdateStates(bool readDisk) {
    for (auto& [id, action] : m_actions) {
        if (!readDisk && id == kRecoveredNotes) continue;
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
    // The window's close box only hides the window; Exit and the session's end end the program.
    if (m_sessionEnding) EndSession();
    if (m_ended) {
        event->accept();
        return;
    }
    event->ignore();
    CloseToTray();
}
