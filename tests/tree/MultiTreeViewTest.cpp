// The tree widgets driven by real mouse, key and drag events, and the drag rules without a widget.
#include <gtest/gtest.h>

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QScreen>
#include <QTest>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tree/DragAndDropTreeView.h"
#include "tree/DragRules.h"

namespace {

std::string Label(const QTreeWidgetItem* item) {
    return item ? item->text(0).toStdString() : std::string("-");
}

std::string Labels(const std::vector<QTreeWidgetItem*>& items) {
    std::string out;
    for (const QTreeWidgetItem* item : items)
        out += (out.empty() ? "" : " ") + Label(item);
    return out;
}

constexpr int kDataRole = Qt::UserRole + 1;

// A tree that records what it reports: "+B:1 -C:2" (B selected by mouse, C deselected by key),
// "drag:B", "menu", "edit:B=text", "edit:B cancelled", "move 2"; drags and menus go no further.
class CTestTree : public CDragAndDropTreeView {
public:
    using CDragAndDropTreeView::BeginDragData;
    using CDragAndDropTreeView::EditLabel;
    using CDragAndDropTreeView::IsEditingLabel;

    // From an outline: one item per line, two spaces of indent per level, every parent expanded
    // but those marked with a trailing '+'. Every item carries a datum of its own.
    void Build(std::string_view outline) {
        DeselectAll(SelectCause::Program);
        SetAnchor(nullptr);
        clear();
        std::vector<QTreeWidgetItem*> parents, collapsed;
        while (!outline.empty()) {
            const std::size_t end = std::min(outline.find('\n'), outline.size());
            const std::string_view line = outline.substr(0, end);
            outline.remove_prefix(std::min(end + 1, outline.size()));
            const std::size_t text = line.find_first_not_of(' ');
            parents.resize(std::min(parents.size(), text / 2));
            QString label = QString::fromUtf8(line.substr(text));
            const bool plus = label.endsWith('+');
            if (plus) label.chop(1);
            auto* item = parents.empty() ? new QTreeWidgetItem(this, {label})
                                         : new QTreeWidgetItem(parents.back(), {label});
            item->setData(0, kDataRole, label + "-data");
            parents.push_back(item);
            if (plus) collapsed.push_back(item);
        }
        expandAll();
        for (QTreeWidgetItem* item : collapsed)
            item->setExpanded(false);
    }
    QTreeWidgetItem* operator[](std::string_view label) const {
        const QList<QTreeWidgetItem*> found =
            findItems(QString::fromUtf8(label), Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.front();
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
    // The notes since the last call.
    std::string TakeNotes() { return std::exchange(m_notes, std::string()); }
    bool m_acceptLabel = true;

protected:
    void OnItemSelected(QTreeWidgetItem* item, SelectCause cause) override {
        Note("+" + Label(item) + ":" + std::to_string(static_cast<int>(cause)));
        CDragAndDropTreeView::OnItemSelected(item, cause);
    }
    void OnItemDeselected(QTreeWidgetItem* item, SelectCause cause) override {
        Note("-" + Label(item) + ":" + std::to_string(static_cast<int>(cause)));
        CDragAndDropTreeView::OnItemDeselected(item, cause);
    }
    void OnBeginDrag(QTreeWidgetItem* item, QPoint /*point*/) override {
        Note("drag:" + Label(item));
    }
    void OnContextMenuRequest(QPoint /*globalPos*/) override { Note("menu"); }
    bool OnEndLabelEdit(QTreeWidgetItem* item, const QString* text) override {
        Note("edit:" + Label(item) + (text ? "=" + text->toStdString() : " cancelled"));
        return m_acceptLabel;
    }
    void MoveItems(const std::vector<QTreeWidgetItem*>& items, const CInsertionPoint& to) override {
        Note("move " + std::to_string(items.size()));
        CDragAndDropTreeView::MoveItems(items, to);
    }

private:
    void Note(const std::string& note) { m_notes += (m_notes.empty() ? "" : " ") + note; }
    std::string m_notes;
};

// Twenty items in three levels; all expanded, every row fits into the view.
constexpr std::string_view kOutline = R"(A
  A1
  A2
    A2a
    A2b
  A3
B
  B1
  B2
C
  C1
    C1a
    C1b
    C1c
  C2
D
E
  E1
  E2
F)";

class MultiTreeViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_view.Build(kOutline);
        m_view.resize(300, 600);
        m_view.show();
        QApplication::processEvents();
    }

