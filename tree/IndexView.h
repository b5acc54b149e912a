#pragma once

#include <QIcon>
#include <QString>
#include <array>
#include <functional>
#include <unordered_map>
#include <vector>

#include "commands/CommandTarget.h"
#include "session/NoteSession.h"
#include "session/NoteTreeObserver.h"
#include "tree/DragAndDropTreeView.h"

namespace NoteEditEngine {
class CNoteDocument;
}

// The tree of notes: the left pane of the main window, a view of the session's note tree. Its
// items follow the tree's (inserted, removed, moved, relabelled, the active one in bold); the
// user's selection, renames, deletes, drops and commands go to the session, whose selection
// drives the editor.
class CIndexView final : public CDragAndDropTreeView,
                         public NoteTreeEngine::CNoteTreeObserver,
                         public Commands::ICommandTarget {
    Q_OBJECT

public:
    static constexpr const char* kIdleText = QT_TRANSLATE_NOOP("Status", "For Help, press F1");

    // Borrowed; the session outlives the view.
    explicit CIndexView(NoteTreeEngine::CNoteSession& session, QWidget* parent = nullptr);
    ~CIndexView() override;

    // The editor pane that shows the selected notes: which pane the user works in, and where
    // the focus goes after a new note.
    void SetEditor(QWidget& editor);
    // Where the context menu's commands go: the frame's routing. Without one they come here.
    void SetCommandRouter(std::function<void(int)> router) { m_router = std::move(router); }

    [[nodiscard]] NoteTreeEngine::CNoteSession& Session() noexcept { return m_session; }

    // --- The tree of the notes folder, as the session's operations with the wait cursor.
    bool LoadTree();
    bool SaveTree() { return m_session.SaveTree(); }
    bool UnloadTree();
    [[nodiscard]] bool IsLoaded() const noexcept { return m_session.IsLoaded(); }
    [[nodiscard]] std::filesystem::path NotesFolder() const { return m_session.NotesFolder(); }
    // Imports a tree file under the insertion point (the end of the root level by default).
    bool OpenTreeFile(const QString& path,
                      CInsertionPoint point = {CInsertionPoint::Place::Last, nullptr, nullptr});

    // --- Commands
    void NewNote(bool subnote);
    void Rename();
    void DeleteSelected();
    void ChangeNotesFolder();
    bool OnCommand(int id) override;
    [[nodiscard]] Commands::CommandState QueryCommandState(int id) override;

    // The editor reports the note that holds its caret.
    void NoteBecameCurrent(NoteEditEngine::CNoteDocument* document);
    // True while the tree, not the editor, is the pane the user last worked in.
    [[nodiscard]] bool IsTreeActive() const noexcept { return m_treeActive; }

    [[nodiscard]] QTreeWidgetItem* ActiveItem() const { return ItemOf(m_session.Tree().Active()); }
    [[nodiscard]] NoteTreeEngine::CTreeItemRecord& RecordOf(QTreeWidgetItem* item);
    [[nodiscard]] int IconIndexOf(QTreeWidgetItem* item) const;
    [[nodiscard]] const QIcon& Icon(int index) const { return m_icons.at(size_t(index)); }
    // The item of a note-tree handle (null for none or the root), and back.
    [[nodiscard]] QTreeWidgetItem* ItemOf(NoteTreeEngine::TreeItem handle) const;
    [[nodiscard]] NoteTreeEngine::TreeItem Handle(const QTreeWidgetItem* item) const;

    // --- The note tree's changes
    void OnItemInserted(NoteTreeEngine::TreeItem item) override;
    void OnItemRemoving(NoteTreeEngine::TreeItem item) override;
    void OnItemMoved(NoteTreeEngine::TreeItem item) override;
    void OnItemChanged(NoteTreeEngine::TreeItem item) override;
    void OnSelectionChanged(NoteTreeEngine::TreeItem item, bool selected) override;
    void OnExpandedChanged(NoteTreeEngine::TreeItem item) override;
    void OnActiveChanged(NoteTreeEngine::TreeItem previous,
                         NoteTreeEngine::TreeItem active) override;
    void OnCaretSet(NoteTreeEngine::TreeItem item) override;
    void OnCleared() override;

signals:
    // The information line for the status bar: the item under the mouse, or the idle text.
    void statusTextChanged(const QString& text);

protected:
    void OnItemSelected(QTreeWidgetItem* item, SelectCause cause) override;
    void OnItemDeselected(QTreeWidgetItem* item, SelectCause cause) override;
    bool OnEndLabelEdit(QTreeWidgetItem* item, const QString* text) override;
    void OnContextMenuRequest(QPoint globalPos) override;
    bool DropForeignData(const QMimeData& data, const CInsertionPoint& point) override;
    void MoveItems(const std::vector<QTreeWidgetItem*>& items, const CInsertionPoint& to) override;
    [[nodiscard]] QVariant RenderData(const QString& mimeType) override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    [[nodiscard]] QTreeWidgetItem* LevelOf(NoteTreeEngine::TreeItem parent);
    // The handles of an insertion point: parent and the item to insert after.
    [[nodiscard]] std::pair<NoteTreeEngine::TreeItem, NoteTreeEngine::TreeItem> Place(
        const CInsertionPoint& point) const;
    void ShowLabelAndIcon(QTreeWidgetItem* item, NoteTreeEngine::TreeItem handle);
    // The tree's expansion below (and at) the item, which the widget forgets when rows move.
    void ShowExpansion(NoteTreeEngine::TreeItem item);
    void ActivateEditor();
    // The path of the drag's tree file, named after the first dragged note.
    [[nodiscard]] QString DragFilePath(const std::vector<QTreeWidgetItem*>& items) const;

    NoteTreeEngine::CNoteSession& m_session;
    NoteTreeEngine::CNoteTree& m_tree;
    QWidget* m_editor = nullptr;
    std::function<void(int)> m_router;
    std::unordered_map<NoteTreeEngine::TreeItem, QTreeWidgetItem*> m_items;
    bool m_treeActive = false;
    bool m_editorActiveBeforeEdit = false;
    // By icon index: 0..4 by size, 8..12 the same with children.
    std::array<QIcon, 13> m_icons;
};
