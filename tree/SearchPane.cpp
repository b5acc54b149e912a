#include "tree/SearchPane.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QStringList>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>

#include "tree/IndexView.h"

namespace {

constexpr int kMargin = 4;

QString ToQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

// 1234567 as "1,234,567", whatever the locale: the pane's texts are English.
QString Grouped(size_t number) {
    QString digits = QString::number(qulonglong(number));
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return digits;
}

// The titles of the item's ancestors, the top-most first.
QString PathOf(const NoteTreeEngine::CNoteTree& tree, NoteTreeEngine::TreeItem item) {
    QStringList titles;
    for (NoteTreeEngine::TreeItem parent = tree.Parent(item); parent != NoteTreeEngine::kRootItem;
         parent = tree.Parent(parent))
        titles.prepend(ToQString(tree.Title(parent)));
    return titles.join(QStringLiteral(" > "));
}

}  // namespace

// --- Rows ---

void CSearchResultModel::SetRows(std::vector<Row> rows) {
    // The same rows again (a refresh that found nothing new) keep the list as it is: the row the
    // user stands on and the scrolling stay.
    const auto same = [](const Row& a, const Row& b) {
        return a.result.item == b.result.item && a.result.hit.offset == b.result.hit.offset &&
               a.title == b.title && a.path == b.path && a.line == b.line &&
               a.matchStart == b.matchStart && a.matchLength == b.matchLength;
    };
    if (std::equal(rows.begin(), rows.end(), m_rows.begin(), m_rows.end(), same)) return;
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

int CSearchResultModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant CSearchResultModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= m_rows.size()) return {};
    const Row& row = m_rows[size_t(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return row.title;
        case Qt::ToolTipRole:
            return row.path.isEmpty() ? row.line : row.path + QStringLiteral("\n") + row.line;
        case PathRole:
            return row.path;
        case LineRole:
            return row.line;
        case MatchStartRole:
            return row.matchStart;
        case MatchLengthRole:
            return row.matchLength;
        default:
            return {};
    }
}

// --- Drawing a row ---

QSize CSearchResultDelegate::sizeHint(const QStyleOptionViewItem& option,
                                      const QModelIndex&) const {
    const int line = option.fontMetrics.lineSpacing();
    return {option.rect.width(), 3 * line + 2 * kMargin};
}

void CSearchResultDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    QStyleOptionViewItem panel = option;
    initStyleOption(&panel, index);
    panel.text.clear();
    const QStyle* style = panel.widget != nullptr ? panel.widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &panel, painter, panel.widget);

    const bool selected = option.state.testFlag(QStyle::State_Selected);
    const QPalette::ColorGroup group =
        option.state.testFlag(QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
    const QColor text =
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    QColor dim = text;
    dim.setAlphaF(0.6f);
    const QRect area = option.rect.adjusted(kMargin, kMargin, -kMargin, -kMargin);
    const int width = area.width();
    const QFont font = option.font;
    QFont bold = font;
    bold.setBold(true);
    const QFontMetrics metrics(font);
    const QFontMetrics boldMetrics(bold);
    const int lineSpacing = metrics.lineSpacing();

    painter->save();
    painter->setClipRect(option.rect);
    int y = area.top() + metrics.ascent();
    painter->setFont(font);
    painter->setPen(text);
    painter->drawText(
        area.left(), y,
        metrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight, width));
    y += lineSpacing;
    painter->setPen(dim);
    painter->drawText(area.left(), y,
                      metrics.elidedText(index.data(CSearchResultModel::PathRole).toString(),
                                         Qt::ElideLeft, width));
    y += lineSpacing;

    // The matching line: the match in bold and always in view; what is around it gives way.
    const QString line = index.data(CSearchResultModel::LineRole).toString();
    const int start = index.data(CSearchResultModel::MatchStartRole).toInt();
    const int length = index.data(CSearchResultModel::MatchLengthRole).toInt();
    const QString before = line.left(start);
    QString match = line.mid(start, length);
    const QString after = line.mid(start + length);
    QString shownBefore = before;
    QString shownAfter = after;
    const int matchWidth = boldMetrics.horizontalAdvance(match);
    if (metrics.horizontalAdvance(before) + matchWidth + metrics.horizontalAdvance(after) > width) {
        if (matchWidth >= width) {
            match = boldMetrics.elidedText(match, Qt::ElideRight, width);
            shownBefore.clear();
            shownAfter.clear();
        } else {
            const int room = width - matchWidth;
            const int afterWidth = metrics.horizontalAdvance(after);
            const int beforeRoom =
                std::min(metrics.horizontalAdvance(before), std::max(room - afterWidth, room / 3));
            shownBefore = metrics.elidedText(before, Qt::ElideLeft, beforeRoom);
            if (shownBefore == QStringLiteral("…") && !before.isEmpty() && beforeRoom <= 0)
                shownBefore.clear();
            shownAfter = metrics.elidedText(after, Qt::ElideRight,
                                            room - metrics.horizontalAdvance(shownBefore));
        }
    }
    int x = area.left();
    painter->setPen(text);
    painter->setFont(font);
    painter->drawText(x, y, shownBefore);
    x += metrics.horizontalAdvance(shownBefore);
    painter->setFont(bold);
    painter->drawText(x, y, match);
    x += boldMetrics.horizontalAdvance(match);
    painter->setFont(font);
    painter->drawText(x, y, shownAfter);
    painter->restore();
}

