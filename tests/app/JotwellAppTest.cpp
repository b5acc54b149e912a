// The program's start-up sequence and the frame around it, with the settings, the instance key,
// the picker and the message boxes of the test.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileSystemWatcher>
#include <QKeyEvent>
#include <QLabel>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "app/AboutBox.h"
#include "app/CommandLine.h"
#include "app/HelpWindow.h"
#include "app/JotwellApp.h"
#include "app/MainFrame.h"
#include "base/CommandIds.h"
#include "editor/NoteScrollView.h"
#include "storage/NotesFolderSettings.h"
#include "tests/support/BesideEventLoop.h"
#include "tests/support/FakeFolderPicker.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/ModelTestSupport.h"
#include "tests/support/TempFolder.h"
#include "tree/IndexView.h"
#include "ui/MessageBox.h"
#include "ui/QtFolderWatch.h"

namespace {

using Result = CJotwellApp::Result;
namespace fs = std::filesystem;

const std::string kNote1 =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<note version=\"1.0\" created=\"0\" "
    "modified=\"0\"><paragraph>Tour one</paragraph></note>\n";
const std::string kNote2 =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<note version=\"1.0\" created=\"0\" "
    "modified=\"0\"><paragraph>Tour two</paragraph></note>\n";
const std::string kMine =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<note version=\"1.0\" created=\"0\" "
    "modified=\"0\"><paragraph>Mine</paragraph></note>\n";

// An index listing the notes of `ids` at the root level.
void WriteIndex(const fs::path& folder, std::initializer_list<int> ids) {
    std::string index =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n"
        "<tree version=\"1.0\">\n";
    for (const int id : ids)
        index += "<item id=\"" + std::to_string(id) + "\" username=\"Note " + std::to_string(id) +
                 "\" isfixed=\"false\" isselected=\"false\" isactive=\"false\" "
                 "isexpanded=\"true\" size=\"4\" created=\"0\" modified=\"0\"></item>\n";
    TestSupport::WriteBytes(folder / "index.xml", index + "</tree>\n");
}

QStringList FilesOf(const fs::path& folder) {
    QStringList names = QDir(QString::fromStdString(folder.string())).entryList(QDir::Files);
    names.sort();
    return names;
}

class JotwellAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBox::SetSink([this](const QString& text) { messages << text; });
        MessageBox::SetQuestionSink([this](const QString& text, const QString&) {
            messages << text;
            return answerYes;
        });
        TestSupport::WriteBytes(startUp / "11.xml", kNote1);
        TestSupport::WriteBytes(startUp / "12.xml", kNote2);
        TestSupport::WriteBytes(startUp / "readme.txt", "not a note");
        WriteIndex(startUp.Path(), {11, 12});
        TestSupport::WriteBytes(notes / "1.xml", kMine);
        WriteIndex(notes.Path(), {1});
        QSettings(QStringLiteral("OrvaneInc"), QStringLiteral("Jotwell")).clear();
    }
    void TearDown() override {
        MessageBox::SetSink({});
        MessageBox::SetQuestionSink({});
    }
    std::unique_ptr<CJotwellApp> MakeApp() {
        CJotwellApp::COptions options;
        options.instanceKey =
            QStringLiteral("jotwell-app-test-%1").arg(QCoreApplication::applicationPid());
        options.startUpNotes = QString::fromStdString(startUp.Path().string());
        options.picker = &picker;
        options.integrateDesktop = [this] { ++integrated; };
        return std::make_unique<CJotwellApp>(settings, options);
    }
    QString Stored() { return QString::fromStdU16String(NoteTreeEngine::GetNotesFolder(settings)); }

    TestSupport::CFakeSettings settings;
    TestSupport::CFakePicker picker;
    TestSupport::CTempFolder startUp;
    TestSupport::CTempFolder notes;
    QStringList messages;
    bool answerYes = true;
    int integrated = 0;
};

