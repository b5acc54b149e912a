#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "layout/LayoutTypes.h"
#include "layout/NoteWindow.h"
#include "layout/Surface.h"
#include "layout/TextMarks.h"
#include "model/NoteDocument.h"
#include "model/NoteDocumentObserver.h"
#include "model/NotePosition.h"
#include "model/Styles.h"

namespace NoteLayoutEngine {

class CNoteViewGlyph;
class CNoteRowGlyph;
class CNotePendingGlyph;

// One part of a selection: the selected range inside one shown note.
struct SelectionPart {
    NoteEditEngine::CNotePosition start;
    NoteEditEngine::CNotePosition end;
};

// Where a position's row stands: the row and its top-left corner in tree coordinates.
struct RowLocation {
    CNoteRowGlyph* row = nullptr;
    int32_t x = 0;
    int32_t y = 0;
};

// Where the caret of a position stands and the room around it: the top-left of its text line,
// the text line's height (the row without its margins), and the space above and below it that
// must come into view with it (the row's margins, and those of every glyph it is the first or
// last child of).
struct CaretGeometry {
    Point point;
    int32_t textHeight = 0;
    int32_t spaceAbove = 0;
    int32_t spaceBelow = 0;
    friend constexpr bool operator==(const CaretGeometry&, const CaretGeometry&) noexcept = default;
};

// The controller between the shown notes and a window: owns the glyph tree, keeps the ordered
// list of shown notes (borrowed), the caret and the selection, and follows every change of the
// shown notes as their observer. It measures and draws only through its surface and asks its
// window only to scroll, to frame a paint and to place the caret; a view without a window lays
// out and draws all the same (printing, exports).
//
// Positions of different notes are ordered by the order of the notes; a note of k elements has k
// caret places, so the distance from a note's last place to the next note's first place is 1.
class CNoteView : public NoteEditEngine::CNoteDocumentObserver {
public:
    // Draws on `surface` and shows in `window` (none: nothing scrolls, no caret shows); both must
    // outlive the view.
    explicit CNoteView(ISurface& surface, INoteWindow* window = nullptr);
    virtual ~CNoteView();
    CNoteView(const CNoteView&) = delete;
    CNoteView& operator=(const CNoteView&) = delete;

    // --- Observer slots ---

    void OnElementsRemoving(const NoteEditEngine::CNotePosition& position, uint32_t count) override;
    void OnElementsChanged(const NoteEditEngine::CNotePosition& position, uint32_t count) override;

    // Scrolls the note's top band to the top of the window and puts the caret, with an empty
    // selection, at the note's start; nothing for a null note or one not shown.
    void ScrollToNote(NoteEditEngine::CNoteDocument* note);

    // --- Caret, geometry, drawing ---

    // Puts the caret at position (the anchor follows unless extend); with rememberX the caret's x
    // becomes the goal of vertical moves (0 at a row start). Repaints what changed selection.
    void SetCaret(const NoteEditEngine::CNotePosition& position, bool extend, bool rememberX);
    // Sets both ends at once (one repaint of what changed), the caret at `active`.
    void SetSelection(const NoteEditEngine::CNotePosition& anchor,
                      const NoteEditEngine::CNotePosition& active, bool rememberX);
    [[nodiscard]] NoteEditEngine::CNotePosition HitTest(int32_t x, int32_t y);
    [[nodiscard]] Point PointOf(const NoteEditEngine::CNotePosition& position);
    // The mark of the checklist paragraph whose check box holds tree point (x, y); null when the
    // point is on no check box.
    [[nodiscard]] NoteEditEngine::CNotePosition CheckBoxAt(int32_t x, int32_t y);
    // Paints count elements after position (clipped to the visible band unless whole).
    void Redraw(const NoteEditEngine::CNotePosition& position, int64_t count, bool whole);
    // Repaints every shown note, clipped to the visible band.
    void RedrawAll();
    void SetWidth(int32_t width, bool redraw);
    void Relayout(bool redraw);
    // Shows a note right after `after` (at the front when `after` is not shown).
    void AddNote(NoteEditEngine::CNoteDocument* note, NoteEditEngine::CNoteDocument* after);
    void RemoveNote(NoteEditEngine::CNoteDocument* note);

