// Icons on the icon layer: where each kind may go, placing, the dispatch to
// the property sheets, deleting at the cursor, and cut, copy and paste of
// one item at a time.
#pragma once

#include <cstdint>

#include "editing/sketch_editor.h"
#include "editing/wall_drawing.h"

namespace avelor {

// Whether a Draw Icon command may place its icon at the cell (no message,
// no beep): the menu, the keys and the context menu all ask this.
bool can_place_icon(SketchEditor& editor, IconCommand icon, int row, int col);

// Places an icon at the cursor, or beeps (and for sources and exposures
// explains why). True when placed.
bool place_icon(SketchEditor& editor, IconCommand icon);

// Double click or Enter: which sheet the cell asks for (placing a zone icon
// first in an unclaimed room), then asks the dialogs for it.
bool define_icon(SketchEditor& editor);
// Only the choice of define_icon, without opening anything: SheetKind::None
// when the cell beeps.
SheetRequest sheet_for_cell(SketchEditor& editor, int row, int col);

// Delete: area deletion in a delete tool, else the item at the cursor.
bool delete_at_cursor(SketchEditor& editor);

// The per-kind deletions, also used by area deletion (silently, with no
// control-network refusal asked again there). True when deleted.
bool delete_zone_icon(SketchEditor& editor, int row, int col, Asking asking);
bool delete_flow_path(SketchEditor& editor, int row, int col, Asking asking);  // paths, supplies, returns
bool delete_simple_ahs(SketchEditor& editor, int row, int col, Asking asking);
bool delete_source_sink(SketchEditor& editor, int row, int col, Asking asking);
bool delete_exposure(SketchEditor& editor, int row, int col, Asking asking);
bool delete_annotation(SketchEditor& editor, int row, int col, Asking asking);

// Releases a record the way every deletion does: the record goes back to
// its list, the project is modified, and the clipboard is emptied when it
// holds that item.
void release_path_record(SketchEditor& editor, std::int32_t number);
void release_source_record(SketchEditor& editor, std::int32_t number);
void release_exposure_record(SketchEditor& editor, std::int32_t number);
void release_note_record(SketchEditor& editor, std::int32_t number);

bool cut_icon(SketchEditor& editor);
bool copy_icon(SketchEditor& editor);
bool paste_icon(SketchEditor& editor);

// Menu enabling at the cursor.
bool can_cut(SketchEditor& editor);
bool can_copy(SketchEditor& editor);
bool can_paste(SketchEditor& editor);
bool can_delete(SketchEditor& editor);

}  // namespace avelor
