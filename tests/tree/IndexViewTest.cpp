// The index view on a real notes folder: the tree, the notes it shows in a real editor, and the
// files behind them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "base/Utf8.h"
#include "editor/NoteScrollView.h"
#include "storage/NoteFile.h"
#include "storage/NotesFolderSettings.h"
#include "tests/support/FakeFolderPicker.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/FakeStatusLine.h"
#include "tests/support/ModelTestSupport.h"
#include "tests/support/SessionPanes.h"
#include "tests/support/TempFolder.h"
#include "tree/IndexView.h"
#include "tree/NoteItemText.h"
#include "ui/MessageBox.h"
#include "ui/StatusText.h"

namespace {

using NoteEditEngine::CNoteDocument;
using NoteEditEngine::TestSupport::Dump;
using NoteEditEngine::TestSupport::MakeDocument;
using TestSupport::CTempFolder;

// One item of a folder to write: its depth (1 for the root level), identifier and note text.
struct Node {
    int depth;
    std::string id;
    std::string text;
};

std::string Attribute(const std::string& name, const std::string& value) {
    return " " + name + "=\"" + value + "\"";
}

// Writes the notes and an index.xml that names them, every item expanded.
void WriteFolder(const std::filesystem::path& folder, const std::vector<Node>& nodes) {
    std::string index =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>\n"
        "<tree version=\"1.0\">\n";
    int depth = 0;
    for (const Node& node : nodes) {
        for (; depth >= node.depth; --depth)
            index += "</item>\n";
        index += "<item" + Attribute("id", node.id) + Attribute("username", "n" + node.id) +
                 Attribute("isfixed", "false") + Attribute("isselected", "false") +
                 Attribute("isactive", "false") + Attribute("isexpanded", "true") +
                 Attribute("size", "0") + Attribute("created", "0") + Attribute("modified", "0") +
                 ">\n";
        depth = node.depth;
        std::u16string text;
        NoteStorage::WriteNoteFileText(*MakeDocument(node.text), text);
        ASSERT_TRUE(NoteStorage::WriteUtf8File(folder / (node.id + ".xml"), text));
    }
    for (; depth > 0; --depth)
        index += "</item>\n";
    index += "</tree>\n";
    TestSupport::WriteBytes(folder / "index.xml", index);
}

bool FocusReally(QWidget& widget) {
    widget.window()->show();
    widget.window()->activateWindow();
    QApplication::processEvents();
    widget.setFocus(Qt::MouseFocusReason);
    return QApplication::focusWidget() == &widget;
}

class IndexViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBox::SetSink([this](const QString& text) { messages.push_back(text); });
        MessageBox::SetQuestionSink([this](const QString& text, const QString& caption) {
            questions.push_back(caption + QStringLiteral(": ") + text);
            return answer;
        });
        auto* layout = new QHBoxLayout(&window);
        panes = std::make_unique<TestSupport::CSessionPanes>(window, settings, picker, status);
        view = panes->view;
        editor = panes->editor;
        layout->addWidget(view);
        layout->addWidget(editor);
        window.resize(700, 500);
        window.show();
    }
    void TearDown() override {
        // Saved while the messages are still recorded: a box would wait for a click.
        view->UnloadTree();
        panes.reset();
        MessageBox::SetSink({});
        MessageBox::SetQuestionSink({});
    }

    // Writes the folder, stores it as the notes folder and loads its tree.
    void Load(const std::vector<Node>& nodes) {
        WriteFolder(folder.Path(), nodes);
        NoteTreeEngine::SetNotesFolder(settings, folder.Path().u16string());
        ASSERT_TRUE(view->LoadTree());
    }
    QTreeWidgetItem* Item(const std::string& id) {
        QTreeWidgetItemIterator it(view);
        for (; *it != nullptr; ++it)
            if (view->RecordOf(*it).id == NoteEditEngine::TestSupport::Utf16(id)) return *it;
        return nullptr;
    }
    // The tree as "label(child,child),label", by record name.
    std::string Tree(QTreeWidgetItem* item = nullptr) {
        QTreeWidgetItem* level = item == nullptr ? view->invisibleRootItem() : item;
        std::string out;
        for (int i = 0; i < level->childCount(); ++i) {
            QTreeWidgetItem* child = level->child(i);
            if (i > 0) out += ",";
            out += child->text(0).toStdString();
            if (child->childCount() > 0) out += "(" + Tree(child) + ")";
        }
        return out;
    }
    // The notes the editor shows, in order, as their text.
    std::string Shown() {
        std::string out;
        for (const CNoteDocument* note : editor->View().ShownNotes())
            out += Dump(*note);
        return out;
    }
    // Renames the caret item in the label editor, ended with the key; false without an editor.
    bool Rename(const QString& text, Qt::Key key) {
        view->Rename();
        auto* line = view->findChild<QLineEdit*>();
        if (line == nullptr || !line->isVisible()) return false;
        line->setText(text);
        QTest::keyClick(line, key);
        // The item delegate commits on Return through a queued call, and the focus goes back to
        // the pane after the label editor has closed.
        QApplication::processEvents();
        QApplication::processEvents();
        return true;
    }
    void SelectOnly(std::initializer_list<const char*> ids) {
        view->DeselectAll(SelectCause::Mouse);
        for (const char* id : ids)
            view->Select(Item(id), SelectCause::Mouse);
    }

    CTempFolder folder;
    TestSupport::CFakeSettings settings;
    TestSupport::CFakePicker picker;
    TestSupport::CFakeStatusLine status;
    QWidget window;
    std::unique_ptr<TestSupport::CSessionPanes> panes;
    CIndexView* view = nullptr;
    CNoteScrollView* editor = nullptr;
    std::vector<QString> messages;
    std::vector<QString> questions;
    bool answer = true;
};

