#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <algorithm>
#include <clocale>
#include <string>

#include "app/HelpWindow.h"
#include "commands/CommandTable.h"
#include "tests/support/TempFolder.h"

namespace {

const QString kHelp = QStringLiteral(JOTWELL_HELP_PAGES);

// Why `href`, found on `fromPage`, leads nowhere; empty when it reaches an existing page and
// anchor of the folder.
QString LinkFault(const QString& folder, const QString& fromPage, const QString& href) {
    if (href.contains(u':')) return QStringLiteral("leaves the help: ") + href;
    const QString page = href.section(u'#', 0, 0).isEmpty() ? fromPage : href.section(u'#', 0, 0);
    QTextDocument target;
    if (!HelpPages::Load(folder, page, target)) return QStringLiteral("no page ") + page;
    const QString anchor = href.section(u'#', 1);
    if (!anchor.isEmpty() && !HelpPages::AnchorsOf(target).contains(anchor))
        return QStringLiteral("no anchor ") + href;
    return {};
}

// Every broken link of every page, one "page: fault" a line.
std::string BrokenLinks(const QString& folder) {
    QStringList faults;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("*.html")}, QDir::Files)) {
        QTextDocument page;
        if (!HelpPages::Load(folder, name, page)) faults.append(name + QStringLiteral(": unread"));
        for (const HelpPages::CLink& link : HelpPages::LinksOf(page))
            if (const QString fault = LinkFault(folder, name, link.href); !fault.isEmpty())
                faults.append(name + QStringLiteral(": ") + fault);
    }
    return faults.join(u'\n').toStdString();
}

