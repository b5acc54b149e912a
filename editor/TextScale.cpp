#include "editor/TextScale.h"

#include "ui/ProfileSettings.h"

namespace NoteEditor {

NoteLayoutEngine::TextSize StoredTextSize() {
    const int stored =
        ProfileSettings::ReadInt(QStringLiteral("TextFormatting"), QStringLiteral("Scale"),
                                 static_cast<int>(NoteLayoutEngine::TextSize::kMedium));
    // Compared before any arithmetic: the settings file may hold any number.
    if (stored < 0 || stored >= NoteLayoutEngine::kTextSizeCount)
        return NoteLayoutEngine::TextSize::kMedium;
    return static_cast<NoteLayoutEngine::TextSize>(stored);
}

void StoreTextSize(NoteLayoutEngine::TextSize size) {
    ProfileSettings::WriteInt(QStringLiteral("TextFormatting"), QStringLiteral("Scale"),
                              static_cast<int>(size));
}

}  // namespace NoteEditor
