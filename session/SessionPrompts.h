#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "session/Prompts.h"

namespace NoteTreeEngine {

// The prompts the session's parts use: the user's own, until the program must end without
// waiting for anyone (a termination signal, the desktop session ending). From then on every
// message goes to a log, one line each, and every question is answered No.
class CSessionPrompts final : public CPrompts {
public:
    // Borrowed; outlives these.
    explicit CSessionPrompts(CPrompts& user) : m_user(user) {}
    CSessionPrompts(const CSessionPrompts&) = delete;
    CSessionPrompts& operator=(const CSessionPrompts&) = delete;

    // `log` (borrowed) takes the messages from now on; null gives them to the user again.
    void LogTo(std::ostream* log) noexcept { m_log = log; }

    void ShowMessageBox(std::u16string_view text, MessageIcon icon,
                        std::u16string_view caption) override;
    bool AskYesNo(std::u16string_view text, std::u16string_view caption) override;
    std::u16string PickFolder(std::u16string_view caption, std::u16string_view prompt) override;

private:
    CPrompts& m_user;
    std::ostream* m_log = nullptr;
};

}  // namespace NoteTreeEngine
