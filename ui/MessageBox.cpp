#include "ui/MessageBox.h"

namespace MessageBox {

namespace {
Sink& CurrentSink() {
    static Sink sink;
    return sink;
}
QuestionSink& CurrentQuestionSink() {
    static QuestionSink sink;
    return sink;
}
}  // namespace

void Show(QWidget* parent, const QString& text, QMessageBox::Icon icon, const QString& caption) {
    if (CurrentSink()) {
        CurrentSink()(text);
        return;
    }
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

bool AskYesNo(QWidget* parent, const QString& text, const QString& caption, QMessageBox::Icon icon,
              QMessageBox::StandardButton defaultButton) {
    if (CurrentQuestionSink()) return CurrentQuestionSink()(text, caption);
    QMessageBox box(icon, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(defaultButton);
    return box.exec() == QMessageBox::Yes;
}

void SetSink(Sink sink) {
    CurrentSink() = std::move(sink);
}

void SetQuestionSink(QuestionSink sink) {
    CurrentQuestionSink() = std::move(sink);
}

}  // namespace MessageBox
