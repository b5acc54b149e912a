#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/NoteDocument.h"
#include "model/Styles.h"

namespace NoteStorage {

// What the HTML and Markdown exporters share: a note's paragraphs read out of its document as
// plain strings with a style per code unit, and the text made safe for other programs.

// One paragraph: its format and its text with the character style of every code unit.
struct ExportParagraph {
    uint32_t style = NoteEditEngine::kNormal;
    int32_t indent = 0;
    std::u16string text;
    std::vector<NoteEditEngine::CharacterStyle> styles;  // one per code unit of text
};

// The paragraphs of a document in order (a null document has none). Text passes through
// ExportableText, and the second half of a surrogate pair takes the style of the first, so that no
// markup falls between them. A paragraph code outside the known ones is read as Normal.
[[nodiscard]] std::vector<ExportParagraph> ReadExportParagraphs(
    const NoteEditEngine::CNoteDocument* document);

// The blocks of a note's body: a run of list items (any list style) or of Fixed Width lines goes
// out as one list or one code block; any other paragraph is a block of its own.
enum class ExportBlock { Paragraph, List, Code };
// Calls block(kind, first, last) for each block of paragraphs [first, last), in order.
template <typename Block>
void ForEachExportBlock(const std::vector<ExportParagraph>& paragraphs, Block&& block) {
    const auto kindOf = [](uint32_t style) {
        if (style == NoteEditEngine::kFixedWidth) return ExportBlock::Code;
        return NoteEditEngine::IsListStyle(style) ? ExportBlock::List : ExportBlock::Paragraph;
    };
    for (size_t first = 0; first < paragraphs.size();) {
        const ExportBlock kind = kindOf(paragraphs[first].style);
        size_t last = first + 1;
        if (kind != ExportBlock::Paragraph)
            while (last < paragraphs.size() && kindOf(paragraphs[last].style) == kind)
                ++last;
        block(kind, first, last);
        first = last;
    }
}

// Drops the first paragraph when it only repeats the note's title: the tree names a note after its
// first line, and the title already heads the note's section. That is a Normal or Header paragraph
// whose text, without blanks, tabs and line feeds at both ends, is the title. A list item or Fixed
// Width line stays (its check mark or layout would be lost), and so does a first line longer than
// the title cut from it.
void DropTitleParagraph(std::vector<ExportParagraph>& paragraphs, std::u16string_view title);

// The text with every code unit that an HTML parser or an XML reader rejects replaced by U+FFFD:
// the characters XML forbids, C1 controls, noncharacters (U+FDD0..U+FDEF, U+xFFFE, U+xFFFF) and
// surrogates that are not half of a pair. Tab, line feed and carriage return, which the model
// never holds in a character, become spaces, so no exported line is broken by one. Same length.
[[nodiscard]] std::u16string ExportableText(std::u16string_view text);

}  // namespace NoteStorage
