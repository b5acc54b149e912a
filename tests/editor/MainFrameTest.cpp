// The main frame's wiring: the tree of the notes folder, commands reaching the tree whichever pane
// has the focus, and Exit with everything saved.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>

#include "app/MainFrame.h"
#include "base/CommandIds.h"
#include "editor/NoteScrollView.h"
#include "storage/NotesFolderSettings.h"
#include "tests/editor/FrameTestSupport.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/ModelTestSupport.h"
#include "tests/support/SessionPanes.h"
#include "tests/support/TempFolder.h"
#include "tree/IndexView.h"
#include "ui/MessageBox.h"

namespace {

using NoteEditEngine::TestSupport::Dump;

class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBox::SetSink([this](const QString& text) { messages.push_back(text); });
        MessageBox::SetQuestionSink([this](const QString& text, const QString&) {
            messages.push_back(text);
            return true;
        });
        // A folder without index: its notes come as orphans, in file order.
        TestSupport::WriteNote(folder / "1.xml", "¶First");
        TestSupport::WriteNote(folder / "2.xml", "¶Second");
    }
    void TearDown() override {
        MessageBox::SetSink({});
        MessageBox::SetQuestionSink({});
    }
    std::string Shown(CMainFrame& frame) {
        std::string out;
        for (const NoteEditEngine::CNoteDocument* note : frame.Editor().View().ShownNotes())
            out += Dump(*note);
        return out;
    }

    TestSupport::CTempFolder folder;
    TestSupport::CFakeSettings settings;
    TestSupport::CFakePicker picker;
    std::vector<QString> messages;
};

TEST_F(MainFrameTest, DeleteFromTheToolbarWhileTheEditorHasTheFocusDeletesTheNotes) {
    NoteTreeEngine::SetNotesFolder(settings, folder.Path().u16string());
    CMainFrame frame(settings, picker);
    frame.LoadTree();
    frame.show();
    frame.activateWindow();
    QApplication::processEvents();
    CIndexView& tree = frame.Tree();
    tree.Select(tree.topLevelItem(1), SelectCause::Mouse);
    ASSERT_EQ(Shown(frame), "¶Second");
    frame.Editor().setFocus();
    QApplication::processEvents();
    ASSERT_FALSE(tree.IsTreeActive());
    frame.UpdateCommandStates();
    ASSERT_TRUE(frame.ToolButton(CommandIds::kDeleteNote)->isEnabled());
    frame.ToolButton(CommandIds::kDeleteNote)->trigger();
    EXPECT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_FALSE(std::filesystem::exists(folder / "2.xml"));
    EXPECT_EQ(Shown(frame), "");

    // Ctrl+N typed in the editor reaches the tree too, and the editor takes the typing.
    tree.Select(tree.topLevelItem(0), SelectCause::Mouse);
    frame.Editor().setFocus();
    QTest::keyClick(&frame.Editor(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_EQ(Shown(frame), "¶First¶");
    QTest::keyClicks(&frame.Editor(), "typed");
    EXPECT_EQ(Shown(frame), "¶First¶typed");
}

TEST_F(MainFrameTest, ExitSavesTheTreeAndTheNotes) {
    NoteTreeEngine::SetNotesFolder(settings, folder.Path().u16string());
    CMainFrame frame(settings, picker);
    frame.LoadTree();
    frame.show();
    frame.activateWindow();
    QApplication::processEvents();
    frame.Tree().Select(frame.Tree().topLevelItem(0), SelectCause::Mouse);
    NoteEditEngine::CNoteDocument* first = frame.Editor().View().ShownNotes()[0];
    frame.Editor().View().SetCaret(first->End(), false, true);
    frame.Editor().setFocus();
    // The status bar follows the typing without growing with its text.
    const QSize bar = frame.statusBar()->sizeHint();
    QTest::keyClicks(&frame.Editor(), " edited");
    EXPECT_TRUE(frame.StatusText().startsWith(QStringLiteral("Size: 12 characters - Created: ")));
    EXPECT_EQ(frame.statusBar()->sizeHint(), bar);
    QSignalSpy ended(&frame, &CMainFrame::Ended);
    frame.Exit();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_NE(TestSupport::ReadBytes(folder / "1.xml").find("First edited"), std::string::npos);
    const std::string index = TestSupport::ReadBytes(folder / "index.xml");
    EXPECT_NE(index.find("username=\"First edited\""), std::string::npos);
    EXPECT_NE(index.find("isselected=\"true\""), std::string::npos);
}

}  // namespace
