// The drag and drop tree driven through its real events: drag enter, move, leave and drop sent
// to the viewport with the data a drag would carry. QDrag::exec runs a loop of its own, so the
// drags start from the tree's own drag data.
#include <gtest/gtest.h>

#include <QDropEvent>
#include <QMimeData>
#include <QTreeWidgetItemIterator>
#include <memory>

#include "tests/tree/TreeTestSupport.h"
#include "tree/DragAndDropTreeView.h"

namespace {

constexpr int kDataRole = Qt::UserRole + 1;

class CTestTree : public CDragAndDropTreeView {
public:
    using CDragAndDropTreeView::BeginDragData;

    std::vector<std::string> log;  // moves, and the selection changes there should be none of

    // Every item carries a datum of its own.
    void Build(const std::string& outline) {
        DeselectAll(SelectCause::Program);
        SetAnchor(nullptr);
        clear();
        TreeTestSupport::BuildTree(*this, outline);
        for (QTreeWidgetItemIterator it(this); *it != nullptr; ++it)
            (*it)->setData(0, kDataRole, (*it)->text(0) + "-data");
    }
    QTreeWidgetItem* operator[](const std::string& name) const {
        return TreeTestSupport::Find(*this, QString::fromStdString(name));
    }
    // The tree back as an outline, with selected items marked '*'.
    std::string Outline() const {
        std::string text;
        const auto walk = [&](const auto& self, const QTreeWidgetItem* parent, int level) -> void {
            for (int i = 0; i < parent->childCount(); ++i) {
                const QTreeWidgetItem* item = parent->child(i);
                text += std::string(2 * level, ' ') + item->text(0).toStdString();
                if (item->childCount() > 0 && !item->isExpanded()) text += '+';
                text += IsSelected(item) ? "*\n" : "\n";
                self(self, item, level + 1);
            }
        };
        walk(walk, invisibleRootItem(), 0);
        return text;
    }

protected:
    void OnItemSelected(QTreeWidgetItem* item, SelectCause) override {
        log.push_back("+" + item->text(0).toStdString());
    }
    void OnItemDeselected(QTreeWidgetItem* item, SelectCause) override {
        log.push_back("-" + item->text(0).toStdString());
    }
    void MoveItems(const std::vector<QTreeWidgetItem*>& items, const CInsertionPoint& to) override {
        log.push_back("move " + std::to_string(items.size()));
        CDragAndDropTreeView::MoveItems(items, to);
    }
};

// Rows: A, A1, A2, A2a, A2b, B (collapsed over B1), C, C1.
const char* const kOutline = "A\n  A1\n  A2\n    A2a\n    A2b\nB+\n  B1\nC\n  C1\n";

class DragAndDropTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_tree.setHeaderHidden(true);
        m_tree.resize(300, 400);
        m_tree.show();
        m_tree.Build(kOutline);
    }

    // A point in the row of `name`: at a fraction of its height and at an x indicating `depth`.
    QPoint At(const std::string& name, double fraction, int depth) const {
        const QRect row = m_tree.visualItemRect(m_tree[name]);
        const int indent = m_tree.indentation();
        const int rootLeft = m_tree.visualItemRect(m_tree.topLevelItem(0)).left();
        return {rootLeft + (depth - 2) * indent + indent / 2,
                row.top() + static_cast<int>(row.height() * fraction)};
    }
    std::unique_ptr<QMimeData> OwnData() {
        return std::unique_ptr<QMimeData>(m_tree.BeginDragData());
    }

    // Sends a drag move to the viewport (after the enter a drag starts with); true when the tree
    // accepts it.
    bool DragTo(const QMimeData& data, QPoint point, Qt::DropAction* action = nullptr) {
        Enter(data, point);
        QDragMoveEvent event(point, kActions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_tree.viewport(), &event);
        if (action != nullptr) *action = event.dropAction();
        return event.isAccepted();
    }
    bool DropAt(const QMimeData& data, QPoint point) {
        Enter(data, point);
        m_entered = false;
        QDropEvent drop(point, kActions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_tree.viewport(), &drop);
        return drop.isAccepted();
    }
    void Leave() {
        m_entered = false;
        QDragLeaveEvent leave;
        QApplication::sendEvent(m_tree.viewport(), &leave);
    }

    static constexpr Qt::DropActions kActions = Qt::CopyAction | Qt::MoveAction;
    CTestTree m_tree;

private:
    void Enter(const QMimeData& data, QPoint point) {
        if (std::exchange(m_entered, true)) return;
        QDragEnterEvent enter(point, kActions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_tree.viewport(), &enter);
    }
    bool m_entered = false;
};

