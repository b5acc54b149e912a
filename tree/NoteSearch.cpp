#include "tree/NoteSearch.h"

#include <QGuiApplication>
#include <QString>

#include "ui/FirstPaint.h"

CNoteSearch::CNoteSearch(NoteTreeEngine::CNoteSearchIndex& index, QObject* parent)
    : QObject(parent), m_index(index) {
    m_rescanTimer.setSingleShot(true);
    m_rescanTimer.setInterval(kRescanDelayMilliseconds);
    connect(&m_rescanTimer, &QTimer::timeout, this, &CNoteSearch::OnRescanTimer);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
            [this] { m_rescanTimer.start(); });
    // Another program may have changed the notes while this one was in the background.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive) m_index.Rescan();
            });
    m_index.SetEvents(this);
    FolderChanged(m_index.Folder());
}

CNoteSearch::~CNoteSearch() {
    m_index.SetEvents(nullptr);
}

void CNoteSearch::ReadAfterFirstPaintOf(QWidget& widget) {
    m_index.HoldReading(true);
    AfterFirstPaint(widget, *this, [this] { m_index.HoldReading(false); });
}

void CNoteSearch::PostDrain() {
    // Called on the worker as well: the call runs on this object's thread.
    QMetaObject::invokeMethod(
        this, [this] { m_index.Drain(); }, Qt::QueuedConnection);
}

void CNoteSearch::PostReconcile() {
    // Items about to go are still there: the walk waits until the operation is over.
    QMetaObject::invokeMethod(
        this, [this] { m_index.Reconcile(); }, Qt::QueuedConnection);
}

void CNoteSearch::FolderChanged(const std::filesystem::path& folder) {
    if (!m_watcher.directories().isEmpty()) m_watcher.removePaths(m_watcher.directories());
    if (folder.empty()) {
        m_rescanTimer.stop();
        return;
    }
    m_watcher.addPath(QString::fromStdU16String(folder.u16string()));
}
