#pragma once

#include <optional>
#include <string>

#include "layout/NoteView.h"

// Cut, Copy and Paste without the platform: what goes on the clipboard is built here, and what
// comes from it is handed in, so the widget only moves bytes to and from the system clipboard.
namespace NoteEditor {

// The renderings of a selection, as they go on the clipboard.
struct ClipboardContent {
    std::u16string plainText;
    std::u16string html;       // empty for text only
    std::string privateBytes;  // PrivateClipBytes of the styled rendering; empty for text only
};

// What the clipboard offers to a paste.
struct ClipboardOffer {
    std::optional<std::string> privateBytes;
    std::optional<std::u16string> plainText;
};

// The renderings of the view's selection; nothing without a selection.
[[nodiscard]] std::optional<ClipboardContent> CopySelection(NoteLayoutEngine::CNoteView& view,
                                                            bool textOnly);
// Cut: a new undo group, then, with a selection, "cut": the renderings (returned, for the caller
// to put on the clipboard) and the selection deleted.
std::optional<ClipboardContent> CutSelection(NoteLayoutEngine::CNoteView& view);
// "paste": deletes the selection, inserts the styled content when offered, else the plain text;
// the caret ends behind the insertion in the style of the element before it; a new undo group.
// False when the content is too large for memory: the notes, their undo steps and the selection
// are then as they were before (redo steps are dropped, as by any edit).
bool Paste(NoteLayoutEngine::CNoteView& view, const ClipboardOffer& offer);

}  // namespace NoteEditor
