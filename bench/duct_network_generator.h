// Adds a supply duct system to a generated building (make_building): on
// every floor an outdoor intake terminal, a supply fan (a fan curve), a
// header junction and sub-mains running along every other row of rooms,
// each sub-main junction branching to a supply terminal in its room. The
// sub-mains leak into the rooms they pass. Records as the reader leaves
// them; no SketchPad icons.
#pragma once

#include <cstdint>
#include <vector>

#include "model/duct_element.h"
#include "model/point_lists.h"
#include "model/project.h"

namespace avelor::bench {

// The terminal data a new terminal starts from on its sheet: duct and free
// face areas 0.0314 m2, terminal loss coefficient 0.125, no balance loss,
// maximum balance coefficient 0.8, wall azimuth not set.
inline constexpr float kNewTerminalLoss = 0.125f;
inline TerminalData new_terminal_data()
{
    TerminalData t;
    t.duct_area() = 0.0314f;
    t.free_face_area() = 0.0314f;
    t.loss_coefficient() = kNewTerminalLoss;
    t.max_balance_coefficient() = 0.8f;
    t.wall_azimuth() = -1;
    return t;
}

struct DuctSystemOptions {
    int floors = 4;
    int rows = 20, cols = 25;  // rooms per floor, as the building's
    int submains = 10;         // per floor, along rows 0, 2, 4, ...
    int terminals = 25;        // per sub-main
    float duct_height = 2.5f;  // m above the floor
};

namespace detail {

inline DuctElement* add_round_duct(Project& p, const char* name, float D, float leak_rate)
{
    DuctElement e = new_duct_element(kDctDwc, NewElementContext{});
    e.name = name;
    e.shape.Dh = D;
    derive_shape(e.shape);
    e.shape.leak_rate = leak_rate;
    e.shape.leak_dP = 1;
    std::get<DarcyData>(e.data).Dh = e.shape.Dh;
    std::get<DarcyData>(e.data).area = e.shape.area;
    return p.duct_elements.insert_copy(e);
}

}  // namespace detail

// The building's levels must be numbered 1..floors from the ground and its
// zones floor by floor, row by row, as make_building makes them.
inline void add_duct_system(Project& p, const DuctSystemOptions& o = {})
{
    DuctElement fan = new_duct_element(kDctFan, NewElementContext{});
    fan.name = "supply_fan";
    fan.shape.Dh = 0.8f;
    derive_shape(fan.shape);
    FanData& curve = std::get<FanData>(fan.data);
    // 600 Pa at no flow, falling to nothing at about 8.8 kg/s.
    for (float F : {0.0f, 2.0f, 4.0f, 6.0f, 8.0f, 8.8f}) {
        FanPoint point;
        point.F = F;
        point.dP = 600 - 20 * F - 0.6f * F * F * F;
        point.rP = point.dP;
        curve.points.push_back(point);
    }
    fit_fan_curve(curve);
    DuctElement* fan_element = p.duct_elements.insert_copy(fan);
    DuctElement* main = detail::add_round_duct(p, "main", 0.8f, 0);
    DuctElement* submain = detail::add_round_duct(p, "submain", 0.3f, 0.05f);
    DuctElement* branch = detail::add_round_duct(p, "branch", 0.1f, 0);

    const auto node = [&](Level* level, ZoneRef zone, std::int16_t t, float K) {
        Junction j;
        j.zone = zone;
        j.relHt = o.duct_height;
        j.T0 = 293.15f;
        j.t = t;
        if (t != 0) {
            j.terminal = new_terminal_data();
            j.terminal.loss_coefficient() = K;
        }
        Junction* stored = add_junction(p, j);
        stored->level = level;
        return stored;
    };
    const auto segment = [&](Junction* n, Junction* m, DuctElement* e, float len, float sllc) {
        DuctSegment d;
        d.junction_n = n;
        d.junction_m = m;
        d.element = e;
        d.len = len;
        d.sllc = sllc;
        p.ducts.add(d);
    };
    const int per_floor = o.rows * o.cols;
    for (int f = 0; f < o.floors; ++f) {
        Level* level = p.levels.at(f + 1);
        const auto room = [&](int r, int c) { return p.zones.at(f * per_floor + r * o.cols + c + 1); };
        Junction* intake = node(level, ZoneRef::ambient(), kJunctionExposed, 0.5f);
        Junction* header = node(level, room(0, 0), kJunctionPlain, 0);
        segment(intake, header, fan_element, 2, 0);
        for (int s = 0; s < o.submains; ++s) {
            const int r = 2 * s;
            Junction* previous = header;
            for (int k = 0; k < o.terminals; ++k) {
                Junction* j = node(level, room(r, k), kJunctionPlain, 0);
                segment(previous, j, k == 0 ? main : submain, k == 0 ? 3.0f * static_cast<float>(r + 1) : 4.0f,
                        k == 0 ? 1.0f : 0.2f);
                Junction* terminal = node(level, room(r, k), kJunctionTerminal, 2.0f);
                segment(j, terminal, branch, 2, 1.0f);
                previous = j;
            }
        }
    }
}

}  // namespace avelor::bench
