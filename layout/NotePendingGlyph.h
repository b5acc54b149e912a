#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "layout/NoteGlyph.h"

namespace NoteLayoutEngine {

// Whole paragraphs of a note not laid out yet, in place of their paragraph glyphs: a leaf whose
// length is exact (so positions and counts across notes stay right) and whose height is an
// estimate. Lives only among a document glyph's children, never first; the view lays it out in
// slices or where a caret, a point or a paint needs it (CNoteView::EnsureLaidOut...).
class CNotePendingGlyph final : public CNoteGlyph {
public:
    // Registers with the view as pending work; covers nothing until Cover or Reflow.
    CNotePendingGlyph(CNoteView* view, CNoteGlyph* parent,
                      const NoteEditEngine::CNotePosition& start);
    ~CNotePendingGlyph() override;

    // Writes "<n>", n the elements covered.
    void Dump(std::string& text) const override;
    // Paints white: it is never meant to be seen, but a paint may run before the layout.
    void Draw(const NoteEditEngine::CNotePosition& position, int64_t count, int32_t x,
              int32_t y) override;
    // Takes in the changed range: covers from its start through the paragraph holding the
    // change's end, and on up to the next sibling's start (the note's end without one). Returns
    // its end.
    NoteEditEngine::CNotePosition Reflow(const NoteEditEngine::CNotePosition& position,
                                         int64_t count, int32_t width, bool& aligned) override;
    // As a row: how many of its elements lie after position.
    int64_t RemoveElements(const NoteEditEngine::CNotePosition& position, int64_t count) override;
    // A paragraph glyph: what takes its place when laid out.
    [[nodiscard]] std::unique_ptr<CNoteGlyph> CreateSibling(
        CNoteGlyph* parent, const NoteEditEngine::CNotePosition& position) const override;

    // Covers [start, end) of its note anew, with the height estimated for it.
    void Cover(const NoteEditEngine::CNotePosition& start,
               const NoteEditEngine::CNotePosition& end);
};

}  // namespace NoteLayoutEngine
