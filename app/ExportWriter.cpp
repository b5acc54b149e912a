#include "app/ExportWriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QPrinter>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cctype>
#include <filesystem>

#include "app/PdfOutline.h"
#include "base/Utf8.h"
#include "editor/PrintLayout.h"
#include "editor/TextScale.h"
#include "storage/FileSystem.h"
#include "storage/NoteExport.h"

namespace ExportWriter {

namespace {

std::optional<std::string> RenderPdf(const CExportSet& notes, QString& error) {
    const std::vector<NoteEditEngine::CNoteDocument*>& documents = notes.Documents();
    if (documents.empty()) {
        error = QCoreApplication::translate("ExportWriter", "There are no notes to export.");
        return std::nullopt;
    }
    // Qt's printer writes only to a file; the PDF is finished in memory and written once.
    const QTemporaryDir folder;
    if (!folder.isValid()) {
        error = QCoreApplication::translate("ExportWriter",
                                            "No temporary file could be made for the PDF.");
        return std::nullopt;
    }
    const QString file = folder.filePath(QStringLiteral("export.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setDocName(QStringLiteral("Jotwell"));
    std::vector<int> firstPages;
    std::vector<CPrintLayout::Link> printedLinks;
    bool printed = false;
    {
        // A layout of its own: the editor's caret, scroll and layout stay as they are.
        CPrintLayout layout(documents, NoteEditor::StoredTextSize(), printer);
        printed = layout.Print(printer, nullptr, &firstPages, &printedLinks);
    }
    QFile written(file);
    if (!printed || firstPages.size() != documents.size() || !written.open(QIODevice::ReadOnly)) {
        error = QCoreApplication::translate("ExportWriter", "The PDF could not be made.");
        return std::nullopt;
    }
    const QByteArray bytes = written.readAll();
    std::string pdf(bytes.constData(), size_t(bytes.size()));
    std::vector<PdfBookmark> bookmarks;
    for (size_t i = 0; i < documents.size(); ++i)
        bookmarks.push_back({notes.Notes()[i].title, notes.Notes()[i].depth, firstPages[i]});
    std::vector<PdfLink> links;
    for (const CPrintLayout::Link& link : printedLinks)
        links.push_back({link.page, link.box.left(), link.box.top(), link.box.width(),
                         link.box.height(), link.target.toStdString()});
    if (!AddPdfOutlineFromModule(pdf, bookmarks, links)) {
        error = QCoreApplication::translate("ExportWriter",
                                            "The bookmarks could not be added to the PDF.");
        return std::nullopt;
    }
    return pdf;
}

// The text formats, from the storage writers.
template <void (*write)(const std::vector<NoteStorage::ExportNote>&, std::u16string&)>
std::optional<std::string> RenderText(const CExportSet& notes, QString& /*error*/) {
    std::u16string text;
    write(notes.Notes(), text);
    return NoteBase::Utf16ToUtf8(text);
}

constexpr FormatRow kFormats[] = {
    {Format::Html, "HTML", {"html"}, {"html", "htm"}, RenderText<NoteStorage::WriteHtmlExport>},
    {Format::Markdown,
     "Markdown",
     {"markdown", "md"},
     {"md", "markdown"},
     RenderText<NoteStorage::WriteMarkdownExport>},
    {Format::Pdf, "PDF", {"pdf"}, {"pdf"}, RenderPdf},
};

}  // namespace

std::span<const FormatRow> Formats() noexcept {
    return kFormats;
}

const FormatRow& RowOf(Format format) noexcept {
    for (const FormatRow& row : kFormats)
        if (row.format == format) return row;
    return kFormats[0];
}

QString DialogFilter(const FormatRow& row) {
    QStringList patterns;
    for (const std::string_view extension : row.extensions)
        if (!extension.empty())
            patterns << QStringLiteral("*.") + QLatin1String(extension.data(), extension.size());
    return QStringLiteral("%1 (%2)").arg(QLatin1String(row.label.data(), row.label.size()),
                                         patterns.join(QLatin1Char(' ')));
}

std::optional<Format> FormatNamed(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const FormatRow& row : kFormats)
        if (!lower.empty() && std::ranges::find(row.names, lower) != row.names.end())
            return row.format;
    return std::nullopt;
}

std::optional<std::string> Render(const CExportSet& notes, Format format, QString& error) {
    return RowOf(format).render(notes, error);
}

bool Write(const CExportSet& notes, Format format, const QString& path, QString& error) {
    const std::optional<std::string> bytes = Render(notes, format, error);
    if (!bytes) return false;
    if (!NoteStorage::ReplaceFileContents(std::filesystem::path(path.toStdU16String()), *bytes)) {
        error = QCoreApplication::translate("ExportWriter", "The file \"%1\" could not be written.")
                    .arg(path);
        return false;
    }
    return true;
}

}  // namespace ExportWriter
