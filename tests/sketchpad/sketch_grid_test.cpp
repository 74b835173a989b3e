#include "sketchpad/sketch_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/project.h"
#include "sketchpad/level_navigation.h"
#include "sketchpad/zone_detection.h"
#include "sketch_drawing.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::draw_plan;
using testing::layer_copy;
using testing::Picture;
using testing::Plan;
using testing::zone_picture;

TEST(SketchGrid, NewGridIsAmbientWithTheMarker)
{
    testing::ScriptedPort port;
    SketchGrid grid;
    ASSERT_TRUE(allocate_sketch_arrays(grid, kMinSketchRows, kMinSketchCols));
    for (int which : {kCurrentLevel, kLevelBelow}) {
        const LevelCells& l = grid.level(which);
        const auto zones = layer_copy(grid, l.Zones);
        EXPECT_EQ(std::count(zones.begin(), zones.end(), ZONE_AMBIENT), static_cast<long>(grid.cells()));
        EXPECT_EQ(std::string(l.Sketch.row(0), l.Sketch.row(0) + 5), "\x07" "Ambt");
        EXPECT_EQ(l.Paths(0, 0), ZONE_AMBIENT);
    }
    const auto overlay = layer_copy(grid, grid.Scolors);
    EXPECT_EQ(std::count(overlay.begin(), overlay.end(), grid.colours.background),
              static_cast<long>(grid.cells()));
    // Seven layers twice plus the overlay and the selection.
    EXPECT_EQ(grid.bytes_held(), 34u * grid.cells());
    EXPECT_EQ(grid.zone_bytes(), 4u * 58 * 66);

    EXPECT_FALSE(allocate_sketch_arrays(grid, 60, 70));
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].text.substr(0, 24), " Clear SketchPad arrays\n");
    EXPECT_EQ(grid.rows(), 58);
}

// Pieces of every kind whose straight runs must come back from their ends.
struct RoundTrip {
    const char* name;
    Plan plan;
    std::vector<IconEntry> stored_heads;  // head pieces the store must add
};

const RoundTrip kRoundTrips[] = {
    {"walls with tees and a cross",
     {{".............",
       ".#########...",
       ".#...#...#...",
       ".#.1.#.2.#...",
       ".#########...",
       ".#...#...#...",
       ".#.3.#.4.#...",
       ".#########...",
       "............."}},
     {}},
    {"ducts through walls, junction heads east and south",
     {{"............",
       ".....###....",
       ".....#.#....",
       ".....#.#....",
       ".....#.#....",
       ".....#.#....",
       ".....#.#....",
       ".....###....",
       "............"},
      {"............",
       "............",
       "...Joooo>oJ.",
       "...o........",
       "...o........",
       "...ooo<oT...",
       "............",
       "............",
       "............"}},
     {{2, 4, ICN_DUCT_HEAD_H, 0}, {3, 3, ICN_DUCT_HEAD_V, 0}}},
    {"ducts crossing",
     {{"..........",
       "..........",
       "..........",
       "..........",
       "..........",
       "..........",
       "..........",
       "..........",
       ".........."},
      {"..........",
       "....J.....",
       "....o.....",
       ".Jooooo>J.",
       "....o.....",
       "....v.....",
       "....o.....",
       "....T.....",
       ".........."}},
     {{2, 4, ICN_DUCT_HEAD_V, 0}, {3, 2, ICN_DUCT_HEAD_H, 0}}},
    {"links with arrowheads, sensor ends and node heads",
     {{"...........",
       "...........",
       "...........",
       "...........",
       "...........",
       "...........",
       "...........",
       "...........",
       "...........",
       "..........."},
      {},
      {"...........",
       "..soo>N....",
       "......o....",
       "......o....",
       "......o....",
       "......v....",
       "......Noo..",
       "........o..",
       "........s..",
       "..........."}},
     {}},
};

bool is_plain_piece(std::uint8_t code)
{
    return code == ICN_WALL_H || code == ICN_WALL_V || code == ICN_DUCT_H || code == ICN_DUCT_V ||
           code == ICN_LINK_H || code == ICN_LINK_V;
}

