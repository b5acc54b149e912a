#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "model/NoteText.h"

namespace NoteEditEngine {
namespace {

// The plain model: one entry per element, with the unit number it must keep.
struct Element {
    uint32_t unit;
    char16_t code;  // 0 for a mark
    uint32_t style;
    bool mark;
};

// Random edits of the piece tree against the model, with more than one store block of text so
// that pieces split at block ends; after each, the whole sequence, the look-ups by index and by
// unit number, and the nearest marks are checked.
TEST(NoteTextTest, RandomEditsKeepSequenceAndUnitNumbers) {
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        auto pick = [&](uint32_t n) { return static_cast<uint32_t>(rng() % n); };
        CNoteText text(CharacterStyle{}, ParagraphFormat{});
        std::vector<Element> model{{0, 0, 0, true}};
        std::vector<std::vector<Element>> removed;
        std::vector<std::vector<TextRun>> removedRuns;
        for (int step = 0; step < 400; ++step) {
            const auto size = static_cast<uint32_t>(model.size());
            const uint32_t at = pick(size);  // insert after element `at`
            const uint32_t op = pick(10);
            if (op < 4) {
                const std::u16string units(1 + pick(op == 0 ? 3000 : 6), u'a' + pick(26));
                const CharacterStyle style(pick(3));
                const uint32_t first = text.InsertText(model[at].unit, units, style);
                std::vector<Element> added;
                for (uint32_t i = 0; i < units.size(); ++i)
                    added.push_back({first + i, units[i], style.Word(), false});
                model.insert(model.begin() + at + 1, added.begin(), added.end());
            } else if (op == 4) {
                const uint32_t unit = text.InsertMark(model[at].unit, CharacterStyle(1),
                                                      ParagraphFormat(pick(9), pick(3)));
                model.insert(model.begin() + at + 1, {unit, 0, 1, true});
            } else if (op < 7 && size > 1) {
                const uint32_t first = 1 + pick(size - 1);
                const uint32_t n = 1 + pick(std::min<uint32_t>(size - first, 50));
                std::vector<TextRun> runs;
                text.RunsOf(first, n, runs, 0);
                text.Remove(first, n);
                removed.emplace_back(model.begin() + first, model.begin() + first + n);
                removedRuns.push_back(runs);
                model.erase(model.begin() + first, model.begin() + first + n);
            } else if (op == 7 && !removed.empty()) {
                // As undo does: the same units come back after any live element.
                text.InsertRuns(model[at].unit, removedRuns.back());
                model.insert(model.begin() + at + 1, removed.back().begin(), removed.back().end());
                removed.pop_back();
                removedRuns.pop_back();
            } else if (size > 1) {
                const uint32_t first = pick(size);
                const uint32_t n = std::min(1 + pick(40), size - first);
                const uint32_t bit = 1u << pick(3);
                text.Restyle(first, n, [&](CharacterStyle old, uint32_t) {
                    return CharacterStyle(old.Word() ^ bit);
                });
                for (uint32_t i = first; i < first + n; ++i)
                    model[i].style ^= bit;
            }

            ASSERT_EQ(text.Size(), model.size());
            uint32_t index = 0;
            uint32_t marks = 0;
            for (Piece* piece = text.First(); piece != nullptr; piece = CNoteText::Next(piece)) {
                ASSERT_EQ(text.Rank(piece), index);
                // Plain comparisons, and a piece found from its first and last units only: an
                // assertion and a look-up per element made this the suite's slowest test.
                for (uint32_t k = 0; k < piece->length; ++k, ++index) {
                    const Element& e = model[index];
                    if (piece->start + k != e.unit || piece->mark != e.mark ||
                        piece->style.Word() != e.style ||
                        (!e.mark && text.UnitsOf(piece)[k] != e.code) ||
                        ((k == 0 || k + 1 == piece->length) && text.PieceOf(e.unit) != piece))
                        FAIL() << "element " << index << " at step " << step << ": unit "
                               << piece->start + k << " for " << e.unit << ", mark " << piece->mark
                               << ", style " << piece->style.Word() << " for " << e.style;
                }
                marks += piece->mark ? 1u : 0u;
                ASSERT_EQ(text.MarkAtOrBefore(piece)->mark, true);
            }
            ASSERT_EQ(text.MarkCount(), marks);
            const uint32_t probe = pick(text.Size());
            uint32_t offset = 0;
            Piece* found = text.Find(probe, offset);
            ASSERT_EQ(found->start + offset, model[probe].unit);
            uint32_t before = probe;
            while (!model[before].mark)
                --before;
            EXPECT_EQ(text.MarkAtOrBefore(found)->start, model[before].unit);
            uint32_t after = probe + 1;
            while (after < model.size() && !model[after].mark)
                ++after;
            const Piece* next = text.MarkAfter(found);
            if (after == model.size()) {
                EXPECT_EQ(next, nullptr);
            } else {
                ASSERT_NE(next, nullptr);
                EXPECT_EQ(next->start, model[after].unit);
            }
            for (const auto& gone : removed)
                for (const Element& e : gone)
                    if (text.PieceOf(e.unit) != nullptr) FAIL() << "removed unit " << e.unit;
        }
    }
}

// A reader appends: text that fills the last store block goes on in the next, none of it lost.
TEST(NoteTextTest, AppendedTextSpillsIntoTheNextBlock) {
    CNoteText text(CharacterStyle{}, ParagraphFormat{});
    const std::u16string first(CNoteText::kBlockSize - 100, u'a');
    const std::u16string second(300, u'b');
    text.AppendText(first, CharacterStyle{});
    text.AppendText(second, CharacterStyle{});
    std::u16string read;
    for (Piece* piece = text.First(); piece != nullptr; piece = CNoteText::Next(piece))
        if (!piece->mark) read += text.UnitsOf(piece);
    EXPECT_EQ(read, first + second);
    EXPECT_EQ(text.Size(), 1 + first.size() + second.size());
}

}  // namespace
}  // namespace NoteEditEngine
