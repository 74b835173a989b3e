// Defining control nodes and sensors by double clicks on the link layer.
#include "editing/control_define.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/cell_codes.h"
#include "model/project.h"
#include "support/edit_fixture.h"

namespace avelor {
namespace {

using namespace testing;  // the fixtures and their cells

const Picture kRoom = {
    "............",  //
    ".#########..",  //
    ".#.......#..",  //
    ".#..1....#..",  //
    ".#.......#..",  //
    ".#########..",  //
    "............",  //
};
// A node at (3, 6) with arrowheads pointing into it from the north and the
// west, and a sensor end beside the zone icon.
const Picture kLinks = {
    "............",  //
    "............",  //
    "......v.....",  //
    ".....>N.....",  //
    "............",  //
    "............",  //
    "............",  //
};
constexpr GridCell kNode{3, 6};

struct ControlDefine : ::testing::Test, EditFixture {
    ControlDefine()
    {
        build({Plan(kRoom, {}, kLinks)});
        session.view.flags.control_links = true;
        cells().Ctrls(kNode.row, kNode.col) = 0;  // undefined
    }
    bool define_at(GridCell cell)
    {
        at(cell.row, cell.col);
        return run(EditAction::Define).modified;
    }
    std::int32_t number_at(GridCell cell) { return cells().Ctrls(cell.row, cell.col); }
    bool shown(std::string_view text) const
    {
        for (const auto& box : port.boxes)
            if (box.text.find(text) != std::string::npos) return true;
        return false;
    }
};

TEST_F(ControlDefine, TwoArrowheadsInOfferTwoAndManyInputTypesAndOkWritesTheNode)
{
    dialogs.fill_chooser = [](ControlTypeChooser&) { return true; };
    std::string caption;
    dialogs.fill_control = [&](ControlNodeForm& form) {
        caption = std::string(form.caption());
        form.set_name("both");
        return form.accept().accepted;
    };
    EXPECT_TRUE(define_at(kNode));
    ASSERT_EQ(dialogs.choosers.size(), 1u);
    const ControlTypeChooser& chooser = dialogs.choosers.front();
    EXPECT_EQ(chooser.arrowheads_in(), 2);
    EXPECT_EQ(control_choices()[chooser.selected()].label, "+ Add");
    for (std::size_t i = 0; i < kControlChoiceCount; ++i) {
        const int inputs = control_inputs_of_type(control_choices()[i].type);
        EXPECT_EQ(chooser.enabled(i), inputs >= 2) << control_choices()[i].label;
    }
    EXPECT_EQ(caption, "Generic Control");
    ASSERT_EQ(project().controls.count(), 1);
    const ControlNode* node = project().controls.at(1);
    EXPECT_EQ(node->type, kCtAdd);
    EXPECT_EQ(node->name, "both");
    EXPECT_EQ(node->desc, "Add two inputs");
    EXPECT_EQ(number_at(kNode), 1);
    EXPECT_EQ(cells().Links(kNode.row, kNode.col), ICN_CTRL_NODE);
    EXPECT_TRUE(project().changed());
}

TEST_F(ControlDefine, CancelOnTheTypeDialogStoresNothing)
{
    dialogs.fill_chooser = [](ControlTypeChooser& c) { return c.select_type(kCtMul); };
    EXPECT_FALSE(define_at(kNode));
    EXPECT_EQ(project().controls.count(), 0);
    EXPECT_EQ(number_at(kNode), 0);
    EXPECT_FALSE(project().changed());
}

TEST_F(ControlDefine, EditingANodeKeepsItsTypeAndPlace)
{
    dialogs.fill_chooser = [](ControlTypeChooser&) { return true; };
    dialogs.fill_control = [](ControlNodeForm& form) { return form.accept().accepted; };
    ASSERT_TRUE(define_at(kNode));
    dialogs.choosers.clear();
    dialogs.fill_control = [](ControlNodeForm& form) {
        form.set_description("sum of two");
        return form.accept().accepted;
    };
    EXPECT_TRUE(define_at(kNode));
    EXPECT_TRUE(dialogs.choosers.empty());
    EXPECT_EQ(project().controls.count(), 1);
    EXPECT_EQ(project().controls.at(1)->desc, "sum of two");
    EXPECT_EQ(project().controls.at(1)->type, kCtAdd);
}

TEST_F(ControlDefine, SensorEndBesideTheZoneMakesASensorAndKeepsItsFourthValue)
{
    constexpr GridCell kEnd{3, 5};
    cells().Links(kEnd.row, kEnd.col) = 184;  // looks west at the zone icon
    cells().Ctrls(kEnd.row, kEnd.col) = 0;
    std::string caption;
    dialogs.fill_sensor = [&](SensorForm& form) {
        caption = std::string(form.caption());
        return form.accept().accepted;
    };
    EXPECT_TRUE(define_at(kEnd));
    EXPECT_EQ(caption, kSensorZoneCaption);
    ASSERT_EQ(project().controls.count(), 1);
    ControlNode* sensor = project().controls.at(1);
    EXPECT_EQ(sensor->type, kCtSns);
    EXPECT_EQ(number_at(kEnd), 1);
    auto& data = std::get<SensorData>(sensor->data);
    EXPECT_EQ(data.target.kind, kSenseZone);
    EXPECT_EQ(data.target.nr, 1);

    data.fourth = 3.25f;
    dialogs.fill_sensor = [](SensorForm& form) {
        form.field(ControlField::Gain).validate("2");
        return form.accept().accepted;
    };
    EXPECT_TRUE(define_at(kEnd));
    EXPECT_EQ(project().controls.count(), 1);
    EXPECT_FLOAT_EQ(std::get<SensorData>(sensor->data).gain, 2.0f);
    EXPECT_FLOAT_EQ(std::get<SensorData>(sensor->data).fourth, 3.25f);
}

TEST_F(ControlDefine, SensorEndBesideAnAhsIsRefused)
{
    cells().Sketch(2, 7) = ICN_AHS;
    cells().Links(2, 8) = 184;
    cells().Ctrls(2, 8) = 0;
    dialogs.fill_sensor = [](SensorForm&) { return true; };
    EXPECT_FALSE(define_at({2, 8}));
    EXPECT_TRUE(shown(kSensorNotAdjacent));
    EXPECT_EQ(project().controls.count(), 0);
}

TEST_F(ControlDefine, AReportFedByASensorDefaultsToItsUnits)
{
    cells().Links(3, 5) = 0;  // one arrowhead in, from the north
    ControlNode sensor = new_control_node(kCtSns, ControlEditMode::Building);
    std::get<SensorData>(sensor.data).quantity = kSenseTemperature;
    cells().Ctrls(2, 6) = project().controls.add(sensor)->nr;
    dialogs.fill_chooser = [](ControlTypeChooser& c) { return c.chosen_type() == kCtLog; };
    std::string units;
    dialogs.fill_control = [&](ControlNodeForm& form) {
        units = form.default_units();
        form.reset_units();
        return form.accept().accepted;
    };
    EXPECT_TRUE(define_at(kNode));
    EXPECT_EQ(units, "K");
    EXPECT_EQ(std::get<ReportData>(project().controls.at(2)->data).units, "K");
}

TEST_F(ControlDefine, ValuesFileNodesTakeTheProjectsFileOrExplainItsAbsence)
{
    cells().Links(3, 5) = 0;
    cells().Links(2, 6) = 0;  // no arrowheads in
    dialogs.fill_chooser = [](ControlTypeChooser& c) { return c.select_type(kCtCvf); };
    std::vector<std::string> names;
    dialogs.fill_control = [&](ControlNodeForm& form) {
        names = form.value_names();
        return form.choose_value_name("Tout") && form.accept().accepted;
    };
    EXPECT_FALSE(define_at(kNode));
    EXPECT_TRUE(shown("A Continuous Values File (CVF) is required."));
    EXPECT_TRUE(names.empty());  // no dialog

    project().rc.continuous_values_file = "site.cvf";
    project().cvf_values.names = {"Tout"};
    EXPECT_TRUE(define_at(kNode));
    EXPECT_EQ(names, std::vector<std::string>{"Tout"});
    EXPECT_EQ(std::get<ValuesNameData>(project().controls.at(1)->data).name, "Tout");
}

struct SuperNodePhantoms : ControlDefine {
    ControlNode* phantom = nullptr;
    ControlNode* instance = nullptr;
    SuperNodePhantoms()
    {
        SuperElement e;
        e.name = "SE_1";
        e.nodes.add(new_control_node(kCtSph, ControlEditMode::SuperElement));
        SuperElement* element = project().super_elements.insert_copy(e);
        instance = create_super_instance(project(), *element, "<none>", "Super element");
        phantom = std::get<SuperInstanceData>(instance->data).copies.front();
        editor.control.mode = ControlEditMode::SuperNode;
        editor.control.instance = instance;
        // The element's sketch shows its phantom (element node 1).
        cells().Links(kNode.row, kNode.col) = ICN_CTRL_PHANTOM;
        cells().Ctrls(kNode.row, kNode.col) = 1;
        port.boxes.clear();
    }
};

TEST_F(SuperNodePhantoms, WithoutNamedNodesAMessageInsteadOfAnEmptyDialog)
{
    EXPECT_FALSE(define_at(kNode));
    EXPECT_EQ(dialogs.phantom_dialogs, 0);
    EXPECT_TRUE(shown("There are no named control nodes"));
}

TEST_F(SuperNodePhantoms, CancelNeverCommitsTheNodeShownAndOkDoes)
{
    ControlNode outdoor = new_control_node(kCtSet, ControlEditMode::Building);
    outdoor.name = "outdoor";
    ControlNode* target = project().controls.add(outdoor);
    dialogs.fill_phantom = [](PhantomForm& form) {
        EXPECT_EQ(form.names(), std::vector<std::string>{"outdoor"});
        return false;
    };
    EXPECT_FALSE(define_at(kNode));
    EXPECT_EQ(dialogs.phantom_dialogs, 1);
    EXPECT_EQ(phantom->c1, nullptr);
    EXPECT_EQ(target->ref_count, 0);

    dialogs.fill_phantom = [](PhantomForm&) { return true; };
    EXPECT_TRUE(define_at(kNode));
    EXPECT_EQ(phantom->c1, target);
    EXPECT_EQ(target->ref_count, 1);
}

TEST_F(SuperNodePhantoms, NoNewNodesInASuperNodesSubNetwork)
{
    cells().Links(kNode.row, kNode.col) = ICN_CTRL_NODE;
    cells().Ctrls(kNode.row, kNode.col) = 0;
    dialogs.fill_chooser = [](ControlTypeChooser&) { return true; };
    EXPECT_FALSE(define_at(kNode));
    EXPECT_TRUE(dialogs.choosers.empty());
    EXPECT_TRUE(shown(kNoNewElementsInSuperNode));
}

}  // namespace
}  // namespace avelor
