// Which commands of the main window may be chosen and which carry a mark,
// as pure functions of a plain picture of the application's state; the
// drawing tools' switching and the display modes' changes. The window
// fills a CommandState from its session whenever a menu opens or the state
// changes, and only binds the answers to its menu items and buttons.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace avelor {

// The SketchPad's display mode.
enum class DisplayMode { Normal, Results, WindPressure };

// The drawing tools; at most one is active.
enum class DrawingTool { None, Walls, Boxes, Ducts, Links, DeleteByRegion, DeleteByBox };

// Where the wind pressures of wind pressure mode come from.
enum class WindPressureType { UserSet, WeatherFile, Wpc };

// The files "Open Project Input Files" and "Open Project Result Files"
// open, in menu order: the command, and for a file beside the project its
// extension (input files the project names have none).
struct ProjectFileItem {
    int command = 0;
    bool result = false;        // a result file of the engine, or the program's log
    std::string_view extension;  // ".age"; empty where the project names the file
};
std::span<const ProjectFileItem> project_file_items();
inline constexpr std::size_t kProjectFileCount = 17;
// The position of a command in project_file_items(), or -1.
int project_file_index(int command);

struct CommandState {
    DisplayMode mode = DisplayMode::Normal;
    DrawingTool tool = DrawingTool::None;
    WindPressureType wind_type = WindPressureType::UserSet;
    // The private sketch of a control super element is being edited; the
    // element chosen is used by super nodes, so its sketch must not change.
    bool super_element_editing = false;
    bool super_element_in_use = false;

    // Levels: one above (below) the current level; a copied level to paste.
    bool level_above = false;
    bool level_below = false;
    bool paste_level = false;
    // The cell size can grow (shrink).
    bool can_enlarge = false;
    bool can_reduce = false;

    // View flags.
    bool control_links = false;
    bool reveal_below = false;
    bool colour_zones_below = false;
    bool floating_status = false;
    bool navigator = false;
    bool results_window = false;
    bool pseudo_geometry = false;  // the project shows pseudo-geometry (Set Origin)

    // Results: loaded for the project (results mode open), and what they hold.
    bool results_loaded = false;
    bool transient_airflow = false;
    bool transient_contaminants = false;
    bool exposures = false;         // the project has exposures
    bool zones = false;             // the project has zones
    bool temperatures = false;      // the results hold computed temperatures
    bool wind_time_series = false;  // wind pressure mode can step through time

    // The wind pressure sources that can be chosen.
    bool weather_file_named = false;
    bool wpc_available = false;  // the wp switch is on and the WPC file exists

    // What the cursor cell allows (the edit menu state of the editor).
    std::array<bool, 10> icons{};  // the "Draw Icon" items in order
    bool cut = false;
    bool copy = false;
    bool paste = false;
    bool del = false;             // the cell holds anything, or a delete tool is on
    bool delete_network = false;  // the cell holds a duct or link piece

    // Which of project_file_items() exist, in that order.
    std::array<bool, kProjectFileCount> files{};
};

// The rule alone: whether the state allows the command, built or not.
bool command_allowed(int command, const CommandState& state);
// What the menu item shows: built and allowed. Unknown commands are off.
bool command_enabled(int command, const CommandState& state);
// The check or radio mark of a command.
bool command_checked(int command, const CommandState& state);

// The tool a tool command toggles; None for other commands.
DrawingTool tool_of_command(int command);

// Choosing a tool: the active one again switches it off; another switches
// the active one off first, then comes on.
struct ToolSwitch {
    DrawingTool leaving = DrawingTool::None;  // switched off, None when none was on
    DrawingTool active = DrawingTool::None;   // on afterwards
    bool clear_selection = false;             // a delete tool left: the selection mask is cleared
    bool control_links_on = false;            // the link tool came on: "Control Links" turns on
};
ToolSwitch switch_tool(DrawingTool active, DrawingTool chosen);

// A mode command: the mode that follows and whether the tools go off first.
// Results mode is refused later when no results are loaded for the project.
struct ModeChange {
    DisplayMode mode = DisplayMode::Normal;
    bool leave_tools = false;
};
ModeChange change_mode(DisplayMode current, int command);

}  // namespace avelor
