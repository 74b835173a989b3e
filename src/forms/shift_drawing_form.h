// "Shift Drawing": moving everything drawn on every level by the same
// number of cells, in even steps so that walls stay on odd lines and ducts
// on even ones.
#pragma once

#include "sketchpad/sketch_grid.h"
#include "sketchpad/sketch_view.h"

namespace avelor {

class Project;

// Free cells around everything drawn on all levels and the origin cell.
struct DrawingMargins {
    int top = 0, bottom = 0, left = 0, right = 0;
};

// Stores the current level first, so that its last edits count.
DrawingMargins drawing_margins(Project& project, SketchGrid& grid);

// An odd shift moves one step toward zero.
int even_shift(int value);

// The dialog's working values.
class ShiftDrawingForm {
public:
    static constexpr const char* kCaption = "Shift Drawing";
    static constexpr const char* kEvenNote = "Shifting only occurs in even increments.";

    ShiftDrawingForm(Project& project, SketchGrid& grid);

    const DrawingMargins& margins() const { return margins_; }
    int min_horizontal() const { return -margins_.left; }
    int max_horizontal() const { return margins_.right; }
    int min_vertical() const { return -margins_.top; }
    int max_vertical() const { return margins_.bottom; }

    // OK: checks both values against the margins (a WARNING box and false
    // when one is outside), makes them even, stores the current level,
    // moves every icon of every level, and shows the current level and the
    // level below again. The view goes back to the top-left when the cursor
    // has left the drawable area. True when applied.
    bool accept(int horizontal, int vertical, SketchView& view);

private:
    Project* project_;
    SketchGrid* grid_;
    DrawingMargins margins_;
};

}  // namespace avelor
