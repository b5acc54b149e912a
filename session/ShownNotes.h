#pragma once

#include "model/NoteDocument.h"

namespace NoteTreeEngine {

// The editor as the document manager sees it: the notes it shows, one below the other.
class CShownNotes {
public:
    virtual ~CShownNotes() = default;

    // Shows the document right after `after` (a shown document), or first when `after` is null.
    // Borrowed; it stays shown until HideNote.
    virtual void ShowNote(NoteEditEngine::CNoteDocument* document,
                          NoteEditEngine::CNoteDocument* after) = 0;
    virtual void HideNote(NoteEditEngine::CNoteDocument* document) = 0;
    // Shows `fresh` where the shown `old` is and hides `old`. A caret or selection end in `old`
    // goes to the same index of `fresh`, or to its end when that is shorter.
    virtual void ReplaceNote(NoteEditEngine::CNoteDocument* old,
                             NoteEditEngine::CNoteDocument* fresh) = 0;
    // Scrolls to the shown document (null: nothing) and puts the caret at its start.
    virtual void ScrollToNote(NoteEditEngine::CNoteDocument* document) = 0;
};

}  // namespace NoteTreeEngine
