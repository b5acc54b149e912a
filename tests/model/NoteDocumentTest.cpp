#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "model/NoteDocument.h"
#include "model/NoteUndoHistory.h"
#include "tests/support/ModelTestSupport.h"

namespace NoteEditEngine {
namespace {

using namespace TestSupport;

class NoteDocumentTest : public ModelTest {
protected:
    // A document from compact text, watched by `observer`.
    std::unique_ptr<CNoteDocument> Watched(std::string_view text) {
        auto doc = MakeDocument(text);
        doc->AddObserver(&observer);
        return doc;
    }

    RecordingObserver observer;
};

// --- Positions ---

TEST_F(NoteDocumentTest, PlacesAndStepsTakeTypingStyles) {
    // 0 mark, 1 a{2}, 2 b{1}, 3 c{1}, 4 mark{4}, 5 d{0}
    auto doc = MakeDocument("¶{2}a{1}bc{4}¶{0}d");
    // The start types in the first character's style, not the mark's.
    EXPECT_EQ(doc->Start().TypingStyle(), CharacterStyle{2});
    EXPECT_EQ(doc->FromIndex(0), doc->Start());
    EXPECT_EQ(doc->FromIndex(3).DocumentStart().TypingStyle(), CharacterStyle{2});
    EXPECT_EQ(MakeDocument("{4}¶")->Start().TypingStyle(), CharacterStyle{4});

    const CNotePosition b = doc->FromIndex(2);
    EXPECT_EQ(b.TypingStyle(), CharacterStyle{1});
    EXPECT_EQ(b.CodeUnitAt(), u'b');
    const CNotePosition mark = doc->FromIndex(4);
    EXPECT_TRUE(mark.ElementIsParagraph());
    EXPECT_EQ(mark.CodeUnitAt(), 0);
    EXPECT_EQ(mark.TypingStyle(), CharacterStyle{4});
    EXPECT_EQ(doc->End().Index(), 5u);
    EXPECT_EQ(doc->End().TypingStyle(), CharacterStyle{});
    EXPECT_EQ(doc->FromIndex(99), doc->End());
    EXPECT_EQ(Distance(b, mark), 2);
    EXPECT_LT(b, mark);

    // A step takes the style of the element it passes, not of the one it reaches.
    CNotePosition p = doc->FromIndex(2);
    p.StepLeft();
    EXPECT_EQ(p.Index(), 1u);
    EXPECT_EQ(p.TypingStyle(), CharacterStyle{1});
    p.StepLeft();
    p.StepLeft();  // at the start: stays, in the first element's style
    EXPECT_EQ(p.Index(), 0u);
    EXPECT_EQ(p.TypingStyle(), CharacterStyle{0});
    p.StepRight();
    EXPECT_EQ(p.TypingStyle(), CharacterStyle{2});
    p = doc->End();
    p.SetTypingStyle(CharacterStyle{1});
    p.StepRight();  // at the end only the style is taken
    EXPECT_EQ(p, doc->End());
    EXPECT_EQ(p.TypingStyle(), CharacterStyle{0});
}

TEST_F(NoteDocumentTest, ParagraphOfAndParagraphEnd) {
    // 0 mark H1, 1 a, 2 b, 3 empty Normal mark, 4 mark (6,3), 5 c, 6 d
    auto doc = MakeDocument("¶[1,0]ab¶¶[6,3]cd");
    const CNotePosition a = doc->FromIndex(1);
    EXPECT_EQ(a.ParagraphOf().Index(), 0u);
    EXPECT_EQ(a.ParagraphFormatOf(), ParagraphFormat(kHeader1, 0));
    EXPECT_EQ(a.ParagraphEnd().Index(), 2u);
    EXPECT_FALSE(a.IsAtParagraphEnd());
    EXPECT_TRUE(doc->FromIndex(2).IsAtParagraphEnd());

    const CNotePosition empty = doc->FromIndex(3);
    EXPECT_EQ(empty.ParagraphOf(), empty);
    EXPECT_EQ(empty.ParagraphEnd(), empty);
    EXPECT_TRUE(empty.IsAtParagraphEnd());

    CNotePosition c = doc->FromIndex(5);
    c.SetTypingStyle(CharacterStyle{4});
    EXPECT_EQ(c.ParagraphOf().Index(), 4u);
    EXPECT_EQ(c.ParagraphOf().TypingStyle(), CharacterStyle{4});
    EXPECT_EQ(c.ParagraphFormatOf(), ParagraphFormat(kCheckedList, 3));
    EXPECT_EQ(c.ParagraphEnd(), doc->End());
    EXPECT_EQ(doc->ParagraphElementCount(c), 3u);
    EXPECT_FALSE(c.IsAtEnd());
    EXPECT_TRUE(doc->End().IsAtParagraphEnd());
}

// --- Loading ---

TEST_F(NoteDocumentTest, LoadingAppendsSilentlyAndOnlyTheDocumentEditsItsList) {
    PinnedClock clock(100);
    CNoteDocument doc;
    doc.AddObserver(&observer);
    clock.Set(200);
    const uint64_t stamp = doc.ChangeStamp();
    doc.AppendLoadedText(u"a", CharacterStyle{});
    doc.AppendLoadedMark(CharacterStyle{}, ParagraphFormat(kHeader1, 0));
    doc.AppendLoadedText(u"b", CharacterStyle{1});
    EXPECT_EQ(Dump(doc), "¶a¶[1,0]{1}b");
    // No time stamp, no undo step, no notification: the reader does those for the whole load.
    EXPECT_EQ(doc.Modified(), 100);
    EXPECT_FALSE(doc.UndoHistory().CanUndo());
    EXPECT_EQ(observer.Take(), "");
    EXPECT_NE(doc.ChangeStamp(), stamp);
    // The paragraphs are found through the list's mark counts, so those hold after the load.
    EXPECT_EQ(doc.FromIndex(3).ParagraphOf().Index(), 2u);
    EXPECT_EQ(doc.FromIndex(1).ParagraphEnd().Index(), 1u);
    EXPECT_EQ(doc.End().ParagraphOf().ParagraphFormatOf(), ParagraphFormat(kHeader1, 0));
}

TEST_F(NoteDocumentTest, WordMovesKeepApostrophesAndStopAtParagraphMarks) {
    // 4 is the space before "don't" (5..9), 10 ':', 11 ' ', 12..17 "a_b`cé", 18 '!', 19 mark
    auto doc = MakeDocument("¶say {1}don't{0}: a_b`c\u00E9!¶x");
    using P = CNotePosition;
    auto moved = [&](int64_t from, void (P::*move)()) {
        P p = doc->FromIndex(from);
        (p.*move)();
        return p;
    };
    EXPECT_EQ(moved(9, &P::BackOverWord).Index(), 4u);
    EXPECT_EQ(moved(9, &P::BackOverWord).TypingStyle(), CharacterStyle{1});  // from the 'd'
    EXPECT_EQ(moved(4, &P::BackOverNonWord).Index(), 3u);
    EXPECT_EQ(moved(3, &P::BackOverWord).Index(), 0u);
    EXPECT_EQ(moved(0, &P::BackOverWord).Index(), 0u);
    EXPECT_EQ(moved(0, &P::BackOverNonWord).Index(), 0u);
    EXPECT_EQ(moved(18, &P::BackOverNonWord).Index(), 17u);
    EXPECT_EQ(moved(17, &P::BackOverWord).Index(), 11u);

    EXPECT_EQ(moved(4, &P::ForwardOverWord).Index(), 9u);
    EXPECT_EQ(moved(9, &P::ForwardOverNonWord).Index(), 11u);
    EXPECT_EQ(moved(11, &P::ForwardOverWord).Index(), 17u);
    EXPECT_EQ(moved(17, &P::ForwardOverNonWord).Index(), 18u);  // not over the mark
    EXPECT_EQ(moved(18, &P::ForwardOverWord).Index(), 18u);

    // Nothing goes back over the mark of the second paragraph.
    EXPECT_EQ(moved(19, &P::BackOverNonWord).Index(), 19u);
    EXPECT_EQ(moved(19, &P::BackOverWord).Index(), 19u);
    EXPECT_EQ(moved(20, &P::BackOverWord).Index(), 19u);
}

// --- Editing primitives ---

// The editing primitives at the caret: what they store, tell, record and stamp; beyond either
// end they do nothing at all.
TEST_F(NoteDocumentTest, EditingPrimitives) {
    const ScriptCase cases[] = {
        // White space is stored as a space, in the typing style.
        {"¶ab",
         "@1|{2}|time:200|'\t|told:changed(1,1)|^2|modified:200|steps:ins(2,1)|'\n\r\v\f\u2003|"
         "=¶a{2}      {0}b|told:changed(2,1) changed(3,1) changed(4,1) changed(5,1) "
         "changed(6,1)|unwatch|'x|told:"},
        // A break clones the paragraph's mark in the typing style.
        {"¶[5,2]abcd", "@2|{4}|break|=¶[5,2]ab{4}¶[5,2]{0}cd|told:changed(2,1)|^3|steps:ins(3,1)"},
        {"¶", "time:200|back|^0|fwd|range:5|^0|=¶|told:|no-undo|modified:100"},
        {"¶ab", "time:200|back|^0|@2|fwd|range:5|^2|=¶ab|told:|no-undo|modified:100"},
        // Deleting a mark joins into the first paragraph's format.
        {"¶[1,0]ab¶[6,0]cd",
         "@3|back|=¶[1,0]abcd|told:removing(2,1) changed(2,1)|^2|steps:del(3,1)"},
        {"¶[1,0]ab¶[6,0]cd",
         "@2|fwd|=¶[1,0]abcd|told:removing(2,1) changed(2,1)|^2|steps:del(3,1)"},
        // A range from a paragraph's start through a later mark keeps that paragraph's format;
        // otherwise the first paragraph's stays. The count is cut to what there is.
        {"¶[1,0]Title¶[6,0]done",
         "range:6|=¶[6,0]done|told:removing(0,6) changed(0,1)|^0|steps:del(1,6) par(0,2)|undo|"
         "=¶[1,0]Title¶[6,0]done|told:changed(0,5) changed(0,6)|no-undo|redo|=¶[6,0]done"},
        {"¶[1,0]Title¶[6,0]done", "@3|range:4|=¶[1,0]Titone"},
        {"¶[1,0]Title¶[6,0]done", "range:7|=¶[1,0]one"},
        {"¶[1,0]Title¶[6,0]done",
         "@8|range:100|=¶[1,0]Title¶[6,0]do|told:removing(8,2) changed(8,1)|steps:del(9,2)"},
        // A paragraph format covers the paragraph; setting the current one does nothing.
        {"¶x¶abc¶y",
         "@4|time:200|fmt:6,2|=¶x¶[6,2]abc¶y|told:changed(2,4)|steps:par(2,2)|modified:200|"
         "time:300|fmt:6,2|told:|steps:par(2,2)|modified:200"},
    };
    RunScripts(cases);
}

// A range takes the masked bits in place, is told once and is kept as its old styles' runs;
// undo and redo replay them, told once each.
TEST_F(NoteDocumentTest, SetCharacterStylesKeepsRunsNotCopies) {
    struct Case {
        const char* before;
        int64_t from;
        uint32_t n, style, mask;
        const char* after;
        const char* told;  // "": nothing changed, nothing recorded
        size_t runs;
        int64_t caret;  // after undo and redo: the last element restyled
    };
    const Case cases[] = {
        {"¶abc", 1, 1, 1, 7, "¶a{1}b{0}c", "changed(1,1)", 1, 2},
        // Strong on mixed text: one run per old style, marks included.
        {"¶a{2}bc{0}d¶e{3}f", 0, 7, 1, 1, "¶{1}a{3}bc{1}d¶e{3}f", "changed(0,7)", 4, 7},
        {"¶{1}ab{3}c", 0, 3, 0, 1, "¶ab{2}c", "changed(0,3)", 2, 3},
        // Cut at the end; a range already so is no change.
        {"¶ab", 1, 100, 2, 2, "¶a{2}b", "changed(1,1)", 1, 2},
        {"¶{1}ab", 0, 2, 1, 1, "¶{1}ab", "", 0, 0},
        {"¶ab", 2, 5, 1, 7, "¶ab", "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        auto doc = Watched(c.before);
        doc->SetCharacterStyles(doc->FromIndex(c.from), c.n, CharacterStyle(c.style),
                                CharacterStyle(c.mask));
        EXPECT_EQ(Dump(*doc), Dump(*MakeDocument(c.after)));
        EXPECT_EQ(observer.Take(), c.told);
        EXPECT_EQ(doc->UndoHistory().Steps().size(), c.runs == 0 ? 0u : 1u);
        EXPECT_EQ(doc->UndoHistory().TextRunCount(), 0u);
        EXPECT_EQ(doc->UndoHistory().RunCount(), c.runs);
        if (c.runs == 0) continue;
        EXPECT_EQ(IndexOf(UndoIn(*doc).caret), c.caret);
        EXPECT_EQ(Dump(*doc), Dump(*MakeDocument(c.before)));
        EXPECT_EQ(IndexOf(RedoIn(*doc).caret), c.caret);
        EXPECT_EQ(Dump(*doc), Dump(*MakeDocument(c.after)));
        EXPECT_EQ(observer.Take(), std::string(c.told) + " " + c.told);
    }
}

TEST_F(NoteDocumentTest, NotificationsOffStillEditsAndRecords) {
    PinnedClock clock(100);
    auto doc = Watched("¶ab");
    clock.Set(200);
    const uint64_t stamp = doc->ChangeStamp();
    CNotePosition p = doc->End();
    {
        CNotificationsOff quiet;
        doc->InsertCharacter(p, u'c');
        doc->InsertParagraphBreak(p);
        doc->SetParagraphFormat(p, kHeader2, 0);
        doc->DeleteBackward(p);
        p = doc->FromIndex(1);
        doc->SetCharacterStyle(p, CharacterStyle{2});
        doc->DeleteForward(p);
        doc->DeleteRange(p, 1);
    }
    EXPECT_TRUE(NotificationsEnabled);
    EXPECT_EQ(Dump(*doc), "¶{2}a");
    EXPECT_EQ(observer.Take(), "");
    EXPECT_EQ(doc->UndoHistory().Steps().size(), 7u);
    EXPECT_EQ(doc->Modified(), 200);
    EXPECT_NE(doc->ChangeStamp(), stamp);
}

// --- Plain-text insertion ---

TEST_F(NoteDocumentTest, InsertPlainTextTurnsTabsAndLineBreaksIntoFormats) {
    struct Case {
        const char* before;
        int64_t caret;
        std::u16string_view text;
        size_t startIndex;
        const char* after;
        uint32_t caretAfter;
    };
    const Case cases[] = {
        {"¶xy", 1, u"a\tb", 0, "¶xa by", 4},
        {"¶[0,1]xy", 0, u"\tx", 0, "¶[0,2]xxy", 1},
        {"¶[5,1]xy", 1, u"\tz", 0, "¶[5,1]x¶[5,2]zy", 3},
        {"¶[0,3]xy", 2, u"x\r\ny", 0, "¶[0,3]xyx¶[0,3]y", 5},
        {"¶", 0,
         u"a\x01"
         u"b\a\b\v\f\rc\x1f",
         0, "¶a bc ", 5},
        {"¶[8,1]ab", 1, u"1\n\t\t2\n3", 0, "¶[8,1]a1¶[8,3]2¶[8,1]3b", 6},
        {"¶[0,13]", 0, u"\t\t\tx", 0, "¶[0,14]x", 1},
        {"¶ab", 1, u"skip\tme", 4, "¶a¶[0,1]meb", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.before) + " + " + Utf8Of(std::u16string(c.text), 0, 99));
        auto doc = Watched(c.before);
        const uint32_t sizeBefore = doc->size();
        CNotePosition p = doc->FromIndex(c.caret);
        {
            CActionScope action(u"paste");
            doc->InsertPlainText(p, c.text, c.startIndex);
        }
        EXPECT_EQ(Dump(*doc), c.after);
        EXPECT_EQ(p.Index(), c.caretAfter);
        EXPECT_TRUE(NotificationsEnabled);
        // One summary over everything inserted.
        EXPECT_EQ(observer.Take(), "changed(" + std::to_string(c.caret) + "," +
                                       std::to_string(doc->size() - sizeBefore) + ")");

        EXPECT_EQ(IndexOf(UndoIn(*doc).caret), c.caret);
        EXPECT_EQ(Dump(*doc), c.before);
        EXPECT_FALSE(doc->UndoHistory().CanUndo());
        RedoIn(*doc);
        EXPECT_EQ(Dump(*doc), c.after);
        observer.Take();
    }
}

// --- Keyboard rules ---

// "😀" (U+1F600) is two elements, a surrogate pair; "\xED\xA0\xBD" is its high half alone.
// "e\xCC\x81\xCC\x82" is e with two combining marks, "👩\xE2\x80\x8D👧" a joined emoji of
// five elements and "🇫🇷" a flag of four.
TEST_F(NoteDocumentTest, EnterBackspaceAndDelete) {
    const ScriptCase cases[] = {
        // Enter ends a header into Normal, an empty list item into Normal, else continues.
        {"¶[2,1]Title", "@5|enter|=¶[2,1]Title¶[0,1]|^6"},
        {"¶[2,0]Title", "@2|enter|=¶[2,0]Ti¶[2,0]tle"},
        {"¶[1,0]", "enter|=¶[1,0]¶"},
        {"¶[5,2]", "enter|=¶[0,2]|^0"},
        {"¶a¶[7,0]¶b", "@2|enter|=¶a¶¶b"},
        {"¶[6,1]done", "@4|enter|=¶[6,1]done¶[6,1]"},
        {"¶[6,1]done", "enter|=¶[6,1]¶[6,1]done"},
        {"¶[9,0]code", "@4|enter|=¶[9,0]code¶[9,0]"},
        // Backspace outdents, then leaves the list, then joins; each an undo step of its own.
        {"¶a¶[5,2]b",
         "@2|bs|=¶a¶[5,1]b|bs|=¶a¶[5,0]b|bs|=¶a¶b|bs|=¶ab|^1|undo|=¶a¶b|undo|"
         "=¶a¶[5,0]b|undo|=¶a¶[5,1]b|undo|=¶a¶[5,2]b"},
        {"¶[0,1]a", "bs|=¶a"},
        {"¶[1,0]x¶[9,0]y", "@2|bs|=¶[1,0]xy"},
        // Into an empty paragraph the caret's format stays; an empty one under it goes.
        {"¶[1,0]¶[9,0]code", "@1|bs|=¶[9,0]code|^0|undo|=¶[1,0]¶[9,0]code|no-undo"},
        {"¶[1,0]¶", "@1|bs|=¶[1,0]"},
        // Delete from an empty paragraph keeps the next one's format; otherwise deletes forward.
        {"¶¶[2,0]Sub", "del|=¶[2,0]Sub|^0|undo|=¶¶[2,0]Sub|no-undo"},
        {"¶[1,0]¶[2,0]", "del|=¶[1,0]"},
        {"¶[1,0]¶[2,0]¶x", "del|=¶[1,0]¶x"},
        {"¶[1,0]x¶[2,0]y", "@1|del|=¶[1,0]xy"},
        {"¶[1,0]", "del|=¶[1,0]"},
        // Both remove a cluster whole, also from a caret left inside it, in one undo step.
        {"¶a😀b", "@3|bs|=¶ab|^1|undo|=¶a😀b"},
        {"¶a😀b", "@1|del|=¶ab|^1"},
        {"¶😀😀", "@4|bs|=¶😀|^2"},
        {"¶😀😀", "del|=¶😀|^0"},
        {"¶a😀b", "@2|bs|=¶ab|^1"},
        {"¶a😀b", "@2|del|=¶ab|^1"},
        {"¶a\xED\xA0\xBD"
         "b",
         "@2|bs|=¶ab|^1"},
        {"¶a\xED\xB8\x80"
         "b",
         "@1|del|=¶ab|^1"},
        {"¶😀\xED\xB8\x80", "@3|bs|=¶😀|^2"},
        {"¶ae\xCC\x81\xCC\x82"
         "b",
         "@4|bs|=¶ab|^1|undo|@1|del|=¶ab|undo|@3|bs|=¶ab|^1"},
        {"¶a👩\xE2\x80\x8D👧b", "@6|bs|=¶ab|^1|undo|@4|del|=¶ab|^1"},
        // Regional indicators pair from the paragraph's start.
        {"¶🇫🇷🇫🇷", "@8|bs|=¶🇫🇷|^4|undo|@4|del|=¶🇫🇷|^4|undo|@6|bs|=¶🇫🇷|^4"},
    };
    RunScripts(cases);
}

}  // namespace
}  // namespace NoteEditEngine
