#pragma once

#include <string>
#include <string_view>

namespace NoteTreeEngine {

// The folder picker dialog.
class CFolderPicker {
public:
    virtual ~CFolderPicker() = default;

    // Shows the picker with the caption and prompt; the chosen folder, or "" when cancelled.
    [[nodiscard]] virtual std::u16string PickFolder(std::u16string_view caption,
                                                    std::u16string_view prompt) = 0;
};

}  // namespace NoteTreeEngine
