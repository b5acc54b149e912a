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

#include "ClipboardCommands.h"
#include "ClipboardFormats.h"
#include "CommandIds.h"
#include "FindDialog.h"
#include "MessageBox.h"
#include "NavigationCommands.h"
#include "NoteScrollView.h"
#include "NoteUndoHistory.h"
#include "StyleCommands.h"
#include "TypingCommands.h"

using NoteEditEngine::CharacterStyle;
using NoteEditEngine::CNotePosition;
using NoteEditor::NavigationKey;

namespace {

// The paragraph style that each style command sets or toggles.
int ParagraphStyleOfCommand(int id) {
    using namespace NoteEditEngine;
    switch (id) {
        case CommandIds::kNormal:
            return kNormal;
        case CommandIds::kHeader1:
            return kHeader1;
        case CommandIds::kHeader2:
            return kHeader2;
        case CommandIds::kHeader3:
            return kHeader3;
        case CommandIds::kPositiveList:
            return kPositiveList;
        case CommandIds::kNegativeList:
            return kNegativeList;
        case CommandIds::kUncheckedList:
            return kUncheckedList;
        case CommandIds::kCheckedList:
            return kCheckedList;
        case CommandIds::kFixedWidth:
            return kFixedWidth;
        default:
            return -1;
    }
}

int CharacterBitOfCommand(int id) {
    switch (id) {
        case CommandIds::kStrong:
            return CharacterStyle::kStrong;
        case CommandIds::kHighlight:
            return CharacterStyle::kHighlight;
        case CommandIds::kComment:
            return CharacterStyle::kComment;
        default:
            return -1;
    }
}

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
    const int paragraphStyle = ParagraphStyleOfCommand(id);
    if (paragraphStyle >= 0) {
        if (id == CommandIds::kNormal) {
            NoteEditor::SetParagraphStyle(*this, NoteEditEngine::kNormal);
        } else {
            NoteEditor::ToggleParagraphStyle(*this, static_cast<uint32_t>(paragraphStyle));
        }
        return true;
    }
    const int bit = CharacterBitOfCommand(id);
    if (bit >= 0) {
        NoteEditor::ToggleCharacterStyle(*this, bit);
        return true;
    }
    switch (id) {
        case CommandIds::kIndent:
            NoteEditor::Indent(*this);
            return true;
        case CommandIds::kOutdent:
            NoteEditor::Outdent(*this);
            return true;
        case CommandIds::kUndo:
            NoteEditEngine::StartNewUndoGroup();
            Undo();
            return true;
        case CommandIds::kRedo:
            NoteEditEngine::StartNewUndoGroup();
            Redo();
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
            NoteEditor::SelectAll(*this);
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
        default:
            return false;
    }
}

CNoteScrollView::CommandState CNoteScrollView::QueryCommandState(int id) {
    CommandState state;
    state.handled = true;
    const bool shown = HasNotes();
    const bool editing = m_hasFocus && shown;
    if (id >= NoteEditor::kFirstTextSizeCommand && id <= NoteEditor::kLastTextSizeCommand) {
        state.enabled = true;
        state.checked = id == m_textScale;
        return state;
    }
    const int paragraphStyle = ParagraphStyleOfCommand(id);
    if (paragraphStyle >= 0) {
        state.enabled = editing;
        state.checked =
            editing && NoteEditor::CurrentParagraphStyle(*this) == uint32_t(paragraphStyle);
        return state;
    }
    const int bit = CharacterBitOfCommand(id);
    if (bit >= 0) {
        state.enabled = editing;
        state.checked = editing && Active().TypingStyle().Test(bit);
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
            state.enabled = editing && HasSelection();
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
            state.enabled = editing && CanUndo();
            break;
        case CommandIds::kRedo:
            state.enabled = editing && CanRedo();
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
    if (const auto content = NoteEditor::CopySelection(*this, textOnly))
        PutOnClipboard(*content, textOnly);
}

void CNoteScrollView::Cut() {
    if (const auto content = NoteEditor::CutSelection(*this)) PutOnClipboard(*content, false);
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
        pasted = NoteEditor::Paste(*this, offer);
    } catch (const std::bad_alloc&) {
        // Copying the clipboard's content ran out of memory before anything was changed.
    }
    if (!pasted)
        MessageBox::Show(this, QStringLiteral("The clipboard's content is too large to be pasted."),
                         QMessageBox::Warning);
}

