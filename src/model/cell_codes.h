// The byte codes of SketchPad cells and what each code is: which neighbours
// a piece connects to, which layer it lives in, whether a level's icon list
// keeps it. One table answers all of these, so that every pass over the
// grid asks a single load per cell.
#pragma once

#include <array>
#include <cstdint>

namespace avelor {

// Property bits of cell_code_flags.
inline constexpr std::uint16_t CC_DIR_N = 0x0001;
inline constexpr std::uint16_t CC_DIR_E = 0x0002;
inline constexpr std::uint16_t CC_DIR_S = 0x0004;
inline constexpr std::uint16_t CC_DIR_W = 0x0008;
inline constexpr std::uint16_t CC_DIR_MASK = 0x000F;
inline constexpr std::uint16_t CC_WALL_VERTEX = 0x0010;
inline constexpr std::uint16_t CC_ZONE_ICON = 0x0020;
inline constexpr std::uint16_t CC_PATH_ICON = 0x0040;
inline constexpr std::uint16_t CC_SOURCE_ICON = 0x0080;
inline constexpr std::uint16_t CC_DUCT_STORED = 0x0100;
inline constexpr std::uint16_t CC_DUCT_SEGMENT = 0x0200;
inline constexpr std::uint16_t CC_DUCT_NODE = 0x0400;
inline constexpr std::uint16_t CC_EXPOSURE_ICON = 0x0800;
inline constexpr std::uint16_t CC_CONTROL_PIECE = 0x1000;
inline constexpr std::uint16_t CC_NOTE_ICON = 0x8000;

// Icon layer.
inline constexpr std::uint8_t ICN_ZONE = 5;
inline constexpr std::uint8_t ICN_PHANTOM = 6;
inline constexpr std::uint8_t ICN_AMBIENT = 7;
inline constexpr std::uint8_t ICN_ORIGIN = 9;  // drawn only, never in an array
inline constexpr std::uint8_t ICN_PATH = 23;
inline constexpr std::uint8_t ICN_NOTE = 42;
inline constexpr std::uint8_t ICN_SUPPLY = 128;
inline constexpr std::uint8_t ICN_RETURN = 129;
inline constexpr std::uint8_t ICN_AHS = 130;
inline constexpr std::uint8_t ICN_EXPOSURE = 131;
inline constexpr std::uint8_t ICN_SOURCE = 133;

// Wall layer: the two straight pieces; 14..22 are the corners, tees and
// the cross that the icon list keeps.
inline constexpr std::uint8_t ICN_WALL_H = 11;
inline constexpr std::uint8_t ICN_WALL_V = 12;

// Duct layer.
inline constexpr std::uint8_t ICN_DUCT_H = 143;
inline constexpr std::uint8_t ICN_DUCT_V = 144;
inline constexpr std::uint8_t ICN_DUCT_HEAD_H = 145;  // first piece east of a node
inline constexpr std::uint8_t ICN_DUCT_HEAD_V = 146;  // first piece south of a node
inline constexpr std::uint8_t ICN_DUCT_CROSS = 151;
inline constexpr std::uint8_t ICN_SEGMENT_N = 154;  // positive flow northward
inline constexpr std::uint8_t ICN_SEGMENT_E = 155;
inline constexpr std::uint8_t ICN_SEGMENT_S = 156;
inline constexpr std::uint8_t ICN_SEGMENT_W = 157;
inline constexpr std::uint8_t ICN_JUNCTION = 158;  // 159..161 also connect up, down, both
inline constexpr std::uint8_t ICN_TERMINAL = 162;  // 163, 164 also connect up, down
inline constexpr std::uint8_t ICN_LAST_DUCT_NODE = 164;

// Link layer.
inline constexpr std::uint8_t ICN_LINK_H = 168;
inline constexpr std::uint8_t ICN_LINK_V = 169;
inline constexpr std::uint8_t ICN_LINK_HEAD_H = 170;  // first piece east of a node
inline constexpr std::uint8_t ICN_LINK_HEAD_V = 171;  // first piece south of a node
inline constexpr std::uint8_t ICN_LINK_CROSS = 176;
inline constexpr std::uint8_t ICN_ARROW_N = 177;  // arrowheads: the link arrives from the
inline constexpr std::uint8_t ICN_ARROW_E = 178;  // opposite side and points into the
inline constexpr std::uint8_t ICN_ARROW_S = 179;  // neighbour it names
inline constexpr std::uint8_t ICN_ARROW_W = 180;
inline constexpr std::uint8_t ICN_CTRL_NODE = 185;
inline constexpr std::uint8_t ICN_CTRL_PHANTOM = 186;
inline constexpr std::uint8_t ICN_CTRL_SUPER = 187;

namespace detail {
constexpr std::array<std::uint16_t, 256> make_cell_code_flags()
{
    std::array<std::uint16_t, 256> f{};
    // Single-connection wall vertices that no operation writes; kept so that
    // a file holding them reads as walls before the icon check refuses them.
    f[1] = f[206] = 0x0012;
    f[2] = f[207] = 0x0018;
    f[3] = f[208] = 0x0011;
    f[4] = f[209] = 0x0014;
    f[5] = f[6] = f[7] = 0x0020;
    f[11] = 0x000A;
    f[12] = 0x0005;
    f[14] = 0x0016;
    f[15] = 0x001C;
    f[16] = 0x0019;
    f[17] = 0x0013;
    f[18] = 0x0017;
    f[19] = 0x001E;
    f[20] = 0x001D;
    f[21] = 0x001B;
    f[22] = 0x001F;
    for (int c : {23, 24, 25, 27, 28, 29, 30, 31, 128, 129, 130}) f[c] = 0x0040;
    f[42] = 0x8000;
    f[131] = f[132] = 0x0800;
    f[133] = 0x0080;
    f[143] = 0x000A;
    f[144] = 0x0005;
    f[145] = 0x010A;
    f[146] = 0x0105;
    f[147] = 0x0106;
    f[148] = 0x010C;
    f[149] = 0x0109;
    f[150] = 0x0103;
    f[151] = 0x010F;
    f[154] = f[156] = 0x0305;
    f[155] = f[157] = 0x030A;
    for (int c = 158; c <= 164; ++c) f[c] = 0x0500;
    f[168] = 0x000A;
    f[169] = 0x0005;
    f[170] = 0x100A;
    f[171] = 0x1005;
    f[172] = 0x1006;
    f[173] = 0x100C;
    f[174] = 0x1009;
    f[175] = 0x1003;
    f[176] = 0x100F;
    f[177] = f[181] = 0x1004;
    f[178] = f[182] = 0x1008;
    f[179] = f[183] = 0x1001;
    f[180] = f[184] = 0x1002;
    for (int c = 185; c <= 189; ++c) f[c] = 0x1000;
    return f;
}
}  // namespace detail

// The properties of every cell code, indexed by the code.
inline constexpr std::array<std::uint16_t, 256> cell_code_flags = detail::make_cell_code_flags();

constexpr std::uint16_t code_flags(std::uint8_t code) { return cell_code_flags[code]; }
constexpr std::uint16_t direction_bits(std::uint8_t code) { return cell_code_flags[code] & CC_DIR_MASK; }
constexpr bool has_flag(std::uint8_t code, std::uint16_t flag) { return (cell_code_flags[code] & flag) != 0; }

// The direction that leads back: north and south, east and west swap.
constexpr std::uint16_t opposite_direction(std::uint16_t d)
{
    return static_cast<std::uint16_t>(((d << 2) | (d >> 2)) & CC_DIR_MASK);
}
constexpr bool is_single_direction(std::uint16_t d) { return d == 1 || d == 2 || d == 4 || d == 8; }

// Which layer of a level a stored icon code belongs to.
enum class CellLayer { Icon, Wall, Duct, Link };

// Pieces are told apart by their flags; the plain straight pieces, which
// carry only direction bits, by their code, so that one read from a file
// still lands in its own layer instead of posing as an icon.
constexpr CellLayer layer_of_code(std::uint8_t code)
{
    const std::uint16_t f = cell_code_flags[code];
    if (f & CC_WALL_VERTEX) return CellLayer::Wall;
    if (f & CC_DUCT_STORED) return CellLayer::Duct;
    if (f & CC_CONTROL_PIECE) return CellLayer::Link;
    if (code == ICN_WALL_H || code == ICN_WALL_V) return CellLayer::Wall;
    if (code == ICN_DUCT_H || code == ICN_DUCT_V) return CellLayer::Duct;
    if (code == ICN_LINK_H || code == ICN_LINK_V) return CellLayer::Link;
    return CellLayer::Icon;
}

// Whether a level's icon list keeps a cell of this icon-layer code.
constexpr bool icon_is_stored(std::uint8_t code) { return cell_code_flags[code] > CC_DIR_MASK; }

constexpr bool is_duct_node(std::uint8_t code) { return has_flag(code, CC_DUCT_NODE); }
constexpr bool is_segment_icon(std::uint8_t code) { return code >= ICN_SEGMENT_N && code <= ICN_SEGMENT_W; }

}  // namespace avelor
