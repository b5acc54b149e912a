#pragma once

#include <QDialog>
#include <filesystem>
#include <vector>

#include "session/NoteSession.h"

class QListWidget;
class QPushButton;

// Note > Recovered Notes...: the recovered notes, each with its title and the date of its last
// change, of which the user chooses any number to bring back. A file that is no note is listed
// greyed out and cannot be chosen.
class CRecoveredNotesDialog final : public QDialog {
    Q_OBJECT

public:
    // `notes` in the order listed, as CNoteSession::RecoveredNotes gives them.
    CRecoveredNotesDialog(const std::vector<NoteTreeEngine::CRecoveredNote>& notes,
                          QWidget* parent = nullptr);

    // The chosen notes' files, in the list's order.
    [[nodiscard]] std::vector<std::filesystem::path> Chosen() const;
    // The list and the button that accepts the choice, for tests to drive.
    [[nodiscard]] QListWidget& List() const noexcept { return *m_list; }
    [[nodiscard]] QPushButton& BringBackButton() const noexcept { return *m_bringBack; }

private:
    std::vector<std::filesystem::path> m_paths;  // by row
    QListWidget* m_list = nullptr;
    QPushButton* m_bringBack = nullptr;
};
