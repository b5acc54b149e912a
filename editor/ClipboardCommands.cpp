#include "editor/ClipboardCommands.h"

#include <new>
#include <vector>

#include "editor/TypingCommands.h"
#include "editor/ViewClipboard.h"
#include "model/NoteUndoHistory.h"
#include "storage/ClipboardFormats.h"

namespace NoteEditor {

using NoteEditEngine::CNotePosition;
using NoteLayoutEngine::CNoteView;

std::optional<ClipboardContent> CopySelection(CNoteView& view, bool textOnly) {
    if (!view.HasSelection()) return std::nullopt;
    ClipboardContent content;
    NoteEditor::GetSelectionText(view, NoteStorage::kRenderingUnicode, content.plainText);
    if (!textOnly) {
        NoteEditor::GetSelectionText(view, NoteStorage::kRenderingHtml, content.html);
        std::u16string xml;
        NoteEditor::GetSelectionText(view, NoteStorage::kRenderingXml, xml);
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

namespace {

// A place kept across edits that destroy and re-create its element.
struct PlaceByIndex {
    int note = -1;
    uint32_t element = 0;
};

PlaceByIndex PlaceOf(const CNoteView& view, const CNotePosition& p) {
    return {view.NoteIndex(p.Document()), p.IsNull() ? 0 : p.Index()};
}

CNotePosition PositionOf(const CNoteView& view, const PlaceByIndex& place) {
    if (place.note < 0 || size_t(place.note) >= view.ShownNotes().size()) return {};
    return view.ShownNotes()[size_t(place.note)]->FromIndex(place.element);
}

// Takes back an insertion that ran out of memory after the caret `start`: the elements it linked
// in unrecorded and unannounced, and the format it gave the paragraph it began in.
void RemoveFailedInsertion(CNotePosition start, size_t sizeBefore,
                           NoteEditEngine::ParagraphFormat format, int32_t modified) {
    NoteEditEngine::CNoteDocument& document = *start.Document();
    {
        NoteEditEngine::CSuspendRecording suspend(document.UndoHistory());
        NoteEditEngine::CNotificationsOff quiet;
        if (document.size() > sizeBefore)
            document.DeleteRange(start, static_cast<uint32_t>(document.size() - sizeBefore));
        CNotePosition mark = start.ParagraphOf();
        document.SetParagraphFormat(mark, format.Style(), format.Indent());
    }
    document.SetModified(modified);
}

}  // namespace

bool Paste(CNoteView& view, const ClipboardOffer& offer) {
    if (!view.HasNotes()) return true;
    bool pasted = true;
    {
        // A group no step has yet, so that what this paste records is told apart below.
        NoteEditEngine::StartNewUndoGroup();
        const uint32_t groupBefore = NoteEditEngine::UndoGroupCounter();
        NoteEditEngine::CActionScope action(u"paste");
        const PlaceByIndex anchor = PlaceOf(view, view.Anchor());
        const PlaceByIndex active = PlaceOf(view, view.Active());
        // Undoing the deletion of the selection stamps the notes with the time of the undo;
        // a paste that did not happen leaves them with the times they had.
        std::vector<int32_t> timesBefore;
        for (const NoteEditEngine::CNoteDocument* note : view.ShownNotes())
            timesBefore.push_back(note->Modified());
        CNotePosition start;
        size_t sizeBefore = 0;
        NoteEditEngine::ParagraphFormat format;
        int32_t modified = 0;
        bool inserting = false;
        bool inserted = false;
        try {
            DeleteSelection(view);
            start = view.Active();
            sizeBefore = start.Document()->size();
            format = start.ParagraphFormatOf();
            modified = start.Document()->Modified();
            inserting = true;
            if (offer.privateBytes) {
                inserted =
                    NoteEditor::InsertText(view, NoteStorage::PrivateClipText(*offer.privateBytes),
                                           NoteStorage::kRenderingXml);
            } else if (offer.plainText) {
                // The text ends at its first 0, as a terminated clipboard block would.
                std::u16string_view text = *offer.plainText;
                text = text.substr(0, text.find(u'\0'));
                inserted = NoteEditor::InsertText(view, text, NoteStorage::kRenderingUnicode);
            }
        } catch (const std::bad_alloc&) {
            // Too large for memory: the note goes back to what it was before the paste.
            pasted = false;
            inserted = false;
            if (inserting) RemoveFailedInsertion(start, sizeBefore, format, modified);
            bool recorded = false;
            for (const NoteEditEngine::CNoteDocument* note : view.ShownNotes())
                recorded = recorded || note->UndoHistory().LastDoneGroup() >= groupBefore;
            if (recorded) {
                // What was deleted of the selection (and any piece of the insertion's record)
                // is this paste's undo group; undone, it leaves nothing to redo.
                view.Undo();
                NoteEditEngine::DiscardRedoEverywhere();
            }
            const std::vector<NoteEditEngine::CNoteDocument*> shown = view.ShownNotes();
            for (size_t i = 0; i < shown.size() && i < timesBefore.size(); ++i)
                shown[i]->SetModified(timesBefore[i]);
            const CNotePosition from = PositionOf(view, anchor);
            const CNotePosition to = PositionOf(view, active);
            if (!from.IsNull() && !to.IsNull()) view.SetSelection(from, to, true);
        }
        if (inserted) {
            CNotePosition caret = view.Active();
            if (!caret.IsAtStart()) caret.SetTypingStyle(caret.StyleAt());
            view.SetCaret(caret, false, true);
        }
    }
    NoteEditEngine::StartNewUndoGroup();
    return pasted;
}

}  // namespace NoteEditor
