#include "editing/duct_drawing.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "app/diagnostics.h"
#include "editing/link_drawing.h"
#include "editing/stroke_cells.h"
#include "model/project.h"
#include "sketchpad/cell_scan.h"
#include "sketchpad/level_navigation.h"

namespace avelor {

namespace {

using namespace stroke_cells;

constexpr std::string_view kBeginsDefined = "New duct may not begin at a defined duct.";
constexpr std::string_view kEndsDefined = "New duct may not end at a defined duct.";
constexpr std::string_view kDuctLinked =
    "This duct is referenced by the control network.\n You must remove all references to this duct before it "
    "can be deleted.";
constexpr std::string_view kTerminalLinked =
    "This terminal is referenced by the control network.\n You must remove all references to this terminal "
    "before it can be deleted.";
constexpr std::string_view kJunctionLinked =
    "This duct junction is referenced by the control network.\n You must remove all references to this duct "
    "junction before it can be deleted.";
constexpr std::string_view kDefinedEnds = "Junctions at both ends must be undefined before deletion";
constexpr std::string_view kTwoDefinedSegments =
    "A junction cannot be deleted with more than one connected segment defined.";
constexpr std::string_view kClearDucts = " Clear adjacent ducts before clearing junction";
constexpr std::string_view kClearDuct = " Clear adjacent duct before clearing junction";

// The cells of a traced run carry the drawing-line colour.
bool on_trace(const SketchGrid& g, GridCell at)
{
    return g.in_grid(at.row, at.col) && g.Scolors(at.row, at.col) == g.colours.drawing_line;
}

template <class Visit>
void for_each_traced(SketchGrid& g, const CellBounds& b, Visit&& visit)
{
    for (int r = std::max(b.min_row, 0); r <= std::min(b.max_row, g.rows() - 1); ++r)
        for (int c = std::max(b.min_col, 0); c <= std::min(b.max_col, g.cols() - 1); ++c)
            if (g.Scolors(r, c) == g.colours.drawing_line) visit(r, c);
}

bool is_terminal(std::uint8_t code) { return code >= ICN_TERMINAL && code <= ICN_LAST_DUCT_NODE; }
bool is_duct_piece(std::uint8_t code) { return code != 0 && !is_duct_node(code); }
bool connects_up(std::uint8_t code) { return code == 159 || code == 161 || code == 163; }
bool connects_down(std::uint8_t code) { return code == 160 || code == 161 || code == 164; }

bool drawable(SketchEditor& editor, int row, int col)
{
    return editor.grid().allocated() && editor.project().current_level && editor.grid().in_drawing(row, col);
}

// The directions in which a neighbour of the cell holds any duct code.
std::uint16_t duct_neighbours(const SketchGrid& g, const LevelCells& l, GridCell at)
{
    std::uint16_t bits = 0;
    for (std::uint16_t d : kDirections) {
        const GridCell nb = step(at, d);
        if (g.in_grid(nb.row, nb.col) && l.Ducts(nb.row, nb.col) != 0) bits |= d;
    }
    return bits;
}

// The segment number a duct piece carries (0 for nodes and for the number
// of an icon sharing the cell).
std::int32_t segment_number(const LevelCells& l, GridCell at)
{
    const std::uint8_t code = l.Ducts(at.row, at.col);
    if (!is_duct_piece(code) || l.Sketch(at.row, at.col) != 0) return 0;
    return std::max(l.Paths(at.row, at.col), 0);
}

// The number a crossing keeps for the duct along axis (N|S or E|W): that of
// a plain piece beside it on that axis, if any.
std::int32_t number_along(const SketchGrid& g, const LevelCells& l, GridCell at, std::uint16_t axis)
{
    for (std::uint16_t d : kDirections) {
        if (!(axis & d)) continue;
        const GridCell nb = step(at, d);
        if (!g.in_grid(nb.row, nb.col)) continue;
        if (const std::int32_t n = segment_number(l, nb); n > 0) return n;
    }
    return 0;
}

constexpr std::uint16_t kAxisNS = kNorth | kSouth;
constexpr std::uint16_t kAxisEW = kEast | kWest;
constexpr std::uint16_t axis_of(std::uint16_t d) { return (d & kAxisNS) ? kAxisNS : kAxisEW; }

// Whether the control network holds the record of a cell: the record says
// which control node drives it, or a link arrowhead points into the cell.
template <class Record>
bool held_by_controls(const SketchGrid& g, const Record* record, GridCell at)
{
    return (record && record->control) || count_link_inputs(g, at.row, at.col) > 0;
}

// ------------------------------------------------------------- releasing

// Records released together; the references to them are cleared once at
// the end, so a large deletion sweeps the lists once.
class DuctReleases {
public:
    explicit DuctReleases(SketchEditor& editor) : editor_(editor) {}
    DuctReleases(const DuctReleases&) = delete;
    DuctReleases& operator=(const DuctReleases&) = delete;
    ~DuctReleases() { finish(); }

