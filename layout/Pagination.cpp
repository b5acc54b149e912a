#include "layout/Pagination.h"

#include "layout/NoteView.h"

namespace NoteLayoutEngine {

using NoteEditEngine::CNotePosition;

PageGeometry ComputePageGeometry(double printableWidthMm, double printableHeightMm) {
    PageGeometry page;
    page.pageWidth = static_cast<int32_t>(printableWidthMm * 40);
    page.pageHeight = static_cast<int32_t>(printableHeightMm * 40);
    page.leftMargin = static_cast<int32_t>(page.pageWidth * 0.08);
    page.rightMargin = static_cast<int32_t>(page.pageWidth * 0.05);
    page.topMargin = static_cast<int32_t>(page.pageHeight * 0.05);
    page.textWidth = page.pageWidth - page.rightMargin - page.leftMargin;
    page.printableHeight = page.pageHeight - 2 * page.topMargin;
    return page;
}

namespace {

// Lays out the page that starts at `start`.
CNotePosition PageEnd(CNoteView& view, const CNotePosition& start, int32_t printableHeight) {
    const int32_t y0 = view.PointOf(start).y;
    CNotePosition end = view.HitTest(kFarRight, y0 + printableHeight);
    // With no height at all a page still takes its start's row, so pagination always advances.
    if (view.GlobalIndex(end) < view.GlobalIndex(start)) end = start;
    const int32_t y1 = view.PointOf(end).y;
    if (y1 - y0 + view.TextHeight(end) <= printableHeight) return end;
    // The bottom row does not fit: end on the row above it, unless that is above the page's
    // start (one row taller than the page), which must then be cut.
    const CNotePosition above = view.HitTest(kFarRight, y1 - view.SpaceAbove(end) - 1);
    return view.GlobalIndex(above) >= view.GlobalIndex(start) ? above : end;
}

bool IsLastOfAll(const CNoteView& view, const CNotePosition& p) {
    return !view.ShownNotes().empty() && p.Document() == view.ShownNotes().back() && p.IsAtEnd();
}

}  // namespace

std::vector<PageRange> Paginate(CNoteView& view, int32_t printableHeight) {
    std::vector<PageRange> pages;
    if (!view.HasNotes()) return pages;
    view.FinishLayout();
    CNotePosition current = view.ShownNotes().front()->Start();
    while (!IsLastOfAll(view, current)) {
        PageRange page{current, PageEnd(view, current, printableHeight)};
        pages.push_back(page);
        current = page.end;
        if (!view.StepForward(current)) break;
    }
    return pages;
}

}  // namespace NoteLayoutEngine
