#include "app/ExportCommand.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <memory>

#include "app/ExportSet.h"
#include "storage/NoteFile.h"
#include "storage/NotesFolderStore.h"
#include "tree/IndexView.h"
#include "ui/MessageBox.h"
#include "ui/WaitCursor.h"

CExportCommand::CExportCommand(QWidget& parent, CIndexView& tree)
    : m_parent(parent), m_tree(tree), m_picker(&CExportCommand::PickWithDialog) {}

bool CExportCommand::IsEnabled() const {
    return m_tree.IsLoaded() && !m_tree.SelectedList().empty();
}

std::vector<std::u16string> CExportCommand::Collect(CExportSet& notes) const {
    std::vector<std::u16string> unreadable;
    NoteTreeEngine::CDocumentManager* manager = m_tree.Manager();
    const NoteTreeEngine::CNotesFolderStore* store = m_tree.Store();
    if (manager == nullptr || store == nullptr) return unreadable;
    // Top-most selected items only: a note selected inside a selected subtree goes out once.
    for (QTreeWidgetItem* top : m_tree.CollectTopMostSelected()) {
        std::vector<std::pair<QTreeWidgetItem*, int32_t>> pending{{top, 0}};
        while (!pending.empty()) {
            const auto [item, depth] = pending.back();
            pending.pop_back();
            for (int i = item->childCount() - 1; i >= 0; --i)
                pending.emplace_back(item->child(i), depth + 1);
            std::u16string title = item->text(0).toStdU16String();
            const NoteTreeEngine::TreeItem handle = CIndexView::Handle(item);
            if (NoteEditEngine::CNoteDocument* shown = manager->FindDocument(handle)) {
                notes.AddBorrowed(std::move(title), depth, *shown);
                continue;
            }
            auto document = std::make_unique<NoteEditEngine::CNoteDocument>();
            const std::filesystem::path path = store->NoteFilePath(m_tree.RecordOf(item));
            if (path.empty() || NoteStorage::LoadNoteFile(store->Files(), path, *document) !=
                                    NoteStorage::NoteFileRead::Read) {
                unreadable.push_back(title);
            }
            notes.AddOwned(std::move(title), depth, std::move(document));
        }
    }
    return unreadable;
}

void CExportCommand::Run() {
    if (!IsEnabled()) return;
    const std::optional<Target> target = m_picker(&m_parent);
    if (!target) return;
    CExportSet notes;
    std::vector<std::u16string> unreadable;
    QString error;
    bool written = false;
    {
        CWaitCursor wait;
        unreadable = Collect(notes);
        written = ExportWriter::Write(notes, target->format, target->path, error);
    }
    if (!written) {
        MessageBox::Show(&m_parent,
                         QStringLiteral("The notes could not be exported to \"%1\".\n%2")
                             .arg(QDir::toNativeSeparators(target->path), error),
                         QMessageBox::Warning);
        return;
    }
    if (!unreadable.empty()) {
        QStringList titles;
        for (const std::u16string& title : unreadable)
            titles << QString::fromStdU16String(title);
        MessageBox::Show(&m_parent,
                         QStringLiteral("These notes could not be read and were exported empty: "
                                        "%1")
                             .arg(titles.join(QStringLiteral(", "))),
                         QMessageBox::Warning);
    }
}

CExportCommand::Target CExportCommand::TargetFor(const QString& path,
                                                 ExportWriter::Format filterFormat) {
    const QString suffix = QFileInfo(path).suffix();
    for (const ExportWriter::FormatRow& row : ExportWriter::Formats())
        for (const std::string_view extension : row.extensions)
            if (!extension.empty() &&
                suffix.compare(QLatin1String(extension.data(), extension.size()),
                               Qt::CaseInsensitive) == 0)
                return {path, row.format};
    const std::string_view added = ExportWriter::RowOf(filterFormat).extensions[0];
    return {path + QLatin1Char('.') + QLatin1String(added.data(), added.size()), filterFormat};
}

std::optional<CExportCommand::Target> CExportCommand::PickWithDialog(QWidget* parent) {
    // The folder of the last export in this session, else the user's documents.
    static QString lastFolder;
    QFileDialog dialog(parent, QStringLiteral("Export"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDirectory(lastFolder.isEmpty()
                            ? QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)
                            : lastFolder);
    const auto suffixOf = [](const ExportWriter::FormatRow& row) {
        return QLatin1String(row.extensions[0].data(), row.extensions[0].size());
    };
    QStringList filters;
    for (const ExportWriter::FormatRow& row : ExportWriter::Formats())
        filters << ExportWriter::DialogFilter(row);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(suffixOf(ExportWriter::Formats().front()));
    // The suffix the dialog adds, and the name whose replacement it confirms, follow the filter.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, suffixOf](const QString& name) {
                         for (const ExportWriter::FormatRow& row : ExportWriter::Formats())
                             if (name == ExportWriter::DialogFilter(row))
                                 dialog.setDefaultSuffix(suffixOf(row));
                     });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    ExportWriter::Format format = ExportWriter::Formats().front().format;
    const QString chosen = dialog.selectedNameFilter();
    for (const ExportWriter::FormatRow& row : ExportWriter::Formats())
        if (chosen == ExportWriter::DialogFilter(row)) format = row.format;
    const Target target = TargetFor(dialog.selectedFiles().front(), format);
    lastFolder = QFileInfo(target.path).absolutePath();
    return target;
}
