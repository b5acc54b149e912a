#pragma once

#include <QByteArray>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class QSocketNotifier;

// Keeps the program to one instance per user. The first start holds a per-user lock for its whole
// run and, once it is ready, listens on a per-user local socket; a later start connects, asks it
// to come forward and open a path, waits until both were taken, and ends. A lock or socket left
// by a crashed first instance does not stop the next start. Neither the lock nor a later start's
// hand-over needs more than a QCoreApplication, so a later start never loads the window system.
//
// On the socket every message is a frame: one kind byte ('O' come forward, 'P' open the UTF-8
// path that follows, 'S' save everything, 'E' end), a 4-byte big-endian length and that many
// bytes. The first answers after the end frame: 'K' when everything asked was done, 'F' when a
// save left something unsaved. A frame over the size cap, an unknown kind or a connection that
// stays incomplete for a whole sweep interval is dropped, so no client can hang the first
// instance.
//
// The socket is a Unix-domain stream socket named by the key in the temporary folder, where Qt's
// local sockets put theirs, so that this program and a copy of it built on QLocalSocket find each
// other. It is made in a folder of this user's alone and moved into place, so that no other user
// connects to it.
class CSingleInstance final : public QObject {
    Q_OBJECT

public:
    enum class HandOverResult {
        Delivered,      // the first instance took the request and the path
        FirstStarting,  // an instance runs but does not listen yet; nothing was handed over
        Failed,         // the first instance did not answer in time
    };
    enum class SaveResult {
        NotRunning,  // nobody listens: no instance, or one still starting with nothing typed yet
        Saved,       // the running instance wrote the tree and every changed note
        NotSaved,    // it answered, but something stayed unsaved
        NoAnswer,    // it did not answer in time
    };

    static constexpr qint64 kMaxFrameBytes = 64 * 1024;
    static constexpr int kSweepIntervalMs = 2000;
    // A request is three frames; a client that sends more is dropped.
    static constexpr int kMaxFrames = 8;

    // `key` names the lock and the socket; by default one of this user's.
    explicit CSingleInstance(const QString& key = DefaultKey(), QObject* parent = nullptr);
    ~CSingleInstance() override;
    CSingleInstance(const CSingleInstance&) = delete;
    CSingleInstance& operator=(const CSingleInstance&) = delete;

    // "jotwell-" and the user's id.
    [[nodiscard]] static QString DefaultKey();
    // The name of the lock and the socket.
    [[nodiscard]] const QString& Key() const noexcept { return m_key; }

    // True when no other instance of this user runs: this one holds the lock.
    [[nodiscard]] bool IsFirst() const noexcept { return m_first; }

    // A later start: asks the first instance to come forward and, when `path` is not empty, to
    // open it; returns once the first has taken both (it acts on them after answering), or after
    // `timeoutMs`.
    [[nodiscard]] HandOverResult HandOver(const QString& path, int timeoutMs = 5000);

    // Asks the instance listening on `key` to save everything, and waits at most `timeoutMs` for
    // its answer. Needs no instance of its own: it takes no lock.
    [[nodiscard]] static SaveResult AskToSave(const QString& key, int timeoutMs);
    // What the first instance runs for a save request; true when everything was written. Without
    // one a save request is answered as done.
    void SetSaveHandler(std::function<bool()> save) { m_save = std::move(save); }

    // The first instance, once its window and notes folder are ready: starts taking requests. A
    // socket file left by a crashed instance is removed first. False when it cannot listen.
    bool Listen();

    // Drops the connections that were already incomplete at the previous sweep. The sweep timer
    // calls it every kSweepIntervalMs.
    void SweepConnections();
    [[nodiscard]] size_t ConnectionCount() const noexcept { return m_connections.size(); }

signals:
    void BringForwardRequested();
    void OpenPathRequested(const QString& path);

private:
    struct Connection {
        int socket = -1;
        QSocketNotifier* readable = nullptr;  // a child of the instance
        QByteArray buffer;
        int frames = 0;
        bool seenBySweep = false;
        bool unsaved = false;  // a save it asked for left something unsaved
        // What it asked for, done once it was answered.
        bool forward = false;
        QStringList paths;
    };

    void OnNewConnection();
    // Reads what connection `id` sent and acts on its whole frames.
    void OnReadable(uint64_t id);
    void Drop(uint64_t id);

    QString m_key;
    QLockFile m_lock;
    bool m_first = false;
    int m_listener = -1;
    QString m_listening;  // the socket file made by Listen, removed at the end
    std::unique_ptr<QSocketNotifier> m_incoming;
    // By an id of their own: a socket's number is used again once it is closed.
    std::map<uint64_t, Connection> m_connections;
    uint64_t m_nextId = 0;
    QTimer m_sweepTimer;
    std::function<bool()> m_save;
};
