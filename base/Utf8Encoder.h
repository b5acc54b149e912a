#pragma once

#include <string>
#include <string_view>

// Small pieces every core layer shares. Standard library only.
namespace NoteBase {

// Appends the UTF-8 bytes of one value up to U+10FFFF. A surrogate value gets the three bytes of
// its generalised form, which only dumps of code units want; text for files goes through
// Utf16ToUtf8.
void AppendUtf8(std::string& out, char32_t codePoint);

// UTF-16 to UTF-8. An unpaired surrogate is written as U+FFFD, so the output is always valid.
[[nodiscard]] std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace NoteBase
