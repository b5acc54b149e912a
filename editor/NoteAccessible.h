#pragma once

#include <QAccessibleWidget>
#include <QString>
#include <utility>
#include <vector>

#include "editor/ShownNotesText.h"

class CNoteScrollView;

// What assistive technology sees of the editor pane: one multi-line editable text holding the
// shown notes (see CShownNotesText for the offsets), with the view's caret and selection, and
// one child per shown note named by its title. Edits made through it are the view's own editing
// commands, so they are undone like typing.
class CNoteAccessible final : public QAccessibleWidget,
                              public QAccessibleTextInterface,
                              public QAccessibleEditableTextInterface {
public:
    explicit CNoteAccessible(CNoteScrollView* pane);
    ~CNoteAccessible() override;

    // Lets assistive technology ask for the editor panes through this interface.
    static void Install();
    // Tells assistive technology, once the current event is handled, what changed in the pane
    // since it was last told: text inserted or removed, notes shown or hidden, the caret, the
    // selection. Costs nothing while no assistive technology is active.
    static void Follow(CNoteScrollView* pane);
    // Drops the pane's interface while the pane goes, before its view does: what Qt asks about
    // it later, while its base classes go, a plain widget's interface answers.
    static void Forget(CNoteScrollView* pane);
    // Sends the events to `handler` instead of Qt's bridge (null: to the bridge again), for tests:
    // the offscreen platform has no bridge, and Qt drops every event while none is active.
    static void SetEventSink(QAccessible::UpdateHandler handler);

    // --- The interface ---

    [[nodiscard]] QAccessible::Role role() const override { return QAccessible::EditableText; }
    [[nodiscard]] QAccessible::State state() const override;
    using QAccessibleWidget::text;
    [[nodiscard]] int childCount() const override;
    [[nodiscard]] QAccessibleInterface* child(int index) const override;
    [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override;
    [[nodiscard]] QAccessibleInterface* childAt(int x, int y) const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // --- Text ---

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    [[nodiscard]] int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    [[nodiscard]] int cursorPosition() const override;
    void setCursorPosition(int position) override;
    [[nodiscard]] QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int* startOffset, int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int* startOffset, int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
                         int* endOffset) const override;
    [[nodiscard]] int characterCount() const override;
    [[nodiscard]] QRect characterRect(int offset) const override;
    [[nodiscard]] int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // --- Editable text ---

    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

    // For the notes' children: is the note still shown, and its rectangle on the screen.
    [[nodiscard]] bool Shows(const NoteEditEngine::CNoteDocument* note) const;
    [[nodiscard]] QRect NoteRect(NoteEditEngine::CNoteDocument* note) const;

private:
    [[nodiscard]] CNoteScrollView& Pane() const;
    // The unit of the kind that holds the offset, as [start, end); the line feed that ends a
    // paragraph is a unit of its own for characters, words and sentences.
    [[nodiscard]] std::pair<int, int> UnitAt(int offset, QAccessible::TextBoundaryType kind) const;
    [[nodiscard]] std::pair<int, int> RowAt(int offset, int paragraphStart, int paragraphEnd) const;
    // The place at an offset, moved off the middle of a surrogate pair to the pair's start (or,
    // with `after`, its end).
    [[nodiscard]] NoteEditEngine::CNotePosition PlaceAt(int offset, bool after) const;
    [[nodiscard]] QRect ToScreen(int32_t x, int32_t treeY, int32_t width, int32_t height) const;
    // Makes the children those of the notes shown now; true when they changed.
    bool SyncChildren() const;
    // The text, taking what a listener reads first as what it was told.
    [[nodiscard]] CShownNotesText& Shown() const;
    void Snapshot() const;
    void Report();

    mutable CShownNotesText m_text;
    // The shown notes and the ids of their children.
    mutable std::vector<std::pair<NoteEditEngine::CNoteDocument*, QAccessible::Id>> m_children;
    bool m_reportDue = false;
    // What assistive technology was told last (or read first); not current while nobody listened.
    mutable bool m_toldCurrent = false;
    mutable QString m_toldText;
    mutable int m_toldCaret = -1;
    mutable std::pair<int, int> m_toldSelection{-1, -1};
};