TEST(SketchGrid, StoreThenShowRebuildsEveryRun)
{
    for (const RoundTrip& t : kRoundTrips) {
        SCOPED_TRACE(t.name);
        testing::ScriptedPort port;
        SketchGrid grid;
        draw_plan(grid, t.plan);
        const LevelCells& l = grid.current();
        const auto walls = layer_copy(grid, l.Walls);
        const auto ducts = layer_copy(grid, l.Ducts);
        const auto links = layer_copy(grid, l.Links);
        const auto sketch = layer_copy(grid, l.Sketch);

        Level level;
        store_level_icons(grid, level);
        for (const IconEntry& e : level.icons) EXPECT_FALSE(is_plain_piece(e.code)) << int(e.code);
        for (const IconEntry& head : t.stored_heads)
            EXPECT_NE(std::find(level.icons.begin(), level.icons.end(), head), level.icons.end())
                << "head " << int(head.code) << " at " << head.row << "," << head.col;

        show_level(grid, &level, kCurrentLevel);
        EXPECT_EQ(layer_copy(grid, l.Walls), walls);
        EXPECT_EQ(layer_copy(grid, l.Ducts), ducts);
        EXPECT_EQ(layer_copy(grid, l.Links), links);
        EXPECT_EQ(layer_copy(grid, l.Sketch), sketch);

        // Once shown (segment numbers spread), a level stores and shows
        // back to the same list in the same order.
        store_level_icons(grid, level);
        const std::vector<IconEntry> shown = level.icons;
        show_level(grid, &level, kCurrentLevel);
        store_level_icons(grid, level);
        EXPECT_EQ(level.icons, shown);
        EXPECT_TRUE(port.boxes.empty());
    }
}

TEST(SketchGrid, StoreScansRowsAndInEachCellWallsDuctsLinksIcons)
{
    SketchGrid grid;
    ASSERT_TRUE(allocate_sketch_arrays(grid, 5, 8));
    LevelCells& l = grid.current();
    l.Walls(1, 2) = 14;
    l.Ducts(1, 2) = ICN_JUNCTION;
    l.Paths(1, 2) = 3;
    l.Links(1, 2) = ICN_CTRL_NODE;
    l.Ctrls(1, 2) = 2;
    l.Walls(1, 3) = ICN_WALL_H;
    l.Ducts(1, 3) = ICN_DUCT_H;
    l.Sketch(2, 1) = ICN_ZONE;
    l.Paths(2, 1) = 4;
    l.Sketch(3, 6) = ICN_NOTE;
    l.Paths(3, 6) = 1;
    Level level;
    level.icons = {{9, 9, 5, 9}};  // whatever was there goes
    store_level_icons(grid, level);
    const std::vector<IconEntry> expected = {
        {1, 2, 14, 0}, {1, 2, ICN_JUNCTION, 3}, {1, 2, ICN_CTRL_NODE, 2},
        {1, 3, ICN_DUCT_HEAD_H, 0}, {2, 1, ICN_ZONE, 4}, {3, 6, ICN_NOTE, 1},
    };
    EXPECT_EQ(level.icons, expected);
}

// Duct cells as text: the number each cell carries, '.' where no duct is.
Picture duct_numbers(const SketchGrid& grid)
{
    const LevelCells& l = grid.current();
    const std::string row(static_cast<std::size_t>(grid.cols()), '.');
    Picture out(static_cast<std::size_t>(grid.rows()), row);
    for (int r = 0; r < grid.rows(); ++r)
        for (int c = 0; c < grid.cols(); ++c)
            if (l.Ducts(r, c) != 0) out[r][c] = static_cast<char>('0' + l.Paths(r, c));
    return out;
}

TEST(SketchGrid, SegmentNumbersRunToTheNodesButNeverIntoThem)
{
    testing::ScriptedPort port;
    SketchGrid grid;
    Plan plan{{"..........", "..........", "..........", "..........", "..........",
               "..........", "..........", "..........", ".........."},
              {"..........",
               "....J.....",
               "....o.....",
               ".Jooooo>J.",
               "....o.....",
               "....v.....",
               "....o.....",
               "....T.....",
               ".........."}};
    draw_plan(grid, plan);
    Level level;
    store_level_icons(grid, level);
    show_level(grid, &level, kCurrentLevel);
    // Junctions 1..3 and terminal 4 keep their own numbers; segment 1 runs
    // along the row, segment 2 down the column and over the crossing.
    const Picture expected = {
        "..........",
        "....1.....",
        "....2.....",
        ".21121113.",
        "....2.....",
        "....2.....",
        "....2.....",
        "....4.....",
        "..........",
    };
    EXPECT_EQ(duct_numbers(grid), expected);

    const DuctRunEnds ends = duct_run_ends(grid, kCurrentLevel, 3, 7);
    EXPECT_EQ(ends.first.cell, (GridCell{3, 1}));
    EXPECT_TRUE(ends.first.node);
    EXPECT_EQ(ends.second.cell, (GridCell{3, 8}));
    EXPECT_FALSE(ends.ring);
}

