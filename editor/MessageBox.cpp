#include "editor/MessageBox.h"

namespace MessageBox {

namespace {
Sink& CurrentSink() {
    static Sink sink;
    return sink;
}
}  // namespace

void Show(QWidget* parent, const QString& text, QMessageBox::Icon icon) {
    if (CurrentSink()) {
        CurrentSink()(text);
        return;
    }
    QMessageBox box(icon, QStringLiteral("Jotwell"), text, QMessageBox::Ok, parent);
    box.exec();
}

void SetSink(Sink sink) {
    CurrentSink() = std::move(sink);
}

}  // namespace MessageBox
