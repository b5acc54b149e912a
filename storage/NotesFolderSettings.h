#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "storage/FileSystem.h"
#include "storage/FolderPicker.h"
#include "storage/ProfileSettings.h"

namespace NoteTreeEngine {

inline constexpr std::u16string_view kChooseFolderCaption = u"Select Folder";
inline constexpr std::u16string_view kChooseFolderPrompt =
    u"Please select a folder for your notes.";

// The stored notes folder, "" when none was chosen.
[[nodiscard]] std::u16string GetNotesFolder(CProfileSettings& settings);
void SetNotesFolder(CProfileSettings& settings, std::u16string_view path);
// The folder the user picks, "" when cancelled.
[[nodiscard]] std::u16string ChooseNotesFolder(CFolderPicker& picker,
                                               std::u16string_view prompt = kChooseFolderPrompt);
// The first half of changing the notes folder: lets the user choose one and gives it only when it
// differs (exactly) from the stored one and was not cancelled; the caller then saves and clears
// the tree, SetNotesFolder and loads the new tree. "" means: change nothing.
[[nodiscard]] std::u16string ChooseOtherNotesFolder(CProfileSettings& settings,
                                                    CFolderPicker& picker);
// Copies the start-up notes ("*.xml" of `from`) into a notes folder that has no index.xml yet
// (nothing when it has one).
// A name that exists in the target is copied under a new name (for a note, a fresh
// identifier), never over the file. Returns how many files were copied.
size_t CopyStartUpNotes(NoteStorage::CFileSystem& fs, const std::filesystem::path& from,
                        const std::filesystem::path& to);

}  // namespace NoteTreeEngine
