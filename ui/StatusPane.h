#pragma once

#include <QSize>
#include <QString>
#include <QWidget>

class QPaintEvent;

// A status bar pane of one line of text that changes often (the note's size at every
// keystroke): its size does not follow its text, so a new text repaints the pane alone rather
// than laying the bar out again. Text wider than the pane is cut at its right edge.
class CStatusPane final : public QWidget {
public:
    explicit CStatusPane(const QString& text, QWidget* parent = nullptr);

    [[nodiscard]] const QString& Text() const noexcept { return m_text; }
    // Repaints the pane when the text differs.
    void SetText(const QString& text);

    // One line of the font high; as wide as the bar gives it.
    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_text;
};
