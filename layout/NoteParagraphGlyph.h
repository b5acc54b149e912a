#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "layout/NoteGlyph.h"

namespace NoteLayoutEngine {

// One paragraph: starts at its own mark and covers its characters and the next paragraph's mark.
// Holds at least one row.
class CNoteParagraphGlyph final : public CNoteGlyph {
public:
    // Holds one empty row at `start`.
    CNoteParagraphGlyph(CNoteView* view, CNoteGlyph* parent,
                        const NoteEditEngine::CNotePosition& start);

    void Dump(std::string& text) const override;
    // Spacing by style (none above the note's first paragraph, none below an empty last one),
    // indent and list margins, then the rows.
    NoteEditEngine::CNotePosition Reflow(const NoteEditEngine::CNotePosition& position,
                                         int64_t count, int32_t width, bool& aligned) override;
    // The next paragraph mark after position, or the note's last element.
    [[nodiscard]] std::unique_ptr<CNoteGlyph> CreateSibling(
        CNoteGlyph* parent, const NoteEditEngine::CNotePosition& position) const override;

protected:
    [[nodiscard]] bool UnitFinished(const NoteEditEngine::CNotePosition& p) const override;

private:
    // The place to re-break from for a change after position.
    [[nodiscard]] NoteEditEngine::CNotePosition FirstAffectedRow(
        const NoteEditEngine::CNotePosition& position) const;

    // What the rows were last broken for; when either changes every row is re-broken.
    NoteEditEngine::ParagraphFormat m_laidOutFormat;
    int32_t m_laidOutWidth = -1;
};

}  // namespace NoteLayoutEngine