    QTreeWidgetItem* Item(std::string_view label) {
        QTreeWidgetItem* item = m_view[label];
        EXPECT_NE(item, nullptr) << label;
        return item;
    }
    QPoint On(std::string_view label) { return m_view.LabelRect(Item(label)).center(); }
    // Empty space right of the labels, on the item's row.
    QPoint RightOf(std::string_view label) { return {280, On(label).y()}; }
    QWidget* Port() { return m_view.viewport(); }

    // "click X", "ctrl X", "shift X", "ctrlshift X", "right X", "button X" (expand button),
    // "dclick X", "type c", "key K" (K a key sequence: "Ctrl+Home", "Num+-").
    void Act(std::string_view action) {
        const std::size_t space = action.find(' ');
        const std::string_view verb = action.substr(0, space);
        const std::string_view arg = action.substr(space + 1);
        static const std::map<std::string_view, Qt::KeyboardModifiers> kMods = {
            {"click", {}},
            {"ctrl", Qt::ControlModifier},
            {"shift", Qt::ShiftModifier},
            {"ctrlshift", Qt::ControlModifier | Qt::ShiftModifier}};
        if (kMods.count(verb)) {
            QTest::mouseClick(Port(), Qt::LeftButton, kMods.at(verb), On(arg));
        } else if (verb == "right") {
            QTest::mouseClick(Port(), Qt::RightButton, {}, On(arg));
        } else if (verb == "button") {
            const QRect cell = m_view.visualItemRect(Item(arg));
            QTest::mouseClick(Port(), Qt::LeftButton, {},
                              {cell.left() - m_view.indentation() / 2, cell.center().y()});
        } else if (verb == "dclick") {
            // A real double click: press, release, double click, release.
            QTest::mouseClick(Port(), Qt::LeftButton, {}, On(arg));
            QTest::mouseDClick(Port(), Qt::LeftButton, {}, On(arg));
            QTest::mouseRelease(Port(), Qt::LeftButton, {}, On(arg));
        } else if (verb.ends_with("band")) {
            // From right of one label onto the middle of another: a small move starts no band;
            // shrunk back to its start it gives back the selection before (none without Shift or
            // Ctrl); then onto the other again and let go.
            const Qt::KeyboardModifiers mods = verb == "band"
                                                   ? Qt::KeyboardModifiers()
                                                   : kMods.at(verb.substr(0, verb.size() - 4));
            const std::string_view from = arg.substr(0, arg.find(' '));
            const std::string_view to = arg.substr(arg.find(' ') + 1);
            const std::string before = Labels(m_view.SelectedList());
            QTest::mousePress(Port(), Qt::LeftButton, mods, RightOf(from));
            QTest::mouseMove(Port(), RightOf(from) - QPoint(3, 0));
            EXPECT_FALSE(m_view.IsBandActive());
            QTest::mouseMove(Port(), On(to));
            EXPECT_TRUE(m_view.IsBandActive());
            QTest::mouseMove(Port(), RightOf(from) - QPoint(1, 0));
            EXPECT_EQ(Labels(m_view.SelectedList()), mods ? before : "");
            m_view.TakeNotes();
            QTest::mouseMove(Port(), On(to));
            QTest::mouseRelease(Port(), Qt::LeftButton, mods, On(to));
            EXPECT_FALSE(m_view.IsBandActive());
            EXPECT_TRUE(m_view.BandRect().isEmpty());
        } else if (verb == "type") {
            QTest::keyClick(&m_view, arg.front());
        } else {
            const QKeyCombination key = QKeySequence::fromString(QString::fromUtf8(arg))[0];
            ASSERT_NE(key.key(), Qt::Key_unknown) << arg;
            QTest::keyClick(&m_view, key.key(), key.keyboardModifiers());
        }
    }

    std::string State() {
        return "sel=" + Labels(m_view.SelectedList()) + " anchor=" + Label(m_view.Anchor()) +
               " caret=" + Label(m_view.Caret()) +
               (m_view.RenameTimer().isActive() ? " rename" : "");
    }

    CTestTree m_view;
};

struct Step {
    const char* action;
    const char* state;
    const char* notes;
};

