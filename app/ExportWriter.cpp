#include "app/ExportWriter.h"

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "base/Utf8.h"
#include "editor/PrintLayout.h"
#include "editor/TextScale.h"
#include "storage/FileSystem.h"
#include "storage/NoteExport.h"
#include "storage/PdfOutline.h"

namespace ExportWriter {

namespace {

std::optional<std::string> RenderPdf(const CExportSet& notes, QString& error) {
    const std::vector<NoteEditEngine::CNoteDocument*>& documents = notes.Documents();
    if (documents.empty()) {
        error = QStringLiteral("There are no notes to export.");
        return std::nullopt;
    }
    // Qt's printer writes only to a file; the PDF is finished in memory and written once.
    const QTemporaryDir folder;
    if (!folder.isValid()) {
        error = QStringLiteral("No temporary file could be made for the PDF.");
        return std::nullopt;
    }
    const QString file = folder.filePath(QStringLiteral("export.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setDocName(QStringLiteral("Jotwell"));
    std::vector<int> firstPages;
    bool printed = false;
    {
        // A layout of its own: the editor's caret, scroll and layout stay as they are.
        CPrintLayout layout(documents, NoteEditor::StoredTextSize(), printer);
        printed = layout.Print(printer, nullptr, &firstPages);
    }
    QFile written(file);
    if (!printed || firstPages.size() != documents.size() || !written.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("The PDF could not be made.");
        return std::nullopt;
    }
    const QByteArray bytes = written.readAll();
    std::string pdf(bytes.constData(), size_t(bytes.size()));
    std::vector<NoteStorage::PdfBookmark> bookmarks;
    for (size_t i = 0; i < documents.size(); ++i)
        bookmarks.push_back({notes.Notes()[i].title, notes.Notes()[i].depth, firstPages[i]});
    if (!NoteStorage::AddPdfOutline(pdf, bookmarks)) {
        error = QStringLiteral("The bookmarks could not be added to the PDF.");
        return std::nullopt;
    }
    return pdf;
}

}  // namespace

std::optional<Format> FormatNamed(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "html") return Format::Html;
    if (lower == "markdown" || lower == "md") return Format::Markdown;
    if (lower == "pdf") return Format::Pdf;
    return std::nullopt;
}

std::optional<std::string> Render(const CExportSet& notes, Format format, QString& error) {
    if (format == Format::Pdf) return RenderPdf(notes, error);
    std::u16string text;
    if (format == Format::Html) {
        NoteStorage::WriteHtmlExport(notes.Notes(), text);
    } else {
        NoteStorage::WriteMarkdownExport(notes.Notes(), text);
    }
    return NoteBase::Utf16ToUtf8(text);
}

bool Write(const CExportSet& notes, Format format, const QString& path, QString& error) {
    const std::optional<std::string> bytes = Render(notes, format, error);
    if (!bytes) return false;
    if (!NoteStorage::ReplaceFileContents(std::filesystem::path(path.toStdU16String()), *bytes)) {
        error = QStringLiteral("The file \"%1\" could not be written.").arg(path);
        return false;
    }
    return true;
}

}  // namespace ExportWriter
