#pragma once

// Helpers for the text model tests: documents written and read as compact text, an observer that
// records what it is told, and a pinned clock.
//
// Compact text: "¶" is a paragraph mark, optionally followed by "[style,indent]" when the format
// is not Normal at indent 0; "{w}" switches the character style word for the elements that follow
// (marks included); a backslash takes the next character literally; anything else is one
// character. A document's text always begins with a mark. "¶[1,0]Title¶a{1}bc" is a Header 1
// paragraph "Title" and a Normal paragraph "abc" with "bc" Strong.

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Utf16.h"
#include "base/Utf8.h"
#include "model/Clock.h"
#include "model/NoteDocument.h"
#include "model/NoteDocumentObserver.h"
#include "model/NoteUndoHistory.h"
#include "model/Styles.h"

namespace NoteEditEngine::TestSupport {

// White-space classification follows the C runtime's locale.
inline void UseUtf8Locale() {
    ASSERT_NE(std::setlocale(LC_ALL, "C.UTF-8"), nullptr);
}

// A fixture that starts and ends every test with the process-wide state as a fresh run has it:
// notifications on, no action name, a new undo group.
class ModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseUtf8Locale();
        NotificationsEnabled = true;
        SetCurrentActionName(u"");
        StartNewUndoGroup();
    }
    void TearDown() override {
        SetCurrentActionName(u"");
        NotificationsEnabled = true;
    }
};

// UTF-8 read leniently: the three bytes of a lone surrogate (as AppendUtf8 writes it) give that
// half, so that tests can write one.
inline std::u16string Utf16(std::string_view utf8) {
    std::u16string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k) {
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += static_cast<size_t>(extra) + 1;
        NoteBase::AppendUtf16(out, c);
    }
    return out;
}

inline constexpr char16_t kMarkSign = u'\u00B6';

// The ASCII digits and signs of a format or style number, units[from, to).
inline std::string Utf8Of(const std::u16string& units, size_t from, size_t to) {
    std::string out;
    for (size_t i = from; i < to && i < units.size(); ++i)
        NoteBase::AppendUtf8(out, units[i]);
    return out;
}

// Replaces the content of a fresh document (one empty mark, nothing recorded) with `text`. The
// elements are appended as a reader loads them, so no undo step and no notification comes of it.
inline void Fill(CNoteDocument& doc, std::string_view text) {
    const std::u16string units = Utf16(text);
    ASSERT_EQ(doc.size(), 1u);
    CharacterStyle style;
    bool first = true;
    for (size_t i = 0; i < units.size(); ++i) {
        const char16_t c = units[i];
        if (c == u'{') {
            const size_t close = units.find(u'}', i);
            ASSERT_NE(close, std::u16string::npos);
            style = CharacterStyle(static_cast<uint32_t>(std::stoul(Utf8Of(units, i + 1, close))));
            i = close;
        } else if (c == kMarkSign) {
            ParagraphFormat format;
            if (i + 1 < units.size() && units[i + 1] == u'[') {
                const size_t comma = units.find(u',', i);
                const size_t close = units.find(u']', i);
                ASSERT_TRUE(comma != std::u16string::npos && close != std::u16string::npos);
                format.SetStyle(static_cast<uint32_t>(std::stoul(Utf8Of(units, i + 2, comma))));
                format.SetIndent(std::stol(Utf8Of(units, comma + 1, close)));
                i = close;
            }
            if (first) {
                doc.SetLoadedMark(doc.Start(), style, format);
                first = false;
            } else {
                doc.AppendLoadedMark(style, format);
            }
        } else {
            ASSERT_FALSE(first) << "a document starts with a paragraph mark";
            if (c == u'\\' && i + 1 < units.size()) ++i;
            doc.AppendLoadedText(std::u16string_view(&units[i], 1), style);
        }
    }
    ASSERT_FALSE(first) << "a document starts with a paragraph mark";
}

inline std::unique_ptr<CNoteDocument> MakeDocument(std::string_view text) {
    auto doc = std::make_unique<CNoteDocument>();
    Fill(*doc, text);
    return doc;
}

