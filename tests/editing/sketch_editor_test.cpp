#include "editing/sketch_editor.h"

#include <gtest/gtest.h>

#include "editing/wall_drawing.h"
#include "support/edit_fixture.h"

namespace avelor {
namespace {

using testing::EditFixture;
using testing::Plan;

const Plan kEmpty({"....................", "....................", "....................", "....................",
                   "....................", "....................", "....................", "....................",
                   "....................", "...................."});

EditOutcome toggle(EditFixture& f, DrawingTool tool)
{
    EditCommand c;
    c.action = EditAction::ToggleTool;
    c.tool = tool;
    return f.editor.apply(c);
}

TEST(SketchEditor, ToolsToggleAndExcludeEachOther)
{
    EditFixture f;
    f.build({kEmpty});
    EXPECT_TRUE(toggle(f, DrawingTool::Walls).tool_changed);
    EXPECT_EQ(f.editor.tool, DrawingTool::Walls);
    EXPECT_EQ(f.editor.stroke.step, 2);
    toggle(f, DrawingTool::Walls);
    EXPECT_EQ(f.editor.tool, DrawingTool::None);

    // Leaving a delete tool clears the selection it held.
    toggle(f, DrawingTool::DeleteByRegion);
    EXPECT_EQ(f.editor.stroke.step, 1);
    f.grid().Sselect(3, 3) = 1;
    toggle(f, DrawingTool::Boxes);
    EXPECT_EQ(f.editor.tool, DrawingTool::Boxes);
    EXPECT_EQ(f.grid().Sselect(3, 3), 0);

    // No tool outside normal mode; the link tool steps one cell.
    toggle(f, DrawingTool::Boxes);
    f.editor.mode = DisplayMode::Results;
    toggle(f, DrawingTool::Walls);
    EXPECT_EQ(f.editor.tool, DrawingTool::None);
    EXPECT_EQ(f.port.beeps, 1);
    toggle(f, DrawingTool::Links);
    EXPECT_EQ(f.editor.tool, DrawingTool::None);
    EXPECT_EQ(f.port.beeps, 2);
    f.editor.mode = DisplayMode::Normal;
    toggle(f, DrawingTool::Links);
    EXPECT_EQ(f.editor.tool, DrawingTool::Links);
    EXPECT_EQ(f.editor.stroke.step, 1);
    EXPECT_TRUE(f.port.boxes.empty());
    EXPECT_FALSE(f.project().changed());
    toggle(f, DrawingTool::Links);
    // The duct tool steps two cells, as the wall tools do.
    toggle(f, DrawingTool::Ducts);
    EXPECT_EQ(f.editor.tool, DrawingTool::Ducts);
    EXPECT_EQ(f.editor.stroke.step, 2);
}

TEST(SketchEditor, PointerDrivesTheStrokeOneStepAtATimeAndOnlyACommitChangesTheProject)
{
    EditFixture f;
    f.build({kEmpty});
    toggle(f, DrawingTool::Walls);
    f.at(2, 2);  // snapped to the odd lattice when the stroke begins
    EditOutcome begun = f.run(EditAction::LeftClick);
    EXPECT_TRUE(f.editor.stroke.in_progress);
    EXPECT_EQ(f.grid().cursor, (GridCell{3, 3}));
    EXPECT_FALSE(begun.modified);

    // The pointer far away: the cursor walks there down first, then across,
    // in steps of two, and never past the drawable area.
    EditCommand move;
    move.action = EditAction::PointerAt;
    move.cell = {7, 9};
    EditOutcome moved = f.editor.apply(move);
    EXPECT_EQ(f.grid().cursor, (GridCell{7, 9}));
    ASSERT_TRUE(moved.damage.has_value());
    const std::uint8_t line = f.grid().colours.drawing_line;
    for (int r = 3; r <= 7; ++r) EXPECT_EQ(f.grid().Scolors(r, 3), line) << r;
    for (int c = 3; c <= 9; ++c) EXPECT_EQ(f.grid().Scolors(7, c), line) << c;
    EXPECT_NE(f.grid().Scolors(3, 5), line);
    move.cell = {7, 40};
    f.editor.apply(move);
    EXPECT_EQ(f.grid().cursor.col, 17);  // the last odd column inside the border

    // Close the ring with arrow steps and commit.
    EditCommand step;
    step.action = EditAction::StepCursor;
    step.direction = 1;
    f.editor.apply(step);
    f.editor.apply(step);
    step.direction = 8;
    for (int i = 0; i < 7; ++i) f.editor.apply(step);
    EXPECT_EQ(f.grid().cursor, (GridCell{3, 3}));
    EditOutcome done = f.run(EditAction::LeftClick);
    EXPECT_EQ(done.result, 0);
    EXPECT_TRUE(done.modified);
    EXPECT_TRUE(f.project().changed());
    EXPECT_FALSE(f.editor.stroke.in_progress);
    EXPECT_EQ(f.editor.tool, DrawingTool::Walls);
    EXPECT_EQ(f.cells().Walls(3, 3), 14);
    EXPECT_EQ(f.cells().Walls(7, 17), 16);
}

TEST(SketchEditor, ReplacingTheProjectEmptiesTheClipboardAndEndsTheTool)
{
    EditFixture f;
    f.build({kEmpty});
    toggle(f, DrawingTool::Boxes);
    f.editor.clipboard.kind = ClipKind::Note;
    f.editor.clipboard.note = Annotation{};
    f.editor.project_replaced();
    EXPECT_TRUE(f.editor.clipboard.empty());
    EXPECT_FALSE(f.editor.clipboard.note.has_value());
    EXPECT_EQ(f.editor.tool, DrawingTool::None);
}

TEST(AreaDeleteForm, LinkedKindsAndLevelRows)
{
    EditFixture f;
    f.build({kEmpty, kEmpty, kEmpty});
    f.levels[2]->name = "Roof";
    AreaDeleteOptions kept;
    kept.paths = true;
    kept.levels = {3};
    AreaDeleteForm form = make_area_delete_form(f.project(), kept);
    ASSERT_EQ(form.level_rows.size(), 3u);
    EXPECT_EQ(form.level_rows[0].text, "  3            Roof");
    EXPECT_EQ(form.level_rows[2].text, "  1              L1");
    // The current level is the one preselected.
    EXPECT_EQ(form.options.levels, std::vector<std::int32_t>{1});
    EXPECT_TRUE(form.options.paths);

    form.set_walls(true);
    EXPECT_TRUE(form.options.zones);
    EXPECT_FALSE(form.zones_enabled());
    form.set_simple_ahs(true);
    EXPECT_TRUE(form.options.supplies && form.options.returns);
    EXPECT_FALSE(form.supplies_enabled() || form.returns_enabled());
    form.select_all_levels();
    EXPECT_EQ(form.options.levels, (std::vector<std::int32_t>{3, 2, 1}));
}

TEST(CoordinatesForm, CornersMustLieInsideAndEncloseACell)
{
    struct Case {
        GridCell a, b;
        bool ok;
    };
    const Case cases[] = {
        {{1, 1}, {8, 18}, true},
        {{8, 18}, {1, 1}, true},     // any two opposite corners
        {{2, 2}, {4, 4}, true},      // one cell inside
        {{2, 2}, {2, 9}, false},     // one row: no inside
        {{2, 2}, {3, 9}, false},     // two rows: still no inside
        {{0, 2}, {5, 9}, false},     // on the border
        {{2, 2}, {5, 19}, false},
    };
    for (const Case& c : cases) {
        CoordinatesForm form;
        form.max_row = 8;
        form.max_col = 18;
        form.a = c.a;
        form.b = c.b;
        EXPECT_EQ(form.check().empty(), c.ok) << c.a.row << "," << c.a.col << " " << c.b.row << "," << c.b.col;
    }
    CoordinatesForm form;
    form.max_row = 56;
    EXPECT_EQ(form.max_row_text(), "Maximum: 56");
}

}  // namespace
}  // namespace avelor

namespace avelor {
namespace {

TEST(SketchEditor, TheLinkToolComingOnShowsTheControlLinks)
{
    EditFixture f;
    f.build({kEmpty});
    f.session.view.flags.control_links = false;
    f.editor.toggle_tool(DrawingTool::Links);
    EXPECT_EQ(f.editor.tool, DrawingTool::Links);
    EXPECT_TRUE(f.session.view.flags.control_links);
    // Switching it off leaves them shown.
    f.editor.toggle_tool(DrawingTool::Links);
    EXPECT_EQ(f.editor.tool, DrawingTool::None);
    EXPECT_TRUE(f.session.view.flags.control_links);
}

}  // namespace
}  // namespace avelor
