#include "editing/link_drawing.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/diagnostics.h"
#include "editing/stroke_cells.h"
#include "model/project.h"
#include "sketchpad/control_links.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/super_sketch.h"

namespace avelor {

namespace {

using namespace stroke_cells;

constexpr std::string_view kInvalidPosition = "Invalid control position";
constexpr std::string_view kInvalidPositions = "Invalid control position(s)";
constexpr std::string_view kTooShort = "Need longer link to show link icons";
constexpr std::string_view kTwoIcons = "May not link two non-control icons";
constexpr std::string_view kTurnAtSensed = "Link may not turn next to sensed icon";
constexpr std::string_view kTurnAtTerminal = "Link may not turn next to terminal icon";
constexpr std::string_view kDwcDuct = " DWC duct may not be controlled";

constexpr std::uint16_t kAxisNS = kNorth | kSouth;
constexpr std::uint16_t kAxisEW = kEast | kWest;
constexpr std::uint16_t axis_of(std::uint16_t d) { return (d & kAxisNS) ? kAxisNS : kAxisEW; }

bool drawable(SketchEditor& editor, int row, int col)
{
    return editor.grid().allocated() && editor.project().current_level && editor.grid().in_drawing(row, col);
}

ControlNode* node_numbered(ControlNumbers numbers, std::int32_t n) { return numbers(n); }

bool on_element_sketch(const SketchEditor& editor)
{
    return editor.control.mode == ControlEditMode::SuperElement && editor.control.element;
}

// The node list the numbers of the link layer being edited name.
ControlNumbers numbers_of(SketchEditor& editor)
{
    if (on_element_sketch(editor)) return ControlNumbers(editor.control.element->nodes);
    return ControlNumbers(editor.project().controls);
}

// A super node's sub-network shown for its phantoms, or the sketch of an
// element that super nodes use, cannot change: its nodes belong to the
// super nodes too.
bool sub_nodes_fixed(const SketchEditor& editor)
{
    if (editor.control.mode == ControlEditMode::SuperNode) return true;
    if (editor.control.mode != ControlEditMode::SuperElement) return false;
    // No element chosen: the sketch shown belongs to nobody.
    return !editor.control.element || super_sketch_locked(*editor.control.element);
}

// Node records whose icons went leave the list being edited.
void release_nodes(SketchEditor& editor, const std::vector<ControlNode*>& nodes)
{
    if (on_element_sketch(editor))
        release_element_nodes(editor.project(), editor.grid(), *editor.control.element, nodes);
    else
        release_control_nodes(editor.project(), nodes);
}

bool is_path_like(std::uint8_t code) { return has_flag(code, CC_PATH_ICON) && code != ICN_AHS; }

// ------------------------------------------------------------- strokes

enum class EndKind { Invalid, Node, Icon, NewNode };

bool empty_cell(const LevelCells& l, GridCell at)
{
    return l.Links(at.row, at.col) == 0 && l.Ducts(at.row, at.col) == 0 && l.Sketch(at.row, at.col) == 0 &&
           l.Walls(at.row, at.col) == 0;
}

// What the start of a stroke is: a node, a sensed icon or an empty cell.
EndKind start_kind(const LevelCells& l, GridCell s)
{
    const std::uint8_t link = l.Links(s.row, s.col);
    if (link != 0) return is_link_node(link) ? EndKind::Node : EndKind::Invalid;
    const std::uint8_t duct = l.Ducts(s.row, s.col);
    if (duct != 0) return duct >= ICN_SEGMENT_N && duct <= ICN_LAST_DUCT_NODE ? EndKind::Icon : EndKind::Invalid;
    const std::uint8_t icon = l.Sketch(s.row, s.col);
    if (icon != 0) {
        const bool sensed = has_flag(icon, CC_ZONE_ICON) || has_flag(icon, CC_PATH_ICON) || icon == ICN_EXPOSURE;
        return sensed ? EndKind::Icon : EndKind::Invalid;
    }
    return l.Walls(s.row, s.col) == 0 ? EndKind::NewNode : EndKind::Invalid;
}

// The directions from which links come into a cell: the arrowheads
// already pointing into it.
std::uint16_t arrows_into(const SketchGrid& g, GridCell at)
{
    const LevelCells& l = g.current();
    std::uint16_t bits = 0;
    for (std::uint16_t d : kDirections) {
        const GridCell nb = step(at, d);
        if (!g.in_grid(nb.row, nb.col)) continue;
        const std::uint8_t code = l.Links(nb.row, nb.col);
        if (is_link_arrow(code) && link_points_toward(code) == opposite_direction(d)) bits |= d;
    }
    return bits;
}

struct EndCheck {
    EndKind kind = EndKind::Invalid;
    std::string_view refusal = kInvalidPosition;
};

// What the end of a stroke is, given the directions its inputs come from.
EndCheck end_kind(Project& p, ControlNumbers numbers, const SketchGrid& g, GridCell e, std::uint16_t inputs)
{
    const LevelCells& l = g.current();
    const int count = std::popcount(static_cast<unsigned>(inputs));
    const bool single = count == 1;
    const bool one_or_two = single || (count == 2 && inputs != kAxisNS && inputs != kAxisEW);
    auto icon_if_single = [&] { return single ? EndCheck{EndKind::Icon, {}} : EndCheck{}; };
    const std::uint8_t link = l.Links(e.row, e.col);
    if (link != 0) {
        if (!is_link_node(link)) return {};
        bool accepts = true;
        if (const ControlNode* node = node_numbered(numbers, l.Ctrls(e.row, e.col))) {
            switch (control_inputs_of_type(node->type)) {
            case 0: accepts = false; break;
            case 1: accepts = single; break;
            case 2: accepts = one_or_two; break;
            default: break;
            }
        } else if (link == ICN_CTRL_NODE) {
            accepts = one_or_two;
        } else if (link == ICN_CTRL_PHANTOM) {
            accepts = single;
        }
        return accepts ? EndCheck{EndKind::Node, {}} : EndCheck{};
    }
    const std::uint8_t duct = l.Ducts(e.row, e.col);
    if (is_segment_icon(duct)) {
        const std::int32_t n = l.Paths(e.row, e.col);
        const DuctSegment* segment = n > 0 ? p.ducts.at(n) : nullptr;
        if (segment && segment->element && segment->element->type == kDctDwc) return {EndKind::Invalid, kDwcDuct};
        return icon_if_single();
    }
    if (is_duct_node(duct)) return icon_if_single();
    if (duct != 0) return {};
    const std::uint8_t icon = l.Sketch(e.row, e.col);
    if (icon == ICN_ZONE || has_flag(icon, CC_PATH_ICON) || icon == ICN_SOURCE) return icon_if_single();
    if (icon != 0) return {};
    return l.Walls(e.row, e.col) == 0 ? EndCheck{EndKind::NewNode, {}} : EndCheck{};
}

bool straight(GridCell a, GridCell b, GridCell c)
{
    return (a.row == b.row && b.row == c.row) || (a.col == b.col && b.col == c.col);
}

// The first piece beside a start: a sensor end beside an icon, looking
// at it; a head or plain piece beside a node.
std::uint8_t sensor_end_code(std::uint16_t from_start)
{
    switch (from_start) {
    case kNorth: return 183;
    case kSouth: return 181;
    case kEast: return 184;
    default: return 182;
    }
}
std::uint8_t node_piece_code(std::uint16_t from_start)
{
    switch (from_start) {
    case kNorth: return ICN_LINK_V;
    case kSouth: return ICN_LINK_HEAD_V;
    case kEast: return ICN_LINK_HEAD_H;
    default: return ICN_LINK_H;
    }
}
// The arrowhead in the cell on side d of the end, pointing into it.
std::uint8_t arrow_code(std::uint16_t d)
{
    switch (d) {
    case kNorth: return ICN_ARROW_S;
    case kSouth: return ICN_ARROW_N;
    case kEast: return ICN_ARROW_W;
    default: return ICN_ARROW_E;
    }
}

void end_stroke(SketchEditor& editor)
{
    SketchGrid& g = editor.grid();
    StrokeState& s = editor.stroke;
    clear_overlay_in(g, s.touched);
    editor.touched(s.touched);
    s = StrokeState{};
    s.step = 1;
}

// ------------------------------------------------------------- tracing

// The cells of a link (or of a node's output links) with the axis along
// which each was passed, for crossings.
struct LinkCells {
    std::vector<std::pair<GridCell, std::uint16_t>> cells;
    std::vector<GridCell> arrows;   // arrowheads among them
    std::vector<GridCell> sensors;  // sensor ends among them

