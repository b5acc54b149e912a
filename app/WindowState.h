#pragma once

#include <QList>
#include <QRect>

#include "ui/Settings.h"

class QSplitter;
class QWidget;

// The main window's placement, splitter widths and bar visibility in the user's settings.
namespace WindowState {

// Show states as stored (Settings::kWindowShowCmd).
inline constexpr int kHidden = 0;
inline constexpr int kNormal = 1;
inline constexpr int kMinimized = 2;
inline constexpr int kMaximized = 3;
// Placement flag: a minimised window comes back maximised.
inline constexpr int kRestoreToMaximized = 2;
// How much of a window must stay on a screen to be reached: a standard icon.
inline constexpr int kReachableSize = 32;

// Writes the flags, the show state and the normal rectangle. A window that is not visible (hidden
// in the tray) is stored with the show state 0.
void SaveWindow(const QWidget& window);
// Applies the stored placement (the window's own where nothing is stored) and shows the window
// in the stored state. Stored hidden, it stays hidden, unless there is no tray to come back from;
// then it is shown normally.
void RestoreWindow(QWidget& window, bool trayAvailable);

// `rect` moved (its size kept) so that at least kReachableSize of it, its top edge included,
// lies on one of `screens`; unchanged when it already does.
[[nodiscard]] QRect Reachable(const QRect& rect, const QList<QRect>& screens);

// The widths and minimum widths of a splitter with two panes.
void SaveSplitter(const QSplitter& splitter);
// Stored widths, by default 30 % and 70 % of `clientWidth`.
void RestoreSplitter(QSplitter& splitter, int clientWidth);

// Whether each bar is shown in its window, also while the window itself is hidden.
void SaveBars(const QWidget& standard, const QWidget& style, const QWidget& status);
// Shows or hides each bar as stored.
void RestoreBars(QWidget& standard, QWidget& style, QWidget& status);

// Whether a docked pane is shown, under its key.
void SaveDock(const QWidget& dock, const Settings::IntKey& shown);
void RestoreDock(QWidget& dock, const Settings::IntKey& shown);

}  // namespace WindowState
