// The caret moves of the view: characters, words, rows, paragraphs, pages and selections.
#include "layout/NoteDocumentGlyph.h"
#include "layout/NotePendingGlyph.h"
#include "layout/NoteRowGlyph.h"
#include "layout/NoteView.h"
#include "layout/NoteViewGlyph.h"
#include "model/Clusters.h"

namespace NoteLayoutEngine {

using NoteEditEngine::CNotePosition;

namespace {

// The row before (or after) a row in display order, across paragraphs and notes; null at the
// first (last) row of all.
CNoteGlyph* AdjacentRow(CNoteGlyph* row, bool forward) {
    CNoteGlyph* glyph = row;
    while (glyph->Parent() != nullptr &&
           (forward ? glyph->NextSibling() : glyph->PreviousSibling()) == nullptr)
        glyph = glyph->Parent();
    if (glyph->Parent() == nullptr) return nullptr;
    glyph = forward ? glyph->NextSibling() : glyph->PreviousSibling();
    while (!glyph->Children().Empty())
        glyph = forward ? glyph->FirstChild() : glyph->LastChild();
    return glyph;
}

}  // namespace

void CNoteView::MoveCharacterLeft(bool extend) {
    if (!HasNotes()) return;
    CNotePosition p = m_active;
    StepBackward(p);
    // A cluster is one character: no caret inside it.
    while (NoteEditEngine::IsInsideCluster(p))
        StepBackward(p);
    SetCaret(p, extend, true);
}

void CNoteView::MoveCharacterRight(bool extend) {
    if (!HasNotes()) return;
    CNotePosition p = m_active;
    StepForward(p);
    while (NoteEditEngine::IsInsideCluster(p))
        StepForward(p);
    SetCaret(p, extend, true);
}

void CNoteView::MoveWordLeft(bool extend) {
    if (!HasNotes()) return;
    CNotePosition p = m_active;
    if (p.ElementIsParagraph()) {
        StepBackward(p);
    } else {
        p.BackOverNonWord();
        p.BackOverWord();
    }
    SetCaret(p, extend, true);
}

void CNoteView::MoveWordRight(bool extend) {
    if (!HasNotes()) return;
    CNotePosition p = m_active;
    if (p.IsAtParagraphEnd()) {
        StepForward(p);
    } else {
        p.ForwardOverWord();
        p.ForwardOverNonWord();
    }
    SetCaret(p, extend, true);
}

void CNoteView::MoveRowUp(bool extend) {
    MoveRow(false, extend);
}

void CNoteView::MoveRowDown(bool extend) {
    MoveRow(true, extend);
}

void CNoteView::MoveRow(bool down, bool extend) {
    if (!HasNotes()) return;
    const RowLocation location = LocateRow(m_active);
    if (location.row == nullptr) return;
    CNoteGlyph* target = AdjacentRow(location.row, down);
    if (const auto* pending = dynamic_cast<const CNotePendingGlyph*>(target)) {
        // The next row is not laid out yet: lay out its side of the pending part, then look again.
        const CNotePosition start = pending->Start();
        EnsureLaidOutAt(down ? start
                             : start.Document()->FromIndex(IndexOf(start) + pending->Length() - 1));
        MoveRow(down, extend);
        return;
    }
    CNotePosition p;
    if (target == nullptr) {
        p = down ? m_active.DocumentEnd() : m_active.DocumentStart();
    } else {
        p = HitTest(m_preferredX, target->AbsoluteTop() + target->GetMargins().top);
    }
    SetCaret(p, extend, false);
}

void CNoteView::MoveParagraphUp(bool extend) {
    if (!HasNotes()) return;
    CNotePosition p = m_active;
    if (p.ElementIsParagraph()) StepBackward(p);
    SetCaret(p.ParagraphOf(), extend, true);
}

void CNoteView::MoveParagraphDown(bool extend) {
    if (!HasNotes()) return;
    CNotePosition p = m_active.ParagraphEnd();
    StepForward(p);
    SetCaret(p, extend, true);
}

void CNoteView::MoveRowStart(bool extend) {
    if (!HasNotes()) return;
    const RowLocation location = LocateRow(m_active);
    if (location.row == nullptr) return;
    SetCaret(location.row->Start(), extend, true);
}

void CNoteView::MoveRowEnd(bool extend) {
    if (!HasNotes()) return;
    const Point point = PointOf(m_active);
    SetCaret(HitTest(kFarRight, point.y), extend, true);
}

void CNoteView::MoveStartOfAll(bool extend) {
    if (!HasNotes()) return;
    SetCaret(FirstOfAll(), extend, true);
}

void CNoteView::MoveEndOfAll(bool extend) {
    if (!HasNotes()) return;
    SetCaret(LastOfAll(), extend, true);
}

int32_t CNoteView::MovePageUp(int32_t clientHeight, bool extend) {
    return MovePage(clientHeight, false, extend);
}

int32_t CNoteView::MovePageDown(int32_t clientHeight, bool extend) {
    return MovePage(clientHeight, true, extend);
}

int32_t CNoteView::MovePage(int32_t clientHeight, bool down, bool extend) {
    if (!HasNotes()) return 0;
    const Point from = PointOf(m_active);
    const int32_t step = clientHeight * 12 / 15;
    const int32_t y = from.y + TextHeight(m_active) / 2 + (down ? step : -step);
    // On the last (first) row of all, the hit test at the preferred x would take the caret back
    // off the end (start) it went to the press before.
    const RowLocation location = LocateRow(m_active);
    const bool edgeRow = location.row != nullptr && AdjacentRow(location.row, down) == nullptr;
    CNotePosition p = edgeRow ? m_active : HitTest(m_preferredX, y);
    const int32_t scroll = PointOf(p).y - from.y;
    if (p == m_active) p = down ? m_active.DocumentEnd() : m_active.DocumentStart();
    SetCaret(p, extend, false);
    return scroll;
}

void CNoteView::CollapseToStart() {
    if (!HasNotes()) return;
    SetCaret(SelectionStart(), false, true);
}

void CNoteView::CollapseToEnd() {
    if (!HasNotes()) return;
    SetCaret(SelectionEnd(), false, true);
}

void CNoteView::SelectWord() {
    if (!HasNotes()) return;
    CNotePosition start = m_active;
    start.BackOverWord();
    CNotePosition end = m_active;
    end.ForwardOverWord();
    SetSelection(start, end, true);
}

void CNoteView::SelectParagraph() {
    if (!HasNotes()) return;
    SetSelection(m_active.ParagraphOf(), m_active.ParagraphEnd(), true);
}

void CNoteView::SelectAll() {
    if (!HasNotes()) return;
    SetSelection(FirstOfAll(), LastOfAll(), true);
}

}  // namespace NoteLayoutEngine
