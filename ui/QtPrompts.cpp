#include "ui/QtPrompts.h"

#include <QString>

#include "ui/MessageBox.h"

namespace {

QString ToQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

}  // namespace

void CQtPrompts::ShowMessageBox(std::u16string_view text, NoteTreeEngine::MessageIcon icon,
                                std::u16string_view caption) {
    MessageBox::Show(
        m_parent, ToQString(text),
        icon == NoteTreeEngine::MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
        ToQString(caption));
}

bool CQtPrompts::AskYesNo(std::u16string_view text, std::u16string_view caption) {
    return MessageBox::AskYesNo(m_parent, ToQString(text), ToQString(caption),
                                QMessageBox::Warning);
}
