// The "Program Configuration Properties" sheet without the widgets: a
// working copy of the program configuration on five pages, and Save, which
// may reset the temperatures of the project's zones, junctions and
// terminals to a new default.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/program_config.h"

namespace avelor {

class Project;

inline constexpr std::string_view kProgramOptionsCaption = "Program Configuration Properties";
inline constexpr std::string_view kNewProjectNote = "These values will be used when creating new projects.";
inline constexpr std::string_view kResetZoneTemperatures = "Reset temperatures for existing zones?";
inline constexpr std::string_view kResetJunctionTemperatures = "Reset temperatures for existing junctions?";
inline constexpr std::string_view kResetTerminalTemperatures = "Reset temperatures for existing terminals?";
inline constexpr std::string_view kPaletteRoleNames[12] = {
    "Foreground", "Background", "Controls", "Undefined", "Draw line", "Sublevel",
    "Flow results", "Ducts", "Pressure results", "Errors", "Highlight background", "Highlight foreground"};

class ProgramOptionsForm {
public:
    // cell_size: the SketchPad's cell size now.
    ProgramOptionsForm(const ProgramConfig& config, int cell_size);

    const ProgramConfig& config() const { return config_; }

    // "Default Units".
    void set_units(int units);          // 0 SI, 1 IP
    bool set_flow_unit(int index);      // 0..8
    // The default zone and junction temperature, in its display unit.
    double temperature() const;
    int temperature_unit() const { return config_.zone_T_unit; }
    // A new unit shows the same temperature in it.
    bool set_temperature_unit(int unit);
    // Refused (false, nothing taken) outside 286.05 to 306.25 K.
    bool set_temperature(double value);
    std::string temperature_refusal() const;

    // "SketchPad Display".
    void set_floating_status(bool on) { config_.floating_status = on ? 1 : 0; }
    void set_zone_colours(bool on) { config_.zone_colours = on ? 1 : 0; }
    void set_duct_colours(bool on) { config_.duct_colours = on ? 1 : 0; }
    void set_maximize(bool on) { config_.maximize = on ? 1 : 0; }

    // "Cell/Icon Size": which sizes are available (8 always, and the
    // current one), the current one among them, the cell jump (at least 1).
    bool size_available(int size) const;
    bool set_size_available(int size, bool available);
    bool can_drop_size(int size) const;
    int cell_size() const { return cell_size_; }
    bool set_cell_size(int size);
    bool set_cell_jump(int cells);

    // "Colors": the palette in use and the user palettes' colour indices.
    bool set_palette(int palette);  // 0 default, 1..3 user palettes
    PaletteIndices palette_colours(int palette) const;
    bool set_user_colour(int palette, int role, int index);

    // "Results Display": 0 flow only, 1 both, 2 pressure only; the time
    // step jump (at least 2).
    bool set_result_lines(int lines);
    bool set_time_jump(int steps);

    // "Save": when the default temperature changed, asks about each group
    // of the project that has members (zones; junctions that are not
    // terminals; terminals); each Yes sets that group's temperature to the
    // new default. The caller then takes the configuration and writes it.
    void save(Project& project) const;

private:
    ProgramConfig config_;
    int cell_size_;
    float original_T_;
};

}  // namespace avelor
