// The control node dialogs' rules: the type chooser, names, the type
// dialogs, sensors, phantoms, super nodes and the super element window.
#include "forms/control_node_forms.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "forms/control_sensor_form.h"
#include "forms/control_super_forms.h"
#include "model/cell_codes.h"
#include "model/project.h"
#include "model/species.h"
#include "support/edit_fixture.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

bool shown(const ScriptedPort& port, std::string_view text)
{
    for (const auto& box : port.boxes)
        if (box.text.find(text) != std::string::npos) return true;
    return false;
}

std::vector<int> enabled_types(const ControlTypeChooser& chooser)
{
    std::vector<int> out;
    for (std::size_t i = 0; i < kControlChoiceCount; ++i)
        if (chooser.enabled(i)) out.push_back(control_choices()[i].type);
    return out;
}

// ------------------------------------------------------------- chooser

TEST(ControlChooser, EnablingAndPreselectionFollowArrowheadsAndMode)
{
    const std::vector<int> two_and_many = {kCtInt, kCtAnd, kCtOr,  kCtXor, kCtAdd, kCtSub, kCtMul, kCtDiv,
                                           kCtSum, kCtAvg, kCtMax, kCtMin, kCtLls, kCtUls, kCtLbs, kCtUbs,
                                           kCtLlc, kCtUlc, kCtPow, kCtMdu};
    struct Case {
        int k, links;
        ControlEditMode mode;
        int preselected;
        std::size_t enabled_count;
    };
    const Case cases[] = {
        {0, 0, ControlEditMode::Building, kCtSet, 48},       // every type but the sensor
        {0, 1, ControlEditMode::Building, kCtSet, 49},       // one link piece beside: the sensor too
        {0, 2, ControlEditMode::Building, kCtSet, 48},       // two: no sensor
        {1, 1, ControlEditMode::Building, kCtLog, 43},       // no zero-input types
        {1, 0, ControlEditMode::SuperElement, kCtPas, 41},   // minus super and report
        {2, 0, ControlEditMode::Building, kCtAdd, 20},       // two- and many-input types only
        {3, 0, ControlEditMode::Building, kCtSum, 4},        // the list types only
        {0, 0, ControlEditMode::SuperElement, kCtSet, 43},   // minus super, CVF, DVF, schedule, report
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "k=" << c.k << " links=" << c.links);
        ControlTypeChooser chooser(c.k, c.links, c.mode);
        EXPECT_EQ(chooser.chosen_type(), c.preselected);
        EXPECT_EQ(enabled_types(chooser).size(), c.enabled_count);
    }
    ControlTypeChooser two(2, 0, ControlEditMode::Building);
    EXPECT_EQ(enabled_types(two).size(), two_and_many.size());
    for (int type : two_and_many) EXPECT_TRUE(two.enabled_type(type)) << type;
    EXPECT_FALSE(two.select_type(kCtPas));
    EXPECT_EQ(two.chosen_type(), kCtAdd);
    EXPECT_EQ(control_choices()[two.selected()].label, "+ Add");
}

TEST(ControlChooser, NotOfferedWhileSettingASuperNodesPhantoms)
{
    ScriptedPort port;
    EXPECT_TRUE(ControlTypeChooser::offered(ControlEditMode::Building));
    EXPECT_TRUE(port.boxes.empty());
    EXPECT_FALSE(ControlTypeChooser::offered(ControlEditMode::SuperNode));
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_TRUE(shown(port, kNoNewElementsInSuperNode));
}

TEST(ControlDescriptions, DefaultsByTypeAndPhantomByMode)
{
    EXPECT_EQ(default_control_description(kCtSns, ControlEditMode::Building), "Sensor");
    EXPECT_EQ(default_control_description(kCtPi1, ControlEditMode::Building), "Proportional-Integral control");
    EXPECT_EQ(default_control_description(kCtFlr, ControlEditMode::Building), "Floor");
    EXPECT_EQ(default_control_description(kCtSph, ControlEditMode::Building), "phantom control");
    EXPECT_EQ(default_control_description(kCtSph, ControlEditMode::SuperElement), "Super phantom");
}

// ------------------------------------------------------------- type dialogs

struct TypeForms : ::testing::Test {
    ScriptedPort port;
    Project project;
    std::vector<ControlNode> stored;  // other nodes of the list

