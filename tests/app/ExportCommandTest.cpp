// The Export command through the main frame with a file picker of the test, and the PDF's
// bookmarks against the pages the print layout gives.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidgetItemIterator>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/ExportCommand.h"
#include "app/ExportSet.h"
#include "app/MainFrame.h"
#include "base/CommandIds.h"
#include "editor/NoteScrollView.h"
#include "storage/NotesFolderSettings.h"
#include "tests/app/ExportTestSupport.h"
#include "tests/support/FakeFolderPicker.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/QpdfOutline.h"
#include "tests/support/TempFolder.h"
#include "tree/IndexView.h"
#include "ui/MessageBox.h"

namespace {

namespace fs = std::filesystem;
using ExportTest::ItemTag;
using ExportTest::NoteFile;
using TestSupport::ReadBytes;
using TestSupport::WriteBytes;

struct Note {
    const char* id;
    const char* title;
};

// A (A1, A2 (A2a)), B, C (C1): each note's first paragraph is its title, then a body line.
const std::vector<Note> kNotes = {{"1", "Alpha"},       {"2", "Alpha one"}, {"3", "Alpha two"},
                                  {"4", "Alpha two a"}, {"5", "Bravo"},     {"6", "Charlie"},
                                  {"7", "Charlie one"}};

class ExportCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBox::SetSink(
            [this](const QString& text) { messages.push_back(text.toStdString()); });
        for (const Note& note : kNotes)
            WriteBytes(folder / (std::string(note.id) + ".xml"),
                       NoteFile(std::string("<paragraph>") + note.title +
                                "</paragraph><paragraph>Body of " + note.title + "</paragraph>"));
        const auto item = [](int index) {
            return ItemTag(kNotes[size_t(index)].id, kNotes[size_t(index)].title);
        };
        WriteBytes(folder / "index.xml",
                   "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n<tree "
                   "version=\"1.0\">\n" +
                       item(0) + item(1) + "</item>" + item(2) + item(3) + "</item></item></item>" +
                       item(4) + "</item>" + item(5) + item(6) + "</item></item>\n</tree>\n");
        frame.Export().SetFilePicker([this](QWidget*) {
            ++asked;
            return target;
        });
    }
    void TearDown() override { MessageBox::SetSink({}); }

    void Load() {
        NoteTreeEngine::SetNotesFolder(settings, folder.Path().u16string());
        frame.LoadTree();
    }
    QTreeWidgetItem* Item(const char* title) {
        for (QTreeWidgetItemIterator it(&frame.Tree()); *it != nullptr; ++it)
            if ((*it)->text(0) == QString::fromUtf8(title)) return *it;
        ADD_FAILURE() << title;
        return nullptr;
    }
    void Select(std::initializer_list<const char*> titles) {
        for (const char* title : titles)
            frame.Tree().Select(Item(title), SelectCause::Mouse);
        frame.UpdateCommandStates();
    }
    bool ExportEnabled() {
        frame.UpdateCommandStates();
        return frame.Action(CommandIds::kExport)->isEnabled();
    }
    // The notes from their files, titles and depths as given; `shown` replaces one of them.
    std::string ExpectedMarkdown(const std::vector<std::pair<const char*, int>>& titles,
                                 const char* shownTitle = nullptr,
                                 const NoteEditEngine::CNoteDocument* shown = nullptr) {
        std::vector<std::unique_ptr<NoteEditEngine::CNoteDocument>> documents;
        std::vector<NoteStorage::ExportNote> notes;
        for (const auto& [title, depth] : titles) {
            documents.push_back(std::make_unique<NoteEditEngine::CNoteDocument>());
            std::string id;
            for (const Note& note : kNotes)
                if (std::string(note.title) == title) id = note.id;
            (void)NoteStorage::LoadNoteFile(NoteStorage::FileSystem(), folder / (id + ".xml"),
                                            *documents.back());
            const NoteEditEngine::CNoteDocument* document = documents.back().get();
            if (shownTitle != nullptr && std::string(shownTitle) == title) document = shown;
            notes.push_back({QString::fromUtf8(title).toStdU16String(), depth, document});
        }
        std::u16string out;
        NoteStorage::WriteMarkdownExport(notes, out);
        return NoteBase::Utf16ToUtf8(out);
    }

    TestSupport::CTempFolder folder;
    TestSupport::CTempFolder output;
    TestSupport::CFakeSettings settings;
    TestSupport::CFakePicker picker;
    CMainFrame frame{settings, picker};
    std::optional<CExportCommand::Target> target;
    int asked = 0;
    std::vector<std::string> messages;
};

