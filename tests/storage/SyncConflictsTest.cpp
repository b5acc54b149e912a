#include "storage/SyncConflicts.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace NoteTreeEngine
