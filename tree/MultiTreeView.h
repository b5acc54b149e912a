#pragma once

#include <QPoint>
#include <QRect>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <unordered_set>
#include <vector>

class QTreeWidgetItem;
class CSelectionDelegate;

// Who made a change of the selection: the program itself, the mouse (clicks, Ctrl+click and the
// rubber band) or the keyboard. The derived panes react to every change with its cause.
enum class SelectCause { Program = 0, Mouse = 1, Keyboard = 2 };

// A tree that lets the user select any set of items. Qt's own selection handling is switched off:
// the view keeps its own ordered list of selected items (in the order they were selected), an
// anchor for Shift ranges and a caret item (the keyboard focus, independent of the selection).
// It handles Ctrl and Shift clicks, keyboard ranges, a rubber band with auto-scrolling, type-ahead
// by first letter and a delayed in-place rename, and reports every single selection change to the
// derived classes through OnItemSelected / OnItemDeselected, in the order the changes are made.
//
// Item handles are the widget's own items; an item is "visible" when all its ancestors are
// expanded (whether or not it is scrolled into view). Items are never hidden with setHidden, and
// an item is deselected before it is deleted (the selected list holds plain pointers; clear()
// forgets the whole selection without notifications).
class CMultiTreeView : public QTreeWidget {
    Q_OBJECT

public:
    static constexpr int kDragThreshold = 5;  // pixels, either direction: starts a drag or a band
    static constexpr int kEdgeMargin = 10;    // pixels from the edge that start auto-scrolling
    static constexpr int kFirstScrollInterval = 400;    // ms
    static constexpr int kInitialRepeatInterval = 200;  // ms, until the first resize
    static constexpr int kRenameDelay = 500;            // ms

    explicit CMultiTreeView(QWidget* parent = nullptr);
    ~CMultiTreeView() override;
    CMultiTreeView(const CMultiTreeView&) = delete;
    CMultiTreeView& operator=(const CMultiTreeView&) = delete;

    // --- The selection primitives. Each keeps the items' selected marks, the selected list and
    // the notifications consistent; the derived classes call them too (with SelectCause::Program).

    [[nodiscard]] bool IsSelected(const QTreeWidgetItem* item) const;
    [[nodiscard]] static bool IsExpanded(const QTreeWidgetItem* item);
    // Adds the item at the end of the selected list (nothing when it is selected already).
    void Select(QTreeWidgetItem* item, SelectCause cause);
    void Deselect(QTreeWidgetItem* item, SelectCause cause);
    // Deselects every selected item, in list order.
    void DeselectAll(SelectCause cause);
    // The item becomes the only selected one, the caret and the anchor. An item that was selected
    // already stays so without a notification.
    void SelectOnly(QTreeWidgetItem* item, SelectCause cause);
    // Moves the caret without changing the selection; the first caret also becomes the anchor.
    // During a band the band follows a scroll that the move causes.
    void SetCaret(QTreeWidgetItem* item);
    // Flips the item's membership (cause Mouse); the item becomes the caret and the anchor.
    void Toggle(QTreeWidgetItem* item);
    // The visible items from `from` to `to` (either order, both included) are selected, every
    // other visible item deselected; items inside collapsed parents keep their state.
    void SelectRange(QTreeWidgetItem* from, QTreeWidgetItem* to, SelectCause cause);
    // Selects (or deselects) the visible items from `from` towards `to`, `to` excluded, then
    // selects `to`.
    void ExtendRange(QTreeWidgetItem* from, QTreeWidgetItem* to, SelectCause cause, bool select);
    // Deselects every selected descendant, children before their parent's next sibling.
    void DeselectDescendants(QTreeWidgetItem* item, SelectCause cause);
    // Collapses an expanded item (as Collapse, cause Mouse) or expands a collapsed one.
    void ToggleExpansion(QTreeWidgetItem* item);
    // Deselects the item's descendants, pulls the caret out of its subtree onto it, then
    // collapses it.
    void Collapse(QTreeWidgetItem* item, SelectCause cause);
    // True when `candidate` is a parent, grandparent, ... of `item`.
    [[nodiscard]] static bool IsAncestor(const QTreeWidgetItem* item,
                                         const QTreeWidgetItem* candidate);
    // 0 when the items are the same, 1 when `second` lies below `first` in visible order, -1 when
    // above (or not visible).
    [[nodiscard]] int Order(const QTreeWidgetItem* first, const QTreeWidgetItem* second) const;

