#pragma once

#include <memory>

#include "editor/NoteScrollView.h"
#include "session/NoteSession.h"
#include "session/ViewShownNotes.h"
#include "storage/FileSystem.h"
#include "tree/IndexView.h"
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

}  // namespace TestSupport
