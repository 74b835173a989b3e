// Drawings in text for the SketchPad tests. Each string is one grid row;
// the grid is as large as the picture. Pieces are drawn by shape and get
// their codes from the neighbours they touch, the way the editor's tools
// leave them: every straight piece present.
//
// Plan (walls and icons):
//   #          wall piece
//   A..I       wall piece under flow path icon 23 numbered 1..9
//   1..9       zone icon of that zone;  0  a zone icon numbered 0
//   u          undefined zone icon (-2);  p  phantom (-2);  a  ambient icon
// Ducts:
//   o          duct piece (straight, corner or, with four neighbours, crossing)
//   J  T       junction, terminal, numbered 1, 2, ... in row order
//   ^ > v <    duct segment icons, numbered 1, 2, ... in row order
// Links:
//   o          link piece (a straight piece leaving a node east or south
//              is the stored head piece)
//   N          control node, numbered 1, 2, ... in row order
//   ^ > v <    arrowheads pointing into the neighbour on that side
//   s          sensor end, leaving toward its one neighbour
// Anything else ('.', ' ') is an empty cell.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "sketchpad/sketch_grid.h"

namespace avelor::testing {

using Picture = std::vector<std::string>;

struct Plan {
    Plan(Picture walls_and_icons, Picture duct_layer = {}, Picture link_layer = {})
        : walls(std::move(walls_and_icons)), ducts(std::move(duct_layer)), links(std::move(link_layer))
    {
    }
    Picture walls;  // walls and icons
    Picture ducts;
    Picture links;
};

namespace drawing_detail {

inline bool at(const Picture& p, int r, int c, bool (*is)(char))
{
    if (r < 0 || r >= static_cast<int>(p.size()) || c < 0 || c >= static_cast<int>(p[r].size())) return false;
    return is(p[r][c]);
}

inline std::uint16_t neighbour_bits(const Picture& p, int r, int c, bool (*is)(char))
{
    std::uint16_t bits = 0;
    if (at(p, r - 1, c, is)) bits |= CC_DIR_N;
    if (at(p, r, c + 1, is)) bits |= CC_DIR_E;
    if (at(p, r + 1, c, is)) bits |= CC_DIR_S;
    if (at(p, r, c - 1, is)) bits |= CC_DIR_W;
    return bits;
}

inline bool is_wall(char ch) { return ch == '#' || (ch >= 'A' && ch <= 'I'); }
inline bool is_drawn(char ch) { return ch != '.' && ch != ' '; }
inline bool is_node(char ch) { return ch == 'N'; }

// Corners, tees and the cross by their direction bits; 11 and 12 straight.
inline std::uint8_t wall_code(std::uint16_t bits)
{
    static constexpr std::uint8_t kCodes[16] = {0, 3, 1, 17, 4, 12, 14, 18, 2, 16, 11, 21, 15, 20, 19, 22};
    return kCodes[bits];
}

inline std::uint8_t run_code(std::uint16_t bits, std::uint8_t h, std::uint8_t v, std::uint8_t es,
                             std::uint8_t sw, std::uint8_t nw, std::uint8_t ne, std::uint8_t cross)
{
    switch (bits) {
    case CC_DIR_E | CC_DIR_W: return h;
    case CC_DIR_N | CC_DIR_S: return v;
    case CC_DIR_E | CC_DIR_S: return es;
    case CC_DIR_S | CC_DIR_W: return sw;
    case CC_DIR_N | CC_DIR_W: return nw;
    case CC_DIR_N | CC_DIR_E: return ne;
    case CC_DIR_MASK: return cross;
    default: ADD_FAILURE() << "a run piece needs two or four neighbours"; return 0;
    }
}

}  // namespace drawing_detail

// Allocates the grid at the plan's size and draws the plan into one level.
inline void draw_plan(SketchGrid& grid, const Plan& plan, int which = kCurrentLevel)
{
    using namespace drawing_detail;
    const Picture& base = plan.walls;
    const int rows = static_cast<int>(base.size());
    const int cols = static_cast<int>(base.at(0).size());
    if (!grid.allocated()) {
        ASSERT_TRUE(allocate_sketch_arrays(grid, rows, cols));
    }
    ASSERT_EQ(grid.rows(), rows);
    ASSERT_EQ(grid.cols(), cols);
    LevelCells& l = grid.level(which);
    std::int32_t node = 0, segment = 0, ctrl = 0;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const char w = base[r][c];
            if (is_wall(w)) l.Walls(r, c) = wall_code(neighbour_bits(base, r, c, is_wall));
            auto icon = [&](std::uint8_t code, std::int32_t nr) {
                l.Sketch(r, c) = code;
                l.Paths(r, c) = nr;
                if (has_flag(code, CC_ZONE_ICON)) l.Zones(r, c) = nr;
            };
            if (w >= 'A' && w <= 'I') icon(ICN_PATH, w - 'A' + 1);
            if (w >= '0' && w <= '9') icon(ICN_ZONE, w - '0');
            if (w == 'u') icon(ICN_ZONE, ZONE_UNDEFINED);
            if (w == 'p') icon(ICN_PHANTOM, ZONE_UNDEFINED);
            if (w == 'a') icon(ICN_AMBIENT, ZONE_AMBIENT);

            if (!plan.ducts.empty()) {
                const char d = plan.ducts[r][c];
                std::uint8_t code = 0;
                std::int32_t nr = 0;
                switch (d) {
                case 'o':
                    code = run_code(neighbour_bits(plan.ducts, r, c, is_drawn), 143, 144, 147, 148, 149, 150,
                                    151);
                    break;
                case 'J': code = ICN_JUNCTION, nr = ++node; break;
                case 'T': code = ICN_TERMINAL, nr = ++node; break;
                case '^': code = ICN_SEGMENT_N, nr = ++segment; break;
                case '>': code = ICN_SEGMENT_E, nr = ++segment; break;
                case 'v': code = ICN_SEGMENT_S, nr = ++segment; break;
                case '<': code = ICN_SEGMENT_W, nr = ++segment; break;
                default: break;
                }
                if (code) {
                    l.Ducts(r, c) = code;
                    l.Paths(r, c) = nr;
                }
            }
            if (!plan.links.empty()) {
                const Picture& p = plan.links;
                const char k = p[r][c];
                std::uint8_t code = 0;
                std::int32_t nr = 0;
                const std::uint16_t bits = neighbour_bits(p, r, c, is_drawn);
                switch (k) {
                case 'o':
                    code = run_code(bits, 168, 169, 172, 173, 174, 175, 176);
                    if (code == 168 && at(p, r, c - 1, is_node)) code = ICN_LINK_HEAD_H;
                    if (code == 169 && at(p, r - 1, c, is_node)) code = ICN_LINK_HEAD_V;
                    break;
                case 'N': code = ICN_CTRL_NODE, nr = ++ctrl; break;
                case '^': code = ICN_ARROW_N; break;
                case '>': code = ICN_ARROW_E; break;
                case 'v': code = ICN_ARROW_S; break;
                case '<': code = ICN_ARROW_W; break;
                case 's':
                    code = bits == CC_DIR_S ? 181 : bits == CC_DIR_W ? 182 : bits == CC_DIR_N ? 183 : 184;
                    break;
                default: break;
                }
                if (code) {
                    l.Links(r, c) = code;
                    l.Ctrls(r, c) = nr;
                }
            }
        }
    }
}

