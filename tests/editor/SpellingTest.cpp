// A dictionary read in the background: the caller goes on at once, and a dictionary asked for
// while another was being read replaces it, which is dropped unused.
#include <gtest/gtest.h>

#include <QTest>
#include <atomic>
#include <future>
#include <map>

#include "editor/Spelling.h"

namespace {

// Knows one word and counts the dictionaries let go.
class COneWordChecker final : public NoteLayoutEngine::ISpellChecker {
public:
    COneWordChecker(std::u16string known, std::atomic<int>& gone)
        : word(std::move(known)), m_gone(gone) {}
    ~COneWordChecker() override { ++m_gone; }
    bool IsCorrect(std::u16string_view candidate) override { return candidate == word; }
    std::vector<std::u16string> Suggestions(std::u16string_view, size_t) override { return {}; }

    const std::u16string word;

private:
    std::atomic<int>& m_gone;
};

TEST(SpellingTest, ALaterDictionaryReplacesTheOneBeingReadAndNobodyWaits) {
    std::map<QString, std::promise<void>> gates;
    std::map<QString, std::shared_future<void>> opens;
    for (const QString& language : {QStringLiteral("de_DE"), QStringLiteral("en_US")})
        opens[language] = gates[language].get_future().share();
    std::atomic<int> gone{0};
    const auto opener = [&](const QString& language) {
        // A reader that held its caller up would fail here rather than hang.
        opens.at(language).wait_for(std::chrono::seconds(10));
        return std::make_unique<COneWordChecker>(
            language == QStringLiteral("de_DE") ? u"haus" : u"house", gone);
    };
    NoteLayoutEngine::CTextMarks marks;
    CSpelling spelling(marks);
    spelling.SetOn(false);  // whatever an earlier run left in the settings
    spelling.UseDictionaries(QStringList{QStringLiteral("de_DE"), QStringLiteral("en_US")}, opener,
                             {}, CSpelling::Opening::kInBackground);
    spelling.SetLanguage(QStringLiteral("en_US"));
    spelling.SetOn(true);
    spelling.SetLanguage(QStringLiteral("de_DE"));
    EXPECT_EQ(marks.Checker(), nullptr);
    std::vector<std::u16string> used;
    QObject::connect(&spelling, &CSpelling::marksChanged, [&] {
        if (const auto* checker = dynamic_cast<COneWordChecker*>(marks.Checker()))
            used.push_back(checker->word);
    });
    gates[QStringLiteral("en_US")].set_value();
    gates[QStringLiteral("de_DE")].set_value();
    ASSERT_TRUE(QTest::qWaitFor([&] { return gone == 1 && marks.Checker() != nullptr; }, 10000));
    EXPECT_EQ(used, std::vector<std::u16string>{u"haus"});
    EXPECT_FALSE(marks.IsMisspelt(u"haus"));
    EXPECT_TRUE(marks.IsMisspelt(u"house"));
}

}  // namespace
