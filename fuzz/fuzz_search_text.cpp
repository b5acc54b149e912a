// The searchable text straight from a file's bytes against the note reader on arbitrary bytes:
// both must agree on whether the bytes hold a note and, if so, on every code unit of the text.

#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/NoteDocument.h"
#include "storage/NoteFile.h"
#include "storage/NoteSearchText.h"
#include "tests/support/ForwardingFileSystem.h"

using namespace NoteStorage;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool initialised = [] {
        std::setlocale(LC_ALL, "C.UTF-8");
        return true;
    }();
    (void)initialised;
    if (size > 512 * 1024) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    TestSupport::CBytesFileSystem fs(bytes);
    NoteEditEngine::CNoteDocument doc;
    const bool isNote = LoadNoteFile(fs, "note.jwf", doc) == NoteFileRead::Read;
    std::u16string expected = u"x";
    if (isNote) AppendSearchText(doc, expected);

    std::u16string extracted = u"x";
    if (ExtractSearchText(bytes, extracted) != isNote) {
        std::fprintf(stderr, "fuzz_search_text: the two disagree on whether this is a note\n");
        std::abort();
    }
    if (extracted != expected) {
        std::fprintf(stderr, "fuzz_search_text: the texts differ\n");
        std::abort();
    }
    return 0;
}
