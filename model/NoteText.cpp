#include "model/NoteText.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <new>

namespace NoteEditEngine {

namespace {

uint32_t UnitsIn(const Piece* piece) noexcept {
    return piece != nullptr ? piece->units : 0;
}
uint32_t MarksIn(const Piece* piece) noexcept {
    return piece != nullptr ? piece->marks : 0;
}

// Documents may be built on a worker thread too.
std::atomic<size_t> allocations{0};
std::atomic<size_t> allocationLimit{SIZE_MAX};

void CountAllocation(bool limited = true) {
    if (limited && allocations.load(std::memory_order_relaxed) >=
                       allocationLimit.load(std::memory_order_relaxed))
        throw std::bad_alloc();
    allocations.fetch_add(1, std::memory_order_relaxed);
}

void ReleaseAllocations(size_t n) noexcept {
    allocations.fetch_sub(n, std::memory_order_relaxed);
}

constexpr size_t kSlabPieces = 256;

// The treap's heap order: addresses mixed into numbers that look random against the text order.
uint32_t Priority(const Piece* piece) noexcept {
    uint64_t x = reinterpret_cast<uintptr_t>(piece);
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDull;
    x ^= x >> 33;
    return static_cast<uint32_t>(x);
}

}  // namespace

CNoteText::CNoteText(CharacterStyle markStyle, ParagraphFormat format) {
    AppendMark(markStyle, format);
}

CNoteText::~CNoteText() {
    ReleaseAllocations(m_pieces + m_blocks.size());
}

Piece* CNoteText::Allocate() {
    if (m_free != nullptr) {
        Piece* piece = m_free;
        m_free = piece->left;
        *piece = Piece{};
        return piece;
    }
    if (m_slabs.empty() || m_slabUsed == kSlabPieces) {
        m_slabs.reserve(m_slabs.size() + 1);
        m_slabs.push_back(std::make_unique<Piece[]>(kSlabPieces));
        m_slabUsed = 0;
    }
    return &m_slabs.back()[m_slabUsed++];
}

void CNoteText::Free(Piece* piece) noexcept {
    piece->left = m_free;
    m_free = piece;
}

size_t CNoteText::AllocationsInUse() noexcept {
    return allocations.load(std::memory_order_relaxed);
}

void CNoteText::SetAllocationLimit(size_t limit) noexcept {
    allocationLimit.store(limit, std::memory_order_relaxed);
}

void CNoteText::Update(Piece* piece) noexcept {
    piece->units = UnitsIn(piece->left) + piece->length + UnitsIn(piece->right);
    piece->marks = MarksIn(piece->left) + (piece->mark ? 1u : 0u) + MarksIn(piece->right);
}

Piece* CNoteText::First() const noexcept {
    Piece* piece = m_root;
    while (piece->left != nullptr)
        piece = piece->left;
    return piece;
}

Piece* CNoteText::Last() const noexcept {
    Piece* piece = m_root;
    while (piece->right != nullptr)
        piece = piece->right;
    return piece;
}

Piece* CNoteText::Next(const Piece* piece) noexcept {
    if (piece->right != nullptr) {
        Piece* next = piece->right;
        while (next->left != nullptr)
            next = next->left;
        return next;
    }
    while (piece->parent != nullptr && piece->parent->right == piece)
        piece = piece->parent;
    return piece->parent;
}

Piece* CNoteText::Previous(const Piece* piece) noexcept {
    if (piece->left != nullptr) {
        Piece* previous = piece->left;
        while (previous->right != nullptr)
            previous = previous->right;
        return previous;
    }
    while (piece->parent != nullptr && piece->parent->left == piece)
        piece = piece->parent;
    return piece->parent;
}

uint32_t CNoteText::Rank(const Piece* piece) const noexcept {
    uint32_t rank = UnitsIn(piece->left);
    for (; piece->parent != nullptr; piece = piece->parent) {
        if (piece->parent->right == piece)
            rank += UnitsIn(piece->parent->left) + piece->parent->length;
    }
    return rank;
}

Piece* CNoteText::Find(uint32_t index, uint32_t& offset) const noexcept {
    Piece* piece = m_root;
    while (piece != nullptr) {
        const uint32_t before = UnitsIn(piece->left);
        if (index < before) {
            piece = piece->left;
        } else if (index < before + piece->length) {
            offset = index - before;
            return piece;
        } else {
            index -= before + piece->length;
            piece = piece->right;
        }
    }
    offset = 0;
    return nullptr;
}

Piece* CNoteText::PieceOf(uint32_t unit) const noexcept {
    const uint32_t block = unit >> kBlockBits;
    if (block >= m_directory.size()) return nullptr;
    const std::vector<Piece*>& pieces = m_directory[block];
    auto it = std::upper_bound(pieces.begin(), pieces.end(), unit,
                               [](uint32_t u, const Piece* p) { return u < p->start; });
    if (it == pieces.begin()) return nullptr;
    Piece* piece = *--it;
    return unit < piece->start + piece->length ? piece : nullptr;
}

// Through the mark counts: a walk back over a long paragraph would cost every keystroke time in
// proportion to the paragraph's length.
Piece* CNoteText::MarkAtOrBefore(Piece* piece) const noexcept {
    if (piece->mark) return piece;
    for (;;) {
        if (MarksIn(piece->left) != 0) {
            piece = piece->left;
            break;
        }
        while (piece->parent != nullptr && piece->parent->left == piece)
            piece = piece->parent;
        if (piece->parent == nullptr) return First();  // unreachable: the first piece is a mark
        piece = piece->parent;
        if (piece->mark) return piece;
    }
    // The last mark of this subtree.
    for (;;) {
        if (MarksIn(piece->right) != 0) {
            piece = piece->right;
        } else if (piece->mark) {
            return piece;
        } else {
            piece = piece->left;
        }
    }
}

Piece* CNoteText::MarkAfter(Piece* piece) const noexcept {
    for (;;) {
        if (MarksIn(piece->right) != 0) {
            piece = piece->right;
            break;
        }
        while (piece->parent != nullptr && piece->parent->right == piece)
            piece = piece->parent;
        if (piece->parent == nullptr) return nullptr;
        piece = piece->parent;
        if (piece->mark) return piece;
    }
    for (;;) {
        if (MarksIn(piece->left) != 0) {
            piece = piece->left;
        } else if (piece->mark) {
            return piece;
        } else {
            piece = piece->right;
        }
    }
}

// --- The store and the directory ---

uint32_t CNoteText::Room() const noexcept {
    const uint32_t used = m_end & (kBlockSize - 1);
    return used == 0 ? kBlockSize : kBlockSize - used;
}

uint32_t CNoteText::Store(std::u16string_view units) {
    assert(units.size() <= Room());
    if ((m_end & (kBlockSize - 1)) == 0) {
        CountAllocation();
        try {
            // Room for the block's directory entry, so that adding it cannot throw; grown
            // geometrically, since a reserve of one more moves every entry on every block.
            if (m_directory.size() == m_directory.capacity())
                m_directory.reserve(std::max<size_t>(16, 2 * m_directory.size()));
            m_blocks.push_back(std::make_unique_for_overwrite<char16_t[]>(kBlockSize));
        } catch (...) {
            ReleaseAllocations(1);
            throw;
        }
        m_directory.emplace_back();
    }
    const uint32_t first = m_end;
    std::copy(units.begin(), units.end(), &m_blocks.back()[first & (kBlockSize - 1)]);
    m_end += static_cast<uint32_t>(units.size());
    return first;
}

void CNoteText::Register(Piece* piece) {
    std::vector<Piece*>& pieces = m_directory[piece->start >> kBlockBits];
    // New pieces mostly start after every other one of their block.
    if (pieces.empty() || pieces.back()->start < piece->start) {
        pieces.push_back(piece);
        return;
    }
    auto it = std::lower_bound(pieces.begin(), pieces.end(), piece->start,
                               [](const Piece* p, uint32_t u) { return p->start < u; });
    pieces.insert(it, piece);
}

void CNoteText::Unregister(Piece* piece) noexcept {
    std::vector<Piece*>& pieces = m_directory[piece->start >> kBlockBits];
    auto it = std::lower_bound(pieces.begin(), pieces.end(), piece->start,
                               [](const Piece* p, uint32_t u) { return p->start < u; });
    if (it != pieces.end() && *it == piece) pieces.erase(it);
}

// --- The treap ---

Piece* CNoteText::NewPiece(uint32_t start, uint32_t length, CharacterStyle style, bool mark,
                           ParagraphFormat format, bool growth) {
    CountAllocation(growth);
    Piece* piece = nullptr;
    try {
        piece = Allocate();
    } catch (...) {
        ReleaseAllocations(1);
        throw;
    }
    piece->start = start;
    piece->length = length;
    piece->style = style;
    piece->format = format;
    piece->mark = mark;
    Update(piece);
    try {
        Register(piece);
    } catch (...) {
        Free(piece);
        ReleaseAllocations(1);
        throw;
    }
    ++m_pieces;
    return piece;
}

void CNoteText::AddUnits(Piece* piece, uint32_t delta) noexcept {
    ++m_shape;
    for (; piece != nullptr; piece = piece->parent)
        piece->units += delta;
}

void CNoteText::RotateUp(Piece* piece) noexcept {
    Piece* parent = piece->parent;
    Piece* grand = parent->parent;
    if (parent->left == piece) {
        parent->left = piece->right;
        if (piece->right != nullptr) piece->right->parent = parent;
        piece->right = parent;
    } else {
        parent->right = piece->left;
        if (piece->left != nullptr) piece->left->parent = parent;
        piece->left = parent;
    }
    parent->parent = piece;
    piece->parent = grand;
    if (grand == nullptr) {
        m_root = piece;
    } else if (grand->left == parent) {
        grand->left = piece;
    } else {
        grand->right = piece;
    }
    Update(parent);
    Update(piece);
}

void CNoteText::LinkAfter(Piece* after, Piece* piece) {
    ++m_shape;
    if (after == nullptr) {
        // Before everything: the leftmost place.
        if (m_root == nullptr) {
            m_root = piece;
            return;
        }
        Piece* first = First();
        first->left = piece;
        piece->parent = first;
    } else if (after->right == nullptr) {
        after->right = piece;
        piece->parent = after;
    } else {
        Piece* next = after->right;
        while (next->left != nullptr)
            next = next->left;
        next->left = piece;
        piece->parent = next;
    }
    for (Piece* up = piece->parent; up != nullptr; up = up->parent) {
        up->units += piece->length;
        up->marks += piece->mark ? 1u : 0u;
    }
    while (piece->parent != nullptr && Priority(piece->parent) < Priority(piece))
        RotateUp(piece);
}

void CNoteText::Unlink(Piece* piece) noexcept {
    ++m_shape;
    // Down to a leaf by rotating the child of higher priority above it, then cut.
    while (piece->left != nullptr || piece->right != nullptr) {
        Piece* child = piece->left == nullptr                           ? piece->right
                       : piece->right == nullptr                        ? piece->left
                       : Priority(piece->left) > Priority(piece->right) ? piece->left
                                                                        : piece->right;
        RotateUp(child);
    }
    Piece* parent = piece->parent;
    if (parent == nullptr) {
        m_root = nullptr;
    } else {
        (parent->left == piece ? parent->left : parent->right) = nullptr;
        for (Piece* up = parent; up != nullptr; up = up->parent) {
            up->units -= piece->length;
            up->marks -= piece->mark ? 1u : 0u;
        }
    }
    Unregister(piece);
    --m_pieces;
    ReleaseAllocations(1);
    ++m_epoch;
    Free(piece);
}

Piece* CNoteText::SplitAt(Piece* piece, uint32_t offset) {
    if (piece == nullptr) return nullptr;
    if (offset == 0) return piece;
    if (offset >= piece->length) return Next(piece);
    Piece* rest = NewPiece(piece->start + offset, piece->length - offset, piece->style, false,
                           ParagraphFormat{}, false);
    piece->length = offset;
    for (Piece* up = piece; up != nullptr; up = up->parent)
        up->units -= rest->length;
    LinkAfter(piece, rest);
    ++m_epoch;
    return rest;
}

// --- Changes ---

Piece* CNoteText::LinkUnits(Piece* after, std::u16string_view units, CharacterStyle style) {
    while (!units.empty()) {
        const auto n = std::min<size_t>(units.size(), Room());
        const uint32_t start = Store(units.substr(0, n));
        Piece* piece = NewPiece(start, static_cast<uint32_t>(n), style, false, ParagraphFormat{});
        LinkAfter(after, piece);
        after = piece;
        units.remove_prefix(n);
    }
    return after;
}

uint32_t CNoteText::InsertText(uint32_t after, std::u16string_view units, CharacterStyle style) {
    Piece* piece = PieceOf(after);
    assert(piece != nullptr);
    const uint32_t first = m_end;
    if (units.empty()) return first;
    // Typing on: the piece ends with the last unit stored, so the new units extend it.
    if (!piece->mark && after + 1 == piece->start + piece->length && piece->style == style &&
        piece->start + piece->length == m_end && (m_end & (kBlockSize - 1)) != 0 &&
        units.size() <= Room()) {
        Store(units);
        piece->length += static_cast<uint32_t>(units.size());
        AddUnits(piece, static_cast<uint32_t>(units.size()));
        return first;
    }
    Piece* left = piece;
    if (after + 1 != piece->start + piece->length) {
        SplitAt(piece, after + 1 - piece->start);
    }
    LinkUnits(left, units, style);
    return first;
}

uint32_t CNoteText::InsertMark(uint32_t after, CharacterStyle style, ParagraphFormat format) {
    Piece* piece = PieceOf(after);
    assert(piece != nullptr);
    if (after + 1 != piece->start + piece->length) SplitAt(piece, after + 1 - piece->start);
    const char16_t zero = 0;
    const uint32_t unit = Store({&zero, 1});
    LinkAfter(piece, NewPiece(unit, 1, style, true, format));
    return unit;
}

void CNoteText::AppendText(std::u16string_view units, CharacterStyle style) {
    if (units.empty()) return;
    Piece* last = Last();
    if (!last->mark && last->style == style && last->start + last->length == m_end &&
        (m_end & (kBlockSize - 1)) != 0) {
        const auto n = std::min<size_t>(units.size(), Room());
        Store(units.substr(0, n));
        last->length += static_cast<uint32_t>(n);
        AddUnits(last, static_cast<uint32_t>(n));
        units.remove_prefix(n);
    }
    LinkUnits(last, units, style);
}

void CNoteText::AppendMark(CharacterStyle style, ParagraphFormat format) {
    const char16_t zero = 0;
    const uint32_t unit = Store({&zero, 1});
    LinkAfter(m_root != nullptr ? Last() : nullptr, NewPiece(unit, 1, style, true, format));
}

void CNoteText::InsertRuns(uint32_t after, std::span<const TextRun> runs) {
    Piece* piece = PieceOf(after);
    assert(piece != nullptr);
    if (after + 1 != piece->start + piece->length) SplitAt(piece, after + 1 - piece->start);
    for (const TextRun& run : runs) {
        Piece* next = NewPiece(run.start, run.length, run.style, run.mark, run.format, false);
        LinkAfter(piece, next);
        piece = next;
    }
}

void CNoteText::RunsOf(uint32_t index, uint32_t count, std::vector<TextRun>& out,
                       size_t joinFrom) const {
    uint32_t offset = 0;
    const Piece* piece = Find(index, offset);
    while (count > 0 && piece != nullptr) {
        const uint32_t n = std::min(count, piece->length - offset);
        const uint32_t start = piece->start + offset;
        TextRun* last = out.size() > joinFrom ? &out.back() : nullptr;
        if (last != nullptr && !last->mark && !piece->mark && last->style == piece->style &&
            last->start + last->length == start && (start & (kBlockSize - 1)) != 0) {
            last->length += n;
        } else {
            out.push_back({start, n, piece->style, piece->format, piece->mark});
        }
        count -= n;
        offset = 0;
        piece = Next(piece);
    }
}

void CNoteText::Remove(uint32_t index, uint32_t count) {
    if (count == 0) return;
    uint32_t offset = 0;
    Piece* piece = Find(index, offset);
    piece = SplitAt(piece, offset);
    while (count > 0 && piece != nullptr) {
        if (piece->length > count) SplitAt(piece, count);
        count -= piece->length;
        Piece* next = Next(piece);
        Unlink(piece);
        piece = next;
    }
}

}  // namespace NoteEditEngine
