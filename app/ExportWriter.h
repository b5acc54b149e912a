#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "app/ExportSet.h"

// Writing an export to its file: HTML and Markdown from the storage writers, PDF through the
// print layout with the notes' titles as bookmarks. Files are written whole and atomically.
namespace ExportWriter {

enum class Format { Html, Markdown, Pdf };

// "html", "markdown" or "md", "pdf" (any case); none for anything else.
[[nodiscard]] std::optional<Format> FormatNamed(std::string_view name);

// The file's bytes, or none with `error` set. The PDF is laid out as Print lays the notes out, at
// the user's text size, on the default printer's paper.
[[nodiscard]] std::optional<std::string> Render(const CExportSet& notes, Format format,
                                                QString& error);

// Renders and replaces the file with the result; false with `error` set, the old file intact.
bool Write(const CExportSet& notes, Format format, const QString& path, QString& error);

}  // namespace ExportWriter
