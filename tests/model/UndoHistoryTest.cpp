#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "model/NoteDocument.h"
#include "model/NoteUndoHistory.h"
#include "tests/support/ModelTestSupport.h"

namespace NoteEditEngine {
namespace {

using namespace TestSupport;

using UndoHistoryTest = ModelTest;

// Which keystrokes merge into one undo step, and where undo and redo leave the caret.
TEST_F(UndoHistoryTest, KeystrokesMergeIntoSteps) {
    const ScriptCase cases[] = {
        {"¶ab", "@1|'xyz|steps:ins(2,3)|undo|=¶ab|^1|no-undo|redo|^4|=¶axyzb"},
        // Backspace over fresh typing shrinks its step, to nothing, then starts its own.
        {"¶ab", "@1|'xyz|bs|bs|=¶axb|steps:ins(2,1)|runs:1|bs|steps:|bs|steps:del(1,1)|undo|=¶ab"},
        // Neighbouring units of one style are one run, whichever way the deletion grew.
        {"¶a{1}bcd", "@4|bs|bs|bs|=¶a|steps:del<(2,3)|runs:1|undo|^4|=¶a{1}bcd|redo|=¶a"},
        {"¶a{1}bcd", "@1|del|del|del|=¶a|steps:del(2,3)|runs:1|undo|^4|=¶a{1}bcd|redo|=¶a"},
        // A join into an empty paragraph keeps the empty one's format; its redo must too.
        {"¶[1,0]¶", "@1|bs|=¶[1,0]|undo|=¶[1,0]¶|redo|=¶[1,0]"},
        {"¶[1,0]¶x", "fwd|=¶[1,0]x|undo|redo|=¶[1,0]x"},
        // Without an action name every record is a group of its own: nothing merges.
        {"¶", "+abc|steps:ins(1,1) ins(2,1) ins(3,1)|undo|=¶ab"},
        // Undoing only a format gives no place: the caret stays where the caller has it.
        {"¶ab", "@1|fmt:3,1|told:changed(0,3)|undo|=¶ab|^1|told:changed(0,3)|redo|=¶[3,1]ab|^1"},
        // Undo and redo stamp the modified time only when they apply.
        {"¶ab",
         "time:200|undo|redo|modified:100|@2|bs|time:300|undo|modified:300|time:400|redo|"
         "modified:400"},
        // An explicit new group splits a named run.
        {"¶ab", "'x|group|'y|steps:ins(1,1) ins(2,1)|undo|=¶xab"},
    };
    RunScripts(cases);
}

TEST_F(UndoHistoryTest, OneActionOverSeveralDocumentsIsUndoneAsOne) {
    auto a = MakeDocument("¶one");
    auto b = MakeDocument("¶two");
    auto hidden = MakeDocument("¶off");
    CNoteDocument* const shown[] = {a.get(), b.get()};
    {
        CActionScope action(u"replace");
        CNotePosition pa = a->Start();
        a->InsertCharacter(pa, u'X');
        CNotePosition pb = b->End();
        b->InsertCharacter(pb, u'Y');
        CNotePosition ph = hidden->End();
        hidden->InsertCharacter(ph, u'W');
    }
    StartNewUndoGroup();
    CNotePosition pa = a->End();
    a->InsertCharacter(pa, u'Z');

    UndoShown(shown);  // the latest group only
    EXPECT_EQ(Dump(*a), "¶Xone");
    EXPECT_EQ(Dump(*b), "¶twoY");
    const ShownUndoResult undone = UndoShown(shown);
    EXPECT_EQ(Dump(*a), "¶one");
    EXPECT_EQ(Dump(*b), "¶two");
    EXPECT_EQ(Dump(*hidden), "¶offW");            // not shown, not undone
    EXPECT_EQ(undone.caret.Document(), b.get());  // the last document undone
    EXPECT_EQ(IndexOf(undone.caret), 3);
    EXPECT_FALSE(CanUndo(shown));

    const ShownUndoResult redone = RedoShown(shown);
    EXPECT_EQ(Dump(*a), "¶Xone");
    EXPECT_EQ(Dump(*b), "¶twoY");
    EXPECT_EQ(redone.caret.Document(), b.get());
    EXPECT_EQ(IndexOf(redone.caret), 4);
    RedoShown(shown);
    EXPECT_EQ(Dump(*a), "¶XoneZ");
    EXPECT_FALSE(CanRedo(shown));
}

TEST_F(UndoHistoryTest, ARecordInAnyDocumentDiscardsRedoEverywhere) {
    auto a = MakeDocument("¶a");
    auto b = MakeDocument("¶b");
    CNotePosition pa = a->End();
    a->InsertCharacter(pa, u'x');
    UndoIn(*a);
    EXPECT_TRUE(a->UndoHistory().CanRedo());
    CNotePosition pb = b->End();
    b->InsertCharacter(pb, u'y');
    EXPECT_FALSE(a->UndoHistory().CanRedo());
    EXPECT_TRUE(a->UndoHistory().Steps().empty());
    EXPECT_EQ(a->UndoHistory().TextRunCount(), 0u);
}

// --- Randomized: undo and redo against snapshots ---

int Pick(std::mt19937& rng, int n) {
    return static_cast<int>(rng() % static_cast<uint32_t>(n));
}

std::string RandomDocumentText(std::mt19937& rng) {
    std::string text;
    const int paragraphs = 1 + Pick(rng, 4);
    for (int i = 0; i < paragraphs; ++i) {
        if (Pick(rng, 3) == 0) text += "{" + std::to_string(Pick(rng, 8)) + "}";
        text += "¶";
        if (Pick(rng, 2) == 0) {
            text += "[" + std::to_string(Pick(rng, 10)) + "," + std::to_string(Pick(rng, 15)) + "]";
        }
        for (int length = Pick(rng, 6); length > 0; --length) {
            if (Pick(rng, 4) == 0) text += "{" + std::to_string(Pick(rng, 8)) + "}";
            text += "ab c'.:"[Pick(rng, 7)];
        }
    }
    return text;
}

// One to three ranges restyled one after the other with one change, each checked against the
// styles before it: the masked bits change inside the range only.
void StyleRanges(CNoteDocument& doc, CNotePosition& p, std::mt19937& rng) {
    // Few changes, so that consecutive ones repeat often and steps grow.
    const CharacterStyle style(static_cast<uint32_t>(Pick(rng, 2)));
    const CharacterStyle mask(Pick(rng, 2) == 0 ? 1u : 7u);
    for (int repeat = Pick(rng, 3); repeat >= 0; --repeat) {
        std::vector<CharacterStyle> expected;
        for (ElementIterator it = doc.begin(); it != doc.end(); ++it)
            expected.push_back(it.Style());
        const auto n = static_cast<uint32_t>(Pick(rng, 8));
        for (uint32_t i = p.Index() + 1; i < expected.size() && i <= p.Index() + n; ++i) {
            // Mask 7 is the whole style, mask 1 Strong alone.
            if (mask.Word() == 7) expected[i] = style;
            if (mask.Word() == 1)
                expected[i] = CharacterStyle((expected[i].Word() & ~1u) | style.Word());
        }
        doc.SetCharacterStyles(p, n, style, mask);
        size_t i = 0;
        for (ElementIterator it = doc.begin(); it != doc.end(); ++it, ++i)
            EXPECT_EQ(it.Style(), expected[i]) << i;
        for (uint32_t k = 0; k < n; ++k)
            p.StepRight();
    }
}

// One edit through a primitive or a keyboard rule; returns a letter for the failure log.
char RandomEdit(CNoteDocument& doc, CNotePosition& p, std::mt19937& rng) {
    static constexpr std::u16string_view kPastes[] = {u"a\tb", u"\tx",      u"x\r\ny", u"\n",
                                                      u"\t\t", u"q\n\tr\n", u"\n\n"};
    if (Pick(rng, 5) == 0) p.SetTypingStyle(CharacterStyle(static_cast<uint32_t>(Pick(rng, 8))));
    switch (Pick(rng, 12)) {
        case 0:
        case 1:
            doc.InsertCharacter(p, u"xy '\t"[Pick(rng, 5)]);
            return 'i';
        case 2:
            doc.InsertParagraphBreak(p);
            return 'p';
        case 3:
            doc.DeleteBackward(p);
            return 'b';
        case 4:
            doc.DeleteForward(p);
            return 'f';
        case 5:
            doc.DeleteRange(p, static_cast<uint32_t>(Pick(rng, 6)));
            return 'r';
        case 6:
            StyleRanges(doc, p, rng);
            return 's';
        case 7:
            doc.SetParagraphFormat(p, static_cast<uint32_t>(Pick(rng, 10)), Pick(rng, 15));
            return 'F';
        case 8:
            doc.InsertPlainText(p, kPastes[Pick(rng, 7)]);
            return 't';
        case 9:
            doc.Enter(p);
            return 'E';
        case 10:
            doc.Backspace(p);
            return 'B';
        default:
            doc.DeleteKey(p);
            return 'D';
    }
}

// Two documents shown together take random edits under random names and group boundaries, with an
// occasional undo or redo in between. Undoing everything must give back the starting documents
// exactly, and redoing everything the edited ones.
TEST_F(UndoHistoryTest, UndoingAndRedoingEverythingGivesBackBothStates) {
    static constexpr std::u16string_view kNames[] = {u"", u"enter_text", u"delete_key",
                                                     u"style_change", u"paste"};
    std::mt19937 rng(20240611);
    for (int round = 0; round < 100 && !HasFailure(); ++round) {
        std::unique_ptr<CNoteDocument> docs[2] = {MakeDocument(RandomDocumentText(rng)),
                                                  MakeDocument(RandomDocumentText(rng))};
        CNoteDocument* const shown[2] = {docs[0].get(), docs[1].get()};
        const std::string before[2] = {Dump(*docs[0]), Dump(*docs[1])};
        CNotePosition carets[2] = {docs[0]->Start(), docs[1]->Start()};
        std::string log;
        int d = 0;
        std::u16string_view name;
        for (int edit = 0; edit < 150; ++edit) {
            if (Pick(rng, 12) == 0) {
                const bool undo = Pick(rng, 2) == 0;
                const ShownUndoResult result = undo ? UndoShown(shown) : RedoShown(shown);
                log += undo ? 'U' : 'R';
                // The carets may have lost their elements; place them as the editor would.
                carets[0] = docs[0]->Start();
                carets[1] = docs[1]->Start();
                if (!result.caret.IsNull())
                    carets[result.caret.Document() == shown[1]] = result.caret;
                continue;
            }
            if (Pick(rng, 4) == 0) d = 1 - d;
            if (Pick(rng, 4) == 0) name = kNames[Pick(rng, 5)];
            if (Pick(rng, 3) == 0) {
                carets[d] = docs[d]->FromIndex(Pick(rng, static_cast<int>(docs[d]->size())));
            }
            if (Pick(rng, 6) == 0) {
                StartNewUndoGroup();
                log += '|';
            }
            CActionScope action(name);
            log += static_cast<char>('0' + d);
            log += RandomEdit(*docs[d], carets[d], rng);
        }
        SCOPED_TRACE("round " + std::to_string(round) + ", edits " + log);
        // What is still undone after the last edits counts as edited too.
        for (int guard = 0; CanRedo(shown) && guard < 1000; ++guard)
            RedoShown(shown);
        const std::string after[2] = {Dump(*docs[0]), Dump(*docs[1])};

        for (int guard = 0; CanUndo(shown) && guard < 1000; ++guard) {
            ASSERT_TRUE(UndoShown(shown).applied);
        }
        EXPECT_FALSE(CanUndo(shown));
        EXPECT_EQ(Dump(*docs[0]), before[0]);
        EXPECT_EQ(Dump(*docs[1]), before[1]);

        for (int guard = 0; CanRedo(shown) && guard < 1000; ++guard) {
            ASSERT_TRUE(RedoShown(shown).applied);
        }
        EXPECT_FALSE(CanRedo(shown));
        EXPECT_EQ(Dump(*docs[0]), after[0]);
        EXPECT_EQ(Dump(*docs[1]), after[1]);
    }
}

}  // namespace
}  // namespace NoteEditEngine
