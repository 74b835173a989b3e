#include "sketchpad/control_links.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/edit_fixture.h"
#include "support/test_files.h"

namespace avelor {
namespace {

using testing::EditFixture;
using testing::Picture;
using testing::Plan;

// Zone 1 in a room, zone 2 in the room beside it.
const Picture kRooms = {
    "..............",  // 0
    ".######.#####.",  // 1
    ".#....#.#...#.",  // 2
    ".#.1..#.#.2.#.",  // 3
    ".#....#.#...#.",  // 4
    ".#....#.#...#.",  // 5
    ".######.#####.",  // 6
    "..............",  // 7
};

ControlNode* add_node(EditFixture& f, int type, const std::string& name = {})
{
    ControlNode node;
    node.type = static_cast<std::int16_t>(type);
    node.data = new_control_data(type);
    node.name = name;
    return f.project().controls.add(node);
}

void put(EditFixture& f, GridCell at, std::uint8_t code, std::int32_t n = 0)
{
    f.cells().Links(at.row, at.col) = code;
    f.cells().Ctrls(at.row, at.col) = n;
}

TEST(ControlLinks, TheArrowheadsSideChoosesTheInputAndASetInputIsNotReplaced)
{
    struct Case {
        const char* name;
        int type;
        std::vector<GridCell> arrows;  // into (4,4), one driver each
        std::vector<ActuatorResult> results;
        std::string log;
    };
    const Case cases[] = {
        {"one input", kCtMod, {{4, 3}, {3, 4}}, {ActuatorResult::Assigned, ActuatorResult::Refused},
         "Input signal already defined. Try running a building check to correct this.\n"},
        {"two inputs east-west then north-south", kCtAdd, {{4, 3}, {3, 4}},
         {ActuatorResult::Assigned, ActuatorResult::Assigned}, ""},
        {"two inputs, the east-west one twice", kCtAdd, {{4, 3}, {4, 5}},
         {ActuatorResult::Assigned, ActuatorResult::Refused},
         "E-W input signal already defined. Try running a building check to correct this.\n"},
        {"two inputs, the north-south one twice", kCtAdd, {{3, 4}, {5, 4}},
         {ActuatorResult::Assigned, ActuatorResult::Refused},
         "N-S input signal already defined. Try running a building check to correct this.\n"},
        {"a constant takes none", kCtSet, {{4, 3}}, {ActuatorResult::Refused}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::RunLogFile log("control_links.log");
        EditFixture f;
        f.build({Plan(kRooms)});
        ControlNode* target = add_node(f, c.type);
        put(f, {4, 4}, ICN_CTRL_NODE, target->nr);
        std::vector<ControlNode*> drivers;
        for (std::size_t i = 0; i < c.arrows.size(); ++i) {
            const GridCell a = c.arrows[i];
            const std::uint8_t code = a.row < 4 ? ICN_ARROW_S : a.row > 4 ? ICN_ARROW_N : a.col < 4 ? ICN_ARROW_E : ICN_ARROW_W;
            put(f, a, code);
            drivers.push_back(add_node(f, kCtSet));
            EXPECT_EQ(assign_actuator(f.project(), f.grid(), a, drivers.back(), false), c.results[i]) << i;
        }
        if (c.type == kCtMod) { EXPECT_EQ(target->c1, drivers[0]); }
        if (c.type == kCtAdd) {
            const bool first_ew = c.arrows[0].row == 4;
            EXPECT_EQ(first_ew ? target->c1 : target->c2, drivers[0]);
            if (c.results[1] == ActuatorResult::Assigned) { EXPECT_EQ(target->c2, drivers[1]); }
        }
        EXPECT_EQ(log.text(), c.log);
    }
}

TEST(ControlLinks, AListNodeTakesEachDriverOnceAndLogsDuplicatesWhileCollecting)
{
    testing::RunLogFile log("control_links_sum.log");
    EditFixture f;
    f.build({Plan(kRooms)});
    ControlNode* sum = add_node(f, kCtSum, "total");
    put(f, {4, 4}, ICN_CTRL_NODE, sum->nr);
    put(f, {4, 3}, ICN_ARROW_E);
    put(f, {3, 4}, ICN_ARROW_S);
    ControlNode* a = add_node(f, kCtSet);
    ControlNode* b = add_node(f, kCtSet);
    Project& p = f.project();
    EXPECT_EQ(assign_actuator(p, f.grid(), {4, 3}, a, true), ActuatorResult::Assigned);
    EXPECT_EQ(assign_actuator(p, f.grid(), {3, 4}, b, true), ActuatorResult::Assigned);
    // Shown again while drawing: quiet.
    EXPECT_EQ(assign_actuator(p, f.grid(), {4, 3}, a, false), ActuatorResult::Assigned);
    EXPECT_EQ(log.text(), "");
    EXPECT_EQ(assign_actuator(p, f.grid(), {3, 4}, a, true), ActuatorResult::Assigned);
    EXPECT_EQ(std::get<InputListData>(sum->data).inputs, (std::vector<ControlNode*>{a, b}));
    EXPECT_EQ(log.text(),
              "Duplicate input to SUM/AVG node total will be ignored. Try running a building check to correct "
              "this.\n");
}

TEST(ControlLinks, IconTargetsAndTheRefusalOfOtherCells)
{
    EditFixture f;
    f.build({Plan(kRooms)});
    Project& p = f.project();
    ControlNode* node = add_node(f, kCtSet);
    put(f, {3, 4}, ICN_ARROW_W);  // into zone 1
    EXPECT_EQ(assign_actuator(p, f.grid(), {3, 4}, node, false), ActuatorResult::Assigned);
    EXPECT_EQ(p.zones.at(1)->control, node);
    put(f, {5, 4}, ICN_ARROW_E);  // into an empty cell
    EXPECT_EQ(assign_actuator(p, f.grid(), {5, 4}, node, false), ActuatorResult::NotControllable);
    ASSERT_EQ(f.port.boxes.size(), 1u);
    EXPECT_EQ(f.port.boxes[0].text, "  Actuator is not adjacent to controlable icon\n");
    EXPECT_EQ(f.port.boxes[0].caption, "ERROR");
}

TEST(ControlLinks, PropagationNumbersTheLinksAndTheirTargets)
{
    EditFixture f;
    f.build({Plan(kRooms)});
    Project& p = f.project();
    ControlNode* node = add_node(f, kCtSet);
    // Node at (5,3): one link north into zone 1, one east that stops short.
    put(f, {5, 3}, ICN_CTRL_NODE, node->nr);
    put(f, {4, 3}, ICN_ARROW_N);
    put(f, {5, 4}, ICN_LINK_HEAD_H);
    put(f, {5, 5}, ICN_LINK_H);
    const Propagation result = propagate_control_number(p, f.grid(), 5, 3);
    EXPECT_EQ(result.links, 2);
    EXPECT_EQ(result.not_at_actuator, 1);
    EXPECT_EQ(f.cells().Ctrls(4, 3), node->nr);
    EXPECT_EQ(f.cells().Ctrls(5, 5), node->nr);
    EXPECT_EQ(p.zones.at(1)->control, node);
    ASSERT_EQ(f.port.boxes.size(), 1u);
    EXPECT_EQ(f.port.boxes[0].text, " Not at actuator\n");
    // A cell without a defined node changes nothing.
    EXPECT_EQ(propagate_control_number(p, f.grid(), 5, 4).links, 0);
}

TEST(ControlLinks, ALevelBecomingCurrentSpreadsItsNodesNumbers)
{
    EditFixture f;
    f.build({Plan(kRooms), Plan(kRooms)});
    Project& p = f.project();
    ControlNode* node = add_node(f, kCtSet);
    // Node 1 drives zone 1 along a run whose straight pieces are not stored.
    put(f, {5, 2}, ICN_CTRL_NODE, node->nr);
    put(f, {5, 3}, ICN_LINK_HEAD_H, node->nr);
    put(f, {5, 4}, ICN_LINK_H, node->nr);
    put(f, {5, 5}, 174, node->nr);  // corner N+W
    put(f, {4, 5}, ICN_LINK_V, node->nr);
    put(f, {3, 5}, 173, node->nr);  // corner S+W
    put(f, {3, 4}, ICN_ARROW_W, node->nr);
    goto_level(p, f.grid(), *f.levels[1]);
    clear_collected_controls(p);
    goto_level(p, f.grid(), *f.levels[0]);
    EXPECT_EQ(f.cells().Links(5, 4), ICN_LINK_H);
    EXPECT_EQ(f.cells().Ctrls(5, 4), node->nr);
    EXPECT_EQ(f.cells().Ctrls(4, 5), node->nr);
    EXPECT_EQ(p.zones.at(1)->control, node);
    EXPECT_TRUE(f.port.boxes.empty());
}

TEST(ControlLinks, ClearingLeavesPhantomsTheirNode)
{
    EditFixture f;
    f.build({Plan(kRooms)});
    Project& p = f.project();
    ControlNode* a = add_node(f, kCtSet);
    ControlNode* sum = add_node(f, kCtSum);
    ControlNode* phantom = add_node(f, kCtSph);
    ControlNode* mod = add_node(f, kCtMod);
    mod->c1 = a;
    phantom->c1 = a;
    std::get<InputListData>(sum->data).inputs = {a, mod};
    // A super node's copies are wired on its element's sketch.
    ControlNode* instance = add_node(f, kCtSup);
    ControlNode* copy = add_node(f, kCtMod);
    copy->c1 = a;
    std::get<SuperInstanceData>(instance->data).copies = {copy};
    p.zones.at(1)->control = a;
    clear_collected_controls(p);
    EXPECT_EQ(copy->c1, a);
    EXPECT_EQ(mod->c1, nullptr);
    EXPECT_EQ(phantom->c1, a);
    EXPECT_TRUE(std::get<InputListData>(sum->data).inputs.empty());
    EXPECT_EQ(p.zones.at(1)->control, nullptr);
}

TEST(ControlLinks, TheCellCheckOfSensorEndsArrowheadsAndSuperNodes)
{
    EditFixture f;
    f.build({Plan(kRooms)});
    Project& p = f.project();
    ControlNode* sensor = add_node(f, kCtSns);
    auto& data = std::get<SensorData>(sensor->data);
    data.target.kind = kSenseZone;
    data.target.nr = 1;
    put(f, {3, 4}, 184, sensor->nr);  // looks west at zone 1
    std::vector<std::string> problems;
    auto sink = [&](std::string_view text) { problems.emplace_back(text); };
    EXPECT_EQ(check_link_cell(p, f.grid(), 3, 4, sink), 0);
    data.target.nr = 2;
    EXPECT_EQ(check_link_cell(p, f.grid(), 3, 4, sink), 1);
    EXPECT_TRUE(problems.empty());

    put(f, {4, 4}, ICN_ARROW_E);  // points at an empty cell
    EXPECT_EQ(check_link_cell(p, f.grid(), 4, 4, sink), 1);
    EXPECT_EQ(problems, std::vector<std::string>{"Error: There is no (or an incorrect) icon next to an actuator."});

    // A super node whose element lets its sensors follow the cell.
    SuperElement e;
    e.name = "SE_1";
    e.f = kSuperSensorsFollowCell;
    SuperElement* element = p.super_elements.insert_copy(e);
    ControlNode* instance = add_node(f, kCtSup);
    ControlNode* copy = add_node(f, kCtSns);
    auto& inst = std::get<SuperInstanceData>(instance->data);
    inst.element = element;
    inst.copies = {copy};
    put(f, {4, 10}, ICN_CTRL_SUPER, instance->nr);  // in zone 2's room
    EXPECT_EQ(check_link_cell(p, f.grid(), 4, 10, sink), 0);
    const SensorTarget& aimed = std::get<SensorData>(copy->data).target;
    EXPECT_EQ(aimed.nr, 2);
    ASSERT_TRUE(std::holds_alternative<ZoneRef>(aimed.record));
    EXPECT_EQ(std::get<ZoneRef>(aimed.record).zone(), p.zones.at(2));
}

TEST(ControlLinks, ReleasingLeavesNoPointerToAReleasedNode)
{
    EditFixture f;
    f.build({Plan(kRooms)});
    Project& p = f.project();
    SuperElement e;
    e.name = "SE_1";
    SuperElement* element = p.super_elements.insert_copy(e);
    ControlNode* instance = add_node(f, kCtSup);
    ControlNode* inner = add_node(f, kCtSet);
    ControlNode* out = add_node(f, kCtMod);
    auto& inst = std::get<SuperInstanceData>(instance->data);
    inst.element = element;
    inst.copies = {inner, out};
    inst.output = out;
    element->use_count = 1;
    ControlNode* phantom = add_node(f, kCtSph);
    phantom->c1 = instance;
    instance->ref_count = 1;
    ControlNode* reader = add_node(f, kCtSum);
    std::get<InputListData>(reader->data).inputs = {out, phantom};
    p.zones.at(1)->control = out;
    const std::int32_t reader_nr = reader->nr;

    release_control_nodes(p, {phantom});
    EXPECT_EQ(instance->ref_count, 0);
    EXPECT_EQ(std::get<InputListData>(reader->data).inputs, std::vector<ControlNode*>{out});
    release_control_nodes(p, {instance, instance});
    for (std::int32_t n = 1; n <= 4; ++n) EXPECT_EQ(p.controls.at(n), nullptr) << n;
    EXPECT_EQ(element->use_count, 0);
    EXPECT_EQ(p.zones.at(1)->control, nullptr);
    ASSERT_NE(p.controls.at(reader_nr), nullptr);
    EXPECT_TRUE(std::get<InputListData>(p.controls.at(reader_nr)->data).inputs.empty());
}

}  // namespace
}  // namespace avelor
