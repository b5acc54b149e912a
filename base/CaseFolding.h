#pragma once

// Checklist when changing this header: find and replace over the shown notes
// (layout/NoteViewSearch.cpp) and the search index (storage/NoteTextIndex.cpp) must keep lowering
// alike, or Find in All Notes lists matches that the editor then cannot find; the index's speed
// rests on LowerCaseTable (bench/storage/search_bench).

#include <vector>

// Text compared without regard to case. Standard library only.
namespace NoteBase {

// The lower case of a code unit as search compares text without case: the C++ runtime's towlower
// under the current locale. Surrogate halves are not characters on their own and stay as they are.
[[nodiscard]] char16_t LowerCodeUnit(char16_t c) noexcept;

// LowerCodeUnit of every code unit, indexed by the unit (65,536 entries), under the locale of the
// moment of the call: for loops over much text.
[[nodiscard]] std::vector<char16_t> LowerCaseTable();

// A-Z lowered, every other unit as it is: for names that are ASCII by their own rules (URL
// schemes), where the locale must not matter.
[[nodiscard]] constexpr char16_t LowerAscii(char16_t c) noexcept {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

}  // namespace NoteBase
