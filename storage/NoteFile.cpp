#include "NoteFile.h"

#include <array>
#include <utility>

#include "NoteDocumentObserver.h"
#include "NoteElement.h"
#include "NoteUndoHistory.h"
#include "Styles.h"

namespace NoteStorage {

using NoteEditEngine::AsParagraph;
using NoteEditEngine::CharacterStyle;
using NoteEditEngine::CNoteDocument;
using NoteEditEngine::CNoteElement;
using NoteEditEngine::CNoteParagraph;
using NoteEditEngine::CNotePosition;
using NoteEditEngine::ElementIterator;

namespace {

// Element names as wide text, so that writing is a plain append.
constexpr std::array<std::u16string_view, NoteEditEngine::kParagraphStyleCount> kParagraphNames = {
    u"paragraph",     u"header1",     u"header2",      u"header3",      u"listordered",
    u"listunchecked", u"listchecked", u"listpositive", u"listnegative", u"fixwidth",
};
constexpr std::array<std::u16string_view, CharacterStyle::kFlagCount> kOpenTags = {
    u"<strong>", u"<highlight>", u"<link>"};
constexpr std::array<std::u16string_view, CharacterStyle::kFlagCount> kCloseTags = {
    u"</strong>", u"</highlight>", u"</link>"};

std::u16string_view ParagraphName(uint32_t style) noexcept {
    // The model never holds another code; should one appear, it is written as Normal rather than
    // as a nameless tag.
    return style < kParagraphNames.size() ? kParagraphNames[style] : kParagraphNames[0];
}

// The character style transition of Part 2.2: flags below the lowest differing one stay open,
// so Strong is always outermost and Comment innermost.
void AppendTransition(CharacterStyle from, CharacterStyle to, std::u16string& out) {
    if (from == to) return;
    int k = 0;
    while (from.Test(k) == to.Test(k))
        ++k;
    for (int flag = CharacterStyle::kFlagCount - 1; flag >= k; --flag) {
        if (from.Test(flag)) out.append(kCloseTags[static_cast<size_t>(flag)]);
    }
    for (int flag = k; flag < CharacterStyle::kFlagCount; ++flag) {
        if (to.Test(flag)) out.append(kOpenTags[static_cast<size_t>(flag)]);
    }
}

void AppendParagraphOpen(const CNoteParagraph& mark, std::u16string& out) {
    out.push_back(u'<');
    out.append(ParagraphName(mark.Format().Style()));
    if (const int32_t indent = mark.Format().Indent(); indent != 0) {
        out.append(u" indent='");
        AppendDecimal(indent, out);
        out.push_back(u'\'');
    }
    out.push_back(u'>');
}

void AppendParagraphClose(uint32_t style, std::u16string& out) {
    out.append(u"</");
    out.append(ParagraphName(style));
    out.push_back(u'>');
}

}  // namespace

void WriteContentXml(std::u16string& out, const CNotePosition& startIn,
                     const CNotePosition& endIn) {
    if (startIn.IsNull() || endIn.IsNull() || startIn.Document() != endIn.Document()) return;
    CNotePosition start = startIn;
    CNotePosition end = endIn;
    if (end < start) std::swap(start, end);

    // A range from a mark through the end of the document covers every mark it meets, so a whole
    // note (even an empty one, whose start and end are its one mark) keeps all its paragraphs.
    // Otherwise a mark at the end position is left out, and a range that is a piece of the
    // paragraph beginning at the start mark is written as bare text (Part 2.2, 2.1 and 2.3).
    const bool endIsLast = end.IsAtEnd();
    const bool writeStartMark =
        start.ElementIsParagraph() && (endIsLast || !(end.ParagraphOf() == start));

    bool paragraphOpen = false;
    uint32_t openStyle = 0;
    CharacterStyle current;
    const ElementIterator first = start.Iterator();
    const ElementIterator last = end.Iterator();
    for (ElementIterator it = first;; ++it) {
        const CNoteElement* element = *it;
        const bool atStart = it == first;
        const bool atEnd = it == last;
        if (const CNoteParagraph* mark = AsParagraph(element)) {
            if (atStart ? writeStartMark : (!atEnd || endIsLast)) {
                // Every character element closes before the paragraph element does. Bare text
                // in front of the first paragraph element is closed the same way, so that its
                // styles do not leak into the paragraphs when the markup is read back.
                AppendTransition(current, CharacterStyle{}, out);
                if (paragraphOpen) AppendParagraphClose(openStyle, out);
                AppendParagraphOpen(*mark, out);
                paragraphOpen = true;
                openStyle = mark->Format().Style();
                current = mark->Style();
                AppendTransition(CharacterStyle{}, current, out);
            }
        } else if (!atStart) {
            const auto* character = static_cast<const NoteEditEngine::CNoteCharacter*>(element);
            if (character->Style() != current) {
                AppendTransition(current, character->Style(), out);
                current = character->Style();
            }
            AppendEscapedChar(character->CodeUnit(), out);
        }
        if (atEnd) break;
    }
    AppendTransition(current, CharacterStyle{}, out);
    if (paragraphOpen) AppendParagraphClose(openStyle, out);
}

void WriteNoteXml(CNoteDocument& document, std::u16string& out) {
    out.append(u"<note version=\"1.0\" created=\"");
    AppendDecimal(document.Created(), out);
    out.append(u"\" modified=\"");
    AppendDecimal(document.Modified(), out);
    out.append(u"\">");
    const CNotePosition start = document.Start();
    WriteContentXml(out, start, start.DocumentEnd());
    out.append(u"</note>\n");
}

void WriteNoteFileText(CNoteDocument& document, std::u16string& out) {
    AppendXmlHeader(out);
    WriteNoteXml(document, out);
}

namespace {

// The character style flag for a stored name, or -1.
int CharacterFlagFromName(std::u16string_view name) noexcept {
    if (name == u"strong") return CharacterStyle::kStrong;
    if (name == u"highlight") return CharacterStyle::kHighlight;
    if (name == u"link") return CharacterStyle::kComment;
    return -1;
}

// Reads every attribute of a paragraph start tag; only "indent" counts.
int32_t ReadParagraphIndent(std::u16string_view text, Cursor& cursor) {
    int32_t indent = 0;
    while (HasMoreAttributes(text, cursor)) {
        const std::u16string name = ReadAttributeName(text, cursor);
        if (name == u"indent") {
            indent = NoteEditEngine::ClampIndent(ReadAttributeInt(text, cursor));
        } else {
            ReadAttributeValue(text, cursor);
        }
    }
    return indent;
}

// One run of the content reader: the insertion position, what has been inserted and the
// trailing break that the first paragraph element leaves behind.
class CContentReader {
public:
    CContentReader(CNotePosition& insertion, std::u16string_view text, Cursor& cursor)
        : m_doc(*insertion.Document()),
          m_insertion(insertion),
          m_text(text),
          m_cursor(cursor),
          m_startedAtParagraphStart(insertion.ElementIsParagraph()) {}

