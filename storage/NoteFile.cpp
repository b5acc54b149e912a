#include "storage/NoteFile.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "base/Utf16.h"
#include "base/Utf8.h"
#include "model/Clock.h"
#include "model/NoteDocumentObserver.h"
#include "model/NoteUndoHistory.h"
#include "model/Styles.h"
#include "storage/ContentWalk.h"

namespace NoteStorage {

using NoteEditEngine::CharacterStyle;
using NoteEditEngine::CNoteDocument;
using NoteEditEngine::CNotePosition;
using NoteEditEngine::ElementIterator;

namespace {

std::u16string_view ParagraphName(uint32_t style) noexcept {
    // The model never holds an unknown code; should one appear, it is written as Normal rather
    // than as a nameless tag.
    return NoteEditEngine::ParagraphStyleOf(style).storedName;
}

void AppendTransition(CharacterStyle from, CharacterStyle to, std::u16string& out) {
    const auto name = [](int flag) { return NoteEditEngine::kCharacterStyles[flag].storedName; };
    AppendStyleTransition(
        from, to,
        [&](int flag) {
            out.append(u"</");
            out.append(name(flag));
            out.push_back(u'>');
        },
        [&](int flag) {
            out.push_back(u'<');
            out.append(name(flag));
            out.push_back(u'>');
        });
}

void AppendParagraphOpen(NoteEditEngine::ParagraphFormat format, std::u16string& out) {
    out.push_back(u'<');
    out.append(ParagraphName(format.Style()));
    if (const int32_t indent = format.Indent(); indent != 0) {
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

    bool paragraphOpen = false;
    uint32_t openStyle = 0;
    CharacterStyle current;
    // A high surrogate is held back until its partner shows; either half alone is no XML
    // character and is written as U+FFFD.
    char16_t pendingHigh = 0;
    auto flushPending = [&] {
        if (pendingHigh != 0) out.push_back(kReplacementCharacter);
        pendingHigh = 0;
    };
    WalkContentRange(
        start, end, false,
        [&](const ElementIterator& mark) {
            flushPending();
            // Every character element closes before the paragraph element does. Bare text in
            // front of the first paragraph element is closed the same way, so that its styles do
            // not leak into the paragraphs when the markup is read back.
            AppendTransition(current, CharacterStyle{}, out);
            if (paragraphOpen) AppendParagraphClose(openStyle, out);
            AppendParagraphOpen(mark.Format(), out);
            paragraphOpen = true;
            openStyle = mark.Format().Style();
            current = mark.Style();
            AppendTransition(CharacterStyle{}, current, out);
        },
        [&](const ElementIterator& character) {
            const char16_t c = character.CodeUnit();
            if (pendingHigh != 0) {
                if (NoteBase::IsLowSurrogate(c)) {
                    // The pair is one character: it keeps the style of its first half, as no
                    // markup may split it.
                    out.push_back(pendingHigh);
                    out.push_back(c);
                    pendingHigh = 0;
                    return;
                }
                flushPending();
            }
            if (character.Style() != current) {
                AppendTransition(current, character.Style(), out);
                current = character.Style();
            }
            // The five code units that are escaped and the control characters all lie at or
            // below ">"; surrogates need their neighbour.
            if (c > u'>' && c < 0xD800) {
                out.push_back(c);
            } else if (NoteBase::IsHighSurrogate(c)) {
                pendingHigh = c;
            } else if (NoteBase::IsLowSurrogate(c)) {
                out.push_back(kReplacementCharacter);
            } else {
                AppendEscapedChar(c, out);
            }
        });
    flushPending();
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

// Where the content reader puts what it reads. Two kinds: one that inserts element by element
// through the document's primitives (anywhere, as Paste does), and one that collects the
// elements of a document that holds only its first mark and links them in at the end in one go
// (loading). Both give the same document; the parser below does not know which it feeds.
//
// A sink offers: Character(code unit, style); Text(code units, style), a run of characters with
// no reference among them; Break(format, style), a paragraph break whose new
// paragraph has the format; TakeOver(format, style), the first paragraph element read at a
// paragraph start, which restyles that paragraph instead of leaving an empty one in front;
// Finish(style), which returns the number of elements inserted.

// Inserts through InsertCharacter and InsertParagraphBreak at the insertion position.
class CInsertionSink {
public:
    explicit CInsertionSink(CNotePosition& insertion)
        : m_doc(*insertion.Document()), m_insertion(insertion) {}

    void Character(char16_t c, CharacterStyle style) {
        m_insertion.SetTypingStyle(style);
        m_doc.InsertCharacter(m_insertion, c);
        ++m_inserted;
    }
    void Text(std::u16string_view units, CharacterStyle style) {
        for (const char16_t c : units)
            Character(c, style);
    }
    void Break(NoteEditEngine::ParagraphFormat format, CharacterStyle style) {
        m_insertion.SetTypingStyle(style);
        m_doc.InsertParagraphBreak(m_insertion);
        ++m_inserted;
        m_doc.SetLoadedFormat(m_insertion, format);
    }
    // The paragraph the insertion stands at the start of takes the format; a new break carrying
    // its former format goes after it and trails behind everything inserted from now on.
    void TakeOver(NoteEditEngine::ParagraphFormat format, CharacterStyle style) {
        m_insertion.SetTypingStyle(style);
        const CNotePosition held(m_insertion);
        m_doc.InsertParagraphBreak(m_insertion);
        ++m_inserted;
        m_hasTrailingBreak = true;
        m_doc.SetLoadedFormat(held, format);
        m_insertion = held;
        m_insertion.SetTypingStyle(style);
    }
    uint32_t Finish(CharacterStyle style) {
        m_insertion.SetTypingStyle(style);
        if (m_hasTrailingBreak) {
            // Step over the trailing break; at the end of the document it would only be an empty
            // paragraph that the text never had.
            m_insertion.StepRight();
            if (m_insertion.IsAtEnd()) {
                m_doc.DeleteBackward(m_insertion);
                --m_inserted;
            }
        }
        return m_inserted;
    }

private:
    CNoteDocument& m_doc;
    CNotePosition& m_insertion;
    bool m_hasTrailingBreak = false;
    uint32_t m_inserted = 0;
};

// The first "<" or "&" at or after `from`, or the end of the text: where a note's run of text
// ends. Four code units are looked at a time (a lane equal to either makes its word's test
// nonzero), then the word that holds one unit by unit.
size_t NextMarkup(std::u16string_view text, size_t from) {
    constexpr uint64_t kOnes = 0x0001000100010001u;
    constexpr uint64_t kHighs = 0x8000800080008000u;
    constexpr uint64_t kLess = 0x003C003C003C003Cu;
    constexpr uint64_t kAmpersand = 0x0026002600260026u;
    size_t i = from;
    for (; i + 4 <= text.size(); i += 4) {
        uint64_t word = 0;
        std::memcpy(&word, text.data() + i, sizeof word);
        const uint64_t less = word ^ kLess;
        const uint64_t ampersand = word ^ kAmpersand;
        if ((((less - kOnes) & ~less) | ((ampersand - kOnes) & ~ampersand)) & kHighs) break;
    }
    while (i < text.size() && text[i] != u'<' && text[i] != u'&')
        ++i;
    return i;
}

// Builds the content of a document that holds nothing but its first mark, the insertion standing
// on it: text is appended a run at a time after the last element, with none of the per-insertion
// work of the primitives (time stamp, undo record, notification, the walks to find the paragraph
// mark and the place before the caret). The result is what the insertion sink gives there: the
// trailing break of TakeOver would end at the end of the document and be deleted again, so it is
// never made; the modified time is stamped if the insertion sink would have stamped it; and the
// insertion ends on the last element, typing in the style the deleted break would have left it.
class CBulkSink {
public:
    explicit CBulkSink(CNotePosition& insertion)
        : m_doc(*insertion.Document()), m_insertion(insertion) {}

    void Character(char16_t c, CharacterStyle style) {
        if (style != m_runStyle) Flush();
        m_runStyle = style;
        // Stored as the document's character insertion stores it.
        m_run.push_back(IsXmlSpace(c) ? u' ' : c);
    }
    void Text(std::u16string_view units, CharacterStyle style) {
        if (style != m_runStyle) Flush();
        m_runStyle = style;
        const size_t from = m_run.size();
        m_run.append(units);
        // Printable ASCII, the bulk of a note, needs no look: one pass finds whether anything
        // else is there (a control, white space beyond ASCII) for the second to store as a space.
        bool other = false;
        for (const char16_t c : units)
            other |= static_cast<uint16_t>(c - u' ') >= 0x5F;
        if (!other) return;
        for (size_t i = from; i < m_run.size(); ++i)
            if (m_run[i] != u' ' && IsXmlSpace(m_run[i])) m_run[i] = u' ';
    }
    void Break(NoteEditEngine::ParagraphFormat format, CharacterStyle style) {
        Flush();
        m_doc.AppendLoadedMark(style, format);
        ++m_inserted;
    }
    void TakeOver(NoteEditEngine::ParagraphFormat format, CharacterStyle style) {
        m_doc.SetLoadedFormat(m_insertion, format);
        m_tookOver = true;
        m_trailingStyle = style;
    }
    uint32_t Finish(CharacterStyle style) {
        Flush();
        if (m_tookOver || m_inserted > 0) m_doc.SetModified(NoteEditEngine::CurrentTime());
        m_insertion = m_doc.End();
        m_insertion.SetTypingStyle(m_tookOver ? m_trailingStyle : style);
        return m_inserted;
    }

private:
    void Flush() {
        if (m_run.empty()) return;
        m_doc.AppendLoadedText(m_run, m_runStyle);
        m_inserted += static_cast<uint32_t>(m_run.size());
        m_run.clear();
    }

    CNoteDocument& m_doc;
    CNotePosition& m_insertion;
    std::u16string m_run;
    CharacterStyle m_runStyle;
    uint32_t m_inserted = 0;
    bool m_tookOver = false;
    CharacterStyle m_trailingStyle;
};

// The content reader's loop over one sink.
template <typename Sink>
class CContentParser {
public:
    CContentParser(Sink& sink, std::u16string_view text, Cursor& cursor, CharacterStyle typing,
                   bool atParagraphStart)
        : m_sink(sink),
          m_text(text),
          m_cursor(cursor),
          m_typing(typing),
          m_atParagraphStart(atParagraphStart) {}

    // Reads up to "</note>" or the end of the text; returns the number of elements inserted.
    uint32_t Run() {
        while (m_cursor != npos && m_cursor < m_text.size()) {
            if (IsTextAt(m_text, m_cursor)) {
                if (m_text[m_cursor] == u'&') {
                    const char32_t c = ReadCharacter(m_text, m_cursor);
                    if (c > 0xFFFF) {
                        // A reference beyond the Basic Multilingual Plane: one element per half.
                        const NoteBase::SurrogatePair pair = NoteBase::SplitSurrogates(c);
                        m_sink.Character(pair.high, m_typing);
                        m_sink.Character(pair.low, m_typing);
                    } else {
                        m_sink.Character(static_cast<char16_t>(c), m_typing);
                    }
                } else {
                    // The bulk of a note: text up to the next tag or reference, in one go.
                    const size_t end = NextMarkup(m_text, m_cursor);
                    m_sink.Text(m_text.substr(m_cursor, end - m_cursor), m_typing);
                    m_cursor = static_cast<Cursor>(end);
                }
                m_insertedAny = true;
            } else if (IsTagAt(m_text, m_cursor)) {
                if (!ReadTag()) break;
            } else {
                // "<!", "<?" or a "<" at the very end: neither text nor a tag. Skip past the
                // next ">" (or to the end) so that the loop always moves on.
                ++m_cursor;
                SkipPastTagEnd(m_text, m_cursor);
            }
        }
        return m_sink.Finish(m_typing);
    }

private:
    // Handles the tag at the cursor and moves past it. False at "</note>".
    bool ReadTag() {
        const std::u16string name = ReadElementName(m_text, m_cursor);
        const bool closing = !name.empty() && name.front() == u'/';
        const std::u16string_view bare = std::u16string_view(name).substr(closing ? 1 : 0);
        if (const auto style = NoteEditEngine::ParagraphStyleFromName(bare)) {
            if (!closing) OpenParagraph(*style, ReadParagraphIndent(m_text, m_cursor));
        } else if (const auto flag = NoteEditEngine::CharacterStyleFromName(bare)) {
            if (closing) {
                m_typing.Clear(*flag);
            } else {
                m_typing.Set(*flag);
            }
        } else if (closing && bare == u"note") {
            SkipPastTagEnd(m_text, m_cursor);
            return false;
        }
        SkipPastTagEnd(m_text, m_cursor);
        return true;
    }

    void OpenParagraph(uint32_t style, int32_t indent) {
        const NoteEditEngine::ParagraphFormat format(style, indent);
        if (!m_insertedAny && m_atParagraphStart) {
            m_sink.TakeOver(format, m_typing);
        } else {
            m_sink.Break(format, m_typing);
        }
        m_insertedAny = true;
    }

    Sink& m_sink;
    std::u16string_view m_text;
    Cursor& m_cursor;
    CharacterStyle m_typing;
    const bool m_atParagraphStart;
    bool m_insertedAny = false;
};

void ReadContent(CNotePosition& insertion, std::u16string_view text, Cursor& cursor,
                 bool allowBulk) {
    if (insertion.IsNull()) return;
    CNoteDocument& doc = *insertion.Document();
    NoteEditEngine::CNoteUndoHistory& history = doc.UndoHistory();
    const CNotePosition start = insertion;
    const CNotePosition startMark = start.ParagraphOf();
    const NoteEditEngine::ParagraphFormat oldFormat = startMark.MarkFormat();
    const CharacterStyle typing = insertion.TypingStyle();
    const bool atParagraphStart = insertion.ElementIsParagraph();
    uint32_t inserted = 0;
    {
        NoteEditEngine::CSuspendRecording suspend(history);
        NoteEditEngine::CNotificationsOff quiet;
        if (allowBulk && doc.size() == 1) {
            CBulkSink sink(insertion);
            inserted = CContentParser(sink, text, cursor, typing, atParagraphStart).Run();
        } else {
            CInsertionSink sink(insertion);
            inserted = CContentParser(sink, text, cursor, typing, atParagraphStart).Run();
        }
    }
    const bool formatChanged = startMark.MarkFormat() != oldFormat;
    if (inserted == 0 && !formatChanged) return;
    if (!history.IsSuspended()) {
        // One change, as a paste records it: the format of the paragraph the insertion began
        // in, then the inserted run.
        history.RecordParagraphReplacement(startMark.Index(), oldFormat, startMark.MarkFormat());
        history.RecordInsertion(start.Index() + 1, inserted);
    }
    doc.NotifyChanged(start, inserted);
}

}  // namespace

void ReadContentXml(CNotePosition& insertion, std::u16string_view text, Cursor& cursor) {
    ReadContent(insertion, text, cursor, /*allowBulk=*/true);
}

void ReadContentXmlByElement(CNotePosition& insertion, std::u16string_view text, Cursor& cursor) {
    ReadContent(insertion, text, cursor, /*allowBulk=*/false);
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

NoteFileRead LoadNoteFile(CFileSystem& fs, const std::filesystem::path& path,
                          CNoteDocument& document, std::string* bytes) {
    std::string raw;
    if (!fs.ReadWhole(path, raw)) {
        return fs.Exists(path) ? NoteFileRead::Unreadable : NoteFileRead::Missing;
    }
    const std::u16string text = NoteBase::Utf8ToUtf16(raw);
    // A file cut short (a sync half done, a crash of another program) would read as a note
    // missing its end, and saving that back would make the loss permanent.
    if (text.size() >= npos || text.rfind(u"</note>") == std::u16string::npos) {
        return NoteFileRead::NotANote;
    }
    Cursor cursor = 0;
    if (!ReadNoteXml(document, text, cursor)) return NoteFileRead::NotANote;
    if (bytes != nullptr) *bytes = std::move(raw);
    return NoteFileRead::Read;
}

void ReadNoteAttributesAndContent(CNoteDocument& document, std::u16string_view text,
                                  Cursor& cursor) {
    NoteEditEngine::CSuspendRecording suspend(document.UndoHistory());
    if (document.size() > 1) {
        // Emptied as by repeated Delete from the start: the first mark keeps its own format.
        CNotePosition start = document.Start();
        const NoteEditEngine::ParagraphFormat format = start.MarkFormat();
        document.DeleteRange(start, document.size() - 1);
        document.SetLoadedFormat(start, format);
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
