#include "app/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QtEndian>
#include <optional>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

constexpr char kOpen = 'O';
constexpr char kPath = 'P';
constexpr char kSave = 'S';
constexpr char kEnd = 'E';
constexpr char kTaken = 'K';
constexpr char kNotSaved = 'F';
constexpr qsizetype kHeaderBytes = 5;

QByteArray Frame(char kind, const QByteArray& payload = {}) {
    QByteArray frame(kHeaderBytes, '\0');
    frame[0] = kind;
    qToBigEndian(static_cast<quint32>(payload.size()), frame.data() + 1);
    return frame + payload;
}

// Sends a request and waits for the first instance's one-byte answer; none when it does not come
// by the deadline.
std::optional<char> Answer(QLocalSocket& socket, const QByteArray& request,
                           QDeadlineTimer deadline) {
    socket.write(request);
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(int(deadline.remainingTime()))) return std::nullopt;
    while (socket.bytesAvailable() < 1)
        if (!socket.waitForReadyRead(int(deadline.remainingTime()))) return std::nullopt;
    char answer = 0;
    return socket.getChar(&answer) ? std::optional<char>(answer) : std::nullopt;
}

}  // namespace

CSingleInstance::CSingleInstance(const QString& key, QObject* parent)
    : QObject(parent), m_key(key), m_lock(QDir::temp().filePath(key + QStringLiteral(".lock"))) {
    // Only a dead owner makes the lock stale, never its age: the first instance runs for days.
    m_lock.setStaleLockTime(0);
    // A lock that cannot be made at all (no writable temporary folder) must not stop the program.
    m_first = m_lock.tryLock(0) || m_lock.error() != QLockFile::LockFailedError;
    m_sweepTimer.setInterval(kSweepIntervalMs);
    connect(&m_sweepTimer, &QTimer::timeout, this, &CSingleInstance::SweepConnections);
}

CSingleInstance::~CSingleInstance() {
    for (auto& [socket, connection] : m_connections) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}

QString CSingleInstance::DefaultKey() {
#ifdef Q_OS_UNIX
    return QStringLiteral("jotwell-%1").arg(::getuid());
#else
    return QStringLiteral("jotwell-") + qEnvironmentVariable("USERNAME");
#endif
}

CSingleInstance::HandOverResult CSingleInstance::HandOver(const QString& path, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(m_key);
    // Nobody listening while the lock is held means the first instance is still starting.
    if (!socket.waitForConnected(timeoutMs)) return HandOverResult::FirstStarting;
    QByteArray message = Frame(kOpen);
    if (!path.isEmpty()) message += Frame(kPath, path.toUtf8());
    return Answer(socket, message + Frame(kEnd), QDeadlineTimer(timeoutMs)) == kTaken
               ? HandOverResult::Delivered
               : HandOverResult::Failed;
}

CSingleInstance::SaveResult CSingleInstance::AskToSave(const QString& key, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(key);
    if (!socket.waitForConnected(timeoutMs)) {
        const QLocalSocket::LocalSocketError error = socket.error();
        return error == QLocalSocket::ServerNotFoundError ||
                       error == QLocalSocket::ConnectionRefusedError
                   ? SaveResult::NotRunning
                   : SaveResult::NoAnswer;
    }
    const std::optional<char> answer =
        Answer(socket, Frame(kSave) + Frame(kEnd), QDeadlineTimer(timeoutMs));
    if (answer == kTaken) return SaveResult::Saved;
    return answer == kNotSaved ? SaveResult::NotSaved : SaveResult::NoAnswer;
}

bool CSingleInstance::Listen() {
    if (m_server) return m_server->isListening();
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server.get(), &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
    // We hold the lock, so a socket file of this name is a crashed instance's.
    QLocalServer::removeServer(m_key);
    if (!m_server->listen(m_key)) return false;
    m_sweepTimer.start();
    return true;
}

void CSingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        m_connections.emplace(socket, Connection());
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { Drop(socket); });
        if (socket->bytesAvailable() > 0) OnReadyRead(socket);
    }
}

void CSingleInstance::OnReadyRead(QLocalSocket* socket) {
    QPointer<QLocalSocket> alive(socket);
    for (;;) {
        const auto found = m_connections.find(socket);
        if (!alive || found == m_connections.end()) return;
        Connection& connection = found->second;
        // Never more than one whole frame of the largest size is held.
        connection.buffer += socket->read(kMaxFrameBytes + kHeaderBytes - connection.buffer.size());
        if (connection.buffer.size() < kHeaderBytes) return;
        const char kind = connection.buffer[0];
        const quint32 length = qFromBigEndian<quint32>(connection.buffer.constData() + 1);
        if ((kind != kOpen && kind != kPath && kind != kSave && kind != kEnd) ||
            length > kMaxFrameBytes || ++connection.frames > kMaxFrames) {
            Drop(socket);
            return;
        }
        const qsizetype frameBytes = kHeaderBytes + static_cast<qsizetype>(length);
        if (connection.buffer.size() < frameBytes) {
            --connection.frames;
            if (socket->bytesAvailable() == 0) return;
            continue;
        }
        const QByteArray payload = connection.buffer.mid(kHeaderBytes, length);
        connection.buffer.remove(0, frameBytes);
        if (kind == kEnd) {
            const bool forward = connection.forward;
            const QStringList paths = std::move(connection.paths);
            socket->write(connection.unsaved ? &kNotSaved : &kTaken, 1);
            socket->flush();
            socket->disconnectFromServer();
            // The later start may end now; an import does not keep it waiting.
            if (forward) emit BringForwardRequested();
            for (const QString& path : paths)
                emit OpenPathRequested(path);
            return;
        }
        if (kind == kOpen) {
            connection.forward = true;
        } else if (kind == kPath) {
            connection.paths << QString::fromUtf8(payload);
        } else if (m_save && !m_save()) {
            // The save may run a nested event loop in which this connection ends.
            const auto asked = m_connections.find(socket);
            if (alive && asked != m_connections.end()) asked->second.unsaved = true;
        }
    }
}

void CSingleInstance::Drop(QLocalSocket* socket) {
    if (m_connections.erase(socket) == 0) return;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void CSingleInstance::SweepConnections() {
    std::vector<QLocalSocket*> stale;
    for (auto& [socket, connection] : m_connections) {
        if (connection.seenBySweep)
            stale.push_back(socket);
        else
            connection.seenBySweep = true;
    }
    for (QLocalSocket* socket : stale)
        Drop(socket);
}
