#include "app/command_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "app/command_rules.h"

namespace avelor {
namespace {

TEST(CommandTable, EveryCommandOnceInAKnownMenu)
{
    std::set<std::string_view> titles;
    for (const MenuEntry& menu : menu_entries()) {
        EXPECT_FALSE(menu.hint.empty()) << menu.title;
        titles.insert(menu.title);
    }
    std::set<int> seen;
    for (const CommandEntry& entry : command_entries()) {
        if (entry.command == 0) continue;
        EXPECT_TRUE(seen.insert(entry.command).second) << entry.command;
        EXPECT_FALSE(entry.caption.empty()) << entry.command;
        // Only the toolbar's own button stands outside the menus.
        if (entry.menu.empty())
            EXPECT_EQ(entry.command, cmd::Undo);
        else
            EXPECT_TRUE(titles.contains(entry.menu)) << entry.command;
    }
    // Every file the open items name has its row.
    for (const ProjectFileItem& item : project_file_items()) EXPECT_NE(find_command(item.command), nullptr);
}

TEST(CommandTable, ToolbarButtonsCarryTheirNumbersAndTooltips)
{
    std::set<int> numbers;
    for (const ToolButton& button : tool_buttons()) {
        if (button.button == 0) continue;
        EXPECT_TRUE(numbers.insert(button.button).second) << button.button;
        EXPECT_NE(find_command(button.command), nullptr) << button.button;
    }
    std::set<int> expected;
    for (int n = 1; n <= 15; ++n) expected.insert(n);
    for (int n = 42; n <= 51; ++n) expected.insert(n);
    EXPECT_EQ(numbers, expected);

    const std::pair<int, const char*> cases[] = {
        {cmd::NewProject, "New Project File"},
        {cmd::Undo, "Undo"},
        {cmd::DrawWalls, "Draw Walls"},
        {cmd::DrawLinks, "Draw Controls"},
        {cmd::Replace, "Find and Replace (Not available in this version)"},
        {cmd::FirstTimeStep, "Go to the first time step"},
        {cmd::LastTimeStep, "Go to last time step"},
    };
    for (const auto& [command, tooltip] : cases) {
        const ToolButton* button = find_tool_button(command);
        ASSERT_NE(button, nullptr) << tooltip;
        EXPECT_EQ(tooltip_text(*button), tooltip);
    }
    EXPECT_EQ(find_tool_button(cmd::Exit), nullptr);
}

TEST(CommandTable, NoTwoKeysOfTheWindowAlike)
{
    // The table's keys, the desktop habit's and the Alt key of every
    // top-level menu's mnemonic.
    std::map<std::string, std::string> owner;
    auto claim = [&owner](const std::string& key, std::string_view who) {
        const auto [at, fresh] = owner.emplace(key, std::string(who));
        EXPECT_TRUE(fresh) << key << " of " << who << " and of " << at->second;
    };
    for (const CommandEntry& entry : command_entries()) {
        if (!entry.keys.empty()) claim(std::string(entry.keys), entry.caption);
        if (!entry.desktop_keys.empty()) claim(std::string(entry.desktop_keys), entry.caption);
    }
    for (const MenuEntry& menu : menu_entries()) {
        const char letter = mnemonic_of(menu.title);
        ASSERT_NE(letter, 0) << menu.title;
        claim(std::string("Alt+") + letter, menu.title);
    }
    // The accelerators that kept their keys against a menu's first letter.
    for (const char* key : {"Alt+L", "Alt+D", "Alt+W", "Alt+N", "Alt+R"}) EXPECT_TRUE(owner.contains(key)) << key;
}

TEST(CommandTable, Mnemonics)
{
    EXPECT_EQ(mnemonic_of("Le&vel"), 'V');
    EXPECT_EQ(mnemonic_of("&File"), 'F');
    EXPECT_EQ(mnemonic_of("Salt && &Pepper"), 'P');
    EXPECT_EQ(mnemonic_of("none"), 0);
}

}  // namespace
}  // namespace avelor
