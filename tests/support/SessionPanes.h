#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QTreeWidgetItemIterator>
#include <memory>
#include <string>
#include <vector>

#include "editor/NoteScrollView.h"
#include "session/NoteSession.h"
#include "session/ViewShownNotes.h"
#include "storage/FileSystem.h"
#include "storage/NoteFile.h"
#include "storage/NotesFolderSettings.h"
#include "tests/support/FakeFolderPicker.h"
#include "tests/support/FakeSettings.h"
#include "tests/support/FakeStatusLine.h"
#include "tests/support/ModelTestSupport.h"
#include "tests/support/TempFolder.h"
#include "tree/IndexView.h"
#include "ui/MessageBox.h"
#include "ui/QtPrompts.h"
#include "ui/QtSaveTimer.h"

namespace TestSupport {

// The notes session wired as the main frame wires it (Qt prompts, the save timer, the editor
// showing the selected notes) with the index view and the editor in `window`. The notes are saved
// and the panes deleted before the session goes.
class CSessionPanes {
public:
    CSessionPanes(QWidget& window, NoteTreeEngine::CProfileSettings& settings,
                  NoteTreeEngine::CFolderPicker& picker, NoteTreeEngine::CStatusLine& status)
        : prompts(&window, picker),
          timer([this] { session.OnSaveTimer(); }),
          session(prompts, settings, status, timer, NoteStorage::FileSystem()) {
        view = new CIndexView(session, &window);
        editor = new CNoteScrollView(&window);
        shown = std::make_unique<NoteTreeEngine::CViewShownNotes>(editor->View());
        session.SetShownNotes(shown.get());
        view->SetEditor(*editor);
        QObject::connect(editor, &CNoteScrollView::caretNoteChanged, view,
                         &CIndexView::NoteBecameCurrent);
    }
    ~CSessionPanes() {
        session.Close();
        delete view;
        delete editor;
    }
    CSessionPanes(const CSessionPanes&) = delete;
    CSessionPanes& operator=(const CSessionPanes&) = delete;

    CQtPrompts prompts;
    CQtSaveTimer timer;
    std::unique_ptr<NoteTreeEngine::CViewShownNotes> shown;
    NoteTreeEngine::CNoteSession session;
    CIndexView* view = nullptr;
    CNoteScrollView* editor = nullptr;
};

// One item of a folder to write: its depth (1 for the root level), identifier and note text
// (none: the item has no file).
struct FolderNode {
    int depth;
    std::string id;
    std::string text;
};

// Writes a note file holding the note made from compact text.
inline void WriteNote(const std::filesystem::path& path, std::string_view text) {
    std::u16string xml;
    NoteStorage::WriteNoteFileText(*NoteEditEngine::TestSupport::MakeDocument(text), xml);
    ASSERT_TRUE(NoteStorage::WriteUtf8File(path, xml));
}

// Writes the notes and an index.xml that names them "n<id>", every item expanded.
inline void WriteFolder(const std::filesystem::path& folder, const std::vector<FolderNode>& nodes,
                        bool fixed = false) {
    std::string index = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tree version=\"1.0\">\n";
    int depth = 0;
    for (const FolderNode& node : nodes) {
        for (; depth >= node.depth; --depth)
            index += "</item>\n";
        index += "<item id=\"" + node.id + "\" username=\"n" + node.id + "\" isfixed=\"" +
                 (fixed ? "true" : "false") + "\" isexpanded=\"true\">\n";
        depth = node.depth;
        if (!node.text.empty()) WriteNote(folder / (node.id + ".xml"), node.text);
    }
    for (; depth > 0; --depth)
        index += "</item>\n";
    WriteBytes(folder / "index.xml", index + "</tree>\n");
}

// The panes beside each other in a shown window, on a notes folder of their own; message boxes
// and questions are recorded instead of shown.
class CPanesTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBox::SetSink([this](const QString& text) { messages.push_back(text); });
        MessageBox::SetQuestionSink([this](const QString& text, const QString& caption) {
            questions.push_back(caption + QStringLiteral(": ") + text);
            return answer;
        });
        layout = new QHBoxLayout(&window);
        panes = std::make_unique<CSessionPanes>(window, settings, picker, status);
        view = panes->view;
        editor = panes->editor;
        layout->addWidget(view);
        layout->addWidget(editor);
        window.resize(1000, 600);
        window.show();
        window.activateWindow();
        QApplication::processEvents();
    }
    void TearDown() override {
        // Saved while the messages are still recorded: a box would wait for a click.
        view->UnloadTree();
        panes.reset();
        MessageBox::SetSink({});
        MessageBox::SetQuestionSink({});
    }

    void Load(const std::vector<FolderNode>& nodes) {
        WriteFolder(folder.Path(), nodes);
        NoteTreeEngine::SetNotesFolder(settings, folder.Path().u16string());
        ASSERT_TRUE(view->LoadTree());
    }
    QTreeWidgetItem* Item(const std::string& id) {
        for (QTreeWidgetItemIterator it(view); *it != nullptr; ++it)
            if (view->RecordOf(*it).id == NoteEditEngine::TestSupport::Utf16(id)) return *it;
        return nullptr;
    }
    // The notes the editor shows, in order, as their text.
    std::string Shown() {
        std::string out;
        for (const NoteEditEngine::CNoteDocument* note : editor->View().ShownNotes())
            out += NoteEditEngine::TestSupport::Dump(*note);
        return out;
    }
    bool FocusReally(QWidget& widget) {
        widget.window()->activateWindow();
        QApplication::processEvents();
        widget.setFocus(Qt::MouseFocusReason);
        return QApplication::focusWidget() == &widget;
    }

    CTempFolder folder;
    CFakeSettings settings;
    CFakePicker picker;
    CFakeStatusLine status;
    QWidget window;
    QHBoxLayout* layout = nullptr;
    std::unique_ptr<CSessionPanes> panes;
    CIndexView* view = nullptr;
    CNoteScrollView* editor = nullptr;
    std::vector<QString> messages;
    std::vector<QString> questions;
    bool answer = true;
};

}  // namespace TestSupport
