#include "tree/IndexView.h"

#include <QApplication>
#include <QFont>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

#include "base/CommandIds.h"
#include "commands/CommandTable.h"
#include "tree/NoteItemText.h"
#include "tree/NoteTreeItem.h"
#include "ui/CommandKeys.h"
#include "ui/SvgIconEngine.h"
#include "ui/WaitCursor.h"

using NoteTreeEngine::CTreeItemRecord;
using NoteTreeEngine::TreeItem;

namespace {

QString ToQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

}  // namespace

CIndexView::CIndexView(NoteTreeEngine::CNoteSession& session, QWidget* parent)
    : CDragAndDropTreeView(parent), m_session(session), m_tree(session.Tree()) {
    setMouseTracking(true);
    setAccessibleName(tr("Notes"));
    // The column fits the labels in view: measuring the first thousand rows at every label change
    // made a selection of a thousand notes measure a million labels.
    header()->setResizeContentsPrecision(0);
    for (const int index : {0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 12})
        m_icons[size_t(index)] =
            CSvgIconEngine::Icon(QStringLiteral(":/icons/tree/note%1.svg").arg(index));
    // The user opens and closes items here; the tree keeps it for the index file.
    connect(this, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { m_tree.SetExpanded(Handle(item), true); });
    connect(this, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { m_tree.SetExpanded(Handle(item), false); });
    m_tree.AddObserver(this);
}

CIndexView::~CIndexView() {
    m_tree.RemoveObserver(this);
    if (m_editor != nullptr) disconnect(m_editor, nullptr, this, nullptr);
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(this, nullptr, this, nullptr);
    clear();
}

void CIndexView::SetEditor(QWidget& editor) {
    m_editor = &editor;
    // The pane last worked in is the active one; a menu or a toolbar taking the focus changes
    // nothing.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now == nullptr) return;
        if (now == this || isAncestorOf(now)) {
            m_treeActive = true;
        } else if (now == m_editor || m_editor->isAncestorOf(now)) {
            m_treeActive = false;
        }
    });
}

// --- Items and handles

QTreeWidgetItem* CIndexView::ItemOf(TreeItem handle) const {
    const auto found = m_items.find(handle);
    return found == m_items.end() ? nullptr : found->second;
}

TreeItem CIndexView::Handle(const QTreeWidgetItem* item) const {
    return item == nullptr ? NoteTreeEngine::kRootItem : CNoteTreeItem::Of(item).Handle();
}

QTreeWidgetItem* CIndexView::LevelOf(TreeItem parent) {
    return parent == NoteTreeEngine::kRootItem ? invisibleRootItem() : ItemOf(parent);
}

CTreeItemRecord& CIndexView::RecordOf(QTreeWidgetItem* item) {
    return m_tree.Record(Handle(item));
}

int CIndexView::IconIndexOf(QTreeWidgetItem* item) const {
    return m_tree.IconIndex(Handle(item));
}

std::pair<TreeItem, TreeItem> CIndexView::Place(const CInsertionPoint& point) const {
    TreeItem after = NoteTreeEngine::kLastItem;
    if (point.place == CInsertionPoint::Place::First) after = NoteTreeEngine::kFirstItem;
    if (point.place == CInsertionPoint::Place::After) after = Handle(point.after);
    return {Handle(point.parent), after};
}

// --- The note tree's changes

void CIndexView::ShowLabelAndIcon(QTreeWidgetItem* item, TreeItem handle) {
    const QString label = ToQString(m_tree.Title(handle));
    if (item->text(0) != label) item->setText(0, label);
    item->setIcon(0, m_icons[size_t(m_tree.IconIndex(handle))]);
}

void CIndexView::OnItemInserted(TreeItem handle) {
    QTreeWidgetItem* level = LevelOf(m_tree.Parent(handle));
    auto* item = new CNoteTreeItem(handle);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    ShowLabelAndIcon(item, handle);
    const int index = int(m_tree.IndexOf(handle));
    if (index == level->childCount()) {
        level->addChild(item);
    } else {
        level->insertChild(index, item);
    }
    m_items.emplace(handle, item);
    // A parent that was to show its children now has one to show.
    if (level != invisibleRootItem() && !level->isExpanded() &&
        m_tree.IsExpanded(m_tree.Parent(handle)))
        level->setExpanded(true);
}

void CIndexView::OnItemRemoving(TreeItem handle) {
    QTreeWidgetItem* item = ItemOf(handle);
    if (item == nullptr) return;
    QTreeWidgetItem* caret = Caret();
    if (caret != nullptr && (caret == item || IsAncestor(caret, item))) {
        if (QTreeWidgetItem* previous = PreviousVisible(item)) {
            SetCaret(previous);
        } else {
            ClearCaret();
        }
    }
    if (Anchor() != nullptr && (Anchor() == item || IsAncestor(Anchor(), item))) SetAnchor(nullptr);
    std::vector<QTreeWidgetItem*> pending{item};
    while (!pending.empty()) {
        QTreeWidgetItem* next = pending.back();
        pending.pop_back();
        Deselect(next, SelectCause::Program);
        m_items.erase(Handle(next));
        for (int i = 0; i < next->childCount(); ++i)
            pending.push_back(next->child(i));
    }
    delete item;
}

