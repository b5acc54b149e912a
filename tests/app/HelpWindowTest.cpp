// The help window without its pages.
#include <gtest/gtest.h>

#include <QTextBrowser>

#include "app/HelpWindow.h"
#include "tests/support/TempFolder.h"

namespace {

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
