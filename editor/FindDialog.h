#pragma once

#include <QDialog>

#include "editor/FindReplace.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The modeless Find and Find and Replace dialog of the editor pane. It lives as long as the pane
// and is only shown and hidden; Close and Escape hide it.
class CFindDialog final : public QDialog {
    Q_OBJECT

public:
    CFindDialog(NoteLayoutEngine::CNoteView& view, QWidget* parent);

    void ShowFind();
    void ShowFindReplace();
    void FindNext();
    void ReplaceOne();
    void ReplaceAll();
    [[nodiscard]] bool HasSearchText() const;
    [[nodiscard]] bool IsFindLayout() const noexcept { return m_findLayout; }

    // The controls, for tests and for the keyboard.
    QLineEdit& FindWhat() const noexcept { return *m_findWhat; }
    QLineEdit& ReplaceWith() const noexcept { return *m_replaceWith; }
    QCheckBox& WholeWord() const noexcept { return *m_wholeWord; }
    QCheckBox& MatchCase() const noexcept { return *m_matchCase; }

private:
    void SetLayout(bool find);
    void Show(bool find, const QString& initial);
    void UpdateButtons();

    CFindReplace m_logic;
    bool m_findLayout = false;
    QLineEdit* m_findWhat = nullptr;
    QLineEdit* m_replaceWith = nullptr;
    QLabel* m_replaceLabel = nullptr;
    QCheckBox* m_wholeWord = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QPushButton* m_findNext = nullptr;
    QPushButton* m_replace = nullptr;
    QPushButton* m_replaceAll = nullptr;
    QPushButton* m_close = nullptr;
};
