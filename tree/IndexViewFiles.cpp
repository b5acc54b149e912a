// The index view's files: the notes folder's tree, tree files imported and dropped, the tree file
// a drag offers, and the switch to another notes folder.
#include <QDir>
#include <QMimeData>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>

#include "editor/NoteScrollView.h"
#include "storage/FileHandler.h"
#include "storage/NotesFolderSettings.h"
#include "tree/DragRules.h"
#include "tree/IndexView.h"
#include "tree/NoteTreeItem.h"
#include "ui/WaitCursor.h"

using NoteTreeEngine::TreeItem;

namespace {

std::filesystem::path ToPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

}  // namespace

bool CIndexView::LoadTree() {
    if (m_editor == nullptr) return false;
    const std::u16string folder = NoteTreeEngine::GetNotesFolder(m_settings);
    if (folder.empty()) return false;
    if (m_policy && !UnloadTree()) return false;
    m_store = std::make_unique<NoteTreeEngine::CNotesFolderStore>(std::filesystem::path(folder),
                                                                  *this, m_files);
    m_manager = std::make_unique<NoteTreeEngine::CDocumentManager>(*this, m_editor->View(),
                                                                   *m_store, m_settings, m_status);
    m_policy =
        std::make_unique<NoteTreeEngine::CSavePolicy>(*this, *m_manager, *m_store, m_timerAdapter);
    CWaitCursor wait;
    setUpdatesEnabled(false);
    const bool read = m_policy->LoadTree();
    if (m_active != nullptr) m_manager->ShowItem(Handle(m_active));
    if (Caret() == nullptr && FirstRootItem() != nullptr) SetCaret(FirstRootItem());
    if (FirstRootItem() != nullptr) scrollToItem(FirstRootItem());
    setUpdatesEnabled(true);
    emit treeLoaded();
    return read;
}

bool CIndexView::SaveTree() {
    return !m_policy || m_policy->SaveTree();
}

bool CIndexView::UnloadTree() {
    if (!m_policy) return true;
    CWaitCursor wait;
    if (!m_policy->Close()) {
        // The notes left the editor; the one kept unsaved stays with the manager, which tries it
        // again at every save. The others come back, in tree order.
        std::vector<QTreeWidgetItem*> selected = SelectedList();
        std::sort(selected.begin(), selected.end(),
                  [this](QTreeWidgetItem* a, QTreeWidgetItem* b) { return Order(a, b) > 0; });
        for (QTreeWidgetItem* item : selected)
            ShowNoteOf(item);
        return false;
    }
    DeselectAll(SelectCause::Program);
    m_active = nullptr;
    m_saveTimer.stop();
    clear();
    m_policy.reset();
    m_manager.reset();
    m_store.reset();
    emit treeUnloaded();
    return true;
}

bool CIndexView::OpenTreeFile(const QString& path, CInsertionPoint point) {
    if (!m_manager) return false;
    TreeItem after = NoteTreeEngine::kLastItem;
    if (point.place == CInsertionPoint::Place::First) after = NoteTreeEngine::kFirstItem;
    if (point.place == CInsertionPoint::Place::After) after = Handle(point.after);
    CWaitCursor wait;
    if (!NoteTreeEngine::OpenFolderFile(m_files, *this, *m_manager, ToPath(path),
                                        Handle(point.parent), after)) {
        return false;
    }
    SaveTree();
    if (m_active != nullptr) m_manager->ShowItem(Handle(m_active));
    return true;
}

bool CIndexView::DropForeignData(const QMimeData& data, const CInsertionPoint& point) {
    const QList<QUrl> urls = data.urls();
    if (urls.isEmpty()) return false;
    for (const QUrl& url : urls) {
        // Every file goes to the same place; the first that fails ends the drop.
        if (!url.isLocalFile() || !OpenTreeFile(url.toLocalFile(), point)) return false;
    }
    return true;
}

QString CIndexView::DragFilePath(const std::vector<QTreeWidgetItem*>& items) const {
    const QString label = items.empty() ? QString() : items.front()->text(0);
    return QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
        .filePath(QString::fromStdU16String(TreeDragRules::DragFileName(label.toStdU16String())) +
                  QStringLiteral(".jwf"));
}

QVariant CIndexView::RenderData(const QString& mimeType) {
    if (mimeType != QStringLiteral("text/uri-list") || !m_manager)
        return CDragAndDropTreeView::RenderData(mimeType);
    CWaitCursor wait;
    const std::vector<QTreeWidgetItem*> items = CollectTopMostSelected();
    const QString path = DragFilePath(items);
    if (!IsFileRendered()) {
        std::vector<TreeItem> handles;
        handles.reserve(items.size());
        for (QTreeWidgetItem* item : items)
            handles.push_back(Handle(item));
        NoteTreeEngine::CFileHandler handler(*this, *m_manager, std::move(handles));
        if (!handler.WriteTreeFile(m_files, true, ToPath(path))) return {};
        SetFileRendered();
    }
    return QVariant(QList<QVariant>{QUrl::fromLocalFile(path)});
}

void CIndexView::ChangeNotesFolder() {
    const std::u16string folder = NoteTreeEngine::ChooseOtherNotesFolder(m_settings, m_picker);
    if (folder.empty()) return;
    CWaitCursor wait;
    if (!UnloadTree()) return;
    NoteTreeEngine::SetNotesFolder(m_settings, folder);
    LoadTree();
}

void CIndexView::OnSaveTimer() {
    if (!m_policy) return;
    CWaitCursor wait;
    m_policy->OnSaveTimer();
}
