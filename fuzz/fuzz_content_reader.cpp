// The content reader as Paste uses it: arbitrary markup read into a small document at a place
// chosen by the first byte (paragraph starts, the middle of a paragraph, the end), with undo
// recording on under the action name "paste". The read must be one undo change: one undo brings
// back the document exactly, one redo the pasted state.

#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "NoteDocument.h"
#include "NoteDocumentObserver.h"
#include "NoteElement.h"
#include "NoteFile.h"
#include "NoteUndoHistory.h"
#include "Utf8.h"
#include "XmlPrimitives.h"

using namespace NoteEditEngine;
using namespace NoteStorage;

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_content_reader: %s\n", what);
    std::abort();
}

std::u16string Describe(const CNoteDocument& doc) {
    std::u16string out;
    for (auto it = doc.begin(); it != doc.end(); ++it) {
        const CNoteElement* element = *it;
        if (const CNoteParagraph* mark = AsParagraph(element)) {
            out.push_back(u'\u00B6');
            out.push_back(static_cast<char16_t>(mark->Format().Style()));
            out.push_back(static_cast<char16_t>(mark->Format().Indent()));
        } else {
            out.push_back(AsCharacter(element)->CodeUnit());
        }
        out.push_back(static_cast<char16_t>(element->Style().Word()));
    }
    return out;
}

// Counts what observers are told; the read must send exactly one summary notification.
class CountingObserver final : public CNoteDocumentObserver {
public:
    void OnElementsRemoving(const CNotePosition&, uint32_t) override { ++removing; }
    void OnElementsChanged(const CNotePosition&, uint32_t count) override {
        ++changed;
        lastCount = count;
    }
    int removing = 0;
    int changed = 0;
    uint32_t lastCount = 0;
};

// "Title" as Header 1, "ab" + "cd" in Strong as Normal, "ef" as an unchecked item at indent 2.
void Fill(CNoteDocument& doc) {
    static const std::u16string kNote =
        u"<note created=\"1\" modified=\"2\"><header1>Title</header1><paragraph>ab<strong>cd"
        u"</strong></paragraph><listunchecked indent='2'>ef</listunchecked></note>";
    Cursor cursor = 0;
    if (!ReadNoteXml(doc, kNote, cursor)) Fail("the seed note does not read");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool initialised = [] {
        std::setlocale(LC_ALL, "C.UTF-8");
        return true;
    }();
    (void)initialised;
    if (size == 0 || size > 256 * 1024) return 0;

    CNoteDocument doc;
    Fill(doc);
    const std::u16string before = Describe(doc);
    const uint32_t sizeBefore = doc.size();
    CNotePosition p = doc.FromIndex(data[0] % sizeBefore);
    const uint32_t at = p.Index();
    const std::u16string text =
        Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));

    CountingObserver observer;
    doc.AddObserver(&observer);
    const uint32_t stepsBefore = static_cast<uint32_t>(doc.UndoHistory().Steps().size());
    {
        CActionScope paste(u"paste");
        Cursor cursor = 0;
        ReadContentXml(p, text, cursor);
        StartNewUndoGroup();
    }
    if (!NotificationsEnabled || doc.UndoHistory().IsSuspended()) Fail("state left behind");
    if (observer.removing != 0 || observer.changed > 1) Fail("more than one notification");
    if (p.Document() != &doc) Fail("position left the document");
    const uint32_t inserted = doc.size() - sizeBefore;
    if (p.Index() < at || p.Index() > at + inserted) Fail("position outside the inserted run");
    if (observer.changed == 1 && observer.lastCount != inserted) Fail("notification count");
    const std::u16string after = Describe(doc);
    if (after == before) return 0;

    const auto& steps = doc.UndoHistory().Steps();
    if (steps.size() <= stepsBefore) Fail("a change was not recorded");
    const uint32_t group = steps.back().group;
    for (size_t i = stepsBefore; i < steps.size(); ++i) {
        if (steps[i].group != group) Fail("the read is more than one undo change");
    }
    doc.UndoHistory().Undo();
    if (Describe(doc) != before) Fail("undo does not restore the document");
    doc.UndoHistory().Redo();
    if (Describe(doc) != after) Fail("redo does not restore the paste");
    doc.RemoveObserver(&observer);
    return 0;
}
