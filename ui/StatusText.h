#pragma once

#include <cstdint>
#include <string>

#include "model/NoteDocument.h"

namespace NoteEditor {

// A time as the status bar shows it, for the editor and the tree alike: local time in the fixed
// 24-character layout "Wed Jan 02 02:03:55 1980" (day of month zero-padded to two places);
// "???" when the time cannot be converted.
[[nodiscard]] std::string FormatNoteTime(int32_t seconds);

// "Size: N characters - Created: ... - Modified: ...", in the user's language where the catalogue
// has it, for the editor and the tree alike.
[[nodiscard]] std::string NoteInfoText(int64_t size, int32_t created, int32_t modified);

// The information line for a note; the size does not count the
// note's leading paragraph mark.
[[nodiscard]] std::string NoteStatusText(const NoteEditEngine::CNoteDocument& note);

}  // namespace NoteEditor