    std::vector<const ControlNode*> peers() const
    {
        std::vector<const ControlNode*> out;
        for (const ControlNode& n : stored) out.push_back(&n);
        return out;
    }
    ControlNode named(int type, std::string name)
    {
        ControlNode n = new_control_node(type, ControlEditMode::Building);
        n.name = std::move(name);
        return n;
    }
    DaySchedule* day(const std::string& name, std::vector<SchedulePoint> points, bool trapezoidal,
                     std::int16_t utyp = kScheduleDimensionless)
    {
        DaySchedule d = new_day_schedule(utyp, 0);
        d.name = name;
        d.points = std::move(points);
        d.shap = trapezoidal ? kShapeTrapezoidal : 0;
        return project.day_schedules.insert_copy(d);
    }
};

TEST_F(TypeForms, NameRules)
{
    stored = {named(kCtSet, "supply"), named(kCtSet, "<none>"), named(kCtSup, "inst")};
    struct Case {
        std::string name;
        bool accepted;
        std::string message;
    };
    const Case cases[] = {
        {"two words", false, "Blanks not permitted in name"},
        {"a,b", false, "Commas not permitted in name"},
        {"supply", false, std::string(kControlNameNotUnique)},
        {"", true, ""},         // becomes a second "<none>"
        {"<none>", true, ""},
        {"inst", true, ""},     // instance nodes do not count
        {"return", true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        port.boxes.clear();
        ControlNodeForm form(project, new_control_node(kCtAdd, ControlEditMode::Building), peers(), nullptr);
        EXPECT_EQ(form.caption(), "Generic Control");
        form.set_name(c.name);
        const ControlAnswer a = form.accept();
        EXPECT_EQ(a.accepted, c.accepted);
        if (!c.accepted) {
            EXPECT_EQ(a.text, c.message);
            EXPECT_EQ(a.severity, WARNING);
            EXPECT_EQ(a.focus, ControlField::Name);
            EXPECT_TRUE(shown(port, c.message));
        }
        if (c.name.empty()) {
            EXPECT_EQ(form.working().name, "<none>");
        }
    }
    // Editing a node keeps its own name.
    ControlNodeForm edit(project, stored[0], peers(), &stored[0]);
    EXPECT_TRUE(edit.accept().accepted);
}

TEST_F(TypeForms, DescriptionIsOneLineOfSeventy)
{
    ControlNodeForm form(project, new_control_node(kCtAbs, ControlEditMode::Building), peers(), nullptr);
    form.set_description("first\nsecond " + std::string(80, 'x'));
    EXPECT_EQ(form.working().desc.size(), kControlDescriptionLimit);
    EXPECT_EQ(form.working().desc.substr(0, 13), "first second ");
}

TEST_F(TypeForms, HysteresisSlackBounds)
{
    ControlNodeForm form(project, new_control_node(kCtHys, ControlEditMode::Building), peers(), nullptr);
    EXPECT_EQ(form.caption(), "Hysteresis Effects");
    UnitField* slack = form.field(ControlField::Slack);
    ASSERT_NE(slack, nullptr);
    EXPECT_FALSE(slack->validate("0.6"));
    EXPECT_FALSE(port.boxes.empty());
    EXPECT_FALSE(slack->validate("0.00001"));
    EXPECT_TRUE(slack->validate("0.5"));
    EXPECT_FLOAT_EQ(std::get<HysteresisData>(form.working().data).slack, 0.5f);
    EXPECT_TRUE(form.accept().accepted);

    // A slack out of range from a file is refused on OK.
    ControlNode read = new_control_node(kCtHys, ControlEditMode::Building);
    std::get<HysteresisData>(read.data).slack = 0.6f;
    ControlNodeForm from_file(project, read, peers(), nullptr);
    const ControlAnswer a = from_file.accept();
    EXPECT_FALSE(a.accepted);
    EXPECT_EQ(a.focus, ControlField::Slack);
}

TEST_F(TypeForms, ScheduledDelayOffersOnlyFittingTrapezoidalSchedules)
{
    DaySchedule* up = day("up", {{0, 0}, {3600, 1}, {86400, 1}}, true);
    DaySchedule* down = day("down", {{0, 1}, {86400, 0}}, true);
    DaySchedule* steps = day("steps", {{0, 0}, {86400, 1}}, false);
    DaySchedule* warm = day("warm", {{0, 0}, {86400, 1}}, true, kScheduleTemperature);
    DaySchedule* flat = day("flat", {{0, 1}, {86400, 1}}, true);

    ControlNodeForm form(project, new_control_node(kCtDls, ControlEditMode::Building), peers(), nullptr);
    EXPECT_EQ(form.delay_choices(true), std::vector<DaySchedule*>{up});
    EXPECT_EQ(form.delay_choices(false), std::vector<DaySchedule*>{down});
    for (DaySchedule* wrong : {steps, warm, flat, down}) {
        port.boxes.clear();
        EXPECT_FALSE(form.choose_delay(true, wrong)) << wrong->name;
        EXPECT_TRUE(shown(port, "Schedule must be trapezoidal,\n start at 0, and end at 1.\n"));
    }
    EXPECT_FALSE(form.choose_delay(false, up));
    EXPECT_TRUE(shown(port, " start at 1, and end at 0.\nFix day schedule using the Data Menu."));

    EXPECT_TRUE(form.choose_delay(true, up));
    ControlAnswer a = form.accept();
    EXPECT_FALSE(a.accepted);
    EXPECT_EQ(a.text, kNeedsBothSchedules);
    EXPECT_EQ(a.focus, ControlField::Decreasing);
    EXPECT_TRUE(form.choose_delay(false, down));
    EXPECT_TRUE(form.accept().accepted);
}

TEST_F(TypeForms, PolynomialStartsAtOrderOneAndReplacesCoefficients)
{
    ControlNodeForm form(project, new_control_node(kCtPly, ControlEditMode::Building), peers(), nullptr);
    EXPECT_EQ(form.order(), 1);
    EXPECT_EQ(form.coefficient_rows(), (std::vector<std::string>{"c0 1", "c1 1"}));
    EXPECT_FALSE(form.set_order(10));
    EXPECT_EQ(form.order(), 1);
    EXPECT_TRUE(form.set_order(3));
    EXPECT_EQ(form.coefficient_rows().size(), 4u);
    ASSERT_TRUE(form.select_coefficient(2));
    ASSERT_TRUE(form.field(ControlField::Coefficient)->validate("-2.5"));
    EXPECT_TRUE(form.replace_coefficient());
    EXPECT_EQ(form.coefficient_rows()[2], "c2 -2.5");
    EXPECT_TRUE(form.set_order(0));
    EXPECT_EQ(form.coefficient_rows(), std::vector<std::string>{"c0 1"});
    EXPECT_TRUE(form.accept().accepted);
}

TEST_F(TypeForms, TypeRefusals)
{
    // A schedule node needs a schedule of the kind shown.
    WeekSchedule w = new_week_schedule(kScheduleTemperature, 0);
    w.name = "warm";
    WeekSchedule* warm = project.week_schedules.insert_copy(w);
    ControlNodeForm schedule(project, new_control_node(kCtSch, ControlEditMode::Building), peers(), nullptr);
    EXPECT_EQ(schedule.accept().text, kNeedsSchedule);
    EXPECT_FALSE(schedule.choose_schedule(warm));
    schedule.set_temperature_schedules(true);
    EXPECT_EQ(schedule.schedule_choices(), std::vector<WeekSchedule*>{warm});
    EXPECT_TRUE(schedule.choose_schedule(warm));
    EXPECT_TRUE(schedule.accept().accepted);

    // Exponential delay: both time constants above 0.
    ControlNodeForm delay(project, new_control_node(kCtDlx, ControlEditMode::Building), peers(), nullptr);
    EXPECT_TRUE(delay.set_time(ControlField::TimeIncreasing, {0, 5, 0}));
    EXPECT_EQ(delay.accept().text, kTimeConstantsPositive);
    EXPECT_TRUE(delay.set_time(ControlField::TimeDecreasing, {1, 0, 30}));
    EXPECT_EQ(std::get<DelayTimesData>(delay.working().data).second, 3630);
    EXPECT_TRUE(delay.accept().accepted);

    // Report: header and units are single words (ERROR).
    ControlNodeForm report(project, new_control_node(kCtLog, ControlEditMode::Building), peers(), nullptr);
    report.set_header("air flow");
    ControlAnswer a = report.accept();
    EXPECT_EQ(a.text, "Blanks not permitted in header");
    EXPECT_EQ(a.severity, ERROR);
    report.set_header("flow");
    report.set_units("kg,s");
    EXPECT_EQ(report.accept().text, "Commas not permitted in units");
    report.set_default_units("kg/s");
    report.reset_units();
    EXPECT_TRUE(report.accept().accepted);

    // Band width at least 0.
    ControlNodeForm band(project, new_control_node(kCtLbs, ControlEditMode::Building), peers(), nullptr);
    EXPECT_FALSE(band.field(ControlField::BandWidth)->validate("-1"));
    EXPECT_TRUE(band.field(ControlField::BandWidth)->validate("0"));
}

TEST_F(TypeForms, ValuesFileNodesNeedTheFileAndOneOfItsNames)
{
    EXPECT_EQ(*values_file_missing(kCtCvf, nullptr),
              "A Continuous Values File (CVF) is required.\n Define the CFV from the DATA menu.");
    EXPECT_EQ(*values_file_missing(kCtDvf, nullptr),
              "A Discrete Values File (DVF) is required.\n Define the DFV from the DATA menu.");
    ValuesFileHeader header;
    header.description = "site data";
    header.names = {"Toutdoor", "Occupied"};
    EXPECT_FALSE(values_file_missing(kCtCvf, &header));
    ControlNodeForm form(project, new_control_node(kCtCvf, ControlEditMode::Building), peers(), nullptr, &header,
                         "site.cvf");
    EXPECT_EQ(form.caption(), "CVF/DVF Control");
    EXPECT_EQ(form.file_name(), "site.cvf");
    EXPECT_EQ(form.file_description(), "site data");
    EXPECT_FALSE(form.accept().accepted);  // no value name chosen
    EXPECT_FALSE(form.choose_value_name("Humidity"));
    EXPECT_TRUE(form.choose_value_name("Occupied"));
    EXPECT_TRUE(form.accept().accepted);
}

// ------------------------------------------------------------- sensors

const testing::Picture kRoom = {
    "............",  //
    ".#########..",  //
    ".#.......#..",  //
    ".#..1....#..",  //
    ".#.......#..",  //
    ".#########..",  //
    "............",  //
};

struct Sensors : ::testing::Test, testing::EditFixture {
    Sensors() { build({testing::Plan(kRoom)}); }
    void add_species()
    {
        Species s = new_species();
        s.name = "CO2";
        project().Ctm.push_back(project().species.insert_copy(s));
    }
    // A sensor end at cell looking toward the cell beside it.
    void sensor_end(int row, int col, std::uint8_t code) { cells().Links(row, col) = code; }
    std::vector<std::int16_t> offered(const SensorForm& form)
    {
        std::vector<std::int16_t> out;
        for (const SensedChoice& c : form.sensed_choices())
            if (c.enabled) out.push_back(c.quantity);
        return out;
    }
};

TEST_F(Sensors, WhatEachSensedIconOffers)
{
    add_species();
    // Zone icon at (3, 4); a sensor end east of it looking west.
    sensor_end(3, 5, 184);
    SensedLookup zone = sensed_icon(project(), grid(), 3, 5, ControlEditMode::Building);
    ASSERT_TRUE(zone.icon);
    EXPECT_EQ(zone.icon->target.kind, kSenseZone);
    EXPECT_EQ(zone.icon->target.nr, 1);
    SensorForm zone_form(project(), new_control_node(kCtSns, ControlEditMode::Building), *zone.icon,
                         zone.icon->dialog, ControlEditMode::Building);
    EXPECT_EQ(zone_form.caption(), kSensorZoneCaption);
    EXPECT_EQ(offered(zone_form), (std::vector<std::int16_t>{kSenseTemperature, kSenseMassFraction,
                                                              kSenseGagePressure, kSenseOccupancy}));

    // An empty cell outside the building: the ambient, no pressure or occupancy.
    sensor_end(6, 10, 184);
    SensedLookup ambient = sensed_icon(project(), grid(), 6, 10, ControlEditMode::Building);
    ASSERT_TRUE(ambient.icon);
    EXPECT_EQ(ambient.icon->target.nr, -1);
    SensorForm ambient_form(project(), new_control_node(kCtSns, ControlEditMode::Building), *ambient.icon,
                            ambient.icon->dialog, ControlEditMode::Building);
    EXPECT_EQ(offered(ambient_form), (std::vector<std::int16_t>{kSenseTemperature, kSenseMassFraction}));

    // An element's own sketch has no zones: everything a zone offers.
    SensedLookup element = sensed_icon(project(), grid(), 6, 10, ControlEditMode::SuperElement);
    ASSERT_TRUE(element.icon);
    EXPECT_EQ(element.icon->target.nr, 0);

    // A flow path in the wall: the path dialog.
    FlowPath path;
    path.icn = ICN_PATH;
    add_path(project(), path);
    cells().Sketch(1, 6) = ICN_PATH;
    cells().Paths(1, 6) = 1;
    sensor_end(0, 6, 183);
    SensedLookup on_path = sensed_icon(project(), grid(), 0, 6, ControlEditMode::Building);
    ASSERT_TRUE(on_path.icon);
    EXPECT_EQ(on_path.icon->dialog, SensorDialogKind::PathOrDuct);
    SensorForm path_form(project(), new_control_node(kCtSns, ControlEditMode::Building), *on_path.icon,
                         on_path.icon->dialog, ControlEditMode::Building);
    EXPECT_EQ(path_form.caption(), kSensorPathCaption);
    EXPECT_EQ(offered(path_form), (std::vector<std::int16_t>{kSenseFlow, kSensePressureDrop}));
    EXPECT_EQ(path_form.sensor().quantity, kSenseFlow);

    // An exposure: mass fraction only.
    Exposure e = new_exposure(project());
    project().exposures.add(e);
    cells().Sketch(3, 7) = ICN_EXPOSURE;
    cells().Paths(3, 7) = 1;
    sensor_end(3, 6, 182);
    SensedLookup exposure = sensed_icon(project(), grid(), 3, 6, ControlEditMode::Building);
    ASSERT_TRUE(exposure.icon);
    SensorForm exposure_form(project(), new_control_node(kCtSns, ControlEditMode::Building), *exposure.icon,
                             exposure.icon->dialog, ControlEditMode::Building);
    EXPECT_EQ(offered(exposure_form), std::vector<std::int16_t>{kSenseMassFraction});

    // A simple air-handling system senses nothing.
    cells().Sketch(2, 7) = ICN_AHS;
    sensor_end(2, 6, 182);
    EXPECT_EQ(sensed_icon(project(), grid(), 2, 6, ControlEditMode::Building).refusal, kSensorNotAdjacent);
}

TEST_F(Sensors, WithoutSpeciesNoMassFractionAndOutputBounds)
{
    sensor_end(3, 5, 184);
    SensedLookup zone = sensed_icon(project(), grid(), 3, 5, ControlEditMode::Building);
    ASSERT_TRUE(zone.icon);
    SensorForm form(project(), new_control_node(kCtSns, ControlEditMode::Building), *zone.icon, zone.icon->dialog,
                    ControlEditMode::Building);
    EXPECT_EQ(form.sensor().quantity, kSenseTemperature);
    EXPECT_FALSE(form.choose_quantity(kSenseMassFraction));
    EXPECT_EQ(form.species_names(), std::vector<std::string>{std::string(kNoSpeciesDefined)});
    EXPECT_FALSE(form.field(ControlField::Gain).validate("1e-17"));
    EXPECT_TRUE(form.field(ControlField::Gain).validate("1e-16"));
    EXPECT_FALSE(form.field(ControlField::TimeConstant).validate("86401"));
    EXPECT_TRUE(form.field(ControlField::TimeConstant).validate("86400"));
    EXPECT_TRUE(form.accept().accepted);
}

TEST_F(Sensors, OneDimensionalCellOptionOnlyForMassFraction)
{
    add_species();
    project().zones.at(1)->axs = 1;
    sensor_end(3, 5, 184);
    SensedLookup zone = sensed_icon(project(), grid(), 3, 5, ControlEditMode::Building);
    ASSERT_TRUE(zone.icon && zone.icon->one_d);
    ControlNode read = new_control_node(kCtSns, ControlEditMode::Building);
    std::get<SensorData>(read.data).fourth = 7.5f;
    SensorForm form(project(), read, *zone.icon, zone.icon->dialog, ControlEditMode::Building);
    ASSERT_TRUE(form.choose_quantity(kSenseMassFraction));
    EXPECT_TRUE(form.cell_option_offered());
    EXPECT_TRUE(form.set_in_cell(true));
    EXPECT_TRUE(form.location_enabled());
    ASSERT_TRUE(form.choose_quantity(kSenseTemperature));
    EXPECT_FALSE(form.cell_option_offered());
    EXPECT_FALSE(form.in_cell());
    EXPECT_FALSE(form.set_in_cell(true));
    EXPECT_TRUE(form.accept().accepted);
    // The value the dialogs do not show stays as it was.
    EXPECT_FLOAT_EQ(std::get<SensorData>(form.working().data).fourth, 7.5f);
}

TEST_F(Sensors, UndefinedZoneAndWrongCellsAreRefused)
{
    cells().Zones(3, 5) = ZONE_UNDEFINED;
    sensor_end(3, 5, 184);
    EXPECT_EQ(sensed_icon(project(), grid(), 3, 5, ControlEditMode::Building).refusal, kSensorNotInZone);
    cells().Links(2, 2) = ICN_LINK_H;
    EXPECT_EQ(sensed_icon(project(), grid(), 2, 2, ControlEditMode::Building).refusal, kNotAtSensor);
}

// ------------------------------------------------------------- phantoms and super nodes

TEST(PhantomForm, ListsNamedNodesThatAreNeitherSuperNorPhantom)
{
    std::vector<ControlNode> nodes(5);
    nodes[0].name = "supply";
    nodes[0].desc = "Constant value";
    nodes[0].type = kCtSet;
    nodes[1].name = "<none>";
    nodes[2].name = "inst";
    nodes[2].type = kCtSup;
    nodes[3].name = "ph";
    nodes[3].type = kCtSph;
    nodes[4].name = "limit";
    nodes[4].type = kCtLls;
    std::vector<ControlNode*> network;
    for (ControlNode& n : nodes) network.push_back(&n);

    PhantomForm first(network, nullptr);
    EXPECT_EQ(first.names(), (std::vector<std::string>{"supply", "limit"}));
    EXPECT_EQ(first.chosen(), &nodes[0]);
    EXPECT_EQ(first.description(), "Constant value");
    EXPECT_EQ(first.type_name(), "Constant");
    PhantomForm again(network, &nodes[4]);
    EXPECT_EQ(again.chosen(), &nodes[4]);
    EXPECT_TRUE(PhantomForm({&nodes[1], &nodes[2]}, nullptr).empty());
}

struct SuperNodes : ::testing::Test {
    ScriptedPort port;
    Project project;
    SuperElement* element = nullptr;

    // An element of a phantom (1) feeding a modifier (2), its output.
    void SetUp() override
    {
        SuperElement e;
        e.name = "SE_1";
        ControlNode* phantom = e.nodes.add(new_control_node(kCtSph, ControlEditMode::SuperElement));
        ControlNode mod = new_control_node(kCtMod, ControlEditMode::SuperElement);
        mod.name = "gain";
        ControlNode* stored = e.nodes.add(mod);
        stored->c1 = phantom;
        e.output = stored;
        element = project.super_elements.insert_copy(e);
        ControlNode building = new_control_node(kCtSet, ControlEditMode::Building);
        building.name = "outdoor";
        project.controls.add(building);
    }
};

TEST_F(SuperNodes, CreateAddsTheInstanceAndItsCopiesAndRefusesWhilePhantomsAreUnset)
{
    SuperNodeForm form(project, nullptr, {});
    EXPECT_EQ(form.element_names(), std::vector<std::string>{"SE_1"});
    EXPECT_FALSE(form.can_create());
    EXPECT_FALSE(form.accept().accepted);
    ASSERT_TRUE(form.choose_element(0));
    form.set_name("zone1ctl");
    ASSERT_TRUE(form.create().accepted);
    ControlNode* instance = form.instance();
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance->type, kCtSup);
    EXPECT_EQ(instance->nr, 2);
    EXPECT_EQ(element->use_count, 1);
    const auto& data = std::get<SuperInstanceData>(instance->data);
    ASSERT_EQ(data.copies.size(), 2u);
    EXPECT_EQ(data.copies[0]->nr, 3);
    EXPECT_EQ(data.copies[1]->nr, 4);
    EXPECT_EQ(data.copies[1]->c1, data.copies[0]);  // references follow the copies
    EXPECT_EQ(data.output, data.copies[1]);

    ASSERT_EQ(form.unset_phantoms(), std::vector<ControlNode*>{data.copies[0]});
    const ControlAnswer refused = form.accept();
    EXPECT_FALSE(refused.accepted);
    EXPECT_EQ(refused.text, kPhantomsMustBeSet);
    EXPECT_EQ(refused.severity, ERROR);

    // The dialog's list of the sub-network's phantoms and the "Phantom
    // Control" dialog for one: the building's nodes outside the instance.
    ASSERT_EQ(form.phantom_copies(), std::vector<ControlNode*>{data.copies[0]});
    EXPECT_EQ(form.phantom_line(*data.copies[0]), "1 <none> -> not set");
    PhantomForm choice = form.phantom_form(*data.copies[0]);
    EXPECT_EQ(choice.names(), std::vector<std::string>{"outdoor"});
    ControlNode* outdoor = project.controls.at(1);
    EXPECT_FALSE(form.set_phantom(*data.copies[1], outdoor));  // not a phantom of the instance
    EXPECT_TRUE(form.set_phantom(*data.copies[0], choice.chosen()));
    EXPECT_EQ(data.copies[0]->c1, outdoor);
    EXPECT_EQ(outdoor->ref_count, 1);
    EXPECT_EQ(form.phantom_line(*data.copies[0]), "1 <none> -> outdoor");
    EXPECT_EQ(form.phantom_form(*data.copies[0]).chosen(), outdoor);
    EXPECT_TRUE(form.accept().accepted);
    EXPECT_EQ(instance->name, "zone1ctl");
}

