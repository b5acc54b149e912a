// The single-instance hand-over between real processes, and the first instance's defences
// against clients that break the protocol.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTimer>
#include <QtEndian>

#include "app/SingleInstance.h"

#include "tests/support/BesideEventLoop.h"

namespace {

QString UniqueKey() {
    static int count = 0;
    return QStringLiteral("jotwell-test-%1-%2")
        .arg(QCoreApplication::applicationPid())
        .arg(++count);
}

// A fresh key whose socket and lock file go when a test ends: the probes are killed, not ended.
struct CKey {
    QString name = UniqueKey();
    ~CKey() {
        for (const QString& file : {name, name + QStringLiteral(".lock")})
            QFile::remove(QDir::temp().filePath(file));
    }
};

// One start of the probe program, read line by line.
class CProbe {
public:
    explicit CProbe(const QStringList& arguments) {
        m_process.start(QStringLiteral(JOTWELL_PROBE), arguments);
        EXPECT_TRUE(m_process.waitForStarted());
    }
    ~CProbe() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    // Takes the first line printed that equals `line` and was not taken yet, reading until it
    // comes; false when the process ended or went silent first.
    bool WaitFor(const QString& line) {
        for (;;) {
            while (m_process.canReadLine())
                m_lines << QString::fromUtf8(m_process.readLine()).chopped(1);
            if (m_lines.removeOne(line)) return true;
            if (!m_process.waitForReadyRead(10000)) return false;
        }
    }
    // Everything the process printed and was not taken, once it has ended.
    QStringList Finish() {
        EXPECT_TRUE(m_process.waitForFinished(10000));
        EXPECT_EQ(m_process.exitCode(), 0);
        while (m_process.canReadLine())
            m_lines << QString::fromUtf8(m_process.readLine()).chopped(1);
        return m_lines;
    }
    QProcess& Process() { return m_process; }

private:
    QProcess m_process;
    QStringList m_lines;
};

// Runs the event loop until `done`, at most `limitMs`.
template <class Done>
bool Spin(Done done, int limitMs = 5000) {
    QTimer limit;
    limit.setSingleShot(true);
    limit.start(limitMs);
    while (!done() && limit.isActive())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return done();
}

QByteArray Header(char kind, quint32 length) {
    QByteArray header(5, '\0');
    header[0] = kind;
    qToBigEndian(length, header.data() + 1);
    return header;
}

// A save request from another thread, while this one's event loop serves it.
CSingleInstance::SaveResult AskToSave(const QString& key, int timeoutMs) {
    CSingleInstance::SaveResult result{};
    TestSupport::RunBesideEventLoop([&] { result = CSingleInstance::AskToSave(key, timeoutMs); });
    return result;
}

}  // namespace

TEST(SingleInstance, SecondStartHandsOverOnceTheFirstIsReadyAndACrashedOneIsNoObstacle) {
    const CKey keyFiles;
    const QString& key = keyFiles.name;
    CProbe first({key, QStringLiteral("--wait")});
    ASSERT_TRUE(first.WaitFor(QStringLiteral("window")));
    CProbe early({key, QStringLiteral("/early.jwf")});
    EXPECT_EQ(early.Finish(), QStringList{QStringLiteral("first-starting")});
    first.Process().write("ready\n");
    ASSERT_TRUE(first.WaitFor(QStringLiteral("listening")));
    // Longer than any fixed block, and not ASCII.
    const QString path = QStringLiteral("/tmp/") + QString(3000, QChar(0x00e9)) +
                         QStringLiteral("/\u6f22\u5b57 branch.jwf");
    CProbe second({key, path});
    EXPECT_EQ(second.Finish(), QStringList{QStringLiteral("delivered")});
    EXPECT_TRUE(first.WaitFor(QStringLiteral("forward")));
    EXPECT_TRUE(first.WaitFor(QStringLiteral("open:") + path));

    // Without a path the first only comes forward; two starts at once both land whole.
    CProbe plain({key});
    EXPECT_EQ(plain.Finish(), QStringList{QStringLiteral("delivered")});
    EXPECT_TRUE(first.WaitFor(QStringLiteral("forward")));
    CProbe one({key, QStringLiteral("/a/one.jwf")});
    CProbe two({key, QStringLiteral("/b/two.jwf")});
    EXPECT_EQ(one.Finish(), QStringList{QStringLiteral("delivered")});
    EXPECT_EQ(two.Finish(), QStringList{QStringLiteral("delivered")});
    EXPECT_TRUE(first.WaitFor(QStringLiteral("open:/a/one.jwf")));
    EXPECT_TRUE(first.WaitFor(QStringLiteral("open:/b/two.jwf")));

    // Killed, it leaves its socket and lock file; the next start is first all the same.
    first.Process().kill();
    first.Process().waitForFinished();
    ASSERT_TRUE(QFileInfo::exists(QDir::temp().filePath(key + QStringLiteral(".lock"))));
    CProbe next({key});
    ASSERT_TRUE(next.WaitFor(QStringLiteral("listening")));
    CProbe after({key, QStringLiteral("/after.jwf")});
    EXPECT_EQ(after.Finish(), QStringList{QStringLiteral("delivered")});
    EXPECT_TRUE(next.WaitFor(QStringLiteral("open:/after.jwf")));
}

