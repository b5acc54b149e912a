// Reads arbitrary bytes as a PDF to which bookmarks are added. A refused file must be left exactly
// as it was; an accepted one must read again without repair, with the same pages and the outline
// in its catalog, and take a second outline the same way.

#include <qpdf/QPDF.hh>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/PdfOutline.h"

namespace {

// Reads as the outline writer does; throws, ending the run, on what it cannot read.
void Read(QPDF& document, const std::string& pdf) {
    document.setAttemptRecovery(false);
    document.setSuppressWarnings(true);
    document.processMemoryFile("fuzz.pdf", pdf.data(), pdf.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string original(reinterpret_cast<const char*>(data), size);
    const std::vector<ExportWriter::PdfBookmark> bookmarks = {
        {u"One (1)", 0, 0}, {u"\\Two\r", 1, 0}, {u"Three", 3, 0}, {u"Four", 0, 0}};
    std::string pdf = original;
    if (!ExportWriter::AddPdfOutline(pdf, bookmarks)) {
        if (pdf != original) std::abort();
        return 0;
    }
    QPDF before;
    QPDF after;
    Read(before, original);
    Read(after, pdf);
    QPDFObjectHandle first = after.getRoot().getKey("/Outlines").getKey("/First");
    if (after.getAllPages().size() != before.getAllPages().size() || !first.isDictionary() ||
        first.getKey("/Title").getUTF8Value() != "One (1)") {
        std::abort();
    }
    if (!ExportWriter::AddPdfOutline(pdf, bookmarks)) std::abort();
    return 0;
}
