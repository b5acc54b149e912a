#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/NotePosition.h"
#include "model/NoteText.h"

namespace NoteEditEngine {

class CNoteDocument;

// One recorded change. Kinds: 0 insertion, 1 deletion, 2 paragraph replacement, 3 character
// styles of a range.
struct UndoStep {
    uint32_t group;
    uint32_t kind;
    uint32_t backward;  // low byte 1: a deletion run that grew towards the start (Backspace)
    uint32_t first;     // index in the history's text runs of the step's first run
    uint32_t position;  // element index of the first element concerned
    uint32_t count;     // kinds 0, 1, 3: elements; kind 2: 2 (the old and the new format)
    uint32_t runs;      // index in the history's style runs of the step's first run
    // Kind 3: the bits of `mask` in each element's style were taken from `style`.
    CharacterStyle style;
    CharacterStyle mask;

    friend bool operator==(const UndoStep&, const UndoStep&) = default;
};

enum UndoKind : uint32_t {
    kInsertion = 0,
    kDeletion = 1,
    kParagraphReplacement = 2,
    kStyleChange = 3,
};

// Consecutive elements that had one character style.
struct StyleRun {
    uint32_t length;
    CharacterStyle style;
};

// `old` with the bits of `mask` taken from `style`.
[[nodiscard]] constexpr CharacterStyle MaskedStyle(CharacterStyle old, CharacterStyle style,
                                                   CharacterStyle mask) noexcept {
    return CharacterStyle((old.Word() & ~mask.Word()) | (style.Word() & mask.Word()));
}

// --- Process-wide undo state (single-threaded, unlocked) ---

// Steps are numbered by one counter across all documents, so that one action touching several
// notes is undone as one.
[[nodiscard]] uint32_t UndoGroupCounter() noexcept;
void StartNewUndoGroup() noexcept;
// Every command names itself before it edits and clears the name afterwards; records under one
// non-empty name share a group until a new group is started.
void SetCurrentActionName(std::u16string_view name);
[[nodiscard]] const std::u16string& CurrentActionName() noexcept;
[[nodiscard]] const std::u16string& LastActionName() noexcept;
// Drops every history's redo steps, as the first record after an undo does.
void DiscardRedoEverywhere() noexcept;

// Names the current action for a scope and clears the name when the scope ends.
class CActionScope {
public:
    explicit CActionScope(std::u16string_view name) { SetCurrentActionName(name); }
    ~CActionScope() { SetCurrentActionName(u""); }
    CActionScope(const CActionScope&) = delete;
    CActionScope& operator=(const CActionScope&) = delete;
};

// The undo history of one document: the steps, the runs of text they inserted or removed (unit
// numbers of the document's unit store, which keeps removed units, so a step costs a few words
// whatever its length) and the old styles of restyled ranges as runs. Steps hold element
// indices, so they survive removal and re-creation of elements.
class CNoteUndoHistory {
public:
    // Joins the process-wide list of live histories.
    explicit CNoteUndoHistory(CNoteDocument& document);
    ~CNoteUndoHistory();
    CNoteUndoHistory(const CNoteUndoHistory&) = delete;
    CNoteUndoHistory& operator=(const CNoteUndoHistory&) = delete;

    // Nested: recording resumes when every suspension has been resumed.
    void SuspendRecording() noexcept { ++m_suspend; }
    void ResumeRecording() noexcept {
        if (m_suspend > 0) --m_suspend;
    }
    [[nodiscard]] bool IsSuspended() const noexcept { return m_suspend > 0; }

    // After inserting n elements starting at element index `first`.
    void RecordInsertion(uint32_t first, uint32_t n);
    // Before deleting n elements starting at element index `first`.
    void RecordDeletion(uint32_t first, uint32_t n);
    // After the mark at element index `mark` changed its format from `old` to `now`.
    void RecordParagraphReplacement(uint32_t mark, ParagraphFormat old, ParagraphFormat now);
    // After the elements from index `position` took the bits of `mask` from `style`: oldRuns are
    // their styles before, their lengths summing to at least one. Extends the last step when it
    // made the same change in this group up to `position`.
    void RecordStyleChange(uint32_t position, std::span<const StyleRun> oldRuns,
                           CharacterStyle style, CharacterStyle mask);

