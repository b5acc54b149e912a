#include "app/PathCheck.h"

#include <filesystem>
#include <system_error>

#include "base/Translatable.h"

namespace PathCheck {

namespace {

std::filesystem::path NativePath(std::u16string_view path) {
    return std::filesystem::path(std::u16string(path));
}

bool IsEdgeCharacter(char16_t c) noexcept {
    return c == u'\t' || c == u' ' || c == u'.';
}

// The question and the errors, with %1 for the path.
constexpr const char* kCreateQuestion = JW_TRANSLATE_NOOP(
    "PathCheck", "The folder:\n\n%1\n\ndoes not exist. Do you want the folder to be created?");
constexpr const char* kInvalidMessage =
    JW_TRANSLATE_NOOP("PathCheck", "The folder:\n\n%1\n\nis invalid. Please reenter.");
constexpr const char* kCannotCreateMessage =
    JW_TRANSLATE_NOOP("PathCheck", "The folder:\n\n%1\n\ncan not be created. Please double check.");

// The path in place of the first %1 only, so that a path holding "%1" stays as it is.
std::u16string WithPath(std::u16string text, std::u16string_view path) {
    const size_t at = text.find(u"%1");
    if (at != std::u16string::npos) text.replace(at, 2, path);
    return text;
}

}  // namespace

bool IsValidName(std::u16string_view name) noexcept {
    if (name.empty() || IsEdgeCharacter(name.front()) || IsEdgeCharacter(name.back())) return false;
    return name.find_first_of(u"\"*/:<>?\\|") == std::u16string_view::npos;
}

bool FolderExists(std::u16string_view path) {
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(NativePath(path), error);
}

TouchResult Touch(std::u16string_view path, bool checkOnly) {
    if (path.empty() || path.front() != u'/') return TouchResult::Invalid;
    // The whole path is checked before anything is created, so that a bad name further on does
    // not leave the levels before it behind.
    if (!checkOnly && path.size() > 1) {
        const TouchResult checked = Touch(path, true);
        if (checked != TouchResult::Good) return checked;
    }
    if (path.size() == 1) {
        if (checkOnly) return TouchResult::Good;
        return FolderExists(path) ? TouchResult::Good : TouchResult::CannotCreate;
    }
    size_t start = 1;
    for (;;) {
        const size_t end = path.find(u'/', start);
        const std::u16string_view name =
            path.substr(start, end == std::u16string_view::npos ? path.npos : end - start);
        // An empty name also catches a doubled separator and one at the very end.
        if (!IsValidName(name)) return TouchResult::Invalid;
        if (!checkOnly) {
            const std::u16string_view soFar = path.substr(0, end);
            std::error_code error;
            std::filesystem::create_directory(NativePath(soFar), error);
            if (!FolderExists(soFar)) return TouchResult::CannotCreate;
        }
        if (end == std::u16string_view::npos) return TouchResult::Good;
        start = end + 1;
    }
}

std::u16string CreateQuestion(std::u16string_view path) {
    return WithPath(NoteBase::Utf8ToUtf16(kCreateQuestion), path);
}

std::u16string InvalidMessage(std::u16string_view path) {
    return WithPath(NoteBase::Utf8ToUtf16(kInvalidMessage), path);
}

std::u16string CannotCreateMessage(std::u16string_view path) {
    return WithPath(NoteBase::Utf8ToUtf16(kCannotCreateMessage), path);
}

EnsureResult MakeSurePathExists(std::u16string_view path, CPathQuestions& questions) {
    TouchResult result = Touch(path, true);
    if (result == TouchResult::Good) {
        if (FolderExists(path)) return EnsureResult::Exists;
        if (!questions.Ask(WithPath(questions.Translate(kCreateQuestion), path)))
            return EnsureResult::Declined;
        result = Touch(path, false);
        if (result == TouchResult::Good) return EnsureResult::Exists;
    }
    if (result == TouchResult::Invalid) {
        questions.ShowError(WithPath(questions.Translate(kInvalidMessage), path));
        return EnsureResult::Invalid;
    }
    questions.ShowError(WithPath(questions.Translate(kCannotCreateMessage), path));
    return EnsureResult::CannotCreate;
}

}  // namespace PathCheck
