#include "ui/command_table.h"

#include <array>

namespace avelor::ui {

namespace {

constexpr std::array kMenus = {
    MenuRow{"&File", "Create, open, or save project file; or Exit program."},
    MenuRow{"&Edit", "Undo, cut, copy, paste, find and replace"},
    MenuRow{"&View", "Select viewing mode"},
    MenuRow{"&Level", "Level management options"},
    MenuRow{"&Help", "Help features"},
};

constexpr std::array kCommands = {
    CommandRow{cmd::NewProject, "&File", "", "&New Project", "", false},
    CommandRow{cmd::OpenProject, "&File", "", "&Open Project...", "Ctrl+O", false},
    CommandRow{cmd::SaveProject, "&File", "", "&Save Project", "Ctrl+S", false},
    CommandRow{cmd::SaveProjectAs, "&File", "", "Save Project &As...", "", false},
    CommandRow{0, "&File", "", "", "", false},
    CommandRow{cmd::SaveSketchPadBitmap, "&File", "", "Save S&ketchPad to .BMP File...", "", false},
    CommandRow{0, "&File", "", "", "", false},
    CommandRow{cmd::Exit, "&File", "", "E&xit", "", false},

    CommandRow{cmd::ShiftDrawing, "&Edit", "", "&Shift Drawing...", "", false},

    CommandRow{cmd::ControlLinks, "&View", "", "Control &Links", "Alt+L", true},
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

    CommandRow{cmd::About, "&Help", "", "&About Avelor...", "Alt+?", false},
};

constexpr std::array kToolButtons = {
    ToolButtonRow{2, cmd::OpenProject, "Open Project"},
    ToolButtonRow{3, cmd::SaveProject, "Save Project"},
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

}  // namespace avelor::ui
