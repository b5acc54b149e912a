#include "layout/NoteDocumentGlyph.h"

#include "layout/NoteParagraphGlyph.h"
#include "layout/NotePendingGlyph.h"
#include "layout/NoteView.h"

namespace NoteLayoutEngine {

using NoteEditEngine::CNotePosition;

CNoteDocumentGlyph::CNoteDocumentGlyph(CNoteView* view, CNoteGlyph* parent,
                                       NoteEditEngine::CNoteDocument* document)
    : CNoteGlyph(view, parent, document->Start()), m_document(document) {
    InsertChild(nullptr, std::make_unique<CNoteParagraphGlyph>(view, this, m_start));
}

void CNoteDocumentGlyph::DrawFrame(int32_t x, int32_t y, const Band& band) {
    ISurface& surface = m_view->Surface();
    if (band.top == 0)
        surface.DrawNoteHeader(x, y, m_width, m_margins.top, PreviousSibling() == nullptr);
    if (band.bottom == m_height) {
        surface.DrawNoteSeparator(x, y + m_height - m_margins.bottom, m_width, m_margins.bottom,
                                  NextSibling() == nullptr);
    }
}

CNotePosition CNoteDocumentGlyph::Reflow(const CNotePosition& position, int64_t count,
                                         int32_t width, bool& aligned) {
    TakeOutOfParent();
    const NoteEditEngine::ParagraphFormat format = m_start.MarkFormat();
    m_view->ApplyParagraphStyle(format.Style(), format.Indent());
    SetMargins(m_view->Metrics().noteMargins);
    const CNotePosition end = ReflowChildren(position, count, width, aligned);
    KeepTrailingParagraph(width);
    PutBackIntoParent();
    return end;
}

void CNoteDocumentGlyph::KeepTrailingParagraph(int32_t width) {
    const CNotePosition last = m_document->End();
    CNoteGlyph* trailing = LastChild();
    if (trailing->Length() == 0 && dynamic_cast<CNotePendingGlyph*>(trailing) != nullptr) {
        // What it stood for was removed.
        DeleteChild(trailing);
        trailing = LastChild();
    }
    const int32_t inner = width - m_margins.left - m_margins.right;
    if (last.ElementIsParagraph()) {
        // The empty last paragraph gets a glyph of its own, on which the caret can stand.
        if (trailing->Start() == last) return;
        CNoteGlyph* added = InsertChild(nullptr, trailing->CreateSibling(this, last));
        bool aligned = false;
        added->Reflow(last, 0, inner, aligned);
    } else if (trailing->Length() == 0 && trailing != FirstChild()) {
        DeleteChild(trailing);
    }
}

std::unique_ptr<CNoteGlyph> CNoteDocumentGlyph::DeferredChild(const CNotePosition& p,
                                                              int64_t laidOut) {
    const int64_t eager = m_view->EagerElements();
    if (eager <= 0 || laidOut < eager) return nullptr;
    return std::make_unique<CNotePendingGlyph>(m_view, this, p);
}

void CNoteDocumentGlyph::LayOutPending(CNotePendingGlyph* pending, const CNotePosition& from,
                                       int64_t elements) {
    TakeOutOfParent();
    const CNotePosition start = pending->Start();
    const CNotePosition end = pending->End();
    const int32_t inner = m_width - m_margins.left - m_margins.right;
    const bool keepsFront = IndexOf(from) > IndexOf(start);
    if (keepsFront) pending->Cover(start, from);
    CNoteGlyph* place = keepsFront ? pending->NextSibling() : pending;
    CNotePosition p = from;
    int64_t laidOut = 0;
    while (IndexOf(p) < IndexOf(end) && laidOut < elements) {
        CNoteGlyph* paragraph =
            InsertChild(place, std::make_unique<CNoteParagraphGlyph>(m_view, this, p));
        bool aligned = false;
        p = paragraph->Reflow(p, kWholeRange, inner, aligned);
        laidOut += paragraph->Length();
    }
    if (IndexOf(p) < IndexOf(end)) {
        if (keepsFront) {
            auto rest = std::make_unique<CNotePendingGlyph>(m_view, this, p);
            pending = static_cast<CNotePendingGlyph*>(InsertChild(place, std::move(rest)));
        }
        pending->Cover(p, end);
    } else if (!keepsFront) {
        DeleteChild(pending);
    }
    PutBackIntoParent();
}

std::unique_ptr<CNoteGlyph> CNoteDocumentGlyph::CreateSibling(
    CNoteGlyph* /*parent*/, const CNotePosition& /*position*/) const {
    return nullptr;
}

}  // namespace NoteLayoutEngine
