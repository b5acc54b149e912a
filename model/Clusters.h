#pragma once

#include "model/NotePosition.h"

// Caret places and grapheme clusters: a letter with its combining marks, a flag or a joined emoji
// is one character to the reader, so the caret never stands inside one and Backspace and Delete
// take it whole.
namespace NoteEditEngine {

// Between two code units of one cluster (which includes between the halves of a surrogate pair).
// Decided from the paragraph's text before the place, looking back no further than the nearest
// point that is a boundary whatever precedes it.
[[nodiscard]] bool IsInsideCluster(const CNotePosition& place) noexcept;

// The nearest boundary at or before `place`, and at or after it: `place` itself when it is one.
[[nodiscard]] CNotePosition ClusterStart(CNotePosition place) noexcept;
[[nodiscard]] CNotePosition ClusterEnd(CNotePosition place) noexcept;

}  // namespace NoteEditEngine
