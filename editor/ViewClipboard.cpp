#include "editor/ViewClipboard.h"

#include <vector>

#include "storage/ClipboardFormats.h"

namespace NoteEditor {

void GetSelectionText(NoteLayoutEngine::CNoteView& view, std::u16string_view renderingName,
                      std::u16string& out) {
    if (!view.HasSelection()) return;
    std::vector<NoteStorage::SelectionPart> parts;
    for (const NoteLayoutEngine::SelectionPart& part : view.SelectionParts())
        parts.push_back({part.start, part.end});
    NoteStorage::WriteSelectionText(renderingName, parts, out);
}

bool InsertText(NoteLayoutEngine::CNoteView& view, std::u16string_view text,
                std::u16string_view renderingName) {
    if (!view.HasNotes() || view.Active().IsNull()) return false;
    bool inserted = false;
    view.EditAtCaret([&](NoteEditEngine::CNotePosition& caret) {
        inserted = NoteStorage::InsertClipboardText(caret, text, renderingName);
    });
    return inserted;
}

}  // namespace NoteEditor
