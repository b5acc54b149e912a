#pragma once

#include "layout/NoteView.h"

// Typed characters and the editing keys, each bracketed by its action name so that undo merges
// consecutive typing and splits at every other command.
namespace NoteEditor {

// Deletes the selection; the caret, at the selection's start, keeps the typing style it had.
// The caller names the action. Nothing without a selection.
void DeleteSelection(NoteLayoutEngine::CNoteView& view);

// "enter_text": replaces the selection, if any, by the code unit.
void TypeCharacter(NoteLayoutEngine::CNoteView& view, char16_t codeUnit);
// With a selection: "delete_selection" and a new undo group; without: "enter_text" and the
// document's Backspace rule.
void Backspace(NoteLayoutEngine::CNoteView& view);
// "paragraph_break": deletes the selection, then the document's Enter rule.
void Enter(NoteLayoutEngine::CNoteView& view);
// With a selection: "delete_selection" and a new group; without: "delete_key" and the Delete
// rule, merging with the Delete presses before it.
void DeleteKey(NoteLayoutEngine::CNoteView& view);
// A new undo group; the selection collapses onto the caret.
void Escape(NoteLayoutEngine::CNoteView& view);

}  // namespace NoteEditor
