// The tray icon's menu and its click rules; the window's way to the tray and back is driven
// through the program in JotwellAppTest.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QSignalSpy>

#include "app/TrayIcon.h"
#include "base/CommandIds.h"
#include "commands/CommandTable.h"

// Every item is a command of the table and asks for exactly one thing; Open is the default.
TEST(TrayIcon, EveryItemIsACommandThatTriggersOneRequest) {
    CTrayIcon tray;
    QSignalSpy open(&tray, &CTrayIcon::OpenRequested);
    QSignalSpy newNote(&tray, &CTrayIcon::NewNoteRequested);
    QSignalSpy exit(&tray, &CTrayIcon::ExitRequested);
    const auto requests = [&] { return open.count() + newNote.count() + exit.count(); };
    int items = 0;
    for (QAction* item : tray.Menu()->actions()) {
        if (item->isSeparator()) continue;
        ++items;
        EXPECT_NE(Commands::FindCommand(item->data().toInt()), nullptr);
        const int before = requests();
        item->trigger();
        EXPECT_EQ(requests(), before + 1) << item->text().toStdString();
    }
    EXPECT_EQ(open.count() * newNote.count() * exit.count(), 1) << items;
    EXPECT_EQ(tray.Menu()->defaultAction()->data().toInt(), CommandIds::kOpen);

    // A click or a double click opens; the context and middle buttons do not.
    open.clear();
    for (const auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick,
                              QSystemTrayIcon::Context, QSystemTrayIcon::MiddleClick})
        tray.OnActivated(reason);
    EXPECT_EQ(open.count(), 2);
}
