// The index view on a real notes folder: the tree, the notes it shows in a real editor, and the
// files behind them.
#include <gtest/gtest.h>

#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "base/Utf8.h"
#include "tests/support/SessionPanes.h"
#include "tree/NoteItemText.h"

namespace {

using NoteEditEngine::CNoteDocument;
using NoteEditEngine::TestSupport::Dump;
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

TEST_F(IndexViewTest, DeleteCountsEachSubtreeOnceAndRemovesTheFiles) {
    Load(kThreeLevels);
    SelectOnly({"2", "1", "3"});
    answer = false;
    view->DeleteSelected();
    // Alpha's subtree holds four notes; Beta and Gamma lie inside it.
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_TRUE(questions[0].contains(QStringLiteral(" 4 notes"))) << questions[0].toStdString();
    EXPECT_EQ(Tree(), "Alpha(Beta(Gamma),n4),n5");
    answer = true;
    view->DeleteSelected();
    EXPECT_EQ(Tree(), "n5");
    for (const char* id : {"1", "2", "3", "4"})
        EXPECT_FALSE(std::filesystem::exists(folder / (std::string(id) + ".xml"))) << id;
    EXPECT_TRUE(std::filesystem::exists(folder / "5.xml"));
    EXPECT_EQ(Shown(), "");
    EXPECT_TRUE(InIndex("id=\"5\""));
    EXPECT_FALSE(InIndex("id=\"1\""));
}

TEST_F(IndexViewTest, DeletingTheCaretItemMovesTheCaretUpOrToTheFirstRootItem) {
    const struct {
        const char* deleted;
        const char* caret;  // the caret item before
        const char* after;  // the caret item after
    } cases[] = {
        {"4", "4", "3"},  // the previous visible item, inside the sibling's subtree
        {"2", "3", "1"},  // the caret inside the deleted subtree
        {"1", "1", "5"},  // the first item: the first root item after the deletion
        {"3", "5", "5"},  // the caret elsewhere stays
    };
    for (const auto& test : cases) {
        view->UnloadTree();
        Load(kThreeLevels);
        SelectOnly({test.deleted});
        view->SetCaret(Item(test.caret));
        view->DeleteSelected();
        EXPECT_EQ(Id(view->Caret()), test.after) << test.deleted;
    }
}

TEST_F(IndexViewTest, NewNoteFromTheEditorAddsAndFromTheTreeReplaces) {
    Load(kThreeLevels);
    SelectOnly({"4"});
    view->SetCaret(Item("4"));
    ASSERT_TRUE(FocusReally(*editor));
    view->NewNote(false);
    // After Delta under Alpha, shown with it, and the editor takes the typing.
    EXPECT_EQ(Tree(), "n1(n2(n3),Delta,unnamed),n5");
    EXPECT_EQ(Shown(), "¶Delta¶");
    const std::string created = Id(view->Caret());
    EXPECT_TRUE(std::filesystem::exists(folder / (created + ".xml")));

    ASSERT_TRUE(FocusReally(*view));
    view->SetCaret(Item("5"));
    view->NewNote(true);
    EXPECT_EQ(Shown(), "¶");
    EXPECT_EQ(Tree(), "n1(n2(n3),Delta,unnamed),n5(unnamed)");
    // The index names the new notes at once.
    EXPECT_TRUE(InIndex(created));
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

TEST_F(IndexViewTest, NoteBecameCurrentMakesTheItemActiveAndTheSaveTimerSaves) {
    Load(kThreeLevels);
    SelectOnly({"1", "5"});
    editor->View().SetCaret(editor->View().ShownNotes()[1]->End(), false, true);
    EXPECT_EQ(view->ActiveItem(), Item("5"));
    EXPECT_EQ(view->Caret(), Item("5"));
    TypeAtEndOf(0, "Z");
    EXPECT_FALSE(view->RecordOf(Item("5")).isactive);
    EXPECT_EQ(view->ActiveItem(), Item("1"));
    ASSERT_TRUE(panes->timer.Timer().isActive());
    EXPECT_EQ(ReadBytes(folder / "1.xml").find("AlphaZ"), std::string::npos);
    panes->session.OnSaveTimer();
    EXPECT_FALSE(panes->timer.Timer().isActive());
    EXPECT_NE(ReadBytes(folder / "1.xml").find("AlphaZ"), std::string::npos);
    EXPECT_TRUE(InIndex("username=\"AlphaZ\""));
    EXPECT_TRUE(InIndex("isactive=\"true\""));
}

TEST_F(IndexViewTest, ADraggedTreeFileIsWrittenOnceAndDropsIntoAnotherFolder) {
    Load(kThreeLevels);
    SelectOnly({"2"});
    const QVariant first = view->RenderForDrag(QStringLiteral("text/uri-list"));
    ASSERT_EQ(first.toList().size(), 1);
    const QString path = first.toList()[0].toUrl().toLocalFile();
    EXPECT_TRUE(path.endsWith(QStringLiteral("/Beta.jwf"))) << path.toStdString();
    const std::filesystem::path file(path.toStdU16String());
    const std::string written = ReadBytes(file);
    // Asked again during the same drag: not written again.
    TestSupport::WriteBytes(file, "changed");
    EXPECT_EQ(view->RenderForDrag(QStringLiteral("text/uri-list")), first);
    EXPECT_EQ(ReadBytes(file), "changed");
    TestSupport::WriteBytes(file, written);

    // The same folder again changes nothing; another one takes the file through a drop.
    picker.answer = folder.Path().u16string();
    view->ChangeNotesFolder();
    EXPECT_EQ(Shown(), "¶Beta");
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

TEST_F(IndexViewTest, KeysAndTheMouseLine) {
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

    // A mouse over an item tells of its note on the status line.
    view->RecordOf(Item("1")).size = 12;
    QString line;
    QObject::connect(view, &CIndexView::statusTextChanged,
                     [&line](const QString& text) { line = text; });
    QTest::mouseMove(view->viewport(), view->visualItemRect(Item("1")).center());
    EXPECT_TRUE(line.startsWith(QStringLiteral("Size: 12 characters - "))) << line.toStdString();
}

}  // namespace