    // Group of the last applied step, or 0.
    [[nodiscard]] uint32_t LastDoneGroup() const noexcept;
    // Group of the first undone step, or 0.
    [[nodiscard]] uint32_t NextRedoGroup() const noexcept;
    [[nodiscard]] bool CanUndo() const noexcept { return m_done > 0; }
    [[nodiscard]] bool CanRedo() const noexcept { return m_done < m_steps.size(); }

    // Undoes every applied step whose group is at least `group` (0: the last applied group) and
    // returns where the caret should go: null when nothing was undone or only paragraph formats
    // changed back.
    CNotePosition Undo(uint32_t group = 0);
    // Redoes every undone step whose group is at most `group` (0: the next redo group).
    CNotePosition Redo(uint32_t group = 0);

    [[nodiscard]] const std::vector<UndoStep>& Steps() const noexcept { return m_steps; }
    [[nodiscard]] uint32_t Done() const noexcept { return m_done; }
    [[nodiscard]] size_t TextRunCount() const noexcept { return m_texts.size(); }
    [[nodiscard]] const TextRun& TextRunAt(size_t i) const noexcept { return m_texts[i]; }
    [[nodiscard]] size_t RunCount() const noexcept { return m_runs.size(); }

private:
    friend void DiscardRedoEverywhere() noexcept;

    // The common start of every record: discards redo everywhere after an undo, decides the
    // group and returns false when recording is suspended.
    bool BeginRecord();
    void RecordRun(uint32_t kind, uint32_t position, uint32_t n);
    // The text runs of an insertion or deletion step, in document order.
    [[nodiscard]] std::vector<TextRun> RunsOfStep(const UndoStep& step) const;
    // Appends a step of this group over what the history holds now.
    void PushStep(uint32_t kind, uint32_t position, uint32_t count, uint32_t firstRun);
    void DiscardRedo() noexcept;

    void UndoStepAt(const UndoStep& step, CNotePosition& result);
    void RedoStepAt(const UndoStep& step, CNotePosition& result);
    // Links the runs of an insertion (redo) or deletion (undo) step back in.
    void Relink(const UndoStep& step, CNotePosition& result);
    // Gives the paragraph marks of a replacement step their old (pairIndex 0) or new (1) formats.
    void ApplyReplacement(const UndoStep& step, int pairIndex);
    // Gives the elements of a style step their old styles, or the new ones.
    void ApplyStyleChange(const UndoStep& step, bool redo, CNotePosition& result);

    std::vector<TextRun> m_texts;
    std::vector<StyleRun> m_runs;
    std::vector<UndoStep> m_steps;
    uint32_t m_done = 0;
    uint32_t m_suspend = 0;
    CNoteDocument& m_document;
};

// Keeps a history's recording suspended for a scope.
class CSuspendRecording {
public:
    explicit CSuspendRecording(CNoteUndoHistory& history) noexcept : m_history(history) {
        m_history.SuspendRecording();
    }
    ~CSuspendRecording() { m_history.ResumeRecording(); }
    CSuspendRecording(const CSuspendRecording&) = delete;
    CSuspendRecording& operator=(const CSuspendRecording&) = delete;

private:
    CNoteUndoHistory& m_history;
};

// --- Undo and redo over the documents shown together in the editor ---

// What undoing or redoing over shown documents did.
struct ShownUndoResult {
    bool applied = false;  // false: nothing could be undone (redone); nothing changed
    // Where the caret goes: the position returned by the last document undone. Null when that
    // document only changed paragraph formats back: the caller re-sets the caret where it was.
    CNotePosition caret;
};

[[nodiscard]] bool CanUndo(std::span<CNoteDocument* const> shown) noexcept;
[[nodiscard]] bool CanRedo(std::span<CNoteDocument* const> shown) noexcept;
// Undoes the latest group among the shown documents in every shown document that has it, in the
// order given.
ShownUndoResult UndoShown(std::span<CNoteDocument* const> shown);
// Redoes the earliest undone group among the shown documents likewise.
ShownUndoResult RedoShown(std::span<CNoteDocument* const> shown);

}  // namespace NoteEditEngine
