#include "editor/PainterSurface.h"

#include <QGlyphRun>
#include <QGuiApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/Graphemes.h"

using NoteEditEngine::CharacterStyle;

namespace {

// Below the combining marks a code unit followed by another such is a cluster of its own.
constexpr char16_t kFirstJoining = 0x300;

QColor ToQColor(NoteLayoutEngine::Color colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

}  // namespace

CPainterSurface::CPainterSurface(NoteLayoutEngine::TextSize size, bool printing)
    : m_size(size), m_printing(printing) {
    ResetStyle();
}

// --- Style application ---

const CPainterSurface::StyleState& CPainterSurface::StateFor(uint32_t paragraph,
                                                             CharacterStyle character,
                                                             bool selected,
                                                             NoteLayoutEngine::TextMark mark) {
    if (paragraph >= NoteEditEngine::kParagraphStyleCount) paragraph = NoteEditEngine::kNormal;
    // A printout shows no spelling.
    if (m_printing && mark == NoteLayoutEngine::TextMark::kMisspelt)
        mark = NoteLayoutEngine::TextMark::kNone;
    std::unique_ptr<StyleState>& slot =
        m_states[paragraph * kStatesPerParagraph +
                 (character.Word() * 2 + (selected ? 1 : 0)) * kMarks + static_cast<size_t>(mark)];
    if (slot) return *slot;
    auto fontOf = [this](const NoteLayoutEngine::FontRequest& request) -> CFontEntry& {
        return m_fonts.Get(request.fixedWidth, request.cellHeight, request.bold, request.italic);
    };
    const NoteLayoutEngine::StyleLook look = NoteLayoutEngine::LookOf(
        paragraph, character, selected, NoteLayoutEngine::TextScaleOf(m_size, m_printing),
        m_printing,
        [&fontOf](const NoteLayoutEngine::FontRequest& request) {
            const CFontEntry& font = fontOf(request);
            return NoteLayoutEngine::FontMeasures{font.Ascent(), font.Descent(),
                                                  font.ExternalLeading(), font.AverageCharWidth()};
        },
        m_palette);
    auto state = std::make_unique<StyleState>();
    state->font = &fontOf(look.font);
    state->text = ToQColor(look.text);
    state->background = ToQColor(look.background);
    state->metrics = look.metrics;
    state->mark = mark;
    // Links take the desktop's link colour on screen, unless selected; printed, they stay black.
    if (mark == NoteLayoutEngine::TextMark::kLink && !selected && !m_printing)
        state->text = QGuiApplication::palette().color(QPalette::Link);
    slot = std::move(state);
    return *slot;
}

void CPainterSurface::SetTextSize(NoteLayoutEngine::TextSize size) {
    m_size = size;
    ForgetStates();
}

void CPainterSurface::SetPalette(const QPalette& palette) {
    if (m_printing) return;
    auto colour = [&palette](QPalette::ColorRole role) {
        const QColor c = palette.color(QPalette::Active, role);
        return NoteLayoutEngine::Color{static_cast<uint8_t>(c.red()),
                                       static_cast<uint8_t>(c.green()),
                                       static_cast<uint8_t>(c.blue())};
    };
    const NoteLayoutEngine::Palette taken{colour(QPalette::Text), colour(QPalette::Base),
                                          colour(QPalette::Highlight),
                                          colour(QPalette::HighlightedText)};
    if (taken == m_palette) return;
    m_palette = taken;
    ForgetStates();
}

QColor CPainterSurface::Base() const {
    return ToQColor(m_palette.base);
}

QColor CPainterSurface::EmptyView() const {
    return ToQColor(m_palette.EmptyView());
}

void CPainterSurface::ForgetStates() {
    m_runs.Clear();
    for (auto& state : m_states)
        state.reset();
    ResetStyle();
}

void CPainterSurface::Apply() {
    m_state = &StateFor(m_paragraphStyle, m_characterStyle, m_selected, m_mark);
}

void CPainterSurface::ResetStyle() {
    m_mark = NoteLayoutEngine::TextMark::kNone;
    m_characterStyle = {};
    m_paragraphStyle = NoteEditEngine::kNormal;
    m_indent = 0;
    m_selected = false;
    Apply();
}

void CPainterSurface::ApplyCharacterStyle(CharacterStyle style, bool selected) {
    if (style == m_characterStyle && selected == m_selected) return;
    m_characterStyle = style;
    m_selected = selected;
    Apply();
}

void CPainterSurface::ApplyParagraphStyle(uint32_t style, int32_t indent, bool selected) {
    if (style == m_paragraphStyle && indent == m_indent && selected == m_selected) return;
    m_paragraphStyle = style;
    m_indent = indent;
    m_selected = selected;
    Apply();
}

void CPainterSurface::ApplyTextMark(NoteLayoutEngine::TextMark mark, std::u16string_view target) {
    if (m_printing) m_target = QString::fromUtf16(target.data(), qsizetype(target.size()));
    if (mark == m_mark) return;
    m_mark = mark;
    Apply();
}

// --- Drawing ---

void CPainterSurface::AddDirty(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return;
    m_dirty |= QRect(x, y, width, height);
}

void CPainterSurface::FillRect(int32_t x, int32_t y, int32_t width, int32_t height,
                               const QColor& colour) {
    if (width <= 0 || height <= 0) return;
    if (m_painter != nullptr) {
        m_painter->fillRect(QRect(x, y, width, height), colour);
    } else {
        AddDirty(x, y, width, height);
    }
}

int32_t CPainterSurface::ShapeRun(std::u16string_view text, bool collect) {
    CFontEntry& font = *m_state->font;
    m_fallbacks.clear();
    m_glyphs.clear();
    m_glyphPositions.clear();
    // Every cluster stands at the sum of the whole widths before it, where the layout measured
    // it; the face's own fractional advances would drift away from the layout along the run.
    int32_t width = 0;
    for (size_t i = 0; i < text.size();) {
        const char16_t unit = text[i];
        size_t end = i + 1;
        int32_t advance = 0;
        if (unit < kFirstJoining &&
            (end == text.size() || NoteBase::IsPlainBoundary(unit, text[end]))) {
            advance = font.CharWidth(unit);
        } else {
            end = NoteBase::ClusterEnd(text, i);
            advance = NoteLayoutEngine::MeasureCluster(*this, text.substr(i, end - i)).width;
        }
        if (collect && unit != u' ') {
            // A cluster of several code units is drawn by text shaping, with its fallback faces.
            const quint32 glyph = end == i + 1 ? font.Glyph(unit) : 0;
            if (glyph != 0) {
                m_glyphs.append(glyph);
                m_glyphPositions.append(QPointF(width, 0));
            } else {
                m_fallbacks.push_back({width, i, end - i});
            }
        }
        width += advance;
        i = end;
    }
    return width;
}

void CPainterSurface::PaintShaped(QPainter& painter, std::u16string_view text, QPoint at,
                                  int32_t width) {
    CFontEntry& font = *m_state->font;
    painter.fillRect(QRect(at.x(), at.y(), width, Metrics().lineHeight), m_state->background);
    painter.setPen(m_state->text);
    const QPointF baseline(at.x(), at.y() + Metrics().ascent);
    if (!m_glyphs.isEmpty()) {
        QGlyphRun run;
        run.setRawFont(font.RawFont());
        run.setGlyphIndexes(m_glyphs);
        run.setPositions(m_glyphPositions);
        painter.drawGlyphRun(baseline, run);
    }
    if (!m_fallbacks.empty()) {
        painter.setFont(font.Font());
        for (const Fallback& fallback : m_fallbacks)
            painter.drawText(baseline + QPointF(fallback.x, 0),
                             QString::fromUtf16(text.data() + fallback.index,
                                                static_cast<qsizetype>(fallback.units)));
    }
    // Marks lie in the descent, inside the run's box, so a cached run holds them.
    const int32_t thickness = std::max(1, Metrics().lineThickness / 2);
    const int32_t underY = at.y() + Metrics().ascent + thickness;
    if (m_state->mark == NoteLayoutEngine::TextMark::kLink) {
        painter.fillRect(QRect(at.x(), underY, width, thickness), m_state->text);
    } else if (m_state->mark == NoteLayoutEngine::TextMark::kMisspelt) {
        // A wave of period 4 and height 2 per unit of thickness.
        const qreal step = 2.0 * thickness;
        QPainterPath wave(QPointF(at.x(), underY + step));
        for (qreal x = at.x(); x < at.x() + width; x += step)
            wave.lineTo(x + step,
                        underY + (static_cast<int64_t>((x - at.x()) / step) % 2 == 0 ? 0.0 : step));
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipRect(QRect(at.x(), at.y(), width, Metrics().lineHeight));
        painter.strokePath(wave, QPen(QColor(230, 0, 0), thickness));
        painter.restore();
    }
}

bool CPainterSurface::Cacheable() {
    // Only whole-pixel moves keep a blit identical to drawing in place; printing scales.
    const QTransform& transform = m_painter->worldTransform();
    if (m_printing || transform.type() > QTransform::TxTranslate ||
        transform.dx() != std::floor(transform.dx()) ||
        transform.dy() != std::floor(transform.dy()) || m_state->background.alpha() != 255)
        return false;
    const qreal ratio = m_painter->device()->devicePixelRatio();
    if (ratio != m_runsRatio) {
        m_runs.Clear();
        m_runsRatio = ratio;
    }
    return true;
}

int32_t CPainterSurface::DrawRun(std::u16string_view text, int32_t x, int32_t y) {
    if (m_painter == nullptr) {
        const int32_t width = ShapeRun(text, false);
        AddDirty(x, y, width, Metrics().lineHeight);
        return width;
    }
    if (m_printing && m_mark == NoteLayoutEngine::TextMark::kLink)
        m_printedLinks.push_back({m_painter->transform().mapRect(
                                      QRectF(x, y, ShapeRun(text, false), Metrics().lineHeight)),
                                  m_target});
    const bool cacheable = Cacheable();
    if (cacheable) {
        if (const CGlyphRunCache::Run* run = m_runs.Find(m_state, text)) {
            m_painter->drawImage(QPoint(x, y), run->image);
            return run->width;
        }
    }
    if (!cacheable || ShapeRun(text, false) <= 0) {
        const int32_t width = ShapeRun(text, true);
        PaintShaped(*m_painter, text, QPoint(x, y), width);
        return width;
    }
    // Words repeat far more often than rows. A row is drawn from its words' images; only a row
    // drawn again and again (the caret's, one scrolled back to) is joined into an image of its
    // own and kept, which spares rows paged past the copy and the fresh memory.
    std::vector<CGlyphRunCache::Run>& words = m_words;
    words.clear();
    const bool fromWords = WordsOf(text, words);
    if (fromWords && !m_runs.SeenTwiceBefore(m_state, text)) {
        int32_t width = 0;
        for (const CGlyphRunCache::Run& word : words)
            width += word.width;
        const QSize pixels = QSize(width, Metrics().lineHeight) * m_runsRatio;
        // Straight into the window's image where it can: a copy through the scratch row and
        // then the painter moved every pixel twice.
        if (!CopyWordsToDevice(words, x, y, pixels)) {
            if (m_rowScratch.width() < pixels.width() || m_rowScratch.height() < pixels.height() ||
                m_rowScratch.devicePixelRatio() != m_runsRatio) {
                m_rowScratch =
                    QImage(pixels.expandedTo(QSize(2048, 0)).expandedTo(m_rowScratch.size()),
                           QImage::Format_RGB32);
                m_rowScratch.setDevicePixelRatio(m_runsRatio);
            }
            CopyWords(words, m_rowScratch, QPoint(0, 0), m_rowScratch.rect());
            m_painter->drawImage(QPoint(x, y), m_rowScratch, QRect(QPoint(0, 0), pixels));
        }
        return width;
    }
    CGlyphRunCache::Run run = fromWords ? Join(words) : Rasterise(text);
    m_painter->drawImage(QPoint(x, y), run.image);
    const int32_t width = run.width;
    m_runs.Insert(m_state, text, std::move(run));
    return width;
}

CGlyphRunCache::Run CPainterSurface::Rasterise(std::u16string_view text) {
    CGlyphRunCache::Run run;
    run.width = ShapeRun(text, true);
    const int32_t height = Metrics().lineHeight;
    // Drawn with a margin, to see whether a glyph reaches beyond the box; the box alone is kept,
    // so glyphs that overhang it are cut at its edges wherever the run is drawn.
    const bool whole = m_runsRatio == std::floor(m_runsRatio);
    const int32_t margin = whole ? height : 0;
    QImage drawn(QSize(run.width + 2 * margin, height) * m_runsRatio, QImage::Format_RGB32);
    drawn.setDevicePixelRatio(m_runsRatio);
    drawn.fill(m_state->background);
    {
        QPainter painter(&drawn);
        PaintShaped(painter, text, QPoint(margin, 0), run.width);
    }
    const int left = static_cast<int>(margin * m_runsRatio);
    const int right = static_cast<int>((margin + run.width) * m_runsRatio);
    const QRgb background = m_state->background.rgb();
    run.inkInside = whole;
    for (int y = 0; run.inkInside && y < drawn.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(drawn.constScanLine(y));
        for (int x = 0; x < drawn.width(); x = x + 1 == left ? right : x + 1)
            run.inkInside = run.inkInside && line[x] == background;
    }
    run.image = drawn.copy(left, 0, right - left, drawn.height());
    run.image.setDevicePixelRatio(m_runsRatio);
    return run;
}

bool CPainterSurface::WordsOf(std::u16string_view text, std::vector<CGlyphRunCache::Run>& words) {
    // The row looks as drawn whole as long as no word's ink reaches beyond its box.
    if (m_state->mark == NoteLayoutEngine::TextMark::kMisspelt) return false;
    for (size_t from = 0; from < text.size();) {
        size_t end = std::min(text.find(u' ', from), text.size());
        end = std::min(text.find_first_not_of(u' ', end), text.size());
        // A mark after a space sits on that space: the two are one cluster, in one word.
        if (end < text.size() && end > from && text[end] >= kFirstJoining)
            end = NoteBase::ClusterEnd(text, end - 1);
        if (from == 0 && end == text.size()) return false;
        const std::u16string_view word = text.substr(from, end - from);
        const CGlyphRunCache::Run* found = m_runs.Find(m_state, word);
        words.push_back(found != nullptr ? *found : Rasterise(word));
        if (found == nullptr) m_runs.Insert(m_state, word, words.back());
        if (!words.back().inkInside) return false;
        from = end;
    }
    return !words.empty();
}

CGlyphRunCache::Run CPainterSurface::Join(const std::vector<CGlyphRunCache::Run>& words) {
    CGlyphRunCache::Run run;
    for (const CGlyphRunCache::Run& word : words)
        run.width += word.width;
    run.inkInside = true;
    run.image = QImage(QSize(run.width, Metrics().lineHeight) * m_runsRatio, QImage::Format_RGB32);
    run.image.setDevicePixelRatio(m_runsRatio);
    CopyWords(words, run.image, QPoint(0, 0), run.image.rect());
    return run;
}

void CPainterSurface::CopyWords(const std::vector<CGlyphRunCache::Run>& words, QImage& into,
                                QPoint at, QRect part) {
    // The same format and a whole pixel ratio: the words' lines are copied side by side.
    part &= into.rect();
    if (part.isEmpty()) return;
    uchar* const lines = into.bits();
    const qsizetype stride = into.bytesPerLine();
    int x = at.x();
    for (const CGlyphRunCache::Run& word : words) {
        const int from = std::max(x, part.left());
        const int to = std::min(x + word.image.width(), part.right() + 1);
        const int top = std::max(at.y(), part.top());
        const int bottom = std::min(at.y() + word.image.height(), part.bottom() + 1);
        if (from < to && top < bottom) {
            const qsizetype sourceStride = word.image.bytesPerLine();
            const uchar* source = word.image.constBits() + (top - at.y()) * sourceStride;
            for (int y = top; y < bottom; ++y, source += sourceStride)
                std::memcpy(reinterpret_cast<QRgb*>(lines + y * stride) + from,
                            reinterpret_cast<const QRgb*>(source) + (from - x),
                            size_t(to - from) * sizeof(QRgb));
        }
        x += word.image.width();
        if (x > part.right()) break;
    }
}

bool CPainterSurface::CopyWordsToDevice(const std::vector<CGlyphRunCache::Run>& words, int32_t x,
                                        int32_t y, QSize pixels) {
    QPaintEngine* const engine = m_painter->paintEngine();
    if (engine == nullptr || engine->type() != QPaintEngine::Raster ||
        m_painter->opacity() != 1.0 ||
        m_painter->compositionMode() != QPainter::CompositionMode_SourceOver)
        return false;
    QPaintDevice* const device = engine->paintDevice();
    if (device == nullptr || device->devType() != QInternal::Image) return false;
    auto& target = *static_cast<QImage*>(device);
    // The engine made the image its own when it began; a shared one would be copied here and
    // the copy drawn into in vain.
    if ((target.format() != QImage::Format_RGB32 &&
         target.format() != QImage::Format_ARGB32_Premultiplied) ||
        !target.isDetached())
        return false;
    const QTransform& transform = m_painter->deviceTransform();
    if (transform.type() > QTransform::TxScale || transform.m11() != m_runsRatio ||
        transform.m22() != m_runsRatio)
        return false;
    const QPointF origin = transform.map(QPointF(x, y));
    if (origin.x() != std::floor(origin.x()) || origin.y() != std::floor(origin.y())) return false;
    const QRect row(origin.toPoint(), pixels);
    // The system clip is what the window asked to have painted, in the image's pixels; none
    // means all of it.
    QRegion clip;
    if (m_painter->hasClipping()) {
        if (!m_clipKnown) return false;
        clip = m_deviceClip;
    } else {
        clip = engine->systemClip();
        if (clip.isEmpty()) clip = target.rect();
    }
    // CopyWords keeps to the words' own box: one rectangle needs no intersecting.
    if (clip.rectCount() == 1) {
        CopyWords(words, target, row.topLeft(), clip.boundingRect());
    } else {
        const QRegion parts = clip.intersected(row);
        for (const QRect& part : parts)
            CopyWords(words, target, row.topLeft(), part);
    }
    return true;
}

void CPainterSurface::ClipTo(const QRect& rect) {
    m_painter->setClipRect(rect);
    m_deviceClip = m_painter->deviceTransform().mapRect(rect);
    const QPaintEngine* const engine = m_painter->paintEngine();
    if (engine != nullptr && !engine->systemClip().isEmpty()) m_deviceClip &= engine->systemClip();
    m_clipKnown = true;
}

void CPainterSurface::DrawListMarker(int32_t x, int32_t y, int32_t /*leftMargin*/, int32_t height) {
    using namespace NoteEditEngine;
    if (!IsListStyle(m_paragraphStyle)) return;
    const int32_t u = Metrics().markerUnit;
    const int32_t t = Metrics().lineThickness;
    const ListMarker marker = ParagraphStyleOf(m_paragraphStyle).marker;
    const bool box = marker == ListMarker::kEmptyBox || marker == ListMarker::kFilledBox;
    const NoteLayoutEngine::Rect square = NoteLayoutEngine::CheckBoxOf(x, y, height, Metrics());
    const QRect boxRect(square.x, square.y, square.width, square.height);
    if (m_painter == nullptr) {
        if (box) {
            AddDirty(square.x, square.y, square.width, square.height);
        } else {
            AddDirty(x - 2 * u, y + (height - u) / 2, u + 1, u + 1);
        }
        return;
    }
    QPainter& painter = *m_painter;
    const QColor ink = ToQColor(m_palette.text);
    const QRect bar(QPoint(x - 2 * u, y + (height - t) / 2), QPoint(x - u, y + (height + t) / 2));
    switch (marker) {
        case ListMarker::kEmptyBox:
        case ListMarker::kFilledBox: {
            // Opaque and square, so that drawing it again over itself changes no pixel.
            const int32_t frame = std::max(1, t / 2);
            painter.fillRect(boxRect, ink);
            painter.fillRect(boxRect.adjusted(frame, frame, -frame, -frame), Base());
            if (marker == ListMarker::kEmptyBox) break;
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setClipRect(boxRect.adjusted(frame, frame, -frame, -frame));
            painter.setPen(QPen(ink, std::max<qreal>(1.5, t * 0.9), Qt::SolidLine, Qt::RoundCap,
                                Qt::RoundJoin));
            const QRectF r(boxRect);
            const QPointF tick[] = {r.topLeft() + QPointF(r.width() * 0.22, r.height() * 0.5),
                                    r.topLeft() + QPointF(r.width() * 0.42, r.height() * 0.72),
                                    r.topLeft() + QPointF(r.width() * 0.78, r.height() * 0.28)};
            painter.drawPolyline(tick, 3);
            painter.restore();
            break;
        }
        case ListMarker::kPlus:
            painter.fillRect(bar, ink);
            painter.fillRect(QRect(QPoint(x - 2 * u + (u - t) / 2, y + (height - u) / 2),
                                   QPoint(x - 2 * u + (u + t) / 2, y + (height + u) / 2)),
                             ink);
            break;
        case ListMarker::kMinus:
            painter.fillRect(bar, ink);
            break;
        case ListMarker::kNone:
            break;
    }
}

void CPainterSurface::DrawNoteSeparator(int32_t x, int32_t y, int32_t width, int32_t height,
                                        bool isLast) {
    if (isLast) return;
    const int32_t half = Metrics().lineThickness / 2;
    FillRect(x, y + height - half, width, half,
             m_printing ? ToQColor(m_palette.text) : ToQColor(m_palette.Separator()));
}

void CPainterSurface::EraseRect(int32_t x, int32_t y, int32_t width, int32_t height) {
    FillRect(x, y, width, height, Base());
}
