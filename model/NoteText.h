#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "model/Styles.h"

namespace NoteEditEngine {

// One run of a note's text, as a node of the text's piece tree: `length` consecutive units of the
// unit store from `start`, all of one character style; or one paragraph mark (length 1) with its
// format. A piece never reaches across a block of the unit store. Its heap order in the treap is
// a hash of its address, so it stores none.
struct Piece {
    Piece* parent = nullptr;
    Piece* left = nullptr;
    Piece* right = nullptr;
    uint32_t units = 0;  // code units in the subtree rooted here, itself included
    uint32_t marks = 0;  // paragraph marks in the subtree
    uint32_t start = 0;
    uint32_t length = 0;
    CharacterStyle style;
    ParagraphFormat format;  // marks only
    bool mark = false;
};

// A run as the undo history keeps it: enough to link the same units back in.
struct TextRun {
    uint32_t start = 0;
    uint32_t length = 0;
    CharacterStyle style;
    ParagraphFormat format;
    bool mark = false;

    friend bool operator==(const TextRun&, const TextRun&) = default;
};

// The elements of one note (paragraph marks and UTF-16 code units of text) in about two bytes
// each: the units live in an append-only store and the sequence is a balanced tree of pieces
// that refer to them, counting units and marks per subtree.
//
// Every unit ever stored keeps its number (its identity) for the life of the text, so a place in
// the text can be held as a unit number that survives every edit elsewhere: it is found again
// through a directory of the live pieces per store block. Units are never stored twice: undo
// links the pieces of removed units back in, so they come back with their numbers.
//
// Holds: the units, the pieces (owned), the directory. Never breaks: the first element is a mark;
// live pieces cover disjoint unit ranges; every live piece is in the directory of its block.
class CNoteText {
public:
    static constexpr uint32_t kBlockBits = 12;
    static constexpr uint32_t kBlockSize = 1u << kBlockBits;

    // One mark of the given style and format.
    CNoteText(CharacterStyle markStyle, ParagraphFormat format);
    ~CNoteText();
    CNoteText(const CNoteText&) = delete;
    CNoteText& operator=(const CNoteText&) = delete;

    [[nodiscard]] uint32_t Size() const noexcept { return m_root->units; }
    [[nodiscard]] uint32_t MarkCount() const noexcept { return m_root->marks; }
    [[nodiscard]] char16_t UnitAt(uint32_t unit) const noexcept {
        return m_blocks[unit >> kBlockBits][unit & (kBlockSize - 1)];
    }
    // The units of a piece, contiguous.
    [[nodiscard]] std::u16string_view UnitsOf(const Piece* piece) const noexcept {
        return {&m_blocks[piece->start >> kBlockBits][piece->start & (kBlockSize - 1)],
                piece->length};
    }
    // Changes whenever a piece is split, merged or removed, so that a piece found for a unit
    // number stays the one to use while it is unchanged. Growing a piece or adding new ones
    // leaves it.
    [[nodiscard]] uint64_t Epoch() const noexcept { return m_epoch; }
    // Changes whenever an element may have moved to another index (anything inserted or
    // removed), so that an index found for a unit stays right while it is unchanged.
    [[nodiscard]] uint64_t Shape() const noexcept { return m_shape; }

    // --- The tree ---

    [[nodiscard]] Piece* First() const noexcept;
    [[nodiscard]] Piece* Last() const noexcept;
    [[nodiscard]] static Piece* Next(const Piece* piece) noexcept;
    [[nodiscard]] static Piece* Previous(const Piece* piece) noexcept;
    // Units before the piece, logarithmic.
    [[nodiscard]] uint32_t Rank(const Piece* piece) const noexcept;
    // The piece holding element `index` (below Size()) and the element's offset in it.
    [[nodiscard]] Piece* Find(uint32_t index, uint32_t& offset) const noexcept;
    // The live piece holding the unit, or null when the unit is not in the text.
    [[nodiscard]] Piece* PieceOf(uint32_t unit) const noexcept;
    // The nearest mark at or before the piece (there always is one), and after it (or null).
    [[nodiscard]] Piece* MarkAtOrBefore(Piece* piece) const noexcept;
    [[nodiscard]] Piece* MarkAfter(Piece* piece) const noexcept;

    // --- Changes (no undo records, no notification: the document does those) ---

