#include "editor/NoteScrollView.h"

#include <QApplication>
#include <QGlyphRun>
#include <QInputMethod>
#include <QMenuBar>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "commands/CommandIds.h"
#include "editor/FindDialog.h"
#include "model/NoteUndoHistory.h"
#include "ui/ProfileSettings.h"
#include "ui/StatusText.h"

using NoteEditEngine::CharacterStyle;
using NoteEditEngine::CNoteDocument;
using NoteEditEngine::CNotePosition;

namespace {

QColor ToQColor(NoteLayoutEngine::Color colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

// A menu (a popup, or the menu bar in keyboard mode) borrows the keyboard while it is open; the
// pane keeps its focus for editing, so that the menu's own commands stay enabled.
bool BorrowsFocus(const QWidget* widget) {
    return widget != nullptr &&
           (widget->window()->windowType() == Qt::Popup || qobject_cast<const QMenuBar*>(widget));
}

}  // namespace

CNoteScrollView::CNoteScrollView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::IBeamCursor);
    // Moves without a button refresh the status bar too.
    viewport()->setMouseTracking(true);
    // Dead keys (the compose table) and input methods serve only widgets that ask for them.
    setAttribute(Qt::WA_InputMethodEnabled);
    // Every pixel is painted by the pane itself.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    const int stored =
        ProfileSettings::ReadInt(QStringLiteral("TextFormatting"), QStringLiteral("Scale"), 2);
    m_textScale = NoteEditor::kFirstTextSizeCommand + stored;
    if (m_textScale < NoteEditor::kFirstTextSizeCommand ||
        m_textScale > NoteEditor::kLastTextSizeCommand)
        m_textScale = NoteEditor::kMediumTextSizeCommand;
    m_caretTimer.setInterval(std::max(100, QApplication::cursorFlashTime() / 2));
    connect(&m_caretTimer, &QTimer::timeout, this, &CNoteScrollView::OnCaretTimer);
    m_clickElapsed.start();
    m_clickClock = [this] { return m_clickElapsed.elapsed(); };
    m_findDialog = std::make_unique<CFindDialog>(*this, this);
    // Focus that a menu borrowed can move on from it to another widget; then the pane has lost it
    // without a focus-out of its own.
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (m_hasFocus && now != nullptr && now != this && !BorrowsFocus(now)) LoseFocus();
    });
    ResetStyle();
    SetWidth(viewport()->width(), false);
}

CNoteScrollView::~CNoteScrollView() {
    // The base class may still move the focus while it goes; the pane is no longer whole then.
    disconnect(m_focusWatch);
    m_findDialog.reset();
    // The notes outlive the pane; it stops watching them here, while it is still whole.
    const std::vector<CNoteDocument*> shown = ShownNotes();
    for (CNoteDocument* note : shown)
        note->RemoveObserver(this);
}

int CNoteScrollView::ScrollTop() const {
    return verticalScrollBar()->value();
}

QRect CNoteScrollView::CaretRect() const {
    return m_caretTreeRect.translated(0, -ScrollTop());
}

QString CNoteScrollView::StatusText() const {
    if (!HasNotes() || Active().IsNull()) return QString::fromLatin1(CommandIds::kIdlePrompt);
    return QString::fromStdString(NoteEditor::NoteStatusText(*Active().Document()));
}

void CNoteScrollView::UpdateStatusText() {
    emit statusTextChanged(StatusText());
}

// --- Style application ---

void CNoteScrollView::InvalidateStyleStates() {
    for (auto& state : m_states)
        state.reset();
    m_state = nullptr;
}

