#pragma once

#include <QScrollBar>

// The editor's vertical scroll bar. Paging through a long note moves only its handle, yet a
// scroll bar repaints itself whole on every move, and in a styled bar the groove's gradient is
// most of a page step's paint. This one repaints where the handle was and where it now is.
//
// Holds: the rectangle the handle was last painted in. Never: a pixel that differs from a bar
// painted whole. Anything but a move inside the range (its ends change the arrows' look), or a
// move before the first paint, repaints the whole bar as before.
class CNoteScrollBar final : public QScrollBar {
public:
    explicit CNoteScrollBar(QWidget* parent = nullptr) : QScrollBar(Qt::Vertical, parent) {}

protected:
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent* event) override;

private:
    [[nodiscard]] QRect Handle() const;

    QRect m_painted;  // the handle in the last paint; null before the first
    int m_paintedValue = 0;
};
