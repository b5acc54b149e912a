#pragma once

#include <QFont>
#include <QFontMetrics>
#include <array>
#include <cstdint>
#include <map>
#include <memory>

// The fonts of the editor, one per face, cell height, weight and slant, each with its metrics and
// a table of character widths filled as characters are first measured, so that layout asks the
// font once per code unit rather than once per character laid out.
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
    // The advance of one code unit; 0 for a lone surrogate and for what the font gives no width.
    [[nodiscard]] int32_t CharWidth(char16_t c) {
        Page* page = m_pages[c >> 8].get();
        if (page != nullptr) {
            const int16_t width = (*page)[c & 0xFF];
            if (width >= 0) return width;
        }
        return Measure(c);
    }

private:
    using Page = std::array<int16_t, 256>;
    int32_t Measure(char16_t c);

    QFont m_font;
    QFontMetrics m_metrics;
    int32_t m_height = 0;
    int32_t m_ascent = 0;
    int32_t m_descent = 0;
    int32_t m_leading = 0;
    int32_t m_averageWidth = 0;
    std::array<std::unique_ptr<Page>, 256> m_pages;
};

class CFontCache {
public:
    // The font whose cell height (ascent + descent) is `cellHeight` pixels, or as near below it
    // as the face allows. The entry lives as long as the cache.
    CFontEntry& Get(bool fixedWidth, int32_t cellHeight, bool bold, bool italic);

private:
    std::map<uint32_t, std::unique_ptr<CFontEntry>> m_entries;
};