const std::vector<Node> kThreeLevels = {{1, "1", "¶Alpha"},
                                        {2, "2", "¶Beta"},
                                        {3, "3", "¶Gamma"},
                                        {2, "4", "¶Delta"},
                                        {1, "5", "¶Epsilon"}};

TEST_F(IndexViewTest, SelectedNotesShowInTreeOrderWithTheirTitlesAsLabels) {
    Load(kThreeLevels);
    EXPECT_EQ(Tree(), "n1(n2(n3),n4),n5");
    // Selected in any order, shown top-down.
    view->Select(Item("5"), SelectCause::Mouse);
    view->Select(Item("1"), SelectCause::Mouse);
    view->Select(Item("3"), SelectCause::Mouse);
    EXPECT_EQ(Shown(), "¶Alpha¶Gamma¶Epsilon");
    EXPECT_EQ(Tree(), "Alpha(n2(Gamma),n4),Epsilon");
    view->Deselect(Item("3"), SelectCause::Mouse);
    EXPECT_EQ(Shown(), "¶Alpha¶Epsilon");
}

TEST_F(IndexViewTest, LabelsFollowTheFirstLineAndIconsTheSize) {
    const std::string longLine(60, 'x');
    const struct {
        int size;
        int icon;
    } sizes[] = {{0, 0}, {1, 1}, {350, 1}, {351, 2}, {1225, 2}, {1226, 3}, {4287, 3}, {4288, 4}};
    std::vector<Node> nodes = {{1, "100", "¶  " + longLine + "¶second"}, {1, "101", "¶ \t "}};
    for (const auto& size : sizes)
        nodes.push_back({1, std::to_string(size.size + 1000), "¶" + std::string(size.size, 'a')});
    Load(nodes);
    for (QTreeWidgetItem* item = view->FirstRootItem(); item; item = view->NextVisible(item))
        view->Select(item, SelectCause::Mouse);
    EXPECT_EQ(Item("100")->text(0).toStdString(), std::string(48, 'x') + "...");
    EXPECT_EQ(Item("101")->text(0), QStringLiteral("unnamed"));
    for (const auto& size : sizes) {
        QTreeWidgetItem* item = Item(std::to_string(size.size + 1000));
        EXPECT_EQ(view->RecordOf(item).size, size.size);
        EXPECT_EQ(view->IconIndexOf(item), size.icon) << size.size;
    }
}

