#include "storage/ExportParagraphs.h"

#include <array>
#include <cwctype>

#include "base/CaseFolding.h"
#include "base/Utf16.h"
#include "model/NoteElement.h"
#include "storage/XmlPrimitives.h"

namespace NoteStorage {

using NoteEditEngine::AsCharacter;
using NoteEditEngine::AsParagraph;

namespace {

constexpr bool IsNoncharacter(char32_t c) noexcept {
    return (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

// HTML parsers report C0 and C1 controls and noncharacters even where XML would take them.
constexpr bool IsExportable(char32_t c) noexcept {
    return IsXmlCharacter(c) && !(c >= 0x7F && c <= 0x9F) && !IsNoncharacter(c);
}

bool IsAsciiAlnum(char16_t c) noexcept {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsLinkCharacter(char16_t c) noexcept {
    if (c >= 0x80) return IsLetterOrDigit(c);
    if (c <= 0x20 || c == 0x7F) return false;
    switch (c) {
        case u'"':
        case u'<':
        case u'>':
        case u'`':
        case u'\\':
        case u'{':
        case u'}':
        case u'|':
        case u'^':
            return false;
        default:
            return true;
    }
}

bool StartsWithNoCase(std::u16string_view text, size_t at, std::u16string_view prefix) noexcept {
    if (text.size() - at < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (NoteBase::LowerAscii(text[at + i]) != prefix[i]) return false;
    }
    return true;
}

constexpr std::array<std::u16string_view, 4> kLinkPrefixes = {u"http://", u"https://", u"mailto:",
                                                              u"www."};

// Where a link that starts at `begin` with a prefix of `prefixSize` ends, or `begin` for none.
size_t LinkEnd(std::u16string_view text, size_t begin, size_t prefixSize) {
    size_t end = begin + prefixSize;
    while (end < text.size() && IsLinkCharacter(text[end]))
        ++end;
    // Sentence punctuation after an address is not part of it; a closing bracket is when it
    // closes one inside the address ("https://en.example.org/wiki/A_(b)").
    while (end > begin + prefixSize) {
        const char16_t last = text[end - 1];
        if (std::u16string_view(u".,:;!?'*_~").find(last) != std::u16string_view::npos) {
            --end;
            continue;
        }
        const char16_t open = last == u')' ? u'(' : last == u']' ? u'[' : 0;
        if (open == 0) break;
        const std::u16string_view inside = text.substr(begin, end - begin);
        size_t opens = 0;
        size_t closes = 0;
        for (const char16_t c : inside) {
            opens += c == open ? 1 : 0;
            closes += c == last ? 1 : 0;
        }
        if (closes <= opens) break;
        --end;
    }
    const std::u16string_view rest = text.substr(begin + prefixSize, end - begin - prefixSize);
    for (const char16_t c : rest) {
        if (IsLetterOrDigit(c)) return end;
    }
    return begin;
}

}  // namespace

bool IsLetterOrDigit(char16_t c) noexcept {
    if (c < 0x80) return IsAsciiAlnum(c);
    return !NoteBase::IsSurrogate(c) && std::iswalnum(static_cast<wint_t>(c)) != 0;
}

bool TextLink::HasScheme(std::u16string_view text) const noexcept {
    return !StartsWithNoCase(text, begin, u"www.");
}

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

std::vector<TextLink> FindLinks(std::u16string_view text) {
    std::vector<TextLink> links;
    for (size_t i = 0; i < text.size(); ++i) {
        if (i > 0 && IsLetterOrDigit(text[i - 1])) continue;
        for (const std::u16string_view prefix : kLinkPrefixes) {
            if (!StartsWithNoCase(text, i, prefix)) continue;
            const size_t end = LinkEnd(text, i, prefix.size());
            if (end != i) {
                links.push_back({i, end});
                i = end - 1;
            }
            break;
        }
    }
    return links;
}

std::vector<ExportParagraph> ReadExportParagraphs(const NoteEditEngine::CNoteDocument* document) {
    std::vector<ExportParagraph> paragraphs;
    if (document == nullptr) return paragraphs;
    for (auto it = document->begin(); it != document->end(); ++it) {
        if (const NoteEditEngine::CNoteParagraph* mark = AsParagraph(*it)) {
            ExportParagraph& paragraph = paragraphs.emplace_back();
            const uint32_t style = mark->Format().Style();
            paragraph.style =
                style < NoteEditEngine::kParagraphStyleCount ? style : NoteEditEngine::kNormal;
            paragraph.indent = NoteEditEngine::ClampIndent(mark->Format().Indent());
        } else if (const NoteEditEngine::CNoteCharacter* character = AsCharacter(*it)) {
            // A document always starts with a mark; should one not, its text still goes out.
            if (paragraphs.empty()) paragraphs.emplace_back();
            paragraphs.back().text.push_back(character->CodeUnit());
            paragraphs.back().styles.push_back(character->Style());
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