    // Reads up to "</note>" or the end of the text; returns the number of elements inserted.
    uint32_t Run() {
        while (m_cursor != npos && m_cursor < m_text.size()) {
            if (IsTextAt(m_text, m_cursor)) {
                m_doc.InsertCharacter(m_insertion, ReadCharacter(m_text, m_cursor));
                ++m_inserted;
            } else if (IsTagAt(m_text, m_cursor)) {
                if (!ReadTag()) break;
            } else {
                // "<!", "<?" or a "<" at the very end: neither text nor a tag. Skip past the
                // next ">" (or to the end) so that the loop always moves on.
                ++m_cursor;
                SkipPastTagEnd(m_text, m_cursor);
            }
        }
        if (m_hasTrailingBreak) {
            // Step over the break the first paragraph element pushed ahead; at the end of the
            // document it would only be an empty paragraph the text never had.
            m_insertion.StepRight();
            if (m_insertion.IsAtEnd()) {
                m_doc.DeleteBackward(m_insertion);
                --m_inserted;
            }
        }
        return m_inserted;
    }

private:
    // Handles the tag at the cursor and moves past it. False at "</note>".
    bool ReadTag() {
        const std::u16string name = ReadElementName(m_text, m_cursor);
        const bool closing = !name.empty() && name.front() == u'/';
        const std::u16string_view bare = std::u16string_view(name).substr(closing ? 1 : 0);
        if (const auto style = NoteEditEngine::ParagraphStyleFromName(bare)) {
            if (!closing) OpenParagraph(*style, ReadParagraphIndent(m_text, m_cursor));
        } else if (const int flag = CharacterFlagFromName(bare); flag >= 0) {
            CharacterStyle typing = m_insertion.TypingStyle();
            if (closing) {
                typing.Clear(flag);
            } else {
                typing.Set(flag);
            }
            m_insertion.SetTypingStyle(typing);
        } else if (closing && bare == u"note") {
            SkipPastTagEnd(m_text, m_cursor);
            return false;
        }
        SkipPastTagEnd(m_text, m_cursor);
        return true;
    }

