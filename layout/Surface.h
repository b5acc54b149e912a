#pragma once

#include <cstdint>
#include <string_view>

#include "layout/LayoutTypes.h"
#include "model/Styles.h"

namespace NoteLayoutEngine {

// What a run of text is marked as besides its styles: a web or mail address, or a misspelt word.
enum class TextMark : uint8_t { kNone, kLink, kMisspelt };

// What a note view draws on and measures with: a screen, a printer's page, a recording for tests.
// The surface holds a current style (paragraph style and indent, character style, selected or
// not); measuring and drawing use its font and colours, and its metrics are what the glyphs lay
// out with. Coordinates are the view's tree coordinates in units of the surface; where they land
// on a device is the surface owner's business.
class ISurface {
public:
    virtual ~ISurface() = default;

    // Makes Normal at indent 0, no character style and not selected the current style.
    virtual void ResetStyle() = 0;
    // Makes the character style current, drawn selected or not; nothing when neither changed.
    virtual void ApplyCharacterStyle(NoteEditEngine::CharacterStyle style, bool selected) = 0;
    // Makes the paragraph style and indent current with the selected flag; nothing when none of
    // them changed. An unknown style looks like Normal.
    virtual void ApplyParagraphStyle(uint32_t style, int32_t indent, bool selected) = 0;
    // The layout metrics of the current style; valid until the next style change.
    [[nodiscard]] virtual const LayoutMetrics& Metrics() const noexcept = 0;
    // Marks the runs drawn from now on: a link's colour and underline, or a wavy line under a
    // misspelt word; `target` is a link's address. A surface that shows no marks ignores it.
    virtual void ApplyTextMark(TextMark /*mark*/, std::u16string_view /*target*/) {}
    // False while the surface only gathers where drawing would land, painting nothing: what
    // changes no place (a run's marks) may then be left out.
    [[nodiscard]] virtual bool Paints() const noexcept { return true; }
    // The width of one character in the current style: a code unit of the basic plane or, for a
    // surrogate pair, its code point; 0 for what the font cannot show (a lone surrogate among
    // them).
    [[nodiscard]] virtual int32_t CharWidth(char32_t character) = 0;
    // The width of a grapheme cluster (a letter with its marks, a flag, a joined emoji) as the
    // current font shapes it; by default the sum of its characters' widths.
    [[nodiscard]] virtual int32_t ClusterWidth(std::u16string_view cluster);

    // Draws the text with its top-left corner at (x, y) in the current style's font and colours,
    // each grapheme cluster shaped whole at the sum of the widths (MeasureCluster) of those
    // before it; returns that sum.
    virtual int32_t DrawRun(std::u16string_view text, int32_t x, int32_t y) = 0;
    // The marker of the current paragraph style (nothing for a style that is no list) left of the
    // text that starts at (x, y) and is `height` tall; leftMargin is the room the row left for it.
    virtual void DrawListMarker(int32_t x, int32_t y, int32_t leftMargin, int32_t height) = 0;
    // The band above a note's text (isFirst: the top note's).
    virtual void DrawNoteHeader(int32_t x, int32_t y, int32_t width, int32_t height,
                                bool isFirst) = 0;
    // The band below a note's text, which holds the bar between notes unless isLast.
    virtual void DrawNoteSeparator(int32_t x, int32_t y, int32_t width, int32_t height,
                                   bool isLast) = 0;
    // Fills the rectangle with the background of text.
    virtual void EraseRect(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
};

// How a grapheme cluster is laid out and drawn in the surface's current style. A single character
// takes CharWidth; a cluster of several, or a lone mark, is shaped whole. What still has no width
// (an invisible control, a lone surrogate) shows as "?" and takes its width.
struct ClusterMeasure {
    int32_t width = 0;
    bool substitute = false;
};
[[nodiscard]] ClusterMeasure MeasureCluster(ISurface& surface, std::u16string_view cluster);
inline constexpr char16_t kSubstituteCharacter = u'?';

}  // namespace NoteLayoutEngine
