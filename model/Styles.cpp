#include "model/Styles.h"

namespace NoteEditEngine {

std::optional<uint32_t> ParagraphStyleFromName(std::u16string_view name) noexcept {
    // Older files wrote bullets and ordered lists; they read as unchecked and negative items.
    if (name == u"listbullet") return kUncheckedList;
    if (name == u"listordered") return kNegativeList;
    for (uint32_t code = 0; code < kParagraphStyleCount; ++code) {
        if (name == kParagraphStyles[code].storedName) return code;
    }
    return std::nullopt;
}

std::optional<int> CharacterStyleFromName(std::u16string_view name) noexcept {
    for (int bit = 0; bit < CharacterStyle::kFlagCount; ++bit) {
        if (name == kCharacterStyles[bit].storedName) return bit;
    }
    return std::nullopt;
}

}  // namespace NoteEditEngine
