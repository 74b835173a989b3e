#include "sketchpad/sketch_grid.h"

#include <algorithm>
#include <string>

#include "app/diagnostics.h"
#include "model/project.h"
#include "sketchpad/cell_scan.h"
#include "sketchpad/zone_detection.h"

namespace avelor {

using sketch_scan::next_nonzero;
using sketch_scan::next_nonzero_any;
using sketch_scan::RepeatWatch;

void CellBounds::widen(GridCell at)
{
    min_row = std::min(min_row, at.row);
    max_row = std::max(max_row, at.row);
    min_col = std::min(min_col, at.col);
    max_col = std::max(max_col, at.col);
}

SketchGrid::SketchGrid()
    : SketchGrid([](std::size_t bytes, std::string_view tag) { return tagged_alloc_or_null(bytes, tag); })
{
}

SketchGrid::SketchGrid(CellBlockSource source) : source_(std::move(source)) {}

std::size_t SketchGrid::bytes_held() const
{
    std::size_t bytes = Scolors.size() + Sselect.size();
    for (const LevelCells& l : levels_) {
        bytes += l.Sketch.size() + l.Walls.size() + l.Ducts.size() + l.Links.size();
        bytes += (l.Zones.size() + l.Paths.size() + l.Ctrls.size()) * sizeof(std::int32_t);
    }
    return bytes;
}

namespace {

bool size_is_possible(int rows, int cols)
{
    return rows >= kLeastGridRows && cols >= kLeastGridCols && rows <= kMaxSketchSide &&
           cols <= kMaxSketchSide && static_cast<std::int64_t>(rows) * cols <= kMaxSketchCells;
}

std::string size_text(int rows, int cols)
{
    return std::to_string(rows) + " rows by " + std::to_string(cols) + " columns";
}

}  // namespace

// Fills into's arrays with blocks for rows x cols. The tag of the first
// block that cannot be had, with into left holding none; empty when all
// were had.
std::string_view SketchGrid::make_arrays(int rows, int cols, SketchGrid& into) const
{
    const std::size_t n = static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols);
    std::string_view failed;
    auto take = [&]<class T>(CellArray<T>& array, std::string_view tag) {
        if (!failed.empty()) return;
        TaggedBlock block = source_(n * sizeof(T), tag);
        if (!block) {
            failed = tag;
            return;
        }
        array = CellArray<T>(std::move(block), cols);
    };
    static constexpr std::string_view kTags[2][7] = {
        {"Sketch", "Walls", "Ducts", "Links", "Zones", "Paths", "Ctrls"},
        {"SLSketch", "SLWalls", "SLDucts", "SLLinks", "SLZones", "SLPaths", "SLCtrls"},
    };
    for (int which = 0; which < 2; ++which) {
        LevelCells& l = into.levels_[which];
        const auto& tags = kTags[which];
        take(l.Sketch, tags[0]);
        take(l.Walls, tags[1]);
        take(l.Ducts, tags[2]);
        take(l.Links, tags[3]);
        take(l.Zones, tags[4]);
        take(l.Paths, tags[5]);
        take(l.Ctrls, tags[6]);
    }
    take(into.Scolors, "Scolors");
    take(into.Sselect, "Sselect");
    if (!failed.empty()) {
        into.levels_ = {};
        into.Scolors = {};
        into.Sselect = {};
        return failed;
    }
    into.rows_ = rows;
    into.cols_ = cols;
    into.cells_ = n;
    return {};
}

void SketchGrid::take_arrays(SketchGrid& from)
{
    levels_ = std::move(from.levels_);
    Scolors = std::move(from.Scolors);
    Sselect = std::move(from.Sselect);
    rows_ = std::exchange(from.rows_, 0);
    cols_ = std::exchange(from.cols_, 0);
    cells_ = std::exchange(from.cells_, 0);
    scratch = {};
    shown_ = {};
    cleared_ = {};
    // Fresh blocks are zeroed; none are left once the arrays went.
    zeroed_ = {rows_ > 0, rows_ > 0};
    cursor = {1, 1};
    bounds.reset(cursor);
}

