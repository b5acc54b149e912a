#pragma once

#include <cstdint>

namespace NoteEditEngine {

class CNotePosition;

// Told of every change to a document it watches, unless notifications are switched off.
class CNoteDocumentObserver {
public:
    // Before `count` elements go; `position` is the place just before the first of them.
    virtual void OnElementsRemoving(const CNotePosition& position, uint32_t count) = 0;
    // After elements were inserted, removed or restyled; position and count as each operation
    // documents.
    virtual void OnElementsChanged(const CNotePosition& position, uint32_t count) = 0;

protected:
    ~CNoteDocumentObserver() = default;
};

// Process-wide switch. While it is off, edits still change the text, record undo steps and set
// the modified time, but call no observer; whoever switches it off sends one summary
// OnElementsChanged and switches it back on (CNotificationsOff does the restoring).
extern bool NotificationsEnabled;

// Switches notifications off for a scope and restores the previous state afterwards.
class CNotificationsOff {
public:
    CNotificationsOff() noexcept : m_previous(NotificationsEnabled) {
        NotificationsEnabled = false;
    }
    ~CNotificationsOff() { NotificationsEnabled = m_previous; }
    CNotificationsOff(const CNotificationsOff&) = delete;
    CNotificationsOff& operator=(const CNotificationsOff&) = delete;

private:
    bool m_previous;
};

}  // namespace NoteEditEngine
