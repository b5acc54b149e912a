// Note > Recovered Notes...: the command follows the recovery folder, and the dialog lets only
// notes be chosen.
#include <gtest/gtest.h>

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "app/MainFrame.h"
#include "app/RecoveredNotesDialog.h"
#include "base/CommandIds.h"
#include "storage/NotesFolderSettings.h"
#include "tests/support/FakeFolderPicker.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/TempFolder.h"

namespace {

TEST(RecoveredNotesTest, TheCommandFollowsTheFolderAndOnlyNotesCanBeChosenInListOrder) {
    TestSupport::CTempFolder notes;
    TestSupport::CTempFolder recovery;
    TestSupport::CFakeSettings settings(recovery.Path());
    TestSupport::CFakePicker picker;
    NoteTreeEngine::SetNotesFolder(settings, notes.Path().u16string());
    CMainFrame frame(settings, picker);
    frame.LoadTree();
    // The folder is read when the menu that holds the command opens.
    QAction* command = frame.Action(CommandIds::kRecoveredNotes);
    QMenu* menu = qobject_cast<QMenu*>(command->associatedObjects().value(0));
    ASSERT_NE(menu, nullptr);
    for (const bool held : {false, true}) {
        if (held) TestSupport::WriteBytes(recovery / "1-1.xml", "not even a note");
        emit menu->aboutToShow();
        EXPECT_EQ(command->isEnabled(), held);
    }

    CRecoveredNotesDialog dialog({{"/r/2.xml", u"Second", 200, true},
                                  {"/r/9.xml", u"9.xml", 0, false},
                                  {"/r/1.xml", u"First", 100, true}});
    EXPECT_FALSE(dialog.BringBackButton().isEnabled());
    QTest::keyClick(&dialog.List(), Qt::Key_A, Qt::ControlModifier);
    ASSERT_TRUE(dialog.BringBackButton().isEnabled());
    QTest::mouseClick(&dialog.BringBackButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Chosen(), (std::vector<std::filesystem::path>{"/r/2.xml", "/r/1.xml"}));
    EXPECT_TRUE(dialog.List().item(0)->text().startsWith(QStringLiteral("Second")));
}

}  // namespace