bool allocate_sketch_arrays(SketchGrid& grid, int rows, int cols)
{
    if (grid.allocated()) {
        report_error(ERROR, {"Clear SketchPad arrays"});
        return false;
    }
    if (!size_is_possible(rows, cols)) {
        report_error(ERROR, {"SketchPad size out of range: ", size_text(rows, cols)});
        return false;
    }
    SketchGrid fresh(grid.source_);
    const std::string_view failed = grid.make_arrays(rows, cols, fresh);
    if (!failed.empty()) report_fatal({"Insufficient memory to allocate: ", failed});
    grid.take_arrays(fresh);
    clear_level_cells(grid, kLevelBelow);
    clear_level_cells(grid, kCurrentLevel);
    return true;
}

std::string replace_sketch_arrays(SketchGrid& grid, int rows, int cols)
{
    if (!size_is_possible(rows, cols)) return "SketchPad size out of range: " + size_text(rows, cols);
    SketchGrid fresh(grid.source_);
    const std::string_view failed = grid.make_arrays(rows, cols, fresh);
    if (!failed.empty())
        return "Insufficient memory to allocate: " + std::string(failed) + " for a SketchPad of " +
               size_text(rows, cols);
    grid.take_arrays(fresh);
    clear_level_cells(grid, kLevelBelow);
    clear_level_cells(grid, kCurrentLevel);
    return {};
}

void free_sketch_arrays(SketchGrid& grid)
{
    SketchGrid none(grid.source_);
    grid.take_arrays(none);
}

bool resize_sketch_arrays(SketchGrid& grid, Project& project, int rows, int cols)
{
    if (!size_is_possible(rows, cols)) {
        report_error(ERROR, {"SketchPad size out of range: ", size_text(rows, cols)});
        return false;
    }
    store_current_level(project, grid);
    // The new arrays are taken while the old ones still hold the drawing, so
    // that a size the memory cannot hold leaves everything as it was.
    SketchGrid fresh(grid.source_);
    if (!grid.make_arrays(rows, cols, fresh).empty()) {
        report_error(ERROR, {resize_refusal_text(rows, cols, grid.rows(), grid.cols())});
        return false;
    }
    grid.take_arrays(fresh);
    project.rc.rows = static_cast<std::int16_t>(rows);
    project.rc.cols = static_cast<std::int16_t>(cols);
    Level* current = project.current_level;
    show_level(grid, current ? current->below : nullptr, kLevelBelow);
    show_level(grid, current, kCurrentLevel);
    return true;
}

std::string resize_refusal_text(int rows, int cols, int old_rows, int old_cols)
{
    return "Not enough memory for a SketchPad of " + size_text(rows, cols) + "; the size stays " +
           size_text(old_rows, old_cols) + ".";
}

void store_current_level(Project& project, SketchGrid& grid)
{
    Level* current = project.current_level;
    if (current && grid.allocated() && grid.shown_level(kCurrentLevel) == current)
        store_level_icons(grid, *current);
}

void clear_level_cells(SketchGrid& grid, int which)
{
    const std::size_t slot = which == kLevelBelow ? 1 : 0;
    grid.shown_[slot] = nullptr;
    LevelCells& l = grid.levels_[slot];
    l.detection = {};
    grid.Scolors.fill(grid.colours.background);
    if (grid.cleared_[slot]) return;
    grid.cleared_[slot] = true;
    l.Zones.fill(ZONE_AMBIENT);
    if (!grid.zeroed_[slot]) {
        l.Walls.fill(0);
        l.Links.fill(0);
        l.Ctrls.fill(0);
        l.Ducts.fill(0);
        l.Paths.fill(0);
        l.Sketch.fill(0);
    }
    grid.zeroed_[slot] = false;
    // The ambient marker: the icon that seeds the outdoors, and its label.
    static constexpr std::uint8_t kMarker[] = {ICN_AMBIENT, 'A', 'm', 'b', 't'};
    std::copy(std::begin(kMarker), std::end(kMarker), l.Sketch.row(0));
    l.Paths(0, 0) = ZONE_AMBIENT;
}

