#include "app/WindowState.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QWidget>
#include <algorithm>

#include "ui/ProfileSettings.h"

namespace WindowState {

namespace {

const QString kWindowSection = QStringLiteral("WindowState");
const QString kSplitterSection = QStringLiteral("SplitterState");
const QString kBarSection = QStringLiteral("ToolbarState");

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
    ProfileSettings::WriteInt(kWindowSection, QStringLiteral("Flags"), flags);
    ProfileSettings::WriteInt(kWindowSection, QStringLiteral("ShowCmd"), state);
    // Right and bottom lie just outside the rectangle.
    ProfileSettings::WriteInt(kWindowSection, QStringLiteral("X1"), rect.left());
    ProfileSettings::WriteInt(kWindowSection, QStringLiteral("Y1"), rect.top());
    ProfileSettings::WriteInt(kWindowSection, QStringLiteral("X2"), rect.left() + rect.width());
    ProfileSettings::WriteInt(kWindowSection, QStringLiteral("Y2"), rect.top() + rect.height());
}

void RestoreWindow(QWidget& window, bool trayAvailable) {
    const QRect current = NormalRect(window);
    const int x1 = ProfileSettings::ReadInt(kWindowSection, QStringLiteral("x1"), current.left());
    const int y1 = ProfileSettings::ReadInt(kWindowSection, QStringLiteral("y1"), current.top());
    const int x2 = ProfileSettings::ReadInt(kWindowSection, QStringLiteral("x2"),
                                            current.left() + current.width());
    const int y2 = ProfileSettings::ReadInt(kWindowSection, QStringLiteral("y2"),
                                            current.top() + current.height());
    const int state = ProfileSettings::ReadInt(kWindowSection, QStringLiteral("showCmd"), kNormal);
    const int flags = ProfileSettings::ReadInt(kWindowSection, QStringLiteral("flags"), 0);
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
    ProfileSettings::WriteInt(kSplitterSection, QStringLiteral("LeftWidth"), sizes[0]);
    ProfileSettings::WriteInt(kSplitterSection, QStringLiteral("LeftMinWidth"),
                              splitter.widget(0)->minimumWidth());
    ProfileSettings::WriteInt(kSplitterSection, QStringLiteral("RightWidth"), sizes[1]);
    ProfileSettings::WriteInt(kSplitterSection, QStringLiteral("RightMinWidth"),
                              splitter.widget(1)->minimumWidth());
}

void RestoreSplitter(QSplitter& splitter, int clientWidth) {
    if (splitter.count() < 2) return;
    const auto read = [](const char* name, int fallback) {
        // A negative width is no width.
        return std::max(0,
                        ProfileSettings::ReadInt(kSplitterSection, QLatin1String(name), fallback));
    };
    const int left = read("LeftWidth", clientWidth * 30 / 100);
    const int right = read("RightWidth", clientWidth * 70 / 100);
    splitter.widget(0)->setMinimumWidth(read("LeftMinWidth", 50));
    splitter.widget(1)->setMinimumWidth(read("RightMinWidth", 50));
    splitter.setSizes({left, right});
}

void SaveBars(const QWidget& standard, const QWidget& style, const QWidget& status) {
    // Asked of the bar itself, not of its window: a window hidden in the tray keeps its bars.
    ProfileSettings::WriteInt(kBarSection, QStringLiteral("StandardVisible"),
                              standard.isHidden() ? 0 : 1);
    ProfileSettings::WriteInt(kBarSection, QStringLiteral("StyleVisible"),
                              style.isHidden() ? 0 : 1);
    ProfileSettings::WriteInt(kBarSection, QStringLiteral("StatusVisible"),
                              status.isHidden() ? 0 : 1);
}

void RestoreBars(QWidget& standard, QWidget& style, QWidget& status) {
    standard.setVisible(
        ProfileSettings::ReadInt(kBarSection, QStringLiteral("StandardVisible"), 1));
    style.setVisible(ProfileSettings::ReadInt(kBarSection, QStringLiteral("StyleVisible"), 1));
    status.setVisible(ProfileSettings::ReadInt(kBarSection, QStringLiteral("StatusVisible"), 1));
}

void SaveDock(const QWidget& dock) {
    ProfileSettings::WriteInt(kBarSection, dock.objectName() + QStringLiteral("Visible"),
                              dock.isHidden() ? 0 : 1);
}

void RestoreDock(QWidget& dock) {
    dock.setVisible(
        ProfileSettings::ReadInt(kBarSection, dock.objectName() + QStringLiteral("Visible"), 0));
}

}  // namespace WindowState
