// The PDF bookmarks' refusals: what the writer cannot read is left as it was (the command-line
// export reads a real outline back).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/PdfOutline.h"

namespace ExportWriter {
namespace {

// Five pages in a nested page tree (a node holding pages 1 and 2, then pages 3 to 5), a catalog
// entry of its writer's own (/Lang) and uncompressed page contents.
std::string FivePages() {
    std::vector<std::string> objects = {
        "<< /Lang (en\\)) /Pages 2 0 R /Type /Catalog >>",
        "<< /Count 5 /Kids [ 3 0 R 4 0 R 5 0 R 6 0 R ] /Type /Pages >>",
        "<< /Count 2 /Kids [ 7 0 R 8 0 R ] /Parent 2 0 R /Type /Pages >>"};
    for (int page = 4; page <= 8; ++page)
        objects.push_back("<< /Contents " + std::to_string(page + 5) +
                          " 0 R /MediaBox [ 0 0 9 9 ] /Parent " + (page < 7 ? "2" : "3") +
                          " 0 R /Type /Page >>");
    objects.insert(objects.end(), 5, "<< /Length 13 >>\nstream\n0 0 m 9 9 l Sendstream");
    std::string pdf = "%PDF-1.3\n";
    std::string xref = "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (size_t k = 0; k < objects.size(); ++k) {
        const std::string offset = std::to_string(pdf.size());
        xref += std::string(10 - offset.size(), '0') + offset + " 00000 n \n";
        pdf += std::to_string(k + 1) + " 0 obj\n" + objects[k] + "\nendobj\n";
    }
    return pdf + xref + "trailer << /Root 1 0 R /Size " + std::to_string(objects.size() + 1) +
           " >>\nstartxref\n" + std::to_string(pdf.size()) + "\n%%EOF\n";
}
const std::string kPdf = FivePages();

TEST(PdfOutlineTest, UnreadableFilesAndMissingPagesAreRefusedAndLeftAsTheyWere) {
    const std::vector<PdfBookmark> one = {{u"A", 0, 0}};
    const size_t xref = kPdf.rfind("\nxref\n0 ") + 1;
    const struct {
        const char* what;
        std::string pdf;
        std::vector<PdfBookmark> bookmarks;
    } cases[] = {
        {"empty", "", one},
        {"not a PDF", "Hello\n", one},
        {"cut short", kPdf.substr(0, kPdf.size() / 2), one},
        {"table damaged", kPdf.substr(0, xref) + "xref\n0 x" + kPdf.substr(xref + 9), one},
        {"page past the last", kPdf, {{u"A", 0, 0}, {u"B", 0, 5}}},
        {"page before the first", kPdf, {{u"A", 0, -1}}},
    };
    for (const auto& c : cases) {
        std::string pdf = c.pdf;
        EXPECT_FALSE(AddPdfOutline(pdf, c.bookmarks)) << c.what;
        EXPECT_TRUE(pdf == c.pdf) << c.what;
    }
    std::string pdf = kPdf;
    EXPECT_TRUE(AddPdfOutline(pdf, {}) && pdf == kPdf);
}

}  // namespace
}  // namespace ExportWriter