TEST_F(IndexViewTest, TheTenIconsDrawSharpAndDistinctAtOneAndTwoTimesScale) {
    std::vector<QImage> drawn;
    for (const int index : {0, 1, 2, 3, 4, 8, 9, 10, 11, 12}) {
        for (const int pixels : {16, 32}) {
            const QImage image = view->Icon(index).pixmap(pixels).toImage();
            ASSERT_EQ(image.size(), QSize(pixels, pixels)) << index;
            int opaque = 0;
            for (int y = 0; y < pixels; ++y)
                for (int x = 0; x < pixels; ++x)
                    opaque += qAlpha(image.pixel(x, y)) == 255 ? 1 : 0;
            // A page fills a good part of the square, with a transparent margin.
            EXPECT_GT(opaque, pixels * pixels / 3) << index << " at " << pixels;
            EXPECT_LT(opaque, pixels * pixels) << index << " at " << pixels;
            if (pixels == 16) {
                for (const QImage& other : drawn)
                    EXPECT_NE(image, other) << index;
                drawn.push_back(image);
            }
        }
    }
}

TEST_F(IndexViewTest, ParentIconGainsAndLosesItsChildrenVariant) {
    Load({{1, "1", "¶Alpha"}, {1, "2", "¶Beta"}});
    view->SetCaret(Item("1"));
    view->NewNote(true);
    EXPECT_EQ(view->IconIndexOf(Item("1")), NoteTreeEngine::CNoteTree::kChildrenIcon);
    QTreeWidgetItem* child = Item("1")->child(0);
    // The child moves away to the root level: the parent is childless again.
    SelectOnly({});
    view->Select(child, SelectCause::Mouse);
    view->MoveSelection({CInsertionPoint::Place::Last, nullptr, nullptr});
    EXPECT_EQ(view->IconIndexOf(Item("1")), 0);
    // And under Beta, then deleted.
    view->MoveSelection({CInsertionPoint::Place::First, Item("2"), nullptr});
    EXPECT_EQ(view->IconIndexOf(Item("2")), NoteTreeEngine::CNoteTree::kChildrenIcon);
    view->DeleteSelected();
    EXPECT_EQ(Tree(), "n1,n2");
    EXPECT_EQ(view->IconIndexOf(Item("2")), 0);
}

TEST_F(IndexViewTest, DeleteCountsEachSubtreeOnceAndRemovesTheFiles) {
    Load(kThreeLevels);
    SelectOnly({"2", "1", "3"});
    answer = false;
    view->DeleteSelected();
    ASSERT_EQ(questions.size(), 1u);
    // Alpha's subtree holds four notes; Beta and Gamma lie inside it.
    EXPECT_EQ(questions[0],
              QStringLiteral("Warning: Are you sure you want to delete these 4 notes?"));
    EXPECT_EQ(Tree(), "Alpha(Beta(Gamma),n4),n5");
    answer = true;
    view->DeleteSelected();
    EXPECT_EQ(Tree(), "n5");
    for (const char* id : {"1", "2", "3", "4"})
        EXPECT_FALSE(std::filesystem::exists(folder / (std::string(id) + ".xml"))) << id;
    EXPECT_TRUE(std::filesystem::exists(folder / "5.xml"));
    EXPECT_EQ(Shown(), "");
    EXPECT_NE(TestSupport::ReadBytes(folder / "index.xml").find("id=\"5\""), std::string::npos);
    EXPECT_EQ(TestSupport::ReadBytes(folder / "index.xml").find("id=\"1\""), std::string::npos);
    SelectOnly({"5"});
    view->DeleteSelected();
    EXPECT_EQ(questions.back(),
              QStringLiteral("Warning: Are you sure you want to delete this note?"));
    EXPECT_EQ(Tree(), "");
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
        ASSERT_NE(view->Caret(), nullptr) << test.deleted;
        EXPECT_EQ(view->RecordOf(view->Caret()).id, NoteEditEngine::TestSupport::Utf16(test.after))
            << test.deleted;
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
    EXPECT_EQ(view->SelectedList().size(), 2u);
    EXPECT_EQ(Shown(), "¶Delta¶");
    EXPECT_EQ(QApplication::focusWidget(), editor);
    EXPECT_EQ(view->RecordOf(view->Caret()).username, u"unnamed");
    const std::u16string created = view->RecordOf(view->Caret()).id;
    EXPECT_TRUE(std::filesystem::exists(folder / (std::filesystem::path(created) += ".xml")));

    ASSERT_TRUE(FocusReally(*view));
    view->SetCaret(Item("5"));
    view->NewNote(true);
    EXPECT_EQ(view->SelectedList().size(), 1u);
    EXPECT_EQ(Shown(), "¶");
    EXPECT_EQ(Tree(), "n1(n2(n3),Delta,unnamed),n5(unnamed)");
    // The index names the new notes at once.
    EXPECT_NE(TestSupport::ReadBytes(folder / "index.xml").find(NoteBase::Utf16ToUtf8(created)),
              std::string::npos);
}

