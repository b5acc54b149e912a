// The settings store and the main window's state in it: names, case, defaults, the tray and the
// split.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QMainWindow>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>

#include "app/WindowState.h"
#include "ui/Settings.h"

namespace {

QSettings Store() {
    return QSettings(QStringLiteral("OrvaneInc"), QStringLiteral("Jotwell"));
}

void ClearSettings() {
    QSettings settings = Store();
    for (const char* section : {"WindowState", "SplitterState", "ToolbarState"})
        settings.remove(QLatin1String(section));
}

QStringList Keys(const char* section) {
    QSettings settings = Store();
    settings.beginGroup(QLatin1String(section));
    return settings.childKeys();
}

int Value(const char* section, const char* name) {
    QSettings settings = Store();
    settings.beginGroup(QLatin1String(section));
    return settings.value(QLatin1String(name), -999).toInt();
}

// A main window shaped like the program's: two bars, a status bar and a two-pane splitter.
struct CFrame {
    CFrame() {
        splitter = new QSplitter(&window);
        splitter->addWidget(new QWidget);
        splitter->addWidget(new QWidget);
        window.setCentralWidget(splitter);
        standard = window.addToolBar(QStringLiteral("Standard"));
        style = window.addToolBar(QStringLiteral("Style"));
        window.statusBar();
    }
    void Save() {
        WindowState::SaveWindow(window);
        WindowState::SaveSplitter(*splitter);
        WindowState::SaveBars(*standard, *style, *window.statusBar());
    }
    void Restore(bool trayAvailable) {
        WindowState::RestoreBars(*standard, *style, *window.statusBar());
        WindowState::RestoreWindow(window, trayAvailable);
        WindowState::RestoreSplitter(*splitter, window.width());
    }
    QMainWindow window;
    QSplitter* splitter;
    QToolBar* standard;
    QToolBar* style;
};

}  // namespace

// Where the window and its parts were is cosmetic; that the names stay those other versions read
// (in any case), and that a maximised window and hidden bars come back so, is checked.
TEST(WindowState, WrittenUnderTheirNamesAndReadBackInAnyCase) {
    ClearSettings();
    {
        CFrame frame;
        frame.window.show();
        frame.style->hide();
        frame.Save();
    }
    EXPECT_EQ(Keys("WindowState"), (QStringList{"Flags", "ShowCmd", "X1", "X2", "Y1", "Y2"}));
    EXPECT_EQ(Keys("SplitterState"),
              (QStringList{"LeftMinWidth", "LeftWidth", "RightMinWidth", "RightWidth"}));
    EXPECT_EQ(Keys("ToolbarState"),
              (QStringList{"StandardVisible", "StatusVisible", "StyleVisible"}));
    EXPECT_EQ(Value("WindowState", "ShowCmd"), WindowState::kNormal);
    EXPECT_EQ(Value("ToolbarState", "StyleVisible"), 0);

    // Names as other versions wrote them, in other cases.
    ClearSettings();
    {
        QSettings settings = Store();
        settings.setValue(QStringLiteral("WindowState/SHOWCMD"), WindowState::kMaximized);
        settings.setValue(QStringLiteral("SplitterState/rightminwidth"), 77);
        settings.setValue(QStringLiteral("ToolbarState/standardvisible"), 0);
    }
    CFrame frame;
    frame.Restore(true);
    EXPECT_TRUE(frame.window.isMaximized());
    EXPECT_EQ(frame.splitter->widget(1)->minimumWidth(), 77);
    EXPECT_TRUE(frame.standard->isHidden());
    EXPECT_FALSE(frame.style->isHidden());
}

TEST(Settings, MissingOrBadValuesGiveTheDefaultAndWritesKeepTheStoredSpelling) {
    {
        QSettings settings = Store();
        settings.remove(QStringLiteral("TextFormatting"));
        settings.remove(QStringLiteral("NoteStore"));
    }
    EXPECT_EQ(Settings::Read(Settings::kTextScale), Settings::kTextScale.defaultValue);
    EXPECT_EQ(Settings::Read(Settings::kNotesFolder), u"");
    Store().setValue(QStringLiteral("TextFormatting/scale"), QStringLiteral("big"));
    EXPECT_EQ(Settings::Read(Settings::kTextScale), Settings::kTextScale.defaultValue);
    Settings::Write(Settings::kTextScale, 4);
    EXPECT_EQ(Keys("TextFormatting"), QStringList{"scale"});
    EXPECT_EQ(Settings::Read(Settings::kTextScale), 4);
    Settings::Write(Settings::kNotesFolder, u"/home/u/Notes \u00e4");
    EXPECT_EQ(Store().value(QStringLiteral("NoteStore/NoteStorePath")),
              QStringLiteral("/home/u/Notes \u00e4"));
    EXPECT_EQ(Settings::Read(Settings::kNotesFolder), u"/home/u/Notes \u00e4");
    // Writing what is stored leaves the file alone (it is replaced whole when written).
    const QString file = Store().fileName();
    struct stat before {};
    ASSERT_EQ(::stat(file.toLocal8Bit().constData(), &before), 0);
    {
        Settings::CBatch batch;
        Settings::Write(Settings::kTextScale, 4);
        Settings::Write(Settings::kNotesFolder, u"/home/u/Notes \u00e4");
    }
    struct stat after {};
    ASSERT_EQ(::stat(file.toLocal8Bit().constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
}
