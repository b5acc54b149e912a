#include "app/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

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

// Where the socket of `key` lives: where QLocalServer puts a socket of that name.
QByteArray SocketPath(const QString& key) {
    return QFile::encodeName(QDir::cleanPath(QDir::tempPath()) + u'/' + key);
}

// The address of the socket file at `path`; none when the path is too long for one.
std::optional<sockaddr_un> AddressOf(const QByteArray& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.isEmpty() || size_t(path.size()) >= sizeof address.sun_path) return std::nullopt;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    return address;
}

// Milliseconds left for poll; a deadline that never ends waits as long as poll can.
int Remaining(const QDeadlineTimer& deadline) {
    const qint64 left = deadline.remainingTime();
    return int(left < 0 ? INT_MAX : std::min<qint64>(left, INT_MAX));
}

// Waits until `socket` can take `events`; false at the deadline.
bool WaitFor(int socket, short events, const QDeadlineTimer& deadline) {
    for (;;) {
        pollfd wanted{socket, events, 0};
        const int ready = ::poll(&wanted, 1, Remaining(deadline));
        if (ready > 0) return true;
        if (ready == 0 || errno != EINTR) return false;
    }
}

// A socket connected to the instance listening on `path`, or -1 with errno set: ENOENT or
// ECONNREFUSED when nobody listens there, ETIMEDOUT when it took no connection by the deadline.
int ConnectTo(const QByteArray& path, const QDeadlineTimer& deadline) {
    const std::optional<sockaddr_un> address = AddressOf(path);
    if (!address) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (socket < 0) return -1;
    for (;;) {
        if (::connect(socket, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0)
            return socket;
        const int error = errno;
        // A full backlog: the listener is busy, and is asked again shortly.
        if ((error == EAGAIN || error == EINTR) && !deadline.hasExpired()) {
            (void)::poll(nullptr, 0, std::min(10, Remaining(deadline)));
            continue;
        }
        ::close(socket);
        errno = error == EAGAIN ? ETIMEDOUT : error;
        return -1;
    }
}

// Sends a request on a connected socket and waits for the first instance's one-byte answer;
// none when it does not come by the deadline. Closes the socket.
std::optional<char> Answer(int socket, const QByteArray& request, const QDeadlineTimer& deadline) {
    std::optional<char> answer;
    qsizetype sent = 0;
    while (sent < request.size()) {
        const ssize_t wrote =
            ::send(socket, request.constData() + sent, size_t(request.size() - sent), MSG_NOSIGNAL);
        if (wrote > 0) {
            sent += wrote;
        } else if (wrote < 0 && errno == EINTR) {
            continue;
        } else if (wrote < 0 && errno == EAGAIN && WaitFor(socket, POLLOUT, deadline)) {
            continue;
        } else {
            ::close(socket);
            return answer;
        }
    }
    while (WaitFor(socket, POLLIN, deadline)) {
        char byte = 0;
        const ssize_t got = ::read(socket, &byte, 1);
        if (got == 1) {
            answer = byte;
            break;
        }
        if (got == 0 || (errno != EINTR && errno != EAGAIN)) break;
    }
    ::close(socket);
    return answer;
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
    for (auto& [id, connection] : m_connections) {
        delete connection.readable;
        ::close(connection.socket);
    }
    if (m_listener >= 0) {
        m_incoming.reset();
        ::close(m_listener);
        // Nobody else listens under this name while the lock is held.
        (void)::unlink(QFile::encodeName(m_listening).constData());
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
    const int socket = ConnectTo(SocketPath(m_key), QDeadlineTimer(timeoutMs));
    // Nobody listening while the lock is held means the first instance is still starting.
    if (socket < 0) return HandOverResult::FirstStarting;
    QByteArray message = Frame(kOpen);
    if (!path.isEmpty()) message += Frame(kPath, path.toUtf8());
    return Answer(socket, message + Frame(kEnd), QDeadlineTimer(timeoutMs)) == kTaken
               ? HandOverResult::Delivered
               : HandOverResult::Failed;
}

CSingleInstance::SaveResult CSingleInstance::AskToSave(const QString& key, int timeoutMs) {
    const int socket = ConnectTo(SocketPath(key), QDeadlineTimer(timeoutMs));
    if (socket < 0) {
        return errno == ENOENT || errno == ECONNREFUSED ? SaveResult::NotRunning
                                                        : SaveResult::NoAnswer;
    }
    const std::optional<char> answer =
        Answer(socket, Frame(kSave) + Frame(kEnd), QDeadlineTimer(timeoutMs));
    if (answer == kTaken) return SaveResult::Saved;
    return answer == kNotSaved ? SaveResult::NotSaved : SaveResult::NoAnswer;
}

bool CSingleInstance::Listen() {
    if (m_listener >= 0) return true;
    const QByteArray path = SocketPath(m_key);
    if (!AddressOf(path)) return false;
    // We hold the lock, so a socket file of this name is a crashed instance's.
    (void)::unlink(path.constData());
    // Bound in a folder only this user can enter and moved into place once closed to others, so
    // that no other user ever connects.
    QByteArray folder = path + "-XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) return false;
    const QByteArray made = folder + "/s";
    const std::optional<sockaddr_un> address = AddressOf(made);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const bool listening =
        address && socket >= 0 &&
        ::bind(socket, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0 &&
        ::chmod(made.constData(), S_IRWXU) == 0 && ::listen(socket, SOMAXCONN) == 0 &&
        ::rename(made.constData(), path.constData()) == 0;
    if (!listening) {
        if (socket >= 0) ::close(socket);
        (void)::unlink(made.constData());
    }
    (void)::rmdir(folder.constData());
    if (!listening) return false;
    m_listener = socket;
    m_listening = QFile::decodeName(path);
    m_incoming = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
    connect(m_incoming.get(), &QSocketNotifier::activated, this, &CSingleInstance::OnNewConnection);
    m_sweepTimer.start();
    return true;
}

void CSingleInstance::OnNewConnection() {
    for (;;) {
        const int socket = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (socket < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            return;
        }
        const uint64_t id = m_nextId++;
        Connection& connection = m_connections[id];
        connection.socket = socket;
        connection.readable = new QSocketNotifier(socket, QSocketNotifier::Read, this);
        connect(connection.readable, &QSocketNotifier::activated, this,
                [this, id] { OnReadable(id); });
    }
}

void CSingleInstance::OnReadable(uint64_t id) {
    for (;;) {
        auto found = m_connections.find(id);
        if (found == m_connections.end()) return;
        // Never more than one whole frame of the largest size is held.
        const qsizetype room = kMaxFrameBytes + kHeaderBytes - found->second.buffer.size();
        bool more = false;
        bool ended = false;
        if (room > 0) {
            char chunk[16384];
            const ssize_t got = ::read(found->second.socket, chunk,
                                       size_t(std::min<qsizetype>(room, sizeof chunk)));
            more = got > 0 || (got < 0 && errno == EINTR);
            ended = got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN);
            if (got > 0) found->second.buffer.append(chunk, got);
        }
        // Every whole frame held.
        for (;;) {
            found = m_connections.find(id);
            if (found == m_connections.end()) return;
            Connection& connection = found->second;
            if (connection.buffer.size() < kHeaderBytes) break;
            const char kind = connection.buffer[0];
            const quint32 length = qFromBigEndian<quint32>(connection.buffer.constData() + 1);
            if ((kind != kOpen && kind != kPath && kind != kSave && kind != kEnd) ||
                length > kMaxFrameBytes || connection.frames + 1 > kMaxFrames) {
                Drop(id);
                return;
            }
            const qsizetype frameBytes = kHeaderBytes + static_cast<qsizetype>(length);
            if (connection.buffer.size() < frameBytes) break;
            ++connection.frames;
            const QByteArray payload = connection.buffer.mid(kHeaderBytes, length);
            connection.buffer.remove(0, frameBytes);
            if (kind == kEnd) {
                const bool forward = connection.forward;
                const QStringList paths = std::move(connection.paths);
                // One byte into an empty socket: it always fits.
                (void)::send(connection.socket, connection.unsaved ? &kNotSaved : &kTaken, 1,
                             MSG_NOSIGNAL);
                Drop(id);
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
                const auto asked = m_connections.find(id);
                if (asked != m_connections.end()) asked->second.unsaved = true;
            }
        }
        if (ended) {
            Drop(id);
            return;
        }
        if (!more) return;
    }
}

void CSingleInstance::Drop(uint64_t id) {
    const auto found = m_connections.find(id);
    if (found == m_connections.end()) return;
    // Possibly inside its own signal: the notifier goes once that is over.
    found->second.readable->setEnabled(false);
    found->second.readable->deleteLater();
    ::close(found->second.socket);
    m_connections.erase(found);
}

void CSingleInstance::SweepConnections() {
    std::vector<uint64_t> stale;
    for (auto& [id, connection] : m_connections) {
        if (connection.seenBySweep)
            stale.push_back(id);
        else
            connection.seenBySweep = true;
    }
    for (const uint64_t id : stale)
        Drop(id);
}
