#pragma once

#include <QColor>
#include <QList>
#include <QPalette>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QRegion>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "editor/FontCache.h"
#include "editor/GlyphRunCache.h"
#include "layout/StyleTable.h"
#include "layout/Surface.h"
#include "model/Styles.h"

class QPainter;

// The note view's surface on Qt: draws with a QPainter and measures with the fonts of its cache,
// in the screen's look or the printing look (black text, unselected, ten times the units). Without
// a painter nothing is drawn: what would be painted is collected as a dirty rectangle, so that a
// window repaints just that inside its paint event. On the screen, runs once drawn are kept as
// images and blitted when drawn again.
class CPainterSurface final : public NoteLayoutEngine::ISurface {
public:
    // The drawing state that one combination of styles gives: font, colours and metrics.
    struct StyleState {
        CFontEntry* font = nullptr;
        QColor text;
        QColor background;
        NoteLayoutEngine::LayoutMetrics metrics;
        NoteLayoutEngine::TextMark mark = NoteLayoutEngine::TextMark::kNone;
    };
    // A link drawn while printing: its box in the painter's logical units and its address.
    struct PrintedLink {
        QRectF box;
        QString target;
    };

    CPainterSurface(NoteLayoutEngine::TextSize size, bool printing);
    CPainterSurface(const CPainterSurface&) = delete;
    CPainterSurface& operator=(const CPainterSurface&) = delete;

    // Draws on `painter` from now on (borrowed; null: only collect dirty rectangles).
    void SetPainter(QPainter* painter) noexcept {
        m_painter = painter;
        m_clipKnown = false;
    }
    // Clips the painter to `rect` (in its coordinates) and keeps the device's pixels that clip
    // leaves, where copies straight into the device may write.
    void ClipTo(const QRect& rect);
    [[nodiscard]] bool Paints() const noexcept override { return m_painter != nullptr; }
    // The union of what was drawn without a painter since ClearDirty.
    [[nodiscard]] const QRect& Dirty() const noexcept { return m_dirty; }
    void ClearDirty() noexcept { m_dirty = QRect(); }
    // Changes the text size; every style is looked up afresh and the default style is current.
    void SetTextSize(NoteLayoutEngine::TextSize size);
    // Takes the text colours of the desktop's palette (its active group); every style is looked
    // up afresh. A printing surface keeps the default colours.
    void SetPalette(const QPalette& palette);
    // The ground of text, and of the view where it shows no note.
    [[nodiscard]] QColor Base() const;
    [[nodiscard]] QColor EmptyView() const;
    // Fills a rectangle with a colour (or marks it dirty).
    void FillRect(int32_t x, int32_t y, int32_t width, int32_t height, const QColor& colour);
    // The state of a combination of styles and a mark at the current text size; lives until the
    // text size changes.
    [[nodiscard]] const StyleState& StateFor(
        uint32_t paragraph, NoteEditEngine::CharacterStyle character, bool selected,
        NoteLayoutEngine::TextMark mark = NoteLayoutEngine::TextMark::kNone);
    // The links drawn on a printer since the last call, and forgets them.
    [[nodiscard]] std::vector<PrintedLink> TakePrintedLinks() { return std::move(m_printedLinks); }

    void ResetStyle() override;
    void ApplyCharacterStyle(NoteEditEngine::CharacterStyle style, bool selected) override;
    void ApplyParagraphStyle(uint32_t style, int32_t indent, bool selected) override;
    void ApplyTextMark(NoteLayoutEngine::TextMark mark, std::u16string_view target) override;
    [[nodiscard]] const NoteLayoutEngine::LayoutMetrics& Metrics() const noexcept override {
        return m_state->metrics;
    }
    [[nodiscard]] int32_t CharWidth(char32_t character) override {
        return m_state->font->CharWidth(character);
    }
    [[nodiscard]] int32_t ClusterWidth(std::u16string_view cluster) override {
        return m_state->font->ClusterWidth(cluster);
    }
    int32_t DrawRun(std::u16string_view text, int32_t x, int32_t y) override;
    void DrawListMarker(int32_t x, int32_t y, int32_t leftMargin, int32_t height) override;
    void DrawNoteHeader(int32_t, int32_t, int32_t, int32_t, bool) override {}
    void DrawNoteSeparator(int32_t x, int32_t y, int32_t width, int32_t height,
                           bool isLast) override;
    void EraseRect(int32_t x, int32_t y, int32_t width, int32_t height) override;

private:
    // One cached state per paragraph style, character style, selected flag and mark.
    static constexpr size_t kMarks = 3;
    static constexpr size_t kStatesPerParagraph =
        (NoteEditEngine::CharacterStyle::kMask + 1) * 2 * kMarks;
    static constexpr size_t kStateCount =
        NoteEditEngine::kParagraphStyleCount * kStatesPerParagraph;