TEST_F(IndexViewTest, EmptyRenameFollowsTheTitleAgain) {
    Load(kThreeLevels);
    SelectOnly({"1"});
    view->SetCaret(Item("1"));
    QTreeWidgetItem* alpha = Item("1");
    EXPECT_TRUE(Rename(QStringLiteral("Fixed name"), Qt::Key_Return));
    EXPECT_EQ(alpha->text(0), QStringLiteral("Fixed name"));
    EXPECT_TRUE(view->RecordOf(alpha).isfixed);
    EXPECT_NE(TestSupport::ReadBytes(folder / "index.xml").find("username=\"Fixed name\""),
              std::string::npos);
    // Edits no longer rename it.
    CNoteDocument* note = editor->View().ShownNotes()[0];
    editor->View().SetCaret(note->End(), false, true);
    ASSERT_TRUE(FocusReally(*editor));
    QTest::keyClicks(editor, "X");
    EXPECT_EQ(view->RecordOf(alpha).username, u"Fixed name");
    // Renamed from the editor (F2 reaches the tree through the frame): the editor gets the
    // focus back.
    EXPECT_TRUE(Rename(QString(), Qt::Key_Return));
    EXPECT_EQ(QApplication::focusWidget(), editor);
    EXPECT_FALSE(view->RecordOf(alpha).isfixed);
    EXPECT_EQ(alpha->text(0), QStringLiteral("AlphaX"));
    ASSERT_TRUE(FocusReally(*editor));
    QTest::keyClicks(editor, "Y");
    EXPECT_EQ(alpha->text(0), QStringLiteral("AlphaXY"));
    // A cancelled edit changes nothing.
    EXPECT_TRUE(Rename(QStringLiteral("Dropped"), Qt::Key_Escape));
    EXPECT_EQ(alpha->text(0), QStringLiteral("AlphaXY"));
    EXPECT_FALSE(view->RecordOf(alpha).isfixed);
}

TEST_F(IndexViewTest, AMoveKeepsRecordsExpansionTheNotesShownAndTheirEdits) {
    Load(kThreeLevels);
    SelectOnly({"2", "5"});
    CNoteDocument* beta = editor->View().ShownNotes()[0];
    editor->View().SetCaret(beta->End(), false, true);
    ASSERT_TRUE(FocusReally(*editor));
    QTest::keyClicks(editor, "!");
    ASSERT_EQ(view->RecordOf(view->ActiveItem()).id, u"2");
    QTreeWidgetItem* moved = Item("2");
    view->MoveSelection({CInsertionPoint::Place::Last, nullptr, nullptr});
    EXPECT_EQ(Tree(), "n1(n4),Beta!(n3),Epsilon");
    EXPECT_EQ(Item("2"), moved);  // the same item, not a copy
    EXPECT_TRUE(Item("2")->isExpanded());
    EXPECT_TRUE(view->IsSelected(static_cast<const QTreeWidgetItem*>(Item("2"))));
    // The same documents, with the edit, still shown; the active item is the moved one.
    ASSERT_EQ(editor->View().ShownNotes().size(), 2u);
    EXPECT_EQ(editor->View().ShownNotes()[0], beta);
    EXPECT_EQ(Shown(), "¶Beta!¶Epsilon");
    EXPECT_EQ(view->ActiveItem(), Item("2"));
    EXPECT_TRUE(Item("2")->font(0).bold());
    // Deselecting it now saves the edit.
    view->Deselect(Item("2"), SelectCause::Mouse);
    EXPECT_NE(TestSupport::ReadBytes(folder / "2.xml").find("Beta!"), std::string::npos);
}

