#include "storage/ViewClipboard.h"

#include "storage/ClipboardFormats.h"

namespace NoteStorage {

void GetSelectionText(NoteLayoutEngine::CNoteView& view, std::u16string_view renderingName,
                      std::u16string& out) {
    if (!view.HasSelection()) return;
    const std::vector<NoteLayoutEngine::SelectionPart> parts = view.SelectionParts();
    WriteSelectionText(renderingName, parts, out);
}

bool InsertText(NoteLayoutEngine::CNoteView& view, std::u16string_view text,
                std::u16string_view renderingName) {
    if (!view.HasNotes() || view.Active().IsNull()) return false;
    bool inserted = false;
    view.EditAtCaret([&](NoteEditEngine::CNotePosition& caret) {
        inserted = InsertClipboardText(caret, text, renderingName);
    });
    return inserted;
}

}  // namespace NoteStorage