TEST_F(DragAndDropTest, PointAndMarkOverTheWidget) {
    using Place = CInsertionPoint::Place;
    // The rules in full are tested without the widget; here the widget's rows, label lefts and
    // the space below the rows.
    const QPoint below = {At("C1", 0, 2).x(), m_tree.visualItemRect(m_tree["C1"]).bottom() + 20};
    const std::pair<QPoint, CInsertionPoint> points[] = {
        {At("A", 0.9, 1), {Place::After, nullptr, m_tree["A"]}},
        {{m_tree.viewport()->width() - 2, At("A2b", 0.9, 2).y()},
         {Place::Last, m_tree["A2"], nullptr}},
        {below, {Place::Last, m_tree["C"], nullptr}},
        {{below.x(), m_tree.viewport()->height()}, {}},
    };
    for (const auto& [point, want] : points)
        EXPECT_TRUE(m_tree.InsertionPointAt(point) == want) << point.x() << "," << point.y();

    auto data = OwnData();
    m_tree.SelectOnly(m_tree["C1"], SelectCause::Mouse);
    ASSERT_TRUE(DragTo(*data, At("A", 0.5, 2)));
    EXPECT_TRUE(m_tree.IsMarkShown());
    Leave();
    EXPECT_FALSE(m_tree.IsMarkShown());
    EXPECT_FALSE(m_tree.DropPoint().IsValid());
}

TEST_F(DragAndDropTest, MoveKeepsDataExpansionSelectionCaretAndAnchorAndOrder) {
    m_tree["A2b"]->setExpanded(false);                    // childless: stays as it is
    m_tree.SelectOnly(m_tree["A2"], SelectCause::Mouse);  // caret and anchor
    m_tree.Select(m_tree["A2a"], SelectCause::Mouse);
    m_tree.Select(m_tree["B"], SelectCause::Mouse);
    m_tree.SetCaret(m_tree["A2b"]);
    m_tree.log.clear();
    // Onto a selected item, inside a selected subtree, after an item of one: refused.
    auto data = OwnData();
    for (const QPoint point : {At("A2", 0.5, 3), At("A2b", 0.5, 4), At("A2b", 0.9, 3)})
        EXPECT_FALSE(DragTo(*data, point)) << point.y();
    Qt::DropAction action = Qt::IgnoreAction;
    EXPECT_TRUE(DragTo(*data, At("A2", 0.9, 2), &action));  // after A2, beside itself
    EXPECT_EQ(action, Qt::MoveAction);
    EXPECT_FALSE(DropAt(*data, At("A2b", 0.5, 4)));
    EXPECT_TRUE(m_tree.log.empty());
    ASSERT_TRUE(DropAt(*data, At("C", 0.5, 2)));
    EXPECT_EQ(m_tree.Outline(), "A\n  A1\nC\n  A2*\n    A2a*\n    A2b\n  B+*\n    B1\n  C1\n");
    // The items themselves move: no selection changes to report.
    EXPECT_EQ(m_tree.log, std::vector<std::string>{"move 2"});
    EXPECT_EQ(m_tree.SelectedList(),
              (std::vector<QTreeWidgetItem*>{m_tree["A2"], m_tree["A2a"], m_tree["B"]}));
    EXPECT_EQ(m_tree.Caret(), m_tree["A2b"]);
    EXPECT_EQ(m_tree.Anchor(), m_tree["A2"]);
    for (const char* name : {"A2", "A2a", "A2b", "B", "B1"})
        EXPECT_EQ(m_tree[name]->data(0, kDataRole).toString(), QString(name) + "-data");
    EXPECT_FALSE(m_tree.DropPoint().IsValid());
    EXPECT_FALSE(m_tree.IsMarkShown());

    // Dropped just after the first of the moved items: they go in order in its place.
    m_tree.Build(kOutline);
    m_tree.SelectOnly(m_tree["A"], SelectCause::Mouse);
    m_tree.Select(m_tree["C"], SelectCause::Mouse);
    ASSERT_TRUE(DropAt(*OwnData(), At("A", 0.9, 1)));
    EXPECT_EQ(m_tree.Outline(), "A*\n  A1\n  A2\n    A2a\n    A2b\nC*\n  C1\nB+\n  B1\n");
}

TEST_F(DragAndDropTest, TheTimerExpandsTheDropParent) {
    auto data = OwnData();
    m_tree.SelectOnly(m_tree["A1"], SelectCause::Mouse);
    DragTo(*data, At("A", 0.5, 2));  // expanded already
    EXPECT_FALSE(m_tree.ExpandTimer().isActive());
    DragTo(*data, At("B", 0.5, 2));
    EXPECT_TRUE(m_tree.ExpandTimer().isActive());
    m_tree.OnExpandTimer();
    EXPECT_TRUE(m_tree["B"]->isExpanded());
    EXPECT_FALSE(m_tree.ExpandTimer().isActive());
    // Below a collapsed item the drop parent is not the item under the mouse.
    m_tree["B"]->setExpanded(false);
    DragTo(*data, At("B", 0.9, 1));
    EXPECT_FALSE(m_tree.ExpandTimer().isActive());
}

}  // namespace
