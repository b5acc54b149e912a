// The mouse, the keyboard, the rubber band and its auto-scrolling, the timers and the label edit
// of the multi-selection tree. Qt's own mouse and key handling never runs: it would select and
// edit on its own terms. Only scrolling and painting use the base.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <cstdlib>

#include "tree/MultiTreeView.h"

namespace {

bool MovedPastThreshold(QPoint from, QPoint to) {
    return std::abs(to.x() - from.x()) >= CMultiTreeView::kDragThreshold ||
           std::abs(to.y() - from.y()) >= CMultiTreeView::kDragThreshold;
}

QRect Spanned(QPoint a, QPoint b) {
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}

}  // namespace

// --- Mouse

void CMultiTreeView::PressOnItem(QTreeWidgetItem* item, Qt::KeyboardModifiers modifiers,
                                 bool left) {
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (shift && ctrl) {
        if (m_anchor) ExtendRange(m_anchor, item, SelectCause::Mouse, IsSelected(m_anchor));
        SetCaret(item);
    } else if (shift) {
        if (m_anchor) SelectRange(m_anchor, item, SelectCause::Mouse);
        SetCaret(item);
    } else if (ctrl) {
        Toggle(item);
    } else if (IsSelected(item)) {
        // The rest of the selection stays, so that all of it can be dragged.
        SetCaret(item);
        if (left) m_pendingRename = item;
    } else {
        SelectOnly(item, SelectCause::Mouse);
    }
}

void CMultiTreeView::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    m_renameTimer.stop();
    if (event->button() == Qt::RightButton) {
        if (m_bandActive) {
            EndBand();
            return;
        }
        QTreeWidgetItem* item = ItemOnLabel(point);
        if (IsEditingLabel()) EndLabelEdit();
        if (item) PressOnItem(item, modifiers, false);
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    QTreeWidgetItem* item = ItemOnLabel(point);
    QTreeWidgetItem* row = item ? nullptr : itemAt(point);
    if (IsEditingLabel()) EndLabelEdit();
    if (item) {
        PressOnItem(item, modifiers, true);
        m_buttonDown = true;
        m_buttonDownPoint = point;
        m_buttonDownItem = item;
    } else if (row && row->childCount() > 0 && point.x() < visualItemRect(row).left() &&
               point.x() >= visualItemRect(row).left() - indentation()) {
        // The expand button sits in the indentation step just left of the item.
        ToggleExpansion(row);
    } else {
        const bool ctrl = modifiers & Qt::ControlModifier;
        m_bandPending = true;
        m_bandOrigin = point;
        m_bandCtrl = ctrl;
        m_bandShift = (modifiers & Qt::ShiftModifier) && !ctrl;
        if (!(modifiers & (Qt::ShiftModifier | Qt::ControlModifier)))
            DeselectAll(SelectCause::Mouse);
    }
}

void CMultiTreeView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (m_buttonDown && MovedPastThreshold(m_buttonDownPoint, point)) {
        m_pendingRename = nullptr;
        m_buttonDown = false;
        OnBeginDrag(m_buttonDownItem, m_buttonDownPoint);
    }
    if (m_bandActive) {
        UpdateBand(point);
        UpdateBandSelection();
        StartEdgeTimers(point);
    } else if (m_bandPending && MovedPastThreshold(m_bandOrigin, point)) {
        m_bandActive = true;
        m_bandSnapshot.clear();
        m_bandItems.clear();
        m_bandLabels.clear();
        if (m_bandShift || m_bandCtrl) {
            for (const QTreeWidgetItem* item : VisibleItems())
                m_bandSnapshot.push_back(IsSelected(item));
        }
        UpdateBand(point);
        UpdateBandSelection();
        // A band whose first move already leaves the window scrolls without another move.
        StartEdgeTimers(point);
    }
}

