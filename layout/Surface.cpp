#include "layout/Surface.h"

#include "base/Graphemes.h"
#include "base/Utf16.h"

namespace NoteLayoutEngine {

namespace {

// The one code point the text holds, or 0 when it holds more (or none).
char32_t SoleCodePoint(std::u16string_view text) noexcept {
    if (text.size() == 1) return text[0];
    if (text.size() == 2 && NoteBase::IsHighSurrogate(text[0]) && NoteBase::IsLowSurrogate(text[1]))
        return NoteBase::CombineSurrogates(text[0], text[1]);
    return 0;
}

}  // namespace

int32_t ISurface::ClusterWidth(std::u16string_view cluster) {
    int32_t width = 0;
    for (size_t at = 0; at < cluster.size(); ++at) {
        char32_t c = cluster[at];
        if (NoteBase::IsHighSurrogate(c) && at + 1 < cluster.size() &&
            NoteBase::IsLowSurrogate(cluster[at + 1])) {
            c = NoteBase::CombineSurrogates(cluster[at], cluster[at + 1]);
            ++at;
        }
        width += CharWidth(c);
    }
    return width;
}

ClusterMeasure MeasureCluster(ISurface& surface, std::u16string_view cluster) {
    const char32_t sole = SoleCodePoint(cluster);
    if (sole != 0) {
        const int32_t width = surface.CharWidth(sole);
        if (width != 0) return {width, false};
        const NoteBase::GraphemeClass kind = NoteBase::GraphemeClassOf(sole);
        // A mark with nothing to sit on is drawn on a dotted circle, as fonts shape it.
        if (kind != NoteBase::GraphemeClass::kExtend &&
            kind != NoteBase::GraphemeClass::kSpacingMark)
            return {surface.CharWidth(kSubstituteCharacter), true};
    }
    const int32_t width = surface.ClusterWidth(cluster);
    if (width != 0) return {width, false};
    return {surface.CharWidth(kSubstituteCharacter), true};
}

}  // namespace NoteLayoutEngine
