#pragma once

// A note view on a surface with fixed font measurements that records what it draws, in a window
// with a fixed client height, so that layouts, points, hit tests and paint order can be asserted
// exactly. Styles look as the real style table makes them; only the fonts are fixed:
//
// every character 8 wide (a surrogate pair too), except the zero-width U+200B, the combining
// marks U+0300..U+036F and lone surrogates (0 wide, laid out as "?"); a font's descent is a fifth
// of its cell height (cell 16: ascent 13, descent 3; Header 1 24: 19/5; Header 2 20: 16/4); the
// fixed-width face has an external leading of 2. At Medium that gives an indent unit of 32,
// marker unit 6, line thickness 2, view margins 0/10/15/15 and note margins 20/20/0/0.
//
// Draw calls are recorded as short strings:
//   R(x,y)"text"       a run; "*" after it when selected, "s<word>" for a character style,
//                      "~" when misspelt, "@<address>" for a link
//   E(x,y,w,h)         EraseRect (empty rectangles are not recorded)
//   M(x,y,lm,h)<style> DrawListMarker for a list style
//   H(x,y,w,h,first)   DrawNoteHeader
//   S(x,y,w,h,last)    DrawNoteSeparator
//   F(x,y,w,h,grey)    the fill below the tree at EndPaint
//
// With a canvas attached the same calls also paint it, like pixels of the client area, so that
// what incremental redraws left on screen can be compared with a full repaint.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/Utf16.h"
#include "base/Utf8.h"
#include "layout/LayoutTypes.h"
#include "layout/NoteView.h"
#include "layout/NoteWindow.h"
#include "layout/StyleTable.h"
#include "layout/Surface.h"
#include "model/Styles.h"

namespace NoteLayoutEngine::TestSupport {

// Each code unit on its own, so that a lone surrogate shows as its three bytes.
inline std::string Narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text)
        NoteBase::AppendUtf8(out, c);
    return out;
}

// The client area as one value per unit square. A text cell holds its character, character
// style, selection state and paragraph style, so a stale or misstyled cell differs from a fresh
// one; erased area is 0, the grey of an empty view 1, list markers and note separators have
// values of their own. Drawing is clipped to the area, as a window clips it.
class CTestCanvas {
public:
    static constexpr uint32_t kUnpainted = 0xFFFFFFFFu;
    static constexpr uint32_t kGrey = 1;

    CTestCanvas(int32_t width, int32_t height)
        : m_width(width),
          m_height(height),
          m_cells(static_cast<size_t>(width) * height, kUnpainted) {}

    [[nodiscard]] int32_t Width() const noexcept { return m_width; }
    [[nodiscard]] int32_t Height() const noexcept { return m_height; }
    [[nodiscard]] uint32_t At(int32_t x, int32_t y) const noexcept {
        return m_cells[static_cast<size_t>(y) * m_width + x];
    }
    void Fill(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t value) {
        const int32_t left = std::max(x, 0);
        const int32_t right = std::min(x + width, m_width);
        const int32_t top = std::max(y, 0);
        const int32_t bottom = std::min(y + height, m_height);
        for (int32_t row = top; row < bottom; ++row) {
            auto line = m_cells.begin() + static_cast<ptrdiff_t>(row) * m_width;
            std::fill(line + left, line + std::max(left, right), value);
        }
    }
    // The first cell where the canvases differ, as "x,y: a vs b"; empty when they are equal.
    [[nodiscard]] std::string FirstDifference(const CTestCanvas& other) const {
        for (int32_t y = 0; y < m_height; ++y)
            for (int32_t x = 0; x < m_width; ++x)
                if (At(x, y) != other.At(x, y))
                    return std::to_string(x) + "," + std::to_string(y) + ": " +
                           std::to_string(At(x, y)) + " vs " + std::to_string(other.At(x, y));
        return {};
    }
    friend bool operator==(const CTestCanvas&, const CTestCanvas&) = default;

private:
    int32_t m_width;
    int32_t m_height;
    std::vector<uint32_t> m_cells;
};

// A surface with the fixed measurements above that records what is drawn and, with a canvas,
// paints it; canvasTop is the tree y of the canvas's top row (the window's scroll position).
class CTestSurface : public ISurface {
public:
    static constexpr int32_t kCharWidth = 8;

