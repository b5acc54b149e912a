#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace NoteLayoutEngine {

class CNoteGlyph;

// The ordered, owned children of one glyph. Kept as a treap threaded through the children
// themselves, with the number of children, their element count and their height summed per
// subtree, so that the child holding an element offset or a y coordinate, and a child's own rank,
// offset and y, are found in logarithmic time even for a note of many thousand paragraphs or a
// view of many thousand notes. Next and Previous give the sibling-list view.
class CGlyphChildList {
public:
    CGlyphChildList() = default;
    // Deletes every child.
    ~CGlyphChildList();
    CGlyphChildList(const CGlyphChildList&) = delete;
    CGlyphChildList& operator=(const CGlyphChildList&) = delete;

    [[nodiscard]] size_t Size() const noexcept { return m_size; }
    [[nodiscard]] bool Empty() const noexcept { return m_size == 0; }
    [[nodiscard]] CNoteGlyph* First() const noexcept;
    [[nodiscard]] CNoteGlyph* Last() const noexcept;
    [[nodiscard]] static CNoteGlyph* Next(const CNoteGlyph* child) noexcept;
    [[nodiscard]] static CNoteGlyph* Previous(const CNoteGlyph* child) noexcept;

    // Takes ownership and links the child in before `before` (null appends); returns it.
    CNoteGlyph* InsertBefore(CNoteGlyph* before, std::unique_ptr<CNoteGlyph> child);
    // Unlinks the child and hands ownership back.
    std::unique_ptr<CNoteGlyph> Remove(CNoteGlyph* child) noexcept;
    // Re-reads the child's length and height into the sums above it.
    void Refresh(CNoteGlyph* child) noexcept;

    // The first child whose length exceeds what remains of `offset` after the lengths of the
    // children before it; the last child when none does; null when empty.
    [[nodiscard]] CNoteGlyph* FindByOffset(int64_t offset) const noexcept;
    // The first child whose band [top, top + height) holds y; the last child when none does.
    [[nodiscard]] CNoteGlyph* FindByY(int64_t y) const noexcept;
    // What the children before a child add up to: their number, lengths and heights.
    struct Prefix {
        int64_t count = 0;
        int64_t length = 0;
        int64_t height = 0;
    };
    [[nodiscard]] static Prefix Before(const CNoteGlyph* child) noexcept;
    [[nodiscard]] int64_t TotalLength() const noexcept;

private:
    void RotateUp(CNoteGlyph* node) noexcept;
    void Recompute(CNoteGlyph* node) noexcept;

    CNoteGlyph* m_root = nullptr;
    size_t m_size = 0;
};

}  // namespace NoteLayoutEngine