    // --- Layout in slices ---

    // With a window `screenHeight` tall (0: none), a relayout lays out about two screens of text
    // and leaves the rest pending, for LayoutSlice and for what needs it first: a point, a
    // position or a paint there lays it out on demand. 0 lays out everything at once.
    void SetLazyLayout(int32_t screenHeight);
    [[nodiscard]] bool HasPendingLayout() const noexcept { return !m_pending.empty(); }
    // How many elements are left pending.
    [[nodiscard]] int64_t PendingElements() const noexcept;
    // Lays out about `elements` more of the first pending part; when it lay above the window
    // band [top, top + height) returns how far the content there moved down (the window scrolls
    // as far to keep its place), else repaints what it changed in the band and returns 0.
    int32_t LayoutSlice(int64_t elements, int32_t top, int32_t height);
    // Lays out everything pending.
    void FinishLayout();
    // Lays out the pending paragraphs that hold position (and about a screen around it), or
    // those at tree y: from the pending part's top when that is near, else where y falls by the
    // estimate (a drag of the scroll bar far down).
    void EnsureLaidOutAt(const NoteEditEngine::CNotePosition& position);
    void EnsureLaidOutAtY(int32_t y);
    // How much a relayout lays out before leaving the rest pending; 0 for all.
    [[nodiscard]] int64_t EagerElements() const noexcept { return m_eagerElements; }
    // The height guessed for `elements` not laid out yet, `paragraphs` of them marks: rows of
    // Normal text, each paragraph of the mean length, and the paragraphs' spacing.
    [[nodiscard]] int32_t EstimatedHeight(int64_t elements, int64_t paragraphs) const noexcept;
    // Kept by the pending glyphs themselves.
    void PendingAdded(CNotePendingGlyph* pending);
    void PendingRemoved(CNotePendingGlyph* pending) noexcept;

    // --- Caret moves (extend: Shift held) ---

    void MoveCharacterLeft(bool extend);
    void MoveCharacterRight(bool extend);
    void MoveWordLeft(bool extend);
    void MoveWordRight(bool extend);
    void MoveRowUp(bool extend);
    void MoveRowDown(bool extend);
    void MoveParagraphUp(bool extend);
    void MoveParagraphDown(bool extend);
    void MoveRowStart(bool extend);
    void MoveRowEnd(bool extend);
    void MoveStartOfAll(bool extend);
    void MoveEndOfAll(bool extend);
    // Page moves for a window of the given client height; return how far the window must scroll
    // (new caret y less old caret y).
    int32_t MovePageUp(int32_t clientHeight, bool extend);
    int32_t MovePageDown(int32_t clientHeight, bool extend);
    void CollapseToStart();
    void CollapseToEnd();
    void SelectWord();
    void SelectParagraph();
    void SelectAll();

    // --- Editing through the view ---

    // Undo and redo the latest (earliest undone) group over the shown notes and place the caret.
    void Undo();
    void Redo();
    [[nodiscard]] bool CanUndo() const noexcept;
    [[nodiscard]] bool CanRedo() const noexcept;
    // Runs an edit on a copy of the caret and puts the caret where the edit left it, with an empty
    // selection. The edit must stay in the caret's note.
    void EditAtCaret(const std::function<void(NoteEditEngine::CNotePosition&)>& edit);
    // Plain text paste at the caret; the caret ends behind the text.
    void InsertTextAtCaret(std::u16string_view text);
    // Deletes the selected elements of every shown note (marks included); the caret ends where
    // the selection started. The caller names the action.
    void DeleteSelection();

    // --- Search ---

    // The first occurrence at or after `from` over the shown notes, wrapping once; a paragraph
    // mark never matches. start is the place before the occurrence, end the place after it.
    bool Search(std::u16string_view text, const NoteEditEngine::CNotePosition& from, bool matchCase,
                bool wholeWord, NoteEditEngine::CNotePosition& start,
                NoteEditEngine::CNotePosition& end);
    // Search from the caret; a found occurrence is selected (caret at its end).
    bool FindInView(std::u16string_view text, NoteEditEngine::CNotePosition& start,
                    NoteEditEngine::CNotePosition& end, bool matchCase, bool wholeWord);
    // Replaces the selection by `replacement` as one "replace" action, when the selection is
    // exactly [start, end].
    bool ReplaceInView(const NoteEditEngine::CNotePosition& start,
                       const NoteEditEngine::CNotePosition& end, std::u16string_view replacement);

