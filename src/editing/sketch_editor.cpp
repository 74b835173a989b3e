#include "sketchpad/sketch_editor.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/diagnostics.h"
#include "model/project.h"

namespace avelor {

void AreaDeleteForm::set_walls(bool on)
{
    options.walls = on;
    if (on) options.zones = true;
}

void AreaDeleteForm::set_simple_ahs(bool on)
{
    options.simple_ahs = on;
    if (on) options.supplies = options.returns = true;
}

void AreaDeleteForm::select_all_icons()
{
    AreaDeleteOptions& o = options;
    o.walls = o.zones = o.paths = o.simple_ahs = o.supplies = o.returns = true;
    o.ducts = o.sources = o.occupants = o.controls = o.notes = true;
}

void AreaDeleteForm::select_all_levels()
{
    options.levels.clear();
    for (const LevelRow& row : level_rows) options.levels.push_back(row.level);
}

AreaDeleteForm make_area_delete_form(const Project& project, const AreaDeleteOptions& kept)
{
    AreaDeleteForm form;
    form.options = kept;
    form.options.levels.clear();
    for (const Level* level = project.top_level; level; level = level->below) {
        char number[16];
        std::snprintf(number, sizeof number, "%3d ", static_cast<int>(level->nr));
        std::string name = level->name;
        if (name.size() < 15) name.insert(0, 15 - name.size(), ' ');
        form.level_rows.push_back({level->nr, number + name});
    }
    if (project.current_level) form.options.levels.push_back(project.current_level->nr);
    return form;
}

std::string CoordinatesForm::max_row_text() const { return "Maximum: " + std::to_string(max_row); }
std::string CoordinatesForm::max_col_text() const { return "Maximum: " + std::to_string(max_col); }

std::string CoordinatesForm::check() const
{
    for (const GridCell& p : {a, b}) {
        if (p.row < 1 || p.row > max_row)
            return "Row must be between 1 and " + std::to_string(max_row) + ".";
        if (p.col < 1 || p.col > max_col)
            return "Column must be between 1 and " + std::to_string(max_col) + ".";
    }
    // Opposite corners must leave at least one cell inside the box.
    if (std::abs(a.row - b.row) < 2 || std::abs(a.col - b.col) < 2)
        return "The corners must be at least two rows and two columns apart.";
    return {};
}

std::string sheet_title(SheetKind kind)
{
    switch (kind) {
        case SheetKind::None: return {};
        case SheetKind::Zone: return "Zone Properties";
        case SheetKind::FlowPath: return "Flow Path Properties";
        case SheetKind::SupplyPoint: return "Supply Point Properties";
        case SheetKind::ReturnPoint: return "Return Point Properties";
        case SheetKind::SimpleAhs: return "Simple Air Handling System Properties";
        case SheetKind::SourceSink: return "Source/Sink Properties";
        case SheetKind::Exposure: return "Occupant Properties";
        case SheetKind::Annotation: return "Annotation";
        case SheetKind::Junction: return "Junction Properties";
        case SheetKind::DuctSegment: return "Duct Segment Properties";
        case SheetKind::Sensor: return "Sensor Properties";
        case SheetKind::ControlNode: return "Control Node Properties";
    }
    return {};
}

bool EditorDialogs::property_sheet(const SheetRequest& request)
{
    show_message(NOTE, {"The ", sheet_title(request.kind), " sheet is not available yet."});
    return false;
}

bool EditorDialogs::zone_sheet(ZoneSheet&, const SheetRequest& request) { return property_sheet(request); }

bool EditorDialogs::path_sheet(PathSheet&, const SheetRequest& request) { return property_sheet(request); }

SketchEditor::SketchEditor(EditorSession& session, EditorDialogs& dialogs)
    : session_(session), dialogs_(dialogs)
{
}

void SketchEditor::touched(GridCell cell)
{
    if (outcome_.damage)
        outcome_.damage->widen(cell);
    else {
        CellBounds b;
        b.reset(cell);
        outcome_.damage = b;
    }
}

void SketchEditor::touched(const CellBounds& bounds)
{
    touched(GridCell{bounds.min_row, bounds.min_col});
    touched(GridCell{bounds.max_row, bounds.max_col});
}

namespace {

void clear_overlay(SketchEditor& editor)
{
    SketchGrid& grid = editor.grid();
    if (!grid.allocated()) return;
    grid.Scolors.fill(grid.colours.background);
    editor.repaint_all();
}

}  // namespace

void SketchEditor::toggle_tool(DrawingTool which)
{
    const DrawingTool was = tool;
    if (was != DrawingTool::None) leave_tools();
    if (which != DrawingTool::None && which != was) {
        tool = which;
        stroke = StrokeState{};
        stroke.step = (which == DrawingTool::Walls || which == DrawingTool::Boxes ||
                       which == DrawingTool::Ducts)
                          ? 2
                          : 1;
    }
    outcome_.tool_changed = true;
}

void SketchEditor::leave_tools()
{
    if (stroke.in_progress) clear_overlay(*this);
    if (tool == DrawingTool::DeleteByBox || tool == DrawingTool::DeleteByRegion) {
        if (grid().allocated()) grid().Sselect.fill(0);
        clear_overlay(*this);
    }
    if (tool != DrawingTool::None) outcome_.tool_changed = true;
    tool = DrawingTool::None;
    stroke = StrokeState{};
}

void SketchEditor::project_replaced()
{
    stroke = StrokeState{};
    tool = DrawingTool::None;
    mode = DisplayMode::Normal;
    clipboard.clear();
    outcome_.tool_changed = true;
}

}  // namespace avelor
