// The folder picker's path checks, as tables, on a real temporary folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "app/PathCheck.h"

namespace fs = std::filesystem;
using PathCheck::EnsureResult;
using PathCheck::TouchResult;

namespace {

struct CTempFolder {
    CTempFolder() {
        path =
            fs::temp_directory_path() / ("jotwell-path-" + std::to_string(std::random_device()()));
        fs::create_directories(path);
    }
    ~CTempFolder() {
        std::error_code error;
        fs::permissions(path / "locked", fs::perms::owner_all, error);
        fs::remove_all(path, error);
    }
    [[nodiscard]] std::u16string operator/(const char* tail) const {
        return (path / tail).u16string();
    }
    fs::path path;
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
    fs::create_directory(temp.path / "locked");
    fs::permissions(temp.path / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    // Root ignores the permissions, so the locked row cannot fail for it.
    const bool root = ::geteuid() == 0;
    if (root) std::cout << "Running as root: the read-only parent row is skipped.\n";

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
        {temp / "locked/sub/more", false, TouchResult::CannotCreate, false},
    };
    for (const Row& row : rows) {
        if (root && row.path.find(u"locked") != std::u16string::npos) continue;
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
