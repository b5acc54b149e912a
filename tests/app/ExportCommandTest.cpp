// The Export command through the main frame with a file picker of the test.
#include <gtest/gtest.h>

#include <QTest>
#include <QTreeWidgetItemIterator>
#include <sstream>
#include <string>

#include "app/ExportCommand.h"
#include "app/MainFrame.h"
#include "base/CommandIds.h"
#include "editor/NoteScrollView.h"
#include "storage/NotesFolderSettings.h"
#include "tests/support/FakeFolderPicker.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/TempFolder.h"
#include "tree/IndexView.h"
#include "ui/MessageBox.h"

namespace {

using TestSupport::ReadBytes;

// A (A1, A2 (A2a)), B, C (C1), each note its title and a body line: the selected subtrees go out
// once each in tree order, the last shown note with what was typed into it and not saved.
TEST(ExportCommandTest, SelectedSubtreesGoOutOnceInTreeOrderWithTheEditorsUnsavedText) {
    TestSupport::CTempFolder folder;
    TestSupport::CTempFolder output;
    const char* const titles[] = {"Alpha", "Alpha one", "Alpha two",  "Alpha two a",
                                  "Bravo", "Charlie",   "Charlie one"};
    std::string items[7];
    for (int i = 0; i < 7; ++i) {
        const std::string id = std::to_string(i + 1);
        TestSupport::WriteBytes(folder / (id + ".xml"),
                                std::string("<note version=\"1.0\"><paragraph>") + titles[i] +
                                    "</paragraph><paragraph>Body of " + titles[i] +
                                    "</paragraph></note>\n");
        items[i] = "<item id=\"" + id + "\" username=\"" + titles[i] + "\">";
    }
    TestSupport::WriteBytes(folder / "index.xml",
                            "<tree version=\"1.0\">\n" + items[0] + items[1] + "</item>" +
                                items[2] + items[3] + "</item></item></item>" + items[4] +
                                "</item>" + items[5] + items[6] + "</item></item>\n</tree>\n");
    std::vector<std::string> messages;
    MessageBox::SetSink([&](const QString& text) { messages.push_back(text.toStdString()); });
    TestSupport::CFakeSettings settings;
    TestSupport::CFakePicker picker;
    CMainFrame frame{settings, picker};
    NoteTreeEngine::SetNotesFolder(settings, folder.Path().u16string());
    frame.LoadTree();
    // A selected note inside a selected subtree, selected before its ancestor.
    for (const char* title : {"Charlie one", "Alpha two", "Alpha"})
        for (QTreeWidgetItemIterator it(&frame.Tree()); *it != nullptr; ++it)
            if ((*it)->text(0) == QString::fromUtf8(title))
                frame.Tree().Select(*it, SelectCause::Mouse);
    frame.UpdateCommandStates();
    frame.Editor().setFocus();
    QTest::keyClick(&frame.Editor(), Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(&frame.Editor(), " zz");
    ASSERT_EQ(ReadBytes(folder / "7.xml").find("zz"), std::string::npos);

    int asked = 0;
    frame.Export().SetFilePicker([&](QWidget*) {
        ++asked;
        return CExportCommand::Target{QString::fromStdString((output / "out.md").string()),
                                      ExportWriter::Format::Markdown};
    });
    frame.RouteCommand(CommandIds::kExport);
    MessageBox::SetSink({});
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(messages.empty());
    std::istringstream written(ReadBytes(output / "out.md"));
    std::string outline;
    for (std::string line; std::getline(written, line);)
        if (line.starts_with('#') || line.starts_with("Body")) outline += line + "\n";
    EXPECT_EQ(outline,
              "# Alpha\nBody of Alpha\n## Alpha one\nBody of Alpha one\n## Alpha two\nBody of "
              "Alpha two\n### Alpha two a\nBody of Alpha two a\n# Charlie one\nBody of Charlie "
              "one zz\n");
}

}  // namespace
