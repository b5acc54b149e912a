#pragma once

#include <string>
#include <string_view>
#include <vector>

// The start-up notes: the tour that a new notes folder starts with, built through the program's
// own note and tree writers so that the files are exactly what the program reads and writes.
namespace StartUpNotes {

struct CGeneratedFile {
    std::string name;   // "index.xml" or "<identifier>.xml"
    std::string bytes;  // the file's UTF-8 text
};

// index.xml first, then one note file per note in tree order. Throws std::invalid_argument when
// a line of the tour is malformed (a style mark left open), naming the line.
[[nodiscard]] std::vector<CGeneratedFile> BuildStartUpNotes();

// The content markup of one note written in the tour's line format: one paragraph per line;
// leading ">" raise the indent one level each; then "# ", "## ", "### " for the headers,
// "[ ] " and "[x] " for the unchecked and checked lists, "(-) " and "(+) " for the negative and
// positive lists, "| " for fixed width; "**", "==" and "__" switch Strong, Highlight and Comment
// on and off inside a line. Throws std::invalid_argument for a line that leaves a style on.
[[nodiscard]] std::u16string TourContentXml(std::u16string_view lines);

}  // namespace StartUpNotes