    void segment(std::int32_t number)
    {
        Project& p = editor_.project();
        DuctSegment* s = p.ducts.at(number);
        if (!s) return;
        segments_.insert(s);
        release_filter(p, s->filter);
        if (p.ducts.release(number)) editor_.modified();
        Clipboard& clip = editor_.clipboard;
        if (clip.kind == ClipKind::DuctSegment && clip.number == number) clip.clear();
    }

    // A junction or terminal with its downward segment.
    void junction(std::int32_t number)
    {
        Project& p = editor_.project();
        Junction* j = p.junctions.at(number);
        if (!j) return;
        if (j->duct && p.ducts.at(j->duct->nr) == j->duct) segment(j->duct->nr);
        j->duct = nullptr;
        release_filter(p, j->terminal.filter);
        junctions_.insert(j);
        if (p.junctions.release(number)) editor_.modified();
        Clipboard& clip = editor_.clipboard;
        if (clip.kind == ClipKind::DuctNode && clip.number == number) clip.clear();
    }

    // No record, and no copy in the clipboard, names a released one.
    void finish()
    {
        if (segments_.empty() && junctions_.empty()) return;
        Project& p = editor_.project();
        auto gone_node = [&](Junction*& j) {
            if (j && junctions_.contains(j)) j = nullptr;
        };
        auto gone_segment = [&](DuctSegment*& s) {
            if (s && segments_.contains(s)) s = nullptr;
        };
        if (!segments_.empty())
            for (Junction& j : p.junctions) gone_segment(j.duct);
        if (!junctions_.empty())
            for (DuctSegment& s : p.ducts) {
                gone_node(s.junction_n);
                gone_node(s.junction_m);
            }
        Clipboard& clip = editor_.clipboard;
        if (clip.junction) gone_segment(clip.junction->duct);
        if (clip.duct) {
            gone_node(clip.duct->junction_n);
            gone_node(clip.duct->junction_m);
        }
        segments_.clear();
        junctions_.clear();
    }

private:
    SketchEditor& editor_;
    std::unordered_set<const DuctSegment*> segments_;
    std::unordered_set<const Junction*> junctions_;
};

// ------------------------------------------------------------- run trace

// The cells of a run traced on the overlay, with the axes along which it
// passed each crossing.
struct RunTrace {
    std::vector<std::pair<std::size_t, std::uint16_t>> crossings;
    std::vector<RunEnd> ends;

