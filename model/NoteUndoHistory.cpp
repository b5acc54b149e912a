#include "model/NoteUndoHistory.h"

#include <algorithm>

#include "model/Clock.h"
#include "model/NoteDocument.h"

namespace NoteEditEngine {

namespace {

struct UndoState {
    uint32_t counter = 1;
    std::u16string currentAction;
    std::u16string lastAction;
    std::vector<CNoteUndoHistory*> live;
    // Set by every undo: until then no history holds redo steps, and records skip the walk over
    // every live history.
    bool redoPending = false;
};

UndoState& State() {
    // Never destroyed: histories may be destroyed during static destruction at exit.
    static UndoState& state = *new UndoState;
    return state;
}

}  // namespace

uint32_t UndoGroupCounter() noexcept {
    return State().counter;
}
void StartNewUndoGroup() noexcept {
    ++State().counter;
}
void SetCurrentActionName(std::u16string_view name) {
    State().currentAction.assign(name);
}
const std::u16string& CurrentActionName() noexcept {
    return State().currentAction;
}
const std::u16string& LastActionName() noexcept {
    return State().lastAction;
}

void DiscardRedoEverywhere() noexcept {
    UndoState& state = State();
    for (CNoteUndoHistory* history : state.live)
        history->DiscardRedo();
    state.redoPending = false;
}

CNoteUndoHistory::CNoteUndoHistory(CNoteDocument& document) : m_document(document) {
    State().live.push_back(this);
}

CNoteUndoHistory::~CNoteUndoHistory() {
    auto& live = State().live;
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

void CNoteUndoHistory::DiscardRedo() noexcept {
    if (m_done >= m_steps.size()) return;
    m_texts.resize(m_steps[m_done].first);
    m_runs.resize(m_steps[m_done].runs);
    m_steps.resize(m_done);
}

bool CNoteUndoHistory::BeginRecord() {
    if (m_suspend > 0) return false;
    UndoState& state = State();
    if (state.redoPending) DiscardRedoEverywhere();
    // Compared before assigning: a long run of records under one name copies nothing.
    if (state.currentAction.empty() || state.currentAction != state.lastAction) {
        ++state.counter;
        state.lastAction = state.currentAction;
    }
    return true;
}

void CNoteUndoHistory::RecordInsertion(uint32_t first, uint32_t n) {
    RecordRun(kInsertion, first, n);
}

void CNoteUndoHistory::RecordDeletion(uint32_t first, uint32_t n) {
    RecordRun(kDeletion, first, n);
}

void CNoteUndoHistory::RecordRun(uint32_t kind, uint32_t position, uint32_t n) {
    if (!BeginRecord()) return;
    if (n == 0) return;
    const uint32_t group = State().counter;
    UndoStep* last =
        m_done > 0 && m_steps[m_done - 1].group == group ? &m_steps[m_done - 1] : nullptr;
    const CNoteText& text = m_document.m_text;

    // Out of memory half-way, the history is left as it was.
    auto appendRuns = [&](size_t joinFrom) {
        const size_t before = m_texts.size();
        const TextRun lastRun = before > 0 ? m_texts.back() : TextRun{};
        try {
            text.RunsOf(position, n, m_texts, joinFrom);
        } catch (...) {
            m_texts.resize(before);
            if (before > 0) m_texts.back() = lastRun;
            throw;
        }
    };

    if (last != nullptr) {
        // Typing on after the last typed character, or Delete again at the same place.
        if (last->kind == kind && last->backward == 0 &&
            (kind == kDeletion ? last->position == position
                               : last->position + last->count == position)) {
            appendRuns(last->first);
            last->count += n;
            return;
        }
        // Backspace over the character just typed: the typing step shrinks instead.
        if (last->kind == kInsertion && last->backward == 0 && kind == kDeletion && n == 1 &&
            position + 1 == last->position + last->count) {
            if (--m_texts.back().length == 0) m_texts.pop_back();
            if (--last->count == 0) {
                m_steps.pop_back();
                --m_done;
            }
            return;
        }
        // Backspace again: the run grows towards the start and its runs go in reverse.
        if (last->kind == kDeletion && kind == kDeletion && n == 1 &&
            ((last->count == 1 && last->backward == 0) ||
             (last->backward != 0 && last->count > 1)) &&
            position + 1 == last->position) {
            uint32_t offset = 0;
            const Piece* piece = text.Find(position, offset);
            const uint32_t unit = piece->start + offset;
            TextRun& back = m_texts.back();
            if (!piece->mark && !back.mark && back.style == piece->style &&
                unit + 1 == back.start && (back.start & (CNoteText::kBlockSize - 1)) != 0) {
                --back.start;
                ++back.length;
            } else {
                m_texts.push_back({unit, 1, piece->style, piece->format, piece->mark});
            }
            ++last->count;
            --last->position;
            last->backward = 1;
            return;
        }
    }
    const auto firstRun = static_cast<uint32_t>(m_texts.size());
    appendRuns(firstRun);
    try {
        PushStep(kind, position, n, firstRun);
    } catch (...) {
        m_texts.resize(firstRun);
        throw;
    }
}

void CNoteUndoHistory::PushStep(uint32_t kind, uint32_t position, uint32_t count,
                                uint32_t firstRun) {
    m_steps.push_back(UndoStep{State().counter,
                               kind,
                               0,
                               firstRun,
                               position,
                               count,
                               static_cast<uint32_t>(m_runs.size()),
                               {},
                               {}});
    ++m_done;
}

void CNoteUndoHistory::RecordParagraphReplacement(uint32_t mark, ParagraphFormat old,
                                                  ParagraphFormat now) {
    if (!BeginRecord()) return;
    const auto before = static_cast<uint32_t>(m_texts.size());
    try {
        m_texts.push_back({0, 0, {}, old, true});
        m_texts.push_back({0, 0, {}, now, true});
        PushStep(kParagraphReplacement, mark, 2, before);
    } catch (...) {
        m_texts.resize(before);
        throw;
    }
}

std::vector<TextRun> CNoteUndoHistory::RunsOfStep(const UndoStep& step) const {
    std::vector<TextRun> runs;
    uint32_t left = step.count;
    for (size_t i = step.first; left > 0 && i < m_texts.size(); ++i) {
        runs.push_back(m_texts[i]);
        left -= std::min(left, m_texts[i].length);
    }
    if (step.backward != 0) std::reverse(runs.begin(), runs.end());
    return runs;
}

void CNoteUndoHistory::RecordStyleChange(uint32_t position, std::span<const StyleRun> oldRuns,
                                         CharacterStyle style, CharacterStyle mask) {
    if (oldRuns.empty() || !BeginRecord()) return;
    uint32_t count = 0;
    for (const StyleRun& run : oldRuns)
        count += run.length;
    const size_t before = m_runs.size();
    UndoStep* last = m_done > 0 ? &m_steps[m_done - 1] : nullptr;
    // The next elements of a range restyled element by element: the step grows.
    const bool extend = last != nullptr && last->group == State().counter &&
                        last->kind == kStyleChange && last->style == style && last->mask == mask &&
                        last->position + last->count == position;
    const bool merge = extend && m_runs.back().style == oldRuns.front().style;
    try {
        m_runs.insert(m_runs.end(), oldRuns.begin() + (merge ? 1 : 0), oldRuns.end());
        if (extend) {
            if (merge) m_runs[before - 1].length += oldRuns.front().length;
            last->count += count;
            return;
        }
        PushStep(kStyleChange, position, count, static_cast<uint32_t>(m_texts.size()));
    } catch (...) {
        m_runs.resize(before);
        throw;
    }
    UndoStep& step = m_steps.back();
    step.runs = static_cast<uint32_t>(before);
    step.style = style;
    step.mask = mask;
}

uint32_t CNoteUndoHistory::LastDoneGroup() const noexcept {
    return m_done > 0 ? m_steps[m_done - 1].group : 0;
}

uint32_t CNoteUndoHistory::NextRedoGroup() const noexcept {
    return m_done < m_steps.size() ? m_steps[m_done].group : 0;
}

CNotePosition CNoteUndoHistory::Undo(uint32_t group) {
    CNotePosition result;
    if (m_done == 0) return result;
    if (group == 0) group = LastDoneGroup();
    State().redoPending = true;
    CSuspendRecording suspend(*this);
    while (m_done > 0 && m_steps[m_done - 1].group >= group) {
        // Copied: undoing never touches the step list, but the copy keeps that obvious.
        const UndoStep step = m_steps[m_done - 1];
        UndoStepAt(step, result);
        --m_done;
    }
    m_document.Touch();
    return result;
}

CNotePosition CNoteUndoHistory::Redo(uint32_t group) {
    CNotePosition result;
    if (m_done >= m_steps.size()) return result;
    if (group == 0) group = NextRedoGroup();
    CSuspendRecording suspend(*this);
    while (m_done < m_steps.size() && m_steps[m_done].group <= group) {
        const UndoStep step = m_steps[m_done];
        RedoStepAt(step, result);
        ++m_done;
    }
    m_document.Touch();
    return result;
}

void CNoteUndoHistory::UndoStepAt(const UndoStep& step, CNotePosition& result) {
    CNoteDocument& doc = m_document;
    switch (step.kind) {
        case kInsertion: {
            CNotePosition p = doc.FromIndex(int64_t{step.position} - 1);
            doc.DeleteRange(p, step.count);
            result = p;
            break;
        }
        case kDeletion:
            Relink(step, result);
            break;
        case kParagraphReplacement:
            ApplyReplacement(step, 0);
            break;
        default:
            ApplyStyleChange(step, false, result);
            break;
    }
}

void CNoteUndoHistory::RedoStepAt(const UndoStep& step, CNotePosition& result) {
    CNoteDocument& doc = m_document;
    switch (step.kind) {
        case kInsertion:
            Relink(step, result);
            break;
        case kDeletion: {
            // A plain removal, not DeleteRange: its rule that moves a later mark's format onto
            // p's paragraph would also fire for a redone join into an empty paragraph, which kept
            // its own format. Where the original deletion did move a format, it recorded a
            // paragraph replacement of its own, and redoing that step moves it again.
            CNotePosition p = doc.FromIndex(int64_t{step.position} - 1);
            const uint32_t count = std::min(step.count, doc.size() - 1 - p.Index());
            if (count > 0) {
                doc.NotifyRemoving(p, count);
                doc.m_text.Remove(p.Index() + 1, count);
                doc.NotifyChanged(p, 1);
            }
            result = p;
            break;
        }
        case kParagraphReplacement:
            ApplyReplacement(step, 1);
            break;
        default:
            ApplyStyleChange(step, true, result);
            break;
    }
}

void CNoteUndoHistory::Relink(const UndoStep& step, CNotePosition& result) {
    CNoteDocument& doc = m_document;
    // The same units come back, with their numbers: no text is copied.
    const std::vector<TextRun> runs = RunsOfStep(step);
    const uint32_t after = doc.select(std::min(step.position, doc.size()) - 1).Unit();
    doc.m_text.InsertRuns(after, runs);
    doc.NotifyChanged(doc.FromIndex(int64_t{step.position} - 1), step.count);
    result = doc.FromIndex(int64_t{step.position} + step.count - 1);
}

void CNoteUndoHistory::ApplyReplacement(const UndoStep& step, int pairIndex) {
    CNoteDocument& doc = m_document;
    // The recorded format is copied back into the mark in place: the mark keeps its identity,
    // so nothing that refers to it goes stale.
    const ElementIterator it = doc.select(step.position);
    if (it != doc.end() && it.IsParagraph())
        doc.m_text.SetFormat(it.piece(),
                             m_texts[step.first + static_cast<uint32_t>(pairIndex)].format);
    const CNotePosition mark = doc.FromIndex(step.position);
    doc.NotifyChanged(mark, doc.ParagraphElementCount(mark));
}

void CNoteUndoHistory::ApplyStyleChange(const UndoStep& step, bool redo, CNotePosition& result) {
    CNoteDocument& doc = m_document;
    uint32_t at = step.position;
    uint32_t left = std::min(step.count, doc.size() > at ? doc.size() - at : 0);
    for (size_t r = step.runs; left > 0 && r < m_runs.size(); ++r) {
        const StyleRun& run = m_runs[r];
        const uint32_t n = std::min(run.length, left);
        const CharacterStyle style =
            redo ? MaskedStyle(run.style, step.style, step.mask) : run.style;
        doc.m_text.Restyle(at, n, [style](CharacterStyle, uint32_t) { return style; });
        at += n;
        left -= n;
    }
    doc.NotifyChanged(doc.FromIndex(int64_t{step.position} - 1), step.count);
    result = doc.FromIndex(int64_t{step.position} + step.count - 1);
}

namespace {

template <typename Pick>
uint32_t PickGroup(std::span<CNoteDocument* const> shown, Pick better) {
    uint32_t group = 0;
    for (CNoteDocument* doc : shown)
        group = better(group, doc->UndoHistory());
    return group;
}

}  // namespace

bool CanUndo(std::span<CNoteDocument* const> shown) noexcept {
    return std::any_of(shown.begin(), shown.end(),
                       [](CNoteDocument* doc) { return doc->UndoHistory().CanUndo(); });
}

bool CanRedo(std::span<CNoteDocument* const> shown) noexcept {
    return std::any_of(shown.begin(), shown.end(),
                       [](CNoteDocument* doc) { return doc->UndoHistory().CanRedo(); });
}

ShownUndoResult UndoShown(std::span<CNoteDocument* const> shown) {
    ShownUndoResult result;
    const uint32_t group = PickGroup(shown, [](uint32_t best, const CNoteUndoHistory& history) {
        return std::max(best, history.LastDoneGroup());
    });
    if (group == 0) return result;
    for (CNoteDocument* doc : shown) {
        if (doc->UndoHistory().LastDoneGroup() != group) continue;
        result.caret = doc->UndoHistory().Undo(0);
        result.applied = true;
    }
    return result;
}

ShownUndoResult RedoShown(std::span<CNoteDocument* const> shown) {
    ShownUndoResult result;
    const uint32_t group = PickGroup(shown, [](uint32_t best, const CNoteUndoHistory& history) {
        const uint32_t next = history.NextRedoGroup();
        return next != 0 && (best == 0 || next < best) ? next : best;
    });
    if (group == 0) return result;
    for (CNoteDocument* doc : shown) {
        if (doc->UndoHistory().NextRedoGroup() != group) continue;
        result.caret = doc->UndoHistory().Redo(0);
        result.applied = true;
    }
    return result;
}

}  // namespace NoteEditEngine
