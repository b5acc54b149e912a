// The rubber band of the multi-selection tree over 1,000 visible items (100 parents of nine
// children, all expanded), one mouse move per iteration: the band's selection update and the
// repaint it causes. The first argument is the viewport's height in rows (40: a window of the
// usual size, the walk covers every item but the band only what is shown; 1000: the band covers
// all of them); the second is 1 for a band with Ctrl (the snapshot mode). Each move takes the
// band's corner one row down or back up, so one item changes per move.
// Run with QT_QPA_PLATFORM=offscreen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCursor>
#include <QTest>

#include "tree/MultiTreeView.h"

namespace {

void BM_BandMove(benchmark::State& state) {
    CMultiTreeView view;
    for (int parent = 0; parent < 100; ++parent) {
        auto* item = new QTreeWidgetItem(&view, {QStringLiteral("Parent note %1").arg(parent)});
        for (int child = 0; child < 9; ++child)
            new QTreeWidgetItem(item, {QStringLiteral("Child note %1.%2").arg(parent).arg(child)});
    }
    view.expandAll();
    view.resize(400, 200);
    view.show();
    QApplication::processEvents();
    const int row = view.visualItemRect(view.topLevelItem(0)).height();
    const int rows = static_cast<int>(state.range(0));
    view.resize(400, rows * row + 2 * view.frameWidth());
    QApplication::processEvents();
    state.counters["height"] = view.viewport()->height();
    const Qt::KeyboardModifiers modifiers =
        state.range(1) ? Qt::ControlModifier : Qt::KeyboardModifiers();
    if (state.range(1)) view.Select(view.topLevelItem(1), SelectCause::Program);

    QWidget* port = view.viewport();
    const QPoint origin(port->width() - 5, row / 2);
    QTest::mousePress(port, Qt::LeftButton, modifiers, origin);
    const QPoint far(40, port->height() - row * 3 / 2);
    QCursor::setPos(port->mapToGlobal(far));
    QTest::mouseMove(port, far);
    QApplication::processEvents();
    bool down = false;
    for (auto _ : state) {
        down = !down;
        // The window system's own moves (after a repaint, say) carry the real cursor position.
        const QPoint to = far + QPoint(0, down ? row : 0);
        QCursor::setPos(port->mapToGlobal(to));
        QTest::mouseMove(port, to);
        QApplication::processEvents();
    }
    state.counters["selected"] = static_cast<double>(view.SelectedList().size());
    QTest::mouseRelease(port, Qt::LeftButton, modifiers, far);
}

BENCHMARK(BM_BandMove)
    ->Args({40, 0})
    ->Args({40, 1})
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
