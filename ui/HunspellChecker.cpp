#include "ui/HunspellChecker.h"

#include <hunspell/hunspell.hxx>

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace {

QStringList DictionaryFolders() {
    QStringList folders =
        qEnvironmentVariable("DICPATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    folders << QStringLiteral("/usr/share/hunspell") << QStringLiteral("/usr/share/myspell")
            << QStringLiteral("/usr/share/myspell/dicts")
            << QStringLiteral("/usr/local/share/hunspell");
    return folders;
}

// The .aff file of the language, in the first folder that holds both of its files; empty when
// none does.
QString AffixFile(const QString& language) {
    for (const QString& folder : DictionaryFolders()) {
        const QDir dir(folder);
        const QString aff = dir.filePath(language + QStringLiteral(".aff"));
        if (QFileInfo::exists(aff) &&
            QFileInfo::exists(dir.filePath(language + QStringLiteral(".dic"))))
            return aff;
    }
    return {};
}

}  // namespace

QStringList CHunspellChecker::InstalledLanguages() {
    QSet<QString> languages;
    for (const QString& folder : DictionaryFolders()) {
        const QDir dir(folder);
        for (const QFileInfo& aff :
             dir.entryInfoList({QStringLiteral("*.aff")}, QDir::Files | QDir::Readable)) {
            // Hyphenation and thesaurus files are no dictionaries; a dictionary has both halves.
            if (QFileInfo::exists(dir.filePath(aff.completeBaseName() + QStringLiteral(".dic"))))
                languages.insert(aff.completeBaseName());
        }
    }
    QStringList sorted(languages.begin(), languages.end());
    sorted.sort();
    return sorted;
}

std::unique_ptr<CHunspellChecker> CHunspellChecker::Open(const QString& language) {
    if (language.contains(QLatin1Char('/'))) return nullptr;
    const QString aff = AffixFile(language);
    if (aff.isEmpty()) return nullptr;
    const QString dic = aff.left(aff.size() - 4) + QStringLiteral(".dic");
    auto speller = std::make_unique<Hunspell>(QFile::encodeName(aff).constData(),
                                              QFile::encodeName(dic).constData());
    const QString encoding = QString::fromStdString(speller->get_dict_encoding()).toUpper();
    const bool utf8 = encoding == QStringLiteral("UTF-8") || encoding == QStringLiteral("UTF8");
    // Other encodings than UTF-8 and Latin-1 are not written to; their words all look misspelt.
    if (!utf8 && encoding != QStringLiteral("ISO8859-1") &&
        encoding != QStringLiteral("ISO-8859-1"))
        return nullptr;
    return std::unique_ptr<CHunspellChecker>(new CHunspellChecker(std::move(speller), utf8));
}

CHunspellChecker::CHunspellChecker(std::unique_ptr<Hunspell> speller, bool utf8)
    : m_speller(std::move(speller)), m_utf8(utf8) {}

CHunspellChecker::~CHunspellChecker() = default;

std::string CHunspellChecker::Encode(std::u16string_view word) const {
    const QString text = QString::fromUtf16(word.data(), qsizetype(word.size()));
    if (m_utf8) return text.toStdString();
    for (const QChar c : text)
        if (c.unicode() > 0xFF) return {};
    return text.toLatin1().toStdString();
}

bool CHunspellChecker::IsCorrect(std::u16string_view word) {
    const std::string encoded = Encode(word);
    // A word the dictionary cannot even write is no word of its language; it is not marked.
    return encoded.empty() || m_speller->spell(encoded);
}

std::vector<std::u16string> CHunspellChecker::Suggestions(std::u16string_view word, size_t count) {
    std::vector<std::u16string> out;
    const std::string encoded = Encode(word);
    if (encoded.empty()) return out;
    for (const std::string& suggestion : m_speller->suggest(encoded)) {
        if (out.size() >= count) break;
        const QByteArray bytes(suggestion.data(), qsizetype(suggestion.size()));
        out.push_back(
            (m_utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes)).toStdU16String());
    }
    return out;
}
