// Links opened with Ctrl+click, and the spelling menu, word list and underlines of the real pane.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <fstream>
#include <sstream>

#include "base/CommandIds.h"
#include "tests/editor/PaneTest.h"
#include "tests/support/FakeSpellChecker.h"
#include "tests/support/TempFolder.h"

namespace {

using NoteLayoutEngine::TestSupport::CFakeSpellChecker;

const std::set<std::u16string> kWords = {u"see", u"the", u"cat", u"was", u"here", u"wax"};

std::unique_ptr<NoteLayoutEngine::ISpellChecker> OpenFake(const QString&) {
    return std::make_unique<CFakeSpellChecker>(kWords);
}

class LinksAndSpellingTest : public PaneTest {
protected:
    void SetUp() override {
        PaneTest::SetUp();
        view.Spelling().UseDictionaries({QStringLiteral("en_US")}, OpenFake, folder / "words.txt");
        view.Spelling().SetOn(true);
        view.SetLinkOpener([this](const QUrl& url) { opened.push_back(url.toString()); });
    }
    // The menu's entries by text, separators as "-".
    static QStringList Entries(QMenu& menu) {
        QStringList out;
        for (QAction* action : menu.actions())
            out << (action->isSeparator() ? QStringLiteral("-") : action->text());
        return out;
    }
    static void Trigger(QMenu& menu, const QString& text) {
        for (QAction* action : menu.actions())
            if (action->text() == text) return action->trigger();
        ADD_FAILURE() << "no " << text.toStdString();
    }

    TestSupport::CTempFolder folder;
    QStringList opened;
};

TEST_F(LinksAndSpellingTest, CtrlClickOnALinkOpensItsAddressAndNothingElseDoes) {
    NoteEditEngine::CNoteDocument* note = Show("¶see www.x.org/a, or (https://y.z/b_(c)).");
    const QPoint onFirst = PointBefore(note, 7);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, onFirst);
    EXPECT_TRUE(opened.isEmpty());  // a plain click places the caret
    EXPECT_EQ(view.View().Active(), note->FromIndex(7));
    const auto ctrlClick = [this](QPoint point) {
        now += 10000;  // no double click
        QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ControlModifier, point);
    };
    ctrlClick(onFirst);
    ctrlClick(PointBefore(note, 30));
    EXPECT_EQ(view.View().Active(), note->FromIndex(7));  // opening a link leaves the caret
    ctrlClick(PointBefore(note, 2));
    ctrlClick(PointBefore(note, 39));
    EXPECT_EQ(opened, (QStringList{"http://www.x.org/a", "https://y.z/b_(c)"}));
    EXPECT_EQ(view.View().Active(), note->FromIndex(39));  // elsewhere Ctrl+click is a click

    QSignalSpy status(&view, &CNoteScrollView::statusTextChanged);
    const auto hover = [this, &status](QPoint at) {
        QMouseEvent move(QEvent::MouseMove, at, view.viewport()->mapToGlobal(at), Qt::NoButton,
                         Qt::NoButton, Qt::ControlModifier);
        QApplication::sendEvent(view.viewport(), &move);
        return status.isEmpty() ? QString() : status.last().at(0).toString();
    };
    EXPECT_TRUE(hover(onFirst).startsWith("http://www.x.org/a"));
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_FALSE(hover(PointBefore(note, 2)).contains("www"));
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::IBeamCursor);
}

