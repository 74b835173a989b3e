#include "editing/link_drawing.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editing/icon_editing.h"
#include "model/duct_element.h"
#include "sketchpad/control_links.h"
#include "support/edit_fixture.h"

namespace avelor {
namespace {

using testing::EditFixture;
using testing::Picture;
using testing::Plan;

// A room with zone 1, a path on its north wall and one on its south wall.
const Picture kRoom = {
    "................",  // 0
    ".#######A######.",  // 1
    ".#............#.",  // 2
    ".#.1..........#.",  // 3
    ".#............#.",  // 4
    ".#............#.",  // 5
    ".#............#.",  // 6
    ".#............#.",  // 7
    ".#............#.",  // 8
    ".#######B######.",  // 9
    "................",  // 10
};

// Nodes numbered 1, 2, ... of the given types.
void add_nodes(EditFixture& f, const std::vector<int>& types)
{
    for (int type : types) {
        ControlNode node;
        node.type = static_cast<std::int16_t>(type);
        node.data = new_control_data(type);
        f.project().controls.add(node);
    }
}

void node_at(EditFixture& f, GridCell at, std::uint8_t code, std::int32_t n)
{
    f.cells().Links(at.row, at.col) = code;
    f.cells().Ctrls(at.row, at.col) = n;
}

// A stroke of the link tool from start along the moves, finished with a
// second click; the finish's result.
int stroke(EditFixture& f, GridCell start, const std::string& moves) { return f.stroke(DrawingTool::Links, start, moves); }

std::string box_texts(const EditFixture& f)
{
    std::string out;
    for (const auto& b : f.port.boxes) out += b.text;
    return out;
}

struct Cell {
    GridCell at;
    std::uint8_t code;
};

struct StrokeCase {
    const char* name;
    std::function<void(EditFixture&)> setup;
    GridCell start;
    const char* moves;
    int result;
    const char* message;
    std::vector<Cell> cells;  // link codes afterwards
};

TEST(LinkStroke, EndsPiecesAndRefusals)
{
    auto none = [](EditFixture&) {};
    auto vertical_link = [](EditFixture& f) {
        for (int r = 4; r <= 7; ++r) f.cells().Links(r, 9) = ICN_LINK_V;
        f.cells().Ctrls(5, 9) = 7;
    };
    auto dwc_segment = [](EditFixture& f) {
        f.cells().Ducts(6, 10) = ICN_SEGMENT_E;
        DuctSegment s;
        DuctSegment* stored = f.project().ducts.add(s);
        f.cells().Paths(6, 10) = stored->nr;
        DuctElement e = new_duct_element(kDctDwc, {});
        e.name = "ring";
        stored->element = f.project().duct_elements.insert_copy(e);
    };
    // A node at (5,10) with an arrowhead already entering from north or east.
    auto fed_node = [](int type, GridCell arrow, std::uint8_t code) {
        return [=](EditFixture& f) {
            std::int32_t n = 0;
            if (type >= 0) {
                add_nodes(f, {type});
                n = 1;
            }
            node_at(f, {5, 10}, ICN_CTRL_NODE, n);
            f.cells().Links(arrow.row, arrow.col) = code;
        };
    };
    const StrokeCase cases[] = {
        {"three cells are too short", none, {5, 5}, "EE", 1, " Need longer link to show link icons\n",
         {{{5, 5}, 0}, {{5, 7}, 0}}},
        {"a single click places a node", none, {5, 5}, "", 0, "", {{{5, 5}, ICN_CTRL_NODE}}},
        {"zone to an empty cell four cells away", none, {3, 3}, "EEEE", 0, "",
         {{{3, 4}, 184}, {{3, 5}, ICN_LINK_H}, {{3, 6}, ICN_ARROW_E}, {{3, 7}, ICN_CTRL_NODE}}},
        {"a node leaving south starts with the stored head", none, {2, 5}, "SSSS", 0, "",
         {{{2, 5}, ICN_CTRL_NODE}, {{3, 5}, ICN_LINK_HEAD_V}, {{4, 5}, ICN_LINK_V}, {{5, 5}, ICN_ARROW_S},
          {{6, 5}, ICN_CTRL_NODE}}},
        {"a node may turn at once", none, {5, 5}, "ESSSEE", 0, "",
         {{{5, 6}, 173}, {{6, 6}, ICN_LINK_V}, {{7, 6}, ICN_LINK_V}, {{8, 6}, 175}, {{8, 7}, ICN_ARROW_E},
          {{8, 8}, ICN_CTRL_NODE}}},
        {"two path icons", none, {1, 8}, "SSSSSSSS", 1, " May not link two non-control icons\n",
         {{{2, 8}, 0}, {{8, 8}, 0}}},
        {"a turn next to the sensed icon", none, {3, 3}, "ESEE", 1, " Link may not turn next to sensed icon\n",
         {{{3, 4}, 0}}},
        {"a turn into an icon's arrowhead", none, {5, 6}, "WWNNW", 1, " Link may not turn next to terminal icon\n",
         {{{5, 6}, 0}}},
        {"an end on a wall", none, {5, 5}, "EEEEEEEEE", 1, " Invalid control position\n", {{{5, 5}, 0}}},
        {"a crossing at right angles", vertical_link, {5, 6}, "EEEEE", 0, "",
         {{{5, 9}, ICN_LINK_CROSS}, {{4, 9}, ICN_LINK_V}, {{5, 10}, ICN_ARROW_E}}},
        {"a crossing along the link", vertical_link, {3, 9}, "SSSSS", 1, " Invalid control position\n",
         {{{3, 9}, 0}}},
        {"a DWC duct", dwc_segment, {6, 5}, "EEEEE", 1, "  DWC duct may not be controlled\n", {{{6, 5}, 0}}},
        {"a one-input node already fed", fed_node(kCtMod, {4, 10}, ICN_ARROW_S), {5, 5}, "EEEEE", 1,
         " Invalid control position\n", {{{5, 9}, 0}}},
        {"a two-input node fed at right angles", fed_node(kCtAdd, {4, 10}, ICN_ARROW_S), {5, 5}, "EEEEE", 0, "",
         {{{5, 9}, ICN_ARROW_E}, {{5, 5}, ICN_CTRL_NODE}}},
        {"a two-input node fed from opposite sides", fed_node(kCtAdd, {5, 11}, ICN_ARROW_W), {5, 5}, "EEEEE", 1,
         " Invalid control position\n", {{{5, 9}, 0}}},
        {"an undefined node fed from opposite sides", fed_node(-1, {5, 11}, ICN_ARROW_W), {5, 5}, "EEEEE", 1,
         " Invalid control position\n", {{{5, 9}, 0}}},
        {"a sum takes any number", fed_node(kCtSum, {5, 11}, ICN_ARROW_W), {5, 5}, "EEEEE", 0, "",
         {{{5, 9}, ICN_ARROW_E}}},
    };
    for (const StrokeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EditFixture f;
        f.build({Plan(kRoom)});
        c.setup(f);
        f.project().mark_saved();
        f.port.boxes.clear();
        EXPECT_EQ(stroke(f, c.start, c.moves), c.result);
        EXPECT_EQ(box_texts(f), c.message);
        for (const Cell& cell : c.cells)
            EXPECT_EQ(f.cells().Links(cell.at.row, cell.at.col), cell.code) << cell.at.row << "," << cell.at.col;
        // A refused stroke stays, to be mended or cancelled; a written one
        // has marked the project.
        EXPECT_EQ(f.editor.stroke.in_progress, c.result != 0);
        EXPECT_EQ(f.project().changed(), c.result == 0);
    }
}

TEST(LinkStroke, RefusedCellsTurnBackAndTheStrokeCanBeMended)
{
    EditFixture f;
    f.build({Plan(kRoom)});
    ASSERT_EQ(stroke(f, {5, 5}, "EEEEEEEEE"), 1);  // ends on the wall
    EXPECT_EQ(f.grid().Scolors(5, 14), f.grid().colours.errors);
    // Walking back one cell and finishing again ends on an empty cell.
    EditCommand back;
    back.action = EditAction::StepCursor;
    back.direction = 8;
    f.editor.apply(back);
    EXPECT_EQ(f.run(EditAction::LeftClick).result, 0);
    EXPECT_EQ(f.cells().Links(5, 13), ICN_CTRL_NODE);
    EXPECT_EQ(f.cells().Links(5, 14), 0);
    EXPECT_EQ(f.grid().Scolors(5, 14), f.grid().colours.background);
}

TEST(LinkStroke, TouchingItselfIsRefusedStepByStep)
{
    EditFixture f;
    f.build({Plan(kRoom)});
    f.editor.toggle_tool(DrawingTool::Links);
    f.at(5, 5);
    f.run(EditAction::LeftClick);
    for (int d : {2, 4, 8}) {
        EditCommand c;
        c.action = EditAction::StepCursor;
        c.direction = d;
        f.editor.apply(c);
    }
    EditCommand up;
    up.action = EditAction::StepCursor;
    up.direction = 1;  // onto the start
    f.editor.apply(up);
    EXPECT_EQ(f.port.beeps, 1);
    EXPECT_EQ(f.grid().cursor, (GridCell{6, 5}));
    EXPECT_EQ(f.editor.stroke.loop.size(), 4u);
}

TEST(LinkStroke, ALinkFromADefinedNodeCarriesItsNumberToTheTarget)
{
    EditFixture f;
    f.build({Plan(kRoom)});
    add_nodes(f, {kCtSet});
    node_at(f, {6, 3}, ICN_CTRL_NODE, 1);
    // Up to the zone icon at (3,3): the arrowhead below it points north.
    ASSERT_EQ(stroke(f, {6, 3}, "NN"), 1);  // three cells
    f.run(EditAction::RightClick);
    ASSERT_EQ(stroke(f, {6, 3}, "EENNNWW"), 0);
    EXPECT_EQ(f.cells().Links(3, 4), ICN_ARROW_W);
    for (GridCell c : {GridCell{6, 4}, GridCell{6, 5}, GridCell{4, 5}, GridCell{3, 4}})
        EXPECT_EQ(f.cells().Ctrls(c.row, c.col), 1) << c.row << "," << c.col;
    EXPECT_EQ(f.project().zones.at(1)->control, f.project().controls.at(1));
}

// ---------------------------------------------------------------- deleting

// Node 1 (a constant) at (6,3) drives zone 1 through a link ending below it.
void constant_to_zone(EditFixture& f)
{
    f.build({Plan(kRoom)});
    add_nodes(f, {kCtSet});
    node_at(f, {6, 3}, ICN_CTRL_NODE, 1);
    ASSERT_EQ(stroke(f, {6, 3}, "EENNNWW"), 0);
    f.editor.toggle_tool(DrawingTool::Links);
    ASSERT_EQ(f.project().zones.at(1)->control, f.project().controls.at(1));
    f.port.boxes.clear();
    f.project().mark_saved();
}

TEST(LinkDeletion, ANodeAsksToUndefineThenToDelete)
{
    struct Case {
        const char* name;
        std::vector<Answer> answers;
        bool node_stays;
        bool link_stays;
        bool record_stays;
        std::int32_t number;  // of the node's cell afterwards
    };
    const Case cases[] = {
        {"cancel changes nothing", {Answer::Cancel}, true, true, true, 1},
        {"yes undefines node and links", {Answer::Yes}, true, true, false, 0},
        {"no, then no, changes nothing", {Answer::No, Answer::No}, true, true, true, 1},
        {"no, then yes, deletes them", {Answer::No, Answer::Yes}, false, false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditFixture f;
        constant_to_zone(f);
        f.port.answers.assign(c.answers.begin(), c.answers.end());
        f.at(6, 3);
        f.run(EditAction::Delete);
        ASSERT_GE(f.port.questions.size(), 1u);
        EXPECT_EQ(f.port.questions[0], "Do you want to undefine the nodes and links indicated on the SketchPad?");
        if (c.answers.size() == 2) { EXPECT_EQ(f.port.questions[1], "Delete control node and links indicated?"); }
        EXPECT_EQ(f.cells().Links(6, 3) == ICN_CTRL_NODE, c.node_stays);
        EXPECT_EQ(f.cells().Ctrls(6, 3), c.number);
        EXPECT_EQ(f.cells().Links(3, 4) == ICN_ARROW_W, c.link_stays);
        EXPECT_EQ(f.cells().Ctrls(6, 5), c.number);
        EXPECT_EQ(f.project().controls.at(1) != nullptr, c.record_stays);
        // The zone names the node exactly while the node is there.
        EXPECT_EQ(f.project().zones.at(1)->control, f.project().controls.at(1));
        EXPECT_EQ(f.grid().Scolors(6, 5), f.grid().colours.background);
    }
}

TEST(LinkDeletion, APieceDeletesItsLinkAndReleasesTheTarget)
{
    EditFixture f;
    constant_to_zone(f);
    f.port.answers.push_back(Answer::Yes);
    f.at(5, 5);
    f.run(EditAction::Delete);
    ASSERT_EQ(f.port.questions.size(), 1u);
    EXPECT_EQ(f.port.questions[0], "Delete this control link?");
    for (GridCell c : {GridCell{6, 4}, GridCell{6, 5}, GridCell{5, 5}, GridCell{3, 5}, GridCell{3, 4}})
        EXPECT_EQ(f.cells().Links(c.row, c.col), 0) << c.row << "," << c.col;
    EXPECT_EQ(f.cells().Links(6, 3), ICN_CTRL_NODE);
    EXPECT_NE(f.project().controls.at(1), nullptr);
    EXPECT_EQ(f.project().zones.at(1)->control, nullptr);
    EXPECT_TRUE(f.project().changed());
}

TEST(LinkDeletion, ACrossingKeepsTheOtherLink)
{
    EditFixture f;
    f.build({Plan(kRoom)});
    add_nodes(f, {kCtSet, kCtSet});
    node_at(f, {2, 9}, ICN_CTRL_NODE, 1);
    ASSERT_EQ(stroke(f, {2, 9}, "SSSSS"), 0);  // node 1 down to a new node at (7,9)
    node_at(f, {5, 5}, ICN_CTRL_NODE, 2);
    ASSERT_EQ(stroke(f, {5, 5}, "EEEEEEE"), 0);  // node 2 across it
    ASSERT_EQ(f.cells().Links(5, 9), ICN_LINK_CROSS);
    EXPECT_EQ(f.cells().Ctrls(5, 9), -1);
    f.port.answers.push_back(Answer::Yes);
    f.at(5, 7);
    f.run(EditAction::Delete);
    EXPECT_EQ(f.cells().Links(5, 9), ICN_LINK_V);
    EXPECT_EQ(f.cells().Ctrls(5, 9), 1);
    EXPECT_EQ(f.cells().Links(5, 8), 0);
    EXPECT_EQ(f.cells().Links(5, 10), 0);
    EXPECT_EQ(f.cells().Links(6, 9), ICN_ARROW_S);
}

TEST(LinkDeletion, ANetworkFeedingAPathClearsThePathsControl)
{
    EditFixture f;
    f.build({Plan(kRoom)});
    add_nodes(f, {kCtSet});
    node_at(f, {5, 8}, ICN_CTRL_NODE, 1);
    // Up to the path on the north wall at (1,8).
    ASSERT_EQ(stroke(f, {5, 8}, "NNNN"), 0);
    FlowPath* path = f.project().paths.at(1);
    ASSERT_EQ(path->control, f.project().controls.at(1));
    f.editor.toggle_tool(DrawingTool::Links);
    f.port.answers.push_back(Answer::Yes);
    f.at(4, 8);
    f.run(EditAction::DeleteNetwork);
    ASSERT_EQ(f.port.questions.size(), 1u);
    EXPECT_EQ(f.port.questions[0], "Delete this control network?");
    for (int r = 2; r <= 5; ++r) EXPECT_EQ(f.cells().Links(r, 8), 0) << r;
    EXPECT_EQ(path->control, nullptr);
    EXPECT_EQ(f.project().controls.at(1), nullptr);
}

// Node 1 on the first level, shown by phantoms on the second level, each
// driving its own link.
void phantoms_above(EditFixture& f)
{
    f.build({Plan(kRoom), Plan(kRoom)});
    add_nodes(f, {kCtSet});
    node_at(f, {6, 3}, ICN_CTRL_NODE, 1);
    ASSERT_EQ(stroke(f, {6, 3}, "EENNNWW"), 0);
    f.editor.toggle_tool(DrawingTool::Links);
    goto_level(f.project(), f.grid(), *f.levels[1]);
    node_at(f, {7, 5}, ICN_CTRL_PHANTOM, 1);
    node_at(f, {7, 10}, ICN_CTRL_PHANTOM, 1);
    ASSERT_EQ(stroke(f, {7, 5}, "EEE"), 0);  // to a new node at (7,8)
    f.editor.toggle_tool(DrawingTool::Links);
    ASSERT_EQ(f.cells().Ctrls(7, 6), 1);
    f.project().controls.at(1)->link_count = 2;
    goto_level(f.project(), f.grid(), *f.levels[0]);
    f.port.boxes.clear();
    f.port.questions.clear();
}

TEST(LinkDeletion, PhantomsOfADeletedNetworkAreAskedOnceAndNoUndefinesThem)
{
    EditFixture f;
    phantoms_above(f);
    f.port.answers = {Answer::Yes, Answer::No};
    f.at(6, 3);
    f.run(EditAction::DeleteNetwork);
    ASSERT_EQ(f.port.questions.size(), 2u);
    EXPECT_EQ(f.port.questions[1],
              "Do you want to delete the control networks that have phantoms that refer to this network?\n"
              "If not deleted then those phantom nodes will be undefined.");
    EXPECT_EQ(f.project().current_level, f.levels[0]);
    EXPECT_EQ(f.cells().Links(6, 3), 0);
    EXPECT_EQ(f.project().controls.at(1), nullptr);
    EXPECT_EQ(f.project().zones.at(1)->control, nullptr);
    goto_level(f.project(), f.grid(), *f.levels[1]);
    for (GridCell c : {GridCell{7, 5}, GridCell{7, 10}}) {
        EXPECT_EQ(f.cells().Links(c.row, c.col), ICN_CTRL_NODE) << c.col;
        EXPECT_EQ(f.cells().Ctrls(c.row, c.col), 0) << c.col;
    }
    EXPECT_EQ(f.cells().Links(7, 7), ICN_ARROW_E);
    EXPECT_EQ(f.cells().Ctrls(7, 6), 0);
}

TEST(LinkDeletion, YesDeletesThePhantomsNetworksOnTheirLevel)
{
    EditFixture f;
    phantoms_above(f);
    f.port.answers = {Answer::Yes, Answer::Yes};
    f.at(6, 3);
    f.run(EditAction::DeleteNetwork);
    EXPECT_EQ(f.port.questions.size(), 2u);
    EXPECT_EQ(f.project().current_level, f.levels[0]);
    goto_level(f.project(), f.grid(), *f.levels[1]);
    for (int c = 5; c <= 10; ++c) EXPECT_EQ(f.cells().Links(7, c), 0) << c;
}

TEST(LinkDeletion, ANodeShownByPhantomsAsksToUndefineThemFirst)
{
    EditFixture f;
    phantoms_above(f);
    f.port.answers = {Answer::No};
    f.at(6, 3);
    f.run(EditAction::Delete);
    ASSERT_EQ(f.port.questions.size(), 1u);
    EXPECT_EQ(f.port.questions[0],
              "This node is referenced by phantom nodes.  They must be undefined before this node can be "
              "deleted.  \n\n>> Do you wish to undefine the phantom nodes? <<\n\n(Clicking No will result in "
              "nothing changing.)");
    EXPECT_EQ(f.cells().Ctrls(6, 3), 1);
    // Yes undefines them, and the node's own questions follow.
    f.port.questions.clear();
    f.port.answers = {Answer::Yes, Answer::Yes};
    f.run(EditAction::Delete);
    ASSERT_EQ(f.port.questions.size(), 2u);
    EXPECT_EQ(f.project().controls.at(1), nullptr);
    goto_level(f.project(), f.grid(), *f.levels[1]);
    EXPECT_EQ(f.cells().Links(7, 5), ICN_CTRL_NODE);
    EXPECT_EQ(f.cells().Ctrls(7, 5), 0);
    EXPECT_EQ(f.cells().Ctrls(7, 6), 0);
}

TEST(LinkDeletion, ASuperNodeTakesItsSubNodesAlong)
{
    EditFixture f;
    f.build({Plan(kRoom)});
    Project& p = f.project();
    SuperElement e;
    e.name = "SE_1";
    SuperElement* element = p.super_elements.insert_copy(e);
    add_nodes(f, {kCtSup, kCtSet, kCtMod});
    ControlNode* instance = p.controls.at(1);
    auto& data = std::get<SuperInstanceData>(instance->data);
    data.element = element;
    data.copies = {p.controls.at(2), p.controls.at(3)};
    data.output = p.controls.at(3);
    element->use_count = 1;
    p.controls.at(3)->c1 = p.controls.at(2);
    node_at(f, {6, 3}, ICN_CTRL_SUPER, 1);
    ASSERT_EQ(stroke(f, {6, 3}, "EENNNWW"), 0);
    // The link carries the output's number; the zone names the output.
    EXPECT_EQ(f.cells().Ctrls(6, 5), 3);
    EXPECT_EQ(p.zones.at(1)->control, p.controls.at(3));
    f.editor.toggle_tool(DrawingTool::Links);
    f.port.answers = {Answer::No, Answer::Yes};
    f.at(6, 3);
    f.run(EditAction::Delete);
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(p.controls.at(n), nullptr) << n;
    EXPECT_EQ(element->use_count, 0);
    EXPECT_EQ(p.zones.at(1)->control, nullptr);
}

}  // namespace
}  // namespace avelor