    std::uint16_t crossing_axes(std::size_t index) const
    {
        std::uint16_t axes = 0;
        for (const auto& [i, axis] : crossings)
            if (i == index) axes |= axis;
        return axes;
    }
};

// Traces a run from start leaving in direction first, marking every cell
// entered: over crossings straight on, ending at a node (marked), before a
// cell that does not continue the run, at the border, or where the run
// comes back onto itself. Never more steps than the grid has cells twice
// over (a crossing may be passed once each way).
RunEnd trace_run(SketchGrid& g, GridCell start, std::uint16_t first, RunTrace& trace)
{
    Overlay overlay{g};
    const LevelCells& l = g.current();
    g.cursor = start;
    std::uint16_t d = first;
    const std::size_t limit = 2 * g.cells() + 4;
    for (std::size_t n = 0; n < limit; ++n) {
        const GridCell before = g.cursor;
        const int next = step_along_run(g, d, CellLayer::Duct);
        const GridCell at = g.cursor;
        if (at == before) return {before, false};
        const std::uint8_t code = l.Ducts(at.row, at.col);
        if (is_duct_node(code)) {
            overlay.mark(at);
            return {at, true};
        }
        const std::uint16_t bits = direction_bits(code);
        if (!(bits & opposite_direction(d))) {
            g.cursor = before;
            return {before, false};
        }
        const std::size_t i = g.index(at.row, at.col);
        if (code == ICN_DUCT_CROSS) {
            const std::uint16_t axis = axis_of(d);
            if (trace.crossing_axes(i) & axis) return {at, false};
            trace.crossings.emplace_back(i, axis);
            overlay.mark(at);
            continue;
        }
        if (on_trace(g, at)) return {at, false};
        overlay.mark(at);
        if (next == 0) return {at, false};
        d = static_cast<std::uint16_t>(next);
    }
    return {g.cursor, false};
}

// Traces the run through start in every direction given, the start marked.
RunTrace trace_from(SketchGrid& g, GridCell start, std::uint16_t directions)
{
    RunTrace trace;
    const GridCell cursor = g.cursor;
    g.bounds.reset(start);
    Overlay{g}.mark(start);
    for (std::uint16_t d : kDirections)
        if (directions & d) trace.ends.push_back(trace_run(g, start, d, trace));
    g.cursor = cursor;
    return trace;
}

// Whether the level above (below) holds, at the cell, a node that connects
// down (up) to this one.
bool has_partner(SketchEditor& editor, GridCell at, bool upward)
{
    Project& p = editor.project();
    SketchGrid& g = editor.grid();
    Level* level = p.current_level;
    Level* other = level ? (upward ? level->above : level->below) : nullptr;
    if (!other) return false;
    auto fits = [&](std::uint8_t code) { return upward ? connects_down(code) : connects_up(code); };
    if (!upward && g.shown_level(kLevelBelow) == other) return fits(g.below().Ducts(at.row, at.col));
    const int row = at.row + g.origin.row;
    const int col = at.col + g.origin.col;
    for (const IconEntry& e : other->icons)
        if (e.row == row && e.col == col && fits(e.code)) return true;
    return false;
}

// What a node at the end of a deleted run becomes, from the connections it
// keeps: a node is cleared only when nothing connects to it any more.
std::uint8_t node_after_deletion(SketchEditor& editor, GridCell at, std::uint8_t code, int kept)
{
    if (code == ICN_JUNCTION) return kept == 0 ? 0 : kept == 1 ? ICN_TERMINAL : ICN_JUNCTION;
    if (code == ICN_TERMINAL) return kept == 0 ? 0 : code;
    if (kept > 0) return code;
    const bool up = connects_up(code) && has_partner(editor, at, true);
    const bool down = connects_down(code) && has_partner(editor, at, false);
    if (up && down) return 161;
    if (up) return 163;
    if (down) return 164;
    return 0;
}

// The plain piece with exactly these connections.
std::uint8_t plain_piece(std::uint16_t bits)
{
    for (std::uint8_t code = ICN_DUCT_H; code <= 150; ++code)
        if (direction_bits(code) == bits) return code;
    return 0;
}

// Deletes the cells of a traced run.
void delete_traced_cells(SketchEditor& editor, const RunTrace& trace, const CellBounds& b)
{
    SketchGrid& g = editor.grid();
    LevelCells& l = g.current();
    auto clear_cell = [&](int r, int c) {
        l.Ducts(r, c) = 0;
        if (l.Sketch(r, c) == 0) l.Paths(r, c) = 0;
    };
    // Whether a cell keeps its connection toward a marked neighbour: only
    // a crossing does, along the axis the run did not pass.
    auto keeps_towards = [&](GridCell nb, std::uint16_t towards) {
        if (l.Ducts(nb.row, nb.col) != ICN_DUCT_CROSS) return false;
        const std::uint16_t passed = trace.crossing_axes(g.index(nb.row, nb.col));
        return !(passed & axis_of(towards));
    };
    // What the nodes become is read from the cells as they are, before any
    // piece changes; they are written last.
    std::vector<std::pair<GridCell, std::uint8_t>> nodes;
    for_each_traced(g, b, [&](int r, int c) {
        const GridCell at{r, c};
        const std::uint8_t code = l.Ducts(r, c);
        if (!is_duct_node(code)) return;
        int kept = 0, marked = 0;
        std::uint16_t kept_bits = 0;
        for (std::uint16_t d : kDirections) {
            const GridCell nb = step(at, d);
            if (!g.in_grid(nb.row, nb.col) || l.Ducts(nb.row, nb.col) == 0) continue;
            if (on_trace(g, nb)) {
                ++marked;
                if (!keeps_towards(nb, opposite_direction(d))) continue;
            }
            ++kept;
            kept_bits |= d;
        }
        std::uint8_t now = 0;
        if (code == ICN_JUNCTION && marked == 0)
            now = plain_piece(kept_bits);  // a two-way junction taken out of its run
        else
            now = node_after_deletion(editor, at, code, kept);
        nodes.emplace_back(at, now);
    });
    for_each_traced(g, b, [&](int r, int c) {
        const GridCell at{r, c};
        const std::uint8_t code = l.Ducts(r, c);
        if (code == 0 || is_duct_node(code)) return;
        if (code == ICN_DUCT_CROSS) {
            const std::uint16_t passed = trace.crossing_axes(g.index(r, c));
            if (passed == kAxisEW) {
                l.Ducts(r, c) = ICN_DUCT_V;
                l.Paths(r, c) = number_along(g, l, at, kAxisNS);
            } else if (passed == kAxisNS) {
                l.Ducts(r, c) = ICN_DUCT_H;
                l.Paths(r, c) = number_along(g, l, at, kAxisEW);
            } else {
                clear_cell(r, c);
            }
            return;
        }
        clear_cell(r, c);
    });
    for (const auto& [at, code] : nodes) {
        l.Ducts(at.row, at.col) = code;
        if (code == 0 || !is_duct_node(code)) l.Paths(at.row, at.col) = 0;
    }
    clear_overlay_in(g, b);
    editor.modified();
    editor.touched(b);
    editor.navigator_changed();
}

// ------------------------------------------------------------- networks

struct NetworkPoint {
    Level* level = nullptr;
    GridCell cell;
    bool upward = false;  // queued by a node of the level below
};

// Keeps the points whose cell on the level holds a node that connects back
// to the node that queued them: from the grid where the level is shown,
// else from its icon list (looked up once for many points).
void keep_connected_points(const SketchGrid& g, const Level& level, std::vector<NetworkPoint>& points)
{
    auto connected = [](const NetworkPoint& q, std::uint8_t code) {
        return q.upward ? connects_down(code) : connects_up(code);
    };
    for (int which : {kCurrentLevel, kLevelBelow})
        if (g.shown_level(which) == &level) {
            const LevelCells& l = g.level(which);
            std::erase_if(points, [&](const NetworkPoint& q) { return !connected(q, l.Ducts(q.cell.row, q.cell.col)); });
            return;
        }
    auto key = [](int row, int col) { return (static_cast<std::int64_t>(row) << 32) | static_cast<std::uint32_t>(col); };
    std::unordered_map<std::int64_t, std::uint8_t> nodes;
    for (const IconEntry& e : level.icons)
        if (is_duct_node(e.code)) nodes.emplace(key(e.row, e.col), e.code);
    std::erase_if(points, [&](const NetworkPoint& q) {
        const auto it = nodes.find(key(q.cell.row + g.origin.row, q.cell.col + g.origin.col));
        return it == nodes.end() || !connected(q, it->second);
    });
}

}  // namespace

// ---------------------------------------------------------------- strokes

void begin_duct_stroke(SketchEditor& editor)
{
    SketchGrid& g = editor.grid();
    if (!g.allocated()) return;
    GridCell c = g.cursor;
    c.row = std::clamp(c.row, 1, g.rows() - 2) & ~1;
    c.col = std::clamp(c.col, 1, g.cols() - 2) & ~1;
    if (c.row == 0) c.row = 2;
    if (c.col == 0) c.col = 2;
    if (!g.in_drawing(c.row, c.col)) {
        beep();
        return;
    }
    g.cursor = c;
    if (g.current().Paths(c.row, c.col) != 0) {
        show_message(WARNING, {kBeginsDefined});
        return;
    }
    start_stroke(editor, c, 2);
}

bool extend_duct_stroke(SketchEditor& editor, GridCell p, GridCell c)
{
    SketchGrid& g = editor.grid();
    Overlay overlay{g};
    const std::uint16_t d = direction_to(p, c);
    if (d == 0 || std::abs(p.row - c.row) + std::abs(p.col - c.col) != 2) {
        g.cursor = p;
        return false;
    }
    const GridCell mid = step(p, d);
    if (overlay.marked(c)) {
        if (overlay.marked_neighbours(p.row, p.col) != d) {
            // The stroke may not touch itself.
            g.cursor = p;
            beep();
            return false;
        }
        overlay.unmark(p);
        overlay.unmark(mid);
    } else {
        overlay.mark(p);
        overlay.mark(mid);
        overlay.mark(c);
    }
    editor.stroke.touched.widen(c);
    editor.touched(bounds_of(p, c));
    return true;
}

int finish_duct_stroke(SketchEditor& editor)
{
    SketchGrid& g = editor.grid();
    StrokeState& s = editor.stroke;
    if (!s.in_progress || !g.allocated()) return 1;
    LevelCells& l = g.current();
    const GridCell end = s.previous;
    if (l.Paths(end.row, end.col) != 0) {
        show_message(WARNING, {kEndsDefined});
        return 1;
    }
    Overlay overlay{g};
    // Pass 1: the code of every stroke cell, 0 where the cell refuses it.
    auto piece_for = [&](int r, int c) -> std::uint8_t {
        if (!g.in_drawing(r, c) || l.Sketch(r, c) != 0) return 0;
        const std::uint16_t e = overlay.marked_neighbours(r, c);
        const std::uint8_t f = l.Ducts(r, c);
        if (f == 0) return kDuctPieces[e];
        const std::uint16_t o = duct_neighbours(g, l, {r, c});
        // The stroke would run along an existing duct.
        if (e & o) return 0;
        const std::uint16_t bits = e | o;
        const int ways = std::popcount(static_cast<unsigned>(bits));
        // A defined item stays as it is: a node keeps its kind, and a piece
        // of a defined segment is not split into two runs.
        const bool defined = l.Paths(r, c) != 0;
        switch (f) {
        case ICN_DUCT_H:
        case ICN_DUCT_V:
        case ICN_DUCT_HEAD_H:
        case ICN_DUCT_HEAD_V:
            if (ways == 4) return kDuctPieces[bits];
            return defined ? 0 : ICN_JUNCTION;
        case 147:
        case 148:
        case 149:
        case 150:
        case ICN_DUCT_CROSS: return ways < 4 && !defined ? ICN_JUNCTION : 0;
        case 158:
        case 159:
        case 160:
        case 161: return defined ? 0 : f;
        case 162: return defined ? 0 : ways > 1 ? ICN_JUNCTION : f;
        case 163: return defined ? 0 : ways > 1 ? 159 : f;
        case 164: return defined ? 0 : ways > 1 ? 160 : f;
        default: return 0;
        }
    };
    std::vector<std::pair<GridCell, std::uint8_t>> pieces;
    bool rejected = false;
    for_each_marked(g, s.touched, [&](int r, int c) {
        const std::uint8_t code = piece_for(r, c);
        g.Scolors(r, c) = code != 0 ? g.colours.drawing_line : g.colours.errors;
        if (code == 0) {
            rejected = true;
            editor.touched(GridCell{r, c});
        }
        pieces.emplace_back(GridCell{r, c}, code);
    });
    if (rejected) {
        beep();
        return 1;
    }
    // Pass 2: the pieces written.
    for (const auto& [at, code] : pieces) l.Ducts(at.row, at.col) = code;
    editor.modified();
    clear_overlay_in(g, s.touched);
    editor.touched(s.touched);
    g.cursor = end;
    s = StrokeState{};
    s.step = 2;
    editor.navigator_changed();
    return 0;
}

// ---------------------------------------------------------------- runs

bool delete_duct_run(SketchEditor& editor, int row, int col, Asking asking, bool reload)
{
    if (!drawable(editor, row, col)) return false;
    SketchGrid& g = editor.grid();
    Project& p = editor.project();
    LevelCells& l = g.current();
    const bool interactive = asking == Asking::Interactive;
    const GridCell start{row, col};
    const std::uint8_t code = l.Ducts(row, col);
    auto refuse = [&](std::string_view text) {
        if (interactive) show_message(WARNING, {text});
        return false;
    };
    if (code == 0) return false;
    if (count_link_inputs(g, row, col) > 0) return refuse(kDuctLinked);
    const std::uint16_t around = duct_neighbours(g, l, start);
    const bool node = is_duct_node(code);
    // A numbered piece belongs to a defined segment, undefined first; a
    // branch or a crossing is no one run.
    if ((!node && segment_number(l, start) > 0) || std::popcount(static_cast<unsigned>(around)) > 2) {
        if (interactive) beep();
        return false;
    }
    int defined_neighbours = 0;
    for (std::uint16_t d : kDirections)
        if ((around & d) && segment_number(l, step(start, d)) > 0) ++defined_neighbours;

    const bool junction_in_run = code == ICN_JUNCTION && std::popcount(static_cast<unsigned>(around)) == 2;
    RunTrace trace;
    if (junction_in_run) {
        g.bounds.reset(start);
        Overlay{g}.mark(start);
    } else {
        trace = trace_from(g, start, node ? around : direction_bits(code));
    }
    const CellBounds traced = g.bounds;
    editor.touched(traced);
    auto give_up = [&](std::string_view text) {
        clear_overlay_in(g, traced);
        return refuse(text);
    };
    if (node && l.Paths(row, col) > 0) return give_up(kDefinedEnds);
    for (const RunEnd& end : trace.ends)
        if (end.node && l.Paths(end.cell.row, end.cell.col) > 0) return give_up(kDefinedEnds);
    if (defined_neighbours > 1) return give_up(kTwoDefinedSegments);

    // A defined segment whose run goes (begun at an undefined node) goes
    // with its record; the control network must not hold it.
    std::vector<std::int32_t> segments;
    bool linked = false;
    for_each_traced(g, traced, [&](int r, int c) {
        const std::uint8_t k = l.Ducts(r, c);
        if (k == ICN_DUCT_CROSS || !is_duct_piece(k)) return;
        const std::int32_t n = segment_number(l, {r, c});
        if (n <= 0) return;
        if (std::find(segments.begin(), segments.end(), n) == segments.end()) segments.push_back(n);
        if (is_segment_icon(k) && held_by_controls(g, p.ducts.at(n), {r, c})) linked = true;
    });
    if (linked) return give_up(kDuctLinked);

    if (interactive && ask_question("Delete the duct indicated?") != 1) {
        clear_overlay_in(g, traced);
        return false;
    }
    {
        DuctReleases releases(editor);
        for (std::int32_t n : segments) releases.segment(n);
    }
    delete_traced_cells(editor, trace, traced);
    if (reload) reload_duct_layer(editor);
    return true;
}

void reload_duct_layer(SketchEditor& editor)
{
    Project& p = editor.project();
    SketchGrid& g = editor.grid();
    Level* level = p.current_level;
    if (!level || !g.allocated() || g.shown_level(kCurrentLevel) != level) return;
    store_level_icons(g, *level);
    LevelCells& l = g.current();
    const int rows = g.rows();
    const int cols = g.cols();
    for (int r = 0; r < rows; ++r) {
        std::uint8_t* ducts = l.Ducts.row(r);
        for (int c = sketch_scan::next_nonzero(ducts, 0, cols); c < cols;
             c = sketch_scan::next_nonzero(ducts, c + 1, cols)) {
            ducts[c] = 0;
            if (l.Sketch(r, c) == 0) l.Paths(r, c) = 0;
        }
    }
    const int drawing_rows = g.drawing_rows > 0 ? g.drawing_rows : rows;
    const int drawing_cols = g.drawing_cols > 0 ? g.drawing_cols : cols;
    for (const IconEntry& e : level->icons) {
        if (layer_of_code(e.code) != CellLayer::Duct) continue;
        if (e.row < 1 || e.row > drawing_rows - 2 || e.col < 1 || e.col > drawing_cols - 2) continue;
        const int r = e.row - g.origin.row;
        const int c = e.col - g.origin.col;
        if (!g.in_grid(r, c)) continue;
        l.Ducts(r, c) = e.code;
        l.Paths(r, c) = e.nr;
    }
    expand_duct_runs(g, kCurrentLevel);
    editor.repaint_all();
}

// ---------------------------------------------------------------- undefining

bool undefine_duct_segment(SketchEditor& editor, int row, int col, Asking asking)
{
    if (!drawable(editor, row, col)) return false;
    SketchGrid& g = editor.grid();
    Project& p = editor.project();
    LevelCells& l = g.current();
    const bool interactive = asking == Asking::Interactive;
    const GridCell start{row, col};
    const std::uint8_t code = l.Ducts(row, col);
    const std::int32_t n = l.Paths(row, col);
    if (!is_segment_icon(code) || n <= 0) {
        if (interactive) beep();
        return false;
    }
    auto refuse = [&](std::string_view text) {
        if (interactive) show_message(WARNING, {text});
        return false;
    };
    DuctSegment* segment = p.ducts.at(n);
    if (held_by_controls(g, segment, start)) return refuse(kDuctLinked);

    const RunTrace trace = trace_from(g, start, direction_bits(code));
    const CellBounds traced = g.bounds;
    editor.touched(traced);
    auto give_up = [&](std::string_view text) {
        clear_overlay_in(g, traced);
        return refuse(text);
    };
    // The nodes at the ends lose their records unless something else still
    // uses them: another defined duct beside them, another segment's end,
    // or their own downward segment.
    auto still_used = [&](const Junction* j, GridCell at) {
        if (!j) return false;
        if (j->duct) return true;
        for (std::uint16_t d : kDirections) {
            const GridCell nb = step(at, d);
            if (!g.in_grid(nb.row, nb.col) || on_trace(g, nb)) continue;
            const std::int32_t other = segment_number(l, nb);
            if (other > 0 && other != n) return true;
        }
        for (const DuctSegment& s : p.ducts)
            if (&s != segment && (s.junction_n == j || s.junction_m == j)) return true;
        return false;
    };
    std::vector<std::pair<GridCell, std::int32_t>> freed;
    for (const RunEnd& end : trace.ends) {
        if (!end.node) continue;
        const std::int32_t jn = l.Paths(end.cell.row, end.cell.col);
        if (jn <= 0) continue;
        if (std::any_of(freed.begin(), freed.end(), [&](const auto& f) { return f.second == jn; })) continue;
        const Junction* j = p.junctions.at(jn);
        if (still_used(j, end.cell)) continue;
        if (held_by_controls(g, j, end.cell))
            return give_up(is_terminal(l.Ducts(end.cell.row, end.cell.col)) ? kTerminalLinked : kJunctionLinked);
        freed.emplace_back(end.cell, jn);
    }
    if (interactive && ask_question("Undefine this duct segment?") != 1) {
        clear_overlay_in(g, traced);
        return false;
    }
    for_each_traced(g, traced, [&](int r, int c) {
        const std::uint8_t k = l.Ducts(r, c);
        if (!is_duct_piece(k) || l.Sketch(r, c) != 0 || l.Paths(r, c) != n) return;
        if (k == ICN_DUCT_CROSS) {
            const std::uint16_t passed = trace.crossing_axes(g.index(r, c));
            const std::uint16_t other = passed == kAxisNS ? kAxisEW : kAxisNS;
            const std::int32_t keep = passed == kAxisNS || passed == kAxisEW ? number_along(g, l, {r, c}, other) : 0;
            l.Paths(r, c) = keep == n ? 0 : keep;
        } else {
            l.Paths(r, c) = 0;
        }
    });
    {
        DuctReleases releases(editor);
        for (const auto& [at, jn] : freed) {
            releases.junction(jn);
            l.Paths(at.row, at.col) = 0;
        }
        releases.segment(n);
    }
    l.Ducts(row, col) = (code == ICN_SEGMENT_N || code == ICN_SEGMENT_S) ? ICN_DUCT_V : ICN_DUCT_H;
    l.Paths(row, col) = 0;
    clear_overlay_in(g, traced);
    editor.modified();
    editor.navigator_changed();
    return true;
}

bool undefine_junction(SketchEditor& editor, int row, int col, Asking asking)
{
    if (!drawable(editor, row, col)) return false;
    SketchGrid& g = editor.grid();
    Project& p = editor.project();
    LevelCells& l = g.current();
    const bool interactive = asking == Asking::Interactive;
    const GridCell at{row, col};
    const std::uint8_t code = l.Ducts(row, col);
    const std::int32_t n = l.Paths(row, col);
    if (!is_duct_node(code) || n <= 0) {
        if (interactive) beep();
        return false;
    }
    auto refuse = [&](std::string_view text) {
        if (interactive) show_message(WARNING, {text});
        return false;
    };
    const bool terminal = is_terminal(code);
    if (held_by_controls(g, p.junctions.at(n), at)) return refuse(terminal ? kTerminalLinked : kJunctionLinked);
    const std::uint16_t around = duct_neighbours(g, l, at);
    const int e = std::popcount(static_cast<unsigned>(around));
    int d = 0;
    for (std::uint16_t dir : kDirections)
        if ((around & dir) && segment_number(l, step(at, dir)) > 0) ++d;
    if (e >= 2 && d >= 2) return refuse(kClearDucts);
    if (e == 1 && d >= 1) return refuse(kClearDuct);
    if (interactive &&
        ask_question(terminal ? "Undefine this duct terminal?" : "Undefine this duct junction?") != 1)
        return false;
    if (e > 1)
        l.Ducts(row, col) = ICN_JUNCTION;
    else if (e == 1)
        l.Ducts(row, col) = ICN_TERMINAL;
    release_junction_record(editor, n);
    l.Paths(row, col) = 0;
    g.Scolors(row, col) = g.colours.background;
    editor.modified();
    editor.touched(at);
    editor.navigator_changed();
    return true;
}

bool delete_duct_item(SketchEditor& editor, int row, int col)
{
    if (!drawable(editor, row, col)) return false;
    const LevelCells& l = editor.grid().current();
    const std::uint8_t code = l.Ducts(row, col);
    const std::int32_t n = l.Paths(row, col);
    if (code == 0) return false;
    // The run is shown on the overlay, which a stroke must not share.
    if (editor.stroke.in_progress) cancel_stroke(editor);
    if (is_segment_icon(code) && n > 0) return undefine_duct_segment(editor, row, col, Asking::Interactive);
    if (is_duct_node(code) && n > 0) return undefine_junction(editor, row, col, Asking::Interactive);
    if (!is_duct_node(code) && segment_number(l, {row, col}) > 0) {
        beep();
        return false;
    }
    return delete_duct_run(editor, row, col, Asking::Interactive);
}

// ---------------------------------------------------------------- networks

bool delete_duct_network(SketchEditor& editor, int row, int col)
{
    if (!drawable(editor, row, col)) return false;
    Project& p = editor.project();
    SketchGrid& g = editor.grid();
    if (g.current().Ducts(row, col) == 0) return false;
    Level* const was_current = p.current_level;
    const GridCell cursor = g.cursor;
    std::vector<NetworkPoint> up, down;
    std::vector<GridCell> stack;
    DuctReleases releases(editor);
    bool deleted = false;

    // Deletes what is connected to the cell on the current level, queueing
    // the cells where junctions lead to the levels above and below.
    auto delete_from = [&](GridCell from) {
        Level* level = p.current_level;
        LevelCells& l = g.current();
        stack.clear();
        stack.push_back(from);
        CellBounds box;
        box.reset(from);
        while (!stack.empty()) {
            const GridCell at = stack.back();
            stack.pop_back();
            const std::uint8_t code = l.Ducts(at.row, at.col);
            if (code == 0) continue;
            const std::int32_t n = l.Sketch(at.row, at.col) == 0 ? l.Paths(at.row, at.col) : 0;
            // Junctions carry the deletion up and down (terminals do not),
            // never to a level that is not there.
            if ((code == 160 || code == 161) && level->below) down.push_back({level->below, at, false});
            if ((code == 159 || code == 161) && level->above) up.push_back({level->above, at, true});
            if (n > 0) {
                if (is_duct_node(code))
                    releases.junction(n);
                else
                    releases.segment(n);
            }
            l.Ducts(at.row, at.col) = 0;
            if (l.Sketch(at.row, at.col) == 0) l.Paths(at.row, at.col) = 0;
            g.Scolors(at.row, at.col) = g.colours.background;
            box.widen(at);
            deleted = true;
            for (std::uint16_t d : kDirections) {
                const GridCell nb = step(at, d);
                if (g.in_drawing(nb.row, nb.col) && l.Ducts(nb.row, nb.col) != 0) stack.push_back(nb);
            }
        }
        editor.touched(box);
    };

    delete_from({row, col});
    while (!up.empty() || !down.empty()) {
        Level* next = !up.empty() ? up.front().level : down.front().level;
        // Every point queued for that level is taken at once, so that the
        // level is shown once for all of them.
        std::vector<NetworkPoint> here;
        for (std::vector<NetworkPoint>* queue : {&up, &down}) {
            auto split = std::stable_partition(queue->begin(), queue->end(),
                                               [&](const NetworkPoint& q) { return q.level != next; });
            here.insert(here.end(), split, queue->end());
            queue->erase(split, queue->end());
        }
        // Only a node that connects back to the one that queued the point
        // carries on: a duct of another network that merely lies at the
        // same cell stays, and a level whose part of the network is gone
        // already is not shown again.
        keep_connected_points(g, *next, here);
        if (here.empty()) continue;
        show_level_cheaply(p, g, *next);
        for (const NetworkPoint& q : here) delete_from(q.cell);
    }
    releases.finish();
    if (p.current_level != was_current) show_level_cheaply(p, g, *was_current);
    g.cursor = cursor;
    if (deleted) {
        editor.modified();
        editor.repaint_all();
        editor.navigator_changed();
    }
    return deleted;
}

bool can_delete_network(SketchEditor& editor)
{
    const GridCell c = editor.grid().cursor;
    if (editor.mode != DisplayMode::Normal || !drawable(editor, c.row, c.col)) return false;
    const LevelCells& l = editor.grid().current();
    return l.Ducts(c.row, c.col) != 0 || (l.Links(c.row, c.col) != 0 && editor.session().view.flags.control_links);
}

bool delete_network_at_cursor(SketchEditor& editor)
{
    SketchGrid& g = editor.grid();
    const GridCell c = g.cursor;
    if (!drawable(editor, c.row, c.col) || editor.mode != DisplayMode::Normal) {
        beep();
        return false;
    }
    const LevelCells& l = g.current();
    if (l.Ducts(c.row, c.col) != 0) {
        if (editor.stroke.in_progress) cancel_stroke(editor);
        if (ask_question("Delete this duct network?") != 1) return false;
        return delete_duct_network(editor, c.row, c.col);
    }
    if (l.Links(c.row, c.col) != 0 && editor.session().view.flags.control_links) {
        if (editor.stroke.in_progress) cancel_stroke(editor);
        if (ask_question("Delete this control network?") != 1) return false;
        return delete_control_network(editor, c.row, c.col);
    }
    beep();
    return false;
}

// ---------------------------------------------------------------- records

void release_duct_record(SketchEditor& editor, std::int32_t number)
{
    DuctReleases releases(editor);
    releases.segment(number);
}

void release_junction_record(SketchEditor& editor, std::int32_t number)
{
    DuctReleases releases(editor);
    releases.junction(number);
}

}  // namespace avelor
