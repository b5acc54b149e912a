#include "tree/DragAndDropTreeView.h"

#include <QCoreApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QRandomGenerator>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidgetItem>
#include <algorithm>
#include <cstdlib>

#include "tree/DragData.h"
#include "tree/DragRules.h"

namespace {

using TreeDragRules::Box;
using TreeDragRules::Handle;

const QColor kMarkColour(65, 114, 226);

QTreeWidgetItem* ItemOf(Handle handle) {
    return static_cast<QTreeWidgetItem*>(handle);
}

// The tree widget as the drag rules see it.
class CViewShape : public TreeDragRules::ITreeShape {
public:
    explicit CViewShape(const QTreeWidget& view) : m_view(view) {}

    Handle Parent(Handle item) const override { return ItemOf(item)->parent(); }
    int ChildCount(Handle parent) const override {
        return parent != nullptr ? ItemOf(parent)->childCount() : m_view.topLevelItemCount();
    }
    Handle Child(Handle parent, int index) const override {
        return parent != nullptr ? ItemOf(parent)->child(index) : m_view.topLevelItem(index);
    }
    int IndexOf(Handle item) const override {
        const QTreeWidgetItem* parent = ItemOf(item)->parent();
        return parent != nullptr ? parent->indexOfChild(ItemOf(item))
                                 : m_view.indexOfTopLevelItem(ItemOf(item));
    }
    bool IsExpanded(Handle item) const override { return ItemOf(item)->isExpanded(); }
    Box RowRect(Handle item) const override {
        const QRect rect = m_view.visualItemRect(ItemOf(item));
        return {0, rect.top(), m_view.viewport()->width(), rect.top() + rect.height()};
    }
    int LabelLeft(Handle item) const override {
        if (item == nullptr) item = m_view.topLevelItem(0);
        if (item == nullptr) {
            // An empty tree: where a root item would start.
            const int decoration = m_view.rootIsDecorated() ? m_view.indentation() : 0;
            return decoration - m_view.horizontalScrollBar()->value();
        }
        const QTreeWidgetItem* treeItem = ItemOf(item);
        const int left = m_view.visualItemRect(treeItem).left();
        if (treeItem->icon(0).isNull()) return left;
        // The label's text starts after the icon and the margins on both of its sides.
        const QSize iconSize = m_view.iconSize();
        const int iconWidth = iconSize.isValid() ? iconSize.width()
                                                 : m_view.style()->pixelMetric(
                                                       QStyle::PM_SmallIconSize, nullptr, &m_view);
        const int margin =
            m_view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &m_view) + 1;
        return left + iconWidth + 2 * margin;
    }
    int Indentation() const override { return m_view.indentation(); }
    int ClientWidth() const override { return m_view.viewport()->width(); }
    int ClientHeight() const override { return m_view.viewport()->height(); }
    Handle ItemAt(int x, int y) const override {
        if (!m_view.viewport()->rect().contains(x, y)) return nullptr;
        // The whole row counts, whatever the column under x.
        const int rowX = std::max(0, m_view.header()->sectionViewportPosition(0));
        return m_view.itemAt(rowX, y);
    }

private:
    const QTreeWidget& m_view;
};

CInsertionPoint FromRules(const TreeDragRules::Insertion& point) {
    using TreeDragRules::Place;
    CInsertionPoint result;
    switch (point.place) {
        case Place::None:
            return {};
        case Place::After:
            result.place = CInsertionPoint::Place::After;
            break;
        case Place::First:
            result.place = CInsertionPoint::Place::First;
            break;
        case Place::Last:
            result.place = CInsertionPoint::Place::Last;
            break;
    }
    result.parent = ItemOf(point.parent);
    result.after = ItemOf(point.after);
    return result;
}

TreeDragRules::Insertion ToRules(const CInsertionPoint& point) {
    using TreeDragRules::Place;
    Place place = Place::None;
    switch (point.place) {
        case CInsertionPoint::Place::None:
            return {};
        case CInsertionPoint::Place::After:
            place = Place::After;
            break;
        case CInsertionPoint::Place::First:
            place = Place::First;
            break;
        case CInsertionPoint::Place::Last:
            place = Place::Last;
            break;
    }
    return {place, point.parent, point.after};
}

