#include "editing/program_settings.h"

#include <algorithm>

#include "model/project.h"

namespace avelor {

SketchPalette selected_palette(const ProgramConfig& config)
{
    if (config.palette < 1 || config.palette > 3) return builtin_palette(0);
    return palette_from_indices(config.user_palettes[static_cast<std::size_t>(config.palette - 1)]);
}

void apply_program_config(EditorSession& session, int cell_size)
{
    SketchView& view = session.view;
    // A list the view refuses leaves the sizes it has.
    view.set_cell_sizes(session.config.cell_sizes);
    const std::vector<int>& sizes = view.cell_sizes();
    const bool kept = std::find(sizes.begin(), sizes.end(), cell_size) != sizes.end();
    view.set_cell_size(kept ? cell_size : 8, session.grid);
    view.cell_jump = std::max(1, session.config.cell_jump);
    view.flags.floating_status = session.config.floating_status != 0;
    view.flags.colour_zones = session.config.zone_colours != 0;
    view.flags.colour_ducts = session.config.duct_colours != 0;
    view.palette = selected_palette(session.config);
}

void apply_new_project_defaults(const ProgramConfig& config, Project& project)
{
    project.rc.ud = static_cast<std::int16_t>(config.units);
    project.rc.uf = static_cast<std::int16_t>(config.flow_unit);
    project.rc.T = config.zone_T;
    project.rc.uT = static_cast<std::int16_t>(config.zone_T_unit);
}

}  // namespace avelor