void CMultiTreeView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        OnContextMenuRequest(viewport()->mapToGlobal(event->position().toPoint()));
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    if (m_pendingRename && m_selected.size() == 1 && m_selected.front() == m_pendingRename) {
        m_renameItem = m_pendingRename;
        m_renameTimer.start(kRenameDelay);
    }
    m_pendingRename = nullptr;
    if (m_bandActive) EndBand();
    m_buttonDown = false;
    m_buttonDownItem = nullptr;
    m_bandPending = false;
}

void CMultiTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The window system sends press, release, double click, release: the double click stands
    // for the second press, which must not act as a press as well.
    m_renameTimer.stop();
    if (event->button() != Qt::LeftButton) return;
    const QPoint point = event->position().toPoint();
    if (QTreeWidgetItem* item = ItemOnLabel(point)) {
        if (item->childCount() > 0) ToggleExpansion(item);
        return;
    }
    // A quick second click on an expand button is a second click, not a lost one.
    QTreeWidgetItem* row = itemAt(point);
    if (row && row->childCount() > 0 && point.x() < visualItemRect(row).left() &&
        point.x() >= visualItemRect(row).left() - indentation())
        ToggleExpansion(row);
}

void CMultiTreeView::wheelEvent(QWheelEvent* event) {
    if (!m_bandActive) {
        QTreeWidget::wheelEvent(event);
        return;
    }
    const QTreeWidgetItem* first = FirstRootItem();
    const QRect firstBefore = first ? visualItemRect(first) : QRect();
    QTreeWidget::wheelEvent(event);
    UpdateBand(event->position().toPoint(), FollowScroll(firstBefore));
    UpdateBandSelection();
}

// --- The rubber band

namespace {

QRegion Frame(const QRect& rect) {
    if (rect.isEmpty()) return {};
    return QRegion(rect) - QRegion(rect.adjusted(1, 1, -1, -1));
}

}  // namespace

void CMultiTreeView::InvalidateBand(const QRect& drawn, const QRect& now) {
    // The frame's pattern is fixed to the viewport's pixels, so where the old and the new frame
    // overlap nothing changes; only the rest is painted again.
    viewport()->update(Frame(drawn) ^ Frame(now));
}

void CMultiTreeView::UpdateBand(QPoint cursor, QPoint scrolled) {
    const QRect drawn = m_bandRect.translated(scrolled);
    m_bandRect = Spanned(m_bandOrigin, cursor);
    if (scrolled.isNull()) {
        InvalidateBand(drawn, m_bandRect);
    } else {
        // Scrolled pixels may no longer match the pattern: both frames are painted again.
        viewport()->update(Frame(drawn) | Frame(m_bandRect));
    }
}

QPoint CMultiTreeView::FollowScroll(const QRect& firstBefore) {
    const QTreeWidgetItem* first = FirstRootItem();
    if (!first) return {};
    const QPoint moved = visualItemRect(first).topLeft() - firstBefore.topLeft();
    m_bandOrigin += moved;
    return moved;
}

void CMultiTreeView::UpdateBandSelection() {
    std::vector<QTreeWidgetItem*> visible = VisibleItems();
    if (visible.empty()) return;
    if (visible != m_bandItems) {
        m_bandItems = std::move(visible);
        m_bandLabels.assign(m_bandItems.size(), QRect());
    }
    // With rows of one height every row's place follows from the first one's, so only the rows
    // the band crosses have their labels looked at; each label is measured once per band.
    const QRect first = visualItemRect(m_bandItems.front());
    const bool uniform = uniformRowHeights() && first.height() > 0;
    for (std::size_t i = 0; i < m_bandItems.size(); ++i) {
        QTreeWidgetItem* item = m_bandItems[i];
        bool inside = false;
        const int top = first.top() + static_cast<int>(i) * first.height();
        if (!uniform || (top <= m_bandRect.bottom() && top + first.height() > m_bandRect.top())) {
            if (m_bandLabels[i].isNull())
                m_bandLabels[i] = LabelRect(item).translated(-first.topLeft());
            inside = m_bandLabels[i].translated(first.topLeft()).intersects(m_bandRect);
        }
        const bool before = i < m_bandSnapshot.size() && m_bandSnapshot[i];
        const bool select = m_bandCtrl ? before != inside : m_bandShift ? before || inside : inside;
        if (select)
            Select(item, SelectCause::Mouse);
        else
            Deselect(item, SelectCause::Mouse);
    }
}

