#include "editing/set_origin.h"

#include <cstdint>

#include "model/project.h"
#include "sketchpad/sketch_grid.h"

namespace avelor {

bool set_origin(Project& project, const SketchGrid& grid)
{
    const GridCell at = grid.cursor;
    if (!grid.in_drawing(at.row, at.col)) return false;
    if (project.rc.orgRow == at.row && project.rc.orgCol == at.col) return true;
    project.rc.orgRow = static_cast<std::int16_t>(at.row);
    project.rc.orgCol = static_cast<std::int16_t>(at.col);
    project.mark_changed();
    return true;
}

}  // namespace avelor
