#include "app/HelpWindow.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QIcon>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

namespace HelpPages {

QList<CLink> LinksOf(const QTextDocument& page) {
    QList<CLink> links;
    // A link whose text changes format (bold inside it) comes as several fragments in a row.
    bool inLink = false;
    for (QTextBlock block = page.begin(); block.isValid(); block = block.next()) {
        inLink = false;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            const QString href = format.isAnchor() ? format.anchorHref() : QString();
            if (href.isEmpty()) {
                inLink = false;
                continue;
            }
            if (inLink && links.last().href == href)
                links.last().text += it.fragment().text();
            else
                links.append({it.fragment().text(), href});
            inLink = true;
        }
    }
    for (CLink& link : links)
        link.text = link.text.simplified();
    return links;
}

QSet<QString> AnchorsOf(const QTextDocument& page) {
    QSet<QString> names;
    for (QTextBlock block = page.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            for (const QString& name : it.fragment().charFormat().anchorNames())
                names.insert(name);
    return names;
}

bool Load(const QString& folder, const QString& name, QTextDocument& page) {
    QFile file(QDir(folder).filePath(name));
    if (!file.open(QIODevice::ReadOnly)) return false;
    page.setHtml(QString::fromUtf8(file.readAll()));
    return true;
}

}  // namespace HelpPages

namespace {

constexpr auto kContentsPage = "contents.html";
constexpr auto kIndexPage = "keywords.html";
constexpr int kLinkRole = Qt::UserRole;

QStringList WordsOf(const QString& text) {
    return text.toLower().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

}  // namespace

CHelpWindow::CHelpWindow(const QString& helpFolder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_folder(helpFolder) {
    setWindowTitle(tr("Jotwell Help"));
    resize(900, 620);

    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("tabs"));

    m_contents = new QListWidget;
    m_contents->setObjectName(QStringLiteral("contents"));
    m_tabs->addTab(m_contents, tr("Contents"));

    auto* indexTab = new QWidget;
    auto* indexLayout = new QVBoxLayout(indexTab);
    m_indexFilter = new QLineEdit;
    m_indexFilter->setObjectName(QStringLiteral("indexFilter"));
    m_indexFilter->setPlaceholderText(tr("Type a keyword"));
    m_index = new QListWidget;
    m_index->setObjectName(QStringLiteral("index"));
    indexLayout->addWidget(m_indexFilter);
    indexLayout->addWidget(m_index);
    m_tabs->addTab(indexTab, tr("Index"));

    auto* searchTab = new QWidget;
    auto* searchLayout = new QVBoxLayout(searchTab);
    auto* searchRow = new QHBoxLayout;
    m_searchEdit = new QLineEdit;
    m_searchEdit->setObjectName(QStringLiteral("searchEdit"));
    m_searchEdit->setPlaceholderText(tr("Words to find"));
    auto* searchButton = new QPushButton(tr("&Search"));
    searchButton->setObjectName(QStringLiteral("searchButton"));
    searchRow->addWidget(m_searchEdit);
    searchRow->addWidget(searchButton);
    m_results = new QListWidget;
    m_results->setObjectName(QStringLiteral("searchResults"));
    searchLayout->addLayout(searchRow);
    searchLayout->addWidget(m_results);
    m_tabs->addTab(searchTab, tr("Search"));

    auto* pageSide = new QWidget;
    auto* pageLayout = new QVBoxLayout(pageSide);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    auto* buttons = new QHBoxLayout;
    auto* back = new QToolButton;
    back->setText(tr("Back"));
    back->setIcon(QIcon::fromTheme(QStringLiteral("go-previous")));
    back->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto* forward = new QToolButton;
    forward->setText(tr("Forward"));
    forward->setIcon(QIcon::fromTheme(QStringLiteral("go-next")));
    forward->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto* home = new QToolButton;
    home->setText(tr("Contents"));
    home->setIcon(QIcon::fromTheme(QStringLiteral("go-home")));
    home->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addWidget(home);
    buttons->addStretch();
    m_browser = new QTextBrowser;
    m_browser->setObjectName(QStringLiteral("browser"));
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(false);
    m_browser->setSearchPaths({m_folder});
    pageLayout->addLayout(buttons);
    pageLayout->addWidget(m_browser);

    auto* splitter = new QSplitter;
    splitter->addWidget(m_tabs);
    splitter->addWidget(pageSide);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 640});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);

    connect(back, &QToolButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QToolButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QToolButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QToolButton::setEnabled);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(home, &QToolButton::clicked, this, [this] { OpenPage(kContentsPage); });
    // A page reached any other way than from the search results shows no highlight.
    connect(m_browser, &QTextBrowser::sourceChanged, this,
            [this] { m_browser->setExtraSelections({}); });
    connect(m_contents, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { OpenPage(item->data(kLinkRole).toString()); });
    connect(m_contents, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { OpenPage(item->data(kLinkRole).toString()); });
    connect(m_indexFilter, &QLineEdit::textChanged, this, &CHelpWindow::FilterIndex);
    connect(m_indexFilter, &QLineEdit::returnPressed, this, &CHelpWindow::OpenIndexEntry);
    connect(m_index, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { OpenPage(item->data(kLinkRole).toString()); });
    connect(m_index, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { OpenPage(item->data(kLinkRole).toString()); });
    connect(m_searchEdit, &QLineEdit::returnPressed, this, &CHelpWindow::RunSearch);
    connect(searchButton, &QPushButton::clicked, this, &CHelpWindow::RunSearch);
    connect(m_results, &QListWidget::itemActivated, this, &CHelpWindow::OpenSearchResult);
    connect(m_results, &QListWidget::itemClicked, this, &CHelpWindow::OpenSearchResult);

    ReadPages();
    if (!m_pages.contains(kContentsPage)) {
        m_browser->setPlainText(
            tr("The help pages could not be found in %1.").arg(QDir::toNativeSeparators(m_folder)));
        return;
    }
    m_contents->addItem(m_pages[kContentsPage].title);
    m_contents->item(0)->setData(kLinkRole, QString::fromLatin1(kContentsPage));
    FillList(*m_contents, kContentsPage);
    FillList(*m_index, kIndexPage);
    OpenPage(kContentsPage);
}

