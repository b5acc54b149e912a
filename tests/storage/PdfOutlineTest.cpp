// The bookmarks appended to a finished PDF, read back by qpdf, and the refusal of files whose
// structure cannot be followed.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "storage/PdfOutline.h"
#include "tests/support/QpdfOutline.h"
#include "tests/support/TempFolder.h"

namespace NoteStorage {
namespace {

// A PDF as a writer with a classic cross-reference table makes it: catalog 1, page tree root 2
// holding an inner node 3 (the first half of the pages) and the other pages, then the pages.
std::string MakePdf(int pages) {
    std::vector<std::string> objects;
    const int inner = pages / 2;
    std::string rootKids = "3 0 R";
    std::string innerKids;
    for (int i = 0; i < pages; ++i) {
        const std::string ref = " " + std::to_string(4 + i) + " 0 R";
        (i < inner ? innerKids : rootKids) += ref;
    }
    objects.push_back("<< /Type /Catalog /Pages 2 0 R /Lang (en\\)) >>");
    objects.push_back("<< /Type /Pages /Kids [" + rootKids + "] /Count " + std::to_string(pages) +
                      " >>");
    objects.push_back("<< /Type /Pages /Parent 2 0 R /Kids [" + innerKids + "] /Count " +
                      std::to_string(inner) + " >>");
    for (int i = 0; i < pages; ++i)
        objects.push_back(std::string("<< /Type /Page /Parent ") + (i < inner ? "3" : "2") +
                          " 0 R /MediaBox [0 0 200 200] /Resources << >> >>");
    std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<size_t> offsets;
    for (size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const size_t xref = pdf.size();
    pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const size_t offset : offsets) {
        char line[21];
        std::snprintf(line, sizeof line, "%010zu 00000 n \n", offset);
        pdf += line;
    }
    pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return pdf;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// The file after `count` more updates that change nothing.
std::string WithEmptyUpdates(std::string pdf, int count) {
    for (int i = 0; i < count; ++i) {
        const size_t last = pdf.rfind("startxref\n") + 10;
        const std::string previous = pdf.substr(last, pdf.find('\n', last) - last);
        const size_t xref = pdf.size();
        pdf += "xref\n0 0\ntrailer\n<< /Size 9 /Root 1 0 R /Prev " + previous + " >>\nstartxref\n" +
               std::to_string(xref) + "\n%%EOF\n";
    }
    return pdf;
}

const std::vector<PdfBookmark> kBookmarks = {
    {u"Plans", 0, 0},      {u"Caf\u00e9 (draft) \\ \u65e5\u672c", 1, 1},
    {u"Deep", 2, 1},       {u"Skipped a level", 4, 2},
    {u"Second top", 0, 3}, {u"Smile \U0001F600", 1, 4},
};

TEST(PdfOutlineTest, BookmarksNestByDepthOpenTheirPagesAndQpdfAcceptsTheUpdate) {
    const std::string original = MakePdf(5);
    std::string pdf = original;
    ASSERT_TRUE(AddPdfOutline(pdf, kBookmarks));
    // An incremental update: the old bytes stay as they were.
    EXPECT_EQ(pdf.substr(0, original.size()), original);

    TestSupport::CTempFolder folder;
    TestSupport::WriteBytes(folder / "out.pdf", pdf);
    EXPECT_TRUE(TestSupport::QpdfChecks(folder / "out.pdf"));
    // The inner page node holds pages 1 and 2: the destinations follow the tree's order.
    EXPECT_EQ(TestSupport::QpdfOutline(folder / "out.pdf"),
              "Plans@1\n"
              "  Caf\u00e9 (draft) \\ \u65e5\u672c@2\n"
              "    Deep@2\n"
              "      Skipped a level@3\n"
              "Second top@4\n"
              "  Smile \U0001F600@5\n");

    // The new catalog is the one read now, with every old entry kept; a second outline replaces
    // the first.
    PdfStructure structure;
    ASSERT_TRUE(ReadPdfStructure(pdf, structure));
    EXPECT_NE(structure.catalog.find("/Lang (en\\))"), std::string::npos);
    EXPECT_EQ(structure.pages.size(), 5u);
    ASSERT_TRUE(AddPdfOutline(pdf, {{u"Only", 0, 4}}));
    TestSupport::WriteBytes(folder / "twice.pdf", pdf);
    EXPECT_TRUE(TestSupport::QpdfChecks(folder / "twice.pdf"));
    EXPECT_EQ(TestSupport::QpdfOutline(folder / "twice.pdf"), "Only@5\n");
}

TEST(PdfOutlineTest, TitlesAreUtf16WithAByteOrderMarkAndEscaped) {
    EXPECT_EQ(PdfTextString(u"A(\\)"),
              std::string("(\xFE\xFF", 3) + std::string("\0A\0\\(\0\\\\\0\\)", 11) + ")");
    // A unit whose low byte is a line end must not be turned into another line end by a reader.
    EXPECT_EQ(PdfTextString(u"\u010D\u0A0A"), std::string("(\xFE\xFF\x01\\r\\n\\n)", 11));
}

TEST(PdfOutlineTest, DamagedFilesAndBadPagesAreRefusedAndLeftAsTheyWere) {
    const std::string good = MakePdf(3);
    const size_t xref = good.find("xref\n0 ");
    struct Case {
        const char* what;
        std::string pdf;
        std::vector<PdfBookmark> bookmarks;
    };
    const std::vector<PdfBookmark> one = {{u"A", 0, 0}};
    const std::vector<Case> cases = {
        {"empty", "", one},
        {"no startxref", Replace(good, "startxref", "startxrex"), one},
        {"startxref past the end",
         Replace(good, "startxref\n" + std::to_string(xref), "startxref\n999999"), one},
        {"startxref into an object",
         Replace(good, "startxref\n" + std::to_string(xref), "startxref\n20"), one},
        {"cut in the table",
         good.substr(0, xref + 40) + "\nstartxref\n" + std::to_string(xref) + "\n%%EOF", one},
        {"cross-reference stream", Replace(good, "xref\n0 ", "1 0 obj << /Type /XRef >> "), one},
        {"no root", Replace(good, "/Root 1 0 R", "/Info 1 0 R"), one},
        {"root not in the table", Replace(good, "/Root 1 0 R", "/Root 99 0 R"), one},
        {"root of another generation", Replace(good, "/Root 1 0 R", "/Root 1 3 R"), one},
        {"catalog without pages", Replace(good, "/Pages 2 0 R", "/Pagez 2 0 R"), one},
        {"catalog not a dictionary", Replace(good, "<< /Type /Catalog", "[ /Type /Catalog"), one},
        {"unterminated string", Replace(good, "(en\\))", "(en\\)"), one},
        {"page tree cycle", Replace(good, "/Kids [3 0 R", "/Kids [2 0 R"), one},
        {"kid not a reference", Replace(good, "/Kids [3 0 R", "/Kids [3"), one},
        {"node neither page nor pages",
         Replace(good, "/Type /Page /Parent 3", "/Type /Pagex /Parent 3"), one},
        {"nesting too deep",
         Replace(good, "/Lang",
                 "/Deep " + std::string(200, '[') + std::string(200, ']') + " /Lang"),
         one},
        // 64 sections read; the update would make a 65th, which would not.
        {"at the limit of updates", WithEmptyUpdates(good, 63), one},
        {"a /Prev loop", Replace(good, "/Root 1 0 R", "/Root 1 0 R /Prev " + std::to_string(xref)),
         one},
        {"bookmark past the last page", good, {{u"A", 0, 0}, {u"B", 0, 3}}},
        {"bookmark before the first page", good, {{u"A", 0, -1}}},
    };
    for (const Case& c : cases) {
        std::string pdf = c.pdf;
        EXPECT_FALSE(AddPdfOutline(pdf, c.bookmarks)) << c.what;
        EXPECT_EQ(pdf, c.pdf) << c.what;
    }
    // The same file whole is accepted, and with one update fewer: each case fails for its own
    // damage.
    for (std::string pdf : {good, WithEmptyUpdates(good, 62)})
        EXPECT_TRUE(AddPdfOutline(pdf, {{u"A", 0, 2}}));
}

}  // namespace
}  // namespace NoteStorage
