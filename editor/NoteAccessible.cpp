#include "editor/NoteAccessible.h"

#include <QHash>
#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <QTimer>
#include <algorithm>
#include <limits>
#include <string>

#include "editor/NoteScrollView.h"
#include "editor/TypingCommands.h"
#include "model/NoteUndoHistory.h"
#include "session/DocumentManager.h"

using NoteEditEngine::CNoteDocument;
using NoteEditEngine::CNotePosition;
using NoteLayoutEngine::CaretGeometry;
using NoteLayoutEngine::CNoteView;

namespace {

// The interfaces made so far, by pane; never freed, since the interfaces may outlive static
// destruction (the accessibility cache deletes them at exit).
QHash<const QObject*, CNoteAccessible*>& Made() {
    static auto* made = new QHash<const QObject*, CNoteAccessible*>;
    return *made;
}

QAccessible::UpdateHandler sink = nullptr;

// Someone listens: the platform's bridge while an assistive technology is active, or a sink.
bool Listening() {
    return sink != nullptr || QAccessible::isActive();
}

void Tell(QAccessibleEvent& event) {
    if (sink != nullptr) {
        sink(&event);
    } else {
        QAccessible::updateAccessibility(&event);
    }
}

QAccessibleInterface* MakeInterface(const QString& className, QObject* object) {
    if (className != QLatin1String(CNoteScrollView::staticMetaObject.className())) return nullptr;
    auto* pane = qobject_cast<CNoteScrollView*>(object);
    return pane != nullptr ? new CNoteAccessible(pane) : nullptr;
}

// A shown note inside the pane: named by its title, where it stands on the screen.
class CNoteChild final : public QAccessibleInterface {
public:
    CNoteChild(CNoteAccessible& pane, CNoteDocument* note) : m_pane(pane), m_note(note) {}

    [[nodiscard]] bool isValid() const override { return m_pane.isValid() && m_pane.Shows(m_note); }
    [[nodiscard]] QObject* object() const override { return nullptr; }
    [[nodiscard]] QWindow* window() const override { return m_pane.window(); }
    [[nodiscard]] QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface* parent() const override { return &m_pane; }
    [[nodiscard]] QAccessibleInterface* child(int) const override { return nullptr; }
    [[nodiscard]] int childCount() const override { return 0; }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    [[nodiscard]] QString text(QAccessible::Text kind) const override {
        if (kind != QAccessible::Name || !isValid()) return {};
        return QString::fromStdU16String(NoteTreeEngine::NoteTitle(*m_note));
    }
    void setText(QAccessible::Text, const QString&) override {}
    [[nodiscard]] QRect rect() const override {
        return isValid() ? m_pane.NoteRect(m_note) : QRect();
    }
    [[nodiscard]] QAccessible::Role role() const override { return QAccessible::Section; }
    [[nodiscard]] QAccessible::State state() const override {
        QAccessible::State state;
        state.invisible = !isValid();
        return state;
    }

private:
    CNoteAccessible& m_pane;
    CNoteDocument* m_note;
};

QTextBoundaryFinder::BoundaryType FinderType(QAccessible::TextBoundaryType kind) {
    switch (kind) {
        case QAccessible::WordBoundary:
            return QTextBoundaryFinder::Word;
        case QAccessible::SentenceBoundary:
            return QTextBoundaryFinder::Sentence;
        default:
            return QTextBoundaryFinder::Grapheme;
    }
}

}  // namespace

CNoteAccessible::CNoteAccessible(CNoteScrollView* pane)
    : QAccessibleWidget(pane, QAccessible::EditableText), m_text(pane->View()) {
    Made().insert(pane, this);
    // Changes are told from here on; Qt makes the interface early (a change of the widget's name
    // does), so the text is read now only for a listener.
    if (Listening()) Snapshot();
}

CNoteAccessible::~CNoteAccessible() {
    Made().removeIf([this](const auto& entry) { return entry.value() == this; });
    for (const auto& [note, id] : m_children)
        QAccessible::deleteAccessibleInterface(id);
}

