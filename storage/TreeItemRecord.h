#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "storage/XmlPrimitives.h"

namespace NoteTreeEngine {

// What the tree keeps of one note: the record behind every tree item, written as the attributes
// of its "item" element. Records are copied whole; the tree pane owns one per item.
struct CTreeItemRecord {
    // A fresh identifier, an empty name, every flag false and the numbers 0.
    CTreeItemRecord();
    // The same with the given identifier (which the caller vouches for).
    explicit CTreeItemRecord(std::u16string noteId);

    bool operator==(const CTreeItemRecord&) const = default;

    std::u16string id;        // names the note's file
    std::u16string username;  // the label shown in the tree
    bool isfixed = false;     // the label was set by the user and no longer follows the text
    bool isselected = false;
    bool isactive = false;  // its note holds the editor's caret
    bool isexpanded = false;
    int32_t size = 0;  // the note's element count less one
    int32_t created = 0;
    int32_t modified = 0;
};

// The longest identifier accepted from a file. Ours have 16 digits; anything near a file-name
// length limit could never name a note file.
inline constexpr size_t kMaxNoteIdLength = 64;

// Gives the record a fresh identifier: the current time in seconds followed by six random digits.
// Never the same identifier twice in a row. Uniqueness on disk is checked where files are created.
void NewNoteId(CTreeItemRecord& record);

// True for 1 to kMaxNoteIdLength decimal digits and nothing else: the only identifiers that may
// name a file, since a separator, a dot or a drive letter could reach outside the notes folder.
[[nodiscard]] bool IsValidNoteId(std::u16string_view id) noexcept;

// The note's file: the notes folder joined with id + ".xml". An empty path when the identifier is
// not valid, so that such a record can never name a file.
[[nodiscard]] std::filesystem::path NoteFilePath(const std::filesystem::path& notesFolder,
                                                 const CTreeItemRecord& record);

// Appends the nine attributes of an item start tag, each as ` name="value"`.
void AppendItemAttributes(const CTreeItemRecord& record, std::u16string& out);

// A record filled from the attributes of an "item" start tag; the cursor stands just after the
// element name and ends on the tag's ">" (or wherever the attributes ran to). An absent or invalid
// identifier is replaced by a fresh one; isactive implies isselected.
[[nodiscard]] CTreeItemRecord ReadItemAttributes(std::u16string_view text,
                                                 NoteStorage::Cursor& cursor);

// True when the path, lower-cased, ends with ".jwf".
[[nodiscard]] bool IsFolderFileName(const std::filesystem::path& path);

// The path as text for a message. Never throws: bytes that are not UTF-8 show as U+FFFD.
[[nodiscard]] std::u16string PathText(const std::filesystem::path& path);

}  // namespace NoteTreeEngine
