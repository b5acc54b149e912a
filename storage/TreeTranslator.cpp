#include "storage/TreeTranslator.h"

#include "storage/NoteFile.h"
#include "storage/XmlPrimitives.h"

namespace NoteTreeEngine {

using namespace NoteStorage;

namespace {

// Clears the with-notes mark however the read ends.
class CReadScope {
public:
    CReadScope(bool& flag, bool value) noexcept : m_flag(flag) { m_flag = value; }
    ~CReadScope() { m_flag = false; }
    CReadScope(const CReadScope&) = delete;
    CReadScope& operator=(const CReadScope&) = delete;

private:
    bool& m_flag;
};

}  // namespace

TreeRead CTreeTranslator::ReadTreeText(bool withNotes, std::u16string_view text) {
    const CReadScope scope(m_readingWithNotes, withNotes);
    return Walk(this, text);
}

TreeRead CTreeTranslator::CheckTreeText(std::u16string_view text) {
    return Walk(nullptr, text);
}

TreeRead CTreeTranslator::Walk(CTreeTranslator* slots, std::u16string_view text) {
    // The scanners' cursor is 32 bits wide; a longer text could not be walked to its end.
    if (text.size() >= npos) return TreeRead::NotATree;

    Cursor cursor = 0;
    SkipToElement(text, cursor);
    const std::u16string root = ReadElementName(text, cursor);
    while (HasMoreAttributes(text, cursor)) {
        if (ReadAttributeName(text, cursor) == u"version") {
            (void)ReadAttributeInt(text, cursor);
        } else {
            (void)ReadAttributeValue(text, cursor);
        }
    }
    SkipPastTagEnd(text, cursor);
    if (root != u"tree") return TreeRead::NotATree;

    // Items begun and not yet ended. A stray "/item" must not close an item the text did not
    // open (the parent a folder file is dropped under), and items a damaged text leaves open
    // still get their state applied at the end.
    size_t openItems = 0;
    bool whole = false;
    bool stray = false;
    while (cursor < text.size()) {
        if (!SkipToElement(text, cursor)) break;
        const std::u16string name = ReadElementName(text, cursor);
        if (name == u"item") {
            const CTreeItemRecord record = ReadItemAttributes(text, cursor);
            // A tag the text cuts may hold a cut identifier, naming some other note's file.
            if (!SkipPastTagEnd(text, cursor)) break;
            if (slots != nullptr) slots->BeginItem(record);
            ++openItems;
        } else if (name == u"/item") {
            stray = stray || openItems == 0;
            if (openItems > 0) {
                if (slots != nullptr) slots->EndItem();
                --openItems;
            }
            SkipPastTagEnd(text, cursor);
        } else if (name == u"note") {
            // A note the text cuts runs to its end, so that "</tree>" is never reached.
            NoteEditEngine::CNoteDocument document;
            ReadNoteAttributesAndContent(document, text, cursor);
            if (slots != nullptr && slots->m_readingWithNotes) slots->NoteContent(document);
        } else {
            whole = name == u"/tree" && openItems == 0 && !stray && SkipPastTagEnd(text, cursor);
            break;
        }
    }
    for (; slots != nullptr && openItems > 0; --openItems)
        slots->EndItem();
    return whole ? TreeRead::Whole : TreeRead::CutShort;
}

void CTreeTranslator::WriteTreeText(bool withNotes, std::u16string& out) {
    AppendXmlHeader(out);
    out += u"<tree version=\"1.0\">\n";
    WriteItems(withNotes, out);
    out += u"</tree>";
}

bool CTreeTranslator::WriteTreeFile(NoteStorage::CFileSystem& fs, bool withNotes,
                                    const std::filesystem::path& path) {
    std::u16string text;
    WriteTreeText(withNotes, text);
    return WriteUtf8File(fs, path, text);
}

}  // namespace NoteTreeEngine
