#include "model/NotePosition.h"

#include "base/Utf16.h"
#include "model/NoteDocument.h"

namespace NoteEditEngine {

CNotePosition::CNotePosition(CNoteDocument* document, ElementIterator element,
                             CharacterStyle typing) noexcept
    : m_document(document), m_element(element), m_typing(typing) {}

const ElementList& CNotePosition::List() const noexcept {
    return m_document->Elements();
}

uint32_t CNotePosition::Index() const noexcept {
    return List().index(m_element);
}

CNotePosition CNotePosition::DocumentStart() const noexcept {
    CNotePosition start(m_document, List().begin(), m_typing);
    ElementIterator second = start.m_element;
    ++second;
    if (second != List().end()) start.m_typing = (*second)->Style();
    return start;
}

CNotePosition CNotePosition::DocumentEnd() const noexcept {
    const ElementIterator last(List().Last(), &List());
    return {m_document, last, (*last)->Style()};
}

// Through the mark counts of the tree: a walk back over a long paragraph would cost every
// keystroke time in proportion to the paragraph's length.
CNotePosition CNotePosition::ParagraphOf() const noexcept {
    // The first element is a mark, so there always is one.
    ElementList::Node* mark = List().MarkAtOrBefore(m_element.node());
    return {m_document, {mark, &List()}, m_typing};
}

ParagraphFormat CNotePosition::ParagraphFormatOf() const noexcept {
    return AsParagraph(ParagraphOf().Element())->Format();
}

CNotePosition CNotePosition::ParagraphEnd() const noexcept {
    CNotePosition end = *this;
    const ElementList::Node* nextMark = List().MarkAfter(m_element.node());
    end.m_element = {nextMark != nullptr ? List().Previous(nextMark) : List().Last(), &List()};
    return end;
}

CNotePosition CNotePosition::Before() const noexcept {
    CNotePosition before = *this;
    before.StepLeft();
    return before;
}

// Through the predecessor rather than begin(): begin() walks down from the root every time.
bool CNotePosition::IsAtStart() const noexcept {
    return List().Previous(m_element.node()) == nullptr;
}

bool CNotePosition::IsAtEnd() const noexcept {
    return List().is_last(m_element);
}

bool CNotePosition::IsAtParagraphEnd() const noexcept {
    ElementIterator next = m_element;
    ++next;
    return next == List().end() || (*next)->IsParagraph();
}

char16_t CNotePosition::CodeUnitAt() const noexcept {
    const CNoteCharacter* character = AsCharacter(Element());
    return character != nullptr ? character->CodeUnit() : char16_t{0};
}

bool CNotePosition::IsInsidePair() const noexcept {
    if (!NoteBase::IsHighSurrogate(CodeUnitAt())) return false;
    ElementIterator next = m_element;
    ++next;
    if (next == List().end()) return false;
    const CNoteCharacter* character = AsCharacter(*next);
    return character != nullptr && NoteBase::IsLowSurrogate(character->CodeUnit());
}

void CNotePosition::StepLeft() noexcept {
    m_typing = Element()->Style();
    if (auto* previous = List().Previous(m_element.node())) m_element = {previous, &List()};
}

void CNotePosition::StepRight() noexcept {
    ElementIterator next = m_element;
    ++next;
    if (next != List().end()) m_element = next;
    m_typing = Element()->Style();
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
