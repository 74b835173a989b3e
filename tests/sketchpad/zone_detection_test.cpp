#include "sketchpad/zone_detection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/project.h"
#include "sketchpad/level_navigation.h"
#include "sketch_drawing.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::draw_plan;
using testing::error_cells;
using testing::Picture;
using testing::Plan;
using testing::zone_picture;

void detect(SketchGrid& grid)
{
    prepare_zone_cells(grid, kCurrentLevel);
    fill_zones(grid, kCurrentLevel, true);
}

const char* const kZoneDefinitionError = " Zone definition error(s)\n";

// Regions that fill cleanly, drawn and as Zones show them.
struct CleanFill {
    const char* name;
    Picture plan;
    Picture zones;
};

const CleanFill kCleanFills[] = {
    {"an empty level is all ambient",
     {"..........", "..........", "..........", ".........."},
     {"..........", "..........", "..........", ".........."}},
    {"a closed box without an icon stays unfilled",
     {"..........", ".#####....", ".#...#....", ".#####....", ".........."},
     {"..........", ".#####....", ".#   #....", ".#####....", ".........."}},
    {"a zone icon fills its box and no further",
     {"............", ".#####.###..", ".#...#.#.#..", ".#.3.#.###..", ".#...#......", ".#####......",
      "............"},
     {"............", ".#####.###..", ".#333#.# #..", ".#333#.###..", ".#333#......", ".#####......",
      "............"}},
    {"two undefined icons share their box",
     {"..........", ".######...", ".#u...#...", ".#...u#...", ".######...", ".........."},
     {"..........", ".######...", ".#uuuu#...", ".#uuuu#...", ".######...", ".........."}},
    {"a phantom and an undefined icon of the same key share their box",
     {"..........", ".######...", ".#p..u#...", ".######...", ".........."},
     {"..........", ".######...", ".#uuuu#...", ".######...", ".........."}},
    {"an ambient icon makes a courtyard outdoors",
     {"...........", ".#######...", ".#.....#...", ".#.###.#...", ".#.#a#.#...", ".#.###.#...",
      ".#..1..#...", ".#######...", "..........."},
     {"...........", ".#######...", ".#11111#...", ".#1###1#...", ".#1#.#1#...", ".#1###1#...",
      ".#11111#...", ".#######...", "..........."}},
    {"rooms meeting at a cross stay apart",
     {"..........", ".###......", ".#1#......", ".#####....", "...#2#....", "...###....", ".........."},
     {"..........", ".###......", ".#1#......", ".#####....", "...#2#....", "...###....", ".........."}},
};

TEST(ZoneFill, CleanRegions)
{
    for (const CleanFill& t : kCleanFills) {
        SCOPED_TRACE(t.name);
        testing::ScriptedPort port;
        SketchGrid grid;
        draw_plan(grid, {t.plan});
        prepare_zone_cells(grid, kCurrentLevel);
        EXPECT_EQ(fill_zones(grid, kCurrentLevel, true), 0);
        EXPECT_EQ(zone_picture(grid), t.zones);
        EXPECT_TRUE(port.boxes.empty());
        EXPECT_TRUE(error_cells(grid).empty());
    }
}

// Regions that meet another seed: the seeds painted in the error colour.
struct Conflict {
    const char* name;
    Picture plan;
    std::vector<GridCell> marked;
};

const Conflict kConflicts[] = {
    {"a wall gap lets the outdoors in",
     {"..........", ".#####....", ".#.1.#....", ".#........", ".#####....", ".........."},
     {{0, 0}, {2, 3}}},
    {"two zones in one box",
     {"..........", ".######...", ".#1...#...", ".#...2#...", ".######...", ".........."},
     {{2, 2}, {3, 5}}},
    {"a zone icon in the open",
     {"..........", "..........", "...1......", ".........."},
     {{0, 0}, {2, 3}}},
};

