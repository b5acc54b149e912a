#include "model/BlockPool.h"

#include <cstdint>
#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#define JOTWELL_POOL_BYPASS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define JOTWELL_POOL_BYPASS 1
#endif
#endif

namespace NoteEditEngine {

namespace {
constexpr size_t kChunkBytes = 64 * 1024;
// Elements and tree nodes need no more than pointer alignment.
constexpr size_t kAlign = alignof(void*);
size_t g_totalInUse = 0;
size_t g_totalLimit = SIZE_MAX;
}  // namespace

size_t CBlockPool::TotalBlocksInUse() noexcept {
    return g_totalInUse;
}

void CBlockPool::SetTotalBlockLimit(size_t blocks) noexcept {
    g_totalLimit = blocks;
}

CBlockPool::CBlockPool(size_t blockSize) noexcept
    : m_blockSize((blockSize < sizeof(FreeBlock) ? sizeof(FreeBlock) : blockSize + kAlign - 1) /
                  kAlign * kAlign) {}

CBlockPool::~CBlockPool() {
    while (m_chunks != nullptr) {
        Chunk* next = m_chunks->next;
        std::free(m_chunks);
        m_chunks = next;
    }
}

void* CBlockPool::Allocate() {
    if (g_totalInUse >= g_totalLimit) throw std::bad_alloc();
#ifdef JOTWELL_POOL_BYPASS
    void* block = ::operator new(m_blockSize);
#else
    if (m_free == nullptr) Grow();
    FreeBlock* block = m_free;
    m_free = block->next;
#endif
    ++m_inUse;
    ++g_totalInUse;
    return block;
}

void CBlockPool::Free(void* block) noexcept {
    if (block == nullptr) return;
    --m_inUse;
    --g_totalInUse;
#ifdef JOTWELL_POOL_BYPASS
    ::operator delete(block);
#else
    auto* freed = static_cast<FreeBlock*>(block);
    freed->next = m_free;
    m_free = freed;
#endif
}

void CBlockPool::Grow() {
    // The chunk header takes one block's room so that every block stays aligned.
    const size_t header = (sizeof(Chunk) + m_blockSize - 1) / m_blockSize * m_blockSize;
    const size_t count = (kChunkBytes - header) / m_blockSize;
    void* memory = std::malloc(header + count * m_blockSize);
    if (memory == nullptr) throw std::bad_alloc();
    auto* chunk = static_cast<Chunk*>(memory);
    chunk->next = m_chunks;
    m_chunks = chunk;
    m_reserved += header + count * m_blockSize;
    char* first = static_cast<char*>(memory) + header;
    // Thread the new blocks onto the free list in address order, so that a note loaded in one go
    // lies in memory in document order.
    for (size_t i = count; i-- > 0;) {
        auto* block = reinterpret_cast<FreeBlock*>(first + i * m_blockSize);
        block->next = m_free;
        m_free = block;
    }
}

}  // namespace NoteEditEngine
