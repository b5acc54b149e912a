#include "editor/TypingCommands.h"

#include "model/NoteUndoHistory.h"

namespace NoteEditor {

using NoteEditEngine::CActionScope;
using NoteEditEngine::CNotePosition;
using NoteLayoutEngine::CNoteView;

void DeleteSelection(CNoteView& view) {
    if (!view.HasSelection()) return;
    const NoteEditEngine::CharacterStyle typing = view.Active().TypingStyle();
    view.DeleteSelection();
    CNotePosition caret = view.Active();
    caret.SetTypingStyle(typing);
    view.SetCaret(caret, false, true);
}

void TypeCharacter(CNoteView& view, char16_t codeUnit) {
    if (!view.HasNotes()) return;
    CActionScope action(u"enter_text");
    DeleteSelection(view);
    view.EditAtCaret([codeUnit](CNotePosition& p) { p.Document()->InsertCharacter(p, codeUnit); });
}

namespace {

// Backspace and Delete over a selection delete just the selection, as an action of its own.
bool DeleteSelectionAsAction(CNoteView& view) {
    if (!view.HasSelection()) return false;
    {
        CActionScope action(u"delete_selection");
        DeleteSelection(view);
    }
    NoteEditEngine::StartNewUndoGroup();
    return true;
}

}  // namespace

void Backspace(CNoteView& view) {
    if (!view.HasNotes() || DeleteSelectionAsAction(view)) return;
    CActionScope action(u"enter_text");
    view.EditAtCaret([](CNotePosition& p) { p.Document()->Backspace(p); });
}

void Enter(CNoteView& view) {
    if (!view.HasNotes()) return;
    CActionScope action(u"paragraph_break");
    DeleteSelection(view);
    view.EditAtCaret([](CNotePosition& p) { p.Document()->Enter(p); });
}

void DeleteKey(CNoteView& view) {
    if (!view.HasNotes() || DeleteSelectionAsAction(view)) return;
    CActionScope action(u"delete_key");
    view.EditAtCaret([](CNotePosition& p) { p.Document()->DeleteKey(p); });
}

void Escape(CNoteView& view) {
    if (!view.HasNotes()) return;
    NoteEditEngine::StartNewUndoGroup();
    view.SetCaret(view.Active(), false, false);
}

}  // namespace NoteEditor