TEST(ZoneFill, ConflictsAreMarkedAndReportedOnce)
{
    for (const Conflict& t : kConflicts) {
        SCOPED_TRACE(t.name);
        testing::ScriptedPort port;
        SketchGrid grid;
        draw_plan(grid, {t.plan});
        prepare_zone_cells(grid, kCurrentLevel);
        EXPECT_EQ(fill_zones(grid, kCurrentLevel, true), 1);
        ASSERT_EQ(port.boxes.size(), 1u);
        EXPECT_EQ(port.boxes[0].caption, "ERROR");
        EXPECT_EQ(port.boxes[0].text.substr(0, 26), kZoneDefinitionError);
        EXPECT_EQ(error_cells(grid), t.marked);
        // Each seed cell still carries its own key.
        const LevelCells& l = grid.current();
        for (const GridCell& cell : t.marked)
            EXPECT_EQ(l.Zones(cell.row, cell.col), l.Paths(cell.row, cell.col));

        port.boxes.clear();
        prepare_zone_cells(grid, kCurrentLevel);
        EXPECT_EQ(fill_zones(grid, kCurrentLevel, false), 1);
        EXPECT_TRUE(port.boxes.empty());
    }
}

TEST(ZoneFill, UnnumberedZoneIconIsReportedAndSeedsNothing)
{
    testing::ScriptedPort port;
    SketchGrid grid;
    draw_plan(grid, {{"..........", ".#####....", ".#.0.#....", ".#####....", ".........."}});
    detect(grid);
    ASSERT_EQ(port.boxes.size(), 1u);
    const std::string text = " Unidentified zone [5 0] at row 2, col 3\n";
    EXPECT_EQ(port.boxes[0].text.substr(0, text.size()), text);
    EXPECT_EQ(zone_picture(grid)[2], ".#   #....");
}

// A comb of 601 teeth: exploring the row above the corridor pushes one
// segment per tooth, more than a fixed stack of 513 could hold.
TEST(ZoneFill, ARegionOfAnyShapeFillsInOneGo)
{
    testing::ScriptedPort port;
    const int cols = 1205;
    Picture plan(8, std::string(cols, '.'));
    for (int c = 1; c <= cols - 2; ++c) plan[1][c] = plan[6][c] = '#';
    for (int r = 2; r <= 4; ++r)
        for (int c = 1; c <= cols - 2; ++c) plan[r][c] = (c % 2 == 1) ? '#' : ' ';
    plan[5][1] = plan[5][cols - 2] = '#';
    plan[5][2] = '1';
    SketchGrid grid;
    draw_plan(grid, {plan});
    prepare_zone_cells(grid, kCurrentLevel);
    EXPECT_EQ(fill_zones(grid, kCurrentLevel, true), 0);
    EXPECT_TRUE(port.boxes.empty());
    const Picture zones = zone_picture(grid);
    for (int r = 2; r <= 5; ++r)
        for (int c = 2; c <= cols - 3; ++c)
            if (plan[r][c] != '#') {
                ASSERT_EQ(zones[r][c], '1') << r << "," << c;
            }
    EXPECT_EQ(count_region_cells(grid, kCurrentLevel, 5, 2), 601 * 3 + (cols - 4));
}

// Earlier strokes may leave straight pieces beside a vertex while the rest
// of the run is still to be rebuilt: the run goes on over them.
TEST(ZoneFill, WallRunsGoOnOverLeftoverStraightPieces)
{
    testing::ScriptedPort port;
    SketchGrid grid;
    draw_plan(grid, {{"...........",
                      ".#######...",
                      ".#.....#...",
                      ".#..1..#...",
                      ".#######...",
                      "..........."}});
    LevelCells& l = grid.current();
    l.Walls(1, 3) = l.Walls(1, 4) = l.Walls(1, 5) = 0;  // (1,2) and (1,6) stay
    l.Walls(3, 1) = 0;                                  // (2,1) stays
    detect(grid);
    EXPECT_TRUE(port.boxes.empty());
    const Picture expected = {"...........", ".#######...", ".#11111#...", ".#11111#...", ".#######...",
                              "..........."};
    EXPECT_EQ(zone_picture(grid), expected);
    EXPECT_EQ(l.Walls(1, 4), ICN_WALL_H);
    EXPECT_EQ(l.Walls(3, 1), ICN_WALL_V);
}

TEST(ZoneFill, AZoneIconOnAWallLeavesTheWallAlone)
{
    testing::ScriptedPort port;
    SketchGrid grid;
    draw_plan(grid, {{"..........", ".#####....", ".#.1.#....", ".#####....", ".........."}});
    grid.current().Sketch(1, 3) = ICN_ZONE;
    grid.current().Paths(1, 3) = 2;
    prepare_zone_cells(grid, kCurrentLevel);
    EXPECT_EQ(fill_zones(grid, kCurrentLevel, true), 0);
    const Picture expected = {"..........", ".#####....", ".#111#....", ".#####....", ".........."};
    EXPECT_EQ(zone_picture(grid), expected);
}

