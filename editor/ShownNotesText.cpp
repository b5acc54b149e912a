#include "editor/ShownNotesText.h"

#include <algorithm>
#include <utility>

using NoteEditEngine::CNoteDocument;
using NoteEditEngine::CNotePosition;

namespace {

QString PlainText(CNoteDocument& note) {
    // The leading mark gives no text; every later mark ends the paragraph before it, and the
    // last paragraph ends with the note.
    const uint32_t size = note.size();
    QString text(static_cast<qsizetype>(size), Qt::Uninitialized);
    QChar* out = text.data();
    CNotePosition place = note.Start();
    for (uint32_t i = 1; i < size; ++i) {
        place.StepRight();
        out[i - 1] = place.ElementIsParagraph() ? QChar(u'\n') : QChar(place.CodeUnitAt());
    }
    out[size - 1] = u'\n';
    return text;
}

}  // namespace

void CShownNotesText::Refresh() {
    const std::vector<CNoteDocument*>& shown = m_view.ShownNotes();
    bool current = shown.size() == m_notes.size();
    for (size_t i = 0; current && i < shown.size(); ++i)
        current = m_notes[i].note == shown[i] && m_notes[i].stamp == shown[i]->ChangeStamp();
    if (current) return;
    std::vector<NoteText> notes;
    notes.reserve(shown.size());
    for (CNoteDocument* note : shown) {
        const auto kept = std::find_if(m_notes.begin(), m_notes.end(), [note](const NoteText& n) {
            return n.note == note && n.stamp == note->ChangeStamp();
        });
        if (kept != m_notes.end()) {
            notes.push_back(std::move(*kept));
        } else {
            notes.push_back({note, note->ChangeStamp(), PlainText(*note)});
        }
    }
    m_notes = std::move(notes);
    m_starts.assign(1, 0);
    qsizetype total = 0;
    for (const NoteText& note : m_notes) {
        total += note.text.size();
        m_starts.push_back(static_cast<int>(total));
    }
    QString text;
    text.reserve(total);
    for (const NoteText& note : m_notes)
        text += note.text;
    m_text = std::move(text);
}

const QString& CShownNotesText::Text() {
    Refresh();
    return m_text;
}

CNotePosition CShownNotesText::PositionAt(int offset) {
    Refresh();
    if (m_notes.empty()) return {};
    offset = std::clamp(offset, 0, m_starts.back());
    // The last note whose start is at or before the offset.
    const auto after = std::upper_bound(m_starts.begin(), m_starts.end() - 1, offset);
    const size_t index = static_cast<size_t>(after - m_starts.begin()) - 1;
    CNoteDocument* note = m_notes[index].note;
    const int64_t place = std::min<int64_t>(offset - m_starts[index], int64_t{note->size()} - 1);
    return note->FromIndex(place);
}

int CShownNotesText::OffsetOf(const CNotePosition& position) {
    Refresh();
    for (size_t i = 0; i < m_notes.size(); ++i)
        if (m_notes[i].note == position.Document())
            return m_starts[i] + static_cast<int>(position.Index());
    return -1;
}

int CShownNotesText::NoteStart(size_t index) {
    Refresh();
    return m_starts[std::min(index, m_starts.size() - 1)];
}
