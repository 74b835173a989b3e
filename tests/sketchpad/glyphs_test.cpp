#include <gtest/gtest.h>

#include <set>
#include <string>

#include "model/cell_codes.h"
#include "sketchpad/glyphs.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

// Every code that a cell array can hold, with the label characters.
std::vector<std::uint8_t> drawn_codes()
{
    std::vector<std::uint8_t> codes;
    for (int c = 1; c < 256; ++c)
        if (code_flags(static_cast<std::uint8_t>(c)) != 0) codes.push_back(static_cast<std::uint8_t>(c));
    for (char c : std::string("Ambt*")) codes.push_back(static_cast<std::uint8_t>(c));
    return codes;
}

TEST(Glyphs, EveryDrawnCodeHasAShapeAtEverySize)
{
    for (int size : kCellSizes) {
        for (std::uint8_t code : drawn_codes()) {
            SCOPED_TRACE("code " + std::to_string(code) + " size " + std::to_string(size));
            const Glyph& g = cell_glyph(code, size);
            EXPECT_EQ(g.size, size);
            EXPECT_FALSE(g.empty());
            // Nothing outside the cell.
            for (int y = 0; y < 16; ++y)
                EXPECT_EQ(g.rows[static_cast<std::size_t>(y)] >> size, 0) << "row " << y;
            for (int y = size; y < 16; ++y) EXPECT_EQ(g.rows[static_cast<std::size_t>(y)], 0);
        }
        EXPECT_TRUE(cell_glyph(0, size).empty());
    }
    EXPECT_EQ(cell_glyph(22, 1).pixel_count(), 1);
}

TEST(Glyphs, RunPiecesReachTheEdgesTheyConnectTo)
{
    // A wall, duct or link piece touches exactly the edges of its directions,
    // so runs join up from cell to cell.
    for (int size : {4, 5, 8, 16}) {
        for (std::uint8_t code : drawn_codes()) {
            const std::uint16_t flags = code_flags(code);
            const bool run_piece = (code >= 11 && code <= 22) || (code >= 143 && code <= 150) ||
                                   (code >= 168 && code <= 175);
            if (!run_piece) continue;
            SCOPED_TRACE("code " + std::to_string(code) + " size " + std::to_string(size));
            const Glyph& g = cell_glyph(code, size);
            auto edge = [&](std::uint16_t dir) {
                for (int i = 0; i < size; ++i) {
                    if (dir == CC_DIR_N && g.at(i, 0)) return true;
                    if (dir == CC_DIR_S && g.at(i, size - 1)) return true;
                    if (dir == CC_DIR_W && g.at(0, i)) return true;
                    if (dir == CC_DIR_E && g.at(size - 1, i)) return true;
                }
                return false;
            };
            for (std::uint16_t dir : {CC_DIR_N, CC_DIR_E, CC_DIR_S, CC_DIR_W})
                EXPECT_EQ(edge(dir), (flags & dir) != 0) << "direction " << dir;
        }
    }
}

TEST(Glyphs, WallsAreFourPixelBarsAtSixteenDuctsDoubleLinksThin)
{
    const Glyph& wall = cell_glyph(ICN_WALL_H, 16);
    for (int x = 0; x < 16; ++x)
        for (int y = 0; y < 16; ++y) EXPECT_EQ(wall.at(x, y), y >= 6 && y <= 9);
    const Glyph& duct = cell_glyph(ICN_DUCT_H, 16);
    for (int y = 0; y < 16; ++y) EXPECT_EQ(duct.at(0, y), y == 5 || y == 10) << y;
    const Glyph& link = cell_glyph(ICN_LINK_H, 16);
    EXPECT_EQ(link.pixel_count(), 16);
}

TEST(Glyphs, ItemsThatMeanDifferentThingsLookDifferent)
{
    // At the working sizes every icon-layer, duct-node and control shape is
    // told apart from every other.
    const std::vector<std::uint8_t> distinct = {5,   6,   7,   23,  24,  25,  27,  28,  29,  30,
                                                31,  42,  128, 129, 130, 131, 133, 154, 155, 156,
                                                157, 158, 159, 160, 161, 162, 163, 164, 185, 186,
                                                187};
    for (int size : {8, 16}) {
        std::set<std::array<std::uint16_t, 16>> seen;
        for (std::uint8_t code : distinct) {
            EXPECT_TRUE(seen.insert(cell_glyph(code, size).rows).second)
                << "code " << int(code) << " at size " << size << " looks like another";
        }
    }
}

TEST(Glyphs, OtherSizesAreFatal)
{
    testing::ScriptedPort port;
    EXPECT_THROW(cell_glyph(5, 6), FatalStop);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text.rfind(" Invalid font number\n", 0), 0u);
}

}  // namespace
}  // namespace avelor
