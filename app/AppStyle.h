#pragma once

#include <QProxyStyle>

// The platform's style, but for the buttons that show a tool bar's or the menu bar's hidden
// commands: their arrows are our SVG icons. The style's own are PNG files, and reading the first
// PNG loads every image plugin installed (the reader asks each whether it takes the format),
// with their libraries: the menu bar makes that button as it is made, at every start.
class CAppStyle final : public QProxyStyle {
public:
    // Over `base` (owned from now on): the style the user chose, or the platform's.
    explicit CAppStyle(QStyle* base) : QProxyStyle(base) {}

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                       const QWidget* widget) const override;
};
