#pragma once

#include <string_view>

namespace NoteTreeEngine {

// The status bar's text about notes not saved.
class CStatusLine {
public:
    virtual ~CStatusLine() = default;

    // "" when every note is saved.
    virtual void ShowUnsavedNotes(std::u16string_view text) = 0;
};

}  // namespace NoteTreeEngine
