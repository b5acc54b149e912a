#pragma once

#include <string>
#include <string_view>

#include "model/NoteDocument.h"
#include "model/NotePosition.h"
#include "storage/FileSystem.h"
#include "storage/XmlPrimitives.h"

namespace NoteStorage {

// The note file: one `note` element with the note's times and its content as paragraph and
// character markup. The content markup also serves the folder file and the styled clipboard.

// Appends the `note` element (no header).
void WriteNoteXml(NoteEditEngine::CNoteDocument& document, std::u16string& out);
// Appends the file header, then the `note` element: the whole text of a note file.
void WriteNoteFileText(NoteEditEngine::CNoteDocument& document, std::u16string& out);
// Appends the content markup of the elements after `start` through `end` (and of the mark at
// `start` when it is a paragraph mark, unless the range is a piece of that one paragraph). A mark
// at `end` is written only when `end` is the document's last position, so that a whole note keeps
// an empty last paragraph while a range that ends at a paragraph start opens no paragraph there.
// Character elements are closed before every paragraph element. The positions may come in either
// order; null positions or positions in two documents give nothing.
void WriteContentXml(std::u16string& out, const NoteEditEngine::CNotePosition& start,
                     const NoteEditEngine::CNotePosition& end);

// True when the first element is `note`; the document then holds the file's times and content.
// Otherwise the document is left as it was.
bool ReadNoteXml(NoteEditEngine::CNoteDocument& document, std::u16string_view text, Cursor& cursor);
// From just after the name "note": empties the document, reads the times and the content with
// undo recording suspended, and keeps the file's modified time.
void ReadNoteAttributesAndContent(NoteEditEngine::CNoteDocument& document, std::u16string_view text,
                                  Cursor& cursor);
// Inserts content markup at `insertion` (which moves past it) up to "</note>" or the end of the
// text, with one notification and, unless recording is suspended, one undo change.
void ReadContentXml(NoteEditEngine::CNotePosition& insertion, std::u16string_view text,
                    Cursor& cursor);

// How reading a note file went.
enum class NoteFileRead {
    Read,        // the file held a whole `note` element, now in the document
    Missing,     // there is no such file
    Unreadable,  // it exists but could not be read
    NotANote     // it holds no whole `note` element: empty, cut short, or some other file
};
// The one way a note file is read. The document is changed only when the result is Read. When
// `bytes` is given it receives the file's bytes as read (for telling later changes on disk).
// Ill-formed UTF-8 reads as U+FFFD; nothing here throws but std::bad_alloc.
NoteFileRead LoadNoteFile(CFileSystem& fs, const std::filesystem::path& path,
                          NoteEditEngine::CNoteDocument& document, std::string* bytes = nullptr);

// ReadContentXml always inserting element by element through the document's primitives. Into a
// document that holds only its first mark, ReadContentXml builds the same content in one go
// instead; tests and the fuzz targets compare the two.
void ReadContentXmlByElement(NoteEditEngine::CNotePosition& insertion, std::u16string_view text,
                             Cursor& cursor);

}  // namespace NoteStorage
