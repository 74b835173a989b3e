#include "editing/wall_drawing.h"

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/diagnostics.h"
#include "app/run_log.h"
#include "editing/duct_drawing.h"
#include "editing/icon_editing.h"
#include "editing/link_drawing.h"
#include "editing/stroke_cells.h"
#include "model/project.h"
#include "sketchpad/cell_scan.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/zone_detection.h"

namespace avelor {

namespace {

using namespace stroke_cells;

constexpr const char* kNoClosedArea = "There is no closed area selected: nothing was deleted.";

// Walking clockwise, the interior lies on this side of a direction.
constexpr std::uint16_t right_of(std::uint16_t d) { return static_cast<std::uint16_t>(((d << 1) | (d >> 3)) & CC_DIR_MASK); }

bool is_delete_tool(DrawingTool tool) { return tool == DrawingTool::DeleteByRegion || tool == DrawingTool::DeleteByBox; }

// The outline of the box with opposite corners a and b, in drawing order:
// the top row up to the last column, the right column down to the last
// row, the bottom row back and the left column up.
template <class Visit>
void for_each_outline_cell(GridCell a, GridCell b, Visit&& visit)
{
    const int top = std::min(a.row, b.row), bottom = std::max(a.row, b.row);
    const int left = std::min(a.col, b.col), right = std::max(a.col, b.col);
    for (int c = left; c < right; ++c) visit(GridCell{top, c});
    for (int r = top; r < bottom; ++r) visit(GridCell{r, right});
    for (int c = right; c > left; --c) visit(GridCell{bottom, c});
    for (int r = bottom; r > top; --r) visit(GridCell{r, left});
}

// Walls came or went at the cells: the zones they touch are brought up to
// date and repainted (all of the level when the full pass had to run).
void redetect_after_walls(SketchEditor& editor, const std::vector<std::size_t>& cells)
{
    SketchGrid& g = editor.grid();
    const WallEditZones zones = update_zones_after_wall_edit(editor.project(), g, cells);
    if (zones.full_pass) {
        editor.repaint_all();
        return;
    }
    const std::size_t cols = static_cast<std::size_t>(g.cols());
    for (const std::vector<std::size_t>* list : {&cells, &zones.changed}) {
        if (list->empty()) continue;
        const auto [lo, hi] = std::minmax_element(list->begin(), list->end());
        int min_col = g.cols(), max_col = 0;
        for (std::size_t i : *list) {
            min_col = std::min(min_col, static_cast<int>(i % cols));
            max_col = std::max(max_col, static_cast<int>(i % cols));
        }
        editor.touched(GridCell{static_cast<int>(*lo / cols), min_col});
        editor.touched(GridCell{static_cast<int>(*hi / cols), max_col});
    }
}

// ------------------------------------------------------------ stroke steps

void extend_wall(SketchEditor& editor, GridCell p, GridCell c)
{
    SketchGrid& g = editor.grid();
    Overlay overlay{g};
    const std::uint16_t d = direction_to(p, c);
    if (d == 0) return;
    const GridCell mid = step(p, d);
    if (overlay.marked(c) && overlay.marked_neighbours(p.row, p.col) == d) {
        // Walking back over the last step.
        overlay.unmark(p);
        overlay.unmark(mid);
    } else {
        overlay.mark(p);
        overlay.mark(mid);
        overlay.mark(c);
    }
    editor.stroke.touched.widen(c);
    editor.touched(bounds_of(p, c));
}

void extend_box(SketchEditor& editor, GridCell p, GridCell c)
{
    SketchGrid& g = editor.grid();
    Overlay overlay{g};
    StrokeState& s = editor.stroke;
    // Only the old outline is on the overlay: clearing it clears the box.
    for_each_outline_cell(s.anchor, p, [&](GridCell cell) { overlay.unmark(cell); });
    overlay.unmark(s.anchor);
    for_each_outline_cell(s.anchor, c, [&](GridCell cell) { overlay.mark(cell); });
    s.touched.widen(c);
    editor.touched(bounds_of(s.anchor, p));
    editor.touched(bounds_of(s.anchor, c));
}

// One-cell steps of a region loop. False when refused.
bool extend_region(SketchEditor& editor, GridCell p, GridCell c)
{
    SketchGrid& g = editor.grid();
    Overlay overlay{g};
    StrokeState& s = editor.stroke;
    auto refuse = [&] {
        g.cursor = p;
        beep();
        return false;
    };
    if (s.loop.empty()) s.loop.push_back(s.anchor);
    if (s.loop_closed || std::abs(p.row - c.row) + std::abs(p.col - c.col) != 1) return refuse();
    const std::size_t n = s.loop.size();
    if (n >= 2 && c == s.loop[n - 2]) {
        // A step back unmarks the cell left.
        overlay.unmark(p);
        s.loop.pop_back();
        editor.touched(p);
        return true;
    }
    if (c == s.anchor) {
        if (n < 4) return refuse();
        s.loop_closed = true;
        editor.touched(c);
        return true;
    }
    if (overlay.marked(c)) return refuse();
    // Next to the start only on the way to closing the loop: from a cell
    // beside the start the only steps are onto it or back.
    const bool p_beside_anchor = n >= 3 && std::abs(p.row - s.anchor.row) + std::abs(p.col - s.anchor.col) == 1;
    if (p_beside_anchor) return refuse();
    for (std::uint16_t d : kDirections) {
        const GridCell nb = step(c, d);
        if (nb == p || !overlay.marked(nb)) continue;
        if (nb == s.anchor && n >= 3) continue;
        return refuse();
    }
    overlay.mark(c);
    s.loop.push_back(c);
    s.touched.widen(c);
    editor.touched(c);
    return true;
}

// ---------------------------------------------------------- wall run trace

// Traces one way from the start along the wall layer, marking every cell
// entered, and returns the cell where the trace stopped.
GridCell trace_run(SketchGrid& g, GridCell start, std::uint16_t first)
{
    Overlay overlay{g};
    g.cursor = start;
    overlay.mark(start);
    int d = first;
    for (;;) {
        const GridCell before = g.cursor;
        const int next = step_along_run(g, d, CellLayer::Wall);
        if (g.cursor == before) return before;  // the border
        const GridCell at = g.cursor;
        if (g.Scolors(at.row, at.col) == g.colours.drawing_line) return at;  // closed into a loop
        overlay.mark(at);
        if (next == 0) return at;
        d = next;
    }
}

// Connected neighbours of a cell's wall piece that are not on the trace.
int unmarked_connections(SketchGrid& g, GridCell at)
{
    const std::uint16_t bits = direction_bits(g.current().Walls(at.row, at.col));
    int n = 0;
    for (std::uint16_t d : kDirections) {
        if (!(bits & d)) continue;
        const GridCell nb = step(at, d);
        if (g.in_grid(nb.row, nb.col) && g.Scolors(nb.row, nb.col) != g.colours.drawing_line) ++n;
    }
    return n;
}

std::uint8_t piece_for(std::uint16_t bits)
{
    for (std::uint8_t code = ICN_WALL_H; code <= 22; ++code)
        if (code_flags(code) != 0 && direction_bits(code) == bits) return code;
    return 0;
}

// Deletes the wall pieces marked on the overlay inside b; the cells whose
// piece changed are appended to changed.
void delete_marked_cells(SketchEditor& editor, const CellBounds& b, std::vector<std::size_t>& changed)
{
    SketchGrid& g = editor.grid();
    LevelCells& l = g.current();
    const std::uint8_t line = g.colours.drawing_line;
    auto marked = [&](GridCell c) { return g.in_grid(c.row, c.col) && g.Scolors(c.row, c.col) == line; };
    for (int r = b.min_row; r <= b.max_row; ++r) {
        for (int c = b.min_col; c <= b.max_col; ++c) {
            if (g.Scolors(r, c) != line) continue;
            std::uint8_t& wall = l.Walls(r, c);
            if (wall == 0) continue;
            changed.push_back(g.index(r, c));
            if (wall == ICN_WALL_H || wall == ICN_WALL_V) {
                const std::uint8_t icon = l.Sketch(r, c);
                if (icon != 0) {
                    const std::int32_t n = l.Paths(r, c);
                    if (n > 0 && has_flag(icon, CC_PATH_ICON) && icon != ICN_AHS) release_path_record(editor, n);
                    l.Sketch(r, c) = 0;
                    l.Paths(r, c) = 0;
                }
                wall = 0;
            } else if (wall >= 18 && wall <= 22) {
                std::uint16_t bits = direction_bits(wall);
                for (std::uint16_t d : kDirections)
                    if (marked(step(GridCell{r, c}, d))) bits = static_cast<std::uint16_t>(bits & ~d);
                wall = piece_for(bits);
            } else {
                wall = 0;
            }
        }
    }
    g.walls_changed = true;
    editor.modified();
    editor.touched(b);
    editor.navigator_changed();
}

// ------------------------------------------------------------ area loop

// The loop in Sselect: a closed ring of cells each with exactly two ring
// neighbours, walked clockwise from its top-left cell.
struct AreaLoop {
    bool closed = false;
    GridCell top_left;
    std::vector<std::uint16_t> moves;  // the direction of each step of the walk
};

AreaLoop trace_area_loop(const SketchGrid& g)
{
    AreaLoop loop;
    const std::uint8_t* s = g.Sselect.data();
    const std::size_t cells = g.cells();
    std::size_t count = 0;
    std::size_t first = cells;
    for (std::size_t i = 0; i < cells; ++i)
        if (s[i] == 1) {
            if (first == cells) first = i;
            ++count;
        }
    if (count < 4) return loop;
    const int cols = g.cols();
    const GridCell start{static_cast<int>(first / static_cast<std::size_t>(cols)),
                         static_cast<int>(first % static_cast<std::size_t>(cols))};
    auto on_loop = [&](GridCell c) { return g.in_grid(c.row, c.col) && g.Sselect(c.row, c.col) == 1; };
    auto ring_bits = [&](GridCell c) {
        std::uint16_t bits = 0;
        for (std::uint16_t d : kDirections)
            if (on_loop(step(c, d))) bits |= d;
        return bits;
    };
    if (ring_bits(start) != (kEast | kSouth)) return loop;
    GridCell at = start;
    std::uint16_t heading = kEast;
    loop.moves.reserve(count);
    for (std::size_t n = 0; n < count; ++n) {
        loop.moves.push_back(heading);
        at = step(at, heading);
        if (at == start) break;
        const std::uint16_t bits = ring_bits(at);
        const auto ahead = static_cast<std::uint16_t>(bits & ~opposite_direction(heading));
        if (std::popcount(bits) != 2 || !is_single_direction(ahead)) return loop;
        heading = ahead;
    }
    if (at != start || loop.moves.size() != count) return loop;
    loop.closed = true;
    loop.top_left = start;
    return loop;
}

// The neighbour of a loop cell in a walking direction.
GridCell loop_neighbour(GridCell at, std::uint16_t d)
{
    if (!is_single_direction(d)) report_fatal({" Bad duct direction: ", std::to_string(d)});
    return step(at, d);
}

// ------------------------------------------------------- area deletion

struct AreaDeletion {
    SketchEditor& editor;
    AreaDeleteOptions options;
    std::vector<GridCell> deferred;
    bool ducts_changed = false;

