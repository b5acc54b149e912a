#include "editor/TextScale.h"

#include "ui/Settings.h"

namespace NoteEditor {

NoteLayoutEngine::TextSize StoredTextSize() {
    const int stored = Settings::Read(Settings::kTextScale);
    // Compared before any arithmetic: the settings file may hold any number.
    if (stored < 0 || stored >= NoteLayoutEngine::kTextSizeCount)
        return NoteLayoutEngine::TextSize::kMedium;
    return static_cast<NoteLayoutEngine::TextSize>(stored);
}

void StoreTextSize(NoteLayoutEngine::TextSize size) {
    Settings::Write(Settings::kTextScale, static_cast<int>(size));
}

}  // namespace NoteEditor