const CNoteScrollView::StyleState& CNoteScrollView::StateFor(uint32_t paragraph,
                                                             uint32_t characterWord,
                                                             bool selected) {
    if (paragraph >= NoteEditEngine::kParagraphStyleCount) paragraph = NoteEditEngine::kNormal;
    const CharacterStyle character(characterWord);
    std::unique_ptr<StyleState>& slot =
        m_states[paragraph * kStatesPerParagraph + character.Word() * 2 + (selected ? 1 : 0)];
    if (slot) return *slot;
    const NoteLayoutEngine::TextScale scale =
        NoteLayoutEngine::TextScaleOf(NoteEditor::TextSizeOf(m_textScale), m_printing);
    const NoteLayoutEngine::StyleLook look = NoteLayoutEngine::LookOf(
        paragraph, character, selected, scale, m_printing,
        [this](const NoteLayoutEngine::FontRequest& request) {
            const CFontEntry& font = FontEntryFor(request);
            return NoteLayoutEngine::FontMeasures{font.Ascent(), font.Descent(),
                                                  font.ExternalLeading(), font.AverageCharWidth()};
        });
    auto state = std::make_unique<StyleState>();
    state->font = &FontEntryFor(look.font);
    state->text = ToQColor(look.text);
    state->background = ToQColor(look.background);
    state->metrics = look.metrics;
    slot = std::move(state);
    return *slot;
}

CFontEntry& CNoteScrollView::FontEntryFor(const NoteLayoutEngine::FontRequest& request) {
    return m_fonts.Get(request.fixedWidth, request.cellHeight, request.bold, request.italic);
}

void CNoteScrollView::Apply() {
    m_state = &StateFor(m_paragraphStyle, m_characterStyle.Word(), m_selected);
    SetMetrics(m_state->metrics);
}

void CNoteScrollView::ResetStyle() {
    m_characterStyle = {};
    m_paragraphStyle = NoteEditEngine::kNormal;
    m_indent = 0;
    m_selected = false;
    Apply();
}

void CNoteScrollView::ApplyCharacterStyle(CharacterStyle style) {
    if (style == m_characterStyle && InSelection() == m_selected && m_state != nullptr) return;
    m_characterStyle = style;
    m_selected = InSelection();
    Apply();
}

void CNoteScrollView::ApplyParagraphStyle(uint32_t style, int32_t indent) {
    if (style == m_paragraphStyle && indent == m_indent && InSelection() == m_selected &&
        m_state != nullptr)
        return;
    m_paragraphStyle = style;
    m_indent = indent;
    m_selected = InSelection();
    Apply();
}

int32_t CNoteScrollView::CharWidth(char32_t character) {
    return m_state->font->CharWidth(character);
}

QFont CNoteScrollView::FontFor(uint32_t paragraphStyle, CharacterStyle style) {
    return StateFor(paragraphStyle, style.Word(), false).font->Font();
}

void CNoteScrollView::SetTextScale(int command) {
    NoteEditEngine::StartNewUndoGroup();
    m_textScale = command;
    InvalidateStyleStates();
    ResetStyle();
    Relayout(true);
    ProfileSettings::WriteInt(QStringLiteral("TextFormatting"), QStringLiteral("Scale"),
                              command - NoteEditor::kFirstTextSizeCommand);
    emit commandStatesChanged();
}

// --- Drawing ---

void CNoteScrollView::AddDirty(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return;
    m_dirty |= QRect(x, y, width, height);
}

void CNoteScrollView::FillRect(int32_t x, int32_t y, int32_t width, int32_t height,
                               const QColor& colour) {
    if (width <= 0 || height <= 0) return;
    if (m_painter != nullptr) {
        m_painter->fillRect(QRect(x, y, width, height), colour);
    } else {
        AddDirty(x, y, width, height);
    }
}

void CNoteScrollView::BeginPaint() {
    if (m_painter == nullptr) {
        m_dirty = QRect();
        m_paintTop = ScrollTop();
        m_paintBottom = m_paintTop + viewport()->height();
    }
    SetVisibleBand(m_paintTop, m_paintBottom - m_paintTop);
}

void CNoteScrollView::EndPaint() {
    const int32_t treeHeight = TreeHeight();
    if (!m_printing && m_paintBottom > treeHeight) {
        const int32_t width = std::max(ViewWidth(), viewport()->width());
        FillRect(0, treeHeight, width, m_paintBottom - treeHeight,
                 HasNotes() && treeHeight > 0 ? ToQColor(NoteLayoutEngine::kWhite)
                                              : ToQColor(NoteLayoutEngine::kEmptyViewBackground));
    }
    if (m_painter == nullptr && !m_dirty.isEmpty())
        viewport()->update(m_dirty.translated(0, -ScrollTop()));
}

