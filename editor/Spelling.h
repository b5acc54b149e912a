#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "layout/SpellChecker.h"
#include "layout/TextMarks.h"

class QEvent;
class QWidget;

class QAction;
class QMenu;

// The editor's spell checking: on or off and the language (both kept in the settings), the
// dictionary of that language, and the user's own words, which a personal word list (one word a
// line) keeps from one run to the next. Words ignored are accepted until the program ends. It
// hands the dictionary to the view's marks and tells its owner when what is marked changed.
class CSpelling final : public QObject {
    Q_OBJECT

public:
    // Opens the dictionary of a language; null when it cannot be opened.
    using Opener =
        std::function<std::unique_ptr<NoteLayoutEngine::ISpellChecker>(const QString& language)>;

    // Where a dictionary is read: on the caller's thread, or on a worker of this object's, so
    // that the window answers while a large dictionary loads (words are not marked meanwhile).
    enum class Opening { kAtOnce, kInBackground };

    // Marks misspelt words through `marks` (borrowed; it outlives this). Nothing is checked
    // before UseDictionaries.
    CSpelling(NoteLayoutEngine::CTextMarks& marks, QObject* parent = nullptr);
    // Waits for a dictionary being read.
    ~CSpelling() override;

    // The platform's dictionaries and the personal word list in the user's data folder; the
    // dictionary is read in the background once `paintedFirst` has been painted (the window
    // shows first), or once the event loop runs when it is null. Nothing when dictionaries were
    // given already.
    void UseInstalledDictionaries(QWidget* paintedFirst = nullptr);
    // The languages offered, the way to open them and the personal word list's file; opens the
    // stored language (else the locale's) now when checking is on, or starts reading it.
    // `opener` must be callable on any thread when the opening is in the background.
    void UseDictionaries(QStringList languages, Opener opener, std::filesystem::path personalWords,
                         Opening opening = Opening::kAtOnce);

    [[nodiscard]] bool IsAvailable() const noexcept { return !m_languages.isEmpty(); }
    [[nodiscard]] bool IsOn() const noexcept { return m_on; }
    [[nodiscard]] const QStringList& Languages() const noexcept { return m_languages; }
    // The language checked in: the one chosen, else the locale's, else American English, else
    // the first one; empty when none is installed.
    [[nodiscard]] QString Language() const;
    // Turns checking on or off and keeps the choice in the settings.
    void SetOn(bool on);
    // Checks in this language from now on and keeps the choice.
    void SetLanguage(const QString& language);
    // At most five words the word may have been meant as, the likeliest first.
    [[nodiscard]] std::vector<std::u16string> Suggestions(std::u16string_view word);
    // Accepts the word from now on, and in later runs (false: the list could not be written; the
    // word is accepted in this run all the same).
    bool AddToDictionary(std::u16string_view word);
    // The program is ending: no dictionary is opened from now on, so that an exit soon after
    // the start does not wait for the read begun at the first paint (one already being read is
    // still waited for).
    void Stop() noexcept { m_stopped = true; }

    // Accepts the word until the program ends.
    void Ignore(std::u16string_view word);
    // Gives the menu command of the languages its submenu, and both commands the tip that says
    // what to install when no dictionary is.
    void AttachMenu(QAction* checkSpelling, QAction* languages);

signals:
    // What the marks say may have changed: the text shown is to be drawn again.
    void marksChanged();

private:
    using Dictionary = std::shared_ptr<NoteLayoutEngine::ISpellChecker>;

    void Configure(QStringList languages, Opener opener, std::filesystem::path personalWords,
                   Opening opening);
    // Opens the dictionary checking needs now, if another, and hands it to the marks (or starts
    // reading it, and hands it over once read).
    void Reopen();
    // Drops the dictionary checked with, and the one being read when it arrives.
    void Forget();
    // A dictionary read in the background arrives; it is dropped when another was asked for since.
    void Opened(uint64_t generation, Dictionary dictionary);
    // Lets a dictionary go. Where dictionaries are read in the background they are also let go
    // there: a dictionary library may keep tables shared by all its dictionaries, which their
    // construction and destruction change, so both happen on one thread, one at a time.
    void Release(Dictionary dictionary);

    NoteLayoutEngine::CTextMarks& m_marks;
    QStringList m_languages;
    Opener m_opener;
    std::filesystem::path m_personalWords;
    Dictionary m_dictionary;
    QString m_openLanguage;
    Opening m_opening = Opening::kAtOnce;
    // Counts the dictionaries asked for; one read in the background is taken only if it is the
    // last one asked for.
    uint64_t m_generation = 0;
    bool m_reading = false;
    bool m_stopped = false;
    bool m_on = false;
    QMenu* m_languageMenu = nullptr;
    // Last: destroyed first, it waits for the dictionary being read before anything it reaches.
    QThreadPool m_reader;
};
