#include "sketchpad/sketch_view.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "app/file_io.h"
#include "editing/editor_session.h"
#include "editing/set_origin.h"
#include "forms/shift_drawing_form.h"
#include "model/project.h"
#include "sketch_drawing.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

namespace avelor {
namespace {

using testing::draw_plan;
using testing::Plan;

class ViewFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(allocate_sketch_arrays(grid, 200, 300));
        view.set_window_pixels(40 * 8, 20 * 8, grid);  // 40 columns, 20 rows at size 8
    }
    testing::ScriptedPort port;
    SketchGrid grid;
    SketchView view;
};

TEST_F(ViewFixture, CellSizesStepThroughTheList)
{
    EXPECT_EQ(view.cell_size(), 8);
    EXPECT_TRUE(view.larger_cells(grid));
    EXPECT_EQ(view.cell_size(), 16);
    EXPECT_FALSE(view.can_enlarge());
    EXPECT_FALSE(view.larger_cells(grid));
    EXPECT_EQ(view.cell_size(), 16);
    EXPECT_EQ(view.visible_cols(), 20);
    while (view.smaller_cells(grid)) {
    }
    EXPECT_EQ(view.cell_size(), 1);
    EXPECT_FALSE(view.can_reduce());

    // A configured list: in order, cell sizes only, 8 present.
    EXPECT_FALSE(view.set_cell_sizes({1, 2, 3, 5, 16}));
    EXPECT_FALSE(view.set_cell_sizes({8, 4}));
    EXPECT_FALSE(view.set_cell_sizes({6, 8}));
    EXPECT_TRUE(view.set_cell_sizes({4, 8, 16}));
    EXPECT_EQ(view.cell_size(), 8);  // 1 left the list
    EXPECT_FALSE(view.set_cell_size(2, grid));
}

TEST_F(ViewFixture, CursorStaysInTheDrawableArea)
{
    struct Case {
        GridCell from;
        ViewDirection d;
        CursorMove how;
        GridCell to;
    };
    const Case cases[] = {
        {{1, 1}, ViewDirection::North, CursorMove::Step, {1, 1}},
        {{1, 1}, ViewDirection::West, CursorMove::Jump, {1, 1}},
        {{5, 5}, ViewDirection::South, CursorMove::Step, {6, 5}},
        {{5, 5}, ViewDirection::East, CursorMove::Jump, {5, 15}},
        {{5, 5}, ViewDirection::North, CursorMove::Jump, {1, 5}},
        {{198, 298}, ViewDirection::South, CursorMove::Step, {198, 298}},
        {{198, 290}, ViewDirection::East, CursorMove::Jump, {198, 298}},
    };
    for (const Case& c : cases) {
        grid.cursor = c.from;
        view.move_cursor(grid, c.d, c.how);
        EXPECT_EQ(grid.cursor, c.to) << c.from.row << "," << c.from.col;
        EXPECT_GE(grid.cursor.row, view.first_row());
        EXPECT_LT(grid.cursor.row, view.first_row() + view.visible_rows());
        EXPECT_GE(grid.cursor.col, view.first_col());
        EXPECT_LT(grid.cursor.col, view.first_col() + view.visible_cols());
    }
}

TEST_F(ViewFixture, LeavingTheWindowScrollsThreeQuarters)
{
    grid.cursor = {10, 39};
    view.keep_cursor_visible(grid);
    EXPECT_EQ(view.first_col(), 0);
    view.move_cursor(grid, ViewDirection::East, CursorMove::Step);
    EXPECT_EQ(view.first_col(), 30);  // 3/4 of 40 columns
    view.move_cursor(grid, ViewDirection::West, CursorMove::Step);
    EXPECT_EQ(view.first_col(), 30);
    // A far jump scrolls as often as needed, and never past the grid.
    view.place_cursor(grid, {500, 500});
    EXPECT_EQ(grid.cursor, (GridCell{198, 298}));
    EXPECT_EQ(view.first_row(), view.vertical_range(grid));
    EXPECT_EQ(view.first_col(), view.horizontal_range(grid));
    EXPECT_EQ(view.vertical_range(grid), 200 - 20);
    EXPECT_EQ(view.horizontal_range(grid), 300 - 40);
    view.reset(grid);
    EXPECT_EQ(grid.cursor, (GridCell{1, 1}));
    EXPECT_EQ(view.first_row(), 0);

    GridCell at;
    ASSERT_TRUE(view.cell_at(17, 9, grid, at));
    EXPECT_EQ(at, (GridCell{1, 2}));
}