TEST_F(JotwellAppTest, FirstRunWelcomesPicksAFolderAndCopiesTheStartUpNotesIntoANewOne) {
    const QString welcome = QString::fromLatin1(CJotwellApp::kWelcome);
    const QString none = QString::fromLatin1(CJotwellApp::kNoFolderChosen);
    const struct {
        const char* name;
        std::vector<std::pair<std::string, std::string>> before;  // in the chosen folder
        bool cancel;
        Result result;
        QStringList messages;
        int copied;  // start-up notes found in the folder after the start
    } cases[] = {
        {"empty folder", {}, false, Result::Running, {welcome}, 2},
        {"a note of the same name", {{"11.xml", kMine}}, false, Result::Running, {welcome}, 2},
        {"a folder with an index",
         {{"index.xml", "<tree version=\"1.0\"></tree>"}},
         false,
         Result::Running,
         {welcome},
         0},
        {"cancelled", {}, true, Result::NoFolder, {welcome, none}, 0},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        TestSupport::CTempFolder folder;
        for (const auto& [name, bytes] : test.before)
            TestSupport::WriteBytes(folder / name, bytes);
        settings.notesFolder.clear();
        messages.clear();
        picker.asked.clear();
        picker.answer = test.cancel ? std::u16string() : folder.Path().u16string();
        auto app = MakeApp();
        EXPECT_EQ(app->Start({QStringLiteral("jotwell")}), test.result);
        EXPECT_EQ(messages, test.messages);
        EXPECT_EQ(picker.asked, std::vector<std::u16string>{
                                    std::u16string(NoteTreeEngine::kChooseFolderCaption) + u"|" +
                                    std::u16string(NoteTreeEngine::kChooseFolderPrompt)});
        EXPECT_EQ(Stored().isEmpty(), test.cancel);
        EXPECT_EQ(integrated, 1);
        int copied = 0;
        for (const QString& name : FilesOf(folder.Path())) {
            const std::string bytes = TestSupport::ReadBytes(folder / name.toStdString());
            copied += bytes.find("Tour") != std::string::npos;
        }
        EXPECT_EQ(copied, test.copied);
        // What was there stays as it was.
        for (const auto& [name, bytes] : test.before)
            EXPECT_EQ(TestSupport::ReadBytes(folder / name), bytes) << name;
        if (test.result == Result::Running) {
            EXPECT_GT(app->Frame()->Tree().topLevelItemCount(), test.copied > 0 ? 1 : -1);
            EXPECT_TRUE(app->Frame()->isVisible());
        }
        integrated = 0;
    }
}

TEST_F(JotwellAppTest, AFolderDeletedSinceTheLastRunIsOfferedForCreationThenPicked) {
    const QString none = QString::fromLatin1(CJotwellApp::kNoFolderChosen);
    const struct {
        const char* name;
        bool create;
        bool pick;  // the picker gives the other folder, else it is cancelled
        Result result;
        int asked;
        bool created;
        bool noneMessage;
    } cases[] = {
        {"created", true, false, Result::Running, 0, true, false},
        {"declined, another picked", false, true, Result::Running, 1, false, false},
        {"declined, picker cancelled", false, false, Result::NoFolder, 1, false, true},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        TestSupport::CTempFolder parent;
        const fs::path gone = parent / "gone" / "notes";
        settings.notesFolder.clear();
        NoteTreeEngine::SetNotesFolder(settings, gone.u16string());
        messages.clear();
        picker.asked.clear();
        answerYes = test.create;
        picker.answer = test.pick ? notes.Path().u16string() : std::u16string();
        auto app = MakeApp();
        EXPECT_EQ(app->Start({QStringLiteral("jotwell")}), test.result);
        ASSERT_FALSE(messages.isEmpty());
        EXPECT_TRUE(messages[0].contains(QString::fromStdString(gone.string())))
            << messages[0].toStdString();
        EXPECT_EQ(int(picker.asked.size()), test.asked);
        EXPECT_EQ(fs::is_directory(gone), test.created);
        EXPECT_EQ(messages.contains(none), test.noneMessage);
        if (test.pick) {
            EXPECT_EQ(Stored().toStdU16String(), notes.Path().u16string());
        }
        // No start-up notes outside the first run.
        EXPECT_TRUE(FilesOf(notes.Path()).filter(QStringLiteral("11")).isEmpty());
    }
}