TEST_F(IndexViewTest, NoteBecameCurrentMakesTheActiveItemBoldAndTheSaveTimerSaves) {
    Load(kThreeLevels);
    SelectOnly({"1", "5"});
    CNoteDocument* epsilon = editor->View().ShownNotes()[1];
    editor->View().SetCaret(epsilon->End(), false, true);
    EXPECT_EQ(view->ActiveItem(), Item("5"));
    EXPECT_TRUE(Item("5")->font(0).bold());
    EXPECT_TRUE(view->RecordOf(Item("5")).isactive);
    EXPECT_EQ(view->Caret(), Item("5"));
    editor->View().SetCaret(editor->View().ShownNotes()[0]->End(), false, true);
    EXPECT_FALSE(Item("5")->font(0).bold());
    EXPECT_FALSE(view->RecordOf(Item("5")).isactive);
    EXPECT_TRUE(Item("1")->font(0).bold());

    ASSERT_TRUE(FocusReally(*editor));
    QTest::keyClicks(editor, "Z");
    ASSERT_TRUE(panes->timer.Timer().isActive());
    EXPECT_EQ(panes->timer.Timer().interval(), 30000);  // a change waits 30 s at most
    EXPECT_EQ(TestSupport::ReadBytes(folder / "1.xml").find("AlphaZ"), std::string::npos);
    panes->session.OnSaveTimer();
    EXPECT_FALSE(panes->timer.Timer().isActive());
    EXPECT_NE(TestSupport::ReadBytes(folder / "1.xml").find("AlphaZ"), std::string::npos);
    const std::string index = TestSupport::ReadBytes(folder / "index.xml");
    EXPECT_NE(index.find("username=\"AlphaZ\""), std::string::npos);
    EXPECT_NE(index.find("isactive=\"true\""), std::string::npos);
}

TEST_F(IndexViewTest, AFolderWithoutIndexShowsItsNotesAsOrphans) {
    WriteFolder(folder.Path(), kThreeLevels);
    std::filesystem::remove(folder / "index.xml");
    NoteTreeEngine::SetNotesFolder(settings, folder.Path().u16string());
    view->LoadTree();
    EXPECT_EQ(Tree(), "Orphan note,Orphan note,Orphan note,Orphan note,Orphan note");
    view->Select(Item("3"), SelectCause::Mouse);
    EXPECT_EQ(Item("3")->text(0), QStringLiteral("Gamma"));
    EXPECT_TRUE(std::filesystem::exists(folder / "index.xml"));
}