void CMultiTreeView::StartEdgeTimers(QPoint point) {
    const QSize size = viewport()->size();
    if (!m_verticalScrollTimer.isActive() &&
        (point.y() <= kEdgeMargin || point.y() >= size.height() - kEdgeMargin))
        m_verticalScrollTimer.start(kFirstScrollInterval);
    if (!m_horizontalScrollTimer.isActive() &&
        (point.x() <= kEdgeMargin || point.x() >= size.width() - kEdgeMargin))
        m_horizontalScrollTimer.start(kFirstScrollInterval);
}

void CMultiTreeView::EndBand() {
    InvalidateBand(m_bandRect, QRect());
    m_bandItems.clear();
    m_bandLabels.clear();
    m_bandActive = false;
    // A band ended by Escape or the right button does not come back while the left one is
    // still down.
    m_bandPending = false;
    m_bandShift = false;
    m_bandCtrl = false;
    m_bandRect = QRect();
    m_bandSnapshot.clear();
    m_verticalScrollTimer.stop();
    m_horizontalScrollTimer.stop();
}

// --- Timers

namespace {

// -1 to scroll towards the start, 1 towards the end, 0 to stop. Anywhere past an edge keeps
// scrolling: a band dragged well below the window must go on growing.
int EdgeDirection(int position, int extent) {
    if (position <= CMultiTreeView::kEdgeMargin) return -1;
    if (position >= extent - CMultiTreeView::kEdgeMargin) return 1;
    return 0;
}

}  // namespace

void CMultiTreeView::OnVerticalScrollTimer() {
    AutoScrollStep(Qt::Vertical);
}

void CMultiTreeView::OnHorizontalScrollTimer() {
    AutoScrollStep(Qt::Horizontal);
}

void CMultiTreeView::AutoScrollStep(Qt::Orientation orientation) {
    const bool vertical = orientation == Qt::Vertical;
    QTimer& timer = vertical ? m_verticalScrollTimer : m_horizontalScrollTimer;
    const QPoint cursor = CursorPos();
    const int direction = m_bandActive
                              ? EdgeDirection(vertical ? cursor.y() : cursor.x(),
                                              vertical ? viewport()->height() : viewport()->width())
                              : 0;
    if (direction == 0) {
        timer.stop();
        return;
    }
    const QTreeWidgetItem* first = FirstRootItem();
    const QRect firstBefore = first ? visualItemRect(first) : QRect();
    (vertical ? verticalScrollBar() : horizontalScrollBar())
        ->triggerAction(direction < 0 ? QAbstractSlider::SliderSingleStepSub
                                      : QAbstractSlider::SliderSingleStepAdd);
    timer.start(vertical ? m_verticalRepeat : m_horizontalRepeat);
    UpdateBand(cursor, FollowScroll(firstBefore));
    UpdateBandSelection();
}

void CMultiTreeView::OnRenameTimer() {
    m_renameTimer.stop();
    QTreeWidgetItem* item = m_renameItem;
    m_renameItem = nullptr;
    if (item) EditLabel(item);
}

// --- The label edit

void CMultiTreeView::EditLabel(QTreeWidgetItem* item) {
    if (!item) return;
    if (IsEditingLabel()) EndLabelEdit();
    if (!(item->flags() & Qt::ItemIsEditable)) item->setFlags(item->flags() | Qt::ItemIsEditable);
    m_editedItem = item;
    m_editDecided = false;
    editItem(item, 0);
    if (state() != QAbstractItemView::EditingState) m_editedItem = nullptr;
}

