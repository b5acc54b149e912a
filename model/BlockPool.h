#pragma once

#include <cstddef>
#include <new>

namespace NoteEditEngine {

// A free list of equal-sized blocks carved from large chunks. Notes hold one heap object per
// character plus one tree node; a general allocator adds 16 bytes of bookkeeping and rounding to
// each, which doubles the memory of a large note. The pool keeps a block at its own size.
//
// Single-threaded, like the model. Chunks are kept for reuse until the process ends. Under
// AddressSanitizer the pool hands every request to the general allocator so that use after free
// and leaks are still caught.
class CBlockPool {
public:
    // blockSize is rounded up to a multiple of the pointer alignment.
    explicit CBlockPool(size_t blockSize) noexcept;
    CBlockPool(const CBlockPool&) = delete;
    CBlockPool& operator=(const CBlockPool&) = delete;
    ~CBlockPool();

    // Throws std::bad_alloc when memory runs out (or the test limit below is reached).
    [[nodiscard]] void* Allocate();
    void Free(void* block) noexcept;

    [[nodiscard]] size_t BlockSize() const noexcept { return m_blockSize; }
    // Blocks handed out and not yet freed.
    [[nodiscard]] size_t BlocksInUse() const noexcept { return m_inUse; }
    // Bytes held in chunks (in use or free).
    [[nodiscard]] size_t BytesReserved() const noexcept { return m_reserved; }

    // Blocks in use over every pool of the process.
    [[nodiscard]] static size_t TotalBlocksInUse() noexcept;
    // Test seam: an allocation that would put more than `blocks` blocks in use over all pools
    // throws std::bad_alloc, as a machine out of memory would; SIZE_MAX lifts the limit.
    static void SetTotalBlockLimit(size_t blocks) noexcept;

private:
    struct FreeBlock {
        FreeBlock* next;
    };
    struct Chunk {
        Chunk* next;
    };
    void Grow();

    size_t m_blockSize;
    FreeBlock* m_free = nullptr;
    Chunk* m_chunks = nullptr;
    size_t m_inUse = 0;
    size_t m_reserved = 0;
};

}  // namespace NoteEditEngine
