// Builds large, valid projects in memory: every level a grid of rooms
// enclosed by walls, a zone icon in each room and flow paths through the
// walls between neighbouring rooms and to the outdoors.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>
#include <string>

#include "model/airflow_element.h"
#include "model/airflow_rules.h"
#include "model/project.h"

namespace avelor::bench {

struct GeneratorOptions {
    int levels = 20;
    int room_rows = 20;  // rooms per level, north to south
    int room_cols = 25;  // rooms per level, west to east
    // Paths through each wall between rooms side by side (1 or 2) and
    // between rooms one above the other on the drawing (1).
    int paths_per_vertical_wall = 2;
    std::string description = "Generated test building";
};

// Each room is 5 by 5 cells inside walls on every sixth row and column.
inline constexpr int kRoomPitch = 6;

inline void add_species(Project& p, const char* name, float molwt, float ccdef, bool non_trace)
{
    Species s;
    s.name = name;
    s.molwt = molwt;
    s.CCdef = ccdef;
    s.t = non_trace ? 1 : 0;
    s.s = 1;
    p.species.insert_copy(s);
}

inline void generate_project(Project& p, const GeneratorOptions& o)
{
    p.description = o.description;
    p.rc.rows = static_cast<std::int16_t>(std::max(58, o.room_rows * kRoomPitch + 3));
    p.rc.cols = static_cast<std::int16_t>(std::max(66, o.room_cols * kRoomPitch + 3));
    p.rc.orgRow = static_cast<std::int16_t>(p.rc.rows - 2);

    // Air and one trace contaminant.
    add_species(p, "N2", 28.0134f, 0.77f, true);
    add_species(p, "O2", 31.9988f, 0.23f, true);
    add_species(p, "CO2", 44.01f, 6.0e-4f, false);
    p.Ctm = {p.species.find_by_name("N2"), p.species.find_by_name("O2"),
             p.species.find_by_name("CO2")};
    p.CC0 = {0.77f, 0.23f, 6.0e-4f};

    NewElementState state;
    AirflowElement crack = new_airflow_element(kPlrLeak2, NewElementContext{}, state);
    crack.name = "wall_leak";
    crack.desc = "Leakage per unit length of wall";
    std::get<LeakageData>(crack.data).area2 = 1.0e-4f;
    derive_element(crack);
    AirflowElement door = new_airflow_element(kPlrOrfc, NewElementContext{}, state);
    door.name = "door_gap";
    door.desc = "Undercut of an interior door";
    derive_element(door);
    AirflowElement* leak = p.elements.insert_copy(crack);
    AirflowElement* gap = p.elements.insert_copy(door);

    Level* below = nullptr;
    for (int l = 0; l < o.levels; ++l) {
        Level level;
        level.name = "L" + std::to_string(l + 1);
        level.refHt = 3.0f * static_cast<float>(l);
        level.delHt = 3.0f;
        Level* lv = p.levels.add(level);
        lv->below = below;
        if (below) below->above = lv;
        below = lv;
        p.current_level = lv;

        const int last_row = o.room_rows * kRoomPitch + 1;
        const int last_col = o.room_cols * kRoomPitch + 1;
        // Wall vertices: corners, tees and crosses where the wall lines meet.
        for (int r = 1; r <= last_row; r += kRoomPitch) {
            for (int c = 1; c <= last_col; c += kRoomPitch) {
                const bool n = r > 1, s = r < last_row, w = c > 1, e = c < last_col;
                std::uint8_t code = 22;
                if (!n && !w) code = 14;
                else if (!n && !e) code = 15;
                else if (!s && !e) code = 16;
                else if (!s && !w) code = 17;
                else if (!w) code = 18;
                else if (!n) code = 19;
                else if (!e) code = 20;
                else if (!s) code = 21;
                lv->icons.push_back({static_cast<std::int16_t>(r), static_cast<std::int16_t>(c), code, 0});
            }
        }
        // Rooms: a zone icon in the middle of each.
        std::vector<Zone*> zones(static_cast<std::size_t>(o.room_rows * o.room_cols));
        for (int i = 0; i < o.room_rows; ++i) {
            for (int j = 0; j < o.room_cols; ++j) {
                Zone z = new_zone(p);
                z.name = level.name + "_R" + std::to_string(i + 1) + "_" + std::to_string(j + 1);
                z.Vol = 5.0f * 5.0f * 3.0f;
                Zone* stored = add_zone(p, z);
                zones[static_cast<std::size_t>(i * o.room_cols + j)] = stored;
                lv->icons.push_back({static_cast<std::int16_t>(1 + i * kRoomPitch + 3),
                                     static_cast<std::int16_t>(1 + j * kRoomPitch + 3), 5, stored->nr});
            }
        }
        auto add_wall_path = [&](ZoneRef n, ZoneRef m, int row, int col, AirflowElement* e,
                                 std::uint8_t dir) {
            FlowPath path;
            path.element = e;
            path.zone_n = n;
            path.zone_m = m;
            path.icn = e->icon;
            path.dir = dir;
            path.mult = 1;
            path.relHt = e == gap ? 0.0f : 1.5f;
            FlowPath* stored = add_path(p, path);
            lv->icons.push_back({static_cast<std::int16_t>(row), static_cast<std::int16_t>(col),
                                 e->icon, stored->nr});
        };
        for (int i = 0; i < o.room_rows; ++i) {
            for (int j = 0; j < o.room_cols; ++j) {
                Zone* here = zones[static_cast<std::size_t>(i * o.room_cols + j)];
                const int top = 1 + i * kRoomPitch;
                const int left = 1 + j * kRoomPitch;
                // East wall: to the next room, or outdoors at the edge.
                ZoneRef east = j + 1 < o.room_cols
                                   ? ZoneRef(zones[static_cast<std::size_t>(i * o.room_cols + j + 1)])
                                   : ZoneRef::ambient();
                add_wall_path(here, east, top + 2, left + kRoomPitch, j + 1 < o.room_cols ? gap : leak, 2);
                if (o.paths_per_vertical_wall > 1)
                    add_wall_path(here, east, top + 4, left + kRoomPitch, leak, 2);
                // South wall: to the next room, or outdoors at the edge.
                ZoneRef south = i + 1 < o.room_rows
                                    ? ZoneRef(zones[static_cast<std::size_t>((i + 1) * o.room_cols + j)])
                                    : ZoneRef::ambient();
                add_wall_path(here, south, top + kRoomPitch, left + 3, leak, 4);
                // The west and north edges of the building.
                if (j == 0) add_wall_path(ZoneRef::ambient(), here, top + 3, left, leak, 2);
                if (i == 0) add_wall_path(ZoneRef::ambient(), here, top, left + 2, leak, 4);
            }
        }
    }
    p.lowest_level = p.levels.at(1);
    p.top_level = below;
    p.current_level = p.lowest_level;
}

}  // namespace avelor::bench
