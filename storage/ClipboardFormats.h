#pragma once

#include <span>
#include <string>
#include <string_view>

#include "model/NotePosition.h"

namespace NoteStorage {

// The renderings of a selection for the clipboard and the insertion of clipboard text.
//
// Three renderings, asked for by name: "UNICODE" (plain text), "HTML" (an HTML fragment) and
// "XML" (the note file's content markup, no header and no `note` element, which keeps paragraph
// styles, indents and character styles for a copy within the program). Every writer takes two
// positions of one document; as everywhere in the model a position lies after an element, so a
// range covers the elements after `start` through the element at `end`. The writers order the
// two ends themselves and write nothing for positions that are null or in different documents.

// --- Names ---

inline constexpr std::u16string_view kRenderingUnicode = u"UNICODE";
inline constexpr std::u16string_view kRenderingHtml = u"HTML";
inline constexpr std::u16string_view kRenderingXml = u"XML";

// The platform clipboard formats the renderings travel in. The private format's name is the one
// registered on Windows; under Qt the same data goes under kPrivateMimeType, whose data is
// PrivateClipBytes of the "XML" rendering. Plain text goes as text/plain (CF_UNICODETEXT) and HTML
// as text/html, or as an "HTML Format" block (HtmlFormatBlock) where the platform wants one.
inline constexpr std::string_view kPrivateClipboardFormat = "JotwellXMLEditClip";
inline constexpr std::string_view kPrivateMimeType = "application/x-jotwell-xml-edit-clip";
inline constexpr std::string_view kHtmlClipboardFormat = "HTML Format";

// Between the HTML renderings of two notes of one selection.
inline constexpr std::u16string_view kHtmlNoteSeparator = u"\r\n<hr>\r\n";

// --- Writers ---

// Appends the plain text of the range: "\r\n" per paragraph mark, the code units of the
// characters, one tab per indent level at the start of every Fixed Width paragraph (the one whose
// mark the range starts on included), and a final "\r\n" when `end` is the last position of its
// note. Other indents, list markers and character styles are not represented. A code unit 0
// (which a note may hold from a file with a raw one) is written as U+FFFD, because receivers of
// plain text stop at the first 0 and would drop the rest of the copy.
void WritePlainText(std::u16string& out, const NoteEditEngine::CNotePosition& start,
                    const NoteEditEngine::CNotePosition& end);

// Appends the HTML rendering of the range. It follows the content markup (a range that is a piece
// of one paragraph has no paragraph element; a range that starts inside a paragraph begins with
// bare text): paragraphs become p, h1..h3, li (no enclosing list) and pre elements with a style
// attribute ("margin-left:" 2 x indent "em;" for indented paragraphs), consecutive Fixed Width
// paragraphs share one pre element with "\r\n" between lines and four spaces per indent level
// after each line start, an empty paragraph other than Fixed Width holds "&nbsp;", and character
// styles become nested strong, u (highlight) and em (comment) elements. Text is escaped like the
// XML, so a code unit 0 and the other characters XML forbids become U+FFFD.
void WriteHtml(std::u16string& out, const NoteEditEngine::CNotePosition& start,
               const NoteEditEngine::CNotePosition& end);

// The "HTML Format" block around an HTML fragment: the 149-byte header with its byte offsets
// patched as eight decimal digits (StartHTML 97, EndHTML = block length, StartFragment 149,
// EndFragment = block length - 36), the fragment as UTF-8, and the 36-byte trailer. The returned
// string does NOT hold the terminating 0 byte that the Windows clipboard block carries after the
// trailer (it is not counted in the offsets); append it where a terminated block is needed.
// Returns an empty string when the block would pass 99,999,999 bytes, which eight digits cannot
// express: a caller then offers no "HTML Format" rather than a block with wrong offsets.
[[nodiscard]] std::string HtmlFormatBlock(std::u16string_view htmlFragment);

// --- Selection over several notes ---

// The part of a selection that lies in one note, as the note view reports it.
// A range of one note's document, from `start` to `end` (either order).
struct SelectionPart {
    NoteEditEngine::CNotePosition start;
    NoteEditEngine::CNotePosition end;
};

// Appends the rendering named `renderingName` of a selection given as its per-note parts, first
// note first (every part but the first starts at its note's first position, every part but the
// last ends at its note's last position). Reserves the buffer ahead, then writes each part with
// the writer of the rendering ("XML" is WriteContentXml), with kHtmlNoteSeparator between the
// parts of the HTML rendering only. A later note's part that is a piece of that note's first
// paragraph still opens with the paragraph's element in the "XML" and "HTML" renderings, so that
// its text does not run into the previous note's last paragraph when pasted.
// False, with nothing appended, for an unknown rendering name.
bool WriteSelectionText(std::u16string_view renderingName, std::span<const SelectionPart> parts,
                        std::u16string& out);

// --- Insertion ---

// Inserts clipboard text at the caret, which ends behind it: "XML" through the content reader
// (from the first code unit; the first paragraph element restyles the caret's paragraph when the
// caret is at a paragraph start), "UNICODE" through the document's plain text insertion. An empty
// text inserts nothing. False, with nothing inserted, for a null caret or a rendering name other
// than "UNICODE" and "XML".
bool InsertClipboardText(NoteEditEngine::CNotePosition& caret, std::u16string_view text,
                         std::u16string_view renderingName);

// The private format's data as it travels: the text as little-endian UTF-16 followed by a 0 code
// unit.
[[nodiscard]] std::string PrivateClipBytes(std::u16string_view text);

// The text of the private format's data of L bytes: the first (L - 2) / 2 little-endian UTF-16
// code units (the terminator dropped), so fewer than two bytes give nothing and an odd last byte
// is ignored. Trailing 0 code units are dropped as well: a platform may hand over its memory
// block rounded up with zero padding, which must not be pasted as characters.
[[nodiscard]] std::u16string PrivateClipText(std::string_view bytes);

}  // namespace NoteStorage
