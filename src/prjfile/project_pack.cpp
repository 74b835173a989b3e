#include "prjfile/project_pack.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "app/diagnostics.h"
#include "app/run_log.h"
#include "model/airflow_element.h"

namespace avelor {

namespace {

// New numbers for the records of one list, given in order of first
// appearance. Nothing changes in the list until commit.
template <class T>
class Renumbering {
public:
    explicit Renumbering(NumberedList<T>& list)
        : list_(list), new_of_(static_cast<std::size_t>(list.count()) + 1, 0)
    {
    }

    // The record that has number old now, or null.
    T* record(std::int32_t old) const
    {
        return old >= 1 && old <= list_.count() ? list_.at(old) : nullptr;
    }

    // Gives the record the next number unless it has one already and
    // returns its new number; 0 for a record that is not in the list.
    std::int32_t take(T* r)
    {
        if (!r || record(r->nr) != r) return 0;
        std::int32_t& n = new_of_[static_cast<std::size_t>(r->nr)];
        if (n == 0) {
            order_.push_back(r);
            n = static_cast<std::int32_t>(order_.size());
        }
        return n;
    }
    std::int32_t take_number(std::int32_t old) { return take(record(old)); }

    // The new number of the record numbered old, 0 when no walk reached it.
    std::int32_t new_number(std::int32_t old) const
    {
        return record(old) ? new_of_[static_cast<std::size_t>(old)] : 0;
    }