// The whole state that editing and undo must keep: text, paragraph formats and the character
// style of every element, in the compact form above.
inline std::string Dump(const CNoteDocument& doc) {
    std::string out;
    CharacterStyle style;
    for (auto it = doc.begin(); it != doc.end(); ++it) {
        if (it.Style() != style) {
            style = it.Style();
            out += "{" + std::to_string(style.Word()) + "}";
        }
        if (it.IsParagraph()) {
            out += "\u00B6";
            const ParagraphFormat format = it.Format();
            if (format != ParagraphFormat()) {
                out += "[" + std::to_string(format.Style()) + "," +
                       std::to_string(format.Indent()) + "]";
            }
        } else {
            const char16_t c = it.CodeUnit();
            if (c == u'\\' || c == u'{' || c == u'[' || c == kMarkSign) out.push_back('\\');
            // Each code unit on its own, so lone surrogates survive a round trip through Utf16.
            NoteBase::AppendUtf8(out, c);
        }
    }
    return out;
}

// Records notifications as "removing(index,count)" and "changed(index,count)", space separated.
class RecordingObserver final : public CNoteDocumentObserver {
public:
    void OnElementsRemoving(const CNotePosition& position, uint32_t count) override {
        Add("removing", position, count);
    }
    void OnElementsChanged(const CNotePosition& position, uint32_t count) override {
        Add("changed", position, count);
    }
    // What was recorded since the last call.
    std::string Take() {
        std::string out;
        out.swap(m_calls);
        return out;
    }

private:
    void Add(const char* what, const CNotePosition& position, uint32_t count) {
        if (!m_calls.empty()) m_calls += ' ';
        m_calls += std::string(what) + "(" + std::to_string(position.Index()) + "," +
                   std::to_string(count) + ")";
    }
    std::string m_calls;
};

// Undo and redo with one document shown.
inline ShownUndoResult UndoIn(CNoteDocument& doc) {
    CNoteDocument* const shown[] = {&doc};
    return UndoShown(shown);
}
inline ShownUndoResult RedoIn(CNoteDocument& doc) {
    CNoteDocument* const shown[] = {&doc};
    return RedoShown(shown);
}

// The index of a caret that undo or redo returned, or -1 for the null position.
inline int64_t IndexOf(const CNotePosition& p) {
    return p.IsNull() ? -1 : int64_t{p.Index()};
}

// Steps as "kind(position,count)", kinds ins, del (del< for a backward run), par and run.
inline std::string DescribeSteps(const CNoteUndoHistory& history) {
    static constexpr const char* kKinds[] = {"ins", "del", "par", "run"};
    std::string out;
    for (const UndoStep& step : history.Steps()) {
        if (!out.empty()) out += ' ';
        out += step.kind < 4 ? kKinds[step.kind] : "?";
        if ((step.backward & 0xFF) != 0) out += '<';
        out += "(" + std::to_string(step.position) + "," + std::to_string(step.count) + ")";
    }
    return out;
}

// Pins the model's clock for the life of the object.
class PinnedClock {
public:
    explicit PinnedClock(int32_t now) {
        Now() = now;
        SetTimeSource([] { return Now(); });
    }
    ~PinnedClock() { SetTimeSource(nullptr); }
    PinnedClock(const PinnedClock&) = delete;
    PinnedClock& operator=(const PinnedClock&) = delete;

    void Set(int32_t now) { Now() = now; }

private:
    static int32_t& Now() {
        static int32_t now = 0;
        return now;
    }
};

// Calls `run` with each step of a script, steps split by '|', each traced in failures.
template <typename Run>
void ForEachStep(std::string_view script, Run run) {
    for (size_t at = 0; at <= script.size();) {
        const size_t end = std::min(script.find('|', at), script.size());
        const std::string_view step = script.substr(at, end - at);
        at = end + 1;
        SCOPED_TRACE(std::string(step));
        run(step);
    }
}

