#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <array>
#include <vector>

#include "tree/MultiTreeView.h"

class QMimeData;
class QTreeWidgetItem;

// Where dropped or moved items go: under `parent` (null for the root level), directly after
// `after` (a child of `parent`), or first or last among its children.
struct CInsertionPoint {
    enum class Place { None, After, First, Last };
    Place place = Place::None;  // None: there is no valid insertion point
    QTreeWidgetItem* parent = nullptr;
    QTreeWidgetItem* after = nullptr;  // only with Place::After

    [[nodiscard]] bool IsValid() const noexcept { return place != Place::None; }
    bool operator==(const CInsertionPoint&) const = default;
};

// The multi-selection tree with drag and drop: the selected subtrees can be dragged to another
// place in the same tree (a move, done by the drop side), to another running copy or to a file
// manager (as a tree file written only when a receiver first asks for it), and tree files can be
// dropped onto the tree from outside. While something is dragged over the tree it shows where the
// items would go (an insertion mark), scrolls near the edges and expands a collapsed item after a
// pause. With Tab held down, the arrow keys move the caret item.
//
// The drag carries a private MIME type holding this process's identity, so that a drop tells a
// move inside this tree from data of another running copy, and text/uri-list for the file.
class CDragAndDropTreeView : public CMultiTreeView {
    Q_OBJECT

public:
    // The private MIME type of a drag that starts in a tree of this program.
    static const QString kInternalMimeType;
    static constexpr int kExpandDelay = 400;  // ms

    explicit CDragAndDropTreeView(QWidget* parent = nullptr);
    ~CDragAndDropTreeView() override;

    // This process's identity as the private MIME type carries it.
    [[nodiscard]] static QByteArray ProcessIdentity();

    // The insertion point for a point in viewport coordinates, from the hit zones of the item
    // under it and the depth that x indicates.
    [[nodiscard]] CInsertionPoint InsertionPointAt(QPoint point) const;
    // The bar and the tick of the insertion mark for an insertion point (empty when invalid).
    [[nodiscard]] std::array<QRect, 2> MarkRects(const CInsertionPoint& point) const;
    // The insertion point last computed during the current drag, and the mark shown for it.
    [[nodiscard]] const CInsertionPoint& DropPoint() const noexcept { return m_dropPoint; }
    [[nodiscard]] bool IsMarkShown() const noexcept { return m_markShown; }

    // The selected items that have no selected ancestor, in visible order.
    [[nodiscard]] std::vector<QTreeWidgetItem*> CollectTopMostSelected() const;
    // Moves the top-most selected subtrees to the insertion point through MoveItems.
    void MoveSelection(const CInsertionPoint& to);

    // --- Timers, reachable so that tests fire them without waiting.
    [[nodiscard]] QTimer& ExpandTimer() noexcept { return m_expandTimer; }
    [[nodiscard]] QTimer& DragVerticalScrollTimer() noexcept { return m_dragVerticalTimer; }
    [[nodiscard]] QTimer& DragHorizontalScrollTimer() noexcept { return m_dragHorizontalTimer; }
    void OnExpandTimer();
    void OnDragVerticalScrollTimer();
    void OnDragHorizontalScrollTimer();

    // Called by the lazy drag data whenever a receiver asks for a format; the view answers from
    // RenderData. Public for the data object, not for other callers.
    [[nodiscard]] QVariant RenderForDrag(const QString& mimeType);

protected:
    // False without an insertion point; true at the root level and for data from outside; for a
    // move inside this tree, false when the parent is a selected item or inside one's subtree.
    [[nodiscard]] virtual bool CanDrop(const CInsertionPoint& point, bool internal) const;
    // Imports dropped data that is not a move inside this tree; false on failure. The base
    // refuses.
    virtual bool DropForeignData(const QMimeData& data, const CInsertionPoint& point);
    // Every move of items, by a drop or by the keyboard: the items with their subtrees go, in
    // order, to the insertion point (`to.after` may be one of them). The base moves the widget's
    // items themselves, keeping them with their data, expanded and selected state, the caret and
    // the anchor; a view of a model moves them in the model instead.
    virtual void MoveItems(const std::vector<QTreeWidgetItem*>& items, const CInsertionPoint& to);
    // Puts the item, with its subtree, at `index` among the children of `parent` (null for the
    // root level; the index counts without the item), keeping the expansion below it and the
    // caret.
    void PlaceItem(QTreeWidgetItem& item, QTreeWidgetItem* parent, int index);
    // The drag's data for a MIME type: the internal identity here; the index view adds the tree
    // file (text/uri-list). A null QVariant when the format cannot be given.
    [[nodiscard]] virtual QVariant RenderData(const QString& mimeType);
    // True once the current drag's tree file was written (it is written once per drag).
    [[nodiscard]] bool IsFileRendered() const noexcept { return m_fileRendered; }
    void SetFileRendered() noexcept { m_fileRendered = true; }
    // The data of a new drag (the file of the previous one is forgotten); OnBeginDrag runs the
    // drag with it.
    [[nodiscard]] QMimeData* BeginDragData();

    void OnBeginDrag(QTreeWidgetItem* item, QPoint point) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void focusOutEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void UpdateRepeatIntervals();

    // True when the data comes from a drag started in this process.
    [[nodiscard]] bool IsOwnData(const QMimeData* data) const;
    // The common part of drag enter and drag move.
    void DragOver(QDragMoveEvent* event);
    // Shows the mark for the point (hides it for an invalid one), repainting what changed.
    void ShowMark(const CInsertionPoint& point);
    // Stops the three timers, hides the mark and forgets the insertion point.
    void StopDragFeedback();
    // Scrolls one step while `position` is within the edge margin of `extent`; false elsewhere.
    bool ScrollNearEdge(int position, int extent, bool vertical);
    void MoveCaretItem(int key);

    CInsertionPoint m_dropPoint;
    QPoint m_dragPoint;  // the cursor in viewport coordinates during a drag over the tree
    bool m_markShown = false;
    std::array<QRect, 2> m_markRects;
    QTimer m_expandTimer;
    QTimer m_dragVerticalTimer;
    QTimer m_dragHorizontalTimer;
    int m_verticalRepeat = kInitialRepeatInterval;
    int m_horizontalRepeat = kInitialRepeatInterval;
    bool m_fileRendered = false;
    bool m_tabDown = false;
};
