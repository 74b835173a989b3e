// The glyphs drawn on SketchPad cells: one bitmap per cell code and cell
// size. Walls are bars through the cell centre, ducts double lines, control
// links single thin lines; zone icons are framed squares (zone: filled
// centre, phantom: hollow centre, ambient: empty frame); flow paths are
// diamonds whose hole and filled half tell the element and the direction.
#pragma once

#include <array>
#include <cstdint>

namespace avelor {

// The cell sizes the SketchPad draws at, in pixels.
inline constexpr std::array<int, 7> kCellSizes = {1, 2, 3, 4, 5, 8, 16};
bool is_cell_size(int size);

// A square bitmap of up to 16 by 16 pixels; bit x of row y (bit 0 leftmost)
// is the pixel at column x.
struct Glyph {
    int size = 0;
    std::array<std::uint16_t, 16> rows{};

    bool at(int x, int y) const { return ((rows[static_cast<std::size_t>(y)] >> x) & 1u) != 0; }
    bool empty() const;
    int pixel_count() const;
};

// The glyph of a cell code at a cell size of kCellSizes. Codes without a
// shape give an empty glyph; at size 1 a code with a shape is one pixel.
// Any other size is fatal ("Invalid font number").
const Glyph& cell_glyph(std::uint8_t code, int size);

}  // namespace avelor
