// Find and replace over the shown notes.
#include <string>

#include "base/CaseFolding.h"
#include "layout/NoteView.h"
#include "model/NoteUndoHistory.h"

namespace NoteLayoutEngine {

using NoteEditEngine::CNoteDocument;
using NoteEditEngine::CNotePosition;
using NoteEditEngine::ElementIterator;

namespace {

bool IsWordElement(const ElementIterator& element) {
    return !element.IsParagraph() && NoteEditEngine::IsWordCharacter(element.CodeUnit());
}

}  // namespace

bool CNoteView::SearchNote(CNoteDocument* note, const CNotePosition& from, std::u16string_view text,
                           bool matchCase, bool wholeWord, CNotePosition& start,
                           CNotePosition& end) {
    std::u16string pattern(text);
    if (!matchCase)
        for (char16_t& c : pattern)
            c = NoteBase::LowerCodeUnit(c);
    const ElementIterator listEnd = note->end();
    for (ElementIterator at = from.Iterator(); at != listEnd; ++at) {
        ElementIterator it = at;
        size_t matched = 0;
        while (matched < pattern.size()) {
            ++it;
            if (it == listEnd) return false;  // fewer elements left than the text has
            if (it.IsParagraph()) break;      // a paragraph mark never matches
            const char16_t c = matchCase ? it.CodeUnit() : NoteBase::LowerCodeUnit(it.CodeUnit());
            if (c != pattern[matched]) break;
            ++matched;
        }
        if (matched < pattern.size()) continue;
        if (wholeWord) {
            ElementIterator after = it;
            ++after;
            if (IsWordElement(at) || (after != listEnd && IsWordElement(after))) continue;
        }
        start = CNotePosition(note, at, at.Style());
        end = CNotePosition(note, it, it.Style());
        return true;
    }
    return false;
}

bool CNoteView::Search(std::u16string_view text, const CNotePosition& from, bool matchCase,
                       bool wholeWord, CNotePosition& start, CNotePosition& end) {
    if (m_shown.empty()) return false;
    if (text.empty()) {
        start = end = from;
        return !from.IsNull();
    }
    int first = NoteIndex(from.Document());
    CNotePosition origin = from;
    if (first < 0) {
        first = 0;
        origin = m_shown.front()->Start();
    }
    const int count = static_cast<int>(m_shown.size());
    if (SearchNote(m_shown[static_cast<size_t>(first)], origin, text, matchCase, wholeWord, start,
                   end))
        return true;
    // One wrap: every other note from its start, then the first note again from its start.
    for (int k = 1; k <= count; ++k) {
        CNoteDocument* note = m_shown[static_cast<size_t>((first + k) % count)];
        if (SearchNote(note, note->Start(), text, matchCase, wholeWord, start, end)) return true;
    }
    return false;
}

bool CNoteView::FindInView(std::u16string_view text, CNotePosition& start, CNotePosition& end,
                           bool matchCase, bool wholeWord) {
    if (!Search(text, m_active, matchCase, wholeWord, start, end)) return false;
    SetSelection(start, end, true);
    return true;
}

bool CNoteView::ReplaceInView(const CNotePosition& start, const CNotePosition& end,
                              std::u16string_view replacement) {
    if (!(m_anchor == start) || !(m_active == end)) return false;
    {
        NoteEditEngine::CActionScope action(u"replace");
        DeleteSelection();
        InsertTextAtCaret(replacement);
    }
    NoteEditEngine::StartNewUndoGroup();
    return true;
}

}  // namespace NoteLayoutEngine
