#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "model/NoteDocumentObserver.h"
#include "model/NotePosition.h"
#include "model/NoteText.h"
#include "model/Styles.h"

namespace NoteEditEngine {

class CNoteUndoHistory;

// The text of one note: a sequence of elements (paragraph marks and UTF-16 code units) that always
// starts with a paragraph mark, its undo history, its observers and its created and modified
// times.
//
// Every editing primitive edits at a position of this document and moves it; it sets the
// modified time, records an undo step (unless recording is suspended) and, while
// NotificationsEnabled is on, tells every observer. An operation that does not apply does
// nothing and reports nothing.
//
// The text is the document's own: others read it through the members below, and only the
// primitives (and the loading members, for readers filling a new document) change it.
class CNoteDocument {
public:
    // One empty Normal paragraph; created and modified are now.
    CNoteDocument();
    ~CNoteDocument();
    CNoteDocument(const CNoteDocument&) = delete;
    CNoteDocument& operator=(const CNoteDocument&) = delete;

    [[nodiscard]] CNoteUndoHistory& UndoHistory() noexcept { return *m_undo; }
    [[nodiscard]] const CNoteUndoHistory& UndoHistory() const noexcept { return *m_undo; }

    // Observers are borrowed; adding one twice keeps one entry. Observers must not add or remove
    // observers of this document while being notified.
    void AddObserver(CNoteDocumentObserver* observer);
    void RemoveObserver(CNoteDocumentObserver* observer) noexcept;
    [[nodiscard]] const std::vector<CNoteDocumentObserver*>& Observers() const noexcept {
        return m_observers;
    }

    // Changes whenever the elements or their styles change (with notifications on or off, through
    // the primitives, undo, redo or AppendLoaded), to a value drawn from one counter of the whole
    // process: (document, stamp) tells whether something derived from the text is still current,
    // even for a new document at a reused address. Times do not count.
    [[nodiscard]] uint64_t ChangeStamp() const noexcept { return m_changeStamp; }

    [[nodiscard]] int32_t Created() const noexcept { return m_created; }
    [[nodiscard]] int32_t Modified() const noexcept { return m_modified; }
    void SetCreated(int32_t time) noexcept { m_created = time; }
    void SetModified(int32_t time) noexcept { m_modified = time; }

    // --- The elements, read-only ---

    [[nodiscard]] const CNoteText& Text() const noexcept { return m_text; }
    [[nodiscard]] ElementIterator begin() const noexcept { return {&m_text, m_text.First(), 0}; }
    [[nodiscard]] ElementIterator end() const noexcept { return {&m_text, nullptr, 0}; }
    [[nodiscard]] uint32_t size() const noexcept { return m_text.Size(); }
    [[nodiscard]] uint32_t index(const ElementIterator& it) const noexcept {
        return it.piece() != nullptr ? m_text.Rank(it.piece()) + it.offset() : size();
    }
    // The element at index i, logarithmic; end() when i is not below the size.
    [[nodiscard]] ElementIterator select(uint32_t i) const noexcept {
        uint32_t offset = 0;
        Piece* piece = m_text.Find(i, offset);
        return {&m_text, piece, offset};
    }

    // --- Positions ---

    // The document start; typing in the style of the first character (or of the first mark when
    // the document is one empty paragraph).
    [[nodiscard]] CNotePosition Start() noexcept;
    [[nodiscard]] CNotePosition End() noexcept;
    // Index 0 is the start; otherwise the element at the index with its style. An index past the
    // last element gives the end. Logarithmic.
    [[nodiscard]] CNotePosition FromIndex(int64_t index) noexcept;

    // --- Editing primitives (p must lie in this document) ---

    // A white-space code unit is stored as a space.
    void InsertCharacter(CNotePosition& p, char16_t codeUnit);
    // Splits the paragraph at p: a copy of its mark, in p's typing style, goes after p.
    void InsertParagraphBreak(CNotePosition& p);
    // Removes the element before the caret; nothing at the start.
    void DeleteBackward(CNotePosition& p);
    // Removes the element after the caret; nothing at the end.
    void DeleteForward(CNotePosition& p);
    // Removes up to n elements after p. A range from a paragraph start through a later paragraph
    // mark leaves the surviving text in that later paragraph's format.
    void DeleteRange(CNotePosition& p, uint32_t n);
    // Gives up to n elements after p (as many as there are) the bits of `mask` from `style`,
    // in place: one undo step keeping the old styles as runs, one notification (p, n). Nothing
    // at all when no style changes.
    void SetCharacterStyles(const CNotePosition& p, uint32_t n, CharacterStyle style,
                            CharacterStyle mask = CharacterStyle(CharacterStyle::kMask));
    // Restyles the element held by p; the first mark, which is after no place, stays.
    void SetCharacterStyle(CNotePosition& p, CharacterStyle style) {
        if (!p.IsAtStart()) SetCharacterStyles(p.Before(), 1, style);
    }
    // Gives p's paragraph a new format (indent stored as given: callers clamp). Setting the
    // current format does nothing at all.
    void SetParagraphFormat(CNotePosition& p, uint32_t style, int32_t indent);
    // Pastes text from startIndex on: line feeds break paragraphs at the base indent, leading tabs
    // of a line become indent levels, other tabs and control codes become spaces, carriage
    // returns and a few other controls vanish. One summary notification.
    void InsertPlainText(CNotePosition& p, std::u16string_view text, size_t startIndex = 0);

    // Loading, for readers that fill a document nobody shows yet (or with recording suspended
    // and notifications off): none of the per-edit work (no time stamp, no undo record, no
    // notification). Text is appended as given: the caller stores white space as insertion does.
    void AppendLoadedText(std::u16string_view units, CharacterStyle style);
    void AppendLoadedMark(CharacterStyle style, ParagraphFormat format);
    // Gives the mark held by `mark` a format (and a style), likewise quietly.
    void SetLoadedFormat(const CNotePosition& mark, ParagraphFormat format);
    void SetLoadedMark(const CNotePosition& mark, CharacterStyle style, ParagraphFormat format);

    // --- Composite rules of the keyboard ---

    // Enter: ends a header into Normal, ends a list on an empty item, else breaks the paragraph.
    void Enter(CNotePosition& p);
    // Backspace: outdents, then leaves a list, then joins paragraphs keeping the caret's format
    // when the paragraph before is empty. A surrogate pair is removed whole.
    void Backspace(CNotePosition& p);
    // Delete: from an empty paragraph into a non-empty one keeps the following format. A
    // surrogate pair is removed whole.
    void DeleteKey(CNotePosition& p);

    // --- Notification (the undo history and commands that switched notifications off) ---

    void NotifyRemoving(const CNotePosition& position, uint32_t count);
    void NotifyChanged(const CNotePosition& position, uint32_t count);

    // Elements from the paragraph mark of p's paragraph through its last element.
    [[nodiscard]] uint32_t ParagraphElementCount(const CNotePosition& p) const noexcept;

private:
    friend class CNoteUndoHistory;

    void Touch() noexcept;
    void Restamp() noexcept;
    CNoteText m_text;  // first, so that it outlives the undo history
    std::unique_ptr<CNoteUndoHistory> m_undo;
    std::vector<CNoteDocumentObserver*> m_observers;  // sorted by identity
    int32_t m_created = 0;
    int32_t m_modified = 0;
    uint64_t m_changeStamp = 0;
};

}  // namespace NoteEditEngine
