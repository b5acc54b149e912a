// The pane's links (Ctrl+click, the pointer, the status bar) and its spelling suggestions.
#include <QAction>
#include <QDesktopServices>
#include <QMenu>

#include "editor/NoteScrollView.h"
#include "model/NoteUndoHistory.h"
#include "ui/MessageBox.h"

using NoteEditEngine::CNotePosition;
using NoteLayoutEngine::MarkedSpan;
using NoteLayoutEngine::TextMark;

std::optional<MarkedSpan> CNoteScrollView::MarkAt(QPoint point, TextMark mark) {
    if (!m_view.HasNotes()) return std::nullopt;
    const int32_t y = point.y() + ScrollTop();
    const CNotePosition place = m_view.HitTest(point.x(), y);
    std::optional<MarkedSpan> span = m_view.Marks().SpanAt(place);
    if (!span || span->mark != mark) return std::nullopt;
    // The nearest place may lie at the end of a row whose text stops well left of the pointer,
    // or above the pointer below the last row.
    const NoteLayoutEngine::CaretGeometry at = m_view.CaretGeometryOf(place);
    if (y < at.point.y || y >= at.point.y + at.textHeight) return std::nullopt;
    CNotePosition end = span->start;
    for (int32_t i = 0; i < span->length; ++i)
        m_view.StepForward(end);
    const NoteLayoutEngine::Point first = m_view.PointOf(span->start);
    const NoteLayoutEngine::Point last = m_view.PointOf(end);
    if (first.y == at.point.y && point.x() < first.x) return std::nullopt;
    if (last.y == at.point.y && point.x() >= last.x) return std::nullopt;
    return span;
}

bool CNoteScrollView::ShowLinkAt(QPoint point, bool ctrl) {
    const std::optional<MarkedSpan> link = MarkAt(point, TextMark::kLink);
    viewport()->setCursor(link && ctrl ? Qt::PointingHandCursor : Qt::IBeamCursor);
    if (!link) return false;
    emit statusTextChanged(
        tr("%1 (Ctrl+click to open)").arg(QString::fromStdU16String(link->target)));
    return true;
}

bool CNoteScrollView::OpenLinkAt(QPoint point) {
    const std::optional<MarkedSpan> link = MarkAt(point, TextMark::kLink);
    if (!link) return false;
    // Only web and mail addresses are ever found, so nothing else can be opened from a note.
    const QUrl url(QString::fromStdU16String(link->target), QUrl::TolerantMode);
    if (!m_openLink) m_openLink = [](const QUrl& address) { QDesktopServices::openUrl(address); };
    m_openLink(url);
    return true;
}

void CNoteScrollView::AddSpellingItems(QMenu& menu, std::optional<QPoint> point) {
    std::optional<MarkedSpan> word =
        point ? MarkAt(*point, TextMark::kMisspelt) : m_view.Marks().SpanAt(m_view.Active());
    if (!word || word->mark != TextMark::kMisspelt) return;
    QAction* const first = menu.actions().isEmpty() ? nullptr : menu.actions().front();
    // The menu is modal, but a position outlives an edit only while the text stays as it was.
    const uint64_t changes = m_view.ChangeCount();
    const auto add = [&](const QString& text, std::function<void()> run) {
        QAction* action = new QAction(text, &menu);
        menu.insertAction(first, action);
        connect(action, &QAction::triggered, this, [this, changes, run = std::move(run)] {
            if (m_view.ChangeCount() == changes) run();
        });
        return action;
    };
    const std::vector<std::u16string> suggestions = m_spelling.Suggestions(word->text);
    for (const std::u16string& suggestion : suggestions) {
        QAction* action = add(QString::fromStdU16String(suggestion), [this, word, suggestion] {
            CNotePosition end = word->start;
            for (int32_t i = 0; i < word->length; ++i)
                m_view.StepForward(end);
            NoteEditEngine::StartNewUndoGroup();
            m_view.SetSelection(word->start, end, false);
            m_view.ReplaceInView(word->start, end, suggestion);
        });
        QFont bold = action->font();
        bold.setBold(true);
        action->setFont(bold);
    }
    if (suggestions.empty()) add(tr("(No Suggestions)"), [] {})->setEnabled(false);
    add(tr("Add to Dictionary"), [this, word] {
        if (!m_spelling.AddToDictionary(word->text))
            MessageBox::Show(this,
                             tr("The word could not be saved in the personal word "
                                "list; it is accepted until Jotwell ends."),
                             QMessageBox::Warning);
    });
    add(tr("Ignore"), [this, word] { m_spelling.Ignore(word->text); });
    menu.insertSeparator(first);
}
