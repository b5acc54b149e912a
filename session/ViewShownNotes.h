#pragma once

#include "layout/NoteView.h"
#include "session/ShownNotes.h"

namespace NoteTreeEngine {

// The shown notes of a note view: the editor's, or a test's.
class CViewShownNotes final : public CShownNotes {
public:
    // Borrowed; it outlives the adapter.
    explicit CViewShownNotes(NoteLayoutEngine::CNoteView& view) : m_view(view) {}

    void ShowNote(NoteEditEngine::CNoteDocument* document,
                  NoteEditEngine::CNoteDocument* after) override {
        m_view.AddNote(document, after);
    }
    void HideNote(NoteEditEngine::CNoteDocument* document) override { m_view.RemoveNote(document); }
    void ScrollToNote(NoteEditEngine::CNoteDocument* document) override {
        m_view.ScrollToNote(document);
    }

private:
    NoteLayoutEngine::CNoteView& m_view;
};

}  // namespace NoteTreeEngine
