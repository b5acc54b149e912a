#pragma once

#include <compare>
#include <cstdint>

#include "model/NoteText.h"
#include "model/Styles.h"

namespace NoteEditEngine {

class CNoteDocument;

// Walks the elements of a text in order: a piece and an offset in it. Valid until the text is
// changed; hold a CNotePosition across changes. end() holds no piece.
class ElementIterator {
public:
    ElementIterator() noexcept = default;
    ElementIterator(const CNoteText* text, Piece* piece, uint32_t offset) noexcept
        : m_text(text), m_piece(piece), m_offset(offset) {
        Enter();
    }

    [[nodiscard]] bool IsParagraph() const noexcept { return m_piece->mark; }
    // The character's code unit, or 0 at a paragraph mark.
    [[nodiscard]] char16_t CodeUnit() const noexcept { return m_units[m_offset]; }
    [[nodiscard]] CharacterStyle Style() const noexcept { return m_piece->style; }
    // The format of a paragraph mark.
    [[nodiscard]] ParagraphFormat Format() const noexcept { return m_piece->format; }
    // The unit's number, which it keeps while it is in the text.
    [[nodiscard]] uint32_t Unit() const noexcept { return m_piece->start + m_offset; }
    // Elements from here to the end of the piece: one style, no mark among them unless this
    // is one.
    [[nodiscard]] uint32_t RunLength() const noexcept { return m_piece->length - m_offset; }
    // The code units of those elements, for a piece of characters.
    [[nodiscard]] const char16_t* Units() const noexcept { return m_units + m_offset; }
    // Moves `count` elements on inside the piece: `count` < RunLength().
    void SkipInPiece(uint32_t count) noexcept { m_offset += count; }

    ElementIterator& operator++() noexcept {
        if (++m_offset == m_piece->length) {
            m_piece = CNoteText::Next(m_piece);
            m_offset = 0;
            Enter();
        }
        return *this;
    }
    ElementIterator& operator--() noexcept {
        if (m_piece == nullptr) {
            m_piece = m_text->Last();
            m_offset = m_piece->length - 1;
            Enter();
        } else if (m_offset > 0) {
            --m_offset;
        } else {
            m_piece = CNoteText::Previous(m_piece);
            m_offset = m_piece != nullptr ? m_piece->length - 1 : 0;
            Enter();
        }
        return *this;
    }
    [[nodiscard]] Piece* piece() const noexcept { return m_piece; }
    [[nodiscard]] uint32_t offset() const noexcept { return m_offset; }
    friend bool operator==(const ElementIterator& a, const ElementIterator& b) noexcept {
        return a.m_piece == b.m_piece && a.m_offset == b.m_offset;
    }

private:
    // The piece's units, read without going through the store for every element; a mark reads
    // as the 0 below.
    void Enter() noexcept {
        static constexpr char16_t kMarkUnit[1] = {0};
        m_units = m_piece == nullptr || m_piece->mark ? kMarkUnit : m_text->UnitsOf(m_piece).data();
    }

    const CNoteText* m_text = nullptr;
    Piece* m_piece = nullptr;
    const char16_t* m_units = nullptr;
    uint32_t m_offset = 0;
};

// A caret place in a document: the caret stands after the element held, so the first element
// (the leading paragraph mark) is the start of the document, a paragraph element is the start of
// its paragraph and the last element is the end. A document of k elements has k caret places.
// It also carries the typing style, the style the next inserted character takes.
//
// A plain value holding the element's unit number: it stays on its element through every edit
// elsewhere, and stays valid until its element is removed. The null position holds nothing.
class CNotePosition {
public:
    CNotePosition() noexcept = default;
    CNotePosition(CNoteDocument* document, ElementIterator element, CharacterStyle typing) noexcept;

    [[nodiscard]] bool IsNull() const noexcept { return m_document == nullptr; }
    [[nodiscard]] CNoteDocument* Document() const noexcept { return m_document; }
    [[nodiscard]] ElementIterator Iterator() const noexcept;
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
    // The format of the mark held (the caret stands at a paragraph start).
    [[nodiscard]] ParagraphFormat MarkFormat() const noexcept { return Held()->format; }
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
    [[nodiscard]] bool ElementIsParagraph() const noexcept { return Held()->mark; }
    // The character's code unit, or 0 at a paragraph mark.
    [[nodiscard]] char16_t CodeUnitAt() const noexcept;
    // Between the halves of a surrogate pair (the element held is the high half and the low half
    // follows): a pair is one character, so this is no caret place.
    [[nodiscard]] bool IsInsidePair() const noexcept;
    [[nodiscard]] CharacterStyle StyleAt() const noexcept { return Held()->style; }

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

    // Same document and element; the typing style takes no part.
    friend bool operator==(const CNotePosition& a, const CNotePosition& b) noexcept {
        return a.m_document == b.m_document && a.m_unit == b.m_unit;
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
    friend class CNoteDocument;

    [[nodiscard]] const CNoteText& Text() const noexcept;
    // The number of the unit held, found again if need be.
    [[nodiscard]] uint32_t HeldUnit() const noexcept {
        static_cast<void>(Held());
        return m_unit;
    }
    // Holds another unit of the same document, found on first use.
    void MoveTo(uint32_t unit) noexcept {
        m_unit = unit;
        m_piece = nullptr;
        m_indexShape = kStale;
    }
    // The piece holding the element, found again after the text's pieces changed. A removed
    // element gives the document's first piece.
    [[nodiscard]] Piece* Held() const noexcept;
    void Hold(Piece* piece, uint32_t unit) noexcept;

    CNoteDocument* m_document = nullptr;
    uint32_t m_unit = 0;
    CharacterStyle m_typing;
    mutable Piece* m_piece = nullptr;
    mutable uint64_t m_epoch = 0;
    // The index last found, while the text keeps the shape it had then: layout compares the
    // same positions many times between two edits.
    static constexpr uint64_t kStale = UINT64_MAX;
    mutable uint32_t m_index = 0;
    mutable uint64_t m_indexShape = kStale;
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
