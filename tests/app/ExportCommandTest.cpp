// The Export command through the main frame with a file picker of the test.
#include <gtest/gtest.h>

#include <QTest>
#include <QTreeWidgetItemIterator>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/ExportCommand.h"
#include "app/MainFrame.h"
#include "base/CommandIds.h"
#include "editor/NoteScrollView.h"
#include "storage/NotesFolderSettings.h"
#include "tests/app/ExportTestSupport.h"
#include "tests/support/FakeFolderPicker.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/TempFolder.h"
#include "tree/IndexView.h"
#include "ui/MessageBox.h"

namespace {

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
    // The notes of these titles from their files at these depths; `shown` replaces the last.
    std::string ExpectedMarkdown(const std::vector<std::pair<const char*, int>>& titles,
                                 const NoteEditEngine::CNoteDocument* shown = nullptr) {
        const ExportTest::CFolderNotes all(folder.Path());
        std::vector<NoteStorage::ExportNote> notes;
        for (const auto& [title, depth] : titles)
            for (NoteStorage::ExportNote note : all.notes)
                if (note.title == QString::fromUtf8(title).toStdU16String())
                    notes.push_back({note.title, depth, note.document});
        if (shown != nullptr) notes.back().document = shown;
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
    Load();
    // A selected note inside a selected subtree, selected before its ancestor.
    Select({"Charlie one", "Alpha two", "Alpha"});

    // Typed into the last shown note and not saved yet.
    frame.Editor().setFocus();
    QTest::keyClick(&frame.Editor(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(&frame.Editor(), " zz");
    NoteEditEngine::CNoteDocument* edited =
        frame.Session().Manager()->FindDocument(frame.Tree().Handle(Item("Charlie one")));
    ASSERT_NE(edited, nullptr);
    ASSERT_EQ(ReadBytes(folder / "7.xml").find("zz"), std::string::npos);

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
                                        edited));
    EXPECT_NE(written.find("Body of Charlie one zz"), std::string::npos);
}

}  // namespace
