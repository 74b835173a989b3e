// Small pieces the drawing tools share: stepping between cells, the stroke
// overlay in Scolors, and fast walks over the cells a stroke marked.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "model/cell_codes.h"
#include "sketchpad/sketch_grid.h"

namespace avelor::stroke_cells {

inline constexpr std::uint16_t kNorth = CC_DIR_N;
inline constexpr std::uint16_t kEast = CC_DIR_E;
inline constexpr std::uint16_t kSouth = CC_DIR_S;
inline constexpr std::uint16_t kWest = CC_DIR_W;
inline constexpr std::uint16_t kDirections[4] = {kNorth, kEast, kSouth, kWest};

// n cells from at in direction d.
inline GridCell step(GridCell at, std::uint16_t d, int n = 1)
{
    switch (d) {
    case kNorth: at.row -= n; break;
    case kEast: at.col += n; break;
    case kSouth: at.row += n; break;
    case kWest: at.col -= n; break;
    default: break;
    }
    return at;
}

// The direction from one cell to another in the same row or column.
inline std::uint16_t direction_to(GridCell from, GridCell to)
{
    if (to.row < from.row && to.col == from.col) return kNorth;
    if (to.row > from.row && to.col == from.col) return kSouth;
    if (to.col > from.col && to.row == from.row) return kEast;
    if (to.col < from.col && to.row == from.row) return kWest;
    return 0;
}

inline CellBounds bounds_of(GridCell a, GridCell b)
{
    CellBounds box;
    box.reset(a);
    box.widen(b);
    return box;
}

// The overlay of a stroke: a cell is on it unless it shows the background.
struct Overlay {
    SketchGrid& grid;
    bool marked(int row, int col) const
    {
        return grid.in_grid(row, col) && grid.Scolors(row, col) != grid.colours.background;
    }
    bool marked(GridCell c) const { return marked(c.row, c.col); }
    void mark(GridCell c) { grid.Scolors(c.row, c.col) = grid.colours.drawing_line; }
    void unmark(GridCell c) { grid.Scolors(c.row, c.col) = grid.colours.background; }
    std::uint16_t marked_neighbours(int row, int col) const
    {
        std::uint16_t bits = 0;
        if (marked(row - 1, col)) bits |= kNorth;
        if (marked(row, col + 1)) bits |= kEast;
        if (marked(row + 1, col)) bits |= kSouth;
        if (marked(row, col - 1)) bits |= kWest;
        return bits;
    }
};

// The first column in [from, to) of a row whose byte differs from value.
inline int next_other(const std::uint8_t* row, int from, int to, std::uint8_t value)
{
    const std::uint64_t pattern = 0x0101010101010101ULL * value;
    int c = from;
    for (; c + 8 <= to; c += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, row + c, sizeof word);
        if (word != pattern) break;
    }
    for (; c < to; ++c)
        if (row[c] != value) return c;
    return to;
}

// Calls visit(row, col) for every cell of the bounds whose overlay is not
// the background, row after row.
template <class Visit>
void for_each_marked(SketchGrid& grid, const CellBounds& b, Visit&& visit)
{
    const std::uint8_t bg = grid.colours.background;
    const int lo_row = std::max(b.min_row, 0), hi_row = std::min(b.max_row, grid.rows() - 1);
    const int lo_col = std::max(b.min_col, 0), hi_col = std::min(b.max_col, grid.cols() - 1);
    for (int r = lo_row; r <= hi_row; ++r) {
        const std::uint8_t* row = grid.Scolors.row(r);
        for (int c = next_other(row, lo_col, hi_col + 1, bg); c <= hi_col; c = next_other(row, c + 1, hi_col + 1, bg))
            visit(r, c);
    }
}

inline void clear_overlay_in(SketchGrid& grid, const CellBounds& b)
{
    const std::uint8_t bg = grid.colours.background;
    const int lo_row = std::max(b.min_row, 0), hi_row = std::min(b.max_row, grid.rows() - 1);
    const int lo_col = std::max(b.min_col, 0), hi_col = std::min(b.max_col, grid.cols() - 1);
    if (lo_col > hi_col) return;
    for (int r = lo_row; r <= hi_row; ++r) std::fill(grid.Scolors.row(r) + lo_col, grid.Scolors.row(r) + hi_col + 1, bg);
}

}  // namespace avelor::stroke_cells
