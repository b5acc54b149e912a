#include "tree/IndexView.h"

#include "storage/FileHandler.h"

#include <QApplication>
#include <QFont>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>

#include "base/CommandIds.h"
#include "commands/CommandTable.h"
#include "editor/NoteScrollView.h"
#include "tree/NoteItemText.h"
#include "tree/NoteTreeItem.h"
#include "ui/CommandKeys.h"
#include "ui/MessageBox.h"
#include "ui/WaitCursor.h"

using NoteTreeEngine::CTreeItemRecord;
using NoteTreeEngine::TreeItem;

namespace {

QString ToQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

}  // namespace

CIndexView::CIndexView(NoteTreeEngine::CProfileSettings& settings,
                       NoteTreeEngine::CFolderPicker& picker, NoteTreeEngine::CStatusLine& status,
                       QWidget* parent, NoteStorage::CFileSystem& files)
    : CDragAndDropTreeView(parent),
      m_settings(settings),
      m_picker(picker),
      m_status(status),
      m_files(files) {
    setMouseTracking(true);
    // The column fits the labels in view: measuring the first thousand rows at every label change
    // made a selection of a thousand notes measure a million labels.
    header()->setResizeContentsPrecision(0);
    for (const int index : {0, 1, 2, 3, 4, 8, 9, 10, 11, 12})
        m_icons[size_t(index)] = QIcon(QStringLiteral(":/icons/tree/note%1.svg").arg(index));
    m_saveTimer.setSingleShot(true);
    connect(&m_saveTimer, &QTimer::timeout, this, &CIndexView::OnSaveTimer);
    // Whoever inserts or removes items (storage, a move, a delete), a parent's icon shows
    // whether it has children.
    connect(model(), &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex& parent, int, int) {
                if (parent.isValid()) UpdateIcon(itemFromIndex(parent));
            });
    connect(model(), &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex& parent, int, int) {
                if (parent.isValid()) UpdateIcon(itemFromIndex(parent));
            });
}

CIndexView::~CIndexView() {
    if (m_editor != nullptr) disconnect(m_editor, nullptr, this, nullptr);
    disconnect(qApp, nullptr, this, nullptr);
    if (m_policy) {
        // Nothing more can be done for a note kept unsaved: the program ends with the view.
        (void)m_policy->Close();
        m_policy.reset();
    }
    DeselectAll(SelectCause::Program);
    m_manager.reset();
    m_store.reset();
    disconnect(model(), nullptr, this, nullptr);
    clear();
}

