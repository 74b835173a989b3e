// Moving between levels while the grid keeps its two-level window: the
// current level and the one below it. A level's drawing lives in its icon
// list; leaving a level stores it, arriving shows it.
#pragma once

#include "sketchpad/sketch_grid.h"

namespace avelor {

class Project;

// Up one level: the current arrays become the level below (a swap, no copy)
// and the level above is shown. False, with nothing changed, at the top
// level (the caller beeps).
bool level_up(Project& project, SketchGrid& grid);

// Down one level: the arrays of the level below become current and the
// level under that one is shown below. False, with nothing changed, at the
// lowest level.
bool level_down(Project& project, SketchGrid& grid);

// Straight to any level: the current one is stored, the target and the
// level below it are shown.
void goto_level(Project& project, SketchGrid& grid, Level& target);

// Shows a level the cheapest way, for walks over several levels: a step up
// or down trades the two levels' arrays and shows only one new level;
// anything else goes straight there. The level shown already stays.
void show_level_cheaply(Project& project, SketchGrid& grid, Level& target);

// Whether "Level Above" and "Level Below" may be chosen.
struct LevelCommands {
    bool above = false;
    bool below = false;
};
LevelCommands level_commands(const Project& project);

}  // namespace avelor