void load_level_cells(SketchGrid& grid, Level& level, int which)
{
    LevelCells& l = grid.level(which);
    const LevelCells& under = grid.below();
    const int drawing_rows = grid.drawing_rows > 0 ? grid.drawing_rows : grid.rows();
    const int drawing_cols = grid.drawing_cols > 0 ? grid.drawing_cols : grid.cols();
    for (IconEntry& icon : level.icons) {
        // The icon check keeps entries inside the drawing; an entry made
        // some other way must still never write outside it.
        if (icon.row < 1 || icon.row > drawing_rows - 2 || icon.col < 1 || icon.col > drawing_cols - 2) continue;
        const int row = icon.row - grid.origin.row;
        const int col = icon.col - grid.origin.col;
        if (!grid.in_grid(row, col)) continue;
        const std::size_t i = grid.index(row, col);
        switch (layer_of_code(icon.code)) {
        case CellLayer::Wall:
            l.Walls[i] = icon.code;
            grid.walls_changed = true;
            break;
        case CellLayer::Duct:
            l.Ducts[i] = icon.code;
            l.Paths[i] = icon.nr;
            break;
        case CellLayer::Link:
            l.Links[i] = icon.code;
            l.Ctrls[i] = icon.nr;
            break;
        case CellLayer::Icon:
            if (icon.code == ICN_PHANTOM && which == kCurrentLevel)
                icon.nr = under.Zones[i] > 0 ? under.Zones[i] : ZONE_UNDEFINED;
            l.Sketch[i] = icon.code;
            if (has_flag(icon.code, CC_ZONE_ICON)) l.Zones[i] = icon.nr;
            l.Paths[i] = icon.nr;
            break;
        }
    }
}

void store_level_icons(SketchGrid& grid, Level& level)
{
    level.icons.clear();
    LevelCells& l = grid.current();
    const int rows = grid.rows();
    const int cols = grid.cols();
    for (int r = 1; r <= rows - 2; ++r) {
        std::uint8_t* walls = l.Walls.row(r);
        std::uint8_t* ducts = l.Ducts.row(r);
        std::uint8_t* links = l.Links.row(r);
        std::uint8_t* sketch = l.Sketch.row(r);
        const std::uint8_t* layers[] = {walls, ducts, links, sketch};
        const auto row16 = static_cast<std::int16_t>(r + grid.origin.row);
        for (int c = next_nonzero_any(layers, 4, 0, cols); c < cols;
             c = next_nonzero_any(layers, 4, c + 1, cols)) {
            const auto col16 = static_cast<std::int16_t>(c + grid.origin.col);
            const std::size_t i = grid.index(r, c);
            if (has_flag(walls[c], CC_WALL_VERTEX)) level.icons.push_back({row16, col16, walls[c], 0});
            if (has_flag(ducts[c], CC_DUCT_STORED)) {
                level.icons.push_back({row16, col16, ducts[c], std::max(l.Paths[i], 0)});
                // A run that leaves a node eastward or southward has no
                // stored piece of its own; its first piece becomes one.
                if (is_duct_node(ducts[c])) {
                    if (c + 1 < cols && ducts[c + 1] == ICN_DUCT_H) ducts[c + 1] = ICN_DUCT_HEAD_H;
                    if (r + 1 < rows && l.Ducts[i + static_cast<std::size_t>(cols)] == ICN_DUCT_V)
                        l.Ducts[i + static_cast<std::size_t>(cols)] = ICN_DUCT_HEAD_V;
                }
            }
            if (has_flag(links[c], CC_CONTROL_PIECE))
                level.icons.push_back({row16, col16, links[c], l.Ctrls[i]});
            if (icon_is_stored(sketch[c])) level.icons.push_back({row16, col16, sketch[c], l.Paths[i]});
        }
    }
}

void show_level(SketchGrid& grid, Level* level, int which)
{
    clear_level_cells(grid, which);
    if (!level) return;
    grid.shown_[which == kLevelBelow ? 1 : 0] = level;
    load_level_cells(grid, *level, which);
    prepare_zone_cells(grid, which);
    fill_zones(grid, which, true);
    expand_duct_runs(grid, which);
    expand_link_runs(grid, which);
}

