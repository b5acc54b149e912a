#include "ui/StatusPane.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

CStatusPane::CStatusPane(const QString& text, QWidget* parent) : QWidget(parent), m_text(text) {}

void CStatusPane::SetText(const QString& text) {
    if (text == m_text) return;
    const qsizetype shortest = std::min(text.size(), m_text.size());
    qsizetype head = 0;
    while (head < shortest && text[head] == m_text[head])
        ++head;
    qsizetype tail = 0;
    while (tail < shortest - head &&
           text[text.size() - 1 - tail] == m_text[m_text.size() - 1 - tail])
        ++tail;
    const QRect digits =
        text.size() == m_text.size() ? DigitsRect(text, head, text.size() - tail) : QRect();
    m_text = text;
    update(digits.isEmpty() ? rect() : digits);
}

QRect CStatusPane::DigitsRect(const QString& text, qsizetype from, qsizetype to) {
    // Scripts whose shaping gives characters other widths are left to a full repaint.
    for (const QChar c : text)
        if (c.unicode() >= 0x0590) return {};
    auto digit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    for (qsizetype i = from; i < to; ++i)
        if (!digit(text[i]) || !digit(m_text[i])) return {};
    const QFontMetricsF metrics(font());
    if (m_digitWidth < 0) {
        m_digitWidth = metrics.horizontalAdvance(u'0');
        for (char16_t d = u'1'; d <= u'9'; ++d)
            if (metrics.horizontalAdvance(QChar(d)) != m_digitWidth) m_digitWidth = 0;
    }
    // Digits of one width are not kerned, so what follows them stays where it was.
    if (m_digitWidth == 0) return {};
    // The text before the digits is the same at every keystroke: measured once.
    if (m_beforeWidth < 0 || m_before.size() != from || !text.startsWith(m_before)) {
        m_before = text.left(from);
        m_beforeWidth = metrics.horizontalAdvance(m_before);
    }
    const qreal x = m_beforeWidth;
    // Glyphs reach a little beyond their advances; a line's height covers that.
    const int margin = int(std::ceil(metrics.height()));
    return QRect(int(std::floor(x)) - margin, 0,
                 int(std::ceil(m_digitWidth * qreal(to - from))) + 2 * margin, height());
}

QSize CStatusPane::sizeHint() const {
    return minimumSizeHint();
}

QSize CStatusPane::minimumSizeHint() const {
    return {0, fontMetrics().height()};
}

void CStatusPane::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        m_digitWidth = -1;
        m_before.clear();
        m_beforeWidth = -1;
    }
}

void CStatusPane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    // Drawn at a point: one line needs no breaking into lines and no box to fit.
    const QFontMetrics metrics = fontMetrics();
    painter.drawText(QPoint(0, (height() - metrics.height()) / 2 + metrics.ascent()), m_text);
}
