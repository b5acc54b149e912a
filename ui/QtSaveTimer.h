#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>
#include <utility>

#include "session/SaveTimer.h"

// The session's save timer on a single-shot QTimer; `fired` runs when it times out. Tests look
// at Timer() and run the handler themselves.
class CQtSaveTimer final : public NoteTreeEngine::CSaveTimer {
public:
    explicit CQtSaveTimer(std::function<void()> fired) : m_fired(std::move(fired)) {
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { m_fired(); });
    }
    CQtSaveTimer(const CQtSaveTimer&) = delete;
    CQtSaveTimer& operator=(const CQtSaveTimer&) = delete;

    void Start(int32_t milliseconds) override { m_timer.start(milliseconds); }
    void Stop() override { m_timer.stop(); }
    [[nodiscard]] QTimer& Timer() noexcept { return m_timer; }

private:
    std::function<void()> m_fired;
    QTimer m_timer;
};