TEST(ZoneFill, ResetLeavesWallsAndIconsForTheNextFill)
{
    testing::ScriptedPort port;
    SketchGrid grid;
    draw_plan(grid, {{"..........", ".#####....", ".#.2.#....", ".#####....", ".........."}});
    detect(grid);
    const Picture filled = zone_picture(grid);
    reset_zone_cells(grid);
    const Picture reset = {".         ", " #####    ", " # 2 #    ", " #####    ", "          "};
    EXPECT_EQ(zone_picture(grid), reset);
    fill_zones(grid, kCurrentLevel, true);
    EXPECT_EQ(zone_picture(grid), filled);
}

// Two rooms over one room below:
//   path 1 north wall to the outdoors, path 2 between the rooms, path 3
//   through the floor, path 4 south wall to the outdoors, path 5 through
//   the floor over the outdoors below.
const Picture kUpper = {
    "..............",
    ".##A#######...",
    ".#....#...#...",
    ".#.2..B.3.#...",
    ".#....#...#...",
    ".######D###...",
    "..............",
    "..............",
};
const Picture kLower = {
    "..............",
    ".###########..",
    ".#.1.......#..",
    ".#.........#..",
    ".#.........#..",
    ".###########..",
    "..............",
    "..............",
};

struct DirCase {
    GridCell cell;
    std::uint8_t dir;
    PathSides sides;
};

TEST(ZoneSides, PathsStartAcrossTheirWallAndReadBothSides)
{
    testing::ScriptedPort port;
    SketchGrid grid;
    draw_plan(grid, {kLower}, kLevelBelow);
    prepare_zone_cells(grid, kLevelBelow);
    fill_zones(grid, kLevelBelow, true);
    draw_plan(grid, {kUpper});
    detect(grid);
    ASSERT_TRUE(port.boxes.empty());
    const DirCase cases[] = {
        {{1, 3}, kDirSouth, {ZONE_AMBIENT, 2}},  // from the outdoors above
        {{3, 6}, kDirEast, {2, 3}},
        {{5, 7}, kDirNorth, {ZONE_AMBIENT, 3}},  // from the outdoors below
        {{3, 3}, kDirUp, {1, 2}},                // from the room below
        {{6, 12}, kDirDown, {ZONE_AMBIENT, ZONE_AMBIENT}},
        {{1, 1}, 0, {}},                         // a corner takes no path
    };
    for (const DirCase& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.cell));
        EXPECT_EQ(initial_path_dir(grid, c.cell.row, c.cell.col), c.dir);
        const PathSides sides = path_sides(grid, c.cell.row, c.cell.col, c.dir);
        EXPECT_EQ(sides.n, c.sides.n);
        EXPECT_EQ(sides.m, c.sides.m);
    }
    // Reversing a path swaps its sides.
    const PathSides reversed = path_sides(grid, 3, 6, kDirWest);
    EXPECT_EQ(reversed.n, 3);
    EXPECT_EQ(reversed.m, 2);
    EXPECT_EQ(path_sides(grid, 3, 6, 7).n, ZONE_NONE);
}

Level* add_level(Project& p, const char* name)
{
    Level level;
    level.name = name;
    Level* stored = p.levels.add(level);
    stored->below = p.top_level;
    if (p.top_level) p.top_level->above = stored;
    if (!p.lowest_level) p.lowest_level = stored;
    p.top_level = stored;
    return stored;
}

std::vector<IconEntry> icons_of(const Plan& plan)
{
    SketchGrid scratch;
    draw_plan(scratch, plan);
    Level level;
    store_level_icons(scratch, level);
    return level.icons;
}

