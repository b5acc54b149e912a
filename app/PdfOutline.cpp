#include "app/PdfOutline.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
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
std::string WithOutline(const std::string& pdf, const std::vector<PdfBookmark>& bookmarks) {
    QPDF document;
    // A damaged file is refused rather than rebuilt by guesswork, and quietly: the caller reports.
    document.setAttemptRecovery(false);
    document.setSuppressWarnings(true);
    document.processMemoryFile("export.pdf", pdf.data(), pdf.size());
    const std::vector<QPDFObjectHandle> pages = document.getAllPages();
    for (const PdfBookmark& bookmark : bookmarks)
        if (bookmark.page < 0 || static_cast<size_t>(bookmark.page) >= pages.size()) return {};

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
    QPDFObjectHandle catalog = document.getRoot();
    catalog.replaceKey("/Outlines", items[0]);
    catalog.replaceKey("/PageMode", QPDFObjectHandle::newName("/UseOutlines"));

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

bool AddPdfOutline(std::string& pdf, const std::vector<PdfBookmark>& bookmarks) {
    if (bookmarks.empty()) return true;
    std::string written;
    try {
        written = WithOutline(pdf, bookmarks);
    } catch (const std::exception&) {
        return false;
    }
    if (written.empty()) return false;
    pdf = std::move(written);
    return true;
}

}  // namespace ExportWriter
