#pragma once

#include <string>
#include <string_view>

#include "base/Utf8.h"

// The folder picker's checks on a typed or stored folder path, free of Qt so that they can be
// tested as tables. Paths are absolute from "/"; the component name rules are stricter than the
// file system's, so that a notes folder also makes sense on other systems.
namespace PathCheck {

// What Touch found.
enum class TouchResult { Good = 0, Invalid = 1, CannotCreate = 2 };

// What MakeSurePathExists reports; the numbers are the ones callers have always compared with.
enum class EnsureResult { Exists = 0, Declined = -1, Invalid = 1, CannotCreate = 2 };

// One path component: not empty, not beginning or ending with a tab, a blank or a period, and
// none of " * / : < > ? \ |.
[[nodiscard]] bool IsValidName(std::u16string_view name) noexcept;

// Checks an absolute path component by component and, unless `checkOnly`, creates every missing
// level. A relative path, an empty component (doubled or trailing separator) or an invalid name
// is Invalid; a level that does not exist after trying to create it is CannotCreate. "/" alone
// is Good when checking only, else Good when it exists.
[[nodiscard]] TouchResult Touch(std::u16string_view path, bool checkOnly);

// True when `path` names an existing folder.
[[nodiscard]] bool FolderExists(std::u16string_view path);

// How MakeSurePathExists talks to the user.
class CPathQuestions {
public:
    virtual ~CPathQuestions() = default;
    // Asks the yes/no question `text`; true for Yes.
    [[nodiscard]] virtual bool Ask(std::u16string_view text) = 0;
    // Tells the user about an error.
    virtual void ShowError(std::u16string_view text) = 0;
    // A text of these checks in the user's language: `text` is the English source in UTF-8,
    // with %1 where the path goes. English unless overridden.
    [[nodiscard]] virtual std::u16string Translate(const char* text) {
        return NoteBase::Utf8ToUtf16(text);
    }
};

// The texts of the question and the two errors for `path`.
[[nodiscard]] std::u16string CreateQuestion(std::u16string_view path);
[[nodiscard]] std::u16string InvalidMessage(std::u16string_view path);
[[nodiscard]] std::u16string CannotCreateMessage(std::u16string_view path);

// Makes sure the folder exists: an invalid path is reported; a missing folder is offered for
// creation and, when the user agrees, created with every missing level. Errors are shown to the
// user before they are returned.
[[nodiscard]] EnsureResult MakeSurePathExists(std::u16string_view path, CPathQuestions& questions);

}  // namespace PathCheck