TEST_F(LinksAndSpellingTest, ASuggestionReplacesTheWordInOneUndoStep) {
    NoteEditEngine::CNoteDocument* note = Show("¶the cat wsa");
    view.View().SetCaret(note->FromIndex(1), false, false);
    std::unique_ptr<QMenu> menu = view.ContextMenuAt(PointBefore(note, 10));
    const QStringList entries = Entries(*menu);
    ASSERT_GE(entries.size(), 5);
    EXPECT_EQ(entries.mid(0, 5), (QStringList{"was", "wax", "Add to Dictionary", "Ignore", "-"}));
    Trigger(*menu, "was");
    EXPECT_EQ(NoteEditEngine::TestSupport::Dump(*note), "¶the cat was");
    view.View().Undo();
    EXPECT_EQ(NoteEditEngine::TestSupport::Dump(*note), "¶the cat wsa");
    // A right word, the blank right of a wrong one, and a word whose text changed since the menu
    // opened get no spelling items.
    EXPECT_EQ(Entries(*view.ContextMenuAt(PointBefore(note, 6))).front(), Entries(*menu).at(5));
    EXPECT_FALSE(
        Entries(*view.ContextMenuAt(QPoint(400, PointBefore(note, 10).y()))).contains("Ignore"));
    menu = view.ContextMenuAt(PointBefore(note, 10));
    view.View().SetCaret(note->FromIndex(1), false, false);
    view.View().InsertTextAtCaret(u"x");
    Trigger(*menu, "was");
    EXPECT_EQ(NoteEditEngine::TestSupport::Dump(*note), "¶txhe cat wsa");
}

TEST_F(LinksAndSpellingTest, AddedWordsPersistAndIgnoredOnesLastTheRun) {
    NoteEditEngine::CNoteDocument* note = Show("¶wsa teh");
    view.View().SetCaret(note->FromIndex(0), false, false);
    Trigger(*view.ContextMenuAt(PointBefore(note, 2)), "Add to Dictionary");
    Trigger(*view.ContextMenuAt(PointBefore(note, 6)), "Ignore");
    EXPECT_FALSE(Entries(*view.ContextMenuAt(PointBefore(note, 6))).contains("Ignore"));
    std::ostringstream written;
    written << std::ifstream(folder / "words.txt").rdbuf();
    EXPECT_EQ(written.str(), "wsa\n");

    NoteLayoutEngine::CTextMarks marks;
    CSpelling later(marks);
    later.UseDictionaries({QStringLiteral("en_US")}, OpenFake, folder / "words.txt");
    EXPECT_FALSE(marks.IsMisspelt(u"wsa"));
    EXPECT_TRUE(marks.IsMisspelt(u"teh"));
    // Checking off: nothing is misspelt; no dictionary at all: the commands are greyed out.
    later.SetOn(false);
    EXPECT_FALSE(marks.IsMisspelt(u"teh"));
    later.UseDictionaries({}, OpenFake, {});
    later.SetOn(true);
    EXPECT_FALSE(later.IsAvailable());
    EXPECT_FALSE(marks.IsMisspelt(u"teh"));
    CNoteScrollView bare;
    EXPECT_FALSE(bare.QueryCommandState(CommandIds::kCheckSpelling).enabled);
    EXPECT_TRUE(view.QueryCommandState(CommandIds::kCheckSpelling).checked);
    view.OnCommand(CommandIds::kCheckSpelling);
    EXPECT_FALSE(view.QueryCommandState(CommandIds::kCheckSpelling).checked);
    EXPECT_FALSE(view.View().Marks().IsMisspelt(u"teh"));
}

TEST_F(LinksAndSpellingTest, TheWavyLineLiesUnderTheMisspeltWordOnly) {
    NoteEditEngine::CNoteDocument* note = Show("¶cat wsa cat");
    view.View().SetCaret(note->FromIndex(0), false, false);
    const QImage image = Grab();
    const int left = PointBefore(note, 4).x() - 1;
    const int right = PointBefore(note, 7).x() - 1;
    const int top = PointBefore(note, 4).y() - 4;
    const auto redIn = [&](int from, int to) {
        int red = 0;
        for (int y = top; y < top + view.View().TextHeight(note->FromIndex(4)); ++y)
            for (int x = from; x < to; ++x)
                red += image.pixelColor(x, y).red() - image.pixelColor(x, y).green() > 100;
        return red;
    };
    EXPECT_GT(redIn(left, right), (right - left) / 2);
    EXPECT_EQ(redIn(0, left) + redIn(right + 1, image.width()), 0);
}

}  // namespace