    // The selected items in the order they were selected.
    [[nodiscard]] const std::vector<QTreeWidgetItem*>& SelectedList() const noexcept {
        return m_selected;
    }
    [[nodiscard]] QTreeWidgetItem* Anchor() const noexcept { return m_anchor; }
    void SetAnchor(QTreeWidgetItem* item) noexcept { m_anchor = item; }
    // The caret item; null when there is none.
    [[nodiscard]] QTreeWidgetItem* Caret() const;
    // Clears the caret (no item has the keyboard focus).
    void ClearCaret();

    // --- Walking the visible items, top to bottom. Null past either end.
    [[nodiscard]] QTreeWidgetItem* FirstRootItem() const;
    [[nodiscard]] QTreeWidgetItem* NextVisible(const QTreeWidgetItem* item) const;
    [[nodiscard]] QTreeWidgetItem* PreviousVisible(const QTreeWidgetItem* item) const;
    [[nodiscard]] QTreeWidgetItem* LastVisible() const;

    // --- Geometry, in viewport coordinates.
    // The rectangle of the item's icon and label (what a click or the band must touch); empty
    // when the item is not visible.
    [[nodiscard]] QRect LabelRect(const QTreeWidgetItem* item) const;
    // The item's whole row across the viewport.
    [[nodiscard]] QRect RowRect(const QTreeWidgetItem* item) const;
    // The item whose icon or label holds the point; null elsewhere (also on the expand button).
    [[nodiscard]] QTreeWidgetItem* ItemOnLabel(QPoint point) const;

    // --- The rubber band.
    [[nodiscard]] bool IsBandActive() const noexcept { return m_bandActive; }
    // The band last drawn, normalised; empty when no band is active.
    [[nodiscard]] QRect BandRect() const noexcept { return m_bandRect; }
    // Ends an active band: erases it, releases the mouse and stops both scroll timers.
    void EndBand();

    // --- Timers, reachable so that tests fire them without waiting.
    [[nodiscard]] QTimer& VerticalScrollTimer() noexcept { return m_verticalScrollTimer; }
    [[nodiscard]] QTimer& HorizontalScrollTimer() noexcept { return m_horizontalScrollTimer; }
    [[nodiscard]] QTimer& RenameTimer() noexcept { return m_renameTimer; }
    // The repeat intervals: kInitialRepeatInterval until the first resize, then 17000 / height
    // and 5000 / width of the viewport (at least 1 pixel), in whole milliseconds.
    [[nodiscard]] int VerticalRepeatInterval() const noexcept { return m_verticalRepeat; }
    [[nodiscard]] int HorizontalRepeatInterval() const noexcept { return m_horizontalRepeat; }
    void OnVerticalScrollTimer();
    void OnHorizontalScrollTimer();
    void OnRenameTimer();
    // Where the timers take the cursor from; the real cursor unless a test sets a source.
    void SetCursorSource(std::function<QPoint()> globalCursor);

