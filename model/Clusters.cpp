#include "model/Clusters.h"

#include <array>

#include "base/Graphemes.h"
#include "base/Utf16.h"

namespace NoteEditEngine {

namespace {

// Far enough back for any cluster a font can show; past it a pathological run of marks is cut.
constexpr size_t kLookBack = 64;

// The code point that ends at `at` (a character, not a mark), moving `at` onto its high half
// when it is the low half of a pair.
char32_t CodePointEndingAt(ElementIterator& at) noexcept {
    const char16_t unit = at.CodeUnit();
    if (!NoteBase::IsLowSurrogate(unit)) return unit;
    ElementIterator high = at;
    --high;
    if (high.piece() == nullptr || high.IsParagraph() ||
        !NoteBase::IsHighSurrogate(high.CodeUnit()))
        return unit;
    at = high;
    return NoteBase::CombineSurrogates(high.CodeUnit(), unit);
}

// The code point that starts at `at` (a character, not a mark).
char32_t CodePointStartingAt(const ElementIterator& at) noexcept {
    const char16_t unit = at.CodeUnit();
    if (!NoteBase::IsHighSurrogate(unit)) return unit;
    ElementIterator low = at;
    ++low;
    if (low.piece() == nullptr || low.IsParagraph() || !NoteBase::IsLowSurrogate(low.CodeUnit()))
        return unit;
    return NoteBase::CombineSurrogates(unit, low.CodeUnit());
}

}  // namespace

bool IsInsideCluster(const CNotePosition& place) noexcept {
    ElementIterator at = place.Iterator();
    if (at.IsParagraph()) return false;
    ElementIterator next = at;
    ++next;
    if (next.piece() == nullptr || next.IsParagraph()) return false;
    const char16_t last = at.CodeUnit();
    if (NoteBase::IsPlainBoundary(last, next.CodeUnit())) return false;
    if (NoteBase::IsHighSurrogate(last) && NoteBase::IsLowSurrogate(next.CodeUnit())) return true;
    const char32_t after = CodePointStartingAt(next);

    // Back to a point that is a boundary whatever precedes it, then forward to the place.
    std::array<char32_t, kLookBack> behind;
    size_t count = 0;
    for (;;) {
        const char32_t c = CodePointEndingAt(at);
        behind[count++] = c;
        ElementIterator previous = at;
        --previous;
        if (count == kLookBack || previous.piece() == nullptr || previous.IsParagraph()) break;
        ElementIterator probe = previous;
        if (NoteBase::IsBoundaryWhateverBefore(CodePointEndingAt(probe), c)) break;
        at = previous;
    }
    NoteBase::CGraphemeBreaker breaker;
    while (count > 0)
        breaker.BreakBefore(behind[--count]);
    return !breaker.BreakBefore(after);
}

CNotePosition ClusterStart(CNotePosition place) noexcept {
    while (IsInsideCluster(place))
        place.StepLeft();
    return place;
}

CNotePosition ClusterEnd(CNotePosition place) noexcept {
    while (IsInsideCluster(place))
        place.StepRight();
    return place;
}

}  // namespace NoteEditEngine
