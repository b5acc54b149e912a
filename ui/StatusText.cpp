#include "ui/StatusText.h"

#include <QCoreApplication>
#include <QString>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <ctime>

namespace NoteEditor {

std::string FormatNoteTime(int32_t seconds) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t time = seconds;
    // localtime_r reads the time zone once; localtime looks at its file again on every call,
    // which is every keystroke here.
    std::tm buffer{};
    const std::tm* local = localtime_r(&time, &buffer);
    if (local == nullptr) return "???";
    char text[64];
    std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %d", kDays[local->tm_wday % 7],
                  kMonths[local->tm_mon % 12], local->tm_mday, local->tm_hour, local->tm_min,
                  local->tm_sec, local->tm_year + 1900);
    return text;
}

std::string NoteStatusText(const NoteEditEngine::CNoteDocument& note) {
    const size_t size = note.size() > 0 ? note.size() - 1 : 0;
    return NoteInfoText(size, note.Created(), note.Modified());
}

std::string NoteInfoText(int64_t size, int32_t created, int32_t modified) {
    // The size picks the plural form where a language has several.
    const int count = int(std::clamp<int64_t>(size, 0, INT_MAX));
    return QCoreApplication::translate("Status", "Size: %1 characters - Created: %2 - Modified: %3",
                                       nullptr, count)
        .arg(QString::number(qlonglong(size)), QString::fromStdString(FormatNoteTime(created)),
             QString::fromStdString(FormatNoteTime(modified)))
        .toStdString();
}

}  // namespace NoteEditor
