#include "ClipboardCommands.h"

#include "ClipboardFormats.h"
#include "NoteUndoHistory.h"
#include "TypingCommands.h"
#include "ViewClipboard.h"

namespace NoteEditor {

using NoteEditEngine::CNotePosition;
using NoteLayoutEngine::CNoteView;

std::optional<ClipboardContent> CopySelection(CNoteView& view, bool textOnly) {
    if (!view.HasSelection()) return std::nullopt;
    ClipboardContent content;
    NoteStorage::GetSelectionText(view, NoteStorage::kRenderingUnicode, content.plainText);
    if (!textOnly) {
        NoteStorage::GetSelectionText(view, NoteStorage::kRenderingHtml, content.html);
        std::u16string xml;
        NoteStorage::GetSelectionText(view, NoteStorage::kRenderingXml, xml);
        content.privateBytes = NoteStorage::PrivateClipBytes(xml);
    }
    return content;
}

std::optional<ClipboardContent> CutSelection(CNoteView& view) {
    NoteEditEngine::StartNewUndoGroup();
    if (!view.HasSelection()) return std::nullopt;
    NoteEditEngine::CActionScope action(u"cut");
    std::optional<ClipboardContent> content = CopySelection(view, false);
    DeleteSelection(view);
    return content;
}

void Paste(CNoteView& view, const ClipboardOffer& offer) {
    if (!view.HasNotes()) return;
    {
        NoteEditEngine::CActionScope action(u"paste");
        DeleteSelection(view);
        bool inserted = false;
        if (offer.privateBytes) {
            inserted =
                NoteStorage::InsertText(view, NoteStorage::PrivateClipText(*offer.privateBytes),
                                        NoteStorage::kRenderingXml);
        } else if (offer.plainText) {
            // The text ends at its first 0, as a terminated clipboard block would.
            std::u16string_view text = *offer.plainText;
            text = text.substr(0, text.find(u'\0'));
            inserted = NoteStorage::InsertText(view, text, NoteStorage::kRenderingUnicode);
        }
        if (inserted) {
            CNotePosition caret = view.Active();
            if (!caret.IsAtStart()) caret.SetTypingStyle(caret.StyleAt());
            view.SetCaret(caret, false, true);
        }
    }
    NoteEditEngine::StartNewUndoGroup();
}

}  // namespace NoteEditor
