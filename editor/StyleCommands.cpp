#include "editor/StyleCommands.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "model/NoteDocumentObserver.h"
#include "model/NoteUndoHistory.h"

namespace NoteEditor {

using NoteEditEngine::CActionScope;
using NoteEditEngine::CharacterStyle;
using NoteEditEngine::CNoteDocument;
using NoteEditEngine::CNotePosition;
using NoteEditEngine::ParagraphFormat;
using NoteLayoutEngine::CNoteView;
using NoteLayoutEngine::SelectionPart;

namespace {

// A command that changes styles is one undo step of its own.
class CStyleChange {
public:
    CStyleChange() : m_action(u"style_change") {}
    ~CStyleChange() { NoteEditEngine::StartNewUndoGroup(); }
    CStyleChange(const CStyleChange&) = delete;
    CStyleChange& operator=(const CStyleChange&) = delete;

private:
    CActionScope m_action;
};

// The per-note ranges whose paragraphs a paragraph command changes. A selection that ends just
// after a paragraph's mark does not touch that paragraph.
std::vector<SelectionPart> TouchedParts(const CNoteView& view) {
    if (!view.HasSelection()) return {{view.Active(), view.Active()}};
    std::vector<SelectionPart> parts = view.SelectionParts();
    if (!parts.empty()) {
        SelectionPart& last = parts.back();
        if (!(last.start == last.end) && last.end.ElementIsParagraph())
            last.end = last.end.Before();
    }
    return parts;
}

struct ChangedRange {
    CNotePosition start;
    uint32_t count = 0;
};

void ChangeParagraphs(CNoteView& view,
                      const std::function<ParagraphFormat(ParagraphFormat)>& next) {
    if (!view.HasNotes()) return;
    std::vector<ChangedRange> changed;
    {
        NoteEditEngine::CNotificationsOff quiet;
        for (const SelectionPart& part : TouchedParts(view)) {
            CNoteDocument* note = part.start.Document();
            CNotePosition mark = part.start.ParagraphOf();
            const uint32_t lastMark = part.end.ParagraphOf().Index();
            const CNotePosition first = mark;
            CNotePosition end = mark;
            bool any = false;
            for (;;) {
                const ParagraphFormat format = mark.ParagraphFormatOf();
                const ParagraphFormat wanted = next(format);
                if (wanted != format) {
                    note->SetParagraphFormat(mark, wanted.Style(), wanted.Indent());
                    any = true;
                }
                end = mark.ParagraphEnd();
                if (mark.Index() >= lastMark || end.IsAtEnd()) break;
                mark = end;
                mark.StepRight();
            }
            if (any) changed.push_back({first, end.Index() - first.Index() + 1});
        }
    }
    for (ChangedRange& range : changed)
        range.start.Document()->NotifyChanged(range.start, range.count);
    view.SetSelection(view.Anchor(), view.Active(), false);
}

void ApplyStyle(CNoteView& view, uint32_t style) {
    ChangeParagraphs(view, [style](ParagraphFormat format) {
        format.SetStyle(style);
        return format;
    });
}

// The style after (or before) `current` among the styles of a cycle in the order of the Styles
// menu, round; from a style outside the cycle, the first (or the last).
uint32_t NextInCycle(uint32_t current, bool forward, bool (*inCycle)(uint32_t code)) {
    std::vector<uint32_t> cycle;
    for (uint32_t code = 0; code < NoteEditEngine::kParagraphStyleCount; ++code) {
        if (NoteEditEngine::kParagraphStyles[code].command.menuPlace > 0 && inCycle(code))
            cycle.push_back(code);
    }
    std::sort(cycle.begin(), cycle.end(), [](uint32_t a, uint32_t b) {
        return NoteEditEngine::kParagraphStyles[a].command.menuPlace <
               NoteEditEngine::kParagraphStyles[b].command.menuPlace;
    });
    if (!forward) std::reverse(cycle.begin(), cycle.end());
    const auto at = std::find(cycle.begin(), cycle.end(), current);
    return at == cycle.end() || at + 1 == cycle.end() ? cycle.front() : *(at + 1);
}

}  // namespace

uint32_t CurrentParagraphStyle(const CNoteView& view) {
    const CNotePosition& active = view.Active();
    if (active.IsNull()) return NoteEditEngine::kNormal;
    const bool forward = view.HasSelection() && view.Distance(view.Anchor(), active) > 0;
    if (forward && active.ElementIsParagraph() && !active.IsAtStart())
        return active.Before().ParagraphFormatOf().Style();
    return view.CaretParagraphFormat().Style();
}

void ToggleCheckBox(CNoteView& view, const CNotePosition& mark) {
    const uint32_t style = mark.ParagraphFormatOf().Style();
    if (style != NoteEditEngine::kUncheckedList && style != NoteEditEngine::kCheckedList) return;
    view.SetCaret(mark, false, true);
    CStyleChange change;
    ApplyStyle(view, style == NoteEditEngine::kCheckedList ? NoteEditEngine::kUncheckedList
                                                           : NoteEditEngine::kCheckedList);
}

uint32_t NextHeaderStyle(uint32_t current, bool forward) {
    return NextInCycle(current, forward, NoteEditEngine::IsHeaderStyle);
}

uint32_t NextListStyle(uint32_t current, bool forward) {
    return NextInCycle(current, forward, NoteEditEngine::IsListStyle);
}

void ToggleParagraphStyle(CNoteView& view, uint32_t style) {
    CStyleChange bracket;
    ApplyStyle(view, CurrentParagraphStyle(view) == style ? NoteEditEngine::kNormal : style);
}

void CycleHeader(CNoteView& view, bool forward) {
    CStyleChange bracket;
    ApplyStyle(view, NextHeaderStyle(CurrentParagraphStyle(view), forward));
}

void CycleList(CNoteView& view, bool forward) {
    CStyleChange bracket;
    ApplyStyle(view, NextListStyle(CurrentParagraphStyle(view), forward));
}

void Indent(CNoteView& view) {
    CStyleChange bracket;
    ChangeParagraphs(view, [](ParagraphFormat format) {
        format.IncrementIndent();
        return format;
    });
}

void Outdent(CNoteView& view) {
    CStyleChange bracket;
    ChangeParagraphs(view, [](ParagraphFormat format) {
        format.DecrementIndent();
        return format;
    });
}

void ToggleCharacterStyle(CNoteView& view, int bit) {
    if (!view.HasNotes()) return;
    CStyleChange bracket;
    const bool on = !view.Active().TypingStyle().Test(bit);
    CharacterStyle mask;
    mask.Set(bit);
    const CharacterStyle style = on ? mask : CharacterStyle{};
    for (const SelectionPart& part : view.SelectionParts()) {
        part.start.Document()->SetCharacterStyles(part.start, part.end.Index() - part.start.Index(),
                                                  style, mask);
    }
    CNotePosition active = view.Active();
    active.SetTypingStyle(NoteEditEngine::MaskedStyle(active.TypingStyle(), style, mask));
    view.SetSelection(view.Anchor(), active, false);
}

void ToggleCharacterStyleOnParagraph(CNoteView& view, int bit) {
    if (!view.HasNotes()) return;
    if (view.HasSelection()) {
        ToggleCharacterStyle(view, bit);
        return;
    }
    const CNotePosition caret = view.Active();
    view.SelectParagraph();
    ToggleCharacterStyle(view, bit);
    view.SetCaret(caret, false, true);
}

}  // namespace NoteEditor
