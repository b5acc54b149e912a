#pragma once

#include <cstdint>
#include <vector>

#include "model/NotePosition.h"

namespace NoteLayoutEngine {

class CNoteView;

// Page geometry in 1/40 mm, from the printable area of the paper.
struct PageGeometry {
    int32_t pageWidth = 0;
    int32_t pageHeight = 0;
    int32_t leftMargin = 0;
    int32_t rightMargin = 0;
    int32_t topMargin = 0;  // the bottom margin is the same
    int32_t textWidth = 0;
    int32_t printableHeight = 0;
};

[[nodiscard]] PageGeometry ComputePageGeometry(double printableWidthMm, double printableHeightMm);

// One page: the rows after `start` through the row that ends at `end`.
struct PageRange {
    NoteEditEngine::CNotePosition start;
    NoteEditEngine::CNotePosition end;
};

// The pages of the view's notes as laid out now, in order, filling each page with whole rows of
// at most `printableHeight`. A row taller than a page gets a page of its own.
[[nodiscard]] std::vector<PageRange> Paginate(CNoteView& view, int32_t printableHeight);

}  // namespace NoteLayoutEngine
