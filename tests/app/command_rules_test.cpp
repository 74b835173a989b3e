#include "app/command_rules.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "app/command_table.h"

namespace avelor {
namespace {

using StateSetup = std::function<void(CommandState&)>;

void results(CommandState& s)
{
    s.mode = DisplayMode::Results;
    s.results_loaded = true;
}

struct RuleCase {
    const char* name;
    int command;
    StateSetup setup;
    bool allowed;
};

TEST(CommandRules, EnablingFollowsTheModeTheCursorAndTheFiles)
{
    const std::size_t age = static_cast<std::size_t>(project_file_index(cmd::OpenAgeFile));
    const std::size_t weather = static_cast<std::size_t>(project_file_index(cmd::OpenWeatherFile));
    const RuleCase cases[] = {
        {"walls in normal mode", cmd::DrawWalls, [](CommandState&) {}, true},
        {"walls in results mode", cmd::DrawWalls, results, false},
        {"walls in wind pressure mode", cmd::DrawWalls, [](CommandState& s) { s.mode = DisplayMode::WindPressure; },
         false},
        {"delete by coordinates in results mode", cmd::DeleteByCoordinates, results, false},
        {"links tool in normal mode", cmd::DrawLinks, [](CommandState&) {}, true},
        {"level above on the top level", cmd::LevelAbove, [](CommandState&) {}, false},
        {"level above below the top", cmd::LevelAbove, [](CommandState& s) { s.level_above = true; }, true},
        {"top level on the top level", cmd::TopLevel, [](CommandState&) {}, false},
        {"level below above the lowest", cmd::LevelBelow, [](CommandState& s) { s.level_below = true; }, true},
        {"next step in normal mode", cmd::NextTimeStep, [](CommandState&) {}, false},
        {"next step in results mode", cmd::NextTimeStep, results, true},
        {"go to date in results mode", cmd::GoToDateTime, results, true},
        {"results mode without results loaded", cmd::JumpAhead,
         [](CommandState& s) { s.mode = DisplayMode::Results; }, false},
        {"steps through a wind time series", cmd::JumpBack,
         [](CommandState& s) {
             s.mode = DisplayMode::WindPressure;
             s.wind_time_series = true;
         },
         true},
        {"steady wind pressures", cmd::FirstTimeStep, [](CommandState& s) { s.mode = DisplayMode::WindPressure; },
         false},
        {"export in results mode", cmd::ExportResults, results, true},
        {"export in normal mode", cmd::ExportResults, [](CommandState& s) { s.results_loaded = true; }, false},
        {"airflow plot of steady airflow", cmd::PlotAirflow, results, false},
        {"airflow plot of transient airflow", cmd::PlotAirflow,
         [](CommandState& s) {
             results(s);
             s.transient_airflow = true;
         },
         true},
        {"particle plot of transient contaminants", cmd::PlotParticles,
         [](CommandState& s) {
             results(s);
             s.transient_contaminants = true;
         },
         true},
        {"exposure plot without exposures", cmd::PlotExposures, results, false},
        {"temperature plot without zones", cmd::PlotTemperatures,
         [](CommandState& s) {
             results(s);
             s.temperatures = true;
         },
         false},
        {"temperature plot", cmd::PlotTemperatures,
         [](CommandState& s) {
             results(s);
             s.temperatures = s.zones = true;
         },
         true},
        {"larger icons at the largest size", cmd::LargerIcons, [](CommandState&) {}, false},
        {"smaller icons", cmd::SmallerIcons, [](CommandState& s) { s.can_reduce = true; }, true},
        {"weather file pressures without a weather file", cmd::WindWeatherFile, [](CommandState&) {}, false},
        {"weather file pressures", cmd::WindWeatherFile, [](CommandState& s) { s.weather_file_named = true; }, true},
        {"WPC pressures", cmd::WindWpc, [](CommandState& s) { s.wpc_available = true; }, true},
        {"user set pressures", cmd::WindUserSet, [](CommandState&) {}, true},
        {"delete on an empty cell", cmd::Delete, [](CommandState&) {}, false},
        {"delete on an item", cmd::Delete, [](CommandState& s) { s.del = true; }, true},
        {"delete in results mode", cmd::Delete,
         [](CommandState& s) {
             results(s);
             s.del = true;
         },
         false},
        {"delete network on a duct", cmd::DeleteNetwork, [](CommandState& s) { s.delete_network = true; }, true},
        {"copy in results mode", cmd::Copy,
         [](CommandState& s) {
             results(s);
             s.copy = true;
         },
         false},
        {"paste where it fits", cmd::Paste, [](CommandState& s) { s.paste = true; }, true},
        {"zone icon where it fits", cmd::FirstDrawIcon, [](CommandState& s) { s.icons[0] = true; }, true},
        {"annotation where only a zone fits", cmd::FirstDrawIcon + 9, [](CommandState& s) { s.icons[0] = true; },
         false},
        {"icon in results mode", cmd::FirstDrawIcon,
         [](CommandState& s) {
             results(s);
             s.icons[0] = true;
         },
         false},
        {"set origin without pseudo-geometry", cmd::SetOrigin, [](CommandState&) {}, false},
        {"paste level with nothing copied", cmd::PasteLevelBelow, [](CommandState&) {}, false},
        {"zones below while the level below is hidden", cmd::ColourZonesBelow, [](CommandState&) {}, false},
        {"zones below while it is revealed", cmd::ColourZonesBelow, [](CommandState& s) { s.reveal_below = true; },
         true},
        {"an existing result file", cmd::OpenAgeFile, [age](CommandState& s) { s.files[age] = true; }, true},
        {"a missing result file", cmd::OpenAgeFile, [](CommandState&) {}, false},
        {"another file existing", cmd::OpenAchFile, [age](CommandState& s) { s.files[age] = true; }, false},
        {"an existing input file", cmd::OpenWeatherFile, [weather](CommandState& s) { s.files[weather] = true; },
         true},
        {"undo", cmd::Undo, [](CommandState&) {}, false},
        {"open in normal mode", cmd::OpenProject, [](CommandState&) {}, true},
        {"open in results mode", cmd::OpenProject, results, true},
        {"results mode from normal mode", cmd::ResultsMode, [](CommandState&) {}, true},
        {"super elements from normal mode", cmd::SuperElements, [](CommandState&) {}, true},
        {"super elements in results mode", cmd::SuperElements, results, false},
        {"an unknown command", 12345, [](CommandState&) {}, false},
    };
    for (const RuleCase& c : cases) {
        CommandState state;
        c.setup(state);
        EXPECT_EQ(command_allowed(c.command, state), c.allowed) << c.name;
    }
}

TEST(CommandRules, SuperElementEditingLeavesOnlyItsOwnCommandsDelAndTheZoom)
{
    const RuleCase cases[] = {
        {"the command that ends it", cmd::SuperElements, [](CommandState&) {}, true},
        {"open", cmd::OpenProject, [](CommandState&) {}, false},
        {"walls", cmd::DrawWalls, [](CommandState&) {}, false},
        {"links on an unused element", cmd::DrawLinks, [](CommandState&) {}, true},
        {"links on a used element", cmd::DrawLinks, [](CommandState& s) { s.super_element_in_use = true; }, false},
        {"delete on an item", cmd::Delete, [](CommandState& s) { s.del = true; }, true},
        {"delete on a used element", cmd::Delete,
         [](CommandState& s) {
             s.del = true;
             s.super_element_in_use = true;
         },
         false},
        {"larger icons", cmd::LargerIcons, [](CommandState& s) { s.can_enlarge = true; }, true},
        {"level above", cmd::LevelAbove, [](CommandState& s) { s.level_above = true; }, false},
        {"help", cmd::About, [](CommandState&) {}, false},
    };
    for (const RuleCase& c : cases) {
        CommandState state;
        state.super_element_editing = true;
        c.setup(state);
        EXPECT_EQ(command_allowed(c.command, state), c.allowed) << c.name;
    }
}

TEST(CommandRules, ACommandStillToComeIsGreyedWhateverItsRuleSays)
{
    CommandState state;
    state.delete_network = true;
    for (int command : {cmd::Find, cmd::TimeStepAnalysis}) {
        EXPECT_TRUE(command_allowed(command, state)) << command;
        EXPECT_FALSE(command_enabled(command, state)) << command;
    }
    EXPECT_TRUE(command_enabled(cmd::DrawWalls, state));
}

TEST(CommandRules, MarksFollowTheModeTheToolAndTheViewFlags)
{
    struct Case {
        const char* name;
        StateSetup setup;
        std::set<int> checked;  // of the commands below
    };
    const std::set<int> marked = {cmd::NormalMode,   cmd::ResultsMode,      cmd::WindPressureMode, cmd::WindUserSet,
                                  cmd::WindWpc,      cmd::ControlLinks,     cmd::RevealLevelBelow, cmd::ColourZonesBelow,
                                  cmd::DrawWalls,    cmd::DeleteByBox,      cmd::FloatingStatus,   cmd::SketchNavigator,
                                  cmd::ColourZones};
    const Case cases[] = {
        {"at rest", [](CommandState&) {}, {cmd::NormalMode, cmd::WindUserSet}},
        {"results with WPC pressures chosen",
         [](CommandState& s) {
             s.mode = DisplayMode::Results;
             s.wind_type = WindPressureType::Wpc;
         },
         {cmd::ResultsMode, cmd::WindWpc}},
        {"zones below kept while the level below is hidden",
         [](CommandState& s) { s.colour_zones_below = true; },
         {cmd::NormalMode, cmd::WindUserSet}},
        {"zones below with the level below revealed",
         [](CommandState& s) { s.colour_zones_below = s.reveal_below = true; },
         {cmd::NormalMode, cmd::WindUserSet, cmd::RevealLevelBelow, cmd::ColourZonesBelow}},
        {"walls on, links shown, navigator and status box",
         [](CommandState& s) {
             s.mode = DisplayMode::WindPressure;
             s.tool = DrawingTool::Walls;
             s.control_links = s.navigator = s.floating_status = true;
         },
         {cmd::WindPressureMode, cmd::WindUserSet, cmd::DrawWalls, cmd::ControlLinks, cmd::SketchNavigator,
          cmd::FloatingStatus}},
        {"box delete on", [](CommandState& s) { s.tool = DrawingTool::DeleteByBox; },
         {cmd::NormalMode, cmd::WindUserSet, cmd::DeleteByBox}},
    };
    for (const Case& c : cases) {
        CommandState state;
        c.setup(state);
        std::set<int> checked;
        for (int command : marked)
            if (command_checked(command, state)) checked.insert(command);
        EXPECT_EQ(checked, c.checked) << c.name;
    }
}

TEST(CommandRules, ToolSwitching)
{
    using T = DrawingTool;
    struct Case {
        T active, chosen;
        ToolSwitch expected;
    };
    const Case cases[] = {
        {T::None, T::Walls, {T::None, T::Walls, false, false}},
        {T::Walls, T::Walls, {T::Walls, T::None, false, false}},
        {T::Walls, T::Boxes, {T::Walls, T::Boxes, false, false}},
        {T::DeleteByRegion, T::Boxes, {T::DeleteByRegion, T::Boxes, true, false}},
        {T::DeleteByBox, T::DeleteByBox, {T::DeleteByBox, T::None, true, false}},
        {T::Walls, T::Links, {T::Walls, T::Links, false, true}},
        {T::Links, T::Links, {T::Links, T::None, false, false}},
        {T::Ducts, T::None, {T::Ducts, T::None, false, false}},
    };
    for (const Case& c : cases) {
        const ToolSwitch got = switch_tool(c.active, c.chosen);
        EXPECT_EQ(got.leaving, c.expected.leaving);
        EXPECT_EQ(got.active, c.expected.active);
        EXPECT_EQ(got.clear_selection, c.expected.clear_selection);
        EXPECT_EQ(got.control_links_on, c.expected.control_links_on);
    }
    EXPECT_EQ(tool_of_command(cmd::DeleteByBox), T::DeleteByBox);
    EXPECT_EQ(tool_of_command(cmd::DrawLinks), T::Links);
    EXPECT_EQ(tool_of_command(cmd::DeleteByCoordinates), T::None);
}

TEST(CommandRules, ModeChanges)
{
    using M = DisplayMode;
    struct Case {
        M current;
        int command;
        M next;
        bool leave_tools;
    };
    const Case cases[] = {
        {M::Normal, cmd::ResultsMode, M::Results, true},    {M::Results, cmd::NormalMode, M::Normal, false},
        {M::Normal, cmd::NormalMode, M::Normal, false},     {M::Normal, cmd::WindPressureMode, M::WindPressure, true},
        {M::WindPressure, cmd::WindPressureMode, M::Normal, false},
        {M::Results, cmd::WindPressureMode, M::WindPressure, true},
        {M::WindPressure, cmd::ResultsMode, M::Results, true},
    };
    for (const Case& c : cases) {
        const ModeChange got = change_mode(c.current, c.command);
        EXPECT_EQ(got.mode, c.next) << c.command;
        EXPECT_EQ(got.leave_tools, c.leave_tools) << c.command;
    }
}

}  // namespace
}  // namespace avelor
