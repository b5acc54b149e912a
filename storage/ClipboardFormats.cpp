#include "storage/ClipboardFormats.h"

#include <cstdint>
#include <optional>
#include <utility>

#include "base/Utf8.h"
#include "model/NoteDocument.h"
#include "model/Styles.h"
#include "storage/ContentWalk.h"
#include "storage/NoteFile.h"
#include "storage/XmlPrimitives.h"

namespace NoteStorage {

using NoteEditEngine::CharacterStyle;
using NoteEditEngine::CNoteDocument;
using NoteEditEngine::CNotePosition;
using NoteEditEngine::ElementIterator;
using NoteEditEngine::kFixedWidth;

namespace {

constexpr char16_t kReplacement = 0xFFFD;

// Plain text and HTML receivers stop at a 0 code unit; a note can hold one (a file may carry it
// raw), and the text after it must not vanish from the copy.
constexpr char16_t Displayable(char16_t c) noexcept {
    return c == 0 ? kReplacement : c;
}

// Puts the two ends of a range in order. False when they are not two positions of one document.
bool OrderRange(const CNotePosition& a, const CNotePosition& b, CNotePosition& start,
                CNotePosition& end) noexcept {
    if (a.Document() == nullptr || a.Document() != b.Document()) return false;
    start = a;
    end = b;
    if (end < start) std::swap(start, end);
    return true;
}

// True when the range is a piece of the paragraph that begins at `start`, which the content
// markup writes without a paragraph element.
bool IsPieceOfParagraphAtStart(const CNotePosition& start, const CNotePosition& end) noexcept {
    return start.ElementIsParagraph() && !end.IsAtEnd() && end.ParagraphOf() == start;
}

// --- HTML ---

struct HtmlTag {
    std::u16string_view name;
    std::u16string_view style;
};

HtmlTag ParagraphTag(uint32_t style) noexcept {
    // The model holds no other code; should one appear it is written as Normal, never as a
    // nameless element.
    const NoteEditEngine::ParagraphStyleDescriptor& row = NoteEditEngine::ParagraphStyleOf(style);
    return {row.clipTag, row.clipStyle};
}

HtmlTag CharacterTag(int flag) noexcept {
    const NoteEditEngine::CharacterStyleDescriptor& row = NoteEditEngine::kCharacterStyles[flag];
    return {row.clipTag, row.clipStyle};
}

void AppendStartTag(const HtmlTag& tag, int32_t indent, std::u16string& out) {
    out.push_back(u'<');
    out.append(tag.name);
    out.append(u" style=\"");
    if (indent != 0) {
        out.append(u"margin-left:");
        AppendDecimal(2 * indent, out);
        out.append(u"em;");
    }
    out.append(tag.style);
    out.append(u"\">");
}

void AppendEndTag(const HtmlTag& tag, std::u16string& out) {
    out.append(u"</");
    out.append(tag.name);
    out.push_back(u'>');
}

void AppendHtmlTransition(CharacterStyle from, CharacterStyle to, std::u16string& out) {
    AppendStyleTransition(
        from, to, [&](int flag) { AppendEndTag(CharacterTag(flag), out); },
        [&](int flag) { AppendStartTag(CharacterTag(flag), 0, out); });
}

void AppendFixedWidthIndent(int32_t indent, std::u16string& out) {
    out.append(static_cast<size_t>(NoteEditEngine::ClampIndent(indent)) * 4, u' ');
}

bool IsEmptyParagraph(const CNoteDocument& document, ElementIterator mark) noexcept {
    ++mark;
    return mark == document.end() || mark.IsParagraph();
}

// The HTML walk over an ordered range. forceStartMark writes the paragraph element of a start
// mark even when the range is a piece of that paragraph (a later note's part of a selection).
void WriteHtmlRange(std::u16string& out, const CNotePosition& start, const CNotePosition& end,
                    bool forceStartMark) {
    const CNoteDocument& document = *start.Document();
    bool paragraphOpen = false;
    uint32_t openStyle = 0;
    CharacterStyle current;
    WalkContentRange(
        start, end, forceStartMark,
        [&](const ElementIterator& mark) {
            const uint32_t style = mark.Format().Style();
            const int32_t indent = mark.Format().Indent();
            if (paragraphOpen && openStyle == kFixedWidth && style == kFixedWidth) {
                // Fixed Width lines share one pre element; the character styles run on.
                out.append(u"\r\n");
                AppendFixedWidthIndent(indent, out);
                return;
            }
            // Bare text in front of the first paragraph element is closed as well, so that its
            // styles do not wrap the paragraph elements.
            AppendHtmlTransition(current, CharacterStyle{}, out);
            current = CharacterStyle{};
            if (paragraphOpen) AppendEndTag(ParagraphTag(openStyle), out);
            paragraphOpen = false;
            AppendStartTag(ParagraphTag(style), indent, out);
            if (style != kFixedWidth && IsEmptyParagraph(document, mark)) {
                // An empty element would collapse to nothing in the receiver.
                out.append(u"&nbsp;");
                AppendEndTag(ParagraphTag(style), out);
                return;
            }
            paragraphOpen = true;
            openStyle = style;
            if (style == kFixedWidth) AppendFixedWidthIndent(indent, out);
            current = mark.Style();
            AppendHtmlTransition(CharacterStyle{}, current, out);
        },
        [&](const ElementIterator& character) {
            AppendHtmlTransition(current, character.Style(), out);
            current = character.Style();
            AppendEscapedChar(Displayable(character.CodeUnit()), out);
        });
    AppendHtmlTransition(current, CharacterStyle{}, out);
    if (paragraphOpen) AppendEndTag(ParagraphTag(openStyle), out);
}

// --- "HTML Format" block ---

constexpr std::string_view kHtmlFormatHeader =
    "Version:0.9\r\n"
    "StartHTML:00000097\r\n"
    "EndHTML:00000000\r\n"
    "StartFragment:00000134\r\n"
    "EndFragment:00000000\r\n"
    "<html><head>\r\n"
    "</head><body>\r\n"
    "<!--StartFragment -->\r\n";
constexpr std::string_view kHtmlFormatTrailer = "<!--EndFragment-->\r\n</body>\r\n</html>";

// Where each number's eight digits stand in the header.
constexpr size_t DigitsOf(std::string_view key) noexcept {
    return kHtmlFormatHeader.find(key) + key.size();
}
constexpr size_t kEndHtmlDigits = DigitsOf("EndHTML:");
constexpr size_t kStartFragmentDigits = DigitsOf("StartFragment:");
constexpr size_t kEndFragmentDigits = DigitsOf("EndFragment:");
constexpr size_t kFragmentStart = kHtmlFormatHeader.find("<!--StartFragment") + 23;
constexpr size_t kMaxBlockSize = 99'999'999;

static_assert(kHtmlFormatHeader.size() == 149 && kHtmlFormatTrailer.size() == 36);
static_assert(kHtmlFormatHeader.find("<html>") == 97);
static_assert(kEndHtmlDigits == 41 && kStartFragmentDigits == 65 && kEndFragmentDigits == 87);
static_assert(kFragmentStart == kHtmlFormatHeader.size());

// Writes value as eight decimal digits over the placeholder at `at` ("%08u").
void PatchOffset(std::string& block, size_t at, size_t value) noexcept {
    for (size_t i = 8; i-- > 0;) {
        block[at + i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

// --- Selection ---

enum class Rendering { kUnicode, kHtml, kXml };

std::optional<Rendering> RenderingFromName(std::u16string_view name) noexcept {
    if (name == kRenderingUnicode) return Rendering::kUnicode;
    if (name == kRenderingHtml) return Rendering::kHtml;
    if (name == kRenderingXml) return Rendering::kXml;
    return std::nullopt;
}

// The content markup of a piece of a note's first paragraph, inside that paragraph's element as
// the note file writes it.
void WriteXmlInFirstParagraph(std::u16string& out, const CNotePosition& start,
                              const CNotePosition& end) {
    const NoteEditEngine::ParagraphFormat format = start.ParagraphFormatOf();
    const std::u16string_view name = NoteEditEngine::ParagraphStyleOf(format.Style()).storedName;
    out.push_back(u'<');
    out.append(name);
    if (format.Indent() != 0) {
        out.append(u" indent='");
        AppendDecimal(format.Indent(), out);
        out.push_back(u'\'');
    }
    out.push_back(u'>');
    WriteContentXml(out, start, end);
    out.append(u"</");
    out.append(name);
    out.push_back(u'>');
}

}  // namespace

void WritePlainText(std::u16string& out, const CNotePosition& a, const CNotePosition& b) {
    CNotePosition start;
    CNotePosition end;
    if (!OrderRange(a, b, start, end)) return;
    auto appendTabs = [&out](NoteEditEngine::ParagraphFormat format) {
        if (format.Style() == kFixedWidth) {
            out.append(static_cast<size_t>(NoteEditEngine::ClampIndent(format.Indent())), u'\t');
        }
    };
    // An empty range holds no paragraph, so it gets no tabs either.
    if (!(start == end)) {
        if (start.ElementIsParagraph()) appendTabs(start.MarkFormat());
        const ElementIterator last = end.Iterator();
        for (ElementIterator it = start.Iterator(); it != last;) {
            ++it;
            if (it.IsParagraph()) {
                out.append(u"\r\n");
                appendTabs(it.Format());
            } else {
                out.push_back(Displayable(it.CodeUnit()));
            }
        }
    }
    if (end.IsAtEnd()) out.append(u"\r\n");
}

void WriteHtml(std::u16string& out, const CNotePosition& a, const CNotePosition& b) {
    CNotePosition start;
    CNotePosition end;
    if (OrderRange(a, b, start, end)) WriteHtmlRange(out, start, end, false);
}

std::string HtmlFormatBlock(std::u16string_view htmlFragment) {
    const std::string fragment = NoteBase::Utf16ToUtf8(htmlFragment);
    const size_t blockSize = kHtmlFormatHeader.size() + fragment.size() + kHtmlFormatTrailer.size();
    if (blockSize > kMaxBlockSize) return {};
    std::string block;
    block.reserve(blockSize + 1);  // room for the terminator a caller may add
    block.append(kHtmlFormatHeader);
    block.append(fragment);
    block.append(kHtmlFormatTrailer);
    PatchOffset(block, kStartFragmentDigits, kFragmentStart);
    PatchOffset(block, kEndHtmlDigits, block.size());
    PatchOffset(block, kEndFragmentDigits, block.size() - kHtmlFormatTrailer.size());
    return block;
}

bool WriteSelectionText(std::u16string_view renderingName, std::span<const SelectionPart> parts,
                        std::u16string& out) {
    const std::optional<Rendering> rendering = RenderingFromName(renderingName);
    if (!rendering) return false;

    // Markup makes the text longer than the notes; twice their length spares most regrowth.
    size_t elements = 0;
    for (const SelectionPart& part : parts) {
        CNotePosition start;
        CNotePosition end;
        if (OrderRange(part.start, part.end, start, end)) {
            elements += static_cast<size_t>(Distance(start, end)) + 1;
        }
    }
    out.reserve(out.size() + 2 * elements);

    bool firstPart = true;
    for (const SelectionPart& part : parts) {
        CNotePosition start;
        CNotePosition end;
        if (!OrderRange(part.start, part.end, start, end)) continue;
        // A later note's part that is a piece of its first paragraph would otherwise be bare
        // text, which a paste runs into the previous note's last paragraph.
        const bool laterNoteStart = !firstPart && start.IsAtStart() && !(start == end);
        switch (*rendering) {
            case Rendering::kUnicode:
                WritePlainText(out, start, end);
                break;
            case Rendering::kHtml:
                if (!firstPart) out.append(kHtmlNoteSeparator);
                WriteHtmlRange(out, start, end, laterNoteStart);
                break;
            case Rendering::kXml:
                if (laterNoteStart && IsPieceOfParagraphAtStart(start, end)) {
                    WriteXmlInFirstParagraph(out, start, end);
                } else {
                    WriteContentXml(out, start, end);
                }
                break;
        }
        firstPart = false;
    }
    return true;
}

bool InsertClipboardText(CNotePosition& caret, std::u16string_view text,
                         std::u16string_view renderingName) {
    CNoteDocument* document = caret.Document();
    if (document == nullptr) return false;
    if (renderingName == kRenderingXml) {
        // The reader's cursor is 32 bits wide; a longer text is refused whole rather than cut.
        if (text.size() >= npos) return false;
        if (text.empty()) return true;
        Cursor cursor = 0;
        ReadContentXml(caret, text, cursor);
        return true;
    }
    if (renderingName == kRenderingUnicode) {
        // An empty paste would still leave an empty undo change behind.
        if (!text.empty()) document->InsertPlainText(caret, text);
        return true;
    }
    return false;
}

std::string PrivateClipBytes(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(2 * text.size() + 2);
    for (const char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    bytes.append(2, '\0');
    return bytes;
}

std::u16string PrivateClipText(std::string_view bytes) {
    if (bytes.size() < 2) return {};
    size_t count = (bytes.size() - 2) / 2;
    auto unitAt = [&bytes](size_t i) {
        const auto low = static_cast<unsigned char>(bytes[2 * i]);
        const auto high = static_cast<unsigned char>(bytes[2 * i + 1]);
        return static_cast<char16_t>(low | (high << 8));
    };
    while (count > 0 && unitAt(count - 1) == 0)
        --count;
    std::u16string text(count, u'\0');
    for (size_t i = 0; i < count; ++i)
        text[i] = unitAt(i);
    return text;
}

}  // namespace NoteStorage