    void add(GridCell at, std::uint8_t code, std::uint16_t d)
    {
        cells.emplace_back(at, axis_of(d));
        if (is_link_arrow(code)) arrows.push_back(at);
        if (is_sensor_end(code)) sensors.push_back(at);
    }
    void walk(const SketchGrid& g, GridCell from, std::uint16_t d)
    {
        walk_link(g, from, d, [&](GridCell at, std::uint8_t code, std::uint16_t in) { add(at, code, in); });
    }
};

// Every link that leaves the node or sensor end at the cell.
LinkCells output_links(const SketchGrid& g, GridCell at)
{
    LinkCells out;
    const std::uint8_t code = g.current().Links(at.row, at.col);
    if (is_sensor_end(code)) {
        out.add(at, code, direction_bits(code));
        out.walk(g, at, direction_bits(code));
        return out;
    }
    for (std::uint16_t d : kDirections) out.walk(g, at, d);
    return out;
}

// The arrowheads that point into the cell.
std::vector<GridCell> arrows_entering(const SketchGrid& g, GridCell at)
{
    std::vector<GridCell> out;
    const std::uint16_t bits = arrows_into(g, at);
    for (std::uint16_t d : kDirections)
        if (bits & d) out.push_back(step(at, d));
    return out;
}

// The number the other link of a crossing carries: that of a piece beside
// it along the other axis.
std::int32_t number_along(const SketchGrid& g, GridCell at, std::uint16_t axis)
{
    const LevelCells& l = g.current();
    for (std::uint16_t d : kDirections) {
        if (!(axis & d)) continue;
        const GridCell nb = step(at, d);
        if (!g.in_grid(nb.row, nb.col) || l.Links(nb.row, nb.col) == 0) continue;
        if (const std::int32_t n = l.Ctrls(nb.row, nb.col); n > 0) return n;
    }
    return 0;
}

// The item an arrowhead points at no longer takes the link's node: an
// icon's record loses its control node, a node the input.
void release_arrow_target(Project& p, ControlNumbers numbers, const SketchGrid& g, GridCell arrow)
{
    const LevelCells& l = g.current();
    const GridCell t = step(arrow, link_points_toward(l.Links(arrow.row, arrow.col)));
    if (!g.in_drawing(t.row, t.col)) return;
    ControlNode* b = node_numbered(numbers, l.Ctrls(arrow.row, arrow.col));
    const std::int32_t n = l.Paths(t.row, t.col);
    auto lose = [&](auto* record) {
        if (record && (!b || record->control == b)) record->control = nullptr;
    };
    const std::uint8_t duct = l.Ducts(t.row, t.col);
    const std::uint8_t icon = l.Sketch(t.row, t.col);
    if (is_segment_icon(duct)) {
        lose(n > 0 ? p.ducts.at(n) : nullptr);
    } else if (is_duct_node(duct)) {
        lose(n > 0 ? p.junctions.at(n) : nullptr);
    } else if (icon == ICN_ZONE) {
        lose(n > 0 ? p.zones.at(n) : nullptr);
    } else if (is_path_like(icon)) {
        lose(n > 0 ? p.paths.at(n) : nullptr);
    } else if (icon == ICN_AHS) {
        const SimpleAhs* system =
            n > 0 && static_cast<std::size_t>(n) <= p.system_index.size() ? p.system_index[static_cast<std::size_t>(n - 1)]
                                                                          : nullptr;
        lose(system && system->pr > 0 ? p.paths.at(system->pr) : nullptr);
    } else if (icon == ICN_SOURCE) {
        lose(n > 0 ? p.sources.at(n) : nullptr);
    } else if (is_link_node(l.Links(t.row, t.col)) && b) {
        ControlNode* target = node_numbered(numbers, l.Ctrls(t.row, t.col));
        if (!target) return;
        if (target->c1 == b) target->c1 = nullptr;
        if (target->c2 == b) target->c2 = nullptr;
        if (auto* list = std::get_if<InputListData>(&target->data)) std::erase(list->inputs, b);
    }
}

// The pieces of a link lose their number; a crossing keeps the other
// link's.
void clear_link_numbers(SketchGrid& g, const LinkCells& link)
{
    LevelCells& l = g.current();
    for (const auto& [at, axis] : link.cells) {
        if (l.Links(at.row, at.col) == ICN_LINK_CROSS) {
            l.Ctrls(at.row, at.col) = number_along(g, at, axis == kAxisNS ? kAxisEW : kAxisNS);
        } else {
            l.Ctrls(at.row, at.col) = 0;
        }
    }
}

// The pieces of a link go; a crossing becomes the other link's plain
// piece with its number.
void erase_link(SketchGrid& g, const LinkCells& link)
{
    LevelCells& l = g.current();
    for (const auto& [at, axis] : link.cells) {
        std::uint8_t& code = l.Links(at.row, at.col);
        if (code == ICN_LINK_CROSS) {
            const std::uint16_t other = axis == kAxisNS ? kAxisEW : kAxisNS;
            l.Ctrls(at.row, at.col) = number_along(g, at, other);
            code = other == kAxisEW ? ICN_LINK_H : ICN_LINK_V;
            continue;
        }
        code = 0;
        l.Ctrls(at.row, at.col) = 0;
    }
    // A crossing passed both ways by the same link goes entirely.
    for (const auto& [at, axis] : link.cells) {
        const std::uint8_t code = l.Links(at.row, at.col);
        if (code != ICN_LINK_H && code != ICN_LINK_V) continue;
        const auto passes = std::count_if(link.cells.begin(), link.cells.end(),
                                          [&](const auto& c) { return c.first == at; });
        if (passes > 1) {
            l.Links(at.row, at.col) = 0;
            l.Ctrls(at.row, at.col) = 0;
        }
    }
}

void mark_cells(SketchEditor& editor, const std::vector<GridCell>& cells)
{
    SketchGrid& g = editor.grid();
    for (const GridCell& c : cells) {
        g.Scolors(c.row, c.col) = g.colours.drawing_line;
        editor.touched(c);
    }
}

void unmark_cells(SketchEditor& editor, const std::vector<GridCell>& cells)
{
    SketchGrid& g = editor.grid();
    for (const GridCell& c : cells) {
        g.Scolors(c.row, c.col) = g.colours.background;
        editor.touched(c);
    }
}

// The sensor records of the defined sensor ends of a link.
void sensors_of(ControlNumbers numbers, const SketchGrid& g, const LinkCells& link, std::vector<ControlNode*>& out)
{
    for (const GridCell& s : link.sensors)
        if (ControlNode* node = node_numbered(numbers, g.current().Ctrls(s.row, s.col))) out.push_back(node);
}

// ------------------------------------------------------------- phantoms

// The phantoms that show node n, on every level, become undefined control
// nodes, and the links leaving them lose the number. Phantoms of the
// current level are changed in the grid, the others in their levels'
// icon lists (the level shown below is shown again).
void undefine_phantoms_of(SketchEditor& editor, std::int32_t n)
{
    Project& p = editor.project();
    SketchGrid& g = editor.grid();
    const ControlNumbers numbers = numbers_of(editor);
    LevelCells& l = g.current();
    for (int r = 1; r <= g.rows() - 2; ++r)
        for (int c = 1; c <= g.cols() - 2; ++c) {
            if (l.Links(r, c) != ICN_CTRL_PHANTOM || l.Ctrls(r, c) != n) continue;
            const LinkCells links = output_links(g, {r, c});
            for (const GridCell& a : links.arrows) release_arrow_target(p, numbers, g, a);
            clear_link_numbers(g, links);
            l.Links(r, c) = ICN_CTRL_NODE;
            l.Ctrls(r, c) = 0;
            editor.touched(GridCell{r, c});
        }
    bool below_changed = false;
    for (Level& level : p.levels) {
        if (&level == p.current_level) continue;
        bool changed = false;
        for (IconEntry& e : level.icons) {
            if (e.nr != n || layer_of_code(e.code) != CellLayer::Link) continue;
            if (e.code == ICN_CTRL_PHANTOM) {
                e.code = ICN_CTRL_NODE;
                e.nr = 0;
                changed = true;
            } else if (e.code < ICN_CTRL_NODE) {
                // Node n stands on the current level: a numbered piece here
                // belongs to a link leaving one of its phantoms.
                e.nr = 0;
                changed = true;
            }
        }
        if (changed && g.shown_level(kLevelBelow) == &level) below_changed = true;
    }
    if (ControlNode* node = node_numbered(numbers, n)) node->link_count = 0;
    if (below_changed && p.current_level) show_level(g, p.current_level->below, kLevelBelow);
    editor.modified();
    editor.repaint_all();
}

std::string phantom_question()
{
    std::string text;
    text.append("This node is referenced by phantom nodes.")
        .append("  ")
        .append("They must be undefined before this node can be deleted.")
        .append("  \n\n")
        .append(">> Do you wish to undefine the phantom nodes? <<")
        .append("\n\n")
        .append("(Clicking No will result in nothing changing.)");
    return text;
}

// ------------------------------------------------------------- nodes

bool delete_link_node(SketchEditor& editor, GridCell at, Asking asking)
{
    Project& p = editor.project();
    SketchGrid& g = editor.grid();
    const ControlNumbers numbers = numbers_of(editor);
    LevelCells& l = g.current();
    const bool interactive = asking == Asking::Interactive;
    const std::uint8_t code = l.Links(at.row, at.col);
    ControlNode* node = node_numbered(numbers, l.Ctrls(at.row, at.col));

    // The node that phantoms elsewhere show: the node itself, or a super
    // node's output.
    ControlNode* shown = nullptr;
    if (code == ICN_CTRL_NODE) shown = node;
    if (code == ICN_CTRL_SUPER && node)
        if (const auto* instance = std::get_if<SuperInstanceData>(&node->data)) shown = instance->output;
    if (shown && shown->link_count > 0) {
        if (!interactive || ask_question(phantom_question()) != 1) return false;
        undefine_phantoms_of(editor, shown->nr);
    }

    const LinkCells outputs = output_links(g, at);
    std::vector<GridCell> shown_cells{at};
    for (const auto& [c, axis] : outputs.cells) shown_cells.push_back(c);
    const std::vector<GridCell> entering = arrows_entering(g, at);
    mark_cells(editor, shown_cells);
    mark_cells(editor, entering);
    auto done = [&](bool changed) {
        unmark_cells(editor, shown_cells);
        unmark_cells(editor, entering);
        if (changed) {
            editor.modified();
            editor.navigator_changed();
        }
        return changed;
    };

    // What the node's cell stood for goes with it: its own record, or for
    // a phantom one less icon showing its node.
    std::vector<ControlNode*> released;
    auto let_go = [&] {
        if (!node) return;
        if (code == ICN_CTRL_PHANTOM) {
            if (node->link_count > 0) --node->link_count;
        } else {
            released.push_back(node);
        }
        sensors_of(numbers, g, outputs, released);
    };

    if (node) {
        int answer = 0;
        if (interactive) {
            answer = ask_question_or_cancel("Do you want to undefine the nodes and links indicated on the SketchPad?");
            if (answer != 1 && answer != 0) return done(false);
        }
        if (answer == 1) {
            for (const GridCell& a : outputs.arrows) release_arrow_target(p, numbers, g, a);
            let_go();
            clear_link_numbers(g, outputs);
            l.Ctrls(at.row, at.col) = 0;
            release_nodes(editor, released);
            return done(true);
        }
    }
    if (interactive && ask_question("Delete control node and links indicated?") != 1) return done(false);
    for (const GridCell& a : outputs.arrows) release_arrow_target(p, numbers, g, a);
    for (const GridCell& a : entering) release_arrow_target(p, numbers, g, a);
    let_go();
    erase_link(g, outputs);
    for (const GridCell& a : entering) {
        l.Links(a.row, a.col) = 0;
        l.Ctrls(a.row, a.col) = 0;
    }
    l.Links(at.row, at.col) = 0;
    l.Ctrls(at.row, at.col) = 0;
    release_nodes(editor, released);
    return done(true);
}

bool delete_link(SketchEditor& editor, GridCell at, Asking asking)
{
    Project& p = editor.project();
    SketchGrid& g = editor.grid();
    const ControlNumbers numbers = numbers_of(editor);
    const bool interactive = asking == Asking::Interactive;
    const std::uint8_t code = g.current().Links(at.row, at.col);
    const std::uint16_t bits = direction_bits(code);
    if (std::popcount(static_cast<unsigned>(bits)) > 2 || bits == 0) {
        if (interactive) beep();
        return false;
    }
    LinkCells link;
    // A sensor end or an arrowhead is one end of its link.
    link.add(at, code, is_single_direction(bits) ? bits : static_cast<std::uint16_t>(bits & (kNorth | kWest)));
    for (std::uint16_t d : kDirections)
        if (bits & d) link.walk(g, at, d);
    std::vector<GridCell> cells;
    for (const auto& [c, axis] : link.cells) cells.push_back(c);
    mark_cells(editor, cells);
    if (interactive && ask_question("Delete this control link?") != 1) {
        unmark_cells(editor, cells);
        return false;
    }
    std::vector<ControlNode*> released;
    sensors_of(numbers, g, link, released);
    for (const GridCell& a : link.arrows) release_arrow_target(p, numbers, g, a);
    erase_link(g, link);
    release_nodes(editor, released);
    unmark_cells(editor, cells);
    editor.modified();
    editor.navigator_changed();
    return true;
}

// ------------------------------------------------------------- networks

class NetworkDeletion {
public:
    explicit NetworkDeletion(SketchEditor& editor)
        : editor_(editor), p_(editor.project()), g_(editor.grid()), numbers_(numbers_of(editor))
    {
    }