    // A duct-layer piece: a defined segment is undefined and its run
    // deleted at once; nodes and unnumbered pieces wait for the pass after
    // the fill, when the segments inside the area are undefined.
    void duct_cell(int row, int col, bool second)
    {
        const LevelCells& l = editor.grid().current();
        const std::uint8_t code = l.Ducts(row, col);
        const std::int32_t n = l.Paths(row, col);
        const bool node = is_duct_node(code);
        if (has_flag(code, CC_DUCT_SEGMENT) && n > 0) {
            if (undefine_duct_segment(editor, row, col, Asking::Silent)) {
                ducts_changed = true;
                delete_duct_run(editor, row, col, Asking::Silent, false);
            }
            return;
        }
        if (!node && n > 0) return;  // a piece of a segment defined elsewhere
        if (!second) {
            deferred.push_back({row, col});
            return;
        }
        if (node && n > 0) {
            if (!undefine_junction(editor, row, col, Asking::Silent)) return;
            ducts_changed = true;
        }
        if (delete_duct_run(editor, row, col, Asking::Silent, false)) ducts_changed = true;
    }

    // The per-cell deletion; second is the pass after the fill.
    void cell(int row, int col, bool second)
    {
        SketchGrid& g = editor.grid();
        const LevelCells& l = g.current();
        if (options.controls && l.Links(row, col) > ICN_ARROW_W) {
            // A node or sensor goes with its links once no link feeds it;
            // one still fed waits for the pass after the fill, and stays
            // if it is fed then.
            if (count_link_inputs(g, row, col) == 0)
                delete_control_piece(editor, row, col, Asking::Silent);
            else if (!second)
                deferred.push_back({row, col});
        }
        const std::uint8_t icon = l.Sketch(row, col);
        if (options.zones && has_flag(icon, CC_ZONE_ICON)) {
            delete_zone_icon(editor, row, col, Asking::Silent);
            return;
        }
        if (options.ducts && l.Ducts(row, col) != 0) {
            duct_cell(row, col, second);
            return;
        }
        if (icon >= ICN_PATH && icon <= 31 && has_flag(icon, CC_PATH_ICON)) {
            if (options.paths) {
                delete_flow_path(editor, row, col, Asking::Silent);
                return;
            }
        } else if (icon == ICN_SOURCE) {
            if (options.sources) {
                delete_source_sink(editor, row, col, Asking::Silent);
                return;
            }
        } else if ((icon == ICN_SUPPLY && options.supplies) || (icon == ICN_RETURN && options.returns)) {
            delete_flow_path(editor, row, col, Asking::Silent);
            return;
        } else if (icon == ICN_AHS && options.simple_ahs) {
            if (!second)
                deferred.push_back({row, col});
            else
                delete_simple_ahs(editor, row, col, Asking::Silent);
            return;
        }
        const std::uint8_t wall = l.Walls(row, col);
        if (options.walls && wall > 13) {
            delete_wall_run(editor, row, col, Asking::Silent);
            return;
        }
        if ((icon == ICN_EXPOSURE && options.occupants))
            delete_exposure(editor, row, col, Asking::Silent);
        else if (icon == ICN_NOTE && options.notes)
            delete_annotation(editor, row, col, Asking::Silent);
    }
};

// Fills the interior of the loop in Sselect from the seed with value fv,
// handing every cell to claim before it is overwritten. Loop cells (1) and
// cells already holding fv stop the fill; any other value is an error that
// paints the seed and ends the fill (1). The stack grows as needed, so the
// fill never restarts and claims each cell once.
template <class Claim>
int fill_selection(SketchGrid& g, GridCell seed, std::uint8_t fv, Claim&& claim)
{
    const std::uint8_t ov = g.Sselect(seed.row, seed.col);
    if (ov == 1 || ov == fv) return 0;
    // A stack of its own: the deletions that claim cells may fill zones.
    std::vector<std::array<std::int32_t, 4>> stack;
    stack.reserve(256);
    const int status = sketch_scan::scanline_fill(
        g.Sselect.data(), g.rows(), g.cols(), seed.row, seed.col, stack,
        [&](std::uint8_t v) { return v == ov ? 1 : (v == 1 || v == fv) ? 0 : -1; },
        [&](int r, int c, std::uint8_t& cell) {
            claim(r, c);
            cell = fv;
        });
    if (status != 0) {
        g.Scolors(seed.row, seed.col) = g.colours.errors;
        g.Sselect(seed.row, seed.col) = fv;
    }
    return status;
}

void cut_walls_at_loop(AreaDeletion& job, const AreaLoop& loop)
{
    SketchGrid& g = job.editor.grid();
    GridCell at = loop.top_left;
    const std::size_t n = loop.moves.size();
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint16_t arrived = loop.moves[(i + n - 1) % n];
        const std::uint16_t leaving = loop.moves[i];
        for (std::uint16_t side : {right_of(arrived), right_of(leaving)}) {
            const std::uint16_t bits = direction_bits(g.current().Walls(at.row, at.col));
            if (!(bits & side)) continue;
            const GridCell nb = loop_neighbour(at, side);
            if (!g.in_drawing(nb.row, nb.col) || g.Sselect(nb.row, nb.col) <= 1) continue;
            if (g.current().Walls(nb.row, nb.col) != 0) delete_wall_run(job.editor, nb.row, nb.col, Asking::Silent);
        }
        at = loop_neighbour(at, leaving);
    }
}

}  // namespace

