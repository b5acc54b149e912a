#include "base/CaseFolding.h"

#include <cwctype>

#include "base/Utf16.h"

namespace NoteBase {

char16_t LowerCodeUnit(char16_t c) noexcept {
    if (IsSurrogate(c)) return c;
    return static_cast<char16_t>(std::towlower(static_cast<wint_t>(c)));
}

std::vector<char16_t> LowerCaseTable() {
    std::vector<char16_t> table(0x10000);
    for (size_t c = 0; c < table.size(); ++c)
        table[c] = LowerCodeUnit(static_cast<char16_t>(c));
    return table;
}

}  // namespace NoteBase
