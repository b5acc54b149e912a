// The editor's scroll bar repaints only around its handle: after every move, what the window
// shows must be what a whole repaint of a plain scroll bar shows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTest>

#include "editor/NoteScrollBar.h"

namespace {

QImage Shown(QWidget& bar) {
    QApplication::processEvents();
    return bar.screen()->grabWindow(bar.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(NoteScrollBarTest, MovesShowWhatAWholeRepaintShows) {
    CNoteScrollBar bar;
    QScrollBar fresh(Qt::Vertical);
    for (QScrollBar* shown : {static_cast<QScrollBar*>(&bar), &fresh}) {
        shown->setRange(0, 10000);
        shown->setPageStep(700);
        shown->resize(16, 600);
        shown->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(shown));
    }
    // Showing a second window changes which one is active: both repaint whole for that first.
    Shown(bar);
    // Page steps inside the range, a jump, both ends and back, a new range and a new page step.
    for (const int value : {0, 700, 1400, 6000, 9999, 10000, 9300, 1, 0, 2500, -1, -2, 3000}) {
        if (value == -1) {
            bar.setRange(0, 4000);
            fresh.setRange(0, 4000);
        } else if (value == -2) {
            bar.setPageStep(3000);
            fresh.setPageStep(3000);
        } else {
            bar.setValue(value);
            fresh.setValue(value);
        }
        fresh.repaint();
        ASSERT_EQ(Shown(bar), Shown(fresh)) << value;
    }
}

}  // namespace
