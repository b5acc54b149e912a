#include "ui/StatusPane.h"

#include <QFontMetrics>
#include <QPainter>

CStatusPane::CStatusPane(const QString& text, QWidget* parent) : QWidget(parent), m_text(text) {}

void CStatusPane::SetText(const QString& text) {
    if (text == m_text) return;
    m_text = text;
    update();
}

QSize CStatusPane::sizeHint() const {
    return minimumSizeHint();
}

QSize CStatusPane::minimumSizeHint() const {
    return {0, fontMetrics().height()};
}

void CStatusPane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    // Drawn at a point: one line needs no breaking into lines and no box to fit.
    const QFontMetrics metrics = fontMetrics();
    painter.drawText(QPoint(0, (height() - metrics.height()) / 2 + metrics.ascent()), m_text);
}