TEST_F(ExportCommandTest, SelectedSubtreesGoOutOnceInTreeOrderWithTheEditorsUnsavedText) {
    EXPECT_FALSE(ExportEnabled());
    Load();
    EXPECT_FALSE(ExportEnabled());
    // A selected note inside a selected subtree, selected before its ancestor.
    Select({"Charlie one", "Alpha two", "Alpha"});
    ASSERT_TRUE(ExportEnabled());

    // Typed into the last shown note and not saved yet.
    frame.Editor().setFocus();
    QTest::keyClick(&frame.Editor(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(&frame.Editor(), " zz");
    NoteEditEngine::CNoteDocument* edited =
        frame.Session().Manager()->FindDocument(frame.Tree().Handle(Item("Charlie one")));
    ASSERT_NE(edited, nullptr);
    ASSERT_EQ(ReadBytes(folder / "7.xml").find("zz"), std::string::npos);
    const std::string editorBefore = frame.Editor().StatusText().toStdString();

    target = CExportCommand::Target{QString::fromStdString((output / "out.md").string()),
                                    ExportWriter::Format::Markdown};
    frame.RouteCommand(CommandIds::kExport);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(messages.empty());
    const std::string written = ReadBytes(output / "out.md");
    EXPECT_EQ(written, ExpectedMarkdown({{"Alpha", 0},
                                         {"Alpha one", 1},
                                         {"Alpha two", 1},
                                         {"Alpha two a", 2},
                                         {"Charlie one", 0}},
                                        "Charlie one", edited));
    EXPECT_NE(written.find("Body of Charlie one zz"), std::string::npos);
    // The editor still shows the same three notes.
    EXPECT_EQ(frame.Editor().View().ShownNotes().size(), 3u);
    EXPECT_EQ(frame.Editor().StatusText().toStdString(), editorBefore);

    // The same to a PDF: one bookmark per note, nested as the tree.
    target = CExportCommand::Target{QString::fromStdString((output / "out.pdf").string()),
                                    ExportWriter::Format::Pdf};
    frame.RouteCommand(CommandIds::kExport);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(TestSupport::QpdfChecks(output / "out.pdf"));
    EXPECT_EQ(TestSupport::QpdfOutline(output / "out.pdf"),
              "Alpha@1\n  Alpha one@1\n  Alpha two@1\n    Alpha two a@1\nCharlie one@1\n");

    // Cancelled: nothing written, nothing said.
    target.reset();
    frame.RouteCommand(CommandIds::kExport);
    EXPECT_EQ(asked, 3);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ExportCommandTest, UnreadableNotesGoOutEmptyAndAreToldOnceAndAFailedWriteIsTold) {
    WriteBytes(folder / "4.xml", "not a note");
    WriteBytes(folder / "2.xml", "<note version=\"1.0\"><paragraph>cut");
    Load();
    Select({"Alpha"});
    const std::string oldBytes = "old export";
    WriteBytes(output / "keep.md", oldBytes);

    struct Case {
        std::string path;
        std::vector<std::string> said;
    };
    const std::vector<Case> cases = {
        {(output / "out.md").string(),
         {"These notes could not be read and were exported empty: Alpha one, Alpha two a"}},
        {(output / "missing" / "out.md").string(),
         {"The notes could not be exported to \"" + (output / "missing" / "out.md").string() +
          "\".\nThe file \"" + (output / "missing" / "out.md").string() +
          "\" could not be written."}},
    };
    for (const Case& c : cases) {
        messages.clear();
        target =
            CExportCommand::Target{QString::fromStdString(c.path), ExportWriter::Format::Markdown};
        frame.RouteCommand(CommandIds::kExport);
        EXPECT_EQ(messages, c.said) << c.path;
    }
    EXPECT_EQ(
        ReadBytes(output / "out.md"),
        ExpectedMarkdown({{"Alpha", 0}, {"Alpha one", 1}, {"Alpha two", 1}, {"Alpha two a", 2}}));
    EXPECT_FALSE(fs::exists(output / "missing"));
    EXPECT_EQ(ReadBytes(output / "keep.md"), oldBytes);
}

// A typed extension of an export format wins over the filter; otherwise the filter's is added.
TEST(ExportCommandNames, TheTypedExtensionOrTheFiltersDecidesTheFormat) {
    using ExportWriter::Format;
    struct Case {
        const char* path;
        Format filter;
        const char* expected;
        Format format;
    };
    for (const Case& c : std::vector<Case>{
             {"/a/notes", Format::Pdf, "/a/notes.pdf", Format::Pdf},
             {"/a/notes.PDF", Format::Pdf, "/a/notes.PDF", Format::Pdf},
             {"/a/notes.htm", Format::Html, "/a/notes.htm", Format::Html},
             {"/a/notes.md", Format::Html, "/a/notes.md", Format::Markdown},
             {"/a/notes.pdf", Format::Markdown, "/a/notes.pdf", Format::Pdf},
             {"/a/notes.txt", Format::Html, "/a/notes.txt.html", Format::Html},
             {"/a/notes.markdown", Format::Markdown, "/a/notes.markdown", Format::Markdown},
             {"/a.b/notes", Format::Markdown, "/a.b/notes.md", Format::Markdown}}) {
        const CExportCommand::Target target =
            CExportCommand::TargetFor(QString::fromUtf8(c.path), c.filter);
        EXPECT_EQ(target.path.toStdString(), c.expected);
        EXPECT_EQ(target.format, c.format) << c.path;
    }
}

// Every format is known by each of its names in any case and offered with each extension, in
// the dialog and in the help page, which is kept by hand.
TEST(ExportCommandNames, EveryFormatByItsNamesAndExtensions) {
    using ExportWriter::Formats;
    QFile page(QStringLiteral(JOTWELL_HELP_PAGES "/export.html"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QString help = QString::fromUtf8(page.readAll());
    for (const ExportWriter::FormatRow& row : ExportWriter::Formats()) {
        const QString filter = ExportWriter::DialogFilter(row);
        for (const std::string_view name : row.names) {
            if (name.empty()) continue;
            const QString text = QString::fromLatin1(name.data(), qsizetype(name.size()));
            EXPECT_EQ(ExportWriter::FormatNamed(text.toUpper().toStdString()), row.format);
            EXPECT_TRUE(help.contains(QRegularExpression("\\b" + text + "\\b"))) << name;
        }
        for (const std::string_view extension : row.extensions) {
            if (extension.empty()) continue;
            const QString text = QString::fromLatin1(extension.data(), qsizetype(extension.size()));
            EXPECT_TRUE(filter.contains("*." + text)) << filter.toStdString();
            EXPECT_TRUE(help.contains("<tt>." + text + "</tt>")) << extension;
            EXPECT_EQ(CExportCommand::TargetFor("/a/n." + text, Formats().front().format).format,
                      row.format);
        }
    }
    EXPECT_EQ(ExportWriter::FormatNamed(""), std::nullopt);
}

// The page each bookmark opens is the page on which its note's first row is printed: the page
// count of the notes before it followed by that first row alone.
TEST(PdfExportTest, EachBookmarkOpensThePageWhereItsNoteStarts) {
    TestSupport::CTempFolder folder;
    const auto makeNote = [](const std::string& title, int bodyLines) {
        auto document = std::make_unique<NoteEditEngine::CNoteDocument>();
        std::u16string text = QString::fromStdString(title).toStdU16String();
        for (int i = 0; i < bodyLines; ++i)
            text += u"\nLine " + QString::number(i).toStdU16String() + u" of the note's body";
        auto position = document->Start();
        document->InsertPlainText(position, text);
        return document;
    };
    struct NoteCase {
        const char* title;
        int depth;
        int lines;
    };
    const std::vector<NoteCase> cases = {
        {"Long", 0, 130}, {"Short", 1, 2}, {"Longer", 1, 170}, {"Last", 0, 0}};
    const auto pages = [&folder](const CExportSet& notes, const char* name) {
        QString error;
        const auto pdf = ExportWriter::Render(notes, ExportWriter::Format::Pdf, error);
        EXPECT_TRUE(pdf) << error.toStdString();
        WriteBytes(folder / name, pdf.value_or(""));
        int status = 0;
        return std::stoi(
            "0" + TestSupport::RunCommand(
                      "/usr/bin/qpdf --show-npages '" + (folder / name).string() + "'", status));
    };
    CExportSet all;
    std::string expected;
    for (size_t i = 0; i < cases.size(); ++i) {
        all.AddOwned(QString::fromUtf8(cases[i].title).toStdU16String(), cases[i].depth,
                     makeNote(cases[i].title, cases[i].lines));
        CExportSet prefix;
        for (size_t j = 0; j < i; ++j)
            prefix.AddOwned(u"", 0, makeNote(cases[j].title, cases[j].lines));
        prefix.AddOwned(u"", 0, makeNote(cases[i].title, 0));
        expected += std::string(size_t(cases[i].depth) * 2, ' ') + cases[i].title + "@" +
                    std::to_string(pages(prefix, "prefix.pdf")) + "\n";
    }
    EXPECT_GT(pages(all, "all.pdf"), 5);
    EXPECT_EQ(TestSupport::QpdfOutline(folder / "all.pdf"), expected);
}

// Every address becomes a link annotation over its text on the page where it is printed; an
// address broken over two rows is one link per row.
TEST(PdfExportTest, AddressesBecomeLinksOnTheirPages) {
    TestSupport::CTempFolder folder;
    auto document = std::make_unique<NoteEditEngine::CNoteDocument>();
    std::u16string text = u"Links\nsee https://example.org/a and (www.x.org).";
    for (int i = 0; i < 150; ++i)  // pages of them
        text += u"\nLine of the body";
    text += u"\nmailto:me@x.org, " + std::u16string(80, u'w') + u" http://y.z/" +
            std::u16string(150, u'q');
    auto position = document->Start();
    document->InsertPlainText(position, text);
    CExportSet notes;
    notes.AddOwned(u"Links", 0, std::move(document));
    QString error;
    const auto pdf = ExportWriter::Render(notes, ExportWriter::Format::Pdf, error);
    ASSERT_TRUE(pdf) << error.toStdString();
    WriteBytes(folder / "links.pdf", *pdf);
    EXPECT_TRUE(TestSupport::QpdfChecks(folder / "links.pdf"));
    // Page, address and whether the box lies on the page, per annotation.
    const std::string script =
        "import json,sys\n"
        "j=json.load(sys.stdin); objs=j['qpdf'][1]\n"
        "def val(x): return objs['obj:'+x]['value'] if isinstance(x,str) and x.endswith(' R') "
        "else x\n"
        "for n,page in enumerate(j['pages'],1):\n"
        "    p=val(page['object']); box=val(p['/MediaBox'])\n"
        "    for a in val(p.get('/Annots',[])):\n"
        "        a=val(a); r=[float(v) for v in val(a['/Rect'])]\n"
        "        ok=box[0]<=r[0]<r[2]<=box[2] and box[1]<=r[1]<r[3]<=box[3]\n"
        "        print(n, val(val(a['/A'])['/URI'])[2:], 'on' if ok else 'off')\n";
    int status = 0;
    const std::string links =
        TestSupport::RunCommand("/usr/bin/qpdf --json=2 '" + (folder / "links.pdf").string() +
                                    "' | /usr/bin/python3 -c \"" + script + "\"",
                                status);
    // The last line is on the last page.
    const std::string last = std::to_string(
        std::stoi("0" + TestSupport::RunCommand(
                            "/usr/bin/qpdf --show-npages '" + (folder / "links.pdf").string() + "'",
                            status)));
    const std::string far = last + " http://y.z/" + std::string(150, 'q') + " on\n";
    EXPECT_EQ(links, "1 https://example.org/a on\n1 http://www.x.org on\n" + last +
                         " mailto:me@x.org on\n" + far + far);
}

}  // namespace