TEST(Relink, RecordsLearnTheirZonesFromTheGrid)
{
    testing::ScriptedPort port;
    Project p;
    Level* lower = add_level(p, "L1");
    Level* upper = add_level(p, "L2");
    for (int i = 0; i < 3; ++i) {
        Zone z;
        z.level = i == 0 ? lower : upper;
        p.zones.add(z);
    }
    p.zones.at(3)->level = lower;  // claims the wrong level
    for (int i = 0; i < 7; ++i) {
        FlowPath path;
        path.level = upper;
        path.flags = 0x01;
        path.wPset = 5;
        path.wPmod = 0.5f;
        path.wazm = 90;
        p.paths.add(path);
    }
    p.paths.at(4)->level = lower;
    p.sources.add(SourceSink{});
    Junction j;
    p.junctions.add(j);
    p.junctions.add(j);

    Plan upper_plan{{"..............",
                     ".##A#######...",
                     ".#....#...#...",
                     ".#2...B.3.#...",
                     ".#....#...#...",
                     ".######D###...",
                     "..............",
                     ".............."},
                    {"..............", "..............", "..............", "..............",
                     "...J..........", "..............", "............J.", ".............."}};
    lower->icons = icons_of({kLower});
    upper->icons = icons_of(upper_plan);
    // A floor path, a supply point, a return point outdoors and a source.
    upper->icons.push_back({2, 3, ICN_PATH, 3});
    upper->icons.push_back({2, 8, ICN_SUPPLY, 6});
    upper->icons.push_back({6, 2, ICN_RETURN, 7});
    upper->icons.push_back({4, 8, ICN_SOURCE, 1});
    // The icons of paths 1, 2 and 4 as they were placed.
    p.paths.at(1)->dir = kDirSouth;
    p.paths.at(2)->dir = kDirEast;
    p.paths.at(3)->dir = kDirUp;
    p.paths.at(4)->dir = kDirNorth;

    SketchGrid grid;
    ASSERT_TRUE(allocate_sketch_arrays(grid, 8, 14));
    goto_level(p, grid, *upper);
    ASSERT_TRUE(port.boxes.empty());
    relink_icons(p, grid);

    Zone* z1 = p.zones.at(1);
    Zone* z2 = p.zones.at(2);
    Zone* z3 = p.zones.at(3);
    EXPECT_EQ(p.paths.at(1)->zone_n, ZoneRef::ambient());
    EXPECT_EQ(p.paths.at(1)->zone_m, ZoneRef(z2));
    EXPECT_EQ(p.paths.at(2)->zone_n, ZoneRef(z2));
    EXPECT_EQ(p.paths.at(2)->zone_m, ZoneRef(z3));
    EXPECT_EQ(p.paths.at(3)->zone_n, ZoneRef(z1));
    EXPECT_EQ(p.paths.at(3)->zone_m, ZoneRef(z2));
    EXPECT_EQ(p.paths.at(3)->wazm, -1);
    EXPECT_EQ(p.paths.at(4)->zone_n, ZoneRef::ambient());
    EXPECT_EQ(p.paths.at(4)->zone_m, ZoneRef(z3));
    EXPECT_EQ(p.paths.at(6)->zone_m, ZoneRef(z3));  // supply: its own room
    EXPECT_EQ(p.paths.at(7)->zone_n, ZoneRef());    // return outdoors: no zone
    EXPECT_EQ(p.sources.at(1)->zone, z3);
    EXPECT_EQ(p.junctions.at(1)->zone, ZoneRef(z2));
    EXPECT_EQ(p.junctions.at(2)->zone, ZoneRef::ambient());

    // Wind reaches only paths with an outdoor side.
    const FlowPath* inner = p.paths.at(2);
    EXPECT_EQ(inner->flags & 0x01, 0);
    EXPECT_EQ(inner->wPset, 0);
    EXPECT_EQ(inner->wPmod, 0);
    EXPECT_EQ(inner->wazm, -1);
    const FlowPath* outer = p.paths.at(1);
    EXPECT_EQ(outer->flags & 0x01, 1);
    EXPECT_EQ(outer->wazm, 90);

    // Records claiming another level are moved, each with one message;
    // the scan runs from the bottom right.
    EXPECT_EQ(p.paths.at(4)->level, upper);
    EXPECT_EQ(z3->level, upper);
    ASSERT_EQ(port.boxes.size(), 2u);
    EXPECT_EQ(port.boxes[0].text, " Possible level error for path 4 fixed\n");
    EXPECT_EQ(port.boxes[1].text, " Possible level error for zone 3 fixed\n");
}

