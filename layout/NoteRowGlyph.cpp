#include "layout/NoteRowGlyph.h"

#include <algorithm>

#include "base/Graphemes.h"
#include "base/Utf16.h"
#include "base/Utf8.h"
#include "layout/NoteView.h"

namespace NoteLayoutEngine {

using NoteEditEngine::CNotePosition;
using NoteEditEngine::ElementIterator;

namespace {

// Below the combining marks nothing joins the code point before it.
constexpr char16_t kFirstJoining = 0x300;

// TakeCluster past its common case, by the segmentation rules.
int32_t TakeLongerCluster(ElementIterator& at, const ElementIterator& listEnd,
                          std::u16string& units, int32_t limit) {
    NoteBase::CGraphemeBreaker breaker;
    ElementIterator next = at;
    for (;;) {
        char32_t code = next.CodeUnit();
        ElementIterator last = next;
        if (NoteBase::IsHighSurrogate(code)) {
            ElementIterator low = next;
            ++low;
            if (low != listEnd && !low.IsParagraph() && NoteBase::IsLowSurrogate(low.CodeUnit())) {
                code = NoteBase::CombineSurrogates(next.CodeUnit(), low.CodeUnit());
                last = low;
            }
        }
        const int32_t codeUnits = last == next ? 1 : 2;
        if (!units.empty()) {
            if (code < 0x10000 && NoteBase::IsPlainBoundary(units.back(), char16_t(code))) break;
            if (static_cast<int32_t>(units.size()) + codeUnits > limit) break;
        }
        if (breaker.BreakBefore(code) && !units.empty()) break;
        units += next.CodeUnit();
        if (codeUnits == 2) units += last.CodeUnit();
        at = last;
        next = last;
        ++next;
        if (next == listEnd || next.IsParagraph()) break;
    }
    return static_cast<int32_t>(units.size());
}

// The grapheme cluster that begins with the element at `at`, at most `limit` elements: its code
// units go into `units` and `at` moves onto its last element. A paragraph mark is a cluster of
// its own with no units. Returns the cluster's count of elements. Most text is a code unit below
// the marks with another such (or nothing) after it, taken without the rules.
inline int32_t TakeCluster(ElementIterator& at, const ElementIterator& listEnd,
                           std::u16string& units, int32_t limit = INT32_MAX) {
    units.clear();
    if (at.IsParagraph()) return 1;
    const char16_t first = at.CodeUnit();
    if (first < kFirstJoining) {
        ElementIterator after = at;
        ++after;
        if (after == listEnd || after.IsParagraph() ||
            NoteBase::IsPlainBoundary(first, after.CodeUnit())) {
            units.push_back(first);
            return 1;
        }
    }
    return TakeLongerCluster(at, listEnd, units, limit);
}

// Appends to `run` the characters from `at` on, at most `limit`, that are clusters of their own
// the surface draws (TakeCluster's common case, with a width), up to the piece's last, whose
// follower lies in another piece; `at` moves onto the last one taken. Returns their count.
int32_t TakePlainUnits(ElementIterator& at, int32_t limit, ISurface& surface, std::u16string& run) {
    const int32_t most = static_cast<int32_t>(std::min<int64_t>(limit, at.RunLength() - 1));
    const char16_t* units = at.Units();
    int32_t count = 0;
    while (count < most && NoteBase::IsPlainBoundary(units[count], units[count + 1]) &&
           surface.CharWidth(units[count]) != 0)
        ++count;
    if (count == 0) return 0;
    run.append(units, static_cast<size_t>(count));
    at.SkipInPiece(static_cast<uint32_t>(count - 1));
    return count;
}

// Is `target` one of the `count` elements from `first` on?
bool IsAmong(ElementIterator first, int32_t count, const ElementIterator& target) {
    for (int32_t k = 0; k < count; ++k, ++first)
        if (first == target) return true;
    return false;
}

}  // namespace

CNoteRowGlyph::CNoteRowGlyph(CNoteView* view, CNoteGlyph* parent, const CNotePosition& start)
    : CNoteGlyph(view, parent, start) {}

void CNoteRowGlyph::ApplyParagraphStyle() const {
    const NoteEditEngine::ParagraphFormat format = m_parent->Start().MarkFormat();
    m_view->ApplyParagraphStyle(format.Style(), format.Indent());
}

int32_t CNoteRowGlyph::MeasuredWidth(std::u16string_view cluster) const {
    if (cluster.size() == 1 && cluster[0] < kFirstJoining) {
        const int32_t width = m_view->Surface().CharWidth(cluster[0]);
        if (width != 0) return width;
    }
    return MeasureCluster(m_view->Surface(), cluster).width;
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
    std::u16string cluster;
    for (;;) {
        ElementIterator next = it;
        ++next;
        if (next == listEnd) break;
        const ElementIterator element = next;
        m_view->ApplyCharacterStyle(element.Style());
        const int32_t elements = TakeCluster(next, listEnd, cluster);
        if (!cluster.empty()) total += MeasuredWidth(cluster);
        examined += elements;
        if (examined == elements) {
            breakAt = next;
            breakTotal = total;
            breakCount = examined;
        }
        const bool space = cluster.size() == 1 && cluster[0] == u' ';
        if (!space && !cluster.empty()) {
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
        // One element more: the end of the last cluster looked at was found by reading the
        // element after it, which a mark typed there would have joined.
        m_lookahead = examined - breakCount + 1;
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
    std::u16string cluster;
    for (int32_t k = 0; k < m_length; ++k) {
        ++it;
        const ElementIterator element = it;
        if (element.IsParagraph()) break;
        k += TakeCluster(it, listEnd, cluster, m_length - k) - 1;
        if (k >= m_length - 1) {
            // Never after the space (or the split word's last character) at which a row wrapped,
            // unless the row ends the note.
            ElementIterator after = it;
            ++after;
            if (after != listEnd) break;
        }
        m_view->ApplyCharacterStyle(element.Style());
        const int32_t width = MeasuredWidth(cluster);
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
    std::u16string cluster;
    for (int32_t k = 0; k < m_length && !(it == target); ++k) {
        ++it;
        const ElementIterator first = it;
        m_view->ApplyCharacterStyle(first.Style());
        const int32_t elements = TakeCluster(it, listEnd, cluster, m_length - k);
        k += elements - 1;
        if (!cluster.empty()) total += MeasuredWidth(cluster);
        // A place inside a cluster has no slot of its own: after the cluster.
        if (elements > 1 && IsAmong(first, elements - 1, target)) break;
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
    static const std::vector<RowMark> kNoMarks;
    const std::vector<RowMark>& marks =
        surface.Paints() ? m_view->Marks().MarksOf(m_start, m_length, prose, m_view->Active())
                         : kNoMarks;
    size_t nextMark = 0;
    const RowMark* runMark = nullptr;
    std::u16string run;
    bool runSelected = m_view->InSelection();
    CNotePosition before = m_start;
    const ElementIterator listEnd = m_start.Document()->end();
    std::u16string cluster;
    // Without a selection no element is selected: no place needs following.
    const bool selecting = m_view->HasSelection();
    for (int32_t k = 0; k < m_length; ++k) {
        if (selecting) m_view->UpdateSelectionFlag(before);
        ++it;
        const bool selected = m_view->InSelection();
        while (nextMark < marks.size() && marks[nextMark].end <= k)
            ++nextMark;
        const RowMark* mark =
            nextMark < marks.size() && marks[nextMark].begin <= k ? &marks[nextMark] : nullptr;
        if (it.Style() != runStyle || selected != runSelected || mark != runMark) {
            if (!run.empty()) textX += surface.DrawRun(run, textX, textY);
            run.clear();
            runStyle = it.Style();
            runSelected = selected;
            m_view->ApplyCharacterStyle(runStyle);
            if (mark != runMark)
                surface.ApplyTextMark(mark != nullptr ? mark->mark : TextMark::kNone,
                                      mark != nullptr ? mark->target : std::u16string_view());
            runMark = mark;
        }
        // Plain text goes in a piece at a time, as far as the next change of mark; with a
        // selection the flag is followed element by element below.
        if (!selecting && !it.IsParagraph()) {
            const int32_t markEdge = mark != nullptr           ? mark->end
                                     : nextMark < marks.size() ? marks[nextMark].begin
                                                               : m_length;
            const int32_t plain =
                TakePlainUnits(it, std::min(markEdge, m_length) - k, surface, run);
            if (plain > 0) {
                k += plain - 1;
                continue;
            }
        }
        // A cluster goes into the run whole, in the style of its first element.
        const ElementIterator element = it;
        const int32_t elements = TakeCluster(it, listEnd, cluster, m_length - k);
        bool substitute = false;
        if (element.IsParagraph()) {
            run += u' ';
        } else if (MeasureCluster(surface, cluster).substitute) {
            run += kSubstituteCharacter;
            substitute = true;
        } else {
            run += cluster;
        }
        if (selecting) {
            // The caret or the anchor may still stand inside it; the flag follows from there on.
            ElementIterator inner = element;
            for (int32_t e = 1; e < elements; ++e, ++inner)
                m_view->UpdateSelectionFlag(
                    CNotePosition(m_start.Document(), inner, inner.Style()));
        }
        k += elements - 1;
        if (selecting) before = CNotePosition(m_start.Document(), it, it.Style());
        // What follows a "?" must not join it in the surface's reading of the run.
        if (substitute) {
            textX += surface.DrawRun(run, textX, textY);
            run.clear();
        }
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
