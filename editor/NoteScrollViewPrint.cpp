// Printing and preview of the shown notes: the notes are laid out again for the paper, paginated
// in whole rows and drawn page by page in 1/40 mm, then laid out for the window again.
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "NoteScrollView.h"
#include "Pagination.h"

namespace {

// Lays the notes out for a width even when the width is unchanged but the metrics are not.
void LayOutFor(NoteLayoutEngine::CNoteView& view, int32_t width) {
    if (view.ViewWidth() == width) {
        view.Relayout(false);
    } else {
        view.SetWidth(width, false);
    }
}

}  // namespace

bool CNoteScrollView::PrintTo(QPrinter& printer, int* pages) {
    if (pages != nullptr) *pages = 0;
    if (!HasNotes()) return false;
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const QRectF area = printer.pageLayout().paintRect(QPageLayout::Millimeter);
    const NoteLayoutEngine::PageGeometry geometry =
        NoteLayoutEngine::ComputePageGeometry(area.width(), area.height());
    const QRect device = printer.pageLayout().paintRectPixels(printer.resolution());
    m_printing = true;
    InvalidateStyleStates();
    ResetStyle();
    LayOutFor(*this, std::max(1, geometry.textWidth));
    const std::vector<NoteLayoutEngine::PageRange> ranges =
        NoteLayoutEngine::Paginate(*this, geometry.printableHeight);
    painter.setWindow(0, 0, geometry.pageWidth, geometry.pageHeight);
    painter.setViewport(0, 0, device.width(), device.height());
    for (size_t page = 0; page < ranges.size(); ++page) {
        if (page > 0) printer.newPage();
        const NoteLayoutEngine::PageRange& range = ranges[page];
        const int32_t y0 = PointOf(range.start).y;
        painter.save();
        painter.translate(geometry.leftMargin, geometry.topMargin - y0);
        m_painter = &painter;
        m_paintTop = y0;
        m_paintBottom = y0 + geometry.printableHeight;
        Redraw(range.start, Distance(range.start, range.end), true);
        m_painter = nullptr;
        painter.restore();
    }
    painter.end();
    if (pages != nullptr) *pages = static_cast<int>(ranges.size());
    m_printing = false;
    InvalidateStyleStates();
    ResetStyle();
    LayOutFor(*this, viewport()->width());
    UpdateScrollSizes();
    UpdateCaret(false);
    viewport()->update();
    return true;
}

void CNoteScrollView::PrintWithDialog() {
    if (!HasNotes()) return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) PrintTo(printer);
}

void CNoteScrollView::PrintDirect() {
    if (!HasNotes()) return;
    QPrinter printer(QPrinter::HighResolution);
    PrintTo(printer);
}

void CNoteScrollView::PrintPreview() {
    if (!HasNotes()) return;
    QPrintPreviewDialog preview(this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { PrintTo(*printer); });
    preview.exec();
}