TEST_F(JotwellAppTest, ATreeFileNamedOrHandedOverIsImportedAndTheTrayBringsTheWindowBack) {
    const std::string jwf =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n<tree version=\"1.0\">\n"
        "<item id=\"9\" username=\"%1\" isfixed=\"true\" isselected=\"false\" "
        "isactive=\"false\" isexpanded=\"false\" size=\"4\" created=\"0\" modified=\"0\">\n"
        "<note version=\"1.0\" created=\"0\" modified=\"0\"><paragraph>Text</paragraph></note>\n"
        "</item>\n</tree>\n";
    TestSupport::CTempFolder elsewhere;
    TestSupport::WriteBytes(elsewhere / "named.jwf",
                            QString::fromStdString(jwf).arg(QStringLiteral("Named")).toStdString());
    TestSupport::WriteBytes(
        elsewhere / "handed.jwf",
        QString::fromStdString(jwf).arg(QStringLiteral("Handed")).toStdString());
    NoteTreeEngine::SetNotesFolder(settings, notes.Path().u16string());
    auto app = MakeApp();
    ASSERT_EQ(app->Start({QStringLiteral("jotwell"), QStringLiteral("--some-option"),
                          QString::fromStdString((elsewhere / "named.jwf").string())}),
              Result::Running);
    CIndexView& tree = app->Frame()->Tree();
    ASSERT_EQ(tree.topLevelItemCount(), 2);
    EXPECT_EQ(tree.topLevelItem(1)->text(0), QStringLiteral("Named"));

    // A second start while this one is in the tray: the window comes back, then the file lands.
    app->Frame()->SetHasTray(true);
    app->Frame()->close();
    ASSERT_TRUE(app->Frame()->isHidden());
    emit app->Instance()->BringForwardRequested();
    EXPECT_TRUE(app->Frame()->isVisible());
    emit app->Instance()->OpenPathRequested(
        QString::fromStdString((elsewhere / "handed.jwf").string()));
    ASSERT_EQ(tree.topLevelItemCount(), 3);
    EXPECT_EQ(tree.topLevelItem(2)->text(0), QStringLiteral("Handed"));

    // New Note from the tray's menu brings the window back and adds the note.
    app->Frame()->close();
    emit app->Frame()->Tray().NewNoteRequested();
    EXPECT_TRUE(app->Frame()->isVisible());
    EXPECT_EQ(tree.topLevelItemCount(), 4);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();
}

// Another program rewrites the shown note while the window runs: the watch reports it and the
// editor shows the new text, asking nothing.
TEST_F(JotwellAppTest, ANoteRewrittenOnDiskIsShownAnew) {
    std::string index = TestSupport::ReadBytes(notes / "index.xml");
    index.replace(index.find("isselected=\"false\""), 18, "isselected=\"true\"");
    TestSupport::WriteBytes(notes / "index.xml", index);
    NoteTreeEngine::SetNotesFolder(settings, notes.Path().u16string());
    auto app = MakeApp();
    ASSERT_EQ(app->Start({QStringLiteral("jotwell")}), Result::Running);
    const NoteLayoutEngine::CNoteView& view = app->Frame()->Editor().View();
    QSignalSpy changed(&app->Frame()->FolderWatch().Watcher(), &QFileSystemWatcher::fileChanged);
    std::string theirs = kMine;
    theirs.replace(theirs.find("Mine"), 4, "Theirs");
    TestSupport::WriteBytes(notes / "1.xml", theirs);
    ASSERT_TRUE(changed.wait(10000));
    ASSERT_EQ(view.ShownNotes().size(), 1u);
    EXPECT_EQ(NoteEditEngine::TestSupport::Dump(*view.ShownNotes()[0]), "\u00B6Theirs");
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();
}

