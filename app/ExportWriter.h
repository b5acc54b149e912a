#pragma once

#include <QString>
#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/ExportSet.h"

// Writing an export to its file: HTML and Markdown from the storage writers, PDF through the
// print layout with the notes' titles as bookmarks. Files are written whole and atomically.
namespace ExportWriter {

enum class Format { Html, Markdown, Pdf };

// One export format. The save dialog, the command line and its usage text read these rows; a
// new format is a row (ExportWriter.cpp) and its lines in the help page (data/help/export.html).
struct FormatRow {
    Format format;
    std::string_view label;                      // the dialog's name for the type of file
    std::array<std::string_view, 2> names;       // on the command line, any case; "" for none
    std::array<std::string_view, 2> extensions;  // the first is added to a name without one
    // The file's bytes, or none with the error set.
    std::optional<std::string> (*render)(const CExportSet& notes, QString& error);
};

// Every format, in the order the dialog offers them; the first is the dialog's default.
[[nodiscard]] std::span<const FormatRow> Formats() noexcept;
[[nodiscard]] const FormatRow& RowOf(Format format) noexcept;
// The save dialog's filter: "HTML (*.html *.htm)".
[[nodiscard]] QString DialogFilter(const FormatRow& row);

// A format's command-line name (any case); none for anything else.
[[nodiscard]] std::optional<Format> FormatNamed(std::string_view name);

// The file's bytes, or none with `error` set. The PDF is laid out as Print lays the notes out, at
// the user's text size, on the default printer's paper.
[[nodiscard]] std::optional<std::string> Render(const CExportSet& notes, Format format,
                                                QString& error);

// Renders and replaces the file with the result; false with `error` set, the old file intact.
bool Write(const CExportSet& notes, Format format, const QString& path, QString& error);

}  // namespace ExportWriter
