#pragma once

#include <cstdint>
#include <string>

#include "model/NoteDocument.h"

namespace NoteEditor {

// A time as the status bar shows it: local time in the fixed 24-character layout
// "Www Mmm dd hh:mm:ss yyyy" (day of month space-padded to two places).
[[nodiscard]] std::string FormatNoteTime(int32_t seconds);

// "Size: N characters - Created: ... - Modified: ..." for a note; the size does not count the
// note's leading paragraph mark.
[[nodiscard]] std::string NoteStatusText(const NoteEditEngine::CNoteDocument& note);

}  // namespace NoteEditor
