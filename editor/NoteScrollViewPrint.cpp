// Printing and preview of the shown notes: the notes are laid out again for the paper, paginated
// in whole rows and drawn page by page in 1/40 mm, then laid out for the window again.
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <algorithm>

#include "editor/NoteScrollView.h"
#include "layout/Pagination.h"
#include "ui/MessageBox.h"

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

std::vector<NoteLayoutEngine::PageRange> CNoteScrollView::BeginPrintLayout(
    const QPrinter& printer, NoteLayoutEngine::PageGeometry& geometry) {
    const QRectF area = printer.pageLayout().paintRect(QPageLayout::Millimeter);
    geometry = NoteLayoutEngine::ComputePageGeometry(area.width(), area.height());
    m_printing = true;
    InvalidateStyleStates();
    ResetStyle();
    LayOutFor(*this, std::max(1, geometry.textWidth));
    return NoteLayoutEngine::Paginate(*this, geometry.printableHeight);
}

void CNoteScrollView::EndPrintLayout() {
    m_printing = false;
    InvalidateStyleStates();
    ResetStyle();
    LayOutFor(*this, viewport()->width());
    UpdateScrollSizes();
    UpdateCaret(false);
    viewport()->update();
}

int CNoteScrollView::PageCount(const QPrinter& printer) {
    if (!HasNotes()) return 0;
    NoteLayoutEngine::PageGeometry geometry;
    const size_t count = BeginPrintLayout(printer, geometry).size();
    EndPrintLayout();
    return static_cast<int>(count);
}

void CNoteScrollView::OfferPages(QPrintDialog& dialog, const QPrinter& printer) {
    const int count = std::max(1, PageCount(printer));
    dialog.setMinMax(1, count);
    dialog.setFromTo(1, count);
    // Neither a selection nor "the current page" means anything on paper here.
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
}

bool CNoteScrollView::PrintTo(QPrinter& printer, int* pages, std::vector<int>* notePages) {
    if (pages != nullptr) *pages = 0;
    if (notePages != nullptr) notePages->clear();
    if (!HasNotes()) return false;
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    NoteLayoutEngine::PageGeometry geometry;
    const std::vector<NoteLayoutEngine::PageRange> ranges = BeginPrintLayout(printer, geometry);
    if (notePages != nullptr) {
        // Pages hold whole rows from their start's row on, so a note's first row is on the last
        // page that starts at or above it.
        std::vector<int32_t> tops;
        for (const NoteLayoutEngine::PageRange& range : ranges)
            tops.push_back(PointOf(range.start).y);
        for (NoteEditEngine::CNoteDocument* note : ShownNotes()) {
            const int32_t y = PointOf(note->Start()).y;
            const auto after = std::upper_bound(tops.begin(), tops.end(), y);
            notePages->push_back(std::max(0, static_cast<int>(after - tops.begin()) - 1));
        }
    }
    // The pages chosen in the print dialog, 1-based; all of them when none were chosen.
    const int count = static_cast<int>(ranges.size());
    int first = 1;
    int last = count;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage();
        last = std::min(count, std::max(first, printer.toPage()));
    }
    const QRect device = printer.pageLayout().paintRectPixels(printer.resolution());
    painter.setWindow(0, 0, geometry.pageWidth, geometry.pageHeight);
    painter.setViewport(0, 0, device.width(), device.height());
    for (int page = first; page <= last; ++page) {
        if (page > first) printer.newPage();
        const NoteLayoutEngine::PageRange& range = ranges[static_cast<size_t>(page - 1)];
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
    const bool written = painter.end();
    if (pages != nullptr) *pages = std::max(0, last - first + 1);
    EndPrintLayout();
    return written;
}

void CNoteScrollView::PrintAndReport(QPrinter& printer) {
    if (PrintTo(printer)) return;
    const QString file = printer.outputFileName();
    MessageBox::Show(this,
                     file.isEmpty()
                         ? QStringLiteral("The notes could not be printed: the printer could not "
                                          "be opened.")
                         : QStringLiteral("The notes could not be printed to \"%1\".").arg(file),
                     QMessageBox::Warning);
}

void CNoteScrollView::PrintWithDialog() {
    if (!HasNotes()) return;
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    OfferPages(dialog, printer);
    if (dialog.exec() == QDialog::Accepted) PrintAndReport(printer);
}

void CNoteScrollView::PrintDirect() {
    if (!HasNotes()) return;
    QPrinter printer(QPrinter::HighResolution);
    PrintAndReport(printer);
}

void CNoteScrollView::PrintPreview() {
    if (!HasNotes()) return;
    QPrintPreviewDialog preview(this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { PrintAndReport(*printer); });
    preview.exec();
}
