#include "layout/NoteGlyph.h"

#include <algorithm>

#include "layout/NoteView.h"

namespace NoteLayoutEngine {

using NoteEditEngine::CNotePosition;

CNoteGlyph::CNoteGlyph(CNoteView* view, CNoteGlyph* parent, const CNotePosition& start)
    : m_start(start), m_parent(parent), m_view(view) {}

CNoteGlyph::~CNoteGlyph() = default;

int32_t CNoteGlyph::HeightAbove(const CNoteGlyph* child) const noexcept {
    return static_cast<int32_t>(CGlyphChildList::Before(child).height);
}

int32_t CNoteGlyph::AbsoluteTop() const noexcept {
    int32_t top = 0;
    for (const CNoteGlyph* glyph = this; glyph->m_parent != nullptr; glyph = glyph->m_parent)
        top += glyph->m_parent->m_margins.top + glyph->m_parent->HeightAbove(glyph);
    return top;
}

CNotePosition CNoteGlyph::End() const noexcept {
    if (m_length == 0 || m_start.IsNull()) return m_start;
    return m_start.Document()->FromIndex(IndexOf(m_start) + m_length);
}

void CNoteGlyph::TakeOutOfParent() noexcept {
    if (m_parent == nullptr) return;
    m_parent->m_length -= m_length;
    m_parent->m_height -= m_height;
}

void CNoteGlyph::PutBackIntoParent() noexcept {
    if (m_parent == nullptr) return;
    m_parent->m_length += m_length;
    m_parent->m_height += m_height;
    m_parent->m_children.Refresh(this);
}

void CNoteGlyph::SetMargins(const Margins& margins) noexcept {
    m_height += margins.top + margins.bottom - m_margins.top - m_margins.bottom;
    m_margins = margins;
}

CNoteGlyph* CNoteGlyph::InsertChild(CNoteGlyph* before, std::unique_ptr<CNoteGlyph> child) {
    m_length += child->m_length;
    m_height += child->m_height;
    return m_children.InsertBefore(before, std::move(child));
}

void CNoteGlyph::DeleteChild(CNoteGlyph* child) noexcept {
    m_length -= child->m_length;
    m_height -= child->m_height;
    m_children.Remove(child);
}

void CNoteGlyph::DeleteChildrenAfter(CNoteGlyph* child) noexcept {
    while (CNoteGlyph* next = child->NextSibling())
        DeleteChild(next);
}

CNoteGlyph* CNoteGlyph::FindChild(const CNotePosition& position) const {
    const int64_t distance = IndexOf(position) - IndexOf(m_start);
    return m_children.FindByOffset(distance);
}

CNotePosition CNoteGlyph::HitTest(int32_t x, int32_t y) {
    if (m_children.Empty()) return m_start;
    x = std::clamp(x, m_margins.left, std::max(m_margins.left, m_width - m_margins.right - 1));
    y = std::clamp(y, m_margins.top, std::max(m_margins.top, m_height - m_margins.bottom - 1));
    x -= m_margins.left;
    y -= m_margins.top;
    CNoteGlyph* child = m_children.FindByY(y);
    return child->HitTest(x, y - HeightAbove(child));
}

Point CNoteGlyph::PointOf(const CNotePosition& position) {
    CNoteGlyph* child = FindChild(position);
    if (child == nullptr) return {m_margins.left, m_margins.top};
    Point point = child->PointOf(position);
    point.x += m_margins.left;
    point.y += m_margins.top + HeightAbove(child);
    return point;
}

void CNoteGlyph::Dump(std::string& text) const {
    for (const CNoteGlyph* child = FirstChild(); child != nullptr; child = child->NextSibling())
        child->Dump(text);
}

CNoteGlyph::DrawSpan CNoteGlyph::SpanOf(const CNotePosition& position, int64_t count) const {
    DrawSpan span;
    span.first = FindChild(position);
    if (span.first == nullptr) return span;
    span.last = span.first;
    span.top = m_margins.top + HeightAbove(span.first);
    span.bottom = span.top + span.first->m_height;
    int64_t remaining =
        count - (IndexOf(span.first->m_start) + span.first->m_length - IndexOf(position));
    span.lastCount = count;
    for (CNoteGlyph* next = span.first->NextSibling(); next != nullptr && remaining > 0;
         next = next->NextSibling()) {
        span.lastCount = remaining - SiblingGap();
        remaining -= SiblingGap() + next->m_length;
        span.bottom += next->m_height;
        span.last = next;
    }
    return span;
}

CNoteGlyph::Band CNoteGlyph::DrawnBand(const CNotePosition& position, int64_t count) const {
    const DrawSpan span = SpanOf(position, count);
    if (span.first == nullptr) return {0, m_height};
    const Band first = span.first->DrawnBand(position, count);
    const Band last =
        span.last == span.first ? first : span.last->DrawnBand(span.last->m_start, span.lastCount);
    const int32_t lastTop = span.bottom - span.last->m_height;
    Band band{span.top + first.top, lastTop + last.bottom};
    if (span.first == FirstChild() && first.top == 0) band.top = 0;
    if (span.last == LastChild() && last.bottom == span.last->m_height) band.bottom = m_height;
    return band;
}

void CNoteGlyph::EraseMargins(int32_t x, int32_t y, const Band& band) const {
    ISurface& surface = m_view->Surface();
    if (band.top == 0) surface.EraseRect(x, y, m_width, m_margins.top);
    if (band.bottom == m_height) {
        surface.EraseRect(x, y + m_height - m_margins.bottom, m_width, m_margins.bottom);
    }
    const int32_t height = band.bottom - band.top;
    surface.EraseRect(x, y + band.top, m_margins.left, height);
    surface.EraseRect(x + m_width - m_margins.right, y + band.top, m_margins.right, height);
}

void CNoteGlyph::DrawChildren(const CNotePosition& position, int64_t count, int32_t x, int32_t y,
                              const DrawSpan& span) {
    if (span.first == nullptr) return;
    CNoteGlyph* child = span.first;
    int32_t childY = y + span.top;
    child->Draw(position, count, x + m_margins.left, childY);
    int64_t remaining = count - (IndexOf(child->m_start) + child->m_length - IndexOf(position));
    while (child != span.last) {
        CNoteGlyph* next = child->NextSibling();
        childY += child->m_height;
        remaining -= SiblingGap();
        next->Draw(next->m_start, remaining, x + m_margins.left, childY);
        remaining -= next->m_length;
        child = next;
    }
}

void CNoteGlyph::Draw(const CNotePosition& position, int64_t count, int32_t x, int32_t y) {
    const DrawSpan span = SpanOf(position, count);
    const Band band = DrawnBand(position, count);
    EraseMargins(x, y, band);
    DrawChildren(position, count, x, y, span);
    DrawFrame(x, y, band);
}

CNotePosition CNoteGlyph::Reflow(const CNotePosition& position, int64_t count, int32_t width,
                                 bool& aligned) {
    TakeOutOfParent();
    const CNotePosition end = ReflowChildren(position, count, width, aligned);
    PutBackIntoParent();
    return end;
}

bool CNoteGlyph::UnitFinished(const CNotePosition& p) const {
    return p.IsAtEnd();
}

CNotePosition CNoteGlyph::ReflowChildren(const CNotePosition& position, int64_t count,
                                         int32_t width, bool& aligned) {
    width = std::max(width, 0);
    m_width = width;
    const int32_t inner = width - m_margins.left - m_margins.right;
    CNoteGlyph* child = FindChild(position);
    CNotePosition p = child->Reflow(position, count, inner, aligned);
    if (child->m_length == 0 && child->PreviousSibling() != nullptr) {
        // Everything after the place it started at was removed: the child before it already ends
        // there. (A trailing empty paragraph is put back by the note's own layout.)
        CNoteGlyph* previous = child->PreviousSibling();
        DeleteChild(child);
        child = previous;
    }
    // Counted by child lengths from here on: one index walk per relayout, not one per child.
    int64_t laidOut = IndexOf(p) - IndexOf(position);
    while (!UnitFinished(p)) {
        if (aligned && laidOut >= count) return p;
        CNoteGlyph* next = child->NextSibling();
        if (next != nullptr && next->m_start == p && laidOut >= count) {
            // This child and all after it still hold: their starts and elements are as they were.
            aligned = true;
            return p;
        }
        if (next != nullptr && IndexOf(next->m_start) < IndexOf(p)) {
            // Its elements went to the children laid out before it.
            DeleteChild(next);
            continue;
        }
        if (std::unique_ptr<CNoteGlyph> deferred = DeferredChild(p, laidOut)) {
            next = InsertChild(next, std::move(deferred));
        } else if (next == nullptr || !(next->m_start == p)) {
            next = InsertChild(next, FirstChild()->CreateSibling(this, p));
        }
        p = next->Reflow(p, std::max<int64_t>(0, count - laidOut), inner, aligned);
        laidOut += next->m_length;
        child = next;
    }
    DeleteChildrenAfter(child);
    return p;
}

int64_t CNoteGlyph::RemoveElements(const CNotePosition& position, int64_t count) {
    if (count == 0) return 0;
    TakeOutOfParent();
    CNoteGlyph* child = FindChild(position);
    int64_t removed = child->RemoveElements(position, count);
    // A follower starts at the last element of the child before it; when that element goes, so
    // does the follower.
    while (removed <= count) {
        CNoteGlyph* next = child->NextSibling();
        if (next == nullptr) break;
        removed += next->m_length;
        DeleteChild(next);
    }
    PutBackIntoParent();
    return removed;
}

}  // namespace NoteLayoutEngine
