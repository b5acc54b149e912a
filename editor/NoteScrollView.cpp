#include "editor/NoteScrollView.h"

#include <QApplication>
#include <QInputMethod>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <utility>
#include <vector>

#include "base/CommandIds.h"
#include "editor/FindDialog.h"
#include "editor/NoteAccessible.h"
#include "editor/NoteScrollBar.h"
#include "model/NoteUndoHistory.h"
#include "ui/StatusText.h"

namespace {

// A menu (a popup, or the menu bar in keyboard mode) borrows the keyboard while it is open; the
// pane keeps its focus for editing, so that the menu's own commands stay enabled.
bool BorrowsFocus(const QWidget* widget) {
    return widget != nullptr &&
           (widget->window()->windowType() == Qt::Popup || qobject_cast<const QMenuBar*>(widget));
}

}  // namespace

CNoteScrollView::CNoteScrollView(QWidget* parent)
    : QAbstractScrollArea(parent),
      m_textScale(NoteEditor::kFirstTextSizeCommand +
                  static_cast<int>(NoteEditor::StoredTextSize())),
      m_surface(NoteEditor::TextSizeOf(m_textScale), false),
      m_view(m_surface, this),
      m_spelling(m_view.Marks()) {
    CNoteAccessible::Install();
    setAccessibleName(tr("Note text"));
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBar(new CNoteScrollBar(this));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::IBeamCursor);
    // Moves without a button refresh the status bar too.
    viewport()->setMouseTracking(true);
    // Dead keys (the compose table) and input methods serve only widgets that ask for them.
    setAttribute(Qt::WA_InputMethodEnabled);
    // Every pixel is painted by the pane itself.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    m_caretTimer.setInterval(std::max(100, QApplication::cursorFlashTime() / 2));
    connect(&m_caretTimer, &QTimer::timeout, this, &CNoteScrollView::OnCaretTimer);
    m_clickElapsed.start();
    m_clickClock = [this] { return m_clickElapsed.elapsed(); };
    m_findDialog = std::make_unique<CFindDialog>(m_view, this);
    // Focus that a menu borrowed can move on from it to another widget; then the pane has lost it
    // without a focus-out of its own.
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (m_hasFocus && now != nullptr && now != this && !BorrowsFocus(now)) LoseFocus();
    });
    m_layoutTimer.setSingleShot(true);
    m_layoutTimer.setInterval(0);
    connect(&m_layoutTimer, &QTimer::timeout, this, &CNoteScrollView::OnLayoutTimer);
    m_surface.SetPalette(palette());
    m_view.SetLazyLayout(viewport()->height());
    m_view.SetWidth(viewport()->width(), false);
    connect(&m_spelling, &CSpelling::marksChanged, this, [this] { m_view.RedrawAll(); });
}

CNoteScrollView::~CNoteScrollView() {
    CNoteAccessible::Forget(this);
    // The base class may still move the focus while it goes; the pane is no longer whole then.
    disconnect(m_focusWatch);
    m_findDialog.reset();
}

int CNoteScrollView::ScrollTop() const {
    return verticalScrollBar()->value();
}

QRect CNoteScrollView::CaretRect() const {
    return m_caretTreeRect.translated(0, -ScrollTop());
}

QString CNoteScrollView::StatusText() const {
    if (!m_view.HasNotes() || m_view.Active().IsNull())
        return QCoreApplication::translate("Status", CommandIds::kIdlePrompt);
    return QString::fromStdString(NoteEditor::NoteStatusText(*m_view.Active().Document()));
}

void CNoteScrollView::UpdateStatusText() {
    // Long layout keeps the status bar for its progress until it ends.
    emit statusTextChanged(
        m_layoutPercent >= 0 ? tr("Laying out the notes: %1%").arg(m_layoutPercent) : StatusText());
}

// --- Text size ---

void CNoteScrollView::SetTextScale(int command) {
    NoteEditEngine::StartNewUndoGroup();
    m_textScale = command;
    m_surface.SetTextSize(NoteEditor::TextSizeOf(command));
    m_view.Relayout(true);
    NoteEditor::StoreTextSize(NoteEditor::TextSizeOf(command));
    emit commandStatesChanged();
}

// --- Painting ---

NoteLayoutEngine::VisibleBand CNoteScrollView::BeginPaint() {
    if (!m_surface.Paints()) {
        m_surface.ClearDirty();
        m_paintTop = ScrollTop();
        m_paintBottom = m_paintTop + viewport()->height();
    }
    return {m_paintTop, m_paintBottom - m_paintTop};
}

