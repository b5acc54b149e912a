#pragma once

#include "base/CommandIds.h"
#include "layout/StyleTable.h"

namespace NoteEditor {

// The text size commands run from largest to smallest with consecutive ids.
inline constexpr int kFirstTextSizeCommand = CommandIds::kTextSizeLargest;
inline constexpr int kMediumTextSizeCommand = CommandIds::kTextSizeMedium;
inline constexpr int kLastTextSizeCommand = CommandIds::kTextSizeSmallest;
static_assert(kMediumTextSizeCommand - kFirstTextSizeCommand ==
                  static_cast<int>(NoteLayoutEngine::TextSize::kMedium) &&
              kLastTextSizeCommand - kFirstTextSizeCommand == NoteLayoutEngine::kTextSizeCount - 1);

// The text size a text size command selects, the commands running largest to smallest; anything
// else is Medium.
[[nodiscard]] constexpr NoteLayoutEngine::TextSize TextSizeOf(int command) noexcept {
    if (command < kFirstTextSizeCommand || command > kLastTextSizeCommand)
        return NoteLayoutEngine::TextSize::kMedium;
    return static_cast<NoteLayoutEngine::TextSize>(command - kFirstTextSizeCommand);
}

// The text size kept in the user's settings; Medium when none is kept or it is out of range.
[[nodiscard]] NoteLayoutEngine::TextSize StoredTextSize();
void StoreTextSize(NoteLayoutEngine::TextSize size);

}  // namespace NoteEditor
