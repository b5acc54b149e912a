#include "app/PathCheck.h"

#include <filesystem>
#include <system_error>

namespace PathCheck {

namespace {

std::filesystem::path NativePath(std::u16string_view path) {
    return std::filesystem::path(std::u16string(path));
}

bool IsEdgeCharacter(char16_t c) noexcept {
    return c == u'\t' || c == u' ' || c == u'.';
}

std::u16string FolderMessage(std::u16string_view path, std::u16string_view tail) {
    std::u16string text = u"The folder:\n\n";
    text += path;
    text += u"\n\n";
    text += tail;
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
    return FolderMessage(path, u"does not exist. Do you want the folder to be created?");
}

std::u16string InvalidMessage(std::u16string_view path) {
    return FolderMessage(path, u"is invalid. Please reenter.");
}

std::u16string CannotCreateMessage(std::u16string_view path) {
    return FolderMessage(path, u"can not be created. Please double check.");
}

EnsureResult MakeSurePathExists(std::u16string_view path, CPathQuestions& questions) {
    TouchResult result = Touch(path, true);
    if (result == TouchResult::Good) {
        if (FolderExists(path)) return EnsureResult::Exists;
        if (!questions.Ask(CreateQuestion(path))) return EnsureResult::Declined;
        result = Touch(path, false);
        if (result == TouchResult::Good) return EnsureResult::Exists;
    }
    if (result == TouchResult::Invalid) {
        questions.ShowError(InvalidMessage(path));
        return EnsureResult::Invalid;
    }
    questions.ShowError(CannotCreateMessage(path));
    return EnsureResult::CannotCreate;
}

}  // namespace PathCheck