void CNoteScrollView::EndPaint() {
    const int32_t treeHeight = m_view.TreeHeight();
    if (m_paintBottom > treeHeight) {
        const int32_t width = std::max(m_view.ViewWidth(), viewport()->width());
        m_surface.FillRect(
            0, treeHeight, width, m_paintBottom - treeHeight,
            m_view.HasNotes() && treeHeight > 0 ? m_surface.Base() : m_surface.EmptyView());
    }
    if (!m_surface.Paints() && !m_surface.Dirty().isEmpty())
        viewport()->update(m_surface.Dirty().translated(0, -ScrollTop()));
}

void CNoteScrollView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const int32_t top = ScrollTop();
    painter.translate(0, -top);
    m_surface.SetPainter(&painter);
    // A scroll exposes a strip while the caret's old and new bars lie elsewhere: each band of
    // the region is drawn on its own rather than everything between them.
    std::vector<std::pair<int32_t, int32_t>> bands;
    for (const QRect& rect : event->region())
        bands.emplace_back(top + rect.top(), top + rect.bottom() + 1);
    std::sort(bands.begin(), bands.end());
    const int32_t viewWidth = m_view.ViewWidth();
    for (size_t i = 0; i < bands.size();) {
        m_paintTop = bands[i].first;
        m_paintBottom = bands[i].second;
        for (++i; i < bands.size() && bands[i].first <= m_paintBottom; ++i)
            m_paintBottom = std::max(m_paintBottom, bands[i].second);
        // One rectangle of the region at a time: under a clip of several, every fill and blit
        // goes span by span.
        m_surface.ClipTo(QRect(0, m_paintTop, viewport()->width(), m_paintBottom - m_paintTop));
        m_view.RedrawAll();
        // Beyond the laid-out width (only while the width is not yet known).
        if (viewport()->width() > viewWidth && m_view.HasNotes())
            painter.fillRect(QRect(viewWidth, m_paintTop, viewport()->width() - viewWidth,
                                   m_paintBottom - m_paintTop),
                             m_surface.Base());
    }
    m_surface.SetPainter(nullptr);
    painter.setClipping(false);
    if (!m_preedit.isEmpty()) DrawPreedit(painter);
    if (!m_caretTreeRect.isEmpty() && m_caretOn) {
        painter.setCompositionMode(QPainter::CompositionMode_Difference);
        painter.fillRect(m_caretTreeRect, Qt::white);
    }
}

// --- Scrolling and the caret ---

void CNoteScrollView::UpdateScrollSizes(int32_t treeHeight) {
    const int32_t clientHeight = viewport()->height();
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(std::max(1, clientHeight * 12 / 15));
    bar->setSingleStep(std::max(1, clientHeight / 15));
    bar->setRange(0, std::max(0, treeHeight - clientHeight));
    // Every change of a shown note's text ends here, also where the caret stays.
    CNoteAccessible::Follow(this);
}

void CNoteScrollView::scrollContentsBy(int dx, int dy) {
    if (!m_shifting) viewport()->scroll(dx, dy);
}

void CNoteScrollView::LayoutPending() {
    if (!m_layoutTimer.isActive()) m_layoutTimer.start();
}

void CNoteScrollView::OnLayoutTimer() {
    // About a frame's worth of layout, so that keys and paints wait no longer than that.
    constexpr int64_t kSliceElements = 100000;
    if (!m_layoutClock.isValid()) {
        m_layoutClock.start();
        m_layoutTotal = std::max<int64_t>(1, m_view.PendingElements());
    }
    const int32_t top = ScrollTop();
    const int32_t shift = m_view.LayoutSlice(kSliceElements, top, viewport()->height());
    if (shift != 0) {
        m_shifting = true;
        verticalScrollBar()->setValue(top + shift);
        m_shifting = false;
        UpdateCaret(false);
    }
    if (m_view.HasPendingLayout()) {
        m_layoutTimer.start();
        ShowLayoutProgress();
        return;
    }
    m_layoutClock.invalidate();
    if (m_layoutPercent >= 0) {
        m_layoutPercent = -1;
        UpdateStatusText();
    }
}

void CNoteScrollView::ShowLayoutProgress() {
    if (m_layoutClock.elapsed() < m_layoutProgressAfter.count()) return;
    // More may have been added to the pending text since the slices began (a paste).
    const int64_t left = m_view.PendingElements();
    m_layoutTotal = std::max(m_layoutTotal, left);
    const int percent = static_cast<int>(100 * (m_layoutTotal - left) / m_layoutTotal);
    if (percent == m_layoutPercent) return;
    m_layoutPercent = percent;
    UpdateStatusText();
}

void CNoteScrollView::ScrollBy(int32_t dy) {
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() + dy);
}

