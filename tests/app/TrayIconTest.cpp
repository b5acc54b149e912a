// The tray icon's menu, its click rules and the window's way to the tray and back.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QSignalSpy>
#include <QWidget>

#include "app/TrayIcon.h"
#include "base/CommandIds.h"

TEST(TrayIcon, MenuItemsEmitTheirSignals) {
    CTrayIcon tray;
    QSignalSpy open(&tray, &CTrayIcon::OpenRequested);
    QSignalSpy newNote(&tray, &CTrayIcon::NewNoteRequested);
    QSignalSpy exit(&tray, &CTrayIcon::ExitRequested);
    const QList<QAction*> items = tray.Menu()->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0]->text(), QStringLiteral("Open"));
    EXPECT_EQ(tray.Menu()->defaultAction(), items[0]);
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[2]->text(), QStringLiteral("New Note"));
    EXPECT_EQ(items[3]->text(), QStringLiteral("Exit"));

    const struct {
        QAction* item;
        int id;
        QSignalSpy* spy;
    } rows[] = {{items[0], CommandIds::kOpen, &open},
                {items[2], CommandIds::kNewNoteFromTray, &newNote},
                {items[3], CommandIds::kExit, &exit}};
    for (const auto& row : rows) {
        EXPECT_EQ(row.item->data().toInt(), row.id);
        row.item->trigger();
        EXPECT_EQ(row.spy->count(), 1) << row.item->text().toStdString();
    }
    EXPECT_EQ(open.count() + newNote.count() + exit.count(), 3);
}

TEST(TrayIcon, LeftAndDoubleClicksOpenOthersDoNot) {
    CTrayIcon tray;
    QSignalSpy open(&tray, &CTrayIcon::OpenRequested);
    const struct {
        QSystemTrayIcon::ActivationReason reason;
        int opens;
    } rows[] = {{QSystemTrayIcon::Trigger, 1},
                {QSystemTrayIcon::DoubleClick, 1},
                {QSystemTrayIcon::Context, 0},
                {QSystemTrayIcon::MiddleClick, 0}};
    for (const auto& row : rows) {
        open.clear();
        tray.OnActivated(row.reason);
        EXPECT_EQ(open.count(), row.opens) << row.reason;
    }
}

TEST(TrayIcon, WindowGoesToTheTrayAndComesBackRestored) {
    QWidget window;
    window.show();
    CTrayIcon::HideToTray(&window);
    EXPECT_TRUE(window.isHidden());
    CTrayIcon::ShowFromTray(&window);
    EXPECT_TRUE(window.isVisible());

    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());
    CTrayIcon::ShowFromTray(&window);
    EXPECT_FALSE(window.isMinimized());

    // Minimised and then hidden: it comes back shown and restored.
    window.showMinimized();
    CTrayIcon::HideToTray(&window);
    CTrayIcon::ShowFromTray(&window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
}
