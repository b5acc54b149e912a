// Grapheme clusters on arbitrary UTF-16: the segmentation of a text always moves forward and ends,
// and a caret place in a note is inside a cluster exactly when it is no boundary of that
// segmentation, paragraph by paragraph (paragraphs start at the code unit 0x2029 here).

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "base/Graphemes.h"
#include "model/Clusters.h"
#include "model/NoteDocument.h"

namespace {

[[noreturn]] void Fail(const char* what, size_t at) {
    std::fprintf(stderr, "fuzz_clusters: %s at %zu\n", what, at);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string units;
    for (size_t k = 0; k + 1 < size && units.size() < 4096; k += 2)
        units.push_back(static_cast<char16_t>(data[k] | (data[k + 1] << 8)));

    // Document places: 0 is the leading mark; then each unit or mark in order.
    NoteEditEngine::CNoteDocument document;
    std::set<size_t> boundaries;  // places that are cluster boundaries, by segmentation
    size_t place = 0;
    for (size_t from = 0; from <= units.size();) {
        size_t end = units.find(u'\u2029', from);
        if (end == std::u16string::npos) end = units.size();
        const std::u16string_view paragraph(units.data() + from, end - from);
        if (!paragraph.empty()) document.AppendLoadedText(paragraph, {});
        boundaries.insert(place);
        for (size_t at = 0; at < paragraph.size();) {
            const size_t next = NoteBase::ClusterEnd(paragraph, at);
            if (next <= at || next > paragraph.size()) Fail("no progress", from + at);
            at = next;
            boundaries.insert(place + at);
        }
        place += paragraph.size();
        if (end == units.size()) break;
        document.AppendLoadedMark({}, {});
        ++place;
        from = end + 1;
    }
    // Past 64 code points of marks the look back is cut short, so only shorter texts compare.
    if (units.size() > 64) return 0;
    for (size_t k = 0; k <= place; ++k) {
        const bool inside = NoteEditEngine::IsInsideCluster(document.FromIndex(int64_t(k)));
        if (inside == (boundaries.count(k) != 0)) Fail("caret place and segmentation differ", k);
    }
    return 0;
}
