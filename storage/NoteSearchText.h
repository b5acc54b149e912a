#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/NoteDocument.h"

namespace NoteStorage {

// The searchable text of a note: every element after the document's first paragraph mark, a
// character as its code unit and a paragraph mark as u'\n'. Offset k of the text is therefore the
// element at index k + 1 of the document, which is how a match found in the text is selected in
// the editor.

// Appends the searchable text of the document.
void AppendSearchText(const NoteEditEngine::CNoteDocument& document, std::u16string& out);

// The same text straight from the bytes of a note file, without building a document: exactly what
// AppendSearchText gives for the document that LoadNoteFile reads from these bytes. False (with
// `out` unchanged) where LoadNoteFile would report NotANote. Terminates on every input. A `stop`
// set while it runs ends it early, also with false and `out` unchanged: a reader on another
// thread is not waited for at exit.
bool ExtractSearchText(std::string_view fileBytes, std::u16string& out,
                       const std::atomic<bool>* stop = nullptr);

}  // namespace NoteStorage
