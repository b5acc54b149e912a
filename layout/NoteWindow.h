#pragma once

#include <cstdint>

namespace NoteLayoutEngine {

// The band of the view's tree that a paint covers, in tree coordinates.
struct VisibleBand {
    int32_t top = 0;
    int32_t height = 0;
};

// What a note view asks of the window that shows it: scrolling, the caret and the frame of a
// paint. The window asks its view for geometry when it needs it. A view without a window (a
// printout, an export) uses a window that does nothing and shows nothing.
class INoteWindow {
public:
    virtual ~INoteWindow() = default;

    // Puts tree y `top` at the top of the window, when the notes are taller than the window.
    virtual void ScrollToNote(int32_t top) = 0;
    // Before a change of the layout; may do nothing.
    virtual void BeginUpdate() = 0;
    // Makes the scrollable extent `treeHeight`.
    virtual void UpdateScrollSizes(int32_t treeHeight) = 0;
    // A paint begins: prepares the surface and returns the band of the tree it covers.
    [[nodiscard]] virtual VisibleBand BeginPaint() = 0;
    // The paint ends: fills what lies below the tree in the band (grey when no note is shown).
    virtual void EndPaint() = 0;
    // Places the caret at the view's active position; with scroll, brings it into view.
    virtual void UpdateCaret(bool scroll) = 0;
    // Parts of the layout were left pending: the window runs CNoteView::LayoutSlice between
    // events until none is left. A window that never does leaves them to be laid out on demand.
    virtual void LayoutPending() {}
};

}  // namespace NoteLayoutEngine
