#pragma once

#include <QTreeWidgetItem>

#include "storage/TreeItemRecord.h"

// An item of the note tree: it owns the record of its note (identifier, name, flags, size and
// times), which lives and dies with the item and moves with it when a move copies the item.
class CNoteTreeItem final : public QTreeWidgetItem {
public:
    static constexpr int kType = QTreeWidgetItem::UserType + 1;

    explicit CNoteTreeItem(NoteTreeEngine::CTreeItemRecord record)
        : QTreeWidgetItem(kType), m_record(std::move(record)) {}

    [[nodiscard]] NoteTreeEngine::CTreeItemRecord& Record() noexcept { return m_record; }
    [[nodiscard]] const NoteTreeEngine::CTreeItemRecord& Record() const noexcept {
        return m_record;
    }
    // The index of the icon shown (NoteItemText's numbering); -1 before the first.
    [[nodiscard]] int IconIndex() const noexcept { return m_iconIndex; }
    void SetIconIndex(int index) noexcept { m_iconIndex = index; }

    // Every item of the note tree is one of these.
    [[nodiscard]] static CNoteTreeItem& Of(QTreeWidgetItem* item) {
        return *static_cast<CNoteTreeItem*>(item);
    }

private:
    NoteTreeEngine::CTreeItemRecord m_record;
    int m_iconIndex = -1;
};
