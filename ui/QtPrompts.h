#pragma once

#include <string>
#include <string_view>

#include "session/Prompts.h"
#include "storage/FolderPicker.h"

class QWidget;

// The session's prompts as modal message boxes (through MessageBox, so that tests record them)
// over the parent window, and the program's folder picker.
class CQtPrompts final : public NoteTreeEngine::CPrompts {
public:
    // Both borrowed; the picker outlives the prompts, the parent may be null.
    CQtPrompts(QWidget* parent, NoteTreeEngine::CFolderPicker& picker)
        : m_parent(parent), m_picker(picker) {}

    void ShowMessageBox(std::u16string_view text, NoteTreeEngine::MessageIcon icon,
                        std::u16string_view caption) override;
    bool AskYesNo(std::u16string_view text, std::u16string_view caption) override;
    std::u16string PickFolder(std::u16string_view caption, std::u16string_view prompt) override {
        return m_picker.PickFolder(caption, prompt);
    }

private:
    QWidget* m_parent;
    NoteTreeEngine::CFolderPicker& m_picker;
};
