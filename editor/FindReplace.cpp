#include "editor/FindReplace.h"

#include "editor/ViewClipboard.h"
#include "storage/ClipboardFormats.h"

using NoteEditEngine::CNotePosition;

CFindReplace::Outcome CFindReplace::FindNext(std::u16string_view text, bool matchCase,
                                             bool wholeWord) {
    if (text.empty()) return Outcome::NoSearchText;
    CNotePosition start;
    CNotePosition end;
    if (!m_view.FindInView(text, start, end, matchCase, wholeWord)) return Outcome::NotFound;
    m_start = start;
    m_end = end;
    m_matchChanges = m_view.ChangeCount();
    return Outcome::Found;
}

CFindReplace::Outcome CFindReplace::ReplaceOne(std::u16string_view text,
                                               std::u16string_view replacement, bool matchCase,
                                               bool wholeWord) {
    if (HasLastMatch()) {
        m_view.ReplaceInView(m_start, m_end, replacement);
        ForgetLastMatch();
    }
    return FindNext(text, matchCase, wholeWord);
}

int CFindReplace::ReplaceAll(std::u16string_view text, std::u16string_view replacement,
                             bool matchCase, bool wholeWord) {
    if (text.empty()) return -1;
    int count = 0;
    // Places are counted over all shown notes; the first replaced place moves with the
    // replacements made before it once the search has wrapped.
    int64_t first = -1;
    bool wrapped = false;
    const int64_t growth = static_cast<int64_t>(replacement.size()) - int64_t(text.size());
    for (;;) {
        if (count == 0 && HasLastMatch()) {
            // The occurrence found before is taken as it is.
        } else {
            const int64_t from = m_view.GlobalIndex(m_view.Active());
            if (FindNext(text, matchCase, wholeWord) != Outcome::Found) break;
            const int64_t at = m_view.GlobalIndex(m_start);
            if (first >= 0) {
                if (at < from) wrapped = true;
                if (wrapped && at >= first) break;
            }
        }
        const int64_t at = m_view.GlobalIndex(m_start);
        if (first < 0) first = at;
        if (!m_view.ReplaceInView(m_start, m_end, replacement)) {
            ForgetLastMatch();
            if (count == 0 && first >= 0) {
                first = -1;
                continue;
            }
            break;
        }
        ++count;
        if (wrapped && at < first) first += growth;
        ForgetLastMatch();
    }
    ForgetLastMatch();
    return count;
}

std::u16string CFindReplace::InitialSearchText() {
    std::u16string text;
    if (!m_view.HasNotes()) return text;
    if (!m_view.HasSelection()) {
        m_view.SelectWord();
        NoteEditor::GetSelectionText(m_view, NoteStorage::kRenderingUnicode, text);
        m_view.SetCaret(m_view.SelectionStart(), false, true);
    } else {
        const CNotePosition start = m_view.SelectionStart();
        const CNotePosition end = m_view.SelectionEnd();
        if (start.Document() == end.Document() && start.ParagraphOf() == end.ParagraphOf())
            NoteEditor::GetSelectionText(m_view, NoteStorage::kRenderingUnicode, text);
    }
    // The plain-text rendering adds a line end at a note's end and tabs for a fixed-width
    // paragraph's indent; a note's text never holds them, so a search for them would fail.
    std::erase_if(text,
                  [](char16_t c) { return c == u'\r' || c == u'\n' || c == u'\t' || c == u'\f'; });
    return text;
}
