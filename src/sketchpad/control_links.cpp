#include "sketchpad/control_links.h"

#include <algorithm>
#include <unordered_set>
#include <variant>

#include "app/diagnostics.h"
#include "app/run_log.h"
#include "model/project.h"
#include "sketchpad/cell_scan.h"

namespace avelor {

std::uint16_t link_points_toward(std::uint8_t code)
{
    switch (code) {
    case 177:
    case 181: return CC_DIR_N;
    case 178:
    case 182: return CC_DIR_E;
    case 179:
    case 183: return CC_DIR_S;
    case 180:
    case 184: return CC_DIR_W;
    default: return 0;
    }
}

namespace {

// The node of a link-layer number of the building's network, or null.
ControlNode* node_numbered(Project& project, std::int32_t n) { return n > 0 ? project.controls.at(n) : nullptr; }

// The node a link from b actually feeds: an instance node's output.
ControlNode* feeding_node(ControlNode* b)
{
    if (!b) return nullptr;
    if (const auto* instance = std::get_if<SuperInstanceData>(&b->data)) return instance->output;
    return b;
}

bool is_path_like(std::uint8_t code) { return has_flag(code, CC_PATH_ICON) && code != ICN_AHS; }

// The pieces of a link take its number; a crossing that another number
// passes already shows that two numbered links cross there.
void number_piece(LevelCells& l, GridCell at, std::uint8_t code, std::int32_t n)
{
    std::int32_t& value = l.Ctrls(at.row, at.col);
    if (code == ICN_LINK_CROSS && value != 0 && value != n && n != 0) {
        value = -1;
        return;
    }
    value = n;
}

}  // namespace

ControlNode* output_node_at(Project& project, const SketchGrid& grid, int row, int col)
{
    return output_node_at(ControlNumbers(project.controls), grid, row, col);
}

ControlNode* output_node_at(ControlNumbers numbers, const SketchGrid& grid, int row, int col)
{
    if (!grid.in_grid(row, col)) return nullptr;
    const LevelCells& l = grid.current();
    const std::uint8_t code = l.Links(row, col);
    if (!is_link_node(code) && !is_sensor_end(code)) return nullptr;
    ControlNode* node = numbers(l.Ctrls(row, col));
    if (code == ICN_CTRL_SUPER) return feeding_node(node);
    return node;
}

Propagation propagate_control_number(Project& project, SketchGrid& grid, int row, int col, bool report)
{
    return propagate_control_number(project, ControlNumbers(project.controls), grid, row, col, report);
}

Propagation propagate_control_number(Project& project, ControlNumbers numbers, SketchGrid& grid, int row, int col,
                                     bool report)
{
    Propagation result;
    ControlNode* node = output_node_at(numbers, grid, row, col);
    if (!node) return result;
    LevelCells& l = grid.current();
    const std::uint8_t code = l.Links(row, col);
    const std::int32_t n = node->nr;
    auto follow = [&](GridCell from, std::uint16_t d) {
        const LinkWalk walk = walk_link(grid, from, d, [&](GridCell at, std::uint8_t piece, std::uint16_t) {
            // A sensor end is the start of a link of its own sensor.
            if (!is_sensor_end(piece)) number_piece(l, at, piece, n);
        });
        if (walk.pieces == 0 || walk.sensor) return;
        ++result.links;
        if (!walk.arrow) {
            ++result.not_at_actuator;
            return;
        }
        const ActuatorResult assigned = assign_actuator(project, numbers, grid, walk.last, node, false, report);
        if (assigned == ActuatorResult::Refused || assigned == ActuatorResult::NotControllable) ++result.refused;
    };
    const GridCell at{row, col};
    if (is_sensor_end(code)) {
        // The sensor end is the link's first piece and holds the number.
        l.Ctrls(row, col) = n;
        ++result.links;
        const LinkWalk walk = walk_link(grid, at, direction_bits(code), [&](GridCell c, std::uint8_t piece, std::uint16_t) {
            number_piece(l, c, piece, n);
        });
        if (!walk.arrow) {
            ++result.not_at_actuator;
        } else {
            const ActuatorResult assigned = assign_actuator(project, numbers, grid, walk.last, node, false, report);
            if (assigned == ActuatorResult::Refused || assigned == ActuatorResult::NotControllable) ++result.refused;
        }
    } else {
        for (std::uint16_t d : {CC_DIR_N, CC_DIR_E, CC_DIR_S, CC_DIR_W}) follow(at, d);
    }
    if (report && result.not_at_actuator > 0) show_message(WARNING, {"Not at actuator"});
    return result;
}

void refresh_control_links(Project& project, SketchGrid& grid)
{
    refresh_control_links(project, ControlNumbers(project.controls), grid);
}

void refresh_control_links(Project& project, ControlNumbers numbers, SketchGrid& grid)
{
    if (!grid.allocated() || numbers.empty()) return;
    const LevelCells& l = grid.current();
    const int rows = grid.rows();
    const int cols = grid.cols();
    for (int r = 1; r <= rows - 2; ++r) {
        const std::uint8_t* links = l.Links.row(r);
        for (int c = sketch_scan::next_nonzero(links, 1, cols - 1); c < cols - 1;
             c = sketch_scan::next_nonzero(links, c + 1, cols - 1))
            if (links[c] > ICN_ARROW_W && l.Ctrls(r, c) > 0) propagate_control_number(project, numbers, grid, r, c, false);
    }
}

void clear_collected_controls(Project& project)
{
    for (Zone& z : project.zones) z.control = nullptr;
    for (FlowPath& p : project.paths) p.control = nullptr;
    for (Junction& j : project.junctions) j.control = nullptr;
    for (DuctSegment& d : project.ducts) d.control = nullptr;
    for (SourceSink& s : project.sources) s.control = nullptr;
    // An instance's copies of its element's nodes are wired on the
    // element's own sketch, not on any level: their inputs stay.
    std::unordered_set<const ControlNode*> copies;
    for (const ControlNode& node : project.controls)
        if (const auto* instance = std::get_if<SuperInstanceData>(&node.data))
            copies.insert(instance->copies.begin(), instance->copies.end());
    for (ControlNode& node : project.controls) {
        if (node.type == kCtSph || copies.count(&node)) continue;
        node.c1 = node.c2 = nullptr;
        if (auto* list = std::get_if<InputListData>(&node.data)) {
            list->inputs.clear();
            list->numbers.clear();
        }
    }
}

ActuatorResult assign_actuator(Project& project, const SketchGrid& grid, GridCell arrow, ControlNode* node,
                               bool collecting, bool report)
{
    return assign_actuator(project, ControlNumbers(project.controls), grid, arrow, node, collecting, report);
}

ActuatorResult assign_actuator(Project& project, ControlNumbers numbers, const SketchGrid& grid, GridCell arrow,
                               ControlNode* node, bool collecting, bool report)
{
    if (!grid.in_grid(arrow.row, arrow.col)) return ActuatorResult::NotControllable;
    const LevelCells& l = grid.current();
    const GridCell t = link_neighbour(arrow, link_points_toward(l.Links(arrow.row, arrow.col)));
    ControlNode* b = feeding_node(node);
    auto refuse_target = [&] {
        if (report) show_message(ERROR, {" Actuator is not adjacent to controlable icon"});
        return ActuatorResult::NotControllable;
    };
    if (!grid.in_drawing(t.row, t.col)) return refuse_target();
    if (!b) return ActuatorResult::Undefined;
    const std::int32_t number = l.Paths(t.row, t.col);
    auto take = [&](auto* record) {
        if (!record) return ActuatorResult::Undefined;
        record->control = b;
        return ActuatorResult::Assigned;
    };
    const std::uint8_t duct = l.Ducts(t.row, t.col);
    if (is_segment_icon(duct)) return take(number > 0 ? project.ducts.at(number) : nullptr);
    if (is_duct_node(duct)) return take(number > 0 ? project.junctions.at(number) : nullptr);
    const std::uint8_t icon = l.Sketch(t.row, t.col);
    if (icon == ICN_ZONE) return take(number > 0 ? project.zones.at(number) : nullptr);
    if (is_path_like(icon)) return take(number > 0 ? project.paths.at(number) : nullptr);
    if (icon == ICN_AHS) {
        const SimpleAhs* system = number > 0 && static_cast<std::size_t>(number) <= project.system_index.size()
                                      ? project.system_index[static_cast<std::size_t>(number - 1)]
                                      : nullptr;
        return take(system && system->pr > 0 ? project.paths.at(system->pr) : nullptr);
    }
    if (icon == ICN_SOURCE) return take(number > 0 ? project.sources.at(number) : nullptr);
    if (!is_link_node(l.Links(t.row, t.col))) return refuse_target();

    ControlNode* target = numbers(l.Ctrls(t.row, t.col));
    if (!target) return ActuatorResult::Undefined;
    const bool east_west = arrow.row == t.row;
    auto set_input = [&](ControlNode*& input, const char* line) {
        if (input && input != b) {
            run_log().write(line);
            return ActuatorResult::Refused;
        }
        input = b;
        return ActuatorResult::Assigned;
    };
    switch (control_inputs_of_type(target->type)) {
    case 0: return ActuatorResult::Refused;
    case 1:
        return set_input(target->c1,
                         "Input signal already defined. Try running a building check to correct this.\n");
    case 2:
        if (east_west)
            return set_input(target->c1,
                             "E-W input signal already defined. Try running a building check to correct this.\n");
        return set_input(target->c2,
                         "N-S input signal already defined. Try running a building check to correct this.\n");
    default: break;
    }
    auto* list = std::get_if<InputListData>(&target->data);
    if (!list) return ActuatorResult::Refused;
    if (std::find(list->inputs.begin(), list->inputs.end(), b) != list->inputs.end()) {
        if (collecting)
            run_log().printf(
                "Duplicate input to SUM/AVG node %s will be ignored. Try running a building check to correct this.\n",
                target->name.c_str());
        return ActuatorResult::Assigned;
    }
    // The list grows in steps, as the records of the file's readers do.
    if (list->inputs.size() == list->inputs.capacity()) list->inputs.reserve(list->inputs.size() + 32);
    list->inputs.push_back(b);
    return ActuatorResult::Assigned;
}

namespace {

// What a sensor end looks at, as a sensor target: kind and number.
struct Sensed {
    std::int16_t kind = 0;
    std::int32_t nr = 0;
    bool known = false;  // the cell holds something a sensor may look at
};

Sensed sensed_at(const Project& project, const LevelCells& l, GridCell sensor, GridCell at)
{
    const std::int32_t number = l.Paths(at.row, at.col);
    const std::uint8_t duct = l.Ducts(at.row, at.col);
    if (is_segment_icon(duct)) return {kSenseDuct, number, true};
    if (is_duct_node(duct)) return {kSenseJunction, number, true};
    const std::uint8_t icon = l.Sketch(at.row, at.col);
    if (icon == ICN_ZONE || icon == ICN_PHANTOM) return {kSenseZone, number, true};
    if (icon == ICN_AMBIENT) return {kSenseZone, -1, true};
    if (is_path_like(icon)) return {kSensePath, number, true};
    if (icon == ICN_AHS) {
        const SimpleAhs* system = number > 0 && static_cast<std::size_t>(number) <= project.system_index.size()
                                      ? project.system_index[static_cast<std::size_t>(number - 1)]
                                      : nullptr;
        return {kSensePath, system ? system->pr : 0, true};
    }
    if (icon == ICN_EXPOSURE) return {kSenseExposure, number, true};
    if (icon != 0 || duct != 0) return {};
    const std::int32_t zone = l.Zones(sensor.row, sensor.col);
    if (zone > 0) return {kSenseZone, zone, true};
    return {kSenseZone, -1, true};
}

// The number of the record a sensor's target names.
std::int32_t target_number(const SensorTarget& target)
{
    return std::visit(
        [&](const auto& record) -> std::int32_t {
            using T = std::decay_t<decltype(record)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                return target.nr;
            } else if constexpr (std::is_same_v<T, ZoneRef>) {
                if (record.is_ambient()) return -1;
                return record.zone() ? record.zone()->nr : target.nr;
            } else {
                return record ? record->nr : target.nr;
            }
        },
        target.record);
}

bool same_kind(std::int16_t a, std::int16_t b)
{
    auto group = [](std::int16_t k) -> std::int16_t { return k == kSenseTerminal ? std::int16_t{kSenseJunction} : k; };
    return group(a) == group(b);
}

// The sensor copies of a super node whose element lets them follow the
// cell take the cell's junction or zone.
void aim_instance_sensors(Project& project, const LevelCells& l, int row, int col, ControlNode& instance_node)
{
    auto* instance = std::get_if<SuperInstanceData>(&instance_node.data);
    if (!instance || !instance->element || !(instance->element->f & kSuperSensorsFollowCell)) return;
    const std::uint8_t duct = l.Ducts(row, col);
    const std::int32_t number = duct >= ICN_JUNCTION && duct <= 161 ? l.Paths(row, col) : l.Zones(row, col);
    if (number <= 0 && number != -1) return;
    for (ControlNode* copy : instance->copies) {
        auto* sensor = copy ? std::get_if<SensorData>(&copy->data) : nullptr;
        if (!sensor) continue;
        sensor->target.nr = number;
        if (sensor->target.kind == kSenseZone) {
            if (number == -1)
                sensor->target.record = ZoneRef::ambient();
            else if (Zone* zone = project.zones.at(number))
                sensor->target.record = ZoneRef(zone);
            else
                sensor->target.record = std::monostate{};
        } else if (Junction* junction = number > 0 ? project.junctions.at(number) : nullptr) {
            sensor->target.record = junction;
        } else {
            sensor->target.record = std::monostate{};
        }
    }
}

}  // namespace

