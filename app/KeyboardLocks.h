#pragma once

#include <QtGlobal>
#include <optional>

// The state of the Caps Lock and Num Lock keys, for the status bar.
namespace KeyboardLocks {

struct CState {
    bool capsLock = false;
    bool numLock = false;
    bool operator==(const CState&) const = default;
};

// From a key event's native modifiers: the keyboard state mask of X11, and of xkb under Wayland
// (Lock is bit 1, Num Lock is Mod2, bit 4). Platforms without one give 0: both off.
[[nodiscard]] CState FromNativeModifiers(quint32 modifiers) noexcept;

// Asks the window system for the locked keys; nothing where it cannot be asked.
[[nodiscard]] std::optional<CState> Query();

}  // namespace KeyboardLocks
