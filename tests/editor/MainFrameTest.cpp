// The main frame's handling of the note files named on the command line.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdint>

#include "app/MainFrame.h"
#include "commands/CommandIds.h"
#include "editor/MessageBox.h"
#include "editor/NoteScrollView.h"
#include "model/BlockPool.h"
#include "storage/NoteFile.h"
#include "storage/XmlPrimitives.h"
#include "tests/support/ModelTestSupport.h"

namespace {

using NoteEditEngine::CBlockPool;
using NoteEditEngine::TestSupport::Dump;

TEST(MainFrameTest, ANoteTooLargeForMemoryIsNotOpenedAndTheOthersAre) {
    QTemporaryDir folder;
    const std::string big = "¶" + std::string(5000, 'x');
    const struct {
        const char* name;
        std::string text;
    } files[] = {{"first.xml", "¶first"}, {"big.xml", big}, {"third.xml", "¶[1,0]third"}};
    std::vector<QString> paths;
    for (const auto& file : files) {
        std::u16string xml;
        NoteStorage::WriteNoteFileText(*NoteEditEngine::TestSupport::MakeDocument(file.text), xml);
        paths.push_back(folder.filePath(QString::fromLatin1(file.name)));
        ASSERT_TRUE(
            NoteStorage::WriteUtf8File(std::filesystem::path(paths.back().toStdString()), xml));
    }
    std::vector<QString> messages;
    MessageBox::SetSink([&messages](const QString& message) { messages.push_back(message); });
    CMainFrame frame;
    // Room for the small notes, not for the big one.
    CBlockPool::SetTotalBlockLimit(CBlockPool::TotalBlocksInUse() + 1000);
    const bool opened = frame.OpenNotes(paths);
    CBlockPool::SetTotalBlockLimit(SIZE_MAX);
    MessageBox::SetSink({});
    EXPECT_FALSE(opened);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("big.xml")));
    EXPECT_TRUE(messages[0].contains(QStringLiteral("too large")));
    const auto& shown = frame.Editor().ShownNotes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(Dump(*shown[0]), "¶first");
    EXPECT_EQ(Dump(*shown[1]), "¶[1,0]third");
    // The program goes on: the notes shown take typing.
    frame.Editor().SetCaret(shown[0]->End(), false, true);
    frame.RouteCommand(CommandIds::kSelectAll);
    EXPECT_TRUE(frame.Editor().HasSelection());
}

}  // namespace
