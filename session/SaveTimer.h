#pragma once

#include <cstdint>

namespace NoteTreeEngine {

// The session's save timer. When it fires, its owner calls the session's OnSaveTimer.
class CSaveTimer {
public:
    virtual ~CSaveTimer() = default;

    // (Re)starts it to fire once after `milliseconds`.
    virtual void Start(int32_t milliseconds) = 0;
    virtual void Stop() = 0;
};

}  // namespace NoteTreeEngine