TEST(SingleInstance, BadClientsAreDroppedAndSplitFramesJoined) {
    CSingleInstance first(UniqueKey());
    ASSERT_TRUE(first.IsFirst());
    ASSERT_TRUE(first.Listen());
    QStringList opened;
    QObject::connect(&first, &CSingleInstance::OpenPathRequested,
                     [&opened](const QString& path) { opened << path; });

    struct Row {
        const char* what;
        QByteArray bytes;
        int sweeps;  // the connection must outlive sweeps - 1 of them and not the last
    };
    const Row rows[] = {
        {"over the cap", Header('P', CSingleInstance::kMaxFrameBytes + 1), 0},
        {"unknown kind", Header('X', 0), 0},
        {"too many frames", Header('O', 0).repeated(CSingleInstance::kMaxFrames + 1), 0},
        {"incomplete frame", Header('P', 10) + "abc", 2},
        {"silent", QByteArray(), 2},
    };
    for (const Row& row : rows) {
        QLocalSocket client;
        client.connectToServer(first.Key());
        ASSERT_TRUE(client.waitForConnected(5000)) << row.what;
        ASSERT_TRUE(Spin([&] { return first.ConnectionCount() == 1; })) << row.what;
        client.write(row.bytes);
        client.flush();
        if (row.sweeps > 0) {
            QCoreApplication::processEvents();
            for (int sweep = 1; sweep < row.sweeps; ++sweep)
                first.SweepConnections();
            EXPECT_EQ(first.ConnectionCount(), 1u) << row.what;
            first.SweepConnections();
        }
        // Shorter than a sweep interval: the own sweeps never end a connection in that time.
        EXPECT_TRUE(Spin(
            [&] {
                return first.ConnectionCount() == 0 &&
                       client.state() == QLocalSocket::UnconnectedState;
            },
            CSingleInstance::kSweepIntervalMs / 2))
            << row.what;
    }
    EXPECT_TRUE(opened.isEmpty());

    // A path that arrives in pieces is joined, and the client is answered after the end frame.
    QLocalSocket client;
    client.connectToServer(first.Key());
    ASSERT_TRUE(client.waitForConnected(5000));
    const QByteArray message = Header('P', 9) + "/x/y.jwf!" + Header('E', 0);
    for (qsizetype at = 0; at < message.size(); at += 4) {
        client.write(message.mid(at, 4));
        client.flush();
        ASSERT_TRUE(Spin([&] { return first.ConnectionCount() == 1; }));
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(Spin([&] { return client.bytesAvailable() > 0; }));
    EXPECT_EQ(client.readAll(), QByteArray("K"));
    EXPECT_EQ(opened, QStringList{QStringLiteral("/x/y.jwf!")});
}

TEST(SingleInstance, ASaveRequestIsAnsweredWithWhetherEverythingWasWritten) {
    using Result = CSingleInstance::SaveResult;
    CSingleInstance first(UniqueKey());
    ASSERT_TRUE(first.Listen());
    int asked = 0;
    first.SetSaveHandler([&] { return ++asked > 1; });
    EXPECT_EQ(AskToSave(first.Key(), 5000), Result::NotSaved);
    EXPECT_EQ(AskToSave(first.Key(), 5000), Result::Saved);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(AskToSave(UniqueKey(), 5000), Result::NotRunning);
    // An instance that takes the connection and never answers.
    QLocalServer silent;
    ASSERT_TRUE(silent.listen(UniqueKey()));
    EXPECT_EQ(AskToSave(silent.serverName(), 100), Result::NoAnswer);
}
