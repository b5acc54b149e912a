// Widgets that repaint only part of themselves: what the window shows after every change must be
// what a whole repaint paints.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTest>

#include "editor/NoteScrollBar.h"
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

// The editor's scroll bar beside a plain one: page steps, a jump, both ends, a new range and a
// new page step.
TEST(NoteScrollBarTest, MovesShowWhatAWholeRepaintShows) {
    CNoteScrollBar bar;
    QScrollBar fresh(Qt::Vertical);
    const struct {
        int value, maximum, page;
    } steps[] = {{0, 10000, 700},     {700, 10000, 700},  {6000, 10000, 700},
                 {10000, 10000, 700}, {9300, 10000, 700}, {1, 10000, 700},
                 {0, 10000, 700},     {2500, 4000, 700},  {2000, 4000, 3000}};
    for (const auto& step : steps) {
        for (QScrollBar* shown : {static_cast<QScrollBar*>(&bar), &fresh}) {
            shown->setRange(0, step.maximum);
            shown->setPageStep(step.page);
            shown->setValue(step.value);
            if (shown->isVisible()) continue;
            shown->resize(16, 600);
            shown->show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(shown));
            Shown(*shown);  // settles which window is active, which repaints both whole
        }
        fresh.repaint();
        ASSERT_EQ(Shown(bar), Shown(fresh)) << step.value;
    }
}

}  // namespace