    // --- Queries ---

    [[nodiscard]] bool HasNotes() const noexcept { return !m_shown.empty(); }
    [[nodiscard]] bool HasSelection() const noexcept { return !(m_active == m_anchor); }
    [[nodiscard]] NoteEditEngine::CNotePosition SelectionStart() const noexcept;
    [[nodiscard]] NoteEditEngine::CNotePosition SelectionEnd() const noexcept;
    // The selected range of every note it touches, first to last; empty without a selection.
    [[nodiscard]] std::vector<SelectionPart> SelectionParts() const;
    [[nodiscard]] const NoteEditEngine::CNotePosition& Active() const noexcept { return m_active; }
    [[nodiscard]] const NoteEditEngine::CNotePosition& Anchor() const noexcept { return m_anchor; }
    [[nodiscard]] int32_t PreferredX() const noexcept { return m_preferredX; }
    // Counts the changes to the shown notes' text and the notes that left the view. A position
    // kept outside the view is safe to use only while the count stays what it was when taken.
    [[nodiscard]] uint64_t ChangeCount() const noexcept { return m_changeCount; }
    [[nodiscard]] NoteEditEngine::ParagraphFormat CaretParagraphFormat() const noexcept {
        return m_caretFormat;
    }
    [[nodiscard]] const std::vector<NoteEditEngine::CNoteDocument*>& ShownNotes() const noexcept {
        return m_shown;
    }
    [[nodiscard]] int32_t RowHeight(const NoteEditEngine::CNotePosition& position);
    [[nodiscard]] int32_t TextHeight(const NoteEditEngine::CNotePosition& position);
    [[nodiscard]] int32_t SpaceAbove(const NoteEditEngine::CNotePosition& position);
    [[nodiscard]] int32_t SpaceBelow(const NoteEditEngine::CNotePosition& position);
    [[nodiscard]] RowLocation LocateRow(const NoteEditEngine::CNotePosition& position);
    // PointOf, TextHeight, SpaceAbove and SpaceBelow of a position from one walk to its row.
    [[nodiscard]] CaretGeometry CaretGeometryOf(const NoteEditEngine::CNotePosition& position);
    [[nodiscard]] int32_t TreeHeight() const noexcept;
    [[nodiscard]] int32_t ViewWidth() const noexcept { return m_viewWidth; }
    // The metrics of the surface's current style.
    [[nodiscard]] const LayoutMetrics& Metrics() const noexcept { return m_surface.Metrics(); }
    [[nodiscard]] ISurface& Surface() const noexcept { return m_surface; }
    // The links and misspelt words the rows mark.
    [[nodiscard]] CTextMarks& Marks() noexcept { return m_marks; }
    [[nodiscard]] bool InSelection() const noexcept { return m_inSelection; }
    [[nodiscard]] const CNoteViewGlyph& Root() const noexcept { return *m_viewGlyph; }
    [[nodiscard]] std::string Dump() const;

    // --- Positions across the shown notes ---

    // Index of the note in the shown list, or -1.
    [[nodiscard]] int NoteIndex(const NoteEditEngine::CNoteDocument* note) const noexcept;
    // Place number over all shown notes (each note contributing its element count).
    [[nodiscard]] int64_t GlobalIndex(const NoteEditEngine::CNotePosition& position) const noexcept;
    [[nodiscard]] int64_t Distance(const NoteEditEngine::CNotePosition& a,
                                   const NoteEditEngine::CNotePosition& b) const noexcept {
        return GlobalIndex(b) - GlobalIndex(a);
    }
    // The place one element on or back across notes; false at the ends of all.
    bool StepForward(NoteEditEngine::CNotePosition& position) const noexcept;
    bool StepBackward(NoteEditEngine::CNotePosition& position) const noexcept;

    // --- Painting state, for the glyphs ---