int32_t CNoteScrollView::DrawRun(std::u16string_view text, int32_t x, int32_t y) {
    CFontEntry& font = *m_state->font;
    const bool painting = m_painter != nullptr;
    // A character the face lacks: drawn on its own through the fallback faces.
    struct Fallback {
        int32_t x;
        size_t index;
        size_t units;
    };
    std::vector<Fallback> fallbacks;
    m_glyphs.clear();
    m_glyphPositions.clear();
    // Every character stands at the sum of the whole widths before it, where the layout measured
    // it; the face's own fractional advances would drift away from the layout along the run.
    int32_t width = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        char32_t character = unit;
        size_t units = 1;
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1])) {
            character = QChar::surrogateToUcs4(unit, text[i + 1]);
            units = 2;
        }
        const int32_t advance = font.CharWidth(character);
        if (painting && unit != u' ') {
            const quint32 glyph = units == 1 ? font.Glyph(unit) : 0;
            if (glyph != 0) {
                m_glyphs.append(glyph);
                m_glyphPositions.append(QPointF(width, 0));
            } else {
                fallbacks.push_back({width, i, units});
            }
        }
        width += advance;
        i += units - 1;
    }
    const int32_t height = Metrics().lineHeight;
    if (!painting) {
        AddDirty(x, y, width, height);
        return width;
    }
    m_painter->fillRect(QRect(x, y, width, height), m_state->background);
    m_painter->setPen(m_state->text);
    const QPointF baseline(x, y + Metrics().ascent);
    if (!m_glyphs.isEmpty()) {
        QGlyphRun run;
        run.setRawFont(font.RawFont());
        run.setGlyphIndexes(m_glyphs);
        run.setPositions(m_glyphPositions);
        m_painter->drawGlyphRun(baseline, run);
    }
    if (!fallbacks.empty()) {
        m_painter->setFont(font.Font());
        for (const Fallback& fallback : fallbacks)
            m_painter->drawText(baseline + QPointF(fallback.x, 0),
                                QString::fromUtf16(text.data() + fallback.index,
                                                   static_cast<qsizetype>(fallback.units)));
    }
    return width;
}

void CNoteScrollView::DrawListMarker(int32_t x, int32_t y, int32_t /*leftMargin*/, int32_t height) {
    using namespace NoteEditEngine;
    if (!IsListStyle(m_paragraphStyle)) return;
    const int32_t u = Metrics().markerUnit;
    const int32_t t = Metrics().lineThickness;
    if (m_painter == nullptr) {
        AddDirty(x - 2 * u, y + (height - u) / 2, u + 1, u + 1);
        return;
    }
    QPainter& painter = *m_painter;
    const QColor black = ToQColor(NoteLayoutEngine::kBlack);
    const QRect box(QPoint(x - 2 * u, y + (height - u) / 2), QPoint(x - u, y + (height + u) / 2));
    const QRect bar(QPoint(x - 2 * u, y + (height - t) / 2), QPoint(x - u, y + (height + t) / 2));
    switch (m_paragraphStyle) {
        case kUncheckedList:
        case kCheckedList: {
            const QColor fill = m_paragraphStyle == kCheckedList ? black
                                : m_printing                     ? QColor(192, 192, 192)
                                             : ToQColor(NoteLayoutEngine::kWhite);
            painter.save();
            painter.setPen(QPen(black, m_printing ? 10 : 1));
            painter.setBrush(fill);
            const qreal corner = u * 10 / 13 / 2.0;
            painter.drawRoundedRect(box.adjusted(0, 0, -1, -1), corner, corner);
            painter.restore();
            break;
        }
        case kPositiveList:
        case kOrderedList:
            painter.fillRect(bar, black);
            painter.fillRect(QRect(QPoint(x - 2 * u + (u - t) / 2, y + (height - u) / 2),
                                   QPoint(x - 2 * u + (u + t) / 2, y + (height + u) / 2)),
                             black);
            break;
        case kNegativeList:
            painter.fillRect(bar, black);
            break;
        default:
            break;
    }
}

