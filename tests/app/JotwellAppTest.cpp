// The program's start-up sequence and the frame around it, with the settings, the instance key,
// the picker and the message boxes of the test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "app/JotwellApp.h"
#include "app/MainFrame.h"
#include "base/CommandIds.h"
#include "storage/NotesFolderSettings.h"
#include "tests/support/FakeFolderPicker.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/TempFolder.h"
#include "tree/IndexView.h"
#include "ui/MessageBox.h"

namespace {

using Result = CJotwellApp::Result;
namespace fs = std::filesystem;

std::string Note(const std::string& text) {
    return "<?xml version=\"1.0\"?>\n<note version=\"1.0\"><paragraph>" + text +
           "</paragraph></note>\n";
}
const std::string kMine = Note("Mine");

// An index listing the notes of `ids` at the root level, the first of them selected or not.
void WriteIndex(const fs::path& folder, std::initializer_list<int> ids, bool selected = false) {
    std::string index = "<?xml version=\"1.0\"?>\n<tree version=\"1.0\">\n";
    for (const int id : ids)
        index += "<item id=\"" + std::to_string(id) + "\" username=\"Note " + std::to_string(id) +
                 "\" isselected=\"" + (selected ? "true" : "false") + "\"></item>\n";
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
        TestSupport::WriteBytes(startUp / "11.xml", Note("Tour one"));
        TestSupport::WriteBytes(startUp / "12.xml", Note("Tour two"));
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

// The first run welcomes and asks for a folder, and only a new one gets the start-up notes; a
// folder deleted since the last run is offered for creation, then another is asked for. What a
// picked folder held stays as it was; without a folder the program ends.
TEST_F(JotwellAppTest, TheStartFindsOrMakesANotesFolderOrEnds) {
    const struct {
        bool gone;           // the stored folder was deleted; else none is stored (first run)
        bool create;         // the answer to making it again
        const char* picked;  // a file in the folder the picker gives, "name=bytes"; null: cancelled
        int copied;          // start-up notes in the picked folder after the start
    } cases[] = {
        {false, false, "", 2},
        {false, false, "11.xml=mine", 2},
        {false, false, "index.xml=<tree version=\"1.0\"></tree>", 0},
        {false, false, nullptr, 0},
        {true, true, nullptr, 0},
        {true, false, "", 0},
        {true, false, nullptr, 0},
    };
    for (const auto& test : cases) {
        const std::string before = test.picked != nullptr ? test.picked : "";
        SCOPED_TRACE(std::to_string(test.gone) + std::to_string(test.create) + " " +
                     (test.picked != nullptr ? before : "cancelled"));
        TestSupport::CTempFolder parent;
        TestSupport::CTempFolder folder;
        const fs::path gone = parent / "gone" / "notes";
        const std::string name = before.substr(0, before.find('='));
        if (!before.empty()) TestSupport::WriteBytes(folder / name, before.substr(name.size() + 1));
        NoteTreeEngine::SetNotesFolder(settings, test.gone ? gone.u16string() : u"");
        messages.clear();
        picker.asked.clear();
        integrated = 0;
        answerYes = test.create;
        picker.answer = test.picked != nullptr ? folder.Path().u16string() : std::u16string();
        auto app = MakeApp();
        const bool runs = test.create || test.picked != nullptr;
        EXPECT_EQ(app->Start({QStringLiteral("jotwell")}),
                  runs ? Result::Running : Result::NoFolder);
        ASSERT_EQ(messages.size(), runs ? 1 : 2);
        EXPECT_TRUE(test.gone ? messages[0].contains(QString::fromStdString(gone.string()))
                              : messages[0] == QString::fromLatin1(CJotwellApp::kWelcome));
        EXPECT_TRUE(runs || messages[1] == QString::fromLatin1(CJotwellApp::kNoFolderChosen));
        EXPECT_EQ(picker.asked.size(), test.create ? 0u : 1u);
        EXPECT_EQ(fs::is_directory(gone), test.create);
        EXPECT_EQ(Stored().toStdU16String(), test.picked != nullptr ? folder.Path().u16string()
                                             : test.gone            ? gone.u16string()
                                                                    : u"");
        // A shown window's desktop files wait for its first paint; an ending start's, for nothing.
        EXPECT_EQ(integrated, runs ? 0 : 1);
        if (runs) {
            (void)app->Frame()->grab();
            QCoreApplication::processEvents();
        }
        EXPECT_EQ(integrated, 1);
        int copied = 0;
        for (const QString& file : FilesOf(folder.Path()))
            copied += TestSupport::ReadBytes(folder / file.toStdString()).find("Tour") !=
                      std::string::npos;
        EXPECT_EQ(copied, test.copied);
        if (!before.empty()) {
            EXPECT_EQ(TestSupport::ReadBytes(folder / name), before.substr(name.size() + 1));
        }
        EXPECT_TRUE(!runs || app->Frame()->isVisible());
    }
}

TEST_F(JotwellAppTest, ATreeFileNamedOrHandedOverIsImportedAndOnlyExitEndsTheProgram) {
    TestSupport::CTempFolder elsewhere;
    for (const std::string name : {"Named", "Handed"})
        TestSupport::WriteBytes(elsewhere / (name + ".jwf"),
                                "<?xml version=\"1.0\"?>\n<tree version=\"1.0\">\n<item id=\"9\" "
                                "username=\"" +
                                    name +
                                    "\" isfixed=\"true\">\n<note version=\"1.0\">"
                                    "<paragraph>Text</paragraph></note>\n</item>\n</tree>\n");
    NoteTreeEngine::SetNotesFolder(settings, notes.Path().u16string());
    auto app = MakeApp();
    ASSERT_EQ(app->Start({QStringLiteral("jotwell"), QStringLiteral("--some-option"),
                          QString::fromStdString((elsewhere / "Named.jwf").string())}),
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
        QString::fromStdString((elsewhere / "Handed.jwf").string()));
    ASSERT_EQ(tree.topLevelItemCount(), 3);
    EXPECT_EQ(tree.topLevelItem(2)->text(0), QStringLiteral("Handed"));

    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'|').toStdString();

    // Without a tray, Close (the box, Ctrl+W) minimises; neither ends the program, Exit does.
    CMainFrame& frame = *app->Frame();
    frame.SetHasTray(false);
    QSignalSpy ended(&frame, &CMainFrame::Ended);
    EXPECT_FALSE(frame.close());
    EXPECT_TRUE(frame.isMinimized());
    frame.RouteCommand(CommandIds::kCloseToTray);
    EXPECT_EQ(ended.count(), 0);
    frame.RouteCommand(CommandIds::kExit);
    EXPECT_EQ(ended.count(), 1);
    EXPECT_EQ(tree.topLevelItemCount(), 0);  // the tree left the window, written
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
        WriteIndex(fs::path(notes.toStdString()), {1}, true);
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
