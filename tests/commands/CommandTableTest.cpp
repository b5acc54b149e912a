// The command table as every menu, toolbar and key handler reads it.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <string_view>

#include "base/CommandIds.h"
#include "commands/CommandTable.h"

namespace {

using namespace Commands;

// A key string in the portable form: the modifiers Ctrl, Alt, Shift at most once each and in
// that order, then one key name.
bool IsPortableKey(std::string_view keys) {
    static constexpr std::string_view kModifiers[] = {"Ctrl+", "Alt+", "Shift+"};
    for (const std::string_view modifier : kModifiers)
        if (keys.starts_with(modifier)) keys.remove_prefix(modifier.size());
    return !keys.empty() && keys.find('+') == std::string_view::npos;
}

TEST(CommandTableTest, EveryCommandHasOneRowAndEveryKeyOneCommand) {
    std::set<int> ids;
    std::set<std::string_view> keys;
    for (const Command& command : AllCommands()) {
        EXPECT_TRUE(ids.insert(command.id).second) << command.id;
        EXPECT_NE(command.id, kSeparator);
        EXPECT_EQ(std::count(command.label.begin(), command.label.end(), '&'), 1) << command.label;
        EXPECT_FALSE(command.statusTip.empty()) << command.label;
        bool ended = false;
        for (const std::string_view key : command.shortcuts) {
            // The keys fill the row from the front, so the first is the one shown.
            if (key.empty()) {
                ended = true;
                continue;
            }
            EXPECT_FALSE(ended) << command.label;
            EXPECT_TRUE(IsPortableKey(key)) << key;
            EXPECT_TRUE(keys.insert(key).second) << key << " is bound twice";
        }
        EXPECT_EQ(FindCommand(command.id), &command);
    }
    EXPECT_EQ(FindCommand(kSeparator), nullptr);
}

TEST(CommandTableTest, MenusAndToolbarsHoldOnlyCommandsOfTheTable) {
    std::multiset<int> inMenuBar;
    const auto menus = MainMenus();
    for (size_t i = 0; i < menus.size(); ++i) {
        // A submenu is built into a menu that already exists.
        EXPECT_LT(menus[i].parent, int(i)) << menus[i].title;
        for (const int id : menus[i].items)
            if (id != kSeparator) inMenuBar.insert(id);
    }
    const struct {
        const char* name;
        std::span<const int> items;
    } kPlaces[] = {{"style toolbar", StyleToolbar()},
                   {"context menu", EditorContextMenu()},
                   {"standard toolbar", StandardToolbar()},
                   {"tree context menu", TreeContextMenu()}};
    for (const auto& place : kPlaces) {
        for (const int id : place.items) {
            if (id == kSeparator) continue;
            ASSERT_NE(FindCommand(id), nullptr) << place.name << " " << id;
            // The toolbar's Print prints without asking; the menu's asks first.
            if (id == CommandIds::kPrintDirect) continue;
            EXPECT_TRUE(inMenuBar.contains(id)) << place.name << " " << id;
        }
    }
    for (const int id : inMenuBar) {
        EXPECT_EQ(inMenuBar.count(id), 1u) << id;
        EXPECT_NE(FindCommand(id), nullptr) << id;
    }
}

}  // namespace
