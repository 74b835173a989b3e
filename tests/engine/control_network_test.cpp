// The control network in the engine: every node type against its inputs,
// the stateful ones over several steps against values worked by hand, the
// order of evaluation, super-element instances and phantoms, sensors on
// the building's state, the report file, values files and the signals the
// airflow network takes from them.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "airflow_network.h"
#include "bench/engine_network_generator.h"
#include "control_network.h"
#include "model/control_node.h"
#include "model/project.h"
#include "model/schedules.h"
#include "model/species.h"
#include "simulation_run.h"
#include "support/species_fixtures.h"
#include "support/test_files.h"
#include "values_series.h"

namespace avelor::engine {
namespace {

using bench::add_network_element;
using bench::add_network_level;
using bench::add_network_path;
using bench::add_network_zone;

std::string temp_path(const std::string& name) { return ::testing::TempDir() + name; }

void write_text(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

WeekSchedule* constant_week(Project& p, const std::string& name, float value)
{
    DaySchedule day = new_day_schedule(kScheduleDimensionless, 0);
    day.name = name + "_day";
    day.points = {{0, value}, {86400, value}};
    DaySchedule* stored = p.day_schedules.insert_copy(day);
    WeekSchedule week = new_week_schedule(kScheduleDimensionless, 0);
    week.name = name;
    for (DaySchedule*& d : week.days) d = stored;
    return p.week_schedules.insert_copy(week);
}

DaySchedule* constant_day(Project& p, const std::string& name, float value)
{
    DaySchedule day = new_day_schedule(kScheduleDimensionless, 0);
    day.name = name;
    day.points = {{0, value}, {86400, value}};
    return p.day_schedules.insert_copy(day);
}

ControlNode make_node(int type, const std::function<void(ControlNode&)>& fill = {})
{
    ControlNode node;
    node.type = static_cast<std::int16_t>(type);
    node.data = new_control_data(type);
    if (fill) fill(node);
    return node;
}

// Two zones whose temperatures the tests set: the sensors x and y (gain 1,
// no offset, no lag) read them, and the node under test reads x and y.
class Bench {
public:
    Bench()
    {
        add_network_level(project, "L1", 0, 3);
        zx = add_network_zone(project, "x", 293.15f, 10);
        zy = add_network_zone(project, "y", 293.15f, 10);
        nodes.resize(3);
        nodes[0].number = 1;
        nodes[1].number = 2;
        nodes[2].kind = NodeKind::Ambient;
        x = add_sensor(zx);
        y = add_sensor(zy);
    }

    ControlNode* add_sensor(Zone* zone, float offset = 0, float gain = 1, float tau = 0)
    {
        return project.controls.add(make_node(kCtSns, [&](ControlNode& n) {
            SensorData& s = std::get<SensorData>(n.data);
            s.offset = offset;
            s.gain = gain;
            s.tau = tau;
            s.quantity = kSenseTemperature;
            s.target.record = ZoneRef(zone);
        }));
    }
    ControlNode* add(int type, int inputs, const std::function<void(ControlNode&)>& fill = {})
    {
        return project.controls.add(make_node(type, [&](ControlNode& n) {
            n.n = static_cast<std::int16_t>(inputs);
            if (inputs >= 1) n.c1 = x;
            if (inputs >= 2) n.c2 = y;
            if (fill) fill(n);
        }));
    }
    void build(double time_step = 10)
    {
        network = std::make_unique<ControlNetwork>(project, nodes, links, time_step,
                                                   [this](const std::string& text) { warnings.push_back(text); });
    }
    double step(double xv, double yv, double dt, double seconds = 43200)
    {
        nodes[0].T = xv;
        nodes[1].T = yv;
        BuildingState state;
        state.nodes = &nodes;
        state.links = &links;
        network->evaluate(ControlInstant{1, 1, seconds, dt}, state);
        return 0;
    }

    Project project;
    Zone* zx = nullptr;
    Zone* zy = nullptr;
    ControlNode* x = nullptr;
    ControlNode* y = nullptr;
    std::vector<Node> nodes;
    std::vector<Link> links;
    std::unique_ptr<ControlNetwork> network;
    std::vector<std::string> warnings;
};

struct Step {
    double x, y, dt, expected;
};
struct TypeCase {
    std::string what;
    int type;
    int inputs;
    std::function<void(Project&, ControlNode&)> fill;
    std::vector<Step> steps;
    int warnings = 0;
};

void PrintTo(const TypeCase& c, std::ostream* os) { *os << c.what; }

const double kE = std::numbers::e;
const double kPi = std::numbers::pi;

std::vector<TypeCase> type_cases()
{
    const auto none = [](Project&, ControlNode&) {};
    return {
        {"set", kCtSet, 0, [](Project&, ControlNode& n) { std::get<ConstantData>(n.data).value = 2.5f; },
         {{0, 0, 0, 2.5}}},
        {"sch", kCtSch, 0,
         [](Project& p, ControlNode& n) { std::get<ScheduleNodeData>(n.data).schedule = constant_week(p, "w", 0.75f); },
         {{0, 0, 0, 0.75}}},
        {"pas", kCtPas, 1, none, {{3, 0, 0, 3}, {-1, 0, 10, -1}}},
        {"mod", kCtMod, 1,
         [](Project&, ControlNode& n) { std::get<ModifierData>(n.data) = {1, 2}; },
         {{4, 0, 0, 6}, {0, 0, 10, -2}}},
        {"log", kCtLog, 1,
         [](Project&, ControlNode& n) {
             ReportData& r = std::get<ReportData>(n.data);
             r.offset = 1;
             r.gain = 2;
         },
         {{4, 0, 0, 6}}},
        {"abs", kCtAbs, 1, none, {{-2, 0, 0, 2}, {3, 0, 10, 3}}},
        {"bin", kCtBin, 1, none, {{0.5, 0, 0, 1}, {0, 0, 10, 0}, {-1, 0, 10, 0}}},
        {"inv", kCtInv, 1, none, {{0, 0, 0, 1}, {2, 0, 10, 0}, {-2, 0, 10, 1}}},
        {"and", kCtAnd, 2, none, {{1, 1, 0, 1}, {1, 0, 10, 0}, {0, 0, 10, 0}}},
        {"or", kCtOr, 2, none, {{0, 0, 0, 0}, {0, 2, 10, 1}, {3, 2, 10, 1}}},
        {"xor", kCtXor, 2, none, {{1, 1, 0, 0}, {1, 0, 10, 1}, {0, 1, 10, 1}, {0, 0, 10, 0}}},
        {"add", kCtAdd, 2, none, {{2, 3, 0, 5}}},
        {"sub", kCtSub, 2, none, {{2, 3, 0, -1}}},
        {"mul", kCtMul, 2, none, {{2, 3, 0, 6}}},
        // Division by 0 holds the last output and warns once.
        {"div", kCtDiv, 2, none, {{6, 3, 0, 2}, {5, 0, 10, 2}, {7, 0, 10, 2}, {9, 3, 10, 3}}, 1},
        {"lls", kCtLls, 2, none, {{1, 2, 0, 1}, {2, 1, 10, 0}, {2, 2, 10, 0}}},
        {"uls", kCtUls, 2, none, {{1, 2, 0, 0}, {2, 1, 10, 1}, {2, 2, 10, 0}}},
        // On below y, off above y + width, held between.
        {"lbs", kCtLbs, 2, [](Project&, ControlNode& n) { std::get<BandData>(n.data).width = 1; },
         {{4, 5, 0, 1}, {5.5, 5, 10, 1}, {6.5, 5, 10, 0}, {5.5, 5, 10, 0}, {4.9, 5, 10, 1}}},
        // On above y, off below y - width, held between.
        {"ubs", kCtUbs, 2, [](Project&, ControlNode& n) { std::get<BandData>(n.data).width = 1; },
         {{6, 5, 0, 1}, {4.5, 5, 10, 1}, {3.9, 5, 10, 0}, {4.5, 5, 10, 0}, {5.1, 5, 10, 1}}},
        {"llc", kCtLlc, 2, none, {{0.3, 0.5, 0, 0.5}, {0.7, 0.5, 10, 0.7}}},
        {"ulc", kCtUlc, 2, none, {{1.3, 1, 0, 1}, {0.4, 1, 10, 0.4}}},
        {"pc1 of the error", kCtPc1, 1, [](Project&, ControlNode& n) { std::get<ProportionalData>(n.data).Kp = 2; },
         {{0.25, 0, 0, 0.5}, {-1, 0, 10, -2}}},
        {"pc1 of x - y", kCtPc1, 2, [](Project&, ControlNode& n) { std::get<ProportionalData>(n.data).Kp = 2; },
         {{3, 1, 0, 4}}},
        {"exp", kCtExp, 1, none, {{1, 0, 0, kE}}},
        // Domain errors hold the last value and warn once.
        {"lgn", kCtLgn, 1, none, {{kE, 0, 0, 1}, {-1, 0, 10, 1}, {0, 0, 10, 1}, {1, 0, 10, 0}}, 1},
        {"lg1", kCtLg1, 1, none, {{100, 0, 0, 2}}},
        {"pow", kCtPow, 2, none, {{2, 3, 0, 8}, {-8, 0.5, 10, 8}}, 1},
        {"sqt", kCtSqt, 1, none, {{9, 0, 0, 3}, {-1, 0, 10, 3}}, 1},
        {"sin", kCtSin, 1, none, {{kPi / 2, 0, 0, 1}}},
        {"cos", kCtCos, 1, none, {{0, 0, 0, 1}}},
        {"tan", kCtTan, 1, none, {{kPi / 4, 0, 0, 1}}},
        {"mdu", kCtMdu, 2, none, {{7, 3, 0, 1}, {1, 0, 10, 1}}, 1},
        {"cel", kCtCel, 1, none, {{1.2, 0, 0, 2}}},
        {"flr", kCtFlr, 1, none, {{-1.2, 0, 0, -2}}},
        {"ply", kCtPly, 1,
         [](Project&, ControlNode& n) { std::get<PolynomialData>(n.data).coefficients = {1, 2, 3}; },
         {{2, 0, 0, 17}, {-1, 0, 10, 2}}},
        // Stateful: a first-order lag of tau 100 s on (T - 1) * 2.
        {"sns with a lag", kCtSns, 0,
         [](Project&, ControlNode& n) {
             SensorData& s = std::get<SensorData>(n.data);
             s.offset = 1;
             s.gain = 2;
             s.tau = 100;
         },
         {{1, 0, 0, 0}, {2, 0, 50, 2 * -std::expm1(-0.5)}, {2, 0, 50, 2 - 2 * std::exp(-1.0)}}},
        // Up with 100 s, down with 200 s.
        {"dlx", kCtDlx, 1, [](Project&, ControlNode& n) { std::get<DelayTimesData>(n.data) = {100, 200}; },
         {{0, 0, 0, 0}, {1, 0, 100, 1 - std::exp(-1.0)}, {0, 0, 200, (1 - std::exp(-1.0)) * std::exp(-1.0)}}},
        // Up at 0.01 /s, down at 0.02 /s.
        {"dls", kCtDls, 1,
         [](Project& p, ControlNode& n) {
             std::get<DelayScheduleData>(n.data) = {constant_day(p, "up", 0.01f), constant_day(p, "down", 0.02f)};
         },
         {{0, 0, 0, 0}, {1, 0, 10, 0.01f * 10.0}, {1, 0, 100, 1}, {0, 0, 10, 1 - 0.02f * 10.0}}},
        // x dt summed; y > 0 resets.
        {"int", kCtInt, 2, none, {{2, 0, 0, 0}, {2, 0, 10, 20}, {3, 0, 10, 50}, {3, 1, 10, 0}, {1, 0, 5, 5}}},
        // The mean of the last 30 s / 10 s = 3 values.
        {"rav", kCtRav, 1, [](Project&, ControlNode& n) { std::get<RunningAverageData>(n.data).time = 30; },
         {{3, 0, 0, 3}, {6, 0, 10, 4.5}, {9, 0, 10, 6}, {12, 0, 10, 9}, {0, 0, 10, 7}}},
        // Backlash of width 2.
        {"hys", kCtHys, 1, [](Project&, ControlNode& n) { std::get<HysteresisData>(n.data).slack = 2; },
         {{0, 0, 0, 0}, {0.5, 0, 10, 0}, {3, 0, 10, 2}, {2.5, 0, 10, 2}, {0, 0, 10, 1}}},
        // Kp 0.5, Ki 0.01 /s: the integral stops while the output is held
        // at a bound by an error that would drive it further.
        {"pi1", kCtPi1, 1,
         [](Project&, ControlNode& n) {
             PiData& pi = std::get<PiData>(n.data);
             pi.Kp = 0.5f;
             pi.Ki = 0.01f;
         },
         {{0.2, 0, 0, 0.5f * 0.2},
          {0.2, 0, 10, 0.5f * 0.2 + 0.01f * 2.0},
          {4, 0, 10, 1},
          {-1, 0, 10, 0},
          {0.1, 0, 10, 0.5f * 0.1 + 0.01f * 3.0}}},
    };
}

class ControlTypes : public ::testing::TestWithParam<TypeCase> {};

TEST_P(ControlTypes, GiveTheirOutputs)
{
    const TypeCase& c = GetParam();
    Bench bench;
    ControlNode* node = nullptr;
    if (c.type == kCtSns) {
        node = bench.add_sensor(bench.zx);
        c.fill(bench.project, *node);
        std::get<SensorData>(node->data).target.record = ZoneRef(bench.zx);
    } else {
        node = bench.add(c.type, c.inputs, [&](ControlNode& n) { c.fill(bench.project, n); });
    }
    bench.build();
    for (std::size_t k = 0; k < c.steps.size(); ++k) {
        const Step& s = c.steps[k];
        bench.step(s.x, s.y, s.dt);
        EXPECT_NEAR(bench.network->output(node), s.expected, 1e-9 * std::max(1.0, std::fabs(s.expected)))
            << c.what << ", step " << k << " (x " << s.x << ", y " << s.y << ")";
    }
    EXPECT_EQ(static_cast<int>(bench.warnings.size()), c.warnings) << c.what;
    for (const std::string& w : bench.warnings) EXPECT_NE(w.find("control node 3"), std::string::npos) << w;
}

INSTANTIATE_TEST_SUITE_P(EveryType, ControlTypes, ::testing::ValuesIn(type_cases()),
                         [](const ::testing::TestParamInfo<TypeCase>& info) {
                             std::string name;
                             for (char ch : info.param.what) name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
                             return name;
                         });

// Sum, average, maximum and minimum over an input list of three.
TEST(ControlNetwork, ListNodesCombineTheirInputs)
{
    Bench bench;
    ControlNode* four = bench.project.controls.add(
        make_node(kCtSet, [](ControlNode& n) { std::get<ConstantData>(n.data).value = 4; }));
    struct Want {
        int type;
        double value;
    };
    const std::vector<Want> wants{{kCtSum, 8}, {kCtAvg, 8.0 / 3}, {kCtMax, 4}, {kCtMin, 1}};
    std::vector<ControlNode*> nodes;
    for (const Want& w : wants)
        nodes.push_back(bench.add(w.type, 3, [&](ControlNode& n) {
            n.c1 = n.c2 = nullptr;
            std::get<InputListData>(n.data).inputs = {bench.x, bench.y, four};
        }));
    ControlNode* empty = bench.add(kCtSum, 0);
    bench.build();
    bench.step(1, 3, 0);
    for (std::size_t k = 0; k < wants.size(); ++k)
        EXPECT_NEAR(bench.network->output(nodes[k]), wants[k].value, 1e-12) << wants[k].type;
    EXPECT_EQ(bench.network->output(empty), 0.0);
}

// A super-element instance: its copies follow it in the list; the input
// copy reads the instance's input, the instance gives its output copy's
// value, a phantom gives the instance's. The sequence numbers are given
// in the wrong order (the reader first): evaluation still follows the
// inputs, in one evaluation.
TEST(ControlNetwork, SuperElementInstancesAndPhantomsPassTheirSignals)
{
    Bench bench;
    Project& p = bench.project;
    ControlNode* instance = p.controls.add(make_node(kCtSup, [&](ControlNode& n) {
        n.c1 = bench.x;
        n.n = 1;
        n.seq = 9;
    }));
    ControlNode* in_copy = p.controls.add(make_node(kCtPas, [](ControlNode& n) { n.seq = 1; }));
    ControlNode* out_copy = p.controls.add(make_node(kCtMod, [&](ControlNode& n) {
        n.c1 = in_copy;
        std::get<ModifierData>(n.data) = {0, 3};
        n.seq = 2;
    }));
    SuperInstanceData& data = std::get<SuperInstanceData>(instance->data);
    data.input = in_copy;
    data.output = out_copy;
    data.copies = {in_copy, out_copy};
    ControlNode* phantom = p.controls.add(make_node(kCtSph, [&](ControlNode& n) { n.c1 = instance; }));
    ControlNode* reader = p.controls.add(make_node(kCtAdd, [&](ControlNode& n) {
        n.c1 = instance;
        n.c2 = phantom;
        n.seq = 3;
    }));
    bench.build();
    bench.step(2, 0, 0);
    EXPECT_EQ(bench.network->output(in_copy), 2);
    EXPECT_EQ(bench.network->output(out_copy), 6);
    EXPECT_EQ(bench.network->output(instance), 6);
    EXPECT_EQ(bench.network->output(phantom), 6);
    EXPECT_EQ(bench.network->output(reader), 12);
}

TEST(ControlNetwork, ACircularNetworkIsRefusedNamingItsNodes)
{
    Bench bench;
    ControlNode* a = bench.add(kCtPas, 1);
    ControlNode* b = bench.add(kCtPas, 1, [&](ControlNode& n) { n.c1 = a; });
    a->c1 = b;
    bench.add(kCtPas, 1, [&](ControlNode& n) { n.c1 = b; });
    try {
        bench.build();
        FAIL() << "a circle was accepted";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("nodes 3, 4, 5"), std::string::npos) << e.what();
    }
}

// Sensors on the other quantities: a zone's gage pressure and mass
// fraction, a path's flow and pressure drop, the ambient temperature.
TEST(ControlNetwork, SensorsReadTheBuildingState)
{
    Bench bench;
    Project& p = bench.project;
    testing::add_species(p, "CO2", 0, 6e-4f);
    ASSERT_EQ(rebuild_contaminants(p), 0);
    AirflowElement* leak = add_network_element(p, "leak", kPlrLeak1, [](AirflowElement& e) {
        std::get<LeakageData>(e.data).area1 = 0.01f;
    });
    FlowPath* path = add_network_path(p, ZoneRef(bench.zx), ZoneRef::ambient(), leak);
    bench.links.resize(1);
    bench.links[0].number = path->nr;
    bench.links[0].F0 = 0.02;
    bench.links[0].F1 = -0.005;
    bench.links[0].dP = 3.5;
    bench.nodes[0].p = -1.25;
    bench.nodes[2].T = 273.15;
    const auto sensor = [&](int quantity, auto target) {
        return p.controls.add(make_node(kCtSns, [&](ControlNode& n) {
            SensorData& s = std::get<SensorData>(n.data);
            s.quantity = static_cast<std::int16_t>(quantity);
            s.target.record = target;
            s.species = p.Ctm.empty() ? nullptr : p.Ctm[0];
        }));
    };
    ControlNode* pressure = sensor(kSenseGagePressure, ZoneRef(bench.zx));
    ControlNode* co2 = sensor(kSenseMassFraction, ZoneRef(bench.zy));
    ControlNode* outdoor = sensor(kSenseTemperature, ZoneRef::ambient());
    ControlNode* flow = sensor(kSenseFlow, path);
    ControlNode* drop = sensor(kSensePressureDrop, path);
    bench.build();
    bench.step(293.15, 293.15, 0);
    EXPECT_EQ(bench.network->output(pressure), -1.25);
    const double initial = bench.zy->CC0.empty() ? 0.0 : static_cast<double>(bench.zy->CC0[0]);
    EXPECT_NEAR(bench.network->output(co2), initial, 1e-15) << "the zone's initial concentration";
    EXPECT_EQ(bench.network->output(outdoor), 273.15);
    EXPECT_NEAR(bench.network->output(flow), 0.015, 1e-15);
    EXPECT_EQ(bench.network->output(drop), 3.5);
    const std::vector<double> C{1e-3, 2e-3, 6e-4};
    BuildingState state{&bench.nodes, &bench.links, &C};
    bench.network->evaluate(ControlInstant{1, 1, 600, 300}, state);
    EXPECT_EQ(bench.network->output(co2), 2e-3);

    // A path sensed for a zone's quantity is refused.
    sensor(kSenseOccupancy, path);
    EXPECT_THROW(bench.build(), EngineError);
}

TEST(ControlNetwork, ReportNodesWriteTheValuesFile)
{
    Bench bench;
    bench.add(kCtLog, 1, [](ControlNode& n) {
        ReportData& r = std::get<ReportData>(n.data);
        r.header = "room T";
        r.units = "K";
    });
    bench.add(kCtLog, 1, [&](ControlNode& n) {
        n.c1 = bench.y;
        ReportData& r = std::get<ReportData>(n.data);
        r.gain = 1000;
        r.header = "y";
        r.units = "mK";
    });
    bench.build();
    ASSERT_TRUE(bench.network->has_reports());
    const std::string path = temp_path("control_report.log");
    ASSERT_TRUE(bench.network->open_report(path));
    bench.step(293.15, 1.5, 0);
    ASSERT_TRUE(bench.network->write_report(32, 3600));
    bench.step(294, 2, 3600);
    ASSERT_TRUE(bench.network->write_report(365, 86400));
    ASSERT_TRUE(bench.network->close_report());
    EXPECT_EQ(testing::read_file(path),
              "date time room_T[K] y[mK]\n"
              "02/01 01:00:00 293.15 1500\n"
              "12/31 24:00:00 294 2000\n");
}

// Values files: a continuous one interpolates, a discrete one holds.
const char* kGoodValues =
    "ContinuousValuesFile AvelorW 2.1\n"
    "Outdoor CO2 and a damper\n"
    "1/1 12/31\n"
    "2\n"
    "co2 ! outdoor\n"
    "damper\n"
    "! records\n"
    "01/01 00:00:00 4e-4 0\n"
    "01/01 06:00:00 6e-4, 1\n"
    "\n"
    "01/02 00:00:00 5e-4 0.5\n";

TEST(ValuesSeries, ContinuousInterpolatesAndDiscreteHolds)
{
    const std::string cvf = temp_path("good.cvf"), dvf = temp_path("good.dvf");
    write_text(cvf, kGoodValues);
    std::string discrete = kGoodValues;
    discrete.replace(0, std::string("ContinuousValuesFile").size(), "DiscreteValuesFile");
    write_text(dvf, discrete);
    ValuesSeries c = ValuesSeries::read(cvf, ValuesFileKind::Continuous);
    ValuesSeries d = ValuesSeries::read(dvf, ValuesFileKind::Discrete);
    ASSERT_EQ(c.records(), 3u);
    EXPECT_EQ(c.column("damper"), 1);
    EXPECT_EQ(c.column("nothing"), -1);
    struct Case {
        double t, co2_c, damper_c, damper_d;
    };
    for (const Case& k : std::vector<Case>{{0, 4e-4, 0, 0},
                                           {3 * 3600, 5e-4, 0.5, 0},
                                           {6 * 3600, 6e-4, 1, 1},
                                           {15 * 3600, 5.5e-4, 0.75, 1},
                                           {86400, 5e-4, 0.5, 0.5},
                                           {10 * 86400, 5e-4, 0.5, 0.5},
                                           {3600, 4e-4 + 2e-4 / 6, 1.0 / 6, 0}}) {
        c.seek(k.t);
        d.seek(k.t);
        EXPECT_NEAR(c.value(0), k.co2_c, 1e-15) << k.t;
        EXPECT_NEAR(c.value(1), k.damper_c, 1e-12) << k.t;
        EXPECT_EQ(d.value(1), k.damper_d) << k.t;
    }
}

TEST(ValuesSeries, MalformedFilesAreRefusedNamingFileAndLine)
{
    struct Case {
        std::string what, replace, with, message;
    };
    const std::vector<Case> cases{
        {"a value not a number", "6e-4, 1", "6e-4, one", "line 9: the value one is not a number"},
        {"a record out of order", "01/02 00:00:00", "01/01 05:00:00", "line 11: the time is before the record above"},
        {"a missing value", "6e-4, 1", "6e-4", "line 9: the record holds 1 values for 2 names"},
        {"a bad date", "01/02 00:00:00", "13/02 00:00:00", "line 11: the date is not mm/dd"},
        {"a bad time", "01/02 00:00:00", "01/02 00:61:00", "line 11: the time is not hh:mm:ss"},
        {"a wrong header", "ContinuousValuesFile", "DiscreteValuesFile", "cannot be read"},
    };
    for (const Case& c : cases) {
        std::string text = kGoodValues;
        text.replace(text.find(c.replace), c.replace.size(), c.with);
        const std::string path = temp_path("bad.cvf");
        write_text(path, text);
        try {
            ValuesSeries::read(path, ValuesFileKind::Continuous);
            ADD_FAILURE() << c.what << " was accepted";
        } catch (const EngineError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find(path), std::string::npos) << c.what << ": " << message;
            EXPECT_NE(message.find(c.message), std::string::npos) << c.what << ": " << message;
        }
    }
}

// Elements follow a values-file column by name; a name the file lacks is
// refused, naming the element and the column.
TEST(ValuesSeries, ElementsFollowAColumnByName)
{
    Bench bench;
    const std::string path = temp_path("columns.cvf");
    write_text(path, kGoodValues);
    bench.project.rc.continuous_values_file = path;
    ControlNode* node = bench.add(kCtCvf, 0, [](ControlNode& n) { std::get<ValuesNameData>(n.data).name = "co2"; });
    bench.build();
    const int slot = bench.network->signal_slot(nullptr, ControlValuesLink{1, "damper"}, "flow path 1");
    EXPECT_EQ(bench.network->signal_slot(nullptr, ControlValuesLink{0, ""}, "flow path 2"), -1);
    EXPECT_EQ(bench.network->signal_slot(node, ControlValuesLink{1, "damper"}, "flow path 3"), 2)
        << "a control node before the values file";
    bench.step(0, 0, 0, 3 * 3600);
    EXPECT_NEAR(bench.network->signal(slot), 0.5, 1e-12);
    EXPECT_NEAR(bench.network->output(node), 5e-4, 1e-15);
    try {
        bench.network->signal_slot(nullptr, ControlValuesLink{1, "speed"}, "flow path 4");
        FAIL() << "a missing column was accepted";
    } catch (const EngineError& e) {
        const std::string message = e.what();
        EXPECT_NE(message.find("flow path 4"), std::string::npos) << message;
        EXPECT_NE(message.find("speed"), std::string::npos) << message;
    }
    EXPECT_THROW(bench.network->signal_slot(nullptr, ControlValuesLink{2, "co2"}, "flow path 5"), EngineError)
        << "no discrete values file";
}

// The airflow network: a fan whose control node gives 0.5 carries half its
// flow; a zone's control signal is its temperature and one not above 0 K
// is refused, naming the zone.
TEST(ControlNetwork, SignalsDriveThePathsAndZonesOfTheAirflow)
{
    auto project = std::make_unique<Project>();
    add_network_level(*project, "L1", 0, 3);
    Zone* room = add_network_zone(*project, "room", 293.15f, 100);
    AirflowElement* fan = add_network_element(*project, "fan", kFanCmf,
                                              [](AirflowElement& e) { std::get<ConstantFlowData>(e.data).Flow = 0.04f; });
    AirflowElement* leak = add_network_element(*project, "leak", kPlrLeak1, [](AirflowElement& e) {
        std::get<LeakageData>(e.data).area1 = 0.01f;
    });
    FlowPath* supply = add_network_path(*project, ZoneRef::ambient(), room, fan);
    add_network_path(*project, room, ZoneRef::ambient(), leak);
    ControlNode* speed = project->controls.add(
        make_node(kCtSet, [](ControlNode& n) { std::get<ConstantData>(n.data).value = 0.5f; }));
    ControlNode* temperature = project->controls.add(
        make_node(kCtSet, [](ControlNode& n) { std::get<ConstantData>(n.data).value = 300; }));
    supply->control = speed;
    supply->schedule = constant_week(*project, "ignored", 0.1f);
    room->control = temperature;

    AirflowNetwork network(*project);
    ControlNetwork controls(*project, network.nodes(), network.links(), 60);
    network.bind_controls(controls);
    network.follow_schedules(1, 0);
    controls.evaluate(ControlInstant{}, BuildingState{&network.nodes(), &network.links(), nullptr});
    EXPECT_TRUE(network.follow_controls());
    EXPECT_FALSE(network.follow_controls());
    ASSERT_TRUE(network.solve(Weather{}).converged);
    EXPECT_NEAR(network.links()[0].F0, 0.02, 1e-9);
    EXPECT_EQ(network.nodes()[0].T, 300);

    std::get<ConstantData>(temperature->data).value = 0;
    ControlNetwork cold(*project, network.nodes(), network.links(), 60);
    network.bind_controls(cold);
    cold.evaluate(ControlInstant{}, BuildingState{&network.nodes(), &network.links(), nullptr});
    try {
        network.follow_controls();
        FAIL() << "a temperature of 0 K was accepted";
    } catch (const EngineError& e) {
        EXPECT_NE(std::string(e.what()).find("zone room"), std::string::npos) << e.what();
    }
}

// A whole run: a fan whose discrete values file column switches it from
// full to half speed at 00:30 and a report node on the fan's flow (in g/s)
// give PROJECT.log beside the results, one line per output instant; the
// flow reported for an instant is the one sensed from the step before.
TEST(ControlNetwork, ARunWritesItsReportNodesBesideTheResults)
{
    Project project;
    add_network_level(project, "L1", 0, 3);
    Zone* room = add_network_zone(project, "room", 293.15f, 100);
    AirflowElement* fan = add_network_element(project, "fan", kFanCmf,
                                              [](AirflowElement& e) { std::get<ConstantFlowData>(e.data).Flow = 0.04f; });
    AirflowElement* leak = add_network_element(project, "leak", kPlrLeak1, [](AirflowElement& e) {
        std::get<LeakageData>(e.data).area1 = 0.01f;
    });
    FlowPath* supply = add_network_path(project, ZoneRef::ambient(), room, fan);
    add_network_path(project, room, ZoneRef::ambient(), leak);
    const std::string dvf = temp_path("run_speed.dvf");
    write_text(dvf, "DiscreteValuesFile AvelorW 2.1\nfan speed\n1/1 1/1\n1\nspeed\n"
                    "01/01 00:00:00 1\n01/01 00:30:00 0.5\n");
    project.rc.discrete_values_file = dvf;
    supply->cdvf = {2, "speed"};
    ControlNode* flow = project.controls.add(make_node(kCtSns, [&](ControlNode& n) {
        SensorData& s = std::get<SensorData>(n.data);
        s.quantity = kSenseFlow;
        s.target.record = supply;
    }));
    project.controls.add(make_node(kCtLog, [&](ControlNode& n) {
        n.c1 = flow;
        n.n = 1;
        ReportData& r = std::get<ReportData>(n.data);
        r.gain = 1000;
        r.header = "fan";
        r.units = "g/s";
    }));
    RunControl& rc = project.rc;
    rc.afrcnvg = 1e-8f;
    rc.afacnvg = 1e-10f;
    rc.sim_af = 1;
    rc.sim_mf = 0;
    rc.t_step = 600;
    rc.t_list = 1200;
    rc.date_0 = rc.date_1 = 1;
    rc.time_0 = 0;
    rc.time_1 = 3600;

    const std::string sim = temp_path("report_run.sim"), rst = temp_path("report_run.rst");
    NetworkFlowModel flows(project);
    ASSERT_EQ(run_simulation(project, flows, sim, rst, RunOptions{}), RunOutcome::Finished);
    // 00:00 the initial state (no flow yet), 00:20 the step to 00:10 at
    // full speed, 00:40 the step to 00:30, which takes the file's value
    // at its end: half speed.
    EXPECT_EQ(testing::read_file(beside_project(sim, ".log")),
              "date time fan[g/s]\n"
              "01/01 00:00:00 0\n"
              "01/01 00:20:00 40\n"
              "01/01 00:40:00 20\n"
              "01/01 01:00:00 20\n");
}

}  // namespace
}  // namespace avelor::engine