// Runs a script of edits on `doc`, steps split by '|': "@N" puts the caret after N elements,
// "{N}" sets its typing style; "'text" types (one action per character), "+text" inserts the
// characters outside any action (each its own undo group), "bs", "del" (the Delete
// key), "enter", "undo", "redo" and "group" (a new undo group) press what they name; the editing
// primitives "break", "back", "fwd", "range:N" and "fmt:style,indent" apply at the caret, outside
// any action save "range" (a deleted selection); "time:N" sets the clock; "unwatch" stops the
// observer. Checks: "=text" the document against compact text, "^N" the caret, "steps:..." the
// undo steps (DescribeSteps), "runs:N" how many text runs they keep, "told:..." the notifications
// since the last such check, "modified:N" the time stamp and "no-undo" that nothing is undone.
// After every step, the document's change stamp has moved exactly when its text or styles have.
inline void RunScript(CNoteDocument& doc, std::string_view script, PinnedClock& clock) {
    RecordingObserver observer;
    doc.AddObserver(&observer);
    CNotePosition p = doc.Start();
    auto number = [](std::string_view digits) { return std::stoll(std::string(digits)); };
    ForEachStep(script, [&](std::string_view step) {
        const std::string before = Dump(doc);
        const uint64_t stamp = doc.ChangeStamp();
        const std::string_view rest = step.substr(step.find_first_of("@{'+=^:") + 1);
        if (step == "bs" || step == "enter") {
            CActionScope action(u"enter_text");
            step == "bs" ? doc.Backspace(p) : doc.Enter(p);
        } else if (step == "del") {
            CActionScope action(u"delete_key");
            doc.DeleteKey(p);
        } else if (step == "undo" || step == "redo") {
            const CNotePosition caret = (step == "undo" ? UndoIn(doc) : RedoIn(doc)).caret;
            if (!caret.IsNull()) p = caret;
        } else if (step == "group") {
            StartNewUndoGroup();
        } else if (step == "break") {
            doc.InsertParagraphBreak(p);
        } else if (step == "back" || step == "fwd") {
            step == "back" ? doc.DeleteBackward(p) : doc.DeleteForward(p);
        } else if (step == "unwatch") {
            doc.RemoveObserver(&observer);
        } else if (step == "no-undo") {
            EXPECT_FALSE(doc.UndoHistory().CanUndo());
        } else if (step[0] == '@') {
            p = doc.FromIndex(number(rest));
        } else if (step[0] == '{') {
            p.SetTypingStyle(CharacterStyle(static_cast<uint32_t>(number(rest))));
        } else if (step[0] == '\'') {
            for (char16_t c : Utf16(rest)) {
                CActionScope action(u"enter_text");
                doc.InsertCharacter(p, c);
            }
        } else if (step[0] == '+') {
            for (char16_t c : Utf16(rest))
                doc.InsertCharacter(p, c);
        } else if (step[0] == '=') {
            EXPECT_EQ(Dump(doc), Dump(*MakeDocument(rest)));
        } else if (step[0] == '^') {
            EXPECT_EQ(p.Index(), number(rest));
        } else if (step.starts_with("range:")) {
            CActionScope action(u"delete_selection");
            doc.DeleteRange(p, static_cast<uint32_t>(number(rest)));
        } else if (step.starts_with("fmt:")) {
            const size_t comma = rest.find(',');
            doc.SetParagraphFormat(p, static_cast<uint32_t>(number(rest.substr(0, comma))),
                                   static_cast<int32_t>(number(rest.substr(comma + 1))));
        } else if (step.starts_with("time:")) {
            clock.Set(static_cast<int32_t>(number(rest)));
        } else if (step.starts_with("modified:")) {
            EXPECT_EQ(doc.Modified(), number(rest));
        } else if (step.starts_with("told:")) {
            EXPECT_EQ(observer.Take(), rest);
        } else if (step.starts_with("steps:")) {
            EXPECT_EQ(DescribeSteps(doc.UndoHistory()), rest);
        } else if (step.starts_with("runs:")) {
            EXPECT_EQ(doc.UndoHistory().TextRunCount(), static_cast<size_t>(number(rest)));
        } else {
            ADD_FAILURE() << "no such step";
        }
        EXPECT_EQ(doc.ChangeStamp() != stamp, Dump(doc) != before) << "the change stamp";
    });
    doc.RemoveObserver(&observer);
}

// A document's compact text and a script to run on it.
struct ScriptCase {
    const char* text;
    const char* script;
};

// Each document is made at time 100, under a clock the script may move.
inline void RunScripts(std::span<const ScriptCase> cases) {
    for (const ScriptCase& c : cases) {
        SCOPED_TRACE(c.text);
        PinnedClock clock(100);
        RunScript(*MakeDocument(c.text), c.script, clock);
    }
}

}  // namespace NoteEditEngine::TestSupport