    void run(GridCell start)
    {
        Level* const was_current = p_.current_level;
        const GridCell cursor = g_.cursor;
        delete_from(start);
        queueing_ = false;
        for (std::size_t i = 0; i < queue_.size(); ++i) {
            const auto [level, cell] = queue_[i];
            show_level_cheaply(p_, g_, *level);
            delete_from(cell);
        }
        finish();
        if (p_.current_level != was_current) show_level_cheaply(p_, g_, *was_current);
        if (other_levels_changed_ && p_.current_level) show_level(g_, p_.current_level->below, kLevelBelow);
        g_.cursor = cursor;
    }
    bool deleted() const { return deleted_; }

private:
    void delete_from(GridCell from)
    {
        LevelCells& l = g_.current();
        std::vector<GridCell> stack{from};
        while (!stack.empty()) {
            const GridCell at = stack.back();
            stack.pop_back();
            if (!g_.in_drawing(at.row, at.col)) continue;
            const std::uint8_t code = l.Links(at.row, at.col);
            if (code < ICN_LINK_H || code > ICN_CTRL_SUPER) continue;
            const std::int32_t n = l.Ctrls(at.row, at.col);
            if (ControlNode* node = numbers_(n)) {
                if (code >= ICN_CTRL_NODE)
                    node_met(code, node);
                else if (is_sensor_end(code))
                    released_.push_back(node);  // a sensor goes with its end
            }
            if (is_link_arrow(code)) release_arrow_target(p_, numbers_, g_, at);
            l.Links(at.row, at.col) = 0;
            l.Ctrls(at.row, at.col) = 0;
            g_.Scolors(at.row, at.col) = g_.colours.background;
            editor_.touched(at);
            deleted_ = true;
            auto push = [&](GridCell nb) {
                if (g_.in_drawing(nb.row, nb.col) && l.Links(nb.row, nb.col) != 0) stack.push_back(nb);
            };
            if (code >= ICN_CTRL_NODE) {
                for (std::uint16_t d : kDirections) {
                    const GridCell nb = step(at, d);
                    if (code == ICN_CTRL_NODE && g_.in_grid(nb.row, nb.col) && l.Links(nb.row, nb.col) == ICN_CTRL_NODE)
                        continue;
                    push(nb);
                }
                continue;
            }
            const std::uint16_t bits = direction_bits(code);
            for (std::uint16_t d : kDirections)
                if (bits & d) push(step(at, d));
            if (is_link_arrow(code)) push(step(at, link_points_toward(code)));
        }
    }