// Zones as text: '#' wall, 'u' undefined, '.' ambient, ' ' none, digits.
inline Picture zone_picture(const SketchGrid& grid, int which = kCurrentLevel)
{
    const std::string row(static_cast<std::size_t>(grid.cols()), '?');
    Picture out(static_cast<std::size_t>(grid.rows()), row);
    const CellArray<std::int32_t>& z = grid.level(which).Zones;
    for (int r = 0; r < grid.rows(); ++r) {
        for (int c = 0; c < grid.cols(); ++c) {
            const std::int32_t v = z(r, c);
            char& ch = out[r][c];
            if (v == ZONE_WALL) ch = '#';
            else if (v == ZONE_UNDEFINED) ch = 'u';
            else if (v == ZONE_AMBIENT) ch = '.';
            else if (v == ZONE_NONE) ch = ' ';
            else if (v >= 1 && v <= 9) ch = static_cast<char>('0' + v);
        }
    }
    return out;
}

// The cells painted in the error colour, as (row, col) pairs in row order.
inline std::vector<GridCell> error_cells(const SketchGrid& grid)
{
    std::vector<GridCell> cells;
    for (int r = 0; r < grid.rows(); ++r)
        for (int c = 0; c < grid.cols(); ++c)
            if (grid.Scolors(r, c) == grid.colours.errors) cells.push_back({r, c});
    return cells;
}

// One layer copied out, for comparisons.
template <class T>
std::vector<T> layer_copy(const SketchGrid& grid, const CellArray<T>& layer)
{
    return std::vector<T>(layer.data(), layer.data() + grid.cells());
}

}  // namespace avelor::testing

namespace avelor {
inline void PrintTo(const GridCell& cell, std::ostream* os)
{
    *os << "(" << cell.row << "," << cell.col << ")";
}
}  // namespace avelor
