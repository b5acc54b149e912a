#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "session/Prompts.h"

namespace TestSupport {

// Records every message and question; answers questions with `answerYes` and the folder picker
// with `folder` ("" cancels), recording each pick as "caption|prompt".
class CFakePrompts final : public NoteTreeEngine::CPrompts {
public:
    struct CMessage {
        std::u16string text;
        NoteTreeEngine::MessageIcon icon;
        std::u16string caption;
    };

    void ShowMessageBox(std::u16string_view text, NoteTreeEngine::MessageIcon icon,
                        std::u16string_view caption) override {
        m_messages.push_back({std::u16string(text), icon, std::u16string(caption)});
        if (whileShown) whileShown();
    }
    // Recorded as a message with a warning icon.
    bool AskYesNo(std::u16string_view text, std::u16string_view caption) override {
        ShowMessageBox(text, NoteTreeEngine::MessageIcon::Warning, caption);
        return answerYes;
    }
    std::u16string PickFolder(std::u16string_view caption, std::u16string_view prompt) override {
        asked.push_back(std::u16string(caption) + u"|" + std::u16string(prompt));
        return folder;
    }

    [[nodiscard]] const std::vector<CMessage>& Messages() const { return m_messages; }
    [[nodiscard]] std::vector<std::u16string> Texts() const {
        std::vector<std::u16string> texts;
        for (const CMessage& message : m_messages)
            texts.push_back(message.text);
        return texts;
    }

    // What the window does while a box is up: a modal box runs its events.
    std::function<void()> whileShown;
    bool answerYes = true;
    std::u16string folder;
    std::vector<std::u16string> asked;

private:
    std::vector<CMessage> m_messages;
};

}  // namespace TestSupport
