#include "tree/MultiTreeView.h"

#include <QCursor>
#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>

#include "tree/SelectionDelegate.h"

CMultiTreeView::CMultiTreeView(QWidget* parent) : QTreeWidget(parent) {
    // Qt's selection and editing never act; the selection, the caret rules and the label edit
    // are this view's.
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setExpandsOnDoubleClick(false);
    setColumnCount(1);
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setIconSize(QSize(16, 16));
    // Rows of one height let the band place every visible row without asking the view.
    setUniformRowHeights(true);
    // One line of auto-scroll is one row.
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    // The column is as wide as the widest label, so that long labels scroll sideways and a
    // click right of a label is outside the items.
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_delegate = new CSelectionDelegate(this);
    setItemDelegate(m_delegate);

    m_verticalScrollTimer.setInterval(kFirstScrollInterval);
    m_horizontalScrollTimer.setInterval(kFirstScrollInterval);
    m_renameTimer.setInterval(kRenameDelay);
    m_renameTimer.setSingleShot(true);
    connect(&m_verticalScrollTimer, &QTimer::timeout, this, &CMultiTreeView::OnVerticalScrollTimer);
    connect(&m_horizontalScrollTimer, &QTimer::timeout, this,
            &CMultiTreeView::OnHorizontalScrollTimer);
    connect(&m_renameTimer, &QTimer::timeout, this, &CMultiTreeView::OnRenameTimer);
    connect(model(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
            &CMultiTreeView::ForgetLeaving);
    connect(model(), &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        // Every item goes: nothing is left to notify about.
        m_selected.clear();
        m_marked.clear();
        m_anchor = nullptr;
        ForgetLeaving(QModelIndex(), 0, topLevelItemCount() - 1);
    });
}

void CMultiTreeView::ForgetLeaving(const QModelIndex& parent, int first, int last) {
    // The anchor and the selection stay: a move takes items out and puts them back, and the
    // selection's owner deselects what it deletes. The rest would be used after the item is gone.
    QTreeWidgetItem* parentItem = itemFromIndex(parent);
    for (int row = first; row <= last; ++row) {
        const QTreeWidgetItem* leaving = parentItem ? parentItem->child(row) : topLevelItem(row);
        const auto inside = [leaving](const QTreeWidgetItem* item) {
            return item && (item == leaving || IsAncestor(item, leaving));
        };
        if (inside(m_renameItem) || inside(m_pendingRename)) {
            m_renameTimer.stop();
            m_renameItem = nullptr;
            m_pendingRename = nullptr;
        }
        if (inside(m_buttonDownItem)) {
            m_buttonDown = false;
            m_buttonDownItem = nullptr;
        }
        if (inside(m_editedItem)) {
            m_editedItem = nullptr;
            m_editDecided = true;
        }
    }
}

CMultiTreeView::~CMultiTreeView() {
    // The base's destructor clears the model, when this part of the view is gone already.
    disconnect(model(), nullptr, this, nullptr);
}

// --- Selection primitives

bool CMultiTreeView::IsSelected(const QTreeWidgetItem* item) const {
    return item && m_marked.count(item) != 0;
}

bool CMultiTreeView::IsIndexSelected(const QModelIndex& index) const {
    return IsSelected(itemFromIndex(index));
}

bool CMultiTreeView::IsExpanded(const QTreeWidgetItem* item) {
    return item && item->childCount() > 0 && item->isExpanded();
}

void CMultiTreeView::MarkChanged(QTreeWidgetItem* item) {
    const QRect row = RowRect(item);
    if (!row.isEmpty()) viewport()->update(row);
}

void CMultiTreeView::Select(QTreeWidgetItem* item, SelectCause cause) {
    if (!item || IsSelected(item)) return;
    m_marked.insert(item);
    m_selected.push_back(item);
    MarkChanged(item);
    OnItemSelected(item, cause);
}

void CMultiTreeView::Deselect(QTreeWidgetItem* item, SelectCause cause) {
    if (!item || !IsSelected(item)) return;
    m_marked.erase(item);
    m_selected.erase(std::find(m_selected.begin(), m_selected.end(), item));
    MarkChanged(item);
    OnItemDeselected(item, cause);
}

void CMultiTreeView::DeselectAll(SelectCause cause) {
    // Marks are cleared and reported one by one in list order; the list is emptied afterwards.
    // A copy, so that a derived class reacting to a notification cannot upset the walk.
    const std::vector<QTreeWidgetItem*> old = m_selected;
    for (QTreeWidgetItem* item : old) {
        if (!IsSelected(item)) continue;
        m_marked.erase(item);
        MarkChanged(item);
        OnItemDeselected(item, cause);
    }
    std::erase_if(m_selected, [this](QTreeWidgetItem* item) { return !IsSelected(item); });
}