TEST(SketchGrid, ClosedDuctRingIsWalkedOnce)
{
    testing::ScriptedPort port;
    SketchGrid grid;
    Plan plan{{"........", "........", "........", "........", "........"},
              {"........",
               ".oo>oo..",
               ".o...o..",
               ".ooooo..",
               "........"}};
    draw_plan(grid, plan);
    Level level;
    store_level_icons(grid, level);
    show_level(grid, &level, kCurrentLevel);
    const Picture expected = {"........", ".11111..", ".1...1..", ".11111..", "........"};
    EXPECT_EQ(duct_numbers(grid), expected);
    EXPECT_TRUE(duct_run_ends(grid, kCurrentLevel, 1, 3).ring);
    EXPECT_DOUBLE_EQ(duct_run_length(grid, 1, 3, 1.0), 12.0);
}

TEST(SketchGrid, RunsStopAtTheBorder)
{
    testing::ScriptedPort port;
    SketchGrid grid;
    ASSERT_TRUE(allocate_sketch_arrays(grid, 5, 8));
    Level level;
    // Pieces at the last drawable row and column that point past it.
    level.icons = {{2, 6, ICN_SEGMENT_E, 1}, {3, 3, ICN_DUCT_HEAD_V, 0}, {3, 6, 14, 0}, {2, 2, 172, 0}};
    level.icons.push_back({1, 6, 14, 0});
    show_level(grid, &level, kCurrentLevel);
    const LevelCells& l = grid.current();
    for (int c = 0; c < grid.cols(); ++c) {
        EXPECT_EQ(l.Ducts(4, c), 0) << c;
        EXPECT_EQ(l.Walls(4, c), 0) << c;
        EXPECT_EQ(l.Links(4, c), 0) << c;
    }
    for (int r = 0; r < grid.rows(); ++r) {
        EXPECT_EQ(l.Ducts(r, 7), 0) << r;
        EXPECT_EQ(l.Walls(r, 7), 0) << r;
        EXPECT_EQ(l.Ducts(r, 0), 0) << r;
        EXPECT_EQ(l.Walls(r, 0), 0) << r;
    }
    // The walls that do lie inside are walls in Zones.
    EXPECT_EQ(l.Walls(2, 6), ICN_WALL_V);
    EXPECT_EQ(l.Zones(2, 6), ZONE_WALL);
    EXPECT_EQ(l.Links(3, 2), ICN_LINK_V);
}

// A plain piece has no business in an icon list, but one read from a file
// still belongs to its own layer rather than posing as an icon.
TEST(SketchGrid, PlainPiecesLoadIntoTheirOwnLayers)
{
    SketchGrid grid;
    ASSERT_TRUE(allocate_sketch_arrays(grid, 5, 8));
    Level level;
    level.icons = {{1, 1, ICN_WALL_H, 0}, {2, 2, ICN_DUCT_V, 0}, {3, 3, ICN_LINK_H, 0}};
    load_level_cells(grid, level, kCurrentLevel);
    const LevelCells& l = grid.current();
    EXPECT_EQ(l.Walls(1, 1), ICN_WALL_H);
    EXPECT_EQ(l.Ducts(2, 2), ICN_DUCT_V);
    EXPECT_EQ(l.Links(3, 3), ICN_LINK_H);
    const auto sketch = layer_copy(grid, l.Sketch);
    // Nothing in the icon layer but the ambient marker.
    EXPECT_EQ(std::count(sketch.begin(), sketch.end(), 0), static_cast<long>(grid.cells()) - 5);
}

