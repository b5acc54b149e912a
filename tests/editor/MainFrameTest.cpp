// The main frame on a notes folder: Exit saves what was typed and the tree.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include "app/MainFrame.h"
#include "editor/NoteScrollView.h"
#include "storage/NotesFolderSettings.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/ModelTestSupport.h"
#include "tests/support/SessionPanes.h"
#include "tests/support/TempFolder.h"
#include "tree/IndexView.h"
#include "ui/MessageBox.h"

namespace {

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

    TestSupport::CTempFolder folder;
    TestSupport::CFakeSettings settings;
    TestSupport::CFakePicker picker;
    std::vector<QString> messages;
    CMainFrame frame{settings, picker};
};

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
