#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "layout/GlyphChildList.h"
#include "layout/LayoutTypes.h"
#include "model/NoteDocument.h"
#include "model/NotePosition.h"

namespace NoteLayoutEngine {

class CNoteView;

// A rectangle of the layout covering a contiguous run of a note's elements: the `Length()`
// elements after `Start()`. Children stack top to bottom inside the margins; a non-row glyph's
// length is the sum of its children's lengths and its height their heights plus its top and bottom
// margins. A glyph changes its own length or height only while taken out of its parent's totals,
// so those totals stay exact without recounting.
class CNoteGlyph {
public:
    CNoteGlyph(CNoteView* view, CNoteGlyph* parent, const NoteEditEngine::CNotePosition& start);
    virtual ~CNoteGlyph();
    CNoteGlyph(const CNoteGlyph&) = delete;
    CNoteGlyph& operator=(const CNoteGlyph&) = delete;

    // --- Slot operations (coordinates relative to the glyph's top-left corner) ---

    // The position nearest to the point.
    [[nodiscard]] virtual NoteEditEngine::CNotePosition HitTest(int32_t x, int32_t y);
    // The top-left point of the caret slot before the position.
    [[nodiscard]] virtual Point PointOf(const NoteEditEngine::CNotePosition& position);
    // Appends a one-line picture of the subtree: "{[ab§]}" per paragraph and row.
    virtual void Dump(std::string& text) const;
    // Paints the glyphs covering `count` elements after position, the corner at (x, y).
    virtual void Draw(const NoteEditEngine::CNotePosition& position, int64_t count, int32_t x,
                      int32_t y);
    // Re-breaks the part covering `count` elements after position for an outer width; returns the
    // position after the glyph's last element and sets `aligned` when it stopped early at an
    // unchanged child.
    virtual NoteEditEngine::CNotePosition Reflow(const NoteEditEngine::CNotePosition& position,
                                                 int64_t count, int32_t width, bool& aligned);
    // Before `count` elements after position go: drops the children whose start goes with them.
    // Returns how many of the glyph's elements lie after position (see the base for the detail).
    virtual int64_t RemoveElements(const NoteEditEngine::CNotePosition& position, int64_t count);
    // A new, empty glyph of the receiver's kind at position (null for a document glyph).
    [[nodiscard]] virtual std::unique_ptr<CNoteGlyph> CreateSibling(
        CNoteGlyph* parent, const NoteEditEngine::CNotePosition& position) const = 0;
    // The child covering position: the one holding the element after it.
    [[nodiscard]] virtual CNoteGlyph* FindChild(
        const NoteEditEngine::CNotePosition& position) const;

    // --- Fields ---

    [[nodiscard]] int32_t Width() const noexcept { return m_width; }
    [[nodiscard]] int32_t Height() const noexcept { return m_height; }
    [[nodiscard]] const Margins& GetMargins() const noexcept { return m_margins; }
    [[nodiscard]] const NoteEditEngine::CNotePosition& Start() const noexcept { return m_start; }
    [[nodiscard]] int32_t Length() const noexcept { return m_length; }
    [[nodiscard]] CNoteGlyph* Parent() const noexcept { return m_parent; }
    [[nodiscard]] CNoteView* View() const noexcept { return m_view; }

    // --- Children, as a doubly linked list ---

    [[nodiscard]] const CGlyphChildList& Children() const noexcept { return m_children; }
    [[nodiscard]] CNoteGlyph* FirstChild() const noexcept { return m_children.First(); }
    [[nodiscard]] CNoteGlyph* LastChild() const noexcept { return m_children.Last(); }
    [[nodiscard]] CNoteGlyph* NextSibling() const noexcept { return CGlyphChildList::Next(this); }
    [[nodiscard]] CNoteGlyph* PreviousSibling() const noexcept {
        return CGlyphChildList::Previous(this);
    }
    // Summed heights of the children above `child`.
    [[nodiscard]] int32_t HeightAbove(const CNoteGlyph* child) const noexcept;
    // Top of the glyph in the coordinates of the root glyph.
    [[nodiscard]] int32_t AbsoluteTop() const noexcept;
    // The position after the glyph's last element.
    [[nodiscard]] NoteEditEngine::CNotePosition End() const noexcept;

protected:
    void TakeOutOfParent() noexcept;
    void PutBackIntoParent() noexcept;
    // Replaces the margins; the height follows. Only while taken out of the parent.
    void SetMargins(const Margins& margins) noexcept;