    void node_met(std::uint8_t code, ControlNode* node)
    {
        if (code == ICN_CTRL_NODE && node->link_count >= 1) {
            if (phantoms_go_ < 0)
                phantoms_go_ = ask_question(
                    "Do you want to delete the control networks that have phantoms that refer to this network?\n"
                    "If not deleted then those phantom nodes will be undefined.");
            if (phantoms_go_ == 1)
                clear_and_queue(ICN_CTRL_PHANTOM, node->nr);
            else
                undefine_phantoms_of(editor_, node->nr);
            released_.push_back(node);
            return;
        }
        if (code == ICN_CTRL_PHANTOM) {
            if (node->link_count >= 1) {
                if (shown_go_ < 0)
                    shown_go_ = ask_question(
                        "Do you want to delete the control network(s) to which phantoms in the network being "
                        "deleted refer?");
                if (shown_go_ == 1) {
                    clear_and_queue(ICN_CTRL_NODE, node->nr);
                    released_.push_back(node);
                }
            }
            fewer_shown_.push_back(node);
            return;
        }
        released_.push_back(node);
    }

    // Every icon of the code with number n, on every level, loses its
    // number, and its cell is queued for deletion on its level.
    void clear_and_queue(std::uint8_t code, std::int32_t n)
    {
        LevelCells& l = g_.current();
        Level* current = p_.current_level;
        for (int r = 1; r <= g_.rows() - 2; ++r)
            for (int c = 1; c <= g_.cols() - 2; ++c)
                if (l.Links(r, c) == code && l.Ctrls(r, c) == n) {
                    l.Ctrls(r, c) = 0;
                    if (queueing_) queue_.emplace_back(current, GridCell{r, c});
                }
        for (Level& level : p_.levels) {
            if (&level == current) continue;
            for (IconEntry& e : level.icons) {
                if (e.code != code || e.nr != n) continue;
                e.nr = 0;
                other_levels_changed_ = true;
                const GridCell cell{e.row - g_.origin.row, e.col - g_.origin.col};
                if (queueing_ && g_.in_drawing(cell.row, cell.col)) queue_.emplace_back(&level, cell);
            }
        }
    }

