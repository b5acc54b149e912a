#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Bookmarks (the outline) added to a finished PDF as an incremental update: the bytes written
// before stay as they are and the new objects, a new catalog, a cross-reference section and a
// trailer follow them. Only what a PDF writer like Qt's produces is read: a classic
// cross-reference table (with /Prev chains), a catalog and a page tree.
namespace NoteStorage {

// One bookmark: its title, its depth (0 at the top; a depth more than one below the bookmark
// before it counts as one below) and the page it opens, 0-based.
struct PdfBookmark {
    std::u16string title;
    int32_t depth = 0;
    int32_t page = 0;
};

struct PdfObjectRef {
    uint32_t number = 0;
    uint32_t generation = 0;
    friend bool operator==(const PdfObjectRef&, const PdfObjectRef&) = default;
};

// What the outline writer reads of a PDF.
struct PdfStructure {
    size_t lastXref = 0;    // the offset that the last "startxref" names
    uint32_t size = 0;      // the first free object number: the trailer's /Size, or past the last
    PdfObjectRef root;      // the catalog
    std::string catalog;    // the catalog's entries as written, less /Outlines and /PageMode
    std::string infoValue;  // the trailer's /Info value as written, "" when none
    std::string idValue;    // the trailer's /ID value as written, "" when none
    std::vector<PdfObjectRef> pages;  // every page, in the page tree's order
};

// Reads the structure of a PDF. False on anything it cannot follow (no startxref, a
// cross-reference stream, a broken table or trailer, a missing catalog or page tree, a page tree
// with a cycle or too deep); never reads outside `pdf`, and ends on every input.
[[nodiscard]] bool ReadPdfStructure(std::string_view pdf, PdfStructure& structure);

// Appends the outline: one bookmark per entry, nested by depth, each opening its page; the
// reader opens with the bookmarks shown. False, with `pdf` unchanged, when its structure cannot
// be read or a bookmark names a page that is not there. No bookmarks: true, nothing added.
bool AddPdfOutline(std::string& pdf, const std::vector<PdfBookmark>& bookmarks);

// A PDF text string: UTF-16BE with a byte-order mark, in parentheses, with the characters that
// end or escape the string and line ends escaped.
[[nodiscard]] std::string PdfTextString(std::u16string_view text);

}  // namespace NoteStorage
