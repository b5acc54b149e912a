#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QElapsedTimer>
#include <QFont>
#include <QList>
#include <QPointF>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "commands/CommandTarget.h"
#include "editor/ClickCounter.h"
#include "editor/FontCache.h"
#include "editor/TextScale.h"
#include "layout/NoteView.h"

class QPrintDialog;
class QPainter;
class QPrinter;
class CFindDialog;

namespace NoteLayoutEngine {
struct PageGeometry;
struct PageRange;
}  // namespace NoteLayoutEngine

// The editor pane: a scrolling window that is the layout engine's note view. It implements the
// window operations on QPainter and QFontMetrics, paints only inside paintEvent (a redraw asked
// for outside painting becomes an update of exactly the rectangles it would paint), draws its own
// blinking caret, and turns keys, mouse and commands into the editing commands.
class CNoteScrollView final : public QAbstractScrollArea,
                              public NoteLayoutEngine::CNoteView,
                              public Commands::ICommandTarget {
    Q_OBJECT

public:
    explicit CNoteScrollView(QWidget* parent = nullptr);
    ~CNoteScrollView() override;

    using CommandState = Commands::CommandState;

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

    // --- The window operations of the note view ---
    void ScrollToNote(NoteEditEngine::CNoteDocument* note) override;
    void BeginUpdate() override {}
    void UpdateScrollSizes() override;
    void BeginPaint() override;
    void EndPaint() override;
    void UpdateCaret(bool scroll) override;
    int32_t DrawRun(std::u16string_view text, int32_t x, int32_t y) override;
    void DrawListMarker(int32_t x, int32_t y, int32_t leftMargin, int32_t height) override;
    void DrawNoteHeader(int32_t x, int32_t y, int32_t width, int32_t height, bool isFirst) override;
    void DrawNoteSeparator(int32_t x, int32_t y, int32_t width, int32_t height,
                           bool isLast) override;
    void EraseRect(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void ResetStyle() override;
    void ApplyCharacterStyle(NoteEditEngine::CharacterStyle style) override;
    void ApplyParagraphStyle(uint32_t style, int32_t indent) override;
    int32_t CharWidth(char32_t character) override;

    // The font that text of these styles is drawn in at the current text size.
    [[nodiscard]] QFont FontFor(uint32_t paragraphStyle, NoteEditEngine::CharacterStyle style);

signals:
    void statusTextChanged(const QString& text);
    // Something that the command states depend on changed (caret, selection, focus, text).
    void commandStatesChanged();
    // The note that holds the caret (null when none is shown).
    void caretNoteChanged(NoteEditEngine::CNoteDocument* note);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
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
    // The drawing state that one combination of styles gives: font, colours and metrics.
    struct StyleState {
        CFontEntry* font = nullptr;
        QColor text;
        QColor background;
        NoteLayoutEngine::LayoutMetrics metrics;
    };

    // One cached state per paragraph style, character style and selected flag.
    static constexpr size_t kStatesPerParagraph = (NoteEditEngine::CharacterStyle::kMask + 1) * 2;
    static constexpr size_t kStateCount =
        NoteEditEngine::kParagraphStyleCount * kStatesPerParagraph;

    void Apply();
    [[nodiscard]] const StyleState& StateFor(uint32_t paragraph, uint32_t characterWord,
                                             bool selected);
    void InvalidateStyleStates();
    CFontEntry& FontEntryFor(const NoteLayoutEngine::FontRequest& request);
    void SetTextScale(int command);
    void AddDirty(int32_t x, int32_t y, int32_t width, int32_t height);
    void FillRect(int32_t x, int32_t y, int32_t width, int32_t height, const QColor& colour);
    void UpdateStatusText();
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
    [[nodiscard]] const StyleState& CaretState();
    void DrawPreedit(QPainter& painter);
    void Copy(bool textOnly);
    void Cut();
    void PasteFromClipboard();
    void PrintPage(QPainter& painter, const NoteEditEngine::CNotePosition& start,
                   const NoteEditEngine::CNotePosition& end);
    // Switches the styles to the printer's, lays the notes out for its paper and paginates;
    // EndPrintLayout goes back to the screen.
    std::vector<NoteLayoutEngine::PageRange> BeginPrintLayout(
        const QPrinter& printer, NoteLayoutEngine::PageGeometry& geometry);
    void EndPrintLayout();

    // The surface: a live painter while painting or printing, else none (redraws only collect
    // the rectangles they would paint).
    QPainter* m_painter = nullptr;
    bool m_printing = false;
    QRect m_dirty;
    int32_t m_paintTop = 0;
    int32_t m_paintBottom = 0;

    NoteEditEngine::CharacterStyle m_characterStyle;
    uint32_t m_paragraphStyle = NoteEditEngine::kNormal;
    int32_t m_indent = 0;
    bool m_selected = false;
    bool m_hasFocus = false;
    int m_textScale = NoteEditor::kMediumTextSizeCommand;
    const StyleState* m_state = nullptr;
    CFontCache m_fonts;
    // Kept between runs so that drawing a run allocates nothing.
    QList<quint32> m_glyphs;
    QList<QPointF> m_glyphPositions;
    std::array<std::unique_ptr<StyleState>, kStateCount> m_states;

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
};
