#pragma once

#include <cstdint>
#include <memory>

#include "layout/NoteGlyph.h"

namespace NoteLayoutEngine {

class CNotePendingGlyph;

// One shown note: its paragraphs between the note margins. Covers every element after the note's
// leading mark.
class CNoteDocumentGlyph final : public CNoteGlyph {
public:
    // Holds one empty paragraph at the note's first position.
    CNoteDocumentGlyph(CNoteView* view, CNoteGlyph* parent,
                       NoteEditEngine::CNoteDocument* document);

    // Note margins, the paragraphs, then the trailing empty paragraph kept right.
    NoteEditEngine::CNotePosition Reflow(const NoteEditEngine::CNotePosition& position,
                                         int64_t count, int32_t width, bool& aligned) override;
    // Only the view glyph makes document glyphs: null.
    [[nodiscard]] std::unique_ptr<CNoteGlyph> CreateSibling(
        CNoteGlyph* parent, const NoteEditEngine::CNotePosition& position) const override;

    [[nodiscard]] NoteEditEngine::CNoteDocument* Document() const noexcept { return m_document; }

    // Lays out the paragraphs of `pending` (a child) from `from`, one of its paragraph starts,
    // until at least `elements` are laid out or it is used up; what lies before `from` and after
    // the last paragraph laid out stays pending. The surface must be reset, as for Reflow.
    void LayOutPending(CNotePendingGlyph* pending, const NoteEditEngine::CNotePosition& from,
                       int64_t elements);

protected:
    // The header above the first paragraph and the separator below the last, when the drawn
    // band reaches them.
    void DrawFrame(int32_t x, int32_t y, const Band& band) override;
    // Past the view's eager share of a relayout, the rest of the note is left pending.
    [[nodiscard]] std::unique_ptr<CNoteGlyph> DeferredChild(const NoteEditEngine::CNotePosition& p,
                                                            int64_t laidOut) override;

private:
    void KeepTrailingParagraph(int32_t width);

    NoteEditEngine::CNoteDocument* m_document;
};

}  // namespace NoteLayoutEngine
