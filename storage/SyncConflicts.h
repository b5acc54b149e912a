#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace NoteTreeEngine {

// The words that end the name of a second version of a note kept as a note of its own: ours,
// when a note changed here and on disk, and a sync tool's, adopted from the notes folder. The
// local date the copy was made, " (conflicting copy, 2024-02-29)", tells copies apart.
[[nodiscard]] std::u16string ConflictLabel(std::time_t when);

// True when the name ends in a conflict label, dated or (as older copies were named) not.
[[nodiscard]] bool IsConflictCopyName(std::u16string_view name) noexcept;

// The identifier of the note a sync tool's conflict file of the notes folder belongs to, taken
// from the file's name (no path): "<id>.sync-conflict-<date>-<time>-<device>.xml",
// "<id> (conflicted copy <date> <time>).xml" or "<id> (<name>'s conflicted copy <date>).xml".
// None for any other name, and for an identifier that is not a valid one.
[[nodiscard]] std::optional<std::u16string> SyncConflictNoteId(std::string_view fileName);

// True for a sync tool's conflict file of the tree: a name as above with "index" in place of the
// identifier ("index.sync-conflict-<date>-<time>-<device>.xml" and the others).
[[nodiscard]] bool IsIndexSyncConflict(std::string_view fileName);

}  // namespace NoteTreeEngine
