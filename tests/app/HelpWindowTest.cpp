// The help pages' links, and the help window without its pages.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTextBrowser>
#include <QTextDocument>
#include <string>

#include "app/HelpWindow.h"
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

TEST(HelpPagesTest, EveryLinkReachesAPageAndAnchorAndTheContentsEveryPage) {
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

    // And the contents reach every page.
    QTextDocument contents;
    ASSERT_TRUE(HelpPages::Load(kHelp, QStringLiteral("contents.html"), contents));
    QSet<QString> linked{QStringLiteral("contents.html")};
    for (const HelpPages::CLink& link : HelpPages::LinksOf(contents))
        linked.insert(link.href.section(u'#', 0, 0));
    for (const QString& name : QDir(kHelp).entryList({QStringLiteral("*.html")}, QDir::Files))
        EXPECT_TRUE(linked.contains(name)) << name.toStdString() << " is not in the contents";
}

TEST(HelpWindowMissingTest, AFolderWithoutPagesSaysSo) {
    TestSupport::CTempFolder empty;
    CHelpWindow window(QString::fromStdString(empty.Path().string()));
    const auto* browser = window.findChild<QTextBrowser*>(QStringLiteral("browser"));
    EXPECT_TRUE(browser->toPlainText().startsWith(QStringLiteral("The help pages could not be")));
    EXPECT_TRUE(window.Search(QStringLiteral("note")).isEmpty());
    window.ShowContents();  // nothing to open, and no crash
    window.ShowIndex();
}

}  // namespace
