#include "model/NoteDocument.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cwctype>

#include "base/Utf16.h"
#include "model/Clock.h"
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
    : m_undo(std::make_unique<CNoteUndoHistory>(*this)),
      m_created(CurrentTime()),
      m_modified(m_created) {
    m_elements.push_back(new CNoteParagraph(CharacterStyle{}, ParagraphFormat{}));
    Restamp();
}

CNoteDocument::~CNoteDocument() {
    m_undo.reset();
    m_elements.ClearFromBack([](CNoteElement* element) { delete element; });
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
    return CNotePosition(this, begin(), (*begin())->Style()).DocumentStart();
}

CNotePosition CNoteDocument::End() noexcept {
    return Start().DocumentEnd();
}

CNotePosition CNoteDocument::FromIndex(int64_t index) noexcept {
    if (index <= 0) return Start();
    if (index >= int64_t{size()}) return End();
    const ElementIterator it = select(static_cast<uint32_t>(index));
    return {this, it, (*it)->Style()};
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

ElementIterator CNoteDocument::LinkAfter(ElementIterator after, ElementPtr element) {
    ElementIterator it = m_elements.insert_after(after, element.get());
    element.release();
    return it;
}

ElementIterator CNoteDocument::LinkBefore(ElementIterator before, ElementPtr element) {
    ElementIterator it = m_elements.insert(before, element.get());
    element.release();
    return it;
}

ElementIterator CNoteDocument::AppendLoaded(ElementIterator last, ElementPtr element) {
    // The last element has no right child, so the node links straight under it.
    assert(m_elements.is_last(last));
    Restamp();
    return LinkAfter(last, std::move(element));
}

ElementIterator CNoteDocument::Destroy(ElementIterator element) noexcept {
    CNoteElement* doomed = *element;
    ElementIterator next = m_elements.erase(element);
    delete doomed;
    return next;
}

void CNoteDocument::InsertCharacter(CNotePosition& p, char16_t codeUnit) {
    if (IsWhiteSpace(codeUnit)) codeUnit = u' ';
    Touch();
    const ElementIterator added =
        LinkAfter(p.Iterator(), ElementPtr(new CNoteCharacter(p.TypingStyle(), codeUnit)));
    p = CNotePosition(this, added, p.TypingStyle());
    m_undo->RecordInsertion(added, 1);
    NotifyChanged(p.Before(), 1);
}

void CNoteDocument::InsertParagraphBreak(CNotePosition& p) {
    Touch();
    auto* mark = AsParagraph(p.ParagraphOf().Element())->Clone();
    mark->SetStyle(p.TypingStyle());
    const ElementIterator added = LinkAfter(p.Iterator(), ElementPtr(mark));
    p = CNotePosition(this, added, p.TypingStyle());
    m_undo->RecordInsertion(added, 1);
    NotifyChanged(p.Before(), 1);
}

void CNoteDocument::DeleteBackward(CNotePosition& p) {
    if (p.IsAtStart()) return;
    Touch();
    m_undo->RecordDeletion(p.Iterator(), 1);
    const CNotePosition before = p.Before();
    NotifyRemoving(before, 1);
    Destroy(p.Iterator());
    p = before;
    NotifyChanged(p, 1);
}

void CNoteDocument::DeleteForward(CNotePosition& p) {
    if (p.IsAtEnd()) return;
    Touch();
    ElementIterator next = p.Iterator();
    ++next;
    m_undo->RecordDeletion(next, 1);
    NotifyRemoving(p, 1);
    Destroy(next);
    NotifyChanged(p, 1);
}

void CNoteDocument::DeleteRange(CNotePosition& p, uint32_t n) {
    const uint32_t after = size() - 1 - p.Index();
    n = std::min(n, after);
    if (n == 0) return;
    Touch();
    ElementIterator it = p.Iterator();
    ++it;
    m_undo->RecordDeletion(it, n);
    NotifyRemoving(p, n);
    CNoteParagraph* startMark = AsParagraph(p.Element());
    for (uint32_t i = 0; i < n; ++i) {
        if (i + 1 == n && startMark != nullptr) {
            // From a paragraph start through a later mark: the text that survives belongs to the
            // later paragraph, so it keeps that paragraph's format.
            if (const CNoteParagraph* lastMark = AsParagraph(*it)) {
                const CNoteParagraph old(*startMark);
                startMark->SetFormat(lastMark->Format());
                m_undo->RecordParagraphReplacement(p.Iterator(), old);
            }
        }
        it = Destroy(it);
    }
    NotifyChanged(p, 1);
}

void CNoteDocument::SetCharacterStyles(const CNotePosition& p, uint32_t n, CharacterStyle style,
                                       CharacterStyle mask) {
    n = std::min(n, size() - 1 - p.Index());
    // Runs, not copies: a large range of few styles is recorded in a few words.
    std::vector<StyleRun> oldRuns;
    bool changed = false;
    try {
        ElementIterator it = p.Iterator();
        for (uint32_t i = 0; i < n; ++i) {
            CNoteElement* element = *++it;
            const CharacterStyle old = element->Style();
            if (oldRuns.empty() || oldRuns.back().style != old) oldRuns.push_back({0, old});
            ++oldRuns.back().length;
            element->SetStyle(MaskedStyle(old, style, mask));
            changed = changed || element->Style() != old;
        }
        if (!changed) return;
        m_undo->RecordStyleChange(p.Index() + 1, oldRuns, style, mask);
    } catch (...) {
        // Out of memory half-way: the elements take back the styles they had.
        ElementIterator it = p.Iterator();
        for (const StyleRun& run : oldRuns) {
            for (uint32_t i = 0; i < run.length; ++i)
                (*++it)->SetStyle(run.style);
        }
        throw;
    }
    Touch();
    NotifyChanged(p, n);
}

void CNoteDocument::SetParagraphFormat(CNotePosition& p, uint32_t style, int32_t indent) {
    const CNotePosition markPlace = p.ParagraphOf();
    CNoteParagraph* mark = AsParagraph(markPlace.Element());
    ParagraphFormat format;
    format.SetStyle(style);
    format.SetIndent(indent);
    // The caller clamps; a stored indent is always within range all the same.
    if (mark->Format() == format) return;
    Touch();
    const CNoteParagraph old(*mark);
    mark->SetFormat(format);
    m_undo->RecordParagraphReplacement(markPlace.Iterator(), old);
    NotifyChanged(markPlace, ParagraphElementCount(markPlace));
}

void CNoteDocument::InsertPlainText(CNotePosition& p, std::u16string_view text, size_t startIndex) {
    const CNotePosition s = p;
    const CNoteParagraph oldMark(*AsParagraph(p.ParagraphOf().Element()));
    const int32_t baseIndent = oldMark.Format().Indent();
    uint32_t k = 0;
    {
        CSuspendRecording suspend(*m_undo);
        CNotificationsOff quiet;
        auto breakAtBaseIndent = [&] {
            InsertParagraphBreak(p);
            CNoteParagraph* mark = AsParagraph(p.Element());
            mark->SetFormat(ParagraphFormat(mark->Format().Style(), baseIndent));
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
                    if (k == 0 && !p.ElementIsParagraph()) breakAtBaseIndent();
                    if (p.ElementIsParagraph()) {
                        // A leading tab of a line is one more indent level.
                        CNoteParagraph* mark = AsParagraph(p.Element());
                        ParagraphFormat format = mark->Format();
                        format.IncrementIndent();
                        mark->SetFormat(format);
                    } else {
                        InsertCharacter(p, u' ');
                        ++k;
                    }
                    break;
                default:
                    InsertCharacter(p, c < 32 ? u' ' : c);
                    ++k;
                    break;
            }
        }
    }
    Touch();
    ElementIterator first = s.Iterator();
    ++first;
    m_undo->RecordParagraphReplacement(s.ParagraphOf().Iterator(), oldMark);
    m_undo->RecordInsertion(first, k);
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
    // A surrogate pair goes as one character; both removals merge into one undo step.
    if (p.IsInsidePair()) p.StepRight();
    const bool pair = NoteBase::IsLowSurrogate(p.CodeUnitAt()) && p.Before().IsInsidePair();
    DeleteBackward(p);
    if (pair) DeleteBackward(p);
}

void CNoteDocument::DeleteKey(CNotePosition& p) {
    if (!p.IsAtEnd() && p.ElementIsParagraph()) {
        ElementIterator next = p.Iterator();
        ++next;
        ElementIterator afterNext = next;
        ++afterNext;
        if ((*next)->IsParagraph() && afterNext != end() && !(*afterNext)->IsParagraph()) {
            const ParagraphFormat nextFormat = AsParagraph(*next)->Format();
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
    if (p.IsInsidePair()) p.StepLeft();
    CNotePosition next = p;
    next.StepRight();
    const bool pair = !p.IsAtEnd() && next.IsInsidePair();
    DeleteForward(p);
    if (pair) DeleteForward(p);
}

}  // namespace NoteEditEngine
