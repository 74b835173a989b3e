// The control network as the link layer draws it: numbers carried along
// the links that leave a defined node, the targets the arrowheads point
// at, the references collected from the drawing into the records, the
// per-cell rules of the building check, and releasing node records so
// that nothing keeps a pointer to a node that went.
//
// Every function works on the current level of the grid; the node numbers
// in Ctrls name nodes of project.controls.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "app/lists.h"
#include "model/control_node.h"
#include "sketchpad/sketch_grid.h"

namespace avelor {

class Project;

// The node list the numbers of a link layer name: the building's network,
// or a super element's own on its sketch.
class ControlNumbers {
public:
    ControlNumbers(const NumberedList<ControlNode>& building) : building_(&building) {}  // NOLINT: the usual list
    ControlNumbers(const ControlNodeList& element) : element_(&element) {}                // NOLINT
    ControlNode* operator()(std::int32_t n) const
    {
        if (n <= 0) return nullptr;
        return building_ ? building_->at(n) : element_->at(n);
    }
    bool empty() const { return building_ ? building_->count() == 0 : element_->count() == 0; }

private:
    const NumberedList<ControlNode>* building_ = nullptr;
    const ControlNodeList* element_ = nullptr;
};

// Link-layer codes by what they are.
constexpr bool is_link_node(std::uint8_t code) { return code >= ICN_CTRL_NODE && code <= 189; }
constexpr bool is_sensor_end(std::uint8_t code) { return code >= 181 && code <= 184; }
constexpr bool is_link_arrow(std::uint8_t code) { return code >= ICN_ARROW_N && code <= ICN_ARROW_W; }
// The direction an arrowhead points (177 north ... 180 west), or the
// direction a sensor end looks (181 north ... 184 west); 0 otherwise.
std::uint16_t link_points_toward(std::uint8_t code);

// The neighbour of a cell in one of the four directions.
constexpr GridCell link_neighbour(GridCell at, std::uint16_t d)
{
    switch (d) {
    case CC_DIR_N: return {at.row - 1, at.col};
    case CC_DIR_E: return {at.row, at.col + 1};
    case CC_DIR_S: return {at.row + 1, at.col};
    default: return {at.row, at.col - 1};
    }
}

// Where a walk along one link stopped.
struct LinkWalk {
    GridCell last;        // the last piece visited (from, when none was)
    bool arrow = false;   // last is an arrowhead
    bool sensor = false;  // last is a sensor end (the walk ran back to its source)
    int pieces = 0;       // pieces visited
};

// Follows one link of the current level from the cell from, leaving in
// direction d: visit(cell, code, d) is called for every piece entered (d
// the direction it was entered in). The walk keeps its direction over
// crossings and stops after an arrowhead or a sensor end, before a node,
// before a cell that does not connect back, at the border, or when it has
// taken more steps than the grid has cells twice over.
template <class Visit>
LinkWalk walk_link(const SketchGrid& grid, GridCell from, std::uint16_t d, Visit&& visit)
{
    const CellArray<std::uint8_t>& links = grid.current().Links;
    LinkWalk walk{from};
    GridCell at = from;
    const std::size_t limit = 2 * grid.cells() + 4;
    for (std::size_t n = 0; n < limit; ++n) {
        const GridCell next = link_neighbour(at, d);
        if (!grid.in_drawing(next.row, next.col)) return walk;
        const std::uint8_t code = links(next.row, next.col);
        if (code == 0 || is_link_node(code)) return walk;
        const std::uint16_t bits = direction_bits(code);
        const std::uint16_t back = opposite_direction(d);
        if (!(bits & back)) return walk;
        visit(next, code, d);
        walk.last = next;
        ++walk.pieces;
        if (is_link_arrow(code)) {
            walk.arrow = true;
            return walk;
        }
        if (is_sensor_end(code)) {
            walk.sensor = true;
            return walk;
        }
        if (bits != CC_DIR_MASK) {
            const auto on = static_cast<std::uint16_t>(bits & ~back);
            if (!is_single_direction(on)) return walk;
            d = on;
        }
        at = next;
    }
    return walk;
}

// The node whose number the output links of the link-layer cell carry:
// the cell's own node for a control node, phantom or sensor end, the
// instance's output node for a super node. Null when the cell holds no
// defined node.
ControlNode* output_node_at(ControlNumbers numbers, const SketchGrid& grid, int row, int col);
ControlNode* output_node_at(Project& project, const SketchGrid& grid, int row, int col);

struct Propagation {
    int links = 0;            // output links followed
    int not_at_actuator = 0;  // of them, links that end without an arrowhead
    int refused = 0;          // targets that did not take the node
};

// A node was defined (or its links redrawn): the number of the node at
// (row, col) of the current level goes into Ctrls of every piece of every
// link that leaves it, and each link's arrowhead target takes the node as
// its actuator (assign_actuator). With report set, links that end without
// an arrowhead give "Not at actuator" once (severity 1). A cell without a
// defined node changes nothing.
// On a super element's sketch numbers names the element's nodes.
Propagation propagate_control_number(Project& project, SketchGrid& grid, int row, int col, bool report = true);
Propagation propagate_control_number(Project& project, ControlNumbers numbers, SketchGrid& grid, int row, int col,
                                     bool report = true);

// Every defined node of the current level (codes above 180 with a
// number) propagates its number, quietly; called whenever a level becomes
// current.
void refresh_control_links(Project& project, SketchGrid& grid);
void refresh_control_links(Project& project, ControlNumbers numbers, SketchGrid& grid);

// Before the links are collected again: no zone, path, junction, duct
// segment or source/sink names a control node, no node except phantoms
// and the super nodes' copies of their elements' nodes (wired on the
// element's sketch) has inputs, and the input lists of sum, average,
// maximum and minimum nodes are empty.
void clear_collected_controls(Project& project);

enum class ActuatorResult {
    Assigned,         // the target names the node (or did already)
    Undefined,        // the target has no record yet: nothing to name
    Refused,          // an input already set to another node, or no input to take
    NotControllable,  // nothing there takes a control signal
};
// The arrowhead at arrow points at its target cell; the item there (duct
// layer first, then the icon layer, then the link layer) takes node as its
// control node or, for a control node, as one of its inputs. With
// collecting set (the building check) a duplicate input of a list node is
// logged; otherwise it is passed over quietly. A target that takes no
// control signal gives " Actuator is not adjacent to controlable icon"
// (ERROR box) when report is set.
ActuatorResult assign_actuator(Project& project, const SketchGrid& grid, GridCell arrow, ControlNode* node,
                               bool collecting, bool report = true);
ActuatorResult assign_actuator(Project& project, ControlNumbers numbers, const SketchGrid& grid, GridCell arrow,
                               ControlNode* node, bool collecting, bool report = true);

// The building check's rule for one link-layer cell of the current level:
// a sensor end must look at its sensor's target, an arrowhead must point
// at something that takes a control signal (a node of at most two inputs
// takes its input there), and a super node whose element lets its sensors
// follow the cell gives its sensor copies the cell's junction or zone.
// problem receives the text of each problem entry for the cell; the
// result is the number of errors found (some errors have no entry).
using LinkProblemSink = std::function<void(std::string_view text)>;
int check_link_cell(Project& project, SketchGrid& grid, int row, int col, const LinkProblemSink& problem);

// Releases node records: an instance node takes its sub-node copies along
// (its element's use count falls), a phantom node gives back its count on
// the instance it stood for, and afterwards no zone, path, junction, duct
// segment, source/sink or node refers to any released node. Nodes already
// gone are passed over.
void release_control_nodes(Project& project, std::vector<ControlNode*> nodes);

}  // namespace avelor
