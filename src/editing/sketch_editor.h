// Editing the drawing: the drawing tools and their strokes, the icon
// commands, the one-item clipboard and the deletion options, all held by
// one SketchEditor per editing session.
//
// Every edit the window asks for is an Edit object, made from its command
// by make_edit(), and goes through SketchEditor::apply(): the edit applies
// itself, the project is marked changed when the edit changed anything,
// and the cells to repaint are handed back. The operations themselves
// (wall_drawing.h, icon_editing.h) report what they touched and whether
// they modified the project through the editor, never directly, so that an
// undo stack can wrap apply() alone.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_rules.h"
#include "editing/editor_session.h"
#include "forms/annotation_form.h"
#include "forms/ahs_sheet.h"
#include "forms/area_delete_form.h"
#include "forms/control_node_forms.h"
#include "forms/control_sensor_form.h"
#include "forms/control_super_forms.h"
#include "forms/delete_coordinates_form.h"
#include "forms/exposure_sheet.h"
#include "forms/junction_sheet.h"
#include "forms/path_sheet.h"
#include "forms/source_sheet.h"
#include "model/records.h"
#include "sketchpad/sketch_grid.h"

namespace avelor {

// The status bar's name for the active tool ("Tool: Draw Walls"); empty
// while none is on.
std::string_view tool_status_text(DrawingTool tool);

// A stroke being drawn with the active tool.
struct StrokeState {
    bool in_progress = false;
    GridCell anchor;
    GridCell previous;
    int step = 2;       // 2 for walls, boxes and ducts; 1 for links and the delete tools
    CellBounds touched;  // every cell the stroke marked so far
    // Delete by region: the loop in drawing order, and whether it closed;
    // a link stroke: its cells in drawing order.
    std::vector<GridCell> loop;
    bool loop_closed = false;
};

// What the clipboard holds.
enum class ClipKind : int {
    Empty = -999,
    Zone = 32,
    Note = 42,
    Path = 64,
    SupplyReturn = 128,
    Ahs = 130,
    Exposure = 131,
    Source = 133,
    DuctSegment = 512,
    DuctNode = 1024,
};

struct Clipboard {
    ClipKind kind = ClipKind::Empty;
    std::uint8_t icon = 0;         // the icon code of the item
    std::int32_t number = 0;       // its record number (the cell's Paths value)
    std::int32_t zone_value = 0;   // Zones at the cell it came from
    bool cut = false;              // the item moves when pasted
    GridCell source;               // where a cut item stands
    std::int32_t source_level = 0; // the number of that cell's level
    // A full copy of the record, for the kinds that have one.
    std::optional<FlowPath> path;
    std::optional<SourceSink> source_sink;
    std::optional<Exposure> exposure;
    std::optional<Annotation> note;
    std::optional<DuctSegment> duct;
    std::optional<Junction> junction;

    bool empty() const { return kind == ClipKind::Empty; }
    void clear() { *this = Clipboard{}; }
};

// The property sheet a definition asks for.
enum class SheetKind {
    None,
    Zone,
    FlowPath,
    SupplyPoint,
    ReturnPoint,
    SimpleAhs,
    SourceSink,
    Exposure,
    Annotation,
    Junction,
    DuctSegment,
    Sensor,
    ControlNode,
};
struct SheetRequest {
    SheetKind kind = SheetKind::None;
    bool create = false;     // a new record, rather than editing number
    std::int32_t number = 0;
    GridCell cell;
};
// The sheet's title as the user knows it ("Zone Properties").
std::string sheet_title(SheetKind kind);

// The dialogs an edit may need. The window shows real ones; tests script
// their answers. A dialog returns true when the user pressed OK.
class EditorDialogs {
public:
    virtual ~EditorDialogs() = default;
    virtual bool area_delete_options(AreaDeleteForm& form) = 0;
    virtual bool delete_coordinates(CoordinatesForm& form) = 0;
    virtual bool annotation(AnnotationForm& form) = 0;
    // A property sheet of a record; true when it was accepted. The default
    // says that the sheet is not there yet and changes nothing.
    virtual bool property_sheet(const SheetRequest& request);
    // The zone, flow path, junction, duct segment, air-handling system,
    // supply and return point, source/sink and occupant sheets, on their
    // models; request says which cell the sheet belongs beside. The
    // defaults fall back on property_sheet.
    virtual bool zone_sheet(ZoneSheet& sheet, const SheetRequest& request);
    virtual bool path_sheet(PathSheet& sheet, const SheetRequest& request);
    virtual bool junction_sheet(JunctionSheet& sheet, const SheetRequest& request);
    virtual bool duct_segment_sheet(DuctSegmentSheet& sheet, const SheetRequest& request);
    virtual bool ahs_sheet(AhsSheet& sheet, const SheetRequest& request);
    virtual bool ahs_point_sheet(AhsPointSheet& sheet, const SheetRequest& request);
    virtual bool source_sheet(SourceSheet& sheet, const SheetRequest& request);
    virtual bool exposure_sheet(ExposureSheet& sheet, const SheetRequest& request);
    // The control network's dialogs: the type chooser, the dialog of a
    // node type, the sensor dialogs and the terminal question (1 for the
    // zone, junction or occupant dialog, 2 for the path or duct dialog, 0
    // Cancel), the phantom and super node dialogs. The defaults fall back
    // on property_sheet.
    virtual bool control_chooser(ControlTypeChooser& chooser, const SheetRequest& request);
    virtual bool control_node_dialog(ControlNodeForm& form, const SheetRequest& request);
    virtual bool sensor_dialog(SensorForm& form, const SheetRequest& request);
    virtual int terminal_sensor_type(const SheetRequest& request);
    virtual bool phantom_dialog(PhantomForm& form, const SheetRequest& request);
    virtual bool super_node_dialog(SuperNodeForm& form, const SheetRequest& request);
};

// What an edit asks of the view afterwards.
struct EditOutcome {
    bool modified = false;      // the project changed
    bool repaint_all = false;
    std::optional<CellBounds> damage;  // cells to repaint
    bool navigator = false;     // the Sketch Navigator must repaint
    bool tool_changed = false;  // the active tool changed (menu checks, buttons)
    bool cursor_moved = false;
    int result = 0;             // the operation's own result, where it has one
};

// The icons of the "Draw Icon" commands.
enum class IconCommand { Zone, Phantom, Ambient, FlowPath, Ahs, Supply, Return, SourceSink, Exposure, Annotation };

// Everything the window can ask of the editor.
enum class EditAction {
    ToggleTool,         // tool
    LeftClick,          // at the cursor (mouse or Enter)
    RightClick,         // mouse or Esc
    StepCursor,         // direction: one step of the active tool (arrow key)
    PointerAt,          // cell: the pointer moved while a stroke is in progress
    PlaceIcon,          // icon
    Define,             // at the cursor (double click or Enter outside the tools)
    Delete,
    Cut,
    Copy,
    Paste,
    DeleteByCoordinates,
    DeleteNetwork,      // the duct (or control) network at the cursor
};
struct EditCommand {
    EditAction action = EditAction::LeftClick;
    DrawingTool tool = DrawingTool::None;
    IconCommand icon = IconCommand::Zone;
    int direction = 0;  // 1 north, 2 east, 4 south, 8 west
    GridCell cell;
};

class SketchEditor;

// One edit of the drawing or the project, which knows how to apply itself.
class Edit {
public:
    virtual ~Edit() = default;
    // Applies the edit through the editor; outcome gathers what the view
    // must do afterwards and the operation's own result.
    virtual void apply(SketchEditor& editor, EditOutcome& outcome) const = 0;
};

// The edit a command of the window stands for.
std::unique_ptr<Edit> make_edit(const EditCommand& command);

// While a super element's own sketch is on the SketchPad: the building's
// grid put aside, and the view it had.
struct PutAsideSketch {
    std::unique_ptr<SketchGrid> grid;
    int cell_size = 8;
    int first_row = 0;
    int first_col = 0;
};

class SketchEditor {
public:
    SketchEditor(EditorSession& session, EditorDialogs& dialogs);
    SketchEditor(const SketchEditor&) = delete;
    SketchEditor& operator=(const SketchEditor&) = delete;

