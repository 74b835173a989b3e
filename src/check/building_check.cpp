#include "check/building_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numeric>
#include <string>

#include "app/diagnostics.h"
#include "app/paths.h"
#include "app/run_log.h"
#include "app/text_convert.h"
#include "check/level_walk.h"
#include "check/path_position.h"
#include "model/duct_element.h"
#include "model/project.h"
#include "outdoor/path_locations.h"
#include "outdoor/wpc_file.h"
#include "prjfile/project_pack.h"
#include "sketchpad/cell_scan.h"
#include "sketchpad/control_links.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/sketch_view.h"
#include "sketchpad/super_sketch.h"
#include "sketchpad/zone_detection.h"

namespace avelor {

using sketch_scan::next_nonzero;

// ---------------------------------------------------------------------------
// Problem list

std::size_t ProblemList::KeyHash::operator()(const Key& k) const
{
    std::size_t h = std::hash<std::string>{}(k.text);
    auto mix = [&h](std::size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); };
    mix(std::hash<const Level*>{}(k.level));
    mix(std::hash<int>{}(k.row));
    mix(std::hash<int>{}(k.col));
    return h;
}

bool ProblemList::add(Level* level, int row, int col, std::string_view text)
{
    std::string kept(text.substr(0, kProblemTextLimit));
    if (!seen_.insert(Key{level, row, col, kept}).second) return false;
    entries_.push_back(Problem{level, row, col, std::move(kept)});
    return true;
}

void ProblemList::clear()
{
    entries_.clear();
    seen_.clear();
}

std::vector<Problem> ProblemList::in_order() const
{
    return std::vector<Problem>(entries_.rbegin(), entries_.rend());
}


void add_problem(ProblemList& problems, Level* level, int row, int col, std::string_view text)
{
    problems.add(level, row, col, text);
}

namespace {

// ---------------------------------------------------------------------------
// Where the records' icons are: the first icon of each record on the levels'
// icon lists, for the checks that report at an item's icon.

struct IconPlace {
    Level* level = nullptr;
    int row = 0;
    int col = 0;
    std::uint8_t code = 0;
};

struct IconPlaces {
    std::vector<IconPlace> zones, paths, junctions, ducts, sources, controls;

    static void note(std::vector<IconPlace>& places, std::int32_t nr, Level* level, const IconEntry& icon)
    {
        if (nr < 1 || static_cast<std::size_t>(nr) >= places.size()) return;
        IconPlace& place = places[static_cast<std::size_t>(nr)];
        if (!place.level) place = IconPlace{level, icon.row, icon.col, icon.code};
    }

    explicit IconPlaces(const Project& p)
        : zones(static_cast<std::size_t>(p.zones.count()) + 1),
          paths(static_cast<std::size_t>(p.paths.count()) + 1),
          junctions(static_cast<std::size_t>(p.junctions.count()) + 1),
          ducts(static_cast<std::size_t>(p.ducts.count()) + 1),
          sources(static_cast<std::size_t>(p.sources.count()) + 1),
          controls(static_cast<std::size_t>(p.controls.count()) + 1)
    {
        for (Level& level : p.levels) {
            for (const IconEntry& icon : level.icons) {
                const std::uint8_t code = icon.code;
                if (code == ICN_ZONE) note(zones, icon.nr, &level, icon);
                else if (has_flag(code, CC_PATH_ICON) && code != ICN_AHS) note(paths, icon.nr, &level, icon);
                else if (is_duct_node(code)) note(junctions, icon.nr, &level, icon);
                else if (has_flag(code, CC_DUCT_SEGMENT)) note(ducts, icon.nr, &level, icon);
                else if (code == ICN_SOURCE) note(sources, icon.nr, &level, icon);
                else if ((code >= 181 && code <= ICN_CTRL_NODE) || code == ICN_CTRL_SUPER)
                    note(controls, icon.nr, &level, icon);
            }
        }
    }
};

void add_at(ProblemList& problems, const std::vector<IconPlace>& places, std::int32_t nr, std::string_view text)
{
    IconPlace place;
    if (nr >= 1 && static_cast<std::size_t>(nr) < places.size()) place = places[static_cast<std::size_t>(nr)];
    problems.add(place.level, place.row, place.col, text);
}

bool is_cfd_zone(const ZoneRef& ref) { return ref.zone() && (ref.zone()->flags & kZoneCfd) != 0; }

// The level below the current one, when the grid shows it.
bool below_shown(const Project& p, const SketchGrid& g)
{
    return p.current_level && p.current_level->below && g.shown_level(kLevelBelow) == p.current_level->below;
}

// ---------------------------------------------------------------------------
// Per-level scans

// An icon-layer code with number 0 (below 1 for zone icons, which are
// placed as undefined): the text of its entry.
std::string_view undefined_icon_text(std::uint8_t code, std::int32_t nr)
{
    switch (code) {
    case ICN_ZONE: return nr < 1 ? "Error: Undefined zone." : "";
    case ICN_PHANTOM: return nr < 1 ? "Error: Undefined phantom zone." : "";
    case ICN_AMBIENT: return nr != ZONE_AMBIENT ? "Error: Undefined ambient zone." : "";
    default: break;
    }
    if (nr != 0 || code == 0) return "";
    if ((code >= 23 && code <= 25) || (code >= 27 && code <= 31)) return "Error: Undefined airflow path.";
    switch (code) {
    case ICN_NOTE: return "Error: Undefined annotation.";
    case ICN_SUPPLY: return "Error: Undefined AHS supply.";
    case ICN_RETURN: return "Error: Undefined AHS return.";
    case ICN_AHS: return "Error: Undefined simple AHS.";
    case ICN_EXPOSURE: return "Error: Undefined occupant.";
    case ICN_SOURCE: return "Error: Undefined source/sink.";
    default: return icon_is_stored(code) ? "Error: Undefined icon." : "";
    }
}

// A duct-layer code with number 0. A plain run piece reports only where
// its run starts in scan order (no connected unnumbered piece to the north
// or west), so one run gives one entry.
std::string_view undefined_duct_text(const LevelCells& l, int r, int c)
{
    const std::uint8_t code = l.Ducts(r, c);
    if (code >= ICN_SEGMENT_N && code <= ICN_SEGMENT_W) return "Error: Undefined duct segment.";
    if (code >= ICN_JUNCTION && code <= 161) return "Error: Undefined duct junction.";
    if (code >= ICN_TERMINAL && code <= ICN_LAST_DUCT_NODE) return "Error: Undefined duct terminal.";
    const std::uint16_t bits = direction_bits(code);
    auto unnumbered_run = [&](int rr, int cc) {
        const std::uint8_t n = l.Ducts(rr, cc);
        return n != 0 && !is_duct_node(n) && l.Paths(rr, cc) == 0;
    };
    if ((bits & CC_DIR_N) && unnumbered_run(r - 1, c)) return "";
    if ((bits & CC_DIR_W) && unnumbered_run(r, c - 1)) return "";
    return "Error: Duct run has no duct segment.";
}

std::string_view undefined_link_text(std::uint8_t code)
{
    if (code >= 181 && code <= 184) return "Error: Undefined control sensor.";
    if (code == ICN_CTRL_NODE || code == ICN_CTRL_PHANTOM) return "Error: Undefined control node.";
    if (code == ICN_CTRL_SUPER) return "Error: Undefined super control node.";
    return "";
}

// A values-file node whose value name its file lacks.
std::string_view undefined_values_node_text(const Project& p, std::int32_t nr)
{
    const ControlNode* node = nr >= 1 ? p.controls.at(nr) : nullptr;
    if (!node || (node->type != kCtCvf && node->type != kCtDvf)) return "";
    const auto* data = std::get_if<ValuesNameData>(&node->data);
    const bool continuous = node->type == kCtCvf;
    const std::vector<std::string>& names = continuous ? p.cvf_values.names : p.dvf_values.names;
    if (data && std::find(names.begin(), names.end(), data->name) != names.end()) return "";
    return continuous ? "Error: Undefined CVF control node." : "Error: Undefined DVF control node.";
}

void fail_box(ProblemList* problems, Level* level, int row, int col, std::string_view entry,
              std::string_view box, int severity)
{
    if (problems)
        problems->add(level, row, col, entry);
    else
        show_message(severity, {box});
}

}  // namespace

