#include "storage/NotesFolderSettings.h"

#include <algorithm>
#include <vector>

#include "base/Utf8.h"
#include "storage/TreeItemRecord.h"

namespace NoteTreeEngine {

std::u16string GetNotesFolder(CProfileSettings& settings) {
    return settings.ReadNotesFolder();
}

void SetNotesFolder(CProfileSettings& settings, std::u16string_view path) {
    settings.WriteNotesFolder(path);
}

std::u16string ChooseNotesFolder(CFolderPicker& picker, std::u16string_view prompt) {
    return picker.PickFolder(kChooseFolderCaption, prompt);
}

std::u16string ChooseOtherNotesFolder(CProfileSettings& settings, CFolderPicker& picker) {
    std::u16string chosen = ChooseNotesFolder(picker);
    if (chosen == GetNotesFolder(settings)) return {};
    return chosen;
}

size_t CopyStartUpNotes(NoteStorage::CFileSystem& fs, const std::filesystem::path& from,
                        const std::filesystem::path& to) {
    // Only a new notes folder gets them; an existing one keeps its own notes as they are.
    if (fs.Exists(to / "index.xml")) return 0;
    std::vector<std::filesystem::path> names = fs.ListFolder(from);
    std::sort(names.begin(), names.end());
    size_t copied = 0;
    for (const std::filesystem::path& name : names) {
        const std::string file = name.filename().string();
        if (file.size() <= 4 || !file.ends_with(".xml")) continue;
        std::string bytes;
        if (!fs.Stamp(from / name) || !fs.ReadWhole(from / name, bytes)) continue;
        std::filesystem::path target = to / name;
        if (fs.Exists(target)) {
            const std::string stem = file.substr(0, file.size() - 4);
            if (file == "index.xml") continue;  // an index is never replaced nor doubled
            if (IsValidNoteId(NoteBase::Utf8ToUtf16(stem))) {
                // Another note: a fresh identifier, so it comes in as an orphan of its own.
                CTreeItemRecord record;
                for (int attempt = 0; attempt < 100 && fs.Exists(target); ++attempt) {
                    NewNoteId(record);
                    target = to / (NoteBase::Utf16ToUtf8(record.id) + ".xml");
                }
            } else {
                for (int serial = 2; serial < 1000 && fs.Exists(target); ++serial)
                    target = to / (stem + "-" + std::to_string(serial) + ".xml");
            }
            if (fs.Exists(target)) continue;
        }
        if (NoteStorage::ReplaceFileContents(fs, target, bytes)) ++copied;
    }
    return copied;
}

}  // namespace NoteTreeEngine
