#pragma once

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QFont>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QVariant>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "commands/CommandTarget.h"
#include "editor/ClickCounter.h"
#include "editor/PainterSurface.h"
#include "editor/Spelling.h"
#include "editor/TextScale.h"
#include "layout/NoteView.h"
#include "layout/NoteWindow.h"

class QMenu;
class QPrintDialog;
class QPainter;
class QPrinter;
class CFindDialog;

// The editor pane: a scrolling window that shows a note view drawn on a Qt surface. It is the
// view's window (scrolling, the caret, the frame of a paint), paints only inside paintEvent (a
// redraw asked for outside painting becomes an update of exactly the rectangles it would paint),
// draws its own blinking caret, and turns keys, mouse and commands into the editing commands.
class CNoteScrollView final : public QAbstractScrollArea,
                              public Commands::ICommandTarget,
                              private NoteLayoutEngine::INoteWindow {
    Q_OBJECT

public:
    explicit CNoteScrollView(QWidget* parent = nullptr);
    ~CNoteScrollView() override;

    using CommandState = Commands::CommandState;

    // The note view the pane shows: the shown notes, the caret, the selection.
    [[nodiscard]] NoteLayoutEngine::CNoteView& View() noexcept { return m_view; }
    [[nodiscard]] const NoteLayoutEngine::CNoteView& View() const noexcept { return m_view; }

    // Runs a command by id; false when the pane does not handle it.
    bool OnCommand(int id) override;
    [[nodiscard]] CommandState QueryCommandState(int id) override;

    [[nodiscard]] int TextScaleCommand() const noexcept { return m_textScale; }
    [[nodiscard]] bool HasFocusFlag() const noexcept { return m_hasFocus; }
    [[nodiscard]] int ScrollTop() const;
    // The caret bar in viewport coordinates; empty while no caret is shown.
    [[nodiscard]] QRect CaretRect() const;
    [[nodiscard]] bool CaretBlinkOn() const noexcept { return m_caretOn; }
    [[nodiscard]] CFindDialog& FindDialog() noexcept { return *m_findDialog; }
    [[nodiscard]] QString StatusText() const;

    // The blink timer's handler, public so that tests step the blink without waiting.
    void OnCaretTimer();
    // Lays out a slice of what the view left pending and comes back while anything is left; the
    // layout timer's handler, public so that tests drive the slices. Once the slices have run
    // for `progressAfter` (2 s), the status bar shows how far they are.
    void OnLayoutTimer();
    void SetLayoutProgressDelay(std::chrono::milliseconds progressAfter) {
        m_layoutProgressAfter = progressAfter;
    }
    [[nodiscard]] CSpelling& Spelling() noexcept { return m_spelling; }
    // The context menu for a point of the viewport (none: for the caret, as the keyboard asks):
    // the spelling of the misspelt word there, then the styles.
    [[nodiscard]] std::unique_ptr<QMenu> ContextMenuAt(std::optional<QPoint> point);
    // Replaces what opens a link on Ctrl+click (the desktop's handler), for tests.
    void SetLinkOpener(std::function<void(const QUrl&)> opener) { m_openLink = std::move(opener); }
    // Replaces the clock of click counting (milliseconds), for tests.
    void SetClickClock(std::function<int64_t()> clock) { m_clickClock = std::move(clock); }

    // Printing: the dialog flows and the printing of every page to a printer that is set up.
    void PrintWithDialog();
    void PrintDirect();
    void PrintPreview();
    // Prints the pages chosen on the printer (its page range, else all); false when no note is
    // shown or the printer cannot be opened or written. The number printed goes to `pages`, and
    // the page (0-based, of all pages) on which each shown note starts to `notePages`.
    bool PrintTo(QPrinter& printer, int* pages = nullptr, std::vector<int>* notePages = nullptr);
    // PrintTo, with a message when printing fails.
    void PrintAndReport(QPrinter& printer);
    // How many pages the shown notes take on the printer's paper.
    [[nodiscard]] int PageCount(const QPrinter& printer);
    // Lets a print dialog offer the range of pages the notes take on the printer's paper.
    void OfferPages(QPrintDialog& dialog, const QPrinter& printer);

    // The font that text of these styles is drawn in at the current text size.
    [[nodiscard]] QFont FontFor(uint32_t paragraphStyle, NoteEditEngine::CharacterStyle style) {
        return m_surface.StateFor(paragraphStyle, style, false).font->Font();
    }

signals:
    void statusTextChanged(const QString& text);
    // Something that the command states depend on changed (caret, selection, focus, text).
    void commandStatesChanged();
    // The note that holds the caret (null when none is shown).
    void caretNoteChanged(NoteEditEngine::CNoteDocument* note);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    [[nodiscard]] QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    bool focusNextPrevChild(bool next) override;

private:
    // --- The view's window ---
    void ScrollToNote(int32_t top) override;
    void BeginUpdate() override {}
    void UpdateScrollSizes(int32_t treeHeight) override;
    NoteLayoutEngine::VisibleBand BeginPaint() override;
    void EndPaint() override;
    void UpdateCaret(bool scroll) override;
    void LayoutPending() override;

    void SetTextScale(int command);
    void UpdateStatusText();
    void ShowLayoutProgress();
    void LoseFocus();
    void ScrollBy(int32_t dy);
    bool HandleEditingKey(QKeyEvent* event);
    // The keys that are no commands, by concern: moving the caret, styles, typing.
    bool HandleMoveKey(int key, bool ctrl, bool shift, bool alt);
    bool HandleStyleKey(int key, bool shift, bool alt);
    bool HandleTypingKey(int key, bool ctrl, const QString& text);
    // The input method's composition shown at the caret; it is never part of a note.
    void SetPreedit(const QString& text, int cursor);
    void ReplaceAroundCaret(int start, int length);
    [[nodiscard]] const CPainterSurface::StyleState& CaretState();
    void DrawPreedit(QPainter& painter);
    // --- Links and spelling (NoteScrollViewMarks.cpp) ---
    // The link or misspelt word whose text lies under a point of the viewport.
    [[nodiscard]] std::optional<NoteLayoutEngine::MarkedSpan> MarkAt(
        QPoint point, NoteLayoutEngine::TextMark mark);
    // The link under the pointer shows its address in the status bar, and the hand while Ctrl is
    // held; false when there is none.
    bool ShowLinkAt(QPoint point, bool ctrl);
    // Opens the link under the point; false when there is none.
    bool OpenLinkAt(QPoint point);
    // Puts the suggestions, Add to Dictionary and Ignore for the misspelt word under the point
    // (none: at the caret) first in the menu.
    void AddSpellingItems(QMenu& menu, std::optional<QPoint> point);
    void Copy(bool textOnly);
    void Cut();
    void PasteFromClipboard();

    int m_textScale;
    // The screen surface and the view drawn on it; the view goes first.
    CPainterSurface m_surface;
    NoteLayoutEngine::CNoteView m_view;
    // The band being painted: the paint event's while painting, else the visible client area.
    int32_t m_paintTop = 0;
    int32_t m_paintBottom = 0;
    bool m_hasFocus = false;

    QRect m_caretTreeRect;  // tree coordinates; empty when hidden
    QString m_preedit;
    int m_preeditCursor = 0;
    QRect m_preeditTreeRect;  // tree coordinates of the drawn composition
    bool m_caretOn = true;
    QTimer m_caretTimer;
    CClickCounter m_clicks;
    QElapsedTimer m_clickElapsed;
    std::function<int64_t()> m_clickClock;
    // Wheel movement not yet worth a line: angle units times lines per notch, and pixels.
    int m_wheelAngle = 0;
    int m_wheelPixels = 0;
    std::unique_ptr<CFindDialog> m_findDialog;
    QMetaObject::Connection m_focusWatch;
    // Runs layout slices between events; while a slice moves the text above the window, the
    // scroll follows without moving pixels.
    QTimer m_layoutTimer;
    bool m_shifting = false;
    // Since the slices began, and how much was pending then; the progress shown, if any.
    QElapsedTimer m_layoutClock;
    int64_t m_layoutTotal = 0;
    int m_layoutPercent = -1;
    std::chrono::milliseconds m_layoutProgressAfter{2000};
    CSpelling m_spelling;
    std::function<void(const QUrl&)> m_openLink;
};
