// Reads arbitrary bytes as a folder file (tree with embedded notes) into an in-memory tree pane
// and note store, then writes the tree back with and without notes, both well-formed XML. As an
// oracle, the index text written from the read tree must read whole and write back to the very
// same text, and checking a text must find what reading it finds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Utf8.h"
#include "fuzz/WellFormedXml.h"
#include "storage/FileHandler.h"
#include "tests/support/FakeNoteStore.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/NoteTreeSupport.h"

namespace {

std::u16string WriteAll(NoteTreeEngine::CTreePane& pane, NoteTreeEngine::CNoteStore& store,
                        bool withNotes) {
    TestSupport::CFakePrompts prompts;
    NoteTreeEngine::CFileHandler writer(pane, store, prompts,
                                        pane.Children(NoteTreeEngine::kRootItem));
    std::u16string text;
    writer.WriteTreeText(withNotes, text);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string text =
        NoteBase::Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));

    TestSupport::CFakePrompts prompts;

    NoteTreeEngine::CNoteTree pane;
    TestSupport::CFakeNoteStore store;
    {
        NoteTreeEngine::CFileHandler reader(pane, store, prompts);
        // The check that guards an import finds what the read finds.
        if (reader.ReadTreeText(true, text) != NoteTreeEngine::CTreeTranslator::CheckTreeText(text))
            __builtin_trap();
    }
    const std::u16string folderFile = WriteAll(pane, store, true);
    const std::u16string index = WriteAll(pane, store, false);
    if (!FuzzSupport::IsWellFormedXml(folderFile, false) ||
        !FuzzSupport::IsWellFormedXml(index, false)) {
        __builtin_trap();
    }

    NoteTreeEngine::CNoteTree again;
    TestSupport::CFakeNoteStore againStore;
    {
        NoteTreeEngine::CFileHandler reader(again, againStore, prompts);
        if (reader.ReadTreeText(false, index) != NoteTreeEngine::TreeRead::Whole) __builtin_trap();
    }
    if (again.Size() != pane.Size() || WriteAll(again, againStore, false) != index) {
        __builtin_trap();
    }
    return 0;
}