int check_path_position(const SketchGrid& grid, const Project& project, int row, int col, ProblemList* problems)
{
    const PathPositionCheck position = check_path_position(grid, project, row, col);
    if (position.ok) return 0;
    if (!problems) {
        if (position.message.empty())
            beep();
        else
            show_message(WARNING, {position.message});
        return 1;
    }
    Level* level = project.current_level;
    const std::uint8_t w = grid.in_drawing(row, col) ? grid.current().Walls(row, col) : 0;
    std::string_view text;
    if (w == ICN_WALL_H) {
        text = "Error: The same zone is on both sides of the wall that the path is on.";
    } else if (w == ICN_WALL_V) {
        text = "Error: The same zone is on both sides of the wall that a path is on.";
    } else if (w != 0 || !grid.in_drawing(row, col)) {
        beep();
        text = "Error: Path is on a wall corner or junction.";
    } else if (!level || !level->below) {
        text = "Error: Vertical path is not above a sublevel.";
    } else if (grid.below().Walls(row, col) != 0) {
        text = "Error: Vertical path is above a sublevel wall.";
    } else {
        text = "Error: The same zone is on both sides of the \"floor\" that the path is on.";
    }
    problems->add(level, row, col, text);
    return 1;
}

int check_junction_connections(const SketchGrid& grid, const Project& project, int row, int col,
                               ProblemList* problems)
{
    if (!grid.in_drawing(row, col)) return 0;
    Level* level = project.current_level;
    const LevelCells& l = grid.current();
    const std::uint8_t c = l.Ducts(row, col);
    const std::uint8_t cb = below_shown(project, grid) ? grid.below().Ducts(row, col) : 0;
    int result = 0;

    const bool down = c == 160 || c == 161 || c == 164;
    const bool up_below = cb == 159 || cb == 161 || cb == 163;
    if (down && !up_below) {
        fail_box(problems, level, row, col,
                 c == 164 ? "Error: Terminal requires an upward junction from the level below."
                          : "Error: Junction requires an upward junction from the level below.",
                 "Icon requires an upward junction on the sublevel", WARNING);
        if (!problems) return 1;
        result = 1;
    }
    if (up_below && !down) {
        fail_box(problems, level, row, col,
                 cb == 163 ? "Error: Terminal requires a downward junction from the level above."
                           : "Error: Junction requires a downward junction from the level above.",
                 "Icon on the sublevel requires a downward junction", WARNING);
        if (!problems) return 1;
        result = 1;
    }

    if (c != 0) {
        int e = 0;
        for (auto [dr, dc] : {std::pair{-1, 0}, std::pair{0, 1}, std::pair{1, 0}, std::pair{0, -1}})
            if (grid.in_grid(row + dr, col + dc) && l.Ducts(row + dr, col + dc) != 0) ++e;
        bool failed = true;
        if (c == ICN_JUNCTION && e <= 1)
            fail_box(problems, level, row, col, "Error: Junction must connect to at least two horizontal ducts.",
                     "Junction must connect to at least two horizontal ducts", WARNING);
        else if ((c == 159 || c == 160) && e == 0)
            fail_box(problems, level, row, col, "Error: Junction must connect to at least one horizontal duct",
                     "Junction must connect to at least one horizontal duct", ERROR);
        else if (c == ICN_TERMINAL && e == 0)
            fail_box(problems, level, row, col, "Error: Terminal must connect to one horizontal duct.",
                     "Terminal must connect to one horizontal duct", WARNING);
        else
            failed = false;
        if (failed) {
            if (!problems) return 1;
            result = 1;
        }
    }

    if (level && !level->above && (c == 159 || c == 161 || c == 163)) {
        fail_box(problems, level, row, col,
                 c == 163 ? "A terminal cannot connect upward from highest level"
                          : "Error: Junction cannot connect upward from highest level",
                 "Junction cannot connect upward from highest level", WARNING);
        result = 1;
    }
    return result;
}

