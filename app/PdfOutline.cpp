#include "app/PdfOutline.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <cstddef>
#include <exception>
#include <memory>

#include "base/Utf8.h"

namespace ExportWriter {

namespace {

// The PDF rewritten with the outline; empty when a bookmark names a page that is not there.
// Throws what qpdf throws on a file it cannot read.
// Adds each link to its page's annotations, its box turned to the page's own coordinates (the
// origin at the bottom left of the media box).
void AddLinks(QPDF& document, const std::vector<QPDFObjectHandle>& pages,
              const std::vector<PdfLink>& links) {
    for (const PdfLink& link : links) {
        QPDFObjectHandle page = pages[static_cast<size_t>(link.page)];
        const QPDFObjectHandle::Rectangle media =
            QPDFPageObjectHelper(page).getMediaBox().getArrayAsRectangle();
        const double left = media.llx + link.left;
        const double bottom = media.ury - link.top - link.height;
        QPDFObjectHandle action = QPDFObjectHandle::newDictionary();
        action.replaceKey("/S", QPDFObjectHandle::newName("/URI"));
        action.replaceKey("/URI", QPDFObjectHandle::newString(link.target));
        QPDFObjectHandle annotation =
            document.makeIndirectObject(QPDFObjectHandle::newDictionary());
        annotation.replaceKey("/Type", QPDFObjectHandle::newName("/Annot"));
        annotation.replaceKey("/Subtype", QPDFObjectHandle::newName("/Link"));
        annotation.replaceKey("/Rect", QPDFObjectHandle::newArray(QPDFObjectHandle::Rectangle(
                                           left, bottom, left + link.width, bottom + link.height)));
        annotation.replaceKey("/Border",
                              QPDFObjectHandle::newArray({QPDFObjectHandle::newInteger(0),
                                                          QPDFObjectHandle::newInteger(0),
                                                          QPDFObjectHandle::newInteger(0)}));
        annotation.replaceKey("/A", action);
        if (!page.getKey("/Annots").isArray())
            page.replaceKey("/Annots", QPDFObjectHandle::newArray());
        page.getKey("/Annots").appendItem(annotation);
    }
}

std::string WithOutline(const std::string& pdf, const std::vector<PdfBookmark>& bookmarks,
                        const std::vector<PdfLink>& links) {
    QPDF document;
    // A damaged file is refused rather than rebuilt by guesswork, and quietly: the caller reports.
    document.setAttemptRecovery(false);
    document.setSuppressWarnings(true);
    document.processMemoryFile("export.pdf", pdf.data(), pdf.size());
    const std::vector<QPDFObjectHandle> pages = document.getAllPages();
    for (const PdfBookmark& bookmark : bookmarks)
        if (bookmark.page < 0 || static_cast<size_t>(bookmark.page) >= pages.size()) return {};
    for (const PdfLink& link : links)
        if (link.page < 0 || static_cast<size_t>(link.page) >= pages.size()) return {};
    AddLinks(document, pages, links);

    // items[0] is the outline root, then one item per bookmark; `open` holds the indices of the
    // chain from the root to the last bookmark, the ancestors of the next one.
    std::vector<QPDFObjectHandle> items{
        document.makeIndirectObject(QPDFObjectHandle::newDictionary())};
    items[0].replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));
    std::vector<long long> descendants(bookmarks.size() + 1, 0);
    std::vector<size_t> open{0};
    for (const PdfBookmark& bookmark : bookmarks) {
        open.resize(std::min(open.size(), static_cast<size_t>(std::max(0, bookmark.depth)) + 1));
        QPDFObjectHandle parent = items[open.back()];
        QPDFObjectHandle item = document.makeIndirectObject(QPDFObjectHandle::newDictionary());
        item.replaceKey("/Title",
                        QPDFObjectHandle::newUnicodeString(NoteBase::Utf16ToUtf8(bookmark.title)));
        item.replaceKey("/Parent", parent);
        item.replaceKey("/Dest",
                        QPDFObjectHandle::newArray(
                            {pages[static_cast<size_t>(bookmark.page)],
                             QPDFObjectHandle::newName("/XYZ"), QPDFObjectHandle::newNull(),
                             QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull()}));
        if (parent.hasKey("/Last")) {
            QPDFObjectHandle previous = parent.getKey("/Last");
            previous.replaceKey("/Next", item);
            item.replaceKey("/Prev", previous);
        } else {
            parent.replaceKey("/First", item);
        }
        parent.replaceKey("/Last", item);
        for (const size_t ancestor : open)
            ++descendants[ancestor];
        open.push_back(items.size());
        items.push_back(item);
    }
    // Positive: every level is shown open.
    for (size_t i = 0; i < items.size(); ++i)
        if (descendants[i] > 0)
            items[i].replaceKey("/Count", QPDFObjectHandle::newInteger(descendants[i]));
    if (!bookmarks.empty()) {
        QPDFObjectHandle catalog = document.getRoot();
        catalog.replaceKey("/Outlines", items[0]);
        catalog.replaceKey("/PageMode", QPDFObjectHandle::newName("/UseOutlines"));
    }

    QPDFWriter writer(document);
    writer.setOutputMemory();
    // The page contents and images are copied, not decoded and compressed again, and the /ID
    // comes from the content, not the clock.
    writer.setStreamDataMode(qpdf_s_preserve);
    writer.setDeterministicID(true);
    writer.write();
    const std::shared_ptr<Buffer> out = writer.getBufferSharedPointer();
    return {reinterpret_cast<const char*>(out->getBuffer()), out->getSize()};
}

}  // namespace

bool AddPdfOutline(std::string& pdf, const std::vector<PdfBookmark>& bookmarks,
                   const std::vector<PdfLink>& links) {
    if (bookmarks.empty() && links.empty()) return true;
    std::string written;
    try {
        written = WithOutline(pdf, bookmarks, links);
    } catch (const std::exception&) {
        return false;
    }
    if (written.empty()) return false;
    pdf = std::move(written);
    return true;
}

}  // namespace ExportWriter
