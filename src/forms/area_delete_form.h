// "Multiple Icon Deletion Options": which kinds an area deletion removes,
// and on which levels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace avelor {

class Project;

// Which kinds an area deletion removes, and on which levels. Kept from one
// deletion to the next while the program runs.
struct AreaDeleteOptions {
    bool walls = false;
    bool zones = false;
    bool paths = false;
    bool simple_ahs = false;
    bool supplies = false;
    bool returns = false;
    bool ducts = false;
    bool sources = false;
    bool occupants = false;
    bool controls = false;
    bool notes = false;
    std::vector<std::int32_t> levels;  // level numbers
};

// The "Multiple Icon Deletion Options" dialog as data.
struct AreaDeleteForm {
    AreaDeleteOptions options;
    // "%3d %15s" per level, highest level first, with its level number.
    struct LevelRow {
        std::int32_t level = 0;
        std::string text;
    };
    std::vector<LevelRow> level_rows;

    // Walls take the zones with them and a simple AHS its supply and
    // return points: those boxes are then checked and disabled.
    bool zones_enabled() const { return !options.walls; }
    bool supplies_enabled() const { return !options.simple_ahs; }
    bool returns_enabled() const { return !options.simple_ahs; }
    void set_walls(bool on);
    void set_simple_ahs(bool on);
    void select_all_icons();
    void select_all_levels();
};

// Builds the form from the kept options; the current level is selected.
AreaDeleteForm make_area_delete_form(const Project& project, const AreaDeleteOptions& kept);

}  // namespace avelor
