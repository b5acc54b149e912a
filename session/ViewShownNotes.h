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
    void ReplaceNote(NoteEditEngine::CNoteDocument* old,
                     NoteEditEngine::CNoteDocument* fresh) override {
        const NoteEditEngine::CNotePosition anchor = m_view.Anchor();
        const NoteEditEngine::CNotePosition active = m_view.Active();
        m_view.AddNote(fresh, old);
        m_view.RemoveNote(old);
        if (anchor.Document() != old && active.Document() != old) return;
        // The view moved the ends out of the old note; positions in other notes are unchanged.
        const auto moved = [&](const NoteEditEngine::CNotePosition& was,
                               const NoteEditEngine::CNotePosition& now) {
            return was.Document() == old ? fresh->FromIndex(was.Index()) : now;
        };
        m_view.SetSelection(moved(anchor, m_view.Anchor()), moved(active, m_view.Active()), true);
    }
    void ScrollToNote(NoteEditEngine::CNoteDocument* document) override {
        m_view.ScrollToNote(document);
    }

private:
    NoteLayoutEngine::CNoteView& m_view;
};

}  // namespace NoteTreeEngine
