#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "storage/FileSystem.h"

namespace NoteStorage {

// The XML that the program writes (note files, tree files, the styled clipboard) is built and
// scanned with these few operations over UTF-16 text. The scanners accept exactly the shapes the
// program writes and are lenient on anything else: they never fail loudly, never read outside the
// text and always move the cursor on or to the end.

// A cursor into a text. npos means no position; every reader treats it as the end.
using Cursor = uint32_t;
inline constexpr Cursor npos = 0xFFFFFFFFu;

// --- Writing ---

inline constexpr char16_t kReplacementCharacter = 0xFFFD;

// A character XML 1.0 allows in a document.
[[nodiscard]] constexpr bool IsXmlCharacter(char32_t c) noexcept {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Appends the code unit, with " & ' < > as entities. A code unit XML does not allow (a control
// character other than tab, line feed and carriage return, U+FFFE, U+FFFF) is written as
// U+FFFD, so that other tools can read what we write. A surrogate passes unchanged: only a
// caller that sees its neighbour knows whether it is half of a pair.
void AppendEscapedChar(char16_t c, std::u16string& out);
// As AppendEscapedChar for each code unit; a surrogate that is not half of a pair becomes U+FFFD.
void AppendEscapedString(std::u16string_view text, std::u16string& out);
// The declaration and the two comment lines every file starts with.
void AppendXmlHeader(std::u16string& out);
void AppendDecimal(int32_t value, std::u16string& out);

// --- Files (UTF-8 on disk, no byte-order mark written) ---

// Replaces the file atomically with the UTF-8 form of the text. False on failure, with the
// previous file left intact.
bool WriteUtf8File(CFileSystem& fs, const std::filesystem::path& path, std::u16string_view text);
bool WriteUtf8File(const std::filesystem::path& path, std::u16string_view text);
// Reads and decodes the whole file (ill-formed bytes become U+FFFD, a byte-order mark stays as
// U+FEFF). False when it cannot be read; the text is then unchanged.
bool ReadUtf8File(CFileSystem& fs, const std::filesystem::path& path, std::u16string& text);
bool ReadUtf8File(const std::filesystem::path& path, std::u16string& text);

// --- Reading ---

// Moves to the next "<" that starts an element (not "<!" or "<?", not the last code unit). False,
// with the cursor at the end, when there is none.
bool SkipToElement(std::u16string_view text, Cursor& cursor);
// The name after "<"; a closing tag keeps its "/" ("/item"). Ends on white space or ">".
std::u16string ReadElementName(std::u16string_view text, Cursor& cursor);
// Skips white space; true unless at the end or on ">".
bool HasMoreAttributes(std::u16string_view text, Cursor& cursor);
// The name up to white space, ">" or "=".
std::u16string ReadAttributeName(std::u16string_view text, Cursor& cursor);
// The decoded value of ="..." or ='...'. A missing "=" or quote skips past the tag's ">" and gives
// an empty value; a value that runs into "<" ends there.
std::u16string ReadAttributeValue(std::u16string_view text, Cursor& cursor);
// The value as a signed 32-bit decimal as stream extraction reads it; 0 without a leading number;
// out-of-range numbers are clamped to the nearest limit.
int32_t ReadAttributeInt(std::u16string_view text, Cursor& cursor);
// One character: a code unit of the text, or what an entity names. The five named entities give
// their character; "&#NNN;" and "&#xHH;" the character they number, or U+FFFD when that is no
// XML character (the result may lie above U+FFFF: append it with NoteBase::AppendUtf16). An "&"
// that starts none of these is the character "&", and reading goes on after it.
char32_t ReadCharacter(std::u16string_view text, Cursor& cursor);
// Consumes through the next ">"; false at the end.
bool SkipPastTagEnd(std::u16string_view text, Cursor& cursor);
// Inside the text and not on "<".
[[nodiscard]] bool IsTextAt(std::u16string_view text, Cursor cursor) noexcept;
// On "<" followed by something other than "!" or "?".
[[nodiscard]] bool IsTagAt(std::u16string_view text, Cursor cursor) noexcept;

// White space beyond ASCII, as the runtime's wide-character classification has it.
[[nodiscard]] bool IsXmlSpaceBeyondAscii(char16_t c) noexcept;

// White space as the runtime's wide-character classification has it. Inline for ASCII: a note's
// every character is asked as it loads.
[[nodiscard]] inline bool IsXmlSpace(char16_t c) noexcept {
    if (c < 0x80) return c == u' ' || (c >= 9 && c <= 13);
    return IsXmlSpaceBeyondAscii(c);
}

}  // namespace NoteStorage