TEST_F(SuperNodes, CancelAfterCreateTakesTheInstanceBack)
{
    SuperNodeForm form(project, nullptr, {});
    ASSERT_TRUE(form.choose_element(0));
    ASSERT_TRUE(form.create().accepted);
    const auto& data = std::get<SuperInstanceData>(form.instance()->data);
    set_phantom_sub_node(*data.copies[0], project.controls.at(1));
    form.cancel();
    EXPECT_EQ(element->use_count, 0);
    EXPECT_EQ(project.controls.at(2), nullptr);
    EXPECT_EQ(project.controls.at(3), nullptr);
    EXPECT_EQ(project.controls.at(1)->ref_count, 0);
}

TEST_F(SuperNodes, FirstUseNumbersTheElementsNodesInItsSketchOrder)
{
    // The sketch shows the modifier (2) left of the phantom (1).
    element->sketch = {{188, 2, 4, 2}, {170, 3, 4, 1}, {ICN_CTRL_PHANTOM, 4, 4, 1}};
    ControlNode* phantom = element->nodes.at(1);
    ControlNode* gain = element->nodes.at(2);
    element->input = phantom;
    ASSERT_NE(create_super_instance(project, *element, "<none>", "Super element"), nullptr);
    EXPECT_EQ(element->nodes.at(1), gain);
    EXPECT_EQ(element->nodes.at(2), phantom);
    EXPECT_EQ(gain->c1, phantom);
    EXPECT_EQ(element->output, gain);
    EXPECT_EQ(element->input, phantom);
    const std::vector<SketchIcon> renumbered = {{188, 2, 4, 1}, {170, 3, 4, 2}, {ICN_CTRL_PHANTOM, 4, 4, 2}};
    EXPECT_EQ(element->sketch, renumbered);
    EXPECT_GT(gain->seq, phantom->seq);  // ordered for evaluation

    // Once in use its numbers are the instances' and stay.
    element->sketch = {{ICN_CTRL_PHANTOM, 4, 4, 2}, {188, 2, 4, 1}};
    ControlNode* second = create_super_instance(project, *element, "<none>", "Super element");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(element->nodes.at(1), gain);
    EXPECT_EQ(std::get<SuperInstanceData>(second->data).output->name, "gain");
}

