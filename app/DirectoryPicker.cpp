#include "app/DirectoryPicker.h"

#include <QFileDialog>

namespace {

QString ToQString(std::u16string_view text) {
    return QString(reinterpret_cast<const QChar*>(text.data()), qsizetype(text.size()));
}

}  // namespace

std::u16string CDirectoryPicker::PickFolder(std::u16string_view caption,
                                            std::u16string_view prompt) {
    // The dialog has no place for a prompt of its own; the title carries both.
    const QString title = ToQString(caption) + QStringLiteral(" - ") + ToQString(prompt);
    return QFileDialog::getExistingDirectory(m_parent, title).toStdU16String();
}
