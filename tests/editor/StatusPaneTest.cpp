// The status pane repaints only where a new text differs: what the window shows after every
// change must be what the pane paints afresh.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>

#include "ui/StatusPane.h"

namespace {

QImage Shown(QWidget& pane) {
    QApplication::processEvents();
    return pane.screen()->grabWindow(pane.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(StatusPaneTest, APartialRepaintShowsWhatAFullOneDoes) {
    CStatusPane pane(QStringLiteral("Ready"));
    CStatusPane fresh(QString{});
    for (CStatusPane* shown : {&pane, &fresh}) {
        shown->setAutoFillBackground(true);
        shown->resize(700, 30);
        shown->show();
    }
    // A new text, a longer number, one digit, the time at the end, a letter for a digit.
    const char* const texts[] = {
        "Size: 999 characters - Modified: 09:59:59",  "Size: 1000 characters - Modified: 09:59:59",
        "Size: 1001 characters - Modified: 09:59:59", "Size: 1001 characters - Modified: 10:00:00",
        "Size: 100l characters - Modified: 10:00:00", "Ready"};
    for (const char* text : texts) {
        pane.SetText(QString::fromUtf8(text));
        fresh.SetText(QString::fromUtf8(text));
        fresh.repaint();
        ASSERT_EQ(Shown(pane), Shown(fresh)) << text;
    }
}

}  // namespace
