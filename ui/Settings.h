#pragma once

// How to add a setting: give it a key below (section, value name as it is to be written, and its
// default), then read it with Settings::Read and write it with Settings::Write where it is used.
// Never change a section or a value name, not even its case: users' files keep their values under
// the names written so far (reading matches names without regard to case, and a write keeps the
// stored spelling).

#include <string>
#include <string_view>

// Every value the program keeps in the user's settings store, listed once, with typed access.
namespace Settings {

// The owner and the name of the store (~/.config/OrvaneInc/Jotwell.conf here), and the names the
// program gives itself.
inline constexpr char kOrganization[] = "OrvaneInc";
inline constexpr char kApplication[] = "Jotwell";

// An integer value and what reading gives where none (or no number) is stored.
struct IntKey {
    const char* section;
    const char* name;
    int defaultValue;
};

// A string value; reading gives "" where none is stored.
struct TextKey {
    const char* section;
    const char* name;
};

// The notes folder.
inline constexpr TextKey kNotesFolder{"NoteStore", "NoteStorePath"};
// How many notes went to recovery files when the program last ended without asking (0: none).
inline constexpr IntKey kRecoveredAtEnd{"NoteStore", "RecoveredAtEnd", 0};
// The editor's text size, 0 (smallest) to 4.
inline constexpr IntKey kTextScale{"TextFormatting", "Scale", 2};
// Spell checking on (1) or off (0), and the language of its dictionary (by default the locale's).
inline constexpr IntKey kCheckSpelling{"TextFormatting", "CheckSpelling", 1};
inline constexpr TextKey kSpellingLanguage{"TextFormatting", "SpellingLanguage"};
// The main window: 2 in Flags brings a minimised window back maximised; ShowCmd 0 hidden,
// 1 normal, 2 minimised, 3 maximised; X1, Y1, X2, Y2 the normal rectangle's left, top, right and
// bottom (by default the window's own, given where it is read).
inline constexpr IntKey kWindowFlags{"WindowState", "Flags", 0};
inline constexpr IntKey kWindowShowCmd{"WindowState", "ShowCmd", 1};
inline constexpr IntKey kWindowLeft{"WindowState", "X1", 0};
inline constexpr IntKey kWindowTop{"WindowState", "Y1", 0};
inline constexpr IntKey kWindowRight{"WindowState", "X2", 0};
inline constexpr IntKey kWindowBottom{"WindowState", "Y2", 0};
// The splitter's panes: widths (by default 30 % and 70 % of the window, given where they are read)
// and minimum widths.
inline constexpr IntKey kLeftWidth{"SplitterState", "LeftWidth", 0};
inline constexpr IntKey kLeftMinWidth{"SplitterState", "LeftMinWidth", 50};
inline constexpr IntKey kRightWidth{"SplitterState", "RightWidth", 0};
inline constexpr IntKey kRightMinWidth{"SplitterState", "RightMinWidth", 50};
// Whether each bar and the Find in All Notes pane is shown (1) or hidden (0).
inline constexpr IntKey kStandardBarVisible{"ToolbarState", "StandardVisible", 1};
inline constexpr IntKey kStyleBarVisible{"ToolbarState", "StyleVisible", 1};
inline constexpr IntKey kStatusBarVisible{"ToolbarState", "StatusVisible", 1};
inline constexpr IntKey kSearchPaneVisible{"ToolbarState", "SearchPaneVisible", 0};

// The stored value, else the key's default (or `defaultValue`, for a default known only where the
// value is read).
[[nodiscard]] int Read(const IntKey& key);
[[nodiscard]] int Read(const IntKey& key, int defaultValue);
[[nodiscard]] std::u16string Read(const TextKey& key);
// Stores the value under the name already stored in another case, else under the key's name.
void Write(const IntKey& key, int value);
void Write(const TextKey& key, std::u16string_view value);

// While one lives, reads and writes share one open settings file, written out once when the
// outermost ends: alone, every write rewrites and syncs the whole file, a dozen of them at exit.
// For the user-interface thread only.
class CBatch {
public:
    CBatch();
    ~CBatch();
    CBatch(const CBatch&) = delete;
    CBatch& operator=(const CBatch&) = delete;

private:
    bool m_outermost = false;
};

}  // namespace Settings
