// The command table as the pane binds it: every key does in the pane what its command does, and
// the keys that are no commands keep their own handling.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <functional>

#include "base/CommandIds.h"
#include "commands/CommandTable.h"
#include "editor/FindDialog.h"
#include "editor/NoteScrollView.h"
#include "editor/StyleCommands.h"
#include "editor/TypingCommands.h"
#include "tests/support/ModelTestSupport.h"
#include "ui/CommandKeys.h"

namespace {

using NoteEditEngine::CNoteDocument;
using NoteEditEngine::TestSupport::Dump;
using NoteEditEngine::TestSupport::IndexOf;
using NoteEditEngine::TestSupport::MakeDocument;

// A pane with a note whose every command changes something: two undo steps of typing, one of
// them undone, a header paragraph with an indent, the last typed character selected.
struct Pane {
    Pane() {
        view.resize(480, 320);
        view.show();
        QFocusEvent focus(QEvent::FocusIn, Qt::OtherFocusReason);
        QApplication::sendEvent(&view, &focus);
        view.View().AddNote(note.get(), nullptr);
        view.View().SetCaret(note->End(), false, true);
        QTest::keyClicks(&view, "xy");
        QTest::keyClick(&view, Qt::Key_Left);
        QTest::keyClicks(&view, "z");
        view.OnCommand(CommandIds::kUndo);
        QTest::keyClick(&view, Qt::Key_Left, Qt::ShiftModifier);
        view.FindDialog().FindWhat().setText(QStringLiteral("first"));
        QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
    }
    ~Pane() {
        view.FindDialog().hide();
        view.View().RemoveNote(note.get());
    }
    std::string State() {
        std::string state = Dump(*note) + " " + std::to_string(IndexOf(view.View().Anchor())) +
                            "-" + std::to_string(IndexOf(view.View().Active())) + " " +
                            QGuiApplication::clipboard()->text().toStdString();
        for (const int id : {CommandIds::kStrong, CommandIds::kHighlight, CommandIds::kComment})
            state += view.QueryCommandState(id).checked ? "+" : "-";
        for (const int id : {CommandIds::kUndo, CommandIds::kRedo})
            state += view.QueryCommandState(id).enabled ? "+" : "-";
        if (view.FindDialog().isVisible())
            state += view.FindDialog().IsFindLayout() ? " find" : " replace";
        return state;
    }

    std::unique_ptr<CNoteDocument> note = MakeDocument("¶first line¶[2,1]second ");
    CNoteScrollView view;
};

TEST(CommandKeysTest, EveryKeyOfAPaneCommandDoesWhatItsCommandDoes) {
    // The print commands open modal dialogs; their keys are the frame's accelerators.
    const int kModal[] = {CommandIds::kPrint, CommandIds::kPrintPreview};
    for (const Commands::Command& command : Commands::AllCommands()) {
        if (command.target != Commands::Target::Editor || std::ranges::count(kModal, command.id))
            continue;
        for (const QKeySequence& key : NoteEditor::KeySequencesOf(command)) {
            Pane byCommand;
            const std::string before = byCommand.State();
            byCommand.view.OnCommand(command.id);
            const std::string expected = byCommand.State();
            EXPECT_NE(expected, before) << command.label;

            Pane byKey;
            QTest::keyClick(&byKey.view, key[0].key(), key[0].keyboardModifiers());
            EXPECT_EQ(byKey.State(), expected)
                << command.label << " " << key.toString().toStdString();
        }
    }
}

// The keys that are no commands keep their own handling, whatever the modifiers.
TEST(CommandKeysTest, KeysThatAreNoCommandsDoWhatTheyDid) {
    using Qt::AltModifier;
    using Qt::ControlModifier;
    using Qt::ShiftModifier;
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
        std::function<void(NoteLayoutEngine::CNoteView&)> effect;  // empty: nothing changes
    } kCases[] = {
        {Qt::Key_Delete, ControlModifier, "", [](auto& v) { NoteEditor::DeleteKey(v); }},
        {Qt::Key_Delete, {}, "", [](auto& v) { NoteEditor::DeleteKey(v); }},
        {Qt::Key_Backtab, {}, "", [](auto& v) { NoteEditor::Outdent(v); }},
        {Qt::Key_Backtab, ShiftModifier, "", [](auto& v) { NoteEditor::Outdent(v); }},
        {Qt::Key_B, ControlModifier | ShiftModifier, "",
         [](auto& v) { NoteEditor::ToggleCharacterStyleOnParagraph(v, 0); }},
        {Qt::Key_H, ControlModifier, "", [](auto& v) { NoteEditor::CycleHeader(v, true); }},
        {Qt::Key_L, ControlModifier | ShiftModifier, "",
         [](auto& v) { NoteEditor::CycleList(v, false); }},
        {Qt::Key_Left, AltModifier, "", [](auto& v) { NoteEditor::CycleHeader(v, false); }},
        // AltGr types what it makes.
        {Qt::Key_Q, ControlModifier | AltModifier, "@",
         [](auto& v) { NoteEditor::TypeCharacter(v, u'@'); }},
        {Qt::Key_Insert, {}, "", {}},
        {Qt::Key_Backspace, ControlModifier, "", {}},
        {Qt::Key_1, ControlModifier | ShiftModifier, "", {}},
    };
    for (const auto& c : kCases) {
        Pane direct;
        const std::string before = direct.State();
        if (c.effect) c.effect(direct.view.View());
        const std::string expected = direct.State();
        EXPECT_EQ(expected == before, !c.effect) << c.key << " " << c.modifiers.toInt();

        Pane byKey;
        QKeyEvent press(QEvent::KeyPress, c.key, c.modifiers, QString::fromUtf8(c.text));
        QApplication::sendEvent(&byKey.view, &press);
        EXPECT_EQ(byKey.State(), expected) << c.key << " " << c.modifiers.toInt();
    }
}

}  // namespace
