#include "editor/Spelling.h"

#include <QAction>
#include <QActionGroup>
#include <QLocale>
#include <QMenu>
#include <QStandardPaths>
#include <QTimer>

#include "base/Utf8.h"
#include "storage/FileSystem.h"
#include "ui/FirstPaint.h"
#include "ui/HunspellChecker.h"
#include "ui/Settings.h"

namespace {

constexpr size_t kMaxSuggestions = 5;

}  // namespace

CSpelling::CSpelling(NoteLayoutEngine::CTextMarks& marks, QObject* parent)
    : QObject(parent), m_marks(marks) {
    m_reader.setMaxThreadCount(1);
}

CSpelling::~CSpelling() {
    m_marks.SetChecker(nullptr);
    Release(std::move(m_dictionary));
    m_reader.waitForDone();
}

void CSpelling::UseInstalledDictionaries(QWidget* paintedFirst) {
    if (m_opener) return;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    Configure(CHunspellChecker::InstalledLanguages(), &CHunspellChecker::Open,
              data.isEmpty() ? std::filesystem::path()
                             : std::filesystem::path(data.toStdU16String()) / "personal-words.txt",
              Opening::kInBackground);
    // A dictionary takes a while to read: the window shows first.
    if (paintedFirst != nullptr) {
        AfterFirstPaint(*paintedFirst, *this, [this] { Reopen(); });
    } else {
        QTimer::singleShot(0, this, &CSpelling::Reopen);
    }
}

void CSpelling::UseDictionaries(QStringList languages, Opener opener,
                                std::filesystem::path personalWords, Opening opening) {
    Configure(std::move(languages), std::move(opener), std::move(personalWords), opening);
    Reopen();
}

void CSpelling::Configure(QStringList languages, Opener opener, std::filesystem::path personalWords,
                          Opening opening) {
    // Let go on the thread that made it, before the way of opening changes.
    m_openLanguage.clear();
    Forget();
    m_opening = opening;
    m_languages = std::move(languages);
    m_opener = std::move(opener);
    m_personalWords = std::move(personalWords);
    std::string bytes;
    if (!m_personalWords.empty() && NoteStorage::FileSystem().ReadWhole(m_personalWords, bytes)) {
        const std::u16string text = NoteBase::Utf8ToUtf16(bytes);
        size_t begin = 0;
        while (begin < text.size()) {
            size_t end = text.find(u'\n', begin);
            if (end == std::u16string::npos) end = text.size();
            std::u16string_view word = std::u16string_view(text).substr(begin, end - begin);
            if (!word.empty() && word.back() == u'\r') word.remove_suffix(1);
            if (!word.empty()) m_marks.Accept(word);
            begin = end + 1;
        }
    }
    m_on = Settings::Read(Settings::kCheckSpelling) != 0;
}

QString CSpelling::Language() const {
    if (m_languages.isEmpty()) return {};
    const QString stored = QString::fromStdU16String(Settings::Read(Settings::kSpellingLanguage));
    if (m_languages.contains(stored)) return stored;
    const QString locale = QLocale::system().name();
    if (m_languages.contains(locale)) return locale;
    const QString language = locale.section(QLatin1Char('_'), 0, 0) + QLatin1Char('_');
    for (const QString& installed : m_languages)
        if (installed.startsWith(language)) return installed;
    if (m_languages.contains(QStringLiteral("en_US"))) return QStringLiteral("en_US");
    return m_languages.front();
}

void CSpelling::Reopen() {
    if (m_stopped) return;
    const QString language = m_on ? Language() : QString();
    // A dictionary that could not be opened is tried again; one being read is waited for.
    if (language != m_openLanguage || (!language.isEmpty() && !m_dictionary && !m_reading)) {
        Forget();
        m_openLanguage = language;
        const uint64_t generation = m_generation;
        if (!language.isEmpty() && m_opener && m_opening == Opening::kInBackground) {
            m_reading = true;
            m_reader.start([this, opener = m_opener, language, generation] {
                Dictionary dictionary = opener(language);
                QMetaObject::invokeMethod(
                    this,
                    [this, generation, dictionary = std::move(dictionary)]() mutable {
                        Opened(generation, std::move(dictionary));
                    },
                    Qt::QueuedConnection);
            });
        } else if (!language.isEmpty() && m_opener) {
            m_dictionary = m_opener(language);
        }
    }
    m_marks.SetChecker(m_on ? m_dictionary.get() : nullptr);
    emit marksChanged();
}

