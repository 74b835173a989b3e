// Walls on the odd lattice: strokes and boxes with their validation, the
// deletion of one wall run, and the deletion of everything inside an area
// (a drawn loop, a box, or typed corners) on one or more levels.
#pragma once

#include <array>
#include <cstdint>

#include "editing/sketch_editor.h"

namespace avelor {

// The wall code of a cell from the directions it connects to (N 1, E 2,
// S 4, W 8); 0 for an isolated cell or a dead end.
inline constexpr std::array<std::uint8_t, 16> kWallPieces = {0,  0,  0,  17, 0,  12, 14, 18,
                                                             0,  16, 11, 21, 15, 20, 19, 22};

// Whether deletions ask their questions.
enum class Asking { Interactive, Silent };

// Starts a stroke of the active tool at the cursor on a clean overlay:
// wall and box strokes snap to odd cells and step two cells, the delete
// tools step one cell and drop the previous selection, duct and link
// strokes are begin_duct_stroke's and begin_link_stroke's.
void begin_stroke(SketchEditor& editor);
// The part every tool shares: a clean overlay, the stroke anchored at the
// cell (which becomes the cursor and is marked) with the given step.
void start_stroke(SketchEditor& editor, GridCell at, int step_size);
// The cursor has moved one step from the previous position: the stroke
// follows it (walls grow or walk back, boxes redraw their outline, the
// region loop grows, shrinks or refuses with a beep; a loop may touch
// itself only at its start, when it closes; a duct touches itself only by
// walking back). False when the step was
// refused and the cursor was put back.
bool extend_stroke(SketchEditor& editor);
// Validates the overlay and, when every cell is a valid wall piece,
// commits it: 0 committed, 1 rejected (the stroke stays, offending cells
// in the error colour, "Invalid wall position(s)").
int finish_wall_stroke(SketchEditor& editor);
// Discards the stroke; the tool stays.
void cancel_stroke(SketchEditor& editor);
// Second click of a delete tool: validates the loop ("Invalid selection")
// and, when it is closed and valid, copies it into Sselect. 0 accepted,
// 1 refused.
int finish_selection(SketchEditor& editor);

// Deletes the wall run through the cell. Interactive: asks "Delete the wall
// indicated?" for each way out of the cell in turn; silent: the first
// valid run goes without asking. 1 when a run was deleted, 0 when none.
int delete_wall_run(SketchEditor& editor, int row, int col, Asking asking);

// "Delete by Coordinates...": asks for the corners, then puts the box in
// Sselect and turns the delete-by-box tool on. False when cancelled or
// refused.
bool select_by_coordinates(SketchEditor& editor);

// Delete in a delete tool: asks for the options, then deletes the chosen
// kinds inside the selected area on every chosen level, top level first,
// logging the time each level took, and comes back to the level that was
// current. The selection must be one closed ring of cells enclosing some
// cells; anything else is refused before the options are asked. Duct runs
// go as the duct tool deletes them (segments and nodes undefined first,
// without questions); nodes and sensors go with their output links once no
// link feeds them, without questions. False
// when cancelled or when there is no closed area.
bool delete_in_area(SketchEditor& editor);

}  // namespace avelor
