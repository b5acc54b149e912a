#include "model/NotePosition.h"

#include "base/Utf16.h"
#include "model/NoteDocument.h"

namespace NoteEditEngine {

CNotePosition::CNotePosition(CNoteDocument* document, ElementIterator element,
                             CharacterStyle typing) noexcept
    : m_document(document), m_typing(typing) {
    if (element.piece() == nullptr) --element;  // end() stands for the last element
    Hold(element.piece(), element.Unit());
}

const CNoteText& CNotePosition::Text() const noexcept {
    return m_document->Text();
}

void CNotePosition::Hold(Piece* piece, uint32_t unit) noexcept {
    m_unit = unit;
    m_piece = piece;
    m_epoch = Text().Epoch();
    m_indexShape = kStale;
}

Piece* CNotePosition::Held() const noexcept {
    const CNoteText& text = Text();
    if (m_piece == nullptr || m_epoch != text.Epoch()) {
        m_piece = text.PieceOf(m_unit);
        m_epoch = text.Epoch();
        if (m_piece == nullptr) {
            // Whoever held a removed element missed its removing notification; the document
            // start is a place that exists.
            m_piece = text.First();
            const_cast<CNotePosition*>(this)->m_unit = m_piece->start;
            m_indexShape = kStale;
        }
    }
    return m_piece;
}

ElementIterator CNotePosition::Iterator() const noexcept {
    Piece* piece = Held();
    return {&Text(), piece, m_unit - piece->start};
}

uint32_t CNotePosition::Index() const noexcept {
    const CNoteText& text = Text();
    if (m_indexShape == text.Shape()) return m_index;
    Piece* piece = Held();
    m_index = text.Rank(piece) + (m_unit - piece->start);
    m_indexShape = text.Shape();
    return m_index;
}

CNotePosition CNotePosition::DocumentStart() const noexcept {
    CNotePosition start = *this;
    Piece* first = Text().First();
    start.Hold(first, first->start);
    ElementIterator second(&Text(), first, 0);
    ++second;
    if (second.piece() != nullptr) start.m_typing = second.Style();
    return start;
}

CNotePosition CNotePosition::DocumentEnd() const noexcept {
    CNotePosition end = *this;
    Piece* last = Text().Last();
    end.Hold(last, last->start + last->length - 1);
    end.m_typing = last->style;
    return end;
}

CNotePosition CNotePosition::ParagraphOf() const noexcept {
    CNotePosition mark = *this;
    Piece* piece = Text().MarkAtOrBefore(Held());
    mark.Hold(piece, piece->start);
    return mark;
}

ParagraphFormat CNotePosition::ParagraphFormatOf() const noexcept {
    return Text().MarkAtOrBefore(Held())->format;
}

CNotePosition CNotePosition::ParagraphEnd() const noexcept {
    CNotePosition end = *this;
    const Piece* nextMark = Text().MarkAfter(Held());
    Piece* last = nextMark != nullptr ? CNoteText::Previous(nextMark) : Text().Last();
    end.Hold(last, last->start + last->length - 1);
    return end;
}

CNotePosition CNotePosition::Before() const noexcept {
    CNotePosition before = *this;
    before.StepLeft();
    return before;
}

bool CNotePosition::IsAtStart() const noexcept {
    const Piece* piece = Held();
    return m_unit == piece->start && CNoteText::Previous(piece) == nullptr;
}

bool CNotePosition::IsAtEnd() const noexcept {
    const Piece* piece = Held();
    return m_unit + 1 == piece->start + piece->length && CNoteText::Next(piece) == nullptr;
}

bool CNotePosition::IsAtParagraphEnd() const noexcept {
    const Piece* piece = Held();
    if (m_unit + 1 < piece->start + piece->length) return false;
    const Piece* next = CNoteText::Next(piece);
    return next == nullptr || next->mark;
}

char16_t CNotePosition::CodeUnitAt() const noexcept {
    const Piece* piece = Held();
    return piece->mark ? char16_t{0} : Text().UnitAt(m_unit);
}

bool CNotePosition::IsInsidePair() const noexcept {
    if (!NoteBase::IsHighSurrogate(CodeUnitAt())) return false;
    ElementIterator next = Iterator();
    ++next;
    return next.piece() != nullptr && !next.IsParagraph() &&
           NoteBase::IsLowSurrogate(next.CodeUnit());
}

void CNotePosition::StepLeft() noexcept {
    Piece* piece = Held();
    m_typing = piece->style;
    if (m_unit > piece->start) {
        --m_unit;
        if (m_indexShape != kStale) --m_index;
    } else if (Piece* previous = CNoteText::Previous(piece)) {
        Hold(previous, previous->start + previous->length - 1);
    }
}

void CNotePosition::StepRight() noexcept {
    Piece* piece = Held();
    if (m_unit + 1 < piece->start + piece->length) {
        ++m_unit;
        if (m_indexShape != kStale) ++m_index;
    } else if (Piece* next = CNoteText::Next(piece)) {
        Hold(next, next->start);
        piece = next;
    }
    m_typing = piece->style;
}

namespace {
bool HoldsWordCharacter(const CNotePosition& p) noexcept {
    return !p.ElementIsParagraph() && IsWordCharacter(p.CodeUnitAt());
}
}  // namespace

void CNotePosition::BackOverWord() noexcept {
    // A paragraph mark is no word character, so the walk ends at the paragraph start.
    while (HoldsWordCharacter(*this))
        StepLeft();
}

void CNotePosition::BackOverNonWord() noexcept {
    while (!ElementIsParagraph() && !HoldsWordCharacter(*this))
        StepLeft();
}

void CNotePosition::ForwardOverWord() noexcept {
    while (!IsAtParagraphEnd()) {
        StepRight();
        if (!HoldsWordCharacter(*this)) {
            StepLeft();
            return;
        }
    }
}

void CNotePosition::ForwardOverNonWord() noexcept {
    while (!IsAtParagraphEnd()) {
        StepRight();
        if (HoldsWordCharacter(*this)) {
            StepLeft();
            return;
        }
    }
}

}  // namespace NoteEditEngine
