#include "editing/sketch_editor.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/diagnostics.h"
#include "model/project.h"

namespace avelor {

std::string_view tool_status_text(DrawingTool tool)
{
    switch (tool) {
    case DrawingTool::None: break;
    case DrawingTool::Walls: return "Tool: Draw Walls";
    case DrawingTool::Boxes: return "Tool: Draw Boxes";
    case DrawingTool::Ducts: return "Tool: Draw Ducts";
    case DrawingTool::Links: return "Tool: Draw Control Links";
    case DrawingTool::DeleteByRegion: return "Tool: Delete by Region";
    case DrawingTool::DeleteByBox: return "Tool: Delete by Box";
    }
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
        case SheetKind::SourceSink: return "Source/sink Properties";
        case SheetKind::Exposure: return "Occupant Exposure Properties";
        case SheetKind::Annotation: return "Annotation";
        case SheetKind::Junction: return "Duct Junction Properties";
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

bool EditorDialogs::junction_sheet(JunctionSheet&, const SheetRequest& request) { return property_sheet(request); }

bool EditorDialogs::duct_segment_sheet(DuctSegmentSheet&, const SheetRequest& request)
{
    return property_sheet(request);
}

bool EditorDialogs::ahs_sheet(AhsSheet&, const SheetRequest& request) { return property_sheet(request); }

bool EditorDialogs::ahs_point_sheet(AhsPointSheet&, const SheetRequest& request) { return property_sheet(request); }

bool EditorDialogs::source_sheet(SourceSheet&, const SheetRequest& request) { return property_sheet(request); }

bool EditorDialogs::exposure_sheet(ExposureSheet&, const SheetRequest& request) { return property_sheet(request); }

bool EditorDialogs::control_chooser(ControlTypeChooser&, const SheetRequest& request)
{
    return property_sheet(request);
}

bool EditorDialogs::control_node_dialog(ControlNodeForm&, const SheetRequest& request)
{
    return property_sheet(request);
}

bool EditorDialogs::sensor_dialog(SensorForm&, const SheetRequest& request) { return property_sheet(request); }

int EditorDialogs::terminal_sensor_type(const SheetRequest& request) { return property_sheet(request) ? 1 : 0; }

bool EditorDialogs::phantom_dialog(PhantomForm&, const SheetRequest& request) { return property_sheet(request); }

bool EditorDialogs::super_node_dialog(SuperNodeForm&, const SheetRequest& request)
{
    return property_sheet(request);
}

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
    const ToolSwitch change = switch_tool(tool, which);
    if (change.leaving != DrawingTool::None) leave_tools();
    if (change.active != DrawingTool::None) {
        tool = change.active;
        stroke = StrokeState{};
        stroke.step = (which == DrawingTool::Walls || which == DrawingTool::Boxes ||
                       which == DrawingTool::Ducts)
                          ? 2
                          : 1;
    }
    if (change.control_links_on) session_.view.flags.control_links = true;
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
    level_copy = nullptr;
    outcome_.tool_changed = true;
}

}  // namespace avelor
