// The index view and the search pane on real notes folders, a real editor and the files behind.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDropEvent>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QTest>
#include <QUrl>
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
using NoteEditEngine::TestSupport::Dump;
using NoteEditEngine::TestSupport::Utf16;
using TestSupport::CTempFolder;
using TestSupport::ReadBytes;

class IndexViewTest : public TestSupport::CPanesTest {
protected:
    // The tree as "label(child,child),label".
    std::string Tree(QTreeWidgetItem* item = nullptr) {
        QTreeWidgetItem* level = item == nullptr ? view->invisibleRootItem() : item;
        std::string out;
        for (int i = 0; i < level->childCount(); ++i) {
            QTreeWidgetItem* child = level->child(i);
            out += (i > 0 ? "," : "") + child->text(0).toStdString();
            if (child->childCount() > 0) out += "(" + Tree(child) + ")";
        }
        return out;
    }
    std::string Id(QTreeWidgetItem* item) {
        return item ? NoteBase::Utf16ToUtf8(view->RecordOf(item).id) : "-";
    }
    void SelectOnly(std::initializer_list<const char*> ids) {
        view->DeselectAll(SelectCause::Mouse);
        for (const char* id : ids)
            view->Select(Item(id), SelectCause::Mouse);
    }
    void TypeAtEndOf(int shown, const char* text) {
        editor->View().SetCaret(editor->View().ShownNotes()[size_t(shown)]->End(), false, true);
        ASSERT_TRUE(FocusReally(*editor));
        QTest::keyClicks(editor, text);
    }
    bool InIndex(const std::string& text) {
        return ReadBytes(folder / "index.xml").find(text) != std::string::npos;
    }
};

const std::vector<TestSupport::FolderNode> kThreeLevels = {{1, "1", "¶Alpha"},
                                                           {2, "2", "¶Beta"},
                                                           {3, "3", "¶Gamma"},
                                                           {2, "4", "¶Delta"},
                                                           {1, "5", "¶Epsilon"}};

// Every icon loads, and no two look the same.
TEST_F(IndexViewTest, TheTenIconsDrawDistinct) {
    std::vector<QImage> drawn;
    for (const int index : {0, 1, 2, 3, 4, 8, 9, 10, 11, 12}) {
        const QImage image = view->Icon(index).pixmap(16).toImage();
        ASSERT_EQ(image.size(), QSize(16, 16)) << index;
        for (const QImage& other : drawn)
            EXPECT_NE(image, other) << index;
        drawn.push_back(image);
    }
}

// Deleting asks first, counting each subtree once; then the files go, the index forgets them, and
// the caret moves to the previous visible item, or to the first root item.
TEST_F(IndexViewTest, DeletingAsksRemovesTheFilesAndMovesTheCaret) {
    const struct {
        std::initializer_list<const char*> deleted;
        const char* caret;  // the caret item before
        const char* asked;
        const char* tree;
        const char* after;  // the caret item after
    } cases[] = {
        {{"2", "1", "3"}, "1", " 4 notes", "n5", "5"},    // Beta and Gamma lie in Alpha's subtree
        {{"4"}, "4", "this note", "n1(n2(n3)),n5", "3"},  // up, into the sibling's subtree
        {{"2"}, "3", "these 2 notes", "n1(n4),n5", "1"},  // the caret inside the deleted subtree
        {{"3"}, "5", "this note", "n1(n2,n4),n5", "5"},   // the caret elsewhere stays
    };
    for (const auto& c : cases) {
        view->UnloadTree();
        Load(kThreeLevels);
        SelectOnly(c.deleted);
        view->SetCaret(Item(c.caret));
        answer = false;
        view->DeleteSelected();
        EXPECT_TRUE(questions.back().contains(QString::fromUtf8(c.asked))) << c.asked;
        EXPECT_NE(Item(c.caret), nullptr);
        answer = true;
        view->DeleteSelected();
        EXPECT_EQ(Tree(), c.tree);
        EXPECT_EQ(Shown(), "");
        EXPECT_EQ(Id(view->Caret()), c.after) << c.caret;
        for (const char* id : c.deleted) {
            EXPECT_FALSE(std::filesystem::exists(folder / (std::string(id) + ".xml"))) << id;
            EXPECT_FALSE(InIndex("id=\"" + std::string(id) + "\"")) << id;
        }
        EXPECT_TRUE(InIndex("id=\"5\""));
    }
}

