// The command line through the real program: the export of a notes folder to each format without
// a display, which leaves the folder as it was.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/app/ExportTestSupport.h"
#include "tests/support/QpdfOutline.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using TestSupport::ReadBytes;

struct Ran {
    int code = -1;
    std::string out;
    std::string err;
};

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        ExportTest::MakeFixture(notes.Path(), fs::path(JOTWELL_SOURCE_DATA) / "startup");
    }

    // The program with the arguments, in a home of its own, without any display.
    Ran Run(const std::vector<std::string>& arguments) {
        QStringList list;
        for (const std::string& argument : arguments)
            list << QString::fromStdString(argument);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), Config());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(JOTWELL_PROGRAM), list);
        Ran ran;
        if (!program.waitForFinished(60000)) {
            program.kill();
            program.waitForFinished();
            ran.err = "did not end";
            return ran;
        }
        ran.code = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -2;
        ran.out = program.readAllStandardOutput().toStdString();
        ran.err = program.readAllStandardError().toStdString();
        return ran;
    }
    QString Config() const { return home.filePath(QStringLiteral("config")); }
    void StoreNotesFolder(const fs::path& folder) {
        QSettings stored(Config() + QStringLiteral("/OrvaneInc/Jotwell.conf"),
                         QSettings::IniFormat);
        stored.setValue(QStringLiteral("NoteStore/NoteStorePath"),
                        QString::fromStdString(folder.string()));
    }
    std::string Out(const char* name) const { return (output / name).string(); }

    QTemporaryDir home;
    TestSupport::CTempFolder notes;
    TestSupport::CTempFolder output;
};

TEST_F(CommandLineTest, TheWholeTreeGoesToEachFormatAndTheFolderIsLeftAsItWas) {
    const auto before = ExportTest::Snapshot(notes.Path());
    const ExportTest::CFolderNotes expected(notes.Path());
    ASSERT_GT(expected.notes.size(), 10u);
    const std::string folder = notes.Path().string();
    const std::string lost = "jotwell: warning: the note 'Lost note' (" +
                             (notes / "901.xml").string() +
                             ") could not be read; it is exported empty\n";

    struct Case {
        const char* format;
        const char* file;
    };
    for (const Case& c :
         std::vector<Case>{{"html", "all.html"}, {"MD", "all.md"}, {"pdf", "all.pdf"}}) {
        const Ran ran =
            Run({"--export", c.format, "--output", Out(c.file), "--notes-folder", folder});
        EXPECT_EQ(ran.code, 0) << c.format << ran.err;
        EXPECT_EQ(ran.out, "") << c.format;
        // The unreadable note is told once, and only it.
        EXPECT_EQ(ran.err, lost) << c.format;
    }
    EXPECT_EQ(ReadBytes(output / "all.html"), expected.Html());
    EXPECT_EQ(ReadBytes(output / "all.md"), expected.Markdown());
    EXPECT_TRUE(TestSupport::QpdfChecks(output / "all.pdf"));
    const std::string outline = TestSupport::QpdfOutline(output / "all.pdf");
    EXPECT_EQ(ExportTest::WithoutPages(outline), expected.Outline());
    EXPECT_EQ(outline.substr(0, outline.find('\n')), "Welcome to Jotwell@1");

    // Without --notes-folder, the folder the program uses.
    StoreNotesFolder(notes.Path());
    const Ran stored = Run({"--export", "html", "--output", Out("stored.html")});
    EXPECT_EQ(stored.code, 0) << stored.err;
    EXPECT_EQ(ReadBytes(output / "stored.html"), expected.Html());

    EXPECT_EQ(ExportTest::Snapshot(notes.Path()), before);
}

}  // namespace
