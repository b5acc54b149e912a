#pragma once

#include <QAbstractListModel>
#include <QDockWidget>
#include <QString>
#include <QStyledItemDelegate>
#include <QTimer>
#include <vector>

#include "layout/NoteView.h"
#include "session/NoteSession.h"
#include "tree/NoteSearch.h"

class CIndexView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QShowEvent;

// The rows of the search pane: one per matching note, in tree order.
class CSearchResultModel final : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        PathRole = Qt::UserRole + 1,  // the titles of the note's ancestors, " > " between them
        LineRole,                     // the paragraph holding the match
        MatchStartRole,               // where the match starts in the line
        MatchLengthRole,
    };
    struct Row {
        QString title;
        QString path;
        QString line;
        int matchStart = 0;
        int matchLength = 0;
        NoteTreeEngine::CNoteSearchIndex::Result result;
    };

    using QAbstractListModel::QAbstractListModel;
    void SetRows(std::vector<Row> rows);
    [[nodiscard]] const std::vector<Row>& Rows() const noexcept { return m_rows; }
    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<Row> m_rows;
};

// Draws a result in three lines: the title, the place in the tree (dimmed) and the matching line
// with the match in bold, elided so that the match stays in view.
class CSearchResultDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    [[nodiscard]] QSize sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const override;
};

// The dockable pane that finds text in every note of the folder, a view of the session's search
// index and note tree: a search box with the find dialog's two options, the matching notes as
// they are typed, their count, and the progress of the first reading of the folder. Activating a
// result shows that note alone with the match selected.
class CSearchPane final : public QDockWidget {
    Q_OBJECT

public:
    // How long typing may pause before the query runs.
    static constexpr int kTypingDelayMilliseconds = 150;
    // How often, at most, a query shown runs again while the index changes.
    static constexpr int kRefreshDelayMilliseconds = 300;

    // All borrowed; they outlive the pane. The editor is the widget that gets the focus and the
    // note view that shows the notes.
    CSearchPane(NoteTreeEngine::CNoteSession& session, CIndexView& tree, QWidget& editor,
                NoteLayoutEngine::CNoteView& editorView, QWidget* parent = nullptr);

    // "3 notes", "1 note", "No notes".
    [[nodiscard]] static QString CountText(size_t count);
    // "Indexing notes: 1,234 of 10,000".
    [[nodiscard]] static QString ProgressText(size_t done, size_t queued);

    // Shows the pane and puts the focus in the search box, its text selected.
    void ShowAndFocus();
    // Runs the query now (the typing timer's handler).
    void OnTypingTimer();
    // Runs a query shown again, once the index changed (the refresh timer's handler).
    void OnRefreshTimer();
    // Shows the result's note alone, selects the match and gives the editor the focus.
    void Activate(int row);
    // Notes were typed into: a query shown runs again (at most once per refresh delay).
    void NotesEdited();

    [[nodiscard]] CNoteSearch& Search() noexcept { return m_search; }
    [[nodiscard]] CSearchResultModel& Results() noexcept { return m_model; }
    [[nodiscard]] QLineEdit& Box() const noexcept { return *m_box; }
    [[nodiscard]] QCheckBox& MatchCase() const noexcept { return *m_matchCase; }
    [[nodiscard]] QCheckBox& WholeWord() const noexcept { return *m_wholeWord; }
    [[nodiscard]] QListView& List() const noexcept { return *m_list; }
    [[nodiscard]] QString CountLabel() const;
    // Empty once the first reading is over.
    [[nodiscard]] QString ProgressLabel() const;
    [[nodiscard]] QTimer& TypingTimer() noexcept { return m_typingTimer; }
    [[nodiscard]] QTimer& RefreshTimer() noexcept { return m_refreshTimer; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void RunQuery();
    void ShowProgress();

    NoteTreeEngine::CNoteSession& m_session;
    CIndexView& m_tree;
    QWidget& m_editor;
    NoteLayoutEngine::CNoteView& m_editorView;
    CNoteSearch m_search;
    CSearchResultModel m_model;
    QLineEdit* m_box = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_wholeWord = nullptr;
    QListView* m_list = nullptr;
    QLabel* m_count = nullptr;
    QLabel* m_progress = nullptr;
    QTimer m_typingTimer;
    QTimer m_refreshTimer;
    // The query the rows answer, for activation.
    QString m_shownPattern;
    NoteStorage::SearchOptions m_shownOptions;
};