void CIndexView::SetEditor(CNoteScrollView& editor) {
    m_editor = &editor;
    connect(m_editor, &CNoteScrollView::caretNoteChanged, this, &CIndexView::NoteBecameCurrent);
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

// --- The tree pane ---

TreeItem CIndexView::Handle(const QTreeWidgetItem* item) noexcept {
    return item == nullptr ? NoteTreeEngine::kRootItem
                           : static_cast<TreeItem>(reinterpret_cast<std::uintptr_t>(item));
}

QTreeWidgetItem* CIndexView::ItemOf(TreeItem handle) noexcept {
    if (handle == NoteTreeEngine::kRootItem || handle == TreeItem::None) return nullptr;
    return reinterpret_cast<QTreeWidgetItem*>(static_cast<std::uintptr_t>(handle));
}

QTreeWidgetItem* CIndexView::ParentItem(TreeItem parent) {
    return parent == NoteTreeEngine::kRootItem ? invisibleRootItem() : ItemOf(parent);
}

TreeItem CIndexView::InsertItem(TreeItem parent, TreeItem after, const CTreeItemRecord& record) {
    QTreeWidgetItem* parentItem = ParentItem(parent);
    const int count = parentItem->childCount();
    int index = count;
    if (after == NoteTreeEngine::kFirstItem) {
        index = 0;
    } else if (after != NoteTreeEngine::kLastItem) {
        QTreeWidgetItem* afterItem = ItemOf(after);
        // Reading a file inserts each item after the last one: that case costs nothing.
        if (count == 0 || parentItem->child(count - 1) != afterItem) {
            const int at = parentItem->indexOfChild(afterItem);
            index = at < 0 ? count : at + 1;
        }
    }
    auto* item = new CNoteTreeItem(record);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
    item->setText(0, ToQString(record.username));
    parentItem->insertChild(index, item);
    UpdateIcon(item);
    return Handle(item);
}

CTreeItemRecord& CIndexView::Record(TreeItem item) {
    return RecordOf(ItemOf(item));
}

CTreeItemRecord& CIndexView::RecordOf(QTreeWidgetItem* item) {
    return CNoteTreeItem::Of(item).Record();
}

void CIndexView::UpdateItem(TreeItem handle) {
    QTreeWidgetItem* item = ItemOf(handle);
    const QString label = ToQString(RecordOf(item).username);
    if (item->text(0) != label) item->setText(0, label);
    UpdateIcon(item);
}

void CIndexView::UpdateIcon(QTreeWidgetItem* item) {
    CNoteTreeItem& note = CNoteTreeItem::Of(item);
    int index = NoteItemText::IconIndexForSize(note.Record().size);
    if (item->childCount() > 0) index += NoteItemText::kChildrenIcon;
    if (index == note.IconIndex()) return;
    note.SetIconIndex(index);
    item->setIcon(0, m_icons[size_t(index)]);
}

int CIndexView::IconIndexOf(QTreeWidgetItem* item) const {
    return CNoteTreeItem::Of(item).IconIndex();
}

TreeItem CIndexView::Parent(TreeItem item) const {
    return Handle(ItemOf(item)->parent());
}

void CIndexView::RefreshItem(TreeItem handle, NoteEditEngine::CNoteDocument& document) {
    CTreeItemRecord& record = Record(handle);
    if (!record.isfixed) record.username = NoteTreeEngine::NoteTitle(document);
    record.size = static_cast<int32_t>(document.size()) - 1;
    record.created = document.Created();
    record.modified = document.Modified();
    UpdateItem(handle);
}

std::vector<TreeItem> CIndexView::Children(TreeItem handle) const {
    const QTreeWidgetItem* item = handle == NoteTreeEngine::kRootItem
                                      ? const_cast<CIndexView*>(this)->invisibleRootItem()
                                      : ItemOf(handle);
    std::vector<TreeItem> children;
    children.reserve(size_t(item->childCount()));
    for (int i = 0; i < item->childCount(); ++i)
        children.push_back(Handle(item->child(i)));
    return children;
}

void CIndexView::Expand(TreeItem item) {
    ItemOf(item)->setExpanded(true);
}

bool CIndexView::IsExpanded(TreeItem item) const {
    return CMultiTreeView::IsExpanded(ItemOf(item));
}

void CIndexView::Select(TreeItem item) {
    Select(ItemOf(item), SelectCause::Program);
}

bool CIndexView::IsSelected(TreeItem item) const {
    return IsSelected(static_cast<const QTreeWidgetItem*>(ItemOf(item)));
}

void CIndexView::SetCaret(TreeItem item) {
    SetCaret(ItemOf(item));
}

void CIndexView::ShowMessageBox(std::u16string_view text, NoteTreeEngine::MessageIcon icon,
                                std::u16string_view caption) {
    MessageBox::Show(
        this, ToQString(text),
        icon == NoteTreeEngine::MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
        ToQString(caption));
}

bool CIndexView::AskYesNo(std::u16string_view text, std::u16string_view caption) {
    return MessageBox::AskYesNo(this, ToQString(text), ToQString(caption), QMessageBox::Warning);
}

// --- The selection drives the editor ---

QTreeWidgetItem* CIndexView::PreviousSelected(QTreeWidgetItem* item) const {
    // Tree order, hidden items included: the editor shows the notes in the tree's order.
    for (;;) {
        QTreeWidgetItem* parent = item->parent();
        const QTreeWidgetItem* level =
            parent != nullptr ? parent : const_cast<CIndexView*>(this)->invisibleRootItem();
        const int index = level->indexOfChild(item);
        if (index > 0) {
            item = level->child(index - 1);
            while (item->childCount() > 0)
                item = item->child(item->childCount() - 1);
        } else if (parent != nullptr) {
            item = parent;
        } else {
            return nullptr;
        }
        if (IsSelected(static_cast<const QTreeWidgetItem*>(item))) return item;
    }
}

void CIndexView::ShowNoteOf(QTreeWidgetItem* item) {
    QTreeWidgetItem* above = PreviousSelected(item);
    m_manager->LoadItem(Handle(item), above == nullptr ? TreeItem::None : Handle(above));
    if (NoteEditEngine::CNoteDocument* document = m_manager->FindDocument(Handle(item)))
        RefreshItem(Handle(item), *document);
}

void CIndexView::OnItemSelected(QTreeWidgetItem* item, SelectCause) {
    viewport()->update(visualItemRect(item));
    if (!m_manager) return;
    CWaitCursor wait;
    ShowNoteOf(item);
}

void CIndexView::OnItemDeselected(QTreeWidgetItem* item, SelectCause) {
    viewport()->update(visualItemRect(item));
    if (!m_policy) return;
    CWaitCursor wait;
    m_policy->OnItemDeselected(Handle(item));
}

void CIndexView::NoteBecameCurrent(NoteEditEngine::CNoteDocument* document) {
    if (!m_manager) return;
    if (document != nullptr) {
        QTreeWidgetItem* item = ItemOf(m_manager->FindItem(document));
        if (item != nullptr && item != m_active) SetActiveItem(item);
    }
    m_policy->OnCaretMoved();
}

void CIndexView::SetActiveItem(QTreeWidgetItem* item) {
    if (m_active != nullptr) {
        QFont font = m_active->font(0);
        font.setBold(false);
        m_active->setFont(0, font);
        RecordOf(m_active).isactive = false;
    }
    m_active = item;
    if (item == nullptr) return;
    QFont font = item->font(0);
    font.setBold(true);
    item->setFont(0, font);
    RecordOf(item).isactive = true;
    SetCaret(item);
}

void CIndexView::BeforeAndAfterMove(bool before) {
    if (!m_manager) return;
    if (before) {
        // The items are re-created: their notes stay loaded and the active note is found again
        // by its document.
        m_manager->SetSuspended(true);
        m_rememberedActive =
            m_active == nullptr ? nullptr : m_manager->FindDocument(Handle(m_active));
        m_active = nullptr;
        return;
    }
    m_active =
        m_rememberedActive == nullptr ? nullptr : ItemOf(m_manager->FindItem(m_rememberedActive));
    m_rememberedActive = nullptr;
    m_manager->SetSuspended(false);
}

QTreeWidgetItem* CIndexView::CopyItem(const QTreeWidgetItem& source) const {
    const auto& from = static_cast<const CNoteTreeItem&>(source);
    auto* copy = new CNoteTreeItem(from.Record());
    copy->setFlags(from.flags());
    copy->setText(0, from.text(0));
    copy->setIcon(0, from.icon(0));
    copy->setFont(0, from.font(0));
    copy->SetIconIndex(from.IconIndex());
    return copy;
}

// --- Commands ---

void CIndexView::ActivateEditor() {
    if (m_editor == nullptr) return;
    m_treeActive = false;
    m_editor->setFocus(Qt::OtherFocusReason);
}

void CIndexView::NewNote(bool subnote) {
    if (!m_manager) return;
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
    CTreeItemRecord record;
    if (!m_store->CreateEmptyNoteFile(record)) {
        // No item without its file: the note could never be saved.
        ShowMessageBox(NoteTreeEngine::kNoteNotCreatedMessage, NoteTreeEngine::MessageIcon::Warning,
                       NoteTreeEngine::kMessageCaption);
        return;
    }
    // From the tree the new note replaces the notes shown; from the editor it joins them.
    if (m_treeActive) DeselectAll(SelectCause::Program);
    QTreeWidgetItem* item = ItemOf(InsertItem(parent, after, record));
    if (item->parent() != nullptr) item->parent()->setExpanded(true);
    scrollToItem(item);
    Select(item, SelectCause::Program);
    SetCaret(item);
    SetAnchor(item);
    m_manager->ShowItem(Handle(item));
    ActivateEditor();
    SaveTree();
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
    CTreeItemRecord& record = RecordOf(item);
    const bool follow = text->isEmpty();
    if (follow) {
        // The label follows the note's first line again.
        record.isfixed = false;
        if (NoteEditEngine::CNoteDocument* document =
                m_manager ? m_manager->FindDocument(Handle(item)) : nullptr) {
            record.username = NoteTreeEngine::NoteTitle(*document);
        }
        UpdateItem(Handle(item));
    } else {
        record.username = text->toStdU16String();
        record.isfixed = true;
    }
    if (m_editorActiveBeforeEdit) {
        // Once the label editor has closed, or it would take the focus back with it.
        QTimer::singleShot(0, this, &CIndexView::ActivateEditor);
    }
    SaveTree();
    return !follow;
}

int CIndexView::CountSelectedSubtrees() const {
    int count = 0;
    for (QTreeWidgetItem* top : CollectTopMostSelected()) {
        std::vector<QTreeWidgetItem*> pending{top};
        while (!pending.empty()) {
            QTreeWidgetItem* item = pending.back();
            pending.pop_back();
            ++count;
            for (int i = 0; i < item->childCount(); ++i)
                pending.push_back(item->child(i));
        }
    }
    return count;
}

void CIndexView::DeleteSelected() {
    if (SelectedList().empty() || !m_manager) return;
    const int count = CountSelectedSubtrees();
    const QString question =
        count == 1 ? QStringLiteral("Are you sure you want to delete this note?")
                   : QStringLiteral("Are you sure you want to delete these %1 notes?").arg(count);
    if (!MessageBox::AskYesNo(this, question, QString::fromLatin1(kDeleteCaption),
                              QMessageBox::Warning)) {
        return;
    }
    CWaitCursor wait;
    while (!SelectedList().empty()) {
        QTreeWidgetItem* item = SelectedList().front();
        QTreeWidgetItem* caret = Caret();
        if (caret != nullptr && (caret == item || IsAncestor(caret, item))) {
            QTreeWidgetItem* previous = PreviousVisible(item);
            if (previous != nullptr) {
                SetCaret(previous);
            } else {
                ClearCaret();
            }
        }
        DeleteSubtree(item);
    }
    if (Caret() == nullptr && FirstRootItem() != nullptr) SetCaret(FirstRootItem());
    SaveTree();
}

void CIndexView::DeleteSubtree(QTreeWidgetItem* top) {
    // Post-order with an explicit stack: children before their parent, at any depth.
    std::vector<std::pair<QTreeWidgetItem*, int>> stack{{top, 0}};
    while (!stack.empty()) {
        auto& [item, next] = stack.back();
        if (next < item->childCount()) {
            QTreeWidgetItem* child = item->child(next++);
            stack.emplace_back(child, 0);
            continue;
        }
        QTreeWidgetItem* done = item;
        stack.pop_back();
        if (Caret() == done) ClearCaret();
        if (Anchor() == done) SetAnchor(nullptr);
        if (m_active == done) m_active = nullptr;
        Deselect(done, SelectCause::Program);
        // A file that cannot be removed is left; the note leaves the tree all the same.
        (void)m_store->DeleteNoteFile(RecordOf(done));
    }
    delete top;
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

// --- Mouse and keys ---

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
    if (event->button() != Qt::LeftButton || !m_manager) return;
    if (event->modifiers().testFlag(Qt::ShiftModifier)) return;
    QTreeWidgetItem* item = ItemOnLabel(event->position().toPoint());
    if (item != nullptr && IsSelected(static_cast<const QTreeWidgetItem*>(item)))
        m_manager->ShowItem(Handle(item));
}

void CIndexView::mouseMoveEvent(QMouseEvent* event) {
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    emit statusTextChanged(item != nullptr
                               ? QString::fromStdString(NoteItemText::InfoText(RecordOf(item)))
                               : QString::fromLatin1(kIdleText));
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
    CDragAndDropTreeView::keyPressEvent(event);
    const int key = event->key();
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && press.ctrl && !press.shift) {
        QTreeWidgetItem* caret = Caret();
        if (caret != nullptr && m_manager && IsSelected(static_cast<const QTreeWidgetItem*>(caret)))
            m_manager->ShowItem(Handle(caret));
    } else if ((key == Qt::Key_E && !press.ctrl && !press.alt) ||
               (event->modifiers().testFlag(Qt::KeypadModifier) &&
                (key == Qt::Key_5 || key == Qt::Key_Clear))) {
        if (QTreeWidgetItem* first = FirstRootItem()) SetCaret(first);
    }
}
