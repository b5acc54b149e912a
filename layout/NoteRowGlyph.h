#pragma once

#include <string_view>

#include <cstdint>
#include <memory>
#include <string>

#include "layout/NoteGlyph.h"

namespace NoteLayoutEngine {

// One screen line of a paragraph; the only leaf of the tree. A row that ends a paragraph covers
// the next paragraph's mark as its last element.
class CNoteRowGlyph final : public CNoteGlyph {
public:
    CNoteRowGlyph(CNoteView* view, CNoteGlyph* parent, const NoteEditEngine::CNotePosition& start);

    [[nodiscard]] NoteEditEngine::CNotePosition HitTest(int32_t x, int32_t y) override;
    [[nodiscard]] Point PointOf(const NoteEditEngine::CNotePosition& position) override;
    void Dump(std::string& text) const override;
    void Draw(const NoteEditEngine::CNotePosition& position, int64_t count, int32_t x,
              int32_t y) override;
    // Breaks the row from its own start: after the last space that fits, else inside a word that
    // is wider than the row, and always after at least one element. The row ends at the latest
    // with its paragraph (after the next mark) or the note.
    NoteEditEngine::CNotePosition Reflow(const NoteEditEngine::CNotePosition& position,
                                         int64_t count, int32_t width, bool& aligned) override;
    int64_t RemoveElements(const NoteEditEngine::CNotePosition& position, int64_t count) override;
    [[nodiscard]] std::unique_ptr<CNoteGlyph> CreateSibling(
        CNoteGlyph* parent, const NoteEditEngine::CNotePosition& position) const override;

    [[nodiscard]] int32_t TextWidth() const noexcept { return m_textWidth; }
    // How many elements after its end the last break looked at (the rest of the word that did
    // not fit, through the character that overflowed); 0 when it ended at its paragraph's end.
    // A change among them can let the row take more.
    [[nodiscard]] int32_t Lookahead() const noexcept { return m_lookahead; }
    // Is this the first row of its paragraph?
    [[nodiscard]] bool IsFirstRow() const noexcept { return PreviousSibling() == nullptr; }

private:
    void ApplyParagraphStyle() const;
    // The cluster's width in the current style, or that of "?" when the font has none for it.
    [[nodiscard]] int32_t MeasuredWidth(std::u16string_view cluster) const;

    int32_t m_textWidth = 0;
    int32_t m_lookahead = 0;
};

}  // namespace NoteLayoutEngine