int check_link_cell(Project& project, SketchGrid& grid, int row, int col, const LinkProblemSink& problem)
{
    if (!grid.in_drawing(row, col)) return 0;
    const LevelCells& l = grid.current();
    const std::uint8_t code = l.Links(row, col);
    const GridCell at{row, col};
    if (is_sensor_end(code)) {
        ControlNode* node = node_numbered(project, l.Ctrls(row, col));
        const auto* sensor = node ? std::get_if<SensorData>(&node->data) : nullptr;
        if (!sensor) return 0;
        const GridCell looked = link_neighbour(at, link_points_toward(code));
        if (!grid.in_grid(looked.row, looked.col)) return 1;
        const Sensed sensed = sensed_at(project, l, at, looked);
        const bool matches = sensed.known && same_kind(sensed.kind, sensor->target.kind) &&
                             sensed.nr == target_number(sensor->target);
        return matches ? 0 : 1;
    }
    if (is_link_arrow(code)) {
        const GridCell t = link_neighbour(at, link_points_toward(code));
        auto no_icon = [&] {
            if (problem) problem("Error: There is no (or an incorrect) icon next to an actuator.");
            return 1;
        };
        if (!grid.in_drawing(t.row, t.col)) return no_icon();
        const std::uint8_t duct = l.Ducts(t.row, t.col);
        if (is_segment_icon(duct) || is_duct_node(duct)) return 0;
        const std::uint8_t icon = l.Sketch(t.row, t.col);
        if (icon == ICN_ZONE || icon == ICN_PHANTOM || has_flag(icon, CC_PATH_ICON) || icon == ICN_SOURCE) return 0;
        const std::uint8_t link = l.Links(t.row, t.col);
        if (link < ICN_CTRL_NODE || link > ICN_CTRL_SUPER) return no_icon();
        ControlNode* target = node_numbered(project, l.Ctrls(t.row, t.col));
        ControlNode* b = node_numbered(project, l.Ctrls(row, col));
        if (!target || !b || control_inputs_of_type(target->type) > 2) return 0;
        return assign_actuator(project, grid, at, b, true, false) == ActuatorResult::Refused ? 1 : 0;
    }
    if (code == ICN_CTRL_SUPER)
        if (ControlNode* node = node_numbered(project, l.Ctrls(row, col)))
            aim_instance_sensors(project, l, row, col, *node);
    return 0;
}