// ------------------------------------------------------------- super elements

TEST(SuperElementNames, NextNameSkipsNamesInUse)
{
    Project project;
    EXPECT_EQ(next_super_element_name(project.super_elements), "SE_1");
    for (const char* name : {"SE_1", "SE_3"}) {
        SuperElement e;
        e.name = name;
        project.super_elements.insert_copy(e);
    }
    EXPECT_EQ(next_super_element_name(project.super_elements), "SE_4");
}

struct SuperElementWindow : ::testing::Test {
    ScriptedPort port;
    Project project;
    SuperElementsForm form{project};

    // node: a 185 icon at (row, col) for a new node of the type.
    ControlNode* node(int type, int row, int col)
    {
        ControlNode* n = form.current()->nodes.add(new_control_node(type, ControlEditMode::SuperElement));
        form.current()->sketch.push_back({ICN_CTRL_NODE, static_cast<std::int16_t>(col),
                                          static_cast<std::int16_t>(row), n->nr});
        return n;
    }
    void piece(std::uint8_t code, int row, int col, std::int32_t nr)
    {
        form.current()->sketch.push_back({code, static_cast<std::int16_t>(col), static_cast<std::int16_t>(row), nr});
    }
};

TEST_F(SuperElementWindow, NewRenameAndInputOutputChoice)
{
    ASSERT_NE(form.new_element(), nullptr);
    EXPECT_EQ(form.current()->name, "SE_1");
    form.new_element();
    EXPECT_EQ(form.names(), (std::vector<std::string>{"SE_1", "SE_2"}));
    EXPECT_FALSE(form.rename("SE_1"));
    EXPECT_TRUE(shown(port, "May not use existing name"));
    EXPECT_FALSE(form.rename("two words"));
    EXPECT_TRUE(form.rename("mixer"));
    EXPECT_EQ(form.names(), (std::vector<std::string>{"SE_1", "mixer"}));

    node(kCtMod, 2, 2);
    node(kCtAbs, 2, 6);
    EXPECT_EQ(form.output_text(), kOutputRequired);
    EXPECT_TRUE(form.choose_input(0));
    port.boxes.clear();
    EXPECT_FALSE(form.choose_output(0));
    EXPECT_TRUE(shown(port, kInputOutputSame));
    EXPECT_EQ(form.output_choice(), -1);
    EXPECT_TRUE(form.choose_output(1));
    EXPECT_EQ(form.current()->sketch[0].code, 189);
    EXPECT_EQ(form.current()->sketch[1].code, 188);
    // Choosing another input turns the marker of the previous one back.
    EXPECT_FALSE(form.choose_input(1));
    EXPECT_TRUE(form.choose_input(-1));
    EXPECT_EQ(form.current()->sketch[0].code, ICN_CTRL_NODE);
}

