#include "check/level_walk.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "model/project.h"
#include "sketchpad/cell_scan.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/zone_detection.h"

namespace avelor {

namespace {

// Outdoor cells kept around everything drawn, so that no piece or icon of
// the window lies nearer its border than in the drawing.
constexpr int kWindowMargin = 3;

// A window larger than this share of the drawing saves too little to be
// worth the memory.
constexpr std::size_t kWindowShare = 4;

}  // namespace

LevelWalk::LevelWalk(CheckScope scope) : scope_(scope)
{
    SketchGrid& g = scope.grid;
    Project& p = scope.project;
    if (!g.allocated() || !p.lowest_level || g.origin != GridCell{0, 0}) return;
    const int rows = g.rows();
    const int cols = g.cols();
    int first_row = rows, last_row = -1, first_col = cols, last_col = -1;
    for (const Level& level : p.levels)
        for (const IconEntry& icon : level.icons) {
            if (!g.in_drawing(icon.row, icon.col)) continue;
            first_row = std::min<int>(first_row, icon.row);
            last_row = std::max<int>(last_row, icon.row);
            first_col = std::min<int>(first_col, icon.col);
            last_col = std::max<int>(last_col, icon.col);
        }
    if (last_row < 0) first_row = last_row = first_col = last_col = 1;
    const int top = std::max(0, first_row - kWindowMargin);
    const int left = std::max(0, first_col - kWindowMargin);
    // At least the ambient marker's five cells wide.
    const int bottom = std::min(rows - 1, std::max(last_row + kWindowMargin, top + kLeastGridRows - 1));
    const int right = std::min(cols - 1, std::max(last_col + kWindowMargin, left + kLeastGridCols - 1));
    const int window_rows = bottom - top + 1;
    const int window_cols = right - left + 1;
    if (window_rows < kLeastGridRows || window_cols < kLeastGridCols) return;
    if (static_cast<std::size_t>(window_rows) * static_cast<std::size_t>(window_cols) * kWindowShare > g.cells())
        return;
    auto window = std::make_unique<SketchGrid>();
    if (!allocate_sketch_arrays(*window, window_rows, window_cols)) return;
    window->origin = {top, left};
    window->drawing_rows = rows;
    window->drawing_cols = cols;
    window->quiet_zone_reports = true;
    inner_first_row_ = first_row - top;
    inner_last_row_ = last_row - top;
    inner_first_col_ = first_col - left;
    inner_last_col_ = last_col - left;
    window_ = std::move(window);
}

LevelWalk::~LevelWalk() = default;

bool LevelWalk::window_level_is_clean() const
{
    const SketchGrid& w = *window_;
    const LevelCells& l = w.current();
    if (!l.detection.zones_exact) return false;
    const int cols = w.cols();
    for (int r = 0; r < w.rows(); ++r) {
        const std::uint8_t* layers[] = {l.Walls.row(r), l.Ducts.row(r), l.Links.row(r)};
        const bool inner = r >= inner_first_row_ && r <= inner_last_row_;
        const int stop = inner ? inner_first_col_ : cols;
        if (sketch_scan::next_nonzero_any(layers, 3, 0, stop) < stop) return false;
        if (inner && sketch_scan::next_nonzero_any(layers, 3, inner_last_col_ + 1, cols) < cols) return false;
    }
    return true;
}

int LevelWalk::visit_levels(ProblemList& problems, const std::function<int(CheckScope, ProblemList&)>& visit)
{
    Project& p = scope_.project;
    if (window_) {
        SketchGrid& w = *window_;
        ProblemList found;
        const CheckScope in_window{p, w, scope_.view, scope_.must_save, found, scope_.project_path};
        int result = 0;
        bool clean = true;
        goto_level(p, w, *p.lowest_level);
        for (;;) {
            if (!window_level_is_clean()) {
                clean = false;
                break;
            }
            result |= visit(in_window, found);
            if (!level_up(p, w)) break;
        }
        if (clean) {
            for (std::size_t i = found.size(); i-- > 0;) {
                const Problem& e = found.at(i);
                problems.add(e.level, e.row + w.origin.row, e.col + w.origin.col, e.text);
            }
            return result;
        }
        // What the clean levels stored is what the check's grid would have
        // stored; the walk starts over there.
        window_.reset();
    }
    SketchGrid& g = scope_.grid;
    int result = 0;
    goto_level(p, g, *p.lowest_level);
    for (;;) {
        result |= visit(scope_, problems);
        if (!level_up(p, g)) break;
    }
    return result;
}

void LevelWalk::reload_levels()
{
    Project& p = scope_.project;
    if (window_) {
        SketchGrid& w = *window_;
        show_level(w, nullptr, kLevelBelow);
        show_level(w, p.lowest_level, kCurrentLevel);
        p.current_level = p.lowest_level;
        bool clean = window_level_is_clean();
        while (level_up(p, w)) clean = clean && window_level_is_clean();
        if (clean) return;
        window_.reset();
    }
    SketchGrid& g = scope_.grid;
    show_level(g, nullptr, kLevelBelow);
    show_level(g, p.lowest_level, kCurrentLevel);
    p.current_level = p.lowest_level;
    while (level_up(p, g)) {
    }
}

void LevelWalk::show_again(Level* remembered)
{
    Project& p = scope_.project;
    SketchGrid& g = scope_.grid;
    Level* level = remembered;
    if (window_) {
        // The walk never left the check's grid showing anything current.
        if (!level) level = p.current_level;
    } else if (level == p.current_level) {
        // The top level was stored by the walk; it is not stored again.
        return;
    }
    if (!level) return;
    p.current_level = level;
    show_level(g, level->below, kLevelBelow);
    show_level(g, level, kCurrentLevel);
}

}  // namespace avelor
