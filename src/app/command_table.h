// The main window's commands as data: every command's number, its place in
// the menus, caption with its & mnemonic, keys, toolbar button and tooltip,
// whether it carries a check mark or a radio mark, and whether its feature
// is built in this version. The editor builds its menus, toolbar and
// shortcuts from these tables; a new command is a new row.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace avelor {

// Command numbers.
namespace cmd {
// Toolbar only.
inline constexpr int Undo = 7;
// File.
inline constexpr int NewProject = 100;
inline constexpr int OpenProject = 101;
inline constexpr int SaveProject = 102;
inline constexpr int SaveProjectAs = 103;
inline constexpr int SaveAsVersion30 = 40004;
inline constexpr int SaveAsVersion24c = 4175;
inline constexpr int SaveAsVersion21 = 4178;
inline constexpr int SaveAsVersion20 = 4181;
inline constexpr int SaveAsVersion10 = 4184;
inline constexpr int ProjectDescription = 251;
inline constexpr int SaveSketchPadBitmap = 4074;
inline constexpr int RecentProjectsNone = 4106;
inline constexpr int OpenWeatherFile = 4148;
inline constexpr int OpenContaminantFile = 4146;
inline constexpr int OpenWpcFile = 4149;
inline constexpr int OpenCvfFile = 4134;
inline constexpr int OpenDvfFile = 4145;
inline constexpr int OpenPathLocationFile = 4147;
inline constexpr int OpenAgeFile = 4153;
inline constexpr int OpenAchFile = 4152;
inline constexpr int OpenCbwFile = 4159;
inline constexpr int OpenCsmFile = 4160;
inline constexpr int OpenProgramLog = 4163;
inline constexpr int OpenEngineLog = 4161;
inline constexpr int OpenControlsLog = 4155;
inline constexpr int OpenBalFile = 4150;
inline constexpr int OpenEbwFile = 4154;
inline constexpr int OpenSrfFile = 4205;
inline constexpr int OpenValFile = 4151;
inline constexpr int Exit = 106;
// Edit.
inline constexpr int Cut = 201;
inline constexpr int Copy = 202;
inline constexpr int Paste = 203;
inline constexpr int Delete = 4030;
inline constexpr int DeleteNetwork = 4116;
inline constexpr int Find = 204;
inline constexpr int Replace = 205;
inline constexpr int ShiftDrawing = 40002;
// View.
inline constexpr int NormalMode = 300;
inline constexpr int ResultsMode = 301;
inline constexpr int WindPressureMode = 302;
inline constexpr int WindUserSet = 4122;
inline constexpr int WindWeatherFile = 4121;
inline constexpr int WindWpc = 4120;
inline constexpr int ResultsDisplayWindow = 4061;
inline constexpr int ControlLinks = 4071;
inline constexpr int NextTimeStep = 4034;
inline constexpr int PreviousTimeStep = 4035;
inline constexpr int FirstTimeStep = 4037;
inline constexpr int LastTimeStep = 4036;
inline constexpr int JumpAhead = 4111;
inline constexpr int JumpBack = 4112;
inline constexpr int GoToDateTime = 4113;
inline constexpr int LargerIcons = 252;
inline constexpr int SmallerIcons = 253;
inline constexpr int SketchNavigator = 4165;
inline constexpr int SetOrigin = 40008;
inline constexpr int FloatingStatus = 285;
inline constexpr int ColourDucts = 294;
inline constexpr int ColourZones = 4088;
inline constexpr int HighlightScheduled = 40010;
inline constexpr int HighlightValuesFile = 40011;
inline constexpr int HighlightFiltered = 40012;
inline constexpr int HighlightControlled = 40013;
inline constexpr int DuctColouring = 293;
inline constexpr int ProjectOptions = 4053;
// Level.
inline constexpr int EditLevelData = 401;
inline constexpr int CopyLevel = 403;
inline constexpr int PasteLevelAbove = 406;
inline constexpr int PasteLevelBelow = 407;
inline constexpr int InsertLevelAbove = 404;
inline constexpr int InsertLevelBelow = 405;
inline constexpr int DeleteLevel = 402;
inline constexpr int RevealLevelBelow = 400;
inline constexpr int ColourZonesBelow = 4204;
inline constexpr int LevelAbove = 408;
inline constexpr int LevelBelow = 409;
inline constexpr int TopLevel = 410;
inline constexpr int BottomLevel = 411;
inline constexpr int GoToLevel = 412;
inline constexpr int CheckCurrentLevel = 4027;
// Tools.
inline constexpr int DrawWalls = 4011;
inline constexpr int DrawBoxes = 4012;
inline constexpr int DrawDucts = 4015;
inline constexpr int DrawLinks = 4014;
// "Draw Icon" items in icon order: 4040..4049; the SketchPad's context
// menu has its own numbers for the same commands, 4001..4010.
inline constexpr int FirstDrawIcon = 4040;
inline constexpr int FirstContextIcon = 4001;
inline constexpr int DeleteByRegion = 4099;
inline constexpr int DeleteByBox = 4097;
inline constexpr int DeleteByCoordinates = 4102;
inline constexpr int ProgramOptions = 40003;
// Data.
inline constexpr int AirflowElements = 4018;
inline constexpr int DuctElements = 4020;
inline constexpr int WindProfiles = 4055;
inline constexpr int WeekSchedules = 4067;
inline constexpr int WeekTemperatureSchedules = 4068;
inline constexpr int DaySchedules = 4069;
inline constexpr int DayTemperatureSchedules = 4070;
inline constexpr int OccupancySchedules = 4058;
inline constexpr int SpeciesData = 4073;
inline constexpr int SourceSinks = 4019;
inline constexpr int Filters = 4056;
inline constexpr int KineticReactions = 4057;
inline constexpr int Contaminants = 4017;
inline constexpr int ContinuousValuesFile = 4077;
inline constexpr int DiscreteValuesFile = 4078;
inline constexpr int SuperElements = 257;
// Weather.
inline constexpr int EditWeatherData = 4029;
inline constexpr int CreateWpcFile = 4075;
// Simulation.
inline constexpr int RunSimulation = 4026;
inline constexpr int SimulationParameters = 4022;
inline constexpr int RunBuildingCheck = 4024;
inline constexpr int TimeStepAnalysis = 40009;
inline constexpr int PlotAirflow = 4052;
inline constexpr int PlotContaminants = 4051;
inline constexpr int PlotExposures = 4060;
inline constexpr int PlotParticles = 40000;
inline constexpr int PlotTemperatures = 40005;
inline constexpr int ExportResults = 4038;
inline constexpr int ShaftReport = 4054;
inline constexpr int TrnsysFile = 4062;
// Help.
inline constexpr int HelpContents = 900;
inline constexpr int About = 904;
// The SketchPad's context menu.
inline constexpr int ContextSetOrigin = 40007;
inline constexpr int ContextCopy = 4200;
inline constexpr int ContextCut = 4201;
inline constexpr int ContextPaste = 4202;
}  // namespace cmd

