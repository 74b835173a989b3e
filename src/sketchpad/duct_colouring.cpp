#include "sketchpad/duct_colouring.h"

#include <cstddef>
#include <optional>

#include "app/diagnostics.h"
#include "app/text_convert.h"
#include "model/cell_codes.h"
#include "model/duct_element.h"
#include "model/project.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/sketch_view.h"
#include "sketchpad/zone_detection.h"

namespace avelor {

namespace {

bool is_fan(const DuctSegment& segment)
{
    return segment.element && is_duct_fan_type(segment.element->type);
}

bool is_terminal(const Junction& node) { return node.icon >= ICN_TERMINAL && node.icon <= ICN_LAST_DUCT_NODE; }

bool in_junction_list(const Project& project, const Junction* node)
{
    return node && project.junctions.at(node->nr) == node;
}

bool level_exists(const Project& project, const Level* level)
{
    for (const Level& l : project.levels)
        if (&l == level) return true;
    return false;
}

// The segment a level's icon entry stands for: a segment icon's own, or
// the downward segment of a node that connects down.
DuctSegment* segment_of_icon(const Project& project, const IconEntry& icon)
{
    if (icon.code >= ICN_SEGMENT_N && icon.code <= ICN_SEGMENT_W) return project.ducts.at(icon.nr);
    if (icon.code == 160 || icon.code == 161 || icon.code == 164) {
        if (const Junction* node = project.junctions.at(icon.nr)) return node->duct;
    }
    return nullptr;
}

enum class Sense { Upstream, Downstream };

// The segments at each node, found once per call: segment i is listed at
// its n node and at its m node, in the order of the segment list.
class DuctAdjacency {
public:
    explicit DuctAdjacency(const Project& project) : project_(project)
    {
        const std::size_t nodes = static_cast<std::size_t>(project.junctions.count()) + 1;
        first_.assign(nodes + 1, 0);
        auto each_end = [&](auto&& visit) {
            for (DuctSegment& d : project.ducts) {
                if (std::optional<std::size_t> n = index_of(d.junction_n)) visit(*n, d);
                if (std::optional<std::size_t> m = index_of(d.junction_m)) visit(*m, d);
            }
        };
        each_end([&](std::size_t node, DuctSegment&) { ++first_[node + 1]; });
        for (std::size_t i = 1; i <= nodes; ++i) first_[i] += first_[i - 1];
        segments_.resize(first_[nodes]);
        std::vector<std::size_t> fill(first_.begin(), first_.end() - 1);
        each_end([&](std::size_t node, DuctSegment& d) { segments_[fill[node]++] = &d; });
    }

    // A node of the junction list, by its number; none for a record the
    // list does not hold.
    std::optional<std::size_t> index_of(const Junction* node) const
    {
        if (!in_junction_list(project_, node)) return std::nullopt;
        return static_cast<std::size_t>(node->nr);
    }
    std::size_t nodes() const { return first_.size() - 1; }
    std::size_t begin(std::size_t node) const { return first_[node]; }
    std::size_t end(std::size_t node) const { return first_[node + 1]; }
    DuctSegment* segment(std::size_t k) const { return segments_[k]; }

private:
    const Project& project_;
    std::vector<std::size_t> first_;
    std::vector<DuctSegment*> segments_;
};

class ColourWalk {
public:
    ColourWalk(const DuctAdjacency& adjacency, const DuctColourOptions& options, DuctSegment& fan)
        : adjacency_(adjacency), options_(options), fan_(fan), visited_(adjacency.nodes(), 0)
    {
    }

    // Colours from node start, arrived at by segment arrived.
    void walk(Junction& start, const DuctSegment& arrived, Sense sense, std::int16_t colour)
    {
        sense_ = sense;
        colour_ = colour;
        stack_.clear();
        if (enter(start, arrived)) return;
        while (!stack_.empty()) {
            Frame& f = stack_.back();
            if (f.next == adjacency_.end(f.node)) {
                const bool coloured = f.coloured;
                if (!coloured) f.junction->clr = f.old_colour;
                stack_.pop_back();
                if (stack_.empty()) return;
                if (coloured) colour_segment(stack_.back());
                continue;
            }
            DuctSegment* i = adjacency_.segment(f.next++);
            if (i == f.arrived) continue;
            Junction* beyond = node_beyond(*i, *f.junction);
            if (!beyond) continue;
            f.trying = i;
            // enter() may grow the stack: f is not used after it.
            if (enter(*beyond, *i)) colour_segment(stack_.back());
        }
    }

private:
    struct Frame {
        Junction* junction = nullptr;
        std::size_t node = 0;
        const DuctSegment* arrived = nullptr;
        std::size_t next = 0;  // the next of the node's segments to try
        std::int16_t old_colour = 0;
        bool coloured = false;
        DuctSegment* trying = nullptr;
    };

    // True when the node counts as coloured at once: reached before, or a
    // terminal. Otherwise its frame is pushed and its segments tried.
    bool enter(Junction& node, const DuctSegment& arrived)
    {
        const std::optional<std::size_t> index = adjacency_.index_of(&node);
        if (!index) return false;
        char& seen = visited_[*index];
        if (seen) return true;
        seen = 1;
        const std::int16_t old = node.clr;
        node.clr = colour_;
        if (is_terminal(node)) return true;
        Frame f;
        f.junction = &node;
        f.node = *index;
        f.arrived = &arrived;
        f.next = adjacency_.begin(*index);
        f.old_colour = old;
        stack_.push_back(f);
        return false;
    }

