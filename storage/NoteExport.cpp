#include "storage/NoteExport.h"

#include <algorithm>

#include "base/WordFinder.h"
#include "storage/ContentWalk.h"
#include "storage/ExportParagraphs.h"
#include "storage/XmlPrimitives.h"

namespace NoteStorage {

using NoteEditEngine::CharacterStyle;

namespace {

// The look of the editor: Arial 16 for text, bold blue-grey headers of 24, 20 and 16, Courier New
// for Fixed Width, and the character styles' colours. Sizes are in px, the editor's logical
// units at the normal text size.
constexpr std::u16string_view kStyleSheet =
    u"body { font-family: Arial, \"Liberation Sans\", Helvetica, sans-serif; font-size: 16px;"
    u" color: black; background: white; }\n"
    u"h1, h2, h3, h4, h5, h6 { font-weight: bold; }\n"
    u"h1.title { font-size: 28px; } h2.title { font-size: 24px; } h3.title { font-size: 20px; }\n"
    u"h4.title, h5.title, h6.title { font-size: 18px; }\n"
    u".header1, .header2, .header3 { color: rgb(80, 80, 150); }\n"
    u".header1 { font-size: 24px; } .header2 { font-size: 20px; } .header3 { font-size: 16px; }\n"
    u"p, pre { margin: 0.25em 0; }\n"
    u"pre { font-family: \"Courier New\", \"Liberation Mono\", monospace; font-size: 16px; }\n"
    u"ul { margin: 0.25em 0; padding-left: 2em; }\n"
    u"li.unchecked, li.checked { list-style-type: none; }\n"
    u"li.positive { list-style-type: \"+ \"; }\n"
    u"li.negative { list-style-type: \"- \"; }\n"
    u"strong { font-weight: bold; }\n"
    u"mark { background-color: rgb(250, 250, 160); color: inherit; }\n"
    u"em { font-style: italic; color: rgb(90, 90, 90); }\n";

constexpr std::u16string_view kDefaultTitle = u"Jotwell notes";

constexpr int32_t kMaxHeadingLevel = 6;

int32_t HeadingLevel(int32_t depth, int32_t below) {
    return std::min<int64_t>(int64_t{std::max(depth, 0)} + 1 + below, kMaxHeadingLevel);
}

void AppendText(std::u16string_view text, std::u16string& out) {
    for (const char16_t c : text)
        AppendEscapedChar(c, out);
}

void AppendMargin(int32_t levels, std::u16string& out) {
    if (levels <= 0) return;
    out.append(u" style=\"margin-left: ");
    AppendDecimal(2 * levels, out);
    out.append(u"em\"");
}

// The text of a paragraph with its character styles and its links. Styles nest as in the
// clipboard's rendering (Strong outermost); a link closes and reopens them, so that it holds
// whole elements.
void AppendInline(const ExportParagraph& paragraph, std::u16string& out) {
    const std::u16string& text = paragraph.text;
    const std::vector<NoteBase::TextSpan> links = NoteBase::FindLinks(text);
    auto link = links.begin();
    CharacterStyle current;
    auto transition = [&](CharacterStyle to) {
        AppendStyleTransition(
            current, to,
            [&](int flag) {
                out.append(u"</");
                out.append(NoteEditEngine::kCharacterStyles[flag].exportTag);
                out.push_back(u'>');
            },
            [&](int flag) {
                out.push_back(u'<');
                out.append(NoteEditEngine::kCharacterStyles[flag].exportTag);
                out.push_back(u'>');
            });
        current = to;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        if (link != links.end() && link->begin == i) {
            transition(CharacterStyle{});
            out.append(u"<a href=\"");
            if (!NoteBase::LinkHasScheme(text, *link)) out.append(u"http://");
            AppendText(std::u16string_view(text).substr(link->begin, link->end - link->begin), out);
            out.append(u"\">");
        }
        transition(paragraph.styles[i]);
        AppendEscapedChar(text[i], out);
        if (link != links.end() && link->end == i + 1) {
            transition(CharacterStyle{});
            out.append(u"</a>");
            ++link;
        }
    }
    transition(CharacterStyle{});
}

void AppendListItemStart(const ExportParagraph& paragraph, std::u16string& out) {
    const NoteEditEngine::ParagraphStyleDescriptor& style =
        NoteEditEngine::ParagraphStyleOf(paragraph.style);
    out.append(u"<li class=\"");
    out.append(style.exportClass);
    out.append(u"\">");
    out.append(style.htmlItemStart);
    AppendInline(paragraph, out);
}

// A run of list paragraphs as nested lists: an item goes under the nearest item above it with a
// lower indent. Levels that have no item of their own (a list that starts at indent 3) become a
// margin, not empty items.
void AppendList(const std::vector<ExportParagraph>& paragraphs, size_t first, size_t last,
                std::u16string& out) {
    std::vector<int32_t> open;  // the indent of each open list, outermost first
    for (size_t i = first; i < last; ++i) {
        const ExportParagraph& paragraph = paragraphs[i];
        const int32_t indent = paragraph.indent;
        while (open.size() > 1 && open.back() > indent) {
            out.append(u"</li>\n</ul>\n");
            open.pop_back();
        }
        if (open.empty()) {
            out.append(u"<ul");
            AppendMargin(indent, out);
            out.append(u">\n");
            open.push_back(indent);
        } else if (open.back() < indent) {
            out.append(u"\n<ul");
            AppendMargin(indent - open.back() - 1, out);
            out.append(u">\n");
            open.push_back(indent);
        } else {
            // A sibling; the outermost list takes a lower indent as its own.
            out.append(u"</li>\n");
            open.back() = indent;
        }
        AppendListItemStart(paragraph, out);
    }
    for (size_t k = open.size(); k > 0; --k)
        out.append(u"</li>\n</ul>\n");
}

void AppendFixedWidth(const std::vector<ExportParagraph>& paragraphs, size_t first, size_t last,
                      std::u16string& out) {
    // The parser drops one line feed right after <pre>; this one, so that a first empty line
    // stays.
    out.append(u"<pre>\n");
    for (size_t i = first; i < last; ++i) {
        if (i != first) out.push_back(u'\n');
        out.append(static_cast<size_t>(paragraphs[i].indent) * 4, u' ');
        AppendInline(paragraphs[i], out);
    }
    out.append(u"</pre>\n");
}

void AppendBlock(const ExportParagraph& paragraph, int32_t depth, std::u16string& out) {
    const NoteEditEngine::ParagraphStyleDescriptor& style =
        NoteEditEngine::ParagraphStyleOf(paragraph.style);
    std::u16string tag = u"p";
    std::u16string_view cssClass;
    if (style.headerLevel > 0) {
        tag = u"h";
        tag.push_back(static_cast<char16_t>(u'0' + HeadingLevel(depth, style.headerLevel)));
        cssClass = style.exportClass;
    }
    out.push_back(u'<');
    out.append(tag);
    if (!cssClass.empty()) {
        out.append(u" class=\"");
        out.append(cssClass);
        out.push_back(u'"');
    }
    AppendMargin(paragraph.indent, out);
    out.push_back(u'>');
    // An empty element would collapse to nothing; the empty line stays visible.
    if (paragraph.text.empty()) out.append(u"<br>");
    AppendInline(paragraph, out);
    out.append(u"</");
    out.append(tag);
    out.append(u">\n");
}

void AppendNoteBody(const std::vector<ExportParagraph>& paragraphs, int32_t depth,
                    std::u16string& out) {
    ForEachExportBlock(paragraphs, [&](ExportBlock kind, size_t first, size_t last) {
        if (kind == ExportBlock::Code) {
            AppendFixedWidth(paragraphs, first, last, out);
        } else if (kind == ExportBlock::List) {
            AppendList(paragraphs, first, last, out);
        } else {
            AppendBlock(paragraphs[first], depth, out);
        }
    });
}

}  // namespace

void WriteHtmlExport(const std::vector<ExportNote>& notes, std::u16string& out) {
    out.append(u"<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>");
    const std::u16string firstTitle =
        notes.empty() ? std::u16string() : ExportableText(notes.front().title);
    AppendText(firstTitle.empty() ? kDefaultTitle : std::u16string_view(firstTitle), out);
    out.append(u"</title>\n<style>\n");
    out.append(kStyleSheet);
    out.append(u"</style>\n</head>\n<body>\n");

    std::vector<int32_t> open;  // depths of the open sections
    for (const ExportNote& note : notes) {
        const int32_t depth = std::max(note.depth, 0);
        while (!open.empty() && open.back() >= depth) {
            out.append(u"</section>\n");
            open.pop_back();
        }
        open.push_back(depth);
        const auto level = static_cast<char16_t>(u'0' + HeadingLevel(depth, 0));
        out.append(u"<section>\n<h");
        out.push_back(level);
        out.append(u" class=\"title\">");
        AppendText(ExportableText(note.title), out);
        out.append(u"</h");
        out.push_back(level);
        out.append(u">\n");
        std::vector<ExportParagraph> paragraphs = ReadExportParagraphs(note.document);
        DropTitleParagraph(paragraphs, note.title);
        AppendNoteBody(paragraphs, depth, out);
    }
    for (size_t k = open.size(); k > 0; --k)
        out.append(u"</section>\n");
    out.append(u"</body>\n</html>\n");
}

}  // namespace NoteStorage
