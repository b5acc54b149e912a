#pragma once

#include <QSize>
#include <QString>
#include <QWidget>

class QEvent;
class QPaintEvent;

// A status bar pane of one line of text that changes often (the note's size at every
// keystroke): its size does not follow its text, so a new text repaints the pane alone rather
// than laying the bar out again. A new text that differs from the old one only in digits (the
// size counting up) repaints just those, when the font gives every digit one width. Text wider
// than the pane is cut at its right edge.
class CStatusPane final : public QWidget {
public:
    explicit CStatusPane(const QString& text, QWidget* parent = nullptr);

    [[nodiscard]] const QString& Text() const noexcept { return m_text; }
    // Repaints the part of the pane where the text differs.
    void SetText(const QString& text);

    // One line of the font high; as wide as the bar gives it.
    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // Where the digits in [from, to) of the new text stand, or an empty rectangle when more
    // than the digits of equal width changed.
    [[nodiscard]] QRect DigitsRect(const QString& text, qsizetype from, qsizetype to);

    QString m_text;
    // The width of a digit when all ten have it, else 0.
    qreal m_digitWidth = -1;
    // The text before the digits last repainted, and its width.
    QString m_before;
    qreal m_beforeWidth = -1;
};