void release_control_nodes(Project& project, std::vector<ControlNode*> nodes)
{
    std::unordered_set<const ControlNode*> gone;
    // An instance takes its copies along; nodes no longer in the list are
    // passed over, so releasing twice does nothing more.
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        ControlNode* node = nodes[i];
        if (!node || project.controls.at(node->nr) != node || gone.contains(node)) continue;
        gone.insert(node);
        if (auto* instance = std::get_if<SuperInstanceData>(&node->data)) {
            if (instance->element && instance->element->use_count > 0) --instance->element->use_count;
            instance->element = nullptr;
            for (ControlNode* copy : instance->copies) nodes.push_back(copy);
        }
    }
    if (gone.empty()) return;
    for (const ControlNode* node : gone)
        if (node->type == kCtSph && node->c1 && !gone.contains(node->c1) && node->c1->ref_count > 0)
            --node->c1->ref_count;
    auto drop = [&](ControlNode*& ref) {
        if (ref && gone.contains(ref)) ref = nullptr;
    };
    for (Zone& z : project.zones) drop(z.control);
    for (FlowPath& p : project.paths) drop(p.control);
    for (Junction& j : project.junctions) drop(j.control);
    for (DuctSegment& d : project.ducts) drop(d.control);
    for (SourceSink& s : project.sources) drop(s.control);
    for (ControlNode& node : project.controls) {
        if (gone.contains(&node)) continue;
        drop(node.c1);
        drop(node.c2);
        if (auto* list = std::get_if<InputListData>(&node.data))
            std::erase_if(list->inputs, [&](ControlNode* input) { return !input || gone.contains(input); });
        if (auto* instance = std::get_if<SuperInstanceData>(&node.data)) {
            drop(instance->input);
            drop(instance->output);
            std::erase_if(instance->copies, [&](ControlNode* copy) { return !copy || gone.contains(copy); });
        }
    }
    std::vector<std::int32_t> numbers;
    for (const ControlNode* node : gone) numbers.push_back(node->nr);
    for (std::int32_t n : numbers) project.controls.release(n);
    project.mark_changed();
}

}  // namespace avelor
