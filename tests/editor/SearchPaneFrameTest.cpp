// The search pane in the main frame: Ctrl+Alt+F from either pane opens it with the search box
// ready for typing, and the frame remembers whether it was open.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include "app/MainFrame.h"
#include "editor/NoteScrollView.h"
#include "storage/NotesFolderSettings.h"
#include "tests/support/FakeFolderPicker.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/ModelTestSupport.h"
#include "tests/support/SessionPanes.h"
#include "tests/support/TempFolder.h"
#include "tree/IndexView.h"
#include "tree/SearchPane.h"
#include "ui/MessageBox.h"

namespace {

TEST(SearchPaneFrameTest, CtrlAltFShowsThePaneWithTheBoxFocusedAndItsTextSelected) {
    MessageBox::SetSink([](const QString&) {});
    TestSupport::CTempFolder folder;
    TestSupport::WriteNote(folder / "1.xml", "¶First");
    TestSupport::CFakeSettings settings;
    TestSupport::CFakePicker picker;
    NoteTreeEngine::SetNotesFolder(settings, folder.Path().u16string());
    {
        CMainFrame frame(settings, picker);
        frame.LoadTree();
        frame.show();
        frame.activateWindow();
        QApplication::processEvents();
        CSearchPane& pane = frame.SearchPane();
        EXPECT_TRUE(pane.isHidden());
        pane.Box().setText(QStringLiteral("earlier"));

        // From the editor and from the tree alike.
        for (QWidget* from :
             {static_cast<QWidget*>(&frame.Editor()), static_cast<QWidget*>(&frame.Tree())}) {
            pane.hide();
            from->setFocus();
            QTest::keyClick(from, Qt::Key_F, Qt::ControlModifier | Qt::AltModifier);
            EXPECT_FALSE(pane.isHidden());
            EXPECT_EQ(QApplication::focusWidget(), &pane.Box());
            EXPECT_EQ(pane.Box().selectedText(), QStringLiteral("earlier"));
        }
        // Ctrl+Shift+F stays Find and Replace's.
        frame.Editor().setFocus();
        pane.hide();
        QTest::keyClick(&frame.Editor(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_TRUE(pane.isHidden());
        pane.show();
        frame.SaveState();
    }
    // Open when the state was saved, open at the next start; closed, closed.
    for (const bool open : {true, false}) {
        CMainFrame frame(settings, picker);
        EXPECT_EQ(frame.SearchPane().isHidden(), !open);
        frame.SearchPane().hide();
        frame.SaveState();
    }
    MessageBox::SetSink({});
}

}  // namespace
