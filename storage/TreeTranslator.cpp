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

bool CTreeTranslator::ReadTreeText(bool withNotes, std::u16string_view text) {
    // The scanners' cursor is 32 bits wide; a longer text could not be walked to its end.
    if (text.size() >= npos) return false;

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
    if (root != u"tree") return false;

    const CReadScope scope(m_readingWithNotes, withNotes);
    // Items begun and not yet ended. A stray "/item" must not close an item the text did not
    // open (the parent a folder file is dropped under), and items a truncated text leaves open
    // still get their state applied at the end.
    size_t openItems = 0;
    while (cursor < text.size()) {
        if (!SkipToElement(text, cursor)) break;
        const std::u16string name = ReadElementName(text, cursor);
        if (name == u"item") {
            const CTreeItemRecord record = ReadItemAttributes(text, cursor);
            BeginItem(record);
            ++openItems;
            SkipPastTagEnd(text, cursor);
        } else if (name == u"/item") {
            if (openItems > 0) {
                EndItem();
                --openItems;
            }
            SkipPastTagEnd(text, cursor);
        } else if (name == u"note") {
            NoteEditEngine::CNoteDocument document;
            ReadNoteAttributesAndContent(document, text, cursor);
            if (withNotes) NoteContent(document);
        } else {
            SkipPastTagEnd(text, cursor);
            break;
        }
    }
    for (; openItems > 0; --openItems)
        EndItem();
    return true;
}

void CTreeTranslator::WriteTreeText(bool withNotes, std::u16string& out) {
    AppendXmlHeader(out);
    out += u"<tree version=\"1.0\">\n";
    WriteItems(withNotes, out);
    out += u"</tree>";
}

bool CTreeTranslator::ReadTreeFile(NoteStorage::CFileSystem& fs, bool withNotes,
                                   const std::filesystem::path& path) {
    std::u16string text;
    if (!ReadUtf8File(fs, path, text) || text.size() >= npos) return false;
    ReadTreeText(withNotes, text);
    return true;
}

bool CTreeTranslator::WriteTreeFile(NoteStorage::CFileSystem& fs, bool withNotes,
                                    const std::filesystem::path& path) {
    std::u16string text;
    WriteTreeText(withNotes, text);
    return WriteUtf8File(fs, path, text);
}

}  // namespace NoteTreeEngine
