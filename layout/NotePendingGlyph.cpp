#include "layout/NotePendingGlyph.h"

#include <algorithm>

#include "layout/NoteParagraphGlyph.h"
#include "layout/NoteView.h"
#include "model/NoteDocument.h"
#include "model/NoteText.h"

namespace NoteLayoutEngine {

using NoteEditEngine::CNotePosition;

namespace {

uint32_t MarksIn(const NoteEditEngine::Piece* piece) {
    return piece != nullptr ? piece->marks : 0;
}

// The paragraph marks among the first `index` elements of a note, from the piece tree's counts.
int64_t MarksBefore(const NoteEditEngine::CNoteDocument& note, int64_t index) {
    const NoteEditEngine::CNoteText& text = note.Text();
    if (index >= int64_t{text.Size()}) return text.MarkCount();
    uint32_t offset = 0;
    const NoteEditEngine::Piece* piece = text.Find(static_cast<uint32_t>(index), offset);
    uint32_t marks = MarksIn(piece->left);
    for (; piece->parent != nullptr; piece = piece->parent)
        if (piece->parent->right == piece)
            marks += MarksIn(piece->parent->left) + (piece->parent->mark ? 1 : 0);
    return marks;
}

}  // namespace

CNotePendingGlyph::CNotePendingGlyph(CNoteView* view, CNoteGlyph* parent,
                                     const CNotePosition& start)
    : CNoteGlyph(view, parent, start) {
    m_view->PendingAdded(this);
}

CNotePendingGlyph::~CNotePendingGlyph() {
    m_view->PendingRemoved(this);
}

void CNotePendingGlyph::Dump(std::string& text) const {
    text += '<' + std::to_string(m_length) + '>';
}

void CNotePendingGlyph::Draw(const CNotePosition& /*position*/, int64_t /*count*/, int32_t x,
                             int32_t y) {
    m_view->Surface().EraseRect(x, y, m_width, m_height);
}

void CNotePendingGlyph::Cover(const CNotePosition& start, const CNotePosition& end) {
    TakeOutOfParent();
    m_start = start;
    m_length = static_cast<int32_t>(IndexOf(end) - IndexOf(start));
    const NoteEditEngine::CNoteDocument& note = *m_start.Document();
    m_height = m_view->EstimatedHeight(
        m_length, MarksBefore(note, IndexOf(end)) - MarksBefore(note, IndexOf(start)));
    PutBackIntoParent();
}

CNotePosition CNotePendingGlyph::Reflow(const CNotePosition& position, int64_t count, int32_t width,
                                        bool& /*aligned*/) {
    NoteEditEngine::CNoteDocument* note = m_start.Document();
    const int64_t last = static_cast<int64_t>(note->size()) - 1;
    // At least the first paragraph, so that it never ends where it starts.
    const int64_t changeEnd =
        std::min(last, std::max(IndexOf(position) + count, IndexOf(m_start) + 1));
    CNotePosition end = note->FromIndex(changeEnd);
    if (!end.ElementIsParagraph() || IndexOf(end) == IndexOf(m_start)) {
        end = end.ParagraphEnd();
        if (!end.IsAtEnd()) end.StepRight();
    }
    // The elements up to the next glyph have none of their own any more.
    const CNoteGlyph* next = NextSibling();
    while (next != nullptr && IndexOf(next->Start()) < IndexOf(end))
        next = next->NextSibling();
    if (next != nullptr) {
        end = next->Start();
    } else {
        end = note->End();
    }
    m_width = width;
    Cover(m_start, end);
    return end;
}

int64_t CNotePendingGlyph::RemoveElements(const CNotePosition& position, int64_t /*count*/) {
    return m_length - (IndexOf(position) - IndexOf(m_start));
}

std::unique_ptr<CNoteGlyph> CNotePendingGlyph::CreateSibling(CNoteGlyph* parent,
                                                             const CNotePosition& position) const {
    return std::make_unique<CNoteParagraphGlyph>(m_view, parent, position);
}

}  // namespace NoteLayoutEngine
