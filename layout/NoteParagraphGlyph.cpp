#include "layout/NoteParagraphGlyph.h"

#include "layout/NoteRowGlyph.h"
#include "layout/NoteView.h"

namespace NoteLayoutEngine {

using NoteEditEngine::CNotePosition;

CNoteParagraphGlyph::CNoteParagraphGlyph(CNoteView* view, CNoteGlyph* parent,
                                         const CNotePosition& start)
    : CNoteGlyph(view, parent, start) {
    InsertChild(nullptr, std::make_unique<CNoteRowGlyph>(view, this, start));
}

void CNoteParagraphGlyph::Dump(std::string& text) const {
    text += '{';
    CNoteGlyph::Dump(text);
    text += '}';
}

CNotePosition CNoteParagraphGlyph::Reflow(const CNotePosition& position, int64_t count,
                                          int32_t width, bool& aligned) {
    TakeOutOfParent();
    const NoteEditEngine::ParagraphFormat format = m_start.MarkFormat();
    m_view->ApplyParagraphStyle(format.Style(), format.Indent());
    const LayoutMetrics& metrics = m_view->Metrics();
    const Margins& spacing = metrics.paragraphSpacing;
    SetMargins({m_start.IsAtStart() ? 0 : spacing.top, m_start.IsAtEnd() ? 0 : spacing.bottom,
                format.Indent() * metrics.indentUnit + spacing.left, spacing.right});
    CNotePosition from = position;
    if (format != m_laidOutFormat || width != m_laidOutWidth) {
        // A change of format reaches every row, even when the edit that made it (a deletion
        // through a later paragraph mark) reports a single element.
        from = m_start;
        count = kWholeRange;
        m_laidOutFormat = format;
        m_laidOutWidth = width;
    } else {
        from = FirstAffectedRow(position);
        count += IndexOf(position) - IndexOf(from);
    }
    // Rows are re-broken from their own starts, so the row holding `from` is the first to change.
    if (const CNoteGlyph* row = FindChild(from)) m_view->NoteRebreakStart(row->Start());
    const CNotePosition end = ReflowChildren(from, count, width, aligned);
    PutBackIntoParent();
    return end;
}

CNotePosition CNoteParagraphGlyph::FirstAffectedRow(const CNotePosition& position) const {
    // The row before the one holding the change broke where it did because of the word that
    // followed; when the change lies within what it looked at, that row may now take more.
    const CNoteGlyph* const holder = FindChild(position);
    const CNoteGlyph* row = holder;
    const int64_t changed = IndexOf(position);
    for (const CNoteGlyph* previous = row->PreviousSibling(); previous != nullptr;
         previous = previous->PreviousSibling()) {
        const int32_t lookahead = static_cast<const CNoteRowGlyph*>(previous)->Lookahead();
        if (IndexOf(row->Start()) + lookahead <= changed) break;
        row = previous;
    }
    return row == holder ? position : row->Start();
}

bool CNoteParagraphGlyph::UnitFinished(const CNotePosition& p) const {
    // Rows end at the next mark at the latest, so a row that ended on a mark ended the
    // paragraph, found without walking the paragraph.
    return (p.ElementIsParagraph() && !(p == m_start)) || p.IsAtEnd();
}

std::unique_ptr<CNoteGlyph> CNoteParagraphGlyph::CreateSibling(
    CNoteGlyph* parent, const CNotePosition& position) const {
    return std::make_unique<CNoteParagraphGlyph>(m_view, parent, position);
}

}  // namespace NoteLayoutEngine
