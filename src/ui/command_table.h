// The main window's menus and toolbar as data: every command's number,
// caption with its & accelerator, shortcut and place in the menus, and the
// toolbar buttons with their tooltips. The window builds its menus and
// toolbar from these tables; a new command is a new row.
#pragma once

#include <span>
#include <string_view>

namespace avelor::ui {

// Command numbers.
namespace cmd {
inline constexpr int NewProject = 100;
inline constexpr int OpenProject = 101;
inline constexpr int SaveProject = 102;
inline constexpr int SaveProjectAs = 103;
inline constexpr int ProjectDescription = 251;
inline constexpr int Exit = 106;
inline constexpr int SaveSketchPadBitmap = 4074;
inline constexpr int ShiftDrawing = 40002;
inline constexpr int ControlLinks = 4071;
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
inline constexpr int ProjectOptions = 4053;
inline constexpr int RevealLevelBelow = 400;
inline constexpr int ColourZonesBelow = 4204;
inline constexpr int LevelAbove = 408;
inline constexpr int LevelBelow = 409;
inline constexpr int TopLevel = 410;
inline constexpr int BottomLevel = 411;
inline constexpr int CheckCurrentLevel = 4027;
inline constexpr int RunBuildingCheck = 4024;
inline constexpr int RunSimulation = 4026;
inline constexpr int SimulationParameters = 4022;
inline constexpr int About = 904;
inline constexpr int NormalMode = 300;
inline constexpr int ResultsMode = 301;
inline constexpr int NextTimeStep = 4034;
inline constexpr int PreviousTimeStep = 4035;
inline constexpr int LastTimeStep = 4036;
inline constexpr int FirstTimeStep = 4037;
inline constexpr int JumpAhead = 4111;
inline constexpr int JumpBack = 4112;
inline constexpr int GoToDateTime = 4113;
inline constexpr int Cut = 201;
inline constexpr int Copy = 202;
inline constexpr int Paste = 203;
inline constexpr int Delete = 4030;
inline constexpr int DrawWalls = 4011;
inline constexpr int DrawBoxes = 4012;
inline constexpr int DeleteByRegion = 4099;
inline constexpr int DeleteByBox = 4097;
inline constexpr int DeleteByCoordinates = 4102;
// "Draw Icon" items in IconCommand order: 4040..4049; the SketchPad's
// context menu has its own numbers for the same commands, 4001..4010.
inline constexpr int AirflowElements = 4018;
inline constexpr int SpeciesData = 4073;
inline constexpr int KineticReactions = 4057;
inline constexpr int Contaminants = 4017;
inline constexpr int FirstDrawIcon = 4040;
inline constexpr int FirstContextIcon = 4001;
inline constexpr int ContextSetOrigin = 40007;
inline constexpr int ContextCopy = 4200;
inline constexpr int ContextCut = 4201;
inline constexpr int ContextPaste = 4202;
}  // namespace cmd

// One menu item, in menu order. A row with command 0 is a separator.
struct CommandRow {
    int command = 0;
    std::string_view menu;     // top-level menu title
    std::string_view submenu;  // empty, or the title of the submenu it sits in
    std::string_view caption;
    std::string_view keys;     // portable QKeySequence text, empty for none
    bool checked_item = false; // carries a check mark
};

// A top-level menu: its title and the hint shown while it is open.
struct MenuRow {
    std::string_view title;
    std::string_view hint;
};

// A toolbar button: its number (also the number of its tooltip) and the
// command it issues.
struct ToolButtonRow {
    int button = 0;
    int command = 0;
    std::string_view tooltip;
};

std::span<const MenuRow> menu_rows();
std::span<const CommandRow> command_rows();
std::span<const ToolButtonRow> tool_button_rows();

// The second key a command takes by the usual desktop habit, where the
// table leaves that key free (New, Save As, Exit): portable QKeySequence
// text, empty for none.
std::string_view desktop_keys(int command);

// The row of a command, or null.
const CommandRow* find_command(int command);

}  // namespace avelor::ui
