#pragma once

#include <QObject>
#include <memory>

class QSocketNotifier;

// SIGTERM and SIGINT as a Qt signal: the handler only writes a byte to a socket pair, and the
// event loop reads it and emits Received, so the program can save and end in its own time.
class CTerminationSignals final : public QObject {
    Q_OBJECT

public:
    explicit CTerminationSignals(QObject* parent = nullptr);
    ~CTerminationSignals() override;
    CTerminationSignals(const CTerminationSignals&) = delete;
    CTerminationSignals& operator=(const CTerminationSignals&) = delete;

    // False when the socket pair or the handlers could not be set up.
    [[nodiscard]] bool IsActive() const noexcept { return m_notifier != nullptr; }

signals:
    void Received();

private:
    void OnReadable();

    std::unique_ptr<QSocketNotifier> m_notifier;
};
