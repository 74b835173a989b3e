// Builds airflow networks for the engine in memory, as the project reader
// would leave them: levels linked below and above, zones with variable
// pressure on their level, derived power-law elements and flow paths with
// their elevations, multipliers and wind pressures. No SketchPad icons are
// made: the engine does not read them.
//
// make_building: floors of rows x cols rooms, each room leaking to its
// neighbours through its walls and to the outdoors through its exterior
// walls (with a constant wind pressure on the windward side), floors
// joined by vertical shafts at a few rooms per floor.
// make_lattice: the same with every room leaking to the room above, a
// three-dimensional lattice.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/airflow_element.h"
#include "model/airflow_rules.h"
#include "model/project.h"

namespace avelor::bench {

// A level at refHt, linked above the project's current top level, made
// the current level.
inline Level* add_network_level(Project& p, const std::string& name, float refHt, float delHt)
{
    Level level;
    level.name = name;
    level.refHt = refHt;
    level.delHt = delHt;
    Level* stored = p.levels.add(level);
    stored->below = p.top_level;
    if (p.top_level) p.top_level->above = stored;
    if (!p.lowest_level) p.lowest_level = stored;
    p.top_level = stored;
    p.current_level = stored;
    return stored;
}

// A new element of the type with its defaults, changed by edit, derived
// as the element dialog's OK does and stored under name.
template <class Edit>
AirflowElement* add_network_element(Project& p, const std::string& name, int type, Edit edit)
{
    NewElementState state;
    AirflowElement element = new_airflow_element(type, NewElementContext{}, state);
    element.name = name;
    edit(element);
    if (type != kSupAfe) derive_element(element);
    return p.elements.insert_copy(element);
}

// A zone on the current level; constant pressure P0 when variable is false.
inline Zone* add_network_zone(Project& p, const std::string& name, float T0, float volume,
                              float relHt = 0, bool variable = true, float P0 = 0)
{
    Zone zone = new_zone(p);
    zone.name = name;
    zone.T0 = T0;
    zone.Vol = volume;
    zone.relHt = relHt;
    zone.P0 = P0;
    if (!variable) zone.flags = static_cast<std::uint16_t>(zone.flags & ~kZoneVariablePressure);
    return add_zone(p, zone);
}

// A path n -> m on the current level; a non-zero wind pressure on a path
// with an outdoor side sets its constant wind pressure.
inline FlowPath* add_network_path(Project& p, ZoneRef n, ZoneRef m, AirflowElement* element,
                                  float relHt = 0, float mult = 1, float wPset = 0)
{
    FlowPath path;
    path.zone_n = n;
    path.zone_m = m;
    path.element = element;
    path.relHt = relHt;
    path.mult = mult;
    path.icn = element ? element->icon : kIconSmallOpening;
    path.wazm = -1;
    if (wPset != 0 && (n.is_ambient() || m.is_ambient())) {
        path.flags |= 0x01;
        path.wPset = wPset;
    }
    return add_path(p, path);
}

struct NetworkOptions {
    int floors = 20;
    int rows = 20;          // rooms per floor, north to south
    int cols = 25;          // rooms per floor, west to east
    int shafts = 20;        // shafts per floor (ignored by the lattice)
    float floor_height = 3; // m
    float zone_T = 293.15f; // K
    float outdoor_T = 273.15f;  // steady weather, K
    float wind_pressure = 4;    // Pa on the north walls, -2 on the south walls
};

namespace detail {

inline std::unique_ptr<Project> make_network(const NetworkOptions& o, bool lattice)
{
    auto p = std::make_unique<Project>();
    p->description = lattice ? "Generated lattice network" : "Generated building network";
    p->rc.steady.Ta = o.outdoor_T;
    AirflowElement* wall = add_network_element(*p, "wall", kPlrLeak1, [](AirflowElement& e) {
        std::get<LeakageData>(e.data).area1 = 0.002f;
    });
    AirflowElement* facade = add_network_element(*p, "facade", kPlrLeak1, [](AirflowElement& e) {
        std::get<LeakageData>(e.data).area1 = 0.001f;
    });
    AirflowElement* shaft = add_network_element(*p, "shaft", kPlrOrfc, [](AirflowElement& e) {
        orifice_set_area(std::get<OrificeData>(e.data), 0.05f);
    });
    AirflowElement* slab = add_network_element(*p, "slab", kPlrLeak1, [](AirflowElement& e) {
        std::get<LeakageData>(e.data).area1 = 0.0005f;
    });

    const int per_floor = o.rows * o.cols;
    std::vector<Zone*> zones;
    zones.reserve(static_cast<std::size_t>(o.floors * per_floor));
    const ZoneRef outdoors = ZoneRef::ambient();
    for (int f = 0; f < o.floors; ++f) {
        add_network_level(*p, std::string(1, 'L').append(std::to_string(f + 1)), o.floor_height * static_cast<float>(f),
                          o.floor_height);
        for (int r = 0; r < o.rows; ++r)
            for (int c = 0; c < o.cols; ++c)
                zones.push_back(add_network_zone(
                    *p, std::string(1, 'F').append(std::to_string(f + 1)).append("_").append(std::to_string(r + 1)).append("_").append(std::to_string(c + 1)),
                    o.zone_T, 75));
        const auto at = [&](int r, int c) {
            return zones[static_cast<std::size_t>(f * per_floor + r * o.cols + c)];
        };
        for (int r = 0; r < o.rows; ++r)
            for (int c = 0; c < o.cols; ++c) {
                Zone* z = at(r, c);
                if (c + 1 < o.cols) add_network_path(*p, z, at(r, c + 1), wall, 1);
                if (r + 1 < o.rows) add_network_path(*p, z, at(r + 1, c), wall, 1);
                if (r == 0) add_network_path(*p, outdoors, z, facade, 1.5f, 1, o.wind_pressure);
                if (r + 1 == o.rows) add_network_path(*p, outdoors, z, facade, 1.5f, 1, -0.5f * o.wind_pressure);
                if (c == 0 || c + 1 == o.cols) add_network_path(*p, outdoors, z, facade, 1.5f);
            }
        if (f == 0) continue;
        // Vertical links from the floor below, as paths of this level at
        // its floor.
        const auto below = [&](int r, int c) {
            return zones[static_cast<std::size_t>((f - 1) * per_floor + r * o.cols + c)];
        };
        if (lattice) {
            for (int r = 0; r < o.rows; ++r)
                for (int c = 0; c < o.cols; ++c) add_network_path(*p, below(r, c), at(r, c), slab, 0);
        } else {
            for (int s = 0; s < o.shafts; ++s) {
                const int k = static_cast<int>((static_cast<long long>(s) * per_floor) / std::max(1, o.shafts));
                add_network_path(*p, below(k / o.cols, k % o.cols), at(k / o.cols, k % o.cols), shaft, 0);
            }
        }
    }
    return p;
}

}  // namespace detail

inline std::unique_ptr<Project> make_building(const NetworkOptions& options = {})
{
    return detail::make_network(options, false);
}

inline std::unique_ptr<Project> make_lattice(const NetworkOptions& options = {})
{
    return detail::make_network(options, true);
}

}  // namespace avelor::bench
