#include "session/SessionPrompts.h"

#include <string>

#include "base/Utf8.h"

namespace NoteTreeEngine {

void CSessionPrompts::ShowMessageBox(std::u16string_view text, MessageIcon icon,
                                     std::u16string_view caption) {
    if (m_log == nullptr) return m_user.ShowMessageBox(text, icon, caption);
    std::string line = NoteBase::Utf16ToUtf8(text);
    for (char& c : line)
        if (c == '\n') c = ' ';
    *m_log << "jotwell: " << line << std::endl;
}

bool CSessionPrompts::AskYesNo(std::u16string_view text, std::u16string_view caption) {
    if (m_log == nullptr) return m_user.AskYesNo(text, caption);
    ShowMessageBox(text, MessageIcon::Warning, caption);
    return false;
}

std::u16string CSessionPrompts::PickFolder(std::u16string_view caption,
                                           std::u16string_view prompt) {
    return m_log == nullptr ? m_user.PickFolder(caption, prompt) : std::u16string();
}

}  // namespace NoteTreeEngine
