// What the SketchPad window shows and where: the cell size, the view
// switches, the visible part of the grid, and the cursor moves that keep
// the cursor in sight. Everything here is window-free; the view layer
// reports its size in pixels and forwards keys.
#pragma once

#include <vector>

#include "sketchpad/palette.h"
#include "sketchpad/sketch_grid.h"

namespace avelor {

class Level;
class Project;

// The problem cell the building check's problems window points at: drawn
// framed while its level is current, until the window closes.
struct ProblemMark {
    const Level* level = nullptr;
    GridCell cell{0, 0};
    bool shown_on(const Level* current) const { return level != nullptr && level == current; }
};

// The view switches of the View menu.
struct ViewFlags {
    bool reveal_below = false;
    bool colour_zones = false;
    bool colour_zones_below = false;
    bool colour_ducts = false;
    bool highlight_scheduled = false;
    bool highlight_values_file = false;  // CVF/DVF
    bool highlight_filtered = false;
    bool highlight_controlled = false;
    bool control_links = false;
    bool floating_status = true;
    bool navigator = false;

    bool any_highlight() const
    {
        return highlight_scheduled || highlight_values_file || highlight_filtered || highlight_controlled;
    }
};

// Directions of the arrow keys.
enum class ViewDirection { North, East, South, West };

// How far an arrow key moves the cursor.
enum class CursorMove {
    Step,    // one cell
    Jump,    // the cell jump (Shift)
    ToItem,  // the next cell holding an item (Ctrl)
};

class SketchView {
public:
    SketchView();

    // The configured cell sizes, in increasing order, and the current one.
    const std::vector<int>& cell_sizes() const { return sizes_; }
    // Takes a size list; a list that is empty, out of order, holds a size
    // that is not a cell size or lacks 8 is refused and the list stays.
    bool set_cell_sizes(std::vector<int> sizes);
    int cell_size() const { return cell_size_; }
    // Takes a size of the list (others are refused) and fits the view.
    bool set_cell_size(int size, const SketchGrid& grid);
    // "Larger Icons" and "Smaller Icons": the next size of the list; false
    // when already at the end of the list.
    bool larger_cells(const SketchGrid& grid);
    bool smaller_cells(const SketchGrid& grid);
    bool can_enlarge() const;
    bool can_reduce() const;

    ViewFlags flags;
    SketchPalette palette;
    int cell_jump = 10;
    ProblemMark problem;

    // The window's client area in pixels; the visible cell counts follow
    // (a partly shown cell at the right and bottom edges counts).
    void set_window_pixels(int width, int height, const SketchGrid& grid);
    int window_width() const { return window_width_; }
    int window_height() const { return window_height_; }

    int first_row() const { return first_row_; }
    int first_col() const { return first_col_; }
    int visible_rows() const { return visible_rows_; }
    int visible_cols() const { return visible_cols_; }

    // Scroll bar ranges and positions.
    int vertical_range(const SketchGrid& grid) const;
    int horizontal_range(const SketchGrid& grid) const;
    // Scroll bars put the first visible row or column here (clamped).
    void scroll_to(int first_row, int first_col, const SketchGrid& grid);
    // Back to the top-left corner (border row and column in sight), cursor
    // at (1, 1).
    void reset(SketchGrid& grid);

    // The cell under a pixel of the window, or false outside the grid.
    bool cell_at(int x, int y, const SketchGrid& grid, GridCell& cell) const;
    // Pixel position of a cell's top-left corner in the window.
    int cell_x(int col) const { return (col - first_col_) * cell_size_; }
    int cell_y(int row) const { return (row - first_row_) * cell_size_; }

    // Arrow keys. The cursor stays in the drawable area; the view scrolls
    // by three quarters of the window, as often as needed, when the cursor
    // leaves it. Returns whether the cursor moved.
    bool move_cursor(SketchGrid& grid, ViewDirection direction, CursorMove how);
    // Puts the cursor on a cell (clamped to the drawable area) and scrolls
    // to keep it in sight, as a mouse click or the navigator does.
    void place_cursor(SketchGrid& grid, GridCell cell);
    // Scrolls, as arrow moves do, until the cursor is visible.
    void keep_cursor_visible(const SketchGrid& grid);

private:
    void clamp_view(const SketchGrid& grid);

    std::vector<int> sizes_;
    int cell_size_ = 8;
    int window_width_ = 0;
    int window_height_ = 0;
    int first_row_ = 0;
    int first_col_ = 0;
    int visible_rows_ = 1;
    int visible_cols_ = 1;
};

// The next cell from the cursor in a direction that holds an item: an icon,
// a duct node or piece, a segment icon or a wall piece other than a plain
// straight run. The cursor's cell when there is none.
GridCell next_item_cell(const SketchGrid& grid, GridCell from, ViewDirection direction);

}  // namespace avelor
