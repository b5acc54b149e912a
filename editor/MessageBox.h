#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

// Every message of the program goes through here, captioned "Jotwell". Tests install a sink that
// records the texts instead of opening a modal box.
namespace MessageBox {

using Sink = std::function<void(const QString& text)>;

void Show(QWidget* parent, const QString& text, QMessageBox::Icon icon = QMessageBox::NoIcon);
// Replaces the boxes by the sink until it is reset with an empty one.
void SetSink(Sink sink);

}  // namespace MessageBox
