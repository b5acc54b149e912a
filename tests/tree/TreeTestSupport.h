// Trees for the tree tests: built from an indented outline, items found by label, and a view that
// records what it reports ("+B:1 -C:2" for B selected with the mouse, C deselected with the
// keyboard; "drag:B", "menu", "edit:B=text", "edit:B cancelled").
#pragma once

#include <QApplication>
#include <QTreeWidget>
#include <string>
#include <string_view>
#include <vector>

#include "tree/MultiTreeView.h"

namespace TreeTestSupport {

// One item per line; two spaces of indent per level. Every parent ends up expanded but those
// marked with a trailing '+'.
inline void BuildTree(QTreeWidget& tree, std::string_view outline) {
    std::vector<QTreeWidgetItem*> parents, collapsed;
    while (!outline.empty()) {
        const std::size_t end = std::min(outline.find('\n'), outline.size());
        std::string_view line = outline.substr(0, end);
        outline.remove_prefix(std::min(end + 1, outline.size()));
        const std::size_t text = line.find_first_not_of(' ');
        if (text == std::string_view::npos) continue;
        const std::size_t depth = text / 2;
        parents.resize(std::min(parents.size(), depth));
        QString label = QString::fromUtf8(line.substr(text));
        const bool plus = label.endsWith('+');
        if (plus) label.chop(1);
        QTreeWidgetItem* item = parents.empty() ? new QTreeWidgetItem(&tree, {label})
                                                : new QTreeWidgetItem(parents.back(), {label});
        parents.push_back(item);
        if (plus) collapsed.push_back(item);
    }
    tree.expandAll();
    for (QTreeWidgetItem* item : collapsed)
        item->setExpanded(false);
}

inline QTreeWidgetItem* Find(const QTreeWidget& tree, const QString& label) {
    const QList<QTreeWidgetItem*> found =
        tree.findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
}

inline std::string Label(const QTreeWidgetItem* item) {
    return item ? item->text(0).toStdString() : std::string("-");
}

inline std::string Labels(const std::vector<QTreeWidgetItem*>& items) {
    std::string out;
    for (const QTreeWidgetItem* item : items)
        out += (out.empty() ? "" : " ") + Label(item);
    return out;
}

// A tree view that records its notifications. The selection hooks still reach the base class;
// the drag, the context menu and the label edit are only recorded.
template <class Base>
class CRecordingTree : public Base {
public:
    using Base::Base;
    using Base::EditLabel;
    using Base::IsEditingLabel;

    // The notes since the last call.
    std::string TakeNotes() { return std::exchange(m_notes, std::string()); }
    bool m_acceptLabel = true;

protected:
    void OnItemSelected(QTreeWidgetItem* item, SelectCause cause) override {
        Note("+" + Label(item) + ":" + std::to_string(static_cast<int>(cause)));
        Base::OnItemSelected(item, cause);
    }
    void OnItemDeselected(QTreeWidgetItem* item, SelectCause cause) override {
        Note("-" + Label(item) + ":" + std::to_string(static_cast<int>(cause)));
        Base::OnItemDeselected(item, cause);
    }
    void OnBeginDrag(QTreeWidgetItem* item, QPoint /*point*/) override {
        Note("drag:" + Label(item));
    }
    void OnContextMenuRequest(QPoint /*globalPos*/) override { Note("menu"); }
    bool OnEndLabelEdit(QTreeWidgetItem* item, const QString* text) override {
        Note("edit:" + Label(item) + (text ? "=" + text->toStdString() : " cancelled"));
        return m_acceptLabel;
    }

private:
    void Note(const std::string& note) { m_notes += (m_notes.empty() ? "" : " ") + note; }
    std::string m_notes;
};

}  // namespace TreeTestSupport