// Files from outside are copied in, so the user's file stays where it is, unless the source
// offers nothing but a move.
Qt::DropAction ForeignAction(const QDropEvent& event) {
    return (event.possibleActions() & Qt::CopyAction) ? Qt::CopyAction : Qt::MoveAction;
}

QRect ToRect(const Box& box) {
    if (box.IsEmpty()) return {};
    return {box.left, box.top, box.right - box.left, box.bottom - box.top};
}

}  // namespace

const QString CDragAndDropTreeView::kInternalMimeType =
    QStringLiteral("application/x-jotwell-tree-internal");

CDragAndDropTreeView::CDragAndDropTreeView(QWidget* parent) : CMultiTreeView(parent) {
    // Drags are started by the base's mouse handling and dropped by the handlers below; Qt's
    // own item drag and drop stays off.
    setDragEnabled(false);
    setDropIndicatorShown(false);
    setAutoScroll(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    // Tab reaches keyPressEvent instead of moving the focus: held down it makes the arrows move.
    setTabKeyNavigation(true);

    m_expandTimer.setInterval(kExpandDelay);
    connect(&m_expandTimer, &QTimer::timeout, this, &CDragAndDropTreeView::OnExpandTimer);
    connect(&m_dragVerticalTimer, &QTimer::timeout, this,
            &CDragAndDropTreeView::OnDragVerticalScrollTimer);
    connect(&m_dragHorizontalTimer, &QTimer::timeout, this,
            &CDragAndDropTreeView::OnDragHorizontalScrollTimer);
}

CDragAndDropTreeView::~CDragAndDropTreeView() = default;

QByteArray CDragAndDropTreeView::ProcessIdentity() {
    // The pid alone could match another copy that was given a reused pid; the random part made
    // once per process cannot.
    static const QByteArray identity =
        QByteArray::number(QCoreApplication::applicationPid()) + ':' +
        QByteArray::number(QRandomGenerator::system()->generate64(), 16);
    return identity;
}

// --- The Qt-free rules over this widget.

CInsertionPoint CDragAndDropTreeView::InsertionPointAt(QPoint point) const {
    const CViewShape shape(*this);
    return FromRules(TreeDragRules::InsertionAt(shape, point.x(), point.y()));
}

std::array<QRect, 2> CDragAndDropTreeView::MarkRects(const CInsertionPoint& point) const {
    const CViewShape shape(*this);
    const auto boxes = TreeDragRules::MarkFor(shape, ToRules(point));
    return {ToRect(boxes[0]), ToRect(boxes[1])};
}

std::vector<QTreeWidgetItem*> CDragAndDropTreeView::CollectTopMostSelected() const {
    const CViewShape shape(*this);
    const auto handles = TreeDragRules::TopMostSelected(
        shape, [this](Handle item) { return IsSelected(ItemOf(item)); });
    std::vector<QTreeWidgetItem*> items;
    items.reserve(handles.size());
    for (const Handle handle : handles)
        items.push_back(ItemOf(handle));
    return items;
}

// --- The hooks of the derived views.

bool CDragAndDropTreeView::CanDrop(const CInsertionPoint& point, bool internal) const {
    if (!point.IsValid()) return false;
    if (point.parent == nullptr || !internal) return true;
    const CViewShape shape(*this);
    return !TreeDragRules::IsInsideSelection(
        shape, point.parent, [this](Handle item) { return IsSelected(ItemOf(item)); });
}

bool CDragAndDropTreeView::DropForeignData(const QMimeData& /*data*/,
                                           const CInsertionPoint& /*point*/) {
    return false;
}

QVariant CDragAndDropTreeView::RenderData(const QString& mimeType) {
    if (mimeType == kInternalMimeType) return ProcessIdentity();
    return {};
}

QVariant CDragAndDropTreeView::RenderForDrag(const QString& mimeType) {
    return RenderData(mimeType);
}

// --- Dragging out.

QMimeData* CDragAndDropTreeView::BeginDragData() {
    m_fileRendered = false;
    return new CDragData(this);
}

void CDragAndDropTreeView::OnBeginDrag(QTreeWidgetItem* /*item*/, QPoint /*point*/) {
    auto* drag = new QDrag(this);
    drag->setMimeData(BeginDragData());
    // The result is not used: a move inside this tree is made by the drop, and nothing dragged
    // elsewhere changes this tree.
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
}

// --- Dragging over and dropping.

bool CDragAndDropTreeView::IsOwnData(const QMimeData* data) const {
    return data != nullptr && data->hasFormat(kInternalMimeType) &&
           data->data(kInternalMimeType) == ProcessIdentity();
}

void CDragAndDropTreeView::dragEnterEvent(QDragEnterEvent* event) {
    DragOver(event);
    // The moves reach only a view that accepted the enter, and a drag out of this tree enters
    // it over its own selection, where nothing may be dropped: the enter is accepted for any
    // data the tree can take, and the moves say where it can go.
    const QMimeData* data = event->mimeData();
    if (!event->isAccepted() && data != nullptr &&
        (IsOwnData(data) || data->hasFormat(QStringLiteral("text/uri-list")))) {
        event->setDropAction(Qt::IgnoreAction);
        event->accept();
    }
}

void CDragAndDropTreeView::dragMoveEvent(QDragMoveEvent* event) {
    DragOver(event);
}

void CDragAndDropTreeView::DragOver(QDragMoveEvent* event) {
    const QMimeData* data = event->mimeData();
    const bool own = IsOwnData(data);
    if (!own && (data == nullptr || !data->hasFormat(QStringLiteral("text/uri-list")))) {
        StopDragFeedback();
        event->ignore();
        return;
    }
    m_dragPoint = event->position().toPoint();
    // The point is taken before the effect is decided, so that the effect answers for where the
    // mouse is now rather than for where it was at the previous event.
    m_dropPoint = InsertionPointAt(m_dragPoint);
    ShowMark(m_dropPoint);

    if (own ? CanDrop(m_dropPoint, true) : m_dropPoint.IsValid()) {
        event->setDropAction(own ? Qt::MoveAction : ForeignAction(*event));
        event->accept();
    } else {
        event->ignore();
    }

    QTreeWidgetItem* under = ItemOf(CViewShape(*this).ItemAt(m_dragPoint.x(), m_dragPoint.y()));
    QTreeWidgetItem* parent = m_dropPoint.parent;
    if (parent != nullptr && parent == under && parent->childCount() > 0 && !parent->isExpanded()) {
        if (!m_expandTimer.isActive()) m_expandTimer.start();
    } else {
        m_expandTimer.stop();
    }

    const auto nearEdge = [](int position, int extent) {
        return std::abs(position) <= kEdgeMargin || std::abs(position - extent) <= kEdgeMargin;
    };
    if (!nearEdge(m_dragPoint.y(), viewport()->height())) {
        m_dragVerticalTimer.stop();
    } else if (!m_dragVerticalTimer.isActive()) {
        m_dragVerticalTimer.start(kFirstScrollInterval);
    }
    if (!nearEdge(m_dragPoint.x(), viewport()->width())) {
        m_dragHorizontalTimer.stop();
    } else if (!m_dragHorizontalTimer.isActive()) {
        m_dragHorizontalTimer.start(kFirstScrollInterval);
    }
}

void CDragAndDropTreeView::dragLeaveEvent(QDragLeaveEvent* event) {
    StopDragFeedback();
    event->accept();
}

void CDragAndDropTreeView::dropEvent(QDropEvent* event) {
    const CInsertionPoint point = InsertionPointAt(event->position().toPoint());
    const QMimeData* data = event->mimeData();
    StopDragFeedback();
    bool done = false;
    Qt::DropAction action = Qt::MoveAction;
    if (IsOwnData(data) && (event->possibleActions() & Qt::MoveAction)) {
        if (CanDrop(point, true)) {
            MoveSelection(point);
            done = true;
        }
    } else if (data != nullptr && data->hasFormat(QStringLiteral("text/uri-list")) &&
               CanDrop(point, false)) {
        action = ForeignAction(*event);
        done = DropForeignData(*data, point);
    }
    if (done) {
        event->setDropAction(action);
        event->accept();
    } else {
        event->ignore();
    }
}

void CDragAndDropTreeView::ShowMark(const CInsertionPoint& point) {
    const bool show = point.IsValid();
    const std::array<QRect, 2> rects = show ? MarkRects(point) : std::array<QRect, 2>{};
    if (show == m_markShown && rects == m_markRects) return;
    if (m_markShown) {
        for (const QRect& rect : m_markRects)
            viewport()->update(rect);
    }
    m_markShown = show;
    m_markRects = rects;
    if (m_markShown) {
        for (const QRect& rect : m_markRects)
            viewport()->update(rect);
    }
}

void CDragAndDropTreeView::StopDragFeedback() {
    m_expandTimer.stop();
    m_dragVerticalTimer.stop();
    m_dragHorizontalTimer.stop();
    ShowMark({});
    m_dropPoint = {};
}

void CDragAndDropTreeView::paintEvent(QPaintEvent* event) {
    CMultiTreeView::paintEvent(event);
    if (!m_markShown) return;
    QPainter painter(viewport());
    for (const QRect& rect : m_markRects)
        painter.fillRect(rect, kMarkColour);
}

// --- The timers.

void CDragAndDropTreeView::OnExpandTimer() {
    m_expandTimer.stop();
    QTreeWidgetItem* parent = m_dropPoint.parent;
    if (parent == nullptr || parent->childCount() == 0 || parent->isExpanded()) return;
    parent->setExpanded(true);
    // The rows below moved: the mark is placed again.
    ShowMark(m_dropPoint);
}

bool CDragAndDropTreeView::ScrollNearEdge(int position, int extent, bool vertical) {
    QScrollBar* bar = vertical ? verticalScrollBar() : horizontalScrollBar();
    QAbstractSlider::SliderAction step = QAbstractSlider::SliderNoAction;
    if (std::abs(position) <= kEdgeMargin) {
        step = QAbstractSlider::SliderSingleStepSub;
    } else if (std::abs(position - extent) <= kEdgeMargin) {
        step = QAbstractSlider::SliderSingleStepAdd;
    } else {
        return false;
    }
    bar->triggerAction(step);
    // The content moved under the mark: it is placed again for the same cursor position.
    viewport()->update();
    m_dropPoint = InsertionPointAt(m_dragPoint);
    m_markShown = false;
    ShowMark(m_dropPoint);
    return true;
}

void CDragAndDropTreeView::OnDragVerticalScrollTimer() {
    if (ScrollNearEdge(m_dragPoint.y(), viewport()->height(), true)) {
        m_dragVerticalTimer.start(m_verticalRepeat);
    } else {
        m_dragVerticalTimer.stop();
    }
}

void CDragAndDropTreeView::OnDragHorizontalScrollTimer() {
    if (ScrollNearEdge(m_dragPoint.x(), viewport()->width(), false)) {
        m_dragHorizontalTimer.start(m_horizontalRepeat);
    } else {
        m_dragHorizontalTimer.stop();
    }
}

void CDragAndDropTreeView::resizeEvent(QResizeEvent* event) {
    CMultiTreeView::resizeEvent(event);
    UpdateRepeatIntervals();
}

bool CDragAndDropTreeView::viewportEvent(QEvent* event) {
    const bool handled = CMultiTreeView::viewportEvent(event);
    // A scroll bar that comes or goes resizes the client area without resizing the view.
    if (event->type() == QEvent::Resize) UpdateRepeatIntervals();
    return handled;
}

void CDragAndDropTreeView::UpdateRepeatIntervals() {
    m_verticalRepeat = 17000 / std::max(viewport()->height(), 1);
    m_horizontalRepeat = 5000 / std::max(viewport()->width(), 1);
}

// --- Moving items.

void CDragAndDropTreeView::MoveSelection(const CInsertionPoint& to) {
    if (!CanDrop(to, true)) return;
    MoveItems(CollectTopMostSelected(), to);
}

void CDragAndDropTreeView::MoveItems(const std::vector<QTreeWidgetItem*>& items,
                                     const CInsertionPoint& to) {
    if (items.empty()) return;
    // A pending rename would name an item that moves away under the cursor.
    RenameTimer().stop();
    const bool updates = updatesEnabled();
    setUpdatesEnabled(false);
    QTreeWidgetItem* parent = to.parent != nullptr ? to.parent : invisibleRootItem();
    CInsertionPoint at = to;
    for (QTreeWidgetItem* item : items) {
        int index = 0;
        if (at.place == CInsertionPoint::Place::Last) index = parent->childCount();
        if (at.place == CInsertionPoint::Place::After) index = parent->indexOfChild(at.after) + 1;
        // The index counts without the item: one before it shifts when the item leaves.
        const QTreeWidgetItem* from =
            item->parent() != nullptr ? item->parent() : invisibleRootItem();
        if (from == parent && from->indexOfChild(item) < index) --index;
        PlaceItem(*item, to.parent, index);
        at = {CInsertionPoint::Place::After, to.parent, item};
    }
    setUpdatesEnabled(updates);
}

void CDragAndDropTreeView::PlaceItem(QTreeWidgetItem& item, QTreeWidgetItem* parent, int index) {
    QTreeWidgetItem* caret = Caret();
    // The view forgets the expansion of the rows it takes out.
    std::vector<QTreeWidgetItem*> expanded;
    std::vector<QTreeWidgetItem*> pending{&item};
    while (!pending.empty()) {
        QTreeWidgetItem* next = pending.back();
        pending.pop_back();
        if (next->isExpanded()) expanded.push_back(next);
        for (int i = 0; i < next->childCount(); ++i)
            pending.push_back(next->child(i));
    }
    QTreeWidgetItem* from = item.parent() != nullptr ? item.parent() : invisibleRootItem();
    from->takeChild(from->indexOfChild(&item));
    (parent != nullptr ? parent : invisibleRootItem())->insertChild(index, &item);
    for (QTreeWidgetItem* open : expanded)
        open->setExpanded(true);
    if (caret != nullptr && Caret() != caret) setCurrentItem(caret);
}

// --- Keyboard moves: the arrows with Tab held down.

void CDragAndDropTreeView::keyPressEvent(QKeyEvent* event) {
    const bool plainTab =
        event->key() == Qt::Key_Tab &&
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (plainTab) {
        m_tabDown = true;
        event->accept();
        return;
    }
    if (m_tabDown) {
        switch (event->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_Left:
            case Qt::Key_Right:
                StopDragFeedback();
                MoveCaretItem(event->key());
                event->accept();
                return;
            default:
                break;
        }
    }
    CMultiTreeView::keyPressEvent(event);
}

void CDragAndDropTreeView::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Tab && !event->isAutoRepeat()) {
        m_tabDown = false;
        event->accept();
        return;
    }
    CMultiTreeView::keyReleaseEvent(event);
}

void CDragAndDropTreeView::focusOutEvent(QFocusEvent* event) {
    // The Tab release goes to whatever has the focus then.
    m_tabDown = false;
    CMultiTreeView::focusOutEvent(event);
}

void CDragAndDropTreeView::MoveCaretItem(int key) {
    QTreeWidgetItem* caret = Caret();
    if (caret == nullptr) return;
    using TreeDragRules::MoveKey;
    MoveKey moveKey = MoveKey::Up;
    switch (key) {
        case Qt::Key_Down:
            moveKey = MoveKey::Down;
            break;
        case Qt::Key_Left:
            moveKey = MoveKey::Left;
            break;
        case Qt::Key_Right:
            moveKey = MoveKey::Right;
            break;
        default:
            break;
    }
    const CViewShape shape(*this);
    const CInsertionPoint to = FromRules(TreeDragRules::KeyboardMoveTarget(shape, caret, moveKey));
    if (!to.IsValid()) return;
    MoveItems({caret}, to);
    // The new parent opens, so that the caret item and its selection stay in view.
    if (to.parent != nullptr) to.parent->setExpanded(true);
    if (QTreeWidgetItem* moved = Caret()) scrollToItem(moved);
}
