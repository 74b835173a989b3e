// Schedules in the engine: flow paths scaled by their week schedule's value
// on the day type at the time of day, zones at the temperature of their
// temperature schedule, and runs that solve a steady airflow again only
// when a scheduled value changed.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "airflow_network.h"
#include "bench/engine_network_generator.h"
#include "model/project.h"
#include "model/schedules.h"
#include "simulation_run.h"
#include "support/species_fixtures.h"

namespace avelor::engine {
namespace {

using bench::add_network_element;
using bench::add_network_level;
using bench::add_network_path;
using bench::add_network_zone;

constexpr double kR = 287.055;
constexpr double kG = 9.8055;
constexpr double kPb = 101325;
constexpr double kHour = 3600;

void expect_digits(double actual, double expected, const std::string& what)
{
    EXPECT_NEAR(actual, expected, 5e-5 * std::abs(expected)) << what;
}

std::unique_ptr<Project> one_level_project()
{
    auto p = std::make_unique<Project>();
    add_network_level(*p, "L1", 0, 3);
    p->rc.afrcnvg = 1e-8f;
    p->rc.afacnvg = 1e-10f;
    return p;
}

DaySchedule* add_day(Project& p, const std::string& name, bool trapezoidal, const std::vector<SchedulePoint>& points,
                     std::int16_t utyp = kScheduleDimensionless)
{
    DaySchedule day = new_day_schedule(utyp, 0);
    day.name = name;
    day.shap = trapezoidal ? kShapeTrapezoidal : 0;
    day.points = points;
    return p.day_schedules.insert_copy(day);
}

// A week with one day schedule for day type 2 (Monday) and another for
// all the others.
WeekSchedule* add_week(Project& p, const std::string& name, DaySchedule* monday, DaySchedule* other,
                       std::int16_t utyp = kScheduleDimensionless)
{
    WeekSchedule week = new_week_schedule(utyp, 0);
    week.name = name;
    for (int d = 1; d <= kDayTypes; ++d) week.days[static_cast<std::size_t>(d - 1)] = d == 2 ? monday : other;
    return p.week_schedules.insert_copy(week);
}

AirflowElement* test_leak(Project& project)
{
    return add_network_element(project, "leak", kPlrLeak1, [](AirflowElement& e) {
        auto& d = std::get<LeakageData>(e.data);
        d.area1 = 0.01f;
        d.pres = 4;
    });
}

AirflowElement* test_fan(Project& project, float flow)
{
    return add_network_element(project, "fan", kFanCmf,
                               [&](AirflowElement& e) { std::get<ConstantFlowData>(e.data).Flow = flow; });
}

double leak_turb(const Project& project)
{
    return std::get<LeakageData>(project.elements.find_by_name("leak")->data).turb;
}

// The pressure at which the test leak carries F out of a zone at 293.15 K:
// F = turb sqrt(rho_i) p^0.65 with rho_i = (Pb + p)/(R T).
double leak_pressure(double turb, double F)
{
    double p = 8;
    for (int i = 0; i < 50; ++i) {
        const double rho = (kPb + p) / (kR * static_cast<float>(293.15));
        p = std::pow(F / (turb * std::sqrt(rho)), 1 / 0.65);
    }
    return p;
}

// A fan of 0.03 kg/s (path multiplier 2) blows into a room that leaks out.
// On Mondays the fan follows a trapezoidal day, 0 at 00:00 rising to 1 at
// 12:00 and falling to 0 at 24:00; on every other day type a rectangular
// one holding 0.2 from 00:00, 1 from 08:00 and 0.5 from 17:00. The fan
// then carries s 2 0.03 kg/s and the leak the same out, at the pressure
// of leak_pressure.
TEST(ScheduledNetwork, FanFollowsTheDayTypeAndTheTimeOfDay)
{
    auto project = one_level_project();
    Zone* zone = add_network_zone(*project, "room", 293.15f, 100);
    DaySchedule* ramp = add_day(*project, "ramp", true, {{0, 0}, {43200, 1}, {86400, 0}});
    DaySchedule* steps = add_day(*project, "steps", false, {{0, 0.2f}, {28800, 1}, {61200, 0.5f}, {86400, 0.5f}});
    FlowPath* fan = add_network_path(*project, ZoneRef::ambient(), zone, test_fan(*project, 0.03f), 0, 2);
    fan->schedule = add_week(*project, "week", ramp, steps);
    add_network_path(*project, zone, ZoneRef::ambient(), test_leak(*project));
    const double turb = leak_turb(*project);

    struct Case {
        int day_type;
        double seconds, s;
    };
    const std::vector<Case> cases{
        {2, 0, 0},         {2, 3 * kHour, 0.25}, {2, 12 * kHour, 1}, {2, 18 * kHour, 0.5}, {2, 86400, 0},
        {1, 0, 0.2},       {1, 28799, 0.2},      {1, 28800, 1},      {1, 61199, 1},        {1, 61200, 0.5},
        {1, 86400, 0.5},   {7, 9 * kHour, 1},    {12, 3 * kHour, 0.2}, {14, 3 * kHour, 0.25},  // 14 is 2 again
    };
    AirflowNetwork network(*project);
    for (const Case& c : cases) {
        const std::string what = "day type " + std::to_string(c.day_type) + " at " + std::to_string(c.seconds) + " s";
        network.follow_schedules(c.day_type, c.seconds);
        const SolveReport report = network.solve(Weather{});
        ASSERT_TRUE(report.converged) << what;
        const double F = c.s * 2 * static_cast<double>(0.03f);
        if (F == 0) {
            EXPECT_EQ(network.links()[0].F0, 0.0) << what;
            EXPECT_NEAR(network.links()[1].F0, 0.0, 1e-10) << what;
            continue;
        }
        expect_digits(network.links()[0].F0, F, what + ": fan");
        expect_digits(network.links()[1].F0, F, what + ": leak");
        expect_digits(network.nodes()[0].p, leak_pressure(turb, F), what + ": room pressure");
    }
    // The same instant again, and another with the same value, change
    // nothing; a new value does.
    EXPECT_TRUE(network.follow_schedules(1, 9 * kHour));
    EXPECT_FALSE(network.follow_schedules(1, 9 * kHour));
    EXPECT_FALSE(network.follow_schedules(1, 16 * kHour));
    EXPECT_TRUE(network.follow_schedules(1, 17 * kHour));
}

// Two rooms: A joins the outdoors and room B through leaks that share one
// schedule; B has a fan of 0.03 kg/s in and a leak out of its own. With
// the schedule at 0, A has no open path at all (its Jacobian row is
// empty until the solver lifts its diagonal): A keeps its pressure with no
// flow, and B balances the fan alone, at leak_pressure(0.03). With the
// schedule back at 1 part of the fan's air leaves through A.
TEST(ScheduledNetwork, AZoneWhosePathsAreAllClosedKeepsItsPressure)
{
    auto project = one_level_project();
    Zone* a = add_network_zone(*project, "A", 293.15f, 50);
    Zone* b = add_network_zone(*project, "B", 293.15f, 50);
    AirflowElement* leak = test_leak(*project);
    DaySchedule* shut = add_day(*project, "shut", false, {{0, 0}, {43200, 1}, {86400, 1}});
    WeekSchedule* week = add_week(*project, "week", shut, shut);
    add_network_path(*project, ZoneRef::ambient(), a, leak)->schedule = week;
    add_network_path(*project, a, b, leak)->schedule = week;
    add_network_path(*project, ZoneRef::ambient(), b, test_fan(*project, 0.03f));
    add_network_path(*project, b, ZoneRef::ambient(), leak);
    const double turb = leak_turb(*project);

    AirflowNetwork network(*project);
    network.follow_schedules(1, 6 * kHour);
    const SolveReport closed = network.solve(Weather{});
    EXPECT_TRUE(closed.converged);
    EXPECT_EQ(closed.held_node, 0) << "A's pressure held";
    EXPECT_TRUE(std::isfinite(network.nodes()[0].p));
    EXPECT_EQ(network.links()[0].F0, 0.0);
    EXPECT_EQ(network.links()[1].F0, 0.0);
    expect_digits(network.links()[3].F0, static_cast<double>(0.03f), "B's leak");
    expect_digits(network.nodes()[1].p, leak_pressure(turb, static_cast<double>(0.03f)), "B's pressure");

    network.follow_schedules(1, 18 * kHour);
    const SolveReport open = network.solve(Weather{});
    EXPECT_TRUE(open.converged);
    EXPECT_EQ(open.held_node, -1);
    for (const Link& link : network.links()) EXPECT_TRUE(std::isfinite(link.F0));
    // Part of the fan's air now leaves through A.
    EXPECT_LT(network.links()[0].F0, 0.0);
    expect_digits(network.links()[1].F0, network.links()[0].F0, "A's balance");
    expect_digits(network.links()[3].F0 - network.links()[0].F0, network.links()[2].F0, "B's balance");
}

// Stack through two orifices (A 0.01 m2 at 0.5 m and 2.5 m) of a room on a
// 273.15 K day whose temperature schedule holds 273.15 K until 08:00 and
// 293.15 K after. Isothermal at night: no driving pressure, no flow. By
// day the warm room of the stack case: with D = g (rho_a - rho_i),
// dP1 = 2 D rho_i / (rho_a + rho_i), p = -dP1 - 0.5 D, F = turb
// sqrt(rho_a dP1), rho_i = (Pb + p) / (R T_i).
TEST(ScheduledNetwork, TemperatureScheduleSetsTheZoneTemperature)
{
    auto project = one_level_project();
    Zone* zone = add_network_zone(*project, "room", 273.15f, 100);
    AirflowElement* hole = add_network_element(*project, "hole", kPlrOrfc, [](AirflowElement& e) {
        orifice_set_area(std::get<OrificeData>(e.data), 0.01f);
    });
    add_network_path(*project, ZoneRef::ambient(), zone, hole, 0.5f);
    add_network_path(*project, ZoneRef::ambient(), zone, hole, 2.5f);
    DaySchedule* heating =
        add_day(*project, "heating", false, {{0, 273.15f}, {28800, 293.15f}, {86400, 293.15f}}, kScheduleTemperature);
    zone->schedule = add_week(*project, "heating_week", heating, heating, kScheduleTemperature);
    const Weather cold{273.15, kPb, 0, 0, 1};

    AirflowNetwork network(*project);
    network.follow_schedules(1, 3 * kHour);
    ASSERT_TRUE(network.solve(cold).converged);
    EXPECT_EQ(network.nodes()[0].T, static_cast<double>(273.15f));
    EXPECT_NEAR(network.links()[0].F0, 0.0, 1e-6);

    network.follow_schedules(1, 12 * kHour);
    ASSERT_TRUE(network.solve(cold).converged);
    const double Ti = static_cast<float>(293.15), rho_a = kPb / (kR * 273.15);
    double p = 0, dP1 = 0, rho_i = 0, D = 0;
    for (int i = 0; i < 50; ++i) {
        rho_i = (kPb + p) / (kR * Ti);
        D = kG * (rho_a - rho_i);
        dP1 = 2 * D * rho_i / (rho_a + rho_i);
        p = -dP1 - 0.5 * D;
    }
    const double turb = std::get<OrificeData>(hole->data).turb;
    EXPECT_EQ(network.nodes()[0].T, Ti);
    expect_digits(network.nodes()[0].rho, rho_i, "density");
    expect_digits(network.nodes()[0].p, p, "p");
    expect_digits(network.links()[0].F0, turb * std::sqrt(rho_a * dP1), "F in at the bottom");
    expect_digits(network.links()[1].F0, -turb * std::sqrt(rho_a * dP1), "F out at the top");
}

TEST(ScheduledNetwork, RefusesSchedulesItCannotFollow)
{
    struct Case {
        std::string name;
        std::function<void(Project&, Zone&, FlowPath&)> spoil;
        std::string message;
        bool on_follow = false;  // refused when the value is met, not when built
    };
    const std::vector<Case> cases{
        {"temperature schedule on a path",
         [](Project& p, Zone&, FlowPath& path) {
             DaySchedule* d = add_day(p, "warm", false, {{0, 293.15f}, {86400, 293.15f}}, kScheduleTemperature);
             path.schedule = add_week(p, "warm_week", d, d, kScheduleTemperature);
         },
         "The schedule warm_week of flow path 1 is not dimensionless."},
        {"fraction on a zone",
         [](Project& p, Zone& zone, FlowPath&) {
             DaySchedule* d = add_day(p, "half", false, {{0, 0.5f}, {86400, 0.5f}});
             zone.schedule = add_week(p, "half_week", d, d);
         },
         "The schedule half_week of zone room is not a temperature schedule."},
        {"day type without a day",
         [](Project& p, Zone&, FlowPath& path) {
             DaySchedule* d = add_day(p, "half", false, {{0, 0.5f}, {86400, 0.5f}});
             WeekSchedule* week = add_week(p, "gappy", d, d);
             week->days[3] = nullptr;
             path.schedule = week;
         },
         "The week schedule gappy of flow path 1 has no day schedule for day type Wednesday."},
        {"negative factor",
         [](Project& p, Zone&, FlowPath& path) {
             DaySchedule* d = add_day(p, "minus", false, {{0, -0.5f}, {86400, -0.5f}});
             path.schedule = add_week(p, "minus_week", d, d);
         },
         "The schedule minus_week gives flow path 1 the factor -0.5; it must be a number not below 0.", true},
        {"temperature of 0 K",
         [](Project& p, Zone& zone, FlowPath&) {
             DaySchedule* d = add_day(p, "frozen", false, {{0, 0}, {86400, 0}}, kScheduleTemperature);
             zone.schedule = add_week(p, "frozen_week", d, d, kScheduleTemperature);
         },
         "The schedule frozen_week gives zone room the temperature 0 K; it must be above 0 K.", true},
    };
    for (const Case& c : cases) {
        auto project = one_level_project();
        Zone* zone = add_network_zone(*project, "room", 293.15f, 100);
        FlowPath* path = add_network_path(*project, ZoneRef::ambient(), zone, test_leak(*project));
        c.spoil(*project, *zone, *path);
        try {
            AirflowNetwork network(*project);
            EXPECT_TRUE(c.on_follow) << c.name << " refused only when followed";
            network.follow_schedules(1, 0);
            ADD_FAILURE() << c.name << " was accepted";
        } catch (const EngineError& e) {
            EXPECT_EQ(e.what(), c.message) << c.name;
        }
    }
}

// The run of a fan (0.03 kg/s) against a leak, with a tracer, from 00:00 to
// 24:00 of a Monday at hourly steps; the fan follows a trapezoidal day:
// 0 to 06:00, 1 at 08:00, 1 to 18:00, 0 at 19:00. The hourly values are
// 0 (01:00..06:00), 0.5 (07:00), 1 (08:00..18:00), 0 (19:00..24:00): they
// change at three steps.
std::unique_ptr<Project> scheduled_run_project()
{
    auto project = one_level_project();
    Species* tracer = avelor::testing::add_species(*project, "tracer", 0, 0);
    project->Ctm = {tracer};
    project->CC0 = {0};
    Zone* zone = add_network_zone(*project, "room", 293.15f, 100);
    zone->CC0 = {1e-3f};
    DaySchedule* day =
        add_day(*project, "day", true, {{0, 0}, {21600, 0}, {28800, 1}, {64800, 1}, {68400, 0}, {86400, 0}});
    add_network_path(*project, ZoneRef::ambient(), zone, test_fan(*project, 0.03f))->schedule =
        add_week(*project, "week", day, day);
    add_network_path(*project, zone, ZoneRef::ambient(), test_leak(*project));
    RunControl& rc = project->rc;
    rc.steady.day = 2;
    rc.sim_af = 0;
    rc.sim_mf = 2;
    rc.t_step = 3600;
    rc.t_list = 3600;
    rc.date_0 = rc.date_1 = 1;
    rc.time_0 = 0;
    rc.time_1 = 86400;
    return project;
}

// The network, counting its solves and the fan's flow each time.
class CountingFlows final : public FlowModel {
public:
    explicit CountingFlows(const Project& project) : network_(project) {}
    const std::vector<Node>& nodes() const override { return network_.nodes(); }
    const std::vector<Link>& links() const override { return network_.links(); }
    SolveReport solve(const Weather& weather) override
    {
        SolveReport report = network_.solve(weather);
        fan_flows.push_back(network_.links()[0].F0);
        return report;
    }
    bool follow_schedules(int day_type, double seconds) override
    {
        return network_.follow_schedules(day_type, seconds);
    }
    std::vector<double> fan_flows;

private:
    AirflowNetwork network_;
};

TEST(ScheduledRun, SteadyAirflowIsSolvedAgainWhenAScheduledValueChanges)
{
    const double F = static_cast<double>(0.03f);
    struct Case {
        std::string name;
        std::function<void(RunControl&)> set;
        std::vector<double> solved;  // the fan's flow at each solve
    };
    const std::vector<Case> cases{
        // The start (00:00, 0), then 07:00, 08:00 and 19:00.
        {"steady airflow, transient tracer", [](RunControl&) {}, {0, 0.5 * F, F, 0}},
        // Every step: 00:00 and the 24 hours.
        {"transient airflow",
         [](RunControl& rc) { rc.sim_af = 1; },
         {0, 0, 0, 0, 0, 0, 0, 0.5 * F, F, F, F, F, F, F, F, F, F, F, F, 0, 0, 0, 0, 0, 0}},
        // One instant, the steady time of day 07:00.
        {"steady run at 07:00",
         [](RunControl& rc) {
             rc.sim_mf = 1;
             rc.date_st = 1;
             rc.time_st = 25200;
         },
         {0.5 * F}},
    };
    for (const Case& c : cases) {
        auto project = scheduled_run_project();
        c.set(project->rc);
        CountingFlows flows(*project);
        std::vector<int> iterations;
        RunOptions options;
        options.progress = [&](const RunProgress& progress) { iterations.push_back(progress.iterations); };
        const std::string sim = ::testing::TempDir() + "scheduled_run.sim";
        const std::string rst = ::testing::TempDir() + "scheduled_run.rst";
        ASSERT_EQ(run_simulation(*project, flows, sim, rst, options), RunOutcome::Finished) << c.name;
        ASSERT_EQ(flows.fan_flows.size(), c.solved.size()) << c.name;
        for (std::size_t k = 0; k < c.solved.size(); ++k)
            EXPECT_NEAR(flows.fan_flows[k], c.solved[k], 1e-9) << c.name << " solve " << k;
        if (c.name == "steady airflow, transient tracer") {
            // Newton's iterations fall on the steps whose values changed.
            ASSERT_EQ(iterations.size(), 25u);
            for (std::size_t h = 1; h < iterations.size(); ++h)
                EXPECT_EQ(iterations[h] > 0, h == 7 || h == 8 || h == 19) << "hour " << h;
        }
    }
}

// The two rooms of AZoneWhosePathsAreAllClosedKeepsItsPressure through a
// day at hourly steps: room A is shut off until 12:00 every day, and the
// run says so once, at its first step.
TEST(ScheduledRun, TellsOnceOfAZoneWithEveryPathClosed)
{
    auto project = one_level_project();
    Zone* a = add_network_zone(*project, "A", 293.15f, 50);
    Zone* b = add_network_zone(*project, "B", 293.15f, 50);
    AirflowElement* leak = test_leak(*project);
    DaySchedule* shut = add_day(*project, "shut", false, {{0, 0}, {43200, 1}, {86400, 1}});
    WeekSchedule* week = add_week(*project, "week", shut, shut);
    add_network_path(*project, ZoneRef::ambient(), a, leak)->schedule = week;
    add_network_path(*project, a, b, leak)->schedule = week;
    add_network_path(*project, ZoneRef::ambient(), b, test_fan(*project, 0.03f));
    add_network_path(*project, b, ZoneRef::ambient(), leak);
    RunControl& rc = project->rc;
    rc.sim_af = 1;
    rc.t_step = rc.t_list = 3600;
    rc.date_0 = 1;
    rc.date_1 = 2;
    rc.time_0 = 0;
    rc.time_1 = 86400;
    NetworkFlowModel flows(*project);
    std::vector<std::string> warnings;
    RunOptions options;
    options.warning = [&](const std::string& text) { warnings.push_back(text); };
    ASSERT_EQ(run_simulation(*project, flows, ::testing::TempDir() + "held.sim", ::testing::TempDir() + "held.rst",
                             options),
              RunOutcome::Finished);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0], "Jan01 00:00:00: zone A has no open flow path whose flow follows the pressure (closed by a "
                           "schedule, or fans only); its pressure is held where it was.");
}

}  // namespace
}  // namespace avelor::engine
