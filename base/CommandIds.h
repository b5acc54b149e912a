#pragma once

#include "base/Translatable.h"

// Command identifiers shared by menus, toolbars, accelerators and handlers, with the numbers the
// program has always used (they also name the resources of the same ids).

namespace CommandIds {

// Notes and the program.
inline constexpr int kDeleteNote = 32809;
inline constexpr int kNewNote = 32810;
inline constexpr int kNewSubnote = 32811;
inline constexpr int kRename = 32833;
inline constexpr int kSetNotesFolder = 32895;
inline constexpr int kCloseToTray = 32886;
inline constexpr int kExit = 57665;
inline constexpr int kPrint = 57607;
inline constexpr int kPrintDirect = 57608;
inline constexpr int kPrintPreview = 57609;
// The tray menu's: the window back from the tray, and that followed by New Note.
inline constexpr int kOpen = 32890;
inline constexpr int kNewNoteFromTray = 32894;
// Searching every note of the folder, and exporting notes to other formats.
inline constexpr int kFindInAllNotes = 32902;
inline constexpr int kExport = 32903;
// The notes that could not be saved when the program last had to end, brought back.
inline constexpr int kRecoveredNotes = 32904;
// Spell checking on and off, and the submenu of its languages.
inline constexpr int kCheckSpelling = 32905;
inline constexpr int kSpellingLanguage = 32906;
// Moving the keyboard focus between the tree and the editor.
inline constexpr int kNextPane = 57680;
inline constexpr int kPreviousPane = 57681;

// Edit.
inline constexpr int kUndo = 32812;
inline constexpr int kRedo = 32813;
inline constexpr int kCut = 32814;
inline constexpr int kCopy = 32815;
inline constexpr int kPaste = 32816;
inline constexpr int kCopyTextOnly = 32901;
inline constexpr int kSelectAll = 32843;
inline constexpr int kFind = 32821;
inline constexpr int kFindReplace = 156;
inline constexpr int kFindNext = 157;

// View.
inline constexpr int kStandardToolbar = 32858;
inline constexpr int kStyleToolbar = 32859;
inline constexpr int kStatusBar = 59393;
inline constexpr int kTextSizeLargest = 32853;
inline constexpr int kTextSizeLarger = 32854;
inline constexpr int kTextSizeMedium = 32855;
inline constexpr int kTextSizeSmaller = 32856;
inline constexpr int kTextSizeSmallest = 32857;

// Styles.
inline constexpr int kStrong = 32860;
inline constexpr int kHighlight = 32861;
inline constexpr int kComment = 32862;
inline constexpr int kNormal = 32863;
inline constexpr int kHeader1 = 32864;
inline constexpr int kHeader2 = 32865;
inline constexpr int kHeader3 = 32866;
inline constexpr int kPositiveList = 32867;
inline constexpr int kNegativeList = 32868;
inline constexpr int kUncheckedList = 32869;
inline constexpr int kCheckedList = 32870;
inline constexpr int kIndent = 32871;
inline constexpr int kOutdent = 32872;
inline constexpr int kFixedWidth = 32873;

// Help.
inline constexpr int kHelpContents = 32896;
inline constexpr int kHelpIndex = 57666;
inline constexpr int kHelpSearch = 32898;
inline constexpr int kAbout = 57664;

// The idle prompt of the status bar.
inline constexpr const char* kIdlePrompt = JW_TRANSLATE_NOOP("Status", "For Help, press F1");

}  // namespace CommandIds
