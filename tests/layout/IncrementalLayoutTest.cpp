// The incrementally maintained tree must always equal a tree laid out from scratch.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "layout/NoteRowGlyph.h"
#include "model/NoteUndoHistory.h"
#include "tests/support/LayoutTestSupport.h"

namespace NoteLayoutEngine::TestSupport {
namespace {

using NoteEditEngine::CharacterStyle;
using NoteEditEngine::CNoteDocument;
using NoteEditEngine::CNotePosition;

class IncrementalLayoutTest : public LayoutTest {
protected:
    // The view's tree must equal one laid out afresh by a second view of the same width, and
    // every note's rank, global index and top must follow from the notes themselves.
    void ExpectFresh(const std::string& step) {
        const std::unique_ptr<CTestNoteView> fresh = Fresh();
        ASSERT_EQ(view.Dump() + " " + DetailedDump(view),
                  fresh->Dump() + " " + DetailedDump(*fresh))
            << "after " << step;
        ASSERT_EQ(view.scrollExtent, view.TreeHeight());
        const std::vector<CNoteDocument*>& shown = view.ShownNotes();
        int64_t before = 0;
        for (size_t k = 0; k < shown.size(); ++k) {
            CNoteDocument* note = shown[k];
            ASSERT_EQ(view.NoteIndex(note), static_cast<int>(k)) << "after " << step;
            ASSERT_EQ(view.GlobalIndex(note->End()), before + note->size() - 1) << "after " << step;
            ASSERT_EQ(view.PointOf(note->Start()).y, fresh->PointOf(note->Start()).y);
            before += note->size();
        }
        ASSERT_EQ(view.CanUndo(), NoteEditEngine::CanUndo(shown)) << "after " << step;
        ASSERT_EQ(view.CanRedo(), NoteEditEngine::CanRedo(shown)) << "after " << step;
    }
    // A view of the same width showing the same notes, laid out from scratch.
    std::unique_ptr<CTestNoteView> Fresh() const {
        auto fresh = std::make_unique<CTestNoteView>();
        fresh->recording = false;
        fresh->SetWidth(view.ViewWidth(), false);
        for (CNoteDocument* note : view.ShownNotes())
            fresh->AddNote(note,
                           fresh->ShownNotes().empty() ? nullptr : fresh->ShownNotes().back());
        return fresh;
    }
    // A window three rows high on rows of seven characters, laying out lazily.
    void UseLazyWindow() {
        view.recording = false;
        view.clientHeight = 48;
        view.SetLazyLayout(view.clientHeight);
        SetColumns(7);
    }
};

// One random edit of `note` as the editor makes it at a random caret or selection, at times (when
// `acrossNotes`) into another note (typed over by the commands that replace it, deleted by the
// others), or an undo or redo; returns its name.
template <typename Pick>
std::string RandomEdit(CNoteView& view, CNoteDocument* note, Pick& pick, bool acrossNotes = true) {
    static const struct {
        const char* name;
        const char16_t* action;
        bool replaces;
        void (*change)(CNotePosition& p, uint32_t r);
    } kCommands[] = {
        {"typing", u"enter_text", true,
         [](CNotePosition& p, uint32_t r) {
             // Ten, with a combining mark and a joiner.
             p.Document()->InsertCharacter(p, u"ab\u0301 \u2764xy\u200D\u200Bq"[r % 10]);
         }},
        {"Enter", u"paragraph_break", true,
         [](CNotePosition& p, uint32_t) { p.Document()->Enter(p); }},
        {"Backspace", u"enter_text", false,
         [](CNotePosition& p, uint32_t) { p.Document()->Backspace(p); }},
        {"Delete", u"delete_key", false,
         [](CNotePosition& p, uint32_t) { p.Document()->DeleteKey(p); }},
        {"paste", u"paste", true,
         [](CNotePosition& p, uint32_t r) {
             const std::u16string_view pastes[] = {u"ab cd", u"x\ny z", u"\tq r",
                                                   u"long wordy text"};
             p.Document()->InsertPlainText(p, pastes[r % 4]);
         }},
        {"paragraph format", u"style_change", true,
         [](CNotePosition& p, uint32_t r) {
             p.Document()->SetParagraphFormat(p, r % 10, static_cast<int32_t>(r / 10 % 3));
         }},
        {"character style", u"style_change", true,
         [](CNotePosition& p, uint32_t r) {
             if (!p.IsAtStart()) p.Document()->SetCharacterStyle(p, CharacterStyle(r % 8));
         }},
    };
    view.SetCaret(note->FromIndex(pick(note->size())), false, true);
    if (pick(4) == 0) {
        const std::vector<CNoteDocument*>& shown = view.ShownNotes();
        CNoteDocument* other =
            acrossNotes && pick(3) == 0 ? shown[pick(uint32_t(shown.size()))] : note;
        view.SetCaret(other->FromIndex(pick(other->size())), true, true);
    }
    const uint32_t kind = pick(12);
    std::string what = kind == 10 ? "undo" : "redo";
    if (kind < 10) {
        const auto& command = kCommands[kind < 4 ? 0 : kind - 3];
        what = command.name;
        const uint32_t r = pick(1000);
        NoteEditEngine::CActionScope scope(command.action);
        const bool selected = view.HasSelection();
        if (selected) {
            // The caret stays at the selection's start, also at the end of a note whose part of
            // it is empty (a selection of nothing but the gap between notes stays).
            const std::pair start(view.SelectionStart().Document(), view.SelectionStart().Index());
            view.DeleteSelection();
            if (!view.HasSelection()) {
                EXPECT_EQ(std::pair(view.Active().Document(), view.Active().Index()), start);
            }
        }
        if (command.replaces || !selected)
            view.EditAtCaret([&](CNotePosition& p) { command.change(p, r); });
    } else {
        kind == 10 ? view.Undo() : view.Redo();
    }
    if (pick(5) == 0) NoteEditEngine::StartNewUndoGroup();
    return what;
}

struct RandomEditCase {
    uint32_t seed;
    int extraNotes;  // small notes shown after the two edited at first
    bool paint;      // also what the redraws leave on a canvas against a full repaint
};

class RandomEditTest : public IncrementalLayoutTest,
                       public ::testing::WithParamInterface<RandomEditCase> {};

// After every edit the tree equals a fresh layout and, painting, the redraws leave what a full
// repaint paints (a row whose content changed and was not redrawn shows stale text).
TEST_P(RandomEditTest, KeepsTheTreeEqualToAFreshLayout) {
    const RandomEditCase param = GetParam();
    view.recording = false;
    SetColumns(7);
    std::vector<CNoteDocument*> notes = {Show("¶ab cd¶[5,1]list item¶"), Show("¶[1,0]Head¶x")};
    for (int k = 0; k < param.extraNotes; ++k)
        notes.push_back(Show(k % 3 == 0 ? "¶a b¶c" : "¶[1,0]x"));
    // The top of the window, where the edited notes mostly lie; below it is clipped.
    CTestCanvas screen(view.ViewWidth(), 1000);
    if (param.paint) view.canvas = &screen;
    view.clientHeight = 5000;  // painting, all stays visible and the window never scrolls
    view.RedrawAll();
    std::mt19937 random(param.seed);
    auto pick = [&](uint32_t n) { return static_cast<uint32_t>(random() % n); };
    // Every step is checked against a fresh layout of all notes: fewer steps with more notes.
    const int steps = param.paint ? 700 : std::max(60, 2000 / static_cast<int>(notes.size()));
    for (int step = 0; step < steps; ++step) {
        CNoteDocument* note = notes[pick(static_cast<uint32_t>(notes.size()))];
        const std::string what = RandomEdit(view, note, pick) + " at step " + std::to_string(step);
        if (note->size() > (param.paint ? 60u : 120u)) {
            CNotePosition start = note->Start();
            note->DeleteRange(start, note->size() / 2);
        }
        ExpectFresh(what);
        if (HasFatalFailure()) return;
        if (param.paint) {
            ASSERT_EQ(view.scrollTop, 0);
            CTestCanvas fresh(screen.Width(), screen.Height());
            view.canvas = &fresh;
            view.RedrawAll();
            view.canvas = &screen;
            ASSERT_TRUE(screen == fresh)
                << what << ", first difference at " << screen.FirstDifference(fresh) << ", now "
                << view.Dump();
            continue;
        }
        // What the view cannot see happen to the histories: redo dropped everywhere, one note's
        // own undo, a note hidden and shown again; and a shown note moved, a new width.
        const uint32_t unseen = pick(40);
        if (unseen == 0) NoteEditEngine::DiscardRedoEverywhere();
        if (unseen == 1) note->UndoHistory().Undo();
        if (unseen == 2) view.RemoveNote(note);
        if (unseen == 2 || unseen == 3)
            view.AddNote(note, notes[pick(static_cast<uint32_t>(notes.size()))]);
        if (unseen == 4) SetColumns(1 + static_cast<int32_t>(pick(20)));
        if (unseen <= 4)
            ExpectFresh("unseen change " + std::to_string(unseen) + " at step " +
                        std::to_string(step));
        if (HasFatalFailure()) return;
    }
}

// Where the row holding a position starts and how long it is.
std::pair<int64_t, int32_t> RowOf(CNoteView& view, const CNotePosition& p) {
    const RowLocation location = view.LocateRow(p);
    if (location.row == nullptr) return {-1, 0};
    return {location.row->Start().Index(), location.row->Length()};
}

class PartLayoutTest : public IncrementalLayoutTest,
                       public ::testing::WithParamInterface<uint32_t> {};

// Notes laid out in part: edits, caret moves, hit tests and slices land in and around what is
// pending; the caret's row is always the one a full layout has, and once the layout is finished
// the tree is the one a full layout makes.
TEST_P(PartLayoutTest, EditsAndMovesWhileLayoutIsPendingEndInAFreshLayout) {
    UseLazyWindow();
    std::string text;
    for (int k = 0; k < 40; ++k)
        text += k % 9 == 4 ? "¶[1,0]Head line" : "¶ab cd efghij k lm";
    std::vector<CNoteDocument*> notes = {Show(text), Show(text), Show("¶x")};
    std::mt19937 random(GetParam());
    auto pick = [&](uint32_t n) { return static_cast<uint32_t>(random() % n); };
    int pendingSteps = 0;
    for (int step = 0; step < 600; ++step) {
        const std::string at = " at step " + std::to_string(step);
        pendingSteps += view.HasPendingLayout() ? 1 : 0;
        CNoteDocument* note = notes[pick(3)];
        switch (pick(5)) {
            case 0:
            case 1:
                static_cast<void>(RandomEdit(view, note, pick, false));  // the notes stay long
                break;
            case 2: {
                const std::function<void()> moves[] = {
                    [&] { view.MoveRowDown(false); },
                    [&] { view.MoveRowUp(false); },
                    [&] { view.scrollTop += view.MovePageDown(view.clientHeight, false); },
                    [&] { view.MoveEndOfAll(false); },
                    [&] { view.SetCaret(note->FromIndex(pick(note->size())), false, true); },
                    [&] {
                        view.SetCaret(view.HitTest(pick(80), pick(view.TreeHeight() + 1)), false,
                                      true);
                    }};
                moves[pick(6)]();
                ASSERT_EQ(RowOf(view, view.Active()), RowOf(*Fresh(), view.Active()))
                    << "move" << at;
                break;
            }
            case 3:
                view.scrollTop += view.LayoutSlice(pick(60) + 1, view.scrollTop, view.clientHeight);
                break;
            default:
                if (pick(8) != 0) break;
                view.FinishLayout();
                ExpectFresh("finish" + at);
                view.Relayout(false);
        }
        std::string ignored;
        DetailedDump(view.Root(), ignored);
        ASSERT_EQ(view.scrollExtent, view.TreeHeight()) << at;
        if (HasFailure()) return;
        if (note->size() > 900) {
            CNotePosition start = note->Start();
            note->DeleteRange(start, 300);
        }
    }
    EXPECT_GT(pendingSteps, 100);
    view.FinishLayout();
    ExpectFresh("the end");
}

// With the window at the end of a long note, every slice lies above it: the window scrolls by
// each slice's change of height, so that what it shows stays where it was.
TEST_F(IncrementalLayoutTest, ASliceAboveTheWindowScrollsByItsChange) {
    UseLazyWindow();
    std::string text;
    for (int k = 0; k < 60; ++k)
        text += "¶ab" + std::string(k % 5 * 7, 'x');
    CNoteDocument* note = Show(text);
    view.SetCaret(note->End(), false, true);
    view.scrollTop = view.TreeHeight() - view.clientHeight;
    const int32_t caretY = view.PointOf(note->End()).y - view.scrollTop;
    int shifts = 0;
    while (view.HasPendingLayout()) {
        const int32_t before = view.TreeHeight();
        const int32_t shift = view.LayoutSlice(10, view.scrollTop, view.clientHeight);
        ASSERT_EQ(shift, view.TreeHeight() - before);
        view.scrollTop += shift;
        shifts += shift != 0 ? 1 : 0;
        ASSERT_EQ(view.PointOf(note->End()).y - view.scrollTop, caretY);
    }
    EXPECT_GT(shifts, 0);
    ExpectFresh("slices above the window");
}

INSTANTIATE_TEST_SUITE_P(Seeds, PartLayoutTest, ::testing::Values(5u, 77u, 2024u));

INSTANTIATE_TEST_SUITE_P(
    Seeds, RandomEditTest,
    ::testing::Values(RandomEditCase{12345u, 0, false}, RandomEditCase{777u, 0, false},
                      RandomEditCase{4242u, 0, false}, RandomEditCase{31u, 40, false},
                      RandomEditCase{2026u, 150, false}, RandomEditCase{12345u, 0, true},
                      RandomEditCase{31u, 0, true}, RandomEditCase{2026u, 0, true}));

}  // namespace
}  // namespace NoteLayoutEngine::TestSupport