    // Rebuilds the list in the new order and verifies it.
    void commit()
    {
        list_.adopt_order(order_);
        list_check(list_);
    }

private:
    NumberedList<T>& list_;
    std::vector<std::int32_t> new_of_;  // by old number
    std::vector<T*> order_;
};

// The levels from the top level down to the lowest.
std::vector<Level*> levels_top_down(Project& project)
{
    std::vector<Level*> levels;
    for (Level& level : project.levels) levels.push_back(&level);
    return {levels.rbegin(), levels.rend()};
}

SimpleAhs* system_numbered(const Project& project, std::int32_t n)
{
    if (n < 1 || n > static_cast<std::int32_t>(project.system_index.size())) return nullptr;
    return project.system_index[static_cast<std::size_t>(n - 1)];
}

bool is_path_icon(std::uint8_t code)
{
    return (code >= 23 && code <= 25) || (code >= 27 && code <= 31) || code == 128 || code == 129;
}
bool is_duct_piece_icon(std::uint8_t code) { return code >= 145 && code <= 151; }
bool is_duct_segment_icon(std::uint8_t code) { return code >= 154 && code <= 157; }
bool is_junction_icon(std::uint8_t code) { return code >= 158 && code <= 164; }

constexpr std::uint8_t kIconZone = 5;
constexpr std::uint8_t kIconPhantom = 6;
constexpr std::uint8_t kIconNote = 42;
constexpr std::uint8_t kIconAhs = 130;
constexpr std::uint8_t kIconExposure = 131;
constexpr std::uint8_t kIconSource = 133;
// A zone or phantom icon whose zone is gone.
constexpr std::int32_t kUndefinedZone = -2;

bool is_super_path(const FlowPath& path)
{
    return path.has_element() && path.element && path.element->type == kSupAfe;
}

}  // namespace

bool pack_zones(Project& project)
{
    Renumbering<Zone> zones(project.zones);
    // The systems' new zone numbers, by system number.
    const std::size_t nsystems = project.system_index.size();
    std::vector<std::int32_t> new_zr(nsystems + 1, 0);
    std::vector<std::int32_t> new_zs(nsystems + 1, 0);
    std::vector<bool> reached(nsystems + 1, false);

    for (Level* level : levels_top_down(project)) {
        std::vector<SimpleAhs*> systems;
        for (const IconEntry& icon : level->icons) {
            if (icon.nr < 1) continue;
            if (icon.code == kIconZone) {
                zones.take_number(icon.nr);
            } else if (icon.code == kIconSimpleAhs) {
                if (SimpleAhs* system = system_numbered(project, icon.nr)) systems.push_back(system);
            }
        }
        if (systems.size() > kMaxSystemsPerLevel) {
            report_error(ERROR, {"Too many systems on one level"});
            return false;
        }
        for (SimpleAhs* system : systems) {
            const auto n = static_cast<std::size_t>(system->nr);
            if (n < 1 || n > nsystems || reached[n]) continue;
            reached[n] = true;
            new_zr[n] = zones.take_number(system->zr);
            new_zs[n] = zones.take_number(system->zs);
        }
    }

    for (Level& level : project.levels) {
        for (IconEntry& icon : level.icons) {
            if ((icon.code != kIconZone && icon.code != kIconPhantom) || icon.nr < 1) continue;
            const std::int32_t n = zones.new_number(icon.nr);
            icon.nr = n > 0 ? n : kUndefinedZone;
        }
    }
    for (std::size_t n = 1; n <= nsystems; ++n) {
        SimpleAhs* system = project.system_index[n - 1];
        // A system no icon shows keeps no zones: its numbers become 0, which
        // the writer refuses rather than pass to other zones.
        system->zr = reached[n] ? new_zr[n] : zones.new_number(system->zr);
        system->zs = reached[n] ? new_zs[n] : zones.new_number(system->zs);
    }
    zones.commit();
    return true;
}

bool pack_network(Project& project)
{
    Renumbering<FlowPath> paths(project.paths);
    Renumbering<Annotation> notes(project.notes);
    Renumbering<Exposure> exposures(project.exposures);
    Renumbering<SourceSink> sources(project.sources);
    Renumbering<DuctSegment> ducts(project.ducts);
    Renumbering<Junction> junctions(project.junctions);
    Renumbering<Filter> filters(project.filters);

    // Filters have no icons: each takes its number right after the record
    // that carries it.
    for (Level* level : levels_top_down(project)) {
        for (const IconEntry& icon : level->icons) {
            if (icon.nr < 1) continue;
            const std::uint8_t code = icon.code;
            if (is_path_icon(code)) {
                FlowPath* path = paths.record(icon.nr);
                if (!path) continue;
                paths.take(path);
                filters.take(path->filter);
                if (is_super_path(*path))
                    for (FlowPath* sub : project.sub_paths.of(path)) {
                        paths.take(sub);
                        filters.take(sub->filter);
                    }
            } else if (code == kIconAhs) {
                if (SimpleAhs* system = system_numbered(project, icon.nr)) {
                    for (std::int32_t n : {system->pr, system->ps})
                        if (FlowPath* path = paths.record(n)) filters.take(path->filter);
                }
            } else if (code == kIconNote) {
                notes.take_number(icon.nr);
            } else if (code == kIconExposure) {
                exposures.take_number(icon.nr);
            } else if (code == kIconSource) {
                sources.take_number(icon.nr);
            } else if (is_duct_segment_icon(code)) {
                if (DuctSegment* duct = ducts.record(icon.nr)) {
                    ducts.take(duct);
                    filters.take(duct->filter);
                }
            } else if (is_junction_icon(code)) {
                Junction* junction = junctions.record(icon.nr);
                if (!junction) continue;
                junctions.take(junction);
                if (code <= 161)
                    junction->t = 0;
                else if (junction->t == 0)
                    junction->t = 1;
                if (junction->duct) {
                    ducts.take(junction->duct);
                    filters.take(junction->duct->filter);
                }
                filters.take(junction->terminal.filter);
            }
        }
    }
    // The systems' own paths come after every drawn path.
    for (SimpleAhs* system : project.system_index) {
        system->pr = paths.take_number(system->pr);
        system->ps = paths.take_number(system->ps);
        system->px = paths.take_number(system->px);
    }

    for (Level& level : project.levels) {
        for (IconEntry& icon : level.icons) {
            if (icon.nr < 1) continue;
            const std::uint8_t code = icon.code;
            if (is_path_icon(code))
                icon.nr = paths.new_number(icon.nr);
            else if (code == kIconNote)
                icon.nr = notes.new_number(icon.nr);
            else if (code == kIconExposure)
                icon.nr = exposures.new_number(icon.nr);
            else if (code == kIconSource)
                icon.nr = sources.new_number(icon.nr);
            else if (is_duct_segment_icon(code) || is_duct_piece_icon(code))
                icon.nr = ducts.new_number(icon.nr);
            else if (is_junction_icon(code))
                icon.nr = junctions.new_number(icon.nr);
        }
    }
    paths.commit();
    notes.commit();
    exposures.commit();
    sources.commit();
    ducts.commit();
    junctions.commit();
    filters.commit();
    for (Junction& junction : project.junctions) junction.duct_nr = junction.duct ? junction.duct->nr : 0;
    return true;
}

namespace {

bool is_control_node_icon(std::uint8_t code) { return (code >= 181 && code <= 185) || code == 187; }
bool is_link_layer_icon(std::uint8_t code) { return code >= 168 && code <= 187; }
constexpr std::uint8_t kIconSuperNode = 187;

// A reference to a node that the renumbering dropped names none.
void drop_stale(ControlNode*& ref)
{
    if (ref && ref->nr == 0) ref = nullptr;
}

}  // namespace

bool pack_controls(Project& project)
{
    Renumbering<ControlNode> nodes(project.controls);
    for (Level* level : levels_top_down(project)) {
        for (const IconEntry& icon : level->icons) {
            if (icon.nr < 1 || !is_control_node_icon(icon.code)) continue;
            ControlNode* node = nodes.record(icon.nr);
            nodes.take(node);
            // An instance's copies of its element's nodes follow it.
            if (icon.code != kIconSuperNode || !node) continue;
            if (const auto* instance = std::get_if<SuperInstanceData>(&node->data))
                for (ControlNode* copy : instance->copies) nodes.take(copy);
        }
    }
    for (Level& level : project.levels)
        for (IconEntry& icon : level.icons)
            if (icon.nr >= 1 && is_link_layer_icon(icon.code)) icon.nr = nodes.new_number(icon.nr);
    nodes.commit();

    for (ControlNode& node : project.controls) {
        for_each_node_reference(node, [](ControlNode*& ref) { drop_stale(ref); });
        if (auto* list = std::get_if<InputListData>(&node.data)) std::erase(list->inputs, nullptr);
        if (auto* instance = std::get_if<SuperInstanceData>(&node.data)) std::erase(instance->copies, nullptr);
    }
    for (Zone& r : project.zones) drop_stale(r.control);
    for (FlowPath& r : project.paths) drop_stale(r.control);
    for (Junction& r : project.junctions) drop_stale(r.control);
    for (DuctSegment& r : project.ducts) drop_stale(r.control);
    for (SourceSink& r : project.sources) drop_stale(r.control);
    return true;
}

void pack_super_element(SuperElement& element)
{
    if (element.sketch.empty()) {
        run_log().write("Super Element has no subnodes.\n");
        return;
    }
    std::vector<ControlNode*> order;
    std::vector<std::int32_t> new_of(static_cast<std::size_t>(element.nodes.count()) + 1, 0);
    for (const SketchIcon& icon : element.sketch) {
        if (icon.code < 181 || icon.code > 189) continue;
        ControlNode* node = element.nodes.at(icon.nr);
        if (!node || new_of[static_cast<std::size_t>(icon.nr)] != 0) continue;
        order.push_back(node);
        new_of[static_cast<std::size_t>(icon.nr)] = static_cast<std::int32_t>(order.size());
    }
    for (SketchIcon& icon : element.sketch)
        if (icon.nr >= 1 && icon.code >= 168 && icon.code <= 189)
            icon.nr = icon.nr <= element.nodes.count() ? new_of[static_cast<std::size_t>(icon.nr)] : 0;
    const auto kept = [&](ControlNode* node) { return node && std::find(order.begin(), order.end(), node) != order.end(); };
    if (!kept(element.input)) element.input = nullptr;
    if (!kept(element.output)) element.output = nullptr;
    element.nodes.adopt_order(order);
}

void set_wpc_flags(Project& project, bool wpc_in_use)
{
    constexpr std::uint16_t kWpc = kPathWpcPressure | kPathWpcConcentration;
    for (FlowPath& path : project.paths) {
        path.flags = static_cast<std::uint16_t>(path.flags & ~kWpc);
        if (!wpc_in_use || !(path.zone_n.is_ambient() || path.zone_m.is_ambient())) continue;
        const bool has_element = path.has_element() && path.element;
        if (has_element || (path.flags & kPathOutdoorAir))
            path.flags = static_cast<std::uint16_t>(path.flags | kWpc);
        else if (!(path.flags & (kPathRecirculation | kPathExhaust)))
            report_error(ERROR, {"WPC definition error for path ", std::to_string(path.nr)});
    }
    for (Junction& junction : project.junctions) {
        junction.flags = static_cast<std::uint16_t>(junction.flags & ~kWpc);
        if (wpc_in_use && junction.t == 3 && junction.zone.is_ambient())
            junction.flags = static_cast<std::uint16_t>(junction.flags | kWpc);
    }
}

void rebuild_sub_paths(Project& project)
{
    project.sub_paths.clear();
    const std::int32_t count = project.paths.count();
    std::vector<bool> shown(static_cast<std::size_t>(count) + 1, false);
    for (const Level& level : project.levels)
        for (const IconEntry& icon : level.icons)
            if (is_path_icon(icon.code) && icon.nr >= 1 && icon.nr <= count)
                shown[static_cast<std::size_t>(icon.nr)] = true;

    for (std::int32_t i = 1; i <= count; ++i) {
        FlowPath* parent = project.paths.at(i);
        if (!parent || !is_super_path(*parent)) continue;
        const auto* super = std::get_if<SuperData>(&parent->element->data);
        if (!super || super->subs.empty()) continue;
        const auto k = static_cast<std::int32_t>(super->subs.size());
        if (k > count - i) continue;
        std::vector<FlowPath*> subs;
        for (std::int32_t j = i + 1; j <= i + k; ++j) {
            FlowPath* sub = project.paths.at(j);
            if (!sub || shown[static_cast<std::size_t>(j)] || (sub->flags & kPathAhs) || is_super_path(*sub))
                break;
            subs.push_back(sub);
        }
        if (static_cast<std::int32_t>(subs.size()) != k) continue;
        for (FlowPath* sub : subs) project.sub_paths.append(parent, sub);
        i += k;
    }
}

}  // namespace avelor
