#include "sketchpad/zone_detection.h"

#include <algorithm>
#include <bit>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "app/diagnostics.h"
#include "model/project.h"
#include "sketchpad/cell_scan.h"

namespace avelor {

using sketch_scan::next_nonzero;
using sketch_scan::next_nonzero_any;
using sketch_scan::next_zero;
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

namespace {

using Run = SketchGrid::Scratch::Run;

std::uint32_t find_run(std::vector<Run>& runs, std::uint32_t i)
{
    while (runs[i].parent != i) i = runs[i].parent = runs[runs[i].parent].parent;
    return i;
}

// Joins the regions of two runs; false when each had a different key.
bool join_runs(std::vector<Run>& runs, std::uint32_t a, std::uint32_t b)
{
    a = find_run(runs, a);
    b = find_run(runs, b);
    if (a == b) return true;
    const std::int32_t ka = runs[a].key;
    const std::int32_t kb = runs[b].key;
    runs[b].parent = a;
    if (ka == ZONE_NONE) runs[a].key = kb;
    return ka == ZONE_NONE || kb == ZONE_NONE || ka == kb;
}

// The seed state a fill works from: walls, each numbered zone icon's key,
// 0 elsewhere.
void write_seed_state(SketchGrid& grid, LevelCells& l)
{
    const int cols = grid.cols();
    for (int r = 0; r < grid.rows(); ++r) {
        std::int32_t* zones = l.Zones.row(r);
        std::fill_n(zones, cols, ZONE_NONE);
        const std::uint8_t* sketch = l.Sketch.row(r);
        for (int c = next_nonzero(sketch, 0, cols); c < cols; c = next_nonzero(sketch, c + 1, cols))
            if (has_flag(sketch[c], CC_ZONE_ICON) && l.Paths(r, c) != 0) zones[c] = l.Paths(r, c);
        const std::uint8_t* walls = l.Walls.row(r);
        for (int c = next_nonzero(walls, 0, cols); c < cols; c = next_nonzero(walls, c + 1, cols))
            zones[c] = ZONE_WALL;
    }
}

}  // namespace

// Regions are found as runs of wall-free cells, row by row: each run joins
// the runs of the row above it overlaps, and a zone icon gives its run's
// region its key. Only then is Zones written, once per cell, a run at a
// time. A region with two keys is a conflict, whose outcome depends on the
// order of the seeds: then the seed state is written for fill_zones to
// fill and mark as it always has.
void prepare_zone_cells(SketchGrid& grid, int which)
{
    LevelCells& l = grid.level(which);
    const int rows = grid.rows();
    const int cols = grid.cols();
    std::vector<Run>& runs = grid.scratch.runs;
    std::vector<std::uint32_t>& row_runs = grid.scratch.row_runs;
    runs.clear();
    row_runs.assign(static_cast<std::size_t>(rows) + 1, 0);
    grid.scratch.open_columns.clear();
    std::int64_t unidentified = 0;
    bool conflict = false;
    for (int r = 0; r < rows; ++r) {
        if (r >= 1 && r <= rows - 2) expand_wall_row(grid, l.Walls, r);
        const std::uint8_t* walls = l.Walls.row(r);
        const auto first = static_cast<std::uint32_t>(runs.size());
        row_runs[static_cast<std::size_t>(r)] = first;
        for (int c = next_zero(walls, 0, cols); c < cols;) {
            const int end = next_nonzero(walls, c, cols);
            const auto self = static_cast<std::uint32_t>(runs.size());
            runs.push_back({c, end - 1, self, ZONE_NONE});
            c = end < cols ? next_zero(walls, end, cols) : cols;
        }
        const auto last = static_cast<std::uint32_t>(runs.size());
        if (r > 0) {
            std::uint32_t i = row_runs[static_cast<std::size_t>(r) - 1];
            std::uint32_t j = first;
            while (i < first && j < last) {
                if (runs[i].last < runs[j].first) {
                    ++i;
                } else if (runs[j].last < runs[i].first) {
                    ++j;
                } else {
                    if (!join_runs(runs, i, j)) conflict = true;
                    if (runs[i].last < runs[j].last)
                        ++i;
                    else
                        ++j;
                }
            }
        }
        const std::uint8_t* sketch = l.Sketch.row(r);
        std::uint32_t k = first;
        for (int c = next_nonzero(sketch, 0, cols); c < cols; c = next_nonzero(sketch, c + 1, cols)) {
            if (!has_flag(sketch[c], CC_ZONE_ICON)) continue;
            const std::int32_t n = l.Paths(r, c);
            if (n == 0) {
                ++unidentified;
                if (!grid.quiet_zone_reports)
                    report_error(ERROR, {"Unidentified zone [", std::to_string(sketch[c]), " ", std::to_string(n),
                                         "] at row ", std::to_string(r + grid.origin.row), ", col ",
                                         std::to_string(c + grid.origin.col)});
                continue;
            }
            // A zone icon on a wall seeds nothing.
            if (walls[c] != 0) continue;
            while (runs[k].last < c) ++k;
            Run& root = runs[find_run(runs, k)];
            if (root.key == ZONE_NONE)
                root.key = n;
            else if (root.key != n)
                conflict = true;
        }
    }
    row_runs[static_cast<std::size_t>(rows)] = static_cast<std::uint32_t>(runs.size());
    grid.scratch.open_columns.clear();
    grid.walls_changed = false;
    l.detection.unidentified = unidentified;
    l.detection.prefilled = !conflict;
    if (conflict) {
        write_seed_state(grid, l);
        return;
    }
    for (int r = 0; r < rows; ++r) {
        std::int32_t* zones = l.Zones.row(r);
        int at = 0;
        for (std::uint32_t k = row_runs[static_cast<std::size_t>(r)]; k < row_runs[static_cast<std::size_t>(r) + 1]; ++k) {
            const Run& run = runs[k];
            std::fill(zones + at, zones + run.first, ZONE_WALL);
            std::fill(zones + run.first, zones + run.last + 1, runs[find_run(runs, k)].key);
            at = run.last + 1;
        }
        std::fill(zones + at, zones + cols, ZONE_WALL);
    }
}

int fill_zones(SketchGrid& grid, int which, bool report)
{
    LevelCells& l = grid.level(which);
    if (l.detection.prefilled) {
        l.detection.prefilled = false;
        l.detection.zones_exact = l.detection.unidentified == 0;
        l.detection.links_exact = false;
        return 0;
    }
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
    if (conflict && report && !grid.quiet_zone_reports) report_error(ERROR, {"Zone definition error(s)"});
    l.detection.zones_exact = conflict == 0 && l.detection.unidentified == 0;
    l.detection.links_exact = false;
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
    // A region that had no key and takes the new one is what a full pass
    // would make of it; anything else (a key replaced, a conflict) is not.
    ZoneDetectionState& state = grid.level(which).detection;
    state.prefilled = false;
    if (status != 0 || ov != ZONE_NONE) state.zones_exact = false;
    state.links_exact = false;
    return status;
}

void reset_zone_cells(SketchGrid& grid)
{
    LevelCells& l = grid.current();
    l.detection.prefilled = false;
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

}  // namespace

void relink_duct_segment(Project& project, const SketchGrid& grid, int r, int c)
{
    if (!grid.in_drawing(r, c)) return;
    const std::uint8_t code = grid.current().Ducts(r, c);
    if (!has_flag(code, CC_DUCT_SEGMENT)) return;
    DuctSegment* segment = project.ducts.at(grid.current().Paths(r, c));
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

namespace {

// The first of relink_icons' two passes at one cell: paths, zones, sources
// and duct segments.
void relink_icon_cell(Project& project, const SketchGrid& grid, int r, int c)
{
    const LevelCells& l = grid.current();
    const std::uint8_t icon = l.Sketch(r, c);
    const std::uint8_t duct = l.Ducts(r, c);
    if (icon == 0 && duct == 0) return;
    const std::int32_t number = l.Paths(r, c);
    if (number <= 0) return;
    const std::uint16_t flags = code_flags(icon);
    if ((flags & CC_PATH_ICON) && icon != ICN_AHS) {
        relink_path(project, grid, icon, number, r, c);
    } else if (icon == ICN_ZONE) {
        Zone* zone = project.zones.at(number);
        if (zone && zone->level != project.current_level) {
            zone->level = project.current_level;
            show_message(WARNING, {"Possible level error for zone ", std::to_string(number), " fixed"});
        }
    } else if (flags & CC_SOURCE_ICON) {
        if (SourceSink* source = project.sources.at(number)) source->zone = zone_of_cell(project, l.Zones(r, c));
    }
    if (has_flag(duct, CC_DUCT_SEGMENT)) relink_duct_segment(project, grid, r, c);
}

// The second pass: junctions and terminals.
void relink_junction_cell(Project& project, const SketchGrid& grid, int r, int c)
{
    const LevelCells& l = grid.current();
    if (!is_duct_node(l.Ducts(r, c))) return;
    const std::int32_t number = l.Paths(r, c);
    if (number <= 0) return;
    if (Junction* junction = project.junctions.at(number)) junction->zone = zone_side(project, l.Zones(r, c));
}

// Calls visit(r, c) for every cell of the drawing's rows (columns 1 to the
// last) holding an icon or a duct piece, from the bottom-right cell
// backwards, the order in which the records are told their zones.
template <class Visit>
void for_each_icon_cell_backwards(const SketchGrid& grid, std::vector<int>& columns, Visit&& visit)
{
    const LevelCells& l = grid.current();
    const int cols = grid.cols();
    for (int r = grid.rows() - 2; r >= 1; --r) {
        const std::uint8_t* layers[] = {l.Sketch.row(r), l.Ducts.row(r)};
        columns.clear();
        for (int c = next_nonzero_any(layers, 2, 1, cols); c < cols; c = next_nonzero_any(layers, 2, c + 1, cols))
            columns.push_back(c);
        for (auto it = columns.rbegin(); it != columns.rend(); ++it) visit(r, *it);
    }
}

}  // namespace

void relink_icons(Project& project, SketchGrid& grid)
{
    std::vector<int>& columns = grid.scratch.next_open;
    for_each_icon_cell_backwards(grid, columns, [&](int r, int c) { relink_icon_cell(project, grid, r, c); });
    for_each_icon_cell_backwards(grid, columns, [&](int r, int c) { relink_junction_cell(project, grid, r, c); });
    columns.clear();
    ZoneDetectionState& state = grid.current().detection;
    state.links_exact = state.zones_exact;
}

namespace {

// Zones values that mark a cell reached by one of the update's floods,
// below every identifier a region or a wall holds.
constexpr std::int32_t kFirstMark = -4;
constexpr std::int32_t mark_of(std::size_t piece) { return kFirstMark - static_cast<std::int32_t>(piece); }
constexpr std::size_t piece_of(std::int32_t mark) { return static_cast<std::size_t>(kFirstMark - mark); }

bool is_seed(const LevelCells& l, std::size_t i) { return has_flag(l.Sketch[i], CC_ZONE_ICON); }

// The four neighbours of cell i that lie in the grid.
template <class Visit>
void for_each_neighbour(const SketchGrid& grid, std::size_t i, Visit&& visit)
{
    const std::size_t cols = static_cast<std::size_t>(grid.cols());
    const std::size_t r = i / cols;
    const std::size_t c = i % cols;
    if (r > 0) visit(i - cols);
    if (c + 1 < cols) visit(i + 1);
    if (r + 1 < static_cast<std::size_t>(grid.rows())) visit(i + cols);
    if (c > 0) visit(i - 1);
}

// The wall runs of the drawing are already what preparing the zones would
// rebuild: no piece around the changed cells reaches east or south into an
// empty cell inside the border, which is the only thing the rebuild
// changes.
bool wall_runs_are_complete(const SketchGrid& grid, const std::vector<std::size_t>& cells)
{
    const CellArray<std::uint8_t>& walls = grid.current().Walls;
    const std::size_t cols = static_cast<std::size_t>(grid.cols());
    const auto last_row = static_cast<std::size_t>(grid.rows() - 2);
    const auto last_col = cols - 2;
    auto complete = [&](std::size_t i) {
        const std::size_t r = i / cols;
        const std::size_t c = i % cols;
        if (r < 1 || r > last_row || c < 1 || c > last_col) return true;
        const std::uint16_t bits = direction_bits(walls[i]);
        if ((bits & CC_DIR_S) && r < last_row && walls[i + cols] == 0) return false;
        if ((bits & CC_DIR_E) && c < last_col && walls[i + 1] == 0) return false;
        return true;
    };
    for (std::size_t i : cells) {
        if (!complete(i)) return false;
        if (i >= cols && !complete(i - cols)) return false;
        if (i % cols > 0 && !complete(i - 1)) return false;
    }
    return true;
}

// Splitting after walls came: the cells of one key next to the new walls
// are flooded from every start at once, a few cells per flood in turn.
// Floods that meet join; a group of floods that finds a zone icon keeps
// the key and stops, one that runs out without finding one is a region
// the new walls cut off from every icon of the key and becomes ZONE_NONE.
// When every group but one has run out and none found an icon, the last
// one holds the icon: the key had one before. So the work stays with the
// cells that change and the few around them, however large the region
// that keeps its key (the outdoors, for one).
class SplitFloods {
public:
    SplitFloods(SketchGrid& grid, std::int32_t key) : grid_(grid), l_(grid.current()), key_(key) {}

    void start(std::size_t i)
    {
        if (l_.Zones[i] != key_) return;
        const std::size_t piece = stacks_.size();
        stacks_.emplace_back();
        parent_.push_back(piece);
        seeded_.push_back(false);
        active_.push_back(0);
        take(piece, i);
    }

    // Runs the floods to their end and gives every cell they reached its
    // value; the cells that lost the key are appended to changed.
    void run(std::vector<std::size_t>& changed)
    {
        constexpr int kTurn = 64;
        for (;;) {
            std::size_t open = 0;
            std::size_t last_open = 0;
            bool any_seeded = false;
            for (std::size_t p = 0; p < stacks_.size(); ++p) {
                if (find(p) != p) continue;
                if (seeded_[p])
                    any_seeded = true;
                else if (active_[p] > 0) {
                    ++open;
                    last_open = p;
                }
            }
            if (open == 0) break;
            if (open == 1 && !any_seeded) {
                seeded_[last_open] = true;
                break;
            }
            for (std::size_t p = 0; p < stacks_.size(); ++p) {
                for (int n = 0; n < kTurn && !stacks_[p].empty(); ++n) {
                    const std::size_t root = find(p);
                    if (seeded_[root]) break;
                    const std::size_t i = stacks_[p].back();
                    stacks_[p].pop_back();
                    if (stacks_[p].empty()) --active_[root];
                    for_each_neighbour(grid_, i, [&](std::size_t j) { visit(p, j); });
                }
            }
        }
        for (std::size_t i : reached_) {
            const bool keeps = seeded_[find(piece_of(l_.Zones[i]))];
            l_.Zones[i] = keeps ? key_ : ZONE_NONE;
            if (!keeps) changed.push_back(i);
        }
    }

private:
    std::size_t find(std::size_t p)
    {
        while (parent_[p] != p) p = parent_[p] = parent_[parent_[p]];
        return p;
    }

    void take(std::size_t piece, std::size_t i)
    {
        l_.Zones[i] = mark_of(piece);
        reached_.push_back(i);
        if (stacks_[piece].empty()) ++active_[find(piece)];
        stacks_[piece].push_back(i);
        if (is_seed(l_, i)) seeded_[find(piece)] = true;
    }

    void visit(std::size_t piece, std::size_t j)
    {
        const std::int32_t v = l_.Zones[j];
        if (v == key_) {
            take(piece, j);
        } else if (v <= kFirstMark) {
            const std::size_t a = find(piece);
            const std::size_t b = find(piece_of(v));
            if (a == b) return;
            parent_[b] = a;
            seeded_[a] = seeded_[a] || seeded_[b];
            active_[a] += active_[b];
        }
    }

    SketchGrid& grid_;
    LevelCells& l_;
    std::int32_t key_;
    std::vector<std::vector<std::size_t>> stacks_;
    std::vector<std::size_t> parent_;
    std::vector<bool> seeded_;
    std::vector<std::size_t> active_;  // floods of the group still going, by root
    std::vector<std::size_t> reached_;
};

// Walls came at the cells: each becomes a wall in Zones, and the keys next
// to them are split where the new walls cut their regions apart.
void split_regions(SketchGrid& grid, const std::vector<std::size_t>& added, std::vector<std::size_t>& changed)
{
    LevelCells& l = grid.current();
    for (std::size_t i : added) l.Zones[i] = ZONE_WALL;
    std::vector<std::pair<std::int32_t, std::size_t>> starts;
    for (std::size_t i : added)
        for_each_neighbour(grid, i, [&](std::size_t j) {
            const std::int32_t v = l.Zones[j];
            // Cells of no key stay so whatever the walls cut off.
            if (v != ZONE_WALL && v != ZONE_NONE) starts.emplace_back(v, j);
        });
    std::stable_sort(starts.begin(), starts.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t k = 0; k < starts.size();) {
        const std::int32_t key = starts[k].first;
        SplitFloods floods(grid, key);
        for (; k < starts.size() && starts[k].first == key; ++k) floods.start(starts[k].second);
        floods.run(changed);
    }
}

// Walls went from the cells: each merged region of cells without a key
// (the freed cells and the keyless regions they open into) takes the one
// key it meets, or stays keyless. False when it meets two keys, which is a
// conflict for the full pass to find and show.
bool merge_regions(SketchGrid& grid, const std::vector<std::size_t>& freed, std::vector<std::size_t>& changed)
{
    LevelCells& l = grid.current();
    for (std::size_t i : freed) l.Zones[i] = ZONE_NONE;
    std::vector<std::size_t> stack;
    std::vector<std::size_t> region;
    for (std::size_t first : freed) {
        if (l.Zones[first] != ZONE_NONE) continue;
        region.clear();
        std::int32_t key = ZONE_NONE;
        bool conflict = false;
        l.Zones[first] = kFirstMark;
        stack.push_back(first);
        while (!stack.empty()) {
            const std::size_t i = stack.back();
            stack.pop_back();
            region.push_back(i);
            for_each_neighbour(grid, i, [&](std::size_t j) {
                const std::int32_t v = l.Zones[j];
                if (v == ZONE_NONE) {
                    l.Zones[j] = kFirstMark;
                    stack.push_back(j);
                } else if (v != ZONE_WALL && v != kFirstMark) {
                    if (key != ZONE_NONE && key != v) conflict = true;
                    key = v;
                }
            });
        }
        if (conflict) return false;
        for (std::size_t i : region) l.Zones[i] = key;
        if (key != ZONE_NONE) changed.insert(changed.end(), region.begin(), region.end());
    }
    return true;
}

void full_zone_pass(Project& project, SketchGrid& grid)
{
    grid.walls_changed = true;
    prepare_zone_cells(grid, kCurrentLevel);
    fill_zones(grid, kCurrentLevel, true);
    relink_icons(project, grid);
}

}  // namespace

WallEditZones update_zones_after_wall_edit(Project& project, SketchGrid& grid, const std::vector<std::size_t>& cells)
{
    WallEditZones result;
    LevelCells& l = grid.current();
    std::vector<std::size_t> added;
    std::vector<std::size_t> freed;
    bool local = l.detection.zones_exact && l.detection.links_exact && wall_runs_are_complete(grid, cells);
    for (std::size_t i : cells) {
        if (!local) break;
        const bool wall = l.Walls[i] != 0;
        const bool was = l.Zones[i] == ZONE_WALL;
        if (wall == was) continue;
        // A zone icon under a wall that comes or goes changes the seeds.
        if (is_seed(l, i)) local = false;
        (wall ? added : freed).push_back(i);
    }
    if (local && !added.empty() && !freed.empty()) local = false;
    std::vector<std::size_t>& changed = result.changed;
    if (local) {
        changed = added;
        changed.insert(changed.end(), freed.begin(), freed.end());
        if (!added.empty()) split_regions(grid, added, changed);
        if (!freed.empty() && !merge_regions(grid, freed, changed)) local = false;
    }
    if (!local) {
        full_zone_pass(project, grid);
        result.changed.clear();
        result.full_pass = true;
        return result;
    }
    grid.walls_changed = false;
    ++l.detection.local_updates;

    // The records whose zones may have changed: icons on or beside a
    // changed cell, told in the order of the full pass.
    std::vector<std::size_t> icons;
    auto consider = [&](std::size_t i) {
        if (l.Sketch[i] != 0 || l.Ducts[i] != 0) icons.push_back(i);
    };
    for (std::size_t i : changed) {
        consider(i);
        for_each_neighbour(grid, i, consider);
    }
    std::sort(icons.begin(), icons.end(), std::greater<>());
    icons.erase(std::unique(icons.begin(), icons.end()), icons.end());
    const std::size_t cols = static_cast<std::size_t>(grid.cols());
    const auto last_row = static_cast<std::size_t>(grid.rows() - 2);
    auto each_icon = [&](auto&& relink) {
        for (std::size_t i : icons) {
            const std::size_t r = i / cols;
            const std::size_t c = i % cols;
            if (r < 1 || r > last_row || c < 1) continue;
            relink(project, grid, static_cast<int>(r), static_cast<int>(c));
        }
    };
    each_icon(relink_icon_cell);
    each_icon(relink_junction_cell);
    return result;
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
