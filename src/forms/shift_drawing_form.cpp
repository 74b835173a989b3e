#include "forms/shift_drawing_form.h"

#include <algorithm>
#include <climits>
#include <string>

#include "app/diagnostics.h"
#include "model/project.h"

namespace avelor {

DrawingMargins drawing_margins(Project& project, SketchGrid& grid)
{
    store_current_level(project, grid);
    int min_row = project.rc.orgRow, max_row = project.rc.orgRow;
    int min_col = project.rc.orgCol, max_col = project.rc.orgCol;
    for (Level& level : project.levels) {
        for (const IconEntry& e : level.icons) {
            min_row = std::min<int>(min_row, e.row);
            max_row = std::max<int>(max_row, e.row);
            min_col = std::min<int>(min_col, e.col);
            max_col = std::max<int>(max_col, e.col);
        }
    }
    const int rows = grid.allocated() ? grid.rows() : project.rc.rows;
    const int cols = grid.allocated() ? grid.cols() : project.rc.cols;
    DrawingMargins m;
    m.top = std::max(0, min_row - 1);
    m.bottom = std::max(0, rows - max_row - 2);
    m.left = std::max(0, min_col - 1);
    m.right = std::max(0, cols - max_col - 2);
    return m;
}

int even_shift(int value) { return value - value % 2; }

ShiftDrawingForm::ShiftDrawingForm(Project& project, SketchGrid& grid)
    : project_(&project), grid_(&grid), margins_(drawing_margins(project, grid))
{
}

namespace {
bool within(int value, int lower, int upper)
{
    if (value < lower) {
        report_error(WARNING, {"Value must not be less than ", std::to_string(lower), "."});
        return false;
    }
    if (value > upper) {
        report_error(WARNING, {"Value must not be greater than ", std::to_string(upper), "."});
        return false;
    }
    return true;
}
}  // namespace

bool ShiftDrawingForm::accept(int horizontal, int vertical, SketchView& view)
{
    if (!within(horizontal, min_horizontal(), max_horizontal())) return false;
    if (!within(vertical, min_vertical(), max_vertical())) return false;
    const int dc = even_shift(horizontal);
    const int dr = even_shift(vertical);
    // The last edits of the current level live only in the grid until now.
    store_current_level(*project_, *grid_);
    if (dc == 0 && dr == 0) return true;
    for (Level& level : project_->levels) {
        for (IconEntry& e : level.icons) {
            e.row = static_cast<std::int16_t>(e.row + dr);
            e.col = static_cast<std::int16_t>(e.col + dc);
        }
    }
    if (!grid_->in_drawing(grid_->cursor.row, grid_->cursor.col)) view.reset(*grid_);
    if (Level* current = project_->current_level) {
        show_level(*grid_, current->below, kLevelBelow);
        show_level(*grid_, current, kCurrentLevel);
    }
    project_->mark_changed();
    return true;
}

}  // namespace avelor
