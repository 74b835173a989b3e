#include "app/command_rules.h"

#include "app/command_table.h"

namespace avelor {

namespace {

constexpr std::array<ProjectFileItem, kProjectFileCount> kProjectFiles = {{
    {cmd::OpenWeatherFile, false, ""},
    {cmd::OpenContaminantFile, false, ""},
    {cmd::OpenWpcFile, false, ""},
    {cmd::OpenCvfFile, false, ""},
    {cmd::OpenDvfFile, false, ""},
    {cmd::OpenPathLocationFile, false, ".pld"},
    {cmd::OpenAgeFile, true, ".age"},
    {cmd::OpenAchFile, true, ".ach"},
    {cmd::OpenCbwFile, true, ".cbw"},
    {cmd::OpenCsmFile, true, ".csm"},
    // The program's own run log, in the user data folder.
    {cmd::OpenProgramLog, true, ""},
    {cmd::OpenEngineLog, true, ".xlog"},
    {cmd::OpenControlsLog, true, ".log"},
    {cmd::OpenBalFile, true, ".bal"},
    {cmd::OpenEbwFile, true, ".ebw"},
    {cmd::OpenSrfFile, true, ".srf"},
    {cmd::OpenValFile, true, ".val"},
}};

bool is_time_step_command(int command)
{
    switch (command) {
    case cmd::NextTimeStep:
    case cmd::PreviousTimeStep:
    case cmd::FirstTimeStep:
    case cmd::LastTimeStep:
    case cmd::JumpAhead:
    case cmd::JumpBack:
    case cmd::GoToDateTime: return true;
    default: return false;
    }
}

bool is_icon_command(int command) { return command >= cmd::FirstDrawIcon && command < cmd::FirstDrawIcon + 10; }

// While a super element's sketch is edited the reduced menu holds only the
// command that ends it; the keys left are Del and the cell size keys, and
// the toolbar keeps the link tool and the zoom buttons.
bool allowed_in_super_element(int command, const CommandState& s)
{
    switch (command) {
    case cmd::SuperElements: return true;
    case cmd::Delete: return !s.super_element_in_use && s.del;
    case cmd::DrawLinks: return !s.super_element_in_use;
    case cmd::LargerIcons: return s.can_enlarge;
    case cmd::SmallerIcons: return s.can_reduce;
    default: return false;
    }
}

bool results_shown(const CommandState& s) { return s.mode == DisplayMode::Results && s.results_loaded; }

}  // namespace

std::span<const ProjectFileItem> project_file_items() { return kProjectFiles; }

int project_file_index(int command)
{
    for (std::size_t i = 0; i < kProjectFiles.size(); ++i)
        if (kProjectFiles[i].command == command) return static_cast<int>(i);
    return -1;
}

bool command_allowed(int command, const CommandState& s)
{
    if (s.super_element_editing) return allowed_in_super_element(command, s);
    const bool normal = s.mode == DisplayMode::Normal;
    if (const int file = project_file_index(command); file >= 0) return s.files[static_cast<std::size_t>(file)];
    if (is_time_step_command(command))
        return results_shown(s) || (s.mode == DisplayMode::WindPressure && s.wind_time_series);
    if (is_icon_command(command)) return normal && s.icons[static_cast<std::size_t>(command - cmd::FirstDrawIcon)];
    switch (command) {
    case cmd::Undo: return false;
    // The placeholder of an empty Recent Projects menu.
    case cmd::RecentProjectsNone: return false;
    case cmd::DrawWalls:
    case cmd::DrawBoxes:
    case cmd::DrawDucts:
    case cmd::DrawLinks:
    case cmd::DeleteByRegion:
    case cmd::DeleteByBox:
    case cmd::DeleteByCoordinates: return normal;
    case cmd::Delete: return normal && s.del;
    case cmd::DeleteNetwork: return normal && s.delete_network;
    case cmd::Cut: return normal && s.cut;
    case cmd::Copy: return normal && s.copy;
    case cmd::Paste: return normal && s.paste;
    case cmd::SetOrigin: return s.pseudo_geometry;
    case cmd::LevelAbove:
    case cmd::TopLevel: return s.level_above;
    case cmd::LevelBelow:
    case cmd::BottomLevel: return s.level_below;
    case cmd::PasteLevelAbove:
    case cmd::PasteLevelBelow: return s.paste_level;
    case cmd::ColourZonesBelow: return s.reveal_below;
    case cmd::LargerIcons: return s.can_enlarge;
    case cmd::SmallerIcons: return s.can_reduce;
    case cmd::WindWeatherFile: return s.weather_file_named;
    case cmd::WindWpc: return s.wpc_available;
    case cmd::ExportResults:
    case cmd::ShaftReport: return results_shown(s);
    // Open only in results mode; an open window can always be closed.
    case cmd::ResultsDisplayWindow: return results_shown(s) || s.results_window;
    case cmd::PlotAirflow: return results_shown(s) && s.transient_airflow;
    case cmd::PlotContaminants:
    case cmd::PlotParticles: return results_shown(s) && s.transient_contaminants;
    case cmd::PlotExposures: return results_shown(s) && s.exposures;
    case cmd::PlotTemperatures: return results_shown(s) && s.zones && s.temperatures;
    case cmd::SuperElements: return normal;
    default: return find_command(command) != nullptr;
    }
}

bool command_enabled(int command, const CommandState& state)
{
    const CommandEntry* entry = find_command(command);
    return entry && entry->built && command_allowed(command, state);
}

bool command_checked(int command, const CommandState& s)
{
    if (const DrawingTool tool = tool_of_command(command); tool != DrawingTool::None) return s.tool == tool;
    switch (command) {
    case cmd::NormalMode: return s.mode == DisplayMode::Normal;
    case cmd::ResultsMode: return s.mode == DisplayMode::Results;
    case cmd::WindPressureMode: return s.mode == DisplayMode::WindPressure;
    case cmd::WindUserSet: return s.wind_type == WindPressureType::UserSet;
    case cmd::WindWeatherFile: return s.wind_type == WindPressureType::WeatherFile;
    case cmd::WindWpc: return s.wind_type == WindPressureType::Wpc;
    case cmd::ControlLinks: return s.control_links;
    case cmd::ResultsDisplayWindow: return s.results_window;
    case cmd::FloatingStatus: return s.floating_status;
    case cmd::RevealLevelBelow: return s.reveal_below;
    case cmd::SketchNavigator: return s.navigator;
    case cmd::ColourZonesBelow: return s.reveal_below && s.colour_zones_below;
    default: return false;
    }
}

DrawingTool tool_of_command(int command)
{
    switch (command) {
    case cmd::DrawWalls: return DrawingTool::Walls;
    case cmd::DrawBoxes: return DrawingTool::Boxes;
    case cmd::DrawDucts: return DrawingTool::Ducts;
    case cmd::DrawLinks: return DrawingTool::Links;
    case cmd::DeleteByRegion: return DrawingTool::DeleteByRegion;
    case cmd::DeleteByBox: return DrawingTool::DeleteByBox;
    default: return DrawingTool::None;
    }
}

ToolSwitch switch_tool(DrawingTool active, DrawingTool chosen)
{
    ToolSwitch change;
    change.leaving = active;
    change.clear_selection = active == DrawingTool::DeleteByRegion || active == DrawingTool::DeleteByBox;
    if (chosen != active) change.active = chosen;
    change.control_links_on = change.active == DrawingTool::Links;
    return change;
}

ModeChange change_mode(DisplayMode current, int command)
{
    switch (command) {
    case cmd::ResultsMode: return {DisplayMode::Results, true};
    case cmd::WindPressureMode:
        if (current == DisplayMode::WindPressure) return {DisplayMode::Normal, false};
        return {DisplayMode::WindPressure, true};
    default: return {DisplayMode::Normal, false};
    }
}

}  // namespace avelor
