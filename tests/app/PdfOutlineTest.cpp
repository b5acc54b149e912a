// The bookmarks written into a PDF, read back by the qpdf program, and the refusals.
#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <string>
#include <vector>

#include "app/PdfOutline.h"
#include "tests/support/QpdfOutline.h"
#include "tests/support/TempFolder.h"

namespace ExportWriter {
namespace {

using Object = QPDFObjectHandle;

// Five pages in a nested page tree (a node holding pages 1 and 2, then pages 3 to 5), a catalog
// entry of the writer's own, and a page content left uncompressed.
std::string MakePdf() {
    QPDF made;
    made.emptyPDF();
    Object tree = made.getRoot().getKey("/Pages");
    Object inner = made.makeIndirectObject(Object::parse("<< /Type /Pages /Kids [] /Count 2 >>"));
    inner.replaceKey("/Parent", tree);
    tree.getKey("/Kids").appendItem(inner);
    for (int i = 0; i < 5; ++i) {
        Object parent = i < 2 ? inner : tree;
        Object page =
            made.makeIndirectObject(Object::parse("<< /Type /Page /MediaBox [0 0 9 9] >>"));
        page.replaceKey("/Parent", parent);
        page.replaceKey("/Contents", Object::newStream(&made, "0 0 m 9 9 l S"));
        parent.getKey("/Kids").appendItem(page);
    }
    tree.replaceKey("/Count", Object::newInteger(5));
    made.getRoot().replaceKey("/Lang", Object::newString("en)"));
    QPDFWriter writer(made);
    writer.setOutputMemory();
    writer.setCompressStreams(false);
    writer.write();
    const auto bytes = writer.getBufferSharedPointer();
    return {reinterpret_cast<const char*>(bytes->getBuffer()), bytes->getSize()};
}

// qpdf's outline ("title@page" lines, see QpdfOutline); "" when the file fails qpdf's check.
std::string Outline(const std::string& pdf) {
    const TestSupport::CTempFolder folder;
    TestSupport::WriteBytes(folder / "out.pdf", pdf);
    return TestSupport::QpdfChecks(folder / "out.pdf")
               ? TestSupport::QpdfOutline(folder / "out.pdf")
               : "";
}

TEST(PdfOutlineTest, BookmarksNestByDepthOpenTheirPagesAndReplaceAnOutlineBefore) {
    const std::string original = MakePdf();
    const struct {
        std::vector<PdfBookmark> bookmarks;
        const char* outline;
    } cases[] = {
        {{{u"Plans", 0, 0},
          {u"Caf\u00e9 (draft) \\ \u65e5\u672c", 1, 1},
          {u"Deep", 2, 1},
          {u"Skipped a level", 4, 2},
          {u"Second top", 0, 3},
          {u"Smile \U0001F600", 1, 4}},
         "Plans@1\n  Caf\u00e9 (draft) \\ \u65e5\u672c@2\n    Deep@2\n      Skipped a level@3\n"
         "Second top@4\n  Smile \U0001F600@5\n"},
        {{{u"Below nothing", 2, 4}, {u"Above the top", -1, 0}},
         "Below nothing@5\nAbove the top@1\n"},
    };
    for (const auto& c : cases) {
        std::string pdf = original;
        ASSERT_TRUE(AddPdfOutline(pdf, c.bookmarks));
        EXPECT_EQ(Outline(pdf), c.outline);
        // Shown on opening; the writer's entries and streams as they were; the same bytes again.
        for (const char* kept : {"/PageMode /UseOutlines", "/Lang (en\\))", "0 0 m 9 9 l S"})
            EXPECT_NE(pdf.find(kept), std::string::npos) << kept;
        std::string again = original;
        EXPECT_TRUE(AddPdfOutline(again, c.bookmarks) && again == pdf);
        ASSERT_TRUE(AddPdfOutline(pdf, {{u"Only", 0, 4}}));
        EXPECT_EQ(Outline(pdf), "Only@5\n");
    }
}

TEST(PdfOutlineTest, UnreadableFilesAndMissingPagesAreRefusedAndLeftAsTheyWere) {
    const std::string good = MakePdf();
    const std::vector<PdfBookmark> one = {{u"A", 0, 0}};
    const size_t xref = good.rfind("\nxref") + 1;
    const struct {
        const char* what;
        std::string pdf;
        std::vector<PdfBookmark> bookmarks;
    } cases[] = {
        {"empty", "", one},
        {"not a PDF", "Hello\n", one},
        {"cut short", good.substr(0, good.size() / 2), one},
        {"table damaged", good.substr(0, xref) + "xref\n0 x" + good.substr(xref + 9), one},
        {"page past the last", good, {{u"A", 0, 0}, {u"B", 0, 5}}},
        {"page before the first", good, {{u"A", 0, -1}}},
    };
    for (const auto& c : cases) {
        std::string pdf = c.pdf;
        EXPECT_FALSE(AddPdfOutline(pdf, c.bookmarks)) << c.what;
        EXPECT_EQ(pdf, c.pdf) << c.what;
    }
    std::string pdf = good;
    EXPECT_TRUE(AddPdfOutline(pdf, {}));
    EXPECT_EQ(pdf, good);
}

}  // namespace
}  // namespace ExportWriter