void CHelpWindow::ReadPages() {
    const QStringList names = QDir(m_folder).entryList({QStringLiteral("*.html")}, QDir::Files);
    for (const QString& name : names) {
        QTextDocument page;
        if (!HelpPages::Load(m_folder, name, page)) continue;
        QString title = page.metaInformation(QTextDocument::DocumentTitle);
        m_pages.insert(name, {title.isEmpty() ? name : title, page.toPlainText().toLower()});
    }
}

void CHelpWindow::FillList(QListWidget& list, const QString& page) {
    QTextDocument document;
    if (!HelpPages::Load(m_folder, page, document)) return;
    for (const HelpPages::CLink& link : HelpPages::LinksOf(document)) {
        auto* item = new QListWidgetItem(link.text, &list);
        item->setData(kLinkRole, link.href);
    }
}

void CHelpWindow::FilterIndex(const QString& filter) {
    const QString wanted = filter.simplified();
    QListWidgetItem* first = nullptr;
    for (int row = 0; row < m_index->count(); ++row) {
        QListWidgetItem* item = m_index->item(row);
        const bool shown = item->text().contains(wanted, Qt::CaseInsensitive);
        item->setHidden(!shown);
        if (shown && first == nullptr) first = item;
    }
    m_index->setCurrentItem(first);
}

void CHelpWindow::OpenIndexEntry() {
    if (QListWidgetItem* item = m_index->currentItem(); item != nullptr && !item->isHidden())
        OpenPage(item->data(kLinkRole).toString());
}

void CHelpWindow::OpenPage(const QString& link) {
    const QString page = link.section(u'#', 0, 0);
    if (!m_pages.contains(page)) return;
    QUrl url = QUrl::fromLocalFile(QDir(m_folder).filePath(page));
    const QString anchor = link.section(u'#', 1);
    if (!anchor.isEmpty()) url.setFragment(anchor);
    m_browser->setSource(url);
}

QStringList CHelpWindow::Search(const QString& words) const {
    const QStringList wanted = WordsOf(words);
    if (wanted.isEmpty()) return {};
    QList<QPair<qsizetype, QString>> hits;
    for (auto it = m_pages.cbegin(); it != m_pages.cend(); ++it) {
        // The contents and the index only name the topics of the other pages.
        if (it.key() == QLatin1String(kContentsPage) || it.key() == QLatin1String(kIndexPage))
            continue;
        qsizetype count = 0;
        bool all = true;
        for (const QString& word : wanted) {
            const qsizetype n = it.value().text.count(word);
            all = all && n > 0;
            count += n;
        }
        if (all) hits.append({count, it.key()});
    }
    std::stable_sort(hits.begin(), hits.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    QStringList pages;
    for (const auto& hit : hits)
        pages.append(hit.second);
    return pages;
}

void CHelpWindow::RunSearch() {
    m_results->clear();
    m_searchWords = WordsOf(m_searchEdit->text());
    if (m_searchWords.isEmpty()) return;
    const QStringList pages = Search(m_searchEdit->text());
    if (pages.isEmpty()) {
        auto* none =
            new QListWidgetItem(tr("No page holds \"%1\".").arg(m_searchEdit->text()), m_results);
        none->setFlags(Qt::NoItemFlags);
        return;
    }
    for (const QString& page : pages) {
        auto* item = new QListWidgetItem(m_pages[page].title, m_results);
        item->setData(kLinkRole, page);
    }
    m_results->setCurrentRow(0);
}

void CHelpWindow::OpenSearchResult(QListWidgetItem* item) {
    if (item == nullptr || item->data(kLinkRole).toString().isEmpty()) return;
    OpenPage(item->data(kLinkRole).toString());
    Highlight(m_searchWords);
}

void CHelpWindow::Highlight(const QStringList& words) {
    QList<QTextEdit::ExtraSelection> marks;
    QTextDocument* document = m_browser->document();
    QTextCursor first;
    for (const QString& word : words) {
        for (QTextCursor found = document->find(word); !found.isNull();
             found = document->find(word, found)) {
            QTextEdit::ExtraSelection mark;
            mark.cursor = found;
            mark.format.setBackground(QColor(255, 230, 90));
            marks.append(mark);
            if (first.isNull() || found.position() < first.position()) first = found;
        }
    }
    m_browser->setExtraSelections(marks);
    if (!first.isNull()) {
        first.clearSelection();
        m_browser->setTextCursor(first);
        m_browser->ensureCursorVisible();
    }
}

void CHelpWindow::ShowTab(QWidget* tab, QWidget* focus) {
    m_tabs->setCurrentWidget(tab);
    // The first time, over the middle of the main window; later where the user left it.
    if (!m_placed && parentWidget() != nullptr) {
        QRect frame(QPoint(), size());
        frame.moveCenter(parentWidget()->frameGeometry().center());
        move(frame.topLeft());
        m_placed = true;
    }
    show();
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
    focus->setFocus();
}

void CHelpWindow::ShowContents() {
    OpenPage(kContentsPage);
    ShowTab(m_contents, m_contents);
}

void CHelpWindow::ShowIndex() {
    ShowTab(m_index->parentWidget(), m_indexFilter);
}

void CHelpWindow::ShowSearch() {
    ShowTab(m_results->parentWidget(), m_searchEdit);
}
