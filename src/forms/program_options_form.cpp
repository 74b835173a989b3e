#include "forms/program_options_form.h"

#include <algorithm>

#include "app/diagnostics.h"
#include "app/text_writer.h"
#include "model/project.h"
#include "model/units.h"
#include "sketchpad/palette.h"

namespace avelor {

namespace {

constexpr double kLowestDefaultT = 286.05;   // K
constexpr double kHighestDefaultT = 306.25;  // K

bool is_available_size(int size)
{
    return std::find(kAvailableCellSizes.begin(), kAvailableCellSizes.end(), size) != kAvailableCellSizes.end();
}

}  // namespace

ProgramOptionsForm::ProgramOptionsForm(const ProgramConfig& config, int cell_size)
    : config_(config), cell_size_(cell_size), original_T_(config.zone_T)
{
    if (!size_available(cell_size_)) cell_size_ = 8;
}

void ProgramOptionsForm::set_units(int units) { config_.units = units == 1 ? 1 : 0; }

bool ProgramOptionsForm::set_flow_unit(int index)
{
    if (index < 0 || index > 8) return false;
    config_.flow_unit = index;
    return true;
}

double ProgramOptionsForm::temperature() const
{
    return convert_units(config_.zone_T, true, UnitKind::Temperature, config_.zone_T_unit);
}

bool ProgramOptionsForm::set_temperature_unit(int unit)
{
    if (unit < 0 || unit > 3) return false;
    config_.zone_T_unit = unit;
    return true;
}

std::string ProgramOptionsForm::temperature_refusal() const
{
    const float low = convert_units(static_cast<float>(kLowestDefaultT), true, UnitKind::Temperature,
                                    config_.zone_T_unit);
    const float high = convert_units(static_cast<float>(kHighestDefaultT), true, UnitKind::Temperature,
                                     config_.zone_T_unit);
    TextWriter text;
    text.printf("The default temperature must lie between %.2f and %.2f %s.", low, high,
                unit_plain_name(UnitKind::Temperature, config_.zone_T_unit).c_str());
    return text.text();
}

bool ProgramOptionsForm::set_temperature(double value)
{
    const double K = convert_units(static_cast<float>(value), false, UnitKind::Temperature, config_.zone_T_unit);
    if (!(K >= kLowestDefaultT - 1e-4 && K <= kHighestDefaultT + 1e-4)) return false;
    config_.zone_T = static_cast<float>(K);
    return true;
}

bool ProgramOptionsForm::size_available(int size) const
{
    return std::find(config_.cell_sizes.begin(), config_.cell_sizes.end(), size) != config_.cell_sizes.end();
}

bool ProgramOptionsForm::can_drop_size(int size) const { return size != 8 && size != cell_size_; }

bool ProgramOptionsForm::set_size_available(int size, bool available)
{
    if (!is_available_size(size)) return false;
    if (available == size_available(size)) return true;
    if (!available) {
        if (!can_drop_size(size)) return false;
        std::erase(config_.cell_sizes, size);
        return true;
    }
    config_.cell_sizes.push_back(size);
    std::sort(config_.cell_sizes.begin(), config_.cell_sizes.end());
    return true;
}

bool ProgramOptionsForm::set_cell_size(int size)
{
    if (!size_available(size)) return false;
    cell_size_ = size;
    return true;
}

bool ProgramOptionsForm::set_cell_jump(int cells)
{
    if (cells < 1) return false;
    config_.cell_jump = cells;
    return true;
}

bool ProgramOptionsForm::set_palette(int palette)
{
    if (palette < 0 || palette > 3) return false;
    config_.palette = palette;
    return true;
}

PaletteIndices ProgramOptionsForm::palette_colours(int palette) const
{
    if (palette >= 1 && palette <= 3) return config_.user_palettes[static_cast<std::size_t>(palette - 1)];
    return palette_indices(builtin_palette(0));
}

bool ProgramOptionsForm::set_user_colour(int palette, int role, int index)
{
    if (palette < 1 || palette > 3 || role < 0 || role >= 12 || index < 0 || index > 255) return false;
    config_.user_palettes[static_cast<std::size_t>(palette - 1)][static_cast<std::size_t>(role)] =
        static_cast<std::uint8_t>(index);
    return true;
}

bool ProgramOptionsForm::set_result_lines(int lines)
{
    if (lines < 0 || lines > 2) return false;
    config_.result_lines = lines;
    return true;
}

bool ProgramOptionsForm::set_time_jump(int steps)
{
    // The configuration file refuses a jump of 1 or less.
    if (steps < 2) return false;
    config_.time_jump = steps;
    return true;
}

void ProgramOptionsForm::save(Project& project) const
{
    if (config_.zone_T == original_T_) return;
    const float T = config_.zone_T;
    if (project.zones.count() > 0 && ask_question(kResetZoneTemperatures) == 1) {
        for (Zone& z : project.zones) z.T0 = T;
        project.mark_changed();
    }
    bool junctions = false;
    bool terminals = false;
    for (const Junction& j : project.junctions) (j.t == 0 ? junctions : terminals) = true;
    if (junctions && ask_question(kResetJunctionTemperatures) == 1) {
        for (Junction& j : project.junctions)
            if (j.t == 0) j.T0 = T;
        project.mark_changed();
    }
    if (terminals && ask_question(kResetTerminalTemperatures) == 1) {
        for (Junction& j : project.junctions)
            if (j.t != 0) j.T0 = T;
        project.mark_changed();
    }
}

}  // namespace avelor
