#include "editor/NoteScrollBar.h"

#include <QRegion>
#include <QStyle>
#include <QStyleOptionSlider>

QRect CNoteScrollBar::Handle() const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
}

void CNoteScrollBar::sliderChange(SliderChange change) {
    const auto inside = [this](int value) { return value > minimum() && value < maximum(); };
    if (change != SliderValueChange || m_painted.isNull() || !inside(value()) ||
        !inside(m_paintedValue)) {
        QScrollBar::sliderChange(change);
        return;
    }
    // A margin for styles that draw a frame or shadow just outside the handle's box.
    constexpr int kMargin = 2;
    const QRect now = Handle();
    if (now == m_painted) return;
    update(QRegion(m_painted.adjusted(-kMargin, -kMargin, kMargin, kMargin)) +
           now.adjusted(-kMargin, -kMargin, kMargin, kMargin));
}

void CNoteScrollBar::paintEvent(QPaintEvent* event) {
    QScrollBar::paintEvent(event);
    m_painted = Handle();
    m_paintedValue = value();
}