TEST(SketchViewItems, CtrlArrowStopsAtTheNextItem)
{
    testing::ScriptedPort port;
    SketchGrid grid;
    draw_plan(grid, Plan({"...............", ".#######.......", ".#.....#.......", ".#..1..A.......",
                          ".#######.......", "..............."}));
    SketchView view;
    view.set_window_pixels(400, 400, grid);
    grid.cursor = {3, 1};
    // The straight wall at (3, 1) is no item; the zone icon, the path and
    // nothing more to the east.
    view.move_cursor(grid, ViewDirection::East, CursorMove::ToItem);
    EXPECT_EQ(grid.cursor, (GridCell{3, 4}));
    view.move_cursor(grid, ViewDirection::East, CursorMove::ToItem);
    EXPECT_EQ(grid.cursor, (GridCell{3, 7}));
    EXPECT_FALSE(view.move_cursor(grid, ViewDirection::East, CursorMove::ToItem));
    EXPECT_EQ(grid.cursor, (GridCell{3, 7}));
    // Corners are items.
    grid.cursor = {2, 1};
    view.move_cursor(grid, ViewDirection::North, CursorMove::ToItem);
    EXPECT_EQ(grid.cursor, (GridCell{1, 1}));
}

TEST(SketchViewOrigin, NotOnTheBorder)
{
    testing::ScriptedPort port;
    SketchGrid grid;
    ASSERT_TRUE(allocate_sketch_arrays(grid, 58, 66));
    Project project;
    grid.cursor = {0, 5};
    EXPECT_FALSE(set_origin(project, grid));
    grid.cursor = {57, 5};
    EXPECT_FALSE(set_origin(project, grid));
    EXPECT_FALSE(project.changed());
    grid.cursor = {7, 5};
    EXPECT_TRUE(set_origin(project, grid));
    EXPECT_EQ(project.rc.orgRow, 7);
    EXPECT_EQ(project.rc.orgCol, 5);
    EXPECT_TRUE(project.changed());
}

std::string example(const char* name) { return std::string(AVELOR_SOURCE_DIR) + "/examples/" + name; }

TEST(ShiftDrawing, EvenStepsOverEveryLevelKeepingTheLastEdits)
{
    EXPECT_EQ(even_shift(3), 2);
    EXPECT_EQ(even_shift(-3), -2);
    EXPECT_EQ(even_shift(4), 4);
    EXPECT_EQ(even_shift(0), 0);

    testing::ScriptedPort port;
    EditorSession session;
    ASSERT_TRUE(open_in_session(session, example("office.prj")));
    Project& project = session.project();
    LevelCells& cells = session.grid.current();
    project.rc.orgRow = 10;  // off the bottom border row, where new projects put it
    ShiftDrawingForm form(project, session.grid);
    std::vector<IconEntry> before;
    for (Level& level : project.levels)
        for (const IconEntry& e : level.icons) before.push_back(e);
    ASSERT_FALSE(before.empty());
    const DrawingMargins m = form.margins();
    EXPECT_EQ(form.max_horizontal(), m.right);
    EXPECT_EQ(form.min_vertical(), -m.top);
    ASSERT_GE(m.right, 3);
    ASSERT_GE(m.bottom, 3);
    // Outside the margins is refused with a box and nothing moves.
    EXPECT_FALSE(form.accept(m.right + 1, 0, session.view));
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_FALSE(project.changed());

    ASSERT_TRUE(form.accept(3, 3, session.view));
    std::vector<IconEntry> after;
    for (Level& level : project.levels)
        for (const IconEntry& e : level.icons) after.push_back(e);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].row, before[i].row + 2);
        EXPECT_EQ(after[i].col, before[i].col + 2);
        EXPECT_EQ(after[i].code, before[i].code);
    }
    EXPECT_TRUE(project.changed());
    // The grid shows the moved level.
    const IconEntry& first = project.current_level->icons.front();
    std::uint8_t shown = cells.Sketch(first.row, first.col) | cells.Walls(first.row, first.col) |
                         cells.Ducts(first.row, first.col) | cells.Links(first.row, first.col);
    EXPECT_NE(shown, 0);
}

TEST(ShiftDrawing, StoresTheCurrentLevelFirst)
{
    testing::ScriptedPort port;
    EditorSession session;
    ASSERT_TRUE(open_in_session(session, example("two_rooms.prj")));
    Project& project = session.project();
    // A wall corner drawn since the level was last stored.
    LevelCells& cells = session.grid.current();
    int row = 0, col = 0;
    for (int r = 1; r < session.grid.rows() - 1 && !row; r += 2)
        for (int c = session.grid.cols() - 3; c > 1; c -= 2)
            if (!cells.Walls(r, c) && !cells.Sketch(r, c)) {
                row = r, col = c;
                break;
            }
    ASSERT_NE(row, 0);
    cells.Walls(row, col) = 22;  // a lone cross piece
    ShiftDrawingForm form(project, session.grid);
    ASSERT_TRUE(form.accept(0, form.min_vertical() <= -2 ? -2 : 0, session.view));
    bool kept = false;
    for (const IconEntry& e : project.current_level->icons) kept |= e.code == 22 && e.col == col;
    EXPECT_TRUE(kept);
}

