#pragma once

#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QWidget>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QTabWidget;
class QTextBrowser;
class QTextDocument;

// The help: the HTML pages of the help folder in a browser, beside three tabs: the contents (the
// links of contents.html), the index (the links of keywords.html, narrowed by a filter) and a
// full-text search whose results open their page with the words highlighted.
class CHelpWindow final : public QWidget {
    Q_OBJECT

public:
    // Reads every page of the folder once. A folder without contents.html shows a message in
    // the browser instead of pages.
    explicit CHelpWindow(const QString& helpFolder, QWidget* parent = nullptr);

    // Show the window, raised, on the tab of the Help menu's command.
    void ShowContents();
    void ShowIndex();
    void ShowSearch();

    // Opens "page.html" or "page.html#anchor" of the help folder.
    void OpenPage(const QString& link);
    // The pages holding every word of `words` (case ignored), most hits first; file names. The
    // contents and the index are left out: they only name the topics of the other pages.
    [[nodiscard]] QStringList Search(const QString& words) const;
    // The file names of all pages read.
    [[nodiscard]] QStringList Pages() const { return m_pages.keys(); }

private:
    struct CPage {
        QString title;
        QString text;  // plain text, lower case
    };

    void ReadPages();
    void FillList(QListWidget& list, const QString& page);
    void FilterIndex(const QString& filter);
    void OpenIndexEntry();
    void RunSearch();
    void OpenSearchResult(QListWidgetItem* item);
    // Marks every place of the words in the page shown and scrolls to the first.
    void Highlight(const QStringList& words);
    void ShowTab(QWidget* tab, QWidget* focus);

    QString m_folder;
    QMap<QString, CPage> m_pages;
    QStringList m_searchWords;
    QTabWidget* m_tabs = nullptr;
    QListWidget* m_contents = nullptr;
    QLineEdit* m_indexFilter = nullptr;
    QListWidget* m_index = nullptr;
    QLineEdit* m_searchEdit = nullptr;
    QListWidget* m_results = nullptr;
    QTextBrowser* m_browser = nullptr;
    bool m_placed = false;
};

namespace HelpPages {

struct CLink {
    QString text;
    QString href;
};

// The links of a page, in page order, and the names its anchors define.
[[nodiscard]] QList<CLink> LinksOf(const QTextDocument& page);
[[nodiscard]] QSet<QString> AnchorsOf(const QTextDocument& page);
// Reads a page of the folder into `page`; false when it cannot be read.
bool Load(const QString& folder, const QString& name, QTextDocument& page);

}  // namespace HelpPages
