#include "sketchpad/zone_detection.h"

#include <algorithm>
#include <bit>
#include <string>
#include <vector>

#include "app/diagnostics.h"
#include "model/project.h"
#include "sketchpad/cell_scan.h"

namespace avelor {

using sketch_scan::next_nonzero;
using sketch_scan::RepeatWatch;

namespace {

bool is_plain_or_empty(std::uint8_t code, std::uint8_t plain) { return code == 0 || code == plain; }

// Rebuilds the straight wall pieces of one row. Vertical runs come down
// the open columns from the rows above; a vertex that connects east starts
// a run along the row, one that connects south a run down its column. A
// run goes on over empty cells and straight pieces of its own direction
// (which earlier strokes may have left) and ends at any other piece, which
// keeps its code. No run enters the border.
void expand_wall_row(SketchGrid& grid, CellArray<std::uint8_t>& walls, int r)
{
    const int last_row = grid.rows() - 2;
    const int last_col = grid.cols() - 2;
    std::vector<int>& open = grid.scratch.open_columns;
    std::vector<int>& next = grid.scratch.next_open;
    std::uint8_t* row = walls.row(r);
    next.clear();
    for (int c : open) {
        if (!is_plain_or_empty(row[c], ICN_WALL_V)) continue;
        row[c] = ICN_WALL_V;
        if (r < last_row) next.push_back(c);
    }
    for (int c = next_nonzero(row, 1, last_col + 1); c <= last_col;
         c = next_nonzero(row, c + 1, last_col + 1)) {
        if (!has_flag(row[c], CC_WALL_VERTEX)) continue;
        const std::uint16_t bits = direction_bits(row[c]);
        if ((bits & CC_DIR_S) && r < last_row) next.push_back(c);
        if (bits & CC_DIR_E) {
            int k = c + 1;
            while (k <= last_col && is_plain_or_empty(row[k], ICN_WALL_H)) row[k++] = ICN_WALL_H;
            c = k - 1;
        }
    }
    open.swap(next);
}

}  // namespace

void prepare_zone_cells(SketchGrid& grid, int which)
{
    LevelCells& l = grid.level(which);
    const int rows = grid.rows();
    const int cols = grid.cols();
    grid.scratch.open_columns.clear();
    for (int r = 0; r < rows; ++r) {
        if (r >= 1 && r <= rows - 2) expand_wall_row(grid, l.Walls, r);
        std::int32_t* zones = l.Zones.row(r);
        std::fill_n(zones, cols, ZONE_NONE);
        const std::uint8_t* sketch = l.Sketch.row(r);
        for (int c = next_nonzero(sketch, 0, cols); c < cols; c = next_nonzero(sketch, c + 1, cols)) {
            if (!has_flag(sketch[c], CC_ZONE_ICON)) continue;
            const std::int32_t n = l.Paths(r, c);
            if (n != 0) {
                zones[c] = n;
                continue;
            }
            report_error(ERROR, {"Unidentified zone [", std::to_string(sketch[c]), " ", std::to_string(n),
                                 "] at row ", std::to_string(r), ", col ", std::to_string(c)});
        }
        // Every wall cell is a wall in Zones, whichever run reached it.
        const std::uint8_t* walls = l.Walls.row(r);
        for (int c = next_nonzero(walls, 0, cols); c < cols; c = next_nonzero(walls, c + 1, cols))
            zones[c] = ZONE_WALL;
    }
    grid.scratch.open_columns.clear();
    grid.walls_changed = false;
}

int fill_zones(SketchGrid& grid, int which, bool report)
{
    LevelCells& l = grid.level(which);
    const int cols = grid.cols();
    int conflict = 0;
    for (int r = 0; r < grid.rows(); ++r) {
        const std::uint8_t* sketch = l.Sketch.row(r);
        for (int c = next_nonzero(sketch, 0, cols); c < cols; c = next_nonzero(sketch, c + 1, cols)) {
            if (!has_flag(sketch[c], CC_ZONE_ICON)) continue;
            std::int32_t& cell = l.Zones(r, c);
            const std::int32_t key = cell;
            // A zone icon read onto a wall cell must not flood its
            // neighbours with wall.
            if (key == ZONE_WALL) continue;
            cell = ZONE_NONE;
            if (key != ZONE_NONE && seed_fill(grid, which, r, c, key) != 0) conflict = 1;
        }
    }
    if (conflict && report) report_error(ERROR, {"Zone definition error(s)"});
    return conflict;
}

// A cell holding the value being replaced is filled, a wall or the key
// stops a scan, any other value is a conflict that ends the fill.
int seed_fill(SketchGrid& grid, int which, int row, int col, std::int32_t key)
{
    if (!grid.in_grid(row, col)) return 0;
    CellArray<std::int32_t>& zones = grid.level(which).Zones;
    const std::int32_t ov = zones(row, col);
    const int status = sketch_scan::scanline_fill(
        zones.data(), grid.rows(), grid.cols(), row, col, grid.scratch.segments,
        [&](std::int32_t v) { return (v == ZONE_WALL || v == key) ? 0 : v == ov ? 1 : -1; },
        [&](int, int, std::int32_t& cell) { cell = key; });
    if (status != 0) {
        // Only the current level has an overlay to show the conflict on.
        if (which == kCurrentLevel) grid.Scolors(row, col) = grid.colours.errors;
        zones(row, col) = key;
    }
    return status;
}

void reset_zone_cells(SketchGrid& grid)
{
    LevelCells& l = grid.current();
    const std::size_t n = grid.cells();
    std::int32_t* zones = l.Zones.data();
    const std::uint8_t* sketch = l.Sketch.data();
    for (std::size_t i = 0; i < n; ++i)
        if (zones[i] != ZONE_WALL && !has_flag(sketch[i], CC_ZONE_ICON)) zones[i] = ZONE_NONE;
}

std::uint8_t initial_path_dir(const SketchGrid& grid, int row, int col)
{
    if (!grid.in_drawing(row, col)) return 0;
    const LevelCells& l = grid.current();
    switch (l.Walls(row, col)) {
    case ICN_WALL_H: return l.Zones(row - 1, col) == ZONE_AMBIENT ? kDirSouth : kDirNorth;
    case ICN_WALL_V: return l.Zones(row, col + 1) == ZONE_AMBIENT ? kDirWest : kDirEast;
    case 0: return l.Zones(row, col) == ZONE_AMBIENT ? kDirDown : kDirUp;
    default: return 0;
    }
}

PathSides path_sides(const SketchGrid& grid, int row, int col, int dir)
{
    if (!grid.in_drawing(row, col)) return {};
    const CellArray<std::int32_t>& z = grid.current().Zones;
    const CellArray<std::int32_t>& below = grid.below().Zones;
    switch (dir) {
    case kDirNorth: return {z(row + 1, col), z(row - 1, col)};
    case kDirSouth: return {z(row - 1, col), z(row + 1, col)};
    case kDirEast: return {z(row, col - 1), z(row, col + 1)};
    case kDirWest: return {z(row, col + 1), z(row, col - 1)};
    case kDirUp: return {below(row, col), z(row, col)};
    case kDirDown: return {z(row, col), below(row, col)};
    default: return {};
    }
}

namespace {

// A side of a path: the ambient zone, a zone of the list, or nothing.
ZoneRef zone_side(const Project& project, std::int32_t id)
{
    if (id == ZONE_AMBIENT) return ZoneRef::ambient();
    if (id < 1) return {};
    return ZoneRef(project.zones.at(id));
}

// A zone of its own cell, never the ambient one.
Zone* zone_of_cell(const Project& project, std::int32_t id)
{
    return id >= 1 ? project.zones.at(id) : nullptr;
}

void relink_path(Project& project, const SketchGrid& grid, std::uint8_t code, std::int32_t number, int r,
                 int c)
{
    FlowPath* path = project.paths.at(number);
    if (!path) return;
    const std::int32_t own = grid.current().Zones(r, c);
    if (code == ICN_SUPPLY) {
        path->zone_m = zone_of_cell(project, own);
    } else if (code == ICN_RETURN) {
        path->zone_n = zone_of_cell(project, own);
    } else {
        const PathSides sides = path_sides(grid, r, c, path->dir);
        path->zone_n = zone_side(project, sides.n);
        path->zone_m = zone_side(project, sides.m);
        if (!path->zone_n.is_ambient() && !path->zone_m.is_ambient()) {
            // Wind acts only on paths to the outdoors.
            path->flags &= static_cast<std::uint16_t>(~0x0001u);
            path->wind_profile = nullptr;
            path->wPset = 0;
            path->wPmod = 0;
            path->wazm = -1;
        }
    }
    if (path->level != project.current_level) {
        path->level = project.current_level;
        show_message(WARNING, {"Possible level error for path ", std::to_string(number), " fixed"});
    }
}

void relink_segment(Project& project, const SketchGrid& grid, std::uint8_t code, std::int32_t number, int r,
                    int c)
{
    DuctSegment* segment = project.ducts.at(number);
    if (!segment) return;
    const DuctRunEnds ends = duct_run_ends(grid, kCurrentLevel, r, c);
    auto junction_at = [&](const RunEnd& end) -> Junction* {
        if (!end.node) return nullptr;
        const std::int32_t n = grid.current().Paths(end.cell.row, end.cell.col);
        return n > 0 ? project.junctions.at(n) : nullptr;
    };
    // first is the north or west end; positive flow runs from n to m.
    Junction* north_or_west = junction_at(ends.first);
    Junction* south_or_east = junction_at(ends.second);
    const bool forward = code == ICN_SEGMENT_S || code == ICN_SEGMENT_E;
    segment->junction_n = forward ? north_or_west : south_or_east;
    segment->junction_m = forward ? south_or_east : north_or_west;
}

}  // namespace

void relink_icons(Project& project, SketchGrid& grid)
{
    const LevelCells& l = grid.current();
    const int rows = grid.rows();
    const int cols = grid.cols();
    for (int r = rows - 2; r >= 1; --r) {
        for (int c = cols - 1; c >= 1; --c) {
            const std::uint8_t icon = l.Sketch(r, c);
            const std::uint8_t duct = l.Ducts(r, c);
            if (icon == 0 && duct == 0) continue;
            const std::int32_t number = l.Paths(r, c);
            if (number <= 0) continue;
            const std::uint16_t flags = code_flags(icon);
            if ((flags & CC_PATH_ICON) && icon != ICN_AHS) {
                relink_path(project, grid, icon, number, r, c);
            } else if (icon == ICN_ZONE) {
                Zone* zone = project.zones.at(number);
                if (zone && zone->level != project.current_level) {
                    zone->level = project.current_level;
                    show_message(WARNING,
                                 {"Possible level error for zone ", std::to_string(number), " fixed"});
                }
            } else if (flags & CC_SOURCE_ICON) {
                if (SourceSink* source = project.sources.at(number))
                    source->zone = zone_of_cell(project, l.Zones(r, c));
            }
            if (has_flag(duct, CC_DUCT_SEGMENT)) relink_segment(project, grid, duct, number, r, c);
        }
    }
    for (int r = rows - 2; r >= 1; --r) {
        for (int c = cols - 1; c >= 1; --c) {
            if (!is_duct_node(l.Ducts(r, c))) continue;
            const std::int32_t number = l.Paths(r, c);
            if (number <= 0) continue;
            if (Junction* junction = project.junctions.at(number))
                junction->zone = zone_side(project, l.Zones(r, c));
        }
    }
}

namespace {

// Marks for the cells a measuring fill has reached, one bit per cell.
class CellMarks {
public:
    explicit CellMarks(std::size_t cells) : bits_((cells + 63) / 64, 0) {}
    bool test_and_set(std::size_t i)
    {
        std::uint64_t& word = bits_[i / 64];
        const std::uint64_t bit = std::uint64_t{1} << (i % 64);
        const bool was = (word & bit) != 0;
        word |= bit;
        return was;
    }

private:
    std::vector<std::uint64_t> bits_;
};

}  // namespace

double region_floor_area(const SketchGrid& grid, int row, int col, double scale)
{
    if (!grid.in_drawing(row, col)) return 0;
    const CellArray<std::uint8_t>& walls = grid.current().Walls;
    const int rows = grid.rows();
    const int cols = grid.cols();
    CellMarks marks(grid.cells());
    std::vector<std::size_t> stack;
    const std::size_t start = grid.index(row, col);
    marks.test_and_set(start);
    stack.push_back(start);
    // Counted in quarter cells: a whole cell is 4, half a wall cell 2, the
    // quarter of a corner wall cell 1. Integers keep every quarter however
    // large the region.
    std::int64_t quarters = 0;
    const std::size_t stride = static_cast<std::size_t>(cols);
    while (!stack.empty()) {
        const std::size_t i = stack.back();
        stack.pop_back();
        const int r = static_cast<int>(i / stride);
        const int c = static_cast<int>(i % stride);
        quarters += 4;
        auto side = [&](bool exists, std::size_t j) {
            if (!exists) return false;
            if (walls[j] != 0) return true;
            if (!marks.test_and_set(j)) stack.push_back(j);
            return false;
        };
        const bool e = side(c + 1 < cols - 1, i + 1);
        const bool w = side(c >= 2, i - 1);
        const bool s = side(r + 1 < rows - 1, i + stride);
        const bool n = side(r >= 2, i - stride);
        quarters += 2 * (int{e} + int{w} + int{s} + int{n});
        quarters += int{e && n} + int{e && s} + int{w && n} + int{w && s};
        // A wall cell touching only at a corner pokes a quarter into the cell.
        if (!n && !e && walls[i - stride + 1] != 0) --quarters;
        if (!n && !w && walls[i - stride - 1] != 0) --quarters;
        if (!s && !e && walls[i + stride + 1] != 0) --quarters;
        if (!s && !w && walls[i + stride - 1] != 0) --quarters;
    }
    return static_cast<double>(quarters) * scale * scale / 4.0;
}

double wall_run_length(const SketchGrid& grid, int row, int col, double scale)
{
    if (!grid.in_grid(row, col)) return 0;
    const CellArray<std::uint8_t>& walls = grid.current().Walls;
    const std::uint8_t code = walls(row, col);
    int dr = 0;
    int dc = 0;
    if (code == ICN_WALL_H)
        dc = 1;
    else if (code == ICN_WALL_V)
        dr = 1;
    else
        return 0;
    auto count = [&](int sign) {
        int n = 1;
        for (int r = row + sign * dr, c = col + sign * dc; grid.in_grid(r, c) && walls(r, c) == code;
             r += sign * dr, c += sign * dc)
            ++n;
        return n;
    };
    return static_cast<double>(count(1) + count(-1)) * scale;
}

namespace {

GridCell step_cell(GridCell at, std::uint16_t d)
{
    switch (d) {
    case CC_DIR_N: return {at.row - 1, at.col};
    case CC_DIR_E: return {at.row, at.col + 1};
    case CC_DIR_S: return {at.row + 1, at.col};
    default: return {at.row, at.col - 1};
    }
}

struct Trace {
    std::int64_t cells = 0;
    bool ring = false;
};

// Counts the duct cells from start in direction d up to the first node:
// straight on while the cell ahead holds a piece, round a corner to the
// occupied side when it is empty. The trace keeps to the drawing and stops
// where it comes back to start or to any state it has been in.
Trace trace_duct(const SketchGrid& grid, const CellArray<std::uint8_t>& ducts, GridCell start,
                 std::uint16_t d)
{
    auto piece = [&](GridCell at) -> std::uint8_t {
        return grid.in_drawing(at.row, at.col) ? ducts(at.row, at.col) : std::uint8_t{0};
    };
    Trace trace;
    const std::uint8_t first = piece(step_cell(start, d));
    if (first == 0 || first >= ICN_JUNCTION) return trace;
    GridCell at = start;
    RepeatWatch watch;
    for (;;) {
        GridCell ahead = step_cell(at, d);
        std::uint8_t code = piece(ahead);
        if (code == 0) {
            const bool vertical = d == CC_DIR_N || d == CC_DIR_S;
            const std::uint16_t one = vertical ? CC_DIR_E : CC_DIR_N;
            const std::uint16_t other = vertical ? CC_DIR_W : CC_DIR_S;
            if (piece(step_cell(at, one)) != 0)
                d = one;
            else if (piece(step_cell(at, other)) != 0)
                d = other;
            else
                return trace;
            ahead = step_cell(at, d);
            code = piece(ahead);
        }
        if (code >= ICN_JUNCTION) return trace;
        if (ahead == start) {
            trace.ring = true;
            return trace;
        }
        const std::size_t state =
            grid.index(ahead.row, ahead.col) * 4 + static_cast<std::size_t>(std::countr_zero(d));
        if (watch.seen(state)) return trace;
        ++trace.cells;
        at = ahead;
    }
}

}  // namespace

double duct_run_length(const SketchGrid& grid, int row, int col, double scale)
{
    if (!grid.in_drawing(row, col)) return 0;
    const CellArray<std::uint8_t>& ducts = grid.current().Ducts;
    std::int64_t cells = 1;
    for (std::uint16_t d : {CC_DIR_N, CC_DIR_E, CC_DIR_S, CC_DIR_W}) {
        const Trace t = trace_duct(grid, ducts, {row, col}, d);
        if (t.ring) return static_cast<double>(1 + t.cells) * scale;
        cells += t.cells;
    }
    return static_cast<double>(cells) * scale;
}

std::int64_t count_region_cells(const SketchGrid& grid, int which, int row, int col)
{
    if (!grid.in_grid(row, col)) return 0;
    const CellArray<std::int32_t>& zones = grid.level(which).Zones;
    const std::int32_t value = zones(row, col);
    const int rows = grid.rows();
    const int cols = grid.cols();
    const std::size_t stride = static_cast<std::size_t>(cols);
    CellMarks marks(grid.cells());
    std::vector<std::size_t> stack{grid.index(row, col)};
    marks.test_and_set(stack.back());
    std::int64_t count = 0;
    while (!stack.empty()) {
        const std::size_t i = stack.back();
        stack.pop_back();
        ++count;
        const int r = static_cast<int>(i / stride);
        const int c = static_cast<int>(i % stride);
        auto visit = [&](bool exists, std::size_t j) {
            if (exists && zones[j] == value && !marks.test_and_set(j)) stack.push_back(j);
        };
        visit(c + 1 < cols, i + 1);
        visit(c > 0, i - 1);
        visit(r + 1 < rows, i + stride);
        visit(r > 0, i - stride);
    }
    return count;
}

}  // namespace avelor