    // The item behind a model index of this view is selected (for the item delegate).
    [[nodiscard]] bool IsIndexSelected(const QModelIndex& index) const;
    // The visible items, top to bottom.
    [[nodiscard]] std::vector<QTreeWidgetItem*> VisibleItems() const;
    // Type-ahead, as SelectByFirstLetter (Qt's own search would move the current item).
    void keyboardSearch(const QString& search) override;
    // Selects only the next visible item after the caret (wrapping round, the caret's own item
    // last) whose label starts with the text's first character. False when none does, or the
    // text is no search (empty, a space or a control character).
    bool SelectByFirstLetter(const QString& text);

protected:
    // An item entered or left the selection. The base does nothing.
    virtual void OnItemSelected(QTreeWidgetItem* item, SelectCause cause);
    virtual void OnItemDeselected(QTreeWidgetItem* item, SelectCause cause);
    // The mouse moved past the drag threshold with a button down on `item`; `point` is where the
    // button went down (viewport coordinates). The base does nothing.
    virtual void OnBeginDrag(QTreeWidgetItem* item, QPoint point);
    // The in-place label edit of `item` ended with `text`, or was cancelled (`text` null). True
    // accepts the text as the item's label. The base accepts.
    virtual bool OnEndLabelEdit(QTreeWidgetItem* item, const QString* text);
    // The right button went up over the tree (global position). The base does nothing.
    virtual void OnContextMenuRequest(QPoint globalPos);

    // Starts the in-place label edit of the item.
    void EditLabel(QTreeWidgetItem* item);
    [[nodiscard]] bool IsEditingLabel() const;
    void EndLabelEdit();

    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // The label edit's end goes through OnEndLabelEdit instead of straight into the model.
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    [[nodiscard]] QPoint CursorPos() const;
    void PressOnItem(QTreeWidgetItem* item, Qt::KeyboardModifiers modifiers, bool left);
    void KeyOnCaret(QKeyEvent* event, QTreeWidgetItem* caret);
    void MoveCaretTo(QTreeWidgetItem* target, Qt::KeyboardModifiers modifiers);
    // The band from the origin to the cursor; `scrolled` is how far the contents (and with them
    // the band last drawn) moved since the last update.
    void UpdateBand(QPoint cursor, QPoint scrolled = {});
    void UpdateBandSelection();
    // Repaints where the band's frame was or now is; `drawn` is where the old frame's pixels are.
    void InvalidateBand(const QRect& drawn, const QRect& now);
    void StartEdgeTimers(QPoint point);
    // Moves the band origin by how far the contents scrolled since `firstBefore` was measured.
    // Returns that distance.
    QPoint FollowScroll(const QRect& firstBefore);
    // One step of a band's auto-scroll timer in that direction; stops the timer once the cursor
    // is back inside.
    void AutoScrollStep(Qt::Orientation orientation);
    void RepaintSelectedLabels();
    void MarkChanged(QTreeWidgetItem* item);
    // Items are about to leave the tree (deleted, or taken out to be moved): the pending rename,
    // the label edit and the press no longer refer to them.
    void ForgetLeaving(const QModelIndex& parent, int first, int last);

    CSelectionDelegate* m_delegate = nullptr;
    std::unordered_set<const QTreeWidgetItem*> m_marked;
    QTreeWidgetItem* m_buttonDownItem = nullptr;
    // During a band: the visible items, and their label rectangles relative to the first root
    // item's (null until measured), so that a move measures each label once.
    std::vector<QTreeWidgetItem*> m_bandItems;
    std::vector<QRect> m_bandLabels;
    QTreeWidgetItem* m_editedItem = nullptr;
    bool m_editDecided = false;

    std::vector<QTreeWidgetItem*> m_selected;
    QTreeWidgetItem* m_anchor = nullptr;
    QTreeWidgetItem* m_pendingRename = nullptr;
    QTreeWidgetItem* m_renameItem = nullptr;
    bool m_buttonDown = false;
    QPoint m_buttonDownPoint;
    bool m_bandPending = false;
    bool m_bandActive = false;
    bool m_bandShift = false;
    bool m_bandCtrl = false;
    QPoint m_bandOrigin;
    QRect m_bandRect;
    std::vector<bool> m_bandSnapshot;
    QTimer m_verticalScrollTimer;
    QTimer m_horizontalScrollTimer;
    QTimer m_renameTimer;
    int m_verticalRepeat = kInitialRepeatInterval;
    int m_horizontalRepeat = kInitialRepeatInterval;
    std::function<QPoint()> m_globalCursor;
};