TEST(Relink, DuctSegmentsLearnTheirEndNodes)
{
    testing::ScriptedPort port;
    Project p;
    Level* level = add_level(p, "L1");
    for (int i = 0; i < 4; ++i) p.junctions.add(Junction{});
    p.ducts.add(DuctSegment{});
    p.ducts.add(DuctSegment{});
    level->icons = icons_of(Plan{{"..........", "..........", "..........", "..........", "..........",
                                  "..........", "..........", "..........", ".........."},
                                 {"..........",
                                  "....J.....",
                                  "....o.....",
                                  ".Jooooo<J.",
                                  "....o.....",
                                  "....v.....",
                                  "....o.....",
                                  "....T.....",
                                  ".........."}});
    SketchGrid grid;
    ASSERT_TRUE(allocate_sketch_arrays(grid, 9, 10));
    goto_level(p, grid, *level);
    relink_icons(p, grid);
    // Segment 1 points west: from the east node to the west one; segment 2
    // points south: from the top node to the terminal.
    EXPECT_EQ(p.ducts.at(1)->junction_n, p.junctions.at(3));
    EXPECT_EQ(p.ducts.at(1)->junction_m, p.junctions.at(2));
    EXPECT_EQ(p.ducts.at(2)->junction_n, p.junctions.at(1));
    EXPECT_EQ(p.ducts.at(2)->junction_m, p.junctions.at(4));
}

TEST(ZoneMeasures, FloorAreaReachesTheMiddleOfTheWalls)
{
    testing::ScriptedPort port;
    SketchGrid grid;
    draw_plan(grid, {{"............",
                      ".#####......",
                      ".#...#......",
                      ".#...#......",
                      ".#...#......",
                      ".#####......",
                      "............",
                      ".#######....",
                      ".#.....#....",
                      ".#.....#....",
                      ".#..####....",
                      ".#..#.......",
                      ".####.......",
                      "............"}});
    detect(grid);
    EXPECT_DOUBLE_EQ(region_floor_area(grid, 3, 3, 1.0), 16.0);
    EXPECT_DOUBLE_EQ(region_floor_area(grid, 3, 3, 0.5), 4.0);
    // The L through its wall centre lines: 6 x 3 and 3 x 2.
    EXPECT_DOUBLE_EQ(region_floor_area(grid, 11, 2, 1.0), 24.0);
}

// A float sum of cell areas is already a tenth of a percent off at this
// size; quarters counted in integers come out exact.
TEST(ZoneMeasures, FloorAreaOfALargeRegionIsExact)
{
    testing::ScriptedPort port;
    const int n = 603;
    Picture plan(n, std::string(n, '.'));
    for (int i = 1; i <= n - 2; ++i) plan[1][i] = plan[n - 2][i] = plan[i][1] = plan[i][n - 2] = '#';
    SketchGrid grid;
    draw_plan(grid, {plan});
    const double s = 0.3f;
    const double side = n - 3;  // wall centre to wall centre
    EXPECT_DOUBLE_EQ(region_floor_area(grid, 300, 300, s), side * side * s * s);
}

TEST(ZoneMeasures, RunLengthsBetweenTheirEnds)
{
    testing::ScriptedPort port;
    SketchGrid grid;
    draw_plan(grid, {{"...........",
                      ".#######...",
                      ".#.....#...",
                      ".#.....#...",
                      ".#######...",
                      "...........",
                      "..........."},
                     {"...........",
                      "...........",
                      "...........",
                      "..Joo>o....",
                      "......o....",
                      "......ooT..",
                      "..........."}});
    Level level;
    store_level_icons(grid, level);
    show_level(grid, &level, kCurrentLevel);
    EXPECT_DOUBLE_EQ(wall_run_length(grid, 1, 3, 2.0), 12.0);
    EXPECT_DOUBLE_EQ(wall_run_length(grid, 2, 7, 1.0), 3.0);
    EXPECT_DOUBLE_EQ(wall_run_length(grid, 1, 1, 1.0), 0.0);  // a corner is no run
    // Seven cells between the junction and the terminal, round a corner.
    EXPECT_DOUBLE_EQ(duct_run_length(grid, 3, 5, 1.0), 7.0);
    EXPECT_DOUBLE_EQ(duct_run_length(grid, 3, 5, 0.5), 3.5);
}

}  // namespace
}  // namespace avelor
