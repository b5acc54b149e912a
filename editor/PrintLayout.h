#pragma once

#include <QRectF>
#include <QString>
#include <vector>

#include "editor/PainterSurface.h"
#include "layout/NoteView.h"
#include "layout/Pagination.h"
#include "layout/StyleTable.h"
#include "model/NoteDocument.h"

class QPrinter;

// Notes laid out for a printer's paper: a note view of their own on a surface with the printing
// look and no window, paginated in whole rows and drawn page by page in 1/40 mm. Whatever shows
// the notes elsewhere (the editor) keeps its layout, caret and scrolling. The notes must outlive
// the layout and stay unchanged while it lives.
class CPrintLayout {
public:
    // Lays `notes` out, in this order, at the text size for the printer's printable area.
    CPrintLayout(const std::vector<NoteEditEngine::CNoteDocument*>& notes,
                 NoteLayoutEngine::TextSize size, const QPrinter& printer);
    CPrintLayout(const CPrintLayout&) = delete;
    CPrintLayout& operator=(const CPrintLayout&) = delete;

    [[nodiscard]] int PageCount() const noexcept { return static_cast<int>(m_pages.size()); }
    // A link printed: the page (0-based, of the pages printed), its box in points from the
    // paper's top-left corner, and its address.
    struct Link {
        int page = 0;
        QRectF box;
        QString target;
    };

    // Prints the pages chosen on the printer (its page range, else all) on the printer this
    // layout was made for; false when there are no notes or the printer cannot be opened or
    // written. The number printed goes to `pages`, the page (0-based, of all pages) on which
    // each note starts to `notePages`, and the links printed to `links`.
    bool Print(QPrinter& printer, int* pages = nullptr, std::vector<int>* notePages = nullptr,
               std::vector<Link>* links = nullptr);

private:
    CPainterSurface m_surface;
    NoteLayoutEngine::CNoteView m_view;
    NoteLayoutEngine::PageGeometry m_geometry;
    std::vector<NoteLayoutEngine::PageRange> m_pages;
};
