// What the program writes into the user's desktop folders.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "app/DesktopIntegration.h"
#include "tests/support/FaultyFileSystem.h"

namespace {

QByteArray Read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The user's data folder and the program search path point into a temporary folder while it
// lives; the helper programs found there do nothing.
class CTemporaryDesktop {
public:
    CTemporaryDesktop() : m_oldData(qgetenv("XDG_DATA_HOME")), m_oldPath(qgetenv("PATH")) {
        QStandardPaths::setTestModeEnabled(false);
        qputenv("XDG_DATA_HOME", Home().toUtf8());
        for (const char* helper : {"update-mime-database", "update-desktop-database"}) {
            const QString path = m_temp.filePath(QStringLiteral("bin/") + QLatin1String(helper));
            Write(path, "#!/bin/sh\nexit 0\n");
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("PATH", m_temp.filePath(QStringLiteral("bin")).toUtf8());
    }
    ~CTemporaryDesktop() {
        qputenv("XDG_DATA_HOME", m_oldData);
        qputenv("PATH", m_oldPath);
        QStandardPaths::setTestModeEnabled(true);
    }
    [[nodiscard]] QString Home() const { return m_temp.filePath(QStringLiteral("share")); }

private:
    QTemporaryDir m_temp;
    QByteArray m_oldData;
    QByteArray m_oldPath;
};

}  // namespace

TEST(DesktopIntegration, ExecQuotingSurvivesAnyPath) {
    const struct {
        const char* path;
        const char* exec;
    } rows[] = {
        {"/opt/my apps/jotwell", R"("/opt/my apps/jotwell")"},
        {R"(/a"b/$x/`c`)", R"("/a\\"b/\\$x/\\`c\\`")"},
        {R"(/back\slash)", R"("/back\\\\slash")"},
        {"/100%/jotwell", R"("/100%%/jotwell")"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DesktopIntegration::QuoteExec(QString::fromUtf8(row.path)),
                  QString::fromUtf8(row.exec))
            << row.path;
}

// The files are written and the updates started; failures are ignored and leave the files.
TEST(DesktopIntegration, WritesWhatDiffersAndIgnoresFailures) {
    using Fault = TestSupport::CFaultyFileSystem::Fault;
    CTemporaryDesktop desktop;
    TestSupport::CFaultyFileSystem fs;
    const QString data = QStringLiteral(JOTWELL_SOURCE_DATA);
    const QString applications = desktop.Home() + QStringLiteral("/applications");
    const QString entry = applications + QStringLiteral("/jotwell.desktop");
    const QString mime = desktop.Home() + QStringLiteral("/mime/packages/jotwell-mime.xml");
    const QString icon =
        desktop.Home() + QStringLiteral("/icons/hicolor/scalable/apps/jotwell.svg");
    // Nothing to install from, or no folder to install into.
    EXPECT_TRUE(DesktopIntegration::Install(fs, QStringLiteral("/usr/bin/jotwell"),
                                            QStringLiteral("/nonexistent"))
                    .written.isEmpty());
    fs.SetFault(Fault::CreateFails);
    EXPECT_TRUE(DesktopIntegration::Install(fs, QStringLiteral("/usr/bin/jotwell"), data)
                    .written.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(applications));
    fs.SetFault(Fault::None);
    Write(desktop.Home(), "not a folder");
    EXPECT_TRUE(DesktopIntegration::Install(fs, QStringLiteral("/usr/bin/jotwell"), data)
                    .written.isEmpty());
    QFile::remove(desktop.Home());

    auto result =
        DesktopIntegration::Install(fs, QStringLiteral("/opt/jot well/bin/jotwell"), data);
    EXPECT_EQ(result.written, (QStringList{entry, mime, icon}));
    EXPECT_EQ(result.helpersStarted, (QStringList{QStringLiteral("update-mime-database"),
                                                  QStringLiteral("update-desktop-database")}));
    EXPECT_TRUE(Read(entry).contains("\nExec=\"/opt/jot well/bin/jotwell\" %f\n"));
    EXPECT_TRUE(Read(entry).contains("\nMimeType=application/x-jotwell-tree;\n"));
    EXPECT_EQ(Read(mime), Read(data + QStringLiteral("/jotwell-mime.xml")));
    EXPECT_EQ(Read(icon), Read(data + QStringLiteral("/icons/jotwell.svg")));

    const QByteArray written = Read(entry);
    for (const Fault fault : TestSupport::CFaultyFileSystem::kWriteFaults) {
        fs.SetFault(fault);
        result = DesktopIntegration::Install(fs, QStringLiteral("/moved/jotwell"), data);
        EXPECT_TRUE(result.written.isEmpty() && result.helpersStarted.isEmpty());
        // The old entry whole, and no temporary file beside it.
        EXPECT_EQ(Read(entry), written);
        EXPECT_EQ(QDir(applications).entryList(QDir::Files | QDir::Hidden),
                  QStringList{QStringLiteral("jotwell.desktop")});
    }
}
