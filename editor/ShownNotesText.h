#pragma once

#include <QString>
#include <cstdint>
#include <vector>

#include "layout/NoteView.h"

// The plain text of the notes a view shows, as assistive technology reads it: every paragraph
// ends in a line feed and the notes follow one another; offsets count UTF-16 code units. A note
// of k elements gives k code units, one per caret place, so the offset of a place is the view's
// GlobalIndex of it. Each note's text is built when first asked for and kept while the note's
// change stamp stays the same, so that a caret move in a long note costs nothing.
class CShownNotesText {
public:
    explicit CShownNotesText(NoteLayoutEngine::CNoteView& view) : m_view(view) {}

    // The whole text, brought up to date.
    [[nodiscard]] const QString& Text();
    [[nodiscard]] int Length() { return static_cast<int>(Text().size()); }
    // The place at an offset, clamped to the text; the end of the text is the last note's last
    // place. Null while no note is shown.
    [[nodiscard]] NoteEditEngine::CNotePosition PositionAt(int offset);
    // The offset of a place in a shown note; -1 for any other place.
    [[nodiscard]] int OffsetOf(const NoteEditEngine::CNotePosition& position);
    // The offsets where the shown note of that index starts and where the next one would start.
    [[nodiscard]] int NoteStart(size_t index);
    [[nodiscard]] int NoteEnd(size_t index) { return NoteStart(index + 1); }

private:
    struct NoteText {
        NoteEditEngine::CNoteDocument* note = nullptr;
        uint64_t stamp = 0;
        QString text;
    };

    void Refresh();

    NoteLayoutEngine::CNoteView& m_view;
    std::vector<NoteText> m_notes;
    // The offset of every note's start, and the length of the whole text last.
    std::vector<int> m_starts{0};
    QString m_text;
};
