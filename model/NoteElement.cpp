#include "model/NoteElement.h"

#include <new>

#include "model/BlockPool.h"

namespace NoteEditEngine {

namespace {

// Never destroyed: elements may outlive static destruction order at process exit.
CBlockPool& CharacterPool() {
    static CBlockPool& pool = *new CBlockPool(sizeof(CNoteCharacter));
    return pool;
}
CBlockPool& ParagraphPool() {
    static CBlockPool& pool = *new CBlockPool(sizeof(CNoteParagraph));
    return pool;
}

static_assert(alignof(CNoteCharacter) <= alignof(void*));
static_assert(alignof(CNoteParagraph) <= alignof(void*));

}  // namespace

// Both classes are final, so every request is for exactly one block.
void* CNoteCharacter::operator new(size_t) {
    return CharacterPool().Allocate();
}

void CNoteCharacter::operator delete(void* block) noexcept {
    CharacterPool().Free(block);
}

void* CNoteParagraph::operator new(size_t) {
    return ParagraphPool().Allocate();
}

void CNoteParagraph::operator delete(void* block) noexcept {
    ParagraphPool().Free(block);
}

}  // namespace NoteEditEngine
