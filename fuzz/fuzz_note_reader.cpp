// The note file reader on arbitrary bytes: decode, read into a fresh document, check the
// document's invariants, write it back and read it again. What is written must be well-formed
// XML. The second read must give the same text, formats and character styles (paragraph marks
// aside: their own style is written but, by design, not restored; what XML forbids comes back as
// U+FFFD, and a surrogate pair in the style of its first half), and from then on writing and
// reading is a fixed point.

#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/Utf16.h"
#include "base/Utf8.h"
#include "fuzz/WellFormedXml.h"
#include "model/NoteDocument.h"
#include "model/NoteUndoHistory.h"
#include "storage/NoteFile.h"
#include "storage/XmlPrimitives.h"

using namespace NoteEditEngine;
using namespace NoteStorage;

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_note_reader: %s\n", what);
    std::abort();
}

// Every element as (kind, code unit or style and indent, character style); marks' own character
// styles only when asked. As written: code units XML forbids as U+FFFD, and the second half of a
// surrogate pair in the style of the first.
std::u16string Describe(const CNoteDocument& doc, bool markStyles) {
    std::u16string out;
    char16_t pairStyle = 0;
    bool inPair = false;
    for (auto it = doc.begin(); it != doc.end(); ++it) {
        if (it.IsParagraph()) {
            out.push_back(u'\u00B6');
            out.push_back(static_cast<char16_t>(it.Format().Style()));
            out.push_back(static_cast<char16_t>(it.Format().Indent()));
            out.push_back(static_cast<char16_t>(markStyles ? it.Style().Word() : 0));
            inPair = false;
            continue;
        }
        char16_t c = it.CodeUnit();
        char16_t style = static_cast<char16_t>(it.Style().Word());
        if (inPair) {
            style = pairStyle;  // c is the low half that the previous element paired with
            inPair = false;
        } else if (NoteBase::IsHighSurrogate(c)) {
            auto next = it;
            ++next;
            inPair = next != doc.end() && !next.IsParagraph() &&
                     NoteBase::IsLowSurrogate(next.CodeUnit());
            pairStyle = style;
            if (!inPair) c = kReplacementCharacter;
        } else if (!IsXmlCharacter(c)) {
            c = kReplacementCharacter;
        }
        out.push_back(u'c');
        out.push_back(c);
        out.push_back(style);
    }
    return out;
}

void CheckInvariants(const CNoteDocument& doc) {
    if (doc.size() == 0 || !doc.begin().IsParagraph()) Fail("no leading paragraph mark");
    for (auto it = doc.begin(); it != doc.end(); ++it) {
        if ((it.Style().Word() & ~CharacterStyle::kMask) != 0) Fail("stray style bits");
        if (it.IsParagraph()) {
            const ParagraphFormat format = it.Format();
            if (format.Style() >= kParagraphStyleCount) Fail("style out of range");
            if (format.Indent() < 0 || format.Indent() > kMaxIndent) Fail("indent out of range");
            if (format.Style() == kOrderedList) Fail("code 4 read from a file");
        } else {
            const char16_t c = it.CodeUnit();
            if (c != u' ' && c < 0x80 && IsXmlSpace(c)) Fail("white space kept");
        }
    }
    if (doc.UndoHistory().CanUndo() || doc.UndoHistory().IsSuspended()) {
        Fail("loading left undo steps or a suspension behind");
    }
    if (!NotificationsEnabled) Fail("notifications left off");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool initialised = [] {
        std::setlocale(LC_ALL, "C.UTF-8");
        return true;
    }();
    (void)initialised;
    if (size > 512 * 1024) return 0;

    const std::u16string text =
        NoteBase::Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
    CNoteDocument first;
    first.SetCreated(11);
    first.SetModified(22);
    Cursor cursor = 0;
    const bool isNote = ReadNoteXml(first, text, cursor);
    CheckInvariants(first);
    if (cursor != npos && cursor > text.size()) Fail("cursor past the end");
    if (!isNote) {
        if (first.size() != 1 || first.Created() != 11 || first.Modified() != 22) {
            Fail("a text that is no note changed the document");
        }
        return 0;
    }

    std::u16string written;
    WriteNoteFileText(first, written);
    if (!FuzzSupport::IsWellFormedXml(written, false)) Fail("a written note is not well-formed");
    CNoteDocument second;
    cursor = 0;
    if (!ReadNoteXml(second, written, cursor)) Fail("a written note does not read as a note");
    CheckInvariants(second);
    if (second.Created() != first.Created() || second.Modified() != first.Modified()) {
        Fail("times changed on the round trip");
    }
    if (Describe(second, false) != Describe(first, false))
        Fail("content changed on the round trip");

    std::u16string rewritten;
    WriteNoteFileText(second, rewritten);
    CNoteDocument third;
    cursor = 0;
    if (!ReadNoteXml(third, rewritten, cursor)) Fail("a rewritten note does not read");
    if (Describe(third, true) != Describe(second, true)) Fail("second round trip not exact");
    std::u16string again;
    WriteNoteFileText(third, again);
    if (again != rewritten) Fail("writing is not a fixed point");
    return 0;
}
