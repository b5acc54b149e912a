#include "ui/QtFolderWatch.h"

#include <QFileInfo>
#include <QStringList>
#include <utility>

namespace {

QString ToQString(const std::filesystem::path& path) {
    return QString::fromStdU16String(path.u16string());
}

}  // namespace

CQtFolderWatch::CQtFolderWatch(std::function<void(const std::filesystem::path&)> changed)
    : m_changed(std::move(changed)) {
    // The file at a path may be another one now: its watch is renewed.
    QObject::connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_watcher,
                     [this](const QString& name) {
                         m_watcher.removePath(name);
                         OnChanged(name);
                     });
    QObject::connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_watcher,
                     [this](const QString& name) { OnChanged(name); });
}

void CQtFolderWatch::Watch(const std::filesystem::path& path) {
    const QString name = ToQString(path);
    m_wanted.insert(name);
    // Removed first: a watch on a file since replaced would follow the old file.
    if (m_watcher.files().contains(name)) m_watcher.removePath(name);
    if (QFileInfo::exists(name)) m_watcher.addPath(name);
}

void CQtFolderWatch::Unwatch(const std::filesystem::path& path) {
    const QString name = ToQString(path);
    m_wanted.remove(name);
    if (m_watcher.files().contains(name) || m_watcher.directories().contains(name))
        m_watcher.removePath(name);
}

void CQtFolderWatch::OnChanged(const QString& name) {
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    const QSet<QString> present(watched.begin(), watched.end());
    for (const QString& name : std::as_const(m_wanted))
        if (!present.contains(name) && QFileInfo::exists(name)) m_watcher.addPath(name);
    m_changed(std::filesystem::path(name.toStdU16String()));
}
