// The content reader as Paste uses it: arbitrary markup read into a small document at a place
// chosen by the first byte (paragraph starts, the middle of a paragraph, the end), with undo
// recording on under the action name "paste". The read must be one undo change: one undo brings
// back the document exactly, one redo the pasted state. The same markup read into a fresh
// document, where the reader builds the content in one go, must give what reading element by
// element gives: the same elements, position, modified time and undo history. What the content
// writer makes of the result is well-formed XML.

#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Utf8.h"
#include "fuzz/WellFormedXml.h"
#include "model/Clock.h"
#include "model/NoteDocument.h"
#include "model/NoteDocumentObserver.h"
#include "model/NoteUndoHistory.h"
#include "storage/NoteFile.h"
#include "storage/XmlPrimitives.h"

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
        if (it.IsParagraph()) {
            out.push_back(u'\u00B6');
            out.push_back(static_cast<char16_t>(it.Format().Style()));
            out.push_back(static_cast<char16_t>(it.Format().Indent()));
        } else {
            out.push_back(it.CodeUnit());
        }
        out.push_back(static_cast<char16_t>(it.Style().Word()));
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

void CheckOneUndoChange(CNoteDocument& doc, const std::u16string& before,
                        const std::u16string& after, uint32_t stepsBefore) {
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
}

// The clock: a document made at one time and read into at a later one shows whether the read
// stamped it.
int32_t g_now = 1000;
int32_t Now() {
    return g_now;
}

struct Snapshot {
    std::u16string elements;
    uint32_t index;
    uint32_t typing;
    int32_t modified;
    std::vector<UndoStep> steps;
    std::u16string recorded;

    friend bool operator==(const Snapshot&, const Snapshot&) = default;
};

// Reads the markup into a fresh document with the given reader, recording under "paste".
template <typename Reader>
Snapshot ReadFresh(const std::u16string& text, uint32_t typing, Reader read) {
    g_now = 1000;
    CNoteDocument doc;
    g_now = 2000;
    CNotePosition p = doc.Start();
    p.SetTypingStyle(CharacterStyle(typing));
    {
        CActionScope paste(u"paste");
        Cursor cursor = 0;
        read(p, text, cursor);
        StartNewUndoGroup();
    }
    Snapshot snapshot{Describe(doc),
                      p.Index(),
                      p.TypingStyle().Word(),
                      doc.Modified(),
                      doc.UndoHistory().Steps(),
                      {}};
    // Unit by unit: where the runs split depends on how the store was filled.
    for (size_t i = 0; i < doc.UndoHistory().TextRunCount(); ++i) {
        const TextRun& run = doc.UndoHistory().TextRunAt(i);
        if (run.length == 0) {
            snapshot.recorded.push_back(u'\u00B6');
            snapshot.recorded.push_back(static_cast<char16_t>(run.format.Style()));
            snapshot.recorded.push_back(static_cast<char16_t>(run.format.Indent()));
        }
        for (uint32_t k = 0; k < run.length; ++k) {
            snapshot.recorded.push_back(run.mark ? u'\u00B6' : doc.Text().UnitAt(run.start + k));
            snapshot.recorded.push_back(static_cast<char16_t>(run.style.Word()));
        }
    }
    // Group numbers differ from run to run; what counts is that they are shared alike.
    const uint32_t firstGroup = snapshot.steps.empty() ? 0 : snapshot.steps.front().group;
    for (UndoStep& step : snapshot.steps)
        step.group -= firstGroup;
    return snapshot;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool initialised = [] {
        std::setlocale(LC_ALL, "C.UTF-8");
        SetTimeSource(&Now);
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
        NoteBase::Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));

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
    // What was pasted, and the whole note, copy out as well-formed markup.
    for (const auto& [from, to] :
         {std::pair(doc.FromIndex(at), p), std::pair(doc.Start(), doc.End())}) {
        std::u16string markup;
        WriteContentXml(markup, from, to);
        if (!FuzzSupport::IsWellFormedXml(markup, true)) Fail("written markup is not well-formed");
    }
    if (after != before) CheckOneUndoChange(doc, before, after, stepsBefore);

    doc.RemoveObserver(&observer);

    const uint32_t typing = data[0] % 8;
    if (ReadFresh(text, typing, ReadContentXml) !=
        ReadFresh(text, typing, ReadContentXmlByElement)) {
        Fail("reading into a fresh document differs from reading element by element");
    }
    return 0;
}
