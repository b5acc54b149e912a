#include "app/ExportCommand.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <memory>

#include "app/ExportSet.h"
#include "storage/NoteFile.h"
#include "storage/NotesFolderStore.h"
#include "ui/MessageBox.h"
#include "ui/WaitCursor.h"

CExportCommand::CExportCommand(QWidget& parent, NoteTreeEngine::CNoteSession& session)
    : m_parent(parent), m_session(session), m_picker(&CExportCommand::PickWithDialog) {}

bool CExportCommand::IsEnabled() const {
    return m_session.IsLoaded() && !m_session.Tree().Selection().empty();
}

std::vector<std::u16string> CExportCommand::Collect(CExportSet& notes) const {
    std::vector<std::u16string> unreadable;
    NoteTreeEngine::CDocumentManager* manager = m_session.Manager();
    const NoteTreeEngine::CNotesFolderStore* store = m_session.Store();
    if (manager == nullptr || store == nullptr) return unreadable;
    const NoteTreeEngine::CNoteTree& tree = m_session.Tree();
    // Top-most selected items only: a note selected inside a selected subtree goes out once.
    for (const NoteTreeEngine::TreeItem top : tree.TopMostSelected()) {
        std::vector<std::pair<NoteTreeEngine::TreeItem, int32_t>> pending{{top, 0}};
        while (!pending.empty()) {
            const auto [item, depth] = pending.back();
            pending.pop_back();
            const std::vector<NoteTreeEngine::TreeItem> children = tree.Children(item);
            for (auto child = children.rbegin(); child != children.rend(); ++child)
                pending.emplace_back(*child, depth + 1);
            std::u16string title = tree.Title(item);
            if (NoteEditEngine::CNoteDocument* shown = manager->FindDocument(item)) {
                notes.AddBorrowed(std::move(title), depth, *shown);
                continue;
            }
            auto document = std::make_unique<NoteEditEngine::CNoteDocument>();
            const std::filesystem::path path = store->NoteFilePath(tree.Record(item));
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
                         QCoreApplication::translate(
                             "CExportCommand", "The notes could not be exported to \"%1\".\n%2")
                             .arg(QDir::toNativeSeparators(target->path), error),
                         QMessageBox::Warning);
        return;
    }
    if (!unreadable.empty()) {
        QStringList titles;
        for (const std::u16string& title : unreadable)
            titles << QString::fromStdU16String(title);
        MessageBox::Show(
            &m_parent,
            QCoreApplication::translate("CExportCommand",
                                        "These notes could not be read and were exported empty: %1",
                                        nullptr, int(titles.size()))
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
    QFileDialog dialog(parent, QCoreApplication::translate("CExportCommand", "Export"));
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