// Which mark a menu item carries.
enum class Mark { None, Check, Radio };

// What a command whose feature is still to come says in its status tip and
// beside its tooltip.
inline constexpr std::string_view kNotAvailable = "Not available in this version";

// One menu item, in menu order. A row with command 0 is a separator; a row
// without a menu is a toolbar button only.
struct CommandEntry {
    int command = 0;
    std::string_view menu;     // top-level menu title
    std::string_view submenu;  // empty, or the title of the submenu it sits in
    std::string_view caption;
    std::string_view keys;     // portable key text ("Ctrl+PgDown"), empty for none
    Mark mark = Mark::None;
    bool built = true;         // false: present, greyed, not available yet
    // The second key a command takes by the usual desktop habit, where the
    // table leaves that key free (New, Save As, Exit).
    std::string_view desktop_keys = {};
};

// A top-level menu: its title with its mnemonic and the hint shown while it
// is open.
struct MenuEntry {
    std::string_view title;
    std::string_view hint;
};

// A toolbar button: its number (also the number of its tooltip) and the
// command it issues; a zero command is a gap between groups.
struct ToolButton {
    int button = 0;
    int command = 0;
    std::string_view tooltip;
};

std::span<const MenuEntry> menu_entries();
std::span<const CommandEntry> command_entries();
std::span<const ToolButton> tool_buttons();

// The row of a command, or null.
const CommandEntry* find_command(int command);
// The toolbar button issuing a command, or null.
const ToolButton* find_tool_button(int command);

// A button's tooltip; a command still to come says so after it.
std::string tooltip_text(const ToolButton& button);

// The letter after the single "&" of a caption, upper case; 0 for none.
char mnemonic_of(std::string_view caption);

}  // namespace avelor
