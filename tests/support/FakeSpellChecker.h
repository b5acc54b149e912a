#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "layout/SpellChecker.h"

namespace NoteLayoutEngine::TestSupport {

// A dictionary of the words it is given; it suggests the known words of the same first letter,
// in order, and counts the questions it was asked.
class CFakeSpellChecker final : public ISpellChecker {
public:
    explicit CFakeSpellChecker(std::set<std::u16string> words) : m_words(std::move(words)) {}

    int questions = 0;

    bool IsCorrect(std::u16string_view word) override {
        ++questions;
        return m_words.contains(std::u16string(word));
    }
    std::vector<std::u16string> Suggestions(std::u16string_view word, size_t count) override {
        std::vector<std::u16string> out;
        for (const std::u16string& known : m_words)
            if (out.size() < count && known.front() == word.front()) out.push_back(known);
        return out;
    }

private:
    std::set<std::u16string> m_words;
};

}  // namespace NoteLayoutEngine::TestSupport
