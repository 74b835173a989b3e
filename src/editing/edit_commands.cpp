// SketchEditor::apply(): every edit from the window comes in here, is
// dispatched to its operation, and leaves with the project marked changed
// when the operation changed it and the cells to repaint.
#include <algorithm>

#include "app/diagnostics.h"
#include "model/project.h"
#include "sketchpad/icon_editing.h"
#include "sketchpad/sketch_editor.h"
#include "sketchpad/wall_drawing.h"

namespace avelor {

namespace {

bool is_delete_tool(DrawingTool tool)
{
    return tool == DrawingTool::DeleteByRegion || tool == DrawingTool::DeleteByBox;
}

bool is_wall_tool(DrawingTool tool) { return tool == DrawingTool::Walls || tool == DrawingTool::Boxes; }

// The tools whose strokes this editor draws; ducts and control links have
// tools of their own still to come.
bool tool_is_available(DrawingTool tool) { return is_wall_tool(tool) || is_delete_tool(tool); }

// While a stroke is drawn the view follows the cursor before it reaches
// the window's edge: 4 rows from the bottom, 5 columns from the right, 2
// cells from the top and left.
void follow_stroke_cursor(SketchView& view, const SketchGrid& grid)
{
    const GridCell c = grid.cursor;
    int first_row = view.first_row();
    int first_col = view.first_col();
    if (c.row > first_row + view.visible_rows() - 1 - 4) first_row = c.row - (view.visible_rows() - 1 - 4);
    if (c.row < first_row + 2) first_row = c.row - 2;
    if (c.col > first_col + view.visible_cols() - 1 - 5) first_col = c.col - (view.visible_cols() - 1 - 5);
    if (c.col < first_col + 2) first_col = c.col - 2;
    if (first_row != view.first_row() || first_col != view.first_col())
        view.scroll_to(std::max(0, first_row), std::max(0, first_col), grid);
}

}  // namespace

EditOutcome SketchEditor::apply(const EditCommand& command)
{
    outcome_ = EditOutcome{};
    SketchGrid& g = grid();
    const bool drawable = g.allocated() && project().current_level;
    switch (command.action) {
        case EditAction::ToggleTool:
            if (command.tool != DrawingTool::None &&
                (mode != DisplayMode::Normal || !tool_is_available(command.tool) || !drawable)) {
                if (!tool_is_available(command.tool))
                    show_message(NOTE, {command.tool == DrawingTool::Ducts ? kDuctsNotAvailable : kLinksNotAvailable});
                else
                    beep();
                break;
            }
            toggle_tool(command.tool);
            break;
        case EditAction::LeftClick:
            if (!drawable || tool == DrawingTool::None) break;
            if (!stroke.in_progress) {
                begin_stroke(*this);
                outcome_.cursor_moved = true;
            } else if (is_wall_tool(tool)) {
                outcome_.result = finish_wall_stroke(*this);
            } else {
                outcome_.result = finish_selection(*this);
            }
            break;
        case EditAction::RightClick:
            if (stroke.in_progress)
                cancel_stroke(*this);
            else if (tool != DrawingTool::None)
                leave_tools();
            break;
        case EditAction::StepCursor: {
            if (!stroke.in_progress) break;
            const int step = stroke.step;
            GridCell next = g.cursor;
            switch (command.direction) {
                case 1: next.row -= step; break;
                case 2: next.col += step; break;
                case 4: next.row += step; break;
                case 8: next.col -= step; break;
                default: return outcome_;
            }
            if (!g.in_drawing(next.row, next.col)) {
                beep();
                break;
            }
            stroke.previous = g.cursor;
            g.cursor = next;
            extend_stroke(*this);
            outcome_.cursor_moved = true;
            follow_stroke_cursor(session_.view, g);
            break;
        }
        case EditAction::PointerAt: {
            if (!stroke.in_progress) break;
            const int step = stroke.step;
            // One step at a time toward the pointer, down, up, right and
            // left tested in that order, so the stroke never skips a cell.
            for (int guard = g.rows() + g.cols(); guard > 0; --guard) {
                const GridCell at = g.cursor;
                GridCell next = at;
                if (command.cell.row - at.row >= step)
                    next.row += step;
                else if (at.row - command.cell.row >= step)
                    next.row -= step;
                else if (command.cell.col - at.col >= step)
                    next.col += step;
                else if (at.col - command.cell.col >= step)
                    next.col -= step;
                else
                    break;
                if (!g.in_drawing(next.row, next.col)) break;
                stroke.previous = at;
                g.cursor = next;
                outcome_.cursor_moved = true;
                if (!extend_stroke(*this)) break;
            }
            if (outcome_.cursor_moved) follow_stroke_cursor(session_.view, g);
            break;
        }
        case EditAction::PlaceIcon:
            if (drawable) outcome_.result = place_icon(*this, command.icon) ? 1 : 0;
            break;
        case EditAction::Define:
            if (drawable) outcome_.result = define_icon(*this) ? 1 : 0;
            break;
        case EditAction::Delete:
            if (drawable) outcome_.result = delete_at_cursor(*this) ? 1 : 0;
            break;
        case EditAction::Cut:
            if (drawable) outcome_.result = cut_icon(*this) ? 1 : 0;
            break;
        case EditAction::Copy:
            if (drawable) outcome_.result = copy_icon(*this) ? 1 : 0;
            break;
        case EditAction::Paste:
            if (drawable) outcome_.result = paste_icon(*this) ? 1 : 0;
            break;
        case EditAction::DeleteByCoordinates:
            if (drawable && mode == DisplayMode::Normal) {
                if (tool != DrawingTool::None) leave_tools();
                outcome_.result = select_by_coordinates(*this) ? 1 : 0;
                outcome_.tool_changed = true;
            }
            break;
    }
    if (outcome_.modified) project().mark_changed();
    return outcome_;
}

EditMenuState edit_menu_state(SketchEditor& editor)
{
    EditMenuState state;
    SketchGrid& g = editor.grid();
    if (!g.allocated() || !editor.project().current_level) return state;
    const GridCell c = g.cursor;
    const bool inside = g.in_drawing(c.row, c.col);
    for (int i = 0; i < 10; ++i)
        state.icons[static_cast<std::size_t>(i)] =
            inside && can_place_icon(editor, static_cast<IconCommand>(i), c.row, c.col);
    state.set_origin = inside && editor.project().rc.showGeom != 0;
    state.tools = editor.mode == DisplayMode::Normal;
    state.cut = inside && can_cut(editor);
    state.copy = inside && can_copy(editor);
    state.paste = inside && can_paste(editor);
    state.del = can_delete(editor);
    return state;
}

}  // namespace avelor
