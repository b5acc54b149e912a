#pragma once

#include <QTreeWidgetItem>

#include "storage/TreePane.h"

// An item of the note tree widget: it stands for one item of the session's note tree, which
// holds the record, the title and the icon.
class CNoteTreeItem final : public QTreeWidgetItem {
public:
    static constexpr int kType = QTreeWidgetItem::UserType + 1;

    explicit CNoteTreeItem(NoteTreeEngine::TreeItem handle)
        : QTreeWidgetItem(kType), m_handle(handle) {}

    [[nodiscard]] NoteTreeEngine::TreeItem Handle() const noexcept { return m_handle; }

    // Every item of the note tree widget is one of these.
    [[nodiscard]] static const CNoteTreeItem& Of(const QTreeWidgetItem* item) {
        return *static_cast<const CNoteTreeItem*>(item);
    }

private:
    NoteTreeEngine::TreeItem m_handle;
};
