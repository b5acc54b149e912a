// A dictionary read in the background: the caller goes on at once, and a dictionary asked for
// while another was being read replaces it, which is dropped unused.
#include <gtest/gtest.h>

#include <QTest>
#include <future>

#include "editor/Spelling.h"
#include "tests/support/FakeSpellChecker.h"

namespace {

TEST(SpellingTest, ALaterDictionaryReplacesTheOneBeingReadAndNobodyWaits) {
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    const auto opener = [released](const QString& language) {
        // A reader that held its caller up would fail below rather than hang.
        released.wait_for(std::chrono::seconds(10));
        return std::make_unique<NoteLayoutEngine::TestSupport::CFakeSpellChecker>(
            std::set<std::u16string>{language == QStringLiteral("de_DE") ? u"haus" : u"house"});
    };
    NoteLayoutEngine::CTextMarks marks;
    CSpelling spelling(marks);
    spelling.SetOn(false);  // whatever an earlier run left in the settings
    spelling.UseDictionaries({QStringLiteral("de_DE"), QStringLiteral("en_US")}, opener, {},
                             CSpelling::Opening::kInBackground);
    spelling.SetLanguage(QStringLiteral("en_US"));
    spelling.SetOn(true);
    spelling.SetLanguage(QStringLiteral("de_DE"));
    EXPECT_EQ(marks.Checker(), nullptr);
    // Which dictionaries the marks were handed, in order.
    std::vector<bool> german;
    QObject::connect(&spelling, &CSpelling::marksChanged, [&] {
        if (marks.Checker() != nullptr) german.push_back(!marks.IsMisspelt(u"haus"));
    });
    release.set_value();
    ASSERT_TRUE(QTest::qWaitFor([&] { return marks.Checker() != nullptr; }, 10000));
    EXPECT_EQ(german, std::vector<bool>{true});
    EXPECT_TRUE(marks.IsMisspelt(u"house"));
}

}  // namespace