    void OpenParagraph(uint32_t style, int32_t indent) {
        const NoteEditEngine::ParagraphFormat format(style, indent);
        if (m_inserted == 0 && m_startedAtParagraphStart) {
            // The first paragraph element takes over the paragraph the insertion stands at the
            // start of; the new break carries that paragraph's former format and trails behind
            // everything inserted.
            const ElementIterator held = m_insertion.Iterator();
            m_doc.InsertParagraphBreak(m_insertion);
            ++m_inserted;
            m_hasTrailingBreak = true;
            AsParagraph(*held)->SetFormat(format);
            m_insertion = CNotePosition(&m_doc, held, m_insertion.TypingStyle());
            return;
        }
        m_doc.InsertParagraphBreak(m_insertion);
        ++m_inserted;
        AsParagraph(m_insertion.Element())->SetFormat(format);
    }

    CNoteDocument& m_doc;
    CNotePosition& m_insertion;
    std::u16string_view m_text;
    Cursor& m_cursor;
    const bool m_startedAtParagraphStart;
    bool m_hasTrailingBreak = false;
    uint32_t m_inserted = 0;
};

}  // namespace

void ReadContentXml(CNotePosition& insertion, std::u16string_view text, Cursor& cursor) {
    if (insertion.IsNull()) return;
    CNoteDocument& doc = *insertion.Document();
    NoteEditEngine::CNoteUndoHistory& history = doc.UndoHistory();
    const CNotePosition start = insertion;
    const CNotePosition startMark = start.ParagraphOf();
    const CNoteParagraph oldMark(*AsParagraph(startMark.Element()));
    uint32_t inserted = 0;
    {
        NoteEditEngine::CSuspendRecording suspend(history);
        NoteEditEngine::CNotificationsOff quiet;
        inserted = CContentReader(insertion, text, cursor).Run();
    }
    const bool formatChanged = AsParagraph(startMark.Element())->Format() != oldMark.Format();
    if (inserted == 0 && !formatChanged) return;
    if (!history.IsSuspended()) {
        // One change, as a paste records it: the format of the paragraph the insertion began
        // in, then the inserted run.
        ElementIterator first = start.Iterator();
        ++first;
        history.RecordParagraphReplacement(startMark.Iterator(), oldMark);
        history.RecordInsertion(first, inserted);
    }
    doc.NotifyChanged(start, inserted);
}

bool ReadNoteXml(CNoteDocument& document, std::u16string_view text, Cursor& cursor) {
    SkipToElement(text, cursor);
    const std::u16string name = ReadElementName(text, cursor);
    if (name == u"note") {
        ReadNoteAttributesAndContent(document, text, cursor);
        return true;
    }
    SkipPastTagEnd(text, cursor);
    return false;
}

void ReadNoteAttributesAndContent(CNoteDocument& document, std::u16string_view text,
                                  Cursor& cursor) {
    NoteEditEngine::CSuspendRecording suspend(document.UndoHistory());
    if (document.size() > 1) {
        // Emptied as by repeated Delete from the start: the first mark keeps its own format.
        CNoteParagraph* first = AsParagraph(*document.begin());
        const NoteEditEngine::ParagraphFormat format = first->Format();
        CNotePosition start = document.Start();
        document.DeleteRange(start, document.size() - 1);
        first->SetFormat(format);
    }
    while (HasMoreAttributes(text, cursor)) {
        const std::u16string name = ReadAttributeName(text, cursor);
        if (name == u"created") {
            document.SetCreated(ReadAttributeInt(text, cursor));
        } else if (name == u"modified") {
            document.SetModified(ReadAttributeInt(text, cursor));
        } else {
            ReadAttributeValue(text, cursor);
        }
    }
    SkipPastTagEnd(text, cursor);
    const int32_t modified = document.Modified();
    CNotePosition start = document.Start();
    ReadContentXml(start, text, cursor);
    document.SetModified(modified);
}

}  // namespace NoteStorage
