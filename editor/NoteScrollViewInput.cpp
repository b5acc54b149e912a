// The pane's keys, mouse, commands and clipboard.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethod>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <iterator>
#include <optional>

#include "base/CommandIds.h"
#include "editor/ClipboardCommands.h"
#include "editor/FindDialog.h"
#include "editor/NavigationCommands.h"
#include "editor/NoteScrollView.h"
#include "editor/StyleCommands.h"
#include "editor/TypingCommands.h"
#include "model/NoteUndoHistory.h"
#include "storage/ClipboardFormats.h"
#include "ui/CommandKeys.h"
#include "ui/MessageBox.h"
#include "ui/WaitCursor.h"

using NoteEditEngine::CNotePosition;
using NoteEditor::NavigationKey;

namespace {

QString HtmlDocument(const std::u16string& fragment) {
    return QStringLiteral(
               "<html><head><meta charset=\"utf-8\"></head><body>\r\n"
               "<!--StartFragment-->") +
           QString::fromStdU16String(fragment) +
           QStringLiteral("<!--EndFragment-->\r\n</body></html>");
}

}  // namespace

// --- Commands ---

bool CNoteScrollView::OnCommand(int id) {
    if (id >= NoteEditor::kFirstTextSizeCommand && id <= NoteEditor::kLastTextSizeCommand) {
        SetTextScale(id);
        return true;
    }
    const int paragraphStyle = NoteEditEngine::ParagraphStyleOfCommand(id);
    if (paragraphStyle >= 0) {
        NoteEditor::ToggleParagraphStyle(m_view, static_cast<uint32_t>(paragraphStyle));
        return true;
    }
    const int bit = NoteEditEngine::CharacterStyleOfCommand(id);
    if (bit >= 0) {
        NoteEditor::ToggleCharacterStyle(m_view, bit);
        return true;
    }
    switch (id) {
        case CommandIds::kIndent:
            NoteEditor::Indent(m_view);
            return true;
        case CommandIds::kOutdent:
            NoteEditor::Outdent(m_view);
            return true;
        case CommandIds::kUndo:
            NoteEditEngine::StartNewUndoGroup();
            m_view.Undo();
            return true;
        case CommandIds::kRedo:
            NoteEditEngine::StartNewUndoGroup();
            m_view.Redo();
            return true;
        case CommandIds::kCut:
            Cut();
            return true;
        case CommandIds::kCopy:
            Copy(false);
            return true;
        case CommandIds::kCopyTextOnly:
            Copy(true);
            return true;
        case CommandIds::kPaste:
            PasteFromClipboard();
            return true;
        case CommandIds::kSelectAll:
            NoteEditor::SelectAll(m_view);
            return true;
        case CommandIds::kFind:
            m_findDialog->ShowFind();
            return true;
        case CommandIds::kFindReplace:
            m_findDialog->ShowFindReplace();
            return true;
        case CommandIds::kFindNext:
            m_findDialog->FindNext();
            return true;
        case CommandIds::kPrint:
            PrintWithDialog();
            return true;
        case CommandIds::kPrintDirect:
            PrintDirect();
            return true;
        case CommandIds::kPrintPreview:
            PrintPreview();
            return true;
        case CommandIds::kCheckSpelling:
            m_spelling.SetOn(!m_spelling.IsOn());
            return true;
        case CommandIds::kSpellingLanguage:  // its submenu chooses
            return true;
        default:
            return false;
    }
}