void CIndexView::OnItemMoved(TreeItem handle) {
    QTreeWidgetItem* item = ItemOf(handle);
    const TreeItem parent = m_tree.Parent(handle);
    PlaceItem(*item, parent == NoteTreeEngine::kRootItem ? nullptr : ItemOf(parent),
              int(m_tree.IndexOf(handle)));
    ShowExpansion(handle);
}

void CIndexView::ShowExpansion(TreeItem handle) {
    std::vector<TreeItem> pending{handle};
    while (!pending.empty()) {
        const TreeItem next = pending.back();
        pending.pop_back();
        if (m_tree.ChildCount(next) == 0) continue;
        QTreeWidgetItem* item = ItemOf(next);
        if (item->isExpanded() != m_tree.IsExpanded(next))
            item->setExpanded(m_tree.IsExpanded(next));
        for (const TreeItem child : m_tree.Children(next))
            pending.push_back(child);
    }
}

void CIndexView::OnItemChanged(TreeItem handle) {
    if (QTreeWidgetItem* item = ItemOf(handle)) ShowLabelAndIcon(item, handle);
}

void CIndexView::OnSelectionChanged(TreeItem handle, bool selected) {
    QTreeWidgetItem* item = ItemOf(handle);
    if (item == nullptr) return;
    if (selected) {
        Select(item, SelectCause::Program);
    } else {
        Deselect(item, SelectCause::Program);
    }
}

void CIndexView::OnExpandedChanged(TreeItem handle) {
    QTreeWidgetItem* item = ItemOf(handle);
    if (item != nullptr && item->isExpanded() != m_tree.IsExpanded(handle))
        item->setExpanded(m_tree.IsExpanded(handle));
}

void CIndexView::OnActiveChanged(TreeItem previous, TreeItem active) {
    if (QTreeWidgetItem* item = ItemOf(previous)) {
        QFont font = item->font(0);
        font.setBold(false);
        item->setFont(0, font);
    }
    QTreeWidgetItem* item = ItemOf(active);
    if (item == nullptr) return;
    QFont font = item->font(0);
    font.setBold(true);
    item->setFont(0, font);
    SetCaret(item);
}

void CIndexView::OnCaretSet(TreeItem handle) {
    if (QTreeWidgetItem* item = ItemOf(handle)) SetCaret(item);
}

void CIndexView::OnCleared() {
    // The widget forgets its selection with its items, without notifications.
    m_items.clear();
    clear();
}

// --- The user's selection goes to the session, whose selection drives the editor

void CIndexView::OnItemSelected(QTreeWidgetItem* item, SelectCause) {
    viewport()->update(visualItemRect(item));
    if (m_tree.IsSelected(Handle(item))) return;
    CWaitCursor wait;
    m_tree.Select(Handle(item));
}

void CIndexView::OnItemDeselected(QTreeWidgetItem* item, SelectCause) {
    viewport()->update(visualItemRect(item));
    if (!m_tree.IsSelected(Handle(item))) return;
    CWaitCursor wait;
    m_tree.Deselect(Handle(item));
}

void CIndexView::NoteBecameCurrent(NoteEditEngine::CNoteDocument* document) {
    m_session.NoteBecameCurrent(document);
}

void CIndexView::MoveItems(const std::vector<QTreeWidgetItem*>& items, const CInsertionPoint& to) {
    if (items.empty()) return;
    // A pending rename would name an item that moves away under the cursor.
    RenameTimer().stop();
    std::vector<TreeItem> handles;
    handles.reserve(items.size());
    for (QTreeWidgetItem* item : items)
        handles.push_back(Handle(item));
    const auto [parent, after] = Place(to);
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    m_session.MoveItems(handles, parent, after);
    setUpdatesEnabled(updates);
}

// --- Commands

void CIndexView::ActivateEditor() {
    if (m_editor == nullptr) return;
    m_treeActive = false;
    m_editor->setFocus(Qt::OtherFocusReason);
}

void CIndexView::NewNote(bool subnote) {
    if (!IsLoaded()) return;
    QTreeWidgetItem* caret = Caret();
    TreeItem parent = NoteTreeEngine::kRootItem;
    TreeItem after = NoteTreeEngine::kLastItem;
    if (caret != nullptr) {
        if (subnote) {
            parent = Handle(caret);
        } else {
            parent = Handle(caret->parent());
            after = Handle(caret);
        }
    }
    // From the tree the new note replaces the notes shown; from the editor it joins them.
    const TreeItem added = m_session.NewNote(parent, after, m_treeActive);
    QTreeWidgetItem* item = ItemOf(added);
    if (item == nullptr) return;
    scrollToItem(item);
    SetAnchor(item);
    ActivateEditor();
}

