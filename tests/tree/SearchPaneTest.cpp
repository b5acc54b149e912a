// The search over all notes on real notes folders: the pane's results against a brute-force scan
// of the notes as the user would see them (their files, or the unsaved text of notes in memory),
// before and after edits, deletions, new and imported notes and changes made on disk.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QTest>
#include <map>
#include <random>

#include "base/CaseFolding.h"
#include "base/Utf8.h"
#include "model/NotePosition.h"
#include "storage/FileHandler.h"
#include "tests/support/SessionPanes.h"
#include "tree/SearchPane.h"

namespace {

using NoteEditEngine::CNoteDocument;
using NoteEditEngine::TestSupport::Utf16;

// Mixed case, letters outside ASCII (one beyond the basic plane), apostrophes and underscores,
// which count as word characters, and words inside others for whole-word matching.
const std::vector<std::string> kWords = {
    "apple", "Apple", "APPLE",  "pineapple", "naïve", "NAÏVE", "Straße",  "straße", "σοφία",
    "ΣΟΦΊΑ", "café",  "Café",   "cafés",     "it's",  "x_y",   "x",       "y",      "日本語",
    "😀",     "grin😀", "fig",    "figs",      "FIG",   "Ägypt", "ägyptEN", "ten",    "often",
    "soft",  "Soft",  "soften", "data",      "DaTa",  "mid",   "amid",    "midst"};
const char* const kGaps[] = {" ", " ", ", ", ". ", " - ", "  ", "("};

std::string RandomNote(std::mt19937& random) {
    std::string text;
    const int paragraphs = 1 + int(random() % 4);
    for (int p = 0; p < paragraphs; ++p) {
        // Now and then a header, and a style change inside a word: runs split in the file.
        text += random() % 5 == 0 ? "¶[1,0]" : "¶";
        const int words = int(random() % 9);
        for (int w = 0; w < words; ++w) {
            std::string word = kWords[random() % kWords.size()];
            if (random() % 7 == 0 && word.size() > 2 && (word[1] & 0x80) == 0)
                word = word.substr(0, 1) + "{1}" + word.substr(1) + "{0}";
            text += (w > 0 ? kGaps[random() % std::size(kGaps)] : "") + word;
        }
    }
    return text;
}

// `count` notes with random text, nested up to three deep; every ninth item has no file.
void WriteRandomFolder(const std::filesystem::path& folder, std::mt19937& random, int count) {
    std::vector<TestSupport::FolderNode> nodes;
    for (int i = 1, depth = 0; i <= count; ++i) {
        depth = i == 1 ? 1 : 1 + int(random() % std::min(3, depth + 1));
        nodes.push_back({depth, std::to_string(1000 + i), i % 9 == 0 ? "" : RandomNote(random)});
    }
    TestSupport::WriteFolder(folder, nodes, true);
}

// The text the user sees, element by element: a mark is a line break.
std::u16string TextOf(const CNoteDocument& document) {
    std::u16string text;
    for (auto it = document.begin(); it != document.end(); ++it) {
        if (it == document.begin()) continue;
        text += it.IsParagraph() ? u'\n' : it.CodeUnit();
    }
    return text;
}

// The find dialog's rules, the slow way: the first offset where the pattern matches, or npos.
size_t FirstMatch(const std::u16string& text, const std::u16string& pattern,
                  NoteStorage::SearchOptions options) {
    for (size_t at = 0; at + pattern.size() <= text.size(); ++at) {
        bool same = true;
        for (size_t i = 0; i < pattern.size() && same; ++i) {
            const char16_t a = text[at + i];
            const char16_t b = pattern[i];
            same = a != u'\n' &&
                   (options.matchCase ? a == b
                                      : NoteBase::LowerCodeUnit(a) == NoteBase::LowerCodeUnit(b));
        }
        if (!same) continue;
        const size_t end = at + pattern.size();
        if (options.wholeWord &&
            ((at > 0 && NoteEditEngine::IsWordCharacter(text[at - 1])) ||
             (end < text.size() && NoteEditEngine::IsWordCharacter(text[end])))) {
            continue;
        }
        return at;
    }
    return std::u16string::npos;
}

class SearchPaneTest : public TestSupport::CPanesTest {
protected:
    void SetUp() override {
        CPanesTest::SetUp();
        pane = new CSearchPane(panes->session, *view, *editor, editor->View(), &window);
        QObject::connect(editor, &CNoteScrollView::commandStatesChanged, pane,
                         &CSearchPane::NotesEdited);
        layout->insertWidget(0, pane);
        QApplication::processEvents();
    }
    void TearDown() override {
        view->UnloadTree();
        delete pane;
        CPanesTest::TearDown();
    }
    void LoadRandom(unsigned seed, int count) {
        std::mt19937 random(seed);
        WriteRandomFolder(folder.Path(), random, count);
        NoteTreeEngine::SetNotesFolder(settings, folder.Path().u16string());
        view->LoadTree();
        WaitForIndex();
    }
    // Until the worker has read everything queued and the index has it: the events posted by the
    // worker are handled, and what is left is drained at once.
    void WaitForIndex() {
        NoteTreeEngine::CNoteSearchIndex& search = pane->Search().Index();
        for (int round = 0; round < 5'000'000; ++round) {
            QApplication::processEvents();
            if (!search.IsIdle()) continue;
            search.Drain();
            if (search.IsIdle()) return;
        }
        FAIL() << "the index never caught up";
    }
    // Runs a query as typed into the pane: "id@offset" per row.
    std::vector<std::string> PaneResults(const std::u16string& pattern,
                                         NoteStorage::SearchOptions options) {
        pane->MatchCase().setChecked(options.matchCase);
        pane->WholeWord().setChecked(options.wholeWord);
        pane->Box().setText(QString::fromStdU16String(pattern));
        pane->OnTypingTimer();
        // A note that left memory is read again from its file: once the index has it, the rows
        // shown are brought up to date.
        WaitForIndex();
        if (pane->RefreshTimer().isActive()) pane->OnRefreshTimer();
        std::vector<std::string> rows;
        for (const CSearchResultModel::Row& row : pane->Results().Rows()) {
            rows.push_back(NoteBase::Utf16ToUtf8(row.result.hit.noteId) + "@" +
                           std::to_string(row.result.hit.offset));
            // The line shows the match where it is.
            const std::u16string line = row.line.toStdU16String();
            EXPECT_EQ(FirstMatch(line.substr(size_t(row.matchStart)), pattern, options), 0u)
                << rows.back();
        }
        return rows;
    }
    // The same query over every note of the tree, in tree order: the note as the editor shows
    // it, else its file.
    std::vector<std::string> ScanResults(const std::u16string& pattern,
                                         NoteStorage::SearchOptions options) {
        std::vector<std::string> rows;
        // What the editor shows is what the user sees of those notes.
        std::map<std::u16string, const CNoteDocument*> shown;
        for (const CNoteDocument* note : editor->View().ShownNotes())
            shown[panes->session.Tree().Record(panes->session.Manager()->FindItem(note)).id] = note;
        for (QTreeWidgetItemIterator it(view); *it != nullptr; ++it) {
            const std::u16string& id = view->RecordOf(*it).id;
            std::u16string text;
            if (const auto found = shown.find(id); found != shown.end()) {
                text = TextOf(*found->second);
            } else {
                CNoteDocument document;
                const std::filesystem::path path =
                    NoteTreeEngine::NoteFilePath(view->NotesFolder(), view->RecordOf(*it));
                if (NoteStorage::LoadNoteFile(NoteStorage::FileSystem(), path, document) !=
                    NoteStorage::NoteFileRead::Read) {
                    continue;
                }
                text = TextOf(document);
            }
            const size_t at = FirstMatch(text, pattern, options);
            if (at != std::u16string::npos)
                rows.push_back(NoteBase::Utf16ToUtf8(id) + "@" + std::to_string(at));
        }
        return rows;
    }
    // Every query of the table with every option against the scan.
    void ExpectPaneMatchesScan(const char* when) {
        WaitForIndex();
        const std::vector<std::string> queries = {
            "apple", "APPLE", "naïve", "straße", "ΣΟΦΊΑ",  "σοφ",    "café", "it's", "x_y",
            "x",     "😀",     "fig",   "FIG",    "ägypt",  "ten",    "soft", "data", "mid",
            "e, ",   "日本",  "zebra", "Zebra",  "quokka", "wombat", "a"};
        size_t matched = 0;
        for (const std::string& query : queries) {
            for (const bool matchCase : {false, true}) {
                for (const bool wholeWord : {false, true}) {
                    const NoteStorage::SearchOptions options{matchCase, wholeWord};
                    const std::u16string pattern = Utf16(query);
                    const std::vector<std::string> expected = ScanResults(pattern, options);
                    matched += expected.size();
                    EXPECT_EQ(PaneResults(pattern, options), expected)
                        << when << ": \"" << query << "\" case " << matchCase << " word "
                        << wholeWord;
                }
            }
        }
        EXPECT_GT(matched, 20u) << when << ": the folder should hold what is searched for";
    }
    // The notes typed into stay as they are for the rest of the test.
    bool IsUsedLater(QTreeWidgetItem* item) {
        const std::u16string& id = view->RecordOf(item).id;
        return id == u"1003" || id == u"1020" || id == u"1005" || id == u"1011";
    }
    void TypeIntoNote(QTreeWidgetItem* item, const QString& text) {
        view->SelectOnly(item, SelectCause::Mouse);
        editor->setFocus();
        editor->View().SetCaret(editor->View().ShownNotes().front()->End(), false, true);
        QTest::keyClicks(editor, text);
    }

