#pragma once

#include <string_view>

#include "storage/FolderPicker.h"
#include "storage/Messages.h"

namespace NoteTreeEngine {

// How the session talks to the user: messages, questions and the folder picker. The program's
// implementation shows modal dialogs; tests record and answer.
class CPrompts : public CMessages, public CFolderPicker {
public:
    // A modal question with a warning icon and Yes and No buttons; true for Yes.
    virtual bool AskYesNo(std::u16string_view text, std::u16string_view caption) = 0;
};

}  // namespace NoteTreeEngine