int check_level(CheckScope scope, ProblemList& problems, bool check_mode)
{
    Project& p = scope.project;
    SketchGrid& g = scope.grid;
    Level* level = p.current_level;
    if (!level || !g.allocated() || g.shown_level(kCurrentLevel) != level) return 0;
    const int rows = g.rows();
    const int cols = g.cols();
    const int last_col = cols - 2;
    LevelCells& l = g.current();
    ProblemList* box_or_entry = check_mode ? &problems : nullptr;

    // Zone detection; a conflict is marked on the overlay at each seed that
    // met another zone, and ends the checks of the level.
    g.Scolors.fill(g.colours.background);
    prepare_zone_cells(g, kCurrentLevel);
    if (fill_zones(g, kCurrentLevel, true) != 0) {
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < cols; ++c)
                if (g.Scolors(r, c) == g.colours.errors) problems.add(level, r, c, "Error: Zone definition error.");
        return 1;
    }
    g.Scolors.fill(g.colours.background);
    int result = 0;

    // Unclaimed cells, once per level; zero volumes for transient runs.
    const bool volumes = p.rc.sim_mf > 1 && p.rc.mf_solver != 0;
    bool unclaimed = false;
    auto zone_volume_zero = [&](std::int32_t nr) {
        const Zone* z = nr >= 1 ? p.zones.at(nr) : nullptr;
        return z && z->Vol <= 0;
    };
    for (int r = 1; r <= rows - 2; ++r) {
        if (!unclaimed) {
            const std::int32_t* zones = l.Zones.row(r);
            for (int c = 1; c <= last_col; ++c) {
                if (zones[c] == ZONE_NONE || zones[c] == ZONE_UNDEFINED) {
                    problems.add(level, r, c,
                                 "Error: At least one zone is not defined on level: " + level->name);
                    unclaimed = true;
                    result = 1;
                    break;
                }
            }
        }
        if (!volumes) continue;
        const std::uint8_t* sketch = l.Sketch.row(r);
        for (int c = next_nonzero(sketch, 1, last_col + 1); c <= last_col;
             c = next_nonzero(sketch, c + 1, last_col + 1)) {
            const std::int32_t nr = l.Paths(r, c);
            if (sketch[c] == ICN_ZONE && zone_volume_zero(nr)) {
                problems.add(level, r, c, "Error: Zone has zero volume.");
                result = 1;
            } else if (sketch[c] == ICN_AHS && nr >= 1 && static_cast<std::size_t>(nr) <= p.system_index.size()) {
                const SimpleAhs* s = p.system_index[static_cast<std::size_t>(nr) - 1];
                if (s && zone_volume_zero(s->zr)) {
                    problems.add(level, r, c, "Error: Return system volume of simple AHS is zero.");
                    result = 1;
                }
                if (s && zone_volume_zero(s->zs)) {
                    problems.add(level, r, c, "Error: Supply system volume of simple AHS is zero.");
                    result = 1;
                }
            }
        }
    }

    // Icons in the ambient zone, path positions and duct node connections,
    // bottom row first.
    const bool below = below_shown(p, g);
    for (int r = rows - 2; r >= 1; --r) {
        const std::uint8_t* sketch = l.Sketch.row(r);
        const std::uint8_t* ducts = l.Ducts.row(r);
        const std::uint8_t* under = below ? g.below().Ducts.row(r) : nullptr;
        for (int c = last_col; c >= 1; --c) {
            const std::uint8_t icon = sketch[c];
            if (icon != 0) {
                if (l.Zones(r, c) == ZONE_AMBIENT) {
                    if (icon == ICN_SUPPLY || icon == ICN_RETURN) {
                        problems.add(level, r, c,
                                     "Error: Supplies and Returns of simple AHS are not permitted in the ambient zone.");
                        result = 1;
                    } else if (icon == ICN_SOURCE) {
                        problems.add(level, r, c, "Error: Contaminant source not permitted in the ambient zone.");
                        result = 1;
                    }
                }
                if (has_flag(icon, CC_PATH_ICON) && icon < ICN_SUPPLY &&
                    check_path_position(g, p, r, c, box_or_entry) != 0)
                    result = 1;
            }
            if ((is_duct_node(ducts[c]) || (under && is_duct_node(under[c]))) &&
                check_junction_connections(g, p, r, c, box_or_entry) != 0)
                result = 1;
        }
    }

    // Undefined items on the icon, duct and link layers.
    for (int r = 1; r <= rows - 2; ++r) {
        const std::uint8_t* layers[3] = {l.Sketch.row(r), l.Ducts.row(r), l.Links.row(r)};
        for (int c = sketch_scan::next_nonzero_any(layers, 3, 1, last_col + 1); c <= last_col;
             c = sketch_scan::next_nonzero_any(layers, 3, c + 1, last_col + 1)) {
            const std::int32_t nr = l.Paths(r, c);
            if (layers[0][c] != 0) {
                const std::string_view text = undefined_icon_text(layers[0][c], nr);
                if (!text.empty()) {
                    problems.add(level, r, c, text);
                    result = 1;
                }
            }
            if (layers[1][c] != 0 && nr == 0) {
                const std::string_view text = undefined_duct_text(l, r, c);
                if (!text.empty()) {
                    problems.add(level, r, c, text);
                    result = 1;
                }
            }
            if (layers[2][c] != 0 && l.Ctrls(r, c) == 0) {
                // A link piece of no defined node fails without an entry of
                // its own: its node's entry says why.
                const std::string_view text = undefined_link_text(layers[2][c]);
                if (!text.empty()) problems.add(level, r, c, text);
                result = 1;
            } else if (layers[2][c] == ICN_CTRL_NODE) {
                const std::string_view text = undefined_values_node_text(p, l.Ctrls(r, c));
                if (!text.empty()) {
                    problems.add(level, r, c, text);
                    result = 1;
                }
            }
        }
    }

    // Sensors beside what they sense, actuators beside what they drive.
    if (result != 0) return result;
    for (int r = 1; r <= rows - 2; ++r) {
        const std::uint8_t* links = l.Links.row(r);
        for (int c = next_nonzero(links, 1, last_col + 1); c <= last_col; c = next_nonzero(links, c + 1, last_col + 1)) {
            const int errors =
                check_link_cell(p, g, r, c, [&](std::string_view text) { problems.add(level, r, c, text); });
            if (errors != 0) result = 1;
        }
    }
    return result;
}

