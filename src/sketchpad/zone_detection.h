// Which cells belong to which zone. Zones are not stored as shapes: each is
// a zone icon inside a region that walls enclose, and the regions are
// flood-filled from their icons whenever the drawing changes or a level is
// shown. Everything topological (the zones a flow path joins, the zone of a
// junction or source, floor areas, conflicting regions) is read from the
// result, the Zones layer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sketchpad/sketch_grid.h"

namespace avelor {

class Project;

// Rebuilds the wall runs from their stored pieces (every wall cell becomes
// ZONE_WALL) and writes each zone icon's number into Zones as its seed; all
// other cells become 0. A zone icon numbered 0 is reported: "Unidentified
// zone [code n] at row r, col c". When no region holds seeds of two keys
// the regions are written filled at once instead, and the fill_zones that
// follows only takes the result.
void prepare_zone_cells(SketchGrid& grid, int which);

// Fills every region from its seed, seeds taken row after row (so the
// ambient marker at the top-left goes first). 1 when some region met a
// seed of another key; with report set that is said once: "Zone definition
// error(s)".
int fill_zones(SketchGrid& grid, int which, bool report);

// Fills the region of one cell with key: 0, or 1 when the fill met a cell
// of another zone. The segment stack grows with the drawing, so any region
// fills in one go. A conflict paints the seed in the error colour (current
// level) and leaves key in the seed cell.
int seed_fill(SketchGrid& grid, int which, int row, int col, std::int32_t key);

// Current level: every cell that is neither a wall nor a zone icon becomes 0,
// ready for fill_zones after icons or walls went away.
void reset_zone_cells(SketchGrid& grid);

// Path direction codes (dir): positive flow from zone n to zone m.
inline constexpr std::uint8_t kDirNorth = 1;  // across a horizontal wall, south to north
inline constexpr std::uint8_t kDirEast = 2;   // across a vertical wall, west to east
inline constexpr std::uint8_t kDirUp = 3;     // through the floor, from the level below
inline constexpr std::uint8_t kDirSouth = 4;
inline constexpr std::uint8_t kDirWest = 5;
inline constexpr std::uint8_t kDirDown = 6;

// The direction a new flow path at the cell starts with, from the wall
// under it (current level): across the wall from its ambient side, else
// northward or eastward; off the walls, through the floor upward unless
// the cell is outdoors. 0 on a wall piece that is not straight.
std::uint8_t initial_path_dir(const SketchGrid& grid, int row, int col);

// The zone identifiers on the from (n) and to (m) sides of a path at the
// cell with the given dir; ZONE_NONE on both for any other dir.
struct PathSides {
    std::int32_t n = ZONE_NONE;
    std::int32_t m = ZONE_NONE;
};
PathSides path_sides(const SketchGrid& grid, int row, int col, int dir);

// After detection on the current level: every flow path, supply and return
// point, source/sink and junction or terminal on it is told its zones from
// Zones; duct segments their end nodes; records that claim another level
// are moved to the current one ("Possible level error for path N fixed").
void relink_icons(Project& project, SketchGrid& grid);

// The duct segment icon at a cell of the current level is told its end
// nodes: the junctions found at the two ends of its run, n upstream and m
// downstream by the icon's flow direction (n south and m north for 154,
// west and east for 155, north and south for 156, east and west for 157).
void relink_duct_segment(Project& project, const SketchGrid& grid, int row, int col);

// After walls came or went at some cells of the current level (and nowhere
// else since its zones were last detected): Zones and the records are
// brought to what a full pass (prepare, fill, relink) would make of them.
// Only the regions the cells touch are refilled, split where new walls cut
// them apart or merged where walls went, and only the icons on or beside a
// cell whose zone changed are told their zones again. The full pass runs
// instead when the level's zones are not known to be exact (a conflict, an
// unnumbered zone icon, a fill that replaced a key), when the wall runs
// need rebuilding, when a zone icon lies under a changed cell, when walls
// both came and went, and when the merge meets two zones.
struct WallEditZones {
    bool full_pass = false;
    std::vector<std::size_t> changed;  // cells whose Zones value changed (local updates)
};
WallEditZones update_zones_after_wall_edit(Project& project, SketchGrid& grid, const std::vector<std::size_t>& cells);

// Floor area of the region around a cell of the current level, up to the
// middle of its walls: a 3 x 3 interior measures 16 cells. scale is the
// length of one cell.
double region_floor_area(const SketchGrid& grid, int row, int col, double scale);

// Length between the end pieces of the straight wall run through a
// straight wall cell of the current level; 0 on any other cell.
double wall_run_length(const SketchGrid& grid, int row, int col, double scale);

// Length of the duct run through a cell of the current level's duct layer,
// in cells between its two end nodes (nodes excluded), times scale.
double duct_run_length(const SketchGrid& grid, int row, int col, double scale);

// The number of cells in the 4-connected region of equal Zones values
// around a cell.
std::int64_t count_region_cells(const SketchGrid& grid, int which, int row, int col);

}  // namespace avelor