CNoteScrollView::CommandState CNoteScrollView::QueryCommandState(int id) {
    CommandState state;
    state.handled = true;
    const bool shown = m_view.HasNotes();
    const bool editing = m_hasFocus && shown;
    if (id >= NoteEditor::kFirstTextSizeCommand && id <= NoteEditor::kLastTextSizeCommand) {
        state.enabled = true;
        state.checked = id == m_textScale;
        return state;
    }
    const int paragraphStyle = NoteEditEngine::ParagraphStyleOfCommand(id);
    if (paragraphStyle >= 0) {
        state.enabled = editing;
        state.checked =
            editing && NoteEditor::CurrentParagraphStyle(m_view) == uint32_t(paragraphStyle);
        return state;
    }
    const int bit = NoteEditEngine::CharacterStyleOfCommand(id);
    if (bit >= 0) {
        state.enabled = editing;
        state.checked = editing && m_view.Active().TypingStyle().Test(bit);
        return state;
    }
    switch (id) {
        case CommandIds::kPrint:
        case CommandIds::kPrintDirect:
        case CommandIds::kPrintPreview:
        case CommandIds::kDeleteNote:
        case CommandIds::kSelectAll:
            state.enabled = shown;
            break;
        case CommandIds::kCut:
        case CommandIds::kCopy:
        case CommandIds::kCopyTextOnly:
            state.enabled = editing && m_view.HasSelection();
            break;
        case CommandIds::kPaste:
        case CommandIds::kIndent:
        case CommandIds::kOutdent:
            state.enabled = editing;
            break;
        case CommandIds::kFind:
        case CommandIds::kFindReplace:
            state.enabled = m_hasFocus;
            break;
        case CommandIds::kFindNext:
            state.enabled = m_hasFocus && m_findDialog->HasSearchText();
            break;
        case CommandIds::kUndo:
            state.enabled = editing && m_view.CanUndo();
            break;
        case CommandIds::kRedo:
            state.enabled = editing && m_view.CanRedo();
            break;
        case CommandIds::kCheckSpelling:
        case CommandIds::kSpellingLanguage:
            state.enabled = m_spelling.IsAvailable();
            state.checked = id == CommandIds::kCheckSpelling && m_spelling.IsOn();
            break;
        default:
            state.handled = false;
            break;
    }
    return state;
}

// --- Clipboard ---

namespace {

void PutOnClipboard(const NoteEditor::ClipboardContent& content, bool textOnly) {
    auto* data = new QMimeData;
    data->setText(QString::fromStdU16String(content.plainText));
    if (!textOnly) {
        data->setHtml(HtmlDocument(content.html));
        data->setData(
            QString::fromLatin1(NoteStorage::kPrivateMimeType.data(),
                                qsizetype(NoteStorage::kPrivateMimeType.size())),
            QByteArray(content.privateBytes.data(), qsizetype(content.privateBytes.size())));
    }
    QGuiApplication::clipboard()->setMimeData(data);
}

}  // namespace

void CNoteScrollView::Copy(bool textOnly) {
    if (const auto content = NoteEditor::CopySelection(m_view, textOnly))
        PutOnClipboard(*content, textOnly);
}

void CNoteScrollView::Cut() {
    if (const auto content = NoteEditor::CutSelection(m_view)) PutOnClipboard(*content, false);
}

void CNoteScrollView::PasteFromClipboard() {
    bool pasted = false;
    try {
        NoteEditor::ClipboardOffer offer;
        if (const QMimeData* data = QGuiApplication::clipboard()->mimeData()) {
            const QString privateType =
                QString::fromLatin1(NoteStorage::kPrivateMimeType.data(),
                                    qsizetype(NoteStorage::kPrivateMimeType.size()));
            if (data->hasFormat(privateType)) {
                const QByteArray bytes = data->data(privateType);
                offer.privateBytes = std::string(bytes.constData(), size_t(bytes.size()));
            } else if (data->hasText()) {
                offer.plainText = data->text().toStdU16String();
            }
        }
        // A million characters take the text model alone about a third of a second.
        constexpr size_t kBusyPaste = 1000000;
        std::optional<CWaitCursor> busy;
        if ((offer.plainText && offer.plainText->size() > kBusyPaste) ||
            (offer.privateBytes && offer.privateBytes->size() > kBusyPaste))
            busy.emplace();
        pasted = NoteEditor::Paste(m_view, offer);
    } catch (const std::bad_alloc&) {
        // Copying the clipboard's content ran out of memory before anything was changed.
    }
    if (!pasted)
        MessageBox::Show(this, tr("The clipboard's content is too large to be pasted."),
                         QMessageBox::Warning);
}

// --- Keys ---

void CNoteScrollView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Control)
        ShowLinkAt(viewport()->mapFromGlobal(QCursor::pos()), true);
    if (!m_view.HasNotes() || !HandleEditingKey(event)) QAbstractScrollArea::keyPressEvent(event);
}

void CNoteScrollView::keyReleaseEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Control) viewport()->setCursor(Qt::IBeamCursor);
    QAbstractScrollArea::keyReleaseEvent(event);
}