// ---------------------------------------------------------------- strokes

void start_stroke(SketchEditor& editor, GridCell at, int step_size)
{
    SketchGrid& g = editor.grid();
    // A new stroke starts on a clean overlay.
    const auto cells = static_cast<int>(std::min<std::size_t>(g.cells(), static_cast<std::size_t>(INT32_MAX)));
    bool stale = next_other(g.Scolors.data(), 0, cells, g.colours.background) < cells;
    for (std::size_t i = static_cast<std::size_t>(cells); i < g.cells() && !stale; ++i)
        stale = g.Scolors[i] != g.colours.background;
    if (stale) {
        g.Scolors.fill(g.colours.background);
        editor.repaint_all();
    }
    StrokeState& s = editor.stroke;
    s = StrokeState{};
    s.step = step_size;
    g.cursor = at;
    s.in_progress = true;
    s.anchor = s.previous = at;
    s.touched.reset(at);
    if (editor.tool == DrawingTool::DeleteByRegion) s.loop.push_back(at);
    Overlay{g}.mark(at);
    editor.touched(at);
}

void begin_stroke(SketchEditor& editor)
{
    SketchGrid& g = editor.grid();
    if (!g.allocated()) return;
    const DrawingTool tool = editor.tool;
    if (tool == DrawingTool::Ducts) {
        begin_duct_stroke(editor);
        return;
    }
    if (tool == DrawingTool::Links) {
        begin_link_stroke(editor);
        return;
    }
    if (tool == DrawingTool::None) return;
    GridCell c = g.cursor;
    c.row = std::clamp(c.row, 1, g.rows() - 2);
    c.col = std::clamp(c.col, 1, g.cols() - 2);
    if (is_delete_tool(tool)) {
        g.Sselect.fill(0);
        editor.repaint_all();
        start_stroke(editor, c, 1);
        return;
    }
    c.col |= 1;
    if (c.col > g.cols() - 2) c.col -= 2;
    c.row |= 1;
    if (c.row > g.rows() - 2) c.row -= 2;
    start_stroke(editor, c, 2);
}

