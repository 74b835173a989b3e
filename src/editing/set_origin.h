// Moving the drawing's origin, from which the pseudo-geometry counts.
#pragma once

namespace avelor {

class Project;
class SketchGrid;

// "Set Origin": the origin becomes the cursor cell. Refused (false) on the
// border cells, where the origin may not lie.
bool set_origin(Project& project, const SketchGrid& grid);

}  // namespace avelor
