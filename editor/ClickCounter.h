#pragma once

#include <cstdint>

// Counts left-button presses into single, double and triple clicks: presses within the
// double-click time of each other and less than 11 pixels apart in both directions. A fourth
// press starts over as a single click.
class CClickCounter {
public:
    enum class Click { Single, Double, Triple };

    Click Press(int64_t timeMs, int32_t x, int32_t y, int64_t doubleClickMs) noexcept;
    // Whether a drag may extend the selection: the last press was a single click.
    [[nodiscard]] bool DragExtends() const noexcept {
        return m_lastClick != 0 && m_lastMultiClick == 0;
    }

private:
    // Times as ticks + 1, so that 0 stays "none" even for a press at tick 0.
    int64_t m_lastClick = 0;
    int64_t m_lastMultiClick = 0;
    int32_t m_lastX = 0;
    int32_t m_lastY = 0;
};
