#include "app/WindowState.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QWidget>
#include <algorithm>

#include "ui/Settings.h"

namespace WindowState {

namespace {

int ShowState(const QWidget& window) {
    if (!window.isVisible()) return kHidden;
    if (window.isMinimized()) return kMinimized;
    if (window.isMaximized()) return kMaximized;
    return kNormal;
}

QRect NormalRect(const QWidget& window) {
    const QRect normal = window.normalGeometry();
    return normal.isValid() ? normal : window.geometry();
}

QList<QRect> ScreenRects() {
    QList<QRect> rects;
    for (const QScreen* screen : QGuiApplication::screens())
        rects << screen->availableGeometry();
    return rects;
}

bool IsReachableOn(const QRect& rect, const QRect& screen) {
    const QRect shared = rect.intersected(screen);
    return shared.width() >= kReachableSize && shared.height() >= kReachableSize &&
           rect.top() >= screen.top() && rect.top() <= screen.bottom() - kReachableSize + 1;
}

}  // namespace

QRect Reachable(const QRect& rect, const QList<QRect>& screens) {
    if (screens.isEmpty()) return rect;
    for (const QRect& screen : screens)
        if (IsReachableOn(rect, screen)) return rect;
    // Onto the screen nearest to the window's top left corner.
    const auto distance = [&rect](const QRect& screen) {
        const int dx = std::max({screen.left() - rect.left(), rect.left() - screen.right(), 0});
        const int dy = std::max({screen.top() - rect.top(), rect.top() - screen.bottom(), 0});
        return qint64(dx) * dx + qint64(dy) * dy;
    };
    const QRect screen = *std::min_element(
        screens.begin(), screens.end(),
        [&distance](const QRect& a, const QRect& b) { return distance(a) < distance(b); });
    QRect moved = rect;
    const int size = kReachableSize;
    // The upper bounds win on a screen smaller than the reachable part.
    moved.moveLeft(std::min(std::max(rect.left(), screen.left() - rect.width() + size),
                            screen.right() - size + 1));
    moved.moveTop(std::min(std::max(rect.top(), screen.top()), screen.bottom() - size + 1));
    return moved;
}

void SaveWindow(const QWidget& window) {
    const int state = ShowState(window);
    const int flags = window.isMinimized() && window.windowState().testFlag(Qt::WindowMaximized)
                          ? kRestoreToMaximized
                          : 0;
    const QRect rect = NormalRect(window);
    Settings::Write(Settings::kWindowFlags, flags);
    Settings::Write(Settings::kWindowShowCmd, state);
    // Right and bottom lie just outside the rectangle.
    Settings::Write(Settings::kWindowLeft, rect.left());
    Settings::Write(Settings::kWindowTop, rect.top());
    Settings::Write(Settings::kWindowRight, rect.left() + rect.width());
    Settings::Write(Settings::kWindowBottom, rect.top() + rect.height());
}

void RestoreWindow(QWidget& window, bool trayAvailable) {
    const QRect current = NormalRect(window);
    const int x1 = Settings::Read(Settings::kWindowLeft, current.left());
    const int y1 = Settings::Read(Settings::kWindowTop, current.top());
    const int x2 = Settings::Read(Settings::kWindowRight, current.left() + current.width());
    const int y2 = Settings::Read(Settings::kWindowBottom, current.top() + current.height());
    const int state = Settings::Read(Settings::kWindowShowCmd);
    const int flags = Settings::Read(Settings::kWindowFlags);
    // A rectangle stored inside out or empty is no placement.
    if (x2 > x1 && y2 > y1)
        window.setGeometry(Reachable(QRect(x1, y1, x2 - x1, y2 - y1), ScreenRects()));
    switch (state) {
        case kHidden:
            if (trayAvailable)
                window.hide();
            else
                window.showNormal();
            break;
        case kMinimized:
            window.setWindowState(flags & kRestoreToMaximized
                                      ? Qt::WindowMinimized | Qt::WindowMaximized
                                      : Qt::WindowMinimized);
            window.show();
            break;
        case kMaximized:
            window.showMaximized();
            break;
        default:
            window.showNormal();
            break;
    }
}

void SaveSplitter(const QSplitter& splitter) {
    if (splitter.count() < 2) return;
    const QList<int> sizes = splitter.sizes();
    Settings::Write(Settings::kLeftWidth, sizes[0]);
    Settings::Write(Settings::kLeftMinWidth, splitter.widget(0)->minimumWidth());
    Settings::Write(Settings::kRightWidth, sizes[1]);
    Settings::Write(Settings::kRightMinWidth, splitter.widget(1)->minimumWidth());
}

void RestoreSplitter(QSplitter& splitter, int clientWidth) {
    if (splitter.count() < 2) return;
    // A negative width is no width.
    const int left = std::max(0, Settings::Read(Settings::kLeftWidth, clientWidth * 30 / 100));
    const int right = std::max(0, Settings::Read(Settings::kRightWidth, clientWidth * 70 / 100));
    splitter.widget(0)->setMinimumWidth(std::max(0, Settings::Read(Settings::kLeftMinWidth)));
    splitter.widget(1)->setMinimumWidth(std::max(0, Settings::Read(Settings::kRightMinWidth)));
    splitter.setSizes({left, right});
}

void SaveBars(const QWidget& standard, const QWidget& style, const QWidget& status) {
    // Asked of the bar itself, not of its window: a window hidden in the tray keeps its bars.
    Settings::Write(Settings::kStandardBarVisible, standard.isHidden() ? 0 : 1);
    Settings::Write(Settings::kStyleBarVisible, style.isHidden() ? 0 : 1);
    Settings::Write(Settings::kStatusBarVisible, status.isHidden() ? 0 : 1);
}

void RestoreBars(QWidget& standard, QWidget& style, QWidget& status) {
    standard.setVisible(Settings::Read(Settings::kStandardBarVisible));
    style.setVisible(Settings::Read(Settings::kStyleBarVisible));
    status.setVisible(Settings::Read(Settings::kStatusBarVisible));
}

void SaveDock(const QWidget& dock, const Settings::IntKey& shown) {
    Settings::Write(shown, dock.isHidden() ? 0 : 1);
}

void RestoreDock(QWidget& dock, const Settings::IntKey& shown) {
    dock.setVisible(Settings::Read(shown));
}

}  // namespace WindowState