int check_unlinked_nodes(CheckScope scope, ProblemList& problems)
{
    Project& p = scope.project;
    const std::size_t zone_count = static_cast<std::size_t>(std::max(0, p.zones.count()));
    const std::size_t junction_count = static_cast<std::size_t>(std::max(0, p.junctions.count()));
    // Nodes: 0 ambient, 1..Z zones, Z+1..Z+J junctions by number.
    const std::size_t nodes = 1 + zone_count + junction_count;
    std::vector<std::size_t> parent(nodes);
    std::iota(parent.begin(), parent.end(), std::size_t{0});
    std::vector<char> seeded(nodes, 0);
    auto find = [&](std::size_t x) {
        while (parent[x] != x) {
            parent[x] = parent[parent[x]];
            x = parent[x];
        }
        return x;
    };
    auto unite = [&](std::size_t a, std::size_t b) {
        a = find(a);
        b = find(b);
        if (a != b) parent[b] = a;
    };
    auto zone_node = [&](const ZoneRef& ref) -> std::ptrdiff_t {
        if (ref.is_ambient()) return 0;
        const Zone* z = ref.zone();
        if (!z || z->nr < 1 || static_cast<std::size_t>(z->nr) > zone_count) return -1;
        return z->nr;
    };
    auto junction_node = [&](const Junction* j) -> std::ptrdiff_t {
        if (!j || j->nr < 1 || static_cast<std::size_t>(j->nr) > junction_count) return -1;
        return static_cast<std::ptrdiff_t>(zone_count) + j->nr;
    };

    seeded[0] = 1;
    for (const Zone& z : p.zones)
        if (z.nr >= 1 && static_cast<std::size_t>(z.nr) <= zone_count && !(z.flags & kZoneVariablePressure))
            seeded[static_cast<std::size_t>(z.nr)] = 1;
    for (const Junction& j : p.junctions)
        if (j.t != 0 && junction_node(&j) >= 0) seeded[static_cast<std::size_t>(junction_node(&j))] = 1;

    for (const FlowPath& path : p.paths) {
        if (!path.has_element()) continue;
        if (path.element && path.element->type >= kFanCmf && path.element->type <= kFanFan) continue;
        const std::ptrdiff_t a = zone_node(path.zone_n);
        const std::ptrdiff_t b = zone_node(path.zone_m);
        if (a >= 0 && b >= 0) unite(static_cast<std::size_t>(a), static_cast<std::size_t>(b));
    }
    // A segment links its ends unless a fan or a forced flow drives it; a
    // terminal end stands for its zone.
    for (const DuctSegment& d : p.ducts) {
        if (d.element && is_duct_fan_type(d.element->type)) continue;
        auto end = [&](const Junction* j) -> std::ptrdiff_t {
            if (!j) return -1;
            return j->t != 0 ? zone_node(j->zone) : junction_node(j);
        };
        const std::ptrdiff_t a = end(d.junction_n);
        const std::ptrdiff_t b = end(d.junction_m);
        if (a >= 0 && b >= 0) unite(static_cast<std::size_t>(a), static_cast<std::size_t>(b));
    }

    std::vector<char> root_linked(nodes, 0);
    for (std::size_t i = 0; i < nodes; ++i)
        if (seeded[i]) root_linked[find(i)] = 1;
    auto linked = [&](std::size_t i) { return seeded[i] || root_linked[find(i)]; };

    std::vector<char> zone_unlinked(zone_count + 1, 0);
    std::vector<char> junction_unlinked(junction_count + 1, 0);
    std::string log;
    for (const Zone& z : p.zones) {
        if (z.nr < 1 || static_cast<std::size_t>(z.nr) > zone_count || linked(static_cast<std::size_t>(z.nr)))
            continue;
        zone_unlinked[static_cast<std::size_t>(z.nr)] = 1;
    }
    for (const Junction& j : p.junctions) {
        const std::ptrdiff_t n = junction_node(&j);
        if (n < 0 || linked(static_cast<std::size_t>(n))) continue;
        junction_unlinked[static_cast<std::size_t>(j.nr)] = 1;
    }
    char line[64];
    for (std::size_t i = 1; i <= zone_count; ++i) {
        if (!zone_unlinked[i]) continue;
        std::snprintf(line, sizeof line, "     zone: %3d\n", static_cast<int>(i));
        log += line;
    }
    for (std::size_t i = 1; i <= junction_count; ++i) {
        if (!junction_unlinked[i]) continue;
        std::snprintf(line, sizeof line, " junction: %3d\n", static_cast<int>(i));
        log += line;
    }
    if (log.empty()) return 0;
    run_log().write("Error: Unlinked nodes:\n");
    run_log().write(log);

    // The highest level that shows one of them gets the entries.
    auto unlinked_icon = [&](const IconEntry& icon) {
        if (icon.nr < 1) return false;
        const std::size_t n = static_cast<std::size_t>(icon.nr);
        if (icon.code == ICN_ZONE || icon.code == ICN_PHANTOM) return n <= zone_count && zone_unlinked[n];
        if (is_duct_node(icon.code)) return n <= junction_count && junction_unlinked[n];
        return false;
    };
    for (Level* level = p.top_level; level; level = level->below) {
        if (std::none_of(level->icons.begin(), level->icons.end(), unlinked_icon)) continue;
        if (scope.grid.allocated()) goto_level(p, scope.grid, *level);
        for (const IconEntry& icon : level->icons) {
            if (!unlinked_icon(icon)) continue;
            problems.add(level, icon.row, icon.col,
                         is_duct_node(icon.code) ? "Error: Junction not connected to ambient by variable flow link."
                                                 : "Error: Zone not connected to ambient by variable flow link.");
        }
        break;
    }
    return 1;
}

