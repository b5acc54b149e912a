#pragma once

#include <QFileSystemWatcher>
#include <QSet>
#include <QString>
#include <filesystem>
#include <functional>

#include "session/FolderWatch.h"

// The session's watch on a QFileSystemWatcher; `changed` runs with the watched path after every
// change it reports. A
// file replaced by a rename (as editors and sync tools save) or removed drops out of the
// watcher, and a folder that goes takes its watch along: every report first watches again each
// wanted path that exists. Tests await the watcher's signals through Watcher().
class CQtFolderWatch final : public NoteTreeEngine::CFolderWatch {
public:
    explicit CQtFolderWatch(std::function<void(const std::filesystem::path&)> changed);
    CQtFolderWatch(const CQtFolderWatch&) = delete;
    CQtFolderWatch& operator=(const CQtFolderWatch&) = delete;

    void Watch(const std::filesystem::path& path) override;
    void Unwatch(const std::filesystem::path& path) override;
    [[nodiscard]] QFileSystemWatcher& Watcher() noexcept { return m_watcher; }

private:
    void OnChanged(const QString& name);

    std::function<void(const std::filesystem::path&)> m_changed;
    QFileSystemWatcher m_watcher;
    QSet<QString> m_wanted;
};
