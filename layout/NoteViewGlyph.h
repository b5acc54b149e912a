#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "layout/NoteGlyph.h"

namespace NoteLayoutEngine {

class CNoteDocumentGlyph;

// The root of the tree: one document glyph per shown note, top to bottom, inside the view
// margins.
class CNoteViewGlyph final : public CNoteGlyph {
public:
    explicit CNoteViewGlyph(CNoteView* view);

    void Dump(std::string& text) const override;
    // Re-lays out the changed range of the position's note for the view width.
    NoteEditEngine::CNotePosition Reflow(const NoteEditEngine::CNotePosition& position,
                                         int64_t count, int32_t width, bool& aligned) override;
    int64_t RemoveElements(const NoteEditEngine::CNotePosition& position, int64_t count) override;
    [[nodiscard]] std::unique_ptr<CNoteGlyph> CreateSibling(
        CNoteGlyph* parent, const NoteEditEngine::CNotePosition& position) const override;
    // The document glyph of the position's note, or null when that note is not shown.
    [[nodiscard]] CNoteGlyph* FindChild(
        const NoteEditEngine::CNotePosition& position) const override;
    // The document glyph of a shown note, null for any other; constant time.
    [[nodiscard]] CNoteDocumentGlyph* GlyphOf(const NoteEditEngine::CNoteDocument* note) const;

    // Draws run on from one note into the next across the next note's leading mark, which is a
    // place of its own but no glyph's element.
    [[nodiscard]] int64_t SiblingGap() const noexcept override { return 1; }

    // Brings the document glyphs into the order of `shown`: kept glyphs move into place, new
    // notes get a glyph laid out in full, glyphs of notes no longer shown are deleted.
    void Synchronise(const std::vector<NoteEditEngine::CNoteDocument*>& shown);
    // Takes the view margins and width from the metrics and the view.
    void TakeViewMargins();

private:
    // Every child by its note, so that a change in one note finds its glyph without a walk.
    std::unordered_map<const NoteEditEngine::CNoteDocument*, CNoteDocumentGlyph*> m_glyphs;
};

}  // namespace NoteLayoutEngine