TEST(EditorSession, OpenNewAndTitle)
{
    testing::ScriptedPort port;
    EditorSession session;
    prepare_sketchpad(session);
    EXPECT_TRUE(session.grid.allocated());
    EXPECT_EQ(session.grid.rows(), 58);
    ASSERT_NE(session.project().current_level, nullptr);
    EXPECT_EQ(session.project().current_level->name, "<1>");
    EXPECT_EQ(session_title(session), "AVELORW3 - (untitled)");

    ASSERT_TRUE(open_in_session(session, example("office.prj")));
    EXPECT_EQ(session_title(session), "AVELORW3 - office.prj");
    EXPECT_EQ(session.project().current_level, session.project().lowest_level);
    EXPECT_EQ(session.grid.shown_level(kCurrentLevel), session.project().lowest_level);
    EXPECT_EQ(session.grid.rows(), session.project().rc.rows);
    EXPECT_EQ(port.statuses.front(), "Reading Project");

    // A file that fails leaves an empty untitled project with a grid.
    const std::string bad = std::string(std::getenv("TEST_TMPDIR")) + "/bad.prj";
    {
        std::ofstream f(bad);
        f << "nothing of a project\n";
    }
    EXPECT_FALSE(open_in_session(session, bad));
    EXPECT_EQ(session_title(session), "AVELORW3 - (untitled)");
    EXPECT_TRUE(session.grid.allocated());
    EXPECT_NE(session.project().current_level, nullptr);
}

TEST(EditorSession, UnsavedChangesQuestion)
{
    testing::ScriptedPort port;
    EditorSession session;
    const std::string dir = std::getenv("TEST_TMPDIR");
    const std::string copy = dir + "/copy.prj";
    ASSERT_TRUE(file_copy(example("two_rooms.prj"), copy));
    ASSERT_TRUE(open_in_session(session, copy));
    EXPECT_TRUE(settle_unsaved_changes(session));  // nothing to ask
    EXPECT_TRUE(port.questions.empty());

    session.project().rc.orgCol = 3;
    session.project().mark_changed();
    port.answers = {Answer::Cancel, Answer::No, Answer::Yes};
    EXPECT_FALSE(settle_unsaved_changes(session));
    EXPECT_EQ(port.questions.back(), "Save changes to current project file: copy.prj ?");
    EXPECT_TRUE(settle_unsaved_changes(session));
    EXPECT_TRUE(session.project().changed());
    EXPECT_TRUE(settle_unsaved_changes(session));  // Yes saves in place
    EXPECT_FALSE(session.project().changed());
    EXPECT_NE(testing::read_file(copy).find("      56       3     0"), std::string::npos);

    // Open from the menu: cancelled file choice opens nothing.
    EXPECT_FALSE(open_from_menu(session));
    ASSERT_EQ(port.file_requests.size(), 1u);
    EXPECT_EQ(port.file_requests[0].filter, "Project Files (*.PRJ)");
    port.files = {example("office.prj")};
    EXPECT_TRUE(open_from_menu(session));
    EXPECT_EQ(session_title(session), "AVELORW3 - office.prj");
}

TEST(EditorSession, FailedSaveKeepsTheFileAndTheWorkUnsaved)
{
    const std::string dir = std::getenv("TEST_TMPDIR");
    const std::string copy = dir + "/fault.prj";
    for (WriteStage stage : {WriteStage::open, WriteStage::write, WriteStage::flush, WriteStage::fsync,
                             WriteStage::close, WriteStage::rename}) {
        SCOPED_TRACE(std::string(write_stage_name(stage)));
        testing::ScriptedPort port;
        EditorSession session;
        ASSERT_TRUE(file_copy(example("two_rooms.prj"), copy));
        const std::string before = testing::read_file(copy);
        ASSERT_TRUE(open_in_session(session, copy));
        session.project().rc.orgCol = 3;
        session.project().mark_changed();
        {
            ScopedWriteFault fault(stage);
            EXPECT_FALSE(save_session(session, false));
        }
        EXPECT_EQ(testing::read_file(copy), before);
        ASSERT_FALSE(port.boxes.empty());
        // The box names the file that was not saved.
        EXPECT_NE(port.boxes.back().text.find(copy), std::string::npos) << port.boxes.back().text;
        // The close question still comes, and Yes now saves.
        port.answers = {Answer::Yes};
        EXPECT_TRUE(settle_unsaved_changes(session));
        EXPECT_EQ(port.questions.size(), 1u);
        EXPECT_NE(testing::read_file(copy).find("      56       3     0"), std::string::npos);
    }
}

}  // namespace
}  // namespace avelor
