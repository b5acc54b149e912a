#include "storage/SyncConflicts.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "base/Utf8.h"

namespace NoteTreeEngine {
namespace {

TEST(SyncConflictsTest, ConflictFilesOfTheSyncToolsNameTheirNote) {
    const std::pair<const char*, const char*> cases[] = {
        {"1700000000123456.sync-conflict-20240229-134501-ABC2DEF.xml", "1700000000123456"},
        {"17 (conflicted copy 2024-02-29 134501).xml", "17"},
        {"17 (Ann's conflicted copy 2024-02-29).xml", "17"},
        {"17 (Ann Lee's conflicted copy 2024-02-29 (2)).xml", "17"},
        // Near misses.
        {"17.xml", ""},
        {"17.sync-conflict-20240229-134501-ABC2DEF.txt", ""},
        {"17.sync-conflict-2024022-134501-ABC2DEF.xml", ""},
        {"1a.sync-conflict-20240229-134501-ABC2DEF.xml", ""},
        // The tree's.
        {"index.sync-conflict-20240229-134501-ABC2DEF.xml", "index"},
        {"index (Ann's conflicted copy 2024-02-29).xml", "index"},
        {"index.xml", ""},
        {"xindex.sync-conflict-20240229-134501-ABC2DEF.xml", ""},
        {"../17.sync-conflict-20240229-134501-ABC2DEF.xml", ""},
        {"17 (conflicted copy 2024-02-29 134501).XML", ""},
        {"17(conflicted copy 2024-02-29 134501).xml", ""},
        {"17 (A/../b's conflicted copy 2024-02-29).xml", ""},
        {"17 (A\\b's conflicted copy 2024-02-29).xml", ""},
        {"17 (Ann's conflicted copy 24-02-29).xml", ""},
    };
    for (const auto& [name, id] : cases) {
        const bool tree = std::string_view(id) == "index";
        EXPECT_EQ(SyncConflictNoteId(name).value_or(u""), NoteBase::Utf8ToUtf16(tree ? "" : id))
            << name;
        EXPECT_EQ(IsIndexSyncConflict(name), tree) << name;
    }
    // An identifier too long to name a note file.
    EXPECT_FALSE(
        SyncConflictNoteId(std::string(80, '7') + " (conflicted copy 2024-02-29 134501).xml"));
}

TEST(SyncConflictsTest, TheLabelCarriesTheLocalDateAndIsRecognised) {
    std::tm day{};  // 2024-02-29 23:00 local time
    day.tm_year = 124, day.tm_mon = 1, day.tm_mday = 29, day.tm_hour = 23, day.tm_isdst = -1;
    const std::u16string label = ConflictLabel(std::mktime(&day));
    EXPECT_EQ(label, u" (conflicting copy, 2024-02-29)");
    const std::pair<std::u16string, bool> names[] = {
        {u"Plans" + label, true},
        {u"Plans (conflicting copy)", true},
        {u"Plans (conflicting copy, 2024-2-29)", false},
        {u"Plans (conflicting copy 2024-02-29)", false},
        {u"Plans", false},
    };
    for (const auto& [name, conflict] : names)
        EXPECT_EQ(IsConflictCopyName(name), conflict) << NoteBase::Utf16ToUtf8(name);
}

}  // namespace
}  // namespace NoteTreeEngine
