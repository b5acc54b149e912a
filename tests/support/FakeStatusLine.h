#pragma once

#include <string>
#include <string_view>

#include "storage/StatusLine.h"

namespace TestSupport {

// Keeps the last text shown.
class CFakeStatusLine final : public NoteTreeEngine::CStatusLine {
public:
    void ShowUnsavedNotes(std::u16string_view shown) override { text = shown; }
    std::u16string text;
};

}  // namespace TestSupport
