#include "layout/NoteViewGlyph.h"

#include <algorithm>
#include <unordered_set>

#include "layout/NoteDocumentGlyph.h"
#include "layout/NoteView.h"

namespace NoteLayoutEngine {

using NoteEditEngine::CNoteDocument;
using NoteEditEngine::CNotePosition;

CNoteViewGlyph::CNoteViewGlyph(CNoteView* view) : CNoteGlyph(view, nullptr, CNotePosition()) {}

void CNoteViewGlyph::Dump(std::string& text) const {
    for (const CNoteGlyph* child = FirstChild(); child != nullptr; child = child->NextSibling()) {
        if (child != FirstChild()) text += '|';
        child->Dump(text);
    }
}

CNoteDocumentGlyph* CNoteViewGlyph::GlyphOf(const CNoteDocument* note) const {
    const auto found = m_glyphs.find(note);
    return found != m_glyphs.end() ? found->second : nullptr;
}

CNoteGlyph* CNoteViewGlyph::FindChild(const CNotePosition& position) const {
    return GlyphOf(position.Document());
}

void CNoteViewGlyph::TakeViewMargins() {
    SetMargins(m_view->Metrics().viewMargins);
    m_width = std::max(0, m_view->ViewWidth());
}

CNotePosition CNoteViewGlyph::Reflow(const CNotePosition& position, int64_t count,
                                     int32_t /*width*/, bool& aligned) {
    TakeViewMargins();
    CNoteGlyph* child = FindChild(position);
    if (child == nullptr) return position;
    aligned = false;
    return child->Reflow(position, count, m_width - m_margins.left - m_margins.right, aligned);
}

int64_t CNoteViewGlyph::RemoveElements(const CNotePosition& position, int64_t count) {
    CNoteGlyph* child = FindChild(position);
    return child != nullptr ? child->RemoveElements(position, count) : 0;
}

std::unique_ptr<CNoteGlyph> CNoteViewGlyph::CreateSibling(CNoteGlyph* /*parent*/,
                                                          const CNotePosition& /*position*/) const {
    return std::make_unique<CNoteViewGlyph>(m_view);
}

void CNoteViewGlyph::Synchronise(const std::vector<CNoteDocument*>& shown) {
    TakeViewMargins();
    // Glyphs of notes no longer shown go first, so that hiding one note moves no other glyph.
    const auto glyphsKept = std::count_if(shown.begin(), shown.end(), [this](CNoteDocument* note) {
        return GlyphOf(note) != nullptr;
    });
    if (static_cast<size_t>(glyphsKept) < m_children.Size()) {
        const std::unordered_set<const CNoteDocument*> kept(shown.begin(), shown.end());
        for (CNoteGlyph* child = FirstChild(); child != nullptr;) {
            CNoteGlyph* next = child->NextSibling();
            const CNoteDocument* note = static_cast<CNoteDocumentGlyph*>(child)->Document();
            if (!kept.contains(note)) {
                m_glyphs.erase(note);
                DeleteChild(child);
            }
            child = next;
        }
    }
    CNoteGlyph* place = FirstChild();
    for (CNoteDocument* note : shown) {
        if (place != nullptr && static_cast<CNoteDocumentGlyph*>(place)->Document() == note) {
            place = place->NextSibling();
            continue;
        }
        // The notes before `place` are distinct and in order already: a kept glyph lies after.
        CNoteGlyph* found = GlyphOf(note);
        if (found != nullptr) {
            // Moved up into place: unlinked and relinked whole, its layout kept.
            m_length -= found->Length();
            m_height -= found->Height();
            std::unique_ptr<CNoteGlyph> owned = m_children.Remove(found);
            InsertChild(place, std::move(owned));
        } else {
            CNoteGlyph* added =
                InsertChild(place, std::make_unique<CNoteDocumentGlyph>(m_view, this, note));
            m_glyphs[note] = static_cast<CNoteDocumentGlyph*>(added);
            bool aligned = false;
            m_view->Surface().ResetStyle();
            added->Reflow(note->Start(), kWholeRange, m_width - m_margins.left - m_margins.right,
                          aligned);
        }
    }
    // With nothing shown the tree has no height at all, so the whole window paints grey.
    if (shown.empty()) SetMargins({});
}

}  // namespace NoteLayoutEngine
