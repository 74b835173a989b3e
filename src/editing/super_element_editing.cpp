#include "editing/super_element_editing.h"

#include <memory>

#include "model/project.h"
#include "sketchpad/control_links.h"
#include "sketchpad/super_sketch.h"

namespace avelor {

bool enter_super_element_editing(SketchEditor& editor, SuperElement* element)
{
    if (super_element_editing(editor)) return false;
    EditorSession& session = editor.session();
    auto sketch = std::make_unique<SketchGrid>();
    if (!allocate_sketch_arrays(*sketch, kSuperSketchRows, kSuperSketchCols)) return false;
    editor.leave_tools();
    store_current_level(session.project(), session.grid);

    PutAsideSketch aside;
    aside.cell_size = session.view.cell_size();
    aside.first_row = session.view.first_row();
    aside.first_col = session.view.first_col();
    sketch->colours = session.grid.colours;
    session.grid.swap(*sketch);
    aside.grid = std::move(sketch);
    editor.building_sketch = std::move(aside);

    editor.control = ControlEditing{};
    editor.control.mode = ControlEditMode::SuperElement;
    session.view.flags.control_links = true;
    if (session.view.cell_size() < 8) session.view.set_cell_size(8, session.grid);
    session.view.reset(session.grid);
    show_super_element(editor, element);
    return true;
}

void store_shown_super_element(SketchEditor& editor)
{
    if (!super_element_editing(editor) || !editor.control.element) return;
    store_super_sketch(editor.grid(), *editor.control.element);
}

void show_super_element(SketchEditor& editor, SuperElement* element)
{
    if (!super_element_editing(editor)) return;
    if (editor.stroke.in_progress) editor.leave_tools();
    editor.control.element = element;
    show_super_sketch(editor.project(), editor.grid(), element);
    editor.grid().cursor = {1, 1};
    editor.repaint_all();
    editor.navigator_changed();
}

void highlight_super_sketch(SketchEditor& editor, const std::vector<GridCell>& cells)
{
    if (!super_element_editing(editor)) return;
    SketchGrid& g = editor.grid();
    g.Scolors.fill(g.colours.background);
    for (const GridCell& c : cells)
        if (g.in_grid(c.row, c.col)) g.Scolors(c.row, c.col) = g.colours.highlight;
    editor.repaint_all();
}

void leave_super_element_editing(SketchEditor& editor)
{
    if (!super_element_editing(editor)) return;
    editor.leave_tools();
    store_shown_super_element(editor);
    EditorSession& session = editor.session();
    PutAsideSketch aside = std::move(*editor.building_sketch);
    editor.building_sketch.reset();
    session.grid.swap(*aside.grid);
    aside.grid.reset();

    editor.control = ControlEditing{};
    session.view.flags.control_links = true;
    session.view.set_cell_size(aside.cell_size, session.grid);
    session.view.scroll_to(aside.first_row, aside.first_col, session.grid);
    refresh_control_links(session.project(), session.grid);
    editor.repaint_all();
    editor.navigator_changed();
}

SuperElementsEditing::SuperElementsEditing(SketchEditor& editor) : editor_(editor), form_(editor.project())
{
    enter_super_element_editing(editor_, form_.current());
}

SuperElementsEditing::~SuperElementsEditing() { leave_super_element_editing(editor_); }

SuperElementCheck SuperElementsEditing::check()
{
    store_shown_super_element(editor_);
    SuperElementCheck found = form_.check();
    highlight_super_sketch(editor_, found.highlighted);
    return found;
}

ControlAnswer SuperElementsEditing::finish()
{
    store_shown_super_element(editor_);
    const ControlAnswer answer = form_.finish();
    if (answer.accepted) leave_super_element_editing(editor_);
    return answer;
}

bool SuperElementsEditing::sketch_locked() const
{
    const SuperElement* e = editor_.control.element;
    return !e || super_sketch_locked(*e);
}

}  // namespace avelor