bool CNoteScrollView::HandleEditingKey(QKeyEvent* event) {
    const NoteEditor::KeyPress press = NoteEditor::ReadKeyPress(*event);
    // Keys bound to commands run them as the menus do.
    if (const int id = NoteEditor::CommandOfKey(press, Commands::Target::Editor); id != 0) {
        OnCommand(id);
        return true;
    }
    if (HandleMoveKey(press.key, press.ctrl, press.shift, press.alt)) return true;
    if (press.alt) return HandleStyleKey(press.key, press.shift, true);
    if (press.ctrl && HandleStyleKey(press.key, press.shift, false)) return true;
    return HandleTypingKey(press.key, press.ctrl, event->text());
}

bool CNoteScrollView::HandleMoveKey(int key, bool ctrl, bool shift, bool alt) {
    if (alt) {
        if (key == Qt::Key_Up) NoteEditor::MoveToNoteStart(m_view, shift);
        if (key == Qt::Key_Down) NoteEditor::MoveToNextNote(m_view, shift);
        return key == Qt::Key_Up || key == Qt::Key_Down;
    }
    NavigationKey which = NavigationKey::Home;
    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            static constexpr NavigationKey kKeys[] = {
                NavigationKey::Left, NavigationKey::Up,     NavigationKey::Right,
                NavigationKey::Down, NavigationKey::PageUp, NavigationKey::PageDown};
            // Qt numbers Left, Up, Right, Down, PageUp, PageDown consecutively.
            which = kKeys[key - Qt::Key_Left];
            break;
        }
        case Qt::Key_Home:
            which = NavigationKey::Home;
            break;
        case Qt::Key_End:
            which = NavigationKey::End;
            break;
        default:
            return false;
    }
    const int32_t dy = NoteEditor::Navigate(m_view, which, ctrl, shift, viewport()->height());
    if (dy != 0) ScrollBy(dy);
    return true;
}

// The style keys that are no menu commands: cycles, and a character style on the whole
// paragraph. Other Ctrl and Alt keys do nothing here.
bool CNoteScrollView::HandleStyleKey(int key, bool shift, bool alt) {
    if (alt) {
        if (key == Qt::Key_Left || key == Qt::Key_Right)
            NoteEditor::CycleHeader(m_view, key == Qt::Key_Right);
        return key == Qt::Key_Left || key == Qt::Key_Right;
    }
    // Shift with a character style's key: that style over the caret's whole paragraph.
    const int bit = NoteEditEngine::CharacterStyleOfCommand(
        shift ? NoteEditor::CommandOfKey({key, true, false, false}, Commands::Target::Editor) : 0);
    if (bit >= 0) {
        NoteEditor::ToggleCharacterStyleOnParagraph(m_view, bit);
        return true;
    }
    switch (key) {
        case Qt::Key_H:
            NoteEditor::CycleHeader(m_view, !shift);
            return true;
        case Qt::Key_L:
            NoteEditor::CycleList(m_view, !shift);
            return true;
        default:
            return false;
    }
}

// Characters and the keys that edit like them. Delete works with Ctrl too; Insert alone does
// nothing but is taken.
bool CNoteScrollView::HandleTypingKey(int key, bool ctrl, const QString& text) {
    if (key == Qt::Key_Insert) return true;
    if (key == Qt::Key_Delete) {
        NoteEditor::DeleteKey(m_view);
        return true;
    }
    if (ctrl) return false;
    switch (key) {
        case Qt::Key_Backspace:
            NoteEditor::Backspace(m_view);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            NoteEditor::Enter(m_view);
            return true;
        case Qt::Key_Escape:
            NoteEditor::Escape(m_view);
            return true;
        default:
            break;
    }
    bool typed = false;
    for (const QChar c : text) {
        // Control codes that reach here come from key combinations, not from typing.
        if (c.unicode() < 32 || c.unicode() == 127) continue;
        NoteEditor::TypeCharacter(m_view, c.unicode());
        typed = true;
    }
    return typed;
}

// --- Mouse ---

