#pragma once

#include "model/NotePosition.h"
#include "model/Styles.h"

namespace NoteStorage {

// The walk shared by the writers of a range of one note (the content markup and the HTML): which
// elements of the range are written, and the nesting rule of character style transitions. Each
// writer supplies what it appends.

// Calls onMark(iterator) for every paragraph mark that opens an element and
// onCharacter(iterator) for every character of the ordered range from `start` to `end`: the
// elements after the start position through the one at the end position, plus the mark at the
// start position itself. Marks are left out where they would open nothing the range holds: the
// mark at the end position (unless the range runs to the document's last position, so a whole
// note keeps its trailing empty paragraph) and the start mark of a range that is a piece of the
// paragraph that mark begins (unless forceStartMark).
template <typename OnMark, typename OnCharacter>
void WalkContentRange(const NoteEditEngine::CNotePosition& start,
                      const NoteEditEngine::CNotePosition& end, bool forceStartMark, OnMark onMark,
                      OnCharacter onCharacter) {
    const bool endIsLast = end.IsAtEnd();
    const bool writeStartMark = start.ElementIsParagraph() &&
                                (forceStartMark || endIsLast || !(end.ParagraphOf() == start));
    const NoteEditEngine::ElementIterator first = start.Iterator();
    const NoteEditEngine::ElementIterator last = end.Iterator();
    for (NoteEditEngine::ElementIterator it = first;; ++it) {
        const bool atStart = it == first;
        const bool atEnd = it == last;
        if (it.IsParagraph()) {
            if (atStart ? writeStartMark : (!atEnd || endIsLast)) onMark(it);
        } else if (!atStart) {
            onCharacter(it);
        }
        if (atEnd) break;
    }
}

// Appends the transition from one style set to another: find the lowest flag in which they
// differ, close the flags of `from` from the highest down to it and open those of `to` from it
// up, so the flags below stay open and Strong is always outermost, Comment innermost.
template <typename CloseFlag, typename OpenFlag>
void AppendStyleTransition(NoteEditEngine::CharacterStyle from, NoteEditEngine::CharacterStyle to,
                           CloseFlag closeFlag, OpenFlag openFlag) {
    using NoteEditEngine::CharacterStyle;
    if (from == to) return;
    int k = 0;
    while (from.Test(k) == to.Test(k))
        ++k;
    for (int flag = CharacterStyle::kFlagCount - 1; flag >= k; --flag) {
        if (from.Test(flag)) closeFlag(flag);
    }
    for (int flag = k; flag < CharacterStyle::kFlagCount; ++flag) {
        if (to.Test(flag)) openFlag(flag);
    }
}

}  // namespace NoteStorage
