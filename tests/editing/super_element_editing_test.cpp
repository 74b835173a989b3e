#include "editing/super_element_editing.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editing/control_define.h"
#include "editing/link_drawing.h"
#include "model/project.h"
#include "sketchpad/super_sketch.h"
#include "support/edit_fixture.h"

namespace avelor {
namespace {

using testing::EditFixture;
using testing::Picture;

const Picture kRoom = {
    "................",  // 0
    ".#######A######.",  // 1
    ".#............#.",  // 2
    ".#.1..........#.",  // 3
    ".#............#.",  // 4
    ".#######B######.",  // 5
    "................",  // 6
};

ControlNode node_of(int type, const char* name)
{
    ControlNode node;
    node.type = static_cast<std::int16_t>(type);
    node.data = new_control_data(type);
    node.name = name;
    return node;
}

// An element whose constant node 1 at (5,5) feeds, by a link running east,
// the absolute-value node 2 at (5,10); node 2 is the output.
SuperElement* feeding_element(Project& p)
{
    SuperElement e;
    e.name = "SE_1";
    SuperElement* stored = p.super_elements.insert_copy(e);
    stored->nodes.add(node_of(kCtSet, "k"));
    stored->nodes.add(node_of(kCtAbs, "out"));
    stored->output = stored->nodes.at(2);
    stored->sketch = {{ICN_CTRL_NODE, 5, 5, 1}, {ICN_LINK_HEAD_H, 6, 5, 1}, {ICN_ARROW_E, 9, 5, 1}, {188, 10, 5, 2}};
    return stored;
}

struct SuperSketch : ::testing::Test {
    EditFixture f;
    void SetUp() override { f.build({{kRoom}}); }
};

TEST_F(SuperSketch, EnteringPutsTheBuildingAsideAndLeavingBringsItBack)
{
    SuperElement* e = feeding_element(f.project());
    const int rows = f.grid().rows();
    const int cols = f.grid().cols();
    f.session.view.set_cell_size(4, f.grid());
    f.at(3, 3);
    ASSERT_TRUE(enter_super_element_editing(f.editor, e));
    EXPECT_FALSE(enter_super_element_editing(f.editor, e));  // once only

    EXPECT_EQ(f.grid().rows(), kSuperSketchRows);
    EXPECT_EQ(f.grid().cols(), kSuperSketchCols);
    EXPECT_EQ(f.session.view.cell_size(), 8);
    EXPECT_EQ(f.grid().cursor, (GridCell{1, 1}));
    EXPECT_TRUE(f.session.view.flags.control_links);
    EXPECT_EQ(f.editor.control.mode, ControlEditMode::SuperElement);
    std::string title;
    for (int c = 0; c < static_cast<int>(kSuperSketchTitle.size()); ++c)
        title += static_cast<char>(f.cells().Sketch(0, c));
    EXPECT_EQ(title, kSuperSketchTitle);
    // The sketch is drawn: the run between head and arrowhead is expanded.
    EXPECT_EQ(f.cells().Links(5, 7), ICN_LINK_H);
    EXPECT_EQ(f.cells().Links(5, 10), 188);
    // Its nodes' inputs come from the links.
    EXPECT_EQ(e->nodes.at(2)->c1, e->nodes.at(1));

    leave_super_element_editing(f.editor);
    EXPECT_EQ(f.grid().rows(), rows);
    EXPECT_EQ(f.grid().cols(), cols);
    EXPECT_EQ(f.session.view.cell_size(), 4);
    EXPECT_EQ(f.grid().cursor, (GridCell{3, 3}));
    EXPECT_EQ(f.editor.control.mode, ControlEditMode::Building);
    EXPECT_EQ(f.cells().Sketch(3, 3), ICN_ZONE);
    EXPECT_EQ(f.grid().shown_level(kCurrentLevel), f.levels.front());
    // The element's sketch comes back as it went in.
    EXPECT_EQ(e->sketch, (std::vector<SketchIcon>{
                             {ICN_CTRL_NODE, 5, 5, 1}, {ICN_LINK_HEAD_H, 6, 5, 1}, {ICN_ARROW_E, 9, 5, 1}, {188, 10, 5, 2}}));
}

TEST_F(SuperSketch, LinkToolWiresTheElementsOwnNodes)
{
    SuperElement* e = feeding_element(f.project());
    e->sketch.clear();
    const std::int32_t main_nodes = f.project().controls.count();
    ASSERT_TRUE(enter_super_element_editing(f.editor, e));
    f.cells().Links(8, 4) = ICN_CTRL_NODE;
    f.cells().Ctrls(8, 4) = 1;
    f.cells().Links(8, 12) = ICN_CTRL_NODE;
    f.cells().Ctrls(8, 12) = 2;
    EXPECT_EQ(f.stroke(DrawingTool::Links, {8, 4}, "EEEEEEEE"), 0);
    EXPECT_EQ(f.cells().Links(8, 11), ICN_ARROW_E);
    EXPECT_EQ(f.cells().Ctrls(8, 8), 1);  // the element's numbers along the link
    EXPECT_EQ(e->nodes.at(2)->c1, e->nodes.at(1));
    EXPECT_EQ(f.project().controls.count(), main_nodes);  // the building's network is untouched

    // Stored on leaving, the link wires the node again when the building
    // check collects the element on its own.
    leave_super_element_editing(f.editor);
    e->nodes.at(2)->c1 = nullptr;
    collect_element_links(f.project(), *e);
    EXPECT_EQ(e->nodes.at(2)->c1, e->nodes.at(1));
}

TEST_F(SuperSketch, DeletingANodeReleasesItFromTheElementAndRenumbers)
{
    SuperElement* e = feeding_element(f.project());
    ASSERT_TRUE(enter_super_element_editing(f.editor, e));
    ASSERT_TRUE(delete_control_piece(f.editor, 5, 5, Asking::Silent));
    ASSERT_EQ(e->nodes.count(), 1);
    EXPECT_EQ(e->nodes.at(1)->name, "out");
    EXPECT_EQ(e->nodes.at(1)->c1, nullptr);
    EXPECT_EQ(e->output, e->nodes.at(1));
    EXPECT_EQ(f.cells().Ctrls(5, 10), 1);
    EXPECT_EQ(f.cells().Links(5, 9), 0);  // the arrowhead went with the node's link
}

TEST_F(SuperSketch, ASketchThatSuperNodesUseCannotChange)
{
    SuperElement* e = feeding_element(f.project());
    e->use_count = 1;
    ASSERT_TRUE(enter_super_element_editing(f.editor, e));
    EXPECT_FALSE(delete_control_piece(f.editor, 5, 5, Asking::Interactive));
    ASSERT_EQ(f.port.boxes.size(), 1u);
    EXPECT_NE(f.port.boxes[0].text.find(kSubNodesFixed), std::string::npos);
    EXPECT_FALSE(delete_control_network(f.editor, 5, 7));
    EXPECT_EQ(e->nodes.count(), 2);
    EXPECT_EQ(f.cells().Links(5, 5), ICN_CTRL_NODE);

    // Without an element shown nothing on the sketch belongs anywhere.
    show_super_element(f.editor, nullptr);
    f.cells().Links(8, 4) = ICN_CTRL_NODE;
    SheetRequest request;
    request.kind = SheetKind::ControlNode;
    request.cell = {8, 4};
    EXPECT_FALSE(define_control_cell(f.editor, request));
}

TEST_F(SuperSketch, TheWindowsChangesShowOnTheSketchAndFinishingLeaves)
{
    SuperElement* e = feeding_element(f.project());
    {
        SuperElementsEditing editing(f.editor);
        EXPECT_EQ(f.grid().shown_level(kCurrentLevel), nullptr);
        ASSERT_TRUE(editing.active());
        EXPECT_EQ(f.editor.control.element, e);
        // Node 1 becomes the input node: its cell turns 189 on the SketchPad
        // and stays so when the sketch is stored.
        editing.change([](SuperElementsForm& form) { return form.choose_input(0); });
        EXPECT_EQ(f.cells().Links(5, 5), 189);
        // A new element is shown empty; going back shows the first again.
        editing.change([](SuperElementsForm& form) { return form.new_element(); });
        EXPECT_EQ(f.cells().Links(5, 5), 0);
        editing.change([](SuperElementsForm& form) { return form.select(0); });
        EXPECT_EQ(f.cells().Links(5, 5), 189);
        // A check failure highlights its cells: the input node's first
        // input is linked here.
        f.cells().Links(5, 4) = ICN_ARROW_E;
        f.cells().Ctrls(5, 4) = 2;
        const SuperElementCheck found = editing.check();
        EXPECT_FALSE(found.defined);
        EXPECT_EQ(f.grid().Scolors(5, 5), f.grid().colours.highlight);
        f.cells().Links(5, 4) = 0;
        EXPECT_TRUE(editing.finish().accepted);
        EXPECT_FALSE(editing.active());
    }
    EXPECT_EQ(f.grid().shown_level(kCurrentLevel), f.levels.front());
    EXPECT_EQ(f.editor.control.mode, ControlEditMode::Building);
    EXPECT_EQ(e->input, e->nodes.at(1));
    EXPECT_TRUE(e->f & kSuperDefined);
    EXPECT_EQ(f.project().super_elements.count(), 2);
}

}  // namespace
}  // namespace avelor