void CNoteScrollView::mousePressEvent(QMouseEvent* event) {
    QAbstractScrollArea::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !m_view.HasNotes()) return;
    // The double-click event that follows such a press is the one counted.
    if (event->type() == QEvent::MouseButtonPress &&
        (event->flags() & Qt::MouseEventCreatedDoubleClick))
        return;
    // A composition in progress ends where it is before the caret moves.
    if (!m_preedit.isEmpty()) {
        QGuiApplication::inputMethod()->commit();
        SetPreedit(QString(), 0);
    }
    NoteEditEngine::StartNewUndoGroup();
    const QPoint point = event->position().toPoint();
    // Ctrl+click opens a link and leaves the caret where it is.
    if ((event->modifiers() & Qt::ControlModifier) && event->type() == QEvent::MouseButtonPress &&
        OpenLinkAt(point))
        return;
    // A plain click on a check box ticks it or clears it, however quickly it follows another.
    if ((event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) == 0) {
        const CNotePosition box = m_view.CheckBoxAt(point.x(), point.y() + ScrollTop());
        if (!box.IsNull()) {
            NoteEditor::ToggleCheckBox(m_view, box);
            return;
        }
    }
    switch (
        m_clicks.Press(m_clickClock(), point.x(), point.y(), QApplication::doubleClickInterval())) {
        case CClickCounter::Click::Triple:
            m_view.SelectParagraph();
            break;
        case CClickCounter::Click::Double:
            m_view.SelectWord();
            break;
        case CClickCounter::Click::Single: {
            const CNotePosition position = m_view.HitTest(point.x(), point.y() + ScrollTop());
            m_view.SetCaret(position, (event->modifiers() & Qt::ShiftModifier) != 0, true);
            break;
        }
    }
}

void CNoteScrollView::mouseDoubleClickEvent(QMouseEvent* event) {
    // Widgets get the second press of a double click only as this event; the pane counts the
    // presses itself.
    mousePressEvent(event);
}

void CNoteScrollView::mouseMoveEvent(QMouseEvent* event) {
    QAbstractScrollArea::mouseMoveEvent(event);
    if ((event->buttons() & Qt::LeftButton) && m_view.HasNotes() && m_clicks.DragExtends()) {
        const QPoint point = event->position().toPoint();
        m_view.SetCaret(m_view.HitTest(point.x(), point.y() + ScrollTop()), true, true);
    }
    if (!ShowLinkAt(event->position().toPoint(), event->modifiers() & Qt::ControlModifier))
        UpdateStatusText();
}

namespace {

// Adds `amount` to a running total and takes out the whole units that it now holds (toward
// zero), keeping the rest for the next event. Turning back drops what was left the other way.
int TakeWholeUnits(int& total, int amount, int unit) {
    if ((total > 0 && amount < 0) || (total < 0 && amount > 0)) total = 0;
    total += amount;
    const int whole = total / unit;
    total -= whole * unit;
    return whole;
}

}  // namespace

void CNoteScrollView::wheelEvent(QWheelEvent* event) {
    event->accept();
    const int lines = QApplication::wheelScrollLines();
    const bool pages = lines <= 0 || lines > 1000;
    QScrollBar* bar = verticalScrollBar();
    // Touchpads send many small steps, often in pixels; they add up until they make a line.
    const int pixels = event->pixelDelta().y();
    int steps = 0;  // lines (or pages) up; negative down
    if (pixels != 0 && !pages) {
        steps = TakeWholeUnits(m_wheelPixels, pixels, std::max(1, bar->singleStep()));
    } else {
        const int delta = event->angleDelta().y();
        steps = TakeWholeUnits(m_wheelAngle, pages ? delta : lines * delta, 120);
    }
    if (steps == 0) return;
    if (pages) {
        for (int i = 0; i < std::abs(steps); ++i)
            bar->triggerAction(steps > 0 ? QAbstractSlider::SliderPageStepSub
                                         : QAbstractSlider::SliderPageStepAdd);
    } else {
        bar->setValue(bar->value() - steps * bar->singleStep());
    }
}

void CNoteScrollView::contextMenuEvent(QContextMenuEvent* event) {
    const std::unique_ptr<QMenu> menu = ContextMenuAt(event->reason() == QContextMenuEvent::Mouse
                                                          ? std::optional<QPoint>(event->pos())
                                                          : std::nullopt);
    menu->exec(event->globalPos());
}

std::unique_ptr<QMenu> CNoteScrollView::ContextMenuAt(std::optional<QPoint> point) {
    auto menu = std::make_unique<QMenu>(this);
    for (const int id : Commands::EditorContextMenu()) {
        const Commands::Command* command = Commands::FindCommand(id);
        if (command == nullptr) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(NoteEditor::MenuTextOf(*command));
        const CommandState state = QueryCommandState(id);
        action->setEnabled(state.enabled);
        action->setCheckable(state.checked);
        action->setChecked(state.checked);
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    }
    if (m_view.HasNotes()) AddSpellingItems(*menu, point);
    return menu;
}
