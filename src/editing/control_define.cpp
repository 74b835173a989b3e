#include "editing/control_define.h"

#include <algorithm>
#include <array>
#include <string>

#include "app/diagnostics.h"
#include "model/cell_codes.h"
#include "model/project.h"
#include "sketchpad/control_links.h"

namespace avelor {

namespace {

bool in_element(const SketchEditor& editor)
{
    return editor.control.mode == ControlEditMode::SuperElement && editor.control.element;
}

std::vector<const ControlNode*> peers_of(SketchEditor& editor)
{
    std::vector<const ControlNode*> out;
    for (ControlNode* node : edited_control_nodes(editor)) out.push_back(node);
    return out;
}

ControlNode* add_edited_node(SketchEditor& editor, const ControlNode& node)
{
    if (in_element(editor)) return editor.control.element->nodes.add(node);
    return editor.project().controls.add(node);
}

// Puts a dialog's working copy over the stored node, which keeps its place
// in its list.
void store_over(ControlNode& node, const ControlNode& working)
{
    ControlNode* next = node.next;
    const std::int32_t nr = node.nr;
    node = working;
    node.next = next;
    node.nr = nr;
}

// The node's number goes into its cell and out along the links leaving
// it, each link's target taking the node. On a super element's own sketch
// the numbers name the element's nodes.
void propagate_outputs(SketchEditor& editor, int row, int col, std::int32_t number)
{
    editor.grid().current().Ctrls(row, col) = number;
    if (in_element(editor))
        propagate_control_number(editor.project(), ControlNumbers(editor.control.element->nodes), editor.grid(), row,
                                 col);
    else
        propagate_control_number(editor.project(), editor.grid(), row, col);
    editor.repaint_all();
}

// A new node is in its list: its cell shows it (code as given) and carries
// its number.
void place_node(SketchEditor& editor, int row, int col, std::uint8_t code, const ControlNode* node)
{
    LevelCells& l = editor.grid().current();
    l.Links(row, col) = code;
    propagate_outputs(editor, row, col, node->nr);
    editor.modified();
    editor.touched(GridCell{row, col});
}

SheetRequest request_at(int row, int col, SheetKind kind, std::int32_t number)
{
    SheetRequest r;
    r.kind = kind;
    r.number = number;
    r.create = number < 1;
    r.cell = {row, col};
    return r;
}

// The building's nodes other than those of the super node edited.
std::vector<ControlNode*> building_nodes(SketchEditor& editor)
{
    std::vector<ControlNode*> out;
    const ControlNode* instance = editor.control.instance;
    const auto* data = instance ? std::get_if<SuperInstanceData>(&instance->data) : nullptr;
    for (ControlNode& node : editor.project().controls) {
        if (data && std::find(data->copies.begin(), data->copies.end(), &node) != data->copies.end()) continue;
        out.push_back(&node);
    }
    return out;
}

bool no_phantom_targets()
{
    show_message(WARNING, {kNoPhantomTargets});
    return false;
}

// "Phantom control ..." in the building's network: the cell becomes a
// phantom icon carrying the number of the node it stands for.
bool define_building_phantom(SketchEditor& editor, int row, int col, const SheetRequest& request)
{
    PhantomForm form(building_nodes(editor), nullptr);
    if (form.empty()) return no_phantom_targets();
    if (!editor.dialogs().phantom_dialog(form, request) || !form.chosen()) return false;
    ControlNode* node = form.chosen();
    ++node->link_count;
    place_node(editor, row, col, ICN_CTRL_PHANTOM, node);
    return true;
}

// A phantom copy of the super node edited, by its number in the element.
ControlNode* phantom_sub_node(SketchEditor& editor, std::int32_t number)
{
    const ControlNode* instance = editor.control.instance;
    const auto* data = instance ? std::get_if<SuperInstanceData>(&instance->data) : nullptr;
    if (!data || number < 1 || static_cast<std::size_t>(number) > data->copies.size()) return nullptr;
    ControlNode* copy = data->copies[static_cast<std::size_t>(number - 1)];
    return copy->type == kCtSph ? copy : nullptr;
}

// In a super node's sub-network: which building node the phantom copy
// stands for. Only OK sets it; Cancel leaves it as it was.
bool set_sub_phantom(SketchEditor& editor, int row, int col, const SheetRequest& request)
{
    ControlNode* phantom = phantom_sub_node(editor, editor.grid().current().Ctrls(row, col));
    if (!phantom) {
        beep();
        return false;
    }
    PhantomForm form(building_nodes(editor), phantom->c1);
    if (form.empty()) return no_phantom_targets();
    if (!editor.dialogs().phantom_dialog(form, request)) return false;
    if (!set_phantom_sub_node(*phantom, form.chosen())) return false;
    editor.modified();
    editor.touched(GridCell{row, col});
    return true;
}

bool run_super_node(SketchEditor& editor, int row, int col, ControlNode* instance, const SheetRequest& request)
{
    SuperNodeForm form(editor.project(), instance, peers_of(editor));
    if (!editor.dialogs().super_node_dialog(form, request)) {
        form.cancel();
        return false;
    }
    if (!form.instance()) return false;
    if (!instance) place_node(editor, row, col, ICN_CTRL_SUPER, form.instance());
    editor.modified();
    return true;
}

bool run_sensor(SketchEditor& editor, int row, int col, const SensedIcon& icon, ControlNode* existing,
                bool place_code, const SheetRequest& request)
{
    SensorDialogKind dialog = icon.dialog;
    if (icon.terminal) {
        const int answer = editor.dialogs().terminal_sensor_type(request);
        if (answer == 0) return false;
        dialog = answer == 2 ? SensorDialogKind::PathOrDuct : SensorDialogKind::ZoneJunctionOccupant;
    }
    const ControlNode start = existing ? *existing : new_control_node(kCtSns, editor.control.mode);
    SensorForm form(editor.project(), start, icon, dialog, editor.control.mode);
    if (!editor.dialogs().sensor_dialog(form, request)) return false;
    if (existing) {
        store_over(*existing, form.working());
        editor.modified();
        return true;
    }
    ControlNode* stored = add_edited_node(editor, form.working());
    if (place_code)
        place_node(editor, row, col, ICN_CTRL_NODE, stored);
    else {
        propagate_outputs(editor, row, col, stored->nr);
        editor.modified();
        editor.touched(GridCell{row, col});
    }
    return true;
}

// A report node's default units: those of the sensor that feeds it.
std::string default_report_units(SketchEditor& editor, int row, int col, const ControlNode* existing)
{
    const ControlNode* input = existing ? existing->c1 : nullptr;
    if (!input && !in_element(editor)) {
        // A new node: the node whose link ends in an arrowhead beside it.
        const LevelCells& l = editor.grid().current();
        const std::array<std::pair<GridCell, std::uint8_t>, 4> arrows{{{{row - 1, col}, ICN_ARROW_S},
                                                                       {{row, col + 1}, ICN_ARROW_W},
                                                                       {{row + 1, col}, ICN_ARROW_N},
                                                                       {{row, col - 1}, ICN_ARROW_E}}};
        for (const auto& [cell, code] : arrows)
            if (editor.grid().in_grid(cell.row, cell.col) && l.Links(cell.row, cell.col) == code)
                if (const ControlNode* n = editor.project().controls.at(l.Ctrls(cell.row, cell.col))) input = n;
    }
    const auto* sensor = input ? std::get_if<SensorData>(&input->data) : nullptr;
    return sensor ? std::string(sensed_units(sensor->quantity)) : std::string();
}

bool run_type_dialog(SketchEditor& editor, int row, int col, const ControlNode& start, ControlNode* existing,
                     const SheetRequest& request)
{
    const ControlEditing& c = editor.control;
    const bool dvf = start.type == kCtDvf;
    const ValuesFileHeader* header = dvf ? c.dvf : c.cvf;
    std::string file = dvf ? c.dvf_file : c.cvf_file;
    if (!header) {
        // The project's own file, when its run control names one.
        const Project& p = editor.project();
        const std::string& named = dvf ? p.rc.discrete_values_file : p.rc.continuous_values_file;
        const ValuesFileHeader& loaded = dvf ? p.dvf_values : p.cvf_values;
        if (!named.empty() && named != "null") {
            header = &loaded;
            file = named;
        }
    }
    if (auto missing = values_file_missing(start.type, header)) {
        show_message(WARNING, {*missing});
        return false;
    }
    ControlNodeForm form(editor.project(), start, peers_of(editor), existing, header, file);
    if (start.type == kCtLog) form.set_default_units(default_report_units(editor, row, col, existing));
    if (!editor.dialogs().control_node_dialog(form, request)) return false;
    if (existing) {
        store_over(*existing, form.working());
        editor.modified();
        return true;
    }
    place_node(editor, row, col, ICN_CTRL_NODE, add_edited_node(editor, form.working()));
    return true;
}

}  // namespace

std::vector<ControlNode*> edited_control_nodes(SketchEditor& editor)
{
    std::vector<ControlNode*> out;
    if (in_element(editor))
        for (ControlNode& node : editor.control.element->nodes) out.push_back(&node);
    else
        for (ControlNode& node : editor.project().controls) out.push_back(&node);
    return out;
}

ControlNode* edited_control_node(SketchEditor& editor, std::int32_t number)
{
    if (in_element(editor)) return editor.control.element->nodes.at(number);
    return editor.project().controls.at(number);
}

bool define_control_node(SketchEditor& editor, int row, int col)
{
    const LevelCells& l = editor.grid().current();
    const std::uint8_t code = l.Links(row, col);
    const ControlEditMode mode = editor.control.mode;
    const SheetRequest request = request_at(row, col, SheetKind::ControlNode, 0);
    if (mode == ControlEditMode::SuperNode) {
        if (code == ICN_CTRL_PHANTOM) return set_sub_phantom(editor, row, col, request);
        ControlTypeChooser::offered(mode);
        return false;
    }
    if (code == ICN_CTRL_PHANTOM) {
        // A phantom left without its node in the building's network.
        if (mode == ControlEditMode::Building) return define_building_phantom(editor, row, col, request);
        return false;
    }

    ControlTypeChooser chooser = ControlTypeChooser::at_cell(editor.grid(), row, col, mode);
    if (!editor.dialogs().control_chooser(chooser, request)) return false;
    const int type = chooser.chosen_type();
    switch (type) {
    case kCtSns: {
        const SensedLookup found = sensed_zone_of_cell(editor.project(), editor.grid(), row, col, mode);
        if (!found.icon) {
            show_message(ERROR, {found.refusal});
            return false;
        }
        return run_sensor(editor, row, col, *found.icon, nullptr, true, request);
    }
    case kCtSph: {
        if (mode == ControlEditMode::Building) return define_building_phantom(editor, row, col, request);
        ControlNode phantom = new_control_node(kCtSph, mode);
        place_node(editor, row, col, ICN_CTRL_PHANTOM, add_edited_node(editor, phantom));
        return true;
    }
    case kCtSup: return run_super_node(editor, row, col, nullptr, request);
    default: return run_type_dialog(editor, row, col, new_control_node(type, mode), nullptr, request);
    }
}

bool edit_control_node(SketchEditor& editor, int row, int col)
{
    const LevelCells& l = editor.grid().current();
    const std::uint8_t code = l.Links(row, col);
    const std::int32_t number = l.Ctrls(row, col);
    const ControlEditMode mode = editor.control.mode;
    const SheetRequest request = request_at(row, col, SheetKind::ControlNode, number);
    if (code == ICN_CTRL_PHANTOM) {
        if (mode == ControlEditMode::SuperNode) return set_sub_phantom(editor, row, col, request);
        // On an element's own sketch a phantom is only a placeholder.
        if (mode == ControlEditMode::SuperElement) return false;
    }
    ControlNode* node = edited_control_node(editor, number);
    if (!node) {
        beep();
        return false;
    }
    if (node->type == kCtSup) return run_super_node(editor, row, col, node, request);
    if (node->type == kCtSph) return false;
    if (node->type == kCtSns) {
        const auto& data = std::get<SensorData>(node->data);
        SensedIcon icon;
        icon.target = data.target;
        if (const auto* zone = std::get_if<ZoneRef>(&data.target.record); zone && zone->zone())
            icon.one_d = zone->zone()->axs != 0;
        icon.dialog = data.quantity == kSenseFlow || data.quantity == kSensePressureDrop
                          ? SensorDialogKind::PathOrDuct
                          : SensorDialogKind::ZoneJunctionOccupant;
        return run_sensor(editor, row, col, icon, node, false, request);
    }
    return run_type_dialog(editor, row, col, *node, node, request);
}

bool define_sensor(SketchEditor& editor, int row, int col)
{
    const LevelCells& l = editor.grid().current();
    const std::uint8_t code = l.Links(row, col);
    const std::int32_t number = l.Ctrls(row, col);
    if (code < 181 || code > 184) {
        report_error(ERROR, {kNotAtSensor});
        return false;
    }
    const SensedLookup found = sensed_icon(editor.project(), editor.grid(), row, col, editor.control.mode);
    if (!found.icon) {
        show_message(ERROR, {found.refusal});
        return false;
    }
    ControlNode* existing = number > 0 ? edited_control_node(editor, number) : nullptr;
    if (existing && existing->type != kCtSns) existing = nullptr;
    const SheetRequest request = request_at(row, col, SheetKind::Sensor, existing ? number : 0);
    return run_sensor(editor, row, col, *found.icon, existing, false, request);
}

bool define_control_cell(SketchEditor& editor, const SheetRequest& request)
{
    const int row = request.cell.row;
    const int col = request.cell.col;
    // A sketch grid without an element holds nothing to define.
    if (editor.control.mode == ControlEditMode::SuperElement && !editor.control.element) return false;
    if (request.kind == SheetKind::Sensor) return define_sensor(editor, row, col);
    if (request.number < 1) return define_control_node(editor, row, col);
    return edit_control_node(editor, row, col);
}

}  // namespace avelor
