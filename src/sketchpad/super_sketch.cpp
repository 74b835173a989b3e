#include "sketchpad/super_sketch.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <variant>

#include "model/project.h"
#include "sketchpad/control_links.h"

namespace avelor {

namespace {

void write_title(SketchGrid& grid)
{
    std::uint8_t* border = grid.current().Sketch.row(0);
    const std::size_t n = std::min(kSuperSketchTitle.size(), static_cast<std::size_t>(grid.cols()));
    std::fill(border, border + grid.cols(), std::uint8_t{0});
    for (std::size_t i = 0; i < n; ++i) border[i] = static_cast<std::uint8_t>(kSuperSketchTitle[i]);
    grid.current().Paths(0, 0) = 0;
}

}  // namespace

void show_super_sketch(Project& project, SketchGrid& grid, SuperElement* element)
{
    show_level(grid, nullptr, kLevelBelow);
    show_level(grid, nullptr, kCurrentLevel);
    write_title(grid);
    if (!element) return;
    Level sketch;
    sketch.name = "SEsketch";
    sketch.icons.reserve(element->sketch.size());
    for (const SketchIcon& icon : element->sketch)
        sketch.icons.push_back({icon.row, icon.col, static_cast<std::uint8_t>(icon.code), icon.nr});
    load_level_cells(grid, sketch, kCurrentLevel);
    expand_link_runs(grid, kCurrentLevel);
    collect_element_links(project, grid, *element);
}

void store_super_sketch(SketchGrid& grid, SuperElement& element)
{
    Level sketch;
    store_level_icons(grid, sketch);
    element.sketch.clear();
    for (const IconEntry& icon : sketch.icons) {
        // Only the link layer belongs to an element's sketch.
        if (layer_of_code(icon.code) != CellLayer::Link) continue;
        element.sketch.push_back({static_cast<std::int16_t>(icon.code), icon.col, icon.row, icon.nr});
    }
}

void collect_element_links(Project& project, SketchGrid& grid, SuperElement& element)
{
    for (ControlNode& node : element.nodes) {
        if (node.type == kCtSph) continue;
        node.c1 = node.c2 = nullptr;
        if (auto* list = std::get_if<InputListData>(&node.data)) {
            list->inputs.clear();
            list->numbers.clear();
        }
    }
    refresh_control_links(project, ControlNumbers(element.nodes), grid);
}

void collect_element_links(Project& project, SuperElement& element)
{
    SketchGrid grid;
    if (!allocate_sketch_arrays(grid, kSuperSketchRows, kSuperSketchCols)) return;
    show_super_sketch(project, grid, &element);
}

void release_element_nodes(Project& project, SketchGrid& grid, SuperElement& element,
                           const std::vector<ControlNode*>& nodes)
{
    std::unordered_set<const ControlNode*> gone(nodes.begin(), nodes.end());
    std::vector<ControlNode*> kept;
    std::unordered_map<std::int32_t, std::int32_t> renumbered;
    bool any = false;
    for (ControlNode& node : element.nodes) {
        if (gone.contains(&node)) {
            any = true;
            renumbered[node.nr] = 0;
            continue;
        }
        kept.push_back(&node);
        renumbered[node.nr] = static_cast<std::int32_t>(kept.size());
    }
    if (!any) return;
    if (element.input && gone.contains(element.input)) element.input = nullptr;
    if (element.output && gone.contains(element.output)) element.output = nullptr;
    element.nodes.adopt_order(kept);
    if (grid.allocated()) {
        LevelCells& l = grid.current();
        for (int r = 1; r <= grid.rows() - 2; ++r)
            for (int c = 1; c <= grid.cols() - 2; ++c) {
                std::int32_t& n = l.Ctrls(r, c);
                if (n <= 0 || l.Links(r, c) == 0) continue;
                const auto at = renumbered.find(n);
                if (at != renumbered.end()) n = at->second;
            }
    }
    project.mark_changed();
}

}  // namespace avelor
