#pragma once

#include <QIcon>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "commands/CommandTarget.h"
#include "storage/DocumentManager.h"
#include "storage/FileSystem.h"
#include "storage/FolderPicker.h"
#include "storage/NotesFolderStore.h"
#include "storage/ProfileSettings.h"
#include "storage/SavePolicy.h"
#include "storage/SaveTimer.h"
#include "storage/StatusLine.h"
#include "storage/TreePane.h"
#include "tree/DragAndDropTreeView.h"

class CNoteScrollView;
class CNoteTreeItem;

// The tree of notes: the left pane of the main window. Each item holds the record of one note of
// the notes folder; the selection drives the editor (every selected note is shown, in tree order)
// through the document manager, and the save policy decides when the tree and the notes reach the
// disk. It creates, renames, deletes and moves notes, imports and exports tree files, switches the
// notes folder and keeps labels and icons in step with the notes' contents.
//
// Item handles given to storage are the items' pointers; kRootItem stands for the root level.
class CIndexView final : public CDragAndDropTreeView,
                         public NoteTreeEngine::CTreePane,
                         public Commands::ICommandTarget {
    Q_OBJECT

public:
    static constexpr const char* kIdleText = "For Help, press F1";
    static constexpr const char* kDeleteCaption = "Warning";

    // Borrowed; they outlive the view. The editor is told later (SetEditor), before LoadTree.
    CIndexView(NoteTreeEngine::CProfileSettings& settings, NoteTreeEngine::CFolderPicker& picker,
               NoteTreeEngine::CStatusLine& status, QWidget* parent = nullptr,
               NoteStorage::CFileSystem& files = NoteStorage::FileSystem());
    // Saves and unloads a loaded tree.
    ~CIndexView() override;

    // The editor pane that shows the selected notes; its caret reports make the active item.
    void SetEditor(CNoteScrollView& editor);
    // Where the context menu's commands go: the frame's routing. Without one they come here.
    void SetCommandRouter(std::function<void(int)> router) { m_router = std::move(router); }

    // --- The tree of the notes folder ---
    // Loads the tree of the stored notes folder (the editor must be set). False when no folder is
    // stored or its index could not be read (a new tree of its notes is then shown and written).
    bool LoadTree();
    // Writes index.xml (once a tree was loaded); false, after the message, when that failed.
    bool SaveTree();
    // Saves the tree and every note and empties the tree. False, with the tree kept, when a note
    // could not be written anywhere and the user keeps it.
    bool UnloadTree();
    [[nodiscard]] bool IsLoaded() const noexcept { return m_policy != nullptr; }
    // The folder of the loaded tree; empty while none is loaded.
    [[nodiscard]] std::filesystem::path NotesFolder() const {
        return m_store ? m_store->Folder() : std::filesystem::path();
    }
    // Imports a tree file under the insertion point (the end of the root level by default).
    // False, after a message, when it is no tree file or cannot be read.
    bool OpenTreeFile(const QString& path,
                      CInsertionPoint point = {CInsertionPoint::Place::Last, nullptr, nullptr});

    // --- Commands ---
    void NewNote(bool subnote);
    void Rename();
    void DeleteSelected();
    void ChangeNotesFolder();
    bool OnCommand(int id) override;
    [[nodiscard]] Commands::CommandState QueryCommandState(int id) override;

    // The editor reports the note that holds its caret: its item becomes the active item (bold,
    // the tree's caret) and the save timer restarts.
    void NoteBecameCurrent(NoteEditEngine::CNoteDocument* document);
    // True while the tree, not the editor, is the pane the user last worked in.
    [[nodiscard]] bool IsTreeActive() const noexcept { return m_treeActive; }

    // The number of items in the subtrees of the top-most selected items.
    [[nodiscard]] int CountSelectedSubtrees() const;
    [[nodiscard]] QTreeWidgetItem* ActiveItem() const noexcept { return m_active; }
    [[nodiscard]] NoteTreeEngine::CDocumentManager* Manager() noexcept { return m_manager.get(); }
    // The note files of the loaded tree; null while none is loaded.
    [[nodiscard]] const NoteTreeEngine::CNotesFolderStore* Store() const noexcept {
        return m_store.get();
    }
    [[nodiscard]] NoteTreeEngine::CTreeItemRecord& RecordOf(QTreeWidgetItem* item);
    [[nodiscard]] int IconIndexOf(QTreeWidgetItem* item) const;
    [[nodiscard]] const QIcon& Icon(int index) const { return m_icons.at(size_t(index)); }

    // The save timer, reachable so that tests fire it without waiting.
    [[nodiscard]] QTimer& SaveTimer() noexcept { return m_saveTimer; }
    void OnSaveTimer();

    // --- The tree pane as storage sees it ---
    using TreeItem = NoteTreeEngine::TreeItem;
    using CMultiTreeView::IsExpanded;
    using CMultiTreeView::IsSelected;
    using CMultiTreeView::Select;
    using CMultiTreeView::SetCaret;
    TreeItem InsertItem(TreeItem parent, TreeItem after,
                        const NoteTreeEngine::CTreeItemRecord& record) override;
    [[nodiscard]] NoteTreeEngine::CTreeItemRecord& Record(TreeItem item) override;
    void UpdateItem(TreeItem item) override;
    [[nodiscard]] TreeItem Parent(TreeItem item) const override;
    void RefreshItem(TreeItem item, NoteEditEngine::CNoteDocument& document) override;
    [[nodiscard]] std::vector<TreeItem> Children(TreeItem item) const override;
    void Expand(TreeItem item) override;
    [[nodiscard]] bool IsExpanded(TreeItem item) const override;
    void Select(TreeItem item) override;
    [[nodiscard]] bool IsSelected(TreeItem item) const override;
    void SetCaret(TreeItem item) override;
    void ShowMessageBox(std::u16string_view text, NoteTreeEngine::MessageIcon icon,
                        std::u16string_view caption) override;
    bool AskYesNo(std::u16string_view text, std::u16string_view caption) override;

    [[nodiscard]] static TreeItem Handle(const QTreeWidgetItem* item) noexcept;
    [[nodiscard]] static QTreeWidgetItem* ItemOf(TreeItem handle) noexcept;

signals:
    // The information line for the status bar: the item under the mouse, or the idle text.
    void statusTextChanged(const QString& text);
    // The tree of a notes folder was read (LoadTree), or emptied (UnloadTree).
    void treeLoaded();
    void treeUnloaded();

protected:
    void OnItemSelected(QTreeWidgetItem* item, SelectCause cause) override;
    void OnItemDeselected(QTreeWidgetItem* item, SelectCause cause) override;
    bool OnEndLabelEdit(QTreeWidgetItem* item, const QString* text) override;
    void OnContextMenuRequest(QPoint globalPos) override;
    bool DropForeignData(const QMimeData& data, const CInsertionPoint& point) override;
    void BeforeAndAfterMove(bool before) override;
    [[nodiscard]] QVariant RenderData(const QString& mimeType) override;
    [[nodiscard]] QTreeWidgetItem* CopyItem(const QTreeWidgetItem& source) const override;

    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    class CTimerAdapter final : public NoteTreeEngine::CSaveTimer {
    public:
        explicit CTimerAdapter(QTimer& timer) : m_timer(timer) {}
        void Start(int32_t milliseconds) override { m_timer.start(milliseconds); }
        void Stop() override { m_timer.stop(); }

    private:
        QTimer& m_timer;
    };

    [[nodiscard]] QTreeWidgetItem* ParentItem(TreeItem parent);
    // The nearest selected item before `item` in tree order, or null.
    [[nodiscard]] QTreeWidgetItem* PreviousSelected(QTreeWidgetItem* item) const;
    // Loads and shows the item's note in tree order among the notes shown, and refreshes it.
    void ShowNoteOf(QTreeWidgetItem* item);
    void SetActiveItem(QTreeWidgetItem* item);
    // Keeps an item's icon in step with its record and whether it has children.
    void UpdateIcon(QTreeWidgetItem* item);
    // Deselects and deletes the subtree, children first, removing the note files.
    void DeleteSubtree(QTreeWidgetItem* item);
    void ActivateEditor();
    // The path of the drag's tree file, named after the first dragged note.
    [[nodiscard]] QString DragFilePath(const std::vector<QTreeWidgetItem*>& items) const;

    NoteTreeEngine::CProfileSettings& m_settings;
    NoteTreeEngine::CFolderPicker& m_picker;
    NoteTreeEngine::CStatusLine& m_status;
    NoteStorage::CFileSystem& m_files;
    CNoteScrollView* m_editor = nullptr;
    std::function<void(int)> m_router;

    QTimer m_saveTimer;
    CTimerAdapter m_timerAdapter{m_saveTimer};
    // One set per notes folder, in this order of creation (and the reverse of destruction).
    std::unique_ptr<NoteTreeEngine::CNotesFolderStore> m_store;
    std::unique_ptr<NoteTreeEngine::CDocumentManager> m_manager;
    std::unique_ptr<NoteTreeEngine::CSavePolicy> m_policy;

    QTreeWidgetItem* m_active = nullptr;
    NoteEditEngine::CNoteDocument* m_rememberedActive = nullptr;
    bool m_treeActive = false;
    bool m_editorActiveBeforeEdit = false;
    // By icon index: 0..4 by size, 8..12 the same with children.
    std::array<QIcon, 13> m_icons;
};