void CSpelling::Opened(uint64_t generation, Dictionary dictionary) {
    if (generation != m_generation) return Release(std::move(dictionary));
    m_reading = false;
    m_dictionary = std::move(dictionary);
    m_marks.SetChecker(m_on ? m_dictionary.get() : nullptr);
    emit marksChanged();
}

void CSpelling::Forget() {
    m_marks.SetChecker(nullptr);
    Release(std::move(m_dictionary));
    ++m_generation;
    m_reading = false;
}

void CSpelling::Release(Dictionary dictionary) {
    if (!dictionary || m_opening == Opening::kAtOnce) return;
    // The task holds the last reference, so the dictionary goes on the reading thread.
    m_reader.start([dictionary = std::move(dictionary)] {});
}

void CSpelling::SetOn(bool on) {
    m_on = on;
    Settings::Write(Settings::kCheckSpelling, on ? 1 : 0);
    Reopen();
}

void CSpelling::SetLanguage(const QString& language) {
    if (!m_languages.contains(language)) return;
    Settings::Write(Settings::kSpellingLanguage, language.toStdU16String());
    Reopen();
}

std::vector<std::u16string> CSpelling::Suggestions(std::u16string_view word) {
    if (m_marks.Checker() == nullptr) return {};
    return m_marks.Checker()->Suggestions(word, kMaxSuggestions);
}

bool CSpelling::AddToDictionary(std::u16string_view word) {
    m_marks.Accept(word);
    emit marksChanged();
    if (m_personalWords.empty()) return false;
    NoteStorage::CFileSystem& fs = NoteStorage::FileSystem();
    std::string bytes;
    if (!fs.ReadWhole(m_personalWords, bytes)) bytes.clear();
    if (!bytes.empty() && bytes.back() != '\n') bytes += '\n';
    bytes += NoteBase::Utf16ToUtf8(word);
    bytes += '\n';
    return fs.CreateFolders(m_personalWords.parent_path()) &&
           NoteStorage::ReplaceFileContents(fs, m_personalWords, bytes);
}

void CSpelling::Ignore(std::u16string_view word) {
    m_marks.Accept(word);
    emit marksChanged();
}

void CSpelling::AttachMenu(QAction* checkSpelling, QAction* languages) {
    if (checkSpelling == nullptr || languages == nullptr) return;
    if (!IsAvailable()) {
        const QString tip =
            tr("No dictionary is installed: install one (the package hunspell-en-us, for example) "
               "to check spelling");
        for (QAction* action : {checkSpelling, languages}) {
            action->setStatusTip(tip);
            action->setToolTip(tip);
            for (QObject* holder : action->associatedObjects())
                if (auto* menu = qobject_cast<QMenu*>(holder)) menu->setToolTipsVisible(true);
        }
        return;
    }
    m_languageMenu = new QMenu;
    connect(languages, &QObject::destroyed, m_languageMenu, &QObject::deleteLater);
    auto* group = new QActionGroup(m_languageMenu);
    for (const QString& language : m_languages) {
        const QLocale locale(language);
        const QString name =
            locale.language() == QLocale::C
                ? language
                : QStringLiteral("%1 (%2)").arg(QLocale::languageToString(locale.language()),
                                                QLocale::territoryToString(locale.territory()));
        QAction* action = m_languageMenu->addAction(name);
        action->setData(language);
        action->setCheckable(true);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, language] { SetLanguage(language); });
    }
    connect(m_languageMenu, &QMenu::aboutToShow, this, [this] {
        const QString current = Language();
        for (QAction* action : m_languageMenu->actions())
            action->setChecked(action->data().toString() == current);
    });
    languages->setMenu(m_languageMenu);
}