void CMultiTreeView::SelectOnly(QTreeWidgetItem* item, SelectCause cause) {
    if (!item) return;
    const bool wasSelected = IsSelected(item);
    const std::vector<QTreeWidgetItem*> old = m_selected;
    for (QTreeWidgetItem* other : old) {
        if (other == item || !IsSelected(other)) continue;
        m_marked.erase(other);
        MarkChanged(other);
        OnItemDeselected(other, cause);
    }
    std::erase_if(m_selected, [this, item](QTreeWidgetItem* other) {
        return other == item || !IsSelected(other);
    });
    if (wasSelected && IsSelected(item))
        m_selected.insert(m_selected.begin(), item);
    else
        Select(item, cause);
    SetCaret(item);
    m_anchor = item;
}

void CMultiTreeView::SetCaret(QTreeWidgetItem* item) {
    const QTreeWidgetItem* first = FirstRootItem();
    const QRect firstBefore = first ? visualItemRect(first) : QRect();
    // Qt's selection is off, so moving the current item changes no item's mark. Qt scrolls to
    // it only with its auto-scroll on, which the drag and drop view turns off.
    setCurrentItem(item);
    if (item) scrollToItem(item);
    if (!m_anchor) m_anchor = item;
    if (m_bandActive) UpdateBand(CursorPos(), FollowScroll(firstBefore));
}

void CMultiTreeView::Toggle(QTreeWidgetItem* item) {
    if (!item) return;
    if (IsSelected(item))
        Deselect(item, SelectCause::Mouse);
    else
        Select(item, SelectCause::Mouse);
    SetCaret(item);
    m_anchor = item;
}

void CMultiTreeView::SelectRange(QTreeWidgetItem* from, QTreeWidgetItem* to, SelectCause cause) {
    bool inside = false;
    for (QTreeWidgetItem* item : VisibleItems()) {
        const bool end = item == from || item == to;
        if (end && !inside) {
            inside = true;
            Select(item, cause);
            if (from == to) inside = false;
        } else if (inside) {
            Select(item, cause);
            if (end) inside = false;
        } else {
            Deselect(item, cause);
        }
    }
}

void CMultiTreeView::ExtendRange(QTreeWidgetItem* from, QTreeWidgetItem* to, SelectCause cause,
                                 bool select) {
    if (from != to) {
        const std::vector<QTreeWidgetItem*> visible = VisibleItems();
        const auto fromAt = std::find(visible.begin(), visible.end(), from);
        const auto toAt = std::find(visible.begin(), visible.end(), to);
        if (fromAt != visible.end()) {
            const std::ptrdiff_t step = toAt != visible.end() && toAt > fromAt ? 1 : -1;
            for (std::ptrdiff_t i = fromAt - visible.begin();
                 i >= 0 && i < std::ssize(visible) && visible[i] != to; i += step) {
                if (select)
                    Select(visible[i], cause);
                else
                    Deselect(visible[i], cause);
            }
        }
    }
    Select(to, cause);
}

void CMultiTreeView::DeselectDescendants(QTreeWidgetItem* item, SelectCause cause) {
    if (!item) return;
    for (int i = 0; i < item->childCount(); ++i) {
        QTreeWidgetItem* child = item->child(i);
        Deselect(child, cause);
        DeselectDescendants(child, cause);
    }
}

void CMultiTreeView::ToggleExpansion(QTreeWidgetItem* item) {
    if (!item) return;
    if (IsExpanded(item))
        Collapse(item, SelectCause::Mouse);
    else
        item->setExpanded(true);
}

void CMultiTreeView::Collapse(QTreeWidgetItem* item, SelectCause cause) {
    DeselectDescendants(item, cause);
    // Checked after the deselections: a derived view may move the caret while reacting to them
    // (to the note that then holds the editor's caret, say), possibly into the subtree.
    if (IsAncestor(Caret(), item)) SetCaret(item);
    item->setExpanded(false);
}

bool CMultiTreeView::IsAncestor(const QTreeWidgetItem* item, const QTreeWidgetItem* candidate) {
    if (!item || !candidate) return false;
    for (const QTreeWidgetItem* parent = item->parent(); parent; parent = parent->parent())
        if (parent == candidate) return true;
    return false;
}

int CMultiTreeView::Order(const QTreeWidgetItem* first, const QTreeWidgetItem* second) const {
    if (first == second) return 0;
    bool seenFirst = false;
    for (const QTreeWidgetItem* item : VisibleItems()) {
        if (item == first) seenFirst = true;
        if (item == second) return seenFirst ? 1 : -1;
    }
    return -1;
}

QTreeWidgetItem* CMultiTreeView::Caret() const {
    return currentItem();
}

void CMultiTreeView::ClearCaret() {
    if (selectionModel()) selectionModel()->clearCurrentIndex();
}

// --- Walking the visible items

QTreeWidgetItem* CMultiTreeView::FirstRootItem() const {
    return topLevelItemCount() > 0 ? topLevelItem(0) : nullptr;
}

