#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>

// The program's commands, one row each: everything that menus, toolbars, accelerators, the
// context menu and the key handlers need to show and bind a command. The state and the handling
// belong to the target named in the row (see CommandTarget.h); adding a command is adding a row
// here and a case to its target. The style commands come from the styles' own rows
// (model/StyleDescriptors.h), with their places in the Styles menu and the style toolbar.

namespace Commands {

// Who handles a command. The frame routes every command to the active view, then to itself,
// then to the index view, so a row names the usual owner rather than the only one.
enum class Target { Editor, Tree, Frame };
inline constexpr size_t kTargetCount = 3;

inline constexpr size_t kMaxShortcuts = 4;

struct Command {
    int id = 0;
    std::string_view label;  // with its & mnemonic
    std::string_view statusTip;
    // Portable key strings ("Ctrl+Shift+F12"); the first is the one menus show.
    std::array<std::string_view, kMaxShortcuts> shortcuts{};
    Target target = Target::Editor;
    bool checkable = false;
    // The frame binds the keys window-wide so that they work whichever pane has the focus; the
    // other keys belong to their pane's own key handling and menus only name them.
    bool accelerator = false;
    // Its toolbar button's picture: data/icons/toolbar/<icon>.svg, or the desktop theme's icon
    // of that name where there is one.
    std::string_view icon;
    std::string_view themeIcon;
};

// A place in a menu or toolbar that holds a line instead of a command.
inline constexpr int kSeparator = 0;
inline constexpr int kNoParent = -1;

// A menu of the menu bar, or a submenu of the menu at `parent` (an index into MainMenus()),
// appended there after the parent's own items.
struct Menu {
    std::string_view title;
    int parent = kNoParent;
    std::span<const int> items;  // command ids and separators
};

[[nodiscard]] std::span<const Command> AllCommands() noexcept;
// The row of `id`, or nullptr for an id without one.
[[nodiscard]] const Command* FindCommand(int id) noexcept;

[[nodiscard]] std::span<const Menu> MainMenus() noexcept;
[[nodiscard]] std::span<const int> StyleToolbar() noexcept;
[[nodiscard]] std::span<const int> EditorContextMenu() noexcept;
// The note commands of the standard toolbar.
[[nodiscard]] std::span<const int> StandardToolbar() noexcept;
// The tree pane's context menu.
[[nodiscard]] std::span<const int> TreeContextMenu() noexcept;

// The label followed by a tab and the first key, as menus show a key they do not bind.
[[nodiscard]] std::string MenuText(const Command& command);
// The label without its mnemonic marks, for tooltips.
[[nodiscard]] std::string PlainLabel(const Command& command);

}  // namespace Commands
