#include "storage/SyncConflicts.h"

#include <array>
#include <regex>

#include "storage/TreeItemRecord.h"

namespace NoteTreeEngine {

namespace {

constexpr std::u16string_view kConflictWords = u" (conflicting copy";

// How sync tools name the other side of a note both machines changed. The first group is the
// note's identifier, or "index" for the tree; no pattern lets a separator or a parenthesis into a
// free part of the name.
const std::array<std::regex, 3>& SyncConflictPatterns() {
    static const std::array<std::regex, 3> patterns = {
        std::regex(R"(([0-9]+|index)\.sync-conflict-[0-9]{8}-[0-9]{6}-[A-Z0-9]+\.xml)"),
        std::regex(
            R"(([0-9]+|index) \(conflicted copy [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{6}\)\.xml)"),
        std::regex(R"(([0-9]+|index) \([^/\\()]+'s conflicted copy )"
                   R"([0-9]{4}-[0-9]{2}-[0-9]{2}( \([0-9]+\))?\)\.xml)"),
    };
    return patterns;
}

bool IsDigit(char16_t c) noexcept {
    return c >= u'0' && c <= u'9';
}

// What a sync tool's conflict file belongs to: a note's identifier or "index"; none for any other
// name.
std::optional<std::u16string> SyncConflictStem(std::string_view fileName) {
    // Longer than any file name a folder can hold: nothing to match.
    if (fileName.size() > 1024) return std::nullopt;
    std::cmatch match;
    for (const std::regex& pattern : SyncConflictPatterns()) {
        if (std::regex_match(fileName.data(), fileName.data() + fileName.size(), match, pattern))
            return std::u16string(match[1].first, match[1].second);
    }
    return std::nullopt;
}

}  // namespace

std::u16string ConflictLabel(std::time_t when) {
    char date[16] = "";
    // The user's own calendar day: the one they remember making the change on.
    if (const std::tm* local = std::localtime(&when))
        std::strftime(date, sizeof date, "%Y-%m-%d", local);
    std::u16string label(kConflictWords);
    label += u", ";
    for (const char* c = date; *c != '\0'; ++c)
        label += static_cast<char16_t>(*c);
    return label + u")";
}

bool IsConflictCopyName(std::u16string_view name) noexcept {
    if (!name.ends_with(u')')) return false;
    name.remove_suffix(1);
    if (name.ends_with(kConflictWords)) return true;
    // ", YYYY-MM-DD"
    constexpr std::u16string_view kShape = u", 0000-00-00";
    if (name.size() < kShape.size()) return false;
    const std::u16string_view date = name.substr(name.size() - kShape.size());
    for (size_t i = 0; i < kShape.size(); ++i) {
        if (kShape[i] == u'0' ? !IsDigit(date[i]) : date[i] != kShape[i]) return false;
    }
    return name.substr(0, name.size() - kShape.size()).ends_with(kConflictWords);
}

std::optional<std::u16string> SyncConflictNoteId(std::string_view fileName) {
    std::optional<std::u16string> stem = SyncConflictStem(fileName);
    if (stem && IsValidNoteId(*stem)) return stem;
    return std::nullopt;
}

bool IsIndexSyncConflict(std::string_view fileName) {
    return SyncConflictStem(fileName) == u"index";
}

}  // namespace NoteTreeEngine