void CIndexView::Rename() {
    QTreeWidgetItem* caret = Caret();
    if (caret == nullptr) return;
    if (!IsSelected(static_cast<const QTreeWidgetItem*>(caret)))
        Select(caret, SelectCause::Program);
    // The label editor takes the focus; the pane that was active gets it back afterwards.
    m_editorActiveBeforeEdit = !m_treeActive;
    EditLabel(caret);
}

bool CIndexView::OnEndLabelEdit(QTreeWidgetItem* item, const QString* text) {
    if (text == nullptr) return false;
    // Empty: the label follows the note's first line again.
    const bool follow = text->isEmpty();
    if (follow) {
        m_session.FollowTitle(Handle(item));
    } else {
        m_session.Rename(Handle(item), text->toStdU16String());
    }
    if (m_editorActiveBeforeEdit) {
        // Once the label editor has closed, or it would take the focus back with it.
        QTimer::singleShot(0, this, &CIndexView::ActivateEditor);
    }
    return !follow;
}

void CIndexView::DeleteSelected() {
    if (SelectedList().empty() || !IsLoaded()) return;
    {
        CWaitCursor wait;
        if (!m_session.DeleteSelected()) return;
    }
    if (Caret() == nullptr && FirstRootItem() != nullptr) SetCaret(FirstRootItem());
}

bool CIndexView::OnCommand(int id) {
    switch (id) {
        case CommandIds::kNewNote:
            NewNote(false);
            return true;
        case CommandIds::kNewSubnote:
            NewNote(true);
            return true;
        case CommandIds::kRename:
            Rename();
            return true;
        case CommandIds::kDeleteNote:
            DeleteSelected();
            return true;
        case CommandIds::kSetNotesFolder:
            ChangeNotesFolder();
            return true;
        default:
            return false;
    }
}

Commands::CommandState CIndexView::QueryCommandState(int id) {
    Commands::CommandState state;
    switch (id) {
        case CommandIds::kNewNote:
        case CommandIds::kNewSubnote:
            state.enabled = IsLoaded();
            break;
        case CommandIds::kRename:
            state.enabled = IsLoaded() && Caret() != nullptr;
            break;
        case CommandIds::kDeleteNote:
            state.enabled = IsLoaded() && !SelectedList().empty();
            break;
        case CommandIds::kSetNotesFolder:
            state.enabled = true;
            break;
        default:
            return state;
    }
    state.handled = true;
    return state;
}

// --- Mouse and keys

void CIndexView::OnContextMenuRequest(QPoint globalPos) {
    QMenu menu(this);
    for (const int id : Commands::TreeContextMenu()) {
        const Commands::Command* command = Commands::FindCommand(id);
        if (command == nullptr) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(NoteEditor::MenuTextOf(*command));
        action->setEnabled(QueryCommandState(id).enabled);
        connect(action, &QAction::triggered, this, [this, id] {
            if (m_router) {
                m_router(id);
            } else {
                OnCommand(id);
            }
        });
    }
    menu.exec(globalPos);
}

void CIndexView::mousePressEvent(QMouseEvent* event) {
    CDragAndDropTreeView::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !IsLoaded()) return;
    if (event->modifiers().testFlag(Qt::ShiftModifier)) return;
    QTreeWidgetItem* item = ItemOnLabel(event->position().toPoint());
    if (item != nullptr && IsSelected(static_cast<const QTreeWidgetItem*>(item)))
        m_session.ShowItem(Handle(item));
}

void CIndexView::mouseMoveEvent(QMouseEvent* event) {
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    emit statusTextChanged(item != nullptr
                               ? QString::fromStdString(NoteItemText::InfoText(RecordOf(item)))
                               : QCoreApplication::translate("Status", kIdleText));
    CDragAndDropTreeView::mouseMoveEvent(event);
}

void CIndexView::keyPressEvent(QKeyEvent* event) {
    const NoteEditor::KeyPress press = NoteEditor::ReadKeyPress(*event);
    if (NoteEditor::CommandOfKey(press, Commands::Target::Tree) == CommandIds::kDeleteNote) {
        // Held down, the key must not ask again and again.
        if (!event->isAutoRepeat()) DeleteSelected();
        event->accept();
        return;
    }
    const int key = event->key();
    if (!IsBandActive() && ((key == Qt::Key_E && !press.ctrl && !press.alt) ||
                            (event->modifiers().testFlag(Qt::KeypadModifier) &&
                             (key == Qt::Key_5 || key == Qt::Key_Clear)))) {
        // The caret goes with what type-ahead selects; only without a match does it go home.
        RenameTimer().stop();
        if (!SelectByFirstLetter(event->text()) && FirstRootItem() != nullptr)
            SetCaret(FirstRootItem());
        return;
    }
    CDragAndDropTreeView::keyPressEvent(event);
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && press.ctrl && !press.shift) {
        QTreeWidgetItem* caret = Caret();
        if (caret != nullptr && IsLoaded() &&
            IsSelected(static_cast<const QTreeWidgetItem*>(caret)))
            m_session.ShowItem(Handle(caret));
    }
}