    CSearchPane* pane = nullptr;
};

TEST_F(SearchPaneTest, ResultsMatchAScanOfTheNotesThroughEditsDeletionsImportsAndChangesOnDisk) {
    LoadRandom(20261207, 60);
    // A note shown from the start leaves memory before any query: its file is read then.
    view->SelectOnly(Item("1002"), SelectCause::Mouse);
    view->UnloadTree();
    view->LoadTree();
    view->SelectOnly(view->topLevelItem(view->topLevelItemCount() - 1), SelectCause::Mouse);
    ExpectPaneMatchesScan("first build");

    // Typed into a shown note and not saved: the text in memory is searched, not the file.
    QTreeWidgetItem* typed = Item("1003");
    TypeIntoNote(typed, QStringLiteral(" zebra Zebra's wombat"));
    ExpectPaneMatchesScan("unsaved typing");
    // Typing goes on: a query run before is not a reason to keep the old text.
    QTest::keyClicks(editor, QStringLiteral(" quokka"));
    ExpectPaneMatchesScan("more typing");
    // Typed into again with no query since, then it leaves the editor (saved) and another one
    // is typed into.
    QTest::keyClicks(editor, QStringLiteral(" data"));
    TypeIntoNote(Item("1020"), QStringLiteral(" quokkas"));
    ExpectPaneMatchesScan("after the first note was saved");

    // Deleted: the last root item with its subnotes, and a note without subnotes.
    QTreeWidgetItem* last = view->topLevelItem(view->topLevelItemCount() - 1);
    QTreeWidgetItem* leaf = nullptr;
    for (QTreeWidgetItemIterator it(view); *it != nullptr && leaf == nullptr; ++it)
        if ((*it)->childCount() == 0 && *it != last && (*it)->parent() != last && !IsUsedLater(*it))
            leaf = *it;
    ASSERT_NE(leaf, nullptr);
    view->SelectOnly(last, SelectCause::Mouse);
    view->Select(leaf, SelectCause::Mouse);
    view->DeleteSelected();
    ExpectPaneMatchesScan("deleted");

    // New notes, typed into.
    view->setFocus();
    view->NewNote(false);
    QTest::keyClicks(editor, QStringLiteral("quokka apple"));
    view->SelectOnly(view->topLevelItem(0), SelectCause::Mouse);
    view->NewNote(true);
    QTest::keyClicks(editor, QStringLiteral("Zebra fig"));
    ExpectPaneMatchesScan("new notes");

    // A tree file of two notes imported: copies under new identifiers, with their text.
    const std::filesystem::path jwf = folder / "two.jwf";
    ASSERT_TRUE(panes->session.WriteTreeFile(
        {view->Handle(Item("1005")), view->Handle(Item("1011"))}, jwf));
    ASSERT_TRUE(view->OpenTreeFile(QString::fromStdU16String(jwf.u16string())));
    ExpectPaneMatchesScan("imported");

    // Changed by someone else: a note rewritten, one removed, one that had no file given one.
    std::vector<std::filesystem::path> withFile;
    std::filesystem::path withoutFile;
    for (QTreeWidgetItemIterator it(view); *it != nullptr; ++it) {
        const std::u16string& id = view->RecordOf(*it).id;
        if (IsUsedLater(*it) || id.size() != 4) continue;
        const auto path = folder / (NoteBase::Utf16ToUtf8(id) + ".xml");
        (std::filesystem::exists(path) ? withFile.push_back(path) : void(withoutFile = path));
    }
    ASSERT_GE(withFile.size(), 2u);
    ASSERT_FALSE(withoutFile.empty());
    TestSupport::WriteNote(withFile[0], "¶wombat apple WOMBAT");
    std::filesystem::remove(withFile[1]);
    TestSupport::WriteNote(withoutFile, "¶a quokka naïve");
    pane->Search().OnRescanTimer();
    ExpectPaneMatchesScan("changed on disk");
}

// Another notes folder replaces the index.
TEST_F(SearchPaneTest, AnotherFolderReplacesTheIndex) {
    LoadRandom(7, 8);
    TestSupport::CTempFolder other;
    TestSupport::WriteNote(other / "77.xml", "¶only wombat here");
    picker.answer = other.Path().u16string();
    view->ChangeNotesFolder();
    WaitForIndex();
    EXPECT_EQ(PaneResults(u"a", {}), std::vector<std::string>{"77@9"});
    EXPECT_EQ(pane->CountLabel(), QStringLiteral("1 note"));
}

TEST_F(SearchPaneTest, ActivatingAResultShowsThatNoteAloneWithTheMatchSelected) {
    Load({{1, "1", "¶Groceries¶milk and Bread"},
          {1, "2", "¶Recipes¶pour the bread dough¶bake"},
          {1, "3", "¶Nothing here"}});
    WaitForIndex();
    view->SelectOnly(Item("1"), SelectCause::Mouse);
    view->Select(Item("3"), SelectCause::Mouse);

    pane->Box().setFocus();
    QTest::keyClicks(&pane->Box(), QStringLiteral("BREAD"));
    // Down before the typing timer fired: the query runs first.
    QTest::keyClick(&pane->Box(), Qt::Key_Down);
    ASSERT_EQ(pane->Results().rowCount(), 2);
    QTest::keyClick(&pane->List(), Qt::Key_Down);
    QTest::keyClick(&pane->List(), Qt::Key_Return);
    EXPECT_EQ(view->SelectedList(), std::vector<QTreeWidgetItem*>{Item("2")});
    ASSERT_EQ(editor->View().ShownNotes().size(), 1u);
    CNoteDocument* shown = editor->View().ShownNotes().front();
    // "Recipes\npour the " is 17 code units: the match is elements 18 to 22.
    EXPECT_EQ(shown->index(editor->View().Anchor().Iterator()), 17u);
    EXPECT_EQ(shown->index(editor->View().Active().Iterator()), 22u);
    EXPECT_EQ(QApplication::focusWidget(), editor);

    // Escape hands the focus back to the editor.
    pane->Box().setFocus();
    QTest::keyClick(&pane->Box(), Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), editor);
}

// Thousands are grouped in the texts of the count and the progress.
TEST(SearchPaneTexts, GroupThousands) {
    EXPECT_EQ(CSearchPane::CountText(12345), QStringLiteral("12,345 notes"));
    EXPECT_EQ(CSearchPane::ProgressText(1234, 1000000),
              QStringLiteral("Indexing notes: 1,234 of 1,000,000"));
}

}  // namespace
