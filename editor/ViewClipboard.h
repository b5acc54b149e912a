#pragma once

#include <string>
#include <string_view>

#include "layout/NoteView.h"

namespace NoteEditor {

// The note view's side of the clipboard: the renderings of its selection and the insertion at
// its caret. Rendering names are "UNICODE", "HTML" and "XML" (see ClipboardFormats.h).

// Appends the named rendering of the view's selection across the notes it touches; nothing
// without a selection or for an unknown name.
void GetSelectionText(NoteLayoutEngine::CNoteView& view, std::u16string_view renderingName,
                      std::u16string& out);

// Inserts text at the view's caret ("UNICODE" or "XML") and puts the caret behind it with an
// empty selection. False, with nothing inserted, when no note is shown or the name is unknown.
// The caller names the action and deletes any selection first.
bool InsertText(NoteLayoutEngine::CNoteView& view, std::u16string_view text,
                std::u16string_view renderingName);

}  // namespace NoteEditor
