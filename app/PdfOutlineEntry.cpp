// The one function of the module "jotwell-pdf.so" (AddPdfOutlineFromModule loads it).
#include "app/PdfOutline.h"

extern "C" __attribute__((visibility("default"))) bool JotwellAddPdfOutline(
    std::string& pdf, const std::vector<ExportWriter::PdfBookmark>& bookmarks,
    const std::vector<ExportWriter::PdfLink>& links) {
    return ExportWriter::AddPdfOutline(pdf, bookmarks, links);
}
