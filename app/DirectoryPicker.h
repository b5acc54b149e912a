#pragma once

#include "storage/FolderPicker.h"

class QWidget;

// The platform's directory dialog as the folder picker, until the program's own dialog takes its
// place.
class CDirectoryPicker final : public NoteTreeEngine::CFolderPicker {
public:
    explicit CDirectoryPicker(QWidget* parent = nullptr) : m_parent(parent) {}

    [[nodiscard]] std::u16string PickFolder(std::u16string_view caption,
                                            std::u16string_view prompt) override;

private:
    QWidget* m_parent;
};
