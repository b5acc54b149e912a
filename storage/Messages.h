#pragma once

#include <string>
#include <string_view>
#include <system_error>

#include "base/Utf8.h"

namespace NoteTreeEngine {

enum class MessageIcon { None, Warning };

// The caption of the program's own message boxes.
inline constexpr std::u16string_view kMessageCaption = u"Jotwell";

// The system's words for why a file operation failed ("Permission denied"), for a message.
[[nodiscard]] inline std::u16string ReasonText(const std::error_code& error) {
    if (!error) return u"the system gave no reason";
    return NoteBase::Utf8ToUtf16(error.message());
}

// How storage tells the user about a file it could not read or write. The session's prompts
// extend it; tests record the messages.
class CMessages {
public:
    virtual ~CMessages() = default;

    // A modal message box with an OK button.
    virtual void ShowMessageBox(std::u16string_view text, MessageIcon icon,
                                std::u16string_view caption) = 0;
};

}  // namespace NoteTreeEngine
