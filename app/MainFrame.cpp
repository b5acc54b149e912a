#include "MainFrame.h"

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

#include "CommandIds.h"
#include "MessageBox.h"
#include "NoteFile.h"
#include "NoteScrollView.h"
#include "NoteUndoHistory.h"
#include "XmlPrimitives.h"

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

QAction* CMainFrame::AddCommand(QMenu* menu, int id, const QString& text, bool checkable) {
    QAction* action = Action(id);
    if (action == nullptr) {
        action = new QAction(text, this);
        action->setCheckable(checkable);
        connect(action, &QAction::triggered, this, [this, id] { RouteCommand(id); });
        m_actions[id] = action;
    }
    if (menu != nullptr) menu->addAction(action);
    return action;
}

void CMainFrame::BuildMenus() {
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    AddCommand(edit, kUndo, QStringLiteral("&Undo"))
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)});
    AddCommand(edit, kRedo, QStringLiteral("&Redo"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    edit->addSeparator();
    // The editor binds these keys itself; the menu only names them.
    AddCommand(edit, kCut, QStringLiteral("Cu&t\tCtrl+X"));
    AddCommand(edit, kCopy, QStringLiteral("&Copy\tCtrl+C"));
    AddCommand(edit, kCopyTextOnly, QStringLiteral("Copy Te&xt Only\tCtrl+Shift+C"));
    AddCommand(edit, kPaste, QStringLiteral("&Paste\tCtrl+V"));
    edit->addSeparator();
    AddCommand(edit, kSelectAll, QStringLiteral("Select &All"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
    edit->addSeparator();
    AddCommand(edit, kFind, QStringLiteral("&Find...\tCtrl+F"));
    AddCommand(edit, kFindNext, QStringLiteral("Find &Next\tF3"));
    AddCommand(edit, kFindReplace, QStringLiteral("Find and R&eplace...\tCtrl+Shift+F"));
    edit->addSeparator();
    AddCommand(edit, kPrint, QStringLiteral("&Print..."))
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::Key_P), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F12)});
    AddCommand(edit, kPrintPreview, QStringLiteral("Print Pre&view"))
        ->setShortcuts(
            {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P), QKeySequence(Qt::CTRL | Qt::Key_F2)});

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    AddCommand(view, kStyleToolbar, QStringLiteral("St&yle Toolbar"), true);
    AddCommand(view, kStatusBar, QStringLiteral("&Status Bar"), true);
    QMenu* sizes = view->addMenu(QStringLiteral("&Text Size"));
    AddCommand(sizes, kTextSizeLargest, QStringLiteral("Lar&gest"), true);
    AddCommand(sizes, kTextSizeLarger, QStringLiteral("&Larger"), true);
    AddCommand(sizes, kTextSizeMedium, QStringLiteral("&Medium"), true);
    AddCommand(sizes, kTextSizeSmaller, QStringLiteral("&Smaller"), true);
    AddCommand(sizes, kTextSizeSmallest, QStringLiteral("Sm&allest"), true);

    QMenu* styles = menuBar()->addMenu(QStringLiteral("&Styles"));
    AddCommand(styles, kNormal, QStringLiteral("&Normal\tCtrl+Space"), true);
    AddCommand(styles, kHeader1, QStringLiteral("Header &1\tCtrl+1"), true);
    AddCommand(styles, kHeader2, QStringLiteral("Header &2\tCtrl+2"), true);
    AddCommand(styles, kHeader3, QStringLiteral("Header &3\tCtrl+3"), true);
    styles->addSeparator();
    AddCommand(styles, kUncheckedList, QStringLiteral("&Unchecked List\tCtrl+4"), true);
    AddCommand(styles, kCheckedList, QStringLiteral("&Checked List\tCtrl+5"), true);
    AddCommand(styles, kNegativeList, QStringLiteral("Ne&gative List\tCtrl+6"), true);
    AddCommand(styles, kPositiveList, QStringLiteral("&Positive List\tCtrl+7"), true);
    AddCommand(styles, kFixedWidth, QStringLiteral("&Fixed Width\tCtrl+0"), true);
    styles->addSeparator();
    AddCommand(styles, kIndent, QStringLiteral("&Indent\tTab"));
    AddCommand(styles, kOutdent, QStringLiteral("&Outdent\tShift+Tab"));
    styles->addSeparator();
    AddCommand(styles, kStrong, QStringLiteral("&Strong\tCtrl+B"), true);
    AddCommand(styles, kHighlight, QStringLiteral("&Highlight\tCtrl+J"), true);
    AddCommand(styles, kComment, QStringLiteral("Co&mment\tCtrl+I"), true);
    for (QMenu* menu : {edit, view, sizes, styles})
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
}

void CMainFrame::BuildToolbar() {
    m_styleToolbar = addToolBar(QStringLiteral("Styles"));
    m_styleToolbar->setObjectName(QStringLiteral("StyleToolbar"));
    struct Button {
        int id;
        const char* label;
    };
    static constexpr Button kButtons[] = {{kHeader1, "H1"},
                                          {kHeader2, "H2"},
                                          {kHeader3, "H3"},
                                          {0, nullptr},
                                          {kUncheckedList, "\u2610"},
                                          {kCheckedList, "\u2611"},
                                          {kNegativeList, "\u2212"},
                                          {kPositiveList, "+"},
                                          {0, nullptr},
                                          {kFixedWidth, "Fx"},
                                          {0, nullptr},
                                          {kOutdent, "\u21E4"},
                                          {kIndent, "\u21E5"},
                                          {0, nullptr},
                                          {kStrong, "B"},
                                          {kComment, "I"},
                                          {kHighlight, "Hi"}};
    for (const Button& button : kButtons) {
        if (button.label == nullptr) {
            m_styleToolbar->addSeparator();
            continue;
        }
        QAction* action = Action(button.id);
        QAction* tool = m_styleToolbar->addAction(QString::fromUtf8(button.label));
        tool->setToolTip(action->text().section(QChar(u'\t'), 0, 0).remove(QChar(u'&')));
        tool->setCheckable(action->isCheckable());
        const int id = button.id;
        connect(tool, &QAction::triggered, this, [this, id] { RouteCommand(id); });
        // The button mirrors its menu command's state.
        connect(action, &QAction::changed, tool, [action, tool] {
            tool->setEnabled(action->isEnabled());
            tool->setChecked(action->isChecked());
        });
    }
}

void CMainFrame::RouteCommand(int id) {
    if (id == kStyleToolbar) {
        m_styleToolbar->setVisible(!m_styleToolbar->isVisible());
    } else if (id == kStatusBar) {
        statusBar()->setVisible(!statusBar()->isVisible());
    } else {
        m_editor->OnCommand(id);
    }
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
        if (id == kStyleToolbar) {
            action->setChecked(m_styleToolbar != nullptr && !m_styleToolbar->isHidden());
            continue;
        }
        if (id == kStatusBar) {
            action->setChecked(!statusBar()->isHidden());
            continue;
        }
        const CNoteScrollView::CommandState state = m_editor->QueryCommandState(id);
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
