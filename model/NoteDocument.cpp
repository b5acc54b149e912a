#include "model/NoteDocument.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cwctype>

#include "base/Utf16.h"
#include "model/Clock.h"
#include "model/Clusters.h"
#include "model/NoteUndoHistory.h"

namespace NoteEditEngine {

bool NotificationsEnabled = true;

namespace {

// Documents may be built on a worker thread too; relaxed order is enough for a unique value.
std::atomic<uint64_t> changeCounter{0};

bool IsWhiteSpace(char16_t c) noexcept {
    // Surrogates are halves of characters, never spaces on their own.
    if (NoteBase::IsSurrogate(c)) return false;
    return std::iswspace(static_cast<wint_t>(c)) != 0;
}

}  // namespace

CNoteDocument::CNoteDocument()
    : m_text(CharacterStyle{}, ParagraphFormat{}),
      m_undo(std::make_unique<CNoteUndoHistory>(*this)),
      m_created(CurrentTime()),
      m_modified(m_created) {
    Restamp();
}

CNoteDocument::~CNoteDocument() {
    m_undo.reset();
    m_observers.clear();
}

void CNoteDocument::AddObserver(CNoteDocumentObserver* observer) {
    if (observer == nullptr) return;
    auto it = std::lower_bound(m_observers.begin(), m_observers.end(), observer);
    if (it == m_observers.end() || *it != observer) m_observers.insert(it, observer);
}

void CNoteDocument::RemoveObserver(CNoteDocumentObserver* observer) noexcept {
    auto it = std::lower_bound(m_observers.begin(), m_observers.end(), observer);
    if (it != m_observers.end() && *it == observer) m_observers.erase(it);
}

CNotePosition CNoteDocument::Start() noexcept {
    return CNotePosition(this, begin(), begin().Style()).DocumentStart();
}

CNotePosition CNoteDocument::End() noexcept {
    return Start().DocumentEnd();
}

CNotePosition CNoteDocument::FromIndex(int64_t index) noexcept {
    if (index <= 0) return Start();
    if (index >= int64_t{size()}) return End();
    const ElementIterator it = select(static_cast<uint32_t>(index));
    return {this, it, it.Style()};
}

void CNoteDocument::NotifyRemoving(const CNotePosition& position, uint32_t count) {
    // Every change of elements or styles ends in one of these two calls, quiet or not.
    Restamp();
    if (!NotificationsEnabled) return;
    for (size_t i = 0; i < m_observers.size(); ++i)
        m_observers[i]->OnElementsRemoving(position, count);
}

void CNoteDocument::NotifyChanged(const CNotePosition& position, uint32_t count) {
    Restamp();
    if (!NotificationsEnabled) return;
    for (size_t i = 0; i < m_observers.size(); ++i)
        m_observers[i]->OnElementsChanged(position, count);
}

uint32_t CNoteDocument::ParagraphElementCount(const CNotePosition& p) const noexcept {
    return p.ParagraphEnd().Index() - p.ParagraphOf().Index() + 1;
}

void CNoteDocument::Restamp() noexcept {
    m_changeStamp = changeCounter.fetch_add(1, std::memory_order_relaxed) + 1;
}

void CNoteDocument::Touch() noexcept {
    m_modified = CurrentTime();
}

void CNoteDocument::AppendLoadedText(std::u16string_view units, CharacterStyle style) {
    Restamp();
    m_text.AppendText(units, style);
}

void CNoteDocument::AppendLoadedMark(CharacterStyle style, ParagraphFormat format) {
    Restamp();
    m_text.AppendMark(style, format);
}

void CNoteDocument::SetLoadedFormat(const CNotePosition& mark, ParagraphFormat format) {
    Restamp();
    m_text.SetFormat(mark.Held(), format);
}

void CNoteDocument::SetLoadedMark(const CNotePosition& mark, CharacterStyle style,
                                  ParagraphFormat format) {
    Restamp();
    m_text.SetFormat(mark.Held(), format);
    m_text.SetStyle(mark.Held(), style);
}

void CNoteDocument::InsertCharacter(CNotePosition& p, char16_t codeUnit) {
    if (IsWhiteSpace(codeUnit)) codeUnit = u' ';
    Touch();
    p.MoveTo(m_text.InsertText(p.HeldUnit(), {&codeUnit, 1}, p.TypingStyle()));
    m_undo->RecordInsertion(p.Index(), 1);
    NotifyChanged(p.Before(), 1);
}

void CNoteDocument::InsertParagraphBreak(CNotePosition& p) {
    Touch();
    const ParagraphFormat format = p.ParagraphFormatOf();
    p.MoveTo(m_text.InsertMark(p.HeldUnit(), p.TypingStyle(), format));
    m_undo->RecordInsertion(p.Index(), 1);
    NotifyChanged(p.Before(), 1);
}

void CNoteDocument::DeleteBackward(CNotePosition& p) {
    if (p.IsAtStart()) return;
    Touch();
    const uint32_t index = p.Index();
    m_undo->RecordDeletion(index, 1);
    const CNotePosition before = p.Before();
    NotifyRemoving(before, 1);
    m_text.Remove(index, 1);
    p = before;
    NotifyChanged(p, 1);
}

void CNoteDocument::DeleteForward(CNotePosition& p) {
    if (p.IsAtEnd()) return;
    Touch();
    const uint32_t index = p.Index() + 1;
    m_undo->RecordDeletion(index, 1);
    NotifyRemoving(p, 1);
    m_text.Remove(index, 1);
    NotifyChanged(p, 1);
}

void CNoteDocument::DeleteRange(CNotePosition& p, uint32_t n) {
    const uint32_t at = p.Index();
    n = std::min(n, size() - 1 - at);
    if (n == 0) return;
    Touch();
    m_undo->RecordDeletion(at + 1, n);
    NotifyRemoving(p, n);
    if (p.ElementIsParagraph()) {
        // From a paragraph start through a later mark: the text that survives belongs to the
        // later paragraph, so it keeps that paragraph's format.
        const ElementIterator last = select(at + n);
        if (last.IsParagraph()) {
            const ParagraphFormat old = p.MarkFormat();
            m_text.SetFormat(p.Held(), last.Format());
            m_undo->RecordParagraphReplacement(at, old, last.Format());
        }
    }
    m_text.Remove(at + 1, n);
    NotifyChanged(p, 1);
}

void CNoteDocument::SetCharacterStyles(const CNotePosition& p, uint32_t n, CharacterStyle style,
                                       CharacterStyle mask) {
    const uint32_t first = p.Index() + 1;
    n = std::min(n, size() - first);
    // Runs, not copies: a large range of few styles is recorded in a few words.
    std::vector<StyleRun> oldRuns;
    const bool changed = m_text.Restyle(first, n, [&](CharacterStyle old, uint32_t length) {
        if (oldRuns.empty() || oldRuns.back().style != old) oldRuns.push_back({0, old});
        oldRuns.back().length += length;
        return MaskedStyle(old, style, mask);
    });
    if (!changed) return;
    try {
        m_undo->RecordStyleChange(first, oldRuns, style, mask);
    } catch (...) {
        // Out of memory: the elements take back the styles they had.
        uint32_t at = first;
        for (const StyleRun& run : oldRuns) {
            m_text.Restyle(at, run.length, [&](CharacterStyle, uint32_t) { return run.style; });
            at += run.length;
        }
        throw;
    }
    Touch();
    NotifyChanged(p, n);
}

void CNoteDocument::SetParagraphFormat(CNotePosition& p, uint32_t style, int32_t indent) {
    const CNotePosition markPlace = p.ParagraphOf();
    ParagraphFormat format;
    format.SetStyle(style);
    format.SetIndent(indent);
    // The caller clamps; a stored indent is always within range all the same.
    const ParagraphFormat old = markPlace.MarkFormat();
    if (old == format) return;
    Touch();
    m_text.SetFormat(markPlace.Held(), format);
    m_undo->RecordParagraphReplacement(markPlace.Index(), old, format);
    NotifyChanged(markPlace, ParagraphElementCount(markPlace));
}

void CNoteDocument::InsertPlainText(CNotePosition& p, std::u16string_view text, size_t startIndex) {
    const CNotePosition s = p;
    const CNotePosition startMark = p.ParagraphOf();
    const ParagraphFormat oldFormat = startMark.MarkFormat();
    const int32_t baseIndent = oldFormat.Indent();
    uint32_t k = 0;
    {
        CSuspendRecording suspend(*m_undo);
        CNotificationsOff quiet;
        // Characters are gathered and stored a run at a time.
        std::u16string pending;
        auto flush = [&] {
            if (pending.empty()) return;
            const uint32_t first = m_text.InsertText(p.HeldUnit(), pending, p.TypingStyle());
            p.MoveTo(first + static_cast<uint32_t>(pending.size()) - 1);
            k += static_cast<uint32_t>(pending.size());
            pending.clear();
        };
        auto breakAtBaseIndent = [&] {
            flush();
            const ParagraphFormat format = p.ParagraphFormatOf();
            p.MoveTo(m_text.InsertMark(p.HeldUnit(), p.TypingStyle(),
                                       ParagraphFormat(format.Style(), baseIndent)));
            ++k;
        };
        for (size_t i = startIndex; i < text.size(); ++i) {
            const char16_t c = text[i];
            switch (c) {
                case 10:
                    breakAtBaseIndent();
                    break;
                case 7:
                case 8:
                case 11:
                case 12:
                case 13:
                    break;
                case 9:
                    flush();
                    if (k == 0 && !p.ElementIsParagraph()) breakAtBaseIndent();
                    if (p.ElementIsParagraph()) {
                        // A leading tab of a line is one more indent level.
                        ParagraphFormat format = p.MarkFormat();
                        format.IncrementIndent();
                        m_text.SetFormat(p.Held(), format);
                    } else {
                        pending.push_back(u' ');
                    }
                    break;
                default:
                    pending.push_back(c < 32 || IsWhiteSpace(c) ? u' ' : c);
                    break;
            }
        }
        flush();
    }
    Touch();
    m_undo->RecordParagraphReplacement(startMark.Index(), oldFormat, startMark.MarkFormat());
    m_undo->RecordInsertion(s.Index() + 1, k);
    NotifyChanged(s, k);
}

void CNoteDocument::Enter(CNotePosition& p) {
    const ParagraphFormat format = p.ParagraphFormatOf();
    if (IsHeaderStyle(format.Style())) {
        const bool atEnd = p.IsAtParagraphEnd();
        InsertParagraphBreak(p);
        if (atEnd) SetParagraphFormat(p, kNormal, format.Indent());
    } else if (IsListStyle(format.Style()) && p.ElementIsParagraph() && p.IsAtParagraphEnd()) {
        SetParagraphFormat(p, kNormal, format.Indent());
    } else {
        InsertParagraphBreak(p);
    }
}

void CNoteDocument::Backspace(CNotePosition& p) {
    const ParagraphFormat format = p.ParagraphFormatOf();
    if (p.ElementIsParagraph() && format.Indent() > 0) {
        StartNewUndoGroup();
        SetParagraphFormat(p, format.Style(), ClampIndent(int64_t{format.Indent()} - 1));
        StartNewUndoGroup();
        return;
    }
    if (p.ElementIsParagraph() && IsListStyle(format.Style())) {
        StartNewUndoGroup();
        SetParagraphFormat(p, kNormal, format.Indent());
        StartNewUndoGroup();
        return;
    }
    if (p.ElementIsParagraph() && !p.IsAtStart() && !p.IsAtParagraphEnd()) {
        CNotePosition previous = p.Before();
        if (previous.ElementIsParagraph() && previous.ParagraphFormatOf() != format) {
            StartNewUndoGroup();
            {
                // The empty paragraph before takes this one's format, so the join keeps it.
                CNotificationsOff quiet;
                SetParagraphFormat(previous, format.Style(), format.Indent());
            }
            DeleteBackward(p);
            StartNewUndoGroup();
            return;
        }
    }
    // A cluster (a surrogate pair, a letter with its marks, a joined emoji) goes whole; its
    // removals merge into one undo step.
    p = ClusterEnd(p);
    const int64_t units = std::max<int64_t>(1, Distance(ClusterStart(p.Before()), p));
    for (int64_t k = 0; k < units; ++k)
        DeleteBackward(p);
}

void CNoteDocument::DeleteKey(CNotePosition& p) {
    if (!p.IsAtEnd() && p.ElementIsParagraph()) {
        ElementIterator next = p.Iterator();
        ++next;
        ElementIterator afterNext = next;
        ++afterNext;
        if (next.IsParagraph() && afterNext != end() && !afterNext.IsParagraph()) {
            const ParagraphFormat nextFormat = next.Format();
            if (nextFormat != p.ParagraphFormatOf()) {
                StartNewUndoGroup();
                {
                    CNotificationsOff quiet;
                    SetParagraphFormat(p, nextFormat.Style(), nextFormat.Indent());
                }
                DeleteForward(p);
                StartNewUndoGroup();
                return;
            }
        }
    }
    p = ClusterStart(p);
    CNotePosition next = p;
    next.StepRight();
    const int64_t units = std::max<int64_t>(1, Distance(p, ClusterEnd(next)));
    for (int64_t k = 0; k < units; ++k)
        DeleteForward(p);
}

}  // namespace NoteEditEngine
