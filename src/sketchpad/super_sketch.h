// A control super element's own sketch on the SketchPad: its icons shown in
// a grid of the smallest size, stored back into the element, and the
// inputs of its nodes collected from the links drawn there.
#pragma once

#include <string_view>
#include <vector>

#include "model/control_node.h"
#include "sketchpad/sketch_grid.h"

namespace avelor {

class Project;

inline constexpr std::string_view kSuperSketchTitle = "Super Node SketchPad";
inline constexpr int kSuperSketchRows = kMinSketchRows;
inline constexpr int kSuperSketchCols = kMinSketchCols;

// Shows the element's sketch as the grid's current level (nothing below):
// the title in the top border row instead of the ambient marker, the link
// runs expanded, and the inputs of the element's nodes collected again
// from its links. A null element shows an empty sketch.
void show_super_sketch(Project& project, SketchGrid& grid, SuperElement* element);

// The grid's current level becomes the element's sketch (its stored link
// pieces, in row order).
void store_super_sketch(SketchGrid& grid, SuperElement& element);

// The element's nodes lose the inputs collected from the drawing (every
// node but the phantoms, and the lists of sum, average, maximum and
// minimum nodes), and every defined node of the sketch shown in grid then
// hands its number along its output links to the nodes they point at.
void collect_element_links(Project& project, SketchGrid& grid, SuperElement& element);
// The same on a grid of its own, for an element that is not shown.
void collect_element_links(Project& project, SuperElement& element);

// Node records of the element whose icons went leave its list: the nodes
// left are numbered 1.. in their order again, and the numbers of the
// sketch shown in grid follow; no node keeps a reference to one that went,
// and an input or output node that went is none.
void release_element_nodes(Project& project, SketchGrid& grid, SuperElement& element,
                           const std::vector<ControlNode*>& nodes);

// The element's sketch cannot change: super nodes use it.
inline bool super_sketch_locked(const SuperElement& element) { return element.use_count > 0; }

}  // namespace avelor
