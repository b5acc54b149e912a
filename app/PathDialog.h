#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <string_view>

#include "app/PathCheck.h"
#include "storage/FolderPicker.h"

class QDialogButtonBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QTreeView;

// The folder picker: a folder tree with an edit box above it in which a path can be typed. OK
// accepts only a folder that exists or that the user agrees to have created (with every missing
// level); anything else keeps the dialog open with the focus in the edit box.
class CPathDialog final : public QDialog, public NoteTreeEngine::CFolderPicker {
    Q_OBJECT

public:
    // `initialPath` is selected in the tree when it exists; a suggestion that does not exist yet
    // is typed into the edit box (its nearest existing folder selected), so that Enter takes it.
    // Without one the home folder is selected. Dot folders are listed only when `initialPath`
    // lies inside one.
    CPathDialog(const QString& caption, const QString& prompt, const QString& initialPath = {},
                QWidget* parent = nullptr);
    ~CPathDialog() override;

    // Shows the dialog modally: 1 (OK) when a valid path was confirmed, else -1.
    int Run();
    // The chosen path (what the edit box held when OK was accepted).
    [[nodiscard]] QString Path() const { return m_path; }

    // The folder picker of the notes folder commands: the chosen folder, "" when cancelled.
    [[nodiscard]] std::u16string PickFolder(std::u16string_view caption,
                                            std::u16string_view prompt) override;

    // The check that OK and start-up run, asking and telling with message boxes over `parent`.
    static PathCheck::EnsureResult MakeSurePathExists(const QString& path, QWidget* parent);

    // Replaces the message boxes (for tests); null restores them. Not owned.
    void SetQuestions(PathCheck::CPathQuestions* questions) { m_questions = questions; }

    [[nodiscard]] QLineEdit* Edit() const { return m_edit; }
    [[nodiscard]] QTreeView* Tree() const { return m_tree; }
    [[nodiscard]] QPushButton* OkButton() const;

    void accept() override;

private:
    void SelectInitialPath();
    void OnFolderSelected(const QModelIndex& index);
    void OnEditChanged(const QString& text);

    QString m_initialPath;
    QString m_path;
    bool m_accepted = false;
    QLabel* m_prompt = nullptr;
    QLineEdit* m_edit = nullptr;
    QTreeView* m_tree = nullptr;
    QFileSystemModel* m_model = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    PathCheck::CPathQuestions* m_questions = nullptr;
};
