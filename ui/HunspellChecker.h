#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "layout/SpellChecker.h"

class Hunspell;

// A dictionary of the platform's speller (Hunspell): the installed dictionaries are pairs of
// "<language>.aff" and "<language>.dic" files in the folders of DICPATH and the system's
// dictionary folders.
class CHunspellChecker final : public NoteLayoutEngine::ISpellChecker {
public:
    // The languages of the installed dictionaries ("en_US", ...), sorted, each once.
    [[nodiscard]] static QStringList InstalledLanguages();
    // The dictionary of an installed language; null when it is not installed or cannot be read.
    [[nodiscard]] static std::unique_ptr<CHunspellChecker> Open(const QString& language);

    ~CHunspellChecker() override;
    CHunspellChecker(const CHunspellChecker&) = delete;
    CHunspellChecker& operator=(const CHunspellChecker&) = delete;

    [[nodiscard]] bool IsCorrect(std::u16string_view word) override;
    [[nodiscard]] std::vector<std::u16string> Suggestions(std::u16string_view word,
                                                          size_t count) override;

private:
    CHunspellChecker(std::unique_ptr<Hunspell> speller, bool utf8);
    // The word in the dictionary's encoding; empty when it cannot be written in it.
    [[nodiscard]] std::string Encode(std::u16string_view word) const;

    std::unique_ptr<Hunspell> m_speller;
    bool m_utf8;
};