    // The node a walk reaches over segment i from node j, or none when it
    // may not pass i.
    Junction* node_beyond(const DuctSegment& i, const Junction& j) const
    {
        if (!is_fan(i)) return i.junction_n == &j ? i.junction_m : i.junction_n;
        if (options_.passing == FansInSystem::StopAtAny) return nullptr;
        if (sense_ == Sense::Upstream) return i.junction_m == &j ? i.junction_n : nullptr;
        return i.junction_n == &j ? i.junction_m : nullptr;
    }

    // The frame's segment led to a coloured node.
    void colour_segment(Frame& f)
    {
        DuctSegment& i = *f.trying;
        // The starting fan keeps its colour when a walk comes round to it.
        const bool fan_colour = &i == &fan_ || (is_fan(i) && options_.fans == FanColouring::AllFans);
        i.clr = fan_colour ? options_.fan_colour : colour_;
        f.coloured = true;
    }

    const DuctAdjacency& adjacency_;
    const DuctColourOptions& options_;
    DuctSegment& fan_;
    std::vector<char> visited_;
    std::vector<Frame> stack_;
    Sense sense_ = Sense::Downstream;
    std::int16_t colour_ = 0;
};

}  // namespace

std::vector<FanDuctEntry> fan_duct_list(const Project& project)
{
    std::vector<FanDuctEntry> list;
    std::vector<char> listed(static_cast<std::size_t>(project.ducts.count()) + 1, 0);
    for (Level& level : project.levels) {
        for (const IconEntry& icon : level.icons) {
            const DuctSegment* d = segment_of_icon(project, icon);
            if (!d || !is_fan(*d) || d->nr < 1 || static_cast<std::size_t>(d->nr) >= listed.size()) continue;
            char& seen = listed[static_cast<std::size_t>(d->nr)];
            if (seen) continue;
            seen = 1;
            list.push_back({d->nr, &level, icon.row, icon.col});
        }
    }
    return list;
}

std::vector<FanDuctEntry> fan_duct_list(Project& project, SketchGrid& grid)
{
    store_current_level(project, grid);
    return fan_duct_list(project);
}

std::string fan_duct_line(const FanDuctEntry& entry)
{
    const char* name = entry.level ? entry.level->name.c_str() : "";
    return format_text("%10d %16s %5d %5d", static_cast<int>(entry.duct), name, entry.row, entry.col);
}

DuctSegment* fan_duct_of(const Project& project, const FanDuctEntry& entry)
{
    if (!level_exists(project, entry.level)) return nullptr;
    DuctSegment* d = project.ducts.at(entry.duct);
    return d && is_fan(*d) ? d : nullptr;
}

bool show_fan_duct(Project& project, SketchGrid& grid, SketchView& view, const FanDuctEntry& entry)
{
    if (!grid.allocated() || !level_exists(project, entry.level)) return false;
    const int row = entry.row - grid.origin.row;
    const int col = entry.col - grid.origin.col;
    if (!grid.in_drawing(row, col)) return false;
    if (project.current_level != entry.level || grid.shown_level(kCurrentLevel) != entry.level)
        goto_level(project, grid, *entry.level);
    grid.cursor = {row, col};
    view.place_cursor(grid, grid.cursor);
    return true;
}

bool set_duct_colours(Project& project, DuctSegment& fan, const DuctColourOptions& options,
                      const SegmentEndFinder& find_ends)
{
    fan.clr = options.fan_colour;
    project.mark_changed();
    auto ends_known = [&] {
        return in_junction_list(project, fan.junction_n) && in_junction_list(project, fan.junction_m);
    };
    if (!ends_known() && find_ends) find_ends(fan);
    if (!ends_known()) {
        report_error(WARNING, {"Encountered Duct with undefined terminal/junction pointer"});
        return false;
    }
    const DuctAdjacency adjacency(project);
    ColourWalk walk(adjacency, options, fan);
    if (options.inlet) walk.walk(*fan.junction_n, fan, Sense::Upstream, options.inlet_colour);
    if (options.outlet) walk.walk(*fan.junction_m, fan, Sense::Downstream, options.outlet_colour);
    return true;
}

void find_fan_duct_ends(Project& project, const SketchGrid& grid, const FanDuctEntry& entry, DuctSegment& segment)
{
    Level* level = entry.level;
    if (!grid.allocated() || !level || grid.shown_level(kCurrentLevel) != level) return;
    const int row = entry.row - grid.origin.row;
    const int col = entry.col - grid.origin.col;
    if (!grid.in_drawing(row, col)) return;
    Junction* const n = segment.junction_n;
    Junction* const m = segment.junction_m;
    const LevelCells& l = grid.current();
    const std::uint8_t code = l.Ducts(row, col);
    if (has_flag(code, CC_DUCT_SEGMENT) && l.Paths(row, col) == segment.nr) {
        relink_duct_segment(project, grid, row, col);
    } else if (is_duct_node(code)) {
        Junction* upper = project.junctions.at(l.Paths(row, col));
        if (!upper || upper->duct != &segment) return;
        Junction* lower = nullptr;
        if (level->below && grid.shown_level(kLevelBelow) == level->below &&
            is_duct_node(grid.below().Ducts(row, col)))
            lower = project.junctions.at(grid.below().Paths(row, col));
        const bool downward = segment.dir == kDirDown;
        segment.junction_n = downward ? upper : lower;
        segment.junction_m = downward ? lower : upper;
    }
    // Only the missing ends are taken from the sketch.
    if (in_junction_list(project, n)) segment.junction_n = n;
    if (in_junction_list(project, m)) segment.junction_m = m;
}

bool set_fan_duct_colours(Project& project, const SketchGrid& grid, const FanDuctEntry& entry,
                          const DuctColourOptions& options)
{
    DuctSegment* fan = fan_duct_of(project, entry);
    if (!fan) return false;
    return set_duct_colours(project, *fan, options,
                            [&](DuctSegment& s) { find_fan_duct_ends(project, grid, entry, s); });
}

}  // namespace avelor
