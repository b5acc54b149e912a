#pragma once

#include <string>
#include <string_view>

#include "app/MainFrame.h"
#include "editor/NoteScrollView.h"
#include "model/NoteDocument.h"
#include "storage/FolderPicker.h"
#include "tests/support/FakeFolderPicker.h"
#include "tests/support/FakeSettings.h"

// The main frame without a notes folder, its editor showing one empty note.
struct CFrameWithNote {
    TestSupport::CFakeSettings settings;
    TestSupport::CFakePicker picker;
    NoteEditEngine::CNoteDocument note;
    CMainFrame frame{settings, picker};

    CFrameWithNote() { frame.Editor().View().AddNote(&note, nullptr); }
    ~CFrameWithNote() { frame.Editor().View().RemoveNote(&note); }
};