namespace {

// Rebuilds the plain straight pieces of a duct or link layer in one pass
// down the rows: a piece that connects east over an empty neighbour starts
// a run of east_code that goes on over empty cells; one that connects
// south starts a run of south_code down its column. The open columns are
// carried from row to row, so vertical runs cost no strided walks, and no
// run ever enters the border. A head piece (the stored first piece next to
// a node) always becomes plain: storing marks it again from its node, and
// a head followed at once by another stored piece would otherwise come
// back from a store and a load as a different code.
void expand_runs(SketchGrid& grid, CellArray<std::uint8_t>& layer, std::uint8_t east_code,
                 std::uint8_t south_code, std::uint8_t east_head, std::uint8_t south_head)
{
    const int rows = grid.rows();
    const int cols = grid.cols();
    const int last_col = cols - 2;
    std::vector<int>& open = grid.scratch.open_columns;
    std::vector<int>& next = grid.scratch.next_open;
    open.clear();
    for (int r = 1; r <= rows - 2; ++r) {
        std::uint8_t* row = layer.row(r);
        for (int c : open)
            if (row[c] == 0) row[c] = south_code;
        next.clear();
        const std::uint8_t* below = r + 1 <= rows - 2 ? layer.row(r + 1) : nullptr;
        for (int c = next_nonzero(row, 1, last_col + 1); c <= last_col;
             c = next_nonzero(row, c + 1, last_col + 1)) {
            if (row[c] == east_head) row[c] = east_code;
            if (row[c] == south_head) row[c] = south_code;
            const std::uint16_t bits = direction_bits(row[c]);
            if (below && (bits & CC_DIR_S) && below[c] == 0) next.push_back(c);
            if ((bits & CC_DIR_E) && c + 1 <= last_col && row[c + 1] == 0) {
                int k = c + 1;
                while (k <= last_col && row[k] == 0) row[k++] = east_code;
                c = k - 1;
            }
        }
        open.swap(next);
    }
}

GridCell neighbour(GridCell at, std::uint16_t direction)
{
    switch (direction) {
    case CC_DIR_N: return {at.row - 1, at.col};
    case CC_DIR_E: return {at.row, at.col + 1};
    case CC_DIR_S: return {at.row + 1, at.col};
    default: return {at.row, at.col - 1};
    }
}

int direction_slot(std::uint16_t direction) { return std::countr_zero(static_cast<unsigned>(direction)); }

struct WalkEnd {
    RunEnd end;
    bool ring = false;
};

// Follows a duct run from start leaving in direction d, calling visit with
// the index of every cell the run continues through. The walk keeps its
// direction over crossings and ends before a cell that does not connect
// back, before the border, at a node (which it does not visit) and where
// it comes back to start or to any state it has been in.
template <class Visit>
WalkEnd walk_duct_run(const SketchGrid& grid, const CellArray<std::uint8_t>& ducts, GridCell start,
                      std::uint16_t d, Visit&& visit)
{
    GridCell at = start;
    RepeatWatch watch;
    for (;;) {
        const GridCell next = neighbour(at, d);
        if (!grid.in_drawing(next.row, next.col)) return {{at, false}, false};
        const std::size_t i = grid.index(next.row, next.col);
        const std::uint8_t code = ducts[i];
        if (is_duct_node(code)) return {{next, true}, false};
        const std::uint16_t bits = direction_bits(code);
        const std::uint16_t back = opposite_direction(d);
        if (!(bits & back)) return {{at, false}, false};
        if (next == start || watch.seen(i * 4 + static_cast<std::size_t>(direction_slot(d))))
            return {{next, false}, true};
        visit(i);
        if (bits != CC_DIR_MASK) {
            const auto on = static_cast<std::uint16_t>(bits & ~back);
            if (!is_single_direction(on)) return {{next, false}, false};
            d = on;
        }
        at = next;
    }
}

// Every duct segment icon writes its number into the cells of its run.
void spread_segment_numbers(SketchGrid& grid, int which)
{
    LevelCells& l = grid.level(which);
    for (int r = 1; r <= grid.rows() - 2; ++r) {
        const std::uint8_t* row = l.Ducts.row(r);
        for (int c = next_nonzero(row, 1, grid.cols() - 1); c < grid.cols() - 1;
             c = next_nonzero(row, c + 1, grid.cols() - 1))
            if (has_flag(row[c], CC_DUCT_SEGMENT)) spread_segment_number(grid, which, r, c);
    }
}

}  // namespace

void expand_duct_runs(SketchGrid& grid, int which)
{
    expand_runs(grid, grid.level(which).Ducts, ICN_DUCT_H, ICN_DUCT_V, ICN_DUCT_HEAD_H, ICN_DUCT_HEAD_V);
    spread_segment_numbers(grid, which);
}

void expand_link_runs(SketchGrid& grid, int which)
{
    // Link heads keep their codes: the link tool writes them, not the store.
    expand_runs(grid, grid.level(which).Links, ICN_LINK_H, ICN_LINK_V, 0, 0);
}

