// The main frame's wiring of the tree, the editor, the menus and Exit.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include "app/MainFrame.h"
#include "base/CommandIds.h"
#include "editor/NoteScrollView.h"
#include "storage/NotesFolderSettings.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/ModelTestSupport.h"
#include "tests/support/SessionPanes.h"
#include "tests/support/TempFolder.h"
#include "tree/IndexView.h"
#include "ui/MessageBox.h"

namespace {

using NoteEditEngine::TestSupport::Dump;

// The frame shown on a folder without index (orphans, in file order); messages go to `messages`.
class MainFrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBox::SetSink([this](const QString& text) { messages.push_back(text); });
        MessageBox::SetQuestionSink([this](const QString& text, const QString&) {
            messages.push_back(text);
            return true;
        });
        TestSupport::WriteNote(folder / "1.xml", "¶First");
        TestSupport::WriteNote(folder / "2.xml", "¶Second");
        NoteTreeEngine::SetNotesFolder(settings, folder.Path().u16string());
        frame.LoadTree();
        frame.show();
        frame.activateWindow();
        QApplication::processEvents();
    }
    void TearDown() override {
        MessageBox::SetSink({});
        MessageBox::SetQuestionSink({});
    }
    std::string Shown() {
        std::string out;
        for (const NoteEditEngine::CNoteDocument* note : frame.Editor().View().ShownNotes())
            out += Dump(*note);
        return out;
    }

    TestSupport::CTempFolder folder;
    TestSupport::CFakeSettings settings;
    TestSupport::CFakePicker picker;
    std::vector<QString> messages;
    CMainFrame frame{settings, picker};
};

TEST_F(MainFrameTest, DeleteFromTheToolbarWhileTheEditorHasTheFocusDeletesTheNotes) {
    CIndexView& tree = frame.Tree();
    tree.Select(tree.topLevelItem(1), SelectCause::Mouse);
    ASSERT_EQ(Shown(), "¶Second");
    frame.Editor().setFocus();
    QApplication::processEvents();
    ASSERT_FALSE(tree.IsTreeActive());
    frame.UpdateCommandStates();
    ASSERT_TRUE(frame.ToolButton(CommandIds::kDeleteNote)->isEnabled());
    frame.ToolButton(CommandIds::kDeleteNote)->trigger();
    EXPECT_EQ(tree.topLevelItemCount(), 1);
    EXPECT_FALSE(std::filesystem::exists(folder / "2.xml"));
    EXPECT_EQ(Shown(), "");

    // Ctrl+N typed in the editor reaches the tree too, and the editor takes the typing.
    tree.Select(tree.topLevelItem(0), SelectCause::Mouse);
    frame.Editor().setFocus();
    QTest::keyClick(&frame.Editor(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_EQ(Shown(), "¶First¶");
    QTest::keyClicks(&frame.Editor(), "typed");
    EXPECT_EQ(Shown(), "¶First¶typed");
}

TEST_F(MainFrameTest, ExitSavesTheTreeAndTheNotes) {
    frame.Tree().Select(frame.Tree().topLevelItem(0), SelectCause::Mouse);
    NoteEditEngine::CNoteDocument* first = frame.Editor().View().ShownNotes()[0];
    frame.Editor().View().SetCaret(first->End(), false, true);
    frame.Editor().setFocus();
    QTest::keyClicks(&frame.Editor(), " edited");
    QSignalSpy ended(&frame, &CMainFrame::Ended);
    frame.Exit();
    EXPECT_EQ(ended.count(), 1);
    EXPECT_NE(TestSupport::ReadBytes(folder / "1.xml").find("First edited"), std::string::npos);
    const std::string index = TestSupport::ReadBytes(folder / "index.xml");
    EXPECT_NE(index.find("username=\"First edited\""), std::string::npos);
    EXPECT_NE(index.find("isselected=\"true\""), std::string::npos);
}

}  // namespace
