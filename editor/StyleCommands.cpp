#include "editor/StyleCommands.h"

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

}  // namespace

uint32_t CurrentParagraphStyle(const CNoteView& view) {
    const CNotePosition& active = view.Active();
    if (active.IsNull()) return NoteEditEngine::kNormal;
    const bool forward = view.HasSelection() && view.Distance(view.Anchor(), active) > 0;
    if (forward && active.ElementIsParagraph() && !active.IsAtStart())
        return active.Before().ParagraphFormatOf().Style();
    return view.CaretParagraphFormat().Style();
}

uint32_t NextHeaderStyle(uint32_t current, bool forward) noexcept {
    using namespace NoteEditEngine;
    if (forward) return current == kHeader1 ? kHeader2 : current == kHeader2 ? kHeader3 : kHeader1;
    return current == kHeader2 ? kHeader1 : current == kHeader3 ? kHeader2 : kHeader3;
}

uint32_t NextListStyle(uint32_t current, bool forward) noexcept {
    using namespace NoteEditEngine;
    if (forward) {
        switch (current) {
            case kUncheckedList:
                return kCheckedList;
            case kCheckedList:
                return kNegativeList;
            case kNegativeList:
                return kPositiveList;
            default:
                return kUncheckedList;
        }
    }
    switch (current) {
        case kCheckedList:
            return kUncheckedList;
        case kPositiveList:
            return kNegativeList;
        case kNegativeList:
            return kCheckedList;
        default:
            return kPositiveList;
    }
}

void SetParagraphStyle(CNoteView& view, uint32_t style) {
    CStyleChange bracket;
    ApplyStyle(view, style);
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
    std::vector<ChangedRange> changed;
    {
        NoteEditEngine::CNotificationsOff quiet;
        for (const SelectionPart& part : view.SelectionParts()) {
            const uint32_t count = part.end.Index() - part.start.Index();
            CNotePosition p = part.start;
            bool any = false;
            for (uint32_t k = 0; k < count; ++k) {
                p.StepRight();
                CharacterStyle style = p.StyleAt();
                const CharacterStyle before = style;
                if (on) {
                    style.Set(bit);
                } else {
                    style.Clear(bit);
                }
                if (style != before) {
                    p.Document()->SetCharacterStyle(p, style);
                    any = true;
                }
            }
            if (any) changed.push_back({part.start, count});
        }
    }
    for (ChangedRange& range : changed)
        range.start.Document()->NotifyChanged(range.start, range.count);
    CNotePosition active = view.Active();
    CharacterStyle typing = active.TypingStyle();
    if (on) {
        typing.Set(bit);
    } else {
        typing.Clear(bit);
    }
    active.SetTypingStyle(typing);
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
