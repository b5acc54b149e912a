#include "layout/NoteRowGlyph.h"

#include <algorithm>

#include "base/Utf16.h"
#include "base/Utf8.h"
#include "layout/NoteView.h"

namespace NoteLayoutEngine {

using NoteEditEngine::CNotePosition;
using NoteEditEngine::ElementIterator;

namespace {

constexpr char16_t kSubstitute = u'?';

// The character that begins with the element at `at` (0 for a paragraph mark). A surrogate pair
// is one character of two elements: `at` then moves onto its low half and `elements` is 2.
char32_t TakeCharacter(ElementIterator& at, const ElementIterator& listEnd, int32_t& elements) {
    const char16_t code = at.CodeUnit();
    elements = 1;
    if (!NoteBase::IsHighSurrogate(code)) return code;
    ElementIterator low = at;
    ++low;
    if (low == listEnd) return code;
    const char16_t lowCode = low.CodeUnit();
    if (!NoteBase::IsLowSurrogate(lowCode)) return code;
    at = low;
    elements = 2;
    return NoteBase::CombineSurrogates(code, lowCode);
}

}  // namespace

CNoteRowGlyph::CNoteRowGlyph(CNoteView* view, CNoteGlyph* parent, const CNotePosition& start)
    : CNoteGlyph(view, parent, start) {}

void CNoteRowGlyph::ApplyParagraphStyle() const {
    const NoteEditEngine::ParagraphFormat format = m_parent->Start().MarkFormat();
    m_view->ApplyParagraphStyle(format.Style(), format.Indent());
}

int32_t CNoteRowGlyph::MeasuredWidth(char32_t code) const {
    const int32_t width = m_view->Surface().CharWidth(code);
    return width != 0 ? width : m_view->Surface().CharWidth(kSubstitute);
}

CNotePosition CNoteRowGlyph::Reflow(const CNotePosition& /*position*/, int64_t /*count*/,
                                    int32_t width, bool& /*aligned*/) {
    TakeOutOfParent();
    width = std::max(width, 0);
    ApplyParagraphStyle();
    const Margins& rowMargins = m_view->Metrics().rowMargins;
    m_margins = {0, rowMargins.bottom, rowMargins.left, rowMargins.right};
    const int64_t available = int64_t{width} - m_margins.left - m_margins.right;

    const NoteEditEngine::CNoteDocument& document = *m_start.Document();
    const ElementIterator listEnd = document.end();
    ElementIterator it = m_start.Iterator();
    ElementIterator breakAt = it;
    int64_t total = 0;
    int64_t breakTotal = 0;
    int32_t examined = 0;
    int32_t breakCount = 0;
    bool breakSeen = false;
    bool overflow = false;
    for (;;) {
        ElementIterator next = it;
        ++next;
        if (next == listEnd) break;
        const ElementIterator element = next;
        m_view->ApplyCharacterStyle(element.Style());
        int32_t elements = 1;
        const char32_t code = TakeCharacter(next, listEnd, elements);
        if (code != 0) total += MeasuredWidth(code);
        examined += elements;
        if (examined == elements) {
            breakAt = next;
            breakTotal = total;
            breakCount = examined;
        }
        if (code != u' ' && code != 0) {
            if (total > available) {
                overflow = true;
                break;
            }
            if (!breakSeen) {
                breakAt = next;
                breakTotal = total;
                breakCount = examined;
            }
        } else {
            breakSeen = true;
            breakAt = next;
            breakTotal = total;
            breakCount = examined;
        }
        it = next;
        // A paragraph mark ends the paragraph and so the row.
        if (element.IsParagraph()) break;
    }
    ElementIterator end = it;
    if (overflow) {
        end = breakAt;
        m_length = breakCount;
        m_textWidth = static_cast<int32_t>(breakTotal);
        m_lookahead = examined - breakCount;
    } else {
        m_lookahead = 0;
        m_length = examined;
        m_textWidth = static_cast<int32_t>(total);
    }
    m_width = width;
    m_height = m_view->Metrics().lineHeight + m_margins.top + m_margins.bottom;
    PutBackIntoParent();
    return {m_start.Document(), end, end.Style()};
}

CNotePosition CNoteRowGlyph::HitTest(int32_t x, int32_t /*y*/) {
    ApplyParagraphStyle();
    x -= m_margins.left;
    const ElementIterator listEnd = m_start.Document()->end();
    ElementIterator answer = m_start.Iterator();
    ElementIterator it = answer;
    int64_t total = 0;
    for (int32_t k = 0; k < m_length; ++k) {
        ++it;
        const ElementIterator element = it;
        if (element.IsParagraph()) break;
        int32_t elements = 1;
        const char32_t code = TakeCharacter(it, listEnd, elements);
        k += elements - 1;
        if (k >= m_length - 1) {
            // Never after the space (or the split word's last character) at which a row wrapped,
            // unless the row ends the note.
            ElementIterator after = it;
            ++after;
            if (after != listEnd) break;
        }
        m_view->ApplyCharacterStyle(element.Style());
        const int32_t width = MeasuredWidth(code);
        if (x < total + width / 2) break;
        answer = it;
        total += width;
    }
    return {m_start.Document(), answer, answer.Style()};
}

Point CNoteRowGlyph::PointOf(const CNotePosition& position) {
    ApplyParagraphStyle();
    int64_t total = 0;
    ElementIterator it = m_start.Iterator();
    const ElementIterator target = position.Iterator();
    const ElementIterator listEnd = m_start.Document()->end();
    for (int32_t k = 0; k < m_length && !(it == target); ++k) {
        ++it;
        const ElementIterator first = it;
        const ElementIterator element = it;
        m_view->ApplyCharacterStyle(element.Style());
        int32_t elements = 1;
        const char32_t code = TakeCharacter(it, listEnd, elements);
        k += elements - 1;
        if (code != 0) total += MeasuredWidth(code);
        // A place between the halves of a pair has no slot of its own: after the pair.
        if (first == target) break;
    }
    return {m_margins.left + static_cast<int32_t>(total), m_margins.top};
}

void CNoteRowGlyph::Dump(std::string& text) const {
    text += '[';
    ElementIterator it = m_start.Iterator();
    for (int32_t k = 0; k < m_length; ++k) {
        ++it;
        const char16_t code = it.CodeUnit();
        if (it.IsParagraph()) {
            text += "\u00A7";
        } else {
            // Code unit by code unit: the dump shows how a pair is stored.
            NoteBase::AppendUtf8(text, code);
        }
    }
    text += ']';
}

void CNoteRowGlyph::Draw(const CNotePosition& /*position*/, int64_t /*count*/, int32_t x,
                         int32_t y) {
    ApplyParagraphStyle();
    ISurface& surface = m_view->Surface();
    // The selection state before the row's first element; it then changes only at the caret and
    // the anchor.
    m_view->SetInSelection(m_view->SelectedAt(m_start));
    ElementIterator it = m_start.Iterator();
    NoteEditEngine::CharacterStyle runStyle;
    if (m_length > 0) {
        ElementIterator first = it;
        ++first;
        runStyle = first.Style();
    }
    m_view->ApplyCharacterStyle(runStyle);

    surface.EraseRect(x, y, m_margins.left, m_height);
    surface.EraseRect(x + m_margins.left + m_textWidth, y, m_width - m_textWidth - m_margins.left,
                      m_height);
    surface.EraseRect(x, y, m_width, m_margins.top);
    surface.EraseRect(x, y + m_height - m_margins.bottom - 1, m_width, m_margins.bottom + 1);

    int32_t textX = x + m_margins.left;
    const int32_t textY = y + m_margins.top;
    if (IsFirstRow())
        surface.DrawListMarker(textX, textY, m_margins.left,
                               m_height - m_margins.top - m_margins.bottom);

    // Code and tables are no prose: their words are not checked.
    const bool prose = m_parent->Start().MarkFormat().Style() != NoteEditEngine::kFixedWidth;
    const std::vector<RowMark>& marks =
        m_view->Marks().MarksOf(m_start, m_length, prose, m_view->Active());
    size_t nextMark = 0;
    const RowMark* runMark = nullptr;
    std::u16string run;
    bool runSelected = m_view->InSelection();
    CNotePosition before = m_start;
    const ElementIterator listEnd = m_start.Document()->end();
    // Without a selection no element is selected: no place needs following.
    const bool selecting = m_view->HasSelection();
    for (int32_t k = 0; k < m_length; ++k) {
        ElementIterator next = it;
        ++next;
        if (selecting) m_view->UpdateSelectionFlag(before);
        const ElementIterator element = next;
        const bool selected = m_view->InSelection();
        while (nextMark < marks.size() && marks[nextMark].end <= k)
            ++nextMark;
        const RowMark* mark =
            nextMark < marks.size() && marks[nextMark].begin <= k ? &marks[nextMark] : nullptr;
        if (element.Style() != runStyle || selected != runSelected || mark != runMark) {
            if (!run.empty()) textX += surface.DrawRun(run, textX, textY);
            run.clear();
            runStyle = element.Style();
            runSelected = selected;
            m_view->ApplyCharacterStyle(runStyle);
            if (mark != runMark)
                surface.ApplyTextMark(mark != nullptr ? mark->mark : TextMark::kNone,
                                      mark != nullptr ? mark->target : std::u16string_view());
            runMark = mark;
        }
        // A surrogate pair goes into the run whole, in the style of its first half.
        const ElementIterator high = next;
        int32_t elements = 1;
        const char32_t code = TakeCharacter(next, listEnd, elements);
        if (element.IsParagraph()) {
            run += u' ';
        } else if (surface.CharWidth(code) == 0) {
            run += kSubstitute;
        } else if (elements == 2) {
            run += element.CodeUnit();
            run += next.CodeUnit();
        } else {
            run += static_cast<char16_t>(code);
        }
        if (elements == 2) {
            k += 1;
            if (selecting)
                m_view->UpdateSelectionFlag(
                    CNotePosition(m_start.Document(), high, element.Style()));
        }
        it = next;
        if (selecting) before = CNotePosition(m_start.Document(), it, it.Style());
    }
    if (!run.empty()) surface.DrawRun(run, textX, textY);
    if (runMark != nullptr) surface.ApplyTextMark(TextMark::kNone, {});
}

int64_t CNoteRowGlyph::RemoveElements(const CNotePosition& position, int64_t /*count*/) {
    return m_length - (IndexOf(position) - IndexOf(m_start));
}

std::unique_ptr<CNoteGlyph> CNoteRowGlyph::CreateSibling(CNoteGlyph* parent,
                                                         const CNotePosition& position) const {
    return std::make_unique<CNoteRowGlyph>(m_view, parent, position);
}

}  // namespace NoteLayoutEngine
