#include "editor/FontCache.h"

#include <QChar>
#include <QString>
#include <algorithm>
#include <cmath>

namespace {

// A font of the given pixel size whose cell height is as near `cellHeight` as the face allows:
// fonts are asked for by cell height, and Qt's pixel size is the em height without the internal
// leading.
QFont FontForCellHeight(const QString& family, int32_t cellHeight, bool bold, bool italic) {
    QFont font(family);
    font.setBold(bold);
    font.setItalic(italic);
    font.setKerning(false);
    font.setStyleStrategy(QFont::PreferAntialias);
    int32_t pixels = cellHeight > 0 ? cellHeight : 1;
    for (int attempt = 0; attempt < 4; ++attempt) {
        font.setPixelSize(pixels);
        const int32_t height = QFontMetrics(font).height();
        if (height == cellHeight || height <= 0) break;
        const int32_t next = std::max<int32_t>(
            1, static_cast<int32_t>(std::lround(double(pixels) * cellHeight / height)));
        if (next == pixels) break;
        pixels = next;
    }
    return font;
}

}  // namespace

CFontEntry::CFontEntry(const QString& family, int32_t cellHeight, bool bold, bool italic)
    : m_font(FontForCellHeight(family, cellHeight, bold, italic)),
      m_metrics(m_font),
      m_rawFont(QRawFont::fromFont(m_font)) {
    m_ascent = m_metrics.ascent();
    m_descent = m_metrics.descent();
    m_height = m_ascent + m_descent;
    m_leading = std::max(0, m_metrics.leading());
    m_averageWidth = m_metrics.averageCharWidth();
}

int32_t CFontEntry::Measure(char16_t c) {
    std::unique_ptr<Page>& page = m_pages[c >> 8];
    if (!page) {
        page = std::make_unique<Page>();
        page->fill(-1);
    }
    int32_t width = 0;
    if (!QChar::isSurrogate(c)) width = std::max(0, m_metrics.horizontalAdvance(QChar(c)));
    width = std::min(width, 32767);
    (*page)[c & 0xFF] = static_cast<int16_t>(width);
    return width;
}

int32_t CFontEntry::MeasurePair(char32_t c) {
    const auto found = m_pairWidths.find(c);
    if (found != m_pairWidths.end()) return found->second;
    const int32_t width =
        std::clamp(m_metrics.horizontalAdvance(QString::fromUcs4(&c, 1)), 0, 32767);
    m_pairWidths.emplace(c, width);
    return width;
}

int32_t CFontEntry::ClusterWidth(std::u16string_view cluster) {
    std::u16string key(cluster);
    const auto found = m_clusterWidths.find(key);
    if (found != m_clusterWidths.end()) return found->second;
    const int32_t width = std::clamp(m_metrics.horizontalAdvance(QString::fromUtf16(
                                         cluster.data(), static_cast<qsizetype>(cluster.size()))),
                                     0, 32767);
    m_clusterWidths.emplace(std::move(key), width);
    return width;
}

quint32 CFontEntry::LookUpGlyph(char16_t c) {
    std::unique_ptr<GlyphPage>& page = m_glyphPages[c >> 8];
    if (!page) {
        page = std::make_unique<GlyphPage>();
        page->fill(kUnknownGlyph);
    }
    quint32 glyph = 0;
    int count = 1;
    const QChar character(c);
    if (QChar::isSurrogate(c) || !m_rawFont.isValid() ||
        !m_rawFont.glyphIndexesForChars(&character, 1, &glyph, &count) || count != 1)
        glyph = 0;
    (*page)[c & 0xFF] = glyph;
    return glyph;
}

CFontEntry& CFontCache::Get(bool fixedWidth, int32_t cellHeight, bool bold, bool italic) {
    const uint32_t key = (static_cast<uint32_t>(cellHeight & 0xFFFFFF) << 3) |
                         (fixedWidth ? 4u : 0u) | (bold ? 2u : 0u) | (italic ? 1u : 0u);
    std::unique_ptr<CFontEntry>& entry = m_entries[key];
    if (!entry)
        entry = std::make_unique<CFontEntry>(
            fixedWidth ? QStringLiteral("Courier New") : QStringLiteral("Arial"), cellHeight, bold,
            italic);
    return *entry;
}