    void finish()
    {
        for (ControlNode* node : fewer_shown_)
            if (std::find(released_.begin(), released_.end(), node) == released_.end() && node->link_count > 0)
                --node->link_count;
        release_nodes(editor_, released_);
        if (deleted_) {
            editor_.modified();
            editor_.repaint_all();
            editor_.navigator_changed();
        }
    }

    SketchEditor& editor_;
    Project& p_;
    SketchGrid& g_;
    ControlNumbers numbers_;
    int phantoms_go_ = -1;  // not asked yet
    int shown_go_ = -1;
    bool queueing_ = true;
    bool deleted_ = false;
    bool other_levels_changed_ = false;
    std::vector<std::pair<Level*, GridCell>> queue_;
    std::vector<ControlNode*> released_;
    std::vector<ControlNode*> fewer_shown_;
};

}  // namespace

// ---------------------------------------------------------------- strokes

void begin_link_stroke(SketchEditor& editor)
{
    SketchGrid& g = editor.grid();
    if (!g.allocated()) return;
    GridCell c = g.cursor;
    c.row = std::clamp(c.row, 1, g.rows() - 2);
    c.col = std::clamp(c.col, 1, g.cols() - 2);
    if (!g.in_drawing(c.row, c.col) || sub_nodes_fixed(editor)) {
        beep();
        return;
    }
    start_stroke(editor, c, 1);
    editor.stroke.loop.push_back(c);
}

bool extend_link_stroke(SketchEditor& editor, GridCell p, GridCell c)
{
    SketchGrid& g = editor.grid();
    StrokeState& s = editor.stroke;
    Overlay overlay{g};
    if (direction_to(p, c) == 0 || std::abs(p.row - c.row) + std::abs(p.col - c.col) != 1 ||
        !g.in_drawing(c.row, c.col) || s.loop.empty()) {
        g.cursor = p;
        return false;
    }
    if (s.loop.size() >= 2 && s.loop[s.loop.size() - 2] == c) {
        overlay.unmark(p);
        s.loop.pop_back();
    } else if (overlay.marked(c)) {
        // The stroke may not touch itself.
        g.cursor = p;
        beep();
        return false;
    } else {
        overlay.mark(c);
        s.loop.push_back(c);
    }
    s.touched.widen(c);
    editor.touched(bounds_of(p, c));
    return true;
}

int finish_link_stroke(SketchEditor& editor)
{
    SketchGrid& g = editor.grid();
    Project& p = editor.project();
    const ControlNumbers numbers = numbers_of(editor);
    StrokeState& s = editor.stroke;
    if (!s.in_progress || !g.allocated() || s.loop.empty()) return 1;
    LevelCells& l = g.current();
    const std::vector<GridCell> cells = s.loop;
    Overlay overlay{g};
    // Cells a refusal painted are stroke cells again.
    for (const GridCell& c : cells) overlay.mark(c);
    auto paint_error = [&](GridCell c) {
        g.Scolors(c.row, c.col) = g.colours.errors;
        editor.touched(c);
    };
    auto refuse = [&](std::string_view text, std::initializer_list<GridCell> at) {
        for (const GridCell& c : at) paint_error(c);
        show_message(WARNING, {text});
        return 1;
    };
    const std::size_t count = cells.size();
    if (count == 2 || count == 3) {
        show_message(WARNING, {kTooShort});
        return 1;
    }
    const GridCell start = cells.front();
    const GridCell end = cells.back();
    const EndKind from = start_kind(l, start);
    if (from == EndKind::Invalid) return refuse(kInvalidPosition, {start});
    if (count == 1) {
        if (from != EndKind::NewNode || !empty_cell(l, start)) {
            beep();
            return 1;
        }
        l.Links(start.row, start.col) = ICN_CTRL_NODE;
        l.Ctrls(start.row, start.col) = 0;
        editor.modified();
        end_stroke(editor);
        g.cursor = start;
        editor.navigator_changed();
        return 0;
    }
    const GridCell first = cells[1];
    const GridCell last = cells[count - 2];
    // The pieces beside the ends are written anew: whatever stands there
    // now (a node or sensor among them) would be lost with its record.
    if (l.Links(first.row, first.col) != 0) return refuse(kInvalidPosition, {first});
    const std::uint16_t into_end = direction_to(end, last);
    const EndCheck to = end_kind(p, numbers, g, end, static_cast<std::uint16_t>(into_end | arrows_into(g, end)));
    if (to.kind == EndKind::Invalid) return refuse(to.refusal, {end});
    if (from == EndKind::Icon && to.kind == EndKind::Icon) return refuse(kTwoIcons, {start, end});
    if (l.Links(last.row, last.col) != 0) {
        paint_error(last);
        report_error(ERROR, {kInvalidPosition});
        return 1;
    }
    if (from == EndKind::Icon && !straight(start, first, cells[2])) return refuse(kTurnAtSensed, {first});
    if (!straight(end, last, cells[count - 3])) {
        // An arrowhead is straight: a link can only arrive at its end in line.
        return refuse(to.kind == EndKind::Icon ? kTurnAtTerminal : kInvalidPosition, {last});
    }

    // Pass 1: the code of every middle cell, 0 where the cell refuses it.
    std::vector<std::pair<GridCell, std::uint8_t>> pieces;
    bool rejected = false;
    for (std::size_t i = 1; i + 1 < count; ++i) {
        const GridCell c = cells[i];
        const std::uint16_t bits = overlay.marked_neighbours(c.row, c.col);
        std::uint8_t code = g.in_drawing(c.row, c.col) ? kLinkPieces[bits] : 0;
        const std::uint8_t there = l.Links(c.row, c.col);
        if (there == ICN_LINK_H)
            code = bits == kAxisNS ? ICN_LINK_CROSS : 0;
        else if (there == ICN_LINK_V)
            code = bits == kAxisEW ? ICN_LINK_CROSS : 0;
        else if (there != 0)
            code = 0;
        if (code == 0) {
            rejected = true;
            paint_error(c);
        }
        pieces.emplace_back(c, code);
    }
    if (rejected) {
        show_message(WARNING, {kInvalidPositions});
        return 1;
    }

    // Pass 2: the pieces written.
    for (const auto& [c, code] : pieces) {
        if (code == ICN_LINK_CROSS) {
            std::int32_t& n = l.Ctrls(c.row, c.col);
            if (n != 0) n = -1;
        } else {
            l.Ctrls(c.row, c.col) = 0;
        }
        l.Links(c.row, c.col) = code;
    }
    const std::uint16_t away = direction_to(start, first);
    if (from == EndKind::NewNode) {
        l.Links(start.row, start.col) = ICN_CTRL_NODE;
        l.Ctrls(start.row, start.col) = 0;
    }
    if (from == EndKind::Icon) {
        l.Links(first.row, first.col) = sensor_end_code(away);
    } else if (count >= 4 && straight(start, first, cells[2])) {
        // A link that leaves a node straight starts with the piece the
        // store keeps; one that turns at once keeps its corner.
        l.Links(first.row, first.col) = node_piece_code(away);
    }
    l.Links(last.row, last.col) = arrow_code(into_end);
    if (to.kind == EndKind::NewNode) {
        l.Links(end.row, end.col) = ICN_CTRL_NODE;
        l.Ctrls(end.row, end.col) = 0;
    }
    editor.modified();
    end_stroke(editor);
    g.cursor = end;
    if (from == EndKind::Node) propagate_control_number(p, numbers, g, start.row, start.col, true);
    editor.navigator_changed();
    return 0;
}

// ---------------------------------------------------------------- deleting

bool delete_control_piece(SketchEditor& editor, int row, int col, Asking asking)
{
    if (!drawable(editor, row, col)) return false;
    const std::uint8_t code = editor.grid().current().Links(row, col);
    if (code == 0) return false;
    if (sub_nodes_fixed(editor)) {
        if (asking == Asking::Interactive) show_message(NOTE, {kSubNodesFixed});
        return false;
    }
    if (editor.stroke.in_progress) cancel_stroke(editor);
    if (is_link_node(code)) return delete_link_node(editor, {row, col}, asking);
    return delete_link(editor, {row, col}, asking);
}

bool delete_control_network(SketchEditor& editor, int row, int col)
{
    if (!drawable(editor, row, col) || editor.grid().current().Links(row, col) == 0) return false;
    if (sub_nodes_fixed(editor)) {
        show_message(NOTE, {kSubNodesFixed});
        return false;
    }
    if (editor.stroke.in_progress) cancel_stroke(editor);
    NetworkDeletion job(editor);
    job.run({row, col});
    return job.deleted();
}

}  // namespace avelor
