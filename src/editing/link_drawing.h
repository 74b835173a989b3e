// Control links on the link layer: strokes of the link tool and the pieces
// they write (sensor ends, heads, corners, crossings, arrowheads, new
// nodes), deleting one node or link with its questions, and deleting a
// whole control network across levels. Defining nodes and sensors goes
// through their dialogs.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "editing/sketch_editor.h"
#include "editing/wall_drawing.h"

namespace avelor {

inline constexpr std::string_view kSubNodesFixed = "You can not delete sub-nodes of a Super Node.";

// The link code of a middle stroke cell from the directions of its stroke
// neighbours (N 1, E 2, S 4, W 8): straight pieces and corners; 0 where a
// link would branch, end or cross itself.
inline constexpr std::array<std::uint8_t, 16> kLinkPieces = {0, 0, 0, 175, 0, 169, 172, 0,
                                                             0, 174, 168, 0, 173, 0, 0, 0};

// Left click in the link tool: the stroke begins at the cursor and steps
// one cell at a time.
void begin_link_stroke(SketchEditor& editor);
// One step of a link stroke from previous to the cursor: the stroke grows,
// or walks back over its last cell; stepping onto the stroke anywhere else
// is refused with a beep and the cursor goes back. False when refused.
bool extend_link_stroke(SketchEditor& editor, GridCell previous, GridCell cursor);
// Second click (or Enter): checks the ends and every cell and, when all
// are valid, writes the link; a click without a stroke on an empty cell
// places an undefined control node. 0 written; 1 refused, the stroke kept
// with the offending cells in the error colour.
int finish_link_stroke(SketchEditor& editor);

// Delete on a link-layer cell. A node (or a sensor end) asks whether to
// undefine it with its output links, else whether to delete it with them
// and the arrowheads that enter it; a node that phantoms show elsewhere
// asks first to undefine those phantoms. Any other piece deletes its link
// after "Delete this control link?". Silent deletions ask nothing, leave
// nodes that phantoms show alone, and delete. True when anything changed.
bool delete_control_piece(SketchEditor& editor, int row, int col, Asking asking);

// Deletes the control network connected to the cell, asking at most once
// whether the networks of the phantoms that show its nodes go too (else
// they are undefined) and at most once whether the networks of the nodes
// its phantoms show go too; those networks are deleted on their own
// levels, and the level current at the start is shown again. The records
// of the nodes whose icons went are released. True when anything went.
bool delete_control_network(SketchEditor& editor, int row, int col);

}  // namespace avelor
