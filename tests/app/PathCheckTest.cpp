// The folder picker's path checks, as tables, on a real temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/PathCheck.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;
using PathCheck::EnsureResult;
using PathCheck::TouchResult;

namespace {

// A temporary folder whose paths the checks take as UTF-16.
struct CTempFolder : TestSupport::CTempFolder {
    [[nodiscard]] std::u16string operator/(const char* tail) const {
        return (Path() / tail).u16string();
    }
    const fs::path& path = Path();
};

struct CRecordingQuestions final : PathCheck::CPathQuestions {
    bool answer = false;
    std::vector<std::u16string> asked;
    std::vector<std::u16string> shown;
    bool Ask(std::u16string_view text) override {
        asked.emplace_back(text);
        return answer;
    }
    void ShowError(std::u16string_view text) override { shown.emplace_back(text); }
};

}  // namespace

TEST(PathCheck, ValidNames) {
    for (const char16_t* name : {u"Notes", u"my notes", u"a.b", u"x-1_(2)", u"\u00e9t\u00e9"})
        EXPECT_TRUE(PathCheck::IsValidName(name)) << fs::path(name);
    for (const char16_t* name : {u"", u" lead", u"trail ", u".hidden", u"end.", u"a\"b", u"a*b",
                                 u"a/b", u"a:b", u"a<b", u"a>b", u"a?b", u"a\\b", u"a|b"})
        EXPECT_FALSE(PathCheck::IsValidName(name)) << fs::path(name);
}

TEST(PathCheck, TouchTable) {
    CTempFolder temp;
    std::ofstream(temp.path / "file") << "in the way";

    struct Row {
        std::u16string path;
        bool checkOnly;
        TouchResult expected;
        bool createsPath;
    };
    const std::vector<Row> rows = {
        {u"", true, TouchResult::Invalid, false},
        {u"notes/a", true, TouchResult::Invalid, false},
        {u"/", false, TouchResult::Good, false},
        {temp / "a/", false, TouchResult::Invalid, false},
        {temp / "a//b", true, TouchResult::Invalid, false},
        {temp / "a./b", false, TouchResult::Invalid, false},
        {temp / "new/one", true, TouchResult::Good, false},
        {temp / "deep/er/and/deeper", false, TouchResult::Good, true},
        {temp / "file/sub", false, TouchResult::CannotCreate, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(PathCheck::Touch(row.path, row.checkOnly), row.expected) << fs::path(row.path);
        if (row.path.size() > 1) {
            EXPECT_EQ(fs::is_directory(fs::path(row.path)), row.createsPath) << fs::path(row.path);
        }
    }
    // Every missing level was created, and a checking-only walk created nothing.
    EXPECT_TRUE(fs::is_directory(temp.path / "deep" / "er" / "and"));
    EXPECT_FALSE(fs::exists(temp.path / "new"));
    EXPECT_FALSE(fs::exists(temp.path / "a"));
}

TEST(PathCheck, MakeSurePathExistsAsksAndTells) {
    CTempFolder temp;
    std::ofstream(temp.path / "file") << "in the way";
    struct Row {
        std::u16string path;
        bool answer;
        EnsureResult expected;
        size_t questions;
        std::u16string message;
    };
    const std::vector<Row> rows = {
        {temp.path.u16string(), false, EnsureResult::Exists, 0, u""},
        {temp / "x/y", false, EnsureResult::Declined, 1, u""},
        {temp / "x/y", true, EnsureResult::Exists, 1, u""},
        {temp / "bad/", true, EnsureResult::Invalid, 0, PathCheck::InvalidMessage(temp / "bad/")},
        {u"relative", true, EnsureResult::Invalid, 0, PathCheck::InvalidMessage(u"relative")},
        {temp / "file/sub", true, EnsureResult::CannotCreate, 1,
         PathCheck::CannotCreateMessage(temp / "file/sub")},
    };
    for (const Row& row : rows) {
        CRecordingQuestions questions;
        questions.answer = row.answer;
        EXPECT_EQ(PathCheck::MakeSurePathExists(row.path, questions), row.expected)
            << fs::path(row.path);
        ASSERT_EQ(questions.asked.size(), row.questions) << fs::path(row.path);
        if (row.questions) {
            EXPECT_EQ(questions.asked[0], PathCheck::CreateQuestion(row.path));
        }
        EXPECT_EQ(questions.shown.size(), row.message.empty() ? 0u : 1u) << fs::path(row.path);
        if (!row.message.empty() && !questions.shown.empty()) {
            EXPECT_EQ(questions.shown[0], row.message);
        }
        EXPECT_EQ(fs::is_directory(fs::path(row.path)), row.expected == EnsureResult::Exists);
    }
}
