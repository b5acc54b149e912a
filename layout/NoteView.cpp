#include "layout/NoteView.h"

#include <algorithm>

#include "layout/NoteDocumentGlyph.h"
#include "layout/NotePendingGlyph.h"
#include "layout/NoteRowGlyph.h"
#include "layout/NoteViewGlyph.h"
#include "layout/StyleTable.h"
#include "model/NoteUndoHistory.h"

namespace NoteLayoutEngine {

using NoteEditEngine::CNoteDocument;
using NoteEditEngine::CNotePosition;

namespace {
// A redraw count that reaches past the last element of every shown note together: the redraw
// then runs to the bottom of what is visible.
constexpr int64_t kEveryShownElement = kWholeRange * 16;

// The window of a view that has none: nothing scrolls, no caret shows, nothing is visible.
class CNoWindow final : public INoteWindow {
public:
    void ScrollToNote(int32_t /*top*/) override {}
    void BeginUpdate() override {}
    void UpdateScrollSizes(int32_t /*treeHeight*/) override {}
    VisibleBand BeginPaint() override { return {}; }
    void EndPaint() override {}
    void UpdateCaret(bool /*scroll*/) override {}
};

INoteWindow& NoWindow() {
    static CNoWindow window;
    return window;
}

}  // namespace

CNoteView::CNoteView(ISurface& surface, INoteWindow* window)
    : m_surface(surface),
      m_window(window != nullptr ? *window : NoWindow()),
      m_viewGlyph(std::make_unique<CNoteViewGlyph>(this)) {}

CNoteView::~CNoteView() {
    // A view must not stay behind as the observer of a note that outlives it.
    for (CNoteDocument* note : m_shown)
        note->RemoveObserver(this);
    // Pending glyphs sign off from the view as they go.
    m_viewGlyph.reset();
}

// --- Positions across notes ---

int CNoteView::NoteIndex(const CNoteDocument* note) const noexcept {
    const CNoteDocumentGlyph* glyph = m_viewGlyph->GlyphOf(note);
    return glyph != nullptr ? static_cast<int>(CGlyphChildList::Before(glyph).count) : -1;
}

int64_t CNoteView::GlobalIndex(const CNotePosition& position) const noexcept {
    if (position.IsNull()) return -1;
    // A note's glyph covers all its elements but the leading mark: each note before adds its
    // glyph's length and one. A note not shown counts as after all of them.
    const CNoteDocumentGlyph* glyph = m_viewGlyph->GlyphOf(position.Document());
    const CGlyphChildList& notes = m_viewGlyph->Children();
    const CGlyphChildList::Prefix before =
        glyph != nullptr
            ? CGlyphChildList::Before(glyph)
            : CGlyphChildList::Prefix{static_cast<int64_t>(notes.Size()), notes.TotalLength(), 0};
    return before.length + before.count + position.Index();
}

bool CNoteView::StepForward(CNotePosition& position) const noexcept {
    if (position.IsNull()) return false;
    if (!position.IsAtEnd()) {
        position.StepRight();
        return true;
    }
    const int index = NoteIndex(position.Document());
    if (index < 0 || index + 1 >= static_cast<int>(m_shown.size())) return false;
    position = m_shown[static_cast<size_t>(index) + 1]->Start();
    return true;
}

bool CNoteView::StepBackward(CNotePosition& position) const noexcept {
    if (position.IsNull()) return false;
    if (!position.IsAtStart()) {
        position.StepLeft();
        return true;
    }
    const int index = NoteIndex(position.Document());
    if (index <= 0) return false;
    position = m_shown[static_cast<size_t>(index) - 1]->End();
    return true;
}

CNotePosition CNoteView::FirstOfAll() const noexcept {
    return m_shown.empty() ? CNotePosition() : m_shown.front()->Start();
}

CNotePosition CNoteView::LastOfAll() const noexcept {
    return m_shown.empty() ? CNotePosition() : m_shown.back()->End();
}

CNotePosition CNoteView::SelectionStart() const noexcept {
    return GlobalIndex(m_anchor) <= GlobalIndex(m_active) ? m_anchor : m_active;
}

CNotePosition CNoteView::SelectionEnd() const noexcept {
    return GlobalIndex(m_anchor) <= GlobalIndex(m_active) ? m_active : m_anchor;
}

std::vector<SelectionPart> CNoteView::SelectionParts() const {
    std::vector<SelectionPart> parts;
    if (!HasSelection()) return parts;
    const CNotePosition start = SelectionStart();
    const CNotePosition end = SelectionEnd();
    const int first = NoteIndex(start.Document());
    const int last = NoteIndex(end.Document());
    if (first < 0 || last < 0) return parts;
    for (int k = first; k <= last; ++k) {
        CNoteDocument* note = m_shown[static_cast<size_t>(k)];
        SelectionPart part{k == first ? start : note->Start(), k == last ? end : note->End()};
        if (!(part.start == part.end)) parts.push_back(part);
    }
    return parts;
}

bool CNoteView::SelectedAt(const CNotePosition& position) const noexcept {
    if (!HasSelection()) return false;
    const int64_t at = GlobalIndex(position);
    return at >= GlobalIndex(SelectionStart()) && at < GlobalIndex(SelectionEnd());
}

void CNoteView::UpdateSelectionFlag(const CNotePosition& position) noexcept {
    if (!HasSelection()) {
        m_inSelection = false;
        return;
    }
    // Only the two ends change the state, so the order is looked up only there.
    if (position == m_active) {
        m_inSelection = GlobalIndex(m_active) < GlobalIndex(m_anchor);
    } else if (position == m_anchor) {
        m_inSelection = GlobalIndex(m_anchor) < GlobalIndex(m_active);
    }
}

// --- Geometry ---

CNotePosition CNoteView::HitTest(int32_t x, int32_t y) {
    EnsureLaidOutAtY(y);
    m_surface.ResetStyle();
    return m_viewGlyph->HitTest(x, y);
}

CNotePosition CNoteView::CheckBoxAt(int32_t x, int32_t y) {
    if (!HasNotes()) return {};
    const RowLocation location = LocateRow(HitTest(x, y));
    const CNoteRowGlyph* row = location.row;
    if (row == nullptr || !row->IsFirstRow()) return {};
    const CNotePosition mark = row->Start().ParagraphOf();
    const uint32_t style = mark.ParagraphFormatOf().Style();
    if (style != NoteEditEngine::kUncheckedList && style != NoteEditEngine::kCheckedList) return {};
    m_surface.ApplyParagraphStyle(style, mark.ParagraphFormatOf().Indent(), false);
    const Margins& margins = row->GetMargins();
    const Rect box = CheckBoxOf(location.x + margins.left, location.y + margins.top,
                                row->Height() - margins.top - margins.bottom, Metrics());
    // A pixel of slack around so small a target.
    const bool inside =
        x >= box.x - 1 && x <= box.x + box.width && y >= box.y - 1 && y <= box.y + box.height;
    return inside ? mark : CNotePosition();
}

Point CNoteView::PointOf(const CNotePosition& position) {
    EnsureLaidOutAt(position);
    m_surface.ResetStyle();
    return m_viewGlyph->PointOf(position);
}

int32_t CNoteView::TreeHeight() const noexcept {
    return m_viewGlyph->Height();
}

std::string CNoteView::Dump() const {
    std::string text;
    m_viewGlyph->Dump(text);
    return text;
}

RowLocation CNoteView::LocateRow(const CNotePosition& position) {
    EnsureLaidOutAt(position);
    RowLocation location;
    CNoteGlyph* glyph = m_viewGlyph.get();
    while (glyph != nullptr && !glyph->Children().Empty()) {
        CNoteGlyph* child = glyph->FindChild(position);
        if (child == nullptr) return {};
        location.x += glyph->GetMargins().left;
        location.y += glyph->GetMargins().top + glyph->HeightAbove(child);
        glyph = child;
    }
    location.row = dynamic_cast<CNoteRowGlyph*>(glyph);
    return location.row != nullptr ? location : RowLocation{};
}

int32_t CNoteView::RowHeight(const CNotePosition& position) {
    const RowLocation location = LocateRow(position);
    return location.row != nullptr ? location.row->Height() : 0;
}

namespace {

int32_t TextHeightOf(const CNoteRowGlyph& row) noexcept {
    return row.Height() - row.GetMargins().top - row.GetMargins().bottom;
}

int32_t SpaceAboveOf(const CNoteRowGlyph& row) noexcept {
    int32_t space = row.GetMargins().top;
    for (const CNoteGlyph* glyph = &row;
         glyph->Parent() != nullptr && glyph->PreviousSibling() == nullptr; glyph = glyph->Parent())
        space += glyph->Parent()->GetMargins().top;
    return space;
}

int32_t SpaceBelowOf(const CNoteRowGlyph& row) noexcept {
    int32_t space = row.GetMargins().bottom;
    for (const CNoteGlyph* glyph = &row;
         glyph->Parent() != nullptr && glyph->NextSibling() == nullptr; glyph = glyph->Parent())
        space += glyph->Parent()->GetMargins().bottom;
    return space;
}

}  // namespace

int32_t CNoteView::TextHeight(const CNotePosition& position) {
    const RowLocation location = LocateRow(position);
    return location.row != nullptr ? TextHeightOf(*location.row) : 0;
}

int32_t CNoteView::SpaceAbove(const CNotePosition& position) {
    const RowLocation location = LocateRow(position);
    return location.row != nullptr ? SpaceAboveOf(*location.row) : 0;
}

int32_t CNoteView::SpaceBelow(const CNotePosition& position) {
    const RowLocation location = LocateRow(position);
    return location.row != nullptr ? SpaceBelowOf(*location.row) : 0;
}

CaretGeometry CNoteView::CaretGeometryOf(const CNotePosition& position) {
    const RowLocation location = LocateRow(position);
    // Without a row the walk stops at a margin; PointOf knows which.
    if (location.row == nullptr) return {PointOf(position), 0, 0, 0};
    m_surface.ResetStyle();
    const Point inRow = location.row->PointOf(position);
    return {{location.x + inRow.x, location.y + inRow.y},
            TextHeightOf(*location.row),
            SpaceAboveOf(*location.row),
            SpaceBelowOf(*location.row)};
}

// --- Caret ---

void CNoteView::TakeCaretFormat() noexcept {
    if (!m_active.IsNull()) m_caretFormat = m_active.ParagraphFormatOf();
}

void CNoteView::SetCaret(const CNotePosition& position, bool extend, bool rememberX) {
    SetSelection(extend ? m_anchor : position, position, rememberX);
}

void CNoteView::SetSelection(const CNotePosition& anchor, const CNotePosition& active,
                             bool rememberX) {
    const CNotePosition oldActive = m_active;
    const CNotePosition oldAnchor = m_anchor;
    const bool hadSelection = HasSelection();
    m_active = active;
    m_anchor = anchor;
    if (rememberX && !m_active.IsNull()) {
        const RowLocation location = LocateRow(m_active);
        m_preferredX =
            location.row == nullptr || location.row->Start() == m_active ? 0 : PointOf(m_active).x;
    }
    TakeCaretFormat();
    if (hadSelection || HasSelection()) {
        // Every element whose state changed lies between an old end and the new one.
        auto redrawBetween = [this](const CNotePosition& a, const CNotePosition& b) {
            if (a == b || NoteIndex(a.Document()) < 0 || NoteIndex(b.Document()) < 0) return;
            const int64_t distance = Distance(a, b);
            if (distance > 0) {
                Redraw(a, distance, false);
            } else {
                Redraw(b, -distance, false);
            }
        };
        redrawBetween(oldActive, m_active);
        redrawBetween(oldAnchor, m_anchor);
    }
    m_window.UpdateCaret(true);
}

void CNoteView::ScrollToNote(CNoteDocument* note) {
    if (note == nullptr || NoteIndex(note) < 0) return;
    const CNotePosition start = note->Start();
    const CaretGeometry caret = CaretGeometryOf(start);
    m_window.ScrollToNote(caret.point.y - caret.spaceAbove);
    SetCaret(start, false, true);
}

// --- Painting ---

void CNoteView::Redraw(const CNotePosition& position, int64_t count, bool whole) {
    m_surface.ResetStyle();
    const VisibleBand band = m_window.BeginPaint();
    if (HasNotes() && NoteIndex(position.Document()) >= 0) {
        CNotePosition start = position;
        bool visible = true;
        if (!whole) {
            if (m_heightChanged) {
                count = kEveryShownElement;
                m_heightChanged = false;
            }
            const CNotePosition top = HitTest(0, band.top);
            if (GlobalIndex(start) < GlobalIndex(top)) {
                count -= Distance(start, top);
                start = top;
            }
            const CNotePosition bottom = HitTest(kFarRight, band.top + band.height);
            // The bottom row itself is drawn: one element past its last caret slot.
            const int64_t last = GlobalIndex(bottom) + 1;
            count = std::min(count, last - GlobalIndex(start));
            visible = count >= 0;
        }
        if (visible) {
            m_surface.ResetStyle();
            m_inSelection = SelectedAt(start);
            m_viewGlyph->Draw(start, count, 0, 0);
        }
    }
    m_window.EndPaint();
}

void CNoteView::RedrawAll() {
    if (!HasNotes()) {
        m_surface.ResetStyle();
        static_cast<void>(m_window.BeginPaint());
        m_window.EndPaint();
        return;
    }
    Redraw(FirstOfAll(), kEveryShownElement, false);
}

// --- Layout ---

void CNoteView::NoteHeightChange(int32_t before) noexcept {
    if (TreeHeight() != before) m_heightChanged = true;
}

void CNoteView::OnElementsRemoving(const CNotePosition& position, uint32_t count) {
    ++m_changeCount;
    NoteHistoryMayGrow(position.Document());
    if (m_active.Document() == position.Document()) {
        const int64_t distance = IndexOf(m_active) - IndexOf(position);
        if (distance >= 1 && distance <= count) SetCaret(position, HasSelection(), false);
    }
    if (m_anchor.Document() == position.Document()) {
        const int64_t distance = IndexOf(m_anchor) - IndexOf(position);
        if (distance >= 1 && distance <= count) m_anchor = position;
    }
    const int32_t before = TreeHeight();
    m_viewGlyph->RemoveElements(position, count);
    NoteHeightChange(before);
}

void CNoteView::OnElementsChanged(const CNotePosition& position, uint32_t count) {
    ++m_changeCount;
    NoteHistoryMayGrow(position.Document());
    TakeCaretFormat();
    m_surface.ResetStyle();
    m_inSelection = false;
    m_window.BeginUpdate();
    const int32_t before = TreeHeight();
    bool aligned = false;
    m_rebreakStart = CNotePosition();
    const CNotePosition end = m_viewGlyph->Reflow(position, count, m_viewWidth, aligned);
    m_window.UpdateScrollSizes(TreeHeight());
    NoteHeightChange(before);
    // A row above the one holding the change may have been re-broken too (a word that moved to
    // the next row, or back up): its old letters must go as well.
    CNotePosition from = position;
    if (!m_rebreakStart.IsNull() && m_rebreakStart.Document() == position.Document() &&
        IndexOf(m_rebreakStart) < IndexOf(position))
        from = m_rebreakStart;
    m_rebreakStart = CNotePosition();
    Redraw(from, std::max<int64_t>(IndexOf(end) - IndexOf(from), 0), false);
}

void CNoteView::Relayout(bool redraw) {
    UpdateEstimates();
    m_surface.ResetStyle();
    m_inSelection = false;
    m_window.BeginUpdate();
    const int32_t before = TreeHeight();
    for (CNoteDocument* note : m_shown) {
        bool aligned = false;
        m_viewGlyph->Reflow(note->Start(), kWholeRange, m_viewWidth, aligned);
    }
    m_window.UpdateScrollSizes(TreeHeight());
    NoteHeightChange(before);
    if (redraw) {
        RedrawAll();
        m_window.UpdateCaret(true);
    }
}

void CNoteView::SetWidth(int32_t width, bool redraw) {
    if (width < 1 || width == m_viewWidth) return;
    m_viewWidth = width;
    Relayout(redraw);
}

void CNoteView::Synchronise() {
    // A note shown anew brings its history along; a hidden one must not stay a witness.
    ForgetHistoryAbility();
    UpdateEstimates();
    m_window.BeginUpdate();
    m_surface.ResetStyle();
    m_inSelection = false;
    const int32_t before = TreeHeight();
    m_viewGlyph->Synchronise(m_shown);
    m_window.UpdateScrollSizes(TreeHeight());
    NoteHeightChange(before);
    m_heightChanged = false;  // the whole tree is redrawn next anyway
    RedrawAll();
}

void CNoteView::AddNote(CNoteDocument* note, CNoteDocument* after) {
    if (note == nullptr) return;
    if (m_shown.empty()) {
        m_active = note->Start();
        m_anchor = m_active;
    }
    std::erase(m_shown, note);
    auto place = std::find(m_shown.begin(), m_shown.end(), after);
    m_shown.insert(after != nullptr && place != m_shown.end() ? place + 1 : m_shown.begin(), note);
    note->AddObserver(this);
    Synchronise();
    if (m_shown.size() == 1) {
        SetCaret(m_active, false, true);
    } else {
        TakeCaretFormat();
    }
    m_window.UpdateCaret(true);
}

void CNoteView::RemoveNote(CNoteDocument* note) {
    const int index = NoteIndex(note);
    if (index < 0) return;
    const size_t at = static_cast<size_t>(index);
    const bool hadSelection = HasSelection();
    CNotePosition replacement;
    if (at + 1 < m_shown.size()) {
        replacement = m_shown[at + 1]->Start();
    } else if (at > 0) {
        replacement = m_shown[at - 1]->End();
    }
    m_shown.erase(m_shown.begin() + index);
    ++m_changeCount;
    note->RemoveObserver(this);
    if (m_active.Document() == note) m_active = replacement;
    if (m_anchor.Document() == note || !hadSelection)
        m_anchor = hadSelection ? replacement : m_active;
    TakeCaretFormat();
    Synchronise();
    m_window.UpdateCaret(true);
}

// --- Layout in slices ---

void CNoteView::SetLazyLayout(int32_t screenHeight) {
    m_lazyScreen = std::max(0, screenHeight);
    UpdateEstimates();
}

void CNoteView::UpdateEstimates() {
    m_surface.ResetStyle();
    const LayoutMetrics& metrics = Metrics();
    m_estimateLineHeight = std::max(1, metrics.lineHeight + metrics.rowMargins.bottom);
    const int32_t textWidth = m_viewWidth - metrics.viewMargins.left - metrics.viewMargins.right -
                              metrics.noteMargins.left - metrics.noteMargins.right;
    m_estimateCharsPerRow = std::max(1, textWidth / std::max(1, m_surface.CharWidth(u'n')));
    m_estimateSpacing = metrics.paragraphSpacing.top + metrics.paragraphSpacing.bottom;
    const int64_t rows =
        m_lazyScreen > 0 ? 2 * int64_t{m_lazyScreen} / m_estimateLineHeight + 1 : 0;
    m_eagerElements = rows * m_estimateCharsPerRow;
}

int32_t CNoteView::EstimatedHeight(int64_t elements, int64_t paragraphs) const noexcept {
    // Paragraphs of the mean length: each wraps into whole rows.
    const int64_t rows =
        paragraphs > 0 ? paragraphs * std::max<int64_t>(1, ((elements - paragraphs) / paragraphs +
                                                            m_estimateCharsPerRow - 1) /
                                                               m_estimateCharsPerRow)
                       : elements / m_estimateCharsPerRow + 1;
    return static_cast<int32_t>(std::min<int64_t>(
        rows * m_estimateLineHeight + paragraphs * m_estimateSpacing, kWholeRange / 4));
}

void CNoteView::PendingAdded(CNotePendingGlyph* pending) {
    m_pending.push_back(pending);
    m_window.LayoutPending();
}

int64_t CNoteView::PendingElements() const noexcept {
    int64_t elements = 0;
    for (const CNotePendingGlyph* pending : m_pending)
        elements += pending->Length();
    return elements;
}

void CNoteView::PendingRemoved(CNotePendingGlyph* pending) noexcept {
    std::erase(m_pending, pending);
}

CNotePendingGlyph* CNoteView::FirstPending() const {
    CNotePendingGlyph* first = nullptr;
    int64_t firstAt = 0;
    for (CNotePendingGlyph* pending : m_pending) {
        const int64_t at = GlobalIndex(pending->Start());
        if (first == nullptr || at < firstAt) {
            first = pending;
            firstAt = at;
        }
    }
    return first;
}

void CNoteView::LayOutPending(CNotePendingGlyph* pending, const CNotePosition& from,
                              int64_t elements) {
    const bool selected = m_inSelection;
    m_surface.ResetStyle();
    m_inSelection = false;
    const int32_t before = TreeHeight();
    static_cast<CNoteDocumentGlyph*>(pending->Parent())->LayOutPending(pending, from, elements);
    m_window.UpdateScrollSizes(TreeHeight());
    NoteHeightChange(before);
    m_inSelection = selected;
}

int32_t CNoteView::LayoutSlice(int64_t elements, int32_t top, int32_t height) {
    CNotePendingGlyph* pending = FirstPending();
    if (pending == nullptr) return 0;
    const int32_t pendingTop = pending->AbsoluteTop();
    const int32_t pendingBottom = pendingTop + pending->Height();
    const int32_t before = TreeHeight();
    m_window.BeginUpdate();
    LayOutPending(pending, pending->Start(), std::max<int64_t>(elements, 1));
    if (pendingBottom <= top) return TreeHeight() - before;
    if (pendingTop < top + height) RedrawAll();
    return 0;
}

void CNoteView::FinishLayout() {
    while (HasPendingLayout())
        static_cast<void>(LayoutSlice(kWholeRange, 0, 0));
}

void CNoteView::EnsureLaidOutAt(const CNotePosition& position) {
    if (m_pending.empty() || position.IsNull()) return;
    CNoteDocumentGlyph* note = m_viewGlyph->GlyphOf(position.Document());
    if (note == nullptr) return;
    // A screen's worth before it too: the caret's window shows what lies above the caret.
    while (auto* pending = dynamic_cast<CNotePendingGlyph*>(note->FindChild(position))) {
        const int64_t at =
            std::max(IndexOf(pending->Start()), IndexOf(position) - m_eagerElements / 2);
        const CNotePosition from = position.Document()->FromIndex(at).ParagraphOf();
        LayOutPending(pending, from,
                      IndexOf(position) - IndexOf(from) + std::max<int64_t>(m_eagerElements, 1));
    }
}

void CNoteView::EnsureLaidOutAtY(int32_t y) {
    while (!m_pending.empty()) {
        const CNoteGlyph& root = *m_viewGlyph;
        if (root.Children().Empty()) return;
        const Margins& margins = root.GetMargins();
        const int32_t inRoot = std::clamp(
            y - margins.top, 0, std::max(0, root.Height() - margins.top - margins.bottom - 1));
        const CNoteGlyph* note = root.Children().FindByY(inRoot);
        const int32_t noteTop = margins.top + root.HeightAbove(note) + note->GetMargins().top;
        CNoteGlyph* child = note->Children().FindByY(std::max(0, y - noteTop));
        auto* pending = dynamic_cast<CNotePendingGlyph*>(child);
        if (pending == nullptr) return;
        const int32_t offset = y - noteTop - note->HeightAbove(child);
        CNotePosition from = pending->Start();
        if (offset > 2 * m_lazyScreen && pending->Height() > 0) {
            // Far below its top (the scroll bar dragged): where the estimate puts y.
            const int64_t index =
                IndexOf(from) + int64_t{pending->Length()} * offset / pending->Height();
            from = from.Document()
                       ->FromIndex(std::min(index, IndexOf(from) + pending->Length() - 1))
                       .ParagraphOf();
        }
        LayOutPending(pending, from, std::max<int64_t>(m_eagerElements, 1));
    }
}

// --- Editing through the view ---

void CNoteView::PlaceAfterUndo(const CNotePosition& caret) {
    SetCaret(caret.IsNull() ? m_active : caret, false, true);
}

void CNoteView::Undo() {
    ForgetHistoryAbility();
    const NoteEditEngine::ShownUndoResult result = NoteEditEngine::UndoShown(m_shown);
    if (result.applied) PlaceAfterUndo(result.caret);
}

void CNoteView::Redo() {
    ForgetHistoryAbility();
    const NoteEditEngine::ShownUndoResult result = NoteEditEngine::RedoShown(m_shown);
    if (result.applied) PlaceAfterUndo(result.caret);
}

bool CNoteView::CanUndo() const noexcept {
    return AnyShownCan(m_canUndo, false);
}

bool CNoteView::CanRedo() const noexcept {
    return AnyShownCan(m_canRedo, true);
}

bool CNoteView::AnyShownCan(ShownHistoryAbility& ability, bool redo) const noexcept {
    const auto can = [redo](const CNoteDocument* note) {
        return redo ? note->UndoHistory().CanRedo() : note->UndoHistory().CanUndo();
    };
    if (ability.witness != nullptr && can(ability.witness)) return true;
    CNoteDocument* found = nullptr;
    if (ability.witness == nullptr && ability.noneBut) {
        const auto able = std::find_if(ability.changed.begin(), ability.changed.end(), can);
        if (able != ability.changed.end()) found = *able;
    } else {
        const auto able = std::find_if(m_shown.begin(), m_shown.end(), can);
        if (able != m_shown.end()) found = *able;
    }
    ability.witness = found;
    ability.noneBut = found == nullptr;
    ability.changed.clear();
    return found != nullptr;
}

void CNoteView::NoteHistoryMayGrow(CNoteDocument* note) {
    // Bounded: a view whose abilities nobody asks for looks at all notes once, when asked.
    constexpr size_t kMaxChanged = 16;
    for (ShownHistoryAbility* ability : {&m_canUndo, &m_canRedo}) {
        if (!ability->noneBut ||
            std::ranges::find(ability->changed, note) != ability->changed.end())
            continue;
        if (ability->changed.size() < kMaxChanged) {
            ability->changed.push_back(note);
        } else {
            ability->noneBut = false;
            ability->changed.clear();
        }
    }
}

void CNoteView::ForgetHistoryAbility() noexcept {
    m_canUndo = {};
    m_canRedo = {};
}

void CNoteView::EditAtCaret(const std::function<void(CNotePosition&)>& edit) {
    if (m_active.IsNull()) return;
    CNotePosition p = m_active;
    edit(p);
    SetCaret(p, false, true);
}

void CNoteView::InsertTextAtCaret(std::u16string_view text) {
    EditAtCaret([text](CNotePosition& p) { p.Document()->InsertPlainText(p, text); });
}

void CNoteView::DeleteSelection() {
    const std::vector<SelectionPart> parts = SelectionParts();
    if (parts.empty()) return;
    // Taken before deleting: when the selection starts at a note's end that note has no part,
    // and the caret still belongs there rather than in the next note.
    const CNotePosition caret = SelectionStart();
    // Later notes first: the places of earlier parts stay untouched.
    for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
        CNotePosition start = part->start;
        start.Document()->DeleteRange(start, part->end.Index() - start.Index());
    }
    SetCaret(caret, false, true);
}

}  // namespace NoteLayoutEngine
