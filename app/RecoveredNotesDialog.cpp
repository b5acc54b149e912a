#include "app/RecoveredNotesDialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

CRecoveredNotesDialog::CRecoveredNotesDialog(
    const std::vector<NoteTreeEngine::CRecoveredNote>& notes, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("Recovered Notes"));
    auto* label = new QLabel(tr("These notes could not be saved when Jotwell last "
                                "ended. Choose the ones to bring back into the tree."),
                             this);
    label->setWordWrap(true);
    m_list = new QListWidget(this);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (const NoteTreeEngine::CRecoveredNote& note : notes) {
        const QString title = QString::fromStdU16String(note.title);
        const QString when = note.readable
                                 ? QLocale().toString(QDateTime::fromSecsSinceEpoch(note.modified),
                                                      QLocale::ShortFormat)
                                 : tr("cannot be read as a note");
        auto* row = new QListWidgetItem(tr("%1 \u2014 %2").arg(title, when), m_list);
        // A file that is no note stays listed, so that nobody wonders where it went.
        if (!note.readable) row->setFlags(Qt::NoItemFlags);
        m_paths.push_back(note.path);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    m_bringBack = buttons->addButton(tr("&Bring Back"), QDialogButtonBox::AcceptRole);
    m_bringBack->setEnabled(false);
    connect(m_list, &QListWidget::itemSelectionChanged, this,
            [this] { m_bringBack->setEnabled(!m_list->selectedItems().isEmpty()); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    resize(480, 320);
}

std::vector<std::filesystem::path> CRecoveredNotesDialog::Chosen() const {
    std::vector<std::filesystem::path> chosen;
    for (int row = 0; row < m_list->count(); ++row)
        if (m_list->item(row)->isSelected()) chosen.push_back(m_paths[size_t(row)]);
    return chosen;
}
