#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "storage/FolderPicker.h"

namespace TestSupport {

// A folder picker that answers with a fixed folder ("" cancels) and records each question as
// "caption|prompt".
class CFakePicker final : public NoteTreeEngine::CFolderPicker {
public:
    std::u16string PickFolder(std::u16string_view caption, std::u16string_view prompt) override {
        asked.push_back(std::u16string(caption) + u"|" + std::u16string(prompt));
        return answer;
    }
    std::u16string answer;
    std::vector<std::u16string> asked;
};

}  // namespace TestSupport
