#pragma once

#include <compare>
#include <cstdint>

#include "model/AVLTree.h"
#include "model/NoteElement.h"
#include "model/Styles.h"

namespace NoteEditEngine {

class CNoteDocument;

// Paragraph marks are the marks the element list counts.
struct ParagraphMarks {
    [[nodiscard]] static bool IsMark(const CNoteElement* element) noexcept {
        return IsParagraph(element);
    }
};

using ElementList = index_list<CNoteElement*, ParagraphMarks>;
static_assert(sizeof(ElementList::Node) <= 5 * sizeof(void*), "a node must stay five words");
using ElementIterator = ElementList::iterator;

// A caret place in a document: the caret stands after the element held, so the first element
// (the leading paragraph mark) is the start of the document, a paragraph element is the start of
// its paragraph and the last element is the end. A document of k elements has k caret places.
// It also carries the typing style, the style the next inserted character takes.
//
// A plain value; it stays valid until its element is removed. The null position holds nothing.
class CNotePosition {
public:
    CNotePosition() noexcept = default;
    CNotePosition(CNoteDocument* document, ElementIterator element, CharacterStyle typing) noexcept;

    [[nodiscard]] bool IsNull() const noexcept {
        return m_document == nullptr && m_element.node() == nullptr && m_element.list() == nullptr;
    }
    [[nodiscard]] CNoteDocument* Document() const noexcept { return m_document; }
    [[nodiscard]] ElementIterator Iterator() const noexcept { return m_element; }
    // The element before the caret.
    [[nodiscard]] CNoteElement* Element() const noexcept { return *m_element; }
    [[nodiscard]] CharacterStyle TypingStyle() const noexcept { return m_typing; }
    void SetTypingStyle(CharacterStyle style) noexcept { m_typing = style; }

    // Index of the element held; the document's k places are numbered 0..k-1.
    [[nodiscard]] uint32_t Index() const noexcept;

    // --- Places, as new positions (this one is unchanged) ---

    // The first element. The typing style becomes that of the element at index 1, if any.
    [[nodiscard]] CNotePosition DocumentStart() const noexcept;
    // The last element, typing in its style.
    [[nodiscard]] CNotePosition DocumentEnd() const noexcept;
    // The paragraph mark of the caret's paragraph (the nearest at or before the caret); the
    // typing style is kept.
    [[nodiscard]] CNotePosition ParagraphOf() const noexcept;
    [[nodiscard]] ParagraphFormat ParagraphFormatOf() const noexcept;
    // The last element of the caret's paragraph.
    [[nodiscard]] CNotePosition ParagraphEnd() const noexcept;
    // The place before the element held: a copy after StepLeft.
    [[nodiscard]] CNotePosition Before() const noexcept;

    // --- Tests ---

    [[nodiscard]] bool IsAtStart() const noexcept;
    [[nodiscard]] bool IsAtEnd() const noexcept;
    // At the last element, or the next element is a paragraph mark.
    [[nodiscard]] bool IsAtParagraphEnd() const noexcept;
    // The caret is at the start of a paragraph.
    [[nodiscard]] bool ElementIsParagraph() const noexcept { return IsParagraph(Element()); }
    // The character's code unit, or 0 at a paragraph mark.
    [[nodiscard]] char16_t CodeUnitAt() const noexcept;
    // Between the halves of a surrogate pair (the element held is the high half and the low half
    // follows): a pair is one character, so this is no caret place.
    [[nodiscard]] bool IsInsidePair() const noexcept;
    [[nodiscard]] CharacterStyle StyleAt() const noexcept { return Element()->Style(); }

    // --- Moves ---

    // Typing style becomes that of the element held, then one element back (not before the
    // first).
    void StepLeft() noexcept;
    // One element forward taking its style; at the last element only the typing style is set.
    void StepRight() noexcept;

    // Word moves stop at paragraph marks and take the style of every element they pass.
    void BackOverWord() noexcept;
    void BackOverNonWord() noexcept;
    void ForwardOverWord() noexcept;
    void ForwardOverNonWord() noexcept;

    // Same document, node and list; the typing style takes no part.
    friend bool operator==(const CNotePosition& a, const CNotePosition& b) noexcept {
        return a.m_document == b.m_document && a.m_element == b.m_element;
    }
    // By element index; both positions must be in the same document.
    friend std::strong_ordering operator<=>(const CNotePosition& a,
                                            const CNotePosition& b) noexcept {
        return a.Index() <=> b.Index();
    }
    // index(b) - index(a).
    [[nodiscard]] friend int64_t Distance(const CNotePosition& a, const CNotePosition& b) noexcept {
        return int64_t{b.Index()} - int64_t{a.Index()};
    }

private:
    [[nodiscard]] const ElementList& List() const noexcept;

    CNoteDocument* m_document = nullptr;
    ElementIterator m_element;
    CharacterStyle m_typing;
};

// Digits, letters, underscore, grave accent, the apostrophe and every code unit from 127 up.
[[nodiscard]] constexpr bool IsWordCharacter(char16_t c) noexcept {
    if (c == u'\'') return true;
    if (c < u'0') return false;
    if (c >= u':' && c <= u'@') return false;
    if (c >= u'[' && c <= u'^') return false;
    if (c >= u'{' && c <= u'~') return false;
    return true;
}

}  // namespace NoteEditEngine
