#include "ui/command_table.h"

#include <array>

namespace avelor::ui {

namespace {

constexpr std::array kMenus = {
    MenuRow{"&File", "Create, open, or save project file; or Exit program."},
    MenuRow{"&Edit", "Undo, cut, copy, paste, find and replace"},
    MenuRow{"&View", "Select viewing mode"},
    MenuRow{"&Level", "Level management options"},
    MenuRow{"&Tools", "Program configuration"},
    MenuRow{"&Data", "Define airflow elements, contaminants and reactions"},
    MenuRow{"&Simulation", "Check the building and run simulations"},
    MenuRow{"&Help", "Help features"},
};

constexpr std::array kCommands = {
    CommandRow{cmd::NewProject, "&File", "", "&New Project", "", false},
    CommandRow{cmd::OpenProject, "&File", "", "&Open Project...", "Ctrl+O", false},
    CommandRow{cmd::SaveProject, "&File", "", "&Save Project", "Ctrl+S", false},
    CommandRow{cmd::SaveProjectAs, "&File", "", "Save Project &As...", "", false},
    CommandRow{0, "&File", "", "", "", false},
    CommandRow{cmd::ProjectDescription, "&File", "", "Project &Description...", "", false},
    CommandRow{cmd::SaveSketchPadBitmap, "&File", "", "Save S&ketchPad to .BMP File...", "", false},
    CommandRow{0, "&File", "", "", "", false},
    CommandRow{cmd::Exit, "&File", "", "E&xit", "", false},

    CommandRow{cmd::Cut, "&Edit", "", "Cu&t", "Ctrl+X", false},
    CommandRow{cmd::Copy, "&Edit", "", "&Copy", "Ctrl+C", false},
    CommandRow{cmd::Paste, "&Edit", "", "&Paste", "Ctrl+V", false},
    CommandRow{cmd::Delete, "&Edit", "", "&Delete", "Del", false},
    CommandRow{0, "&Edit", "", "", "", false},
    CommandRow{cmd::ShiftDrawing, "&Edit", "", "&Shift Drawing...", "", false},

    CommandRow{cmd::NormalMode, "&View", "", "&Normal Mode", "Alt+N", true},
    CommandRow{cmd::ResultsMode, "&View", "", "&Results Mode", "Alt+R", true},
    CommandRow{0, "&View", "", "", "", false},
    CommandRow{cmd::ControlLinks, "&View", "", "Control &Links", "Alt+L", true},
    CommandRow{0, "&View", "", "", "", false},
    CommandRow{cmd::NextTimeStep, "&View", "", "&Next Time Step", "End", false},
    CommandRow{cmd::PreviousTimeStep, "&View", "", "&Previous Time Step", "Home", false},
    CommandRow{cmd::FirstTimeStep, "&View", "", "&First Time Step", "Ctrl+Home", false},
    CommandRow{cmd::LastTimeStep, "&View", "", "&Last Time Step", "Ctrl+End", false},
    CommandRow{cmd::JumpAhead, "&View", "", "Jump &Ahead", "Shift+End", false},
    CommandRow{cmd::JumpBack, "&View", "", "Jump &Back", "Shift+Home", false},
    CommandRow{cmd::GoToDateTime, "&View", "", "&Go to Date/Time...", "Ctrl+G", false},
    CommandRow{0, "&View", "", "", "", false},
    CommandRow{cmd::LargerIcons, "&View", "", "L&arger Icons", "Ctrl+PgUp", false},
    CommandRow{cmd::SmallerIcons, "&View", "", "S&maller Icons", "Ctrl+PgDown", false},
    CommandRow{cmd::SketchNavigator, "&View", "", "S&ketch Navigator", "", true},
    CommandRow{cmd::SetOrigin, "&View", "", "Set Ori&gin", "", false},
    CommandRow{cmd::FloatingStatus, "&View", "", "Floa&ting Status", "Ctrl+T", true},
    CommandRow{cmd::ColourDucts, "&View", "", "Color D&ucts", "Ctrl+U", false},
    CommandRow{cmd::ColourZones, "&View", "", "Color &Zones", "Ctrl+Z", false},
    CommandRow{cmd::HighlightScheduled, "&View", "&Highlight", "&Scheduled", "", false},
    CommandRow{cmd::HighlightValuesFile, "&View", "&Highlight", "C&VF/DVF", "", false},
    CommandRow{cmd::HighlightFiltered, "&View", "&Highlight", "&Filtered", "", false},
    CommandRow{cmd::HighlightControlled, "&View", "&Highlight", "&Controlled", "", false},
    CommandRow{0, "&View", "", "", "", false},
    CommandRow{cmd::ProjectOptions, "&View", "", "Project &Options...", "", false},

    CommandRow{cmd::RevealLevelBelow, "&Level", "", "Reveal Level &Below", "Ctrl+Shift+B", true},
    CommandRow{cmd::ColourZonesBelow, "&Level", "", "Color &Zones Below", "", true},
    CommandRow{0, "&Level", "", "", "", false},
    CommandRow{cmd::LevelAbove, "&Level", "&Go to", "Level &Above", "PgUp", false},
    CommandRow{cmd::LevelBelow, "&Level", "&Go to", "Level Belo&w", "PgDown", false},
    CommandRow{cmd::TopLevel, "&Level", "&Go to", "&Top Level", "", false},
    CommandRow{cmd::BottomLevel, "&Level", "&Go to", "&Bottom Level", "", false},
    CommandRow{0, "&Level", "", "", "", false},
    CommandRow{cmd::CheckCurrentLevel, "&Level", "", "Check C&urrent Level", "", false},

    CommandRow{cmd::DrawWalls, "&Tools", "", "Draw &Walls", "Ctrl+W", true},
    CommandRow{cmd::DrawBoxes, "&Tools", "", "Draw &Boxes", "Ctrl+B", true},
    CommandRow{cmd::FirstDrawIcon + 0, "&Tools", "Draw &Icon", "&Zone", "Z", false},
    CommandRow{cmd::FirstDrawIcon + 1, "&Tools", "Draw &Icon", "Phanto&m", "P", false},
    CommandRow{cmd::FirstDrawIcon + 2, "&Tools", "Draw &Icon", "&Ambient", "A", false},
    CommandRow{cmd::FirstDrawIcon + 3, "&Tools", "Draw &Icon", "&Flow Path", "F", false},
    CommandRow{cmd::FirstDrawIcon + 4, "&Tools", "Draw &Icon", "Air &Handling System", "H", false},
    CommandRow{cmd::FirstDrawIcon + 5, "&Tools", "Draw &Icon", "&Supply", "I", false},
    CommandRow{cmd::FirstDrawIcon + 6, "&Tools", "Draw &Icon", "&Return", "O", false},
    CommandRow{cmd::FirstDrawIcon + 7, "&Tools", "Draw &Icon", "Source/S&ink", "S", false},
    CommandRow{cmd::FirstDrawIcon + 8, "&Tools", "Draw &Icon", "E&xposure", "X", false},
    CommandRow{cmd::FirstDrawIcon + 9, "&Tools", "Draw &Icon", "A&nnotation", "N", false},
    CommandRow{0, "&Tools", "", "", "", false},
    CommandRow{cmd::DeleteByRegion, "&Tools", "", "Delete by &Region", "", true},
    CommandRow{cmd::DeleteByBox, "&Tools", "", "Delete by Bo&x", "", true},
    CommandRow{cmd::DeleteByCoordinates, "&Tools", "", "Delete by &Coordinates...", "", false},

    CommandRow{cmd::AirflowElements, "&Data", "", "&Airflow Elements...", "", false},
    CommandRow{cmd::SpeciesData, "&Data", "", "&Species...", "", false},
    CommandRow{cmd::KineticReactions, "&Data", "", "&Kinetic Reactions...", "", false},
    CommandRow{0, "&Data", "", "", "", false},
    CommandRow{cmd::Contaminants, "&Data", "", "&Contaminants...", "", false},

    CommandRow{cmd::RunSimulation, "&Simulation", "", "&Run Simulation", "", false},
    CommandRow{cmd::SimulationParameters, "&Simulation", "", "Set Simulation &Parameters...", "F4", false},
    CommandRow{cmd::RunBuildingCheck, "&Simulation", "", "Run Building C&heck", "", false},

    CommandRow{cmd::About, "&Help", "", "&About Avelor...", "Alt+?", false},
};

constexpr std::array kToolButtons = {
    ToolButtonRow{2, cmd::OpenProject, "Open Project"},
    ToolButtonRow{3, cmd::SaveProject, "Save Project"},
    ToolButtonRow{4, cmd::Cut, "Cut"},
    ToolButtonRow{5, cmd::Copy, "Copy selected item to clipboard"},
    ToolButtonRow{6, cmd::Paste, "Paste item from clipboard"},
    ToolButtonRow{8, cmd::DrawWalls, "Draw Walls"},
    ToolButtonRow{9, cmd::DrawBoxes, "Draw Boxes"},
    ToolButtonRow{12, cmd::DeleteByBox, "Box Delete"},
    ToolButtonRow{13, cmd::DeleteByRegion, "Area Delete"},
    ToolButtonRow{14, cmd::LevelAbove, "Move up one level"},
    ToolButtonRow{15, cmd::LevelBelow, "Move down one level"},
    ToolButtonRow{42, cmd::LargerIcons, "Zoom SketchPad - Increase cell size"},
    ToolButtonRow{43, cmd::SmallerIcons, "Zoom SketchPad - Reduce cell size"},
};

}  // namespace

std::span<const MenuRow> menu_rows() { return kMenus; }
std::span<const CommandRow> command_rows() { return kCommands; }
std::span<const ToolButtonRow> tool_button_rows() { return kToolButtons; }

const CommandRow* find_command(int command)
{
    if (command == 0) return nullptr;
    for (const CommandRow& row : kCommands)
        if (row.command == command) return &row;
    return nullptr;
}

std::string_view desktop_keys(int command)
{
    switch (command) {
    case cmd::NewProject: return "Ctrl+N";
    case cmd::SaveProjectAs: return "Ctrl+Shift+S";
    case cmd::Exit: return "Ctrl+Q";
    default: return {};
    }
}

}  // namespace avelor::ui
