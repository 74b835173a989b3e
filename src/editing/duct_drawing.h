// Ducts on the even lattice: strokes of the duct tool and their conversion
// into pieces, deleting one duct run, undefining duct segments, junctions
// and terminals on the sketch, and deleting a whole duct network across
// levels. Defining segments and nodes goes through their property sheets.
#pragma once

#include <array>
#include <cstdint>

#include "editing/sketch_editor.h"
#include "editing/wall_drawing.h"

namespace avelor {

// The duct code of a new stroke cell from the directions it connects to
// (N 1, E 2, S 4, W 8): a free end is a terminal, two directions a straight
// piece or a corner, four a crossing; three-way meetings (0) are refused.
inline constexpr std::array<std::uint8_t, 16> kDuctPieces = {162, 162, 162, 150, 162, 144, 147, 0,
                                                             162, 149, 143, 0,   148, 0,   0,   151};

// Left click in the duct tool: the cursor snaps to even cells (0 becomes
// 2); a start on a defined item is refused ("New duct may not begin at a
// defined duct."), otherwise the stroke begins with steps of two cells.
void begin_duct_stroke(SketchEditor& editor);
// One step of a duct stroke from previous to the cursor. The stroke grows,
// or walks back over its last step; any other step onto the stroke (which
// would make it touch itself) is refused with a beep and the cursor goes
// back. False when refused.
bool extend_duct_stroke(SketchEditor& editor, GridCell previous, GridCell cursor);
// Second click (or Enter): validates every stroke cell against what the
// cell holds and, when all are valid, writes the pieces. 0 committed;
// 1 refused, the stroke kept ("New duct may not end at a defined duct.",
// or a beep with the offending cells in the error colour).
int finish_duct_stroke(SketchEditor& editor);

// Deletes the duct run through an unnumbered duct piece, junction or
// terminal: the run is traced both ways to its end nodes (straight over
// crossings), shown, and after "Delete the duct indicated?" (interactive
// only) its cells go; crossings keep the other duct, end nodes become
// what their remaining connections make them. Refused while a control link
// points into the cell or at a numbered end ("Junctions at both ends must
// be undefined before deletion"), and next to more than one defined
// segment. When reload is set the level is stored and its duct layer
// loaded again, which spreads the segment numbers anew. Silent deletions
// ask nothing and report no refusals. True when deleted.
bool delete_duct_run(SketchEditor& editor, int row, int col, Asking asking, bool reload = true);

// Delete on a numbered duct segment icon: the run loses its number, the
// segment record goes, the icon becomes a plain piece, and the nodes at
// its ends are undefined unless another defined segment (or the node's own
// downward segment) still uses them. Refused while the control network
// holds the segment or a node that would be freed. True when undefined.
bool undefine_duct_segment(SketchEditor& editor, int row, int col, Asking asking);

// Delete on a numbered junction or terminal: its record (with its downward
// segment) goes and the cell becomes a plain junction or terminal. Refused
// while the control network holds it or while adjacent ducts are defined.
bool undefine_junction(SketchEditor& editor, int row, int col, Asking asking);

// What Delete does on a duct-layer cell: undefines a numbered segment icon
// or node, deletes the run of an unnumbered piece, and beeps on a numbered
// plain piece.
bool delete_duct_item(SketchEditor& editor, int row, int col);

// Deletes every duct piece, segment and node connected to the cell, on all
// levels reached through junctions that connect up or down, one level at a
// time, and comes back to the level that was current. No questions and no
// control-network refusals. True when anything was deleted.
bool delete_duct_network(SketchEditor& editor, int row, int col);

// "Delete Network": on a duct piece asks "Delete this duct network?", on a
// link piece "Delete this control network?", and deletes that network.
bool delete_network_at_cursor(SketchEditor& editor);
// Whether "Delete Network" applies at the cursor (a duct or link piece).
bool can_delete_network(SketchEditor& editor);

// The current level is stored and its duct layer loaded again from the
// icon list: straight runs rebuilt, segment numbers spread.
void reload_duct_layer(SketchEditor& editor);

// Paste of the clipboard's duct item at the cursor: a copied or cut duct
// segment onto a plain piece of a run that has none (its direction turned
// to the run, a copy with a filter of its own; a cut segment moves on its
// own level), a copied junction or terminal onto a node cell that fits the
// ducts around it (asking before it overwrites a defined one and its
// downward segment). True when pasted.
bool paste_duct_item(SketchEditor& editor);

// Release a duct segment or a junction record (a junction with its
// downward segment) the way every deletion does: the record goes back to
// its list, the project is modified, the clipboard is emptied when it
// holds that item, and no record is left naming the released one. Doing it
// twice does nothing more.
void release_duct_record(SketchEditor& editor, std::int32_t number);
void release_junction_record(SketchEditor& editor, std::int32_t number);

}  // namespace avelor
