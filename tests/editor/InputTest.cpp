// How input reaches the editor pane: menus over it, clicks as the window system delivers them,
// input methods, touchpad wheels and plain mouse moves.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFocusEvent>
#include <QImage>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include "app/MainFrame.h"
#include "base/CommandIds.h"
#include "editor/NoteScrollView.h"
#include "model/NoteUndoHistory.h"
#include "tests/editor/FrameTestSupport.h"
#include "tests/editor/PaneTest.h"
#include "tests/support/ModelTestSupport.h"

namespace {

using NoteEditEngine::CNoteDocument;
using NoteEditEngine::TestSupport::Dump;
using NoteEditEngine::TestSupport::MakeDocument;

// Gives the widget's window the activation and the widget the keyboard focus, as a click on the
// window would; the offscreen platform activates on request.
bool FocusReally(QWidget& widget) {
    widget.window()->show();
    widget.window()->activateWindow();
    QApplication::processEvents();
    widget.setFocus(Qt::MouseFocusReason);
    return QApplication::focusWidget() == &widget;
}

TEST(PopupFocusTest, OpeningAMenuKeepsTheEditCommandsEnabled) {
    CFrameWithNote shown;
    CMainFrame& frame = shown.frame;
    CNoteScrollView& editor = frame.Editor();
    ASSERT_TRUE(FocusReally(editor));
    QTest::keyClicks(&editor, "word");
    QTest::keyClick(&editor, Qt::Key_Left, Qt::ShiftModifier);
    frame.UpdateCommandStates();
    static constexpr int kCommands[] = {
        CommandIds::kUndo, CommandIds::kCut,    CommandIds::kCopy,    CommandIds::kPaste,
        CommandIds::kFind, CommandIds::kStrong, CommandIds::kHeader1, CommandIds::kIndent};
    for (const int id : kCommands)
        ASSERT_TRUE(frame.Action(id)->isEnabled()) << id;

    for (QAction* menuAction : frame.menuBar()->actions()) {
        QMenu* menu = menuAction->menu();
        menu->popup(frame.mapToGlobal(QPoint(20, 20)));
        ASSERT_EQ(QApplication::activePopupWidget(), menu);
        // Runs the deferred state update that the focus change asked for.
        QApplication::processEvents();
        EXPECT_TRUE(editor.HasFocusFlag()) << menuAction->text().toStdString();
        for (const int id : kCommands)
            EXPECT_TRUE(frame.Action(id)->isEnabled())
                << menuAction->text().toStdString() << " " << id;
        menu->hide();
        QApplication::processEvents();
    }
    // Back from the menus the caret shows and blinks again.
    EXPECT_FALSE(editor.CaretRect().isEmpty());
    EXPECT_TRUE(editor.CaretBlinkOn());

    // The menu bar in keyboard mode borrows the focus the same way; when the focus goes on from
    // there, or straight from the pane, to another widget, the commands are disabled.
    QLineEdit* other = new QLineEdit(&frame);
    other->show();
    for (QWidget* from : {static_cast<QWidget*>(frame.menuBar()), static_cast<QWidget*>(&editor)}) {
        editor.setFocus(Qt::MouseFocusReason);
        from->setFocus(Qt::MenuBarFocusReason);
        QApplication::processEvents();
        EXPECT_TRUE(frame.Action(CommandIds::kCut)->isEnabled());
        other->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        EXPECT_FALSE(editor.HasFocusFlag());
        EXPECT_FALSE(frame.Action(CommandIds::kCut)->isEnabled());
    }
}

class InputTest : public PaneTest {
protected:
    void SetUp() override {
        PaneTest::SetUp();
        ASSERT_TRUE(FocusReally(view));
    }
    // One press and release handed to the window as the display server delivers them: the
    // window system, not the test, decides which press is a double click.
    void Click(QPoint point) {
        QWindow* window = view.windowHandle();
        const QPointF local = view.viewport()->mapTo(&view, point);
        const QPointF global = view.viewport()->mapToGlobal(point);
        qt_handleMouseEvent(window, local, global, Qt::LeftButton, Qt::LeftButton,
                            QEvent::MouseButtonPress, Qt::NoModifier, int(now));
        qt_handleMouseEvent(window, local, global, Qt::NoButton, Qt::LeftButton,
                            QEvent::MouseButtonRelease, Qt::NoModifier, int(now + 5));
        now += 40;
    }
    void Wheel(QPoint pixels, QPoint angle) {
        const QPointF at(10, 10);
        QWheelEvent event(at, view.viewport()->mapToGlobal(at), pixels, angle, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &event);
    }
    void InputMethod(const QString& preedit, const QString& commit) {
        QList<QInputMethodEvent::Attribute> attributes;
        attributes.append({QInputMethodEvent::Cursor, int(preedit.size()), 1, QVariant()});
        QInputMethodEvent event(preedit, attributes);
        if (!commit.isEmpty()) event.setCommitString(commit);
        QApplication::sendEvent(QApplication::focusWidget(), &event);
    }
    // What the input method learns from the widget with the focus.
    static QVariant Query(Qt::InputMethodQuery query) {
        return QGuiApplication::inputMethod()->queryFocusObject(query, {});
    }
};

TEST_F(InputTest, DoubleClickSelectsTheWordAndATripleClickTheParagraph) {
    CNoteDocument* note = Show("¶one two three¶second line");
    const QPoint inTwo = PointBefore(note, 6);
    Click(inTwo);
    EXPECT_FALSE(view.View().HasSelection());
    Click(inTwo);
    EXPECT_EQ(view.View().Anchor().Index(), 4u);
    EXPECT_EQ(view.View().Active().Index(), 7u);
    Click(inTwo);
    EXPECT_EQ(view.View().Anchor().Index(), 0u);
    EXPECT_EQ(view.View().Active().Index(), 13u);
    // A fourth click starts over.
    Click(inTwo);
    EXPECT_FALSE(view.View().HasSelection());
}

TEST_F(InputTest, InputMethodsComposeAtTheCaretAndCommitAsTyping) {
    CNoteDocument* note = Show("¶caf");
    view.View().SetCaret(note->End(), false, true);
    // Input methods (and the compose table behind dead keys) serve only widgets that ask.
    EXPECT_TRUE(Query(Qt::ImEnabled).toBool());
    const QRect caret = view.CaretRect();
    const QRect reported = Query(Qt::ImCursorRectangle).toRect();
    EXPECT_EQ(reported, caret.translated(view.viewport()->pos()));
    EXPECT_EQ(Query(Qt::ImSurroundingText).toString(), QStringLiteral("caf"));
    EXPECT_EQ(Query(Qt::ImCursorPosition).toInt(), 3);

    const QImage before = Grab();
    const QRect after(caret.right() + 2, caret.top(), 30, caret.height());
    InputMethod(QStringLiteral("\u00B4e"), QString());
    EXPECT_EQ(Dump(*note), "¶caf");
    EXPECT_NE(Grab().copy(after), before.copy(after));
    EXPECT_GT(Query(Qt::ImCursorRectangle).toRect().left(),
              caret.translated(view.viewport()->pos()).left());

    InputMethod(QString(), QStringLiteral("\u00E9"));
    QTest::keyClicks(&view, "s");
    InputMethod(QString(), QStringLiteral("\u4E2D\u6587"));
    EXPECT_EQ(Dump(*note), "¶caf\u00E9s\u4E2D\u6587");
    view.OnCommand(CommandIds::kUndo);
    EXPECT_EQ(Dump(*note), "¶caf");
    // Some input methods correct the word before the caret by replacing it.
    QInputMethodEvent correction;
    correction.setCommitString(QStringLiteral("cafe"), -3, 3);
    QApplication::sendEvent(&view, &correction);
    EXPECT_EQ(Dump(*note), "¶cafe");
    view.OnCommand(CommandIds::kUndo);

    // A composition in progress when the focus leaves is dropped from the screen.
    InputMethod(QStringLiteral("\u00B4"), QString());
    QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(&view, &out);
    EXPECT_EQ(Grab().copy(after), before.copy(after));
    EXPECT_EQ(Dump(*note), "¶caf");
}

TEST_F(InputTest, SmallWheelStepsAndPixelDeltasAddUpToLines) {
    std::string text = "¶";
    for (int i = 0; i < 200; ++i)
        text += "line " + std::to_string(i) + "¶";
    Show(text);
    QApplication::setWheelScrollLines(3);
    QScrollBar* bar = view.verticalScrollBar();
    const int line = bar->singleStep();
    bar->setValue(50 * line);
    // Angles sent one event each, and the lines they scroll (positive: down the note).
    const std::pair<std::vector<int>, int> kCases[] = {
        {{-120}, 3},
        {{-20}, 0},
        {{-20, -20}, 1},
        {{-15, -15, -15, -15, -15, -15, -15, -15}, 3},
        {{30, 30, 30, 30}, -3},
        // A change of direction starts afresh instead of paying off the other way first.
        {{-30, 30, 30, 30, 30}, -3},
    };
    for (const auto& [angles, lines] : kCases) {
        const int before = bar->value();
        for (const int angle : angles)
            Wheel({}, {0, angle});
        EXPECT_EQ(bar->value() - before, lines * line) << angles.size();
        // Leftovers of one case do not spill into the next.
        Wheel({}, {0, angles.back() > 0 ? -1 : 1});
        bar->setValue(before);
    }
    // Touchpads send pixels (with an angle beside them); the pixels count, a line at a time.
    const int before = bar->value();
    const int step = std::max(1, line / 3);
    for (int moved = 0; moved < 2 * line; moved += step)
        Wheel({0, -step}, {0, -step});
    EXPECT_EQ(bar->value() - before, 2 * line);
}

}  // namespace