    bool recording = true;
    // False: the surface only gathers where drawing lands, as a window's outside painting does.
    bool paints = true;
    // What was drawn since the last Take().
    std::vector<std::string> calls;
    // Painted as well when set.
    CTestCanvas* canvas = nullptr;
    int32_t canvasTop = 0;

    std::vector<std::string> Take() {
        std::vector<std::string> out;
        out.swap(calls);
        return out;
    }
    // Only the recorded calls that start with `kind` ("R", "E", ...).
    std::vector<std::string> TakeOnly(std::string_view kind) {
        std::vector<std::string> out;
        for (std::string& call : Take())
            if (call.compare(0, kind.size(), kind) == 0) out.push_back(call);
        return out;
    }
    void Record(std::string call) {
        if (recording) calls.push_back(std::move(call));
    }
    void Paint(int32_t x, int32_t y, int32_t width, int32_t height, uint32_t value) {
        if (canvas != nullptr) canvas->Fill(x, y - canvasTop, width, height, value);
    }
    static std::string Box(int32_t x, int32_t y, int32_t w, int32_t h) {
        return std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) + "," +
               std::to_string(h);
    }

    int32_t DrawRun(std::u16string_view text, int32_t x, int32_t y) override {
        std::string call =
            "R(" + std::to_string(x) + "," + std::to_string(y) + ")\"" + Narrow(text) + "\"";
        if (m_selected) call += "*";
        if (m_style.Word() != 0) call += "s" + std::to_string(m_style.Word());
        if (m_mark == TextMark::kMisspelt) call += "~";
        if (m_mark == TextMark::kLink) call += "@" + Narrow(m_target);
        Record(call);
        // A surrogate pair is one character: one cell, painted with its first half.
        int32_t characters = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            if (i > 0 && NoteBase::CodePointLength(text, i - 1) == 2) continue;
            const uint32_t cell = (1u << 28) | (m_paragraph << 20) | (m_selected ? 1u << 19 : 0) |
                                  (m_style.Word() << 16) | text[i];
            Paint(x + characters * kCharWidth, y, kCharWidth, m_metrics.lineHeight, cell);
            ++characters;
        }
        return characters * kCharWidth;
    }
    void DrawListMarker(int32_t x, int32_t y, int32_t leftMargin, int32_t height) override {
        if (!NoteEditEngine::IsListStyle(m_paragraph)) return;
        const int32_t u = m_metrics.markerUnit;
        Paint(x - 2 * u, y + (height - u) / 2, u, u, (2u << 28) | m_paragraph);
        Record("M(" + std::to_string(x) + "," + std::to_string(y) + "," +
               std::to_string(leftMargin) + "," + std::to_string(height) + ")" +
               std::to_string(m_paragraph));
    }
    void DrawNoteHeader(int32_t x, int32_t y, int32_t width, int32_t height,
                        bool isFirst) override {
        Record("H(" + Box(x, y, width, height) + "," + (isFirst ? "first" : "-") + ")");
    }
    void DrawNoteSeparator(int32_t x, int32_t y, int32_t width, int32_t height,
                           bool isLast) override {
        const int32_t half = m_metrics.lineThickness / 2;
        if (!isLast) Paint(x, y + height - half, width, half, 3u << 28);
        Record("S(" + Box(x, y, width, height) + "," + (isLast ? "last" : "-") + ")");
    }
    void ApplyTextMark(TextMark mark, std::u16string_view target) override {
        m_mark = mark;
        m_target = target;
    }
    void EraseRect(int32_t x, int32_t y, int32_t width, int32_t height) override {
        if (width <= 0 || height <= 0) return;
        Paint(x, y, width, height, 0);
        Record("E(" + Box(x, y, width, height) + ")");
    }
    void ResetStyle() override {
        m_style = {};
        m_paragraph = NoteEditEngine::kNormal;
        m_indent = 0;
        m_selected = false;
        Apply();
    }
    void ApplyCharacterStyle(NoteEditEngine::CharacterStyle style, bool selected) override {
        if (style == m_style && selected == m_selected) return;
        m_style = style;
        m_selected = selected;
        Apply();
    }
    void ApplyParagraphStyle(uint32_t style, int32_t indent, bool selected) override {
        if (style == m_paragraph && indent == m_indent && selected == m_selected) return;
        m_paragraph = style;
        m_indent = indent;
        m_selected = selected;
        Apply();
    }
    [[nodiscard]] bool Paints() const noexcept override { return paints; }
    [[nodiscard]] const LayoutMetrics& Metrics() const noexcept override { return m_metrics; }
    int32_t CharWidth(char32_t character) override {
        if (character == 0x200B || (character >= 0x0300 && character <= 0x036F)) return 0;
        if (NoteBase::IsSurrogate(character)) return 0;
        return kCharWidth;
    }