bool extend_stroke(SketchEditor& editor)
{
    StrokeState& s = editor.stroke;
    SketchGrid& g = editor.grid();
    if (!s.in_progress || !g.allocated()) return false;
    const GridCell p = s.previous;
    const GridCell c = g.cursor;
    if (p == c) return true;
    switch (editor.tool) {
    case DrawingTool::Walls: extend_wall(editor, p, c); break;
    case DrawingTool::Boxes:
    case DrawingTool::DeleteByBox: extend_box(editor, p, c); break;
    case DrawingTool::DeleteByRegion:
        if (!extend_region(editor, p, c)) return false;
        break;
    case DrawingTool::Ducts:
        if (!extend_duct_stroke(editor, p, c)) return false;
        break;
    case DrawingTool::Links:
        if (!extend_link_stroke(editor, p, c)) return false;
        break;
    default: return false;
    }
    s.previous = g.cursor;
    return true;
}

int finish_wall_stroke(SketchEditor& editor)
{
    SketchGrid& g = editor.grid();
    StrokeState& s = editor.stroke;
    if (!s.in_progress || !g.allocated()) return 1;
    LevelCells& l = g.current();
    Overlay overlay{g};
    auto wall_bits = [&](int r, int c) {
        std::uint16_t bits = overlay.marked_neighbours(r, c);
        if (l.Walls(r - 1, c) != 0) bits |= kNorth;
        if (l.Walls(r, c + 1) != 0) bits |= kEast;
        if (l.Walls(r + 1, c) != 0) bits |= kSouth;
        if (l.Walls(r, c - 1) != 0) bits |= kWest;
        return bits;
    };
    bool rejected = false;
    for_each_marked(g, s.touched, [&](int r, int c) {
        const std::uint16_t bits = g.in_drawing(r, c) ? wall_bits(r, c) : 0;
        const std::uint8_t k = l.Sketch(r, c);
        bool valid = kWallPieces[bits] != 0;
        if (k != 0)
            valid = valid && has_flag(k, CC_PATH_ICON) && l.Walls(r, c) != 0 &&
                    (bits == (kNorth | kSouth) || bits == (kEast | kWest));
        g.Scolors(r, c) = valid ? g.colours.drawing_line : g.colours.errors;
        if (!valid) {
            rejected = true;
            editor.touched(GridCell{r, c});
        }
    });
    if (rejected) {
        report_error(ERROR, {"Invalid wall position(s)"});
        return 1;
    }
    editor.modified();
    // A piece written here is also marked, so writing in place reads the
    // same bits as the validation did.
    std::vector<std::size_t> changed;
    for_each_marked(g, s.touched, [&](int r, int c) {
        std::uint8_t& wall = l.Walls(r, c);
        const std::uint8_t piece = kWallPieces[wall_bits(r, c)];
        if (wall != piece) changed.push_back(g.index(r, c));
        wall = piece;
    });
    clear_overlay_in(g, s.touched);
    editor.touched(s.touched);
    const int step_size = s.step;
    s = StrokeState{};
    s.step = step_size;
    g.walls_changed = true;
    redetect_after_walls(editor, changed);
    editor.navigator_changed();
    return 0;
}

