#pragma once

#include <cstdint>

#include "layout/NoteView.h"

// The caret keys. Every move starts a new undo group, so typing before and after a move are two
// undo steps.
namespace NoteEditor {

enum class NavigationKey { Left, Right, Up, Down, Home, End, PageUp, PageDown };

// Moves the caret for a key with Ctrl and Shift as held; returns how far the window must scroll
// (page keys only, else 0). clientHeight is the window's client height.
int32_t Navigate(NoteLayoutEngine::CNoteView& view, NavigationKey key, bool ctrl, bool shift,
                 int32_t clientHeight);

// Alt+Up: to the start of the caret's note, or of the previous note when already there.
void MoveToNoteStart(NoteLayoutEngine::CNoteView& view, bool extend);
// Alt+Down: to the start of the next note, or to the end of the last note.
void MoveToNextNote(NoteLayoutEngine::CNoteView& view, bool extend);

// Select All as a command: a new undo group, then everything selected.
void SelectAll(NoteLayoutEngine::CNoteView& view);

}  // namespace NoteEditor
