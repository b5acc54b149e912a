#pragma once

#include "layout/StyleTable.h"

namespace NoteEditor {

inline constexpr int kFirstTextSizeCommand = 32853;
inline constexpr int kMediumTextSizeCommand = 32855;
inline constexpr int kLastTextSizeCommand = 32857;

// The text size a text size command selects, the commands running largest to smallest; anything
// else is Medium.
[[nodiscard]] constexpr NoteLayoutEngine::TextSize TextSizeOf(int command) noexcept {
    if (command < kFirstTextSizeCommand || command > kLastTextSizeCommand)
        return NoteLayoutEngine::TextSize::kMedium;
    return static_cast<NoteLayoutEngine::TextSize>(command - kFirstTextSizeCommand);
}

}  // namespace NoteEditor
