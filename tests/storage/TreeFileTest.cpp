#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "storage/FileHandler.h"
#include "storage/TreeItemRecord.h"
#include "storage/TreeTranslator.h"
#include "storage/XmlPrimitives.h"
#include "tests/support/FakeNoteStore.h"
#include "tests/support/NotesFolderFixture.h"

namespace NoteTreeEngine {
namespace {

using NoteEditEngine::TestSupport::PinnedClock;
using NoteStorage::Cursor;
using TestSupport::CFakeNoteStore;
using TestSupport::CFakePrompts;
using TestSupport::CTempFolder;
using TestSupport::Dump;

const std::filesystem::path kTreeData = std::filesystem::path(JOTWELL_TEST_DATA) / "tree";

std::string Utf8(std::u16string_view text) {
    return NoteBase::Utf16ToUtf8(text);
}

// Logs the slots as "<name" for BeginItem, ">" for EndItem and "[text]" for a note's first
// paragraph, so that the structure a text reads as is one string.
class CRecordingTranslator final : public CTreeTranslator {
public:
    void BeginItem(const CTreeItemRecord& record) override { log += "<" + Utf8(record.username); }
    void NoteContent(NoteEditEngine::CNoteDocument& document) override {
        log += "[" + NoteEditEngine::TestSupport::Dump(document) + "]";
    }
    void EndItem() override { log += ">"; }
    void WriteItems(bool withNotes, std::u16string& out) override {
        out += withNotes ? u"<notes/>\n" : u"<index/>\n";
    }
    std::string log;
};

TEST(TreeTextTest, MalformedTextsEndAndStayInBounds) {
    // Only a tree that ends, every item in it closed once, is whole.
    const struct {
        std::u16string_view text;
        const char* log;
        TreeRead read;
    } cases[] = {
        // A tag cut in a value (its identifier could be cut too), "<" as the last character.
        {u"<tree><item username=\"a\"></item><item username=\"open", "<a>", TreeRead::CutShort},
        {u"<tree><item username=\"a\"><", "<a>", TreeRead::CutShort},
        // The rest of a broken tag reads as its attributes, up to a ">": here past the last one.
        {u"<tree><item username=\"a<item username=\"b\"></item>", "", TreeRead::CutShort},
        // An "&" with no ";" is the character itself, and the name goes on.
        {u"<tree><item username=\"a&amp\"></item></tree>", "<a&amp>", TreeRead::Whole},
        {u"<tree><item username=\"a\"><note><paragraph>x</item></tree>", "<a>", TreeRead::CutShort},
        {u"<tree><item></tree>", "<>", TreeRead::CutShort},
        {u"<tree></item><item></item></tree>", "<>", TreeRead::CutShort},
        {u"<tree><item></item></tree", "<>", TreeRead::CutShort},
        {u"<note></note>", "", TreeRead::NotATree}};
    for (const auto& c : cases) {
        CRecordingTranslator translator;
        EXPECT_EQ(translator.ReadTreeText(false, c.text), c.read) << Utf8(c.text);
        EXPECT_EQ(translator.log, c.log) << Utf8(c.text);
        EXPECT_EQ(CTreeTranslator::CheckTreeText(c.text), c.read) << Utf8(c.text);
    }

    // Every prefix of a real folder file reads without fault, and only the whole file is whole.
    std::u16string folder;
    ASSERT_TRUE(NoteStorage::ReadUtf8File(kTreeData / "folder.jwf", folder));
    for (size_t n = 0; n <= folder.size(); ++n) {
        CFakePrompts prompts;
        CNoteTree pane;
        CFakeNoteStore store;
        CFileHandler handler(pane, store, prompts);
        const std::u16string_view prefix = std::u16string_view(folder).substr(0, n);
        const TreeRead read = handler.ReadTreeText(true, prefix);
        ASSERT_LE(pane.Size(), 3u);
        ASSERT_EQ(read == TreeRead::Whole, prefix.ends_with(u"</tree>")) << n;
        ASSERT_EQ(CTreeTranslator::CheckTreeText(prefix), read) << n;
    }

    // A very long name survives whole.
    const std::u16string longName(1 << 20, u'n');
    CFakePrompts prompts;
    CNoteTree pane;
    CFakeNoteStore store;
    CFileHandler(pane, store, prompts)
        .ReadTreeText(false, u"<tree><item username=\"" + longName + u"\">");
    ASSERT_EQ(pane.Size(), 1u);
    EXPECT_EQ(pane.Record(pane.ItemsInOrder()[0]).username, longName);
}

TEST(TreeTextTest, DeepNestingReadsAndWritesBackWithoutRecursion) {
    constexpr size_t kDepth = 100000;
    const std::u16string start =
        u"<item id=\"1\" username=\"d\" isfixed=\"false\" isselected=\"false\""
        u" isactive=\"false\" isexpanded=\"true\" size=\"0\" created=\"0\" modified=\"0\">\n";
    std::u16string text;
    NoteStorage::AppendXmlHeader(text);
    text += u"<tree version=\"1.0\">\n";
    text.reserve(text.size() + kDepth * (start.size() + 8) + 7);
    for (size_t i = 0; i + 1 < kDepth; ++i)
        text += start;
    // As a tree view shows it, an item without children is not expanded.
    std::u16string leaf = start;
    leaf.replace(leaf.find(u"isexpanded=\"true\""), 17, u"isexpanded=\"false\"");
    text += leaf;
    for (size_t i = 0; i < kDepth; ++i)
        text += u"</item>\n";
    text += u"</tree>";

    CFakePrompts prompts;
    CNoteTree pane;
    CFakeNoteStore store;
    CFileHandler(pane, store, prompts).ReadTreeText(false, text);
    ASSERT_EQ(pane.Size(), kDepth);
    const std::vector<TreeItem> all = pane.ItemsInOrder();
    EXPECT_EQ(pane.Parent(all.back()), all[kDepth - 2]);

    // Every identifier but the first was taken already and was replaced; put them back so the
    // written text can be compared whole.
    for (TreeItem item : all)
        pane.Record(item).id = u"1";
    std::u16string out;
    CFileHandler(pane, store, prompts, pane.Children(kRootItem)).WriteTreeText(false, out);
    EXPECT_TRUE(out == text);
}

TEST(TreeFileTest, GoldenIndexReadsAndWritesBackByteForByte) {
    CFakePrompts prompts;
    CNoteTree pane;
    CFakeNoteStore store;
    ASSERT_TRUE(
        LoadIndexFile(NoteStorage::FileSystem(), pane, store, prompts, kTreeData / "index.xml"));
    EXPECT_EQ(Dump(pane),
              "Shopping & errands+(Say \"hi\" <to> 'Bob'* Z\u00FCrich \u2013 \u65E5\u672C\u8A9E "
              "\U0001F3B5+(deep*)) ");
    const std::vector<TreeItem> all = pane.ItemsInOrder();
    EXPECT_EQ(pane.Caret(), all[1]);
    EXPECT_EQ(store.shown, std::vector<TreeItem>{all[1]});
    EXPECT_TRUE(prompts.Messages().empty());

    // Written back: the same bytes.
    const CTempFolder folder;
    ASSERT_TRUE(
        SaveIndexFile(NoteStorage::FileSystem(), pane, store, prompts, folder / "index.xml"));
    EXPECT_EQ(TestSupport::ReadBytes(folder / "index.xml"),
              TestSupport::ReadBytes(kTreeData / "index.xml"));
}

}  // namespace
}  // namespace NoteTreeEngine
