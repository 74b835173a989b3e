#include "sketchpad/sketch_view.h"

#include <algorithm>

#include "sketchpad/glyphs.h"

namespace avelor {

SketchView::SketchView() : sizes_(kCellSizes.begin(), kCellSizes.end()) {}

bool SketchView::set_cell_sizes(std::vector<int> sizes)
{
    if (sizes.empty() || sizes.size() > kCellSizes.size()) return false;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        if (!is_cell_size(sizes[i])) return false;
        if (i > 0 && sizes[i] <= sizes[i - 1]) return false;
    }
    if (std::find(sizes.begin(), sizes.end(), 8) == sizes.end()) return false;
    sizes_ = std::move(sizes);
    if (std::find(sizes_.begin(), sizes_.end(), cell_size_) == sizes_.end()) cell_size_ = 8;
    return true;
}

bool SketchView::set_cell_size(int size, const SketchGrid& grid)
{
    if (std::find(sizes_.begin(), sizes_.end(), size) == sizes_.end()) return false;
    cell_size_ = size;
    set_window_pixels(window_width_, window_height_, grid);
    keep_cursor_visible(grid);
    return true;
}

bool SketchView::can_enlarge() const { return cell_size_ < sizes_.back(); }
bool SketchView::can_reduce() const { return cell_size_ > sizes_.front(); }

bool SketchView::larger_cells(const SketchGrid& grid)
{
    auto it = std::upper_bound(sizes_.begin(), sizes_.end(), cell_size_);
    if (it == sizes_.end()) return false;
    return set_cell_size(*it, grid);
}

bool SketchView::smaller_cells(const SketchGrid& grid)
{
    auto it = std::lower_bound(sizes_.begin(), sizes_.end(), cell_size_);
    if (it == sizes_.begin()) return false;
    return set_cell_size(*(it - 1), grid);
}

void SketchView::set_window_pixels(int width, int height, const SketchGrid& grid)
{
    window_width_ = std::max(0, width);
    window_height_ = std::max(0, height);
    // Whole cells only: the last row and column of the grid can always be
    // scrolled fully into sight.
    visible_cols_ = std::max(1, window_width_ / cell_size_);
    visible_rows_ = std::max(1, window_height_ / cell_size_);
    if (grid.allocated()) {
        visible_cols_ = std::min(visible_cols_, grid.cols());
        visible_rows_ = std::min(visible_rows_, grid.rows());
    }
    clamp_view(grid);
}

int SketchView::vertical_range(const SketchGrid& grid) const
{
    return std::max(0, grid.rows() - visible_rows_);
}

int SketchView::horizontal_range(const SketchGrid& grid) const
{
    return std::max(0, grid.cols() - visible_cols_);
}

void SketchView::clamp_view(const SketchGrid& grid)
{
    first_row_ = std::clamp(first_row_, 0, vertical_range(grid));
    first_col_ = std::clamp(first_col_, 0, horizontal_range(grid));
}

void SketchView::scroll_to(int first_row, int first_col, const SketchGrid& grid)
{
    first_row_ = first_row;
    first_col_ = first_col;
    clamp_view(grid);
}

void SketchView::reset(SketchGrid& grid)
{
    first_row_ = 0;
    first_col_ = 0;
    grid.cursor = {1, 1};
    set_window_pixels(window_width_, window_height_, grid);
}

bool SketchView::cell_at(int x, int y, const SketchGrid& grid, GridCell& cell) const
{
    if (x < 0 || y < 0) return false;
    const int row = first_row_ + y / cell_size_;
    const int col = first_col_ + x / cell_size_;
    if (!grid.in_grid(row, col)) return false;
    cell = {row, col};
    return true;
}

namespace {

// One scroll step: three quarters of the visible cells, at least one.
int scroll_step(int visible) { return std::max(1, visible * 3 / 4); }

void follow(int cursor, int& first, int visible, int range)
{
    const int step = scroll_step(visible);
    while (cursor < first && first > 0) first = std::max(0, first - step);
    while (cursor >= first + visible && first < range) first = std::min(range, first + step);
}

void offset(ViewDirection d, int& dr, int& dc)
{
    dr = d == ViewDirection::North ? -1 : d == ViewDirection::South ? 1 : 0;
    dc = d == ViewDirection::West ? -1 : d == ViewDirection::East ? 1 : 0;
}

bool holds_item(const LevelCells& cells, std::size_t i)
{
    if (cells.Sketch[i] != 0) return true;
    const std::uint8_t duct = cells.Ducts[i];
    if (duct != 0 && duct != ICN_DUCT_H && duct != ICN_DUCT_V) return true;
    const std::uint8_t wall = cells.Walls[i];
    return wall != 0 && wall != ICN_WALL_H && wall != ICN_WALL_V;
}

}  // namespace

void SketchView::keep_cursor_visible(const SketchGrid& grid)
{
    if (!grid.allocated()) return;
    follow(grid.cursor.row, first_row_, visible_rows_, vertical_range(grid));
    follow(grid.cursor.col, first_col_, visible_cols_, horizontal_range(grid));
    clamp_view(grid);
}

GridCell next_item_cell(const SketchGrid& grid, GridCell from, ViewDirection direction)
{
    int dr = 0, dc = 0;
    offset(direction, dr, dc);
    const LevelCells& cells = grid.current();
    GridCell at = from;
    for (;;) {
        at.row += dr;
        at.col += dc;
        if (!grid.in_drawing(at.row, at.col)) return from;
        if (holds_item(cells, grid.index(at.row, at.col))) return at;
    }
}

bool SketchView::move_cursor(SketchGrid& grid, ViewDirection direction, CursorMove how)
{
    if (!grid.allocated()) return false;
    const GridCell before = grid.cursor;
    GridCell to = before;
    if (how == CursorMove::ToItem) {
        to = next_item_cell(grid, before, direction);
    } else {
        int dr = 0, dc = 0;
        offset(direction, dr, dc);
        const int n = how == CursorMove::Jump ? std::max(1, cell_jump) : 1;
        to.row = std::clamp(before.row + dr * n, 1, grid.rows() - 2);
        to.col = std::clamp(before.col + dc * n, 1, grid.cols() - 2);
    }
    grid.cursor = to;
    keep_cursor_visible(grid);
    return !(to == before);
}

void SketchView::place_cursor(SketchGrid& grid, GridCell cell)
{
    if (!grid.allocated()) return;
    grid.cursor.row = std::clamp(cell.row, 1, grid.rows() - 2);
    grid.cursor.col = std::clamp(cell.col, 1, grid.cols() - 2);
    keep_cursor_visible(grid);
}

}  // namespace avelor