    void Apply();
    // Forgets every state and cached run; the default style is current.
    void ForgetStates();
    void AddDirty(int32_t x, int32_t y, int32_t width, int32_t height);
    // Lays the run out in the current state: its width, and with `collect` its glyphs and the
    // characters the face lacks, in m_glyphs, m_glyphPositions and m_fallbacks.
    int32_t ShapeRun(std::u16string_view text, bool collect);
    // Paints the run ShapeRun collected, its box's top-left corner at `at`.
    void PaintShaped(QPainter& painter, std::u16string_view text, QPoint at, int32_t width);
    // May the run be drawn from (and kept in) the cache with the current painter?
    [[nodiscard]] bool Cacheable();
    // The run rasterised on its own as a cache image.
    [[nodiscard]] CGlyphRunCache::Run Rasterise(std::u16string_view text);
    // The images of the run's words (each with the spaces after it), found in the cache or
    // rasterised and kept; false where the run is not to be put together from them: one word,
    // a wavy underline (one wave along the run, not one per word), or ink beyond a word's box.
    [[nodiscard]] bool WordsOf(std::u16string_view text, std::vector<CGlyphRunCache::Run>& words);
    // The words' images side by side as one cache image.
    [[nodiscard]] CGlyphRunCache::Run Join(const std::vector<CGlyphRunCache::Run>& words);
    // Copies the words' images side by side into `into`, the first one's top-left corner at
    // `at`, only within `part` (in `into`'s pixels).
    static void CopyWords(const std::vector<CGlyphRunCache::Run>& words, QImage& into, QPoint at,
                          QRect part);
    // Copies the words straight into the image the painter draws on, the row's top-left corner at
    // (x, y), within the painter's clip; false, with nothing copied, where that image is not one a
    // copy may stand for a drawing in (another engine, format or scale, a fraction of a pixel).
    [[nodiscard]] bool CopyWordsToDevice(const std::vector<CGlyphRunCache::Run>& words, int32_t x,
                                         int32_t y, QSize pixels);

    QPainter* m_painter = nullptr;
    QRect m_dirty;
    NoteLayoutEngine::TextSize m_size;
    bool m_printing;
    NoteLayoutEngine::Palette m_palette;
    NoteEditEngine::CharacterStyle m_characterStyle;
    uint32_t m_paragraphStyle = NoteEditEngine::kNormal;
    int32_t m_indent = 0;
    bool m_selected = false;
    NoteLayoutEngine::TextMark m_mark = NoteLayoutEngine::TextMark::kNone;
    QString m_target;
    std::vector<PrintedLink> m_printedLinks;
    const StyleState* m_state = nullptr;
    CFontCache m_fonts;
    std::array<std::unique_ptr<StyleState>, kStateCount> m_states;
    // A character the face lacks: drawn on its own through the fallback faces.
    struct Fallback {
        int32_t x;
        size_t index;
        size_t units;
    };
    // Kept between runs so that drawing a run allocates nothing.
    QList<quint32> m_glyphs;
    QList<QPointF> m_glyphPositions;
    std::vector<Fallback> m_fallbacks;
    // Rasterised runs keyed by the state drawn in, so emptied with m_states; valid for one device
    // pixel ratio.
    CGlyphRunCache m_runs;
    qreal m_runsRatio = 1;
    // Where a row drawn from its words is put together for one blit, kept from row to row: a
    // blit per word costs more than the copies, and fresh memory for every row more still.
    QImage m_rowScratch;
    // What ClipTo left of the device, in its pixels; unknown for a clip set otherwise.
    QRegion m_deviceClip;
    bool m_clipKnown = false;
    // The current run's words, kept so that no run allocates its list anew.
    std::vector<CGlyphRunCache::Run> m_words;
};
