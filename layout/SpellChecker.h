#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace NoteLayoutEngine {

// A dictionary of one language, as the note view asks it about the words it shows: a platform
// speller behind it in the program, a fixed word list in tests.
class ISpellChecker {
public:
    virtual ~ISpellChecker() = default;

    // Is the word, letters with apostrophes between them (NoteBase::FindWords), spelt right?
    [[nodiscard]] virtual bool IsCorrect(std::u16string_view word) = 0;
    // At most `count` words the word may have been meant as, the likeliest first.
    [[nodiscard]] virtual std::vector<std::u16string> Suggestions(std::u16string_view word,
                                                                  size_t count) = 0;
};

}  // namespace NoteLayoutEngine