TEST_F(SuperElementWindow, CheckElementCases)
{
    form.new_element();
    EXPECT_EQ(form.check(true).message, kNoOutputNode) << "an empty element gives no signal";
    // A modifier (1) at (2, 2) feeding an abs node (2) at (2, 6) over
    // (2, 3) head, (2, 4) plain (not stored), (2, 5) arrowhead east.
    ControlNode* in = node(kCtMod, 2, 2);
    node(kCtAbs, 2, 6);
    piece(ICN_LINK_HEAD_H, 2, 3, 1);
    piece(ICN_ARROW_E, 2, 5, 1);
    ASSERT_TRUE(form.choose_input(0));
    ASSERT_TRUE(form.choose_output(1));
    EXPECT_TRUE(form.check().defined);
    EXPECT_EQ(form.defined_text(), "YES");
    EXPECT_EQ(form.current()->f & kSuperSensorsFollowCell, 0);
    EXPECT_NE(form.current()->f & kSuperDefined, 0) << "the element keeps what its check found";

    // The input node's first input linked from the west: not defined.
    piece(ICN_ARROW_E, 2, 1, 0);
    SuperElementCheck c = form.check(true);
    EXPECT_FALSE(c.defined);
    EXPECT_EQ(c.message, kNodesNotDefined);
    EXPECT_EQ(form.current()->f & kSuperDefined, 0);
    form.current()->sketch.back().nr = 7;
    c = form.check();
    EXPECT_FALSE(c.defined);
    EXPECT_EQ(c.message, kInput1Connected);
    EXPECT_EQ(c.highlighted, (std::vector<GridCell>{GridCell{2, 2}}));
    EXPECT_TRUE(shown(port, kInput1Connected));
    form.current()->sketch.pop_back();

    // A two-input input node needs its second (north-south) input.
    in->type = kCtAdd;
    EXPECT_EQ(form.check(true).message, kInput2NotConnected);
    in->type = kCtMod;

    // An output node without its input.
    form.current()->sketch.erase(form.current()->sketch.begin() + 3);  // the arrowhead
    c = form.check(true);
    EXPECT_EQ(c.message, kWrongInputCount);
    EXPECT_EQ(c.highlighted, (std::vector<GridCell>{GridCell{2, 6}}));

    // A sensor end sets the flag.
    piece(183, 1, 2, 1);
    form.check(true);
    EXPECT_NE(form.current()->f & kSuperSensorsFollowCell, 0);
}

TEST_F(SuperElementWindow, FinishNeedsANameAndStoresTheDescription)
{
    form.new_element();
    form.set_description("mixes\ntwo");
    EXPECT_TRUE(form.finish().accepted);
    EXPECT_EQ(form.current()->desc, "mixes two");
    EXPECT_TRUE(project.changed());
    form.current()->name.clear();
    const ControlAnswer a = form.finish();
    EXPECT_FALSE(a.accepted);
    EXPECT_EQ(a.text, kNameSuperElement);
}

}  // namespace
}  // namespace avelor