void CNoteAccessible::Install() {
    static const bool installed = [] {
        QAccessible::installFactory(MakeInterface);
        return true;
    }();
    (void)installed;
}

void CNoteAccessible::Forget(CNoteScrollView* pane) {
    const auto made = Made().constFind(pane);
    if (made != Made().constEnd())
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(*made));
}

void CNoteAccessible::SetEventSink(QAccessible::UpdateHandler handler) {
    sink = handler;
}

void CNoteAccessible::Follow(CNoteScrollView* pane) {
    const auto made = Made().constFind(pane);
    if (made == Made().constEnd()) return;
    CNoteAccessible& accessible = **made;
    if (!Listening()) {
        // Nobody to tell: what a later listener is told starts from what it finds.
        accessible.m_toldCurrent = false;
        return;
    }
    if (accessible.m_reportDue) return;
    accessible.m_reportDue = true;
    // Told once the event that changed things is over: an edit of many steps (a paste, a Replace
    // All, a deletion that first moves the caret) is one change, and the text is read once.
    QTimer::singleShot(0, pane, [pane] {
        const auto due = Made().constFind(pane);
        if (due != Made().constEnd()) (*due)->Report();
    });
}

CNoteScrollView& CNoteAccessible::Pane() const {
    return *static_cast<CNoteScrollView*>(widget());
}

// --- Telling what changed ---

CShownNotesText& CNoteAccessible::Shown() const {
    // What a listener reads first is what the changes after it are told against.
    if (!m_toldCurrent && Listening()) Snapshot();
    return m_text;
}

void CNoteAccessible::Snapshot() const {
    m_toldCurrent = true;
    m_toldText = m_text.Text();
    m_toldCaret = cursorPosition();
    selection(0, &m_toldSelection.first, &m_toldSelection.second);
}

void CNoteAccessible::Report() {
    m_reportDue = false;
    if (!m_toldCurrent) {
        SyncChildren();
        Snapshot();
        return;
    }
    if (SyncChildren()) {
        QAccessibleEvent reorder(this, QAccessible::ObjectReorder);
        Tell(reorder);
    }
    const QString now = Shown().Text();
    if (now.constData() != m_toldText.constData()) {
        // What lies between the common start and the common end changed; a text rebuilt for a
        // change of styles alone has none.
        const qsizetype oldSize = m_toldText.size();
        const qsizetype newSize = now.size();
        const QChar* before = m_toldText.constData();
        const QChar* after = now.constData();
        const qsizetype common = std::min(oldSize, newSize);
        const qsizetype head = std::mismatch(before, before + common, after).first - before;
        qsizetype tail = 0;
        while (tail < common - head && before[oldSize - 1 - tail] == after[newSize - 1 - tail])
            ++tail;
        const QString removed = m_toldText.mid(head, oldSize - head - tail);
        const QString inserted = now.mid(head, newSize - head - tail);
        m_toldText = now;
        const int at = static_cast<int>(head);
        if (!removed.isEmpty() && !inserted.isEmpty()) {
            QAccessibleTextUpdateEvent event(this, at, removed, inserted);
            Tell(event);
        } else if (!removed.isEmpty()) {
            QAccessibleTextRemoveEvent event(this, at, removed);
            Tell(event);
        } else if (!inserted.isEmpty()) {
            QAccessibleTextInsertEvent event(this, at, inserted);
            Tell(event);
        }
    }
    const int caret = cursorPosition();
    if (caret != m_toldCaret) {
        m_toldCaret = caret;
        QAccessibleTextCursorEvent event(this, caret);
        Tell(event);
    }
    std::pair<int, int> selected;
    selection(0, &selected.first, &selected.second);
    if (selected != m_toldSelection) {
        m_toldSelection = selected;
        QAccessibleTextSelectionEvent event(this, selected.first, selected.second);
        Tell(event);
    }
}

// --- The interface ---

QAccessible::State CNoteAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = true;
    state.multiLine = true;
    state.selectableText = true;
    state.focusable = true;
    return state;
}