void cancel_stroke(SketchEditor& editor)
{
    SketchGrid& g = editor.grid();
    StrokeState& s = editor.stroke;
    if (!s.in_progress) return;
    if (g.allocated()) clear_overlay_in(g, s.touched);
    editor.touched(s.touched);
    const int step_size = s.step;
    s = StrokeState{};
    s.step = step_size;
}

int finish_selection(SketchEditor& editor)
{
    SketchGrid& g = editor.grid();
    StrokeState& s = editor.stroke;
    if (!s.in_progress || !g.allocated()) return 1;
    Overlay overlay{g};
    bool rejected = false;
    std::size_t count = 0;
    for_each_marked(g, s.touched, [&](int r, int c) {
        ++count;
        const bool valid = kWallPieces[overlay.marked_neighbours(r, c)] != 0;
        g.Scolors(r, c) = valid ? g.colours.drawing_line : g.colours.errors;
        if (!valid) {
            rejected = true;
            editor.touched(GridCell{r, c});
        }
    });
    if (rejected || count == 0) {
        report_error(WARNING, {"Invalid selection"});
        return 1;
    }
    for_each_marked(g, s.touched, [&](int r, int c) { g.Sselect(r, c) = 1; });
    clear_overlay_in(g, s.touched);
    editor.touched(s.touched);
    s = StrokeState{};
    s.step = 1;
    return 0;
}

