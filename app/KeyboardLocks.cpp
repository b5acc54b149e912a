#include "app/KeyboardLocks.h"

#include <QGuiApplication>

#ifdef JOTWELL_HAVE_X11
// After Qt: the X11 headers define names that Qt's headers use.
#include <X11/XKBlib.h>
#endif

namespace KeyboardLocks {

namespace {
constexpr quint32 kLockMask = 0x02;
constexpr quint32 kMod2Mask = 0x10;
}  // namespace

CState FromNativeModifiers(quint32 modifiers) noexcept {
    return {(modifiers & kLockMask) != 0, (modifiers & kMod2Mask) != 0};
}

std::optional<CState> Query() {
#ifdef JOTWELL_HAVE_X11
    const auto* x11 = qGuiApp == nullptr
                          ? nullptr
                          : qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x11 == nullptr ? nullptr : x11->display();
    XkbStateRec state{};
    if (display != nullptr && XkbGetState(display, XkbUseCoreKbd, &state) == 0)
        return FromNativeModifiers(state.locked_mods);
#endif
    return std::nullopt;
}

}  // namespace KeyboardLocks
