#include "check/path_position.h"

#include "model/project.h"
#include "sketchpad/sketch_grid.h"

namespace avelor {

PathPositionCheck check_path_position(const SketchGrid& grid, const Project& project, int row, int col)
{
    PathPositionCheck check;
    if (!grid.in_drawing(row, col)) return check;
    const LevelCells& l = grid.current();
    const std::uint8_t w = l.Walls(row, col);
    // The same zone on both sides is an error unless neither side is known.
    auto same = [](std::int32_t a, std::int32_t b) { return a == b && a != ZONE_NONE && a != ZONE_UNDEFINED; };
    if (w == ICN_WALL_H || w == ICN_WALL_V) {
        const bool h = w == ICN_WALL_H;
        const std::int32_t a = h ? l.Zones(row - 1, col) : l.Zones(row, col - 1);
        const std::int32_t b = h ? l.Zones(row + 1, col) : l.Zones(row, col + 1);
        if (same(a, b)) {
            check.message = "Same zone on both sides of wall";
            return check;
        }
        check.ok = true;
        return check;
    }
    if (w != 0) return check;  // a corner, tee or cross: only a beep
    if (!project.current_level || !project.current_level->below) {
        check.message = "Path is not above a sublevel";
        return check;
    }
    if (grid.below().Walls(row, col) != 0) {
        check.message = "Path is above a sublevel wall";
        return check;
    }
    if (same(l.Zones(row, col), grid.below().Zones(row, col))) {
        check.message = "Same zone on both sides of \"floor\"";
        return check;
    }
    check.ok = true;
    return check;
}

}  // namespace avelor