// ------------------------------------------------------------ wall runs

int delete_wall_run(SketchEditor& editor, int row, int col, Asking asking)
{
    SketchGrid& g = editor.grid();
    if (!g.allocated() || !g.in_drawing(row, col) || g.current().Walls(row, col) == 0) {
        report_error(ERROR, {"Delete must start at a wall symbol"});
        return 0;
    }
    const bool interactive = asking == Asking::Interactive;
    const GridCell start{row, col};
    const GridCell cursor = g.cursor;
    const std::uint16_t start_bits = direction_bits(g.current().Walls(row, col));
    std::array<std::uint16_t, 4> slots{};
    int count = 0;
    for (std::size_t i = 0; i < 4; ++i)
        if (start_bits & kDirections[i]) {
            slots[i] = kDirections[i];
            ++count;
        }
    auto take_slot = [&]() -> std::uint16_t {
        for (std::uint16_t& s : slots)
            if (s) {
                const std::uint16_t d = s;
                s = 0;
                return d;
            }
        return 0;
    };
    int deleted = 0;
    std::vector<std::size_t> changed;
    for (std::uint16_t d = take_slot(); d != 0 && !deleted; d = take_slot()) {
        g.bounds.reset(start);
        std::vector<GridCell> stops{trace_run(g, start, d)};
        if (count == 2) {
            count = 1;
            if (const std::uint16_t other = take_slot()) stops.push_back(trace_run(g, start, other));
        }
        g.cursor = cursor;
        const CellBounds traced = g.bounds;
        bool valid = true;
        for (const GridCell& stop : stops) {
            if (unmarked_connections(g, stop) != 1) continue;
            valid = false;
            if (interactive) {
                g.Scolors(stop.row, stop.col) = g.colours.errors;
                editor.touched(stop);
                report_error(ERROR, {"Deletion would produce invalid wall configuration"});
            }
            break;
        }
        for (std::uint16_t& s : slots) {
            if (!s) continue;
            const GridCell nb = step(start, s);
            if (g.Scolors(nb.row, nb.col) == g.colours.drawing_line) s = 0;
        }
        editor.touched(traced);
        if (valid && (!interactive || ask_question("Delete the wall indicated?") == 1)) {
            delete_marked_cells(editor, traced, changed);
            deleted = 1;
        }
        clear_overlay_in(g, traced);
    }
    g.cursor = cursor;
    if (deleted && interactive) redetect_after_walls(editor, changed);
    // A silent deletion leaves the zones to whoever deletes more; until
    // then they are not those of the walls.
    if (deleted && !interactive) g.current().detection.zones_exact = false;
    return deleted;
}

