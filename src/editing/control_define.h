// Defining the control network's nodes on the SketchPad: a double click on
// an undefined node opens the type chooser and then the type's dialog, one
// on a defined node its dialog on a copy of its data, one on a sensor end
// the sensor dialogs. Only an accepted OK changes the node list and the
// link layer.
#pragma once

#include <cstdint>
#include <vector>

#include "editing/sketch_editor.h"

namespace avelor {

// The nodes of the network being edited (the building's, or the super
// element's own in its window).
std::vector<ControlNode*> edited_control_nodes(SketchEditor& editor);

// The node of that number in the network being edited, or null.
ControlNode* edited_control_node(SketchEditor& editor, std::int32_t number);

// An undefined node (185), or in a super node's sub-network an undefined
// phantom (186). True when a node was defined.
bool define_control_node(SketchEditor& editor, int row, int col);
// A defined node (185..189): its dialog; the type stays.
bool edit_control_node(SketchEditor& editor, int row, int col);
// A sensor end (181..184): a new sensor, or its sensor's dialog again.
bool define_sensor(SketchEditor& editor, int row, int col);

// The Define command's way in for a link-layer cell.
bool define_control_cell(SketchEditor& editor, const SheetRequest& request);

}  // namespace avelor
