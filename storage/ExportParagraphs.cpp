#include "storage/ExportParagraphs.h"

#include "base/Utf16.h"
#include "storage/XmlPrimitives.h"

namespace NoteStorage {

namespace {

constexpr bool IsNoncharacter(char32_t c) noexcept {
    return (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

// HTML parsers report C0 and C1 controls and noncharacters even where XML would take them.
constexpr bool IsExportable(char32_t c) noexcept {
    return IsXmlCharacter(c) && !(c >= 0x7F && c <= 0x9F) && !IsNoncharacter(c);
}

}  // namespace

std::u16string ExportableText(std::u16string_view text) {
    std::u16string out(text);
    for (size_t i = 0; i < out.size(); ++i) {
        const char16_t c = out[i];
        if (NoteBase::CodePointLength(text, i) == 2) {
            const char32_t full = NoteBase::CombineSurrogates(c, text[i + 1]);
            if (IsNoncharacter(full)) out[i] = out[i + 1] = kReplacementCharacter;
            ++i;
        } else if (c == u'\t' || c == u'\n' || c == u'\r') {
            out[i] = u' ';
        } else if (NoteBase::IsSurrogate(c) || !IsExportable(c)) {
            out[i] = kReplacementCharacter;
        }
    }
    return out;
}

std::vector<ExportParagraph> ReadExportParagraphs(const NoteEditEngine::CNoteDocument* document) {
    std::vector<ExportParagraph> paragraphs;
    if (document == nullptr) return paragraphs;
    for (auto it = document->begin(); it != document->end(); ++it) {
        if (it.IsParagraph()) {
            ExportParagraph& paragraph = paragraphs.emplace_back();
            const uint32_t style = it.Format().Style();
            paragraph.style =
                style < NoteEditEngine::kParagraphStyleCount ? style : NoteEditEngine::kNormal;
            paragraph.indent = NoteEditEngine::ClampIndent(it.Format().Indent());
        } else {
            // A document always starts with a mark; should one not, its text still goes out.
            if (paragraphs.empty()) paragraphs.emplace_back();
            paragraphs.back().text.push_back(it.CodeUnit());
            paragraphs.back().styles.push_back(it.Style());
        }
    }
    for (ExportParagraph& paragraph : paragraphs) {
        paragraph.text = ExportableText(paragraph.text);
        // Markup between the halves of a pair would break the character in two.
        for (size_t i = 1; i < paragraph.text.size(); ++i) {
            if (NoteBase::IsLowSurrogate(paragraph.text[i]) &&
                NoteBase::IsHighSurrogate(paragraph.text[i - 1]))
                paragraph.styles[i] = paragraph.styles[i - 1];
        }
    }
    return paragraphs;
}

void DropTitleParagraph(std::vector<ExportParagraph>& paragraphs, std::u16string_view title) {
    if (paragraphs.empty() || title.empty()) return;
    const ExportParagraph& first = paragraphs.front();
    if (first.style != NoteEditEngine::kNormal && !NoteEditEngine::IsHeaderStyle(first.style))
        return;
    const auto isBlank = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\n'; };
    std::u16string_view text = first.text;
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    if (text == ExportableText(title)) paragraphs.erase(paragraphs.begin());
}

}  // namespace NoteStorage