void CNoteScrollView::ScrollToNote(int32_t top) {
    if (m_view.TreeHeight() > viewport()->height()) verticalScrollBar()->setValue(top);
}

void CNoteScrollView::UpdateCaret(bool scroll) {
    const QRect beforeTreeRect = m_caretTreeRect;
    const QRect preeditBefore = m_preeditTreeRect;
    m_caretTreeRect = QRect();
    m_preeditTreeRect = QRect();
    if (m_view.HasNotes() && !m_view.Active().IsNull()) {
        const NoteLayoutEngine::CaretGeometry caret = m_view.CaretGeometryOf(m_view.Active());
        const NoteLayoutEngine::Point point = caret.point;
        const int32_t textHeight = caret.textHeight;
        if (scroll) {
            const int32_t top = point.y - caret.spaceAbove;
            const int32_t bottom = point.y + textHeight + caret.spaceBelow;
            const int32_t clientHeight = viewport()->height();
            if (top < ScrollTop()) {
                verticalScrollBar()->setValue(top);
            } else if (bottom > ScrollTop() + clientHeight) {
                verticalScrollBar()->setValue(bottom - clientHeight);
            }
        }
        if (m_hasFocus) {
            // Inside a composition the caret stands where the input method puts it.
            int32_t composed = 0;
            if (!m_preedit.isEmpty()) {
                const QFontMetrics metrics(CaretState().font->Font());
                composed = metrics.horizontalAdvance(m_preedit.left(m_preeditCursor));
                m_preeditTreeRect =
                    QRect(point.x, point.y, metrics.horizontalAdvance(m_preedit) + 1, textHeight);
            }
            m_caretTreeRect = QRect(point.x + composed - 1, point.y, 2, textHeight);
        }
    }
    if (m_caretTreeRect.isEmpty()) {
        m_caretTimer.stop();
    } else {
        // A moved caret shows at once and blinks from there, unless a menu is open over it.
        m_caretOn = true;
        if (QApplication::activePopupWidget() == nullptr) m_caretTimer.start();
    }
    // The old bar's pixels moved with any scroll above, so they are looked for where it left them.
    const QRect before = beforeTreeRect.translated(0, -ScrollTop());
    const QRect after = CaretRect();
    if (before != after) {
        // The word the caret leaves is checked now: its whole line is drawn again.
        if (!before.isEmpty())
            viewport()->update(m_view.Marks().Checker() == nullptr
                                   ? before
                                   : QRect(0, before.y(), viewport()->width(), before.height()));
        if (!after.isEmpty()) viewport()->update(after);
    }
    if (preeditBefore != m_preeditTreeRect || !m_preedit.isEmpty()) {
        viewport()->update(preeditBefore.translated(0, -ScrollTop()));
        viewport()->update(m_preeditTreeRect.translated(0, -ScrollTop()));
    }
    emit caretNoteChanged(m_view.HasNotes() ? m_view.Active().Document() : nullptr);
    UpdateStatusText();
    emit commandStatesChanged();
    if (m_hasFocus && hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImQueryInput);
    // Every move of the caret or the selection ends here, and so does every edit at the caret.
    CNoteAccessible::Follow(this);
}

void CNoteScrollView::OnCaretTimer() {
    m_caretOn = !m_caretOn;
    if (!m_caretTreeRect.isEmpty()) viewport()->update(CaretRect());
}

void CNoteScrollView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    m_view.SetLazyLayout(viewport()->height());
    m_view.SetWidth(viewport()->width(), true);
    UpdateScrollSizes(m_view.TreeHeight());
}

void CNoteScrollView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    // A desktop that switches between light and dark while the program runs.
    if (event->type() == QEvent::PaletteChange) {
        m_surface.SetPalette(palette());
        viewport()->update();
    }
}

void CNoteScrollView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    m_hasFocus = true;
    UpdateCaret(false);
}

void CNoteScrollView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::MenuBarFocusReason) {
        // The caret stays, without blinking, until the menu gives the keyboard back.
        m_caretTimer.stop();
        if (!m_caretOn && !m_caretTreeRect.isEmpty()) {
            m_caretOn = true;
            viewport()->update(CaretRect());
        }
        return;
    }
    LoseFocus();
}

void CNoteScrollView::LoseFocus() {
    NoteEditEngine::StartNewUndoGroup();
    m_hasFocus = false;
    SetPreedit(QString(), 0);
    UpdateCaret(false);
}

bool CNoteScrollView::focusNextPrevChild(bool next) {
    // Tab and Shift+Tab indent and outdent while a note is shown.
    if (m_view.HasNotes()) return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}