private:
    static FontMeasures Measure(const FontRequest& font) {
        const int32_t descent = (font.cellHeight + 1) / 5;
        return {font.cellHeight - descent, descent, font.fixedWidth ? 2 : 0, kCharWidth};
    }
    // Looks are cached as the editor's surface caches its styles, so that layout costs what it
    // costs there.
    static constexpr size_t kLooksPerParagraph = (NoteEditEngine::CharacterStyle::kMask + 1) * 2;
    struct CachedLook {
        bool valid = false;
        StyleLook look;
    };

    void Apply() {
        const uint32_t paragraph = m_paragraph < NoteEditEngine::kParagraphStyleCount
                                       ? m_paragraph
                                       : NoteEditEngine::kNormal;
        CachedLook& cached =
            m_looks[paragraph * kLooksPerParagraph + m_style.Word() * 2 + (m_selected ? 1 : 0)];
        if (!cached.valid)
            cached = {true, LookOf(paragraph, m_style, m_selected,
                                   TextScaleOf(TextSize::kMedium, false), false, Measure)};
        m_metrics = cached.look.metrics;
    }

    NoteEditEngine::CharacterStyle m_style;
    TextMark m_mark = TextMark::kNone;
    std::u16string m_target;
    uint32_t m_paragraph = NoteEditEngine::kNormal;
    int32_t m_indent = 0;
    bool m_selected = false;
    LayoutMetrics m_metrics;
    std::array<CachedLook, NoteEditEngine::kParagraphStyleCount * kLooksPerParagraph> m_looks;
};

// A window of clientHeight scrolled to scrollTop, showing `view` on `surface`: it scrolls as the
// editor does and records the fill below the notes ("F(...)").
class CTestWindow : public INoteWindow {
public:
    CTestWindow(CNoteView& view, CTestSurface& surface) : m_view(view), m_surface(surface) {}

    int32_t clientHeight = 400;
    int32_t scrollTop = 0;
    int32_t scrollExtent = 0;

    void ScrollToNote(int32_t top) override {
        if (m_view.TreeHeight() > clientHeight) scrollTop = top;
    }
    void BeginUpdate() override {}
    void UpdateScrollSizes(int32_t treeHeight) override { scrollExtent = treeHeight; }
    VisibleBand BeginPaint() override {
        m_surface.canvasTop = scrollTop;
        return {scrollTop, clientHeight};
    }
    void EndPaint() override {
        const int32_t bottom = scrollTop + clientHeight;
        const int32_t treeHeight = m_view.TreeHeight();
        if (bottom <= treeHeight) return;
        m_surface.Paint(0, treeHeight, m_view.ViewWidth(), bottom - treeHeight,
                        treeHeight > 0 ? 0 : CTestCanvas::kGrey);
        m_surface.Record("F(" +
                         CTestSurface::Box(0, treeHeight, m_view.ViewWidth(), bottom - treeHeight) +
                         "," + (treeHeight > 0 ? "white" : "grey") + ")");
    }
    void UpdateCaret(bool scroll) override {
        if (!m_view.HasNotes()) return;
        const CaretGeometry geometry = m_view.CaretGeometryOf(m_view.Active());
        if (!scroll) return;
        const int32_t top = geometry.point.y - geometry.spaceAbove;
        const int32_t bottom = geometry.point.y + geometry.textHeight + geometry.spaceBelow;
        if (top < scrollTop) {
            scrollTop = top;
        } else if (bottom > scrollTop + clientHeight) {
            scrollTop = bottom - clientHeight;
        }
    }

private:
    CNoteView& m_view;
    CTestSurface& m_surface;
};

// A view with a test surface and a test window of its own. It derives from both, so that tests
// reach the recording and the window's state on the view itself.
class CTestNoteView final : public CTestSurface, public CTestWindow, public CNoteView {
public:
    CTestNoteView()
        : CTestWindow(*this, *this),
          CNoteView(static_cast<CTestSurface&>(*this), static_cast<CTestWindow*>(this)) {}
};

}  // namespace NoteLayoutEngine::TestSupport