namespace {

// The item's next sibling, at the root level too; null after the last.
QTreeWidgetItem* NextSibling(const QTreeWidget& tree, const QTreeWidgetItem* item) {
    if (QTreeWidgetItem* parent = item->parent()) {
        const int at = parent->indexOfChild(const_cast<QTreeWidgetItem*>(item));
        return at + 1 < parent->childCount() ? parent->child(at + 1) : nullptr;
    }
    const int at = tree.indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item));
    return at >= 0 && at + 1 < tree.topLevelItemCount() ? tree.topLevelItem(at + 1) : nullptr;
}

QTreeWidgetItem* PreviousSibling(const QTreeWidget& tree, const QTreeWidgetItem* item) {
    if (QTreeWidgetItem* parent = item->parent()) {
        const int at = parent->indexOfChild(const_cast<QTreeWidgetItem*>(item));
        return at > 0 ? parent->child(at - 1) : nullptr;
    }
    const int at = tree.indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item));
    return at > 0 ? tree.topLevelItem(at - 1) : nullptr;
}

QTreeWidgetItem* LastVisibleIn(QTreeWidgetItem* item) {
    while (CMultiTreeView::IsExpanded(item))
        item = item->child(item->childCount() - 1);
    return item;
}

}  // namespace

QTreeWidgetItem* CMultiTreeView::NextVisible(const QTreeWidgetItem* item) const {
    if (!item) return nullptr;
    if (IsExpanded(item)) return item->child(0);
    for (const QTreeWidgetItem* at = item; at; at = at->parent())
        if (QTreeWidgetItem* next = NextSibling(*this, at)) return next;
    return nullptr;
}

QTreeWidgetItem* CMultiTreeView::PreviousVisible(const QTreeWidgetItem* item) const {
    if (!item) return nullptr;
    if (QTreeWidgetItem* previous = PreviousSibling(*this, item)) return LastVisibleIn(previous);
    return item->parent();
}

QTreeWidgetItem* CMultiTreeView::LastVisible() const {
    const int count = topLevelItemCount();
    return count > 0 ? LastVisibleIn(topLevelItem(count - 1)) : nullptr;
}

std::vector<QTreeWidgetItem*> CMultiTreeView::VisibleItems() const {
    // Depth first with an explicit stack of positions: finding a sibling by its index in the
    // parent is linear, so stepping with NextVisible would make a walk quadratic.
    std::vector<QTreeWidgetItem*> visible;
    std::vector<std::pair<QTreeWidgetItem*, int>> stack;  // parent (null: root level), next child
    stack.emplace_back(nullptr, 0);
    while (!stack.empty()) {
        auto& [parent, next] = stack.back();
        const int count = parent ? parent->childCount() : topLevelItemCount();
        if (next >= count) {
            stack.pop_back();
            continue;
        }
        QTreeWidgetItem* item = parent ? parent->child(next) : topLevelItem(next);
        ++next;
        visible.push_back(item);
        if (IsExpanded(item)) stack.emplace_back(item, 0);
    }
    return visible;
}

// --- Geometry

QRect CMultiTreeView::LabelRect(const QTreeWidgetItem* item) const {
    if (!item) return {};
    const QRect cell = visualItemRect(item);
    if (cell.isEmpty()) return {};
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = cell;
    return m_delegate->LabelRect(option, indexFromItem(item));
}

QRect CMultiTreeView::RowRect(const QTreeWidgetItem* item) const {
    if (!item) return {};
    const QRect cell = visualItemRect(item);
    if (cell.isEmpty()) return {};
    return {0, cell.top(), std::max(viewport()->width(), cell.right() + 1), cell.height()};
}

QTreeWidgetItem* CMultiTreeView::ItemOnLabel(QPoint point) const {
    QTreeWidgetItem* item = itemAt(point);
    return item && LabelRect(item).contains(point) ? item : nullptr;
}

QPoint CMultiTreeView::CursorPos() const {
    return viewport()->mapFromGlobal(m_globalCursor ? m_globalCursor() : QCursor::pos());
}

void CMultiTreeView::SetCursorSource(std::function<QPoint()> globalCursor) {
    m_globalCursor = std::move(globalCursor);
}

// --- The hooks' base bodies

void CMultiTreeView::OnItemSelected(QTreeWidgetItem* /*item*/, SelectCause /*cause*/) {}
void CMultiTreeView::OnItemDeselected(QTreeWidgetItem* /*item*/, SelectCause /*cause*/) {}
void CMultiTreeView::OnBeginDrag(QTreeWidgetItem* /*item*/, QPoint /*point*/) {}
bool CMultiTreeView::OnEndLabelEdit(QTreeWidgetItem* /*item*/, const QString* /*text*/) {
    return true;
}
void CMultiTreeView::OnContextMenuRequest(QPoint /*globalPos*/) {}