namespace {

// The coupled-CFD rules: run-control limits as boxes, then the network
// rules as entries at the items' icons, each group only while nothing
// failed before it.
// The WPC file against the building: the path location file written for
// the converter, no envelope opening at 0,0, the file well formed and
// mapped, and every opening's location in it. Each opening is placed as
// the location list places it (a two-way element at its mid-height), so no
// path is found missing that the list holds.
int check_wpc(Project& p, const std::string& project_path, ProblemList& problems, const IconPlaces& places)
{
    const RunControl& rc = p.rc;
    const auto takes_part = [](const FlowPath& path) {
        return !(path.flags & (kPathRecirculation | kPathExhaust)) &&
               (path.zone_n.is_ambient() || path.zone_m.is_ambient());
    };
    PathLocationList list = build_path_locations(p);
    if (!project_path.empty() && write_path_location_file(p, project_path, list, rc.wp != 0, rc.mf != 0) != 0) {
        show_message(ERROR, {" No paths match the WPC file."});
        return 1;
    }
    if (list.at_origin > 0) {
        for (const FlowPath& path : p.paths)
            if (takes_part(path) && path.X == 0 && path.Y == 0)
                add_at(problems, places.paths, path.nr,
                       "Error: X, Y coordinates of exterior path must be non-zero when using a WPC file.");
        for (const Junction& j : p.junctions)
            if (j.t == kJunctionExposed && j.X == 0 && j.Y == 0)
                add_at(problems, places.junctions, j.nr,
                       "Error: X, Y coordinates of exterior duct terminal must be non-zero when using a WPC file.");
        return 1;
    }
    // A copy: the header's values are the file's, not settings to change.
    RunControl header = rc;
    WpcData data;
    const int read = read_wpc_file(header, input_file_location(rc.wpc_file, project_path), 2, data, true);
    if (read == -1) {
        show_message(ERROR, {"Unable to run simulation due to ill-formed WPC file."});
        return 1;
    }
    const auto in_file = [&](float X, float Y, float Z) {
        for (const WpcLocation& w : data.location_list)
            if (w.flag == 0 && same_location(X, Y, Z, w.X, w.Y, w.Z)) return true;
        return false;
    };
    if (read == 1 || count_unmatched_locations(list, data) > 0) {
        for (const FlowPath& path : p.paths)
            if (takes_part(path) && (path.flags & (kPathWpcPressure | kPathWpcConcentration)) &&
                !in_file(path.X, path.Y, path_location_height(path)))
                add_at(problems, places.paths, path.nr,
                       "Error: Path location (absolute coordinates) not found in the WPC file.");
        for (const Junction& j : p.junctions)
            if (j.t == kJunctionExposed && !in_file(j.X, j.Y, terminal_location_height(j)))
                add_at(problems, places.junctions, j.nr,
                       "Error: Terminal location (absolute coordinates) not found in the WPC file.");
        return 1;
    }
    return 0;
}

int check_cfd(Project& p, ProblemList& problems, const IconPlaces& places)
{
    int result = 0;
    if (p.rc.sim_mf == 3) {
        show_message(WARNING, {"Cannot use CFD with a cyclic contaminant simulation."});
        result = 1;
    }
    if (p.rc.sim_mf > 0) {
        if (std::any_of(p.Ctm.begin(), p.Ctm.end(), [](const Species* s) { return s && s->t != 0; })) {
            show_message(WARNING, {"Cannot use non-trace contaminants in a coupled CFD simulation."});
            result = 1;
        }
        if (p.nctm() > 5) {
            show_message(WARNING, {"No more than 5 contaminants are allowed in a coupled CFD simulation."});
            result = 1;
        }
    }

    const std::size_t before = problems.size();
    auto found = [&] { return problems.size() != before; };
    for (const FlowPath& path : p.paths)
        if (is_cfd_zone(path.zone_n) && is_cfd_zone(path.zone_m))
            add_at(problems, places.paths, path.nr,
                   "Error: Adjacent CFD Zones are not allowed.  Two adjacent CFD zones are connected by this path.");
    if (!found())
        for (const Junction& j : p.junctions)
            if (is_cfd_zone(j.zone)) add_at(problems, places.junctions, j.nr, "Error: Ducts are not allowed in CFD zones.");
    if (!found())
        for (const FlowPath& path : p.paths)
            if ((is_cfd_zone(path.zone_n) || is_cfd_zone(path.zone_m)) && path.cfd_name.empty())
                add_at(problems, places.paths, path.nr, "Error: Path connected to a CFD zone does not have an ID.");
    if (!found())
        for (const SourceSink& s : p.sources)
            if (s.zone && (s.zone->flags & kZoneCfd) && s.cfd_name.empty())
                add_at(problems, places.sources, s.nr,
                       "Error: A Source/Sink inside of a CFD zone does not have a CFD ID.");
    if (found()) return 1;

    if (result == 0 && p.rc.cfd >= 2) {
        // Each interface path takes its boundary condition from its element:
        // the pressure condition for the power-law and backdraft types, the
        // mass flow condition for the constant flow fans; the vent keeps
        // what it has.
        bool changed = false;
        for (FlowPath& path : p.paths) {
            if (path.cfd_name.empty() || !path.element) continue;
            const int type = path.element->type;
            int boundary = -1;
            if (type >= kPlrOrfc && type <= kPlrBdf) boundary = kCfdBoundaryPressure;
            if (type == kFanCmf || type == kFanCvf) boundary = kCfdBoundaryMassFlow;
            if (boundary >= 0 && path.cfd_values[0] != boundary) {
                path.cfd_values[0] = static_cast<std::int16_t>(boundary);
                changed = true;
            }
            std::string_view text;
            if (type >= kQfrQab && type <= kQfrTest2)
                text = "Error: Quadratic Model airflow elements cannot be used for CFD interface paths.";
            else if (type == kDorDoor || type == kDorPl2)
                text = "Error: Two way airflow elements cannot be used for CFD interface paths.";
            else if (type == kFanFan)
                text = "Error: Performance Curve fans cannot be used for CFD interface paths.";
            else if (type >= kCsfFsp && type <= kCsfPsq)
                text = "Error: Cubic Spline airflow elements cannot be used for CFD interface paths.";
            else if (type == kSupAfe)
                text = "Error: Super airflow elements cannot be used for CFD interface paths.";
            if (!text.empty()) add_at(problems, places.paths, path.nr, text);
        }
        if (changed) p.mark_changed();
        if (found()) result = 1;
    }
    return result;
}

// ---------------------------------------------------------------------------
// One-dimensional zones

bool is_one_d(const Zone* zone) { return zone && zone->axs > 0; }

// A point's distance along a zone's axis from its first point, projected
// onto the axis of length L (> 0).
double along_axis(const Zone& zone, double L, float x, float y, float z)
{
    const auto& a = zone.axis;
    const double d[3] = {a[3] - a[0], a[4] - a[1], a[5] - a[2]};
    return ((x - a[0]) * d[0] + (y - a[1]) * d[1] + (z - a[2]) * d[2]) / L;
}

bool within_axis(const Zone& zone, double L, float x, float y, float z)
{
    constexpr double kTolerance = 0.005;  // m
    const double t = along_axis(zone, L, x, y, z);
    return t >= -kTolerance && t <= L + kTolerance;
}

// The one-dimensional zones: each axis long enough and its data sound, and
// every item in such a zone within the extent of its axis. The first error
// ends the checks with 1; the warnings are entries that do not.
int check_one_d_zones(Project& p, ProblemList& problems, const IconPlaces& places)
{
    const std::string location = "location not within extent of 1D zone axis.";
    auto failed = [&](const std::vector<IconPlace>& at, std::int32_t nr, const std::string& text) {
        add_at(problems, at, nr, text);
        return 1;
    };
    for (const Zone& zone : p.zones) {
        if (!is_one_d(&zone)) continue;
        const int n = zone.nr;
        const auto& a = zone.axis;
        const double L = std::sqrt(double(a[3] - a[0]) * (a[3] - a[0]) + double(a[4] - a[1]) * (a[4] - a[1]) +
                                   double(a[5] - a[2]) * (a[5] - a[2]));
        if (L < 0.01)
            return failed(places.zones, n,
                          format_text("%s %d %s %g %s", "Error: Zone ", n, "1D axis length (", L,
                                      " m) must be greater than 0.01 m."));
        if (L < 1.0)
            add_at(problems, places.zones, n,
                   format_text("%s %d %s %g %s", "Warning; Zone ", n, "1D axis length (", L,
                               " m) is less than 1.0 m."));
        if (a[6] < 0.01f)
            add_at(problems, places.zones, n,
                   format_text("%s %d %s%g %s", "Warning: Zone ", n, "1D cell length (", double(a[6]),
                               " m) is less than 0.01 m."));
        if (a[7] < 0.0f)
            return failed(places.zones, n,
                          format_text("Error: Zone %d axial diffusion coef. must be greater than 0.0.", n));

        for (const SourceSink& source : p.sources) {
            if (source.zone != &zone) continue;
            const auto& lo = source.box_min;
            const auto& hi = source.box_max;
            if (!within_axis(zone, L, lo[0], lo[1], lo[2]))
                return failed(places.sources, source.nr,
                              format_text("Error: Source %d Min point not located within extent of 1D zone axis.",
                                          source.nr));
            if (!within_axis(zone, L, hi[0], hi[1], hi[2]))
                return failed(places.sources, source.nr,
                              format_text("Error: Source %d Max point not located within extent of 1D zone axis.",
                                          source.nr));
        }
        for (const Junction& j : p.junctions) {
            if (j.zone.zone() != &zone || within_axis(zone, L, j.X, j.Y, j.relHt)) continue;
            return failed(places.junctions, j.nr,
                          format_text("Error: %s %d %s", j.t != 0 ? "Terminal" : "Junction", j.nr, location.c_str()));
        }
        for (const FlowPath& path : p.paths) {
            if (path.zone_n.zone() != &zone && path.zone_m.zone() != &zone) continue;
            if (within_axis(zone, L, path.X, path.Y, path.relHt)) continue;
            const auto at = static_cast<std::size_t>(path.nr);
            const std::uint8_t code = path.nr >= 1 && at < places.paths.size() ? places.paths[at].code : 0;
            const char* kind = code == ICN_SUPPLY ? "Supply" : code == ICN_RETURN ? "Return" : "Path";
            return failed(places.paths, path.nr, format_text("Error: %s %d %s", kind, path.nr, location.c_str()));
        }
        for (const OccupancySchedule& o : p.occupancy_schedules)
            for (const OccupancyPoint& q : o.points) {
                if (q.zone.zone() != &zone || within_axis(zone, L, q.X, q.Y, q.Z)) continue;
                return failed(places.zones, n,
                              format_text("%s %s %s %s %s %s %s %s %s", "Error: Occupancy Schedule:", o.name.c_str(),
                                          "at time", time_text(q.time).c_str(), "Level:",
                                          zone.level ? zone.level->name.c_str() : "", "Zone:", zone.name.c_str(),
                                          "\n Location not within extent of 1D zone axis."));
            }
    }
    return 0;
}

// Every defined terminal of the shown level takes the direction of flow
// from its duct into it: a horizontal terminal from the first neighbour
// holding a duct (above, below, east, west), one that connects up or down
// from the vertical duct.
void orient_terminals(Project& p, const SketchGrid& g)
{
    if (!p.current_level) return;
    const LevelCells& l = g.current();
    for (const IconEntry& icon : p.current_level->icons) {
        if (icon.code < ICN_TERMINAL || icon.code > ICN_LAST_DUCT_NODE || icon.nr < 1) continue;
        Junction* j = p.junctions.at(icon.nr);
        if (!j || j->t == kJunctionPlain) continue;
        const int r = icon.row;
        const int c = icon.col;
        if (!g.in_grid(r, c) || l.Ducts(r, c) != icon.code) continue;
        std::uint8_t d = 0;
        if (icon.code == 163) d = 6;
        else if (icon.code == 164) d = 3;
        else {
            const auto duct = [&](int rr, int cc) { return g.in_grid(rr, cc) && l.Ducts(rr, cc) != 0; };
            if (duct(r - 1, c)) d = 4;
            else if (duct(r + 1, c)) d = 1;
            else if (duct(r, c + 1)) d = 5;
            else if (duct(r, c - 1)) d = 2;
        }
        if (d != 0 && j->terminal.direction() != d) {
            j->terminal.direction() = d;
            p.mark_changed();
        }
    }
}

// Records controlled by a values-file name need that file in the project.
int check_values_file_names(Project& p, ProblemList& problems, const IconPlaces& places)
{
    const auto named = [](const std::string& file) { return !file.empty() && file != "null"; };
    const bool cvf = named(p.rc.continuous_values_file);
    const bool dvf = named(p.rc.discrete_values_file);
    int result = 0;
    auto lacks = [](const ValuesFileHeader& file, const std::string& name) {
        return std::find(file.names.begin(), file.names.end(), name) == file.names.end();
    };
    auto test = [&](const ControlValuesLink& link, std::string_view kind, const std::vector<IconPlace>& at,
                    std::int32_t nr) {
        if (link.kind != 1 && link.kind != 2) return;
        const bool continuous = link.kind == 1;
        const std::string file = continuous ? "cvf" : "dvf";
        if (!(continuous ? cvf : dvf)) {
            add_at(problems, at, nr, "Error: " + std::string(kind) + " uses " + file + " name but no " + file +
                                         " file is set for the project.");
            result = 1;
        } else if (lacks(continuous ? p.cvf_values : p.dvf_values, link.name)) {
            add_at(problems, at, nr, "Error: " + std::string(kind) + " uses " + file + " name but it is not found in the " +
                                         file + " file.");
            result = 1;
        }
    };
    for (const Zone& z : p.zones) test(z.cdvf, "Zone", places.zones, z.nr);
    for (const FlowPath& path : p.paths) test(path.cdvf, "Path", places.paths, path.nr);
    for (const SourceSink& s : p.sources) test(s.cdvf, "Source/Sink", places.sources, s.nr);
    for (const DuctSegment& d : p.ducts) test(d.cdvf, "Duct", places.ducts, d.nr);
    for (const Junction& j : p.junctions) test(j.cdvf, "Junction/Terminal", places.junctions, j.nr);
    return result;
}

// ---------------------------------------------------------------------------
// The control network

// The inputs a node's type needs and the inputs it has from links; an
// instance node needs one when its element has an input node.
int inputs_needed(const ControlNode& node)
{
    if (const auto* instance = std::get_if<SuperInstanceData>(&node.data))
        return instance->element && instance->element->input ? 1 : 0;
    return control_inputs_of_type(node.type);
}
int inputs_linked(const ControlNode& node) { return (node.c1 ? 1 : 0) + (node.c2 ? 1 : 0); }

// Every defined control or super node of the levels with at most two inputs
// has the inputs its type needs; a super node's phantoms are all set.
int check_control_inputs(Project& p, ProblemList& problems)
{
    int result = 0;
    for (Level& level : p.levels) {
        for (const IconEntry& icon : level.icons) {
            if ((icon.code != ICN_CTRL_NODE && icon.code != ICN_CTRL_SUPER) || icon.nr < 1) continue;
            ControlNode* node = p.controls.at(icon.nr);
            if (!node) continue;
            const int needed = inputs_needed(*node);
            if (needed <= 2 && inputs_linked(*node) != needed) {
                problems.add(&level, icon.row, icon.col,
                            "Error: Control has incorrect number of inputs.");
                result = 1;
            }
            const auto* instance = std::get_if<SuperInstanceData>(&node->data);
            if (icon.code != ICN_CTRL_SUPER || !instance) continue;
            for (const ControlNode* copy : instance->copies) {
                if (copy && copy->type == kCtSph && !copy->c1) {
                    problems.add(&level, icon.row, icon.col,
                                "Error: Super node has undefined phantom sub-nodes.");
                    result = 1;
                    break;
                }
            }
        }
    }
    return result;
}

// The instance nodes of the main network that place the element.
int super_element_uses(const Project& p, const SuperElement& element)
{
    int uses = 0;
    for (const ControlNode& node : p.controls)
        if (const auto* instance = std::get_if<SuperInstanceData>(&node.data))
            if (instance->element == &element) ++uses;
    return uses;
}

std::vector<ControlNode*> element_chain(const SuperElement& element)
{
    std::vector<ControlNode*> chain;
    for (ControlNode& node : element.nodes) chain.push_back(&node);
    return chain;
}

// The main network in evaluation order; the nodes of a circular network are
// entries at their icons.
int check_control_sequence(Project& p, ProblemList& problems, const IconPlaces& places)
{
    std::vector<ControlNode*> chain;
    for (ControlNode& node : p.controls) chain.push_back(&node);
    std::vector<ControlNode*> unsequenced;
    if (sequence_controls(chain, nullptr, &unsequenced) == 0) return 0;
    for (const ControlNode* node : unsequenced)
        add_at(problems, places.controls, node->nr,
               "Error: This control cannot be sequenced because it is part of a circular control network.");
    return 1;
}

// Warnings: entries that do not make the check fail.
void add_warnings(Project& p, ProblemList& problems, const IconPlaces& places)
{
    if (p.rc.tsdens != 0) return;
    for (const Zone& z : p.zones) {
        if (!z.schedule) continue;
        add_at(problems, places.zones, z.nr,
               "Warning - A zone uses a temperature schedule.  The vary density flag should be set in the "
               "simulation parameters.");
        return;
    }
}

}  // namespace

