#pragma once

#include <cstdint>

#include "layout/NoteView.h"

// The paragraph and character style commands. Each runs as its own undo step ("style_change",
// then a new group) and keeps the selection.
namespace NoteEditor {

// The paragraph style the commands decide on and the menus check: the caret's paragraph, except
// that a forward selection ending right at a paragraph start speaks for the paragraph before it.
[[nodiscard]] uint32_t CurrentParagraphStyle(const NoteLayoutEngine::CNoteView& view);

// Normal when the current style is already `style`, else `style`, on every touched paragraph; so
// Normal itself is always set.
void ToggleParagraphStyle(NoteLayoutEngine::CNoteView& view, uint32_t style);
// Puts the caret at the start of the checklist paragraph whose mark is given and turns it from
// unchecked to checked or back; nothing for another paragraph.
void ToggleCheckBox(NoteLayoutEngine::CNoteView& view, const NoteEditEngine::CNotePosition& mark);
void CycleHeader(NoteLayoutEngine::CNoteView& view, bool forward);
void CycleList(NoteLayoutEngine::CNoteView& view, bool forward);
// Indent +1 (-1) on every touched paragraph, within 0..14.
void Indent(NoteLayoutEngine::CNoteView& view);
void Outdent(NoteLayoutEngine::CNoteView& view);

// The cycles' next style for a current style: the header styles, or the list styles that have a
// command, in the order of the Styles menu and round; a style outside the cycle goes to its first
// style (forward) or its last.
[[nodiscard]] uint32_t NextHeaderStyle(uint32_t current, bool forward);
[[nodiscard]] uint32_t NextListStyle(uint32_t current, bool forward);

// Toggles a character style bit (CharacterStyle::kStrong...) on the selection and in the caret's
// typing style.
void ToggleCharacterStyle(NoteLayoutEngine::CNoteView& view, int bit);
// With a selection as ToggleCharacterStyle; without one, toggles the bit over the caret's whole
// paragraph and leaves the caret where it was.
void ToggleCharacterStyleOnParagraph(NoteLayoutEngine::CNoteView& view, int bit);

}  // namespace NoteEditor