// The command-line export, run beside the program as another process would, finds the program's
// unsaved typing in the notes folder: the program saved it when asked.
TEST_F(JotwellAppTest, AnExportWhileTheProgramRunsHasWhatWasTypedAndNotSaved) {
    NoteTreeEngine::SetNotesFolder(settings, notes.Path().u16string());
    auto app = MakeApp();
    ASSERT_EQ(app->Start({QStringLiteral("jotwell")}), Result::Running);
    CIndexView& tree = app->Frame()->Tree();
    tree.Select(tree.topLevelItem(0), SelectCause::Mouse);
    CNoteScrollView& editor = app->Frame()->Editor();
    editor.setFocus();
    QTest::keyClick(&editor, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(&editor, " typed");
    ASSERT_EQ(TestSupport::ReadBytes(notes / "1.xml").find("typed"), std::string::npos);

    TestSupport::CTempFolder output;
    CommandLine::Options options =
        CommandLine::Parse({"jotwell", "--export=md", "--output", (output / "out.md").string(),
                            "--notes-folder", notes.Path().string()});
    options.instanceKey = app->Instance()->Key().toStdString();
    std::FILE* err = std::tmpfile();
    ASSERT_NE(err, nullptr);
    int code = -1;
    TestSupport::RunBesideEventLoop([&] { code = CommandLine::Export(options, err); });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(std::ftell(err), 0) << "nothing said on stderr";
    std::fclose(err);
    EXPECT_NE(TestSupport::ReadBytes(output / "out.md").find("Mine typed"), std::string::npos);
}

int Value(const char* section, const char* name) {
    QSettings stored(QStringLiteral("OrvaneInc"), QStringLiteral("Jotwell"));
    stored.beginGroup(QLatin1String(section));
    return stored.value(QLatin1String(name), -999).toInt();
}

TEST_F(JotwellAppTest, CloseHidesToTheTrayOrMinimisesAndExitStoresWhatItLeft) {
    const struct {
        bool tray;
        bool hidden;
        bool minimized;
        int showCmd;
    } cases[] = {{true, true, false, 0}, {false, false, true, 2}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.tray ? "tray" : "no tray");
        QSettings(QStringLiteral("OrvaneInc"), QStringLiteral("Jotwell")).clear();
        NoteTreeEngine::SetNotesFolder(settings, notes.Path().u16string());
        auto app = MakeApp();
        ASSERT_EQ(app->Start({QStringLiteral("jotwell")}), Result::Running);
        CMainFrame& frame = *app->Frame();
        frame.SetHasTray(test.tray);
        frame.Action(CommandIds::kStyleToolbar)->trigger();
        QSignalSpy ended(&frame, &CMainFrame::Ended);
        // The close box and Ctrl+W alike.
        EXPECT_FALSE(frame.close());
        EXPECT_EQ(frame.isHidden(), test.hidden);
        EXPECT_EQ(frame.isMinimized(), test.minimized);
        frame.RouteCommand(CommandIds::kCloseToTray);
        EXPECT_EQ(ended.count(), 0);
        // Nothing is stored on Close.
        EXPECT_EQ(Value("WindowState", "ShowCmd"), -999);
        frame.RouteCommand(CommandIds::kExit);
        EXPECT_EQ(ended.count(), 1);
        EXPECT_EQ(Value("WindowState", "ShowCmd"), test.showCmd);
        for (const char* name : {"Flags", "X1", "Y1", "X2", "Y2"})
            EXPECT_NE(Value("WindowState", name), -999) << name;
        for (const char* name : {"LeftWidth", "LeftMinWidth", "RightWidth", "RightMinWidth"})
            EXPECT_NE(Value("SplitterState", name), -999) << name;
        EXPECT_EQ(Value("ToolbarState", "StandardVisible"), 1);
        EXPECT_EQ(Value("ToolbarState", "StyleVisible"), 0);
        EXPECT_EQ(Value("ToolbarState", "StatusVisible"), 1);
        // Exit unloaded the tree: the index is on disk.
        EXPECT_TRUE(fs::exists(notes / "index.xml"));
        EXPECT_EQ(frame.Tree().topLevelItemCount(), 0);
    }
}

