// Where the floating status box goes: beside the cursor cell, pulled back
// onto the screen it would otherwise leave.
#pragma once

#include "app/diagnostics.h"

namespace avelor {

// The box wants its top-left corner at the anchor (two cells right of and
// two cells below the cursor cell). When it would cross the right or bottom
// edge of the screen's work area it moves left or up just far enough to
// stay inside. It never starts before the screen's left or top edge, so a
// box larger than the screen shows its beginning.
Point place_floating_box(Point anchor, int width, int height, const Rect& screen);

}  // namespace avelor