bool CNoteAccessible::SyncChildren() const {
    const std::vector<CNoteDocument*>& shown = Pane().View().ShownNotes();
    if (std::equal(shown.begin(), shown.end(), m_children.begin(), m_children.end(),
                   [](CNoteDocument* note, const auto& child) { return child.first == note; }))
        return false;
    std::vector<std::pair<CNoteDocument*, QAccessible::Id>> children;
    children.reserve(shown.size());
    for (CNoteDocument* note : shown) {
        auto kept = std::find_if(m_children.begin(), m_children.end(),
                                 [note](const auto& child) { return child.first == note; });
        if (kept != m_children.end()) {
            children.push_back(*kept);
            kept->first = nullptr;
        } else {
            auto* child = new CNoteChild(const_cast<CNoteAccessible&>(*this), note);
            children.emplace_back(note, QAccessible::registerAccessibleInterface(child));
        }
    }
    for (const auto& [note, id] : m_children)
        if (note != nullptr) QAccessible::deleteAccessibleInterface(id);
    m_children = std::move(children);
    return true;
}

int CNoteAccessible::childCount() const {
    SyncChildren();
    return static_cast<int>(m_children.size());
}

QAccessibleInterface* CNoteAccessible::child(int index) const {
    SyncChildren();
    if (index < 0 || index >= childCount()) return nullptr;
    return QAccessible::accessibleInterface(m_children[static_cast<size_t>(index)].second);
}

int CNoteAccessible::indexOfChild(const QAccessibleInterface* child) const {
    SyncChildren();
    for (size_t i = 0; i < m_children.size(); ++i)
        if (QAccessible::accessibleInterface(m_children[i].second) == child)
            return static_cast<int>(i);
    return -1;
}

QAccessibleInterface* CNoteAccessible::childAt(int x, int y) const {
    const int offset = offsetAtPoint(QPoint(x, y));
    if (offset < 0) return nullptr;
    const CNoteDocument* note = Shown().PositionAt(offset).Document();
    SyncChildren();
    for (const auto& [shown, id] : m_children)
        if (shown == note) return QAccessible::accessibleInterface(id);
    return nullptr;
}

void* CNoteAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

bool CNoteAccessible::Shows(const CNoteDocument* note) const {
    const std::vector<CNoteDocument*>& shown = Pane().View().ShownNotes();
    return std::find(shown.begin(), shown.end(), note) != shown.end();
}

QRect CNoteAccessible::NoteRect(CNoteDocument* note) const {
    CNoteView& view = Pane().View();
    const CaretGeometry first = view.CaretGeometryOf(note->Start());
    const CaretGeometry last = view.CaretGeometryOf(note->End());
    const int32_t top = first.point.y - first.spaceAbove;
    const int32_t bottom = last.point.y + last.textHeight + last.spaceBelow;
    return ToScreen(0, top, view.ViewWidth(), bottom - top);
}

QRect CNoteAccessible::ToScreen(int32_t x, int32_t treeY, int32_t width, int32_t height) const {
    const QPoint corner = Pane().viewport()->mapToGlobal(QPoint(x, treeY - Pane().ScrollTop()));
    return QRect(corner, QSize(width, height));
}

// --- Text ---

CNotePosition CNoteAccessible::PlaceAt(int offset, bool after) const {
    CNotePosition place = Shown().PositionAt(offset);
    if (!place.IsNull() && place.IsInsidePair()) {
        if (after) {
            place.StepRight();
        } else {
            place.StepLeft();
        }
    }
    return place;
}

void CNoteAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    const CNoteView& view = Pane().View();
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !view.HasSelection()) return;
    *startOffset = Shown().OffsetOf(view.SelectionStart());
    *endOffset = Shown().OffsetOf(view.SelectionEnd());
}

int CNoteAccessible::selectionCount() const {
    return Pane().View().HasSelection() ? 1 : 0;
}

void CNoteAccessible::addSelection(int startOffset, int endOffset) {
    // The view holds one selection: a new one takes its place.
    setSelection(0, startOffset, endOffset);
}

void CNoteAccessible::removeSelection(int selectionIndex) {
    CNoteView& view = Pane().View();
    if (selectionIndex != 0 || !view.HasSelection()) return;
    NoteEditEngine::StartNewUndoGroup();
    view.SetCaret(view.Active(), false, false);
}

void CNoteAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    CNoteView& view = Pane().View();
    if (selectionIndex != 0 || !view.HasNotes()) return;
    NoteEditEngine::StartNewUndoGroup();
    const bool forward = startOffset <= endOffset;
    view.SetSelection(PlaceAt(startOffset, !forward), PlaceAt(endOffset, forward), true);
}

int CNoteAccessible::cursorPosition() const {
    return std::max(0, Shown().OffsetOf(Pane().View().Active()));
}

void CNoteAccessible::setCursorPosition(int position) {
    CNoteView& view = Pane().View();
    if (!view.HasNotes()) return;
    NoteEditEngine::StartNewUndoGroup();
    view.SetCaret(PlaceAt(position, false), false, true);
}

QString CNoteAccessible::text(int startOffset, int endOffset) const {
    const QString& all = Shown().Text();
    if (endOffset < 0 || endOffset > all.size()) endOffset = static_cast<int>(all.size());
    startOffset = std::clamp(startOffset, 0, endOffset);
    return all.mid(startOffset, endOffset - startOffset);
}

int CNoteAccessible::characterCount() const {
    return Shown().Length();
}

std::pair<int, int> CNoteAccessible::UnitAt(int offset, QAccessible::TextBoundaryType kind) const {
    const QString& all = Shown().Text();
    // Every paragraph, the last one too, ends in a line feed.
    const int start = offset == 0 ? 0 : static_cast<int>(all.lastIndexOf(u'\n', offset - 1)) + 1;
    const int feed = static_cast<int>(all.indexOf(u'\n', offset));
    switch (kind) {
        case QAccessible::NoBoundary:
            return {0, static_cast<int>(all.size())};
        case QAccessible::ParagraphBoundary:
            return {start, feed + 1};
        case QAccessible::LineBoundary:
            return RowAt(offset, start, feed + 1);
        default:
            break;
    }
    if (offset == feed) return {feed, feed + 1};
    // Only the paragraph is searched: a finder over the whole of a long note would cost more than
    // the screen reader's question is worth.
    QTextBoundaryFinder finder(FinderType(kind), all.constData() + start, feed - start);
    finder.setPosition(offset - start);
    if (!finder.isAtBoundary()) finder.toPreviousBoundary();
    const qsizetype first = std::max<qsizetype>(finder.position(), 0);
    qsizetype next = finder.toNextBoundary();
    if (next < 0) next = feed - start;
    return {start + static_cast<int>(first), start + static_cast<int>(next)};
}

std::pair<int, int> CNoteAccessible::RowAt(int offset, int paragraphStart, int paragraphEnd) const {
    CNoteView& view = Pane().View();
    const int32_t y = view.CaretGeometryOf(Shown().PositionAt(offset)).point.y;
    int start = Shown().OffsetOf(view.HitTest(0, y));
    // The far right of a row hits the place before its last element (the space it wrapped at,
    // or the line feed of its paragraph).
    int end = Shown().OffsetOf(view.HitTest(std::numeric_limits<int32_t>::max() / 2, y)) + 1;
    if (start < paragraphStart || start > offset) start = paragraphStart;
    if (end <= offset || end > paragraphEnd) end = paragraphEnd;
    if (end < paragraphEnd && Shown().PositionAt(end).IsInsidePair()) ++end;
    return {start, end};
}

QString CNoteAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                      int* startOffset, int* endOffset) const {
    const int count = characterCount();
    if (offset == -1) offset = count;
    *startOffset = *endOffset = -1;
    if (offset < 0 || offset > count) return {};
    if (offset == count) {
        *startOffset = *endOffset = count;
        return {};
    }
    const auto [start, end] = UnitAt(offset, boundaryType);
    *startOffset = start;
    *endOffset = end;
    return text(start, end);
}

