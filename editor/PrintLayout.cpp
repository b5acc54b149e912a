#include "editor/PrintLayout.h"

#include <QPainter>
#include <QPrinter>
#include <algorithm>

CPrintLayout::CPrintLayout(const std::vector<NoteEditEngine::CNoteDocument*>& notes,
                           NoteLayoutEngine::TextSize size, const QPrinter& printer)
    : m_surface(size, true), m_view(m_surface) {
    const QRectF area = printer.pageLayout().paintRect(QPageLayout::Millimeter);
    m_geometry = NoteLayoutEngine::ComputePageGeometry(area.width(), area.height());
    // The width first, so that every note is laid out once, for the paper.
    m_view.SetWidth(std::max(1, m_geometry.textWidth), false);
    NoteEditEngine::CNoteDocument* previous = nullptr;
    for (NoteEditEngine::CNoteDocument* note : notes) {
        m_view.AddNote(note, previous);
        previous = note;
    }
    m_pages = NoteLayoutEngine::Paginate(m_view, m_geometry.printableHeight);
}

bool CPrintLayout::Print(QPrinter& printer, int* pages, std::vector<int>* notePages,
                         std::vector<Link>* links) {
    if (pages != nullptr) *pages = 0;
    if (notePages != nullptr) notePages->clear();
    if (links != nullptr) links->clear();
    if (!m_view.HasNotes()) return false;
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    if (notePages != nullptr) {
        // Pages hold whole rows from their start's row on, so a note's first row is on the last
        // page that starts at or above it.
        std::vector<int32_t> tops;
        for (const NoteLayoutEngine::PageRange& range : m_pages)
            tops.push_back(m_view.PointOf(range.start).y);
        for (NoteEditEngine::CNoteDocument* note : m_view.ShownNotes()) {
            const int32_t y = m_view.PointOf(note->Start()).y;
            const auto after = std::upper_bound(tops.begin(), tops.end(), y);
            notePages->push_back(std::max(0, static_cast<int>(after - tops.begin()) - 1));
        }
    }
    // The pages chosen in the print dialog, 1-based; all of them when none were chosen.
    const int count = PageCount();
    int first = 1;
    int last = count;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage();
        last = std::min(count, std::max(first, printer.toPage()));
    }
    const QRect device = printer.pageLayout().paintRectPixels(printer.resolution());
    painter.setWindow(0, 0, m_geometry.pageWidth, m_geometry.pageHeight);
    painter.setViewport(0, 0, device.width(), device.height());
    for (int page = first; page <= last; ++page) {
        if (page > first) printer.newPage();
        const NoteLayoutEngine::PageRange& range = m_pages[static_cast<size_t>(page - 1)];
        const int32_t y0 = m_view.PointOf(range.start).y;
        painter.save();
        painter.translate(m_geometry.leftMargin, m_geometry.topMargin - y0);
        m_surface.SetPainter(&painter);
        m_view.Redraw(range.start, m_view.Distance(range.start, range.end), true);
        m_surface.SetPainter(nullptr);
        painter.restore();
        // The page's units (1/40 mm) span the printable area, which sits at the paper's margins.
        const QRectF area = printer.pageLayout().paintRect(QPageLayout::Point);
        const qreal sx = area.width() / m_geometry.pageWidth;
        const qreal sy = area.height() / m_geometry.pageHeight;
        for (CPainterSurface::PrintedLink& link : m_surface.TakePrintedLinks())
            if (links != nullptr)
                links->push_back(
                    {page - first,
                     QRectF(area.left() + link.box.left() * sx, area.top() + link.box.top() * sy,
                            link.box.width() * sx, link.box.height() * sy),
                     std::move(link.target)});
    }
    const bool written = painter.end();
    if (pages != nullptr) *pages = std::max(0, last - first + 1);
    return written;
}
