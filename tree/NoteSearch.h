#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <filesystem>

#include "session/NoteSearchIndex.h"

class QWidget;

// The search index's drivers on the event loop: the worker's results and the tree's changes
// reach the index through queued calls, the notes folder is watched (one rescan after a burst of
// changes) and looked at again whenever the program becomes active, and the index's changes
// become signals.
class CNoteSearch final : public QObject, public NoteTreeEngine::CNoteSearchIndex::CEvents {
    Q_OBJECT

public:
    // Changes on disk often come in bursts (a save is a write and a rename): one rescan after.
    static constexpr int kRescanDelayMilliseconds = 500;

    // Borrowed; the index outlives this, which it tells until destroyed.
    explicit CNoteSearch(NoteTreeEngine::CNoteSearchIndex& index, QObject* parent = nullptr);
    ~CNoteSearch() override;

    [[nodiscard]] NoteTreeEngine::CNoteSearchIndex& Index() noexcept { return m_index; }
    // The debounce timer of changes on disk, and its handler.
    [[nodiscard]] QTimer& RescanTimer() noexcept { return m_rescanTimer; }
    void OnRescanTimer() { m_index.Rescan(); }

    // No note file is read until `widget` was first painted: a start shows its window before it
    // reads the notes folder for the search. Call before the tree is loaded.
    void ReadAfterFirstPaintOf(QWidget& widget);

    void PostDrain() override;
    void PostReconcile() override;
    void IndexChanged() override { emit indexChanged(); }
    void ProgressChanged() override { emit progressChanged(); }
    void FolderChanged(const std::filesystem::path& folder) override;

signals:
    // The index changed: a query shown is out of date.
    void indexChanged();
    // Done, Queued or IsBuilding changed.
    void progressChanged();

private:
    NoteTreeEngine::CNoteSearchIndex& m_index;
    QFileSystemWatcher m_watcher;
    QTimer m_rescanTimer;
};