int check_building(CheckScope scope, ProblemList& problems, int mode)
{
    Project& p = scope.project;
    SketchGrid& g = scope.grid;
    const bool check = mode >= kCheckBuilding;
    problems.clear();
    user_port().show_status(check ? " Checking building description" : " Renumbering building icons");
    store_current_level(p, g);
    Level* remembered = p.current_level;
    int result = 0;

    // The references the links express are collected afresh as the walk
    // shows each level.
    if (check && p.controls.head()) clear_collected_controls(p);

    const bool walk = g.allocated() && p.lowest_level;
    LevelWalk levels(scope);
    if (walk) {
        const int failed = levels.visit_levels(problems, [&](CheckScope shown, ProblemList& found) {
            const int level_result = check ? check_level(shown, found, true) : 0;
            relink_icons(p, shown.grid);
            if (check) orient_terminals(p, shown.grid);
            return level_result;
        });
        if (failed != 0) result = 1;
    }

    const bool controls = p.controls.head() != nullptr;
    if (check && controls && check_control_inputs(p, problems) != 0) result = 1;

    if (!pack_zones(p)) result = 1;
    if (!pack_network(p)) result = 1;
    for (SuperElement& element : p.super_elements) {
        // The inputs of an element's nodes are what its own sketch links.
        if (check && !element.sketch.empty()) collect_element_links(p, element);
        pack_super_element(element);
        if ((element.f & kSuperDefined) && super_element_uses(p, element) == 0)
            sequence_controls(element_chain(element), &element);
    }
    pack_controls(p);

    // Every icon list rewritten from freshly loaded arrays.
    if (walk) levels.reload_levels();
    set_wpc_flags(p, p.rc.wpc_in_use());

    if (p.changed()) {
        scope.must_save = true;
        p.mark_saved();
    }
    if (walk) levels.show_again(remembered);

    if (check) {
        const IconPlaces places(p);
        if (result == 0 && check_unlinked_nodes(scope, problems) != 0) result = 1;
        if (result == 0 && p.controls.head() && check_control_sequence(p, problems, places) != 0) result = 1;
        // The one-dimensional zone model works with the short time step only.
        if (p.rc.mf_solver == 1 && p.rc.sim_1dz != 0 && check_one_d_zones(p, problems, places) != 0) result = 1;
        add_warnings(p, problems, places);
        if (check_values_file_names(p, problems, places) != 0) result = 1;
        if (p.rc.cfd > 0 && check_cfd(p, problems, places) != 0) result = 1;
        if (p.rc.wpc_in_use() && check_wpc(p, scope.project_path, problems, places) != 0) result = 1;
    }
    if (p.exposures.head() && p.rc.mf_solver > 1)
        show_message(WARNING, {"Occupant exposures will not be computed when using the AM or BDF options for "
                               "Transient Integration method."});
    user_port().show_status("");
    return result;
}