TEST_F(MultiTreeViewTest, ClicksAndKeysGiveExactlyThisSelection) {
    const std::vector<Step> steps = {
        {"click A1", "sel=A1 anchor=A1 caret=A1", "+A1:1"},
        {"shift B", "sel=A1 A2 A2a A2b A3 B anchor=A1 caret=B", "+A2:1 +A2a:1 +A2b:1 +A3:1 +B:1"},
        // Ctrl+click on a selected item removes it and makes it the anchor; Shift+click then
        // selects exactly the range from it.
        {"ctrl A2a", "sel=A1 A2 A2b A3 B anchor=A2a caret=A2a", "-A2a:1"},
        {"shift A3", "sel=A2b A3 A2a anchor=A2a caret=A3", "-A1:1 -A2:1 +A2a:1 -B:1"},
        {"ctrl A2a", "sel=A2b A3 anchor=A2a caret=A2a", "-A2a:1"},
        {"ctrl F", "sel=A2b A3 F anchor=F caret=F", "+F:1"},
        {"key Ctrl+Home", "sel=A2b A3 F anchor=F caret=A", ""},
        {"key Ctrl+Space", "sel=A2b A3 F A anchor=A caret=A", "+A:2"},
        {"key Ctrl+Space", "sel=A2b A3 F anchor=A caret=A", "-A:2"},
        // Shift+Ctrl+click from a deselected anchor deselects the range, selects the clicked
        // item and leaves the rest alone.
        {"ctrlshift B1", "sel=F B1 anchor=A caret=B1", "-A2b:1 -A3:1 +B1:1"},
        {"ctrl B2", "sel=F B1 B2 anchor=B2 caret=B2", "+B2:1"},
        // A click on one item of several keeps them all (so that all can be dragged).
        {"click B1", "sel=F B1 B2 anchor=B2 caret=B1", ""},
        {"key Down", "sel=B2 anchor=B2 caret=B2", "-F:2 -B1:2"},
        {"key Shift+Down", "sel=B2 C anchor=B2 caret=C", "+C:2"},
        {"key Shift+Down", "sel=B2 C C1 anchor=B2 caret=C1", "+C1:2"},
        {"key Shift+Up", "sel=B2 C anchor=B2 caret=C", "-C1:2"},
        {"key Ctrl+Down", "sel=B2 C anchor=B2 caret=C1", ""},
        {"key Space", "sel=B2 C C1 anchor=B2 caret=C1", "+C1:2"},
        {"key Ctrl+Shift+Space", "sel=C1 anchor=C1 caret=C1", "-B2:2 -C:2"},
        {"key Right", "sel=C1a anchor=C1a caret=C1a", "-C1:2 +C1a:2"},
        {"key Left", "sel=C1 anchor=C1 caret=C1", "-C1a:2 +C1:2"},
        {"key PgDown", "sel=C1 anchor=C1 caret=C1", ""},
        {"key End", "sel=F anchor=F caret=F", "-C1:2 +F:2"},
        {"key Home", "sel=A anchor=A caret=A", "-F:2 +A:2"},
        // Type-ahead: after the caret, wrapping round, the caret's own item last.
        {"type e", "sel=E anchor=E caret=E", "-A:2 +E:2"},
        {"type e", "sel=E1 anchor=E1 caret=E1", "-E:2 +E1:2"},
        {"type a", "sel=A anchor=A caret=A", "-E1:2 +A:2"},
        {"type x", "sel=A anchor=A caret=A", ""},
        // The right button selects like the left one and asks for the context menu.
        {"right B", "sel=B anchor=B caret=B", "-A:1 +B:1 menu"},
        {"ctrl C", "sel=B C anchor=C caret=C", "+C:1"},
        {"right B", "sel=B C anchor=C caret=B", "menu"},
        {"key Right", "sel=B1 anchor=B1 caret=B1", "-B:2 -C:2 +B1:2"},
        {"key Shift+Down", "sel=B1 B2 anchor=B1 caret=B2", "+B2:2"},
        // A rename is due after a click on the single selected item only; a key, a character, a
        // click elsewhere or the right button cancels it; a double click is none.
        {"click B2", "sel=B1 B2 anchor=B1 caret=B2", ""},
        {"key Down", "sel=C anchor=C caret=C", "-B1:2 -B2:2 +C:2"},
        {"click C", "sel=C anchor=C caret=C rename", ""},
        {"key Down", "sel=C1 anchor=C1 caret=C1", "-C:2 +C1:2"},
        {"click C1", "sel=C1 anchor=C1 caret=C1 rename", ""},
        {"type c", "sel=C1a anchor=C1a caret=C1a", "-C1:2 +C1a:2"},
        {"click C1a", "sel=C1a anchor=C1a caret=C1a rename", ""},
        {"click C1b", "sel=C1b anchor=C1b caret=C1b", "-C1a:1 +C1b:1"},
        {"click C1b", "sel=C1b anchor=C1b caret=C1b rename", ""},
        {"right C1b", "sel=C1b anchor=C1b caret=C1b", "menu"},
        {"dclick C1b", "sel=C1b anchor=C1b caret=C1b", ""},
        // Collapsing a parent, by its button or a key, deselects its hidden descendants and
        // pulls the caret out.
        {"ctrl C2", "sel=C1b C2 anchor=C2 caret=C2", "+C2:1"},
        {"button C", "sel= anchor=C2 caret=C", "-C1b:1 -C2:1"},
        {"button C", "sel= anchor=C2 caret=C", ""},
        {"ctrl C1a", "sel=C1a anchor=C1a caret=C1a", "+C1a:1"},
        {"ctrl C", "sel=C1a C anchor=C caret=C", "+C:1"},
        {"key Left", "sel=C anchor=C caret=C", "-C1a:2"},
        // The band selects exactly the items whose labels it touches; Shift adds to the selection
        // before it, Ctrl inverts what it touches. A2 and A3 are shallower: their labels end left
        // of the middle of A2a's.
        {"button C", "sel=C anchor=C caret=C", ""},
        {"click A1", "sel=A1 anchor=A1 caret=A1", "-C:1 +A1:1"},
        {"band A2 A2b", "sel=A2a A2b anchor=A1 caret=A1", "+A2a:1 +A2b:1"},
        {"click B1", "sel=B1 anchor=B1 caret=B1", "-A2a:1 -A2b:1 +B1:1"},
        {"shiftband C C1b", "sel=B1 C1a C1b anchor=B1 caret=B1", "+C1a:1 +C1b:1"},
        {"click C1", "sel=C1 anchor=C1 caret=C1", "-B1:1 -C1a:1 -C1b:1 +C1:1"},
        {"ctrl C1b", "sel=C1 C1b anchor=C1b caret=C1b", "+C1b:1"},
        {"ctrlband C1 C1c", "sel=C1 C1a C1c anchor=C1b caret=C1b", "+C1a:1 -C1b:1 +C1c:1"},
    };
    for (const Step& step : steps) {
        Act(step.action);
        EXPECT_EQ(State(), step.state) << step.action;
        EXPECT_EQ(m_view.TakeNotes(), step.notes) << step.action;
    }
}