TEST_F(JotwellAppTest, TheFrameShowsTheLockKeysTheToolbarsAndTheHelp) {
    NoteTreeEngine::SetNotesFolder(settings, notes.Path().u16string());
    auto app = MakeApp();
    ASSERT_EQ(app->Start({QStringLiteral("jotwell")}), Result::Running);
    CMainFrame& frame = *app->Frame();
    frame.activateWindow();
    QApplication::processEvents();

    // The lock keys as the keyboard state of each key event tells them.
    const struct {
        quint32 state;
        const char* caps;
        const char* num;
    } locks[] = {{0x02, "CAP", ""}, {0x12, "CAP", "NUM"}, {0x10, "", "NUM"}, {0x01, "", ""}};
    for (const auto& lock : locks) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier, 0, 0, lock.state);
        QApplication::sendEvent(&frame.Editor(), &press);
        EXPECT_EQ(frame.CapsLockText(), QLatin1String(lock.caps)) << lock.state;
        EXPECT_EQ(frame.NumLockText(), QLatin1String(lock.num)) << lock.state;
    }

    // Every tool button shows an icon and no text.
    int buttons = 0;
    for (QToolBar* bar : frame.findChildren<QToolBar*>()) {
        for (QAction* action : bar->actions()) {
            if (action->isSeparator()) continue;
            ++buttons;
            EXPECT_FALSE(action->icon().isNull()) << action->text().toStdString();
            EXPECT_FALSE(action->icon().pixmap(16, 16).isNull()) << action->text().toStdString();
            auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->toolButtonStyle(), Qt::ToolButtonIconOnly);
            EXPECT_FALSE(action->toolTip().isEmpty());
        }
    }
    EXPECT_EQ(buttons, 10 + 13);

    // F1 opens the help at its contents; the other help commands reuse its window.
    ASSERT_EQ(frame.Help(), nullptr);
    QTest::keyClick(&frame.Editor(), Qt::Key_F1);
    ASSERT_NE(frame.Help(), nullptr);
    CHelpWindow* help = frame.Help();
    EXPECT_TRUE(help->isVisible());
    frame.RouteCommand(CommandIds::kHelpSearch);
    EXPECT_EQ(frame.Help(), help);

    CAboutBox about(ProgramIcon());
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Jotwell"));
    EXPECT_EQ(about.findChild<QLabel*>(QStringLiteral("version"))->text(),
              QStringLiteral("Jotwell Version 1.11"));
    EXPECT_FALSE(about.findChild<QLabel*>(QStringLiteral("icon"))->pixmap().isNull());
}

TEST_F(JotwellAppTest, F6AndShiftF6MoveTheFocusBetweenThePanes) {
    NoteTreeEngine::SetNotesFolder(settings, notes.Path().u16string());
    auto app = MakeApp();
    ASSERT_EQ(app->Start({QStringLiteral("jotwell")}), Result::Running);
    CMainFrame& frame = *app->Frame();
    frame.activateWindow();
    QApplication::processEvents();
    ASSERT_TRUE(frame.Editor().hasFocus());
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool treeAfter;
    } steps[] = {{Qt::Key_F6, Qt::NoModifier, true},
                 {Qt::Key_F6, Qt::NoModifier, false},
                 {Qt::Key_F6, Qt::ShiftModifier, true},
                 {Qt::Key_Tab, Qt::ControlModifier, false}};
    for (const auto& step : steps) {
        QTest::keyClick(QApplication::focusWidget(), step.key, step.modifiers);
        EXPECT_EQ(frame.Tree().hasFocus(), step.treeAfter);
        EXPECT_EQ(frame.Editor().hasFocus(), !step.treeAfter);
    }
}