// --- Keys ---

void CNoteScrollView::keyPressEvent(QKeyEvent* event) {
    if (!HasNotes() || !HandleEditingKey(event)) QAbstractScrollArea::keyPressEvent(event);
}

bool CNoteScrollView::HandleEditingKey(QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    // AltGr arrives as Ctrl+Alt on some platforms and as a group switch on others; either way
    // its combinations type characters and are no Ctrl shortcuts.
    const bool altGr = (modifiers & Qt::GroupSwitchModifier) ||
                       ((modifiers & Qt::ControlModifier) && (modifiers & Qt::AltModifier));
    const bool ctrl = (modifiers & Qt::ControlModifier) && !altGr;
    const bool shift = (modifiers & Qt::ShiftModifier) != 0;
    const bool alt = (modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier);
    const int key = event->key();
    const int clientHeight = viewport()->height();

    if (alt) {
        switch (key) {
            case Qt::Key_Left:
                NoteEditor::CycleHeader(*this, false);
                return true;
            case Qt::Key_Right:
                NoteEditor::CycleHeader(*this, true);
                return true;
            case Qt::Key_Up:
                NoteEditor::MoveToNoteStart(*this, shift);
                return true;
            case Qt::Key_Down:
                NoteEditor::MoveToNextNote(*this, shift);
                return true;
            case Qt::Key_Backspace:
                OnCommand(CommandIds::kUndo);
                return true;
            default:
                return false;
        }
    }

    switch (key) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            static constexpr NavigationKey kKeys[] = {
                NavigationKey::Left, NavigationKey::Up,     NavigationKey::Right,
                NavigationKey::Down, NavigationKey::PageUp, NavigationKey::PageDown};
            NavigationKey which = NavigationKey::Home;
            if (key == Qt::Key_Home) {
                which = NavigationKey::Home;
            } else if (key == Qt::Key_End) {
                which = NavigationKey::End;
            } else {
                // Qt numbers Left, Up, Right, Down, PageUp, PageDown consecutively.
                which = kKeys[key - Qt::Key_Left];
            }
            const int32_t dy = NoteEditor::Navigate(*this, which, ctrl, shift, clientHeight);
            if (dy != 0) ScrollBy(dy);
            return true;
        }
        case Qt::Key_F3:
            OnCommand(CommandIds::kFindNext);
            return true;
        case Qt::Key_Insert:
            if (shift) {
                OnCommand(CommandIds::kPaste);
            } else if (ctrl) {
                OnCommand(CommandIds::kCopy);
            }
            return true;
        case Qt::Key_Delete:
            if (shift) {
                OnCommand(CommandIds::kCut);
            } else {
                NoteEditor::DeleteKey(*this);
            }
            return true;
        default:
            break;
    }

    if (ctrl) {
        if (key >= Qt::Key_0 && key <= Qt::Key_9) {
            if (shift) return false;
            // Ctrl+0..7 toggle these styles; 8 and 9 have none.
            using namespace NoteEditEngine;
            static constexpr uint32_t kDigitStyles[] = {kFixedWidth,   kHeader1,       kHeader2,
                                                        kHeader3,      kUncheckedList, kCheckedList,
                                                        kNegativeList, kPositiveList};
            const int digit = key - Qt::Key_0;
            if (digit >= static_cast<int>(std::size(kDigitStyles))) return false;
            NoteEditor::ToggleParagraphStyle(*this, kDigitStyles[digit]);
            return true;
        }
        switch (key) {
            case Qt::Key_Space:
                if (!shift) NoteEditor::SetParagraphStyle(*this, NoteEditEngine::kNormal);
                return true;
            case Qt::Key_B:
            case Qt::Key_J:
            case Qt::Key_I: {
                const int bit = key == Qt::Key_B   ? CharacterStyle::kStrong
                                : key == Qt::Key_J ? CharacterStyle::kHighlight
                                                   : CharacterStyle::kComment;
                if (shift) {
                    NoteEditor::ToggleCharacterStyleOnParagraph(*this, bit);
                } else {
                    NoteEditor::ToggleCharacterStyle(*this, bit);
                }
                return true;
            }
            case Qt::Key_H:
                NoteEditor::CycleHeader(*this, !shift);
                return true;
            case Qt::Key_L:
                NoteEditor::CycleList(*this, !shift);
                return true;
            case Qt::Key_M:
                OnCommand(shift ? CommandIds::kOutdent : CommandIds::kIndent);
                return true;
            case Qt::Key_A:
                if (!shift) OnCommand(CommandIds::kSelectAll);
                return true;
            case Qt::Key_C:
                OnCommand(shift ? CommandIds::kCopyTextOnly : CommandIds::kCopy);
                return true;
            case Qt::Key_X:
                if (!shift) OnCommand(CommandIds::kCut);
                return true;
            case Qt::Key_V:
                if (!shift) OnCommand(CommandIds::kPaste);
                return true;
            case Qt::Key_F:
                OnCommand(shift ? CommandIds::kFindReplace : CommandIds::kFind);
                return true;
            case Qt::Key_Z:
                if (!shift) OnCommand(CommandIds::kUndo);
                return true;
            case Qt::Key_Y:
                if (!shift) OnCommand(CommandIds::kRedo);
                return true;
            default:
                return false;
        }
    }

    // Characters and the keys that type them.
    switch (key) {
        case Qt::Key_Backspace:
            NoteEditor::Backspace(*this);
            return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if (shift || key == Qt::Key_Backtab) {
                NoteEditor::Outdent(*this);
            } else {
                NoteEditor::Indent(*this);
            }
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            NoteEditor::Enter(*this);
            return true;
        case Qt::Key_Escape:
            NoteEditor::Escape(*this);
            return true;
        default:
            break;
    }
    const QString text = event->text();
    bool typed = false;
    for (const QChar c : text) {
        // Control codes that reach here come from key combinations, not from typing.
        if (c.unicode() < 32 || c.unicode() == 127) continue;
        NoteEditor::TypeCharacter(*this, c.unicode());
        typed = true;
    }
    return typed;
}