void WritePage(const std::filesystem::path& path, const char* html) {
    QFile file(QString::fromStdString(path.string()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(html);
}

TEST(HelpPagesTest, EveryLinkReachesAPageAndAnchor) {
    // The check itself catches a missing page, a missing anchor and a link to the outside.
    TestSupport::CTempFolder broken;
    WritePage(broken / "a.html",
              "<html><body><h1><a name=\"top\">A</a></h1><a href=\"b.html#nowhere\">b</a> "
              "<a href=\"c.html\">c</a> <a href=\"#top\">up</a> "
              "<a href=\"http://example.org\">out</a></body></html>");
    WritePage(broken / "b.html", "<html><body><h1><a name=\"top\">B</a></h1></body></html>");
    EXPECT_EQ(BrokenLinks(QString::fromStdString(broken.Path().string())),
              "a.html: no anchor b.html#nowhere\n"
              "a.html: no page c.html\n"
              "a.html: leaves the help: http://example.org");

    EXPECT_EQ(BrokenLinks(kHelp), "");
}

TEST(HelpPagesTest, TheContentsReachEveryPage) {
    QTextDocument contents;
    ASSERT_TRUE(HelpPages::Load(kHelp, QStringLiteral("contents.html"), contents));
    QSet<QString> linked{QStringLiteral("contents.html")};
    for (const HelpPages::CLink& link : HelpPages::LinksOf(contents))
        linked.insert(link.href.section(u'#', 0, 0));
    for (const QString& name : QDir(kHelp).entryList({QStringLiteral("*.html")}, QDir::Files))
        EXPECT_TRUE(linked.contains(name)) << name.toStdString() << " is not in the contents";
}

// Each command of the table has a row on the commands page: its label as menus show it (case and
// a trailing "..." aside) in the first cell, and every one of its keys in the second.
TEST(HelpPagesTest, TheCommandsPageHasEveryCommandWithItsKeys) {
    QFile file(kHelp + QStringLiteral("/commands.html"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(file.readAll());
    const QRegularExpression rowPattern(QStringLiteral("<tr>(.*?)</tr>"),
                                        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpression cellPattern(QStringLiteral("<td[^>]*>(.*?)</td>"),
                                         QRegularExpression::DotMatchesEverythingOption);
    const auto normal = [](QString text) {
        text.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
        text = text.simplified().toLower();
        if (text.endsWith(QStringLiteral("..."))) text.chop(3);
        return text;
    };
    QMultiMap<QString, QString> keysByLabel;
    for (const auto& row : rowPattern.globalMatch(html)) {
        QStringList cells;
        for (const auto& cell : cellPattern.globalMatch(row.captured(1)))
            cells.append(cell.captured(1));
        if (cells.size() >= 2) keysByLabel.insert(normal(cells[0]), cells[1]);
    }
    for (const Commands::Command& command : Commands::AllCommands()) {
        const QString label = normal(QString::fromStdString(Commands::PlainLabel(command)));
        ASSERT_TRUE(keysByLabel.contains(label)) << label.toStdString() << " has no row";
        for (const std::string_view key : command.shortcuts) {
            if (key.empty()) continue;
            const QString wanted = QString::fromUtf8(key.data(), qsizetype(key.size()));
            const QStringList rows = keysByLabel.values(label);
            EXPECT_TRUE(std::any_of(rows.begin(), rows.end(),
                                    [&](const QString& keys) {
                                        return keys.split(QStringLiteral(", ")).contains(wanted) ||
                                               keys.startsWith(wanted + u' ');
                                    }))
                << label.toStdString() << " lacks " << wanted.toStdString();
        }
    }
}

// The page of each pane lists every key of that pane's commands, as a key of its own ("Shift+Del"
// is not found inside "Ctrl+Shift+Del").
TEST(HelpPagesTest, EachPanesPageNamesEveryKeyOfItsCommands) {
    const auto textOf = [](const char* name) {
        QTextDocument page;
        EXPECT_TRUE(HelpPages::Load(kHelp, QString::fromLatin1(name), page)) << name;
        return page.toPlainText();
    };
    const QString pages[Commands::kTargetCount] = {textOf("editor.html"), textOf("tree.html"),
                                                   textOf("commands.html")};
    for (const Commands::Command& command : Commands::AllCommands()) {
        for (const std::string_view key : command.shortcuts) {
            if (key.empty()) continue;
            const QString wanted = QString::fromUtf8(key.data(), qsizetype(key.size()));
            const QRegularExpression alone(QStringLiteral("(?<![\\w+])") +
                                           QRegularExpression::escape(wanted) +
                                           QStringLiteral("(?![\\w+])"));
            EXPECT_TRUE(pages[size_t(command.target)].contains(alone))
                << Commands::PlainLabel(command) << ": " << key;
        }
    }
}

class HelpWindowTest : public ::testing::Test {
protected:
    CHelpWindow window{kHelp};
    QTextBrowser& browser = *window.findChild<QTextBrowser*>(QStringLiteral("browser"));
    QListWidget& index = *window.findChild<QListWidget*>(QStringLiteral("index"));
    QLineEdit& indexFilter = *window.findChild<QLineEdit*>(QStringLiteral("indexFilter"));
    QLineEdit& searchEdit = *window.findChild<QLineEdit*>(QStringLiteral("searchEdit"));
    QListWidget& results = *window.findChild<QListWidget*>(QStringLiteral("searchResults"));

    [[nodiscard]] QString Shown() const {
        return browser.source().fileName() +
               (browser.source().hasFragment() ? u'#' + browser.source().fragment() : QString());
    }
};

TEST_F(HelpWindowTest, EveryIndexEntryOpensItsPlaceAndTheFilterNarrowsThem) {
    ASSERT_GT(index.count(), 40);
    for (int row = 0; row < index.count(); ++row) {
        const QString link = index.item(row)->data(Qt::UserRole).toString();
        EXPECT_EQ(LinkFault(kHelp, QString(), link), QString()) << link.toStdString();
        window.OpenPage(link);
        EXPECT_EQ(Shown(), link);
    }

    QTest::keyClicks(&indexFilter, QStringLiteral("RUBBER"));
    int shown = 0;
    for (int row = 0; row < index.count(); ++row) {
        if (index.item(row)->isHidden()) continue;
        ++shown;
        EXPECT_TRUE(index.item(row)->text().contains(QStringLiteral("rubber")));
    }
    EXPECT_EQ(shown, 1);
    QTest::keyClick(&indexFilter, Qt::Key_Return);
    EXPECT_EQ(Shown(), QStringLiteral("tree.html#rubber-band"));
}

TEST_F(HelpWindowTest, SearchListsThePageWithTheWordsAndHighlightsThem) {
    struct {
        const char* words;
        const char* page;
    } const cases[] = {
        {"Rubber", "tree.html"},
        {"temporary FILE", "files.html"},
        {"wheel", "editor.html"},
        {"page NUMBER", "printing.html"},
    };
    for (const auto& c : cases) {
        searchEdit.clear();
        QTest::keyClicks(&searchEdit, QString::fromUtf8(c.words));
        QTest::keyClick(&searchEdit, Qt::Key_Return);
        ASSERT_GT(results.count(), 0) << c.words;
        EXPECT_EQ(results.item(0)->data(Qt::UserRole).toString(), QString::fromUtf8(c.page))
            << c.words;
        QTest::mouseClick(results.viewport(), Qt::LeftButton, {},
                          results.visualItemRect(results.item(0)).center());
        EXPECT_EQ(Shown(), QString::fromUtf8(c.page)) << c.words;
        const QStringList words = QString::fromUtf8(c.words).toLower().split(u' ');
        ASSERT_FALSE(browser.extraSelections().isEmpty()) << c.words;
        for (const QTextEdit::ExtraSelection& mark : browser.extraSelections())
            EXPECT_TRUE(words.contains(mark.cursor.selectedText().toLower())) << c.words;
    }

    // Another page reached by a link shows no marks; a word found nowhere says so.
    window.OpenPage(QStringLiteral("styles.html"));
    EXPECT_TRUE(browser.extraSelections().isEmpty());
    searchEdit.clear();
    QTest::keyClicks(&searchEdit, QStringLiteral("xylophone"));
    QTest::keyClick(&searchEdit, Qt::Key_Return);
    ASSERT_EQ(results.count(), 1);
    EXPECT_TRUE(results.item(0)->text().contains(QStringLiteral("xylophone")));
    EXPECT_EQ(results.item(0)->flags(), Qt::NoItemFlags);
}

TEST_F(HelpWindowTest, TheHelpCommandsOpenTheirTabs) {
    auto& tabs = *window.findChild<QTabWidget*>(QStringLiteral("tabs"));
    window.OpenPage(QStringLiteral("tray.html"));
    window.ShowContents();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(tabs.currentIndex(), 0);
    EXPECT_EQ(Shown(), QStringLiteral("contents.html"));
    window.ShowIndex();
    EXPECT_EQ(tabs.currentWidget(), index.parentWidget());
    window.ShowSearch();
    EXPECT_EQ(tabs.currentWidget(), results.parentWidget());
}

TEST(HelpWindowPlacementTest, FirstShownOverTheMainWindowThenWhereTheUserLeftIt) {
    TestSupport::CTempFolder empty;
    QWidget frame;
    frame.setGeometry(300, 200, 1000, 700);
    frame.show();
    auto* window = new CHelpWindow(QString::fromStdString(empty.Path().string()), &frame);
    window->ShowContents();
    // Within the rounding of two centres.
    EXPECT_LE((window->frameGeometry().center() - frame.frameGeometry().center()).manhattanLength(),
              4);
    window->move(20, 30);
    window->hide();
    window->ShowIndex();
    EXPECT_EQ(window->pos(), QPoint(20, 30));
}

TEST(HelpWindowMissingTest, AFolderWithoutPagesSaysSo) {
    TestSupport::CTempFolder empty;
    CHelpWindow window(QString::fromStdString(empty.Path().string()));
    const auto* browser = window.findChild<QTextBrowser*>(QStringLiteral("browser"));
    EXPECT_TRUE(browser->toPlainText().startsWith(QStringLiteral("The help pages could not be")));
    EXPECT_TRUE(window.Search(QStringLiteral("note")).isEmpty());
    window.ShowContents();  // nothing to open, and no crash
}

}  // namespace