    // The one way in for edits from the window.
    EditOutcome apply(const Edit& edit);
    EditOutcome apply(const EditCommand& command);

    EditorSession& session() { return session_; }
    Project& project() { return session_.project(); }
    SketchGrid& grid() { return session_.grid; }
    EditorDialogs& dialogs() { return dialogs_; }

    // State the operations share.
    DisplayMode mode = DisplayMode::Normal;
    DrawingTool tool = DrawingTool::None;
    StrokeState stroke;
    Clipboard clipboard;
    AreaDeleteOptions delete_options;
    // The level "Copy Level" took; null when none is copied.
    Level* level_copy = nullptr;
    // What a new junction or terminal starts from.
    JunctionDefaults junction_defaults;
    // Which control network is edited, and the values-file headers its
    // CVF and DVF nodes choose names from.
    ControlEditing control;
    // Set while a super element's sketch is edited (super_element_editing.h).
    std::optional<PutAsideSketch> building_sketch;

    // For the operations: the project was modified; cells to repaint.
    void modified() { outcome_.modified = true; }
    void touched(GridCell cell);
    void touched(const CellBounds& bounds);
    void repaint_all() { outcome_.repaint_all = true; }
    void navigator_changed() { outcome_.navigator = true; }

    // Switches tools as the menu toggles do (switch_tool): the active tool
    // again turns it off; another tool turns the active one off first (a
    // delete tool leaving clears Sselect); the link tool coming on shows the
    // control links. A stroke in progress is discarded.
    void toggle_tool(DrawingTool which);
    // Ends any tool (opening a project, entering results mode).
    void leave_tools();
    // Another project is shown: no tool, normal mode, and an empty
    // clipboard, whose records belonged to the project that went.
    void project_replaced();

    // The outcome gathered since the last apply() began; for tests that
    // call operations directly.
    const EditOutcome& outcome() const { return outcome_; }
    void reset_outcome() { outcome_ = EditOutcome{}; }

private:
    EditorSession& session_;
    EditorDialogs& dialogs_;
    EditOutcome outcome_;
};

// What the edit commands of the menus, the toolbar and the SketchPad's
// context menu may do at the cursor: the same rules serve all of them.
struct EditMenuState {
    std::array<bool, 10> icons{};  // in IconCommand order
    bool set_origin = false;       // only while pseudo-geometry is shown
    bool cut = false;
    bool copy = false;
    bool paste = false;
    bool del = false;
    bool delete_network = false;  // a duct or link piece at the cursor
};
EditMenuState edit_menu_state(SketchEditor& editor);

// Dialogs that accept nothing: for the command-line tools and for tests that
// need no dialog.
class NoDialogs final : public EditorDialogs {
public:
    bool area_delete_options(AreaDeleteForm&) override { return false; }
    bool delete_coordinates(CoordinatesForm&) override { return false; }
    bool annotation(AnnotationForm&) override { return false; }
};

}  // namespace avelor
