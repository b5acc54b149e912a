// Reads arbitrary bytes as a PDF to which bookmarks are added. A refused file must be left exactly
// as it was; an accepted one must read again with the same pages, the outline in its catalog,
// and take a second outline the same way.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "storage/PdfOutline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string original(reinterpret_cast<const char*>(data), size);
    const std::vector<NoteStorage::PdfBookmark> bookmarks = {
        {u"One (1)", 0, 0}, {u"\\Two\r", 1, 0}, {u"Three", 3, 0}, {u"Four", 0, 0}};
    std::string pdf = original;
    NoteStorage::PdfStructure before;
    const bool readable = NoteStorage::ReadPdfStructure(pdf, before);
    if (!NoteStorage::AddPdfOutline(pdf, bookmarks)) {
        if (pdf != original) std::abort();
        return 0;
    }
    if (!readable || pdf.compare(0, original.size(), original) != 0) std::abort();
    NoteStorage::PdfStructure after;
    if (!NoteStorage::ReadPdfStructure(pdf, after) || after.pages != before.pages ||
        after.root != before.root || after.catalog != before.catalog) {
        std::abort();
    }
    if (!NoteStorage::AddPdfOutline(pdf, bookmarks)) std::abort();
    return 0;
}
