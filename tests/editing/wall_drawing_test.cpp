#include "editing/wall_drawing.h"

#include <algorithm>
#include <cctype>
#include <tuple>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <ostream>

#include "model/project.h"
#include "sketchpad/level_navigation.h"
#include "support/edit_fixture.h"
#include "support/test_files.h"

namespace avelor {
namespace {

using testing::EditFixture;
using testing::Picture;
using testing::Plan;

constexpr int N = 1, E = 2, S = 4, W = 8;

using CellCode = std::pair<GridCell, std::uint8_t>;

const Picture kEmpty(11, std::string(15, '.'));

// A room on the wall lattice, rows and columns 1..7.
const Picture kRoom = {
    "...............",  //
    ".#######.......",  //
    ".#.....#.......",  //
    ".#.....#.......",  //
    ".#.....#.......",  //
    ".#.....#.......",  //
    ".#.....#.......",  //
    ".#######.......",  //
    "...............",  //
    "...............",  //
    "...............",  //
};

Picture with(Picture p, int row, int col, char ch)
{
    p.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(col)) = ch;
    return p;
}

// One step of the active tool, the way the window moves the cursor.
bool step(EditFixture& f, int d)
{
    SketchGrid& g = f.grid();
    const int n = f.editor.stroke.step;
    f.editor.stroke.previous = g.cursor;
    if (d == N) g.cursor.row -= n;
    if (d == E) g.cursor.col += n;
    if (d == S) g.cursor.row += n;
    if (d == W) g.cursor.col -= n;
    return extend_stroke(f.editor);
}

void draw(EditFixture& f, DrawingTool tool, GridCell start, const std::vector<int>& moves)
{
    f.editor.tool = tool;
    f.at(start.row, start.col);
    begin_stroke(f.editor);
    for (int d : moves) step(f, d);
}

std::vector<GridCell> marked_cells(const SketchGrid& g)
{
    std::vector<GridCell> cells;
    for (int r = 0; r < g.rows(); ++r)
        for (int c = 0; c < g.cols(); ++c)
            if (g.Scolors(r, c) != g.colours.background) cells.push_back({r, c});
    return cells;
}

bool box_says(const EditFixture& f, const std::string& text)
{
    return std::any_of(f.port.boxes.begin(), f.port.boxes.end(),
                       [&](const testing::ShownBox& b) { return b.text.rfind(" " + text + "\n", 0) == 0; });
}

// ------------------------------------------------------------------ strokes

struct StrokeCase {
    const char* name;
    Picture plan;
    DrawingTool tool;
    GridCell start;
    std::vector<int> moves;
    int result;
    std::vector<GridCell> errors;  // only checked when the stroke is rejected
    std::vector<CellCode> codes;   // wall codes after the stroke
};

const StrokeCase kStrokes[] = {
    {"open straight stroke", kEmpty, DrawingTool::Walls, {3, 3}, {E, E}, 1, {{3, 3}, {3, 7}}, {}},
    {"closed box",
     kEmpty,
     DrawingTool::Boxes,
     {3, 3},
     {S, S, E, E, E},
     0,
     {},
     {{{3, 3}, 14}, {{3, 9}, 15}, {{7, 9}, 16}, {{7, 3}, 17}, {{3, 6}, 11}, {{5, 3}, 12}, {{5, 9}, 12}}},
    {"box onto a wall makes tees",
     kRoom,
     DrawingTool::Boxes,
     {3, 7},
     {S, S, S, E, E, E},
     0,
     {},
     {{{3, 7}, 18}, {{7, 7}, 20}, {{5, 7}, 12}, {{9, 7}, 17}, {{1, 7}, 15}, {{7, 4}, 11}}},
    {"box across a wall makes crosses",
     kRoom,
     DrawingTool::Boxes,
     {3, 5},
     {S, S, S, E, E, E},
     0,
     {},
     {{{3, 7}, 22}, {{7, 5}, 22}, {{3, 5}, 14}, {{7, 3}, 11}, {{2, 7}, 12}}},
    {"box sharing a wall", kRoom, DrawingTool::Boxes, {1, 7}, {E, E, E, S, S, S}, 0, {},
     {{{1, 7}, 19}, {{7, 7}, 21}, {{3, 7}, 12}, {{1, 13}, 15}}},
    {"through a path on a straight wall", with(kRoom, 1, 4, 'A'), DrawingTool::Walls, {1, 3}, {E}, 0, {},
     {{{1, 4}, 11}, {{1, 3}, 11}, {{1, 1}, 14}}},
    {"onto a zone icon", with(kRoom, 3, 3, '1'), DrawingTool::Boxes, {3, 3}, {S, E}, 1, {{3, 3}}, {}},
    {"stroke crossing a path", with(kRoom, 3, 1, 'A'), DrawingTool::Walls, {3, 1}, {E, E, E}, 1, {{3, 1}}, {}},
};

void PrintTo(const StrokeCase& c, std::ostream* os) { *os << c.name; }

class StrokeTable : public ::testing::TestWithParam<StrokeCase> {};

TEST_P(StrokeTable, ValidatesAndCommits)
{
    const StrokeCase& k = GetParam();
    EditFixture f;
    f.build({Plan(k.plan)});
    const std::vector<std::uint8_t> walls_before = testing::layer_copy(f.grid(), f.cells().Walls);
    draw(f, k.tool, k.start, k.moves);
    EXPECT_EQ(finish_wall_stroke(f.editor), k.result);
    if (k.result == 1) {
        EXPECT_EQ(testing::error_cells(f.grid()), k.errors);
        EXPECT_TRUE(box_says(f, "Invalid wall position(s)"));
        EXPECT_EQ(testing::layer_copy(f.grid(), f.cells().Walls), walls_before);
        EXPECT_TRUE(f.editor.stroke.in_progress);
        EXPECT_FALSE(f.editor.outcome().modified);
    } else {
        for (const auto& [cell, code] : k.codes)
            EXPECT_EQ(f.cells().Walls(cell.row, cell.col), code) << cell.row << "," << cell.col;
        EXPECT_TRUE(marked_cells(f.grid()).empty());
        EXPECT_FALSE(f.editor.stroke.in_progress);
        EXPECT_TRUE(f.editor.outcome().modified);
        EXPECT_TRUE(f.editor.outcome().navigator);
        EXPECT_TRUE(f.port.boxes.empty()) << f.port.boxes.front().text;
    }
}

INSTANTIATE_TEST_SUITE_P(Strokes, StrokeTable, ::testing::ValuesIn(kStrokes),
                         [](const ::testing::TestParamInfo<StrokeCase>& info) {
                             std::string name = info.param.name;
                             std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                             return name;
                         });

TEST(WallStroke, StartSnapsToOddCellsAndBoxEnclosesARegion)
{
    EditFixture f;
    f.build({Plan(kEmpty)});
    draw(f, DrawingTool::Boxes, {2, 4}, {S, S, E, E});
    EXPECT_EQ(f.editor.stroke.anchor, (GridCell{3, 5}));
    ASSERT_EQ(finish_wall_stroke(f.editor), 0);
    EXPECT_EQ(f.cells().Zones(5, 7), ZONE_NONE);  // enclosed, unclaimed
    EXPECT_EQ(f.cells().Zones(5, 5), ZONE_WALL);
    EXPECT_EQ(f.cells().Zones(9, 9), ZONE_AMBIENT);
}

TEST(WallStroke, WalkingBackRemovesExactlyTheLastTwoCells)
{
    EditFixture f;
    f.build({Plan(kEmpty)});
    draw(f, DrawingTool::Walls, {3, 3}, {E, S});
    const std::vector<GridCell> before = marked_cells(f.grid());
    ASSERT_EQ(before.size(), 5u);
    step(f, N);
    const std::vector<GridCell> after = marked_cells(f.grid());
    EXPECT_EQ(after, (std::vector<GridCell>{{3, 3}, {3, 4}, {3, 5}}));
    // Back to the anchor: only the anchor stays.
    step(f, W);
    EXPECT_EQ(marked_cells(f.grid()), (std::vector<GridCell>{{3, 3}}));
}

TEST(WallStroke, RejectedStrokeCanBeCorrectedAndCancelled)
{
    EditFixture f;
    f.build({Plan(kEmpty)});
    draw(f, DrawingTool::Walls, {3, 3}, {E, S, W});
    ASSERT_EQ(finish_wall_stroke(f.editor), 1);
    step(f, N);  // closes the square over its own start
    EXPECT_EQ(finish_wall_stroke(f.editor), 0);
    EXPECT_EQ(f.cells().Walls(3, 3), 14);

    draw(f, DrawingTool::Walls, {7, 7}, {E, E});
    cancel_stroke(f.editor);
    EXPECT_FALSE(f.editor.stroke.in_progress);
    EXPECT_EQ(f.editor.tool, DrawingTool::Walls);
    EXPECT_TRUE(marked_cells(f.grid()).empty());
    EXPECT_EQ(f.cells().Walls(7, 9), 0);
}

TEST(WallStroke, DraggedBoxRedrawsOnlyItsOutline)
{
    EditFixture f;
    f.build({Plan(kEmpty)});
    draw(f, DrawingTool::Boxes, {1, 1}, {S, S, S, E, E, E});
    step(f, N);
    f.editor.reset_outcome();
    step(f, W);
    std::vector<GridCell> outline;
    for (int c = 1; c <= 5; ++c) outline.push_back({1, c});
    for (int r = 2; r <= 4; ++r) outline.push_back({r, 1}), outline.push_back({r, 5});
    for (int c = 1; c <= 5; ++c) outline.push_back({5, c});
    std::sort(outline.begin(), outline.end(),
              [](GridCell a, GridCell b) { return std::pair(a.row, a.col) < std::pair(b.row, b.col); });
    EXPECT_EQ(marked_cells(f.grid()), outline);
    // The old box (1,1)-(5,7) and the new one are repainted, nothing else.
    ASSERT_TRUE(f.editor.outcome().damage.has_value());
    const CellBounds damage = *f.editor.outcome().damage;
    EXPECT_EQ(std::tuple(damage.min_row, damage.min_col, damage.max_row, damage.max_col), std::tuple(1, 1, 5, 7));
    EXPECT_FALSE(f.editor.outcome().repaint_all);
}

// ------------------------------------------------------------ wall runs

const Picture kTwoRooms = {
    "...........",  //
    ".#########.",  //
    ".#...#...#.",  //
    ".#.1.#...A.",  //
    ".#...#...#.",  //
    ".#########.",  //
    "...........",  //
};

// Two rings joined by a wall: each ring hangs from a tee.
const Picture kRings = {
    ".............",  //
    ".###.....###.",  //
    ".#.#.....#.#.",  //
    ".###########.",  //
    ".............",  //
};

struct RunCase {
    const char* name;
    Picture plan;
    GridCell start;
    std::vector<Answer> answers;
    int result;
    std::size_t questions;
    std::string message;  // a box expected, or empty
    std::vector<CellCode> codes;
};

const RunCase kRuns[] = {
    {"mid run between tees", kTwoRooms, {3, 5}, {Answer::Yes}, 1, 1, "",
     {{{2, 5}, 0}, {{3, 5}, 0}, {{4, 5}, 0}, {{1, 5}, 11}, {{5, 5}, 11}, {{3, 9}, 12}}},
    {"run round a corner, tees become corners", kTwoRooms, {1, 7}, {Answer::Yes}, 1, 1, "",
     {{{1, 9}, 0}, {{3, 9}, 0}, {{5, 7}, 0}, {{1, 5}, 15}, {{5, 5}, 16}, {{3, 5}, 12}}},
    {"from a tee, the second way out", kTwoRooms, {1, 5}, {Answer::No, Answer::Yes}, 1, 2, "",
     {{{3, 5}, 0}, {{1, 5}, 11}, {{5, 5}, 11}, {{1, 9}, 15}}},
    {"every way refused", kTwoRooms, {1, 5}, {Answer::No, Answer::No, Answer::No}, 0, 3, "", {{{1, 5}, 19}}},
    {"ring hanging from a tee", kRings, {1, 2}, {}, 0, 0, "Deletion would produce invalid wall configuration",
     {{{1, 2}, 11}, {{3, 3}, 21}}},
    {"off the walls", kTwoRooms, {2, 2}, {}, 0, 0, "Delete must start at a wall symbol", {}},
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

class RunTable : public ::testing::TestWithParam<RunCase> {};

TEST_P(RunTable, DeletesOneRun)
{
    const RunCase& k = GetParam();
    EditFixture f;
    f.build({Plan(k.plan)});
    for (Answer a : k.answers) f.port.answers.push_back(a);
    f.at(k.start.row, k.start.col);
    EXPECT_EQ(delete_wall_run(f.editor, k.start.row, k.start.col, Asking::Interactive), k.result);
    EXPECT_EQ(f.port.questions.size(), k.questions);
    for (const std::string& q : f.port.questions) EXPECT_EQ(q, "Delete the wall indicated?");
    if (!k.message.empty()) {
        EXPECT_TRUE(box_says(f, k.message));
    }
    for (const auto& [cell, code] : k.codes)
        EXPECT_EQ(f.cells().Walls(cell.row, cell.col), code) << cell.row << "," << cell.col;
    EXPECT_TRUE(marked_cells(f.grid()).empty());
    EXPECT_EQ(f.grid().cursor, k.start);
    EXPECT_EQ(f.editor.outcome().modified, k.result == 1);
}

INSTANTIATE_TEST_SUITE_P(Runs, RunTable, ::testing::ValuesIn(kRuns),
                         [](const ::testing::TestParamInfo<RunCase>& info) {
                             std::string name = info.param.name;
                             std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                             return name;
                         });

TEST(WallRun, DeletingTheRunTakesItsPathAndMergesTheRooms)
{
    EditFixture f;
    f.build({Plan(kTwoRooms)});
    f.port.answers.push_back(Answer::Yes);
    ASSERT_EQ(delete_wall_run(f.editor, 3, 9, Asking::Interactive), 1);
    EXPECT_EQ(f.cells().Sketch(3, 9), 0);
    EXPECT_EQ(f.project().paths.at(1), nullptr);
    // The room of zone 1 is open to the outdoors now, the shared wall stays.
    EXPECT_EQ(f.cells().Walls(3, 5), 12);
    EXPECT_EQ(f.cells().Zones(3, 7), ZONE_AMBIENT);

    f.port.boxes.clear();
    ASSERT_EQ(delete_wall_run(f.editor, 1, 1, Asking::Silent), 1);  // no question in silent mode
    EXPECT_EQ(f.port.questions.size(), 1u);
}

// ---------------------------------------------------------- area selection

struct RegionCase {
    const char* name;
    std::vector<int> moves;
    std::vector<bool> accepted;
    std::size_t marked;
    bool closed;
};

const RegionCase kRegions[] = {
    {"square closes at the start", {E, S, W, N, E}, {true, true, true, true, false}, 4, true},
    {"touching itself is refused", {E, E, S, W}, {true, true, true, false}, 4, false},
    {"step back unmarks the cell left", {E, E, W}, {true, true, true}, 2, false},
    {"beside the start only closing", {E, E, S, S, W, W, N, W}, {true, true, true, true, true, true, true, false}, 8,
     false},
};

void PrintTo(const RegionCase& c, std::ostream* os) { *os << c.name; }

class RegionTable : public ::testing::TestWithParam<RegionCase> {};

TEST_P(RegionTable, FollowsTheLoopRules)
{
    const RegionCase& k = GetParam();
    EditFixture f;
    f.build({Plan(kEmpty)});
    f.editor.tool = DrawingTool::DeleteByRegion;
    f.at(2, 2);
    begin_stroke(f.editor);
    int refused = 0;
    for (std::size_t i = 0; i < k.moves.size(); ++i) {
        const GridCell before = f.grid().cursor;
        const bool ok = step(f, k.moves[i]);
        EXPECT_EQ(ok, k.accepted[i]) << "step " << i;
        if (!ok) {
            ++refused;
            EXPECT_EQ(f.grid().cursor, before);
        }
    }
    EXPECT_EQ(f.port.beeps, refused);
    EXPECT_EQ(marked_cells(f.grid()).size(), k.marked);
    EXPECT_EQ(f.editor.stroke.loop_closed, k.closed);
}

INSTANTIATE_TEST_SUITE_P(Regions, RegionTable, ::testing::ValuesIn(kRegions),
                         [](const ::testing::TestParamInfo<RegionCase>& info) {
                             std::string name = info.param.name;
                             std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                             return name;
                         });

TEST(AreaSelection, ClosedLoopBecomesTheSelectionOpenLoopIsRefused)
{
    EditFixture f;
    f.build({Plan(kEmpty)});
    f.editor.tool = DrawingTool::DeleteByRegion;
    f.at(2, 2);
    begin_stroke(f.editor);
    for (int d : {E, E, S}) step(f, d);
    EXPECT_EQ(finish_selection(f.editor), 1);
    EXPECT_TRUE(box_says(f, "Invalid selection"));
    EXPECT_EQ(f.port.boxes.back().caption, "WARNING");
    EXPECT_EQ(testing::error_cells(f.grid()), (std::vector<GridCell>{{2, 2}, {3, 4}}));

    for (int d : {S, W, W, N, N}) step(f, d);
    EXPECT_TRUE(f.editor.stroke.loop_closed);
    ASSERT_EQ(finish_selection(f.editor), 0);
    EXPECT_FALSE(f.editor.stroke.in_progress);
    EXPECT_TRUE(marked_cells(f.grid()).empty());
    int selected = 0;
    for (std::size_t i = 0; i < f.grid().cells(); ++i) selected += f.grid().Sselect[i];
    EXPECT_EQ(selected, 8);
    EXPECT_EQ(f.grid().Sselect(2, 2), 1);
    EXPECT_EQ(f.grid().Sselect(3, 3), 0);
}

TEST(AreaSelection, ByCoordinatesOrdersTheCornersAndRefusesNarrowBoxes)
{
    EditFixture f;
    f.build({Plan(kEmpty)});
    f.dialogs.corners.push_back({{3, 3}, {3, 9}});  // one row
    f.dialogs.corners.push_back({{7, 9}, {3, 3}});
    EXPECT_FALSE(select_by_coordinates(f.editor));
    ASSERT_EQ(f.port.boxes.size(), 1u);
    EXPECT_EQ(f.port.boxes[0].caption, "WARNING");
    EXPECT_EQ(f.editor.tool, DrawingTool::None);
    EXPECT_EQ(std::count(f.grid().Sselect.data(), f.grid().Sselect.data() + f.grid().cells(), 1), 0);

    ASSERT_TRUE(select_by_coordinates(f.editor));
    EXPECT_EQ(f.dialogs.coordinate_forms.back().max_row, 9);
    EXPECT_EQ(f.dialogs.coordinate_forms.back().max_col, 13);
    EXPECT_EQ(f.editor.tool, DrawingTool::DeleteByBox);
    EXPECT_EQ(std::count(f.grid().Sselect.data(), f.grid().Sselect.data() + f.grid().cells(), 1), 2 * 7 + 2 * 3);
    EXPECT_EQ(f.grid().Sselect(3, 3), 1);
    EXPECT_EQ(f.grid().Sselect(7, 9), 1);
    EXPECT_EQ(f.grid().Sselect(5, 6), 0);

    EXPECT_FALSE(select_by_coordinates(f.editor));  // cancelled: the box stays
    EXPECT_EQ(f.grid().Sselect(3, 3), 1);
}

// ------------------------------------------------------------ area deletion

// Room z inside the area (2,2)-(9,10) with path p on its top wall, and
// room z + 1 outside it.
Picture area_plan(char zone, char path)
{
    Picture p = {
        ".................",  //
        ".................",  //
        ".................",  //
        "...#####...#####.",  //
        "...#...#...#...#.",  //
        "...#.z.#...#.y.#.",  //
        "...#...#...#...#.",  //
        "...#####...#####.",  //
        ".................",  //
        ".................",  //
        ".................",  //
    };
    p[3][5] = path;
    p[5][5] = zone;
    p[5][13] = static_cast<char>(zone + 1);
    return p;
}

AreaDeleteOptions only(bool AreaDeleteOptions::*kind)
{
    AreaDeleteOptions o;
    o.*kind = true;
    return o;
}

struct AreaFixture : EditFixture {
    void select_area()
    {
        dialogs.corners.push_back({{2, 2}, {9, 10}});
        ASSERT_TRUE(select_by_coordinates(editor));
    }
};

TEST(AreaDeletion, WallsTakeTheirZonesOnEveryChosenLevelTopDown)
{
    testing::RunLogFile log("walls_area.log");
    AreaFixture f;
    f.build({Plan(area_plan('1', 'A')), Plan(area_plan('3', 'B'))});
    f.select_area();
    AreaDeleteOptions o = only(&AreaDeleteOptions::walls);
    o.levels = {1, 2};
    f.dialogs.area_answers.push_back(o);
    ASSERT_TRUE(delete_in_area(f.editor));

    EXPECT_TRUE(f.editor.delete_options.zones);  // walls bring the zones along
    EXPECT_EQ(f.project().current_level, f.levels[0]);
    EXPECT_EQ(std::count(f.grid().Sselect.data(), f.grid().Sselect.data() + f.grid().cells(), 0),
              static_cast<std::ptrdiff_t>(f.grid().cells()));
    for (int zone : {1, 3}) EXPECT_EQ(f.project().zones.at(zone), nullptr) << zone;
    for (int zone : {2, 4}) EXPECT_NE(f.project().zones.at(zone), nullptr) << zone;
    for (int path : {1, 2}) EXPECT_EQ(f.project().paths.at(path), nullptr) << path;
    for (int r = 3; r <= 7; ++r)
        for (int c = 3; c <= 7; ++c) EXPECT_EQ(f.cells().Walls(r, c), 0);
    EXPECT_EQ(f.cells().Zones(5, 13), 2);
    for (const IconEntry& e : f.levels[1]->icons) EXPECT_GT(e.col, 10) << "left on level 2 at " << e.row;

    const std::string text = log.text();
    const std::size_t l2 = text.find("\nTime to delete from level L2: ");
    const std::size_t l1 = text.find("\nTime to delete from level L1: ");
    ASSERT_NE(l2, std::string::npos);
    ASSERT_NE(l1, std::string::npos);
    EXPECT_LT(l2, l1);
    EXPECT_EQ(text.find("Time to delete", l1 + 2), std::string::npos);
    EXPECT_NE(text.find(" s\n\n", l2), std::string::npos);
}

TEST(AreaDeletion, OnlyTheChosenKindsGo)
{
    AreaFixture f;
    f.build({Plan(area_plan('1', 'A'))});
    f.select_area();
    f.dialogs.area_answers.push_back(only(&AreaDeleteOptions::paths));
    ASSERT_TRUE(delete_in_area(f.editor));
    EXPECT_EQ(f.project().paths.at(1), nullptr);
    EXPECT_EQ(f.cells().Sketch(3, 5), 0);
    EXPECT_EQ(f.cells().Walls(3, 5), 11);
    EXPECT_EQ(f.cells().Walls(3, 3), 14);
    EXPECT_NE(f.project().zones.at(1), nullptr);
    EXPECT_EQ(f.cells().Zones(5, 5), 1);

    // Cancelled options: nothing happens and the kept options stay.
    f.select_area();
    EXPECT_FALSE(delete_in_area(f.editor));
    EXPECT_TRUE(f.editor.delete_options.paths);
    EXPECT_EQ(f.dialogs.area_forms.back().options.paths, true);
    EXPECT_NE(f.project().zones.at(1), nullptr);
}

TEST(AreaDeletion, DuctRunsAndUnfedNodesGoWithoutQuestions)
{
    AreaFixture f;
    f.build({Plan(area_plan('1', 'A'))});
    for (int c = 4; c <= 6; ++c) f.cells().Ducts(4, c) = ICN_DUCT_H;
    f.cells().Links(6, 4) = ICN_CTRL_NODE;
    f.cells().Links(6, 6) = ICN_CTRL_NODE;
    // A node that a link from outside the area still feeds stays.
    f.cells().Links(5, 6) = ICN_CTRL_NODE;
    f.cells().Links(4, 6) = ICN_ARROW_S;
    f.select_area();
    AreaDeleteOptions o;
    o.ducts = o.controls = o.notes = true;
    f.dialogs.area_answers.push_back(o);
    ASSERT_TRUE(delete_in_area(f.editor));
    EXPECT_TRUE(f.port.boxes.empty());
    EXPECT_TRUE(f.port.questions.empty());
    for (int c = 4; c <= 6; ++c) EXPECT_EQ(f.cells().Ducts(4, c), 0) << c;
    EXPECT_EQ(f.cells().Links(6, 4), 0);
    EXPECT_EQ(f.cells().Links(6, 6), 0);
    EXPECT_EQ(f.cells().Links(5, 6), ICN_CTRL_NODE);
}

TEST(AreaDeletion, SimpleAhsIsDeletedAfterTheFill)
{
    AreaFixture f;
    f.build({Plan(area_plan('1', 'A'))});
    SimpleAhs* system = create_simple_ahs(f.project(), "AHS1", "");
    ASSERT_NE(system, nullptr);
    f.cells().Sketch(4, 4) = ICN_AHS;
    f.cells().Paths(4, 4) = system->nr;
    f.select_area();
    f.dialogs.area_answers.push_back(only(&AreaDeleteOptions::simple_ahs));
    ASSERT_TRUE(delete_in_area(f.editor));
    EXPECT_EQ(f.cells().Sketch(4, 4), 0);
    EXPECT_TRUE(f.project().system_index.empty());
    EXPECT_NE(f.project().paths.at(1), nullptr);  // paths were not chosen
}

TEST(AreaDeletion, WallsCrossingTheLoopAreCutOnTheInside)
{
    // A wall from one room to the other runs straight through the area
    // (4,8)-(8,12) with no corner inside it.
    const Picture plan = {
        ".....................",  //
        ".#####.........#####.",  //
        ".#...#.........#...#.",  //
        ".#.1.#.........#.2.#.",  //
        ".#...#.........#...#.",  //
        ".#...###########...#.",  //
        ".#...#.........#...#.",  //
        ".#####.........#####.",  //
        ".....................",  //
        ".....................",  //
    };
    AreaFixture f;
    f.build({Plan(plan)});
    f.dialogs.corners.push_back({{4, 8}, {8, 12}});
    ASSERT_TRUE(select_by_coordinates(f.editor));
    f.dialogs.area_answers.push_back(only(&AreaDeleteOptions::walls));
    ASSERT_TRUE(delete_in_area(f.editor));
    for (int c = 6; c <= 14; ++c) EXPECT_EQ(f.cells().Walls(5, c), 0) << c;
    EXPECT_EQ(f.cells().Walls(5, 5), 12);
    EXPECT_EQ(f.cells().Walls(5, 15), 12);
    EXPECT_EQ(f.cells().Zones(3, 3), 1);
    EXPECT_EQ(f.cells().Zones(3, 17), 2);
    EXPECT_FALSE(box_says(f, "Zone definition error(s)"));
}

TEST(AreaDeletion, WithoutAClosedLoopNothingIsDeleted)
{
    AreaFixture f;
    f.build({Plan(area_plan('1', 'A'))});
    const auto walls = testing::layer_copy(f.grid(), f.cells().Walls);
    // No selection at all, then a line (a box squeezed onto one row).
    EXPECT_FALSE(delete_in_area(f.editor));
    for (int c = 2; c <= 10; ++c) f.grid().Sselect(2, c) = 1;
    EXPECT_FALSE(delete_in_area(f.editor));
    ASSERT_EQ(f.port.boxes.size(), 2u);
    EXPECT_TRUE(box_says(f, "There is no closed area selected: nothing was deleted."));
    EXPECT_TRUE(f.dialogs.area_forms.empty());
    EXPECT_EQ(testing::layer_copy(f.grid(), f.cells().Walls), walls);
    EXPECT_NE(f.project().zones.at(1), nullptr);
}

TEST(AreaDeletion, FillGrowsItsStackAndClaimsEveryCellOnce)
{
    // A comb of 300 one-cell teeth hanging from a base row: the fill holds
    // one pending run per tooth. A note at the foot of every tooth.
    constexpr int kTeeth = 300, kDepth = 3;
    const int cols = 4 * kTeeth + 3;
    const int rows = kDepth + 7;
    AreaFixture f;
    f.build({Plan(Picture(static_cast<std::size_t>(rows), std::string(static_cast<std::size_t>(cols), '.')))});
    SketchGrid& g = f.grid();
    std::vector<std::uint8_t> inside(g.cells(), 0);
    for (int c = 3; c <= 3 + 4 * (kTeeth - 1); ++c) inside[g.index(3, c)] = 1;
    std::vector<std::int32_t> notes;
    for (int t = 0; t < kTeeth; ++t) {
        const int c = 3 + 4 * t;
        for (int r = 4; r <= 3 + kDepth; ++r) inside[g.index(r, c)] = 1;
        Annotation a;
        a.text = "tooth";
        const std::int32_t n = f.project().notes.add(a)->nr;
        f.cells().Sketch(3 + kDepth, c) = ICN_NOTE;
        f.cells().Paths(3 + kDepth, c) = n;
        notes.push_back(n);
    }
    for (int r = 1; r < rows - 1; ++r)
        for (int c = 1; c < cols - 1; ++c) {
            if (inside[g.index(r, c)]) continue;
            bool near = false;
            for (int dr = -1; dr <= 1; ++dr)
                for (int dc = -1; dc <= 1; ++dc) near = near || inside[g.index(r + dr, c + dc)];
            if (near) g.Sselect(r, c) = 1;
        }
    testing::RunLogFile log("walls_comb.log");
    f.dialogs.area_answers.push_back(only(&AreaDeleteOptions::notes));
    ASSERT_TRUE(delete_in_area(f.editor));
    for (std::int32_t n : notes) EXPECT_EQ(f.project().notes.at(n), nullptr) << n;
    EXPECT_TRUE(testing::error_cells(g).empty());
    const std::string text = log.text();
    EXPECT_EQ(std::count(text.begin(), text.end(), ':'), 1) << text;
}

}  // namespace
}  // namespace avelor
