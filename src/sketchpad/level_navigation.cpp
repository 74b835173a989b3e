#include "sketchpad/level_navigation.h"

#include "model/project.h"
#include "sketchpad/control_links.h"

namespace avelor {

bool level_up(Project& project, SketchGrid& grid)
{
    Level* current = project.current_level;
    if (!current) return false;
    store_current_level(project, grid);
    Level* above = current->above;
    if (!above) return false;
    if (grid.shown_level(kCurrentLevel) != current) {
        goto_level(project, grid, *above);
        return true;
    }
    // The level shown now becomes the one below as it stands, with its
    // zones and runs already built.
    grid.swap_levels();
    project.current_level = above;
    show_level(grid, above, kCurrentLevel);
    refresh_control_links(project, grid);
    return true;
}

bool level_down(Project& project, SketchGrid& grid)
{
    Level* current = project.current_level;
    if (!current || !current->below) return false;
    Level* now = current->below;
    if (grid.shown_level(kCurrentLevel) != current || grid.shown_level(kLevelBelow) != now) {
        goto_level(project, grid, *now);
        return true;
    }
    store_level_icons(grid, *current);
    grid.swap_levels();
    project.current_level = now;
    show_level(grid, now->below, kLevelBelow);
    refresh_control_links(project, grid);
    return true;
}

void goto_level(Project& project, SketchGrid& grid, Level& target)
{
    store_current_level(project, grid);
    project.current_level = &target;
    show_level(grid, target.below, kLevelBelow);
    show_level(grid, &target, kCurrentLevel);
    refresh_control_links(project, grid);
}

void show_level_cheaply(Project& project, SketchGrid& grid, Level& target)
{
    Level* current = project.current_level;
    const bool shown = current && grid.shown_level(kCurrentLevel) == current;
    if (shown && &target == current) return;
    if (shown && &target == current->above)
        level_up(project, grid);
    else if (shown && &target == current->below)
        level_down(project, grid);
    else
        goto_level(project, grid, target);
}

LevelCommands level_commands(const Project& project)
{
    const Level* current = project.current_level;
    if (!current) return {};
    return {current != project.top_level, current != project.lowest_level};
}

}  // namespace avelor
