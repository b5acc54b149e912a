// The command line through the real program: the export of a notes folder to each format without
// a display, which leaves the folder as it was.
#include <gtest/gtest.h>

#include <QProcess>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "base/Utf8.h"
#include "model/NoteDocument.h"
#include "session/NoteSession.h"
#include "storage/FileSystem.h"
#include "storage/NoteExport.h"
#include "storage/NoteFile.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/QpdfOutline.h"
#include "tests/support/TempFolder.h"

namespace {

namespace fs = std::filesystem;
using TestSupport::ReadBytes;
using TestSupport::WriteBytes;

// Every file of a folder: its bytes and its modification time.
std::map<std::string, std::pair<std::string, fs::file_time_type>> Snapshot(const fs::path& folder) {
    std::map<std::string, std::pair<std::string, fs::file_time_type>> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = {ReadBytes(entry.path()),
                                                   fs::last_write_time(entry.path())};
    return files;
}

// What each format must hold: the notes as the tree lists them, read from their files (empty
// when unreadable), and the PDF's outline without pages, titles indented by depth.
struct CExpected {
    std::string html, markdown, outline;

    explicit CExpected(const fs::path& folder) {
        NoteTreeEngine::CNoteTree tree;
        TestSupport::CFakePrompts prompts;
        (void)NoteTreeEngine::CNoteSession::ReadTree(folder, tree, prompts,
                                                     NoteStorage::FileSystem());
        std::vector<std::unique_ptr<NoteEditEngine::CNoteDocument>> documents;
        std::vector<NoteStorage::ExportNote> notes;
        for (const NoteTreeEngine::TreeItem item : tree.ItemsInOrder()) {
            int32_t depth = 0;
            for (auto parent = tree.Parent(item); parent != NoteTreeEngine::kRootItem;
                 parent = tree.Parent(parent))
                ++depth;
            const NoteTreeEngine::CTreeItemRecord& record = tree.Record(item);
            documents.push_back(std::make_unique<NoteEditEngine::CNoteDocument>());
            (void)NoteStorage::LoadNoteFile(NoteStorage::FileSystem(),
                                            NoteTreeEngine::NoteFilePath(folder, record),
                                            *documents.back());
            notes.push_back({record.username, depth, documents.back().get()});
            outline +=
                std::string(size_t(depth) * 2, ' ') + NoteBase::Utf16ToUtf8(record.username) + "\n";
        }
        std::u16string out;
        NoteStorage::WriteHtmlExport(notes, out);
        html = NoteBase::Utf16ToUtf8(out);
        out.clear();
        NoteStorage::WriteMarkdownExport(notes, out);
        markdown = NoteBase::Utf16ToUtf8(out);
    }
};

TEST(CommandLineTest, TheWholeTreeGoesToEachFormatAndTheFolderIsLeftAsItWas) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString config = home.filePath(QStringLiteral("config"));
    TestSupport::CTempFolder notes;
    TestSupport::CTempFolder output;
    // The start-up notes, with a note titled in several scripts nested under the last top-level
    // note, and a note whose file is missing at the end.
    for (const auto& entry : fs::directory_iterator(fs::path(JOTWELL_SOURCE_DATA) / "startup"))
        fs::copy_file(entry.path(), notes / entry.path().filename().string());
    std::string index = ReadBytes(notes / "index.xml");
    index.insert(index.rfind("</item>"),
                 "<item id=\"900\" username=\"Caf\u00e9 \u2615 \u65e5\u672c &amp; co\"></item>\n");
    index.insert(index.rfind("</tree>"), "<item id=\"901\" username=\"Lost note\"></item>\n");
    WriteBytes(notes / "index.xml", index);
    WriteBytes(notes / "900.xml",
               "<note version=\"1.0\"><paragraph>Caf\u00e9 \u2615 \u65e5\u672c &amp; co</paragraph>"
               "<paragraph style=\"Header 1\">Sub *head*</paragraph></note>\n");
    const auto before = Snapshot(notes.Path());
    const CExpected expected(notes.Path());
    ASSERT_GT(std::count(expected.outline.begin(), expected.outline.end(), '\n'), 10);

    // The program with the arguments, in a home of its own, without any display.
    const auto run = [&](std::vector<std::string> arguments, const std::string& file) {
        QStringList list;
        for (const std::string& argument : arguments)
            list << QString::fromStdString(argument);
        list << QStringLiteral("--output") << QString::fromStdString((output / file).string());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(JOTWELL_PROGRAM), list);
        if (!program.waitForFinished(60000)) program.kill();
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << file;
        EXPECT_EQ(program.exitCode(), 0) << file;
        EXPECT_EQ(program.readAllStandardOutput().toStdString(), "") << file;
        // The unreadable note is told once, and only it.
        EXPECT_EQ(program.readAllStandardError().toStdString(),
                  "jotwell: warning: the note 'Lost note' (" + (notes / "901.xml").string() +
                      ") could not be read; it is exported empty\n")
            << file;
    };
    for (const auto& [format, file] :
         {std::pair{"html", "all.html"}, {"MD", "all.md"}, {"pdf", "all.pdf"}})
        run({"--export", format, "--notes-folder", notes.Path().string()}, file);
    EXPECT_EQ(ReadBytes(output / "all.html"), expected.html);
    EXPECT_EQ(ReadBytes(output / "all.md"), expected.markdown);
    EXPECT_TRUE(TestSupport::QpdfChecks(output / "all.pdf"));
    const std::string outline = TestSupport::QpdfOutline(output / "all.pdf");
    EXPECT_EQ(std::regex_replace(outline, std::regex("@[0-9]+\n"), "\n"), expected.outline);
    EXPECT_EQ(outline.substr(0, outline.find('\n')), "Welcome to Jotwell@1");

    // Without --notes-folder, the folder the program uses.
    QSettings(config + QStringLiteral("/OrvaneInc/Jotwell.conf"), QSettings::IniFormat)
        .setValue(QStringLiteral("NoteStore/NoteStorePath"),
                  QString::fromStdString(notes.Path().string()));
    run({"--export", "html"}, "stored.html");
    EXPECT_EQ(ReadBytes(output / "stored.html"), expected.html);

    EXPECT_EQ(Snapshot(notes.Path()), before);
}

}  // namespace