    CNoteGlyph* InsertChild(CNoteGlyph* before, std::unique_ptr<CNoteGlyph> child);
    void DeleteChild(CNoteGlyph* child) noexcept;
    void DeleteChildrenAfter(CNoteGlyph* child) noexcept;

    // The incremental relayout over the children, for a glyph already out of its parent's totals.
    NoteEditEngine::CNotePosition ReflowChildren(const NoteEditEngine::CNotePosition& position,
                                                 int64_t count, int32_t width, bool& aligned);
    // True when p, the end of the child laid out last, ends the unit being re-laid out.
    [[nodiscard]] virtual bool UnitFinished(const NoteEditEngine::CNotePosition& p) const;
    // The child that stands for everything from p on when the relayout, `laidOut` elements in,
    // is to stop laying out (a note's paragraphs left for later); null to go on.
    [[nodiscard]] virtual std::unique_ptr<CNoteGlyph> DeferredChild(
        const NoteEditEngine::CNotePosition& /*p*/, int64_t /*laidOut*/) {
        return nullptr;
    }

    // The children a draw of `count` elements after position reaches: the first and the last,
    // and the band between the first's top and the last's bottom (relative to this glyph).
    struct DrawSpan {
        CNoteGlyph* first = nullptr;
        CNoteGlyph* last = nullptr;
        int32_t top = 0;
        int32_t bottom = 0;
        int64_t lastCount = 0;  // the count the last child is drawn with
    };
    [[nodiscard]] DrawSpan SpanOf(const NoteEditEngine::CNotePosition& position,
                                  int64_t count) const;
    // The band, relative to this glyph, that a draw of `count` elements after position paints:
    // the whole glyph when the draw covers all of it, else from the first drawn row to the last.
    struct Band {
        int32_t top = 0;
        int32_t bottom = 0;
    };
    [[nodiscard]] virtual Band DrawnBand(const NoteEditEngine::CNotePosition& position,
                                         int64_t count) const;
    // Places between two children that no child covers (a note's leading mark, for the view).
    [[nodiscard]] virtual int64_t SiblingGap() const noexcept { return 0; }
    // Paints the margin bands beside the drawn band; the top and bottom bands only when the band
    // reaches them. A redraw of a few rows thus never reaches past them: outside painting every
    // drawn rectangle becomes an area to repaint.
    void EraseMargins(int32_t x, int32_t y, const Band& band) const;
    // Draws the children of the span.
    void DrawChildren(const NoteEditEngine::CNotePosition& position, int64_t count, int32_t x,
                      int32_t y, const DrawSpan& span);
    // What a glyph draws around its children (the note header and separator), given the band.
    virtual void DrawFrame(int32_t /*x*/, int32_t /*y*/, const Band& /*band*/) {}

    int32_t m_width = 0;
    int32_t m_height = 0;
    Margins m_margins;
    NoteEditEngine::CNotePosition m_start;
    int32_t m_length = 0;
    CNoteGlyph* m_parent;
    CNoteView* m_view;
    CGlyphChildList m_children;

private:
    friend class CGlyphChildList;
    // Links of the parent's treap and the sums of this subtree.
    CNoteGlyph* m_treeLeft = nullptr;
    CNoteGlyph* m_treeRight = nullptr;
    CNoteGlyph* m_treeParent = nullptr;
    uint32_t m_priority = 0;
    int64_t m_sumCount = 0;
    int64_t m_sumLength = 0;
    int64_t m_sumHeight = 0;
};

// Element index of a position; glyph code compares positions of one note by it.
[[nodiscard]] inline int64_t IndexOf(const NoteEditEngine::CNotePosition& p) noexcept {
    return p.Index();
}

}  // namespace NoteLayoutEngine
