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
    COneWordChecker(std::u16string word, std::atomic<int>& gone)
        : m_word(std::move(word)), m_gone(gone) {}
    ~COneWordChecker() override { ++m_gone; }
    bool IsCorrect(std::u16string_view word) override { return word == m_word; }
    std::vector<std::u16string> Suggestions(std::u16string_view, size_t) override { return {}; }

private:
    std::u16string m_word;
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
    spelling.UseDictionaries(QStringList{QStringLiteral("de_DE"), QStringLiteral("en_US")}, opener,
                             {}, CSpelling::Opening::kInBackground);
    spelling.SetLanguage(QStringLiteral("en_US"));
    spelling.SetOn(true);
    spelling.SetLanguage(QStringLiteral("de_DE"));
    gates[QStringLiteral("en_US")].set_value();
    EXPECT_TRUE(QTest::qWaitFor([&] { return gone == 1; }, 10000));
    EXPECT_EQ(marks.Checker(), nullptr);
    gates[QStringLiteral("de_DE")].set_value();
    ASSERT_TRUE(QTest::qWaitFor([&] { return marks.Checker() != nullptr; }, 10000));
    EXPECT_FALSE(marks.IsMisspelt(u"haus"));
    EXPECT_TRUE(marks.IsMisspelt(u"house"));
}

}  // namespace
