#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The words and the web and mail addresses in a paragraph's text: what the editor checks and
// underlines, what it opens on Ctrl+click and what the exports write as links. Standard library
// only; letters are told by the runtime's wide-character classification under the locale.
namespace NoteBase {

// A letter or digit: ASCII ones, and beyond ASCII what the runtime's wide-character
// classification calls alphanumeric (surrogates are neither).
[[nodiscard]] bool IsLetterOrDigitBeyondAscii(char16_t c) noexcept;
// Inline for ASCII: every row drawn asks it of each of its characters.
[[nodiscard]] inline bool IsLetterOrDigit(char16_t c) noexcept {
    if (c >= 0x80) return IsLetterOrDigitBeyondAscii(c);
    return (c >= u'0' && c <= u'9') || ((c | 0x20) >= u'a' && (c | 0x20) <= u'z');
}

// A piece of a paragraph's text: [begin, end) in code units.
struct TextSpan {
    size_t begin = 0;
    size_t end = 0;
    friend constexpr bool operator==(const TextSpan&, const TextSpan&) noexcept = default;
};

// The addresses in the text, in order, not overlapping: "http://", "https://", "mailto:" (any
// case) or "www." at the start of the text or after a code unit that is not a letter or digit,
// followed by at least one letter or digit, running to the next space, control, quote, angle
// bracket, backtick, backslash or brace, and then without the punctuation that usually ends a
// sentence (".,:;!?'*_~", and a closing bracket or parenthesis that has no opening one inside).
[[nodiscard]] std::vector<TextSpan> FindLinks(std::u16string_view text);

// Does the address (a span FindLinks found) start with its scheme? "www." ones do not.
[[nodiscard]] bool LinkHasScheme(std::u16string_view text, const TextSpan& link) noexcept;
// Where the address leads: its text, with "http://" before a "www." one.
[[nodiscard]] std::u16string LinkTarget(std::u16string_view text, const TextSpan& link);

// The words worth checking, in order: runs of letters (an apostrophe between two letters joins
// them) outside the addresses. A run that holds a digit is no word, nor is one that touches "@",
// "_", "/", "\\", "#", "=" or "&", or a "." with a letter on its far side (mail addresses without
// their scheme, file and host names, identifiers).
[[nodiscard]] std::vector<TextSpan> FindWords(std::u16string_view text);
// The same, given the addresses FindLinks found in the text, into `words` (replacing what it held).
void FindWords(std::u16string_view text, const std::vector<TextSpan>& links,
               std::vector<TextSpan>& words);

}  // namespace NoteBase