void CNoteScrollView::DrawNoteHeader(int32_t, int32_t, int32_t, int32_t, bool) {}

void CNoteScrollView::DrawNoteSeparator(int32_t x, int32_t y, int32_t width, int32_t height,
                                        bool isLast) {
    if (isLast) return;
    const int32_t half = Metrics().lineThickness / 2;
    FillRect(x, y + height - half, width, half,
             m_printing ? ToQColor(NoteLayoutEngine::kBlack) : QColor(192, 192, 192));
}

void CNoteScrollView::EraseRect(int32_t x, int32_t y, int32_t width, int32_t height) {
    FillRect(x, y, width, height, ToQColor(NoteLayoutEngine::kWhite));
}

void CNoteScrollView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const int32_t top = ScrollTop();
    painter.translate(0, -top);
    m_painter = &painter;
    m_paintTop = top + event->rect().top();
    m_paintBottom = top + event->rect().bottom() + 1;
    RedrawAll();
    // Beyond the laid-out width (only while the width is not yet known).
    if (viewport()->width() > ViewWidth() && HasNotes())
        painter.fillRect(QRect(ViewWidth(), m_paintTop, viewport()->width() - ViewWidth(),
                               m_paintBottom - m_paintTop),
                         Qt::white);
    if (!m_preedit.isEmpty()) DrawPreedit(painter);
    if (!m_caretTreeRect.isEmpty() && m_caretOn) {
        painter.setCompositionMode(QPainter::CompositionMode_Difference);
        painter.fillRect(m_caretTreeRect, Qt::white);
    }
    m_painter = nullptr;
}

// --- Scrolling and the caret ---

void CNoteScrollView::UpdateScrollSizes() {
    if (m_printing) return;
    const int32_t clientHeight = viewport()->height();
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(std::max(1, clientHeight * 12 / 15));
    bar->setSingleStep(std::max(1, clientHeight / 15));
    bar->setRange(0, std::max(0, TreeHeight() - clientHeight));
}

void CNoteScrollView::scrollContentsBy(int dx, int dy) {
    viewport()->scroll(dx, dy);
}

void CNoteScrollView::ScrollBy(int32_t dy) {
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() + dy);
}

void CNoteScrollView::ScrollToNote(CNoteDocument* note) {
    if (note == nullptr || NoteIndex(note) < 0) return;
    const CNotePosition start = note->Start();
    const NoteLayoutEngine::CaretGeometry caret = CaretGeometryOf(start);
    if (TreeHeight() > viewport()->height())
        verticalScrollBar()->setValue(caret.point.y - caret.spaceAbove);
    SetCaret(start, false, true);
}

void CNoteScrollView::UpdateCaret(bool scroll) {
    if (m_printing) return;
    const QRect beforeTreeRect = m_caretTreeRect;
    const QRect preeditBefore = m_preeditTreeRect;
    m_caretTreeRect = QRect();
    m_preeditTreeRect = QRect();
    if (HasNotes() && !Active().IsNull()) {
        const NoteLayoutEngine::CaretGeometry caret = CaretGeometryOf(Active());
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
        if (!before.isEmpty()) viewport()->update(before);
        if (!after.isEmpty()) viewport()->update(after);
    }
    if (preeditBefore != m_preeditTreeRect || !m_preedit.isEmpty()) {
        viewport()->update(preeditBefore.translated(0, -ScrollTop()));
        viewport()->update(m_preeditTreeRect.translated(0, -ScrollTop()));
    }
    emit caretNoteChanged(HasNotes() ? Active().Document() : nullptr);
    UpdateStatusText();
    emit commandStatesChanged();
    if (m_hasFocus && hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImQueryInput);
}

void CNoteScrollView::OnCaretTimer() {
    m_caretOn = !m_caretOn;
    if (!m_caretTreeRect.isEmpty()) viewport()->update(CaretRect());
}

void CNoteScrollView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (m_printing) return;
    SetWidth(viewport()->width(), true);
    UpdateScrollSizes();
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
    if (HasNotes()) return false;
    return QAbstractScrollArea::focusNextPrevChild(next);
}