namespace {

void write_along_segment_run(SketchGrid& grid, int which, int row, int col, std::int32_t number)
{
    LevelCells& l = grid.level(which);
    const std::uint8_t code = l.Ducts(row, col);
    const std::uint16_t first = (direction_bits(code) & CC_DIR_N) ? CC_DIR_N : CC_DIR_W;
    auto write = [&](std::size_t i) { l.Paths[i] = number; };
    const WalkEnd one = walk_duct_run(grid, l.Ducts, {row, col}, first, write);
    if (!one.ring) walk_duct_run(grid, l.Ducts, {row, col}, opposite_direction(first), write);
}

}  // namespace

void spread_segment_number(SketchGrid& grid, int which, int row, int col)
{
    if (!grid.in_drawing(row, col)) return;
    const LevelCells& l = grid.level(which);
    const std::int32_t number = l.Paths(row, col);
    if (!has_flag(l.Ducts(row, col), CC_DUCT_SEGMENT) || number <= 0) return;
    write_along_segment_run(grid, which, row, col, number);
}

void clear_segment_number(SketchGrid& grid, int which, int row, int col)
{
    if (!grid.in_drawing(row, col) || !has_flag(grid.level(which).Ducts(row, col), CC_DUCT_SEGMENT)) return;
    write_along_segment_run(grid, which, row, col, 0);
}

DuctRunEnds duct_run_ends(const SketchGrid& grid, int which, int row, int col)
{
    const GridCell start{row, col};
    DuctRunEnds ends;
    ends.first = ends.second = {start, false};
    if (!grid.in_drawing(row, col)) return ends;
    const CellArray<std::uint8_t>& ducts = grid.level(which).Ducts;
    const std::uint16_t bits = direction_bits(ducts(row, col));
    std::uint16_t first = 0;
    if (bits == (CC_DIR_N | CC_DIR_S))
        first = CC_DIR_N;
    else if (bits == (CC_DIR_E | CC_DIR_W))
        first = CC_DIR_W;
    else
        return ends;
    auto nothing = [](std::size_t) {};
    const WalkEnd one = walk_duct_run(grid, ducts, start, first, nothing);
    ends.first = one.end;
    if (one.ring) {
        ends.ring = true;
        ends.second = one.end;
        return ends;
    }
    ends.second = walk_duct_run(grid, ducts, start, opposite_direction(first), nothing).end;
    return ends;
}

int step_along_run(SketchGrid& grid, int direction, CellLayer layer)
{
    if (!is_single_direction(static_cast<std::uint16_t>(direction))) {
        if (grid.in_grid(grid.cursor.row, grid.cursor.col))
            grid.Scolors(grid.cursor.row, grid.cursor.col) = grid.colours.errors;
        report_fatal({"No direction: ", std::to_string(direction)});
    }
    const auto d = static_cast<std::uint16_t>(direction);
    const GridCell next = neighbour(grid.cursor, d);
    if (!grid.in_drawing(next.row, next.col)) return 0;
    grid.cursor = next;
    grid.bounds.widen(next);
    const LevelCells& l = grid.current();
    std::uint8_t code = 0;
    switch (layer) {
    case CellLayer::Wall: code = l.Walls(next.row, next.col); break;
    case CellLayer::Duct: code = l.Ducts(next.row, next.col); break;
    case CellLayer::Link: code = l.Links(next.row, next.col); break;
    case CellLayer::Icon: code = l.Sketch(next.row, next.col); break;
    }
    const std::uint16_t bits = direction_bits(code);
    if (bits == 0) return 0;
    const auto on = static_cast<std::uint16_t>(bits ^ opposite_direction(d));
    return is_single_direction(on) ? on : 0;
}

int count_link_inputs(const SketchGrid& grid, int row, int col)
{
    const CellArray<std::uint8_t>& links = grid.current().Links;
    int count = 0;
    if (grid.in_grid(row - 1, col) && links(row - 1, col) == ICN_ARROW_S) ++count;
    if (grid.in_grid(row, col + 1) && links(row, col + 1) == ICN_ARROW_W) ++count;
    if (grid.in_grid(row + 1, col) && links(row + 1, col) == ICN_ARROW_N) ++count;
    if (grid.in_grid(row, col - 1) && links(row, col - 1) == ICN_ARROW_E) ++count;
    return count;
}

}  // namespace avelor