// --- Mouse ---

void CNoteScrollView::mousePressEvent(QMouseEvent* event) {
    QAbstractScrollArea::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !HasNotes()) return;
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
    switch (
        m_clicks.Press(m_clickClock(), point.x(), point.y(), QApplication::doubleClickInterval())) {
        case CClickCounter::Click::Triple:
            SelectParagraph();
            break;
        case CClickCounter::Click::Double:
            SelectWord();
            break;
        case CClickCounter::Click::Single: {
            const CNotePosition position = HitTest(point.x(), point.y() + ScrollTop());
            SetCaret(position, (event->modifiers() & Qt::ShiftModifier) != 0, true);
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
    if ((event->buttons() & Qt::LeftButton) && HasNotes() && m_clicks.DragExtends()) {
        const QPoint point = event->position().toPoint();
        SetCaret(HitTest(point.x(), point.y() + ScrollTop()), true, true);
    }
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
    QMenu menu(this);
    struct Item {
        const char* text;
        int id;
    };
    static constexpr Item kItems[] = {
        {"&Normal\tCtrl+Space", CommandIds::kNormal},
        {"Header &1\tCtrl+1", CommandIds::kHeader1},
        {"Header &2\tCtrl+2", CommandIds::kHeader2},
        {"Header &3\tCtrl+3", CommandIds::kHeader3},
        {nullptr, 0},
        {"&Unchecked List\tCtrl+4", CommandIds::kUncheckedList},
        {"&Checked List\tCtrl+5", CommandIds::kCheckedList},
        {"Ne&gative List\tCtrl+6", CommandIds::kNegativeList},
        {"&Positive List\tCtrl+7", CommandIds::kPositiveList},
        {"&Fixed Width\tCtrl+0", CommandIds::kFixedWidth},
        {nullptr, 0},
        {"&Indent\tCtrl+M", CommandIds::kIndent},
        {"&Outdent\tCtrl+Shift+M", CommandIds::kOutdent},
        {nullptr, 0},
        {"&Strong\tCtrl+B", CommandIds::kStrong},
        {"&Highlight\tCtrl+J", CommandIds::kHighlight},
        {"Co&mment\tCtrl+I", CommandIds::kComment},
    };
    for (const Item& item : kItems) {
        if (item.text == nullptr) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(QString::fromLatin1(item.text));
        const CommandState state = QueryCommandState(item.id);
        action->setEnabled(state.enabled);
        action->setCheckable(state.checked);
        action->setChecked(state.checked);
        const int id = item.id;
        connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    }
    menu.exec(event->globalPos());
}
