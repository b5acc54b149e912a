#include "tree/NoteItemText.h"

#include <cstdio>
#include <ctime>

namespace NoteItemText {

int IconIndexForSize(int32_t size) noexcept {
    if (size <= 0) return 0;
    if (size <= 350) return 1;
    if (size <= 1225) return 2;
    if (size <= 4287) return 3;
    return 4;
}

std::string CTimeText(int32_t time) {
    const std::time_t value = time;
    // One UI thread reads it; the standard's portable call is enough.
    const std::tm* local = std::localtime(&value);
    if (local == nullptr) return "?";
    // Day and month names in English whatever the locale: the form is fixed.
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %d", kDays[local->tm_wday % 7],
                  kMonths[local->tm_mon % 12], local->tm_mday, local->tm_hour, local->tm_min,
                  local->tm_sec, local->tm_year + 1900);
    return text;
}

std::string InfoText(const NoteTreeEngine::CTreeItemRecord& record) {
    return "Size: " + std::to_string(record.size) +
           " characters - Created: " + CTimeText(record.created) +
           " - Modified: " + CTimeText(record.modified);
}

}  // namespace NoteItemText
