#include "app/command_table.h"

#include <array>
#include <cctype>

namespace avelor {

namespace {

// The top-level menus. Where a mnemonic would share its Alt key with an
// accelerator of the table (Alt+L "Control Links", Alt+D "Duct Coloring",
// Alt+W "Wind Pressure Mode"), the accelerator keeps the key and the menu
// takes another letter; Level then needs the V of View, which moves to I,
// and Weather the T of Tools, which moves to O.
constexpr std::array kMenus = {
    MenuEntry{"&File", "Create, open, or save project file; or Exit program."},
    MenuEntry{"&Edit", "Undo, cut, copy, paste, find and replace"},
    MenuEntry{"V&iew", "Select viewing mode"},
    MenuEntry{"Le&vel", "Level management options"},
    MenuEntry{"T&ools", "Program configuration"},
    MenuEntry{"D&ata", "Library management functions"},
    MenuEntry{"Wea&ther", "Weather file functions"},
    MenuEntry{"&Simulation", "Run control options"},
    MenuEntry{"&Help", "Help features"},
};

constexpr std::string_view File = "&File";
constexpr std::string_view Edit = "&Edit";
constexpr std::string_view View = "V&iew";
constexpr std::string_view Level = "Le&vel";
constexpr std::string_view Tools = "T&ools";
constexpr std::string_view Data = "D&ata";
constexpr std::string_view Weather = "Wea&ther";
constexpr std::string_view Simulation = "&Simulation";
constexpr std::string_view Help = "&Help";

constexpr Mark Check = Mark::Check;
constexpr Mark Radio = Mark::Radio;
constexpr Mark NoMark = Mark::None;
constexpr bool Later = false;  // the feature is still to come

constexpr CommandEntry sep(std::string_view menu) { return CommandEntry{0, menu, "", "", "", NoMark, true}; }

constexpr std::array kCommands = {
    CommandEntry{cmd::Undo, "", "", "Undo", "", NoMark, true},

    CommandEntry{cmd::NewProject, File, "", "&New Project", "", NoMark, true, "Ctrl+N"},
    CommandEntry{cmd::OpenProject, File, "", "&Open Project...", "Ctrl+O", NoMark, true},
    CommandEntry{cmd::SaveProject, File, "", "&Save Project", "Ctrl+S", NoMark, true},
    CommandEntry{cmd::SaveProjectAs, File, "", "Save Project &As...", "", NoMark, true, "Ctrl+Shift+S"},
    CommandEntry{cmd::SaveAsVersion30, File, "Save As Previous &Version", "3.0", "", NoMark, Later},
    CommandEntry{cmd::SaveAsVersion24c, File, "Save As Previous &Version", "2.4c", "", NoMark, Later},
    CommandEntry{cmd::SaveAsVersion21, File, "Save As Previous &Version", "2.1", "", NoMark, Later},
    CommandEntry{cmd::SaveAsVersion20, File, "Save As Previous &Version", "2.0", "", NoMark, Later},
    CommandEntry{cmd::SaveAsVersion10, File, "Save As Previous &Version", "1.0", "", NoMark, Later},
    sep(File),
    CommandEntry{cmd::ProjectDescription, File, "", "Project &Description...", "", NoMark, true},
    CommandEntry{cmd::SaveSketchPadBitmap, File, "", "Save S&ketchPad to .BMP File...", "", NoMark, true},
    sep(File),
    CommandEntry{cmd::RecentProjectsNone, File, "Recent &Projects", "none", "", NoMark, true},
    CommandEntry{cmd::OpenWeatherFile, File, "Open Project &Input Files", "&Weather File", "", NoMark, true},
    CommandEntry{cmd::OpenContaminantFile, File, "Open Project &Input Files", "&Contaminant File", "", NoMark, true},
    CommandEntry{cmd::OpenWpcFile, File, "Open Project &Input Files", "W&PC File", "", NoMark, true},
    CommandEntry{cmd::OpenCvfFile, File, "Open Project &Input Files", "C&VF File", "", NoMark, true},
    CommandEntry{cmd::OpenDvfFile, File, "Open Project &Input Files", "&DVF File", "", NoMark, true},
    CommandEntry{cmd::OpenPathLocationFile, File, "Open Project &Input Files", "Path &Location Data File", "", NoMark,
                 true},
    CommandEntry{cmd::OpenAgeFile, File, "Open Project &Result Files", "&AGE File", "", NoMark, true},
    CommandEntry{cmd::OpenAchFile, File, "Open Project &Result Files", "A&CH File", "", NoMark, true},
    CommandEntry{cmd::OpenCbwFile, File, "Open Project &Result Files", "C&BW File", "", NoMark, true},
    CommandEntry{cmd::OpenCsmFile, File, "Open Project &Result Files", "CS&M File", "", NoMark, true},
    CommandEntry{cmd::OpenProgramLog, File, "Open Project &Result Files", "&Program Log", "", NoMark, true},
    CommandEntry{cmd::OpenEngineLog, File, "Open Project &Result Files", "&Engine Log", "", NoMark, true},
    CommandEntry{cmd::OpenControlsLog, File, "Open Project &Result Files", "C&ontrols Log", "", NoMark, true},
    CommandEntry{cmd::OpenBalFile, File, "Open Project &Result Files", "BA&L File", "", NoMark, true},
    CommandEntry{cmd::OpenEbwFile, File, "Open Project &Result Files", "EB&W File", "", NoMark, true},
    CommandEntry{cmd::OpenSrfFile, File, "Open Project &Result Files", "&SRF File", "", NoMark, true},
    CommandEntry{cmd::OpenValFile, File, "Open Project &Result Files", "&VAL File", "", NoMark, true},
    sep(File),
    CommandEntry{cmd::Exit, File, "", "E&xit", "", NoMark, true, "Ctrl+Q"},

    CommandEntry{cmd::Cut, Edit, "", "Cu&t", "Ctrl+X", NoMark, true},
    CommandEntry{cmd::Copy, Edit, "", "&Copy", "Ctrl+C", NoMark, true},
    CommandEntry{cmd::Paste, Edit, "", "&Paste", "Ctrl+V", NoMark, true},
    CommandEntry{cmd::Delete, Edit, "", "&Delete", "Del", NoMark, true},
    CommandEntry{cmd::DeleteNetwork, Edit, "", "Delete &Network", "Ctrl+Del", NoMark, true},
    sep(Edit),
    CommandEntry{cmd::Find, Edit, "", "&Find...", "Ctrl+F", NoMark, Later},
    CommandEntry{cmd::Replace, Edit, "", "&Replace...", "Ctrl+R", NoMark, Later},
    sep(Edit),
    CommandEntry{cmd::ShiftDrawing, Edit, "", "&Shift Drawing...", "", NoMark, true},

    CommandEntry{cmd::NormalMode, View, "", "&Normal Mode", "Alt+N", Radio, true},
    CommandEntry{cmd::ResultsMode, View, "", "&Results Mode", "Alt+R", Radio, true},
    CommandEntry{cmd::WindPressureMode, View, "", "&Wind Pressure Mode", "Alt+W", Radio, true},
    CommandEntry{cmd::WindUserSet, View, "W&ind Pressure Type", "&User Set", "", Radio, true},
    CommandEntry{cmd::WindWeatherFile, View, "W&ind Pressure Type", "&Weather File", "", Radio, true},
    CommandEntry{cmd::WindWpc, View, "W&ind Pressure Type", "W&PC", "", Radio, true},
    sep(View),
    CommandEntry{cmd::ResultsDisplayWindow, View, "", "R&esults Display Window", "", Check, true},
    CommandEntry{cmd::ControlLinks, View, "", "Control &Links", "Alt+L", Check, true},
    sep(View),
    CommandEntry{cmd::NextTimeStep, View, "", "&Next Time Step", "End", NoMark, true},
    CommandEntry{cmd::PreviousTimeStep, View, "", "&Previous Time Step", "Home", NoMark, true},
    CommandEntry{cmd::FirstTimeStep, View, "", "&First Time Step", "Ctrl+Home", NoMark, true},
    CommandEntry{cmd::LastTimeStep, View, "", "&Last Time Step", "Ctrl+End", NoMark, true},
    CommandEntry{cmd::JumpAhead, View, "", "Jump &Ahead", "Shift+End", NoMark, true},
    CommandEntry{cmd::JumpBack, View, "", "Jump &Back", "Shift+Home", NoMark, true},
    CommandEntry{cmd::GoToDateTime, View, "", "&Go to Date/Time...", "Ctrl+G", NoMark, true},
    sep(View),
    CommandEntry{cmd::LargerIcons, View, "", "L&arger Icons", "Ctrl+PgUp", NoMark, true},
    CommandEntry{cmd::SmallerIcons, View, "", "S&maller Icons", "Ctrl+PgDown", NoMark, true},
    CommandEntry{cmd::SketchNavigator, View, "", "S&ketch Navigator", "", Check, true},
    CommandEntry{cmd::SetOrigin, View, "", "Set Ori&gin", "", NoMark, true},
    CommandEntry{cmd::FloatingStatus, View, "", "Floa&ting Status", "Ctrl+T", Check, true},
    CommandEntry{cmd::ColourDucts, View, "", "Color D&ucts", "Ctrl+U", NoMark, true},
    CommandEntry{cmd::ColourZones, View, "", "Color &Zones", "Ctrl+Z", NoMark, true},
    CommandEntry{cmd::HighlightScheduled, View, "&Highlight", "&Scheduled", "", NoMark, true},
    CommandEntry{cmd::HighlightValuesFile, View, "&Highlight", "C&VF/DVF", "", NoMark, true},
    CommandEntry{cmd::HighlightFiltered, View, "&Highlight", "&Filtered", "", NoMark, true},
    CommandEntry{cmd::HighlightControlled, View, "&Highlight", "&Controlled", "", NoMark, true},
    CommandEntry{cmd::DuctColouring, View, "", "Du&ct Coloring...", "Alt+D", NoMark, true},
    sep(View),
    CommandEntry{cmd::ProjectOptions, View, "", "Project &Options...", "", NoMark, true},

    CommandEntry{cmd::EditLevelData, Level, "", "&Edit Level Data ...", "F8", NoMark, true},
    CommandEntry{cmd::CopyLevel, Level, "", "&Copy Level", "", NoMark, true},
    CommandEntry{cmd::PasteLevelAbove, Level, "&Paste Level", "&Above current level", "", NoMark, true},
    CommandEntry{cmd::PasteLevelBelow, Level, "&Paste Level", "&Below current level", "", NoMark, true},
    CommandEntry{cmd::InsertLevelAbove, Level, "&Insert Blank Level", "&Above current level", "", NoMark, true},
    CommandEntry{cmd::InsertLevelBelow, Level, "&Insert Blank Level", "&Below current level", "", NoMark, true},
    CommandEntry{cmd::DeleteLevel, Level, "", "&Delete Level", "", NoMark, true},
    sep(Level),
    CommandEntry{cmd::RevealLevelBelow, Level, "", "Reveal Level &Below", "Ctrl+Shift+B", Check, true},
    CommandEntry{cmd::ColourZonesBelow, Level, "", "Color &Zones Below", "", Check, true},
    sep(Level),
    CommandEntry{cmd::LevelAbove, Level, "&Go to", "Level &Above", "PgUp", NoMark, true},
    CommandEntry{cmd::LevelBelow, Level, "&Go to", "Level Belo&w", "PgDown", NoMark, true},
    CommandEntry{cmd::TopLevel, Level, "&Go to", "&Top Level", "", NoMark, true},
    CommandEntry{cmd::BottomLevel, Level, "&Go to", "&Bottom Level", "", NoMark, true},
    CommandEntry{cmd::GoToLevel, Level, "&Go to", "&Level...", "", NoMark, true},
    sep(Level),
    CommandEntry{cmd::CheckCurrentLevel, Level, "", "Check C&urrent Level", "", NoMark, true},

    CommandEntry{cmd::DrawWalls, Tools, "", "Draw &Walls", "Ctrl+W", Check, true},
    CommandEntry{cmd::DrawBoxes, Tools, "", "Draw &Boxes", "Ctrl+B", Check, true},
    CommandEntry{cmd::DrawDucts, Tools, "", "Draw &Ducts", "Ctrl+D", Check, true},
    CommandEntry{cmd::DrawLinks, Tools, "", "Draw &Links", "Ctrl+L", Check, true},
    CommandEntry{cmd::FirstDrawIcon + 0, Tools, "Draw &Icon", "&Zone", "Z", NoMark, true},
    CommandEntry{cmd::FirstDrawIcon + 1, Tools, "Draw &Icon", "Phanto&m", "P", NoMark, true},
    CommandEntry{cmd::FirstDrawIcon + 2, Tools, "Draw &Icon", "&Ambient", "A", NoMark, true},
    CommandEntry{cmd::FirstDrawIcon + 3, Tools, "Draw &Icon", "&Flow Path", "F", NoMark, true},
    CommandEntry{cmd::FirstDrawIcon + 4, Tools, "Draw &Icon", "Air &Handling System", "H", NoMark, true},
    CommandEntry{cmd::FirstDrawIcon + 5, Tools, "Draw &Icon", "&Supply", "I", NoMark, true},
    CommandEntry{cmd::FirstDrawIcon + 6, Tools, "Draw &Icon", "&Return", "O", NoMark, true},
    CommandEntry{cmd::FirstDrawIcon + 7, Tools, "Draw &Icon", "Source/S&ink", "S", NoMark, true},
    CommandEntry{cmd::FirstDrawIcon + 8, Tools, "Draw &Icon", "E&xposure", "X", NoMark, true},
    CommandEntry{cmd::FirstDrawIcon + 9, Tools, "Draw &Icon", "A&nnotation", "N", NoMark, true},
    sep(Tools),
    CommandEntry{cmd::DeleteByRegion, Tools, "", "Delete by &Region", "", Check, true},
    CommandEntry{cmd::DeleteByBox, Tools, "", "Delete by Bo&x", "", Check, true},
    CommandEntry{cmd::DeleteByCoordinates, Tools, "", "Delete by &Coordinates...", "", NoMark, true},
    sep(Tools),
    CommandEntry{cmd::ProgramOptions, Tools, "", "&Program Options...", "", NoMark, true},

    CommandEntry{cmd::AirflowElements, Data, "", "&Airflow Elements...", "", NoMark, true},
    CommandEntry{cmd::DuctElements, Data, "", "&Duct Elements...", "", NoMark, true},
    CommandEntry{cmd::WindProfiles, Data, "", "&Wind Pressure Profiles...", "", NoMark, true},
    CommandEntry{cmd::WeekSchedules, Data, "Wee&k Schedules", "&Dimensionless...", "", NoMark, true},
    CommandEntry{cmd::WeekTemperatureSchedules, Data, "Wee&k Schedules", "&Temperature...", "", NoMark, true},
    CommandEntry{cmd::DaySchedules, Data, "Da&y Schedules", "&Dimensionless...", "", NoMark, true},
    CommandEntry{cmd::DayTemperatureSchedules, Data, "Da&y Schedules", "&Temperature...", "", NoMark, true},
    CommandEntry{cmd::OccupancySchedules, Data, "", "&Occupancy Schedules...", "", NoMark, true},
    CommandEntry{cmd::SpeciesData, Data, "", "&Species...", "", NoMark, true},
    CommandEntry{cmd::SourceSinks, Data, "", "So&urce/Sinks...", "", NoMark, true},
    CommandEntry{cmd::Filters, Data, "", "&Filters...", "", NoMark, true},
    CommandEntry{cmd::KineticReactions, Data, "", "&Kinetic Reactions...", "", NoMark, true},
    sep(Data),
    CommandEntry{cmd::Contaminants, Data, "", "&Contaminants...", "", NoMark, true},
    CommandEntry{cmd::ContinuousValuesFile, Data, "Co&ntrols", "&Continuous Values File...", "", NoMark, true},
    CommandEntry{cmd::DiscreteValuesFile, Data, "Co&ntrols", "&Discrete Values File...", "", NoMark, true},
    CommandEntry{cmd::SuperElements, Data, "Co&ntrols", "&Super Elements...", "", NoMark, true},

    CommandEntry{cmd::EditWeatherData, Weather, "", "Edit &Weather Data...", "F7", NoMark, true},
    CommandEntry{cmd::CreateWpcFile, Weather, "", "&Create WPC File ...", "", NoMark, Later},

    CommandEntry{cmd::RunSimulation, Simulation, "", "&Run Simulation", "", NoMark, true},
    // Its sheet is still to come; the dispatch has its place beside Run
    // Simulation.
    CommandEntry{cmd::SimulationParameters, Simulation, "", "Set Simulation &Parameters...", "F4", NoMark, true},
    CommandEntry{cmd::RunBuildingCheck, Simulation, "", "Run Building C&heck", "", NoMark, true},
    CommandEntry{cmd::TimeStepAnalysis, Simulation, "", "Time Step A&nalysis...", "", NoMark, Later},
    sep(Simulation),
    CommandEntry{cmd::PlotAirflow, Simulation, "", "Plot &Airflow Results...", "", NoMark, Later},
    CommandEntry{cmd::PlotContaminants, Simulation, "", "Plot &Contaminant Results...", "", NoMark, Later},
    CommandEntry{cmd::PlotExposures, Simulation, "", "Plot &Exposure Results...", "", NoMark, Later},
    CommandEntry{cmd::PlotParticles, Simulation, "", "Plot Particles Res&ults...", "", NoMark, Later},
    CommandEntry{cmd::PlotTemperatures, Simulation, "", "Plot Te&mperature Results...", "", NoMark, Later},
    CommandEntry{cmd::ExportResults, Simulation, "", "Exp&ort Results...", "F5", NoMark, true},
    CommandEntry{cmd::ShaftReport, Simulation, "", "Generate &Shaft Report", "", NoMark, Later},
    sep(Simulation),
    CommandEntry{cmd::TrnsysFile, Simulation, "", "Create &TRNSYS (Type97) Input File", "", NoMark, Later},

    CommandEntry{cmd::HelpContents, Help, "", "&Help Contents...", "", NoMark, true, "F1"},
    CommandEntry{cmd::About, Help, "", "&About Avelor...", "Alt+?", NoMark, true},
};

// In toolbar order; a zero button is a gap between groups.
constexpr std::array kToolButtons = {
    ToolButton{1, cmd::NewProject, "New Project File"},
    ToolButton{2, cmd::OpenProject, "Open Project"},
    ToolButton{3, cmd::SaveProject, "Save Project"},
    ToolButton{0, 0, ""},
    ToolButton{4, cmd::Cut, "Cut"},
    ToolButton{5, cmd::Copy, "Copy selected item to clipboard"},
    ToolButton{6, cmd::Paste, "Paste item from clipboard"},
    ToolButton{7, cmd::Undo, "Undo"},
    ToolButton{0, 0, ""},
    ToolButton{8, cmd::DrawWalls, "Draw Walls"},
    ToolButton{9, cmd::DrawBoxes, "Draw Boxes"},
    ToolButton{10, cmd::DrawDucts, "Draw Ducts"},
    ToolButton{11, cmd::DrawLinks, "Draw Controls"},
    ToolButton{12, cmd::DeleteByBox, "Box Delete"},
    ToolButton{13, cmd::DeleteByRegion, "Area Delete"},
    ToolButton{0, 0, ""},
    ToolButton{14, cmd::LevelAbove, "Move up one level"},
    ToolButton{15, cmd::LevelBelow, "Move down one level"},
    ToolButton{42, cmd::LargerIcons, "Zoom SketchPad - Increase cell size"},
    ToolButton{43, cmd::SmallerIcons, "Zoom SketchPad - Reduce cell size"},
    ToolButton{0, 0, ""},
    ToolButton{44, cmd::Find, "Find"},
    ToolButton{45, cmd::Replace, "Find and Replace"},
    ToolButton{0, 0, ""},
    ToolButton{46, cmd::FirstTimeStep, "Go to the first time step"},
    ToolButton{47, cmd::JumpBack, "Jump Back"},
    ToolButton{48, cmd::PreviousTimeStep, "Previous Time Step"},
    ToolButton{49, cmd::NextTimeStep, "Next Time Step"},
    ToolButton{50, cmd::JumpAhead, "Jump Ahead"},
    ToolButton{51, cmd::LastTimeStep, "Go to last time step"},
};

}  // namespace

std::span<const MenuEntry> menu_entries() { return kMenus; }
std::span<const CommandEntry> command_entries() { return kCommands; }
std::span<const ToolButton> tool_buttons() { return kToolButtons; }

const CommandEntry* find_command(int command)
{
    if (command == 0) return nullptr;
    for (const CommandEntry& row : kCommands)
        if (row.command == command) return &row;
    return nullptr;
}

const ToolButton* find_tool_button(int command)
{
    if (command == 0) return nullptr;
    for (const ToolButton& button : kToolButtons)
        if (button.command == command) return &button;
    return nullptr;
}

std::string tooltip_text(const ToolButton& button)
{
    std::string text(button.tooltip);
    const CommandEntry* entry = find_command(button.command);
    if (entry && !entry->built) text.append(" (").append(kNotAvailable).append(")");
    return text;
}

char mnemonic_of(std::string_view caption)
{
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
    }
    return 0;
}

}  // namespace avelor
