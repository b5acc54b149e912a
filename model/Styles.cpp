#include "model/Styles.h"

#include <array>

namespace NoteEditEngine {

namespace {

constexpr std::array<std::string_view, kParagraphStyleCount> kParagraphNames = {
    "paragraph",     "header1",     "header2",      "header3",      "listordered",
    "listunchecked", "listchecked", "listpositive", "listnegative", "fixwidth",
};

constexpr std::array<std::string_view, CharacterStyle::kFlagCount> kCharacterNames = {
    "strong", "highlight", "link"};

bool EqualsAscii(std::u16string_view wide, std::string_view ascii) noexcept {
    if (wide.size() != ascii.size()) return false;
    for (size_t i = 0; i < wide.size(); ++i) {
        if (wide[i] != static_cast<char16_t>(static_cast<unsigned char>(ascii[i]))) return false;
    }
    return true;
}

}  // namespace

std::string_view ParagraphStyleName(uint32_t style) noexcept {
    return style < kParagraphStyleCount ? kParagraphNames[style] : std::string_view{};
}

std::optional<uint32_t> ParagraphStyleFromName(std::u16string_view name) noexcept {
    // Older files wrote bullets and ordered lists; they read as unchecked and negative items.
    if (EqualsAscii(name, "listbullet")) return kUncheckedList;
    if (EqualsAscii(name, "listordered")) return kNegativeList;
    for (uint32_t code = 0; code < kParagraphStyleCount; ++code) {
        if (EqualsAscii(name, kParagraphNames[code])) return code;
    }
    return std::nullopt;
}

std::string_view CharacterStyleName(int bit) noexcept {
    return bit >= 0 && bit < CharacterStyle::kFlagCount ? kCharacterNames[static_cast<size_t>(bit)]
                                                        : std::string_view{};
}

}  // namespace NoteEditEngine
