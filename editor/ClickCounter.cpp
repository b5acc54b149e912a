#include "editor/ClickCounter.h"

#include <cstdlib>

CClickCounter::Click CClickCounter::Press(int64_t timeMs, int32_t x, int32_t y,
                                          int64_t doubleClickMs) noexcept {
    const int64_t now = timeMs + 1;
    const bool near = std::abs(x - m_lastX) < 11 && std::abs(y - m_lastY) < 11;
    m_lastX = x;
    m_lastY = y;
    if (m_lastMultiClick != 0 && now - m_lastMultiClick <= doubleClickMs && near) {
        m_lastClick = 0;
        m_lastMultiClick = 0;
        return Click::Triple;
    }
    if (m_lastClick != 0 && now - m_lastClick <= doubleClickMs && near) {
        m_lastMultiClick = now;
        return Click::Double;
    }
    m_lastClick = now;
    m_lastMultiClick = 0;
    return Click::Single;
}
