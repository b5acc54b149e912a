#pragma once

// Checklist when changing this header: every file is written and read through these two
// conversions, so a change reaches note files, index.xml, .jwf files and the exports; keep
// tests/base/TextTest.cpp's tables and fuzz/fuzz_utf8.cpp (its round-trip rules) in step, and
// watch bench/storage/note_file_bench.

#include <string>
#include <string_view>

// UTF-8 to and from UTF-16. Standard library only.
namespace NoteBase {

// Appends the UTF-8 bytes of one value up to U+10FFFF. A surrogate value gets the three bytes of
// its generalised form, which only dumps of code units want; text for files goes through
// Utf16ToUtf8.
void AppendUtf8(std::string& out, char32_t codePoint);

// UTF-16 to UTF-8. An unpaired surrogate is written as U+FFFD, so the output is always valid.
[[nodiscard]] std::string Utf16ToUtf8(std::u16string_view text);

// UTF-8 to UTF-16. Every ill-formed sequence (a stray continuation byte, a truncated or overlong
// sequence, an encoded surrogate, a value above U+10FFFF, the bytes C0, C1 and F5..FF) decodes as
// one U+FFFD per maximal ill-formed subpart, so nothing is dropped silently. A byte-order mark is
// kept as U+FEFF.
[[nodiscard]] std::u16string Utf8ToUtf16(std::string_view bytes);

}  // namespace NoteBase