bool CMultiTreeView::IsEditingLabel() const {
    return m_editedItem != nullptr;
}

void CMultiTreeView::EndLabelEdit() {
    if (!m_editedItem) return;
    QWidget* editor = indexWidget(indexFromItem(m_editedItem));
    if (!editor) {
        m_editedItem = nullptr;
        return;
    }
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void CMultiTreeView::commitData(QWidget* editor) {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!m_editedItem || !line || m_editDecided) return;
    m_editDecided = true;
    QTreeWidgetItem* item = m_editedItem;
    const QString text = line->text();
    if (OnEndLabelEdit(item, &text)) item->setText(0, text);
}

void CMultiTreeView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTreeWidgetItem* item = m_editedItem;
    m_editedItem = nullptr;
    if (item && !m_editDecided) {
        m_editDecided = true;
        OnEndLabelEdit(item, nullptr);
    }
    QTreeWidget::closeEditor(editor, hint);
}

// --- Keyboard

namespace {

// The keys that move through the tree.
bool IsMovingKey(int key) {
    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return true;
        default:
            return false;
    }
}

// The keys the tree acts on (or, like Page Up and Down, deliberately does nothing with).
bool IsTableKey(const QKeyEvent& event) {
    if (IsMovingKey(event.key())) return true;
    switch (event.key()) {
        case Qt::Key_Space:
        case Qt::Key_Backspace:
            return true;
        case Qt::Key_Minus:
        case Qt::Key_Plus:
            return event.modifiers() & Qt::KeypadModifier;
        default:
            return false;
    }
}

// Space acts as a key of its own; control characters (Tab, Return) are no search.
bool IsSearchText(const QString& text) {
    return !text.isEmpty() && text.front().isPrint() && !text.front().isSpace();
}

}  // namespace

void CMultiTreeView::MoveCaretTo(QTreeWidgetItem* target, Qt::KeyboardModifiers modifiers) {
    if (!target) return;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (shift) {
        if (m_anchor) {
            SetCaret(target);
            SelectRange(m_anchor, target, SelectCause::Keyboard);
        }
    } else if (ctrl) {
        SetCaret(target);
    } else {
        SelectOnly(target, SelectCause::Keyboard);
    }
}

void CMultiTreeView::KeyOnCaret(QKeyEvent* event, QTreeWidgetItem* caret) {
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool keypad = modifiers & Qt::KeypadModifier;
    switch (event->key()) {
        case Qt::Key_Left:
            if (IsExpanded(caret)) {
                Collapse(caret, SelectCause::Keyboard);
            } else if (caret->parent()) {
                SelectOnly(caret->parent(), SelectCause::Keyboard);
            }
            return;
        case Qt::Key_Backspace:
            if (caret->parent()) SelectOnly(caret->parent(), SelectCause::Keyboard);
            return;
        case Qt::Key_Right:
            if (caret->childCount() == 0) return;
            if (!IsExpanded(caret))
                caret->setExpanded(true);
            else
                SelectOnly(NextVisible(caret), SelectCause::Keyboard);
            return;
        case Qt::Key_Up:
            MoveCaretTo(PreviousVisible(caret), modifiers);
            return;
        case Qt::Key_Down:
            MoveCaretTo(NextVisible(caret), modifiers);
            return;
        case Qt::Key_Home:
            MoveCaretTo(FirstRootItem(), modifiers);
            return;
        case Qt::Key_End:
            MoveCaretTo(LastVisible(), modifiers);
            return;
        case Qt::Key_Space:
            if (shift && ctrl) {
                SelectOnly(caret, SelectCause::Keyboard);
            } else if (ctrl) {
                if (IsSelected(caret))
                    Deselect(caret, SelectCause::Keyboard);
                else
                    Select(caret, SelectCause::Keyboard);
                m_anchor = caret;
            } else if (shift) {
                if (m_anchor) SelectRange(m_anchor, caret, SelectCause::Keyboard);
            } else {
                Select(caret, SelectCause::Keyboard);
            }
            return;
        case Qt::Key_Minus:
            if (!keypad) break;
            Collapse(caret, SelectCause::Keyboard);
            return;
        case Qt::Key_Plus:
            if (!keypad) break;
            if (caret->childCount() > 0 && !IsExpanded(caret)) caret->setExpanded(true);
            return;
        default:
            break;
    }
    if (!ctrl) keyboardSearch(event->text());
}