TEST_F(IndexViewTest, ADraggedTreeFileIsWrittenOnceAndDropsIntoAnotherFolder) {
    Load(kThreeLevels);
    SelectOnly({"2"});
    const std::string before = Tree();
    const QVariant first = view->RenderForDrag(QStringLiteral("text/uri-list"));
    const QList<QVariant> urls = first.toList();
    ASSERT_EQ(urls.size(), 1);
    const QString path = urls[0].toUrl().toLocalFile();
    EXPECT_TRUE(path.endsWith(QStringLiteral("/Beta.jwf"))) << path.toStdString();
    const std::filesystem::path file(path.toStdU16String());
    const std::string written = TestSupport::ReadBytes(file);
    EXPECT_NE(written.find("Gamma"), std::string::npos);
    // Asked again during the same drag: not written again.
    TestSupport::WriteBytes(file, "changed");
    EXPECT_EQ(view->RenderForDrag(QStringLiteral("text/uri-list")), first);
    EXPECT_EQ(TestSupport::ReadBytes(file), "changed");
    EXPECT_EQ(Tree(), before);
    TestSupport::WriteBytes(file, written);

    // Another notes folder takes it through a drop of the file.
    CTempFolder other;
    WriteFolder(other.Path(), {{1, "7", "¶Other"}});
    picker.answer = other.Path().u16string();
    view->ChangeNotesFolder();
    ASSERT_EQ(Tree(), "n7");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    const QPoint below(20, view->viewport()->height() - 5);
    // As a file manager's drop arrives: enter, move, drop.
    QDragEnterEvent enter(below, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDragMoveEvent move(below, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &move);
    QDropEvent drop(below, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);
    ASSERT_EQ(Tree(), "n7,Beta(n3)") << (messages.empty() ? "" : messages.back().toStdString());
    view->Select(view->topLevelItem(1)->child(0), SelectCause::Mouse);
    EXPECT_EQ(Shown(), "¶Gamma");
    // The imported notes are files of the new folder.
    const std::u16string gamma = view->RecordOf(view->topLevelItem(1)->child(0)).id;
    EXPECT_TRUE(std::filesystem::exists(other.Path() / (std::filesystem::path(gamma) += ".xml")));
    std::filesystem::remove(file);
}

TEST_F(IndexViewTest, TreeFilesOfTheWrongKindOrUnreadableChangeNothing) {
    Load(kThreeLevels);
    TestSupport::WriteBytes(folder / "broken.jwf", "no tree at all");
    const struct {
        std::string name;
        const char* message;
    } cases[] = {{"notes.txt", " is not a Jotwell tree file"},
                 {"broken.jwf", "JWF file could not be read"}};
    for (const auto& test : cases) {
        messages.clear();
        const QString path = QString::fromStdString((folder / test.name).string());
        EXPECT_FALSE(view->OpenTreeFile(path));
        ASSERT_EQ(messages.size(), 1u) << test.name;
        EXPECT_TRUE(messages[0].contains(QString::fromLatin1(test.message))) << test.name;
        EXPECT_EQ(Tree(), "n1(n2(n3),n4),n5");
    }
}

TEST_F(IndexViewTest, SetNotesFolderSwitchesOnlyToAnotherFolder) {
    Load(kThreeLevels);
    SelectOnly({"1"});
    picker.answer = folder.Path().u16string();
    view->ChangeNotesFolder();
    EXPECT_EQ(Shown(), "¶Alpha");
    CTempFolder other;
    picker.answer = other.Path().u16string();
    view->ChangeNotesFolder();
    EXPECT_EQ(Tree(), "");
    EXPECT_EQ(Shown(), "");
    EXPECT_EQ(NoteTreeEngine::GetNotesFolder(settings), other.Path().u16string());
    // The first folder's index kept the selection.
    EXPECT_NE(TestSupport::ReadBytes(folder / "index.xml").find("isselected=\"true\""),
              std::string::npos);
}

TEST_F(IndexViewTest, KeysAndTheMouseLine) {
    Load(kThreeLevels);
    ASSERT_TRUE(FocusReally(*view));
    view->SetCaret(Item("4"));
    QTest::keyClick(view, Qt::Key_E);
    EXPECT_EQ(view->Caret(), Item("1"));
    view->SetCaret(Item("4"));
    QTest::keyClick(view, Qt::Key_5, Qt::KeypadModifier);
    EXPECT_EQ(view->Caret(), Item("1"));

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

    // The Delete key deletes, but held down it does not ask again.
    SelectOnly({"5"});
    answer = false;
    QTest::keyPress(view, Qt::Key_Delete, Qt::NoModifier);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(view, &repeat);
    EXPECT_EQ(questions.size(), 1u);

    ::setenv("TZ", "UTC", 1);
    ::tzset();
    EXPECT_EQ(NoteEditor::FormatNoteTime(315626635), "Wed Jan 02 02:03:55 1980");
    view->RecordOf(Item("1")).created = 315626635;
    view->RecordOf(Item("1")).modified = 315626635 + 86400 * 40;
    view->RecordOf(Item("1")).size = 12;
    QString line;
    QObject::connect(view, &CIndexView::statusTextChanged,
                     [&line](const QString& text) { line = text; });
    QTest::mouseMove(view->viewport(), view->visualItemRect(Item("1")).center());
    EXPECT_EQ(line, QStringLiteral("Size: 12 characters - Created: Wed Jan 02 02:03:55 1980 - "
                                   "Modified: Mon Feb 11 02:03:55 1980"));
    QTest::mouseMove(view->viewport(), QPoint(5, view->viewport()->height() - 3));
    EXPECT_EQ(line, QStringLiteral("For Help, press F1"));
}

// The caret after the keys: it follows what they select, never sits on a hidden or deleted
// item, and is always in view.
TEST_F(IndexViewTest, TheKeyboardCaretStaysOnAVisibleItemInView) {
    std::vector<Node> nodes = {{1, "0", "¶Omega"}};
    nodes.insert(nodes.end(), kThreeLevels.begin(), kThreeLevels.end());
    nodes.push_back({2, "6", "¶Zeta"});
    for (int id = 7; id < 40; ++id)
        nodes.push_back({1, std::to_string(id), "¶Note"});
    const auto id = [this](QTreeWidgetItem* item) {
        return item == nullptr ? std::string("-")
                               : QString::fromStdU16String(view->RecordOf(item).id).toStdString();
    };
    const struct {
        std::vector<const char*> clicks;  // the first plain, the others with Ctrl
        std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys;
        const char* caret;
        const char* selected;
    } cases[] = {
        {{"1"}, {{Qt::Key_End, {}}}, "39", "39"},
        {{"1"}, {{Qt::Key_End, Qt::ControlModifier}}, "39", "1"},
        {{"39"}, {{Qt::Key_Home, {}}}, "0", "0"},
        {{"39"},
         {{Qt::Key_Up, Qt::ControlModifier}, {Qt::Key_Home, Qt::ControlModifier}},
         "0",
         "39"},
        // Collapsing a parent of two selected children by key pulls the caret out.
        {{"2", "4"},
         {{Qt::Key_Up, Qt::ControlModifier},
          {Qt::Key_Up, Qt::ControlModifier},
          {Qt::Key_Up, Qt::ControlModifier},
          {Qt::Key_Minus, Qt::KeypadModifier}},
         "1",
         ""},
        {{"2", "4"},
         {{Qt::Key_Up, Qt::ControlModifier},
          {Qt::Key_Up, Qt::ControlModifier},
          {Qt::Key_Up, Qt::ControlModifier},
          {Qt::Key_Left, {}},
          {Qt::Key_Right, {}}},
         "1",
         ""},
        // "E" finds Epsilon; the caret goes with the selection. Without a match it goes home.
        {{"5"}, {{Qt::Key_Up, Qt::ControlModifier}, {Qt::Key_E, {}}}, "5", "5"},
        {{"5"}, {{Qt::Key_5, Qt::KeypadModifier}}, "0", "5"},
        // Deleting a parent with its selected child: the item above the subtree.
        {{"5", "6"}, {{Qt::Key_Delete, {}}}, "4", ""},
        {{"6", "5"}, {{Qt::Key_Delete, {}}}, "4", ""},
        {{"2", "3"}, {{Qt::Key_Delete, {}}}, "1", ""},
        {{"3", "2"}, {{Qt::Key_Delete, {}}}, "1", ""},
        {{"1", "3"}, {{Qt::Key_Delete, {}}}, "0", ""},
        {{"3", "1"}, {{Qt::Key_Delete, {}}}, "0", ""},
        {{"1", "2"}, {{Qt::Key_Delete, {}}}, "0", ""},
        {{"2", "1"}, {{Qt::Key_Delete, {}}}, "0", ""},
    };
    for (const auto& test : cases) {
        view->UnloadTree();
        Load(nodes);
        view->resize(200, 150);
        ASSERT_TRUE(FocusReally(*view));
        const std::string name = "case " + std::to_string(&test - cases);
        for (const char* clicked : test.clicks) {
            view->scrollToItem(Item(clicked));
            QTest::mouseClick(view->viewport(), Qt::LeftButton,
                              clicked == test.clicks.front() ? Qt::NoModifier : Qt::ControlModifier,
                              view->LabelRect(Item(clicked)).center());
        }
        for (const auto& [key, modifiers] : test.keys)
            QTest::keyClick(view, key, modifiers);
        QTreeWidgetItem* caret = view->Caret();
        EXPECT_EQ(id(caret), test.caret) << name;
        std::string selected;
        for (QTreeWidgetItem* item : view->SelectedList())
            selected += (selected.empty() ? "" : " ") + id(item);
        EXPECT_EQ(selected, test.selected) << name;
        ASSERT_NE(caret, nullptr) << name;
        for (QTreeWidgetItem* parent = caret->parent(); parent; parent = parent->parent())
            EXPECT_TRUE(parent->isExpanded()) << name;
        EXPECT_TRUE(view->viewport()->rect().contains(view->visualItemRect(caret))) << name;
    }
}

}  // namespace
