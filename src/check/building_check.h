// The building check: every level's drawing turned into a consistent
// network (zones detected, icon references refreshed, records renumbered in
// icon order) and, in check mode, every rule the simulation depends on
// tested. Problems are collected as located messages that the problems
// window lists; choosing one takes the SketchPad to its level and cell.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "check/problem_list.h"
#include "model/records.h"

namespace avelor {

class Project;
class SketchGrid;
class SketchView;

// What the check works on: the project, the SketchPad grid and view that
// show it, the flag that says the project must be saved before it is run,
// and the list the problems window shows. An editing session passes itself
// as one.
struct CheckScope {
    Project& project;
    SketchGrid& grid;
    SketchView& view;
    bool& must_save;
    ProblemList& problems;
    // Where the project is saved (empty: untitled): the path location file
    // goes beside it and a relative WPC file name is looked for there.
    std::string project_path;
};

// Adds a problem at a cell of a level.
void add_problem(ProblemList& problems, Level* level, int row, int col, std::string_view text);

// Modes of check_building.
inline constexpr int kRenumberOnly = 0;
inline constexpr int kCheckBuilding = 1;

// The whole building: with mode 1 every level is checked and the network
// rules tested; with mode 0 or below the levels are only relinked and the
// records renumbered in icon order (before a save). The problem list is
// emptied first. The project's changed flag moves into the document's
// must-save flag and the current level is shown again at the end. 0 when no
// error was found (warnings are entries but not errors), 1 otherwise. The
// caller shows the problems window when the list is not empty.
int check_building(CheckScope scope, ProblemList& problems, int mode);
int check_building(CheckScope scope, int mode);  // the scope's problem list
// "Run Building Check": the check on the scope's problem list, and a note
// when it found nothing.
int run_building_check(CheckScope scope);

// The per-level checks of the current level: zone detection (a conflict
// ends the checks), unclaimed cells, zero volumes, icons in the ambient
// zone, path positions, duct node connections and undefined items. With
// check_mode the path and duct node tests add entries; without it they show
// message boxes. 0 or 1.
int check_level(CheckScope scope, ProblemList& problems, bool check_mode);

// The flow path position test at a cell of the current level. With a list
// (check mode) a refusal becomes an entry; without one it is a box (or a
// beep on a wall piece that is not straight). 0 ok, 1 refused.
int check_path_position(const SketchGrid& grid, const Project& project, int row, int col,
                        ProblemList* problems);

// The duct node connection test at a cell of the current level: vertical
// partners on the level below, horizontal ducts, nothing upward from the
// top level. With a list every failure is an entry; without one the first
// failure is a box and ends the test. 0 ok, 1 failed.
int check_junction_connections(const SketchGrid& grid, const Project& project, int row, int col,
                               ProblemList* problems);

// Every zone and duct junction must reach the outdoors through links whose
// flow depends on pressure. Unreached ones are written to the run log and,
// on the highest level that shows one of them, become entries at their
// icons (that level is shown). 0 or 1.
int check_unlinked_nodes(CheckScope scope, ProblemList& problems);

// "Check Current Level": empties the list, checks the current level with
// boxes for the path and duct node tests, and says "Level data is complete"
// when it found no error. The caller shows the problems window when the
// list is not empty.
int check_current_level(CheckScope scope, ProblemList& problems);

// What the problems window binds to.
struct ProblemsWindowModel {
    static constexpr std::string_view kCaption = "Building Check Problems";
    static constexpr std::string_view kColumn = "Messages";

    // One row per entry, in list order.
    static std::vector<std::string> rows(const ProblemList& problems);
    // "Run Simulation" only while nothing is listed.
    static bool run_simulation_enabled(const ProblemList& problems) { return problems.empty(); }
    // A row was chosen: its level becomes current, the cursor goes to its
    // cell, which is scrolled into view and highlighted. A level that no
    // longer exists is refused; a cell outside the drawable area is the
    // error "Bad Highlight Cell". True when shown.
    static bool show_row(CheckScope scope, const ProblemList& problems, std::size_t row);
    // The window closes: the highlight goes.
    static void clear_highlight(CheckScope scope);
};

}  // namespace avelor