void CMultiTreeView::keyPressEvent(QKeyEvent* event) {
    m_renameTimer.stop();
    const int key = event->key();
    if (m_bandActive) {
        if (key == Qt::Key_Escape) EndBand();
        return;
    }
    if (event->modifiers() & Qt::AltModifier) {
        // Alt with a moving key would move Qt's current item; the rest goes on to the window.
        if (!IsMovingKey(key)) event->ignore();
        return;
    }
    if (IsTableKey(*event)) {
        if (QTreeWidgetItem* caret = Caret()) KeyOnCaret(event, caret);
    } else if (!(event->modifiers() & Qt::ControlModifier) && IsSearchText(event->text())) {
        keyboardSearch(event->text());
    } else {
        // Not the tree's key: the window may have a use for it.
        event->ignore();
    }
}

void CMultiTreeView::keyboardSearch(const QString& search) {
    SelectByFirstLetter(search);
}

bool CMultiTreeView::SelectByFirstLetter(const QString& search) {
    if (!IsSearchText(search)) return false;
    const QString wanted = search.left(1).toLower();
    QTreeWidgetItem* reference = Caret() ? Caret() : FirstRootItem();
    if (!reference) return false;
    const std::vector<QTreeWidgetItem*> visible = VisibleItems();
    const auto at = std::find(visible.begin(), visible.end(), reference);
    const std::size_t start =
        at == visible.end() ? 0 : static_cast<std::size_t>(at - visible.begin());
    // After the reference to the end, then from the top up to it, and the reference last.
    for (std::size_t step = 1; step <= visible.size(); ++step) {
        QTreeWidgetItem* item = visible[(start + step) % visible.size()];
        if (item->text(0).left(1).toLower() == wanted) {
            SelectOnly(item, SelectCause::Keyboard);
            return true;
        }
    }
    return false;
}

// --- Focus, size and painting

void CMultiTreeView::RepaintSelectedLabels() {
    for (const QTreeWidgetItem* item : m_selected) {
        const QRect label = LabelRect(item);
        if (!label.isEmpty()) viewport()->update(label);
    }
}

void CMultiTreeView::focusInEvent(QFocusEvent* event) {
    const bool hadCaret = Caret() != nullptr;
    QTreeWidget::focusInEvent(event);
    // Qt makes the first item current when there is none; here no caret stays no caret.
    if (!hadCaret) ClearCaret();
    RepaintSelectedLabels();
}

void CMultiTreeView::focusOutEvent(QFocusEvent* event) {
    QTreeWidget::focusOutEvent(event);
    RepaintSelectedLabels();
}

void CMultiTreeView::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    m_verticalRepeat = 17000 / std::max(viewport()->height(), 1);
    m_horizontalRepeat = 5000 / std::max(viewport()->width(), 1);
}

void CMultiTreeView::paintEvent(QPaintEvent* event) {
    QTreeWidget::paintEvent(event);
    if (!m_bandActive || m_bandRect.isEmpty()) return;
    // The band is drawn over the items on every paint, so erasing it is painting the items again.
    // A checked pattern tied to the pixels, as focus rectangles are drawn.
    QPainter painter(viewport());
    const QBrush pattern(palette().color(QPalette::Text), Qt::Dense4Pattern);
    for (const QRect& edge : Frame(m_bandRect))
        painter.fillRect(edge, pattern);
}
