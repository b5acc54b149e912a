#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Bookmarks (the outline) for the PDF export, on libqpdf. Qt-free, so that the fuzz build drives
// it too.
namespace ExportWriter {

// One bookmark: its title, its depth (0 at the top; a depth more than one below the bookmark
// before it counts as one below) and the page it opens, 0-based.
struct PdfBookmark {
    std::u16string title;
    int32_t depth = 0;
    int32_t page = 0;
};

// Rewrites `pdf` with the outline: one bookmark per entry, nested by depth, each opening its
// page, an outline already there replaced; the reader opens with the bookmarks shown. Streams are
// copied as they are and the same input gives the same bytes. False, with `pdf` unchanged, when
// it cannot be read (a damaged file is refused, not repaired) or a bookmark names a page that is
// not there. No bookmarks: true, nothing changed.
bool AddPdfOutline(std::string& pdf, const std::vector<PdfBookmark>& bookmarks);

}  // namespace ExportWriter
