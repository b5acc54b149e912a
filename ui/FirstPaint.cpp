#include "ui/FirstPaint.h"

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <utility>

namespace {

// Watches one widget for its first paint, then goes.
class CFirstPaintWatch final : public QObject {
public:
    CFirstPaintWatch(QWidget& widget, QObject& context, std::function<void()> work)
        : QObject(&context), m_widget(widget), m_work(std::move(work)) {
        widget.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_widget && event->type() == QEvent::Paint && m_work) {
            m_widget.removeEventFilter(this);
            // Queued: the paint, and the rest of the window's, first.
            QTimer::singleShot(0, parent(), std::exchange(m_work, {}));
            deleteLater();
        }
        return false;
    }

private:
    QWidget& m_widget;
    std::function<void()> m_work;
};

}  // namespace

void AfterFirstPaint(QWidget& widget, QObject& context, std::function<void()> work) {
    new CFirstPaintWatch(widget, context, std::move(work));
}