// An item deleted before its rename is due is not renamed (nor touched).
TEST_F(MultiTreeViewTest, ADeletedItemIsNotRenamed) {
    Act("click B");
    Act("click B");
    EXPECT_EQ(m_view.RenameTimer().interval(), CMultiTreeView::kRenameDelay);
    m_view.DeselectAll(SelectCause::Program);
    delete Item("B");
    EXPECT_FALSE(m_view.RenameTimer().isActive());
    m_view.OnRenameTimer();
    EXPECT_FALSE(m_view.IsEditingLabel());
}

TEST_F(MultiTreeViewTest, TheLabelEditEndsThroughTheDerivedClass) {
    struct Case {
        bool accept;
        Qt::Key key;
        const char* label;
        const char* notes;
    };
    const Case cases[] = {
        {true, Qt::Key_Return, "Renamed", "edit:B=Renamed"},
        {false, Qt::Key_Return, "B", "edit:B=Renamed"},
        {true, Qt::Key_Escape, "B", "edit:B cancelled"},
    };
    for (const Case& c : cases) {
        Act("click B");
        Act("click B");
        m_view.OnRenameTimer();
        ASSERT_TRUE(m_view.IsEditingLabel());
        auto* editor = qobject_cast<QLineEdit*>(m_view.itemWidget(Item("B"), 0));
        ASSERT_NE(editor, nullptr);
        m_view.m_acceptLabel = c.accept;
        m_view.TakeNotes();
        editor->setText("Renamed");
        QTest::keyClick(editor, c.key);
        QApplication::processEvents();
        EXPECT_FALSE(m_view.IsEditingLabel());
        EXPECT_EQ(Item(c.label) ? Item(c.label)->text(0).toStdString() : "", c.label);
        EXPECT_EQ(m_view.TakeNotes(), c.notes);
        Item(c.label)->setText(0, "B");
    }
    // A click elsewhere takes the edited text; so does a press the window system did not send
    // (which moves no focus away from the edit).
    m_view.EditLabel(Item("B"));
    qobject_cast<QLineEdit*>(m_view.itemWidget(Item("B"), 0))->setText("Kept");
    m_view.TakeNotes();
    Act("click C");
    EXPECT_EQ(m_view.TakeNotes(), "edit:B=Kept -Kept:1 +C:1");
    m_view.EditLabel(Item("C"));
    QMouseEvent press(QEvent::MouseButtonPress, RightOf("A"), Port()->mapToGlobal(RightOf("A")),
                      Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(Port(), &press);
    EXPECT_FALSE(m_view.IsEditingLabel());
    EXPECT_EQ(m_view.TakeNotes(), "edit:C=C -C:1");
}

// A band dragged below the window scrolls the tree, the selection growing with the rows that come
// into view and the origin staying on its row; back inside the window the scrolling stops.
TEST_F(MultiTreeViewTest, ABandDraggedBelowTheWindowScrollsAndGrows) {
    const int row = m_view.visualItemRect(Item("A")).height();
    m_view.resize(300, 8 * row + 2 * m_view.frameWidth());
    QApplication::processEvents();
    const QPoint start = {On("A1").x() + 40, On("A1").y()};
    const QPoint below = {On("A").x(), Port()->height() + 30};
    m_view.SetCursorSource([this, below] { return Port()->mapToGlobal(below); });
    QTest::mousePress(Port(), Qt::LeftButton, {}, start);
    QTest::mouseMove(Port(), start + QPoint(0, row));
    EXPECT_FALSE(m_view.VerticalScrollTimer().isActive());
    QTest::mouseMove(Port(), below);
    ASSERT_TRUE(m_view.VerticalScrollTimer().isActive());
    // Rows below the window that the band reaches are selected as well.
    EXPECT_EQ(Labels(m_view.SelectedList()), "A1 A2 A2a A2b A3 B B1 B2 C C1");
    m_view.OnVerticalScrollTimer();
    EXPECT_EQ(Labels(m_view.SelectedList()), "A1 A2 A2a A2b A3 B B1 B2 C C1 C1a");
    EXPECT_EQ(m_view.VerticalScrollTimer().interval(), m_view.VerticalRepeatInterval());
    EXPECT_EQ(m_view.BandRect().top(), start.y() - row);
    m_view.SetCursorSource([this, start] { return Port()->mapToGlobal(start + QPoint(0, 60)); });
    m_view.OnVerticalScrollTimer();
    EXPECT_FALSE(m_view.VerticalScrollTimer().isActive());
    QTest::mouseRelease(Port(), Qt::LeftButton, {}, start);
}

QImage Shown(QWidget& widget) {
    QApplication::processEvents();
    return widget.screen()->grabWindow(widget.window()->winId()).toImage();
}

// What incremental painting left: the band's frame appears, moves and leaves no trace.
TEST_F(MultiTreeViewTest, TheBandLeavesNoTrace) {
    const QImage clean = Shown(m_view);
    const QPoint start = RightOf("B");
    QTest::mousePress(Port(), Qt::LeftButton, {}, start);
    QTest::mouseMove(Port(), start + QPoint(-10, 60));
    // The frame's bottom edge, along the band's width.
    const auto bottom = [&](const QImage& image) {
        std::vector<QRgb> pixels;
        const QPoint left = Port()->mapTo(&m_view, start + QPoint(-10, 60));
        for (int x = left.x(); x <= left.x() + 10; ++x)
            pixels.push_back(image.pixel(x, left.y()));
        return pixels;
    };
    EXPECT_NE(bottom(Shown(m_view)), bottom(clean));
    QTest::mouseMove(Port(), start + QPoint(-5, 30));
    EXPECT_EQ(bottom(Shown(m_view)), bottom(clean));
    QTest::mouseRelease(Port(), Qt::LeftButton, {}, start + QPoint(-5, 30));
    EXPECT_EQ(Shown(m_view), clean);
}

// Rows: A, A1, A2, A2a, A2b, B (collapsed over B1), C, C1.
const char* const kDragOutline = "A\n  A1\n  A2\n    A2a\n    A2b\nB+\n  B1\nC\n  C1\n";

class DragAndDropTest : public MultiTreeViewTest {
protected:
    void SetUp() override {
        m_view.setHeaderHidden(true);
        m_view.resize(300, 400);
        m_view.show();
        m_view.Build(kDragOutline);
    }

    // A point in the row of `name`: at a fraction of its height and at an x indicating `depth`.
    QPoint At(const std::string& name, double fraction, int depth) const {
        const QRect row = m_view.visualItemRect(m_view[name]);
        const int indent = m_view.indentation();
        const int rootLeft = m_view.visualItemRect(m_view.topLevelItem(0)).left();
        return {rootLeft + (depth - 2) * indent + indent / 2,
                row.top() + static_cast<int>(row.height() * fraction)};
    }
    std::unique_ptr<QMimeData> OwnData() {
        return std::unique_ptr<QMimeData>(m_view.BeginDragData());
    }

    // A drag move (after the enter a drag starts with): true when the tree accepts it.
    bool DragTo(const QMimeData& data, QPoint point, Qt::DropAction* action = nullptr) {
        Enter(data, point);
        QDragMoveEvent event(point, kActions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_view.viewport(), &event);
        if (action != nullptr) *action = event.dropAction();
        return event.isAccepted();
    }
    bool DropAt(const QMimeData& data, QPoint point) {
        Enter(data, point);
        m_entered = false;
        QDropEvent drop(point, kActions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_view.viewport(), &drop);
        return drop.isAccepted();
    }
    void Leave() {
        m_entered = false;
        QDragLeaveEvent leave;
        QApplication::sendEvent(m_view.viewport(), &leave);
    }

    static constexpr Qt::DropActions kActions = Qt::CopyAction | Qt::MoveAction;

private:
    void Enter(const QMimeData& data, QPoint point) {
        if (std::exchange(m_entered, true)) return;
        QDragEnterEvent enter(point, kActions, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_view.viewport(), &enter);
    }
    bool m_entered = false;
};

// The mark shows while a drag is over the tree; a drag resting on a collapsed parent expands it
// when the timer runs out, on an expanded one or below a collapsed one never.
TEST_F(DragAndDropTest, TheMarkAndTheExpandTimerFollowTheDrag) {
    auto data = OwnData();
    m_view.SelectOnly(m_view["A1"], SelectCause::Mouse);
    ASSERT_TRUE(DragTo(*data, At("A", 0.5, 2)));
    EXPECT_TRUE(m_view.IsMarkShown());
    EXPECT_FALSE(m_view.ExpandTimer().isActive());
    DragTo(*data, At("B", 0.5, 2));
    EXPECT_TRUE(m_view.ExpandTimer().isActive());
    m_view.OnExpandTimer();
    EXPECT_TRUE(m_view["B"]->isExpanded());
    EXPECT_FALSE(m_view.ExpandTimer().isActive());
    m_view["B"]->setExpanded(false);
    DragTo(*data, At("B", 0.9, 1));
    EXPECT_FALSE(m_view.ExpandTimer().isActive());
    Leave();
    EXPECT_FALSE(m_view.IsMarkShown());
    EXPECT_FALSE(m_view.DropPoint().IsValid());
}

TEST_F(DragAndDropTest, MoveKeepsDataExpansionSelectionCaretAndAnchorAndOrder) {
    m_view["A2b"]->setExpanded(false);                    // childless: stays as it is
    m_view.SelectOnly(m_view["A2"], SelectCause::Mouse);  // caret and anchor
    m_view.Select(m_view["A2a"], SelectCause::Mouse);
    m_view.Select(m_view["B"], SelectCause::Mouse);
    m_view.SetCaret(m_view["A2b"]);
    m_view.TakeNotes();
    // Onto a selected item, inside a selected subtree, after an item of one: refused.
    auto data = OwnData();
    for (const QPoint point : {At("A2", 0.5, 3), At("A2b", 0.5, 4), At("A2b", 0.9, 3)})
        EXPECT_FALSE(DragTo(*data, point)) << point.y();
    Qt::DropAction action = Qt::IgnoreAction;
    EXPECT_TRUE(DragTo(*data, At("A2", 0.9, 2), &action));  // after A2, beside itself
    EXPECT_EQ(action, Qt::MoveAction);
    EXPECT_FALSE(DropAt(*data, At("A2b", 0.5, 4)));
    EXPECT_EQ(m_view.TakeNotes(), "");
    ASSERT_TRUE(DropAt(*data, At("C", 0.5, 2)));
    EXPECT_EQ(m_view.Outline(), "A\n  A1\nC\n  A2*\n    A2a*\n    A2b\n  B+*\n    B1\n  C1\n");
    // The items themselves move: no selection changes to report.
    EXPECT_EQ(m_view.TakeNotes(), "move 2");
    EXPECT_EQ(m_view.SelectedList(),
              (std::vector<QTreeWidgetItem*>{m_view["A2"], m_view["A2a"], m_view["B"]}));
    EXPECT_EQ(m_view.Caret(), m_view["A2b"]);
    EXPECT_EQ(m_view.Anchor(), m_view["A2"]);
    for (const char* name : {"A2", "A2a", "A2b", "B", "B1"})
        EXPECT_EQ(m_view[name]->data(0, kDataRole).toString(), QString(name) + "-data");
    EXPECT_FALSE(m_view.DropPoint().IsValid());
    EXPECT_FALSE(m_view.IsMarkShown());

    // Dropped just after the first of the moved items: they go in order in its place.
    m_view.Build(kDragOutline);
    m_view.SelectOnly(m_view["A"], SelectCause::Mouse);
    m_view.Select(m_view["C"], SelectCause::Mouse);
    ASSERT_TRUE(DropAt(*OwnData(), At("A", 0.9, 1)));
    EXPECT_EQ(m_view.Outline(), "A*\n  A1\n  A2\n    A2a\n    A2b\nC*\n  C1\nB+\n  B1\n");
}

// The drag rules over a tree described by hand: rows 16 high, indentation 20, root labels at 44,
// a client area of 200 by 160. The items are those of a tree widget that is never shown.
namespace rules {

using namespace TreeDragRules;

constexpr int kRow = 16;
constexpr int kIndent = 20;
constexpr int kRootLeft = 44;
constexpr int kWidth = 200;
constexpr int kHeight = 160;

class CFakeShape : public ITreeShape {
public:
    explicit CFakeShape(std::string_view outline) {
        m_tree.Build(outline);
        for (QTreeWidgetItemIterator it(&m_tree); *it != nullptr; ++it) {
            bool shown = true;
            for (const QTreeWidgetItem* up = (*it)->parent(); up != nullptr; up = up->parent())
                shown = shown && up->isExpanded();
            if (shown) m_rows.push_back(*it);
        }
    }
    Handle operator[](std::string_view name) const { return m_tree[name]; }
    static std::string Name(Handle item) { return item ? I(item)->text(0).toStdString() : ""; }

    Handle Parent(Handle item) const override { return I(item)->parent(); }
    int ChildCount(Handle parent) const override {
        return parent ? I(parent)->childCount() : m_tree.topLevelItemCount();
    }
    Handle Child(Handle parent, int index) const override {
        return parent ? I(parent)->child(index) : m_tree.topLevelItem(index);
    }
    int IndexOf(Handle item) const override {
        QTreeWidgetItem* parent = I(item)->parent();
        return parent ? parent->indexOfChild(I(item)) : m_tree.indexOfTopLevelItem(I(item));
    }
    bool IsExpanded(Handle item) const override { return I(item)->isExpanded(); }
    Box RowRect(Handle item) const override {
        const int row = int(std::find(m_rows.begin(), m_rows.end(), item) - m_rows.begin());
        return {0, row * kRow, kWidth, (row + 1) * kRow};
    }
    int LabelLeft(Handle item) const override {
        return kRootLeft + (item ? Depth(*this, item) - 1 : 0) * kIndent;
    }
    int Indentation() const override { return kIndent; }
    int ClientWidth() const override { return kWidth; }
    int ClientHeight() const override { return kHeight; }
    Handle ItemAt(int x, int y) const override {
        const bool inside = x >= 0 && y >= 0 && x < kWidth && y < kHeight;
        return inside && y / kRow < int(m_rows.size()) ? m_rows[size_t(y / kRow)] : nullptr;
    }

private:
    static QTreeWidgetItem* I(Handle item) { return static_cast<QTreeWidgetItem*>(item); }

    CTestTree m_tree;
    std::vector<Handle> m_rows;  // the visible items, top down
};

// kDragOutline's rows: 0 A, 1 A1, 2 A2, 3 A2a, 4 A2b, 5 B (collapsed, B1 hidden), 6 C, 7 C1.

// An x whose indicated depth is `depth`.
int XForDepth(int depth) {
    return kRootLeft + (depth - 2) * kIndent + kIndent / 2;
}

// Offsets into a row of 16: the upper quarter is 0..3, the middle half 4..12 (12 is the lower
// quarter's border), the lower quarter 13..15.
constexpr int kUpper = 1;
constexpr int kMiddle = 8;
constexpr int kLower = 15;

struct Expected {
    Place place;
    std::string parent;
    std::string after;
};

void ExpectInsertion(const Insertion& got, const Expected& want, const std::string& what) {
    EXPECT_EQ(got.place, want.place) << what;
    EXPECT_EQ(CFakeShape::Name(got.parent), want.parent) << what;
    EXPECT_EQ(CFakeShape::Name(got.after), want.after) << what;
}

TEST(DragRules, InsertionPointForEveryZoneAndDepth) {
    const CFakeShape tree(kDragOutline);
    struct Case {
        int row;
        int offset;
        int depth;
        Expected want;
    };
    using enum Place;
    const Case cases[] = {
        // Into an item from the middle half.
        {0, kMiddle, 2, {First, "A", ""}},
        {5, kMiddle, 2, {First, "B", ""}},
        // Left of the item's level: after the ancestor at that level, or last when it is last.
        {4, kLower, 3, {Last, "A2", ""}},
        {4, kLower, 1, {After, "", "A"}},
        {7, kUpper, 1, {Last, "", ""}},
        // Upper quarter: the first root item; under a parent; below a deeper subtree the depth of
        // x picks the level.
        {0, kUpper, 1, {First, "", ""}},
        {1, kUpper, 2, {First, "A", ""}},
        {2, kUpper, 2, {After, "A", "A1"}},
        {5, kUpper, 3, {Last, "A2", ""}},
        {5, kUpper, 1, {After, "", "A"}},
        // Lower quarter: an expanded parent with x further right takes the items as first
        // children, further left after it; a collapsed one only after it.
        {0, kLower, 2, {First, "A", ""}},
        {0, kLower, 1, {After, "", "A"}},
        {2, kLower, 3, {First, "A2", ""}},
        {5, kLower, 2, {After, "", "B"}},
        {7, kLower, 2, {Last, "C", ""}},
        // Below the last item: the depth of x walks down the last expanded items.
        {9, kMiddle, 0, {Last, "", ""}},
        {9, kMiddle, 2, {Last, "C", ""}},
        // The zones' borders.
        {2, 3, 2, {After, "A", "A1"}},
        {2, 4, 2, {First, "A2", ""}},
        {2, 12, 2, {First, "A2", ""}},
        {2, 13, 2, {Last, "A", ""}},
        // Outside the client area: above, below, left and right of it.
        {-1, kLower, 1, {None, "", ""}},
        {10, 0, 1, {None, "", ""}},
        {9, 6, -1, {None, "", ""}},
        {9, 6, 10, {None, "", ""}},
    };
    for (const Case& c : cases) {
        const Insertion got = InsertionAt(tree, XForDepth(c.depth), c.row * kRow + c.offset);
        ExpectInsertion(got, c.want,
                        "row " + std::to_string(c.row) + "+" + std::to_string(c.offset) +
                            " depth " + std::to_string(c.depth));
    }
    ExpectInsertion(InsertionAt(CFakeShape(""), XForDepth(3), 40), {Last, "", ""}, "empty");
}

TEST(DragRules, DraggedFileName) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"Shopping list", u"Shopping list"},
        {u"a\\b/c\"d*e?f:g|h<i>j", u"abcdefghij"},
        {u"  \t lead", u"lead"},
        {u" : spaced ", u"spaced "},
        {u"", u"notes"},
        {u" */ ", u"notes"},
        {u"Zürich ☃", u"Zürich ☃"},
    };
    for (const auto& [label, name] : cases)
        EXPECT_TRUE(DragFileName(label) == name);
}

}  // namespace rules

}  // namespace