QString CNoteAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                          int* startOffset, int* endOffset) const {
    const int count = characterCount();
    if (offset == -1) offset = count;
    *startOffset = *endOffset = -1;
    if (offset < 0 || offset > count) return {};
    const int unitStart = offset == count ? count : UnitAt(offset, boundaryType).first;
    if (unitStart == 0) {
        *startOffset = *endOffset = 0;
        return {};
    }
    return textAtOffset(unitStart - 1, boundaryType, startOffset, endOffset);
}

QString CNoteAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                         int* startOffset, int* endOffset) const {
    const int count = characterCount();
    if (offset == -1) offset = count;
    *startOffset = *endOffset = -1;
    if (offset < 0 || offset > count) return {};
    const int unitEnd = offset == count ? count : UnitAt(offset, boundaryType).second;
    return textAtOffset(unitEnd, boundaryType, startOffset, endOffset);
}

QRect CNoteAccessible::characterRect(int offset) const {
    const QString& all = Shown().Text();
    if (offset < 0 || offset >= all.size()) return {};
    CNoteView& view = Pane().View();
    const CaretGeometry at = view.CaretGeometryOf(Shown().PositionAt(offset));
    int32_t width = 0;
    if (all[offset] != u'\n') {
        const NoteLayoutEngine::Point next = view.PointOf(Shown().PositionAt(offset + 1));
        if (next.y == at.point.y) width = next.x - at.point.x;
    }
    // A line feed, or the character a row wrapped after: a narrow box where it stands.
    if (width <= 0) width = std::max(1, at.textHeight / 4);
    return ToScreen(at.point.x, at.point.y, width, at.textHeight);
}

int CNoteAccessible::offsetAtPoint(const QPoint& point) const {
    CNoteScrollView& pane = Pane();
    const QPoint local = pane.viewport()->mapFromGlobal(point);
    if (!pane.View().HasNotes() || !pane.viewport()->rect().contains(local)) return -1;
    return Shown().OffsetOf(pane.View().HitTest(local.x(), local.y() + pane.ScrollTop()));
}

void CNoteAccessible::scrollToSubstring(int startIndex, int endIndex) {
    CNoteScrollView& pane = Pane();
    CNoteView& view = pane.View();
    if (!view.HasNotes()) return;
    const CaretGeometry first = view.CaretGeometryOf(Shown().PositionAt(startIndex));
    const CaretGeometry last =
        view.CaretGeometryOf(Shown().PositionAt(std::max(startIndex, endIndex)));
    const int32_t top = first.point.y - first.spaceAbove;
    const int32_t bottom = last.point.y + last.textHeight + last.spaceBelow;
    const int32_t height = pane.viewport()->height();
    QScrollBar* bar = pane.verticalScrollBar();
    // Taller than the window: its start comes to the top.
    if (top < bar->value() || bottom - top > height) {
        bar->setValue(top);
    } else if (bottom > bar->value() + height) {
        bar->setValue(bottom - height);
    }
}

QString CNoteAccessible::attributes(int /*offset*/, int* startOffset, int* endOffset) const {
    // No attributes are told: the whole text is one run without any.
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

// --- Editable text ---

void CNoteAccessible::deleteText(int startOffset, int endOffset) {
    replaceText(startOffset, endOffset, QString());
}

void CNoteAccessible::insertText(int offset, const QString& text) {
    replaceText(offset, offset, text);
}

void CNoteAccessible::replaceText(int startOffset, int endOffset, const QString& text) {
    CNoteView& view = Pane().View();
    if (!view.HasNotes()) return;
    if (startOffset > endOffset) std::swap(startOffset, endOffset);
    // One undo step of its own, named as the keyboard's nearest command would be.
    NoteEditEngine::StartNewUndoGroup();
    {
        NoteEditEngine::CActionScope action(text.isEmpty()             ? u"delete_selection"
                                            : startOffset == endOffset ? u"paste"
                                                                       : u"replace");
        view.SetSelection(PlaceAt(startOffset, false), PlaceAt(endOffset, true), false);
        NoteEditor::DeleteSelection(view);
        if (!text.isEmpty())
            view.InsertTextAtCaret(std::u16string_view(
                reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())));
    }
    NoteEditEngine::StartNewUndoGroup();
}
