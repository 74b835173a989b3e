// Where a flow path may stand: the rule that placing a path and the
// building check share.
#pragma once

#include <string>

namespace avelor {

class Project;
class SketchGrid;

// The flow path position test at a cell: on a straight wall the two sides
// must be different zones, off walls the path goes through the floor to a
// level below. A refusal carries its message; on a wall piece that is not
// straight the message is empty and placing only beeps.
struct PathPositionCheck {
    bool ok = false;
    std::string message;  // shown as a WARNING box when not empty
};
PathPositionCheck check_path_position(const SketchGrid& grid, const Project& project, int row, int col);

}  // namespace avelor
