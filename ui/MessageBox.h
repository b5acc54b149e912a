#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

// Every message of the program goes through here, captioned "Jotwell" unless a caption is given.
// Tests install sinks that record the texts (and answer the questions) instead of opening a modal
// box.
namespace MessageBox {

using Sink = std::function<void(const QString& text)>;
// Records a question and gives the answer: true for Yes.
using QuestionSink = std::function<bool(const QString& text, const QString& caption)>;

void Show(QWidget* parent, const QString& text, QMessageBox::Icon icon = QMessageBox::NoIcon,
          const QString& caption = QStringLiteral("Jotwell"));
// A question with Yes and No buttons (No is the default unless told); true for Yes.
[[nodiscard]] bool AskYesNo(QWidget* parent, const QString& text, const QString& caption,
                            QMessageBox::Icon icon = QMessageBox::Question,
                            QMessageBox::StandardButton defaultButton = QMessageBox::No);
// Replaces the boxes by the sink until it is reset with an empty one.
void SetSink(Sink sink);
void SetQuestionSink(QuestionSink sink);

}  // namespace MessageBox
