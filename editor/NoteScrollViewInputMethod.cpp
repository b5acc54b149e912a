// The pane and input methods: committed text is typed, the composition is shown at the caret
// and never enters a note, and the caret's place and paragraph are reported back.
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QPainter>
#include <algorithm>

#include "editor/NoteScrollView.h"
#include "editor/TypingCommands.h"

using NoteEditEngine::CNotePosition;

namespace {

// How much of the caret's paragraph an input method sees on either side of the caret; enough
// for the word it corrects, and cheap in a paragraph of any length.
constexpr int kSurroundingUnits = 256;

// The caret's paragraph around the caret, with the caret's and the anchor's offsets in it (the
// anchor's is the caret's when the anchor lies elsewhere).
struct Surrounding {
    QString text;
    int cursor = 0;
    int anchor = 0;
};

Surrounding SurroundingOf(const CNotePosition& caret, const CNotePosition& anchor) {
    Surrounding result;
    std::u16string before;
    CNotePosition left = caret;
    while (!left.ElementIsParagraph() && int(before.size()) < kSurroundingUnits) {
        before.push_back(left.CodeUnitAt());
        left.StepLeft();
    }
    std::reverse(before.begin(), before.end());
    std::u16string text = before;
    CNotePosition right = caret;
    while (!right.IsAtParagraphEnd() && int(text.size() - before.size()) < kSurroundingUnits) {
        right.StepRight();
        text.push_back(right.CodeUnitAt());
    }
    result.text = QString::fromStdU16String(text);
    result.cursor = int(before.size());
    result.anchor = result.cursor;
    if (anchor.Document() == caret.Document()) {
        const int64_t offset = result.cursor + Distance(caret, anchor);
        if (offset >= 0 && offset <= int64_t(text.size())) result.anchor = int(offset);
    }
    return result;
}

}  // namespace

const CPainterSurface::StyleState& CNoteScrollView::CaretState() {
    return m_surface.StateFor(m_view.CaretParagraphFormat().Style(), m_view.Active().TypingStyle(),
                              false);
}

void CNoteScrollView::SetPreedit(const QString& text, int cursor) {
    m_preedit = text;
    m_preeditCursor = std::clamp(cursor, 0, int(text.size()));
}

void CNoteScrollView::DrawPreedit(QPainter& painter) {
    if (m_preeditTreeRect.isEmpty()) return;
    const CPainterSurface::StyleState& state = CaretState();
    QFont font = state.font->Font();
    font.setUnderline(true);
    painter.fillRect(m_preeditTreeRect, state.background);
    painter.setFont(font);
    painter.setPen(state.text);
    painter.drawText(
        QPoint(m_preeditTreeRect.left(), m_preeditTreeRect.top() + state.font->Ascent()),
        m_preedit);
}

void CNoteScrollView::ReplaceAroundCaret(int start, int length) {
    // Only a range inside the caret's paragraph, and only without a selection of the user's.
    if (m_view.HasSelection()) return;
    const CNotePosition caret = m_view.Active();
    const int64_t from = int64_t(caret.Index()) + start;
    const int64_t to = from + length;
    if (from < int64_t(caret.ParagraphOf().Index()) || to > int64_t(caret.ParagraphEnd().Index()))
        return;
    m_view.SetSelection(caret.Document()->FromIndex(from), caret.Document()->FromIndex(to), true);
}

void CNoteScrollView::inputMethodEvent(QInputMethodEvent* event) {
    if (!m_view.HasNotes()) {
        QAbstractScrollArea::inputMethodEvent(event);
        return;
    }
    const QString commit = event->commitString();
    if (event->replacementLength() > 0) {
        ReplaceAroundCaret(event->replacementStart(), event->replacementLength());
        if (commit.isEmpty() && m_view.HasSelection()) NoteEditor::Backspace(m_view);
    }
    // Committed text is typed, so it merges into one undo step with the typing around it.
    for (const QChar c : commit) {
        if (c.unicode() < 32 || c.unicode() == 127) continue;
        NoteEditor::TypeCharacter(m_view, c.unicode());
    }
    int cursor = int(event->preeditString().size());
    for (const QInputMethodEvent::Attribute& attribute : event->attributes())
        if (attribute.type == QInputMethodEvent::Cursor) cursor = attribute.start;
    const bool hadPreedit = !m_preedit.isEmpty();
    SetPreedit(event->preeditString(), cursor);
    // An empty event (the input method resetting) must not scroll a view the user moved away.
    if (hadPreedit || !m_preedit.isEmpty()) UpdateCaret(!m_preedit.isEmpty());
    event->accept();
}

QVariant CNoteScrollView::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
        case Qt::ImEnabled:
            return m_view.HasNotes();
        case Qt::ImHints:
            return int(Qt::ImhMultiLine);
        case Qt::ImCursorRectangle:
            return CaretRect().isEmpty() ? QRect() : CaretRect().translated(viewport()->pos());
        case Qt::ImSurroundingText:
        case Qt::ImCursorPosition:
        case Qt::ImAnchorPosition:
        case Qt::ImCurrentSelection: {
            if (!m_view.HasNotes() || m_view.Active().IsNull()) return QVariant();
            const Surrounding around = SurroundingOf(m_view.Active(), m_view.Anchor());
            if (query == Qt::ImSurroundingText) return around.text;
            if (query == Qt::ImCursorPosition) return around.cursor;
            if (query == Qt::ImAnchorPosition) return around.anchor;
            const int from = std::min(around.cursor, around.anchor);
            return around.text.mid(from, std::abs(around.cursor - around.anchor));
        }
        default:
            return QAbstractScrollArea::inputMethodQuery(query);
    }
}
