#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "model/Styles.h"

namespace NoteEditEngine {

// One element of a note's text: a character or a paragraph mark. Elements are heap objects owned
// by one document or one undo history; the model tells the kinds apart by dynamic type.
class CNoteElement {
public:
    virtual ~CNoteElement() = default;
    CNoteElement& operator=(const CNoteElement&) = delete;

    // A new heap object of the same dynamic type with every field copied; the caller owns it.
    [[nodiscard]] virtual CNoteElement* Clone() const = 0;

    [[nodiscard]] CharacterStyle Style() const noexcept { return m_style; }
    void SetStyle(CharacterStyle style) noexcept { m_style = style; }

    // The dynamic type, told without a cast: kind tests run in every caret move and layout pass.
    [[nodiscard]] bool IsParagraph() const noexcept { return m_isParagraph; }

protected:
    CNoteElement(CharacterStyle style, bool isParagraph) noexcept
        : m_style(style), m_isParagraph(isParagraph) {}
    CNoteElement(const CNoteElement&) = default;

private:
    CharacterStyle m_style;
    // Fits in padding: a character element stays 16 bytes.
    const bool m_isParagraph;
};

// One UTF-16 code unit of text. Insertion turns every white-space code unit into a space, so a
// character element never holds a tab or a line break.
class CNoteCharacter final : public CNoteElement {
public:
    CNoteCharacter(CharacterStyle style, char16_t codeUnit) noexcept
        : CNoteElement(style, false), m_codeUnit(codeUnit) {}

    [[nodiscard]] CNoteCharacter* Clone() const override { return new CNoteCharacter(*this); }
    [[nodiscard]] char16_t CodeUnit() const noexcept { return m_codeUnit; }

    static void* operator new(size_t size);
    static void operator delete(void* block) noexcept;

private:
    CNoteCharacter(const CNoteCharacter&) = default;
    char16_t m_codeUnit;
};

// The mark at the start of a paragraph, carrying its format. Its character style is the typing
// style in force where the paragraph break was made.
class CNoteParagraph final : public CNoteElement {
public:
    CNoteParagraph(CharacterStyle style, ParagraphFormat format) noexcept
        : CNoteElement(style, true), m_format(format) {}
    CNoteParagraph(const CNoteParagraph&) = default;

    [[nodiscard]] CNoteParagraph* Clone() const override { return new CNoteParagraph(*this); }
    [[nodiscard]] ParagraphFormat Format() const noexcept { return m_format; }
    // Stores style and indent together; the caller clamps the indent.
    void SetFormat(ParagraphFormat format) noexcept { m_format = format; }

    static void* operator new(size_t size);
    static void operator delete(void* block) noexcept;

private:
    ParagraphFormat m_format;
};

// Kind tests; null is neither kind.
[[nodiscard]] inline const CNoteParagraph* AsParagraph(const CNoteElement* element) noexcept {
    return element != nullptr && element->IsParagraph()
               ? static_cast<const CNoteParagraph*>(element)
               : nullptr;
}
[[nodiscard]] inline CNoteParagraph* AsParagraph(CNoteElement* element) noexcept {
    return element != nullptr && element->IsParagraph() ? static_cast<CNoteParagraph*>(element)
                                                        : nullptr;
}
[[nodiscard]] inline const CNoteCharacter* AsCharacter(const CNoteElement* element) noexcept {
    return element != nullptr && !element->IsParagraph()
               ? static_cast<const CNoteCharacter*>(element)
               : nullptr;
}
[[nodiscard]] inline bool IsParagraph(const CNoteElement* element) noexcept {
    return element != nullptr && element->IsParagraph();
}

static_assert(sizeof(CNoteCharacter) <= 16, "a character element must stay small");

// Destroys an element through its virtual destructor.
struct ElementDeleter {
    void operator()(CNoteElement* element) const noexcept { delete element; }
};
using ElementPtr = std::unique_ptr<CNoteElement, ElementDeleter>;

}  // namespace NoteEditEngine
