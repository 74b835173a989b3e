// The storeys of the building: inserting blank levels, copying a level and
// pasting it above or below the current one, deleting the current level.
// After each of them the levels are numbered from the lowest upward, the
// elevations above the lowest follow from the heights, and the icons of the
// current level and the level above are linked again.
#pragma once

#include <string>

#include "editing/wall_drawing.h"

namespace avelor {

class Project;
class SketchEditor;
struct Level;

// The name of a new blank level: "<n>" with n the number of levels after
// the insertion, or the next n whose name no level has yet.
std::string new_level_name(const Project& project);

// Numbers the levels 1, 2, … from the lowest and derives every elevation
// above the lowest from the level below it: refHt(k) = refHt(k-1) +
// delHt(k-1).
void renumber_levels(Project& project);

// "Insert Blank Level" › "Above current level": a level above the current
// one with the current level's height.
void insert_level_above(SketchEditor& editor);
// › "Below current level": a level between the current one and the level
// below with the current level's height; under the lowest level a new
// lowest level at elevation 0, 3 m high.
void insert_level_below(SketchEditor& editor);

// "Copy Level": the current level becomes the copy source.
void copy_level(SketchEditor& editor);
bool can_paste_level(const SketchEditor& editor);
// "Paste Level" › "Above/Below current level": a blank level with the copy
// source's height, into which the source's drawing is copied with records
// of its own (no control links, simple air-handling systems or occupants).
bool paste_level(SketchEditor& editor, bool above);

// "Delete Level": asks first (about the phantom zones above that stand for
// this level's zones, or by the level's name), then frees every record the
// level's icons own. The level below becomes current, else the one above;
// the last level is replaced by a new blank one.
bool delete_current_level(SketchEditor& editor, Asking asking);

}  // namespace avelor
