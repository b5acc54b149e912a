#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QRawFont>
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

// The fonts of the editor, one per face, cell height, weight and slant, each with its metrics and
// tables of character widths and glyphs filled as characters are first met, so that layout and
// drawing ask the font once per character rather than once per character laid out or drawn.
// Widths are whole units: the text is drawn glyph by glyph at the sums of these widths, so that
// it stands exactly where the layout measured it.
class CFontEntry {
public:
    CFontEntry(const QString& family, int32_t cellHeight, bool bold, bool italic);
    CFontEntry(const CFontEntry&) = delete;
    CFontEntry& operator=(const CFontEntry&) = delete;

    [[nodiscard]] const QFont& Font() const noexcept { return m_font; }
    [[nodiscard]] int32_t Height() const noexcept { return m_height; }
    [[nodiscard]] int32_t Ascent() const noexcept { return m_ascent; }
    [[nodiscard]] int32_t Descent() const noexcept { return m_descent; }
    [[nodiscard]] int32_t ExternalLeading() const noexcept { return m_leading; }
    [[nodiscard]] int32_t AverageCharWidth() const noexcept { return m_averageWidth; }
    // The advance of one character, a code unit of the basic plane or the code point of a
    // surrogate pair; 0 for a lone surrogate and for what the font gives no width.
    [[nodiscard]] int32_t CharWidth(char32_t c) {
        if (c > 0xFFFF) return MeasurePair(c);
        Page* page = m_pages[c >> 8].get();
        if (page != nullptr) {
            const int16_t width = (*page)[c & 0xFF];
            if (width >= 0) return width;
        }
        return Measure(static_cast<char16_t>(c));
    }
    // The advance of a grapheme cluster of several code points, shaped whole with the faces
    // that hold its characters.
    [[nodiscard]] int32_t ClusterWidth(std::u16string_view cluster);
    // The glyph of a basic-plane character in the font's own face; 0 when the face lacks it and
    // the character must come from a fallback face.
    [[nodiscard]] quint32 Glyph(char16_t c) {
        GlyphPage* page = m_glyphPages[c >> 8].get();
        if (page != nullptr) {
            const quint32 glyph = (*page)[c & 0xFF];
            if (glyph != kUnknownGlyph) return glyph;
        }
        return LookUpGlyph(c);
    }
    // The face itself, for drawing positioned glyphs.
    [[nodiscard]] const QRawFont& RawFont() const noexcept { return m_rawFont; }

private:
    using Page = std::array<int16_t, 256>;
    using GlyphPage = std::array<quint32, 256>;
    static constexpr quint32 kUnknownGlyph = 0xFFFFFFFF;
    int32_t Measure(char16_t c);
    int32_t MeasurePair(char32_t c);
    quint32 LookUpGlyph(char16_t c);

    QFont m_font;
    QFontMetrics m_metrics;
    int32_t m_height = 0;
    int32_t m_ascent = 0;
    int32_t m_descent = 0;
    int32_t m_leading = 0;
    int32_t m_averageWidth = 0;
    std::array<std::unique_ptr<Page>, 256> m_pages;
    std::unordered_map<char32_t, int32_t> m_pairWidths;
    std::unordered_map<std::u16string, int32_t> m_clusterWidths;
    QRawFont m_rawFont;
    std::array<std::unique_ptr<GlyphPage>, 256> m_glyphPages;
};

class CFontCache {
public:
    // The font whose cell height (ascent + descent) is `cellHeight` pixels, or as near below it
    // as the face allows. The entry lives as long as the cache.
    CFontEntry& Get(bool fixedWidth, int32_t cellHeight, bool bold, bool italic);

private:
    std::map<uint32_t, std::unique_ptr<CFontEntry>> m_entries;
};
