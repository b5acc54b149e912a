// The index view's files: the notes folder's tree, tree files imported and dropped, the tree file
// a drag offers, and the switch to another notes folder.
#include <QDir>
#include <QMimeData>
#include <QStandardPaths>
#include <QUrl>

#include "tree/DragRules.h"
#include "tree/IndexView.h"
#include "ui/WaitCursor.h"

using NoteTreeEngine::TreeItem;

namespace {

std::filesystem::path ToPath(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

}  // namespace

bool CIndexView::LoadTree() {
    CWaitCursor wait;
    setUpdatesEnabled(false);
    const bool read = m_session.LoadTree();
    if (Caret() == nullptr && FirstRootItem() != nullptr) SetCaret(FirstRootItem());
    if (FirstRootItem() != nullptr) scrollToItem(FirstRootItem());
    setUpdatesEnabled(true);
    return read;
}

bool CIndexView::UnloadTree() {
    CWaitCursor wait;
    return m_session.UnloadTree();
}

bool CIndexView::OpenTreeFile(const QString& path, CInsertionPoint point) {
    if (!IsLoaded()) return false;
    const auto [parent, after] = Place(point);
    CWaitCursor wait;
    return m_session.OpenTreeFile(ToPath(path), parent, after);
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
    if (mimeType != QStringLiteral("text/uri-list") || !IsLoaded())
        return CDragAndDropTreeView::RenderData(mimeType);
    CWaitCursor wait;
    const std::vector<QTreeWidgetItem*> items = CollectTopMostSelected();
    const QString path = DragFilePath(items);
    if (!IsFileRendered()) {
        std::vector<TreeItem> handles;
        handles.reserve(items.size());
        for (QTreeWidgetItem* item : items)
            handles.push_back(Handle(item));
        if (!m_session.WriteTreeFile(handles, ToPath(path))) return {};
        SetFileRendered();
    }
    return QVariant(QList<QVariant>{QUrl::fromLocalFile(path)});
}

void CIndexView::ChangeNotesFolder() {
    const std::u16string folder = m_session.ChooseOtherNotesFolder();
    if (folder.empty()) return;
    CWaitCursor wait;
    setUpdatesEnabled(false);
    if (m_session.SwitchNotesFolder(folder)) {
        if (Caret() == nullptr && FirstRootItem() != nullptr) SetCaret(FirstRootItem());
        if (FirstRootItem() != nullptr) scrollToItem(FirstRootItem());
    }
    setUpdatesEnabled(true);
}
