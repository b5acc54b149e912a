#include "tree/DragData.h"

#include "tree/DragAndDropTreeView.h"

CDragData::CDragData(CDragAndDropTreeView* view) : m_view(view) {}

QStringList CDragData::formats() const {
    return {CDragAndDropTreeView::kInternalMimeType, QStringLiteral("text/uri-list")};
}

QVariant CDragData::retrieveData(const QString& mimeType, QMetaType /*preferredType*/) const {
    if (m_view == nullptr || !formats().contains(mimeType)) return {};
    return m_view->RenderForDrag(mimeType);
}
