#pragma once

#include <QKeyCombination>
#include <QKeySequence>
#include <QList>
#include <QString>

#include "commands/CommandTable.h"

class QKeyEvent;

namespace NoteEditor {

// A key as the panes read it. AltGr arrives as Ctrl+Alt on some platforms and as a group switch
// on others; either way its combinations type characters, so they count as neither Ctrl nor Alt.
// Shift+Tab counts as Tab with Shift whichever key code the platform sends.
struct KeyPress {
    int key = 0;
    bool ctrl = false;
    bool shift = false;
    bool alt = false;

    [[nodiscard]] QKeyCombination Combined() const noexcept;
};

[[nodiscard]] KeyPress ReadKeyPress(const QKeyEvent& event) noexcept;

// The command of `target` that the key runs, or 0.
[[nodiscard]] int CommandOfKey(const KeyPress& press, Commands::Target target);

// A command's keys, as the frame binds its accelerators.
[[nodiscard]] QList<QKeySequence> KeySequencesOf(const Commands::Command& command);
// The table's texts as the user reads them, in the user's language where the catalogue has them.
[[nodiscard]] QString LabelOf(const Commands::Command& command);
[[nodiscard]] QString StatusTipOf(const Commands::Command& command);
[[nodiscard]] QString TitleOf(const Commands::Menu& menu);
// The menu entry of a command whose keys the menu does not bind: the label and its first key.
[[nodiscard]] QString MenuTextOf(const Commands::Command& command);
// The label without its mnemonic marks, for tooltips.
[[nodiscard]] QString PlainLabelOf(const Commands::Command& command);

}  // namespace NoteEditor
