#include "editor/NavigationCommands.h"

#include "model/NoteUndoHistory.h"

namespace NoteEditor {

using NoteEditEngine::CNotePosition;
using NoteLayoutEngine::CNoteView;

int32_t Navigate(CNoteView& view, NavigationKey key, bool ctrl, bool shift, int32_t clientHeight) {
    if (!view.HasNotes()) return 0;
    NoteEditEngine::StartNewUndoGroup();
    const bool collapse = view.HasSelection() && !shift;
    switch (key) {
        case NavigationKey::Left:
            if (collapse) {
                view.CollapseToStart();
            } else if (ctrl) {
                view.MoveWordLeft(shift);
            } else {
                view.MoveCharacterLeft(shift);
            }
            return 0;
        case NavigationKey::Right:
            if (collapse) {
                view.CollapseToEnd();
            } else if (ctrl) {
                view.MoveWordRight(shift);
            } else {
                view.MoveCharacterRight(shift);
            }
            return 0;
        case NavigationKey::Up:
            if (collapse) view.CollapseToStart();
            if (ctrl) {
                view.MoveParagraphUp(shift);
            } else {
                view.MoveRowUp(shift);
            }
            return 0;
        case NavigationKey::Down:
            if (collapse) view.CollapseToEnd();
            if (ctrl) {
                view.MoveParagraphDown(shift);
            } else {
                view.MoveRowDown(shift);
            }
            return 0;
        case NavigationKey::Home:
            if (ctrl) {
                view.MoveStartOfAll(shift);
            } else {
                view.MoveRowStart(shift);
            }
            return 0;
        case NavigationKey::End:
            if (ctrl) {
                view.MoveEndOfAll(shift);
            } else {
                view.MoveRowEnd(shift);
            }
            return 0;
        case NavigationKey::PageUp:
            return view.MovePageUp(clientHeight, shift);
        case NavigationKey::PageDown:
            return view.MovePageDown(clientHeight, shift);
    }
    return 0;
}

void MoveToNoteStart(CNoteView& view, bool extend) {
    if (!view.HasNotes()) return;
    NoteEditEngine::StartNewUndoGroup();
    CNotePosition p = view.Active();
    if (p.IsAtStart()) view.StepBackward(p);
    view.SetCaret(p.Document()->Start(), extend, true);
}

void MoveToNextNote(CNoteView& view, bool extend) {
    if (!view.HasNotes()) return;
    NoteEditEngine::StartNewUndoGroup();
    CNotePosition p = view.Active().DocumentEnd();
    view.StepForward(p);
    view.SetCaret(p, extend, true);
}

void SelectAll(CNoteView& view) {
    if (!view.HasNotes()) return;
    NoteEditEngine::StartNewUndoGroup();
    view.SelectAll();
}

}  // namespace NoteEditor