// ------------------------------------------------------------ area deletion

bool select_by_coordinates(SketchEditor& editor)
{
    SketchGrid& g = editor.grid();
    if (!g.allocated()) return false;
    CoordinatesForm form;
    form.max_row = g.rows() - 2;
    form.max_col = g.cols() - 2;
    form.a = form.b = g.cursor;
    if (!editor.dialogs().delete_coordinates(form)) return false;
    if (const std::string refusal = form.check(); !refusal.empty()) {
        show_message(WARNING, {refusal});
        return false;
    }
    const GridCell a{std::min(form.a.row, form.b.row), std::min(form.a.col, form.b.col)};
    const GridCell b{std::max(form.a.row, form.b.row), std::max(form.a.col, form.b.col)};
    if (editor.stroke.in_progress) cancel_stroke(editor);
    editor.tool = DrawingTool::DeleteByBox;
    editor.stroke = StrokeState{};
    editor.stroke.step = 1;
    g.Sselect.fill(0);
    for (int c = a.col; c <= b.col; ++c) g.Sselect(a.row, c) = g.Sselect(b.row, c) = 1;
    for (int r = a.row; r <= b.row; ++r) g.Sselect(r, a.col) = g.Sselect(r, b.col) = 1;
    editor.repaint_all();
    return true;
}

bool delete_in_area(SketchEditor& editor)
{
    SketchGrid& g = editor.grid();
    Project& p = editor.project();
    if (!g.allocated() || !p.current_level) return false;
    const AreaLoop loop = trace_area_loop(g);
    if (!loop.closed) {
        show_message(WARNING, {kNoClosedArea});
        return false;
    }
    AreaDeleteForm form = make_area_delete_form(p, editor.delete_options);
    if (!editor.dialogs().area_delete_options(form)) return false;
    AreaDeleteOptions options = form.options;
    if (options.walls) options.zones = true;
    if (options.simple_ahs) options.supplies = options.returns = true;
    editor.delete_options = options;

    AreaDeletion job{editor, options, {}, false};
    Level* const was_current = p.current_level;
    const GridCell cursor = g.cursor;
    const GridCell seed{loop.top_left.row + 1, loop.top_left.col + 1};
    int filled_levels = 0;
    for (Level* level = p.top_level; level; level = level->below) {
        if (std::find(options.levels.begin(), options.levels.end(), level->nr) == options.levels.end()) continue;
        if (p.current_level != level || g.shown_level(kCurrentLevel) != level) goto_level(p, g, *level);
        job.deferred.clear();
        if (g.Sselect(seed.row, seed.col) != 1) {
            const auto fill_value = static_cast<std::uint8_t>(2 + filled_levels % 2);
            ++filled_levels;
            const auto began = std::chrono::steady_clock::now();
            fill_selection(g, seed, fill_value, [&](int r, int c) { job.cell(r, c, false); });
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
            run_log().printf("\nTime to delete from level %s: %.2f s", level->name.c_str(), took.count());
            run_log().write("\n\n");
        }
        for (const GridCell& c : job.deferred) job.cell(c.row, c.col, true);
        if (job.ducts_changed) {
            // The runs left spread their segment numbers again.
            reload_duct_layer(editor);
            job.ducts_changed = false;
        }
        if (options.walls) {
            cut_walls_at_loop(job, loop);
            g.walls_changed = true;
            prepare_zone_cells(g, kCurrentLevel);
        }
        reset_zone_cells(g);
        fill_zones(g, kCurrentLevel, true);
        relink_icons(p, g);
    }
    if (p.current_level != was_current) goto_level(p, g, *was_current);
    g.cursor = cursor;
    g.Sselect.fill(0);
    editor.repaint_all();
    editor.navigator_changed();
    return true;
}

}  // namespace avelor