int check_building(CheckScope scope, int mode) { return check_building(scope, scope.problems, mode); }

int run_building_check(CheckScope scope)
{
    const int result = check_building(scope, scope.problems, kCheckBuilding);
    // The problems window says what failed; nothing else tells of a pass.
    if (result == 0 && scope.problems.empty()) show_message(NOTE, {"Building data is complete"});
    return result;
}

int check_current_level(CheckScope scope, ProblemList& problems)
{
    problems.clear();
    const int result = check_level(scope, problems, false);
    if (result == 0 && problems.empty()) show_message(NOTE, {"Level data is complete"});
    return result;
}

// ---------------------------------------------------------------------------
// Problems window

std::vector<std::string> ProblemsWindowModel::rows(const ProblemList& problems)
{
    std::vector<std::string> out;
    out.reserve(problems.size());
    for (std::size_t i = 0; i < problems.size(); ++i) out.push_back(problems.at(i).text);
    return out;
}

bool ProblemsWindowModel::show_row(CheckScope scope, const ProblemList& problems, std::size_t row)
{
    if (row >= problems.size()) return false;
    const Problem& entry = problems.at(row);
    Project& p = scope.project;
    SketchGrid& g = scope.grid;
    if (!g.allocated()) return false;
    // The window stays open while the user edits: the level may be gone.
    Level* level = nullptr;
    for (Level& l : p.levels)
        if (&l == entry.level) level = &l;
    if (!level) return false;
    if (!g.in_drawing(entry.row, entry.col)) {
        report_error(ERROR, {"Bad Highlight Cell"});
        return false;
    }
    if (p.current_level != level || g.shown_level(kCurrentLevel) != level) goto_level(p, g, *level);
    clear_highlight(scope);
    g.cursor = {entry.row, entry.col};
    scope.view.place_cursor(g, g.cursor);
    g.Scolors(entry.row, entry.col) = g.colours.highlight;
    scope.view.problem = {level, {entry.row, entry.col}};
    return true;
}

void ProblemsWindowModel::clear_highlight(CheckScope scope)
{
    SketchGrid& g = scope.grid;
    scope.view.problem = {};
    if (!g.allocated()) return;
    const std::size_t n = g.cells();
    std::uint8_t* colours = g.Scolors.data();
    for (std::size_t i = 0; i < n; ++i)
        if (colours[i] == g.colours.highlight) colours[i] = g.colours.background;
}

}  // namespace avelor
