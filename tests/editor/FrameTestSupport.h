#pragma once

#include <string>
#include <string_view>

#include "app/MainFrame.h"
#include "editor/NoteScrollView.h"
#include "model/NoteDocument.h"
#include "storage/FolderPicker.h"
#include "tests/support/FakeSettings.h"

// A folder picker that answers with a fixed folder ("" cancels) and counts the questions.
class CFixedPicker final : public NoteTreeEngine::CFolderPicker {
public:
    std::u16string PickFolder(std::u16string_view, std::u16string_view) override {
        ++asked;
        return answer;
    }
    std::u16string answer;
    int asked = 0;
};

// The main frame without a notes folder, its editor showing one empty note.
struct CFrameWithNote {
    TestSupport::CFakeSettings settings;
    CFixedPicker picker;
    NoteEditEngine::CNoteDocument note;
    CMainFrame frame{settings, picker};

    CFrameWithNote() { frame.Editor().AddNote(&note, nullptr); }
    ~CFrameWithNote() { frame.Editor().RemoveNote(&note); }
};