    // The selection state before the first element after position.
    [[nodiscard]] bool SelectedAt(const NoteEditEngine::CNotePosition& position) const noexcept;
    // Updates the in-selection flag for the place before the next element drawn.
    void UpdateSelectionFlag(const NoteEditEngine::CNotePosition& position) noexcept;
    void SetInSelection(bool selected) noexcept { m_inSelection = selected; }
    // Applies a style on the surface together with the in-selection flag.
    void ApplyParagraphStyle(uint32_t style, int32_t indent) {
        m_surface.ApplyParagraphStyle(style, indent, m_inSelection);
    }
    void ApplyCharacterStyle(NoteEditEngine::CharacterStyle style) {
        m_surface.ApplyCharacterStyle(style, m_inSelection);
    }
    // Told by a paragraph where it starts re-breaking rows; the first call after a change is the
    // earliest, since relayout runs forward.
    void NoteRebreakStart(const NoteEditEngine::CNotePosition& rowStart) noexcept {
        if (m_rebreakStart.IsNull()) m_rebreakStart = rowStart;
    }

private:
    void TakeCaretFormat() noexcept;
    void UpdateEstimates();
    [[nodiscard]] CNotePendingGlyph* FirstPending() const;
    // Lays out part of `pending` from `from` (a paragraph start in it); keeps sizes and flags.
    void LayOutPending(CNotePendingGlyph* pending, const NoteEditEngine::CNotePosition& from,
                       int64_t elements);
    void NoteHeightChange(int32_t before) noexcept;
    void Synchronise();
    [[nodiscard]] NoteEditEngine::CNotePosition FirstOfAll() const noexcept;
    [[nodiscard]] NoteEditEngine::CNotePosition LastOfAll() const noexcept;
    void PlaceAfterUndo(const NoteEditEngine::CNotePosition& caret);
    int32_t MovePage(int32_t clientHeight, bool down, bool extend);
    void MoveRow(bool down, bool extend);
    bool SearchNote(NoteEditEngine::CNoteDocument* note, const NoteEditEngine::CNotePosition& from,
                    std::u16string_view text, bool matchCase, bool wholeWord,
                    NoteEditEngine::CNotePosition& start, NoteEditEngine::CNotePosition& end);

    // Whether some shown note can undo (or redo), asked after every keystroke: kept so that the
    // answer costs no walk over the shown notes. A history gains steps to undo or redo only
    // through a change its note reports, or through the view's own undo and redo; it may lose
    // them silently (redo is dropped everywhere at once), which a kept witness is checked for.
    struct ShownHistoryAbility {
        // A shown note found able; rechecked before it is trusted.
        NoteEditEngine::CNoteDocument* witness = nullptr;
        // No shown note was able when last looked at, but for those changed since.
        bool noneBut = false;
        std::vector<NoteEditEngine::CNoteDocument*> changed;
    };
    [[nodiscard]] bool AnyShownCan(ShownHistoryAbility& ability, bool redo) const noexcept;
    void NoteHistoryMayGrow(NoteEditEngine::CNoteDocument* note);
    void ForgetHistoryAbility() noexcept;

    ISurface& m_surface;
    INoteWindow& m_window;
    int32_t m_viewWidth = 0;
    bool m_heightChanged = false;
    NoteEditEngine::CNotePosition m_active;
    int32_t m_preferredX = 0;
    NoteEditEngine::CNotePosition m_anchor;
    bool m_inSelection = false;
    // Where the relayout of the latest change began re-breaking; null when nothing was re-broken.
    NoteEditEngine::CNotePosition m_rebreakStart;
    NoteEditEngine::ParagraphFormat m_caretFormat;
    std::unique_ptr<CNoteViewGlyph> m_viewGlyph;
    std::vector<NoteEditEngine::CNoteDocument*> m_shown;
    uint64_t m_changeCount = 0;
    mutable ShownHistoryAbility m_canUndo;
    mutable ShownHistoryAbility m_canRedo;
    // Layout in slices: the window's height (0: eager), what a relayout lays out at once, the
    // metrics of height estimates, and the pending parts of the tree.
    int32_t m_lazyScreen = 0;
    int64_t m_eagerElements = 0;
    int32_t m_estimateLineHeight = 0;
    int32_t m_estimateCharsPerRow = 1;
    int32_t m_estimateSpacing = 0;
    std::vector<CNotePendingGlyph*> m_pending;
    CTextMarks m_marks;
};

}  // namespace NoteLayoutEngine
