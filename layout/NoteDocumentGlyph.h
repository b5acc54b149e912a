#pragma once

#include <cstdint>
#include <memory>

#include "layout/NoteGlyph.h"

namespace NoteLayoutEngine {

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

protected:
    // The header above the first paragraph and the separator below the last, when the drawn
    // band reaches them.
    void DrawFrame(int32_t x, int32_t y, const Band& band) override;

private:
    void KeepTrailingParagraph(int32_t width);

    NoteEditEngine::CNoteDocument* m_document;
};

}  // namespace NoteLayoutEngine
