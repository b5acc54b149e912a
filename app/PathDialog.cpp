#include "app/PathDialog.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "ui/MessageBox.h"

namespace {

// Asks and tells with message boxes captioned "Jotwell".
class CBoxQuestions final : public PathCheck::CPathQuestions {
public:
    explicit CBoxQuestions(QWidget* parent) : m_parent(parent) {}

    bool Ask(std::u16string_view text) override {
        return MessageBox::AskYesNo(m_parent, ToQString(text), QStringLiteral("Jotwell"),
                                    QMessageBox::Question, QMessageBox::Yes);
    }
    void ShowError(std::u16string_view text) override {
        MessageBox::Show(m_parent, ToQString(text), QMessageBox::Warning);
    }
    std::u16string Translate(const char* text) override {
        return QCoreApplication::translate("PathCheck", text).toStdU16String();
    }

private:
    static QString ToQString(std::u16string_view text) {
        return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
    }
    QWidget* m_parent;
};

// The nearest folder at or above `path` that exists; "" when there is none.
QString NearestExistingFolder(QString path) {
    while (!path.isEmpty()) {
        if (QFileInfo(path).isDir()) return path;
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        if (slash < 0) return {};
        path = slash == 0 ? QStringLiteral("/") : path.left(slash);
        if (path == QLatin1String("/")) return path;
    }
    return {};
}

}  // namespace

CPathDialog::CPathDialog(const QString& caption, const QString& prompt, const QString& initialPath,
                         QWidget* parent)
    : QDialog(parent), m_initialPath(initialPath) {
    setWindowTitle(caption);
    m_prompt = new QLabel(prompt, this);
    m_prompt->setWordWrap(true);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("pathEdit"));
    m_model = new QFileSystemModel(this);
    // Dot folders stay out of the way unless the folder to start from lies inside one.
    const bool hidden = initialPath.contains(QLatin1String("/."));
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot |
                       (hidden ? QDir::Hidden : QDir::Filters()));
    m_model->setRootPath(QStringLiteral("/"));
    m_tree = new QTreeView(this);
    m_tree->setModel(m_model);
    for (int column = 1; column < m_model->columnCount(); ++column)
        m_tree->hideColumn(column);
    m_tree->header()->hide();
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_prompt);
    layout->addWidget(m_edit);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_buttons);
    resize(420, 460);

    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { OnFolderSelected(current); });
    connect(m_edit, &QLineEdit::textEdited, this, &CPathDialog::OnEditChanged);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CPathDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &CPathDialog::reject);
    SelectInitialPath();
}

CPathDialog::~CPathDialog() = default;

QPushButton* CPathDialog::OkButton() const {
    return m_buttons->button(QDialogButtonBox::Ok);
}

void CPathDialog::SelectInitialPath() {
    m_accepted = false;
    m_path.clear();
    m_edit->clear();
    OkButton()->setEnabled(false);
    const QString start = m_initialPath.isEmpty() ? QDir::homePath() : m_initialPath;
    const QString existing = NearestExistingFolder(start);
    if (!existing.isEmpty()) {
        const QModelIndex index = m_model->index(existing);
        m_tree->setCurrentIndex(index);
        m_tree->scrollTo(index);
        // Selecting the folder that was already current reports no change.
        OnFolderSelected(index);
    }
    // A suggestion that does not exist yet stands in the edit box as it was given.
    if (!m_initialPath.isEmpty() && existing != m_initialPath) OnEditChanged(m_initialPath);
    m_edit->setFocus();
}

void CPathDialog::OnFolderSelected(const QModelIndex& index) {
    // Only a folder with an absolute path can be confirmed.
    const QString path = index.isValid() ? m_model->filePath(index) : QString();
    const bool valid = path.startsWith(QLatin1Char('/'));
    m_edit->setText(valid ? path : QString());
    m_path = m_edit->text();
    OkButton()->setEnabled(valid);
}

void CPathDialog::OnEditChanged(const QString& text) {
    if (m_edit->text() != text) m_edit->setText(text);
    m_path = text;
    OkButton()->setEnabled(!text.isEmpty());
}

void CPathDialog::accept() {
    if (!OkButton()->isEnabled()) return;
    m_path = m_edit->text();
    CBoxQuestions boxes(this);
    PathCheck::CPathQuestions& questions = m_questions ? *m_questions : boxes;
    if (PathCheck::MakeSurePathExists(m_path.toStdU16String(), questions) !=
        PathCheck::EnsureResult::Exists) {
        m_edit->setFocus();
        return;
    }
    m_accepted = true;
    QDialog::accept();
}

int CPathDialog::Run() {
    exec();
    return m_accepted ? 1 : -1;
}

std::u16string CPathDialog::PickFolder(std::u16string_view caption, std::u16string_view prompt) {
    setWindowTitle(QString::fromUtf16(caption.data(), static_cast<qsizetype>(caption.size())));
    m_prompt->setText(QString::fromUtf16(prompt.data(), static_cast<qsizetype>(prompt.size())));
    SelectInitialPath();
    return Run() == 1 ? m_path.toStdU16String() : std::u16string();
}

PathCheck::EnsureResult CPathDialog::MakeSurePathExists(const QString& path, QWidget* parent) {
    CBoxQuestions boxes(parent);
    return PathCheck::MakeSurePathExists(path.toStdU16String(), boxes);
}
