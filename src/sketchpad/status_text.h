// The status texts of the SketchPad cursor: where the cursor is (cell or
// pseudo-geometry coordinates) and what the cursor cell holds, for the
// status bar and the floating status box beside the cursor.
//
// Texts are single-byte Windows-1252, like the unit names they carry.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "sketchpad/sketch_grid.h"

namespace avelor {

class Project;

// The most parts (the head included) one item text collects.
inline constexpr int kMaxStatusParts = 16;
// The longest text the floating status box takes.
inline constexpr std::size_t kMaxFloatingStatusLength = 1023;

// The parts of one item text: the head, then further parts that each
// begin with "; ". Once kMaxStatusParts parts are held, the next one is
// refused with the WARNING "Too many status strings." (said once) and
// nothing more is added.
class StatusParts {
public:
    // False when the part was refused.
    bool add(std::string_view part);
    int count() const { return count_; }
    bool overflowed() const { return overflowed_; }
    const std::string& text() const { return text_; }

private:
    std::string text_;
    int count_ = 0;
    bool overflowed_ = false;
};

// "Col %d, Row %d"; with pseudo-geometry shown "X: %7.5g %s, Y: %7.5g %s",
// measured from the origin cell in the project's display length unit, Y
// growing northward (southward when the Y axis is inverted).
std::string position_text(const Project& project, GridCell cell);

// What the cell of the current level holds, in normal mode: the item's
// head and its further parts. Empty when the cell holds nothing.
//
// One item is described per cell, taken from the first layer that has one:
// the icon layer, the duct layer, the control nodes and sensors of the link
// layer, the wall layer.
std::string item_text(const Project& project, const SketchGrid& grid, GridCell cell);

// The lines of the floating status box: the text split at each ';', each
// part without its leading blanks, empty parts left out.
std::vector<std::string> floating_status_lines(std::string_view item_text);

// Whether the floating status box takes the text; a text longer than
// kMaxFloatingStatusLength is refused with the WARNING "tooltip too long".
bool floating_status_accepts(std::string_view item_text);

}  // namespace avelor
