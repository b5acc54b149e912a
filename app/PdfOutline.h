#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Bookmarks (the outline) and links for the PDF export, on libqpdf. Qt-free, so that the fuzz build
// drives it too.
namespace ExportWriter {

// One bookmark: its title, its depth (0 at the top; a depth more than one below the bookmark
// before it counts as one below) and the page it opens, 0-based.
struct PdfBookmark {
    std::u16string title;
    int32_t depth = 0;
    int32_t page = 0;
};

// A web or mail address on a page: its box in points from the paper's top-left corner, the page
// (0-based) and where it leads.
struct PdfLink {
    int32_t page = 0;
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    std::string target;  // UTF-8
};

// Rewrites `pdf` with the outline: one bookmark per entry, nested by depth, each opening its
// page, an outline already there replaced; the reader opens with the bookmarks shown. Each link
// becomes a link annotation of its page that opens its address. Streams are copied as they are
// and the same input gives the same bytes. False, with `pdf` unchanged, when it cannot be read (a
// damaged file is refused, not repaired) or a bookmark or link names a page that is not there. No
// bookmarks and no links: true, nothing changed.
bool AddPdfOutline(std::string& pdf, const std::vector<PdfBookmark>& bookmarks,
                   const std::vector<PdfLink>& links = {});

// AddPdfOutline as the program calls it: from the module "jotwell-pdf.so" built of this file,
// loaded at the first call (from lib/jotwell beside the program's bin folder, else from the build
// tree), so that libqpdf and the libraries it pulls in are loaded only by a program that writes a
// PDF: they were a sixth of every start. False, `pdf` unchanged, also when the module cannot be
// loaded.
bool AddPdfOutlineFromModule(std::string& pdf, const std::vector<PdfBookmark>& bookmarks,
                             const std::vector<PdfLink>& links);

}  // namespace ExportWriter