TEST_F(IndexViewTest, AMoveKeepsRecordsExpansionTheNotesShownAndTheirEdits) {
    Load(kThreeLevels);
    SelectOnly({"2", "5"});
    CNoteDocument* beta = editor->View().ShownNotes()[0];
    TypeAtEndOf(0, "!");
    QTreeWidgetItem* moved = Item("2");
    view->MoveSelection({CInsertionPoint::Place::Last, nullptr, nullptr});
    EXPECT_EQ(Tree(), "n1(n4),Beta!(n3),Epsilon");
    EXPECT_EQ(Item("2"), moved);  // the same item, not a copy
    EXPECT_TRUE(moved->isExpanded());
    EXPECT_TRUE(view->IsSelected(static_cast<const QTreeWidgetItem*>(moved)));
    // The same documents, with the edit, still shown; the active item is the moved one.
    EXPECT_EQ(editor->View().ShownNotes()[0], beta);
    EXPECT_EQ(Shown(), "¶Beta!¶Epsilon");
    EXPECT_EQ(view->ActiveItem(), moved);
    // Deselecting it now saves the edit.
    view->Deselect(moved, SelectCause::Mouse);
    EXPECT_NE(ReadBytes(folder / "2.xml").find("Beta!"), std::string::npos);
}

TEST_F(IndexViewTest, ADraggedTreeFileDropsIntoAnotherFolder) {
    Load(kThreeLevels);
    SelectOnly({"2"});
    const QVariant first = view->RenderForDrag(QStringLiteral("text/uri-list"));
    ASSERT_EQ(first.toList().size(), 1);
    const QString path = first.toList()[0].toUrl().toLocalFile();
    EXPECT_TRUE(path.endsWith(QStringLiteral("/Beta.jwf"))) << path.toStdString();
    const std::filesystem::path file(path.toStdU16String());
    // Another notes folder takes the file through a drop.
    CTempFolder other;
    TestSupport::WriteFolder(other.Path(), {{1, "7", "¶Other"}});
    picker.answer = other.Path().u16string();
    view->ChangeNotesFolder();
    ASSERT_EQ(Tree(), "n7");
    EXPECT_EQ(Shown(), "");
    // The first folder's index kept the selection.
    EXPECT_TRUE(InIndex("isselected=\"true\""));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPoint below(20, view->viewport()->height() - 5);
    // As a file manager's drop arrives: enter, move, drop.
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(below, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    QDragMoveEvent move(below, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &move);
    QDropEvent drop(below, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);
    ASSERT_EQ(Tree(), "n7,Beta(n3)") << (messages.empty() ? "" : messages.back().toStdString());
    // The imported notes are files of the new folder.
    view->Select(view->topLevelItem(1)->child(0), SelectCause::Mouse);
    EXPECT_EQ(Shown(), "¶Gamma");
    EXPECT_TRUE(std::filesystem::exists(other / (Id(view->topLevelItem(1)->child(0)) + ".xml")));
    std::filesystem::remove(file);
}

TEST_F(IndexViewTest, KeysAndClicksMoveTheCaretAndShowTheNote) {
    Load(kThreeLevels);
    ASSERT_TRUE(FocusReally(*view));
    // "E" and the keypad's 5 go home when no label matches.
    for (const auto& [key, modifiers] :
         {std::pair{Qt::Key_E, Qt::NoModifier}, {Qt::Key_5, Qt::KeypadModifier}}) {
        view->SetCaret(Item("4"));
        QTest::keyClick(view, key, modifiers);
        EXPECT_EQ(view->Caret(), Item("1"));
    }
    // The keypad's other keys keep their own meaning.
    view->SetCaret(Item("2"));
    QTest::keyClick(view, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_FALSE(Item("2")->isExpanded());
    EXPECT_EQ(view->Caret(), Item("2"));
    // Ctrl+arrow onto a selected item, or a click on one, shows its note at the editor's caret.
    SelectOnly({"1", "5"});
    const auto caretNote = [this] { return Dump(*editor->View().Active().Document()); };
    editor->View().SetCaret(editor->View().ShownNotes()[1]->End(), false, true);
    view->SetCaret(Item("2"));
    QTest::keyClick(view, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(view->Caret(), Item("1"));
    EXPECT_EQ(caretNote(), "¶Alpha");
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      view->LabelRect(Item("5")).center());
    EXPECT_EQ(caretNote(), "¶Epsilon");
}

// Mixed case, letters outside ASCII (one beyond the basic plane), apostrophes and underscores,
// which count as word characters, and words inside others for whole-word matching.
const std::vector<std::string> kWords = {"apple",  "APPLE",   "pineapple", "naïve", "NAÏVE",
                                         "Straße", "σοφία",   "ΣΟΦΊΑ",     "it's",  "x_y",
                                         "x",      "日本語",  "😀",         "grin😀", "fig",
                                         "FIG",    "ägyptEN", "ten",       "often", "data"};
const char* const kGaps[] = {" ", ", ", ". ", " - ", "("};

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

class SearchPaneTest : public IndexViewTest {
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
    // Every note in tree order with its text: as the editor shows it, else as its file holds it.
    std::vector<std::pair<std::u16string, std::u16string>> NoteTexts() {
        std::vector<std::pair<std::u16string, std::u16string>> texts;
        std::map<std::u16string, const CNoteDocument*> shown;
        for (const CNoteDocument* note : editor->View().ShownNotes())
            shown[panes->session.Tree().Record(panes->session.Manager()->FindItem(note)).id] = note;
        for (QTreeWidgetItemIterator it(view); *it != nullptr; ++it) {
            const std::u16string& id = view->RecordOf(*it).id;
            CNoteDocument document;
            const std::filesystem::path path =
                NoteTreeEngine::NoteFilePath(view->NotesFolder(), view->RecordOf(*it));
            if (const auto found = shown.find(id); found != shown.end()) {
                texts.emplace_back(id, TextOf(*found->second));
            } else if (NoteStorage::LoadNoteFile(NoteStorage::FileSystem(), path, document) ==
                       NoteStorage::NoteFileRead::Read) {
                texts.emplace_back(id, TextOf(document));
            }
        }
        return texts;
    }
    // Every query of the table with every option against the slow way over every note's text.
    void ExpectPaneMatchesScan(const char* when) {
        WaitForIndex();
        const std::vector<std::pair<std::u16string, std::u16string>> texts = NoteTexts();
        const std::vector<std::string> queries = {
            "apple", "naïve", "straße", "σοφ",  "it's", "x_y",   "x",      "😀",     "FIG",
            "ägypt", "ten",   "e, ",    "日本", "data", "zebra", "quokka", "wombat"};
        size_t matched = 0;
        for (const std::string& query : queries) {
            for (const bool matchCase : {false, true}) {
                for (const bool wholeWord : {false, true}) {
                    const NoteStorage::SearchOptions options{matchCase, wholeWord};
                    const std::u16string pattern = Utf16(query);
                    std::vector<std::string> expected;
                    for (const auto& [id, text] : texts) {
                        const size_t at = FirstMatch(text, pattern, options);
                        if (at != std::u16string::npos)
                            expected.push_back(NoteBase::Utf16ToUtf8(id) + "@" +
                                               std::to_string(at));
                    }
                    matched += expected.size();
                    EXPECT_EQ(PaneResults(pattern, options), expected)
                        << when << ": \"" << query << "\" case " << matchCase << " word "
                        << wholeWord;
                }
            }
        }
        EXPECT_GT(matched, 20u) << when << ": the folder should hold what is searched for";
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
    std::mt19937 random(20261207);
    WriteRandomFolder(folder.Path(), random, 30);
    NoteTreeEngine::SetNotesFolder(settings, folder.Path().u16string());
    view->LoadTree();
    // A note shown from the start leaves memory before any query: its file is read then.
    view->SelectOnly(Item("1002"), SelectCause::Mouse);
    view->UnloadTree();
    view->LoadTree();
    view->SelectOnly(view->topLevelItem(view->topLevelItemCount() - 1), SelectCause::Mouse);
    ExpectPaneMatchesScan("first build");

    // Typed into a shown note and not saved: the text in memory is searched, not the file.
    TypeIntoNote(Item("1003"), QStringLiteral(" zebra Zebra's wombat"));
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
    view->SelectOnly(Item("1028"), SelectCause::Mouse);
    view->Select(Item("1002"), SelectCause::Mouse);
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
    ASSERT_FALSE(std::filesystem::exists(folder / "1027.xml"));
    TestSupport::WriteNote(folder / "1001.xml", "¶wombat apple WOMBAT");
    std::filesystem::remove(folder / "1004.xml");
    TestSupport::WriteNote(folder / "1027.xml", "¶a quokka naïve");
    pane->Search().OnRescanTimer();
    ExpectPaneMatchesScan("changed on disk");
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
}

// Thousands are grouped in the texts of the count and the progress.
TEST(SearchPaneTexts, GroupThousands) {
    EXPECT_EQ(CSearchPane::CountText(12345), QStringLiteral("12,345 notes"));
    EXPECT_EQ(CSearchPane::ProgressText(1234, 1000000),
              QStringLiteral("Indexing notes: 1,234 of 1,000,000"));
}

}  // namespace