// The real program, stopped by SIGTERM the way a service manager or the session stops it: it ends
// as Exit does, with the window state and the tree written. With the notes folder gone (a file
// in its place) it asks nobody: the shown note goes to a recovery file, stderr says so, and the
// count is kept for the next start.
TEST(JotwellProcessTest, SigtermEndsTheProgramAsExitDoesAndWaitsForNobody) {
    for (const bool folderGone : {false, true}) {
        SCOPED_TRACE(folderGone ? "folder gone" : "folder kept");
        QTemporaryDir home;
        ASSERT_TRUE(home.isValid());
        const QString notes = home.filePath(QStringLiteral("Notes"));
        ASSERT_TRUE(QDir().mkpath(notes));
        TestSupport::WriteBytes(fs::path(notes.toStdString()) / "1.xml", kMine);
        WriteIndex(fs::path(notes.toStdString()), {1});
        std::string index = TestSupport::ReadBytes(fs::path(notes.toStdString()) / "index.xml");
        index.replace(index.find("isselected=\"false\""), 18, "isselected=\"true\"");
        TestSupport::WriteBytes(fs::path(notes.toStdString()) / "index.xml", index);
        const QString config = home.filePath(QStringLiteral("config"));
        const QString conf = config + QStringLiteral("/OrvaneInc/Jotwell.conf");
        QSettings(conf, QSettings::IniFormat)
            .setValue(QStringLiteral("NoteStore/NoteStorePath"), notes);
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("TMPDIR"), home.path());
        environment.insert(QStringLiteral("JOTWELL_ANNOUNCE_SHOWN"), QStringLiteral("1"));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(JOTWELL_PROGRAM), {});
        QByteArray said;
        while (!said.contains("shown\n") && program.waitForReadyRead(20000))
            said += program.readAllStandardOutput();
        ASSERT_TRUE(said.contains("shown\n")) << program.readAllStandardError().toStdString();
        if (folderGone) {
            ASSERT_TRUE(QDir(notes).removeRecursively());
            TestSupport::WriteBytes(fs::path(notes.toStdString()), "no folder");
        } else {
            // The tree was written at start-up; only the end writes it again.
            ASSERT_TRUE(QFile::remove(notes + QStringLiteral("/index.xml")));
        }
        program.terminate();
        ASSERT_TRUE(program.waitForFinished(20000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
        QSettings stored(conf, QSettings::IniFormat);
        EXPECT_TRUE(stored.contains(QStringLiteral("WindowState/ShowCmd")));
        EXPECT_TRUE(stored.contains(QStringLiteral("SplitterState/LeftWidth")));
        EXPECT_EQ(stored.value(QStringLiteral("NoteStore/RecoveredAtEnd"), 0).toInt(),
                  folderGone ? 1 : 0);
        std::vector<std::string> recovered;
        std::error_code none;
        for (const auto& entry : fs::recursive_directory_iterator(
                 home.filePath(QStringLiteral("data")).toStdString(), none))
            if (entry.path().parent_path().filename() == "Recovered notes")
                recovered.push_back(TestSupport::ReadBytes(entry.path()));
        if (!folderGone) {
            EXPECT_TRUE(QFile::exists(notes + QStringLiteral("/index.xml")));
            EXPECT_TRUE(recovered.empty());
            continue;
        }
        ASSERT_EQ(recovered.size(), 1u);
        EXPECT_NE(recovered[0].find("Mine"), std::string::npos);
        EXPECT_TRUE(program.readAllStandardError().contains("Its text was written to"));
    }
}

}  // namespace
