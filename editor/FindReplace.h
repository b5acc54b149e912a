#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "layout/NoteView.h"

// Find Next, Replace and Replace All over a note view, without the dialog: the dialog reads its
// controls, calls these and reports the outcome.
class CFindReplace {
public:
    enum class Outcome { Found, NotFound, NoSearchText };

    explicit CFindReplace(NoteLayoutEngine::CNoteView& view) : m_view(view) {}

    // Searches from the caret and selects the occurrence, which becomes the last match.
    Outcome FindNext(std::u16string_view text, bool matchCase, bool wholeWord);
    // Replaces the last match when it is still the selection, then finds the next occurrence.
    Outcome ReplaceOne(std::u16string_view text, std::u16string_view replacement, bool matchCase,
                       bool wholeWord);
    // Replaces every occurrence in one pass over the shown notes, each as its own undo step, and
    // returns how many; -1 for an empty search text. The pass ends when the search comes round
    // again to where the first replacement was made, so a replacement that contains the search
    // text is never replaced again.
    int ReplaceAll(std::u16string_view text, std::u16string_view replacement, bool matchCase,
                   bool wholeWord);

    void ForgetLastMatch() noexcept { m_start = m_end = {}; }
    // A match is remembered only while the shown text stays as it was found: after any edit or a
    // note leaving the view its positions may name destroyed elements.
    [[nodiscard]] bool HasLastMatch() const noexcept {
        return !m_start.IsNull() && !m_end.IsNull() && m_matchChanges == m_view.ChangeCount();
    }

    // The text that Find starts with (see ShowFind of the dialog): the word at the caret, with the
    // caret put back at its start; the selection when it lies in one paragraph; else nothing.
    [[nodiscard]] std::u16string InitialSearchText();

private:
    NoteLayoutEngine::CNoteView& m_view;
    NoteEditEngine::CNotePosition m_start;
    NoteEditEngine::CNotePosition m_end;
    uint64_t m_matchChanges = 0;  // the view's change count when the match was found
};