TEST(SketchGrid, StepAlongRunFollowsTwoWayPieces)
{
    testing::ScriptedPort port;
    SketchGrid grid;
    draw_plan(grid, {{"..........",
                      ".#####....",
                      ".#...#....",
                      ".#####....",
                      ".#........",
                      ".#........",
                      ".##.......",
                      ".........."}});
    grid.cursor = {1, 1};
    grid.bounds.reset(grid.cursor);
    EXPECT_EQ(step_along_run(grid, CC_DIR_N, CellLayer::Wall), 0);  // the border: no move
    EXPECT_EQ(grid.cursor, (GridCell{1, 1}));
    EXPECT_EQ(step_along_run(grid, CC_DIR_E, CellLayer::Wall), CC_DIR_E);
    for (int i = 0; i < 3; ++i) step_along_run(grid, CC_DIR_E, CellLayer::Wall);
    EXPECT_EQ(grid.cursor, (GridCell{1, 5}));
    EXPECT_EQ(step_along_run(grid, CC_DIR_S, CellLayer::Wall), CC_DIR_S);
    EXPECT_EQ(step_along_run(grid, CC_DIR_S, CellLayer::Wall), CC_DIR_W);  // the corner turns west
    EXPECT_EQ(step_along_run(grid, CC_DIR_W, CellLayer::Wall), CC_DIR_W);
    for (int i = 0; i < 2; ++i) step_along_run(grid, CC_DIR_W, CellLayer::Wall);
    EXPECT_EQ(step_along_run(grid, CC_DIR_W, CellLayer::Wall), 0);  // a tee is a branch
    EXPECT_EQ(step_along_run(grid, CC_DIR_E, CellLayer::Duct), 0);  // nothing on the duct layer
    EXPECT_EQ(grid.bounds.min_row, 1);
    EXPECT_EQ(grid.bounds.max_row, 3);
    EXPECT_EQ(grid.bounds.min_col, 1);
    EXPECT_EQ(grid.bounds.max_col, 5);

    grid.cursor = {5, 1};
    try {
        step_along_run(grid, 3, CellLayer::Wall);
        FAIL() << "a direction of 3 must stop the program";
    } catch (const FatalStop& stop) {
        EXPECT_NE(std::string(stop.what()).find("No direction: 3"), std::string::npos);
    }
    EXPECT_EQ(grid.Scolors(5, 1), grid.colours.errors);
}

TEST(SketchGrid, CountLinkInputsCountsArrowheadsPointingIn)
{
    SketchGrid grid;
    draw_plan(grid, {{".......", ".......", ".......", ".......", ".......", ".......", "......."}, {},
                     {".......",
                      "...s...",
                      "...v...",
                      ".s>N<s.",
                      "...o...",
                      "...s...",
                      "......."}});
    EXPECT_EQ(count_link_inputs(grid, 3, 3), 3);
    EXPECT_EQ(count_link_inputs(grid, 3, 4), 0);
}

Level* add_level(Project& p, const char* name)
{
    Level level;
    level.name = name;
    level.delHt = 3;
    Level* stored = p.levels.add(level);
    stored->below = p.top_level;
    if (p.top_level) p.top_level->above = stored;
    if (!p.lowest_level) p.lowest_level = stored;
    p.top_level = stored;
    return stored;
}

// The icon list of a level drawn as a plan.
std::vector<IconEntry> icons_of(const Picture& plan)
{
    SketchGrid scratch;
    draw_plan(scratch, {plan});
    Level level;
    store_level_icons(scratch, level);
    return level.icons;
}

const Picture kRoom = {"............", "............", "..#######...", "..#..1..#...", "..#.....#...",
                       "..#######...", "............", "............", "............"};

