// "Delete by Coordinates": the two corners of the box whose contents an
// area deletion removes.
#pragma once

#include <string>

#include "sketchpad/sketch_grid.h"

namespace avelor {

// The "Delete by Coordinates" dialog: two corners, rows 1..rows-2 and
// columns 1..cols-2.
struct CoordinatesForm {
    int max_row = 0;
    int max_col = 0;
    GridCell a;
    GridCell b;
    // The "Maximum:" texts beside the fields.
    std::string max_row_text() const;
    std::string max_col_text() const;
    // Empty when acceptable, else the refusal.
    std::string check() const;
};

}  // namespace avelor
