#include "storage/NoteSearchText.h"

#include "base/Utf16.h"
#include "base/Utf8.h"
#include "model/NoteDocument.h"
#include "model/Styles.h"
#include "storage/XmlPrimitives.h"

namespace NoteStorage {

void AppendSearchText(const NoteEditEngine::CNoteDocument& document, std::u16string& out) {
    out.reserve(out.size() + document.size() - 1);
    auto it = document.begin();
    for (++it; it != document.end(); ++it) {
        if (it.IsParagraph()) {
            out.push_back(u'\n');
        } else {
            // A run of one piece at a time.
            const uint32_t n = it.RunLength();
            out.append(document.Text().UnitsOf(it.piece()).substr(it.offset(), n));
            for (uint32_t k = 1; k < n; ++k)
                ++it;
        }
    }
}

namespace {

// The note reader's content loop (ReadContentXml into a fresh document) cut down to what reaches
// the text: styles are dropped, and only the cursor moves of the tag readers are kept. Every step
// here must move the cursor exactly as the reader does, or the two part ways on odd input.
class CSearchTextParser {
public:
    CSearchTextParser(std::u16string_view text, Cursor cursor, std::u16string& out,
                      const std::atomic<bool>* stop)
        : m_text(text), m_cursor(cursor), m_out(out), m_stop(stop) {}

    // False when stopped.
    bool Run() {
        const size_t n = m_text.size();
        const char16_t* t = m_text.data();
        for (uint32_t steps = 0; m_cursor < n; ++steps) {
            if ((steps & 1023) == 0 && m_stop != nullptr && m_stop->load(std::memory_order_relaxed))
                return false;
            const char16_t c = t[m_cursor];
            if (c != u'<') {
                CopyText();
            } else if (IsTagAt(m_text, m_cursor)) {
                if (!ReadTag()) return true;
            } else {
                // "<!", "<?" or a "<" at the very end.
                ++m_cursor;
                SkipPastTagEnd(m_text, m_cursor);
            }
        }
        return true;
    }

private:
    // A run of character data up to the next "<". Printable ASCII other than "<" and "&" is
    // stored as it stands, so it goes over in runs.
    void CopyText() {
        const size_t n = m_text.size();
        const char16_t* t = m_text.data();
        m_insertedAny = true;
        size_t i = m_cursor;
        while (i < n) {
            size_t run = i;
            while (run < n && t[run] >= u' ' && t[run] < 0x80 && t[run] != u'<' && t[run] != u'&')
                ++run;
            m_out.append(t + i, run - i);
            i = run;
            if (i >= n || t[i] == u'<') break;
            if (t[i] == u'&') {
                m_cursor = static_cast<Cursor>(i);
                const char32_t read = ReadCharacter(m_text, m_cursor);
                i = m_cursor;
                if (read > 0xFFFF) {
                    // Both halves of a pair are surrogates: never white space.
                    NoteBase::AppendUtf16(m_out, read);
                } else {
                    Append(static_cast<char16_t>(read));
                }
            } else {
                Append(t[i]);
                ++i;
            }
        }
        m_cursor = static_cast<Cursor>(i);
    }

    // As the document stores a character: white space as a space.
    void Append(char16_t c) { m_out.push_back(IsXmlSpace(c) ? u' ' : c); }

    // The element name after "<", as ReadElementName reads it, without copying it.
    std::u16string_view ReadName() {
        const size_t n = m_text.size();
        ++m_cursor;
        while (m_cursor < n && IsXmlSpace(m_text[m_cursor]))
            ++m_cursor;
        const size_t start = m_cursor;
        while (m_cursor < n && m_text[m_cursor] != u'>' && !IsXmlSpace(m_text[m_cursor]))
            ++m_cursor;
        return m_text.substr(start, m_cursor - start);
    }

    // False at "</note>".
    bool ReadTag() {
        const std::u16string_view name = ReadName();
        const bool closing = !name.empty() && name.front() == u'/';
        const std::u16string_view bare = name.substr(closing ? 1 : 0);
        if (!closing && NoteEditEngine::ParagraphStyleFromName(bare)) {
            SkipAttributes(m_text, m_cursor);
            // The first paragraph element read before any text restyles the document's first
            // paragraph; every later one is a paragraph mark.
            if (m_insertedAny) m_out.push_back(u'\n');
            m_insertedAny = true;
        } else if (closing && bare == u"note") {
            SkipPastTagEnd(m_text, m_cursor);
            return false;
        }
        SkipPastTagEnd(m_text, m_cursor);
        return true;
    }

public:
    // Moves past the attributes of a start tag as the readers do (each attribute's value read
    // whole, whatever its name).
    static void SkipAttributes(std::u16string_view text, Cursor& cursor) {
        if (cursor < text.size() && text[cursor] == u'>') return;
        while (HasMoreAttributes(text, cursor)) {
            (void)ReadAttributeName(text, cursor);
            (void)ReadAttributeValue(text, cursor);
        }
    }

private:
    std::u16string_view m_text;
    Cursor m_cursor;
    std::u16string& m_out;
    const std::atomic<bool>* m_stop;
    bool m_insertedAny = false;
};

}  // namespace

bool ExtractSearchText(std::string_view fileBytes, std::u16string& out,
                       const std::atomic<bool>* stop) {
    const std::u16string text = NoteBase::Utf8ToUtf16(fileBytes);
    if (text.size() >= npos || text.rfind(u"</note>") == std::u16string::npos) return false;
    Cursor cursor = 0;
    SkipToElement(text, cursor);
    if (ReadElementName(text, cursor) != u"note") return false;
    CSearchTextParser::SkipAttributes(text, cursor);
    SkipPastTagEnd(text, cursor);
    // Built in a buffer of its own and then appended, so that `out` gets no more room than the
    // text needs: an index keeps thousands of these.
    std::u16string built;
    built.reserve(cursor < text.size() ? text.size() - cursor : 0);
    if (!CSearchTextParser(text, cursor, built, stop).Run()) return false;
    out.append(built);
    return true;
}

}  // namespace NoteStorage