// --- The pane ---

CSearchPane::CSearchPane(NoteTreeEngine::CNoteSession& session, CIndexView& tree, QWidget& editor,
                         NoteLayoutEngine::CNoteView& editorView, QWidget* parent)
    : QDockWidget(tr("Find in All Notes"), parent),
      m_session(session),
      m_tree(tree),
      m_editor(editor),
      m_editorView(editorView),
      m_search(session.Search()) {
    setObjectName(QStringLiteral("SearchPane"));
    auto* contents = new QWidget(this);
    m_box = new QLineEdit(contents);
    m_box->setPlaceholderText(tr("Text to find in every note"));
    // A screen reader names a field by its label, and this one has only the placeholder.
    m_box->setAccessibleName(tr("Text to find"));
    m_matchCase = new QCheckBox(tr("Match &case"), contents);
    m_wholeWord = new QCheckBox(tr("Match &whole word only"), contents);
    m_list = new QListView(contents);
    m_list->setModel(&m_model);
    m_list->setItemDelegate(new CSearchResultDelegate(m_list));
    m_list->setUniformItemSizes(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setAccessibleName(tr("Notes found"));
    m_count = new QLabel(contents);
    m_progress = new QLabel(contents);
    m_progress->hide();

    auto* layout = new QVBoxLayout(contents);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->addWidget(m_box);
    layout->addWidget(m_matchCase);
    layout->addWidget(m_wholeWord);
    layout->addWidget(m_list, 1);
    auto* status = new QHBoxLayout;
    status->addWidget(m_count, 1);
    status->addWidget(m_progress);
    layout->addLayout(status);
    contents->setMinimumWidth(220);
    setWidget(contents);

    m_typingTimer.setSingleShot(true);
    m_typingTimer.setInterval(kTypingDelayMilliseconds);
    connect(&m_typingTimer, &QTimer::timeout, this, &CSearchPane::OnTypingTimer);
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(kRefreshDelayMilliseconds);
    connect(&m_refreshTimer, &QTimer::timeout, this, &CSearchPane::OnRefreshTimer);
    connect(m_box, &QLineEdit::textChanged, this, [this] { m_typingTimer.start(); });
    connect(m_matchCase, &QCheckBox::toggled, this, [this] { m_typingTimer.start(); });
    connect(m_wholeWord, &QCheckBox::toggled, this, [this] { m_typingTimer.start(); });
    // While the index changes (the first reading can take seconds) the query shown runs again,
    // but not at every slice of it.
    connect(&m_search, &CNoteSearch::indexChanged, this, [this] {
        if (!m_shownPattern.isEmpty() && !m_refreshTimer.isActive()) m_refreshTimer.start();
    });
    connect(&m_search, &CNoteSearch::progressChanged, this, &CSearchPane::ShowProgress);
    connect(m_list, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { Activate(index.row()); });
    connect(m_list, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { Activate(index.row()); });
    m_box->installEventFilter(this);
    m_list->installEventFilter(this);
    ShowProgress();
}

QString CSearchPane::CountText(size_t count) {
    if (count == 0) return tr("No notes");
    if (count == 1) return tr("1 note");
    // The count picks the plural form where a language has several; the digits are grouped.
    //: Two notes or more; %1 is the number with its digits grouped ("12,345")
    return tr("%1 notes", nullptr, int(std::min<size_t>(count, INT_MAX))).arg(Grouped(count));
}

QString CSearchPane::ProgressText(size_t done, size_t queued) {
    return tr("Indexing notes: %1 of %2").arg(Grouped(done), Grouped(queued));
}

QString CSearchPane::CountLabel() const {
    return m_count->text();
}

QString CSearchPane::ProgressLabel() const {
    return m_progress->isHidden() ? QString() : m_progress->text();
}

void CSearchPane::showEvent(QShowEvent* event) {
    // The clear button's icon is looked up in the icon theme, a few ms of a start that mostly
    // never shows this pane: the button comes with the first show.
    if (!m_box->isClearButtonEnabled()) {
        m_box->setClearButtonEnabled(true);
        // It shows an icon only.
        for (QToolButton* clear : m_box->findChildren<QToolButton*>())
            clear->setAccessibleName(tr("Clear the text to find"));
    }
    QDockWidget::showEvent(event);
}

void CSearchPane::ShowAndFocus() {
    show();
    raise();
    // Results may have changed while the pane was hidden.
    if (!m_box->text().isEmpty()) RunQuery();
    m_box->setFocus(Qt::ShortcutFocusReason);
    m_box->selectAll();
}

void CSearchPane::NotesEdited() {
    if (!isHidden() && !m_shownPattern.isEmpty() && !m_refreshTimer.isActive())
        m_refreshTimer.start();
}

void CSearchPane::OnTypingTimer() {
    m_typingTimer.stop();
    RunQuery();
}

void CSearchPane::OnRefreshTimer() {
    m_refreshTimer.stop();
    // A hidden pane runs its query again when it is shown.
    if (isHidden() || m_shownPattern.isEmpty()) return;
    RunQuery();
}

void CSearchPane::RunQuery() {
    m_shownPattern = m_box->text();
    m_shownOptions = {m_matchCase->isChecked(), m_wholeWord->isChecked()};
    if (m_shownPattern.isEmpty()) {
        m_model.SetRows({});
        m_count->clear();
        return;
    }
    std::vector<CSearchResultModel::Row> rows;
    const NoteTreeEngine::CNoteTree& tree = m_session.Tree();
    for (NoteTreeEngine::CNoteSearchIndex::Result& result :
         m_search.Index().Search(m_shownPattern.toStdU16String(), m_shownOptions)) {
        CSearchResultModel::Row row;
        row.title = ToQString(tree.Title(result.item));
        row.path = PathOf(tree, result.item);
        row.line = ToQString(result.hit.line);
        row.matchStart = int(result.hit.lineOffset);
        row.matchLength = int(result.hit.length);
        row.result = std::move(result);
        rows.push_back(std::move(row));
    }
    m_count->setText(CountText(rows.size()));
    m_model.SetRows(std::move(rows));
}

void CSearchPane::ShowProgress() {
    if (m_search.Index().IsBuilding()) {
        m_progress->setText(ProgressText(m_search.Index().Done(), m_search.Index().Queued()));
        m_progress->show();
    } else {
        m_progress->hide();
    }
}

void CSearchPane::Activate(int row) {
    if (row < 0 || size_t(row) >= m_model.Rows().size()) return;
    const NoteTreeEngine::CNoteSearchIndex::Result& result = m_model.Rows()[size_t(row)].result;
    // The row's item may have gone since the query: found again by note.
    const NoteTreeEngine::TreeItem item = m_search.Index().ItemOf(result.hit.noteId);
    if (item == NoteTreeEngine::TreeItem::None || !m_session.IsLoaded()) return;
    NoteTreeEngine::CNoteTree& tree = m_session.Tree();
    for (NoteTreeEngine::TreeItem parent = tree.Parent(item); parent != NoteTreeEngine::kRootItem;
         parent = tree.Parent(parent))
        tree.SetExpanded(parent, true);
    m_tree.SelectOnly(m_tree.ItemOf(item), SelectCause::Program);
    m_tree.scrollToItem(m_tree.ItemOf(item));
    NoteEditEngine::CNoteDocument* document = m_session.Manager()->FindDocument(item);
    m_editor.setFocus(Qt::OtherFocusReason);
    if (document == nullptr) return;
    // Offset k of the searchable text is element k + 1. The note may have been typed into since
    // the query: the search from there finds the match where it is now, if it still is.
    NoteEditEngine::CNotePosition start;
    NoteEditEngine::CNotePosition end;
    const std::u16string pattern = m_shownPattern.toStdU16String();
    const NoteEditEngine::CNotePosition from = document->FromIndex(int64_t(result.hit.offset));
    if (m_editorView.Search(pattern, from, m_shownOptions.matchCase, m_shownOptions.wholeWord,
                            start, end) &&
        start.Document() == document) {
        m_editorView.SetSelection(start, end, true);
    } else {
        m_editorView.SetCaret(document->Start(), false, true);
    }
}

bool CSearchPane::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDockWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape) {
        m_editor.setFocus(Qt::OtherFocusReason);
        return true;
    }
    if (watched == m_box) {
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter || key->key() == Qt::Key_Down) {
            // Typing fast and pressing Enter: the query must not wait for its timer.
            if (m_typingTimer.isActive()) OnTypingTimer();
            if (m_model.rowCount() == 0) return true;
            const int row = std::max(0, m_list->currentIndex().row());
            if (enter) {
                Activate(row);
            } else {
                m_list->setCurrentIndex(m_model.index(row));
                m_list->setFocus(Qt::OtherFocusReason);
            }
            return true;
        }
    }
    return QDockWidget::eventFilter(watched, event);
}
