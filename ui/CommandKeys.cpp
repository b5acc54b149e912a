#include "ui/CommandKeys.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QHash>
#include <QKeyEvent>
#include <array>

namespace NoteEditor {

namespace {

QKeySequence SequenceOf(std::string_view portable) {
    return QKeySequence::fromString(
        QString::fromLatin1(portable.data(), qsizetype(portable.size())),
        QKeySequence::PortableText);
}

// A text of the command table, marked there for the catalogue under this context.
QString Translated(std::string_view text) {
    const QByteArray source(text.data(), qsizetype(text.size()));
    return QCoreApplication::translate("Commands", source.constData());
}

// Every key of every command, by target; built once from the table.
const QHash<int, int>& KeysOf(Commands::Target target) {
    static const auto kMaps = [] {
        std::array<QHash<int, int>, Commands::kTargetCount> maps;
        for (const Commands::Command& command : Commands::AllCommands()) {
            for (const std::string_view shortcut : command.shortcuts) {
                if (shortcut.empty()) continue;
                maps[size_t(command.target)].insert(SequenceOf(shortcut)[0].toCombined(),
                                                    command.id);
            }
        }
        return maps;
    }();
    return kMaps[size_t(target)];
}

}  // namespace

QKeyCombination KeyPress::Combined() const noexcept {
    Qt::KeyboardModifiers modifiers;
    if (ctrl) modifiers |= Qt::ControlModifier;
    if (shift) modifiers |= Qt::ShiftModifier;
    if (alt) modifiers |= Qt::AltModifier;
    return QKeyCombination(modifiers, Qt::Key(key));
}

KeyPress ReadKeyPress(const QKeyEvent& event) noexcept {
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    const bool altGr = (modifiers & Qt::GroupSwitchModifier) ||
                       ((modifiers & Qt::ControlModifier) && (modifiers & Qt::AltModifier));
    KeyPress press;
    press.key = event.key();
    press.ctrl = (modifiers & Qt::ControlModifier) && !altGr;
    press.shift = (modifiers & Qt::ShiftModifier) != 0;
    press.alt = (modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier);
    if (press.key == Qt::Key_Backtab) {
        press.key = Qt::Key_Tab;
        press.shift = true;
    }
    return press;
}

int CommandOfKey(const KeyPress& press, Commands::Target target) {
    return KeysOf(target).value(press.Combined().toCombined(), 0);
}

QList<QKeySequence> KeySequencesOf(const Commands::Command& command) {
    QList<QKeySequence> keys;
    for (const std::string_view shortcut : command.shortcuts)
        if (!shortcut.empty()) keys.append(SequenceOf(shortcut));
    return keys;
}

QString LabelOf(const Commands::Command& command) {
    return Translated(command.label);
}

QString StatusTipOf(const Commands::Command& command) {
    return Translated(command.statusTip);
}

QString TitleOf(const Commands::Menu& menu) {
    return Translated(menu.title);
}

QString MenuTextOf(const Commands::Command& command) {
    QString text = LabelOf(command);
    if (!command.shortcuts[0].empty())
        text += QLatin1Char('\t') + QString::fromLatin1(command.shortcuts[0].data(),
                                                        qsizetype(command.shortcuts[0].size()));
    return text;
}

QString PlainLabelOf(const Commands::Command& command) {
    return LabelOf(command).remove(QLatin1Char('&'));
}

}  // namespace NoteEditor
