// The edits the window asks for, each an object that applies itself, and
// SketchEditor::apply(), through which every one of them goes: it leaves
// with the project marked changed when the edit changed it and the cells to
// repaint.
#include <algorithm>
#include <memory>

#include "app/diagnostics.h"
#include "editing/duct_drawing.h"
#include "editing/icon_editing.h"
#include "editing/link_drawing.h"
#include "editing/sketch_editor.h"
#include "editing/wall_drawing.h"
#include "model/project.h"

namespace avelor {

namespace {

bool is_delete_tool(DrawingTool tool)
{
    return tool == DrawingTool::DeleteByRegion || tool == DrawingTool::DeleteByBox;
}

bool is_wall_tool(DrawingTool tool) { return tool == DrawingTool::Walls || tool == DrawingTool::Boxes; }

// The tools whose strokes this editor draws.
bool tool_is_available(DrawingTool tool)
{
    return is_wall_tool(tool) || is_delete_tool(tool) || tool == DrawingTool::Ducts || tool == DrawingTool::Links;
}

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

bool can_draw(SketchEditor& editor) { return editor.grid().allocated() && editor.project().current_level; }

// --------------------------------------------------------------- the edits

class ToggleToolEdit final : public Edit {
public:
    explicit ToggleToolEdit(DrawingTool tool) : tool_(tool) {}
    void apply(SketchEditor& editor, EditOutcome&) const override
    {
        if (tool_ != DrawingTool::None &&
            (editor.mode != DisplayMode::Normal || !tool_is_available(tool_) || !can_draw(editor))) {
            beep();
            return;
        }
        editor.toggle_tool(tool_);
    }

private:
    DrawingTool tool_;
};

// At the cursor (mouse or Enter): begins a stroke of the active tool, or
// ends the one in progress.
class LeftClickEdit final : public Edit {
public:
    void apply(SketchEditor& editor, EditOutcome& outcome) const override
    {
        if (!can_draw(editor) || editor.tool == DrawingTool::None) return;
        if (!editor.stroke.in_progress) {
            begin_stroke(editor);
            outcome.cursor_moved = true;
        } else if (is_wall_tool(editor.tool)) {
            outcome.result = finish_wall_stroke(editor);
        } else if (editor.tool == DrawingTool::Ducts) {
            outcome.result = finish_duct_stroke(editor);
        } else if (editor.tool == DrawingTool::Links) {
            outcome.result = finish_link_stroke(editor);
        } else {
            outcome.result = finish_selection(editor);
        }
    }
};

// Mouse or Esc: the stroke in progress goes, else the tool.
class RightClickEdit final : public Edit {
public:
    void apply(SketchEditor& editor, EditOutcome&) const override
    {
        if (editor.stroke.in_progress)
            cancel_stroke(editor);
        else if (editor.tool != DrawingTool::None)
            editor.leave_tools();
    }
};

// An arrow key: one step of the stroke in progress.
class StepCursorEdit final : public Edit {
public:
    explicit StepCursorEdit(int direction) : direction_(direction) {}
    void apply(SketchEditor& editor, EditOutcome& outcome) const override
    {
        if (!editor.stroke.in_progress) return;
        SketchGrid& g = editor.grid();
        const int step = editor.stroke.step;
        GridCell next = g.cursor;
        switch (direction_) {
            case 1: next.row -= step; break;
            case 2: next.col += step; break;
            case 4: next.row += step; break;
            case 8: next.col -= step; break;
            default: return;
        }
        if (!g.in_drawing(next.row, next.col)) {
            beep();
            return;
        }
        editor.stroke.previous = g.cursor;
        g.cursor = next;
        extend_stroke(editor);
        outcome.cursor_moved = true;
        follow_stroke_cursor(editor.session().view, g);
    }

private:
    int direction_;
};

// The pointer moved while a stroke is in progress: the stroke follows it.
class PointerAtEdit final : public Edit {
public:
    explicit PointerAtEdit(GridCell cell) : cell_(cell) {}
    void apply(SketchEditor& editor, EditOutcome& outcome) const override
    {
        if (!editor.stroke.in_progress) return;
        SketchGrid& g = editor.grid();
        const int step = editor.stroke.step;
        // One step at a time toward the pointer, down, up, right and left
        // tested in that order, so the stroke never skips a cell.
        for (int guard = g.rows() + g.cols(); guard > 0; --guard) {
            const GridCell at = g.cursor;
            GridCell next = at;
            if (cell_.row - at.row >= step)
                next.row += step;
            else if (at.row - cell_.row >= step)
                next.row -= step;
            else if (cell_.col - at.col >= step)
                next.col += step;
            else if (at.col - cell_.col >= step)
                next.col -= step;
            else
                break;
            if (!g.in_drawing(next.row, next.col)) break;
            editor.stroke.previous = at;
            g.cursor = next;
            outcome.cursor_moved = true;
            if (!extend_stroke(editor)) break;
        }
        if (outcome.cursor_moved) follow_stroke_cursor(editor.session().view, g);
    }

private:
    GridCell cell_;
};

class PlaceIconEdit final : public Edit {
public:
    explicit PlaceIconEdit(IconCommand icon) : icon_(icon) {}
    void apply(SketchEditor& editor, EditOutcome& outcome) const override
    {
        if (can_draw(editor)) outcome.result = place_icon(editor, icon_) ? 1 : 0;
    }

private:
    IconCommand icon_;
};

// The edits of the item at the cursor that need nothing more than the
// drawing: define (double click, or Enter outside the tools), delete, cut,
// copy and paste.
class CursorItemEdit final : public Edit {
public:
    explicit CursorItemEdit(bool (*operation)(SketchEditor&)) : operation_(operation) {}
    void apply(SketchEditor& editor, EditOutcome& outcome) const override
    {
        if (can_draw(editor)) outcome.result = operation_(editor) ? 1 : 0;
    }

private:
    bool (*operation_)(SketchEditor&);
};

// "Delete by Coordinates": ends any tool, then the box chosen by its corners
// becomes the selection of the deletion.
class DeleteByCoordinatesEdit final : public Edit {
public:
    void apply(SketchEditor& editor, EditOutcome& outcome) const override
    {
        if (!can_draw(editor) || editor.mode != DisplayMode::Normal) return;
        if (editor.tool != DrawingTool::None) editor.leave_tools();
        outcome.result = select_by_coordinates(editor) ? 1 : 0;
        outcome.tool_changed = true;
    }
};

// An action of no known kind changes nothing.
class NoEdit final : public Edit {
public:
    void apply(SketchEditor&, EditOutcome&) const override {}
};

}  // namespace

std::unique_ptr<Edit> make_edit(const EditCommand& command)
{
    switch (command.action) {
        case EditAction::ToggleTool: return std::make_unique<ToggleToolEdit>(command.tool);
        case EditAction::LeftClick: return std::make_unique<LeftClickEdit>();
        case EditAction::RightClick: return std::make_unique<RightClickEdit>();
        case EditAction::StepCursor: return std::make_unique<StepCursorEdit>(command.direction);
        case EditAction::PointerAt: return std::make_unique<PointerAtEdit>(command.cell);
        case EditAction::PlaceIcon: return std::make_unique<PlaceIconEdit>(command.icon);
        case EditAction::Define: return std::make_unique<CursorItemEdit>(define_icon);
        case EditAction::Delete: return std::make_unique<CursorItemEdit>(delete_at_cursor);
        case EditAction::Cut: return std::make_unique<CursorItemEdit>(cut_icon);
        case EditAction::Copy: return std::make_unique<CursorItemEdit>(copy_icon);
        case EditAction::Paste: return std::make_unique<CursorItemEdit>(paste_icon);
        case EditAction::DeleteByCoordinates: return std::make_unique<DeleteByCoordinatesEdit>();
        case EditAction::DeleteNetwork: return std::make_unique<CursorItemEdit>(delete_network_at_cursor);
    }
    return std::make_unique<NoEdit>();
}

EditOutcome SketchEditor::apply(const EditCommand& command) { return apply(*make_edit(command)); }

EditOutcome SketchEditor::apply(const Edit& edit)
{
    outcome_ = EditOutcome{};
    edit.apply(*this, outcome_);
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
    state.cut = inside && can_cut(editor);
    state.copy = inside && can_copy(editor);
    state.paste = inside && can_paste(editor);
    state.del = can_delete(editor);
    state.delete_network = inside && can_delete_network(editor);
    return state;
}

}  // namespace avelor