TEST(SketchGrid, LevelsMoveThroughTheTwoLevelWindow)
{
    testing::ScriptedPort port;
    Project p;
    Level* l1 = add_level(p, "L1");
    Level* l2 = add_level(p, "L2");
    Level* l3 = add_level(p, "L3");
    l1->icons = icons_of({"............", "............", "..#######...", "..#..4..#...", "..#.....#...",
                          "..#######...", "............", "............", "............", "............",
                          "............", "............"});
    // Phantoms over zone 4 and over the outdoors of the level below.
    l2->icons = icons_of({"............", "............", "..#######...", "..#..p..#...", "..#.....#...",
                          "..#######...", "............", "..#####.....", "..#.p.#.....", "..#####.....",
                          "............", "............"});

    SketchGrid grid;
    ASSERT_TRUE(allocate_sketch_arrays(grid, 12, 12));
    // As a freshly read project stands: a current level the grid does not
    // show yet, which must not be stored from the empty cells.
    p.current_level = l1;
    goto_level(p, grid, *l1);
    EXPECT_EQ(p.current_level, l1);
    EXPECT_EQ(grid.below().Zones(4, 4), ZONE_AMBIENT);  // no level below
    const Picture l1_zones = zone_picture(grid);
    EXPECT_EQ(l1_zones[4], "..#44444#...");
    EXPECT_FALSE(level_down(p, grid));
    EXPECT_EQ(p.current_level, l1);
    EXPECT_FALSE(level_commands(p).below);
    EXPECT_TRUE(level_commands(p).above);

    ASSERT_TRUE(level_up(p, grid));
    EXPECT_EQ(p.current_level, l2);
    EXPECT_EQ(zone_picture(grid, kLevelBelow), l1_zones);
    // A phantom takes the zone below it, or stays undefined over the outdoors.
    EXPECT_EQ(grid.current().Paths(3, 5), 4);
    EXPECT_EQ(grid.current().Paths(8, 4), ZONE_UNDEFINED);
    EXPECT_EQ(zone_picture(grid)[4], "..#44444#...");
    EXPECT_EQ(zone_picture(grid)[8], "..#uuu#.....");
    const auto phantom = std::find_if(l2->icons.begin(), l2->icons.end(),
                                      [](const IconEntry& e) { return e.row == 3 && e.col == 5; });
    ASSERT_NE(phantom, l2->icons.end());
    EXPECT_EQ(phantom->nr, 4);

    ASSERT_TRUE(level_up(p, grid));
    EXPECT_EQ(p.current_level, l3);
    const std::vector<IconEntry> l3_icons = l3->icons;
    const auto below_zones = layer_copy(grid, grid.below().Zones);
    EXPECT_FALSE(level_up(p, grid));
    EXPECT_EQ(p.current_level, l3);
    EXPECT_EQ(l3->icons, l3_icons);
    EXPECT_EQ(layer_copy(grid, grid.below().Zones), below_zones);
    EXPECT_FALSE(level_commands(p).above);

    ASSERT_TRUE(level_down(p, grid));
    EXPECT_EQ(p.current_level, l2);
    EXPECT_EQ(zone_picture(grid, kLevelBelow), l1_zones);
    EXPECT_EQ(grid.current().Sketch(3, 5), ICN_PHANTOM);
    EXPECT_TRUE(port.boxes.empty());
}

TEST(SketchGrid, ResizeKeepsTheDrawing)
{
    testing::ScriptedPort port;
    Project p;
    p.rc.rows = 9;
    p.rc.cols = 12;
    Level* level = add_level(p, "L1");
    level->icons = icons_of(kRoom);
    SketchGrid grid;
    ASSERT_TRUE(allocate_sketch_arrays(grid, 9, 12));
    goto_level(p, grid, *level);

    ASSERT_TRUE(resize_sketch_arrays(grid, p, 20, 30));
    EXPECT_EQ(grid.rows(), 20);
    EXPECT_EQ(grid.cols(), 30);
    EXPECT_EQ(p.rc.rows, 20);
    EXPECT_EQ(p.rc.cols, 30);
    EXPECT_EQ(zone_picture(grid)[4].substr(0, 12), "..#11111#...");
    EXPECT_EQ(count_region_cells(grid, kCurrentLevel, 3, 5), 10);
}

TEST(SketchGrid, ResizeWithoutMemoryKeepsTheOldArrays)
{
    testing::ScriptedPort port;
    Project p;
    p.rc.rows = 9;
    p.rc.cols = 12;
    Level* level = add_level(p, "L1");
    level->icons = icons_of(kRoom);
    // Only the level-below zones of a larger drawing are out of reach.
    SketchGrid grid([](std::size_t bytes, std::string_view tag) {
        return tag == "SLZones" && bytes > 9 * 12 * 4 ? TaggedBlock{} : tagged_alloc_or_null(bytes, tag);
    });
    ASSERT_TRUE(allocate_sketch_arrays(grid, 9, 12));
    goto_level(p, grid, *level);
    const Picture before = zone_picture(grid);

    EXPECT_FALSE(resize_sketch_arrays(grid, p, 20, 30));
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].caption, "ERROR");
    const std::string text =
        " Not enough memory for a SketchPad of 20 rows by 30 columns; the size stays 9 rows by 12 columns.\n";
    EXPECT_EQ(port.boxes[0].text.substr(0, text.size()), text);
    EXPECT_EQ(error_count(), 1);
    EXPECT_EQ(grid.rows(), 9);
    EXPECT_EQ(grid.cols(), 12);
    EXPECT_EQ(p.rc.rows, 9);
    EXPECT_EQ(zone_picture(grid), before);
    // The drawing still stands and still goes on: the level stores as before.
    Level again;
    store_level_icons(grid, again);
    EXPECT_EQ(again.icons, level->icons);
}

}  // namespace
}  // namespace avelor
