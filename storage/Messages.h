#pragma once

#include <string_view>

namespace NoteTreeEngine {

enum class MessageIcon { None, Warning };

// The caption of the program's own message boxes.
inline constexpr std::u16string_view kMessageCaption = u"Jotwell";

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