    // Inserts characters of one style after unit `after` (a live unit); returns the number of the
    // first new unit. Typing on at the end of a piece grows it.
    uint32_t InsertText(uint32_t after, std::u16string_view units, CharacterStyle style);
    uint32_t InsertMark(uint32_t after, CharacterStyle style, ParagraphFormat format);
    // Appends at the end, for readers: no tree walk beyond the last piece.
    void AppendText(std::u16string_view units, CharacterStyle style);
    void AppendMark(CharacterStyle style, ParagraphFormat format);
    // Links recorded runs back in after unit `after`, in order.
    void InsertRuns(uint32_t after, std::span<const TextRun> runs);
    // The runs of `count` elements starting at element `index`, appended to out; runs of
    // neighbouring units of one style are joined, also with the entries of out from `joinFrom`.
    void RunsOf(uint32_t index, uint32_t count, std::vector<TextRun>& out, size_t joinFrom) const;
    // Removes `count` elements starting at element `index`.
    void Remove(uint32_t index, uint32_t count);
    // Gives `count` elements from element `index` the styles of `restyle(old)`; appends the old
    // styles as runs to oldRuns when given. Returns whether any style changed.
    template <typename Change>
    bool Restyle(uint32_t index, uint32_t count, Change restyle);
    void SetFormat(Piece* mark, ParagraphFormat format) noexcept { mark->format = format; }
    void SetStyle(Piece* piece, CharacterStyle style) noexcept { piece->style = style; }

    // Pieces and store blocks of every text in the process, and a limit beyond which storing new
    // units fails with std::bad_alloc: tests run out of memory at every step of an insertion with
    // it. Splits and undo's relinking are not limited, so that a failed insertion can be taken
    // back.
    [[nodiscard]] static size_t AllocationsInUse() noexcept;
    static void SetAllocationLimit(size_t limit) noexcept;

private:
    // Makes a piece boundary before element `offset` of the piece; returns the piece that starts
    // there (null past the end).
    Piece* SplitAt(Piece* piece, uint32_t offset);
    // `growth`: the piece holds new units, so the allocation limit applies; splitting a piece or
    // linking removed units back in (as undo does) only restores what the text held.
    Piece* NewPiece(uint32_t start, uint32_t length, CharacterStyle style, bool mark,
                    ParagraphFormat format, bool growth = true);
    void LinkAfter(Piece* after, Piece* piece);
    Piece* Allocate();
    void Free(Piece* piece) noexcept;
    void Unlink(Piece* piece) noexcept;
    void AddUnits(Piece* piece, uint32_t delta) noexcept;
    void RotateUp(Piece* piece) noexcept;
    static void Update(Piece* piece) noexcept;
    // Stores units (no more than Room()) and returns the number of the first.
    uint32_t Store(std::u16string_view units);
    [[nodiscard]] uint32_t Room() const noexcept;
    void Register(Piece* piece);
    void Unregister(Piece* piece) noexcept;
    // Inserts the units as pieces after `after`; returns the last piece made.
    Piece* LinkUnits(Piece* after, std::u16string_view units, CharacterStyle style);

    std::vector<std::unique_ptr<char16_t[]>> m_blocks;
    // Per store block, the live pieces starting in it, by start.
    std::vector<std::vector<Piece*>> m_directory;
    uint32_t m_end = 0;  // the next unit number
    Piece* m_root = nullptr;
    uint64_t m_epoch = 0;
    uint64_t m_shape = 0;
    size_t m_pieces = 0;
    // Pieces are carved from slabs: a heap block each would cost a quarter more.
    std::vector<std::unique_ptr<Piece[]>> m_slabs;
    size_t m_slabUsed = 0;
    Piece* m_free = nullptr;  // linked through `left`
};

template <typename Change>
bool CNoteText::Restyle(uint32_t index, uint32_t count, Change restyle) {
    if (count == 0) return false;
    uint32_t offset = 0;
    Piece* piece = Find(index, offset);
    piece = SplitAt(piece, offset);
    bool changed = false;
    while (count > 0 && piece != nullptr) {
        if (piece->length > count) SplitAt(piece, count);
        const CharacterStyle old = piece->style;
        piece->style = restyle(old, piece->length);
        changed = changed || piece->style != old;
        count -= piece->length;
        piece = Next(piece);
    }
    return changed;
}

}  // namespace NoteEditEngine
